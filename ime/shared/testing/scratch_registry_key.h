// Registry places for tests: plant values of any type and byte count (also
// ones the product would never write), read back what the product wrote,
// and keys of one test's own that are deleted at the end, so that tests
// running in parallel under one Wine prefix never see each other's values.
#ifndef IME_SHARED_TESTING_SCRATCH_REGISTRY_KEY_H_
#define IME_SHARED_TESTING_SCRATCH_REGISTRY_KEY_H_

#include <windows.h>

#include <cstring>
#include <string>

#include "ime/shared/testing/child_process.h"

namespace ime_testing {

// The key |path| below |root| in the registry view |view| (0,
// KEY_WOW64_32KEY or KEY_WOW64_64KEY). Setting a value creates the key.
class RegistryPlace {
 public:
  RegistryPlace(HKEY root, std::wstring path, REGSAM view = 0)
      : root_(root), view_(view), path_(std::move(path)) {}

  HKEY root() const { return root_; }
  REGSAM view() const { return view_; }
  const std::wstring& path() const { return path_; }

  LONG SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) const {
    HKEY key = nullptr;
    LONG result = ::RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0,
                                    KEY_SET_VALUE | view_, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return result;
    result = ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
    ::RegCloseKey(key);
    return result;
  }
  LONG SetDword(const wchar_t* name, DWORD value) const {
    return SetRaw(name, REG_DWORD, &value, sizeof(value));
  }
  // With the terminating NUL.
  LONG SetString(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) const {
    return SetRaw(name, type, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  LONG Delete(const wchar_t* name) const {
    HKEY key = nullptr;
    LONG result = ::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_SET_VALUE | view_, &key);
    if (result != ERROR_SUCCESS) return result;
    result = ::RegDeleteValueW(key, name);
    ::RegCloseKey(key);
    return result;
  }
  // The type and bytes of a value; false when it is missing.
  bool Query(const wchar_t* name, DWORD* type, std::string* bytes) const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_QUERY_VALUE | view_, &key) !=
        ERROR_SUCCESS) {
      return false;
    }
    DWORD size = 0;
    LONG result = ::RegQueryValueExW(key, name, nullptr, type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
      bytes->assign(size, '\0');
      result = ::RegQueryValueExW(key, name, nullptr, type,
                                  reinterpret_cast<BYTE*>(&(*bytes)[0]), &size);
      bytes->resize(size);
    }
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
  }
  // A REG_DWORD value; |fallback| when missing or of another type.
  DWORD GetDword(const wchar_t* name, DWORD fallback = 0xDEADBEEF) const {
    DWORD type = 0;
    std::string bytes;
    if (!Query(name, &type, &bytes) || type != REG_DWORD || bytes.size() != 4) {
      return fallback;
    }
    DWORD value;
    std::memcpy(&value, bytes.data(), 4);
    return value;
  }
  bool Exists() const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ | view_, &key) != ERROR_SUCCESS) {
      return false;
    }
    ::RegCloseKey(key);
    return true;
  }

 private:
  HKEY root_;
  REGSAM view_;
  std::wstring path_;
};

// "Software\KelvaneTests\<unique name>", not created until a value is set
// (so that missing keys can be tested too) and deleted with everything
// below it at the end.
class ScratchRegistryKey : public RegistryPlace {
 public:
  ScratchRegistryKey(HKEY root, const wchar_t* prefix, REGSAM view = 0)
      : RegistryPlace(root, std::wstring(L"Software\\KelvaneTests\\") + UniqueName(prefix),
                      view) {}
  ~ScratchRegistryKey() {
    HKEY parent = nullptr;
    if (::RegOpenKeyExW(root(), L"Software\\KelvaneTests", 0, KEY_ALL_ACCESS | view(),
                        &parent) == ERROR_SUCCESS) {
      const std::wstring leaf = path().substr(path().find_last_of(L'\\') + 1);
      ::RegDeleteTreeW(parent, leaf.c_str());
      ::RegDeleteKeyW(parent, leaf.c_str());
      ::RegCloseKey(parent);
    }
  }
  ScratchRegistryKey(const ScratchRegistryKey&) = delete;
  ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;
};

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_SCRATCH_REGISTRY_KEY_H_
