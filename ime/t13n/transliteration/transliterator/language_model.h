// The character model of one target language, built from the Language
// message of its data file: the class of every native string, the English
// spellings of each, the matra of each vowel and the virama; and the join
// step of static conversion.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_MODEL_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_MODEL_H_

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ime/t13n/transliteration/lib/transl.pb.h"

namespace ime_t13n {

class LanguageModel {
 public:
  // Where a piece stands in the word being converted.
  enum JoinMode {
    kFirstPiece = 0,
    kLaterPiece = 1,
    kLastPiece = 2,
  };

  // The English spellings that produce a native string.
  struct MappingList {
    std::wstring indic;
    std::vector<std::wstring> spellings;
  };

  // Reads |language|; keeps nothing of it.
  explicit LanguageModel(const Language& language);

  // The CHARACTER_CLASS of exactly |text|; 0 when it has none.
  int GetClass(const std::wstring& text) const;
  // True when |text| equals the virama (an empty text equals an empty
  // virama).
  bool IsVirama(const std::wstring& text) const { return text == virama_; }
  bool IsConsonant(const std::wstring& text) const {
    return consonants_.count(text) != 0;
  }
  // The matra of |vowel|; null when it has none.
  const std::wstring* FindMatra(const std::wstring& vowel) const;

  // Joins the native |value| that the English |pending| produced to the
  // word converted so far, whose last piece is |previous|: a virama between
  // two consonants, the matra instead of a vowel after a consonant (unless
  // |pending| spells a long vowel: "a" then upper-case or mixed-case
  // letters), and with |mode| kLastPiece a final virama after a consonant
  // when the language ends words with one. |out| receives the text to
  // append, |piece| the piece now last. False when |value| is empty, has
  // no class or is a matra, or when |previous| has no class.
  bool JoinIndicPieces(const std::wstring& previous,
                       const std::wstring& pending, const std::wstring& value,
                       int mode, std::wstring* out, std::wstring* piece) const;

  const std::wstring& language_name() const { return language_name_; }
  const std::wstring& virama() const { return virama_; }
  bool end_words_with_virama() const { return end_words_with_virama_; }
  const std::unordered_set<std::wstring>& consonants() const {
    return consonants_;
  }
  // The primary mapping lists, in the order in which the message first
  // gave each native string.
  const std::vector<MappingList>& mapping_lists() const {
    return mapping_lists_;
  }
  // The spellings of |indic|; null when it has none.
  const std::vector<std::wstring>* FindSpellings(
      const std::wstring& indic) const;

 private:
  // Splits a mapping specification ("k, kh:q") and keeps the spellings
  // before the first colon as the mapping list of |key|, unless |key| has
  // one already.
  void ParseMappingSpec(const std::wstring& key, const std::wstring& text);

  std::wstring language_name_;
  std::wstring virama_;
  bool end_words_with_virama_;
  std::unordered_map<std::wstring, int> classes_;
  std::unordered_set<std::wstring> consonants_;
  std::vector<MappingList> mapping_lists_;
  std::unordered_map<std::wstring, size_t> mapping_index_;
  std::unordered_map<std::wstring, std::wstring> matras_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_MODEL_H_
