#include "ime/t13n/transliteration/transliterator/transliterator.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/transliteration/transliterator/native_score_map.h"
#include "ime/t13n/transliteration/transliterator/transliterator.pb.h"
#include "ime/t13n/transliteration/transliterator/transliterator_reference_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/transliterator_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::WideToUtf8;
using namespace testing_helpers;

// In "ar" every reading passes the word checks, so Transliterate with a
// large n lists the whole scored segmentation.
constexpr int kAll = 100;

std::wstring Two(wchar_t a, wchar_t b) { return W({a, b}); }

// Readings "a vowel, then one of |count| different letters", with falling
// probabilities (200 - i) / 256; none begins with a consonant.
std::vector<NativeScore> ManyReadings(int count) {
  std::vector<NativeScore> readings;
  for (int i = 0; i < count; ++i) {
    readings.push_back(
        {Two(kVowelA, static_cast<wchar_t>(0x0915 + i)), (200 - i) / 256.0f});
  }
  return readings;
}

TEST(TransliteratorSegmentationTest, ViramaJoinNeedsConsonantsOnBothSides) {
  // Every native piece below is a consonant except the vowel I: only the
  // English letters decide, apart from the last case.
  LanguageBuilder language = HindiLike("ar");
  language.Segment(LanguageBuilder::kSimple, L"k", 1, {{W({kKa}), 0.5f}})
      .Segment(LanguageBuilder::kSimple, L"a", 1, {{W({kMa}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"t", 1,
               {{W({kTa}), 0.5f}, {W({kVowelI}), 0.25f}})
      .Segment(LanguageBuilder::kSuffix, L"a", 1, {{W({kMa}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"y", 1, {{W({kYa}), 0.5f}});
  TestTransliterator t(language);

  // k|t joins (with a consonant after it only), a|t and k|a do not, k|y
  // does: y is no vowel here.
  EXPECT_EQ(WordSet(t.Words(L"kt", kAll)),
            std::set<std::wstring>({W({kKa, kTa}), W({kKa, kVirama, kTa}),
                                    W({kKa, kVowelI})}));
  EXPECT_EQ(WordSet(t.Words(L"at", kAll)),
            std::set<std::wstring>({W({kMa, kTa}), W({kMa, kVowelI})}));
  EXPECT_EQ(WordSet(t.Words(L"ka", kAll)),
            std::set<std::wstring>({W({kKa, kMa})}));
  EXPECT_EQ(WordSet(t.Words(L"ky", kAll)),
            std::set<std::wstring>({W({kKa, kYa}), W({kKa, kVirama, kYa})}));
  // Typed capitals are lower-cased first.
  EXPECT_EQ(WordSet(t.Words(L"KY", kAll)), WordSet(t.Words(L"ky", kAll)));
}

TEST(TransliteratorSegmentationTest, NoJoinWithoutAVirama) {
  LanguageBuilder no_virama("ar", L"");
  no_virama.Char(W({kKa}), Language::CONSONANT, "k")
      .Char(W({kTa}), Language::CONSONANT, "t")
      .Segment(LanguageBuilder::kSimple, L"k", 1, {{W({kKa}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"t", 1, {{W({kTa}), 0.5f}});
  TestTransliterator t(no_virama);
  EXPECT_EQ(WordsOf(t.Words(L"kt", kAll)),
            std::vector<std::wstring>({W({kKa, kTa})}));
}

TEST(TransliteratorSegmentationTest, LongSegmentsAndWholeWordsWeighMore) {
  // A one-letter word has readings only from the whole-word prefix and
  // suffix tables, each counted twice; a reading of two units counts 1.5
  // times its probability.
  LanguageBuilder language = HindiLike("ar");
  language
      .Segment(LanguageBuilder::kPrefix, L"k", 7,
               {{W({kKa}), 0.5f}, {W({kKa, kSignAa}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"k", 7, {{W({kKa}), 0.25f}});
  TestTransliterator t(language);
  const std::vector<ScoredWord> words = t.Words(L"k", kAll);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0].word, W({kKa}));
  EXPECT_FLOAT_EQ(words[0].score, 0.5f * 2 + 0.25f * 2);
  EXPECT_EQ(words[1].word, W({kKa, kSignAa}));
  // Normalised by its two units.
  EXPECT_FLOAT_EQ(words[1].score, 0.5f * 1.5f * 2 / 2);
}

TEST(TransliteratorSegmentationTest, ScoresCombineAlongTheSegmentation) {
  LanguageBuilder language = HindiLike("ar");
  language.Segment(LanguageBuilder::kSimple, L"k", 2.0f, {{W({kKa}), 0.5f}})
      .Segment(LanguageBuilder::kSimple, L"t", 1.0f, {{W({kTa}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"ta", 0.75f,
               {{W({kTa, kSignAa}), 0.4f}})
      .Segment(LanguageBuilder::kSuffix, L"a", 1.0f, {{W({kVowelAa}), 1.0f}});
  TestTransliterator t(language);

  // "ta" as a suffix weighs its length times its weight, 1.5, and its
  // reading of two units 1.5 times 0.4: 0.9. Split as t|a it gives 0.5.
  // Before them k gives 0.5 times its weight 2; k|t joins with a virama.
  const float k = 0.5f * 2.0f;
  const float ta = 0.4f * 1.5f * (2 * 0.75f);
  const float t_a = 0.5f * 1.0f;
  const std::vector<ScoredWord> words = t.Words(L"kta", kAll);
  ASSERT_EQ(words.size(), 4u);
  EXPECT_EQ(words[0].word, W({kKa, kVirama, kTa, kSignAa}));
  EXPECT_FLOAT_EQ(words[0].score, k * ta * 1.5f / 4);
  EXPECT_EQ(words[1].word, W({kKa, kTa, kSignAa}));
  EXPECT_FLOAT_EQ(words[1].score, k * ta / 3);
  EXPECT_EQ(words[2].word, W({kKa, kVirama, kTa, kVowelAa}));
  EXPECT_FLOAT_EQ(words[2].score, k * t_a * 1.5f / 4);
  EXPECT_EQ(words[3].word, W({kKa, kTa, kVowelAa}));
  EXPECT_FLOAT_EQ(words[3].score, k * t_a / 3);
}

TEST(TransliteratorSegmentationTest, PrefixTableOnlyAtTheStartOfTheWord) {
  const wchar_t kTta = 0x091F;  // not a consonant of the language: no join
  LanguageBuilder language = HindiLike("ar");
  language.Segment(LanguageBuilder::kSimple, L"t", 1, {{W({kTa}), 0.5f}})
      .Segment(LanguageBuilder::kPrefix, L"t", 1, {{W({kTta}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"a", 1, {{W({kVowelAa}), 1.0f}});
  TestTransliterator t(language);
  EXPECT_EQ(WordSet(t.Words(L"tta", kAll)),
            std::set<std::wstring>({W({kTta, kTa, kVowelAa}),
                                    W({kTa, kTa, kVowelAa}),
                                    W({kTa, kVirama, kTa, kVowelAa})}));
}

TEST(TransliteratorSegmentationTest, SuffixReadingsAreCutToTheBeam) {
  LanguageBuilder language = HindiLike("ar");
  std::vector<NativeScore> readings = ManyReadings(101);
  language.Segment(LanguageBuilder::kSimple, L"k", 1, {{W({kKa}), 1.0f}})
      .Segment(LanguageBuilder::kSuffix, L"x", 1, readings);
  TestTransliterator t(language);

  const std::vector<ScoredWord> beam100 = t.Words(L"kx", kAll, 100);
  EXPECT_EQ(beam100.size(), 100u);
  const std::wstring weakest = W({kKa}) + readings.back().first;
  EXPECT_EQ(WordSet(beam100).count(weakest), 0u);
  EXPECT_EQ(WordSet(beam100).count(W({kKa}) + readings[99].first), 1u);

  EXPECT_EQ(t.Words(L"kx", kAll, 30).size(), 30u);
  // A beam below 1 means the default beam.
  EXPECT_EQ(t.Words(L"kx", kAll, 0).size(), 100u);
}

TEST(TransliteratorSegmentationTest, ATieForTheLastPlaceKeepsTheFirstEntry) {
  LanguageBuilder language = HindiLike("ar");
  std::vector<NativeScore> readings = ManyReadings(60);
  readings[30].second = readings[29].second;  // tie for the 30th place
  language.Segment(LanguageBuilder::kSimple, L"k", 1, {{W({kKa}), 1.0f}})
      .Segment(LanguageBuilder::kSuffix, L"x", 1, readings);
  TestTransliterator t(language);
  const std::vector<ScoredWord> beam30 = t.Words(L"kx", kAll, 30);
  EXPECT_EQ(beam30.size(), 30u);
  EXPECT_EQ(WordSet(beam30).count(W({kKa}) + readings[29].first), 1u);
  EXPECT_EQ(WordSet(beam30).count(W({kKa}) + readings[30].first), 0u);
  EXPECT_EQ(t.Words(L"kx", kAll, 31).size(), 31u);
}

// A reading's score multiplies a segment's weight and probability per
// letter: for a word of 300 letters far below what a float holds (weight
// 1), or far above it (weight 8). The readings still come in the order of
// their scores, and the beam still bounds the work (the word would
// otherwise take for ever).
TEST(TransliteratorSegmentationTest, AVeryLongWordKeepsItsReadingsInOrder) {
  for (float weight : {1.0f, 8.0f}) {
    SCOPED_TRACE(weight);
    LanguageBuilder language = HindiLike("ar");
    language
        .Segment(LanguageBuilder::kSimple, L"a", weight,
                 {{W({kSignAa}), 0.5f}, {W({kSignI}), 0.125f}})
        .Segment(LanguageBuilder::kSuffix, L"a", weight,
                 {{W({kSignAa}), 0.5f}, {W({kSignI}), 0.125f}});
    TestTransliterator t(language);
    const std::vector<ScoredWord> words =
        t.Words(std::wstring(300, L'a'), 10);
    // Each sign I costs a factor 4: the fewer, the better.
    std::vector<size_t> signs_i;
    for (const ScoredWord& scored : words) {
      if (scored.word.size() != 300 ||
          scored.word.find_first_not_of(W({kSignAa, kSignI})) !=
              std::wstring::npos) {
        continue;  // the rule-based conversion
      }
      signs_i.push_back(static_cast<size_t>(
          std::count(scored.word.begin(), scored.word.end(), kSignI)));
    }
    ASSERT_GE(signs_i.size(), 5u);
    EXPECT_EQ(signs_i[0], 0u);
    EXPECT_EQ(signs_i[1], 1u);
    EXPECT_TRUE(std::is_sorted(signs_i.begin(), signs_i.end()));
  }
}

TEST(PruneToBeamTest, ErasesBelowTheBeamthScoreAndKeepsOnlyTheFirstTies) {
  NativeScoreMap map;
  for (int i = 0; i < 101; ++i) map.Add(std::to_wstring(i), 1000.0f - i);
  PruneToBeam(&map, 101);
  EXPECT_EQ(map.size(), 101u);
  PruneToBeam(&map, 100);
  ASSERT_EQ(map.size(), 100u);
  EXPECT_EQ(map.Find(L"100", 3), nullptr);

  map.Add(L"tie", 1000.0f - 99);  // ties with the 100th, added after it
  PruneToBeam(&map, 100);
  EXPECT_EQ(map.size(), 100u);
  EXPECT_EQ(map.Find(L"tie", 3), nullptr);
  EXPECT_NE(map.Find(L"99", 2), nullptr);
}

// Equal scores, all of them 0 for a word whose scores once ran below what
// a float holds, must not let the map grow past the beam: each keystroke
// of a long word would multiply the work.
TEST(PruneToBeamTest, AllEqualOrZeroScoresKeepTheFirstBeamEntries) {
  for (float score : {0.25f, 0.0f}) {
    NativeScoreMap map;
    for (int i = 0; i < 500; ++i) map.Add(std::to_wstring(i), score);
    PruneToBeam(&map, 100);
    ASSERT_EQ(map.size(), 100u) << score;
    for (int i = 0; i < 100; ++i) {
      EXPECT_EQ(map.KeyString(map.entries()[i]), std::to_wstring(i));
    }
    PruneToBeam(&map, 1);
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map.KeyString(map.entries()[0]), L"0");
  }
  // A NaN (broken data) counts lowest and never widens the beam either.
  NativeScoreMap broken;
  for (int i = 0; i < 50; ++i) broken.Add(std::to_wstring(i), NAN);
  broken.Add(L"x", 0.5f);
  PruneToBeam(&broken, 10);
  ASSERT_EQ(broken.size(), 10u);
  EXPECT_NE(broken.Find(L"x", 1), nullptr);
}

// Thirty readings of "k", all in the dictionary with score 2; the fourth
// is also a whole-word lookup.
class RescoringTest : public ::testing::Test {
 protected:
  RescoringTest() : language_(HindiLike("ar")) {
    for (int i = 0; i < 30; ++i) {
      readings_.push_back(
          {Two(kVowelA, static_cast<wchar_t>(0x0915 + i)), (30 - i) / 64.0f});
      language_.DictionaryWord(readings_.back().first, 2);
    }
    language_.Segment(LanguageBuilder::kPrefix, L"k", 1, readings_)
        .Lookup(L"k", {{readings_[3].first, 123.0f}});
  }

  // The normalised score of reading i before rescoring.
  float Plain(int i) const { return readings_[i].second * 1.5f * 2 / 2; }

  LanguageBuilder language_;
  std::vector<NativeScore> readings_;
};

TEST_F(RescoringTest, StopsAfterTheTwentyFirstRescoredWord) {
  TestTransliterator t(language_);
  TransliterationDebugInfo debug;
  std::vector<ScoredWord> words;
  t->Transliterate(L"k", kAll, Transliterator::kDefaultBeam, &words, &debug);

  const float top = Plain(0);
  std::map<std::wstring, float> scores;
  for (const ScoredWord& w : words) scores[w.word] = w.score;
  ASSERT_EQ(scores.size(), 30u);
  // The lookup word: rescored from the best score on, not counted.
  EXPECT_FLOAT_EQ(scores[readings_[3].first], (Plain(3) + top) * 2);
  EXPECT_EQ(words[0].word, readings_[3].first);
  // Readings 0 to 21 but 3 are the 21 counted ones; then it stops.
  for (int i = 0; i < 30; ++i) {
    if (i == 3) continue;
    const float expected = i <= 21 ? Plain(i) * 2 : Plain(i);
    EXPECT_FLOAT_EQ(scores[readings_[i].first], expected) << i;
  }
  EXPECT_EQ(debug.dictionary_words_size(), 21);
  EXPECT_EQ(debug.dictionary_words(0).segment(),
            WideToUtf8(readings_[0].first));
  EXPECT_FLOAT_EQ(debug.dictionary_words(0).probability(), 2.0f);
  ASSERT_EQ(debug.global_lookups_size(), 1);
  EXPECT_EQ(debug.global_lookups(0).segment(), WideToUtf8(readings_[3].first));
  // The stored score is not used: the best score times the word's
  // dictionary score.
  EXPECT_FLOAT_EQ(debug.global_lookups(0).probability(), top * 2);
  EXPECT_FALSE(debug.has_eng_word());
}

TEST_F(RescoringTest, GlobalLookupsJoinTheListWithoutASegmentation) {
  language_.Lookup(L"q", {{W({kKa, kTa}), 0.5f}, {W({kTa}), 0.25f}});
  TestTransliterator t(language_);
  // Nothing segments "q": the best score counts as 1, and words outside
  // the dictionary weigh at least 1.
  const std::vector<ScoredWord> words = t.Words(L"q", kAll);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0].word, W({kKa, kTa}));
  EXPECT_FLOAT_EQ(words[0].score, 2.0f);  // made to exceed the one after it
  EXPECT_EQ(words[1].word, W({kTa}));
  EXPECT_FLOAT_EQ(words[1].score, 1.0f);
}

TEST_F(RescoringTest, ResultCountOutsideOneToHundredMeansFive) {
  TestTransliterator t(language_);
  EXPECT_EQ(t.Words(L"k", 0).size(), 5u);
  EXPECT_EQ(t.Words(L"k", -3).size(), 5u);
  EXPECT_EQ(t.Words(L"k", 101).size(), 5u);
  EXPECT_EQ(t.Words(L"k", 100).size(), 30u);
  EXPECT_EQ(t.Words(L"k", 1).size(), 1u);
}

// Holding a key down makes a long word; segmenting it must not take more
// stack than a short one. (One reading per level keeps the work small.)
TEST(TransliteratorTest, VeryLongWordIsSegmented) {
  LanguageBuilder language("ar", L"");
  language.Char(W({kKa}), Language::CONSONANT, "k")
      .Segment(LanguageBuilder::kSimple, L"k", 1, {{W({kKa}), 1.0f}})
      .Segment(LanguageBuilder::kSuffix, L"k", 1, {{W({kKa}), 1.0f}});
  TestTransliterator t(language);
  const size_t length = 10000;
  EXPECT_EQ(WordsOf(t.Words(std::wstring(length, L'k'), 4)),
            std::vector<std::wstring>({std::wstring(length, kKa)}));
}

TEST(TransliteratorTest, EmptyWordGivesNothing) {
  LanguageBuilder language = HindiLike("ar", true);
  language.Segment(LanguageBuilder::kPrefix, L"k", 1, {{W({kKa}), 1.0f}});
  TestTransliterator t(language);
  std::vector<ScoredWord> out = {{L"kept", 3.0f}};
  t->Transliterate(L"", 4, 100, &out, nullptr);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].word, L"kept");
  EXPECT_TRUE(t.Candidates(L"").empty());
}

TEST(TransliteratorTest, AppendsAfterWhatTheListHolds) {
  LanguageBuilder language = HindiLike("ar");
  language.Segment(LanguageBuilder::kPrefix, L"k", 1,
                   {{W({kKa}), 0.5f}, {W({kTa}), 0.25f}});
  TestTransliterator t(language);
  std::vector<ScoredWord> out = {{L"kept", -1.0f}};
  t->Transliterate(L"k", 4, 100, &out, nullptr);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].word, L"kept");
  EXPECT_EQ(out[0].score, -1.0f);
  EXPECT_EQ(out[1].word, W({kKa}));
  EXPECT_EQ(out[2].word, W({kTa}));
}

TEST(TransliteratorTest, DebugRecordListsEachSuffixOnceWithItsScoresAtEveryUse) {
  LanguageBuilder language = HindiLike("ar");
  language.Segment(LanguageBuilder::kSimple, L"k", 1, {{W({kKa}), 0.5f}})
      .Segment(LanguageBuilder::kSimple, L"kk", 1, {{W({kKha}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"t", 1, {{W({kTa}), 0.5f}});
  TestTransliterator t(language);
  TransliterationDebugInfo debug;
  std::vector<ScoredWord> out;
  t->Transliterate(L"kkkt", kAll, 100, &out, &debug);

  // "kkkt" = k + "kkt"; "kkt" = k + "kt" or kk + "t"; "kt" = k + "t".
  // The segmentation of a suffix is listed when it is first made; the
  // suffix table's scores of "t" at each of its two uses. The second use
  // of "kt" (after kk at the start) lists nothing: it has no suffix entry.
  const struct {
    const wchar_t* english;
    std::wstring native;
    const char* type;
  } expected[] = {{L"k", W({kKa}), "segment"},  {L"k", W({kKa}), "segment"},
                  {L"k", W({kKa}), "segment"},  {L"t", W({kTa}), "suffix"},
                  {L"kk", W({kKha}), "segment"}, {L"t", W({kTa}), "suffix"},
                  {L"kk", W({kKha}), "segment"}};
  ASSERT_EQ(debug.word_scores_size(), 7);
  for (int i = 0; i < 7; ++i) {
    const SubWordScore& record = debug.word_scores(i);
    EXPECT_EQ(record.eng_subword(), WideToUtf8(expected[i].english)) << i;
    EXPECT_EQ(record.indic_subword(), WideToUtf8(expected[i].native)) << i;
    EXPECT_EQ(record.type(), expected[i].type) << i;
    EXPECT_FLOAT_EQ(record.score(), 0.5f) << i;
  }
  // In "ar" every word is legal: each is listed once, the first by the
  // first pass, the others by the second (ten at most).
  EXPECT_EQ(debug.legal_sugs_size(),
            std::min(static_cast<int>(out.size()), 11));
  EXPECT_EQ(debug.failed_soundex_matches_size(), 0);
  EXPECT_FALSE(debug.has_eng_word());
}

// The whole road: a data file on disk, loaded as the module loads it.
TEST(TransliteratorTest, WorksOnALoadedDataFile) {
  LanguageBuilder language = HindiLike("mr");
  language.PermitAllWords()
      .Segment(LanguageBuilder::kSimple, L"k", 1, {{W({kKa}), 0.5f}})
      .Segment(LanguageBuilder::kSuffix, L"i", 1, {{W({kSignI}), 0.5f}})
      .DictionaryWord(W({kKa, kSignI}), 5);
  ime_testing::TempDir dir;
  const std::wstring folder = dir.path() + L"mr";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(ime_testing::WriteFileBytes(
      folder + L"\\data.00000", WriteLanguageDataFile(language.Contents())));
  testing_helpers::RecordingErrorBox box;
  LanguageData data(&box);
  ASSERT_TRUE(data.LoadFromMap("mr", WideToUtf8(folder)));
  Transliterator transliterator(new TransliterationModel(data));
  std::vector<std::wstring> candidates;
  transliterator.GetCandidates(L"ki", &candidates);
  EXPECT_EQ(candidates, std::vector<std::wstring>({W({kKa, kSignI})}));
  EXPECT_EQ(std::wstring(transliterator.native_digits()).substr(0, 1),
            W({0x0966}));
}

// What one transliterator keeps from keystroke to keystroke (the first
// segments of a growing word, its working lists) never shows: typing,
// deleting, jumping to other words, words with digits, a debug record, and
// changes of the user's tables all give what a fresh transliterator and the
// plain computation give.
TEST(TransliteratorTest, KeystrokesOnOneTransliteratorGiveWhatAFreshOneGives) {
  LanguageBuilder language = HindiLike("hi", true);
  language.PermitAllWords()
      .Segment(LanguageBuilder::kSimple, L"k", 1,
               {{W({kKa}), 0.6f}, {W({kKha}), 0.3f}})
      .Segment(LanguageBuilder::kSimple, L"kh", 2, {{W({kKha}), 0.9f}})
      .Segment(LanguageBuilder::kSimple, L"a", 1,
               {{W({kVowelA}), 0.5f}, {W({kSignAa}), 0.4f}})
      .Segment(LanguageBuilder::kSimple, L"t", 1, {{W({kTa}), 0.8f}})
      .Segment(LanguageBuilder::kSimple, L"ta", 2,
               {{W({kTa}), 0.5f}, {W({kTa, kSignAa}), 0.4f}})
      .Segment(LanguageBuilder::kSimple, L"m", 1, {{W({kMa}), 0.9f}})
      .Segment(LanguageBuilder::kSimple, L"r", 1, {{W({kRa}), 0.9f}})
      .Segment(LanguageBuilder::kSimple, L"i", 1,
               {{W({kVowelI}), 0.5f}, {W({kSignI}), 0.5f}})
      .Segment(LanguageBuilder::kPrefix, L"ka", 3,
               {{W({kKa}), 0.7f}, {W({kKa, kSignAa}), 0.2f}})
      .Segment(LanguageBuilder::kPrefix, L"t", 1, {{W({kTa}), 0.9f}})
      .Segment(LanguageBuilder::kSuffix, L"am", 1, {{W({kMa}), 0.6f}})
      .Segment(LanguageBuilder::kSuffix, L"i", 1, {{W({kSignI}), 0.9f}})
      .Segment(LanguageBuilder::kSuffix, L"a", 1, {{W({kSignAa}), 0.3f}})
      .Segment(LanguageBuilder::kSuffix, L"t", 1, {{W({kTa}), 0.7f}})
      .Segment(LanguageBuilder::kSuffix, L"k", 1,
               {{W({kKa}), 0.6f}, {W({kKha}), 0.2f}})
      .Segment(LanguageBuilder::kSuffix, L"m", 1, {{W({kMa}), 0.9f}})
      .Segment(LanguageBuilder::kSuffix, L"r", 1, {{W({kRa}), 0.9f}})
      .Segment(LanguageBuilder::kSuffix, L"ta", 1, {{W({kTa, kSignAa}), 0.5f}})
      .Lookup(L"katam", {{W({kKa, kTa, kMa}), 1.0f}})
      .DictionaryWord(W({kKa, kTa, kMa}), 40)
      .DictionaryWord(W({kKa, kSignAa, kTa}), 30)
      .DictionaryWord(W({kKha, kTa, kSignI}), 20);
  TestTransliterator kept(language);
  ReferenceTransliterator reference(kept.get());

  std::vector<std::wstring> typed;
  auto type = [&typed](const std::wstring& word) {
    for (size_t n = 1; n <= word.size(); ++n) typed.push_back(word.substr(0, n));
  };
  type(L"katamir");
  typed.insert(typed.end(),
               {L"katami", L"katam", L"kat", L"kati", L"takim", L"katmik"});
  type(L"khatra");
  typed.insert(typed.end(), {L"Kata", L"ka9ta", L"ka9tam", L"tamk'a"});
  type(L"takmi");

  std::vector<std::pair<std::wstring, std::wstring>> accepted;
  for (size_t step = 0; step < typed.size(); ++step) {
    const std::wstring& word = typed[step];
    SCOPED_TRACE(WideToUtf8(word));
    // Changes of the user's tables between keystrokes, mirrored in the
    // fresh transliterator.
    if (step == 4) accepted.push_back({L"kata", W({kKha, kTa})});
    if (step == 9) accepted.push_back({L"kati", W({kKa, kTa, kSignI})});
    if (step == 12) kept->AddMacro(L"kat", L"macro");
    if (step == 16) kept->ClearMacros();
    if (step == 4 || step == 9) {
      kept->AddUserAccepted(accepted.back().first, accepted.back().second,
                            true);
    }
    if (step == 20) {
      kept->ClearUserAccepted();
      accepted.clear();
    }
    if (step == 7) {
      TransliterationDebugInfo debug;
      std::vector<ScoredWord> out;
      kept->Transliterate(word, 4, 100, &out, &debug);
      EXPECT_GT(debug.word_scores_size(), 0);
    }
    TestTransliterator fresh(language);
    for (const auto& pair : accepted) {
      fresh->AddUserAccepted(pair.first, pair.second, true);
    }
    EXPECT_EQ(kept.Candidates(word), fresh.Candidates(word));
    const std::vector<ScoredWord> scored = kept.Words(word, 5);
    const std::vector<ScoredWord> plain = reference.Transliterate(word, 5);
    ASSERT_EQ(WordsOf(scored), WordsOf(plain));
    for (size_t i = 0; i < scored.size(); ++i) {
      EXPECT_EQ(scored[i].score, plain[i].score) << i;
    }
  }
  // The user's choice shows at once, and goes at once.
  kept->AddUserAccepted(L"takmi", W({kMa}), true);
  EXPECT_EQ(kept.Candidates(L"takmi").front(), W({kMa}));
  kept->ClearUserAccepted();
  EXPECT_NE(kept.Candidates(L"takmi").front(), W({kMa}));
}

// A word long enough for its readings to outgrow the units a reading keeps
// whole: the word checks (a pair of letters, a letter inside the word, the
// last letter) reject readings anywhere along them, and the valid readings
// come out in the order and with the scores of the plain computation.
TEST(TransliteratorTest, LongReadingsAreCheckedAlongTheirWholeLength) {
  LanguageBuilder language = HindiLike("hi");
  language.Rule(LanguageRule::CONSEC_CHARS, W({kKha}), W({kTa}), 0)
      .Rule(LanguageRule::CHAR_POSITIONS, L"m", W({kVowelA}), 0)
      .Rule(LanguageRule::CHAR_POSITIONS, L"e", W({kSignAa}), 0)
      .PermitAllWords()
      .Segment(LanguageBuilder::kSimple, L"k", 1,
               {{W({kKa}), 0.6f}, {W({kKha}), 0.3f}})
      .Segment(LanguageBuilder::kSimple, L"t", 1, {{W({kTa}), 0.8f}})
      .Segment(LanguageBuilder::kSimple, L"a", 1,
               {{W({kSignAa}), 0.5f}, {W({kVowelA}), 0.4f}})
      .Segment(LanguageBuilder::kSimple, L"ka", 2,
               {{W({kKa}), 0.5f}, {W({kKha, kSignAa}), 0.4f}})
      .Segment(LanguageBuilder::kSuffix, L"a", 1, {{W({kSignAa}), 0.3f}})
      .Segment(LanguageBuilder::kSuffix, L"ta", 1, {{W({kTa}), 0.6f}})
      .Segment(LanguageBuilder::kSuffix, L"t", 1, {{W({kTa}), 0.7f}});
  TestTransliterator t(language);
  ReferenceTransliterator reference(t.get());
  std::wstring word;
  while (word.size() < 48) word += L"kata";
  size_t long_words = 0;
  for (size_t length = 30; length <= word.size(); length += 3) {
    SCOPED_TRACE(length);
    const std::wstring typed = word.substr(0, length);
    const std::vector<ScoredWord> scored = t.Words(typed, kAll);
    const std::vector<ScoredWord> plain = reference.Transliterate(typed, kAll);
    ASSERT_EQ(WordsOf(scored), WordsOf(plain));
    for (size_t i = 0; i < scored.size(); ++i) {
      EXPECT_EQ(scored[i].score, plain[i].score) << i;
      if (scored[i].word.size() > NativeScoreMap::kWholeKeyUnits) {
        ++long_words;
      }
    }
    EXPECT_EQ(t.Candidates(typed),
              WordsOf(reference.Transliterate(
                  typed, Transliterator::kCandidateCount)));
  }
  EXPECT_GT(long_words, 50u);
}

// A word far longer than any real one is segmented for its candidates with
// a narrower beam, so that a held key stays responsive; up to that length
// the candidates are exactly those of the full beam. Here the long reading
// of "k" scores a little above the short one, so the beam keeps the
// readings with the most long ones, while the candidates, scored per unit,
// favour short ones: the two beams give different candidates.
TEST(TransliteratorTest, OnlyWordsBeyondTheLongWordLengthGetTheNarrowBeam) {
  LanguageBuilder language("ar", L"");
  const std::vector<NativeScore> readings = {
      {W({kKa}), 0.6f}, {W({kKa, kKa, kSignAa}), 0.404f}};
  language.Char(W({kKa}), Language::CONSONANT, "k")
      .Char(W({kSignAa}), Language::MATRA, "aa")
      .Segment(LanguageBuilder::kSimple, L"k", 1, readings)
      .Segment(LanguageBuilder::kSuffix, L"k", 1, readings);
  TestTransliterator t(language);
  ReferenceTransliterator reference(t.get());
  const int n = Transliterator::kCandidateCount;
  for (size_t length : {Transliterator::kLongWordLetters,
                        Transliterator::kLongWordLetters + 1}) {
    SCOPED_TRACE(length);
    const std::wstring typed(length, L'k');
    const std::vector<std::wstring> full = WordsOf(
        reference.Transliterate(typed, n, Transliterator::kDefaultBeam));
    const std::vector<std::wstring> narrow = WordsOf(
        reference.Transliterate(typed, n, Transliterator::kLongWordBeam));
    ASSERT_NE(full, narrow);
    EXPECT_EQ(t.Candidates(typed),
              length > Transliterator::kLongWordLetters ? narrow : full);
    // Transliterate keeps the beam it is given.
    EXPECT_EQ(WordsOf(t.Words(typed, n)), full);
  }
}

TEST(TransliteratorUserTablesTest, UserCacheLookupsAreLowerCased) {
  TestTransliterator t(HindiLike("hi"));
  t->AddUserAccepted(L"na mas te", L"N", true);
  EXPECT_EQ(t->LookupUserAccepted(L"NaMaste"), L"N");
  t->AddUserAccepted(L"Ghar", L"G", true);
  EXPECT_EQ(t->LookupUserAccepted(L"Ghar"), L"");  // stored upper-case
  // Merging the file: its words in its order, the words learned here in
  // their place or after them.
  t->MergeUserAcceptedFile({{L"ghar", L"H"}, {L"namaste", L"file"}});
  EXPECT_EQ(t->LookupUserAccepted(L"ghar"), L"H");
  EXPECT_EQ(t->LookupUserAccepted(L"namaste"), L"N");
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  t->ListUserAccepted(&pairs);
  EXPECT_EQ(pairs, (std::vector<std::pair<std::wstring, std::wstring>>{
                       {L"ghar", L"H"}, {L"namaste", L"N"}, {L"Ghar", L"G"}}));
  t->ClearUserAccepted();
  EXPECT_EQ(t->LookupUserAccepted(L"namaste"), L"");
}

TEST(TransliteratorUserTablesTest, MacrosKeepTheirFirstExpansion) {
  TestTransliterator t(HindiLike("hi"));
  t->AddMacro(L"sig", L"first");
  t->AddMacro(L"sig", L"second");
  EXPECT_EQ(t->LookupMacro(L"sig"), L"first");
  EXPECT_EQ(t->LookupMacro(L"SIG"), L"");
  t->ClearMacros();
  t->AddMacro(L"sig", L"second");
  EXPECT_EQ(t->LookupMacro(L"sig"), L"second");
}

}  // namespace
}  // namespace ime_t13n
