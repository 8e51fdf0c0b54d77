// Converts an English word into native text by rule alone: walks the static
// mapping trie of the model from left to right, always as deep as it goes,
// and joins the native pieces with the language model's join step (a virama
// between consonants, a matra after a consonant, an optional final virama).
// Its result gives the candidate list one entry that does not depend on the
// statistics of the data file.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_STATIC_TRANSLITERATOR_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_STATIC_TRANSLITERATOR_H_

#include <string>

namespace ime_t13n {

class TransliterationModel;

class StaticTransliterator {
 public:
  StaticTransliterator() = default;
  virtual ~StaticTransliterator() = default;
  StaticTransliterator(const StaticTransliterator&) = delete;
  StaticTransliterator& operator=(const StaticTransliterator&) = delete;

  // Appends the conversion of |word| (as typed: the trie is case-sensitive)
  // to |out|. Units and spellings that produce nothing are dropped.
  // |*exact| tells the caller that the conversion should replace an equal
  // candidate at the front of its list; it is always false, so that the
  // rule-based word only joins the list when the statistics missed it.
  virtual void Convert(const TransliterationModel& model,
                       const std::wstring& word, std::wstring* out,
                       bool* exact) const;

  // The number of UTF-16 units of |word|.
  virtual int Length(const std::wstring& word) const;
  // |*out| = the unit at |index| as a one-unit string; empty when |index|
  // lies outside the word.
  virtual void CharAt(const std::wstring& word, int index,
                      std::wstring* out) const;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_STATIC_TRANSLITERATOR_H_
