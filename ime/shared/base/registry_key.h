// A scoped owner of an open registry key, with the value reads and writes
// the input method needs. Every operation reports a Win32 error code and
// never shows anything.
#ifndef IME_SHARED_BASE_REGISTRY_KEY_H_
#define IME_SHARED_BASE_REGISTRY_KEY_H_

#include <windows.h>

#include <string>

namespace ime_shared {
namespace base {

class RegistryKey {
 public:
  RegistryKey();
  // Takes ownership of |key|; |name| is the path it was opened by.
  RegistryKey(HKEY key, std::wstring name);
  RegistryKey(RegistryKey&& other) noexcept;
  RegistryKey& operator=(RegistryKey&& other) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey();

  // RegOpenKeyExW of |subkey| below |parent|; an invalid key on failure,
  // with the error in |error| when given.
  static RegistryKey Open(HKEY parent, const std::wstring& subkey,
                          REGSAM access, LONG* error = nullptr);
  // RegCreateKeyExW (non-volatile) of |subkey| below |parent|: opens it, or
  // creates it with its missing parents.
  static RegistryKey Create(HKEY parent, const std::wstring& subkey,
                            REGSAM access, LONG* error = nullptr);

  bool IsValid() const { return key_ != nullptr; }
  explicit operator bool() const { return IsValid(); }
  HKEY Get() const { return key_; }
  const std::wstring& name() const { return name_; }

  // Closes the handle and empties the name.
  void Close();

  // Reads a string value. Only REG_SZ and REG_EXPAND_SZ are accepted, and
  // REG_EXPAND_SZ is taken literally. The stored bytes must be an even
  // number ending with a NUL character; zero bytes read as an empty text.
  // The text is what precedes the first NUL. Errors of the registry are
  // returned as they are, a wrong type or a malformed value gives
  // ERROR_INVALID_DATA; |text| is set only on success.
  LONG ReadString(const wchar_t* value_name, std::wstring* text) const;
  // Reads a REG_DWORD value of exactly four bytes; another type or size
  // gives ERROR_INVALID_DATA. |value| is set only on success.
  LONG ReadDword(const wchar_t* value_name, DWORD* value) const;

  LONG WriteDword(const wchar_t* value_name, DWORD value) const;
  // Writes |text| as REG_SZ with its terminating NUL (2 * length + 2 bytes).
  LONG WriteString(const wchar_t* value_name, const std::wstring& text) const;
  LONG Flush() const;

 private:
  HKEY key_;
  std::wstring name_;
};

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_REGISTRY_KEY_H_
