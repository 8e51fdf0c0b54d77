#include "ime/t13n/transliteration/transliterator/scheme_parser.h"

#include <memory>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/scheme_test_files.h"

namespace ime_t13n {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::UnorderedElementsAre;
using scheme_test::TempFolder;
using scheme_test::Utf16Le;
using scheme_test::Utf8;
using scheme_test::WriteBytes;

// The messages as the user reads them.
const wchar_t kBadNameLine[] =
    L"Second line should be of the form Name:<custom scheme name>";
const wchar_t kBadStopCharLine[] =
    L"Stop character should be specified as Stop-Char "
    L"<character-to-be-used-as-stop-character>";
const wchar_t kStopCharTooLong[] =
    L"Stop char cannot contain more than one character";
const wchar_t kStopCharInRule[] =
    L"Stop character cannot be used inside a rule";
const wchar_t kClassNotClosed[] = L"A Class opened is not closed.";
const wchar_t kClassNotDefined[] = L"Class is not defined";
const wchar_t kWildcardMissing[] = L"Wildcard is missing on the target word";
const wchar_t kClassEndMissing[] = L"Class end delimiter is missing";
const wchar_t kBadDelimiterLine[] =
    L"Class Delimiter should be specified as Class-Delimiter<delimiter start> "
    L"<delimiter end>";
const wchar_t kBadWildcardLine[] =
    L"Wildcard should be specified in the form Wildcard <wildcard-sequence>";
const wchar_t kTargetTooLong[] =
    L"Target String contains more than 30 characters";
const wchar_t kNameTooLong[] = L"Scheme name contains more than 30 characters";
const wchar_t kTooLarge[] = L"The scheme is too large to be loaded";
const wchar_t kTargetEmpty[] = L"Target is empty";
const wchar_t kPrefixEmpty[] = L"Prefix is empty";
const wchar_t kBadRule[] =
    L"Rules should be of the form prefix <space/tab> target";
const wchar_t kNameEmpty[] = L"Canonical Scheme name cannot be empty";
const wchar_t kTooShort[] = L"File does not contain enough information";
const wchar_t kBadVersion[] = L"Currently only version 1.0 is supported";
const wchar_t kBadVersionLine[] =
    L"The first line should be of the form version:<version number>";
const wchar_t kNoVersion[] =
    L"The first line should specify version information";

const wchar_t kHead[] = L"version:1.0\nName:Test\n";

// Devanagari letters used in the rules.
const wchar_t kKa[] = L"\u0915";
const wchar_t kKha[] = L"\u0916";
const wchar_t kSignAa[] = L"\u093E";
const wchar_t kSignI[] = L"\u093F";

std::wstring At(int line, const wchar_t* message) {
  return ime_shared::StringPrintf(L"[Line:%2d] : ", line) + message;
}

struct Parsed {
  std::unique_ptr<CanonicalScheme> scheme;
  std::vector<std::wstring> errors;
  SchemeRules rules;
};

Parsed ParseBytes(const std::string& bytes) {
  TempFolder folder;
  const std::wstring path = folder.File(L"test.scm");
  EXPECT_TRUE(WriteBytes(path, bytes));
  SchemeParser parser(path);
  Parsed parsed;
  parsed.scheme = parser.Parse();
  parsed.errors = parser.errors();
  parsed.rules = parser.rules();
  return parsed;
}

Parsed Parse(const std::wstring& text) { return ParseBytes(Utf8(text)); }

TEST(SchemeParserTest, ChecksTheVersionLine) {
  struct Case {
    const char* file;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"", kTooShort},
      {"version:1.0", kTooShort},
      {"version:1.0\n", kTooShort},
      {"Version:1.0\nName:x", kNoVersion},
      {"  ver:1.0\nName:x", kNoVersion},
      {"version 1.0\nName:x", kBadVersionLine},
      {"version:1.00\nName:x", kBadVersion},
      {"version:\nName:x", kBadVersion},
      {"version:1.0:\nName:x", kBadVersion},
  };
  for (const Case& c : cases) {
    const Parsed parsed = ParseBytes(c.file);
    EXPECT_EQ(parsed.scheme, nullptr) << c.file;
    EXPECT_THAT(parsed.errors, ElementsAre(c.message)) << c.file;
  }
  // Spaces, a carriage return and a byte-order mark around the line are
  // trimmed.
  EXPECT_NE(Parse(L"\uFEFF version :  1.0 \r\nName:x").scheme, nullptr);
}

TEST(SchemeParserTest, ChecksTheNameLine) {
  EXPECT_THAT(Parse(L"version:1.0\nNom:x").errors, ElementsAre(kBadNameLine));
  EXPECT_THAT(Parse(L"version:1.0\nName x").errors, ElementsAre(kBadNameLine));
  EXPECT_THAT(Parse(L"version:1.0\nName: \r\nka k").errors,
              ElementsAre(kNameEmpty));

  const Parsed spaced = Parse(L"version:1.0\r\n  Name :  My scheme  \r\n");
  ASSERT_NE(spaced.scheme, nullptr);
  EXPECT_EQ(spaced.scheme->name(), L"My scheme");
  EXPECT_THAT(spaced.errors, IsEmpty());

  // Over 30 characters is a warning: the scheme is usable, the name whole.
  const std::wstring long_name(31, L'n');
  const Parsed named = Parse(L"version:1.0\nName:" + long_name + L"\nka k");
  ASSERT_NE(named.scheme, nullptr);
  EXPECT_EQ(named.scheme->name(), long_name);
  EXPECT_THAT(named.errors, ElementsAre(kNameTooLong));
  EXPECT_THAT(Parse(L"version:1.0\nName:" + std::wstring(30, L'n')).errors,
              IsEmpty());
}

TEST(SchemeParserTest, ReadsEveryEncodingAndLineEnd) {
  const std::wstring lf = L"version:1.0\nName: Hindi\nka \u0915\nkha \u0916";
  const std::wstring crlf =
      L"version:1.0\r\nName: Hindi\r\nka \u0915\r\nkha \u0916\r\n";
  const std::string files[] = {
      Utf8(lf),           Utf8(crlf),           Utf8(lf, true),
      Utf8(crlf, true),   Utf16Le(lf),          Utf16Le(crlf),
      Utf16Le(lf, true),  Utf16Le(crlf, true),
  };
  for (const std::string& file : files) {
    const Parsed parsed = ParseBytes(file);
    ASSERT_NE(parsed.scheme, nullptr);
    EXPECT_THAT(parsed.errors, IsEmpty());
    EXPECT_EQ(parsed.scheme->name(), L"Hindi");
    EXPECT_EQ(parsed.scheme->Convert(L"kaxkha"),
              std::wstring(kKa) + kKha);
  }
  // UTF-16 recognised by its signature is then held to the case-sensitive
  // keyword.
  EXPECT_THAT(ParseBytes(Utf16Le(L"Version:1.0\r\nName:x\r\n")).errors,
              ElementsAre(kNoVersion));
}

TEST(SchemeParserTest, SplitsRulesAtTheFirstSpaceOrElseTheFirstTab) {
  const Parsed parsed = Parse(std::wstring(kHead) +
                              L"ka  \u0915\n"
                              L"kh\t\u0916 \n"
                              L"a b c\n"
                              L"x\ty z\n"
                              L"   \n");
  ASSERT_NE(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors, IsEmpty());
  EXPECT_THAT(parsed.rules,
              UnorderedElementsAre(Pair(L"ka", kKa), Pair(L"kh", kKha),
                                   Pair(L"a", L"b c"), Pair(L"x\ty", L"z")));
}

TEST(SchemeParserTest, ReportsBadRulesWithTheirLineNumbers) {
  const Parsed parsed = Parse(std::wstring(kHead) +
                              L"\t\n"                                // 3
                              L"word\n"                              // 4
                              L"\n"                                  // 5
                              L"ok \u0915\n"                         // 6
                              L"t " + std::wstring(31, L'x') + L"\n"  // 7
                              L"u " + std::wstring(30, L'x') + L"\n"  // 8
                              L"\n\n\n"                              // 9-11
                              L"v\t\n");                             // 12
  EXPECT_EQ(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors,
              ElementsAre(L"[Line: 3] : Prefix is empty",
                          L"[Line: 3] : Target is empty", At(4, kBadRule),
                          L"[Line: 7] : Target String contains more than 30 "
                          L"characters",
                          L"[Line:12] : Target is empty"));
  // Every line is checked: the valid ones are entered all the same.
  EXPECT_EQ(parsed.rules.count(L"u"), 1u);
}

TEST(SchemeParserTest, KeepsTheFirstTargetOfARepeatedSource) {
  const Parsed parsed = Parse(std::wstring(kHead) + L"a X\na Y\nb Z\n");
  ASSERT_NE(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors, IsEmpty());
  EXPECT_EQ(parsed.scheme->Convert(L"ab"), L"XZ");
}

TEST(SchemeParserTest, AppliesTheStopCharacter) {
  const Parsed parsed = Parse(std::wstring(kHead) +
                              L"a.b X\n"       // before the directive
                              L"stop-char: .\n"
                              L"c.d Y\n"       // 5
                              L"e f.g\n");
  EXPECT_EQ(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors, ElementsAre(At(5, kStopCharInRule)));
  EXPECT_THAT(parsed.rules, UnorderedElementsAre(Pair(L"a.b", L"X"),
                                                 Pair(L"e", L"f.g")));

  EXPECT_THAT(Parse(std::wstring(kHead) + L"stop-char\nstop-char a b\n"
                                          L"stop-char ab\nstop-char:\t;\n")
                  .errors,
              ElementsAre(kBadStopCharLine, kBadStopCharLine,
                          kStopCharTooLong));
}

TEST(SchemeParserTest, ReadsClassDirectivesOnlyAfterUsingClasses) {
  const Parsed before = Parse(std::wstring(kHead) +
                              L"class-delimiters < >\n"
                              L"wildcard %\n"
                              L"using  classes please\n");
  ASSERT_NE(before.scheme, nullptr);
  EXPECT_THAT(before.rules,
              UnorderedElementsAre(Pair(L"class-delimiters", L"< >"),
                                   Pair(L"wildcard", L"%"),
                                   Pair(L"using", L"classes please")));

  EXPECT_THAT(Parse(std::wstring(kHead) +
                    L"using\tclasses\n"
                    L"class-delimiters {\n"
                    L"class-delimiters: a b c\n"
                    L"wildcard\n"
                    L"wildcard a b\n")
                  .errors,
              ElementsAre(kBadDelimiterLine, kBadDelimiterLine,
                          kBadWildcardLine, kBadWildcardLine));
}

TEST(SchemeParserTest, ReadsOtherClassLinesAsRules) {
  const Parsed parsed = Parse(std::wstring(kHead) +
                              L"using classes\n"
                              L"class V\n"
                              L"class W [\n"
                              // Keywords are prefixes: this opens class "b".
                              L"classes b {\n"
                              L"o 0\n"
                              L"}\n"
                              L"x{b} *\n");
  ASSERT_NE(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors, IsEmpty());
  EXPECT_THAT(parsed.rules,
              UnorderedElementsAre(Pair(L"class", L"V"), Pair(L"xo", L"0")));
}

TEST(SchemeParserTest, ExpandsClassReferences) {
  const Parsed parsed = Parse(std::wstring(kHead) +
                              L"using classes\n"
                              L"class V {\n"
                              L"a \u093E\n"
                              L"\n"
                              L"i \u093F\n"
                              L"}\n"
                              L"class C {\n"
                              L"k \u0915\n"
                              L"}\n"
                              L"class V {\n"  // a second definition is ignored
                              L"u \u0941\n"
                              L"}\n"
                              L"kx Z\n"
                              L"k{V}h \u0916*\n"
                              L"{C}x X*Y\n"  // "kx" is taken: it stays Z
                              L"{C}a A*B\n");
  ASSERT_NE(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors, IsEmpty());
  EXPECT_THAT(parsed.rules,
              UnorderedElementsAre(
                  Pair(L"kah", std::wstring(kKha) + kSignAa),
                  Pair(L"kih", std::wstring(kKha) + kSignI),
                  Pair(L"kx", L"Z"),
                  Pair(L"ka", std::wstring(L"A") + kKa + L"B")));
}

TEST(SchemeParserTest, ExpandsWithCustomDelimitersAndWildcard) {
  const Parsed parsed = Parse(std::wstring(kHead) +
                              L"using classes\n"
                              L"class-delimiters: << >>\n"
                              L"wildcard %%\n"
                              L"class V <<\n"
                              L"a \u093E\n"
                              L"i \u093F\n"
                              L">>\n"
                              L"k<<V>> \u0915%%\n"
                              L"q{V} *\n");  // no longer a class reference
  ASSERT_NE(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors, IsEmpty());
  EXPECT_THAT(parsed.rules,
              UnorderedElementsAre(Pair(L"ka", std::wstring(kKa) + kSignAa),
                                   Pair(L"ki", std::wstring(kKa) + kSignI),
                                   Pair(L"q{V}", L"*")));
  EXPECT_EQ(parsed.scheme->Convert(L"kika"),
            std::wstring(kKa) + kSignI + kKa + kSignAa);
}

TEST(SchemeParserTest, ReportsBrokenClassReferences) {
  const Parsed parsed = Parse(std::wstring(kHead) +
                              L"using classes\n"
                              L"class V {\n"
                              L"a \u093E\n"
                              L"}\n"
                              L"k{V} \u0915\n"   // 7
                              L"k{V \u0915*\n"   // 8
                              L"k{W} \u0915*\n"  // 9
                              L"k{} \u0915*\n"); // 10
  EXPECT_EQ(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors,
              ElementsAre(At(7, kWildcardMissing), At(8, kClassEndMissing),
                          At(9, kClassNotDefined), At(10, kClassNotDefined)));

  // Without "using classes" a brace still makes a class reference.
  EXPECT_THAT(Parse(std::wstring(kHead) + L"k{V} x*\n").errors,
              ElementsAre(At(3, kClassNotDefined)));
}

TEST(SchemeParserTest, ReportsClassMembersUnderTheirOwnLines) {
  const Parsed parsed = Parse(std::wstring(kHead) +
                              L"using classes\n"
                              L"class V {\n"
                              L"a \u093E\n"
                              L"oops\n"  // 6
                              L"stop-char .\n"
                              L"i.\t\u093F\n"  // 8: checked when V closes
                              L"}\n"
                              L"k{V} \u0915*\n");
  EXPECT_EQ(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors,
              ElementsAre(At(6, kBadRule), At(8, kStopCharInRule)));
  // The valid member is still a member.
  EXPECT_THAT(parsed.rules,
              ElementsAre(Pair(L"ka", std::wstring(kKa) + kSignAa)));
}

TEST(SchemeParserTest, RefusesAnUnclosedClass) {
  const Parsed parsed = Parse(std::wstring(kHead) +
                              L"word\n"
                              L"using classes\n"
                              L"class V {\n"
                              L"oops\n"
                              L"class W {\n");
  EXPECT_EQ(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors, ElementsAre(At(3, kBadRule), kClassNotClosed));
}

TEST(SchemeParserTest, AcceptsAFileOfTwoLines) {
  const Parsed parsed = Parse(L"version:1.0\r\nName:Empty");
  ASSERT_NE(parsed.scheme, nullptr);
  EXPECT_THAT(parsed.errors, IsEmpty());
  EXPECT_EQ(parsed.scheme->Convert(L"abc"), L"");
}

TEST(SchemeParserTest, RefusesClassesThatExpandTooFar) {
  // A few hundred lines whose classes multiply into far too many rules.
  std::wstring text = std::wstring(kHead) + L"using classes\nclass V {\n";
  for (int i = 0; i < 300; ++i) {
    text += std::wstring(200, L'a') + std::to_wstring(i) + L" x\n";
  }
  text += L"}\n";
  for (int i = 0; i < 300; ++i) text += L"{V}" + std::to_wstring(i) + L" *\n";
  text += L"ok fine\nbad\n";
  const Parsed parsed = Parse(text);
  EXPECT_EQ(parsed.scheme, nullptr);
  ASSERT_EQ(parsed.errors.size(), 2u);
  EXPECT_THAT(parsed.errors[0], ::testing::EndsWith(kTooLarge));
  EXPECT_EQ(parsed.errors[1], At(607, kBadRule));
}

}  // namespace
}  // namespace ime_t13n
