// The uninstaller's strings with the language name filled in.
#ifndef IME_T13N_INSTALLER_LANGUAGE_STRING_H_
#define IME_T13N_INSTALLER_LANGUAGE_STRING_H_

#include <windows.h>

#include <string>

namespace ime_t13n {

// Longest text of LoadLanguageString, in UTF-16 units.
constexpr size_t kMaxLanguageStringUnits = 199;

// String resource |id| of the program, at most kMaxLanguageStringUnits
// units. When it holds "%s" it is formatted with the build language's name
// ("Hindi"), the result cut to the same length. Empty when there is no
// such string.
std::wstring LoadLanguageString(UINT id);

}  // namespace ime_t13n

#endif  // IME_T13N_INSTALLER_LANGUAGE_STRING_H_
