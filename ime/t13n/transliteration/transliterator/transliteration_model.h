// The read-only model of one language that the transliterator works on. It
// takes over the tables, the Suggest dictionary and the mapped data file of
// a loaded LanguageData, and builds the language model, the letter-class
// table, the key/value table and the static mapping trie.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATION_MODEL_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATION_MODEL_H_

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ime/shared/mapped_file.h"
#include "ime/t13n/transliteration/transliterator/language_model.h"
#include "ime/t13n/transliteration/transliterator/language_tables.h"
#include "ime/t13n/transliteration/transliterator/static_mapping_trie.h"

namespace ime_t13n {

class LanguageData;
class Suggest;

// English letter -> set of class bits (bit i: the letter is in class list
// i of the data file).
typedef std::unordered_map<std::wstring, int64_t> LetterClassTable;
// Native character -> the English letters that spell it.
typedef std::unordered_map<std::wstring, std::wstring> KeyValueTable;

// Whether the model takes the lookup table of whole words: the value of the
// flag lookups_enabled (default true). The module parses no command line,
// so the flag keeps its default.
bool LookupsEnabled();

class TransliterationModel {
 public:
  // Builds the model from |data| and takes its tables, Suggest and mapping
  // (the lookup table only when LookupsEnabled()). Never fails: what |data|
  // lacks gives empty tables.
  explicit TransliterationModel(LanguageData& data);
  TransliterationModel(LanguageData& data, bool take_lookups);
  ~TransliterationModel();
  TransliterationModel(const TransliterationModel&) = delete;
  TransliterationModel& operator=(const TransliterationModel&) = delete;

  // Appends the native words and scores that the lookup table lists for
  // |english|, in stored order; nothing when it lists none.
  void LookupDictionaryWords(const std::wstring& english,
                             std::vector<LookupWord>* out) const;
  std::wstring CopyWord(const std::wstring& word) const { return word; }

  const LanguageModel& language_model() const { return *language_model_; }
  const LetterClassTable& letter_classes() const { return letter_classes_; }
  // The letter-class value of "a", low 32 bits.
  int32_t class_bits_of_a() const { return class_bits_of_a_; }
  const KeyValueTable& key_values() const { return key_values_; }
  // Null when the lookups were not taken.
  const LookupTable* lookup_table() const { return lookup_table_.get(); }
  // Null when the data held none.
  Suggest* suggest() const { return suggest_.get(); }
  const RuleTable& rule_table(RuleTableIndex index) const {
    return *rule_tables_[index];
  }
  const SegmentTable& segment_table(SegmentTableIndex index) const {
    return *segment_tables_[index];
  }
  const StaticMappingTrie& trie() const { return trie_; }
  const ime_shared::MappedFile* mapped_file() const {
    return mapped_file_.get();
  }
  const std::string& language() const { return language_; }

 private:
  void BuildLetterClasses(const std::vector<std::wstring>& lists);
  void BuildKeyValues(const std::vector<std::string>& lines);
  void BuildTrie();

  std::unique_ptr<LanguageModel> language_model_;
  LetterClassTable letter_classes_;
  KeyValueTable key_values_;
  int32_t class_bits_of_a_ = 0;
  std::unique_ptr<LookupTable> lookup_table_;
  std::unique_ptr<RuleTable> rule_tables_[kRuleTableCount];
  std::unique_ptr<SegmentTable> segment_tables_[kSegmentTableCount];
  StaticMappingTrie trie_;
  std::unique_ptr<ime_shared::MappedFile> mapped_file_;
  // Reads the mapping in place; declared after it so that it goes first.
  std::unique_ptr<Suggest> suggest_;
  std::string language_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATION_MODEL_H_
