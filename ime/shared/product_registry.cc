#include "ime/shared/product_registry.h"

namespace ime_shared {

const wchar_t kProductKeyPath[] = L"Software\\Tarvel\\Tarvel Hindi Input";
const wchar_t kAutoupdateKeyPath[] =
    L"Software\\Tarvel\\Tarvel Hindi Input\\Autoupdate";
const wchar_t kInstallPathValue[] = L"PATH";
const wchar_t kDataPathValue[] = L"DataPath";
const wchar_t kInstalledVersionValue[] = L"InstalledVersion";

namespace {

// A string value of a machine-wide key; empty on any failure.
std::wstring ReadMachineString(const wchar_t* key_path,
                               const wchar_t* value_name) {
  const RegistryKey key = OpenMachineKey(key_path, kMachineKeyReadAccess);
  std::wstring text;
  if (!key || key.ReadString(value_name, &text) != ERROR_SUCCESS) {
    return std::wstring();
  }
  return text;
}

}  // namespace

RegistryKey OpenUserKey(const std::wstring& path) {
  HKEY hive = nullptr;
  if (::RegOpenCurrentUser(kUserKeyAccess, &hive) == ERROR_SUCCESS) {
    RegistryKey key = RegistryKey::Create(hive, path, kUserKeyAccess);
    ::RegCloseKey(hive);
    return key;
  }
  return RegistryKey::Create(HKEY_CURRENT_USER, path, kUserKeyAccess);
}

RegistryKey OpenUserProductKey() { return OpenUserKey(kProductKeyPath); }

RegistryKey OpenMachineProductKey(bool read_only) {
  return OpenMachineKey(kProductKeyPath, read_only ? kMachineKeyReadAccess
                                                   : kMachineKeyWriteAccess);
}

RegistryKey OpenMachineKey(const std::wstring& subkey, REGSAM access) {
  return RegistryKey::Open(HKEY_LOCAL_MACHINE, subkey, access);
}

std::wstring GetInstallDirectory() {
  return ReadMachineString(kProductKeyPath, kInstallPathValue);
}

std::wstring GetDataDirectory() {
  return ReadMachineString(kProductKeyPath, kDataPathValue);
}

std::wstring GetInstalledVersion() {
  return ReadMachineString(kAutoupdateKeyPath, kInstalledVersionValue);
}

}  // namespace ime_shared
