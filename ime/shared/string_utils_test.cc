#include "ime/shared/string_utils.h"

#include <climits>
#include <cstdarg>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "ime/shared/string_utils_test_resources.h"

namespace ime_shared {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::wstring> Split(const std::wstring& text, const wchar_t* set) {
  std::vector<std::wstring> out;
  SplitString(text, set, &out);
  return out;
}

TEST(SplitStringTest, DropsEmptyPiecesForOneAndSeveralDelimiters) {
  const std::wstring text = L"  one two   three ";
  EXPECT_THAT(Split(text, L" "), ElementsAre(L"one", L"two", L"three"));
  EXPECT_THAT(Split(text, L" \t"), ElementsAre(L"one", L"two", L"three"));
  EXPECT_THAT(Split(L"a\t \tb", L" \t"), ElementsAre(L"a", L"b"));
  EXPECT_THAT(Split(L"", L" "), IsEmpty());
  EXPECT_THAT(Split(L"   ", L" \t"), IsEmpty());
  EXPECT_THAT(Split(L"word", L" "), ElementsAre(L"word"));
}

TEST(SplitStringTest, AppendsToExistingList) {
  std::vector<std::wstring> out = {L"kept"};
  SplitString(L"x y", L" ", &out);
  EXPECT_THAT(out, ElementsAre(L"kept", L"x", L"y"));
}

TEST(SplitStringUsingTest, SplitsNarrowTextAtSpacesAndTabs) {
  std::vector<std::string> out;
  SplitStringUsing("\tab  c\t d ", &out);
  EXPECT_THAT(out, ElementsAre("ab", "c", "d"));
  out.clear();
  SplitStringUsing("", &out);
  EXPECT_THAT(out, IsEmpty());
}

TEST(SplitOnColonTest, KeepsEmptyPieces) {
  std::vector<std::wstring> out;
  SplitOnColon(L"a::b:", &out);
  EXPECT_THAT(out, ElementsAre(L"a", L"", L"b", L""));
  out.clear();
  SplitOnColon(L"", &out);
  EXPECT_THAT(out, ElementsAre(L""));
  out.clear();
  SplitOnColon(L":", &out);
  EXPECT_THAT(out, ElementsAre(L"", L""));
}

TEST(SplitStringOnSeparatorTest, KeepsInnerEmptyPiecesButNotATrailingOne) {
  std::vector<std::wstring> out = {L"stale"};
  SplitStringOnSeparator(L"a,,b,", L",", &out);
  EXPECT_THAT(out, ElementsAre(L"a", L"", L"b"));
  SplitStringOnSeparator(L"", L",", &out);
  EXPECT_THAT(out, IsEmpty());
  SplitStringOnSeparator(L",a", L",", &out);
  EXPECT_THAT(out, ElementsAre(L"", L"a"));
  SplitStringOnSeparator(L"a=>b=>=>c", L"=>", &out);
  EXPECT_THAT(out, ElementsAre(L"a", L"b", L"", L"c"));
  // Occurrences do not overlap: "aaa" on "aa" splits once.
  SplitStringOnSeparator(L"aaa", L"aa", &out);
  EXPECT_THAT(out, ElementsAre(L"", L"a"));
}

TEST(SplitStringOnSeparatorTest, EmptySeparatorKeepsTheTextWhole) {
  std::vector<std::wstring> out;
  SplitStringOnSeparator(L"abc", L"", &out);
  EXPECT_THAT(out, ElementsAre(L"abc"));
}

TEST(TrimTest, WideTrimmingRules) {
  std::wstring s = L" \t inner  space \r\n";
  TrimWhitespace(&s);
  EXPECT_EQ(s, L"inner  space");
  s = L"\t\f\v  ";
  TrimWhitespace(&s);
  EXPECT_EQ(s, L"");

  s = L"abc..;.";
  EXPECT_EQ(StripTrailingChars(&s, L".;"), 4u);
  EXPECT_EQ(s, L"abc");
  EXPECT_EQ(StripTrailingChars(&s, L"."), 0u);
  s = L"...";
  EXPECT_EQ(StripTrailingChars(&s, L"."), 3u);
  EXPECT_EQ(s, L"");
}

TEST(TrimTest, NarrowStripsCountRemovedBytes) {
  std::string s = "  \tvalue \t";
  EXPECT_EQ(StripLeadingSpace(&s, " \t"), 3u);
  EXPECT_EQ(s, "value \t");
  EXPECT_EQ(StripTrailingSpace(&s, " \t"), 2u);
  EXPECT_EQ(s, "value");
  std::string blank = "   ";
  EXPECT_EQ(StripLeadingSpace(&blank, " "), 3u);
  EXPECT_EQ(blank, "");
}

TEST(TrimTest, FindLastNonWhitespace) {
  EXPECT_EQ(FindLastNonWhitespace(L""), -1);
  EXPECT_EQ(FindLastNonWhitespace(L" \t\r\n"), -1);
  EXPECT_EQ(FindLastNonWhitespace(L"ab  "), 1);
  EXPECT_EQ(FindLastNonWhitespace(L"x"), 0);
}

TEST(ReplaceTest, ReplacesLeftToRightWithoutOverlap) {
  EXPECT_EQ(ReplaceAllCopy(L"aaaa", L"aa", L"b"), L"bb");
  EXPECT_EQ(ReplaceAllCopy(L"aaa", L"aa", L"b"), L"ba");
  EXPECT_EQ(ReplaceAllCopy(L"a.b.c", L".", L"::"), L"a::b::c");
  EXPECT_EQ(ReplaceAllCopy(L"abc", L"", L"x"), L"abc");
  EXPECT_EQ(ReplaceAllCopy(L"", L"a", L"x"), L"");
  // The replacement is not scanned again.
  EXPECT_EQ(ReplaceAllCopy(L"ab", L"a", L"aa"), L"aab");
  std::wstring out = L"pre:";
  StringReplaceAll(L"x-y", L"-", L"+", &out);
  EXPECT_EQ(out, L"pre:x+y");
}

TEST(CaseTest, LowerCaseWordChangesOnlyAsciiLetters) {
  std::wstring word = L"AbZ\u00C9\u0416\u0915@[`{9";
  LowerCaseWord(&word);
  EXPECT_EQ(word, L"abz\u00C9\u0416\u0915@[`{9");
}

TEST(CaseTest, ClassifyLetterCase) {
  EXPECT_EQ(ClassifyLetterCase(L"abc"), kAllLower);
  EXPECT_EQ(ClassifyLetterCase(L"ABC"), kAllUpper);
  EXPECT_EQ(ClassifyLetterCase(L"Abc"), kCapitalized);
  EXPECT_EQ(ClassifyLetterCase(L"aBc"), kMixedCase);
  EXPECT_EQ(ClassifyLetterCase(L"ABc"), kMixedCase);
  EXPECT_EQ(ClassifyLetterCase(L"abC"), kMixedCase);
  EXPECT_EQ(ClassifyLetterCase(L"AbC"), kMixedCase);
  EXPECT_EQ(ClassifyLetterCase(L"12345"), kNoLetters);
  EXPECT_EQ(ClassifyLetterCase(L""), kNoLetters);
  EXPECT_EQ(ClassifyLetterCase(L"K"), kAllUpper);
  EXPECT_EQ(ClassifyLetterCase(L"k"), kAllLower);
  // Digits and other characters are skipped.
  EXPECT_EQ(ClassifyLetterCase(L"A1b2c"), kCapitalized);
  EXPECT_EQ(ClassifyLetterCase(L"1a2B"), kMixedCase);
  EXPECT_EQ(ClassifyLetterCase(L"H\u00E9LLO"), kAllUpper);
  EXPECT_EQ(ClassifyLetterCase(L"\u0915\u0916"), kNoLetters);
}

TEST(NumberTest, FastUInt32ToBufferAtItsLimits) {
  char buffer[11];
  char* end = FastUInt32ToBuffer(0, buffer);
  EXPECT_STREQ(buffer, "0");
  EXPECT_EQ(end, buffer + 1);
  end = FastUInt32ToBuffer(4294967295u, buffer);
  EXPECT_STREQ(buffer, "4294967295");
  EXPECT_EQ(end, buffer + 10);
  FastUInt32ToBuffer(9, buffer);
  EXPECT_STREQ(buffer, "9");
  FastUInt32ToBuffer(10, buffer);
  EXPECT_STREQ(buffer, "10");
  FastUInt32ToBuffer(100, buffer);
  EXPECT_STREQ(buffer, "100");
  FastUInt32ToBuffer(1000000007u, buffer);
  EXPECT_STREQ(buffer, "1000000007");
}

TEST(NumberTest, SimpleItoaSignsAndLimits) {
  EXPECT_EQ(SimpleItoa(0), L"0");
  EXPECT_EQ(SimpleItoa(-1), L"-1");
  EXPECT_EQ(SimpleItoa(INT_MAX), L"2147483647");
  EXPECT_EQ(SimpleItoa(INT_MIN), L"-2147483648");
}

TEST(EncodingTest, Utf8RoundTripsAcrossPlanes) {
  const std::string utf8 = "a\xC3\xA9\xE0\xA4\x95\xF0\x9F\x98\x80";  // a é क 😀
  const std::wstring wide = Utf8ToWide(utf8);
  EXPECT_EQ(wide, std::wstring(L"a\u00E9\u0915\xD83D\xDE00"));
  EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(EncodingTest, EmbeddedNulsAreConverted) {
  const std::string utf8("a\0b", 3);
  EXPECT_EQ(Utf8ToWide(utf8), std::wstring(L"a\0b", 3));
  EXPECT_EQ(WideToUtf8(std::wstring(L"a\0b", 3)), utf8);
}

TEST(EncodingTest, EmptyInputGivesEmptyOutput) {
  EXPECT_EQ(Utf8ToWide(""), L"");
  EXPECT_EQ(WideToUtf8(L""), "");
}

TEST(StringPrintfTest, UsesWideConventions) {
  EXPECT_EQ(StringPrintf(L"%s=%d", L"x", 42), L"x=42");
  EXPECT_EQ(StringPrintf(L"Have successfully uninstalled Tarvel %s Input.",
                         L"Hindi"),
            L"Have successfully uninstalled Tarvel Hindi Input.");
  EXPECT_EQ(StringPrintf(L"%08X", 0xBEEFu), L"0000BEEF");
  EXPECT_EQ(StringPrintf(L""), L"");
}

TEST(StringPrintfTest, ResultsAroundTheStackBufferSize) {
  for (int length : {510, 511, 512, 513, 1023, 1024, 1025, 5000}) {
    const std::wstring arg(length, L'z');
    const std::wstring result = StringPrintf(L"%s", arg.c_str());
    EXPECT_EQ(result, arg) << "length " << length;
  }
  const std::wstring prefix(600, L'p');
  EXPECT_EQ(StringPrintf(L"%s-%d", prefix.c_str(), 7), prefix + L"-7");
}

// A result beyond the limit appends nothing rather than growing a buffer
// without bound; one exactly at the limit is whole.
TEST(StringPrintfTest, ResultsAreCappedAtTheLimit) {
  const std::wstring at_limit(kMaxFormattedUnits, L'q');
  EXPECT_EQ(StringPrintf(L"%s", at_limit.c_str()), at_limit);
  const std::wstring over_limit(kMaxFormattedUnits + 1, L'q');
  EXPECT_EQ(StringPrintf(L"%s", over_limit.c_str()), L"");
  const std::wstring far_over(4 * kMaxFormattedUnits, L'q');
  EXPECT_EQ(StringPrintf(L"<%s>", far_over.c_str()), L"");
}

// Formats onto |text| through StringAppendV, as a caller's own variadic
// function forwards its arguments.
void AppendFormatted(std::wstring* text, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  StringAppendV(text, format, args);
  va_end(args);
}

TEST(StringPrintfTest, AppendVKeepsWhatTheStringHeld) {
  std::wstring text = L"head ";
  AppendFormatted(&text, L"%d-%s", 5, L"x");
  EXPECT_EQ(text, L"head 5-x");
  AppendFormatted(&text, L"");
  EXPECT_EQ(text, L"head 5-x");

  // Past the stack buffer the arguments are formatted again into the heap
  // buffer, and the result still goes after the text.
  const std::wstring long_word(700, L'w');
  text = L"head ";
  AppendFormatted(&text, L"%s|%d", long_word.c_str(), 42);
  EXPECT_EQ(text, L"head " + long_word + L"|42");

  // A result beyond the limit leaves the text as it was.
  const std::wstring over_limit(kMaxFormattedUnits + 1, L'q');
  AppendFormatted(&text, L"%s", over_limit.c_str());
  EXPECT_EQ(text, L"head " + long_word + L"|42");
}

TEST(LoadResourceStringTest, ReadsTheModulesStringTable) {
  EXPECT_EQ(LoadResourceString(IDS_TEST_SHORT), L"Short");
  EXPECT_EQ(LoadResourceString(IDS_TEST_DEVANAGARI), L"\u0928\u092E\u0938\u094D\u0924\u0947");
  EXPECT_EQ(LoadResourceString(IDS_TEST_LONG).size(), 300u);
  EXPECT_EQ(LoadResourceString(IDS_TEST_MISSING), L"");
}

}  // namespace
}  // namespace ime_shared
