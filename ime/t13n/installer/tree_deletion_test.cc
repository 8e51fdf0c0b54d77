#include "ime/t13n/installer/tree_deletion.h"

#include <windows.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_t13n {
namespace {

using ime_testing::RegistryPlace;
using ime_testing::ScratchRegistryKey;
using ime_testing::TempDir;
using ime_testing::WriteFileBytes;

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether the entry itself (not what a link names) is there.
bool EntryExists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  ::FindClose(find);
  return true;
}

void MakeFolder(const std::wstring& path) {
  ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << ::GetLastError();
}

void MakeFile(const std::wstring& path) {
  ASSERT_TRUE(WriteFileBytes(path, "content")) << ::GetLastError();
}

// Runs a Unix program under Wine (Wine starts a native binary given by its
// path on the Z: drive) and waits for its process handle.
void RunUnix(const std::wstring& program, const std::wstring& arguments) {
  std::wstring command_line = program + L" " + arguments;
  std::wstring path = L"Z:" + program;
  for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(::CreateProcessW(path.c_str(), &command_line[0], nullptr,
                               nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process))
      << ::GetLastError();
  ::WaitForSingleObject(process.hProcess, 30000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

std::wstring UnixPath(const std::wstring& path) {
  using UnixFileName = char*(CDECL*)(const wchar_t*);
  auto to_unix = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"),
                       "wine_get_unix_file_name")));
  if (to_unix == nullptr) return std::wstring();
  char* unix_path = to_unix(path.c_str());
  if (unix_path == nullptr) return std::wstring();
  std::wstring result(unix_path, unix_path + strlen(unix_path));
  ::HeapFree(::GetProcessHeap(), 0, unix_path);
  return result;
}

// A symbolic link at |link| to |target|. Under Wine a Unix symbolic link,
// which Wine marks as a reparse point; on Windows a symbolic link, which
// needs the right to make one. Removed, as a link, at the end of the test.
class Link {
 public:
  Link(const std::wstring& target, const std::wstring& link, bool folder)
      : link_(link) {
    if (ime_testing::RunningUnderWine()) {
      unix_link_ = UnixPath(link);
      RunUnix(L"/bin/ln", L"-s \"" + UnixPath(target) + L"\" \"" +
                              unix_link_ + L"\"");
      // Wine may report a Unix program ended before it did its work.
      for (int i = 0; i < 200 && !EntryExists(link); ++i) ::Sleep(50);
    } else {
      ::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                            (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                                0x2 /* unprivileged create */);
    }
  }
  ~Link() {
    if (!EntryExists(link_)) return;
    if (!unix_link_.empty()) {
      RunUnix(L"/bin/rm", L"-f \"" + unix_link_ + L"\"");
    } else {
      if (!::RemoveDirectoryW(link_.c_str())) ::DeleteFileW(link_.c_str());
    }
  }
  bool made() const {
    const DWORD attributes = ::GetFileAttributesW(link_.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }

 private:
  std::wstring link_;
  std::wstring unix_link_;
};

// The entries of PendingFileRenameOperations: pairs of source and target,
// an empty target meaning deletion.
std::vector<std::wstring> PendingOperations() {
  std::vector<std::wstring> entries;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return entries;
  }
  DWORD bytes = 0;
  DWORD type = 0;
  if (::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type,
                         nullptr, &bytes) == ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 2, L'\0');
    if (::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr,
                           &type, reinterpret_cast<BYTE*>(data.data()),
                           &bytes) == ERROR_SUCCESS) {
      const size_t units = bytes / sizeof(wchar_t);
      size_t start = 0;
      for (size_t i = 0; i < units; ++i) {
        if (data[i] == L'\0') {
          entries.emplace_back(data.data() + start, i - start);
          start = i + 1;
        }
      }
    }
  }
  ::RegCloseKey(key);
  return entries;
}

bool IsPendingDeletion(const std::wstring& path) {
  const std::vector<std::wstring> entries = PendingOperations();
  for (size_t i = 0; i + 1 < entries.size(); i += 2) {
    if (_wcsicmp(entries[i].c_str(), (L"\\??\\" + path).c_str()) == 0 &&
        entries[i + 1].empty()) {
      return true;
    }
  }
  return false;
}

TEST(DeleteDirectoryTreeTest, DeletesANestedTreeAndCountsAMissingOneAsDeleted) {
  TempDir temp;
  const std::wstring root = temp.path() + L"tree";
  MakeFolder(root);
  MakeFile(root + L"\\top.txt");
  MakeFolder(root + L"\\a");
  MakeFile(root + L"\\a\\one.txt");
  MakeFolder(root + L"\\a\\b");
  MakeFolder(root + L"\\a\\b\\c");
  MakeFile(root + L"\\a\\b\\c\\deep.bin");
  MakeFolder(root + L"\\empty");
  MakeFile(temp.path() + L"sibling.txt");

  EXPECT_TRUE(DeleteDirectoryTree(root));
  EXPECT_FALSE(Exists(root));
  EXPECT_TRUE(Exists(temp.path() + L"sibling.txt"));

  // Missing now: nothing to do counts as done.
  EXPECT_TRUE(DeleteDirectoryTree(root));
  EXPECT_TRUE(DeleteDirectoryTree(temp.path() + L"never\\was"));
  // A trailing backslash names the same folder.
  MakeFolder(root);
  MakeFile(root + L"\\x.txt");
  EXPECT_TRUE(DeleteDirectoryTree(root + L"\\"));
  EXPECT_FALSE(Exists(root));
}

TEST(DeleteDirectoryTreeTest, AHeldOpenFileIsLeftForTheNextRestart) {
  TempDir temp;
  const std::wstring root = temp.path() + L"tree";
  const std::wstring held = root + L"\\sub\\held.dll";
  MakeFolder(root);
  MakeFolder(root + L"\\sub");
  MakeFile(held);
  MakeFile(root + L"\\sub\\free.txt");
  MakeFile(root + L"\\other.txt");
  HANDLE file = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);

  EXPECT_FALSE(DeleteDirectoryTree(root));
  ::CloseHandle(file);
  EXPECT_TRUE(Exists(held));
  EXPECT_TRUE(IsPendingDeletion(held));
  // The folders that held it wait for the restart too; the rest went.
  EXPECT_TRUE(IsPendingDeletion(root + L"\\sub"));
  EXPECT_TRUE(IsPendingDeletion(root));
  EXPECT_FALSE(Exists(root + L"\\sub\\free.txt"));
  EXPECT_FALSE(Exists(root + L"\\other.txt"));
}

TEST(DeleteDirectoryTreeTest, EmptyOrRelativeFoldersAreRefused) {
  TempDir temp;
  MakeFile(temp.path() + L"keep.txt");
  MakeFolder(temp.path() + L"sub");
  MakeFile(temp.path() + L"sub\\keep.txt");
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(temp.path().c_str()));

  // Each would name the working folder or something in it.
  const std::wstring drive_relative = temp.path().substr(0, 2) + L"sub";
  for (const std::wstring& folder :
       {std::wstring(), std::wstring(L"sub"), std::wstring(L".\\sub"),
        drive_relative}) {
    EXPECT_FALSE(DeleteDirectoryTree(folder)) << std::string(folder.begin(), folder.end());
  }
  ::SetCurrentDirectoryW(previous);
  EXPECT_TRUE(Exists(temp.path() + L"keep.txt"));
  EXPECT_TRUE(Exists(temp.path() + L"sub\\keep.txt"));

  EXPECT_FALSE(IsAbsoluteFolder(L""));
  EXPECT_FALSE(IsAbsoluteFolder(L"C:"));
  EXPECT_FALSE(IsAbsoluteFolder(L"C:relative"));
  EXPECT_FALSE(IsAbsoluteFolder(L"\\rooted"));
  EXPECT_FALSE(IsAbsoluteFolder(L"\\"));
  EXPECT_FALSE(IsAbsoluteFolder(L"."));
  EXPECT_TRUE(IsAbsoluteFolder(L"C:\\"));
  EXPECT_TRUE(IsAbsoluteFolder(L"C:\\Program Files\\Tarvel"));
  EXPECT_TRUE(IsAbsoluteFolder(L"\\\\server\\share"));
}

TEST(DeleteDirectoryTreeTest, LinksAreNeverEntered) {
  TempDir temp;
  TempDir outside;
  MakeFolder(outside.path() + L"target");
  MakeFile(outside.path() + L"target\\precious.txt");
  const std::wstring root = temp.path() + L"tree";
  MakeFolder(root);
  MakeFile(root + L"\\mine.txt");
  Link folder_link(outside.path() + L"target", root + L"\\folder-link", true);
  if (!folder_link.made()) {
    ASSERT_FALSE(ime_testing::RunningUnderWine()) << "ln -s made no link";
    GTEST_SKIP() << "no right to make a link";
  }

  const bool all_gone = DeleteDirectoryTree(root);
  EXPECT_TRUE(Exists(outside.path() + L"target\\precious.txt"));
  EXPECT_FALSE(Exists(root + L"\\mine.txt"));
  // The link goes where the system can remove the link itself (not under
  // Wine, which would remove what it names), and then so does the tree.
  EXPECT_EQ(all_gone, !EntryExists(root + L"\\folder-link"));
  EXPECT_EQ(all_gone, !Exists(root));
}

TEST(DeleteDirectoryTreeTest, AFolderThatIsItselfALinkIsNotEntered) {
  TempDir temp;
  TempDir outside;
  MakeFolder(outside.path() + L"target");
  MakeFile(outside.path() + L"target\\precious.txt");
  MakeFolder(outside.path() + L"empty-target");
  Link link(outside.path() + L"target", temp.path() + L"product", true);
  Link empty_link(outside.path() + L"empty-target", temp.path() + L"empty",
                  true);
  if (!link.made() || !empty_link.made()) {
    ASSERT_FALSE(ime_testing::RunningUnderWine()) << "ln -s made no link";
    GTEST_SKIP() << "no right to make a link";
  }

  const bool all_gone = DeleteDirectoryTree(temp.path() + L"product");
  EXPECT_TRUE(Exists(outside.path() + L"target\\precious.txt"));
  EXPECT_EQ(all_gone, !EntryExists(temp.path() + L"product"));
  // Not even an empty folder is removed through a link.
  DeleteDirectoryTree(temp.path() + L"empty");
  EXPECT_TRUE(Exists(outside.path() + L"empty-target"));
}

class DeleteRegistryTreeTest : public ::testing::Test {
 protected:
  ScratchRegistryKey scratch_{HKEY_CURRENT_USER, L"DeleteRegistryTree"};

  RegistryPlace At(const std::wstring& below) const {
    return RegistryPlace(HKEY_CURRENT_USER, scratch_.path() + below);
  }
};

TEST_F(DeleteRegistryTreeTest, DeletesAKeyWithAllItsSubkeysAtAnyDepth) {
  ASSERT_EQ(At(L"\\tree").SetDword(L"top", 1), ERROR_SUCCESS);
  ASSERT_EQ(At(L"\\tree\\a").SetString(L"v", L"x"), ERROR_SUCCESS);
  ASSERT_EQ(At(L"\\tree\\a\\b\\c\\d").SetDword(L"deep", 4), ERROR_SUCCESS);
  ASSERT_EQ(At(L"\\tree\\e").SetDword(L"", 5), ERROR_SUCCESS);
  ASSERT_EQ(At(L"\\tree-sibling").SetDword(L"keep", 1), ERROR_SUCCESS);
  ASSERT_EQ(At(L"\\treetop").SetDword(L"keep", 1), ERROR_SUCCESS);

  DeleteRegistryTree(HKEY_CURRENT_USER, scratch_.path() + L"\\tree", 0);
  EXPECT_FALSE(At(L"\\tree").Exists());
  EXPECT_TRUE(At(L"\\tree-sibling").Exists());
  EXPECT_TRUE(At(L"\\treetop").Exists());
  EXPECT_TRUE(scratch_.Exists());

  // Gone already: nothing happens.
  DeleteRegistryTree(HKEY_CURRENT_USER, scratch_.path() + L"\\tree", 0);
  EXPECT_TRUE(At(L"\\tree-sibling").Exists());
}

TEST_F(DeleteRegistryTreeTest, PathsThatNameNoKeyBelowAParentDeleteNothing) {
  ASSERT_EQ(At(L"\\parent\\child").SetDword(L"keep", 1), ERROR_SUCCESS);

  // An empty last component would stand for the parent itself.
  DeleteRegistryTree(HKEY_CURRENT_USER, scratch_.path() + L"\\parent\\", 0);
  EXPECT_TRUE(At(L"\\parent\\child").Exists());

  // A missing parent: nothing happens, nothing is created.
  DeleteRegistryTree(HKEY_CURRENT_USER,
                     scratch_.path() + L"\\missing\\child", 0);
  EXPECT_FALSE(At(L"\\missing").Exists());
  EXPECT_TRUE(At(L"\\parent\\child").Exists());

  // No "\": a key directly below the root is never deleted.
  const std::wstring top = ime_testing::UniqueName(L"KelvaneTopLevel");
  RegistryPlace top_key(HKEY_CURRENT_USER, top);
  ASSERT_EQ(top_key.SetDword(L"keep", 1), ERROR_SUCCESS);
  DeleteRegistryTree(HKEY_CURRENT_USER, top, 0);
  EXPECT_TRUE(top_key.Exists());
  ::RegDeleteKeyW(HKEY_CURRENT_USER, top.c_str());
}

TEST(DeleteRegistryTreeViewTest, OnlyTheGivenViewLosesTheKey) {
  ScratchRegistryKey in_32{HKEY_LOCAL_MACHINE, L"DeleteRegistryTreeView",
                           KEY_WOW64_32KEY};
  RegistryPlace in_64(HKEY_LOCAL_MACHINE, in_32.path(), KEY_WOW64_64KEY);
  ASSERT_EQ(RegistryPlace(HKEY_LOCAL_MACHINE, in_32.path() + L"\\sub",
                          KEY_WOW64_32KEY)
                .SetDword(L"v", 32),
            ERROR_SUCCESS);
  ASSERT_EQ(RegistryPlace(HKEY_LOCAL_MACHINE, in_32.path() + L"\\sub",
                          KEY_WOW64_64KEY)
                .SetDword(L"v", 64),
            ERROR_SUCCESS);

  DeleteRegistryTree(HKEY_LOCAL_MACHINE, in_32.path(), KEY_WOW64_32KEY);
  EXPECT_FALSE(in_32.Exists());
  EXPECT_EQ(RegistryPlace(HKEY_LOCAL_MACHINE, in_32.path() + L"\\sub",
                          KEY_WOW64_64KEY)
                .GetDword(L"v"),
            64u);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, in_32.path(), KEY_WOW64_64KEY);
  EXPECT_FALSE(in_64.Exists());
}

}  // namespace
}  // namespace ime_t13n
