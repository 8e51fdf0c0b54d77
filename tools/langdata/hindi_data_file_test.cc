// The Hindi data file that the build produced loads as the input method
// loads it, and holds what each section is meant to hold. The folder is the
// build tree's data folder, the value the tests and the evaluation give
// "DataPath" (the registry itself is left alone: other tests own the
// product key's values).
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_format.h"
#include "ime/t13n/transliteration/transliterator/language_data_location.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "ime/t13n/transliteration/transliterator/transliterator_reference_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/transliterator_test_helpers.h"
#include "ime/shared/testing/temp_dir.h"
#include "tools/langdata/candidate_evaluation.h"

namespace langdata {
namespace {

using ime_t13n::Language;

std::string BuiltFolder() {
  return ime_t13n::LanguageDataFolder(
      ime_shared::Utf8ToWide(KELVANE_BUILT_DATA_DIR), "hi");
}

// One load for every check: loading and building the model is the slow
// part. The transliterator owns the model.
class HindiDataFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ime_t13n::testing_helpers::RecordingErrorBox box;
    std::unique_ptr<ime_t13n::LanguageData> data(
        new ime_t13n::LanguageData(&box));
    if (!data->LoadFromMap("hi", BuiltFolder())) return;
    transliterator_ = new ime_t13n::Transliterator(
        new ime_t13n::TransliterationModel(*data));
    model_ = &transliterator_->model();
  }
  static void TearDownTestSuite() {
    model_ = nullptr;
    delete transliterator_;
    transliterator_ = nullptr;
  }
  static ime_t13n::Transliterator* transliterator_;
  static const ime_t13n::TransliterationModel* model_;
};

ime_t13n::Transliterator* HindiDataFileTest::transliterator_ = nullptr;
const ime_t13n::TransliterationModel* HindiDataFileTest::model_ = nullptr;

TEST_F(HindiDataFileTest, LoadsAndFillsEverySection) {
  ASSERT_NE(nullptr, model_) << "the data file in " << BuiltFolder()
                             << " does not load";
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  ASSERT_TRUE(::GetFileAttributesExW(
      ime_shared::Utf8ToWide(BuiltFolder() + "\\data.00000").c_str(),
      GetFileExInfoStandard, &attributes));
  EXPECT_GE(attributes.nFileSizeLow, ime_t13n::kMinimumDataFileSize);

  const ime_t13n::LanguageModel& language = model_->language_model();
  EXPECT_EQ(L"hi", language.language_name());
  EXPECT_EQ(L"\x094D", language.virama());
  EXPECT_TRUE(language.IsConsonant(L"\x0915"));
  EXPECT_EQ(Language::VOWEL, language.GetClass(L"\x0906"));
  EXPECT_EQ(Language::MATRA, language.GetClass(L"\x093E"));
  EXPECT_EQ(Language::SPECIAL, language.GetClass(L"\x0902"));
  // Nukta letters are the base letter and the separate nukta, which counts
  // as a consonant so that vowel signs and the virama may follow it.
  EXPECT_EQ(Language::CONSONANT, language.GetClass(L"\x093C"));
  EXPECT_EQ(Language::CONSONANT, language.GetClass(L"\x091C\x093C"));
  EXPECT_EQ(Language::CONSONANT, language.GetClass(L"\x0915\x094D\x0937"));
  ASSERT_NE(nullptr, language.FindMatra(L"\x0906"));
  EXPECT_EQ(L"\x093E", *language.FindMatra(L"\x0906"));
  const std::vector<std::wstring>* k = language.FindSpellings(L"\x0915");
  ASSERT_NE(nullptr, k);
  EXPECT_EQ(L"k", k->front());

  EXPECT_GT(model_->rule_table(ime_t13n::kConsecChars).size(), 1000u);
  EXPECT_GT(model_->lookup_table()->size(), 5000u);
  EXPECT_GT(model_->segment_table(ime_t13n::kSimpleSegments).size(), 1000u);
  EXPECT_GT(model_->segment_table(ime_t13n::kPrefixSegments).size(), 1000u);
  EXPECT_GT(model_->segment_table(ime_t13n::kSuffixSegments).size(), 1000u);
  EXPECT_EQ(L"k", model_->key_values().at(L"\x0915"));
  EXPECT_GT(model_->letter_classes().size(), 20u);
  EXPECT_EQ(1, model_->class_bits_of_a());

  // Common words score by their frequency, far above rare ones.
  const ime_t13n::Suggest* suggest = model_->suggest();
  ASSERT_NE(nullptr, suggest);
  EXPECT_GT(suggest->entry_count(), 100000);
  EXPECT_GT(suggest->GetScore(L"\x0939\x0948"),                    // hai
            suggest->GetScore(L"\x0905\x0902\x0915\x0917\x0923\x093F\x0924"));
  EXPECT_GT(suggest->GetScore(L"\x0928\x092E\x0938\x094D\x0924\x0947"), 0);
}

// The texts that may stand for one piece or separator of a typed word.
typedef std::vector<std::set<std::wstring>> Parts;

// True when |candidate| from |pos| on is one text of each of |parts| from
// |part| on, in order, and nothing else.
bool IsMadeOf(const std::wstring& candidate, size_t pos, const Parts& parts,
              size_t part) {
  if (part == parts.size()) return pos == candidate.size();
  for (const std::wstring& text : parts[part]) {
    if (candidate.compare(pos, text.size(), text) == 0 &&
        IsMadeOf(candidate, pos + text.size(), parts, part + 1)) {
      return true;
    }
  }
  return false;
}

// Typed digits and apostrophes stay in every candidate, as Devanagari
// digits and as typed, between readings of the pieces around them. Before,
// whole-word readings dropped the digit ("ki0ta" gave "कित" first), a piece
// with fewer readings was left out of the later candidates and a leading
// digit was lost.
TEST_F(HindiDataFileTest, CandidatesKeepEveryPieceAndSeparatorInOrder) {
  ASSERT_NE(nullptr, transliterator_);
  const std::wstring separators = L"0123456789'`";
  for (const wchar_t* word : {L"ki0ta", L"9ka", L"ram'shyam", L"ki0ka'ta",
                              L"ram0shyam", L"ki9", L"x0ki`ram7"}) {
    SCOPED_TRACE(ime_shared::WideToUtf8(word));
    // The readings of each piece (those the fill-up asks for with up to
    // four results), and each separator's text.
    Parts parts;
    std::vector<size_t> reading_counts;
    const std::wstring typed = word;
    size_t start = 0;
    while (start <= typed.size()) {
      size_t end = typed.find_first_of(separators, start);
      if (end == std::wstring::npos) end = typed.size();
      if (end > start) {
        const std::wstring piece = typed.substr(start, end - start);
        std::set<std::wstring> readings;
        std::vector<ime_t13n::ScoredWord> scored;
        for (int n = 1; n <= ime_t13n::Transliterator::kCandidateCount; ++n) {
          scored.clear();
          transliterator_->Transliterate(
              piece, n, ime_t13n::Transliterator::kDefaultBeam, &scored,
              nullptr);
          for (const auto& reading : scored) readings.insert(reading.word);
        }
        reading_counts.push_back(scored.size());
        if (readings.empty()) readings.insert(piece);
        parts.push_back(readings);
      }
      if (end == typed.size()) break;
      const wchar_t unit = typed[end];
      const wchar_t text = unit >= L'0' && unit <= L'9'
                               ? static_cast<wchar_t>(0x0966 + unit - L'0')
                               : unit;
      parts.push_back({std::wstring(1, text)});
      start = end + 1;
    }

    std::vector<std::wstring> candidates;
    transliterator_->GetCandidates(typed, &candidates);
    ASSERT_GE(candidates.size(), 2u);
    EXPECT_LE(candidates.size(), 4u);
    EXPECT_EQ(candidates.size(),
              std::set<std::wstring>(candidates.begin(), candidates.end())
                  .size());
    for (const std::wstring& candidate : candidates) {
      EXPECT_TRUE(IsMadeOf(candidate, 0, parts, 0))
          << ime_shared::WideToUtf8(candidate);
    }
    if (typed == L"ki0ka'ta") {
      // Three pieces with different numbers of readings: each still shows
      // in every candidate.
      ASSERT_EQ(3u, reading_counts.size());
      EXPECT_EQ(3u, std::set<size_t>(reading_counts.begin(),
                                     reading_counts.end()).size());
    }
  }
}

// Every prefix of every word of the lexicon's dev split, typed letter by
// letter into one transliterator as the input method does, gets exactly
// the candidates (and, for the whole word, the scored transliterations)
// that the plain computation gives: the transliterator's shortcuts (first
// segments kept from keystroke to keystroke, readings put in order only as
// far as they are read, dictionary lookups that stop at the first missing
// letter) change nothing. The rows are shared out among a few test cases,
// which run in parallel.
constexpr int kEqualityShards = 8;

class CandidateEqualityTest : public HindiDataFileTest,
                              public ::testing::WithParamInterface<int> {};

TEST_P(CandidateEqualityTest, EveryDevPrefixGetsThePlainComputationsCandidates) {
  ASSERT_NE(nullptr, transliterator_);
  std::string text;
  ASSERT_TRUE(ime_testing::ReadFileBytes(
      ime_shared::Utf8ToWide(KELVANE_DEV_LEXICON), &text))
      << KELVANE_DEV_LEXICON;
  const std::vector<LexiconRow> rows = ParseLexicon(text);
  ASSERT_GT(rows.size(), 4000u);

  ime_t13n::testing_helpers::ReferenceTransliterator reference(
      *transliterator_);
  // The plain computation keeps nothing between calls: a prefix shared by
  // several words is computed once.
  std::map<std::wstring, std::vector<ime_t13n::ScoredWord>> expected;
  size_t prefixes = 0;
  int mismatches = 0;
  for (size_t r = GetParam(); r < rows.size(); r += kEqualityShards) {
    const std::wstring& latin = rows[r].latin;
    for (size_t length = 1; length <= latin.size(); ++length) {
      const std::wstring typed = latin.substr(0, length);
      auto it = expected.find(typed);
      if (it == expected.end()) {
        it = expected.emplace(typed, reference.Transliterate(
                                         typed, ime_t13n::Transliterator::
                                                    kCandidateCount))
                 .first;
      }
      std::vector<std::wstring> candidates;
      transliterator_->GetCandidates(typed, &candidates);
      ++prefixes;
      if (candidates != ime_t13n::testing_helpers::WordsOf(it->second) &&
          ++mismatches <= 5) {
        ADD_FAILURE() << "candidates of " << ime_shared::WideToUtf8(typed);
      }
    }
    // The whole word with five results, scores included.
    std::vector<ime_t13n::ScoredWord> scored;
    transliterator_->Transliterate(latin, 5,
                                   ime_t13n::Transliterator::kDefaultBeam,
                                   &scored, nullptr);
    const std::vector<ime_t13n::ScoredWord> plain =
        reference.Transliterate(latin, 5);
    bool same = scored.size() == plain.size();
    for (size_t i = 0; same && i < scored.size(); ++i) {
      same = scored[i].word == plain[i].word &&
             scored[i].score == plain[i].score;
    }
    if (!same && ++mismatches <= 5) {
      ADD_FAILURE() << "transliterations of " << ime_shared::WideToUtf8(latin);
    }
  }
  EXPECT_EQ(0, mismatches);
  EXPECT_GT(prefixes, 3000u);
}

INSTANTIATE_TEST_SUITE_P(Shards, CandidateEqualityTest,
                         ::testing::Range(0, kEqualityShards));

}  // namespace
}  // namespace langdata
