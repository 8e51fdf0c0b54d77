// The language codes that index every language table, and the character
// checks applied to stored user text.
#ifndef IME_SHARED_LANGUAGE_CODES_H_
#define IME_SHARED_LANGUAGE_CODES_H_

#include <string>

namespace ime_shared {

// The language this build serves.
extern const char kLanguageCode[];

class LanguageCodes {
 public:
  static constexpr int kCount = 19;

  // The row of the build's language code; 0 when the code is not in the
  // table, so an unknown build code behaves as Hindi.
  static int IndexOf();
  // The row of |code| (exact, case-sensitive); 0 when it is not there.
  static int IndexOfCode(const char* code);
  // The code at |index|, which must lie in 0..kCount-1.
  static const char* CodeAt(int index);
};

// True when every unit lies in 32..126; an empty text is true.
bool IsPrintableAscii(const std::wstring& text);
// True when every unit lies in the Devanagari block U+0900..U+097F or in
// 32..126; an empty text is true.
bool IsDevanagariOrPrintableAscii(const std::wstring& text);

}  // namespace ime_shared

#endif  // IME_SHARED_LANGUAGE_CODES_H_
