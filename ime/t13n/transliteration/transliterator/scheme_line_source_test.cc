#include "ime/t13n/transliteration/transliterator/scheme_line_source.h"

#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/scheme_test_files.h"

namespace ime_t13n {
namespace {

using scheme_test::TempFolder;
using scheme_test::Utf16Le;
using scheme_test::Utf8;
using scheme_test::WriteBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::wstring> ReadLines(const std::string& bytes,
                                    bool* too_large = nullptr) {
  TempFolder folder;
  const std::wstring path = folder.File(L"a.scm");
  EXPECT_TRUE(WriteBytes(path, bytes));
  SchemeLineSource source(path);
  std::vector<std::wstring> lines;
  std::wstring line;
  while (source.NextLine(&line)) lines.push_back(line);
  EXPECT_FALSE(source.NextLine(&line));  // the end stays the end
  if (too_large != nullptr) *too_large = source.too_large();
  return lines;
}

const wchar_t kText[] = L"version:1.0\r\nName: \u0915\r\n\nka \u0915";

TEST(SchemeLineSourceTest, ReadsUtf8LinesWithTheirCarriageReturns) {
  EXPECT_THAT(
      ReadLines(Utf8(kText)),
      ElementsAre(L"version:1.0\r", L"Name: \u0915\r", L"", L"ka \u0915"));
  EXPECT_THAT(ReadLines("a\nb\n"), ElementsAre(L"a", L"b"));
  EXPECT_THAT(ReadLines("\n\n"), ElementsAre(L"", L""));
}

TEST(SchemeLineSourceTest, KeepsTheUtf8ByteOrderMarkOnTheFirstLine) {
  EXPECT_THAT(ReadLines(Utf8(L"version:1.0\nx y", true)),
              ElementsAre(L"\uFEFFversion:1.0", L"x y"));
}

TEST(SchemeLineSourceTest, ReadsUtf16WithAByteOrderMark) {
  EXPECT_THAT(ReadLines(Utf16Le(kText, true)),
              ElementsAre(L"\uFEFFversion:1.0\r", L"Name: \u0915\r", L"",
                          L"ka \u0915"));
  // Only the byte-order mark: one line holding it.
  EXPECT_THAT(ReadLines("\xFF\xFE"), ElementsAre(L"\uFEFF"));
}

TEST(SchemeLineSourceTest, RecognisesUtf16WithoutMarkByItsVersionLine) {
  EXPECT_THAT(ReadLines(Utf16Le(L"version:1.0\nName:n\n")),
              ElementsAre(L"version:1.0", L"Name:n"));
  // The signature is compared without regard to letter case.
  EXPECT_THAT(ReadLines(Utf16Le(L"VerSion:1.0\n\nlast")),
              ElementsAre(L"VerSion:1.0", L"", L"last"));
  // A trailing odd byte is dropped.
  EXPECT_THAT(ReadLines(Utf16Le(L"version:1.0\nab") + "c"),
              ElementsAre(L"version:1.0", L"ab"));
}

TEST(SchemeLineSourceTest, TakesOtherFilesAsUtf8) {
  // Too short to hold the UTF-16 signature.
  EXPECT_THAT(ReadLines("versio"), ElementsAre(L"versio"));
  // ASCII "version" is not the UTF-16 signature.
  EXPECT_THAT(ReadLines("version:1.0"), ElementsAre(L"version:1.0"));
  // A UTF-16 text after the first line does not change the decision.
  EXPECT_THAT(ReadLines("x\n" + Utf16Le(L"version")).front(), L"x");
}

TEST(SchemeLineSourceTest, GivesNothingForMissingEmptyOrTooLargeFiles) {
  SchemeLineSource missing(L"C:\\no such folder\\x.scm");
  std::wstring line;
  EXPECT_FALSE(missing.NextLine(&line));
  EXPECT_FALSE(missing.too_large());

  bool too_large = true;
  EXPECT_THAT(ReadLines("", &too_large), IsEmpty());
  EXPECT_FALSE(too_large);

  std::string big(SchemeLineSource::kMaxFileBytes, 'a');
  EXPECT_EQ(ReadLines(big, &too_large).size(), 1u);
  EXPECT_FALSE(too_large);
  big.push_back('a');
  EXPECT_THAT(ReadLines(big, &too_large), IsEmpty());
  EXPECT_TRUE(too_large);
}

TEST(SchemeLineSourceTest, SurvivesInvalidText) {
  // Invalid UTF-8 and unpaired UTF-16 surrogates give lines, never a failure.
  EXPECT_EQ(ReadLines("\xC3\x28 \xFF\xFE\xFD\n\x80").size(), 2u);
  EXPECT_THAT(ReadLines(Utf16Le(L"version\n") +
                        std::string("\x00\xD8\x0A\x00\x00\xDC", 6)),
              ElementsAre(L"version", L"\xD800", L"\xDC00"));
}

}  // namespace
}  // namespace ime_t13n
