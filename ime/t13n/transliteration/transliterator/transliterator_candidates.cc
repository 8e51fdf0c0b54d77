// Selection of the final candidates of Transliterator::Transliterate, and
// the candidate list of a keystroke (Transliterator::GetCandidates).
#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

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
#include "ime/t13n/transliteration/transliterator/word_chars.h"

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

// Where a typed word is cut to transliterate its pieces separately. Every
// candidate of such a word holds them, in place, among the readings of the
// pieces.
const wchar_t kSeparators[] = L"0123456789'`";
// Greek numeral sign, written after a digit letter.
constexpr wchar_t kGreekNumeralSign = 0x0374;

bool HasSeparator(const std::wstring& word) {
  return word.find_first_of(kSeparators) != std::wstring::npos;
}

// The text that stands for the typed separator |unit| in a candidate: the
// language's digit for a digit (in Greek the letter numeral followed by the
// numeral sign, zero aside), an apostrophe or a backquote as typed.
std::wstring SeparatorText(wchar_t unit, const wchar_t* digits, bool greek) {
  std::wstring text(1, unit);
  if (unit >= L'0' && unit <= L'9') {
    text.assign(1, digits[unit - L'0']);
    if (greek && unit != L'0') text += kGreekNumeralSign;
  }
  return text;
}

// What every candidate of a typed word with separators must show: the text
// of each typed separator, in order, and other text in exactly those gaps
// (before, between and after the separators) where the typed word has a
// piece. A candidate is read as separator texts and other text to compare;
// a whole-word reading that dropped, moved or merged a digit fails.
class SeparatorPattern {
 public:
  SeparatorPattern(const std::wstring& word, const wchar_t* digits,
                   bool greek) {
    for (const wchar_t* s = kSeparators; *s != 0; ++s) {
      texts_.push_back(SeparatorText(*s, digits, greek));
    }
    // A longer text is tried first, should one begin another.
    std::stable_sort(texts_.begin(), texts_.end(),
                     [](const std::wstring& a, const std::wstring& b) {
                       return a.size() > b.size();
                     });
    bool text = false;
    for (wchar_t unit : word) {
      if (unit != 0 && std::wcschr(kSeparators, unit) != nullptr) {
        separators_.push_back(SeparatorText(unit, digits, greek));
        filled_.push_back(text);
        text = false;
      } else {
        text = true;
      }
    }
    filled_.push_back(text);
  }

  bool Matches(const std::wstring& candidate) const {
    size_t next = 0;  // the typed separator expected next
    bool text = false;
    size_t i = 0;
    while (i < candidate.size()) {
      const std::wstring* found = SeparatorAt(candidate, i);
      if (found == nullptr) {
        text = true;
        ++i;
        continue;
      }
      if (next == separators_.size() || *found != separators_[next] ||
          text != filled_[next]) {
        return false;
      }
      ++next;
      text = false;
      i += found->size();
    }
    return next == separators_.size() && text == filled_[next];
  }

 private:
  const std::wstring* SeparatorAt(const std::wstring& candidate,
                                  size_t i) const {
    for (const std::wstring& t : texts_) {
      if (candidate.compare(i, t.size(), t) == 0) return &t;
    }
    return nullptr;
  }

  std::vector<std::wstring> texts_;       // of all twelve separators
  std::vector<std::wstring> separators_;  // of the typed ones, in order
  std::vector<bool> filled_;              // per gap: a piece stands there
};

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
  const wchar_t e = word.empty() ? 0 : word.back();
  const bool y = e == L'y' || e == L'Y';
  const bool vowel = IsAsciiVowelLetter(e);
  const bool ends_in_consonant =
      !candidate.empty() && IsConsonantUnit(candidate.back());
  if ((vowel || y) && e != L'a' && e != L'A' && ends_in_consonant) {
    return false;
  }
  if (vowel) return true;
  if (!IsAsciiLetter(e)) return true;
  if (arabic_ && y) return true;
  if (candidate.empty()) return true;
  const int last_class =
      model_->language_model().GetClass(std::wstring(1, candidate.back()));
  return last_class != Language::VOWEL && last_class != Language::MATRA;
}

bool Transliterator::TailRulesHold(uint32_t index) {
  Scratch& s = *scratch_;
  const ModelView& view = *view_;
  const FinishedReadings& finished = s.finished;
  if (s.tail_rules.size() < finished.size()) {
    s.tail_rules.resize(finished.size(), 0);
  }
  // Down the chain of readings to the first whose verdict is known, to the
  // first that breaks a rule or to the end; every reading passed on the
  // way shares the verdict.
  std::vector<uint32_t>& chain = s.tail_chain;
  chain.clear();
  int8_t verdict = 1;
  for (uint32_t t = index;;) {
    if (s.tail_rules[t] != 0) {
      verdict = s.tail_rules[t];
      break;
    }
    chain.push_back(t);
    const NativeEntry& reading = finished.at(t);
    const wchar_t* head = finished.head(reading);
    const uint32_t units = reading.head_length;
    const bool goes_on = reading.tail != NativeEntry::kNoTail &&
                         finished.at(reading.tail).length > 0;
    bool holds = true;
    for (uint32_t k = 1; holds && k < units; ++k) {
      holds = view.StepAllowed(head[k - 1], head[k]);
    }
    // Every unit before the last of the word lies inside it.
    const uint32_t inside = goes_on ? units : (units > 0 ? units - 1 : 0);
    for (uint32_t k = 0; holds && k < inside; ++k) {
      holds = view.InsideAllowed(head[k]);
    }
    if (holds && units > 0) {
      holds = goes_on ? view.StepAllowed(head[units - 1],
                                         finished.at(reading.tail).first)
                      : view.EndAllowed(head[units - 1]);
    }
    if (!holds) {
      verdict = -1;
      break;
    }
    if (!goes_on) break;
    t = reading.tail;
  }
  for (uint32_t t : chain) s.tail_rules[t] = verdict;
  return verdict > 0;
}

bool Transliterator::IsValidRanked(const RankedWord& ranked,
                                   const std::wstring& word) {
  const ModelView& view = *view_;
  if (ranked.text != nullptr) {
    return view.IsValidWordForLanguage(ranked.text, ranked.length, word);
  }
  if (view.AcceptsEveryWord()) return true;
  const Scratch& s = *scratch_;
  const NativeScoreMap& readings = *s.maps[s.top_map];
  const NativeEntry& entry = readings.entries()[ranked.reading];
  const size_t length = entry.length;
  if (length == 0) return false;
  // The units as far as the first finished reading that is read after
  // something; the rest of the word is that reading.
  size_t position = 0;
  wchar_t first = 0;
  wchar_t previous = 0;
  const wchar_t* head = readings.head(entry);
  uint32_t units = entry.head_length;
  uint32_t tail = entry.tail;
  for (;;) {
    for (uint32_t k = 0; k < units; ++k) {
      const wchar_t unit = head[k];
      if (position == 0) {
        if (!view.StartAllowed(unit, length == 1)) return false;
        first = unit;
      } else {
        if (position >= 2 && !view.InsideAllowed(previous)) return false;
        if (!view.StepAllowed(previous, unit)) return false;
      }
      previous = unit;
      ++position;
    }
    if (tail == NativeEntry::kNoTail) break;
    const NativeEntry& rest = s.finished.at(tail);
    if (rest.length == 0) break;
    if (position > 0) {
      if (position >= 2 && !view.InsideAllowed(previous)) return false;
      if (!view.StepAllowed(previous, rest.first)) return false;
      if (!TailRulesHold(tail)) return false;
      return view.FirstLetterAgrees(first, word);
    }
    head = s.finished.head(rest);
    units = rest.head_length;
    tail = rest.tail;
  }
  if (length >= 2 && !view.EndAllowed(previous)) return false;
  return view.FirstLetterAgrees(first, word);
}

void Transliterator::SelectCandidates(const std::wstring& word, int n,
                                      std::vector<ScoredWord>* out,
                                      TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  const std::vector<RankedWord>& ranked = s.ranked;
  int placed = 0;

  // First pass: the best word that also ends like the typed word and
  // matches its consonants.
  int valid = 0;
  for (size_t i = 0; i < ranked.size() && i < kFirstPassEntries; ++i) {
    ReachRanked(i);
    if (!IsValidRanked(ranked[i], word)) continue;
    const std::wstring& candidate = RankedText(ranked[i]);
    ++valid;
    if (debug != nullptr) {
      AddLegalSuggestion(debug, candidate, TrueScore(ranked[i].score));
    }
    if (i > 0 && ranked[i - 1].score > kFirstPassDrop * ranked[i].score) {
      break;
    }
    if (CheckWordEnding(word, candidate) &&
        view_->MatchesConsonantSkeleton(candidate, word)) {
      s.placed.push_back(candidate);
      out->push_back(ScoredWord{candidate, TrueScore(ranked[i].score)});
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
    ReachRanked(i);
    // Most readings of a long word fail the checks: they are not made
    // whole.
    if (!IsValidRanked(ranked[i], word)) continue;
    const std::wstring& candidate = RankedText(ranked[i]);
    if (IsPlaced(candidate)) continue;
    s.placed.push_back(candidate);
    out->push_back(ScoredWord{candidate, TrueScore(ranked[i].score)});
    ++placed;
    if (debug != nullptr && logged < kLoggedSecondPassWords) {
      AddLegalSuggestion(debug, candidate, TrueScore(ranked[i].score));
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
  Transliterate(word, kCandidateCount, CandidateBeam(word), &ranked,
                nullptr);

  // Committing a candidate must not lose a typed digit or apostrophe: a
  // whole-word reading that lacks one is not offered, and the readings of
  // the pieces between them fill its place.
  if (HasSeparator(word)) {
    const SeparatorPattern pattern(word, native_digits_, greek_);
    ranked.erase(std::remove_if(ranked.begin(), ranked.end(),
                                [&pattern](const ScoredWord& w) {
                                  return !pattern.Matches(w.word);
                                }),
                 ranked.end());
  }

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
    for (std::wstring& piece : pieces) {
      if (std::find(out->begin() + start, out->end(), piece) == out->end()) {
        out->push_back(std::move(piece));
      }
    }
  }
  if (greek_) AddCaseVariants(word, out->begin() + start, out->end());
}

int Transliterator::CandidateBeam(const std::wstring& word) const {
  if (word.size() <= kLongWordLetters) return beam_;
  return std::min(beam_, kLongWordBeam);
}

void Transliterator::FillUpCandidates(const std::wstring& word, int k,
                                      std::vector<std::wstring>* out) {
  if (!HasSeparator(word)) return;
  // The alternatives of each piece and separator, in the word's order. A
  // separator has one; so has a piece without any reading, its typed text.
  std::vector<std::vector<std::wstring>> parts;
  size_t count = 1;
  std::vector<ScoredWord> readings;
  size_t start = 0;
  while (true) {
    size_t end = word.find_first_of(kSeparators, start);
    if (end == std::wstring::npos) end = word.size();
    if (end > start) {
      std::wstring piece = word.substr(start, end - start);
      readings.clear();
      Transliterate(piece, k, CandidateBeam(piece), &readings, nullptr);
      parts.emplace_back();
      std::vector<std::wstring>& alternatives = parts.back();
      if (readings.empty()) alternatives.push_back(std::move(piece));
      for (ScoredWord& reading : readings) {
        alternatives.push_back(std::move(reading.word));
      }
      count = std::max(count, alternatives.size());
    }
    if (end == word.size()) break;
    parts.push_back({SeparatorText(word[end], native_digits_, greek_)});
    start = end + 1;
  }
  // Candidate i takes reading i of each piece; a piece with fewer readings
  // gives its best one to the candidates beyond them.
  for (size_t i = 0; i < count; ++i) {
    std::wstring candidate;
    for (const std::vector<std::wstring>& alternatives : parts) {
      candidate += alternatives[i < alternatives.size() ? i : 0];
    }
    out->push_back(std::move(candidate));
  }
}

void Transliterator::AddCaseVariants(
    const std::wstring& word, std::vector<std::wstring>::iterator begin,
    std::vector<std::wstring>::iterator end) const {
  int letters = 0;
  int upper = 0;
  bool first_upper = false;
  for (wchar_t unit : word) {
    if (!IsAsciiLetter(unit)) continue;
    const bool is_upper = IsAsciiUpperCaseLetter(unit);
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
