// The language-specific checks of a native candidate against the typed
// English word, read from the model:
// - CheckLanguageRules: the native word against the rule-count tables of the
//   data file (pairs of characters, pairs of classes, characters by
//   position);
// - IsValidWordForLanguage: the rules plus agreement of the first letters
//   (consonant with consonant, vowel with vowel), with exemptions by
//   language;
// - MatchesConsonantSkeleton: the consonant classes of both words, in
//   order, must agree.
// What the tables say of the script's characters and their pairs is kept
// once looked up, so the view is for one thread (the transliterator's).
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_MODEL_VIEW_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_MODEL_VIEW_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ime/t13n/transliteration/transliterator/language_tables.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"

namespace ime_t13n {

class LanguageModel;

class ModelView {
 public:
  // The thresholds of the rule checks: a count below its threshold, or a
  // missing key, fails the word.
  static constexpr int32_t kMinBeginCount = 8;
  static constexpr int32_t kMinPairCount = 1;
  static constexpr int32_t kMinClassPairCount = 500;
  static constexpr int32_t kMinMiddleCount = 12;
  static constexpr int32_t kMinEndCount = 6;

  // Reads |model|, which must outlive the view.
  explicit ModelView(const TransliterationModel& model);
  ModelView(const ModelView&) = delete;
  ModelView& operator=(const ModelView&) = delete;

  // True when the native |word| begins with a consonant or a vowel and,
  // for two characters or more, every character is common enough at its
  // place and after the one before it.
  bool CheckLanguageRules(const std::wstring& word) const {
    return CheckLanguageRules(word.data(), word.size());
  }
  bool CheckLanguageRules(const wchar_t* word, size_t length) const;

  // CheckLanguageRules a unit or two at a time, for a word that is not at
  // hand in one piece: the word u[0] .. u[n-1] passes when
  // StartAllowed(u[0], n == 1) holds and, for n >= 2, StepAllowed(u[i-1],
  // u[i]) for every i from 1, InsideAllowed(u[i]) for 0 < i < n - 1 and
  // EndAllowed(u[n-1]). Each answer depends on its units alone.
  bool StartAllowed(wchar_t first, bool alone) const;
  bool StepAllowed(wchar_t previous, wchar_t current) const;
  bool InsideAllowed(wchar_t unit) const { return FactsOf(unit).middle; }
  bool EndAllowed(wchar_t last) const;

  // True when |indic| is a plausible word for the English |english|: always
  // for "ar"; otherwise it must pass CheckLanguageRules, and then, except
  // for "ur", "fa", "el", "am" and "ti", its first character must agree
  // with the first English letter (or be the vocalic R for an "r").
  bool IsValidWordForLanguage(const std::wstring& indic,
                              const std::wstring& english) const {
    return IsValidWordForLanguage(indic.data(), indic.size(), english);
  }
  bool IsValidWordForLanguage(const wchar_t* indic, size_t length,
                              const std::wstring& english) const;
  // The parts of IsValidWordForLanguage besides the rules: whether every
  // word passes, and whether a word that passes the rules and begins with
  // |first| agrees with |english|.
  bool AcceptsEveryWord() const { return accepts_every_word_; }
  bool FirstLetterAgrees(wchar_t first, const std::wstring& english) const;

  // True when the consonant classes of |indic| (spelt in English through
  // the key/value table) and of |english| agree in order, the classes of
  // "a" being free to appear on either side. Always true for "ar".
  bool MatchesConsonantSkeleton(const std::wstring& indic,
                                const std::wstring& english) const;

  // The classes of the letters of |english| (lower-cased) that rank above
  // the class of "a", each run of letters sharing a class given once.
  void EnglishClassSkeleton(const std::wstring& english,
                            std::vector<int64_t>* out) const;
  // The English skeleton of |indic| spelt letter by letter through the
  // key/value table.
  void IndicClassSkeleton(const std::wstring& indic,
                          std::vector<int64_t>* out) const;

  const TransliterationModel& model() const { return model_; }
  const LanguageModel& language_model() const { return language_model_; }

 private:
  int ClassOf(wchar_t unit) const;

  // What the rule tables say of one unit and of two units in a row, read
  // once for the units of the script's block: the checks of a long
  // candidate read them at every unit.
  struct UnitFacts {
    bool known = false;
    int8_t unit_class = 0;
    bool middle = false;  // common enough inside a word
    bool virama = false;
  };
  static constexpr size_t kWindowUnits = 128;
  static constexpr int kClassCount = 8;
  UnitFacts FactsOf(wchar_t unit) const;
  // Whether |unit| is common enough at the start (or the end) of a word.
  bool PositionCommon(RuleTableIndex table, int32_t minimum,
                      std::vector<int8_t>* known, wchar_t unit) const;
  bool PairCommon(wchar_t previous, wchar_t current) const;
  bool ClassPairCommon(int previous, int current) const;
  // True when |key| is in |table| with a count of at least |minimum|.
  bool CountAtLeast(RuleTableIndex table, const std::wstring& key,
                    int32_t minimum) const;

  const TransliterationModel& model_;
  const LanguageModel& language_model_;
  const LetterClassTable& letter_classes_;
  const KeyValueTable& key_values_;

  // Derived once from the language name.
  bool accepts_every_word_;    // "ar"
  bool skips_first_letter_;    // "ur", "fa", "el", "am", "ti"
  std::wstring vocalic_r_;     // the vocalic R letter of the script
  std::wstring vocalic_r_sign_;  // its matra, or the letter itself

  // The block of kWindowUnits units whose facts are kept, and the facts
  // found so far (for pairs and class pairs: 0 not yet looked up, 1
  // common, -1 not).
  wchar_t window_base_ = 0;
  mutable std::vector<UnitFacts> unit_facts_ =
      std::vector<UnitFacts>(kWindowUnits);
  mutable std::vector<int8_t> pair_common_ =
      std::vector<int8_t>(kWindowUnits * kWindowUnits, 0);
  mutable std::vector<int8_t> class_pair_common_ =
      std::vector<int8_t>(kClassCount * kClassCount, 0);
  mutable std::vector<int8_t> begin_common_ =
      std::vector<int8_t>(kWindowUnits, 0);
  mutable std::vector<int8_t> end_common_ =
      std::vector<int8_t>(kWindowUnits, 0);
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_MODEL_VIEW_H_
