#include "ime/t13n/transliteration/transliterator/model_view.h"

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/language_model.h"
#include "ime/t13n/transliteration/transliterator/word_chars.h"

namespace ime_t13n {

namespace {

bool SharesBit(int64_t a, int64_t b) { return (a & b) != 0; }

wchar_t VocalicRFor(const std::wstring& language) {
  if (language == L"kn") return 0x0C8B;
  if (language == L"te") return 0x0C0B;
  if (language == L"ml") return 0x0D0B;
  if (language == L"gu") return 0x0A8B;
  if (language == L"bn") return 0x098B;
  return 0x090B;
}

// The answer of |compute| kept in |known| (0 not yet asked, 1 yes, -1 no);
// without a slot (a unit outside the cached block) it is asked every time.
template <typename Compute>
bool Remembered(int8_t* known, Compute compute) {
  if (known != nullptr && *known != 0) return *known > 0;
  const bool answer = compute();
  if (known != nullptr) *known = answer ? 1 : -1;
  return answer;
}

}  // namespace

ModelView::ModelView(const TransliterationModel& model)
    : model_(model),
      language_model_(model.language_model()),
      letter_classes_(model.letter_classes()),
      key_values_(model.key_values()) {
  const std::wstring& language = language_model_.language_name();
  accepts_every_word_ = language == L"ar";
  skips_first_letter_ = language == L"ur" || language == L"fa" ||
                        language == L"el" || language == L"am" ||
                        language == L"ti";
  vocalic_r_.assign(1, VocalicRFor(language));
  const std::wstring* matra = language_model_.FindMatra(vocalic_r_);
  vocalic_r_sign_ = matra != nullptr ? *matra : vocalic_r_;
  // The script's block: the one of a consonant of the language.
  for (const std::wstring& consonant : language_model_.consonants()) {
    if (consonant.size() == 1) {
      window_base_ = static_cast<wchar_t>(consonant[0] & ~(kWindowUnits - 1));
      break;
    }
  }
}

int ModelView::ClassOf(wchar_t unit) const {
  return language_model_.GetClass(std::wstring(1, unit));
}

bool ModelView::CountAtLeast(RuleTableIndex table, const std::wstring& key,
                             int32_t minimum) const {
  const RuleTable& counts = model_.rule_table(table);
  auto it = counts.find(key);
  return it != counts.end() && it->second >= minimum;
}

ModelView::UnitFacts ModelView::FactsOf(wchar_t unit) const {
  const size_t slot = static_cast<uint16_t>(unit - window_base_);
  if (slot < kWindowUnits && unit_facts_[slot].known) {
    return unit_facts_[slot];
  }
  UnitFacts facts;
  facts.known = true;
  facts.unit_class = static_cast<int8_t>(ClassOf(unit));
  facts.middle = CountAtLeast(kWordMiddlePositions, std::wstring(1, unit),
                              kMinMiddleCount);
  facts.virama = language_model_.IsVirama(std::wstring(1, unit));
  if (slot < kWindowUnits) unit_facts_[slot] = facts;
  return facts;
}

bool ModelView::PairCommon(wchar_t previous, wchar_t current) const {
  const size_t a = static_cast<uint16_t>(previous - window_base_);
  const size_t b = static_cast<uint16_t>(current - window_base_);
  const bool cached = a < kWindowUnits && b < kWindowUnits;
  return Remembered(cached ? &pair_common_[a * kWindowUnits + b] : nullptr, [&] {
    std::wstring pair(1, previous);
    pair.push_back(current);
    return CountAtLeast(kConsecChars, pair, kMinPairCount);
  });
}

bool ModelView::ClassPairCommon(int previous, int current) const {
  const bool cached = previous >= 0 && previous < kClassCount &&
                      current >= 0 && current < kClassCount;
  return Remembered(
      cached ? &class_pair_common_[previous * kClassCount + current] : nullptr, [&] {
        const std::wstring classes =
            ime_shared::SimpleItoa(previous) + ime_shared::SimpleItoa(current);
        return CountAtLeast(kConsecCharClasses, classes, kMinClassPairCount);
      });
}

bool ModelView::PositionCommon(RuleTableIndex table, int32_t minimum,
                               std::vector<int8_t>* known,
                               wchar_t unit) const {
  const size_t slot = static_cast<uint16_t>(unit - window_base_);
  return Remembered(slot < kWindowUnits ? &(*known)[slot] : nullptr, [&] {
    return CountAtLeast(table, std::wstring(1, unit), minimum);
  });
}

bool ModelView::StartAllowed(wchar_t first, bool alone) const {
  const int first_class = FactsOf(first).unit_class;
  if (first_class != Language::CONSONANT && first_class != Language::VOWEL) {
    return false;
  }
  return alone || PositionCommon(kWordBeginPositions, kMinBeginCount,
                                 &begin_common_, first);
}

bool ModelView::StepAllowed(wchar_t previous, wchar_t current) const {
  const UnitFacts before = FactsOf(previous);
  const UnitFacts facts = FactsOf(current);
  const int previous_class = before.unit_class;
  const int current_class = facts.unit_class;
  if (!PairCommon(previous, current)) return false;
  if (!ClassPairCommon(previous_class, current_class)) return false;
  // After a virama only a consonant or a joiner may follow; a virama only
  // follows a consonant.
  if (before.virama && current_class != Language::CONSONANT &&
      current != 0x200D && current != 0x200C) {
    return false;
  }
  if (facts.virama && previous_class != Language::CONSONANT) return false;
  // A vowel sign needs a consonant to sit on.
  return !(current_class == Language::MATRA &&
           (previous_class == Language::VOWEL ||
            previous_class == Language::SPECIAL ||
            previous_class == Language::MATRA));
}

bool ModelView::EndAllowed(wchar_t last) const {
  return PositionCommon(kWordEndPositions, kMinEndCount, &end_common_, last);
}

bool ModelView::CheckLanguageRules(const wchar_t* word, size_t n) const {
  if (n == 0) return false;
  if (!StartAllowed(word[0], n == 1)) return false;
  if (n == 1) return true;
  for (size_t i = 1; i < n; ++i) {
    if (!StepAllowed(word[i - 1], word[i])) return false;
    if (i + 1 < n && !InsideAllowed(word[i])) return false;
  }
  return EndAllowed(word[n - 1]);
}

bool ModelView::FirstLetterAgrees(wchar_t first,
                                  const std::wstring& english) const {
  if (skips_first_letter_) return true;
  const int first_class = ClassOf(first);
  const wchar_t first_letter = english.empty() ? 0 : english[0];
  if (first_class == Language::CONSONANT &&
      IsAsciiConsonantLetter(first_letter)) {
    return true;
  }
  if (first_class == Language::VOWEL &&
      (IsAsciiVowelLetter(first_letter) || first_letter == L'y' ||
       first_letter == L'Y')) {
    return true;
  }
  // The vocalic R is a vowel that English spells with a consonant.
  const bool vocalic_r =
      (vocalic_r_.size() == 1 && first == vocalic_r_[0]) ||
      (vocalic_r_sign_.size() == 1 && first == vocalic_r_sign_[0]);
  return vocalic_r && first_letter == L'r';
}

bool ModelView::IsValidWordForLanguage(const wchar_t* indic, size_t length,
                                       const std::wstring& english) const {
  if (accepts_every_word_) return true;
  if (!CheckLanguageRules(indic, length)) return false;
  return FirstLetterAgrees(indic[0], english);
}

bool ModelView::MatchesConsonantSkeleton(const std::wstring& indic,
                                         const std::wstring& english) const {
  if (accepts_every_word_) return true;
  std::vector<int64_t> native;
  std::vector<int64_t> typed;
  IndicClassSkeleton(indic, &native);
  EnglishClassSkeleton(english, &typed);
  const int64_t a = model_.class_bits_of_a();

  size_t j = 0;
  size_t k = 0;
  while (j < native.size() && k < typed.size()) {
    if (SharesBit(native[j], typed[k])) {
      ++j;
      ++k;
    } else if (SharesBit(native[j], a)) {
      ++j;
    } else if (SharesBit(typed[k], a)) {
      ++k;
    } else {
      return false;
    }
  }
  if (j == native.size() && k == typed.size()) return true;
  if (j == native.size() && k + 1 == typed.size()) {
    return SharesBit(typed[k], a);
  }
  if (j + 1 == native.size() && k == typed.size()) {
    return SharesBit(native[j], a);
  }
  return false;
}

void ModelView::EnglishClassSkeleton(const std::wstring& english,
                                     std::vector<int64_t>* out) const {
  out->clear();
  std::wstring lower = english;
  ime_shared::LowerCaseWord(&lower);
  const int64_t a = model_.class_bits_of_a();
  int64_t last = 0;
  std::wstring unit;
  for (wchar_t u : lower) {
    if (!IsAsciiLetter(u)) continue;
    unit.assign(1, u);
    auto it = letter_classes_.find(unit);
    if (it == letter_classes_.end()) continue;
    const int64_t bits = it->second;
    // Letters that rank no higher than "a" (the vowels) neither count nor
    // separate two letters of one class.
    if (bits > a) {
      if (!SharesBit(bits, last)) out->push_back(bits);
      last = bits;
    }
  }
}

void ModelView::IndicClassSkeleton(const std::wstring& indic,
                                   std::vector<int64_t>* out) const {
  std::wstring spelt;
  std::wstring unit;
  for (wchar_t u : indic) {
    unit.assign(1, u);
    auto it = key_values_.find(unit);
    if (it != key_values_.end()) spelt += it->second;
  }
  EnglishClassSkeleton(spelt, out);
}

}  // namespace ime_t13n
