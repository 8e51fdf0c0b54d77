#include "ime/t13n/macros/macros_file.h"

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_t13n {
namespace {

using ime_testing::ReadFileBytes;
using ime_testing::TempDir;
using ime_testing::UniqueName;
using ime_testing::WriteFileBytes;

const std::wstring kNamaste = L"\x0928\x092E\x0938\x094D\x0924\x0947";
const std::wstring kKya = L"\x0915\x094D\x092F\x093E";

// The entries of a string-list file as the input method reads them; the
// test's own mutex is not needed by a read without contention.
std::vector<std::wstring> StoredEntries(const std::wstring& path) {
  ime_shared::MutexHolder mutex(::CreateMutexW(nullptr, FALSE, nullptr));
  std::vector<std::wstring> entries;
  EXPECT_TRUE(ime_shared::ReadStringList(path, &mutex, 1000, &entries,
                                         ime_shared::kStringListMaxFileSize));
  return entries;
}

bool WriteEntries(const std::wstring& path, const std::vector<std::wstring>& entries) {
  return ime_shared::WriteStringList(path, ime_shared::MakeStringListHeader(), entries);
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Holds a mutex on a thread of its own (the mutex is recursive within one
// thread) until released.
class MutexHolderThread {
 public:
  explicit MutexHolderThread(const std::wstring& name)
      : taken_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this, name] {
      ime_shared::base::ScopedHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
      ::WaitForSingleObject(mutex.Get(), INFINITE);
      ::SetEvent(taken_.Get());
      ::WaitForSingleObject(release_.Get(), 60000);
      ::ReleaseMutex(mutex.Get());
    });
    ::WaitForSingleObject(taken_.Get(), 60000);
  }
  ~MutexHolderThread() {
    ::SetEvent(release_.Get());
    thread_.join();
  }

 private:
  ime_shared::base::ScopedHandle taken_;
  ime_shared::base::ScopedHandle release_;
  std::thread thread_;
};

class MacrosFileTest : public ::testing::Test {
 protected:
  MacrosFileTest()
      : folder_(temp_.path() + L"user data"), mutex_name_(UniqueName(L"MacrosFileTest")) {}

  std::wstring Path() const { return folder_ + L"\\macros.0000"; }
  std::wstring KeptPath() const { return folder_ + L"\\macros.0000.bad"; }

  TempDir temp_;
  std::wstring folder_;
  std::wstring mutex_name_;
};

TEST(MacroEntryTest, SplitsIntoExactlyTwoWordsAtSpaces) {
  struct Case {
    std::wstring entry;
    bool splits;
    std::wstring text;
    std::wstring target;
  };
  const Case cases[] = {
      {L"ty \x0927", true, L"ty", L"\x0927"},
      {L"ty  \x0927", true, L"ty", L"\x0927"},
      {L"  ty   \x0927  ", true, L"ty", L"\x0927"},
      {L"ty", false, L"", L""},
      {L"a b c", false, L"", L""},
      {L"", false, L"", L""},
      {L"   ", false, L"", L""},
      // Only the space separates: a tab stays inside the word.
      {L"a\tb", false, L"", L""},
      {L"a\tb c", true, L"a\tb", L"c"},
  };
  for (const Case& c : cases) {
    MacroRow row{L"unchanged", L"unchanged"};
    EXPECT_EQ(SplitMacroEntry(c.entry, &row), c.splits);
    if (c.splits) {
      EXPECT_EQ(row.text, c.text);
      EXPECT_EQ(row.target, c.target);
    }
  }
}

TEST(MacroEntryTest, RowsTheLoaderStopsAtAreWrittenLastAndNoneIsDropped) {
  EXPECT_TRUE(IsPrintableAscii(L" ~az09"));
  EXPECT_FALSE(IsPrintableAscii(L"a\tb"));
  EXPECT_FALSE(IsPrintableAscii(L"caf\x00E9"));
  EXPECT_FALSE(IsPrintableAscii(L"\x007F"));

  const std::vector<MacroRow> rows = {{L"caf\x00E9", L"x"},
                                      {L"nm", kNamaste},
                                      {L"\x0915", L"y"},
                                      {L"ky", kKya},
                                      {L"a\tb", L"z"}};
  EXPECT_EQ(MacroEntriesToWrite(rows),
            (std::vector<std::wstring>{L"nm " + kNamaste, L"ky " + kKya, L"caf\x00E9 x",
                                       L"\x0915 y", L"a\tb z"}));
  EXPECT_TRUE(MacroEntriesToWrite({}).empty());
}

TEST_F(MacrosFileTest, WrittenMacrosReadBackAndAMissingFileIsNoError) {
  MacrosFile file(folder_, mutex_name_, 1000);
  EXPECT_TRUE(file.has_mutex());
  EXPECT_EQ(file.path(), Path());
  EXPECT_EQ(file.kept_path(), KeptPath());

  // No file yet: nothing to read, nothing to keep; the folder is made.
  std::vector<MacroRow> rows;
  EXPECT_EQ(file.Read(&rows), MacrosFile::ReadResult::kMissing);
  EXPECT_TRUE(rows.empty());
  EXPECT_FALSE(file.keeps_unreadable_file());
  EXPECT_TRUE(Exists(folder_));

  ASSERT_TRUE(file.Write({{L"nm", kNamaste}, {L"ky", kKya}}));
  EXPECT_EQ(StoredEntries(Path()),
            (std::vector<std::wstring>{L"nm " + kNamaste, L"ky " + kKya}));
  EXPECT_FALSE(Exists(KeptPath()));

  MacrosFile again(folder_, mutex_name_, 1000);
  EXPECT_EQ(again.Read(&rows), MacrosFile::ReadResult::kRead);
  EXPECT_EQ(rows, (std::vector<MacroRow>{{L"nm", kNamaste}, {L"ky", kKya}}));
}

TEST_F(MacrosFileTest, ReadSkipsEntriesThatAreNotTwoWords) {
  ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
  ASSERT_TRUE(WriteEntries(Path(), {L"one", L"ty  \x0927", L"three words here", L"gm \x0938"}));
  MacrosFile file(folder_, mutex_name_, 1000);
  std::vector<MacroRow> rows;
  EXPECT_EQ(file.Read(&rows), MacrosFile::ReadResult::kRead);
  EXPECT_EQ(rows, (std::vector<MacroRow>{{L"ty", L"\x0927"}, {L"gm", L"\x0938"}}));
}

TEST_F(MacrosFileTest, UnreadableFileIsMovedAsideByteForByteBeforeTheFirstWrite) {
  ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
  const std::string damaged = "not a list of strings \x01\x02\x03";
  ASSERT_TRUE(WriteFileBytes(KeptPath(), "an older kept file"));
  ASSERT_TRUE(WriteFileBytes(Path(), damaged));

  MacrosFile file(folder_, mutex_name_, 1000);
  std::vector<MacroRow> rows;
  EXPECT_EQ(file.Read(&rows), MacrosFile::ReadResult::kUnreadable);
  EXPECT_TRUE(rows.empty());
  EXPECT_TRUE(file.keeps_unreadable_file());

  ASSERT_TRUE(file.Write({{L"nm", kNamaste}}));
  std::string kept;
  ASSERT_TRUE(ReadFileBytes(KeptPath(), &kept));
  EXPECT_EQ(kept, damaged);
  EXPECT_EQ(StoredEntries(Path()), (std::vector<std::wstring>{L"nm " + kNamaste}));
  EXPECT_FALSE(file.keeps_unreadable_file());

  // Only the unreadable file is kept: the next write replaces the new one.
  ASSERT_TRUE(file.Write({{L"ky", kKya}}));
  ASSERT_TRUE(ReadFileBytes(KeptPath(), &kept));
  EXPECT_EQ(kept, damaged);
  EXPECT_EQ(StoredEntries(Path()), (std::vector<std::wstring>{L"ky " + kKya}));
}

TEST_F(MacrosFileTest, FilesAboveTheLimitAndFilesReadWithoutTheMutexAreUnreadable) {
  ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
  {
    // A valid list padded past 1,000,000 bytes.
    ASSERT_TRUE(WriteEntries(Path(), {L"ty \x0927"}));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(Path(), &bytes));
    bytes.resize(1000001, '\0');
    ASSERT_TRUE(WriteFileBytes(Path(), bytes));
    MacrosFile file(folder_, mutex_name_, 1000);
    std::vector<MacroRow> rows;
    EXPECT_EQ(file.Read(&rows), MacrosFile::ReadResult::kUnreadable);
    EXPECT_TRUE(rows.empty());
  }
  {
    ASSERT_TRUE(WriteEntries(Path(), {L"ty \x0927"}));
    MacrosFile file(folder_, mutex_name_, 100);
    std::vector<MacroRow> rows;
    {
      MutexHolderThread other(mutex_name_);
      EXPECT_EQ(file.Read(&rows), MacrosFile::ReadResult::kUnreadable);
      // The write waits for the same mutex and gives up.
      EXPECT_FALSE(file.Write({{L"nm", kNamaste}}));
      EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    }
    EXPECT_EQ(StoredEntries(Path()), (std::vector<std::wstring>{L"ty \x0927"}));
    // Once the mutex is free the file, fine after all, is kept aside.
    ASSERT_TRUE(file.Write({{L"nm", kNamaste}}));
    EXPECT_EQ(StoredEntries(KeptPath()), (std::vector<std::wstring>{L"ty \x0927"}));
  }
  {
    // Without the mutex and without a file there is nothing to keep.
    ::DeleteFileW(Path().c_str());
    ::DeleteFileW(KeptPath().c_str());
    MacrosFile file(folder_, mutex_name_, 100);
    MutexHolderThread other(mutex_name_);
    std::vector<MacroRow> rows;
    EXPECT_EQ(file.Read(&rows), MacrosFile::ReadResult::kMissing);
    EXPECT_FALSE(file.keeps_unreadable_file());
  }
}

TEST_F(MacrosFileTest, FailedWritesChangeNothingAndSaySo) {
  ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
  ASSERT_TRUE(WriteEntries(Path(), {L"ty \x0927"}));
  {
    // A read-only file is not replaced.
    ASSERT_TRUE(::SetFileAttributesW(Path().c_str(), FILE_ATTRIBUTE_READONLY));
    MacrosFile file(folder_, mutex_name_, 1000);
    EXPECT_FALSE(file.Write({{L"nm", kNamaste}}));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(::SetFileAttributesW(Path().c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(StoredEntries(Path()), (std::vector<std::wstring>{L"ty \x0927"}));
  }
  {
    // An unreadable file that cannot be moved aside (a folder is in the
    // way) is not overwritten.
    const std::string damaged = "damaged";
    ASSERT_TRUE(WriteFileBytes(Path(), damaged));
    ASSERT_TRUE(::CreateDirectoryW(KeptPath().c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(KeptPath() + L"\\inside", "x"));
    MacrosFile file(folder_, mutex_name_, 1000);
    std::vector<MacroRow> rows;
    EXPECT_EQ(file.Read(&rows), MacrosFile::ReadResult::kUnreadable);
    EXPECT_FALSE(file.Write({{L"nm", kNamaste}}));
    EXPECT_NE(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(Path(), &bytes));
    EXPECT_EQ(bytes, damaged);
    EXPECT_TRUE(file.keeps_unreadable_file());
  }
  {
    // No mutex at all: nothing is written.
    MacrosFile file(folder_, L"NoSuchNamespace\\" + mutex_name_, 1000);
    EXPECT_FALSE(file.has_mutex());
    EXPECT_FALSE(file.Write({{L"nm", kNamaste}}));
  }
  {
    // No folder known: nothing is read or written.
    MacrosFile file(L"", mutex_name_, 1000);
    EXPECT_EQ(file.path(), L"");
    std::vector<MacroRow> rows;
    EXPECT_EQ(file.Read(&rows), MacrosFile::ReadResult::kMissing);
    EXPECT_FALSE(file.Write({{L"nm", kNamaste}}));
  }
}

}  // namespace
}  // namespace ime_t13n
