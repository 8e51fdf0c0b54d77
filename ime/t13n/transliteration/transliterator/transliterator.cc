#include "ime/t13n/transliteration/transliterator/transliterator.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/indic_word_encoding.h"
#include "ime/t13n/transliteration/transliterator/language_model.h"
#include "ime/t13n/transliteration/transliterator/model_view.h"
#include "ime/t13n/transliteration/transliterator/native_digits.h"
#include "ime/t13n/transliteration/transliterator/native_score_map.h"
#include "ime/t13n/transliteration/transliterator/static_transliterator.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/top_n.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/transliterator.pb.h"
#include "ime/t13n/transliteration/transliterator/transliterator_scratch.h"
#include "ime/t13n/transliteration/transliterator/word_chars.h"

namespace ime_t13n {

namespace {

// Native segments of two units or more weigh half as much again.
constexpr float kLongSegmentFactor = 1.5f;
// The weight of a join with a virama against the plain concatenation.
constexpr float kViramaJoinFactor = 1.5f;
// The weight of a whole word found in the prefix or suffix table.
constexpr float kWholeWordFactor = 2.0f;
// Words scoring below this are not rescored.
constexpr double kMinRescoredScore = 0.001;
// Rescoring ends once this many words were multiplied by their
// dictionary score.
constexpr int kMaxRescoredWords = 20;

const char* SegmentTypeName(int type) {
  switch (type) {
    case 1: return "prefix";
    case 2: return "suffix";
    default: return "segment";
  }
}

void AddSegmentProbability(
    google::protobuf::RepeatedPtrField<SegmentProbability>* field,
    const std::wstring& segment, float probability) {
  SegmentProbability* record = field->Add();
  record->set_segment(ime_shared::WideToUtf8(segment));
  record->set_probability(probability);
}

}  // namespace

void Transliterator::Scratch::Prepare(size_t length) {
  if (results.size() < length) {
    results.resize(length);
    pieces.resize(length);
  }
  done.assign(length, 0);
  suffix_records_begin.assign(length, 0);
  suffix_records_end.assign(length, 0);
  ranked.clear();
  global_words.clear();
  placed.clear();
}

void PruneToBeam(NativeScoreMap* map, int beam) {
  if (beam < 1 || map->size() <= static_cast<size_t>(beam)) return;
  TopN<float> best(static_cast<size_t>(beam));
  for (const NativeScoreMap::Entry& entry : map->entries()) {
    best.push(entry.score);
  }
  map->EraseBelow(best.bottom());
}

Transliterator::Transliterator(TransliterationModel* model)
    : Transliterator(model, new StaticTransliterator) {}

Transliterator::Transliterator(TransliterationModel* model,
                               StaticTransliterator* static_transliterator)
    : model_(model),
      view_(new ModelView(*model)),
      beam_(kDefaultBeam),
      static_transliterator_(static_transliterator),
      native_digits_(NativeDigitsForLanguage(model->language())),
      consonant_units_(0x10000, false),
      greek_(model->language() == "el"),
      arabic_(model->language() == "ar"),
      scratch_(new Scratch) {
  for (const std::wstring& consonant :
       model_->language_model().consonants()) {
    if (consonant.size() == 1) consonant_units_[consonant[0]] = true;
  }
  for (int t = 0; t < kSegmentTableCount; ++t) {
    size_t longest = 0;
    for (const auto& entry :
         model_->segment_table(static_cast<SegmentTableIndex>(t))) {
      longest = std::max(longest, entry.first.size());
    }
    longest_segment_[t] = longest;
  }
}

Transliterator::~Transliterator() = default;

bool Transliterator::IsConsonantUnit(wchar_t unit) const {
  return consonant_units_[static_cast<uint16_t>(unit)];
}

const SegmentEntry* Transliterator::FindSegment(SegmentTableIndex table,
                                                const wchar_t* text,
                                                size_t length) const {
  // No key is longer than the table's longest: skip the lookup.
  if (length > longest_segment_[table]) return nullptr;
  scratch_->english.assign(text, length);
  const SegmentTable& segments = model_->segment_table(table);
  auto it = segments.find(scratch_->english);
  return it != segments.end() ? &it->second : nullptr;
}

void Transliterator::Transliterate(const std::wstring& word, int n, int beam,
                                   std::vector<ScoredWord>* out,
                                   TransliterationDebugInfo* debug) {
  // An empty word has no reading (its one empty result would have no
  // length to normalise its score by).
  if (word.empty()) return;
  if (n < 1 || n > kMaxResults) n = kFallbackResults;
  Scratch& s = *scratch_;
  // A beam below 1 would keep nothing; the selector cannot work with it.
  s.beam = beam < 1 ? kDefaultBeam : beam;
  s.word = word;
  ime_shared::LowerCaseWord(&s.word);
  s.Prepare(s.word.size());
  SegmentWord(0, true, debug);

  RankSegmentations();
  const float top = s.ranked.empty() ? 1.0f : s.ranked.front().score;
  AddGlobalLookups(top, debug);
  RescoreWithDictionary(top, debug);

  const size_t start = out->size();
  SelectCandidates(s.word, n, out, debug);
  FinishCandidates(word, n, out, start);
  MakeScoresDescending(out->begin() + start, out->end());
}

// Segments the word's suffix from |root| into results[root]: a first piece
// from the simple table (at the top also from the prefix table) followed by
// any segmentation of the rest, whose readings are computed once per call,
// completed with the suffix table's readings of the whole rest and cut to
// the beam. The recursion over the rest runs on an explicit stack of
// levels, so that a very long typed word cannot exhaust the host thread's
// stack; the order of the work, and so of the debug record, is that of the
// recursion.
void Transliterator::SegmentWord(size_t root, bool top,
                                 TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  std::vector<Scratch::Level>& levels = s.levels;
  levels.clear();
  levels.push_back(Scratch::Level{root, 0, top});
  BeginLevel(root, top, debug);
  while (!levels.empty()) {
    Scratch::Level& level = levels.back();
    const size_t length = s.word.size() - level.start;
    bool descended = false;
    while (++level.split < length) {
      if (!FirstPieces(level, debug)) continue;
      const size_t rest = level.start + level.split;
      if (!s.done[rest]) {
        // The rest is segmented first; this split goes on when it is done.
        levels.push_back(Scratch::Level{rest, 0, false});
        BeginLevel(rest, false, debug);
        descended = true;
        break;
      }
      // Made once per call; the debug record lists the suffix table's
      // scores at every use, as they were added.
      if (debug != nullptr) {
        for (int r = s.suffix_records_begin[rest];
             r < s.suffix_records_end[rest]; ++r) {
          *debug->add_word_scores() = debug->word_scores(r);
        }
      }
      CombineSplit(level);
    }
    if (descended) continue;

    const Scratch::Level finished = levels.back();
    levels.pop_back();
    if (!finished.top) FinishRest(finished.start, debug);
    if (!levels.empty()) CombineSplit(levels.back());
  }
}

void Transliterator::BeginLevel(size_t start, bool top,
                                TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  NativeScoreMap& result = s.results[start];
  result.Clear();
  if (!top) return;
  // The whole word counts twice from the prefix and the suffix tables.
  const wchar_t* const w = s.word.data() + start;
  const size_t length = s.word.size() - start;
  if (const SegmentEntry* e = FindSegment(kPrefixSegments, w, length)) {
    AddSubWordScore(*e, &result, kWholeWordFactor, s.english, kPrefix, debug);
  }
  if (const SegmentEntry* e = FindSegment(kSuffixSegments, w, length)) {
    AddSubWordScore(*e, &result, kWholeWordFactor, s.english, kSuffix, debug);
  }
}

bool Transliterator::FirstPieces(const Scratch::Level& level,
                                 TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  const wchar_t* const w = s.word.data() + level.start;
  NativeScoreMap& first = s.pieces[level.start];
  first.Clear();
  // FindSegment leaves the segment in s.english.
  if (level.top) {
    if (const SegmentEntry* e = FindSegment(kPrefixSegments, w, level.split)) {
      AddSubWordScore(*e, &first, e->weight, s.english, kPrefix, debug);
    }
  }
  if (const SegmentEntry* e = FindSegment(kSimpleSegments, w, level.split)) {
    AddSubWordScore(*e, &first, e->weight, s.english, kSimple, debug);
  }
  return !first.empty();
}

void Transliterator::CombineSplit(const Scratch::Level& level) {
  Scratch& s = *scratch_;
  const wchar_t* const w = s.word.data() + level.start;
  const size_t i = level.split;
  const NativeScoreMap& first = s.pieces[level.start];
  const NativeScoreMap& rest = s.results[level.start + i];
  NativeScoreMap& result = s.results[level.start];
  const std::wstring& virama = model_->language_model().virama();
  for (const NativeScoreMap::Entry& b : rest.entries()) {
    const wchar_t* b_text = rest.key(b);
    for (const NativeScoreMap::Entry& a : first.entries()) {
      const wchar_t* a_text = first.key(a);
      const float score = a.score * b.score;
      s.joined.assign(a_text, a.length);
      s.joined.append(b_text, b.length);
      result.Add(s.joined, score);
      if (CanJoinWithVirama(a_text, a.length, b_text, b.length, w[i - 1],
                            w[i])) {
        s.joined.assign(a_text, a.length);
        s.joined.append(virama);
        s.joined.append(b_text, b.length);
        result.Add(s.joined, score * kViramaJoinFactor);
      }
    }
  }
}

void Transliterator::FinishRest(size_t start,
                                TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  NativeScoreMap& scores = s.results[start];
  const size_t length = s.word.size() - start;
  if (debug != nullptr) {
    s.suffix_records_begin[start] = debug->word_scores_size();
  }
  // The rest taken whole from the suffix table weighs its length.
  if (const SegmentEntry* e =
          FindSegment(kSuffixSegments, s.word.data() + start, length)) {
    AddSubWordScore(*e, &scores, static_cast<float>(length) * e->weight,
                    s.english, kSuffix, debug);
  }
  if (debug != nullptr) {
    s.suffix_records_end[start] = debug->word_scores_size();
  }
  PruneToBeam(&scores, s.beam);
  s.done[start] = 1;
}

void Transliterator::AddSubWordScore(const SegmentEntry& entry,
                                     NativeScoreMap* map, float factor,
                                     const std::wstring& english,
                                     SegmentType type,
                                     TransliterationDebugInfo* debug) {
  std::wstring& native = scratch_->decoded;
  for (const NativeSegment& segment : entry.segments) {
    native.clear();
    DecodeEscapedEntry(segment.encoded, &native);
    float probability = segment.probability;
    if (native.size() >= 2) probability *= kLongSegmentFactor;
    const float score = map->Add(native, probability * factor);
    if (debug != nullptr) {
      SubWordScore* record = debug->add_word_scores();
      record->set_eng_subword(ime_shared::WideToUtf8(english));
      record->set_indic_subword(ime_shared::WideToUtf8(native));
      record->set_score(score);
      record->set_type(SegmentTypeName(type));
    }
  }
}

bool Transliterator::CanJoinWithVirama(const wchar_t* left,
                                       size_t left_length,
                                       const wchar_t* right,
                                       size_t right_length,
                                       wchar_t english_left,
                                       wchar_t english_right) const {
  return !model_->language_model().virama().empty() &&
         IsAsciiConsonantLetter(english_left) &&
         IsAsciiConsonantLetter(english_right) &&
         left_length > 0 && right_length > 0 &&
         IsConsonantUnit(right[0]) && IsConsonantUnit(left[left_length - 1]);
}

void Transliterator::RankSegmentations() {
  Scratch& s = *scratch_;
  const NativeScoreMap& readings = s.results[0];
  s.ranked.reserve(readings.size());
  for (const NativeScoreMap::Entry& entry : readings.entries()) {
    // An empty reading (an empty native segment in the data) has no
    // length to normalise by and is no candidate.
    if (entry.length == 0) continue;
    RankedWord ranked;
    ranked.text = readings.key(entry);
    ranked.length = entry.length;
    ranked.score = entry.score / static_cast<float>(entry.length);
    s.ranked.push_back(ranked);
  }
  SortRanked();
}

void Transliterator::SortRanked() {
  std::vector<RankedWord>& ranked = scratch_->ranked;
  for (size_t i = 0; i < ranked.size(); ++i) {
    ranked[i].order = static_cast<uint32_t>(i);
  }
  // Highest score first, equal scores in their previous order. A NaN from
  // broken data sorts last instead of breaking the ordering.
  auto key = [](float score) {
    return std::isnan(score) ? -std::numeric_limits<float>::infinity()
                             : score;
  };
  std::sort(ranked.begin(), ranked.end(),
            [&key](const RankedWord& a, const RankedWord& b) {
              const float ka = key(a.score);
              const float kb = key(b.score);
              if (ka != kb) return ka > kb;
              return a.order < b.order;
            });
}

float Transliterator::DictionaryScore(const wchar_t* text,
                                      size_t length) const {
  const Suggest* dictionary = model_->suggest();
  if (dictionary == nullptr) return 0.0f;
  scratch_->text.assign(text, length);
  return dictionary->GetScore(scratch_->text);
}

void Transliterator::AddGlobalLookups(float top,
                                      TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  const LookupTable* lookups = model_->lookup_table();
  if (lookups == nullptr) return;
  auto it = lookups->find(s.word);
  if (it == lookups->end()) return;
  for (const LookupWord& lookup : it->second) {
    const std::wstring& native = lookup.indic_word;
    if (native.empty()) continue;
    // The stored score is not used: the word weighs as much as the best
    // segmentation, times its dictionary score.
    const float weight =
        top * std::max(DictionaryScore(native.data(), native.size()), 1.0f);
    if (std::none_of(s.global_words.begin(), s.global_words.end(),
                     [&native](const std::wstring* w) {
                       return *w == native;
                     })) {
      s.global_words.push_back(&native);
    }
    RankedWord ranked;
    ranked.text = native.data();
    ranked.length = static_cast<uint32_t>(native.size());
    ranked.score = weight;
    s.ranked.push_back(ranked);
    if (debug != nullptr) {
      AddSegmentProbability(debug->mutable_global_lookups(), native, weight);
    }
  }
}

void Transliterator::RescoreWithDictionary(float top,
                                           TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  int rescored = 0;
  for (RankedWord& entry : s.ranked) {
    if (rescored > kMaxRescoredWords) break;
    if (static_cast<double>(entry.score) < kMinRescoredScore) continue;
    const float x = DictionaryScore(entry.text, entry.length);
    if (!(x > 0) || !(static_cast<double>(entry.score) > kMinRescoredScore)) {
      continue;
    }
    const bool global = std::any_of(
        s.global_words.begin(), s.global_words.end(),
        [&entry](const std::wstring* w) {
          return w->size() == entry.length &&
                 w->compare(0, entry.length, entry.text, entry.length) == 0;
        });
    if (global) {
      entry.score = (entry.score + top) * x;
    } else {
      entry.score *= x;
      ++rescored;
      if (debug != nullptr) {
        AddSegmentProbability(debug->mutable_dictionary_words(),
                              std::wstring(entry.text, entry.length), x);
      }
    }
  }
}

const std::wstring& Transliterator::RankedText(const RankedWord& ranked) const {
  scratch_->text.assign(ranked.text, ranked.length);
  return scratch_->text;
}

void Transliterator::AddUserAccepted(const std::wstring& english,
                                     const std::wstring& native,
                                     bool overwrite) {
  user_cache_.Add(english, native, overwrite);
}

std::wstring Transliterator::LookupUserAccepted(
    const std::wstring& word) const {
  std::wstring key = word;
  ime_shared::LowerCaseWord(&key);
  const std::wstring* native = user_cache_.Find(key);
  return native != nullptr ? *native : std::wstring();
}

void Transliterator::ListUserAccepted(
    std::vector<std::pair<std::wstring, std::wstring>>* out) const {
  user_cache_.List(out);
}

void Transliterator::MergeOlderUserAccepted(
    const std::vector<std::pair<std::wstring, std::wstring>>& older) {
  user_cache_.MergeOlder(older);
}

void Transliterator::ClearUserAccepted() { user_cache_.Clear(); }

void Transliterator::AddMacro(const std::wstring& name,
                              const std::wstring& expansion) {
  macros_.Add(name, expansion);
}

std::wstring Transliterator::LookupMacro(const std::wstring& name) const {
  const std::wstring* expansion = macros_.Find(name);
  return expansion != nullptr ? *expansion : std::wstring();
}

void Transliterator::ClearMacros() { macros_.Clear(); }

}  // namespace ime_t13n
