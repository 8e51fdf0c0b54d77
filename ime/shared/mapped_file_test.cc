#include "ime/shared/mapped_file.h"

#include <cstdio>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_shared {
namespace {

using ime_testing::TempDir;
using ime_testing::UniqueName;

class MappedFileTest : public ::testing::Test {
 protected:
  std::wstring Write(const wchar_t* name, const std::string& bytes) {
    const std::wstring path = dir_.path() + name;
    EXPECT_TRUE(ime_testing::WriteFileBytes(path, bytes));
    return path;
  }

  TempDir dir_;
};

TEST_F(MappedFileTest, MissingFileIsReportedAsNoFile) {
  MappedFile file;
  EXPECT_EQ(file.Open((dir_.path() + L"absent").c_str(), nullptr, 1, 0),
            MappedFile::kNoFile);
  EXPECT_EQ(file.view(), nullptr);
  EXPECT_EQ(file.size(), 0);
}

TEST_F(MappedFileTest, MapsTheBytesOfAFile) {
  const std::wstring path = Write(L"plain", "hello, mapping");
  MappedFile file;
  ASSERT_EQ(file.Open(path.c_str(), nullptr, 1, 0), MappedFile::kCreated);
  ASSERT_EQ(file.size(), 14);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.view()), 14),
            "hello, mapping");
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(file.view(), nullptr);
  EXPECT_EQ(file.size(), 0);
  EXPECT_TRUE(file.Close());
  // Closed means closed: the file can be deleted now.
  EXPECT_TRUE(::DeleteFileW(path.c_str()));
}

TEST_F(MappedFileTest, MinimumSizeIsInclusive) {
  const std::wstring shorter = Write(L"short", std::string(3999999, 'x'));
  const std::wstring exact = Write(L"exact", std::string(4000000, 'y'));
  MappedFile file;
  EXPECT_EQ(file.Open(shorter.c_str(), nullptr, 1, 4000000), MappedFile::kFailed);
  EXPECT_EQ(file.size(), 0);
  EXPECT_EQ(file.view(), nullptr);
  ASSERT_EQ(file.Open(exact.c_str(), nullptr, 1, 4000000), MappedFile::kCreated);
  EXPECT_EQ(file.size(), 4000000);
  EXPECT_EQ(file.view()[3999999], 'y');
}

TEST_F(MappedFileTest, EmptyFileCannotBeMapped) {
  const std::wstring path = Write(L"empty", "");
  MappedFile file;
  EXPECT_EQ(file.Open(path.c_str(), nullptr, 1, 0), MappedFile::kFailed);
  EXPECT_EQ(file.size(), 0);
}

TEST_F(MappedFileTest, FilesOfTwoGigabytesOrMoreAreRefused) {
  // The size is kept as a signed 32-bit value: larger files would be seen
  // with a negative or wrapped size, so they are not mapped at all.
  const std::wstring path = dir_.path() + L"huge";
  {
    ime_shared::base::ScopedFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER end;
    end.QuadPart = 0x80000000LL;  // sparse on the host file system
    ASSERT_TRUE(::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.Get()));
  }
  MappedFile file;
  EXPECT_EQ(file.Open(path.c_str(), nullptr, 1, 0), MappedFile::kFailed);
  EXPECT_EQ(file.size(), 0);
  EXPECT_EQ(file.view(), nullptr);
}

TEST_F(MappedFileTest, NameWithBackslashFallsBackToUnnamedMapping) {
  const std::wstring path = Write(L"list", "abc");
  const std::wstring name = path + L".map";
  MappedFile first;
  ASSERT_EQ(first.Open(path.c_str(), name.c_str(), 1, 0), MappedFile::kCreated);
  MappedFile second;
  ASSERT_EQ(second.Open(path.c_str(), name.c_str(), 1, 0), MappedFile::kCreated);
  EXPECT_EQ(second.view()[2], 'c');
}

TEST_F(MappedFileTest, SameNameInOneProcessSharesTheMapping) {
  const std::wstring path = Write(L"shared", "shared bytes");
  const std::wstring name = UniqueName(L"KelvaneMapTest");
  MappedFile first;
  ASSERT_EQ(first.Open(path.c_str(), name.c_str(), 1, 0), MappedFile::kCreated);
  MappedFile second;
  ASSERT_EQ(second.Open(path.c_str(), name.c_str(), 1, 0),
            MappedFile::kOpenedExisting);
  EXPECT_EQ(second.size(), 12);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(second.view()), 12),
            "shared bytes");
}

TEST_F(MappedFileTest, SecondProcessOpensTheExistingNamedMapping) {
  const std::wstring path = Write(L"cross", "\x01\x02\xFE");
  const std::wstring name = UniqueName(L"KelvaneMapTest");
  MappedFile first;
  ASSERT_EQ(first.Open(path.c_str(), name.c_str(), 1, 0), MappedFile::kCreated);
  std::string output;
  ASSERT_EQ(ime_testing::RunChild(L"mapped_file_test_child",
                                  L"\"" + path + L"\" " + name + L" 0", &output),
            0);
  EXPECT_EQ(output.substr(0, output.find_first_of("\r\n")), "183 0102fe");

  // Once the first process closes it, the next opener creates it anew.
  first.Close();
  ASSERT_EQ(ime_testing::RunChild(L"mapped_file_test_child",
                                  L"\"" + path + L"\" " + name + L" 0", &output),
            0);
  EXPECT_EQ(output.substr(0, output.find_first_of("\r\n")), "0 0102fe");
}

TEST_F(MappedFileTest, ReopeningReplacesThePreviousFile) {
  const std::wstring a = Write(L"a", "first");
  const std::wstring b = Write(L"b", "second!");
  MappedFile file;
  ASSERT_EQ(file.Open(a.c_str(), nullptr, 1, 0), MappedFile::kCreated);
  ASSERT_EQ(file.Open(b.c_str(), nullptr, 1, 0), MappedFile::kCreated);
  EXPECT_EQ(file.size(), 7);
  EXPECT_TRUE(::DeleteFileW(a.c_str()));
}

}  // namespace
}  // namespace ime_shared
