// Helpers of the scheme tests: a temporary folder and scheme files written in
// a chosen encoding.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_TEST_FILES_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_TEST_FILES_H_

#include <windows.h>

#include <string>

#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"

namespace ime_t13n {
namespace scheme_test {

// Removes a folder with everything below it.
inline void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

// A new empty folder under the temporary folder, removed with its contents
// when the object goes.
class TempFolder {
 public:
  TempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp) + ime_testing::UniqueName(L"schemes");
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TempFolder() { RemoveTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const {
    return path_ + L"\\" + name;
  }

 private:
  std::wstring path_;
};

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      bytes.empty() ||
      (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                   &written, nullptr) &&
       written == bytes.size());
  ::CloseHandle(file);
  return ok;
}

inline std::string Utf8(const std::wstring& text, bool bom = false) {
  return (bom ? std::string("\xEF\xBB\xBF") : std::string()) +
         ime_shared::WideToUtf8(text);
}

inline std::string Utf16Le(const std::wstring& text, bool bom = false) {
  std::string bytes = bom ? std::string("\xFF\xFE") : std::string();
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
  }
  return bytes;
}

}  // namespace scheme_test
}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_TEST_FILES_H_
