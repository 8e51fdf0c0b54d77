// Candidate selection and the candidate list of a keystroke.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/static_transliterator.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "ime/t13n/transliteration/transliterator/transliterator.pb.h"
#include "ime/t13n/transliteration/transliterator/transliterator_test_helpers.h"

namespace ime_t13n {
namespace {

using namespace testing_helpers;

typedef std::vector<std::wstring> Words;

// A rule-based converter that always answers the same word, optionally
// asking for it to go first.
class FixedStaticTransliterator : public StaticTransliterator {
 public:
  FixedStaticTransliterator(const std::wstring& word, bool exact)
      : word_(word), exact_(exact) {}
  void Convert(const TransliterationModel& model, const std::wstring& word,
               std::wstring* out, bool* exact) const override {
    out->append(word_);
    *exact = exact_;
  }

 private:
  std::wstring word_;
  bool exact_;
};

// Readings r0 > r1 > r2 > r3 of "k" in "ar", where every reading is legal.
class SelectionTest : public ::testing::Test {
 protected:
  SelectionTest() : language_(HindiLike("ar", true)) {
    for (wchar_t c : {kKha, kTa, kMa, kYa}) r_.push_back(W({kKa, c}));
    language_.Segment(LanguageBuilder::kPrefix, L"k", 1,
                      {{r_[0], 0.5f}, {r_[1], 0.25f}, {r_[2], 0.125f},
                       {r_[3], 0.0625f}});
  }
  // The normalised score of reading i.
  float Score(int i) const { return (0.5f / (1 << i)) * 1.5f * 2 / 2; }

  LanguageBuilder language_;
  Words r_;
};

TEST_F(SelectionTest, ExactStaticWordMovesToTheFront) {
  TestTransliterator t(language_,
                       new FixedStaticTransliterator(r_[1], true));
  const std::vector<ScoredWord> words = t.Words(L"k", 3);
  ASSERT_EQ(WordsOf(words), Words({r_[1], r_[0], r_[2]}));
  // It came in with score 0 and now scores 1 above the word behind it.
  EXPECT_FLOAT_EQ(words[0].score, Score(0) + 1);
  EXPECT_FLOAT_EQ(words[1].score, Score(0));
  EXPECT_FLOAT_EQ(words[2].score, Score(2));
}

TEST_F(SelectionTest, ExactStaticWordPushesTheLastOneOut) {
  TestTransliterator t(language_, new FixedStaticTransliterator(L"new", true));
  EXPECT_EQ(WordsOf(t.Words(L"k", 3)), Words({L"new", r_[0], r_[1]}));
}

TEST_F(SelectionTest, StaticWordReplacesTheLastOfAFullList) {
  TestTransliterator t(language_);  // the trie converts k to KA
  const std::vector<ScoredWord> words = t.Words(L"k", 4);
  EXPECT_EQ(WordsOf(words), Words({r_[0], r_[1], r_[2], W({kKa})}));
  EXPECT_FLOAT_EQ(words[3].score, 0.0f);
  // With room to spare it is added at the end.
  EXPECT_EQ(WordsOf(t.Words(L"k", 6)),
            Words({r_[0], r_[1], r_[2], r_[3], W({kKa})}));
}

TEST_F(SelectionTest, StaticWordAlreadyListedIsNotRepeated) {
  TestTransliterator t(language_, new FixedStaticTransliterator(r_[1], false));
  EXPECT_EQ(WordsOf(t.Words(L"k", 4)), Words({r_[0], r_[1], r_[2], r_[3]}));
}

TEST_F(SelectionTest, OneWordAskedOneWordGiven) {
  TestTransliterator t(language_, new FixedStaticTransliterator(L"new", true));
  EXPECT_EQ(WordsOf(t.Words(L"k", 1)), Words({r_[0]}));
}

TEST_F(SelectionTest, UserChoiceFirstThenTheOtherTransliterations) {
  TestTransliterator t(language_, new FixedStaticTransliterator(L"", false));
  EXPECT_EQ(t.Candidates(L"k"), Words({r_[0], r_[1], r_[2], r_[3]}));
  // The choice is the third transliteration: it moves to the front.
  t->AddUserAccepted(L"k", r_[2], true);
  EXPECT_EQ(t.Candidates(L"k"), Words({r_[2], r_[0], r_[1], r_[3]}));
  EXPECT_EQ(t.Candidates(L"K"), Words({r_[2], r_[0], r_[1], r_[3]}));
  // A choice that is no transliteration takes the place of the last.
  t->AddUserAccepted(L"k", L"mine", true);
  EXPECT_EQ(t.Candidates(L"k"), Words({L"mine", r_[0], r_[1], r_[2]}));
}

TEST_F(SelectionTest, CandidatesAreAppendedAfterTheCallersEntries) {
  TestTransliterator t(language_, new FixedStaticTransliterator(L"", false));
  Words out = {L"macro"};
  t->GetCandidates(L"k", &out);
  EXPECT_EQ(out, Words({L"macro", r_[0], r_[1], r_[2], r_[3]}));
}

TEST(SelectionWithRulesTest, ShortListWithoutSeparatorsStaysShort) {
  LanguageBuilder language = HindiLike("ar");
  language.Segment(LanguageBuilder::kPrefix, L"k", 1,
                   {{W({kKa}), 0.5f}, {W({kTa}), 0.25f}, {W({kMa}), 0.125f}});
  TestTransliterator t(language);
  EXPECT_EQ(t.Candidates(L"k"), Words({W({kKa}), W({kTa}), W({kMa})}));
  t->AddUserAccepted(L"k", W({kYa}), true);
  EXPECT_EQ(t.Candidates(L"k"), Words({W({kYa}), W({kKa}), W({kTa})}));
}

// In "hi" with every word allowed by the rule counts: "ki" may become a
// word ending in a consonant only when nothing better ends like it.
class FirstPassTest : public ::testing::Test {
 protected:
  FirstPassTest() : language_(HindiLike("hi")) { language_.PermitAllWords(); }
  LanguageBuilder language_;
};

TEST_F(FirstPassTest, BestWordEndingLikeTheTypedWordGoesFirst) {
  const std::wstring kat = W({kKa, kTa});
  const std::wstring ki = W({kKa, kSignI});
  language_.Segment(LanguageBuilder::kPrefix, L"ki", 1,
                    {{kat, 0.5f}, {ki, 0.1f}});
  TestTransliterator t(language_);
  TransliterationDebugInfo debug;
  std::vector<ScoredWord> words;
  t->Transliterate(L"ki", 4, 100, &words, &debug);
  EXPECT_EQ(WordsOf(words), Words({ki, kat}));
  EXPECT_FLOAT_EQ(words[0].score, 0.75f + 1);
  ASSERT_EQ(debug.failed_soundex_matches_size(), 1);
  EXPECT_EQ(debug.failed_soundex_matches(0), ime_shared::WideToUtf8(kat));
  // Both in the first pass, then the consonant word in the second.
  ASSERT_EQ(debug.legal_sugs_size(), 3);
  EXPECT_FLOAT_EQ(debug.legal_sugs(0).probability(), 0.75f);
  EXPECT_FLOAT_EQ(debug.legal_sugs(1).probability(), 0.15f);
}

TEST_F(FirstPassTest, TenfoldDropEndsTheSearch) {
  const std::wstring kat = W({kKa, kTa});
  const std::wstring ki = W({kKa, kSignI});
  // 0.75 against 0.06: more than ten times.
  language_.Segment(LanguageBuilder::kPrefix, L"ki", 1,
                    {{kat, 0.5f}, {ki, 0.04f}});
  TestTransliterator t(language_);
  EXPECT_EQ(WordsOf(t.Words(L"ki", 4)), Words({kat, ki}));
}

TEST_F(FirstPassTest, LooksAtFiveLegalWordsAtMost) {
  Words consonant_endings;
  for (wchar_t c : {kKa, kKha, kTa, kMa, kYa}) {
    consonant_endings.push_back(W({kKa, c}));
  }
  const std::wstring ki = W({kKa, kSignI});
  std::vector<NativeScore> readings;
  float p = 0.5f;
  for (const std::wstring& w : consonant_endings) {
    readings.push_back({w, p});
    p -= 0.03125f;
  }
  readings.push_back({ki, p});
  language_.Segment(LanguageBuilder::kPrefix, L"ki", 1, readings);
  TestTransliterator t(language_);
  Words expected = consonant_endings;
  expected.push_back(ki);
  EXPECT_EQ(WordsOf(t.Words(L"ki", 10)), expected);

  // With one consonant word less, the vowel-sign word is the fifth and
  // goes first.
  readings.erase(readings.begin());
  LanguageBuilder fewer = HindiLike("hi");
  fewer.PermitAllWords().Segment(LanguageBuilder::kPrefix, L"ki", 1, readings);
  TestTransliterator u(fewer);
  EXPECT_EQ(WordsOf(u.Words(L"ki", 10))[0], ki);
}

TEST_F(FirstPassTest, IllegalWordsAreNeverCandidates) {
  // A word starting with a vowel sign breaks the rules; one starting with
  // a vowel does not agree with the typed consonant.
  language_.Segment(LanguageBuilder::kPrefix, L"ki", 1,
                    {{W({kSignI, kKa}), 0.5f},
                     {W({kVowelI, kKa}), 0.4f},
                     {W({kKa, kSignI}), 0.01f}});
  TestTransliterator t(language_);
  EXPECT_EQ(WordsOf(t.Words(L"ki", 4)), Words({W({kKa, kSignI})}));
}

class FillUpTest : public ::testing::Test {
 protected:
  explicit FillUpTest(const std::string& code = "hi")
      : language_(HindiLike(code)) {
    language_.PermitAllWords()
        .Segment(LanguageBuilder::kPrefix, L"ki", 1,
                 {{ki_, 0.5f}, {kat_, 0.25f}})
        .Segment(LanguageBuilder::kPrefix, L"ta", 1, {{taa_, 0.5f}});
  }

  const std::wstring ki_ = W({kKa, kSignI});
  const std::wstring kat_ = W({kKa, kTa});
  const std::wstring taa_ = W({kTa, kSignAa});
  LanguageBuilder language_;
};

TEST_F(FillUpTest, PiecesBetweenDigitsGetNativeDigits) {
  TestTransliterator t(language_);
  const std::wstring nine = W({0x096F});
  EXPECT_EQ(t.Candidates(L"ki9"), Words({ki_ + nine, kat_ + nine}));
  // Each piece fills the candidates from the first on.
  EXPECT_EQ(t.Candidates(L"ki0ta"),
            Words({ki_ + W({0x0966}) + taa_, kat_ + W({0x0966})}));
  EXPECT_EQ(t.Candidates(L"ki12"),
            Words({ki_ + W({0x0967, 0x0968}), kat_ + W({0x0967, 0x0968})}));
}

TEST_F(FillUpTest, ApostrophesStayAsTyped) {
  TestTransliterator t(language_);
  EXPECT_EQ(t.Candidates(L"ki'ta"), Words({ki_ + L"'" + taa_, kat_ + L"'"}));
  EXPECT_EQ(t.Candidates(L"ki`"), Words({ki_ + L"`", kat_ + L"`"}));
}

TEST_F(FillUpTest, SeparatorAtTheStartIsLost) {
  TestTransliterator t(language_);
  EXPECT_EQ(t.Candidates(L"9ki"), Words({ki_, kat_}));
  EXPECT_EQ(t.Candidates(L"9"), Words());
}

TEST_F(FillUpTest, UserChoiceStillComesFirst) {
  TestTransliterator t(language_);
  t->AddUserAccepted(L"ki9", L"mine", true);
  const std::wstring nine = W({0x096F});
  EXPECT_EQ(t.Candidates(L"ki9"), Words({L"mine", ki_ + nine, kat_ + nine}));
}

class RussianFillUpTest : public FillUpTest {
 protected:
  RussianFillUpTest() : FillUpTest("ru") {}
};

TEST_F(RussianFillUpTest, LatinDigitsStay) {
  TestTransliterator t(language_);
  EXPECT_EQ(t.Candidates(L"ki9"), Words({ki_ + L"9", kat_ + L"9"}));
}

// Greek: kappa and alpha.
class GreekTest : public ::testing::Test {
 protected:
  GreekTest() : language_("el") {
    language_.Char(W({kKappa}), Language::CONSONANT, "k")
        .Char(W({kAlpha}), Language::VOWEL, "a")
        .ClassLists({L"a, e, i, o, u", L"k"})
        .PermitAllWords()
        .Segment(LanguageBuilder::kSimple, L"k", 1, {{W({kKappa}), 1.0f}})
        .Segment(LanguageBuilder::kSuffix, L"a", 1, {{W({kAlpha}), 1.0f}});
  }

  static constexpr wchar_t kKappa = 0x03BA;
  static constexpr wchar_t kAlpha = 0x03B1;
  LanguageBuilder language_;
};

TEST_F(GreekTest, CaseOfTheTypedWordCarriesOver) {
  TestTransliterator t(language_);
  EXPECT_EQ(t.Candidates(L"ka"), Words({W({kKappa, kAlpha})}));
  EXPECT_EQ(t.Candidates(L"Ka"), Words({W({0x039A, kAlpha})}));
  EXPECT_EQ(t.Candidates(L"KA"), Words({W({0x039A, 0x0391})}));
  EXPECT_EQ(t.Candidates(L"kA"), Words({W({kKappa, kAlpha})}));
}

TEST_F(GreekTest, DigitsBecomeLettersWithTheNumeralSign) {
  TestTransliterator t(language_);
  EXPECT_EQ(t.Candidates(L"ka1"),
            Words({W({kKappa, kAlpha, 0x0391, 0x0374})}));
  EXPECT_EQ(t.Candidates(L"ka0"), Words({W({kKappa, kAlpha}) + L"0"}));
  EXPECT_EQ(t.Candidates(L"Ka6"),
            Words({W({0x039A, kAlpha, 0x03DD, 0x0374})}));
}

TEST_F(GreekTest, CaseIsNotChangedInTheCallersEntries) {
  TestTransliterator t(language_);
  Words out = {W({kAlpha})};
  t->GetCandidates(L"KA", &out);
  EXPECT_EQ(out, Words({W({kAlpha}), W({0x039A, 0x0391})}));
}

TEST(WordEndingTest, EndingsMustAgree) {
  TestTransliterator hi(HindiLike("hi"));
  const std::wstring consonant_end = W({kKa, kTa});
  const std::wstring vowel_end = W({kKa, kVowelA});
  const std::wstring sign_end = W({kKa, kSignI});
  // e, i, o, u and y: no final consonant.
  for (const wchar_t* word : {L"ke", L"ki", L"ko", L"ku", L"ky"}) {
    EXPECT_FALSE(hi->CheckWordEnding(word, consonant_end)) << word;
  }
  EXPECT_TRUE(hi->CheckWordEnding(L"ki", sign_end));
  // A final a is free.
  EXPECT_TRUE(hi->CheckWordEnding(L"ka", consonant_end));
  EXPECT_TRUE(hi->CheckWordEnding(L"ka", sign_end));
  // A consonant letter or y: no final vowel or vowel sign.
  EXPECT_FALSE(hi->CheckWordEnding(L"kt", vowel_end));
  EXPECT_FALSE(hi->CheckWordEnding(L"kt", sign_end));
  EXPECT_FALSE(hi->CheckWordEnding(L"ky", sign_end));
  EXPECT_TRUE(hi->CheckWordEnding(L"kt", consonant_end));
  // Anything but a letter.
  EXPECT_TRUE(hi->CheckWordEnding(L"k9", sign_end));
  EXPECT_TRUE(hi->CheckWordEnding(L"k9", consonant_end));

  // For "ar" a final y only forbids a final consonant.
  TestTransliterator ar(HindiLike("ar"));
  EXPECT_TRUE(ar->CheckWordEnding(L"ky", sign_end));
  EXPECT_FALSE(ar->CheckWordEnding(L"ky", consonant_end));
}

}  // namespace
}  // namespace ime_t13n
