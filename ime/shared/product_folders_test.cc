#include "ime/shared/product_folders.h"

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "gtest/gtest.h"
#include "ime/shared/testing/child_process.h"

namespace ime_shared {
namespace {

const wchar_t kProduct[] = L"\\Tarvel\\Tarvel Hindi Input";

// The shell's answer; empty when it reports a failure (Wine 8 does so for
// the 32-bit system folder of a fresh prefix, though it fills the path).
std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) {
    return L"";
  }
  return path;
}

std::wstring LocalAppDataLow() {
  PWSTR path = nullptr;
  EXPECT_EQ(::SHGetKnownFolderPath(FOLDERID_LocalAppDataLow, 0, nullptr, &path), S_OK);
  std::wstring result = path ? path : L"";
  ::CoTaskMemFree(path);
  return result;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(ProductFoldersTest, PathJoin) {
  EXPECT_EQ(PathJoin(L"C:\\Kelvane", L"Dorimond.exe"), L"C:\\Kelvane\\Dorimond.exe");
  EXPECT_EQ(PathJoin(L"C:\\Kelvane\\", L"Schemes"), L"C:\\Kelvane\\Schemes");
  EXPECT_EQ(PathJoin(L"", L"Dorimond.exe"), L"Dorimond.exe");
  // More than MAX_PATH characters cannot be combined.
  EXPECT_EQ(PathJoin(L"C:\\" + std::wstring(200, L'a'), std::wstring(100, L'b')), L"");
}

TEST(ProductFoldersTest, FoldersByKind) {
  ASSERT_NE(ShellFolder(CSIDL_PROGRAM_FILES), L"");
  EXPECT_EQ(GetProductDirectory(kSystemDirectory), ShellFolder(CSIDL_SYSTEM));
  EXPECT_EQ(GetProductDirectory(kProgramDirectory),
            ShellFolder(CSIDL_PROGRAM_FILES) + kProduct);
  EXPECT_EQ(GetProductDirectory(kCommonDataDirectory),
            ShellFolder(CSIDL_COMMON_APPDATA) + kProduct);
  EXPECT_EQ(GetProductDirectory(kUserDataDirectory), LocalAppDataLow() + kProduct);
  EXPECT_EQ(GetProductDirectory(kSystemX86Directory), ShellFolder(CSIDL_SYSTEMX86));
  EXPECT_EQ(GetProductDirectory(kVignelDirectory),
            ShellFolder(CSIDL_COMMON_APPDATA) + kProduct + L"\\Vignels");
  EXPECT_EQ(GetProductDirectory(kDefaultVignelDirectory),
            ShellFolder(CSIDL_COMMON_APPDATA) + kProduct + L"\\Vignels\\1001");
  EXPECT_EQ(GetProductDirectory(kSchemeDirectory),
            ShellFolder(CSIDL_PROGRAM_FILES) + kProduct + L"\\Schemes");
  EXPECT_EQ(GetProductDirectory(8), L"");
  EXPECT_EQ(GetProductDirectory(-1), L"");
  // Asking creates nothing.
  EXPECT_FALSE(IsFolder(GetProductDirectory(kDefaultVignelDirectory)));
}

TEST(ProductFoldersTest, UnknownShellFoldersGiveNothing) {
  // Not the appended part alone: that would be relative to whatever folder
  // the host program works in.
  const GUID unknown = {0x1c1f6b39, 0x5d0e, 0x4c4b,
                        {0x9a, 0x44, 0x1d, 0x7e, 0x20, 0x61, 0x3b, 0x58}};
  EXPECT_EQ(GetKnownFolderPath(unknown, L"Tarvel"), L"");
  EXPECT_EQ(GetShellFolderPath(0x7F, L"Tarvel"), L"");
  EXPECT_EQ(GetKnownFolderPath(FOLDERID_LocalAppDataLow, L""), LocalAppDataLow());
}

TEST(ProductFoldersTest, UserDataFilesAndTheCrashFolder) {
  const std::wstring user_folder = LocalAppDataLow() + kProduct;
  EXPECT_EQ(GetUserDataFilePath(L"macros.0000"), user_folder + L"\\macros.0000");

  const bool existed = IsFolder(user_folder + L"\\Crash");
  const std::wstring crash = GetCrashDirectory();
  EXPECT_EQ(crash, user_folder + L"\\Crash");
  EXPECT_TRUE(IsFolder(crash));
  // An existing folder is fine too.
  EXPECT_EQ(GetCrashDirectory(), crash);
  if (!existed) {
    ::RemoveDirectoryW(crash.c_str());
    ::RemoveDirectoryW(user_folder.c_str());
    ::RemoveDirectoryW((LocalAppDataLow() + L"\\Tarvel").c_str());
  }
}

TEST(ProductFoldersTest, CreateFolderTree) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring root =
      std::wstring(temp) + ime_testing::UniqueName(L"KelvaneFolders");
  const std::wstring deep = root + L"\\a\\b\\c";

  EXPECT_TRUE(CreateFolderTree(deep));
  EXPECT_TRUE(IsFolder(deep));
  EXPECT_TRUE(CreateFolderTree(deep));

  // A file where the folder should be is not a folder.
  const std::wstring file = root + L"\\file";
  HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  ::CloseHandle(handle);
  EXPECT_FALSE(CreateFolderTree(file));
  EXPECT_FALSE(CreateFolderTree(file + L"\\below"));

  EXPECT_FALSE(CreateFolderTree(L""));
  EXPECT_FALSE(CreateFolderTree(L"relative\\folder"));

  ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(deep.c_str());
  ::RemoveDirectoryW((root + L"\\a\\b").c_str());
  ::RemoveDirectoryW((root + L"\\a").c_str());
  ::RemoveDirectoryW(root.c_str());
}

}  // namespace
}  // namespace ime_shared
