// The candidates of a typed word computed the plain way, for tests that
// hold the transliterator's fast paths to it: recursion with a memo of
// suffix readings, string-keyed maps, whole sorts, the dictionary score by
// binary search, and nothing kept from one call to the next.
//
// It follows the same choices as the transliterator where the algorithm
// leaves them open: maps yield their entries in insertion order, an empty
// reading is no candidate, a NaN score sorts last, an empty word gives
// nothing. The checks of a word (ModelView, CheckWordEnding) and the
// rule-based conversion are the transliterator's own, not under test here.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_REFERENCE_TEST_HELPERS_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_REFERENCE_TEST_HELPERS_H_

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/indic_word_encoding.h"
#include "ime/t13n/transliteration/transliterator/language_model.h"
#include "ime/t13n/transliteration/transliterator/model_view.h"
#include "ime/t13n/transliteration/transliterator/static_transliterator.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace ime_t13n {
namespace testing_helpers {

class ReferenceTransliterator {
 public:
  // |transliterator| lends its model and its word checks.
  explicit ReferenceTransliterator(const Transliterator& transliterator)
      : transliterator_(transliterator),
        model_(transliterator.model()),
        language_(model_.language_model()) {}

  // What Transliterator::Transliterate(word, n, beam) appends.
  std::vector<ScoredWord> Transliterate(const std::wstring& typed, int n,
                                        int beam = Transliterator::kDefaultBeam) {
    std::vector<ScoredWord> out;
    if (typed.empty()) return out;
    if (n < 1 || n > Transliterator::kMaxResults) n = 5;
    beam_ = beam < 1 ? Transliterator::kDefaultBeam : beam;
    std::wstring word = typed;
    ime_shared::LowerCaseWord(&word);

    memo_.clear();
    Map readings;
    SegmentWord(word, true, &readings);
    std::vector<ScoredWord> list;
    for (const auto& entry : readings.entries) {
      if (entry.first.empty()) continue;
      list.push_back(ScoredWord{
          entry.first,
          entry.second / static_cast<float>(entry.first.size())});
    }
    SortByScore(&list);
    const float top = list.empty() ? 1.0f : list.front().score;

    std::vector<std::wstring> globals;
    if (const LookupTable* lookups = model_.lookup_table()) {
      auto it = lookups->find(word);
      if (it != lookups->end()) {
        for (const LookupWord& lookup : it->second) {
          if (lookup.indic_word.empty()) continue;
          const float weight =
              top * std::max(Score(lookup.indic_word), 1.0f);
          globals.push_back(lookup.indic_word);
          list.push_back(ScoredWord{lookup.indic_word, weight});
        }
      }
    }
    int rescored = 0;
    for (ScoredWord& entry : list) {
      if (rescored > 20) break;
      if (static_cast<double>(entry.score) < 0.001) continue;
      const float x = Score(entry.word);
      if (!(x > 0) || !(static_cast<double>(entry.score) > 0.001)) continue;
      if (std::find(globals.begin(), globals.end(), entry.word) !=
          globals.end()) {
        entry.score = (entry.score + top) * x;
      } else {
        entry.score *= x;
        ++rescored;
      }
    }

    // Selection.
    SortByScore(&list);
    std::vector<std::wstring> placed;
    const ModelView& view = transliterator_.view();
    int valid = 0;
    for (size_t i = 0; i < list.size() && i < 10; ++i) {
      if (!view.IsValidWordForLanguage(list[i].word, word)) continue;
      ++valid;
      if (i > 0 && list[i - 1].score > 10.0f * list[i].score) break;
      if (transliterator_.CheckWordEnding(word, list[i].word) &&
          view.MatchesConsonantSkeleton(list[i].word, word)) {
        placed.push_back(list[i].word);
        out.push_back(list[i]);
        break;
      }
      if (valid == 5) break;
    }
    for (size_t i = 0; i < list.size() && out.size() < size_t(n); ++i) {
      if (std::find(placed.begin(), placed.end(), list[i].word) !=
              placed.end() ||
          !view.IsValidWordForLanguage(list[i].word, word)) {
        continue;
      }
      placed.push_back(list[i].word);
      out.push_back(list[i]);
    }

    // The rule-based word.
    if (!(n == 1 && out.size() == 1)) {
      std::wstring converted;
      bool exact = false;
      StaticTransliterator().Convert(model_, typed, &converted, &exact);
      const bool known = std::find(placed.begin(), placed.end(), converted) !=
                         placed.end();
      if (!converted.empty() && exact) {
        for (auto it = out.begin(); known && it != out.end(); ++it) {
          if (it->word == converted) {
            out.erase(it);
            break;
          }
        }
        out.insert(out.begin(), ScoredWord{converted, 0.0f});
        if (out.size() > size_t(n)) out.pop_back();
      } else if (!converted.empty() && !known) {
        if (out.size() >= size_t(n)) out.pop_back();
        out.push_back(ScoredWord{converted, 0.0f});
      }
    }
    for (size_t i = out.size(); i-- > 1;) {
      if (out[i].score >= out[i - 1].score) {
        out[i - 1].score = out[i].score + 1;
      }
    }
    return out;
  }

 private:
  // Native word -> score, yielding its entries in insertion order.
  struct Map {
    std::vector<std::pair<std::wstring, float>> entries;
    std::unordered_map<std::wstring, size_t> index;
    void Add(const std::wstring& key, float delta) {
      auto it = index.find(key);
      if (it == index.end()) {
        index.emplace(key, entries.size());
        entries.emplace_back(key, 0.0f + delta);
      } else {
        entries[it->second].second += delta;
      }
    }
  };

  static void SortByScore(std::vector<ScoredWord>* list) {
    auto key = [](float s) {
      return std::isnan(s) ? -std::numeric_limits<float>::infinity() : s;
    };
    std::stable_sort(list->begin(), list->end(),
                     [&key](const ScoredWord& a, const ScoredWord& b) {
                       return key(a.score) > key(b.score);
                     });
  }

  const SegmentEntry* Find(SegmentTableIndex table,
                           const std::wstring& english) const {
    const SegmentTable& segments = model_.segment_table(table);
    auto it = segments.find(english);
    return it == segments.end() ? nullptr : &it->second;
  }

  static void AddSubWordScore(const SegmentEntry& entry, Map* map,
                              float factor) {
    for (const NativeSegment& segment : entry.segments) {
      std::wstring native;
      DecodeEscapedEntry(segment.encoded, &native);
      float probability = segment.probability;
      if (native.size() >= 2) probability *= 1.5f;
      map->Add(native, probability * factor);
    }
  }

  static bool IsConsonantLetter(wchar_t unit) {
    const wchar_t c = static_cast<wchar_t>(unit & 0xFF);
    const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    return letter && std::wstring(L"aeiouAEIOU").find(c) == std::wstring::npos;
  }

  bool CanJoinWithVirama(const std::wstring& a, const std::wstring& b,
                         wchar_t english_left, wchar_t english_right) const {
    return !language_.virama().empty() && IsConsonantLetter(english_left) &&
           IsConsonantLetter(english_right) && !a.empty() && !b.empty() &&
           language_.IsConsonant(std::wstring(1, b.front())) &&
           language_.IsConsonant(std::wstring(1, a.back()));
  }

  // The beam best entries, the earlier entry first among equal scores (a
  // NaN scores lowest), kept in their order.
  void Prune(Map* map) const {
    if (map->entries.size() <= static_cast<size_t>(beam_)) return;
    auto key = [](float s) {
      return std::isnan(s) ? -std::numeric_limits<float>::infinity() : s;
    };
    std::vector<size_t> order(map->entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [map, &key](size_t a, size_t b) {
                       return key(map->entries[a].second) >
                              key(map->entries[b].second);
                     });
    std::vector<bool> best(order.size(), false);
    for (int i = 0; i < beam_; ++i) best[order[i]] = true;
    Map kept;
    for (size_t i = 0; i < map->entries.size(); ++i) {
      if (best[i]) kept.Add(map->entries[i].first, map->entries[i].second);
    }
    *map = kept;
  }

  void SegmentWord(const std::wstring& w, bool top, Map* result) {
    if (w.empty()) {
      result->Add(std::wstring(), 1.0f);
      return;
    }
    if (top) {
      if (const SegmentEntry* e = Find(kPrefixSegments, w)) {
        AddSubWordScore(*e, result, 2.0f);
      }
      if (const SegmentEntry* e = Find(kSuffixSegments, w)) {
        AddSubWordScore(*e, result, 2.0f);
      }
    } else {
      auto it = memo_.find(w);
      if (it != memo_.end()) {
        *result = it->second;
        return;
      }
    }
    for (size_t i = 1; i < w.size(); ++i) {
      const std::wstring a_english = w.substr(0, i);
      const std::wstring b_english = w.substr(i);
      Map first;
      if (top) {
        if (const SegmentEntry* e = Find(kPrefixSegments, a_english)) {
          AddSubWordScore(*e, &first, e->weight);
        }
      }
      if (const SegmentEntry* e = Find(kSimpleSegments, a_english)) {
        AddSubWordScore(*e, &first, e->weight);
      }
      if (first.entries.empty()) continue;
      Map rest;
      SegmentWord(b_english, false, &rest);
      if (const SegmentEntry* e = Find(kSuffixSegments, b_english)) {
        AddSubWordScore(*e, &rest,
                        static_cast<float>(b_english.size()) * e->weight);
      }
      Prune(&rest);
      for (const auto& b : rest.entries) {
        for (const auto& a : first.entries) {
          const float score = a.second * b.second;
          result->Add(a.first + b.first, score);
          if (CanJoinWithVirama(a.first, b.first, w[i - 1], w[i])) {
            result->Add(a.first + language_.virama() + b.first,
                        score * 1.5f);
          }
        }
      }
    }
    if (!top) memo_[w] = *result;
  }

  // The dictionary score by two binary searches over the entries.
  float Score(const std::wstring& word) const {
    const Suggest* suggest = model_.suggest();
    if (suggest == nullptr) return 0.0f;
    const std::string coded = suggest->code_table().EncodeWord(word);
    int32_t first = 0;
    int32_t count = 0;
    suggest->FindPrefixRange(coded, &first, &count);
    if (count == 0) return 0.0f;
    if (suggest->EntryAt(first).length == coded.size()) {
      return static_cast<float>(suggest->EntryAt(first).score);
    }
    uint32_t sum = 0;
    for (int32_t i = first; i < first + count; ++i) {
      const SuggestEntry entry = suggest->EntryAt(i);
      sum += static_cast<uint32_t>(entry.score) >>
             ((entry.length - static_cast<uint32_t>(coded.size())) & 31);
    }
    return static_cast<float>(static_cast<int32_t>(sum));
  }

  const Transliterator& transliterator_;
  const TransliterationModel& model_;
  const LanguageModel& language_;
  int beam_ = Transliterator::kDefaultBeam;
  std::unordered_map<std::wstring, Map> memo_;
};

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_REFERENCE_TEST_HELPERS_H_
