// Selection of the final candidates of Transliterator::Transliterate, and
// the candidate list of a keystroke (Transliterator::GetCandidates).
#include <algorithm>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/greek_case.h"
#include "ime/t13n/transliteration/transliterator/language_model.h"
#include "ime/t13n/transliteration/transliterator/model_view.h"
#include "ime/t13n/transliteration/transliterator/static_transliterator.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "ime/t13n/transliteration/transliterator/transliterator.pb.h"
#include "ime/t13n/transliteration/transliterator/transliterator_scratch.h"

namespace ime_t13n {

namespace {

// The first pass looks at this many of the best words, and at no more
// than this many valid ones, for the first candidate.
constexpr size_t kFirstPassEntries = 10;
constexpr int kFirstPassValidWords = 5;
// A word scoring less than a tenth of the one before it ends the search
// for the first candidate.
constexpr float kFirstPassDrop = 10.0f;
// The debug record lists this many of the words of the second pass.
constexpr int kLoggedSecondPassWords = 10;

// Where a typed word is cut to transliterate its pieces separately.
const wchar_t kSeparators[] = L"0123456789'`";
// Greek numeral sign, written after a digit letter.
constexpr wchar_t kGreekNumeralSign = 0x0374;

bool IsVowelLetter(unsigned low) {
  switch (low) {
    case 'a': case 'e': case 'i': case 'o': case 'u':
    case 'A': case 'E': case 'I': case 'O': case 'U':
      return true;
    default:
      return false;
  }
}

bool IsAsciiLetter(unsigned low) {
  return (low >= 'a' && low <= 'z') || (low >= 'A' && low <= 'Z');
}

void AddLegalSuggestion(TransliterationDebugInfo* debug,
                        const std::wstring& word, float score) {
  SegmentProbability* record = debug->add_legal_sugs();
  record->set_segment(ime_shared::WideToUtf8(word));
  record->set_probability(score);
}

}  // namespace

void MakeScoresDescending(std::vector<ScoredWord>::iterator begin,
                          std::vector<ScoredWord>::iterator end) {
  if (end - begin < 2) return;
  for (auto it = end - 1; it != begin; --it) {
    if (it->score >= (it - 1)->score) (it - 1)->score = it->score + 1;
  }
}

bool Transliterator::IsPlaced(const std::wstring& word) const {
  const std::vector<std::wstring>& placed = scratch_->placed;
  return std::find(placed.begin(), placed.end(), word) != placed.end();
}

bool Transliterator::CheckWordEnding(const std::wstring& word,
                                     const std::wstring& candidate) const {
  const unsigned e = word.empty() ? 0 : (word.back() & 0xFF);
  const bool y = e == 'y' || e == 'Y';
  const bool vowel = IsVowelLetter(e);
  const bool ends_in_consonant =
      !candidate.empty() && IsConsonantUnit(candidate.back());
  if ((vowel || y) && e != 'a' && e != 'A' && ends_in_consonant) return false;
  if (vowel) return true;
  if (!IsAsciiLetter(e)) return true;
  if (arabic_ && y) return true;
  if (candidate.empty()) return true;
  const int last_class =
      model_->language_model().GetClass(std::wstring(1, candidate.back()));
  return last_class != Language::VOWEL && last_class != Language::MATRA;
}

void Transliterator::SelectCandidates(const std::wstring& word, int n,
                                      std::vector<ScoredWord>* out,
                                      TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  SortRanked();
  const std::vector<RankedWord>& ranked = s.ranked;
  int placed = 0;

  // First pass: the best word that also ends like the typed word and
  // matches its consonants.
  int valid = 0;
  for (size_t i = 0; i < ranked.size() && i < kFirstPassEntries; ++i) {
    const std::wstring& candidate = RankedText(ranked[i]);
    if (!view_->IsValidWordForLanguage(candidate, word)) continue;
    ++valid;
    if (debug != nullptr) {
      AddLegalSuggestion(debug, candidate, ranked[i].score);
    }
    if (i > 0 && ranked[i - 1].score > kFirstPassDrop * ranked[i].score) {
      break;
    }
    if (CheckWordEnding(word, candidate) &&
        view_->MatchesConsonantSkeleton(candidate, word)) {
      s.placed.push_back(candidate);
      out->push_back(ScoredWord{candidate, ranked[i].score});
      ++placed;
      break;
    }
    if (debug != nullptr) {
      debug->add_failed_soundex_matches(ime_shared::WideToUtf8(candidate));
    }
    if (valid == kFirstPassValidWords) break;
  }

  // Second pass: the other valid words, best first.
  int logged = 0;
  for (size_t i = 0; i < ranked.size() && placed < n; ++i) {
    const std::wstring& candidate = RankedText(ranked[i]);
    if (IsPlaced(candidate) ||
        !view_->IsValidWordForLanguage(candidate, word)) {
      continue;
    }
    s.placed.push_back(candidate);
    out->push_back(ScoredWord{candidate, ranked[i].score});
    ++placed;
    if (debug != nullptr && logged < kLoggedSecondPassWords) {
      AddLegalSuggestion(debug, candidate, ranked[i].score);
      ++logged;
    }
  }
}

void Transliterator::FinishCandidates(const std::wstring& word, int n,
                                      std::vector<ScoredWord>* out,
                                      size_t start) {
  const size_t limit = static_cast<size_t>(n);
  if (limit == 1 && out->size() - start == 1) return;
  std::wstring converted;
  bool exact = false;
  static_transliterator_->Convert(*model_, word, &converted, &exact);
  if (converted.empty()) return;

  if (exact) {
    // The rule-based word goes first, wherever it stood before.
    if (IsPlaced(converted)) {
      auto it = std::find_if(out->begin() + start, out->end(),
                             [&converted](const ScoredWord& w) {
                               return w.word == converted;
                             });
      if (it != out->end()) out->erase(it);
    } else {
      scratch_->placed.push_back(converted);
    }
    out->insert(out->begin() + start, ScoredWord{converted, 0.0f});
    if (out->size() - start > limit) out->pop_back();
    return;
  }
  // Otherwise it comes last, when the statistics missed it.
  if (IsPlaced(converted)) return;
  scratch_->placed.push_back(converted);
  if (out->size() - start >= limit) out->pop_back();
  out->push_back(ScoredWord{std::move(converted), 0.0f});
}

void Transliterator::GetCandidates(const std::wstring& word,
                                   std::vector<std::wstring>* out) {
  const size_t start = out->size();
  std::vector<ScoredWord> ranked;
  Transliterate(word, kCandidateCount, beam_, &ranked, nullptr);

  // The user's earlier choice first; it takes the place of the last
  // transliteration unless it is one of them.
  const std::wstring chosen = LookupUserAccepted(word);
  size_t taken = ranked.size();
  if (!chosen.empty()) {
    out->push_back(chosen);
    if (taken > 0) --taken;
  }
  for (size_t j = 0; j < taken && j < ranked.size(); ++j) {
    if (!chosen.empty() && ranked[j].word == chosen) {
      ++taken;
    } else {
      out->push_back(std::move(ranked[j].word));
    }
  }

  if (ranked.size() < static_cast<size_t>(kCandidateCount)) {
    std::vector<std::wstring> pieces;
    FillUpCandidates(word, kCandidateCount - static_cast<int>(ranked.size()),
                     &pieces);
    for (std::wstring& piece : pieces) out->push_back(std::move(piece));
  }
  if (greek_) AddCaseVariants(word, out->begin() + start, out->end());
}

void Transliterator::FillUpCandidates(const std::wstring& word, int k,
                                      std::vector<std::wstring>* out) {
  if (word.find_first_of(kSeparators) == std::wstring::npos) return;
  std::vector<ScoredWord> readings;
  size_t start = 0;
  while (start < word.size()) {
    size_t end = word.find_first_of(kSeparators, start);
    if (end == std::wstring::npos) end = word.size();
    if (end > start) {
      readings.clear();
      Transliterate(word.substr(start, end - start), k, beam_, &readings,
                    nullptr);
      if (out->size() < readings.size()) out->resize(readings.size());
      for (size_t i = 0; i < readings.size(); ++i) {
        (*out)[i] += readings[i].word;
      }
    }
    if (end < word.size()) {
      std::wstring separator(1, word[end]);
      if (word[end] >= L'0' && word[end] <= L'9') {
        separator.assign(1, native_digits_[word[end] - L'0']);
        if (greek_ && word[end] != L'0') separator += kGreekNumeralSign;
      }
      for (std::wstring& candidate : *out) candidate += separator;
    }
    start = end + 1;
  }
}

void Transliterator::AddCaseVariants(
    const std::wstring& word, std::vector<std::wstring>::iterator begin,
    std::vector<std::wstring>::iterator end) const {
  int letters = 0;
  int upper = 0;
  bool first_upper = false;
  for (wchar_t unit : word) {
    const unsigned low = unit & 0xFF;
    if (!IsAsciiLetter(low)) continue;
    const bool is_upper = low >= 'A' && low <= 'Z';
    if (letters == 0) first_upper = is_upper;
    ++letters;
    if (is_upper) ++upper;
  }
  if (letters == 0) return;
  if (upper == letters) {
    for (auto it = begin; it != end; ++it) GreekUpperCase(&*it);
  } else if (letters >= 2 && first_upper && upper == 1) {
    for (auto it = begin; it != end; ++it) GreekUpperCaseFirst(&*it);
  }
}

}  // namespace ime_t13n
