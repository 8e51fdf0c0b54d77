// Random mutations of a valid data file: the loader must refuse or accept
// each without crashing and without reading outside the data. The data sits
// right before a page that cannot be read, so a read past its end would
// fault at once.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "gtest/gtest.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"

namespace ime_t13n {
namespace {

using testing_helpers::RecordingErrorBox;

// A buffer whose last readable byte is followed by an inaccessible page.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t capacity) {
    ::GetSystemInfo(&info_);
    const size_t page = info_.dwPageSize;
    pages_ = (capacity + page - 1) / page;
    base_ = static_cast<uint8_t*>(::VirtualAlloc(
        nullptr, (pages_ + 1) * page, MEM_RESERVE | MEM_COMMIT,
        PAGE_READWRITE));
    DWORD old;
    ::VirtualProtect(base_ + pages_ * page, page, PAGE_NOACCESS, &old);
  }
  ~GuardedBuffer() { ::VirtualFree(base_, 0, MEM_RELEASE); }

  // Copies |bytes| to end right at the guard page; returns their start.
  const uint8_t* Place(const std::string& bytes) {
    uint8_t* end = base_ + pages_ * info_.dwPageSize;
    uint8_t* start = end - bytes.size();
    std::copy(bytes.begin(), bytes.end(), start);
    return start;
  }

 private:
  SYSTEM_INFO info_;
  size_t pages_;
  uint8_t* base_;
};

// One random change: a flipped byte, an extreme 32-bit value written over
// four bytes, a cut, a removed or a repeated stretch.
std::string Mutate(const std::string& input, std::mt19937* random) {
  std::string bytes = input;
  auto pick = [random](size_t n) {
    return std::uniform_int_distribution<size_t>(0, n - 1)(*random);
  };
  static const uint32_t kExtremes[] = {0, 1, 0x7FFFFFFF, 0x80000000,
                                       0xFFFFFFFF, 0xFFFFFFFE, 0x00FFFFFF,
                                       0x10000};
  const int changes = 1 + static_cast<int>(pick(4));
  for (int i = 0; i < changes && bytes.size() > 8; ++i) {
    const size_t at = pick(bytes.size() - 4);
    switch (pick(5)) {
      case 0:
        bytes[at] = static_cast<char>(pick(256));
        break;
      case 1: {
        const uint32_t value = kExtremes[pick(8)];
        for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<char>(value >> (8 * b));
        break;
      }
      case 2:
        bytes.resize(at);
        break;
      case 3:
        bytes.erase(at, pick(16));
        break;
      default:
        bytes.insert(at, bytes.substr(at, pick(16)));
        break;
    }
  }
  return bytes;
}

// A read of the guard page would otherwise wait for the debugger that the
// system starts for an unhandled fault: end the test program at once.
LONG WINAPI ReportFault(EXCEPTION_POINTERS* pointers) {
  std::fprintf(stderr, "fault 0x%08lx at %p\n",
               pointers->ExceptionRecord->ExceptionCode,
               pointers->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  ::ExitProcess(3);
}

class LanguageDataFuzzTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = ::SetUnhandledExceptionFilter(ReportFault);
  }
  void TearDown() override { ::SetUnhandledExceptionFilter(previous_); }

 private:
  LPTOP_LEVEL_EXCEPTION_FILTER previous_ = nullptr;
};

LanguageDataContents FuzzContents() {
  LanguageDataContents contents = testing_helpers::SampleContents();
  contents.lookups.push_back({L"kha", {{L"\x0916", 1}, {L"\x0916\x093E", 2}}});
  contents.segments.push_back({L"kh", 1, 0.5f, {{L"\x0916", 1}, {L"", 0}}});
  contents.char_class_lists.push_back(L"t,,d");
  return contents;
}

TEST_F(LanguageDataFuzzTest, MutatedBodiesNeverReadOutsideTheData) {
  const std::string body = WriteDataBody(FuzzContents());
  GuardedBuffer buffer(body.size() * 2 + 64);
  std::mt19937 random(12345);
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::string mutated = Mutate(body, &random);
    const uint8_t* start = buffer.Place(mutated);
    RecordingErrorBox box;
    LanguageData data(&box);
    DataCursor cursor(start, start + mutated.size());
    if (data.ReadSections(&cursor)) {
      ++accepted;
      // Whatever was accepted must also build a model.
      TransliterationModel model(data);
      EXPECT_LE(model.trie().node_count(), mutated.size() + 1);
    }
    EXPECT_EQ(box.shown, 0) << "readers report, only the load shows the box";
  }
  // Mutations in the middle of strings keep the file readable.
  EXPECT_GT(accepted, 0);
}

TEST_F(LanguageDataFuzzTest, MutatedFilesEitherLoadOrShowOneBox) {
  ime_testing::TempDir dir;
  // A size of whole pages: the view of the file ends at a page boundary.
  DataFileLayout layout;
  layout.file_size = 4001792;
  layout.body_at_end = true;
  const std::string valid = WriteLanguageDataFile(FuzzContents(), layout);
  const size_t body_start = valid.size() - WriteDataBody(FuzzContents()).size();
  std::mt19937 random(777);
  for (int round = 0; round < 24; ++round) {
    SCOPED_TRACE(round);
    // Mutate the header or the body, keeping the file's size.
    std::string file = valid;
    if (round % 3 == 0) {
      const std::string header = Mutate(file.substr(0, kDataHeaderSize), &random);
      file.replace(0, kDataHeaderSize, (header + std::string(16, '\0')).substr(0, 16));
    } else {
      std::string body = Mutate(file.substr(body_start), &random);
      if (body.size() > file.size() - kDataHeaderSize) {
        body.resize(file.size() - kDataHeaderSize);
      }
      file.replace(file.size() - body.size(), body.size(), body);
      file.resize(valid.size());
      for (int b = 0; b < 4; ++b) {
        file[kHeaderBodyOffsetOffset + b] =
            static_cast<char>((valid.size() - body.size()) >> (8 * b));
      }
      const uint32_t checksum =
          DataHeaderChecksum(reinterpret_cast<const uint8_t*>(file.data()));
      for (int b = 0; b < 4; ++b) {
        file[kHeaderChecksumOffset + b] = static_cast<char>(checksum >> (8 * b));
      }
    }
    const std::wstring folder = dir.path() + std::to_wstring(round);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(ime_testing::WriteFileBytes(folder + L"\\data.00000", file));
    RecordingErrorBox box;
    LanguageData data(&box);
    const bool loaded = data.LoadFromMap(
        ime_shared::WideToUtf8(ime_testing::UniqueName(L"fz")),
        ime_shared::WideToUtf8(folder));
    EXPECT_EQ(box.shown, loaded ? 0 : 1);
  }
}

}  // namespace
}  // namespace ime_t13n
