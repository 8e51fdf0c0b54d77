#include "ime/shared/storage/updater_flag.h"

#include <windows.h>

#include "ime/shared/base/registry_key.h"
#include "ime/shared/language_codes.h"

namespace ime_shared {

const wchar_t kUpdaterClientStateKeyPath[] =
    L"Software\\Tarvel\\Update\\ClientState";
const wchar_t kUpdaterDidRunValue[] = L"dr";

namespace {

// The product's registrations with its updater, one per language row.
const wchar_t* const kAppIds[LanguageCodes::kCount] = {
    L"{74EF6566-C831-4EBF-B2D5-6E4B317CA056}",  // hi
    L"{956CC7BC-AE1F-4429-A99B-C8D6FD115271}",  // ar
    L"{882CDB7C-8AB1-4BEC-92F0-7D91FAE8EC43}",  // bn
    L"{C91CF382-E844-41EF-B7DC-E5AB68227391}",  // fa
    L"{877E1142-CC0B-4950-B492-0474108D87A4}",  // el
    L"{90B1EC78-5ACB-45EB-A3BB-7CA85063DBC8}",  // gu
    L"{8E420C50-5974-4DFB-9E32-A8E53259C772}",  // kn
    L"{344304B4-A075-4353-9414-4185F9E7D972}",  // ml
    L"{C2F3B5FD-0EB2-4B30-9F95-31A85B12A3B8}",  // mr
    L"{7E2B45A4-1D75-435F-9542-747286379EF6}",  // ne
    L"{41C36E27-5201-476A-937A-BB3567CF9E8B}",  // pa
    L"{1E5CAAD0-EEEA-4FF2-B1C5-E2B4E6877002}",  // ta
    L"{6F1707F9-DFB9-4CA2-8AEE-AF53170A9D95}",  // te
    L"{7F2110CE-8F85-484C-B0C0-0396F4B8ABC2}",  // ur
    L"{653566E3-0ED5-4239-BD4B-F632D50B4827}",  // ru
    L"{7DEF5FC3-62AB-4E6A-8F30-4C23B2E83A3C}",  // sr
    L"{A37E70A7-951D-4E0C-9524-7DD040DDBD00}",  // sa
    L"{A1098E1D-FFF5-4E35-A173-78D3B598CD86}",  // am
    L"{513BE8A3-209B-4E4F-ADBB-57CFC44F1122}",  // ti
};

// Read, set values and create subkeys, in the 32-bit view where the updater
// keeps its keys.
constexpr REGSAM kClientStateAccess =
    KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE | KEY_WOW64_32KEY;

}  // namespace

const wchar_t* UpdaterAppId(int index) {
  if (index < 0 || index >= LanguageCodes::kCount) return L"";
  return kAppIds[index];
}

void SetUpdaterDidRunFlag(const std::wstring& client_state_key, int index) {
  const std::wstring app_id = UpdaterAppId(index);
  if (app_id.empty()) return;
  const base::RegistryKey key = base::RegistryKey::Open(
      HKEY_LOCAL_MACHINE, client_state_key + L"\\" + app_id,
      kClientStateAccess);
  if (key) key.WriteString(kUpdaterDidRunValue, L"1");
}

}  // namespace ime_shared
