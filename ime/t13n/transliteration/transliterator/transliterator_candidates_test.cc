// Candidate selection and the candidate list of a keystroke.
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/model_view.h"
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

// Pieces between separators with 1, 2 or 3 readings: "ta" one, "ki" and
// "ram" two, "ka" three, "shyam" one; "xq" none.
class FillUpTest : public ::testing::Test {
 protected:
  explicit FillUpTest(const std::string& code = "hi")
      : language_(HindiLike(code)) {
    language_.Char(W({kSha}), Language::CONSONANT, "sh")
        .PermitAllWords()
        .Segment(LanguageBuilder::kPrefix, L"ki", 1,
                 {{ki_, 0.5f}, {kat_, 0.25f}})
        .Segment(LanguageBuilder::kPrefix, L"ta", 1, {{taa_, 0.5f}})
        .Segment(LanguageBuilder::kPrefix, L"ka", 1,
                 {{ka_, 0.5f}, {kaa_, 0.25f}, {kha_, 0.125f}})
        .Segment(LanguageBuilder::kPrefix, L"ram", 1,
                 {{ram_, 0.5f}, {raam_, 0.25f}})
        .Segment(LanguageBuilder::kPrefix, L"shyam", 1, {{shyam_, 0.5f}});
  }

  static constexpr wchar_t kSha = 0x0936;
  const std::wstring ki_ = W({kKa, kSignI});
  const std::wstring kat_ = W({kKa, kTa});
  const std::wstring taa_ = W({kTa, kSignAa});
  const std::wstring ka_ = W({kKa});
  const std::wstring kaa_ = W({kKa, kSignAa});
  const std::wstring kha_ = W({kKha});
  const std::wstring ram_ = W({kRa, kMa});
  const std::wstring raam_ = W({kRa, kSignAa, kMa});
  const std::wstring shyam_ = W({kSha, kYa, kMa});
  const std::wstring zero_ = W({0x0966});
  const std::wstring nine_ = W({0x096F});
  LanguageBuilder language_;
};

TEST_F(FillUpTest, EveryCandidateKeepsEveryPieceAndSeparatorInPlace) {
  TestTransliterator t(language_);
  // A piece with fewer readings than the others gives its best one to the
  // candidates beyond them.
  EXPECT_EQ(t.Candidates(L"ki0ta"),
            Words({ki_ + zero_ + taa_, kat_ + zero_ + taa_}));
  EXPECT_EQ(t.Candidates(L"ram'shyam"),
            Words({ram_ + L"'" + shyam_, raam_ + L"'" + shyam_}));
  EXPECT_EQ(t.Candidates(L"ka0ki'ta"),
            Words({ka_ + zero_ + ki_ + L"'" + taa_,
                   kaa_ + zero_ + kat_ + L"'" + taa_,
                   kha_ + zero_ + ki_ + L"'" + taa_}));
  EXPECT_EQ(t.Candidates(L"ta`ka"),
            Words({taa_ + L"`" + ka_, taa_ + L"`" + kaa_,
                   taa_ + L"`" + kha_}));
  // Separators at the start, at the end and next to each other.
  EXPECT_EQ(t.Candidates(L"9ka"),
            Words({nine_ + ka_, nine_ + kaa_, nine_ + kha_}));
  EXPECT_EQ(t.Candidates(L"ki9"), Words({ki_ + nine_, kat_ + nine_}));
  EXPECT_EQ(t.Candidates(L"ki12"),
            Words({ki_ + W({0x0967, 0x0968}), kat_ + W({0x0967, 0x0968})}));
  EXPECT_EQ(t.Candidates(L"'ki''ta9"),
            Words({L"'" + ki_ + L"''" + taa_ + nine_,
                   L"'" + kat_ + L"''" + taa_ + nine_}));
  // Nothing but separators.
  EXPECT_EQ(t.Candidates(L"9"), Words({nine_}));
  EXPECT_EQ(t.Candidates(L"90'"), Words({nine_ + zero_ + L"'"}));
  // A piece without any reading stays as typed.
  EXPECT_EQ(t.Candidates(L"ki0XQ"),
            Words({ki_ + zero_ + L"XQ", kat_ + zero_ + L"XQ"}));
  EXPECT_EQ(t.Candidates(L"xq'"), Words({L"xq'"}));
}

TEST_F(FillUpTest, UserChoiceStillComesFirstAndIsNotRepeated) {
  TestTransliterator t(language_);
  t->AddUserAccepted(L"ki9", L"mine", true);
  EXPECT_EQ(t.Candidates(L"ki9"), Words({L"mine", ki_ + nine_, kat_ + nine_}));
  // The choice is itself one of the pieced-together words.
  t->AddUserAccepted(L"ki9", kat_ + nine_, true);
  EXPECT_EQ(t.Candidates(L"ki9"), Words({kat_ + nine_, ki_ + nine_}));
}

class RussianFillUpTest : public FillUpTest {
 protected:
  RussianFillUpTest() : FillUpTest("ru") {}
};

TEST_F(RussianFillUpTest, LatinDigitsStay) {
  TestTransliterator t(language_);
  EXPECT_EQ(t.Candidates(L"ki9"), Words({ki_ + L"9", kat_ + L"9"}));
  EXPECT_EQ(t.Candidates(L"9ka0"),
            Words({L"9" + ka_ + L"0", L"9" + kaa_ + L"0",
                   L"9" + kha_ + L"0"}));
}

// Whole-word readings of a word with separators, from the lookup table of
// an "ar" language: every word passes the checks there, and lookups keep
// their order (they all weigh the same without a dictionary).
TEST(WholeWordReadingTest, OnlyReadingsThatKeepTheSeparatorsAreOffered) {
  const std::wstring ki = W({kKa, kSignI});
  const std::wstring kat = W({kKa, kTa});
  const std::wstring taa = W({kTa, kSignAa});
  const std::wstring zero = W({0x0660});  // Arabic-Indic digits
  const std::wstring one = W({0x0661});
  LanguageBuilder language = HindiLike("ar");
  language
      .Segment(LanguageBuilder::kPrefix, L"ki", 1, {{ki, 0.5f}, {kat, 0.25f}})
      .Segment(LanguageBuilder::kPrefix, L"ta", 1, {{taa, 0.5f}})
      .Lookup(L"ki0ta", {{ki + taa, 1},                  // the digit lost
                         {zero + ki + taa, 1},           // in the wrong place
                         {taa + zero + kat, 1},          // kept
                         {kat + zero + taa + zero, 1}})  // one digit too many
      .Lookup(L"ki1ta", {{ki + W({0x0967}) + taa, 1},  // another script's
                         {kat + L"1" + taa, 1},        // a Latin digit
                         {ki + one + one + taa, 1},    // the digit twice
                         {ki + one + L"'" + taa, 1}})  // an apostrophe more
      .Lookup(L"ki'", {{ki + L"'", 1}, {ki, 1}})
      .Lookup(L"ki9", {{ki, 1}});
  TestTransliterator t(language);
  ASSERT_EQ(WordsOf(t.Words(L"ki0ta", 4)),
            Words({ki + taa, zero + ki + taa, taa + zero + kat,
                   kat + zero + taa + zero}));
  // The kept reading, then the pieced-together words.
  EXPECT_EQ(t.Candidates(L"ki0ta"),
            Words({taa + zero + kat, ki + zero + taa, kat + zero + taa}));
  EXPECT_EQ(t.Candidates(L"ki1ta"),
            Words({ki + one + taa, kat + one + taa}));
  // A kept reading that equals a pieced-together one is not listed twice.
  EXPECT_EQ(t.Candidates(L"ki'"), Words({ki + L"'", kat + L"'"}));
  EXPECT_EQ(t.Candidates(L"ki9"),
            Words({ki + W({0x0669}), kat + W({0x0669})}));
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

TEST_F(GreekTest, OnlyLatinLettersDecideTheCase) {
  // U+0161 has the low byte of "a" but is no letter: the typed K is the
  // only letter, so the word counts as typed in capitals.
  language_.Segment(LanguageBuilder::kSuffix, L"\x0161", 1,
                    {{W({kAlpha}), 1.0f}});
  TestTransliterator t(language_);
  EXPECT_EQ(t.Candidates(L"k\x0161"), Words({W({kKappa, kAlpha})}));
  EXPECT_EQ(t.Candidates(L"K\x0161"), Words({W({0x039A, 0x0391})}));
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

// Units above U+00FF whose low byte is that of a Latin letter are no
// letters to the word checks: U+0169 (low byte "i"), U+0965 ("e"), U+FF45
// ("E"), U+0174 ("t"), U+0179 ("y"), U+0161 ("a").
TEST(LatinLetterChecksTest, UnitsAboveLatinOneAreNoLetters) {
  const std::wstring consonant_end = W({kKa, kTa});
  const std::wstring vowel_end = W({kKa, kVowelA});
  const std::wstring sign_end = W({kKa, kSignI});
  LanguageBuilder hindi = HindiLike("hi");
  TestTransliterator hi(hindi.PermitAllWords());

  // Word endings: neither a vowel letter (a final consonant is fine) nor a
  // consonant letter (a final vowel or vowel sign is fine).
  for (const wchar_t* word :
       {L"k\x0169", L"k\x0965", L"k\xFF45", L"k\x0179"}) {
    EXPECT_TRUE(hi->CheckWordEnding(word, consonant_end)) << word[1];
  }
  for (const wchar_t* word : {L"k\x0174", L"k\x0179", L"k\x0161"}) {
    EXPECT_TRUE(hi->CheckWordEnding(word, vowel_end)) << word[1];
    EXPECT_TRUE(hi->CheckWordEnding(word, sign_end)) << word[1];
  }

  // First letters: a consonant does not agree with U+0174, a vowel not
  // with U+0169, U+0179 or U+0161.
  const ModelView& view = hi->view();
  EXPECT_TRUE(view.IsValidWordForLanguage(consonant_end, L"tk"));
  EXPECT_FALSE(view.IsValidWordForLanguage(consonant_end, L"\x0174k"));
  EXPECT_TRUE(view.IsValidWordForLanguage(W({kVowelI, kTa}), L"it"));
  for (const wchar_t* word : {L"\x0169t", L"\x0179t", L"\x0161t"}) {
    EXPECT_FALSE(view.IsValidWordForLanguage(W({kVowelI, kTa}), word))
        << word[0];
  }

  // The virama join between two English consonant letters: k|t joins,
  // k|U+0174 does not.
  LanguageBuilder arabic = HindiLike("ar");
  arabic.Segment(LanguageBuilder::kSimple, L"k", 1, {{W({kKa}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"t", 1, {{W({kTa}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"\x0174", 1, {{W({kTa}), 0.5f}});
  TestTransliterator ar(arabic);
  EXPECT_EQ(WordSet(ar.Words(L"kt", 100)),
            std::set<std::wstring>({consonant_end, W({kKa, kVirama, kTa})}));
  EXPECT_EQ(WordSet(ar.Words(L"k\x0174", 100)),
            std::set<std::wstring>({consonant_end}));
}

}  // namespace
}  // namespace ime_t13n
