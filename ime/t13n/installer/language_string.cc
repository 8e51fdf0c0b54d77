#include "ime/t13n/installer/language_string.h"

#include <cwchar>

#include "ime/shared/language_codes.h"
#include "ime/shared/language_display_tables.h"

namespace ime_t13n {

std::wstring LoadLanguageString(UINT id) {
  wchar_t text[kMaxLanguageStringUnits + 1] = {};
  if (::LoadStringW(::GetModuleHandleW(nullptr), id, text,
                    kMaxLanguageStringUnits + 1) <= 0) {
    return std::wstring();
  }
  if (std::wcsstr(text, L"%s") == nullptr) return text;

  const wchar_t* language =
      ime_shared::LanguageNames::At(ime_shared::LanguageCodes::IndexOf());
  // The strings are the program's own, with "%s" as their only conversion;
  // anything else that looks like one is copied as it is.
  std::wstring formatted;
  for (const wchar_t* c = text; *c != L'\0'; ++c) {
    if (c[0] == L'%' && c[1] == L's') {
      formatted += language;
      ++c;
    } else {
      formatted += *c;
    }
  }
  if (formatted.size() > kMaxLanguageStringUnits) {
    formatted.resize(kMaxLanguageStringUnits);
  }
  return formatted;
}

}  // namespace ime_t13n
