#include "ime/shared/testing/temp_dir.h"

#include <windows.h>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/testing/child_process.h"

namespace ime_testing {

namespace {

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((dir + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = dir + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full + L"\\");
      } else {
        ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(full.c_str());
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(dir.c_str());
}

}  // namespace

TempDir::TempDir() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  path_ = std::wstring(temp, length) + UniqueName(L"kelvane-test") + L"\\";
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  ime_shared::base::ScopedFileHandle file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return bytes.empty() ||
         (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                      &written, nullptr) &&
          written == bytes.size());
}

bool ReadFileBytes(const std::wstring& path, std::string* bytes) {
  ime_shared::base::ScopedFileHandle file(
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bytes->clear();
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read) {
    bytes->append(buffer, read);
  }
  return true;
}

}  // namespace ime_testing
