#include "ime/shared/base/registry_key.h"

#include <utility>
#include <vector>

namespace ime_shared {
namespace base {

RegistryKey::RegistryKey() : key_(nullptr) {}

RegistryKey::RegistryKey(HKEY key, std::wstring name)
    : key_(key), name_(std::move(name)) {}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : key_(std::exchange(other.key_, nullptr)), name_(std::move(other.name_)) {
  other.name_.clear();
}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    Close();
    key_ = std::exchange(other.key_, nullptr);
    name_ = std::move(other.name_);
    other.name_.clear();
  }
  return *this;
}

RegistryKey::~RegistryKey() { Close(); }

RegistryKey RegistryKey::Open(HKEY parent, const std::wstring& subkey,
                              REGSAM access, LONG* error) {
  HKEY key = nullptr;
  const LONG result =
      ::RegOpenKeyExW(parent, subkey.c_str(), 0, access, &key);
  if (error != nullptr) *error = result;
  if (result != ERROR_SUCCESS) return RegistryKey();
  return RegistryKey(key, subkey);
}

RegistryKey RegistryKey::Create(HKEY parent, const std::wstring& subkey,
                                REGSAM access, LONG* error) {
  HKEY key = nullptr;
  const LONG result =
      ::RegCreateKeyExW(parent, subkey.c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                        nullptr);
  if (error != nullptr) *error = result;
  if (result != ERROR_SUCCESS) return RegistryKey();
  return RegistryKey(key, subkey);
}

void RegistryKey::Close() {
  name_.clear();
  if (key_ != nullptr) {
    ::RegCloseKey(key_);
    key_ = nullptr;
  }
}

LONG RegistryKey::ReadString(const wchar_t* value_name,
                             std::wstring* text) const {
  if (key_ == nullptr) return ERROR_INVALID_HANDLE;
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG result = ::RegQueryValueExW(key_, value_name, nullptr, &type, nullptr,
                                   &size);
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;

  // One spare unit, so that an odd byte count still fits.
  std::vector<wchar_t> buffer(size / 2 + 1, L'\0');
  DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  result = ::RegQueryValueExW(key_, value_name, nullptr, &type,
                              reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
  if (bytes == 0) {
    text->clear();
    return ERROR_SUCCESS;
  }
  // A value written without its terminator, or cut in the middle of a
  // character, is not trusted.
  if (bytes % 2 != 0 || buffer[bytes / 2 - 1] != L'\0') {
    return ERROR_INVALID_DATA;
  }
  text->assign(buffer.data());
  return ERROR_SUCCESS;
}

LONG RegistryKey::ReadDword(const wchar_t* value_name, DWORD* value) const {
  if (key_ == nullptr) return ERROR_INVALID_HANDLE;
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof(data);
  const LONG result =
      ::RegQueryValueExW(key_, value_name, nullptr, &type,
                         reinterpret_cast<BYTE*>(&data), &size);
  if (result == ERROR_MORE_DATA) return ERROR_INVALID_DATA;
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_DWORD || size != sizeof(data)) return ERROR_INVALID_DATA;
  *value = data;
  return ERROR_SUCCESS;
}

LONG RegistryKey::WriteDword(const wchar_t* value_name, DWORD value) const {
  if (key_ == nullptr) return ERROR_INVALID_HANDLE;
  return ::RegSetValueExW(key_, value_name, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

LONG RegistryKey::WriteString(const wchar_t* value_name,
                              const std::wstring& text) const {
  if (key_ == nullptr) return ERROR_INVALID_HANDLE;
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key_, value_name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

LONG RegistryKey::Flush() const {
  if (key_ == nullptr) return ERROR_INVALID_HANDLE;
  return ::RegFlushKey(key_);
}

}  // namespace base
}  // namespace ime_shared
