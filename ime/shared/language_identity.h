// The per-language identities of the input method: seven tables of 19 GUIDs,
// one row per language index (see LanguageCodes), and the build language's
// rows copied at load. The module, the uninstaller and the setup tool all
// compile this one source, so that what one registers the others find.
//
// Every value is a fixed name-based (version 3) GUID, distinct across tables
// and rows; tools/generate_language_identity.py made them once from names of
// ours. The product's installation registers the same text service class and
// profile.
#ifndef IME_SHARED_LANGUAGE_IDENTITY_H_
#define IME_SHARED_LANGUAGE_IDENTITY_H_

#include <windows.h>

#include <string>

namespace ime_shared {

// The tables, by role.
enum LanguageIdentityTable {
  kTextServiceClsidTable = 0,       // the text service's COM class
  kInputProcessorProfileTable = 1,  // its language profile
  kDisplayAttributeTable = 2,       // the composition's display attribute
  kCandidateUIElementTable = 3,     // the candidate list UI element
  kLangBarToggleButtonTable = 4,    // language-bar button 0 (toggle)
  kLangBarPickerButtonTable = 5,    // language-bar button 1 (picker)
  kLangBarMenuButtonTable = 6,      // language-bar button 2 (menu)
};
constexpr int kLanguageIdentityTableCount = 7;
constexpr int kLanguageIdentityRowCount = 19;

// Row |row| (a language index) of |table|; the all-zero GUID when either
// lies outside the tables.
const GUID& LanguageIdentity(int table, int row);

// The rows of the build's language (LanguageCodes::IndexOf()). They are
// constant-initialised, so they hold their values before any static
// initialiser of the program runs.
struct InputMethod {
  static const GUID kTextServiceClsid;
  static const GUID kInputProcessorProfile;
  static const GUID kDisplayAttributeGuid;
  static const GUID kCandidateUIElementGuid;
  static const GUID kLangBarToggleButtonGuid;
  static const GUID kLangBarPickerButtonGuid;
  static const GUID kLangBarMenuButtonGuid;
};

// The registry form of |guid|: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// upper-case hexadecimal.
std::wstring GuidToString(const GUID& guid);

}  // namespace ime_shared

#endif  // IME_SHARED_LANGUAGE_IDENTITY_H_
