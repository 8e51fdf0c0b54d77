#include "ime/t13n/transliteration/transliterator/language_model.h"

#include "ime/shared/string_utils.h"

namespace ime_t13n {

using ime_shared::Utf8ToWide;

LanguageModel::LanguageModel(const Language& language)
    : language_name_(Utf8ToWide(language.language_name())),
      virama_(Utf8ToWide(language.virama())),
      end_words_with_virama_(language.end_words_with_virama()) {
  for (const Language::Character& record : language.character()) {
    const std::wstring ch = Utf8ToWide(record.ch());
    const int character_class = record.characterclass();
    // A later record of the same character changes its class only.
    classes_[ch] = character_class;
    if (character_class == Language::CONSONANT) consonants_.insert(ch);
    if (record.has_simplified_itrans_values()) {
      ParseMappingSpec(ch, Utf8ToWide(record.simplified_itrans_values()));
    }
    if (character_class == Language::VOWEL && record.has_matra_value()) {
      matras_.emplace(ch, Utf8ToWide(record.matra_value()));
    }
  }
  for (const Language::SpecialStaticMappings& record :
       language.specialstaticmappings()) {
    const std::wstring indic = Utf8ToWide(record.indic_string());
    ParseMappingSpec(indic, Utf8ToWide(record.english_mappings()));
    // Special strings convert like consonants but do not join the
    // consonant set.
    classes_[indic] = Language::CONSONANT;
  }
}

void LanguageModel::ParseMappingSpec(const std::wstring& key,
                                     const std::wstring& text) {
  if (mapping_index_.count(key) != 0) return;
  std::vector<std::wstring> parts;
  ime_shared::SplitOnColon(text, &parts);
  MappingList list;
  list.indic = key;
  ime_shared::SplitString(parts[0], L",", &list.spellings);
  for (std::wstring& spelling : list.spellings) {
    ime_shared::TrimWhitespace(&spelling);
  }
  mapping_index_.emplace(key, mapping_lists_.size());
  mapping_lists_.push_back(std::move(list));
}

int LanguageModel::GetClass(const std::wstring& text) const {
  auto it = classes_.find(text);
  return it == classes_.end() ? Language::UNDEFINED : it->second;
}

const std::wstring* LanguageModel::FindMatra(const std::wstring& vowel) const {
  auto it = matras_.find(vowel);
  return it == matras_.end() ? nullptr : &it->second;
}

const std::vector<std::wstring>* LanguageModel::FindSpellings(
    const std::wstring& indic) const {
  auto it = mapping_index_.find(indic);
  return it == mapping_index_.end() ? nullptr
                                    : &mapping_lists_[it->second].spellings;
}

namespace {

// "aI", "aIi": the English of a long vowel, written with a capital after
// the first "a".
bool SpellsLongVowel(const std::wstring& pending) {
  if (pending.size() < 2 || pending[0] != L'a') return false;
  const ime_shared::LetterCase rest =
      ime_shared::ClassifyLetterCase(pending.c_str() + 1);
  return rest == ime_shared::kAllUpper || rest == ime_shared::kMixedCase;
}

}  // namespace

bool LanguageModel::JoinIndicPieces(const std::wstring& previous,
                                    const std::wstring& pending,
                                    const std::wstring& value, int mode,
                                    std::wstring* out,
                                    std::wstring* piece) const {
  out->clear();
  piece->clear();
  if (value.empty()) return false;
  const int joining = GetClass(value);
  const int before = GetClass(previous);
  if (joining == Language::UNDEFINED) return false;
  if (!previous.empty() && before == Language::UNDEFINED) return false;

  std::wstring text = value;
  switch (joining) {
    case Language::CONSONANT:
      if (before == Language::CONSONANT) *out = virama_;
      break;
    case Language::VOWEL:
      if (mode != kFirstPiece && before == Language::CONSONANT &&
          !SpellsLongVowel(pending)) {
        const std::wstring* matra = FindMatra(value);
        if (matra != nullptr) text = *matra;
      }
      break;
    case Language::SPECIAL:
    case Language::DIGIT:
      break;
    default:
      return false;
  }
  *out += text;
  *piece = text;
  if (mode == kLastPiece && end_words_with_virama_ &&
      joining == Language::CONSONANT) {
    *out += virama_;
  }
  return true;
}

}  // namespace ime_t13n
