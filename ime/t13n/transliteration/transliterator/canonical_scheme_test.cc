#include "ime/t13n/transliteration/transliterator/canonical_scheme.h"

#include <string>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

TEST(CanonicalSchemeTest, TakesTheLongestRuleAndDropsWhatBeginsNoRule) {
  CanonicalScheme scheme(L"My scheme",
                         {{L"k", L"\u0915"}, {L"kh", L"\u0916"}});
  EXPECT_EQ(scheme.name(), L"My scheme");
  // "kh" then "a", which begins no rule and is dropped.
  EXPECT_EQ(scheme.Convert(L"kha"), L"\u0916");
  EXPECT_EQ(scheme.Convert(L"kkh"), L"\u0915\u0916");
  EXPECT_EQ(scheme.Convert(L"xkx"), L"\u0915");
  EXPECT_EQ(scheme.Convert(L""), L"");
}

TEST(CanonicalSchemeTest, DoesNotStepBackToAShorterRule) {
  CanonicalScheme scheme(L"s", {{L"ab", L"X"}, {L"abcd", L"Y"}, {L"e", L"E"}});
  EXPECT_EQ(scheme.Convert(L"abcd"), L"Y");
  EXPECT_EQ(scheme.Convert(L"ab"), L"X");
  // The walk over "abc" ends on a node without value: the run gives nothing.
  EXPECT_EQ(scheme.Convert(L"abce"), L"E");
  EXPECT_EQ(scheme.Convert(L"abcdab"), L"YX");
}

TEST(CanonicalSchemeTest, ConvertsLongWordsThroughLongRules) {
  const std::wstring source(100000, L'a');
  CanonicalScheme scheme(L"s", {{source, L"A"}, {L"b", L"B"}});
  EXPECT_EQ(scheme.Convert(source + L"b" + source), L"ABA");
  EXPECT_EQ(scheme.Convert(std::wstring(50000, L'z')), L"");
}

}  // namespace
}  // namespace ime_t13n
