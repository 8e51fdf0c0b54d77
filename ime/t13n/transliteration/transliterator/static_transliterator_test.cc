#include "ime/t13n/transliteration/transliterator/static_transliterator.h"

#include <string>

#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/transliterator_test_helpers.h"

namespace ime_t13n {
namespace {

using namespace testing_helpers;

std::wstring Convert(TestTransliterator& t, const std::wstring& word) {
  StaticTransliterator converter;
  std::wstring out;
  bool exact = true;
  converter.Convert(t->model(), word, &out, &exact);
  EXPECT_FALSE(exact);
  return out;
}

TEST(StaticTransliteratorTest, JoinsPiecesWithSignsAndVirama) {
  TestTransliterator t(HindiLike("hi", true));
  EXPECT_EQ(Convert(t, L"kaa"), W({kKa, kSignAa}));
  EXPECT_EQ(Convert(t, L"aak"), W({kVowelAa, kKa}));
  EXPECT_EQ(Convert(t, L"kk"), W({kKa, kVirama, kKa}));
  EXPECT_EQ(Convert(t, L"kht"), W({kKha, kVirama, kTa}));
  EXPECT_EQ(Convert(t, L"kti"), W({kKa, kVirama, kTa, kSignI}));
}

TEST(StaticTransliteratorTest, UnknownUnitsProduceNothing) {
  TestTransliterator t(HindiLike("hi", true));
  EXPECT_EQ(Convert(t, L"qqq"), L"");
  EXPECT_EQ(Convert(t, L""), L"");
  EXPECT_EQ(Convert(t, L"k9t"), W({kKa, kVirama, kTa}));
  // Case-sensitive: K is not k.
  EXPECT_EQ(Convert(t, L"Kaa"), W({kVowelAa}));
}

TEST(StaticTransliteratorTest, DeadEndOfALongerSpellingIsDropped) {
  // kh is a spelling, k alone is not: "kt" walks into k, finds nothing
  // there and goes on with t from the start.
  LanguageBuilder language("hi");
  language.Char(W({kKha}), Language::CONSONANT, "kh", "kh")
      .Char(W({kTa}), Language::CONSONANT, "t", "t");
  TestTransliterator t(language);
  EXPECT_EQ(Convert(t, L"kt"), W({kTa}));
  EXPECT_EQ(Convert(t, L"tk"), W({kTa}));
}

TEST(StaticTransliteratorTest, FinalViramaOnlyWhenTheLanguageWantsIt) {
  LanguageBuilder language("hi");
  language.Char(W({kKa}), Language::CONSONANT, "k", "k")
      .Char(W({kVowelA}), Language::VOWEL, "a", "a")
      .Char(W({kVirama}), Language::SPECIAL, "")
      .EndWordsWithVirama();
  TestTransliterator t(language);
  EXPECT_EQ(Convert(t, L"kk"), W({kKa, kVirama, kKa, kVirama}));
  EXPECT_EQ(Convert(t, L"ka"), W({kKa, kVowelA}));  // a has no sign
}

TEST(StaticTransliteratorTest, LengthAndCharAt) {
  StaticTransliterator converter;
  EXPECT_EQ(converter.Length(L"abc"), 3);
  std::wstring unit = L"x";
  converter.CharAt(L"abc", 1, &unit);
  EXPECT_EQ(unit, L"b");
  converter.CharAt(L"abc", 3, &unit);
  EXPECT_EQ(unit, L"");
  converter.CharAt(L"abc", -1, &unit);
  EXPECT_EQ(unit, L"");
}

}  // namespace
}  // namespace ime_t13n
