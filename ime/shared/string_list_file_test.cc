#include "ime/shared/string_list_file.h"

#include <zlib.h>

#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_shared {
namespace {

using base::ScopedHandle;
using ime_testing::ChildProcess;
using ime_testing::ReadFileBytes;
using ime_testing::TempDir;
using ime_testing::UniqueName;
using ime_testing::WriteFileBytes;
using List = std::vector<std::wstring>;

// Builders of file bytes, written independently of the code under test.
std::string U32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

uint32_t Checksum(const std::string& bytes) {
  return static_cast<uint32_t>(
      adler32(1L, reinterpret_cast<const Bytef*>(bytes.data()),
              static_cast<uInt>(bytes.size())));
}

std::string Header(uint32_t body_offset = 16, uint32_t version = 1,
                   uint32_t format_fields = 1) {
  const std::string rest = U32(body_offset) + U32(format_fields) + U32(version);
  return U32(Checksum(rest)) + rest;
}

std::string Utf16(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()),
                     text.size() * sizeof(wchar_t));
}

std::string Record(const std::wstring& text) {
  return U32(static_cast<uint32_t>(text.size() * 2)) + Utf16(text);
}

std::string Block(const std::string& data) {
  return U32(Checksum(data)) + U32(static_cast<uint32_t>(data.size())) + data;
}

class StringListFileTest : public ::testing::Test {
 protected:
  StringListFileTest()
      : mutex_(MutexHolder::CreateNamed(UniqueName(L"KelvaneListTest").c_str())),
        path_(dir_.path() + L"user_cache.00000") {}

  bool Write(const List& entries) {
    return WriteStringList(path_, MakeStringListHeader(), entries);
  }
  bool Read(List* entries, int32_t max_size = kStringListMaxFileSize) {
    return ReadStringList(path_, mutex_.get(), kStringListMutexTimeoutMs,
                          entries, max_size);
  }
  // True when the bytes, written as the file, read back as |expected|.
  bool Reads(const std::string& bytes, const List& expected) {
    EXPECT_TRUE(WriteFileBytes(path_, bytes));
    List read;
    if (!Read(&read)) return false;
    EXPECT_EQ(read, expected);
    return read == expected;
  }
  bool Rejected(const std::string& bytes) {
    EXPECT_TRUE(WriteFileBytes(path_, bytes));
    List read = {L"kept"};
    const bool ok = Read(&read);
    EXPECT_EQ(read, List{L"kept"}) << "a failed read must not add entries";
    return !ok;
  }
  std::string FileBytes() {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path_, &bytes));
    return bytes;
  }
  bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  TempDir dir_;
  std::unique_ptr<MutexHolder> mutex_;
  std::wstring path_;
};

TEST_F(StringListFileTest, HeaderIsTheDocumentedSixteenBytes) {
  const StringListHeader header = MakeStringListHeader();
  EXPECT_EQ(std::string(header.begin(), header.end()), Header());
  EXPECT_EQ(Header().substr(4), std::string("\x10\0\0\0\x01\0\0\0\x01\0\0\0", 12));
}

TEST_F(StringListFileTest, EmptyListIsTwentyBytes) {
  ASSERT_TRUE(Write({}));
  EXPECT_EQ(FileBytes(), Header() + U32(0));
  List read;
  ASSERT_TRUE(Read(&read));
  EXPECT_TRUE(read.empty());
}

TEST_F(StringListFileTest, EntriesRoundTripInOrderAndAppend) {
  const List entries = {L"namaste \x0928\x092E\x0938\x094D\x0924\x0947", L"",
                        L"a b", std::wstring(250, L'z'), L"~"};
  ASSERT_TRUE(Write(entries));
  EXPECT_EQ(FileBytes(), Header() + U32(5) +
                             Block(Record(entries[0]) + Record(entries[1]) +
                                   Record(entries[2]) + Record(entries[3]) +
                                   Record(entries[4])));
  List read = {L"earlier"};
  ASSERT_TRUE(Read(&read));
  List expected = {L"earlier"};
  expected.insert(expected.end(), entries.begin(), entries.end());
  EXPECT_EQ(read, expected);
  // Replacing a longer file leaves no trace of it and no temporary file.
  ASSERT_TRUE(Write({L"one"}));
  EXPECT_EQ(FileBytes(), Header() + U32(1) + Block(Record(L"one")));
  EXPECT_FALSE(Exists(path_ + L".tmp"));
}

TEST_F(StringListFileTest, TwoThousandEntriesAndNoMore) {
  List entries;
  for (int i = 0; i < 2000; ++i) entries.push_back(L"word" + std::to_wstring(i));
  ASSERT_TRUE(Write(entries));
  List read;
  ASSERT_TRUE(Read(&read));
  EXPECT_EQ(read, entries);

  // A file claiming 2001 entries is rejected whole, whether or not it holds
  // them.
  std::string claims = FileBytes();
  claims.replace(16, 4, U32(2001));
  EXPECT_TRUE(Rejected(claims));
  std::string holds = Header() + U32(2001);
  std::string block;
  for (int i = 0; i < 2001; ++i) {
    const std::string record = Record(L"w" + std::to_wstring(i));
    if (block.size() + record.size() > 4096) {
      holds += Block(block);
      block.clear();
    }
    block += record;
  }
  EXPECT_TRUE(Rejected(holds + Block(block)));

  // The writer does not produce a file its reader would reject.
  ASSERT_TRUE(Write({L"previous"}));
  entries.push_back(L"one too many");
  EXPECT_FALSE(Write(entries));
  List previous;
  ASSERT_TRUE(Read(&previous));
  EXPECT_EQ(previous, List{L"previous"});
}

TEST_F(StringListFileTest, BlocksHoldAtMost4096BytesOfWholeRecords) {
  // 16 records of 4 + 252 bytes fill exactly 4096 bytes: one block.
  List entries;
  for (int i = 0; i < 16; ++i) entries.push_back(std::wstring(126, L'a' + i));
  ASSERT_TRUE(Write(entries));
  std::string one_block = FileBytes();
  ASSERT_EQ(one_block.size(), 20u + 8 + 4096);
  EXPECT_EQ(one_block.substr(24, 4), U32(4096));

  entries.push_back(L"x");
  ASSERT_TRUE(Write(entries));
  std::string two_blocks = FileBytes();
  ASSERT_EQ(two_blocks.size(), 20u + 8 + 4096 + 8 + 6);
  EXPECT_EQ(two_blocks.substr(20 + 8 + 4096), Block(Record(L"x")));
  List read;
  ASSERT_TRUE(Read(&read));
  EXPECT_EQ(read, entries);

  // A block claiming more than 4096 bytes is rejected even when consistent.
  std::string big;
  for (int i = 0; i < 17; ++i) big += Record(std::wstring(120, L'q'));
  ASSERT_GT(big.size(), 4096u);
  EXPECT_TRUE(Rejected(Header() + U32(17) + Block(big)));
}

TEST_F(StringListFileTest, RecordsUpTo500Bytes) {
  const std::wstring longest(250, L'\x0915');
  EXPECT_TRUE(Reads(Header() + U32(1) + Block(Record(longest)), {longest}));
  EXPECT_TRUE(Rejected(Header() + U32(1) + Block(Record(longest + L"x"))));
  // A negative length, or one running past the block, is rejected too.
  EXPECT_TRUE(Rejected(Header() + U32(1) + Block(U32(0xFFFFFFFE) + "ab")));
  EXPECT_TRUE(Rejected(Header() + U32(1) + Block(U32(4) + "ab")));
  EXPECT_TRUE(Rejected(Header() + U32(1) + Block("ab")));
  // An odd byte length gives the whole units and skips the odd byte.
  EXPECT_TRUE(Reads(Header() + U32(2) + Block(U32(3) + std::string("a\0b", 3) + Record(L"c")),
                    {L"a", L"c"}));

  ASSERT_TRUE(Write({L"previous"}));
  EXPECT_FALSE(Write({longest + L"x"}));
  List read;
  ASSERT_TRUE(Read(&read));
  EXPECT_EQ(read, List{L"previous"});
}

TEST_F(StringListFileTest, FileSizeLimitIsInclusive) {
  const std::string valid = Header() + U32(1) + Block(Record(L"padded"));
  // Bytes after the last block are ignored, within the size limit.
  EXPECT_TRUE(Reads(valid + std::string(1000000 - valid.size(), '\0'), {L"padded"}));
  EXPECT_TRUE(Rejected(valid + std::string(1000001 - valid.size(), '\0')));
  ASSERT_TRUE(WriteFileBytes(path_, valid));
  List read;
  EXPECT_FALSE(Read(&read, static_cast<int32_t>(valid.size()) - 1));
  EXPECT_TRUE(Read(&read, static_cast<int32_t>(valid.size())));
  // Shorter than a header, and the empty file.
  EXPECT_TRUE(Rejected(Header().substr(0, 15)));
  EXPECT_TRUE(Rejected(""));
}

TEST_F(StringListFileTest, WriterRefusesFilesAboveTheSizeLimit) {
  // 2000 records of 504 bytes would need more than 1,000,000 bytes.
  List entries(2000, std::wstring(250, L'm'));
  ASSERT_TRUE(Write({L"previous"}));
  EXPECT_FALSE(Write(entries));
  entries.resize(1900);
  ASSERT_TRUE(Write(entries));
  List read;
  ASSERT_TRUE(Read(&read));
  EXPECT_EQ(read.size(), 1900u);
}

TEST_F(StringListFileTest, VersionsUpToFourAndAnyFormatFields) {
  const std::string body = U32(1) + Block(Record(L"v"));
  EXPECT_TRUE(Reads(Header(16, 4) + body, {L"v"}));
  EXPECT_TRUE(Rejected(Header(16, 5) + body));
  EXPECT_TRUE(Rejected(Header(16, 0xFFFFFFFF) + body));
  EXPECT_TRUE(Reads(Header(16, 1, 0xABCDFFFF) + body, {L"v"}));
}

TEST_F(StringListFileTest, BodyOffsetIsHonoured) {
  const std::string body = U32(1) + Block(Record(L"gap"));
  EXPECT_TRUE(Reads(Header(24) + "8 bytes!" + body, {L"gap"}));
  // The body must start inside the file with its count.
  const std::string short_file = Header(16) + U32(0);
  EXPECT_TRUE(Rejected(Header(20) + U32(0)));
  EXPECT_TRUE(Rejected(Header(17) + U32(0)));
  EXPECT_TRUE(Reads(short_file, {}));
  // A count of 0 or less is an empty list, whatever follows.
  EXPECT_TRUE(Reads(Header() + U32(0xFFFFFFFF) + "junk", {}));
}

TEST_F(StringListFileTest, AnyChangedByteInHeaderOrBlocksIsRejected) {
  // Two small blocks: every byte but the unguarded count, three ways.
  const std::string small = Header() + U32(4) +
                            Block(Record(L"first \x0905") + Record(L"")) +
                            Block(Record(L"third") + Record(L"fourth"));
  ASSERT_TRUE(Reads(small, {L"first \x0905", L"", L"third", L"fourth"}));
  for (size_t i = 0; i < small.size(); ++i) {
    if (i >= 16 && i < 20) continue;
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      std::string changed = small;
      changed[i] = static_cast<char>(changed[i] ^ flip);
      ASSERT_TRUE(Rejected(changed)) << "byte " << i << " xor " << int{flip};
    }
  }
  // A written file of two full-size blocks: the block headers and a spread
  // of data bytes through both blocks.
  List entries;
  for (int i = 0; i < 9; ++i) entries.push_back(std::wstring(250, L'0' + i));
  ASSERT_TRUE(Write(entries));
  const std::string valid = FileBytes();
  ASSERT_EQ(valid.size(), 20u + 8 + 8 * 504 + 8 + 504);
  const size_t second = 20 + 8 + 8 * 504;
  for (size_t i = 20; i < valid.size(); i += (i < 28 || (i >= second && i < second + 8)) ? 1 : 61) {
    std::string changed = valid;
    changed[i] = static_cast<char>(changed[i] ^ 0x10);
    ASSERT_TRUE(Rejected(changed)) << "byte " << i;
  }
  // Truncated anywhere, the file is rejected.
  for (size_t length = 0; length < small.size(); ++length) {
    EXPECT_TRUE(Rejected(small.substr(0, length))) << length;
  }
  EXPECT_TRUE(Rejected(valid.substr(0, valid.size() - 1)));
}

TEST_F(StringListFileTest, ReadFailsWithoutFileOrMutex) {
  List read;
  EXPECT_FALSE(Read(&read));  // no file yet
  ASSERT_TRUE(Write({L"x"}));
  MutexHolder no_mutex(nullptr);
  EXPECT_FALSE(ReadStringList(path_, &no_mutex, 0, &read, kStringListMaxFileSize));
  EXPECT_FALSE(ReadStringList(path_, nullptr, 0, &read, kStringListMaxFileSize));
  EXPECT_TRUE(read.empty());
  EXPECT_FALSE(ReadStringList(path_, mutex_.get(), 0, nullptr, kStringListMaxFileSize));
}

// Callers tell a file that is merely missing (or out of reach) from one
// that is there and bad, which is worth keeping for recovery.
TEST_F(StringListFileTest, ReadTellsAMissingFileFromABadOne) {
  using R = StringListReadResult;
  auto result = [&](int32_t max_size = kStringListMaxFileSize) {
    List read = {L"kept"};
    const R answer = ReadStringListWithResult(path_, mutex_.get(), 1000, &read,
                                              max_size);
    List bool_read;
    EXPECT_EQ(ReadStringList(path_, mutex_.get(), 1000, &bool_read, max_size),
              answer == R::kRead);
    if (answer != R::kRead) {
      EXPECT_EQ(read, List{L"kept"});
    }
    return answer;
  };

  EXPECT_EQ(result(), R::kNoFile);
  const std::wstring saved_path = path_;
  path_ = dir_.path() + L"absent\\user_cache.00000";
  EXPECT_EQ(result(), R::kNoFile);
  path_ = saved_path;

  ASSERT_TRUE(Write({L"fine"}));
  EXPECT_EQ(result(), R::kRead);
  const std::string valid = FileBytes();
  EXPECT_EQ(result(static_cast<int32_t>(valid.size()) - 1), R::kTooLarge);
  ASSERT_TRUE(WriteFileBytes(path_, valid + std::string(1000001, '\0')));
  EXPECT_EQ(result(), R::kTooLarge);

  // Damaged: a flipped bit, cut short, empty.
  std::string flipped = valid;
  flipped[flipped.size() - 1] ^= 0x01;
  ASSERT_TRUE(WriteFileBytes(path_, flipped));
  EXPECT_EQ(result(), R::kMalformed);
  ASSERT_TRUE(WriteFileBytes(path_, valid.substr(0, 10)));
  EXPECT_EQ(result(), R::kMalformed);
  ASSERT_TRUE(WriteFileBytes(path_, ""));
  EXPECT_EQ(result(), R::kMalformed);

  // There but out of reach: held without sharing, or a folder.
  ASSERT_TRUE(Write({L"fine"}));
  {
    base::ScopedFileHandle holder(::CreateFileW(
        path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(result(), R::kCannotOpen);
  }
  ASSERT_TRUE(::DeleteFileW(path_.c_str()));
  ASSERT_TRUE(::CreateDirectoryW(path_.c_str(), nullptr));
  EXPECT_EQ(result(), R::kCannotOpen);
  ASSERT_TRUE(::RemoveDirectoryW(path_.c_str()));

  // No mutex: none at all, or one another thread holds past the wait.
  ASSERT_TRUE(Write({L"fine"}));
  MutexHolder no_mutex(nullptr);
  List read;
  EXPECT_EQ(ReadStringListWithResult(path_, &no_mutex, 0, &read,
                                     kStringListMaxFileSize),
            R::kNoMutex);
  ScopedHandle taken(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread holder([&] {
    ::WaitForSingleObject(mutex_->handle(), INFINITE);
    ::SetEvent(taken.Get());
    ::WaitForSingleObject(done.Get(), 30000);
    ::ReleaseMutex(mutex_->handle());
  });
  ASSERT_EQ(::WaitForSingleObject(taken.Get(), 30000), WAIT_OBJECT_0);
  EXPECT_EQ(ReadStringListWithResult(path_, mutex_.get(), 0, &read,
                                     kStringListMaxFileSize),
            R::kNoMutex);
  ::SetEvent(done.Get());
  holder.join();
  EXPECT_TRUE(read.empty());
  EXPECT_EQ(result(), R::kRead);
}

TEST_F(StringListFileTest, ReaderMayHoldTheMutexAlready) {
  ASSERT_TRUE(Write({L"held"}));
  ScopedMutexLock lock(mutex_.get(), 0);
  ASSERT_TRUE(lock.held());
  List read;
  ASSERT_TRUE(Read(&read));
  EXPECT_EQ(read, List{L"held"});
}

TEST_F(StringListFileTest, FailedWriteLeavesThePreviousFile) {
  const List previous = {L"keep \x0915", L"these"};
  ASSERT_TRUE(Write(previous));
  const std::string before = FileBytes();
  auto unchanged = [&] {
    EXPECT_EQ(FileBytes(), before);
    EXPECT_FALSE(Exists(path_ + L".tmp"));
    List read;
    EXPECT_TRUE(Read(&read));
    EXPECT_EQ(read, previous);
  };

  // Each failure leaves the reason as the thread's last error.
  auto error_of = [](bool written) {
    const DWORD error = ::GetLastError();
    EXPECT_FALSE(written);
    return error;
  };

  // An over-long entry after good ones.
  ::SetLastError(0);
  EXPECT_EQ(error_of(Write({L"good", L"also good", std::wstring(3000, L'x'),
                            L"late"})),
            static_cast<DWORD>(ERROR_INVALID_DATA));
  unchanged();

  // A header the reader would reject (version 5).
  StringListHeader header;
  const std::string version5 = Header(16, 5);
  std::copy(version5.begin(), version5.end(), header.begin());
  ::SetLastError(0);
  EXPECT_EQ(error_of(WriteStringList(path_, header, {L"new"})),
            static_cast<DWORD>(ERROR_INVALID_DATA));
  unchanged();

  // A read-only target.
  ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  ::SetLastError(0);
  EXPECT_EQ(error_of(Write({L"new"})), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL));
  unchanged();

  // The new content cannot be written: another writer has the temporary
  // file open.
  {
    base::ScopedFileHandle other(::CreateFileW((path_ + L".tmp").c_str(),
                                               GENERIC_WRITE, 0, nullptr,
                                               CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(other);
    ::SetLastError(0);
    EXPECT_EQ(error_of(Write({L"new"})),
              static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  }
  ASSERT_TRUE(::DeleteFileW((path_ + L".tmp").c_str()));
  unchanged();

  // The replacement fails: someone has the target open without sharing.
  // The temporary file is removed after the failure, and the failure's
  // reason survives that.
  {
    base::ScopedFileHandle reader(::CreateFileW(path_.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    ::SetLastError(0);
    const DWORD error = error_of(Write({L"new"}));
    EXPECT_TRUE(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED)
        << error;
  }
  unchanged();

  // A folder in the way, no folder at all, no path.
  ::SetLastError(0);
  EXPECT_EQ(error_of(WriteStringList(dir_.path(), MakeStringListHeader(), {})),
            static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ::SetLastError(0);
  EXPECT_EQ(error_of(WriteStringList(dir_.path() + L"absent\\list",
                                     MakeStringListHeader(), {})),
            static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  ::SetLastError(0);
  EXPECT_EQ(error_of(WriteStringList(L"", MakeStringListHeader(), {})),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  ASSERT_TRUE(Write({L"new"}));
  List read;
  ASSERT_TRUE(Read(&read));
  EXPECT_EQ(read, List{L"new"});
}

// Many random changes to a valid file: the reader never crashes, rejects
// what it cannot trust without adding anything, and never returns a list
// that differs from the file's except through the unguarded count.
TEST_F(StringListFileTest, FuzzedFilesNeverGiveAPartialList) {
  List original;
  for (int i = 0; i < 60; ++i) {
    original.push_back(std::to_wstring(i) + L" " +
                       std::wstring(i * 37 % 240, static_cast<wchar_t>(0x0900 + i)));
  }
  ASSERT_TRUE(Write(original));
  const std::string valid = FileBytes();
  ASSERT_GT(valid.size(), 8192u);  // at least three blocks

  std::mt19937 random(20240611);
  auto pick = [&](size_t below) {
    return std::uniform_int_distribution<size_t>(0, below - 1)(random);
  };
  int rejected = 0;
  for (int round = 0; round < 1000; ++round) {
    std::string bytes = valid;
    const int changes = 1 + static_cast<int>(pick(4));
    for (int c = 0; c < changes && !bytes.empty(); ++c) {
      switch (pick(6)) {
        case 0: bytes[pick(bytes.size())] ^= static_cast<char>(1 << pick(8)); break;
        case 1: bytes[pick(bytes.size())] = static_cast<char>(pick(256)); break;
        case 2: bytes.resize(pick(bytes.size())); break;
        case 3: bytes.append(pick(64), static_cast<char>(pick(256))); break;
        case 4: bytes.insert(pick(bytes.size()), pick(16) + 1, static_cast<char>(pick(256))); break;
        case 5: {
          const size_t at = pick(bytes.size());
          bytes.erase(at, pick(16) + 1);
          break;
        }
      }
    }
    ASSERT_TRUE(WriteFileBytes(path_, bytes));
    List read = {L"sentinel"};
    if (!Read(&read)) {
      ++rejected;
      ASSERT_EQ(read, List{L"sentinel"}) << "round " << round;
      continue;
    }
    ASSERT_FALSE(read.empty());
    ASSERT_EQ(read[0], L"sentinel");
    read.erase(read.begin());
    if (bytes.compare(0, 20, valid, 0, 20) == 0) {
      ASSERT_EQ(read, original) << "round " << round;
    } else {
      // Only a changed count may shorten the list, never change an entry.
      ASSERT_LE(read.size(), original.size()) << "round " << round;
      ASSERT_TRUE(std::equal(read.begin(), read.end(), original.begin()))
          << "round " << round;
    }
  }
  EXPECT_GT(rejected, 700);
}

// Cross-process: the reader waits for the file's mutex up to 5000 ms.
class StringListMutexTest : public StringListFileTest {
 protected:
  void SetUp() override {
    name_ = UniqueName(L"KelvaneListMutex");
    mutex_.reset(MutexHolder::CreateNamed(name_.c_str()));
    acquired_name_ = UniqueName(L"KelvaneListAcquired");
    release_name_ = UniqueName(L"KelvaneListRelease");
    acquired_.Reset(::CreateEventW(nullptr, TRUE, FALSE, acquired_name_.c_str()));
    release_.Reset(::CreateEventW(nullptr, TRUE, FALSE, release_name_.c_str()));
    ASSERT_TRUE(mutex_->handle() && acquired_ && release_);
    ASSERT_TRUE(Write({L"shared"}));
  }

  void StartChild(const std::wstring& arguments) {
    ASSERT_TRUE(child_.Start(L"string_list_file_test_child", arguments));
    HANDLE waits[] = {acquired_.Get(), child_.handle()};
    ASSERT_EQ(::WaitForMultipleObjects(2, waits, FALSE, 20000), WAIT_OBJECT_0);
  }

  std::wstring name_, acquired_name_, release_name_;
  ScopedHandle acquired_, release_;
  ChildProcess child_;
};

TEST_F(StringListMutexTest, MutexHeldLongerThanTheWaitFailsTheRead) {
  StartChild(L"hold " + name_ + L" " + acquired_name_ + L" " + release_name_);
  List read;
  const DWORD start = ::GetTickCount();
  EXPECT_FALSE(Read(&read));
  EXPECT_GE(::GetTickCount() - start, 4900u) << "the reader must wait 5000 ms";
  EXPECT_TRUE(read.empty());
  ::SetEvent(release_.Get());
  EXPECT_EQ(child_.Wait(), 0);
  EXPECT_TRUE(Read(&read));
  EXPECT_EQ(read, List{L"shared"});
}

TEST_F(StringListMutexTest, MutexOfADeadHolderIsTaken) {
  StartChild(L"abandon " + name_ + L" " + acquired_name_);
  EXPECT_EQ(child_.Wait(), 0);
  List read;
  EXPECT_TRUE(Read(&read));
  EXPECT_EQ(read, List{L"shared"});
}

}  // namespace
}  // namespace ime_shared
