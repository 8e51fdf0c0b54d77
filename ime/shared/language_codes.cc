#include "ime/shared/language_codes.h"

#include <cstring>

namespace ime_shared {

const char kLanguageCode[] = IME_LANGUAGE_CODE;

namespace {

// ISO 639-1 codes; a code's position is its language index.
const char* const kCodes[LanguageCodes::kCount] = {
    "hi", "ar", "bn", "fa", "el", "gu", "kn", "ml", "mr", "ne",
    "pa", "ta", "te", "ur", "ru", "sr", "sa", "am", "ti",
};

bool IsPrintable(wchar_t c) { return c >= 32 && c <= 126; }

}  // namespace

int LanguageCodes::IndexOf() { return IndexOfCode(kLanguageCode); }

int LanguageCodes::IndexOfCode(const char* code) {
  if (code == nullptr) return 0;
  for (int i = 0; i < kCount; ++i) {
    if (std::strcmp(kCodes[i], code) == 0) return i;
  }
  return 0;
}

const char* LanguageCodes::CodeAt(int index) { return kCodes[index]; }

bool IsPrintableAscii(const std::wstring& text) {
  for (wchar_t c : text) {
    if (!IsPrintable(c)) return false;
  }
  return true;
}

bool IsDevanagariOrPrintableAscii(const std::wstring& text) {
  for (wchar_t c : text) {
    if (!IsPrintable(c) && !(c >= 0x0900 && c <= 0x097F)) return false;
  }
  return true;
}

}  // namespace ime_shared
