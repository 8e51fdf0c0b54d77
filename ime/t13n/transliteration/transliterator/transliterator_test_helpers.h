// Small languages for the transliterator's tests, written with the data-file
// writer and read back by the data loader. The data is read from memory
// rather than from a mapped file, so that tests running in parallel never
// share a named mapping of the same language code.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_TEST_HELPERS_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_TEST_HELPERS_H_

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"
#include "ime/t13n/transliteration/transliterator/static_transliterator.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace ime_t13n {
namespace testing_helpers {

// Devanagari letters of the test languages.
constexpr wchar_t kKa = 0x0915;
constexpr wchar_t kKha = 0x0916;
constexpr wchar_t kTa = 0x0924;
constexpr wchar_t kMa = 0x092E;
constexpr wchar_t kYa = 0x092F;
constexpr wchar_t kRa = 0x0930;
constexpr wchar_t kVowelA = 0x0905;
constexpr wchar_t kVowelAa = 0x0906;
constexpr wchar_t kVowelI = 0x0907;
constexpr wchar_t kVocalicR = 0x090B;
constexpr wchar_t kSignAa = 0x093E;
constexpr wchar_t kSignI = 0x093F;
constexpr wchar_t kSignVocalicR = 0x0943;
constexpr wchar_t kVirama = 0x094D;

inline std::wstring W(std::initializer_list<wchar_t> units) {
  return std::wstring(units);
}

// Builds the contents of a data file piece by piece.
class LanguageBuilder {
 public:
  enum SegmentKind { kSimple = 0, kPrefix = 1, kSuffix = 2 };

  explicit LanguageBuilder(const std::string& code,
                           const std::wstring& virama = W({kVirama}))
      : code_(code) {
    language_.set_language_id(1);
    language_.set_language_name(code);
    language_.set_virama(ime_shared::WideToUtf8(virama));
    language_.set_indic_char_bytes(3);
    language_.set_vowel_matra_difference(56);
  }

  // A character of class |character_class| that the key/value table spells
  // |english|; |spellings| (null: none) feed the static transliterator.
  LanguageBuilder& Char(const std::wstring& ch, int character_class,
                        const std::string& english,
                        const char* spellings = nullptr,
                        const std::wstring& matra = std::wstring()) {
    AddCharacter(&language_, ch, character_class, spellings, matra);
    chars_.push_back(ch);
    contents_.key_value_lines.push_back(ime_shared::WideToUtf8(ch) + " " +
                                        english);
    return *this;
  }
  LanguageBuilder& EndWordsWithVirama() {
    language_.set_end_words_with_virama(true);
    return *this;
  }
  LanguageBuilder& ClassLists(const std::vector<std::wstring>& lists) {
    contents_.char_class_lists = lists;
    return *this;
  }
  LanguageBuilder& Segment(SegmentKind kind, const std::wstring& english,
                           float weight,
                           const std::vector<NativeScore>& natives) {
    contents_.segments.push_back({english, kind, weight, natives});
    return *this;
  }
  LanguageBuilder& Lookup(const std::wstring& english,
                          const std::vector<NativeScore>& natives) {
    contents_.lookups.push_back({english, natives});
    return *this;
  }
  LanguageBuilder& DictionaryWord(const std::wstring& word, int32_t score) {
    contents_.dictionary_words.push_back({word, score});
    return *this;
  }
  LanguageBuilder& Rule(int rule, const std::wstring& first,
                        const std::wstring& second, int32_t count) {
    contents_.rules.push_back({rule, first, second, count});
    return *this;
  }
  // Counts that let every word of the characters given so far pass the
  // rule checks. Rules given before keep their counts (the first record of
  // a key wins).
  LanguageBuilder& PermitAllWords() {
    for (const std::wstring& c : chars_) {
      Rule(LanguageRule::CHAR_POSITIONS, L"b", c, 100);
      Rule(LanguageRule::CHAR_POSITIONS, L"m", c, 100);
      Rule(LanguageRule::CHAR_POSITIONS, L"e", c, 100);
      for (const std::wstring& d : chars_) {
        Rule(LanguageRule::CONSEC_CHARS, c, d, 100);
      }
    }
    for (int a = 0; a <= 5; ++a) {
      for (int b = 0; b <= 5; ++b) {
        Rule(LanguageRule::CONSEC_CHAR_CLASSES, std::to_wstring(a),
             std::to_wstring(b), 1000);
      }
    }
    return *this;
  }

  const std::string& code() const { return code_; }
  LanguageDataContents Contents() const {
    LanguageDataContents contents = contents_;
    contents.language_message = language_.SerializeAsString();
    return contents;
  }

 private:
  std::string code_;
  Language language_;
  LanguageDataContents contents_;
  std::vector<std::wstring> chars_;
};

// The Devanagari test language: consonants k, kh, t, m, y, r; vowels a,
// aa, i and the vocalic R with their signs; the virama. Each English
// consonant letter has a class of its own, the vowel letters share the
// class of "a". With |spellings| the static transliterator knows the
// letters too.
inline LanguageBuilder HindiLike(const std::string& code = "hi",
                                 bool spellings = false) {
  LanguageBuilder b(code);
  auto s = [spellings](const char* text) { return spellings ? text : nullptr; };
  b.Char(W({kKa}), Language::CONSONANT, "k", s("k"))
      .Char(W({kKha}), Language::CONSONANT, "kh", s("kh"))
      .Char(W({kTa}), Language::CONSONANT, "t", s("t"))
      .Char(W({kMa}), Language::CONSONANT, "m", s("m"))
      .Char(W({kYa}), Language::CONSONANT, "y", s("y"))
      .Char(W({kRa}), Language::CONSONANT, "r", s("r"))
      .Char(W({kVowelA}), Language::VOWEL, "a", s("a"))
      .Char(W({kVowelAa}), Language::VOWEL, "aa", s("aa"), W({kSignAa}))
      .Char(W({kVowelI}), Language::VOWEL, "i", s("i"), W({kSignI}))
      .Char(W({kVocalicR}), Language::VOWEL, "ri", nullptr,
            W({kSignVocalicR}))
      .Char(W({kSignAa}), Language::MATRA, "aa")
      .Char(W({kSignI}), Language::MATRA, "i")
      .Char(W({kSignVocalicR}), Language::MATRA, "ri")
      .Char(W({kVirama}), Language::SPECIAL, "")
      .ClassLists({L"a, e, i, o, u", L"k", L"t", L"m", L"y", L"r"});
  return b;
}

// A transliterator over the data of a builder. The data stays in memory
// for the transliterator's life (its dictionary reads it in place).
class TestTransliterator {
 public:
  // |static_transliterator| (owned; null: the standard one) converts by
  // rule.
  explicit TestTransliterator(
      const LanguageBuilder& builder,
      StaticTransliterator* static_transliterator = nullptr)
      : TestTransliterator(builder.Contents(), builder.code(),
                           static_transliterator) {}

  TestTransliterator(const LanguageDataContents& contents,
                     const std::string& code,
                     StaticTransliterator* static_transliterator = nullptr)
      : body_(WriteDataBody(contents)) {
    RecordingErrorBox box;
    LanguageData data(&box);
    // The loader records the language code before it looks for the file;
    // there is no file here, the body is read from memory instead.
    data.LoadFromMap(code, "Z:\\no such folder");
    const uint8_t* begin = reinterpret_cast<const uint8_t*>(body_.data());
    DataCursor cursor(begin, begin + body_.size());
    EXPECT_TRUE(data.ReadSections(&cursor));
    EXPECT_EQ(data.GetLanguage(), code);
    TransliterationModel* model = new TransliterationModel(data);
    transliterator_.reset(
        static_transliterator != nullptr
            ? new Transliterator(model, static_transliterator)
            : new Transliterator(model));
  }

  Transliterator* operator->() { return transliterator_.get(); }
  Transliterator& get() { return *transliterator_; }

  // Transliterate with the default beam and no debug record.
  std::vector<ScoredWord> Words(const std::wstring& word, int n,
                                int beam = Transliterator::kDefaultBeam) {
    std::vector<ScoredWord> out;
    transliterator_->Transliterate(word, n, beam, &out, nullptr);
    return out;
  }
  std::vector<std::wstring> Candidates(const std::wstring& word) {
    std::vector<std::wstring> out;
    transliterator_->GetCandidates(word, &out);
    return out;
  }

 private:
  std::string body_;  // outlives the transliterator
  std::unique_ptr<Transliterator> transliterator_;
};

inline std::vector<std::wstring> WordsOf(const std::vector<ScoredWord>& list) {
  std::vector<std::wstring> words;
  for (const ScoredWord& w : list) words.push_back(w.word);
  return words;
}

inline std::set<std::wstring> WordSet(const std::vector<ScoredWord>& list) {
  std::set<std::wstring> words;
  for (const ScoredWord& w : list) words.insert(w.word);
  return words;
}

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_TEST_HELPERS_H_
