#include "ime/t13n/transliteration/transliterator/model_view.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/transliterator_test_helpers.h"

namespace ime_t13n {
namespace {

using namespace testing_helpers;

// The counts that the word KA TA sign-AA needs, each exactly at its
// threshold, with one of them |lowered| by one.
LanguageBuilder RulesForKataa(int lowered) {
  LanguageBuilder language = HindiLike("hi");
  const std::wstring ka = W({kKa}), ta = W({kTa}), aa = W({kSignAa});
  const int counts[] = {8, 1, 1, 500, 500, 12, 6};
  auto count = [&](int i) { return counts[i] - (i == lowered ? 1 : 0); };
  language.Rule(LanguageRule::CHAR_POSITIONS, L"b", ka, count(0))
      .Rule(LanguageRule::CONSEC_CHARS, ka, ta, count(1))
      .Rule(LanguageRule::CONSEC_CHARS, ta, aa, count(2))
      .Rule(LanguageRule::CONSEC_CHAR_CLASSES, L"1", L"1", count(3))
      .Rule(LanguageRule::CONSEC_CHAR_CLASSES, L"1", L"3", count(4))
      .Rule(LanguageRule::CHAR_POSITIONS, L"m", ta, count(5))
      .Rule(LanguageRule::CHAR_POSITIONS, L"e", aa, count(6));
  return language;
}

TEST(CheckLanguageRulesTest, EveryCountMustReachItsThreshold) {
  const std::wstring kataa = W({kKa, kTa, kSignAa});
  TestTransliterator exact(RulesForKataa(-1));
  EXPECT_TRUE(exact->view().CheckLanguageRules(kataa));
  // Begin 7, a pair of characters 0, a pair of classes 499, middle 11,
  // end 5: each fails the word.
  for (int lowered = 0; lowered < 7; ++lowered) {
    TestTransliterator t(RulesForKataa(lowered));
    EXPECT_FALSE(t->view().CheckLanguageRules(kataa)) << lowered;
  }
}

TEST(CheckLanguageRulesTest, MissingCountsFail) {
  TestTransliterator t(HindiLike("hi"));
  EXPECT_FALSE(t->view().CheckLanguageRules(W({kKa, kTa})));
}

TEST(CheckLanguageRulesTest, OneCharacterNeedsOnlyItsClass) {
  TestTransliterator t(HindiLike("hi"));  // no counts at all
  const ModelView& view = t->view();
  EXPECT_TRUE(view.CheckLanguageRules(W({kKa})));
  EXPECT_TRUE(view.CheckLanguageRules(W({kVowelI})));
  EXPECT_FALSE(view.CheckLanguageRules(W({kSignI})));
  EXPECT_FALSE(view.CheckLanguageRules(W({kVirama})));
  EXPECT_FALSE(view.CheckLanguageRules(L"x"));
  EXPECT_FALSE(view.CheckLanguageRules(L""));
}

TEST(CheckLanguageRulesTest, ViramaAndVowelSignsNeedTheRightNeighbours) {
  LanguageBuilder language = HindiLike("hi");
  language.Char(W({0x200D}), Language::UNDEFINED, "")
      .Char(W({0x200C}), Language::UNDEFINED, "")
      .PermitAllWords();
  TestTransliterator t(language);
  const ModelView& view = t->view();
  EXPECT_TRUE(view.CheckLanguageRules(W({kKa, kVirama, kTa})));
  EXPECT_TRUE(view.CheckLanguageRules(W({kKa, kVirama, 0x200D, kTa})));
  EXPECT_TRUE(view.CheckLanguageRules(W({kKa, kVirama, 0x200C, kTa})));
  EXPECT_FALSE(view.CheckLanguageRules(W({kKa, kVirama, kVowelA})));
  EXPECT_FALSE(view.CheckLanguageRules(W({kVowelA, kVirama})));
  EXPECT_TRUE(view.CheckLanguageRules(W({kKa, kSignAa})));
  EXPECT_FALSE(view.CheckLanguageRules(W({kVowelA, kSignAa})));
  EXPECT_FALSE(view.CheckLanguageRules(W({kKa, kSignAa, kSignI})));
  EXPECT_FALSE(view.CheckLanguageRules(W({kKa, kVirama, kSignI})));
}

TEST(IsValidWordForLanguageTest, FirstLettersMustAgree) {
  LanguageBuilder language = HindiLike("hi");
  TestTransliterator t(language.PermitAllWords());
  const ModelView& view = t->view();
  EXPECT_TRUE(view.IsValidWordForLanguage(W({kKa, kTa}), L"kt"));
  EXPECT_FALSE(view.IsValidWordForLanguage(W({kKa, kTa}), L"at"));
  EXPECT_FALSE(view.IsValidWordForLanguage(W({kKa, kTa}), L"9t"));
  EXPECT_FALSE(view.IsValidWordForLanguage(W({kKa, kTa}), L""));
  EXPECT_TRUE(view.IsValidWordForLanguage(W({kVowelI, kTa}), L"it"));
  EXPECT_TRUE(view.IsValidWordForLanguage(W({kVowelI, kTa}), L"yt"));
  EXPECT_FALSE(view.IsValidWordForLanguage(W({kVowelI, kTa}), L"kt"));
  // The vocalic R is a vowel spelt with r.
  EXPECT_TRUE(view.IsValidWordForLanguage(W({kVocalicR, kTa}), L"rt"));
  EXPECT_FALSE(view.IsValidWordForLanguage(W({kVocalicR, kTa}), L"kt"));
  // The rules come first.
  EXPECT_FALSE(view.IsValidWordForLanguage(W({kSignI, kTa}), L"it"));
}

TEST(IsValidWordForLanguageTest, ExemptionsByLanguage) {
  // "ar": anything goes, even what breaks every rule.
  TestTransliterator ar(HindiLike("ar"));
  EXPECT_TRUE(ar->view().IsValidWordForLanguage(W({kSignI, kTa}), L"k"));
  EXPECT_TRUE(ar->view().IsValidWordForLanguage(L"", L""));
  // "ur" and the others: the rules hold, the first letters need not agree.
  for (const char* code : {"ur", "fa", "el", "am", "ti"}) {
    LanguageBuilder language = HindiLike(code);
    TestTransliterator t(language.PermitAllWords());
    EXPECT_TRUE(t->view().IsValidWordForLanguage(W({kKa, kTa}), L"at"))
        << code;
    EXPECT_FALSE(t->view().IsValidWordForLanguage(W({kSignI, kTa}), L"it"))
        << code;
  }
}

TEST(IsValidWordForLanguageTest, VocalicRFollowsTheScript) {
  // Kannada's vocalic R and its sign; the Devanagari one is no longer it.
  const wchar_t kKannadaR = 0x0C8B, kKannadaSign = 0x0CC3;
  LanguageBuilder language("kn");
  language.Char(W({kKannadaR}), Language::VOWEL, "ri", nullptr,
                W({kKannadaSign}))
      .Char(W({kVocalicR}), Language::VOWEL, "ri")
      .Char(W({kTa}), Language::CONSONANT, "t")
      .PermitAllWords();
  TestTransliterator t(language);
  EXPECT_TRUE(t->view().IsValidWordForLanguage(W({kKannadaR, kTa}), L"rt"));
  EXPECT_FALSE(t->view().IsValidWordForLanguage(W({kVocalicR, kTa}), L"rt"));
}

// Letters k, t and m have classes of their own; y is also in the class of
// "a" (a half vowel), so it may appear on one side only.
class SkeletonTest : public ::testing::Test {
 protected:
  SkeletonTest() : language_(HindiLike("hi")) {
    language_.ClassLists({L"a, e, i, o, u, y", L"k, g", L"t", L"m", L"y"});
  }
  LanguageBuilder language_;
};

TEST_F(SkeletonTest, EnglishSkeletonSkipsVowelsAndRepeats) {
  TestTransliterator t(language_);
  std::vector<int64_t> skeleton;
  t->view().EnglishClassSkeleton(L"kaka", &skeleton);
  EXPECT_EQ(skeleton, std::vector<int64_t>({2}));
  t->view().EnglishClassSkeleton(L"kgT", &skeleton);  // k and g: one class
  EXPECT_EQ(skeleton, std::vector<int64_t>({2, 4}));
  t->view().EnglishClassSkeleton(L"kxty", &skeleton);  // x has no class
  EXPECT_EQ(skeleton, std::vector<int64_t>({2, 4, 17}));
  t->view().EnglishClassSkeleton(L"", &skeleton);
  EXPECT_TRUE(skeleton.empty());
}

TEST_F(SkeletonTest, IndicSkeletonSpellsThroughTheKeyValueTable) {
  TestTransliterator t(language_);
  std::vector<int64_t> skeleton;
  t->view().IndicClassSkeleton(W({kKa, kVirama, kTa, kSignAa}), &skeleton);
  EXPECT_EQ(skeleton, std::vector<int64_t>({2, 4}));
  t->view().IndicClassSkeleton(W({0x0C95}), &skeleton);  // not in the table
  EXPECT_TRUE(skeleton.empty());
}

TEST_F(SkeletonTest, ConsonantsMustMatchInOrder) {
  TestTransliterator t(language_);
  const ModelView& view = t->view();
  EXPECT_TRUE(view.MatchesConsonantSkeleton(W({kKa, kTa, kSignAa}), L"kataa"));
  EXPECT_TRUE(view.MatchesConsonantSkeleton(W({kKa, kTa}), L"KT"));
  EXPECT_FALSE(view.MatchesConsonantSkeleton(W({kKa, kMa}), L"kt"));
  EXPECT_FALSE(view.MatchesConsonantSkeleton(W({kKa, kTa}), L"k"));
  EXPECT_FALSE(view.MatchesConsonantSkeleton(W({kKa}), L"kt"));
  // y counts as a vowel where the other side has nothing for it.
  EXPECT_TRUE(view.MatchesConsonantSkeleton(W({kKa}), L"ky"));
  EXPECT_TRUE(view.MatchesConsonantSkeleton(W({kKa, kYa}), L"k"));
  EXPECT_TRUE(view.MatchesConsonantSkeleton(W({kKa, kYa, kTa}), L"kt"));
  EXPECT_TRUE(view.MatchesConsonantSkeleton(W({kKa, kTa}), L"kyt"));
  EXPECT_TRUE(view.MatchesConsonantSkeleton(W({kKa, kYa}), L"ky"));
}

TEST(SkeletonExemptionTest, ArabicMatchesEverything) {
  TestTransliterator t(HindiLike("ar"));
  EXPECT_TRUE(t->view().MatchesConsonantSkeleton(W({kKa, kMa}), L"xyz"));
}

}  // namespace
}  // namespace ime_t13n
