#include "ime/t13n/installer/tree_deletion.h"

#include <cwctype>
#include <vector>

#include "ime/shared/product_folders.h"

namespace ime_t13n {

namespace {

bool IsReparsePoint(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Deletes a file (a file link is a file: deleting it never touches what it
// names); schedules it for the next restart when it cannot go now. True when
// it is gone.
bool DeleteFileNowOrLater(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return true;
  const DWORD error = ::GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return true;
  }
  ScheduleDeletionAtRestart(path);
  return false;
}

// Removes a folder link (junction or symbolic link) without entering it.
// The link is opened as itself and deleted through its handle, but only when
// the handle shows the link: a system that resolves the link on opening
// (Wine does, for a Unix symbolic link) would delete the folder it names,
// so nothing is deleted then. Never scheduled for a restart, for the same
// reason. True when the link is gone.
bool RemoveFolderLink(const std::wstring& path) {
  HANDLE link = ::CreateFileW(
      path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr);
  if (link == INVALID_HANDLE_VALUE) {
    return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  bool removed = false;
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (::GetFileInformationByHandleEx(link, FileAttributeTagInfo, &tag,
                                     sizeof(tag)) &&
      IsReparsePoint(tag.FileAttributes)) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    removed = ::SetFileInformationByHandle(link, FileDispositionInfo,
                                           &disposition, sizeof(disposition)) != 0;
  }
  ::CloseHandle(link);
  return removed;
}

// Removes a link found in a folder, never what it names.
bool RemoveLink(const std::wstring& path, DWORD attributes) {
  return IsFolder(attributes) ? RemoveFolderLink(path)
                              : DeleteFileNowOrLater(path);
}

// Deletes the subkeys of |key| depth first; |view| goes with every open.
void DeleteSubkeys(HKEY key, REGSAM view) {
  // The names first: deleting while enumerating would shift the indexes.
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256] = {};  // the longest key name the registry allows
    DWORD length = 256;
    const LONG result = ::RegEnumKeyExW(key, i, name, &length, nullptr,
                                        nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  for (const std::wstring& name : names) {
    HKEY child = nullptr;
    if (::RegOpenKeyExW(key, name.c_str(), 0,
                        KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE | view,
                        &child) == ERROR_SUCCESS) {
      DeleteSubkeys(child, view);
      ::RegCloseKey(child);
    }
    ::RegDeleteKeyExW(key, name.c_str(), view, 0);
  }
}

}  // namespace

bool IsAbsoluteFolder(const std::wstring& folder) {
  if (folder.size() >= 3 && std::iswalpha(folder[0]) && folder[1] == L':' &&
      (folder[2] == L'\\' || folder[2] == L'/')) {
    return true;
  }
  return folder.size() > 2 && folder[0] == L'\\' && folder[1] == L'\\';
}

bool ScheduleDeletionAtRestart(const std::wstring& path) {
  return ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool DeleteDirectoryTree(const std::wstring& folder) {
  // An empty folder would make "*" list the working folder.
  if (!IsAbsoluteFolder(folder)) return false;
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && IsReparsePoint(attributes)) {
    return RemoveLink(folder, attributes);
  }

  const std::wstring pattern = ime_shared::PathJoin(folder, L"*");
  WIN32_FIND_DATAW entry = {};
  HANDLE find = pattern.empty() ? INVALID_HANDLE_VALUE
                                : ::FindFirstFileW(pattern.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return true;  // nothing there to delete

  bool all_gone = true;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = ime_shared::PathJoin(folder, name);
    if (path.empty()) {  // too long to name: it stays
      all_gone = false;
      continue;
    }
    if (IsReparsePoint(entry.dwFileAttributes)) {
      all_gone = RemoveLink(path, entry.dwFileAttributes) && all_gone;
    } else if (IsFolder(entry.dwFileAttributes)) {
      all_gone = DeleteDirectoryTree(path) && all_gone;
    } else {
      all_gone = DeleteFileNowOrLater(path) && all_gone;
    }
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);

  if (!::RemoveDirectoryW(folder.c_str())) {
    ScheduleDeletionAtRestart(folder);
    all_gone = false;
  }
  return all_gone;
}

void DeleteRegistryTree(HKEY root, const std::wstring& path, REGSAM view) {
  const size_t separator = path.rfind(L'\\');
  if (separator == std::wstring::npos) return;
  const std::wstring parent_path = path.substr(0, separator);
  const std::wstring name = path.substr(separator + 1);
  // An empty name would stand for the parent itself.
  if (name.empty()) return;

  HKEY parent = nullptr;
  if (::RegOpenKeyExW(root, parent_path.c_str(), 0, KEY_READ | view,
                      &parent) != ERROR_SUCCESS) {
    return;
  }
  HKEY key = nullptr;
  if (::RegOpenKeyExW(parent, name.c_str(), 0,
                      KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE | view,
                      &key) == ERROR_SUCCESS) {
    DeleteSubkeys(key, view);
    ::RegCloseKey(key);
    ::RegDeleteKeyExW(parent, name.c_str(), view, 0);
  }
  ::RegCloseKey(parent);
}

}  // namespace ime_t13n
