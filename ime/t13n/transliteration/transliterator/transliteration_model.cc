#include "ime/t13n/transliteration/transliterator/transliteration_model.h"

#include <utility>

#include "ime/shared/flags.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"

namespace ime_t13n {

// The module's one command-line flag. Its record lives in this file, which
// every user of the model links, so the static-library linker cannot drop
// it. The module parses no command line, so it keeps its default.
IME_DEFINE_BOOL_FLAG(
    lookups_enabled, true,
    L"ime\\t13n\\transliteration\\transliterator\\transliterator_data",
    L"Whether to load the lookups data");

namespace {

const char kLineTrim[] = " \t\r\n";

void TrimLine(std::string* text) {
  ime_shared::StripLeadingSpace(text, kLineTrim);
  ime_shared::StripTrailingSpace(text, kLineTrim);
}

void TrimPiece(std::wstring* text) {
  ime_shared::StripTrailingChars(text, L" \t\r\n");
  text->erase(0, text->find_first_not_of(L" \t\r\n"));
}

template <typename Table>
std::unique_ptr<Table> OrEmpty(std::unique_ptr<Table> table) {
  return table != nullptr ? std::move(table) : std::unique_ptr<Table>(new Table);
}

}  // namespace

bool LookupsEnabled() { return FLAGS_lookups_enabled; }

TransliterationModel::TransliterationModel(LanguageData& data)
    : TransliterationModel(data, LookupsEnabled()) {}

TransliterationModel::TransliterationModel(LanguageData& data,
                                           bool take_lookups)
    : language_(data.GetLanguage()) {
  language_model_.reset(new LanguageModel(data.language()));
  BuildLetterClasses(data.char_class_lists());
  BuildKeyValues(data.key_value_lines());
  BuildTrie();

  if (take_lookups) lookup_table_ = data.TakeLookupTable();
  suggest_ = data.TakeSuggest();
  for (int i = 0; i < kRuleTableCount; ++i) {
    rule_tables_[i] =
        OrEmpty(data.TakeRuleTable(static_cast<RuleTableIndex>(i)));
  }
  for (int i = 0; i < kSegmentTableCount; ++i) {
    segment_tables_[i] =
        OrEmpty(data.TakeSegmentTable(static_cast<SegmentTableIndex>(i)));
  }
  mapped_file_ = data.TakeMappedFile();
}

TransliterationModel::~TransliterationModel() = default;

void TransliterationModel::BuildLetterClasses(
    const std::vector<std::wstring>& lists) {
  // List i weighs 2^i as a signed 32-bit number: list 31 weighs -2^31 and
  // later lists nothing.
  uint32_t weight = 1;
  for (const std::wstring& list : lists) {
    std::vector<std::wstring> letters;
    ime_shared::SplitString(list, L",", &letters);
    for (std::wstring& letter : letters) {
      TrimPiece(&letter);
      letter_classes_[letter] += static_cast<int32_t>(weight);
    }
    weight <<= 1;
  }
  class_bits_of_a_ = static_cast<int32_t>(letter_classes_[L"a"]);
}

void TransliterationModel::BuildKeyValues(
    const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::vector<std::string> pieces;
    ime_shared::SplitStringUsing(line, &pieces);
    if (pieces.empty()) continue;  // nothing but blanks
    std::wstring key;
    std::wstring value;
    if (pieces.size() >= 2) {
      key = ime_shared::Utf8ToWide(pieces[0]);
      TrimLine(&pieces[1]);
      if (!language_model_->IsVirama(key)) {
        value = ime_shared::Utf8ToWide(pieces[1]);
      }
    } else {
      TrimLine(&pieces[0]);
      key = ime_shared::Utf8ToWide(pieces[0]);
    }
    if (key.empty()) continue;
    key_values_.emplace(std::move(key), std::move(value));
  }
}

void TransliterationModel::BuildTrie() {
  for (const LanguageModel::MappingList& list :
       language_model_->mapping_lists()) {
    for (std::wstring spelling : list.spellings) {
      TrimPiece(&spelling);
      trie_.Insert(spelling, list.indic);
    }
  }
}

void TransliterationModel::LookupDictionaryWords(
    const std::wstring& english, std::vector<LookupWord>* out) const {
  if (lookup_table_ == nullptr) return;
  auto it = lookup_table_->find(english);
  if (it == lookup_table_->end()) return;
  out->insert(out->end(), it->second.begin(), it->second.end());
}

}  // namespace ime_t13n
