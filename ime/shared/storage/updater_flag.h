// The sign the input method leaves for the product's updater: after a
// language was loaded, the value "dr" = "1" in the updater's client-state
// key of the build language's application identifier. The updater itself
// lies outside the input method.
#ifndef IME_SHARED_STORAGE_UPDATER_FLAG_H_
#define IME_SHARED_STORAGE_UPDATER_FLAG_H_

#include <string>

namespace ime_shared {

// "Software\Tarvel\Update\ClientState", below HKEY_LOCAL_MACHINE in the
// 32-bit registry view; one subkey per application identifier.
extern const wchar_t kUpdaterClientStateKeyPath[];
extern const wchar_t kUpdaterDidRunValue[];  // "dr"

// The updater's application identifier (a braced GUID) of language row
// |index| (see LanguageCodes); empty outside 0..18.
const wchar_t* UpdaterAppId(int index);

// Sets "dr" = "1" in the key |client_state_key|\<identifier of |index|>
// when that key exists (it is never created). Failures are silent.
void SetUpdaterDidRunFlag(const std::wstring& client_state_key, int index);

}  // namespace ime_shared

#endif  // IME_SHARED_STORAGE_UPDATER_FLAG_H_
