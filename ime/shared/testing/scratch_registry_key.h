// A registry key of one test's own: a unique path below a root key, created
// on construction and deleted with everything below it at the end, so that
// tests running in parallel under one Wine prefix never see each other's
// values and leave nothing behind.
#ifndef IME_SHARED_TESTING_SCRATCH_REGISTRY_KEY_H_
#define IME_SHARED_TESTING_SCRATCH_REGISTRY_KEY_H_

#include <windows.h>

#include <string>

#include "ime/shared/testing/child_process.h"

namespace ime_testing {

// Raw registry writes for tests: any type and byte count, so that values
// the product would never write can be planted.
inline LONG SetRawValue(HKEY root, const std::wstring& path, REGSAM view,
                        const wchar_t* name, DWORD type, const void* data,
                        DWORD bytes) {
  HKEY key = nullptr;
  LONG result = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | view, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) return result;
  result = ::RegSetValueExW(key, name, 0, type,
                            static_cast<const BYTE*>(data), bytes);
  ::RegCloseKey(key);
  return result;
}

inline LONG SetDwordValue(HKEY root, const std::wstring& path, REGSAM view,
                          const wchar_t* name, DWORD value) {
  return SetRawValue(root, path, view, name, REG_DWORD, &value, sizeof(value));
}

// REG_SZ (or |type|) with the terminating NUL.
inline LONG SetStringValue(HKEY root, const std::wstring& path, REGSAM view,
                           const wchar_t* name, const std::wstring& text,
                           DWORD type = REG_SZ) {
  return SetRawValue(root, path, view, name, type, text.c_str(),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline LONG DeleteValue(HKEY root, const std::wstring& path, REGSAM view,
                        const wchar_t* name) {
  HKEY key = nullptr;
  LONG result = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE | view, &key);
  if (result != ERROR_SUCCESS) return result;
  result = ::RegDeleteValueW(key, name);
  ::RegCloseKey(key);
  return result;
}

// The type and bytes of a value; false when it is missing.
inline bool QueryRawValue(HKEY root, const std::wstring& path, REGSAM view,
                          const wchar_t* name, DWORD* type, std::string* bytes) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) !=
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

inline bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

class ScratchRegistryKey {
 public:
  // "Software\KelvaneTests\<unique name>" below |root|, in the registry
  // view |view| (0, KEY_WOW64_32KEY or KEY_WOW64_64KEY). Not created until
  // a value is set, so that "missing key" cases can be tested too.
  ScratchRegistryKey(HKEY root, const wchar_t* prefix, REGSAM view = 0)
      : root_(root),
        view_(view),
        path_(std::wstring(L"Software\\KelvaneTests\\") + UniqueName(prefix)) {}
  ~ScratchRegistryKey() {
    HKEY parent = nullptr;
    if (::RegOpenKeyExW(root_, L"Software\\KelvaneTests", 0,
                        KEY_ALL_ACCESS | view_, &parent) == ERROR_SUCCESS) {
      const std::wstring leaf = path_.substr(path_.find_last_of(L'\\') + 1);
      ::RegDeleteTreeW(parent, leaf.c_str());
      ::RegDeleteKeyW(parent, leaf.c_str());
      ::RegCloseKey(parent);
    }
  }
  ScratchRegistryKey(const ScratchRegistryKey&) = delete;
  ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;

  HKEY root() const { return root_; }
  const std::wstring& path() const { return path_; }

  LONG SetDword(const wchar_t* name, DWORD value) const {
    return SetDwordValue(root_, path_, view_, name, value);
  }
  LONG SetString(const wchar_t* name, const std::wstring& text,
                 DWORD type = REG_SZ) const {
    return SetStringValue(root_, path_, view_, name, text, type);
  }
  LONG SetRaw(const wchar_t* name, DWORD type, const void* data,
              DWORD bytes) const {
    return SetRawValue(root_, path_, view_, name, type, data, bytes);
  }
  LONG Delete(const wchar_t* name) const {
    return DeleteValue(root_, path_, view_, name);
  }
  bool Query(const wchar_t* name, DWORD* type, std::string* bytes) const {
    return QueryRawValue(root_, path_, view_, name, type, bytes);
  }
  // A REG_DWORD value; |fallback| when missing or of another type.
  DWORD GetDword(const wchar_t* name, DWORD fallback = 0xDEADBEEF) const {
    DWORD type = 0;
    std::string bytes;
    if (!Query(name, &type, &bytes) || type != REG_DWORD || bytes.size() != 4) {
      return fallback;
    }
    DWORD value;
    memcpy(&value, bytes.data(), 4);
    return value;
  }
  bool Exists() const { return KeyExists(root_, path_, view_); }

 private:
  HKEY root_;
  REGSAM view_;
  std::wstring path_;
};

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_SCRATCH_REGISTRY_KEY_H_
