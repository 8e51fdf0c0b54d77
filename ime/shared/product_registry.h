// Where the product keeps its values in the registry: the per-user key that
// holds the settings, the machine-wide key the installation writes, and the
// values read from them. Every failure gives an empty text or an invalid
// key; nothing is shown to the user.
#ifndef IME_SHARED_PRODUCT_REGISTRY_H_
#define IME_SHARED_PRODUCT_REGISTRY_H_

#include <windows.h>

#include <string>

#include "ime/shared/base/registry_key.h"

namespace ime_shared {

using base::RegistryKey;

// The product key, the same path in the current user's hive and in
// HKEY_LOCAL_MACHINE.
extern const wchar_t kProductKeyPath[];
// The updater's subkey of the machine-wide product key.
extern const wchar_t kAutoupdateKeyPath[];

// Values of the machine-wide keys, written by the installation.
extern const wchar_t kInstallPathValue[];       // "PATH"
extern const wchar_t kDataPathValue[];          // "DataPath"
extern const wchar_t kInstalledVersionValue[];  // "InstalledVersion"

// Access to the per-user product key: read, set values, create subkeys.
constexpr REGSAM kUserKeyAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
// Access to the machine-wide product key in the 64-bit view.
constexpr REGSAM kMachineKeyReadAccess = KEY_READ | KEY_WOW64_64KEY;
constexpr REGSAM kMachineKeyWriteAccess =
    kMachineKeyReadAccess | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

// Creates or opens |path| below the current user's hive (RegOpenCurrentUser,
// or HKEY_CURRENT_USER when that fails) with kUserKeyAccess.
RegistryKey OpenUserKey(const std::wstring& path);
// OpenUserKey of kProductKeyPath.
RegistryKey OpenUserProductKey();
// Opens (never creates) the machine-wide product key.
RegistryKey OpenMachineProductKey(bool read_only);
// Opens (never creates) |subkey| below HKEY_LOCAL_MACHINE.
RegistryKey OpenMachineKey(const std::wstring& subkey, REGSAM access);

// "PATH" of the machine-wide product key: the install folder.
std::wstring GetInstallDirectory();
// "DataPath" of the machine-wide product key, as stored (it may end in a
// backslash).
std::wstring GetDataDirectory();
// "InstalledVersion" of the updater's subkey; empty when the product is not
// installed.
std::wstring GetInstalledVersion();

}  // namespace ime_shared

#endif  // IME_SHARED_PRODUCT_REGISTRY_H_
