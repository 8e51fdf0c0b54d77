#include "ime/t13n/transliteration/transliterator/scheme_loader.h"

#include <windows.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/t13n/transliteration/transliterator/scheme_line_source.h"
#include "ime/t13n/transliteration/transliterator/scheme_test_files.h"

namespace ime_t13n {
namespace {

using scheme_test::TempFolder;
using scheme_test::Utf16Le;
using scheme_test::Utf8;
using scheme_test::WriteBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Loaded {
  std::vector<std::unique_ptr<CanonicalScheme>> schemes;
  std::vector<std::wstring> reports;

  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    for (const auto& scheme : schemes) names.push_back(scheme->name());
    return names;
  }
};

Loaded Load(const std::wstring& folder) {
  Loaded loaded;
  LoadCanonicalSchemesFromFolder(folder, &loaded.schemes, &loaded.reports);
  return loaded;
}

TEST(SchemeLoaderTest, LoadsSchemeFilesInTheOrderOfTheirNames) {
  TempFolder folder;
  ASSERT_TRUE(
      WriteBytes(folder.File(L"b.scm"), Utf8(L"version:1.0\nName:Bee\nb B\n")));
  ASSERT_TRUE(WriteBytes(folder.File(L"A.scm"),
                         Utf16Le(L"version:1.0\r\nName:Ay\r\n", true)));
  ASSERT_TRUE(WriteBytes(folder.File(L"c.SCM"),
                         Utf8(L"version:1.0\r\nName:Sea", true)));
  // Not scheme files.
  ASSERT_TRUE(WriteBytes(folder.File(L"d.scmx"), "version:1.0\nName:Dee"));
  ASSERT_TRUE(WriteBytes(folder.File(L"e.txt"), "version:1.0\nName:Eee"));
  ASSERT_TRUE(::CreateDirectoryW(folder.File(L"f.scm").c_str(), nullptr));

  Loaded loaded = Load(folder.path());
  EXPECT_THAT(loaded.Names(), ElementsAre(L"Ay", L"Bee", L"Sea"));
  EXPECT_THAT(loaded.reports, IsEmpty());
  EXPECT_EQ(loaded.schemes[1]->Convert(L"abc"), L"B");

  // A trailing separator on the folder changes nothing.
  EXPECT_THAT(Load(folder.path() + L"\\").Names(),
              ElementsAre(L"Ay", L"Bee", L"Sea"));
}

TEST(SchemeLoaderTest, ReportsEachFileWithMessages) {
  TempFolder folder;
  ASSERT_TRUE(WriteBytes(folder.File(L"broken.scm"),
                         Utf8(L"version:1.0\r\nName:Broken\r\n\r\nword\r\n"
                              L"using classes\r\nclass V {\r\n")));
  ASSERT_TRUE(
      WriteBytes(folder.File(L"good.scm"), Utf8(L"version:1.0\nName:Good")));
  ASSERT_TRUE(WriteBytes(
      folder.File(L"long.scm"),
      Utf8(L"version:1.0\nName:" + std::wstring(31, L'L') + L"\nl x")));
  ASSERT_TRUE(WriteBytes(folder.File(L"empty.scm"), ""));

  const Loaded loaded = Load(folder.path());
  EXPECT_THAT(loaded.Names(), ElementsAre(L"Good", std::wstring(31, L'L')));
  EXPECT_THAT(
      loaded.reports,
      ElementsAre(
          L"File Name: broken.scm\r\n"
          L"- [Line: 4] : Rules should be of the form prefix <space/tab> "
          L"target\r\n"
          L"- A Class opened is not closed.\r\n",
          L"File Name: empty.scm\r\n"
          L"- File does not contain enough information\r\n",
          L"File Name: long.scm\r\n"
          L"- Scheme name contains more than 30 characters\r\n"));
}

TEST(SchemeLoaderTest, ReportsUnreadableAndOversizedFiles) {
  TempFolder folder;
  const std::wstring locked = folder.File(L"locked.scm");
  ASSERT_TRUE(WriteBytes(locked, "version:1.0\nName:Locked"));
  ASSERT_TRUE(
      WriteBytes(folder.File(L"huge.scm"),
                 std::string(SchemeLineSource::kMaxFileBytes + 1, 'x')));
  ime_shared::base::ScopedFileHandle lock(
      ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);

  const Loaded loaded = Load(folder.path());
  EXPECT_THAT(loaded.schemes, IsEmpty());
  EXPECT_THAT(loaded.reports,
              ElementsAre(L"File Name: huge.scm\r\n"
                          L"- The scheme is too large to be loaded\r\n",
                          L"File Name: locked.scm\r\n"
                          L"- File does not contain enough information\r\n"));
}

TEST(SchemeLoaderTest, LoadsNothingWithoutAnAbsoluteFolder) {
  TempFolder folder;
  const std::wstring schemes = folder.File(kSchemeFolderName);
  ASSERT_TRUE(::CreateDirectoryW(schemes.c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(schemes + L"\\a.scm", "version:1.0\nName:A"));

  wchar_t previous[MAX_PATH + 1] = {};
  ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH + 1, previous), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryW(folder.path().c_str()));
  const Loaded relative = Load(kSchemeFolderName);
  ::SetCurrentDirectoryW(previous);
  EXPECT_THAT(relative.schemes, IsEmpty());
  EXPECT_THAT(relative.reports, IsEmpty());

  EXPECT_THAT(Load(L"").schemes, IsEmpty());
  EXPECT_THAT(Load(folder.File(L"missing")).schemes, IsEmpty());
  EXPECT_THAT(Load(schemes).Names(), ElementsAre(L"A"));
}

// Lines from the scheme grammar, whole and broken, mixed with random bytes.
std::string RandomSchemeText(std::mt19937* random) {
  static const char* const kPieces[] = {
      "version:1.0", "Name:Fuzz", "using classes", "class V {", "class W <",
      "}", ">", "class-delimiters: < >", "class-delimiters", "wildcard %",
      "wildcard", "stop-char .", "stop-char", "k{V} x*", "k<W> y%", "a.b c",
      "ka \xE0\xA4\x95", "\t", " ", "", "\r", "{", "*", "%", "a b c",
      "\xEF\xBB\xBF", "\xFF\xFE", "\xC3", "\x80\x80",
  };
  std::uniform_int_distribution<int> piece(
      0, static_cast<int>(sizeof(kPieces) / sizeof(kPieces[0])) - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> count(0, 60);
  std::string text = (*random)() % 2 ? "version:1.0\nName:Fuzz\n" : "";
  const int lines = count(*random);
  for (int i = 0; i < lines; ++i) {
    if ((*random)() % 4 == 0) {
      const int length = count(*random);
      for (int j = 0; j < length; ++j)
        text.push_back(static_cast<char>(byte(*random)));
    } else {
      text += kPieces[piece(*random)];
    }
    text += (*random)() % 3 ? "\n" : "\r\n";
  }
  return text;
}

std::string RandomBytes(std::mt19937* random, size_t length) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes(length, '\0');
  for (char& b : bytes) b = static_cast<char>(byte(*random));
  return bytes;
}

// Whatever the folder holds, loading ends, and every file gives a scheme or
// a report.
TEST(SchemeLoaderTest, SurvivesRandomFiles) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> length(0, 5000);
  for (int round = 0; round < 25; ++round) {
    TempFolder folder;
    const int files = 12;
    for (int i = 0; i < files; ++i) {
      std::string bytes;
      switch (i % 4) {
        case 0:
          bytes = RandomBytes(&random, length(random));
          break;
        case 1:
          bytes =
              "version:1.0\nName:R\n" + RandomBytes(&random, length(random));
          break;
        case 2:
          bytes = RandomSchemeText(&random);
          break;
        default:
          bytes = (random() % 2 ? std::string("\xFF\xFE") : std::string()) +
                  Utf16Le(ime_shared::Utf8ToWide(RandomSchemeText(&random)));
          break;
      }
      ASSERT_TRUE(
          WriteBytes(folder.File(L"f" + std::to_wstring(i) + L".scm"), bytes));
    }
    const Loaded loaded = Load(folder.path());
    EXPECT_LE(loaded.schemes.size(), static_cast<size_t>(files));
    EXPECT_LE(loaded.reports.size(), static_cast<size_t>(files));
    EXPECT_GE(loaded.schemes.size() + loaded.reports.size(),
              static_cast<size_t>(files));
    for (const auto& scheme : loaded.schemes) {
      scheme->Convert(ime_shared::Utf8ToWide(RandomSchemeText(&random)));
    }
  }
}

TEST(SchemeLoaderTest, SurvivesHugeLinesAndFiles) {
  TempFolder folder;
  // One rule whose source fills the file.
  const std::string head = "version:1.0\nName:Long\n";
  const std::string source(SchemeLineSource::kMaxFileBytes - head.size() - 2,
                           'a');
  ASSERT_TRUE(WriteBytes(folder.File(L"a.scm"), head + source + " x"));
  // A file of random bytes at the size limit.
  std::mt19937 random(7);
  ASSERT_TRUE(
      WriteBytes(folder.File(L"b.scm"),
                 RandomBytes(&random, SchemeLineSource::kMaxFileBytes)));

  const Loaded loaded = Load(folder.path());
  ASSERT_THAT(loaded.Names(), ElementsAre(L"Long"));
  EXPECT_EQ(loaded.schemes[0]->Convert(std::wstring(source.size(), L'a')),
            L"x");
  ASSERT_EQ(loaded.reports.size(), 1u);
  EXPECT_EQ(loaded.reports[0].rfind(L"File Name: b.scm\r\n", 0), 0u);
}

}  // namespace
}  // namespace ime_t13n
