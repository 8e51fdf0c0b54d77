#include "ime/t13n/transliteration/transliterator/transliterator.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/indic_word_encoding.h"
#include "ime/t13n/transliteration/transliterator/language_model.h"
#include "ime/t13n/transliteration/transliterator/model_view.h"
#include "ime/t13n/transliteration/transliterator/native_digits.h"
#include "ime/t13n/transliteration/transliterator/native_score_map.h"
#include "ime/t13n/transliteration/transliterator/static_transliterator.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
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
// A reading longer than this is looked up in the dictionary by its first
// units first.
constexpr size_t kProbedUnits = 32;

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
  suffixes.assign(length, Suffix{0, 0, 0, 0.0f});
  finished.Clear();
  free_maps.clear();
  for (size_t i = maps.size(); i-- > 0;) {
    free_maps.push_back(static_cast<int>(i));
  }
  top_map = Level::kNoMap;
  done.assign(length, 0);
  suffix_records_begin.assign(length, 0);
  suffix_records_end.assign(length, 0);
  ranked.clear();
  known.clear();
  segmentation_count = 0;
  ranked_sorted = 0;
  ranked_exponent = 0;
  global_words.clear();
  placed.clear();
  tail_rules.clear();
}

NativeScoreMap& Transliterator::Scratch::MapOf(Level* level) {
  if (level->map == Level::kNoMap) {
    if (free_maps.empty()) {
      maps.emplace_back(new NativeScoreMap(&finished, &piece_text));
      free_maps.push_back(static_cast<int>(maps.size() - 1));
    }
    level->map = free_maps.back();
    free_maps.pop_back();
    maps[level->map]->Clear();
  }
  return *maps[level->map];
}

void Transliterator::Scratch::ReleaseMap(Level* level) {
  if (level->map == Level::kNoMap) return;
  free_maps.push_back(level->map);
  level->map = Level::kNoMap;
}

// The first segments found for a word stay valid for every word that
// begins with it: typing usually adds a letter at the end. Anything else
// (a deleted letter, another word, a debug record to fill) starts afresh.
void Transliterator::PreparePieces(bool reuse) {
  Scratch& s = *scratch_;
  const size_t length = s.word.size();
  const bool extends = reuse && s.pieces_valid &&
                       s.pieces_word.size() <= length &&
                       s.word.compare(0, s.pieces_word.size(),
                                      s.pieces_word) == 0;
  if (!extends) {
    s.piece_list.clear();
    s.piece_text.clear();
    s.piece_ranges.clear();
  }
  s.piece_ranges.resize(length * s.piece_stride);
  s.pieces_word = s.word;
  s.pieces_valid = reuse;
}

void Transliterator::ForgetPieces() { scratch_->pieces_valid = false; }

void PruneToBeam(NativeScoreMap* map, int beam) {
  std::vector<float> scores;
  PruneToBeam(map, beam, &scores);
}

void PruneToBeam(NativeScoreMap* map, int beam, std::vector<float>* scores) {
  if (beam < 1 || map->size() <= static_cast<size_t>(beam)) return;
  // The beam-th highest score (a NaN, from broken data, counts as
  // -infinity), and how many of the beam score above it: the rest of the
  // beam are the first entries, in the map's order, tied with it. Exactly
  // |beam| entries stay, however many tie.
  scores->clear();
  for (const NativeScoreMap::Entry& entry : map->entries()) {
    scores->push_back(std::isnan(entry.score)
                          ? -std::numeric_limits<float>::infinity()
                          : entry.score);
  }
  const auto nth = scores->begin() + (beam - 1);
  std::nth_element(scores->begin(), nth, scores->end(), std::greater<float>());
  const float key = *nth;
  const size_t above = static_cast<size_t>(
      std::count_if(scores->begin(), nth,
                    [key](float score) { return score > key; }));
  map->EraseBelow(key, static_cast<size_t>(beam) - above);
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
  // A first segment comes from the simple or the prefix table.
  scratch_->piece_stride = std::max(longest_segment_[kSimpleSegments],
                                    longest_segment_[kPrefixSegments]) + 1;
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
  PreparePieces(debug == nullptr);
  SegmentWord(0, true, debug);

  RankSegmentations();
  const float top = BestSegmentationScore();
  AddGlobalLookups(top, debug);
  RescoreWithDictionary(top, debug);

  const size_t start = out->size();
  SelectCandidates(s.word, n, out, debug);
  FinishCandidates(word, n, out, start);
  MakeScoresDescending(out->begin() + start, out->end());
}

// Segments the word's suffix from |root|: a first piece from the simple
// table (at the top also from the prefix table) followed by any
// segmentation of the rest, whose readings are computed once per call,
// completed with the suffix table's readings of the whole rest and cut to
// the beam. The readings of the top level end in the map top_map. The
// recursion over the rest runs on an explicit stack of levels, so that a
// very long typed word cannot exhaust the host thread's stack; the order of
// the work, and so of the debug record, is that of the recursion.
void Transliterator::SegmentWord(size_t root, bool top,
                                 TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  std::vector<Scratch::Level>& levels = s.levels;
  levels.clear();
  levels.push_back(Scratch::Level{root, 0, top, 0, 0, Scratch::Level::kNoMap});
  BeginLevel(&levels.back(), debug);
  while (!levels.empty()) {
    Scratch::Level& level = levels.back();
    const size_t length = s.word.size() - level.start;
    bool descended = false;
    while (++level.split < length) {
      if (!FirstPieces(&level, debug)) continue;
      const size_t rest = level.start + level.split;
      if (!s.done[rest]) {
        // The rest is segmented first; this split goes on when it is done.
        levels.push_back(
            Scratch::Level{rest, 0, false, 0, 0, Scratch::Level::kNoMap});
        BeginLevel(&levels.back(), debug);
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
      CombineSplit(&level);
    }
    if (descended) continue;

    Scratch::Level finished = levels.back();
    levels.pop_back();
    if (finished.top) {
      s.top_map = finished.map;
    } else {
      FinishRest(&finished, debug);
    }
    if (!levels.empty()) CombineSplit(&levels.back());
  }
}

void Transliterator::BeginLevel(Scratch::Level* level,
                                TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  if (!level->top) return;
  // The whole word counts twice from the prefix and the suffix tables.
  const wchar_t* const w = s.word.data() + level->start;
  const size_t length = s.word.size() - level->start;
  if (const SegmentEntry* e = FindSegment(kPrefixSegments, w, length)) {
    AddSubWordScore(*e, &s.MapOf(level), kWholeWordFactor, s.english, kPrefix,
                    debug);
  }
  if (const SegmentEntry* e = FindSegment(kSuffixSegments, w, length)) {
    AddSubWordScore(*e, &s.MapOf(level), kWholeWordFactor, s.english, kSuffix,
                    debug);
  }
}

bool Transliterator::FirstPieces(Scratch::Level* level,
                                 TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  level->pieces_begin = level->pieces_end = 0;
  if (level->split >= s.piece_stride) return false;  // no segment that long
  Scratch::PieceRange* cached = nullptr;
  if (debug == nullptr) {
    cached = &s.piece_ranges[level->start * s.piece_stride + level->split];
    if (cached->known) {
      level->pieces_begin = cached->begin;
      level->pieces_end = cached->end;
      return cached->begin != cached->end;
    }
  }
  const wchar_t* const w = s.word.data() + level->start;
  NativeScoreMap& first = s.first;
  first.Clear();
  // FindSegment leaves the segment in s.english.
  if (level->top) {
    if (const SegmentEntry* e =
            FindSegment(kPrefixSegments, w, level->split)) {
      AddSubWordScore(*e, &first, e->weight, s.english, kPrefix, debug);
    }
  }
  if (const SegmentEntry* e = FindSegment(kSimpleSegments, w, level->split)) {
    AddSubWordScore(*e, &first, e->weight, s.english, kSimple, debug);
  }
  level->pieces_begin = static_cast<uint32_t>(s.piece_list.size());
  const std::wstring& virama = model_->language_model().virama();
  const HashedText joint = HashedText::Of(virama.data(), virama.size());
  for (const NativeScoreMap::Entry& entry : first.entries()) {
    Scratch::Piece piece;
    piece.offset = static_cast<uint32_t>(s.piece_text.size());
    piece.length = entry.length;
    piece.hash = entry.hash;
    piece.score = entry.score;
    const wchar_t* text = first.head(entry);  // no tail: the whole key
    s.piece_text.insert(s.piece_text.end(), text, text + entry.length);
    // A virama joins two consonants (see CombineSplit).
    piece.joins = !virama.empty() && entry.length > 0 &&
                  IsConsonantUnit(text[entry.length - 1]);
    piece.joined_hash = piece.hash;
    if (piece.joins) {
      HashedText joined{nullptr, entry.length, entry.hash, 0};
      joined.Append(joint);
      piece.joined_hash = joined.hash;
      s.piece_text.insert(s.piece_text.end(), virama.begin(), virama.end());
    }
    s.piece_list.push_back(piece);
  }
  level->pieces_end = static_cast<uint32_t>(s.piece_list.size());
  if (cached != nullptr) {
    cached->known = true;
    cached->begin = level->pieces_begin;
    cached->end = level->pieces_end;
  }
  return level->pieces_begin != level->pieces_end;
}

void Transliterator::CombineSplit(Scratch::Level* level) {
  Scratch& s = *scratch_;
  const wchar_t* const w = s.word.data() + level->start;
  const size_t i = level->split;
  const Scratch::Suffix& rest = s.suffixes[level->start + i];
  if (rest.begin == rest.end || level->pieces_begin == level->pieces_end) {
    return;
  }
  const Scratch::Piece* const pieces_begin =
      s.piece_list.data() + level->pieces_begin;
  const Scratch::Piece* const pieces_end =
      s.piece_list.data() + level->pieces_end;
  float highest_piece = 0.0f;
  for (const Scratch::Piece* a = pieces_begin; a != pieces_end; ++a) {
    highest_piece = std::max(highest_piece, std::fabs(a->score));
  }
  NativeScoreMap& result = s.MapOf(level);
  // The rest's scores are brought to the result's exponent; a power of two
  // changes no rounding.
  const float lift = result.AlignFor(
      rest.exponent, static_cast<double>(rest.highest) * highest_piece);
  const uint32_t virama_units =
      static_cast<uint32_t>(model_->language_model().virama().size());
  // A virama joins two consonants where the English letters on both sides
  // of the split are consonants too (a piece that ends in a consonant
  // knows whether the language has a virama).
  const bool letters_join = IsAsciiConsonantLetter(w[i - 1]) &&
                            IsAsciiConsonantLetter(w[i]);
  const FinishedReadings& finished = s.finished;
  for (uint32_t tail = rest.begin; tail != rest.end; ++tail) {
    const NativeEntry& b = finished.at(tail);
    const uint64_t b_power = finished.power(tail);
    const bool joins_rest =
        letters_join && b.length > 0 && IsConsonantUnit(b.first);
    for (const Scratch::Piece* a = pieces_begin; a != pieces_end; ++a) {
      float score = a->score * b.score;
      if (lift != 1.0f) score *= lift;
      result.AddJoinedAt(a->offset, a->length, tail,
                         a->hash * b_power + b.hash, a->length + b.length,
                         score);
      if (joins_rest && a->joins) {
        result.AddJoinedAt(a->offset, a->length + virama_units, tail,
                           a->joined_hash * b_power + b.hash,
                           a->length + virama_units + b.length,
                           score * kViramaJoinFactor);
      }
    }
  }
}

void Transliterator::FinishRest(Scratch::Level* level,
                                TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  const size_t start = level->start;
  const size_t length = s.word.size() - start;
  if (debug != nullptr) {
    s.suffix_records_begin[start] = debug->word_scores_size();
  }
  // The rest taken whole from the suffix table weighs its length.
  if (const SegmentEntry* e =
          FindSegment(kSuffixSegments, s.word.data() + start, length)) {
    AddSubWordScore(*e, &s.MapOf(level),
                    static_cast<float>(length) * e->weight, s.english,
                    kSuffix, debug);
  }
  if (debug != nullptr) {
    s.suffix_records_end[start] = debug->word_scores_size();
  }
  Scratch::Suffix& suffix = s.suffixes[start];
  suffix.begin = suffix.end = static_cast<uint32_t>(s.finished.size());
  if (level->map != Scratch::Level::kNoMap) {
    NativeScoreMap& scores = *s.maps[level->map];
    PruneToBeam(&scores, s.beam, &s.beam_scores);
    scores.Normalize();
    for (const NativeEntry& entry : scores.entries()) {
      suffix.end = s.finished.Add(entry, scores.head(entry)) + 1;
    }
    suffix.exponent = scores.exponent();
    suffix.highest = scores.highest();
    s.ReleaseMap(level);
  }
  s.done[start] = 1;
}

void Transliterator::AddSubWordScore(const SegmentEntry& entry,
                                     NativeScoreMap* map, float factor,
                                     const std::wstring& english,
                                     SegmentType type,
                                     TransliterationDebugInfo* debug) {
  std::wstring& native = scratch_->decoded;
  // The table's scores are true scores: exponent 0.
  float highest = 0.0f;
  for (const NativeSegment& segment : entry.segments) {
    highest = std::max(highest, std::fabs(segment.probability));
  }
  const float scaled_factor =
      factor * map->AlignFor(0, static_cast<double>(highest) *
                                    kLongSegmentFactor * std::fabs(factor));
  for (const NativeSegment& segment : entry.segments) {
    native.clear();
    DecodeEscapedEntry(segment.encoded, &native);
    float probability = segment.probability;
    if (native.size() >= 2) probability *= kLongSegmentFactor;
    const float score = map->Add(native, probability * scaled_factor);
    if (debug != nullptr) {
      SubWordScore* record = debug->add_word_scores();
      record->set_eng_subword(ime_shared::WideToUtf8(english));
      record->set_indic_subword(ime_shared::WideToUtf8(native));
      record->set_score(std::ldexp(score, -map->exponent()));
      record->set_type(SegmentTypeName(type));
    }
  }
}

void Transliterator::RankSegmentations() {
  Scratch& s = *scratch_;
  if (s.top_map == Scratch::Level::kNoMap) return;
  NativeScoreMap& readings = *s.maps[s.top_map];
  readings.Normalize();
  // A short reading is read whole.
  readings.MakeShortKeysWhole();
  s.ranked.reserve(readings.size());
  const std::vector<NativeScoreMap::Entry>& entries = readings.entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    const NativeScoreMap::Entry& entry = entries[i];
    // An empty reading (an empty native segment in the data) has no
    // length to normalise by and is no candidate.
    if (entry.length == 0) continue;
    RankedWord ranked;
    // A short reading is kept whole in the map; a long one is made only
    // when it is read (see TextOf): most never are.
    ranked.text =
        entry.tail == NativeEntry::kNoTail ? readings.head(entry) : nullptr;
    ranked.reading = static_cast<uint32_t>(i);
    ranked.length = entry.length;
    ranked.order = static_cast<uint32_t>(s.ranked.size());
    ranked.score = entry.score / static_cast<float>(entry.length);
    ranked.ranked_score = ranked.score;
    s.ranked.push_back(ranked);
  }
  s.segmentation_count = s.ranked.size();
  // Without a reading the best score is 1, a true score.
  s.ranked_exponent = s.segmentation_count > 0 ? readings.exponent() : 0;
}

float Transliterator::TrueScore(float ranked_score) const {
  return std::ldexp(ranked_score, -scratch_->ranked_exponent);
}

namespace {

// Highest score first. A NaN from broken data sorts last instead of
// breaking the ordering.
float SortKey(float score) {
  return std::isnan(score) ? -std::numeric_limits<float>::infinity() : score;
}

// The order of the ranked list: highest score first, then the lower order.
// No two entries share an order, so this is a strict total order and every
// sort gives the same sequence, however much of it is sorted at a time.
bool RanksBefore(const Transliterator::RankedWord& a,
                 const Transliterator::RankedWord& b) {
  const float ka = SortKey(a.score);
  const float kb = SortKey(b.score);
  if (ka != kb) return ka > kb;
  return a.order < b.order;
}

// Puts (*items)[index] and everything before it in their sorted places
// among (*items)[0, end), given that (*items)[0, *sorted) are: the next
// stretch, at least doubling what is sorted, is brought to the front of the
// rest and sorted. Most keystrokes read a few dozen of hundreds or
// thousands of entries.
template <typename T, typename Less>
void SortThrough(std::vector<T>* items, size_t* sorted, size_t end,
                 size_t index, Less less) {
  if (index < *sorted || index >= end) return;
  size_t target = std::max(index + 1, std::max(2 * *sorted, *sorted + 32));
  const auto begin = items->begin();
  if (target < end) {
    std::nth_element(begin + *sorted, begin + target, begin + end, less);
  } else {
    target = end;
  }
  std::sort(begin + *sorted, begin + target, less);
  *sorted = target;
}

}  // namespace

float Transliterator::BestSegmentationScore() const {
  const Scratch& s = *scratch_;
  if (s.segmentation_count == 0) return 1.0f;
  const auto end = s.ranked.begin() + s.segmentation_count;
  return std::min_element(s.ranked.begin(), end, RanksBefore)->score;
}

void Transliterator::ReachRanked(size_t index) {
  Scratch& s = *scratch_;
  // The list as rescoring leaves it: the segmentations in their ranked
  // order, then the whole-word lookups. Sorting it again by the new scores
  // keeps that order among equal scores.
  const size_t segmentations = s.segmentation_count;
  SortThrough(&s.ranked, &s.ranked_sorted, s.ranked.size(), index,
              [segmentations](const RankedWord& a, const RankedWord& b) {
                const float ka = SortKey(a.score);
                const float kb = SortKey(b.score);
                if (ka != kb) return ka > kb;
                if (a.order < segmentations && b.order < segmentations) {
                  const float ra = SortKey(a.ranked_score);
                  const float rb = SortKey(b.ranked_score);
                  if (ra != rb) return ra > rb;
                }
                return a.order < b.order;
              });
}

float Transliterator::DictionaryScore(const wchar_t* text,
                                      size_t length) const {
  const Suggest* dictionary = model_->suggest();
  if (dictionary == nullptr) return 0.0f;
  return dictionary->GetScore(text, length);
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
    ranked.reading = 0;
    ranked.length = static_cast<uint32_t>(native.size());
    ranked.order = static_cast<uint32_t>(s.ranked.size());
    ranked.score = weight;
    ranked.ranked_score = weight;
    s.ranked.push_back(ranked);
    if (debug != nullptr) {
      AddSegmentProbability(debug->mutable_global_lookups(), native,
                            TrueScore(weight));
    }
  }
}

const wchar_t* Transliterator::TextOf(const RankedWord& ranked,
                                      std::wstring* buffer,
                                      size_t limit) const {
  if (ranked.text != nullptr) return ranked.text;
  const Scratch& s = *scratch_;
  const NativeScoreMap& readings = *s.maps[s.top_map];
  buffer->clear();
  readings.AppendKey(readings.entries()[ranked.reading], buffer, limit);
  return buffer->data();
}

bool Transliterator::RescoreOne(RankedWord* entry, float x, float top,
                                TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  const wchar_t* text = TextOf(*entry, &s.long_text);
  const bool global = std::any_of(
      s.global_words.begin(), s.global_words.end(),
      [entry, text](const std::wstring* w) {
        return w->size() == entry->length &&
               w->compare(0, entry->length, text, entry->length) == 0;
      });
  if (global) {
    entry->score = (entry->score + top) * x;
    return false;
  }
  entry->score *= x;
  if (debug != nullptr) {
    AddSegmentProbability(debug->mutable_dictionary_words(),
                          std::wstring(text, entry->length), x);
  }
  return true;
}

// The list is walked in ranked order, the segmentations first; a word
// scoring above kMinRescoredScore is multiplied by its dictionary score
// when it has one, until more than kMaxRescoredWords words were. Only the
// readings that some dictionary word begins with can have a score: they are
// found first, and only they are put in order.
void Transliterator::RescoreWithDictionary(float top,
                                           TransliterationDebugInfo* debug) {
  Scratch& s = *scratch_;
  const Suggest* dictionary = model_->suggest();
  if (dictionary == nullptr) return;
  // The threshold in the list's scale (infinite when no float reaches it).
  const double min_score = std::ldexp(kMinRescoredScore, s.ranked_exponent);
  std::vector<Scratch::Known>& known = s.known;
  for (size_t i = 0; i < s.segmentation_count; ++i) {
    const RankedWord& entry = s.ranked[i];
    if (!(static_cast<double>(entry.score) > min_score)) continue;
    Scratch::Known k;
    if (entry.text == nullptr && entry.length > kProbedUnits) {
      // A long reading is made whole only when a dictionary word begins
      // with its first units: the words that begin with it are among them.
      dictionary->PrefixRange(TextOf(entry, &s.long_text, kProbedUnits),
                              kProbedUnits, &k.first, &k.end);
      if (k.first >= k.end) continue;
    }
    dictionary->PrefixRange(TextOf(entry, &s.long_text), entry.length,
                            &k.first, &k.end);
    if (k.first >= k.end) continue;
    k.index = static_cast<uint32_t>(i);
    known.push_back(k);
  }
  const std::vector<RankedWord>& ranked = s.ranked;
  const auto known_before = [&ranked](const Scratch::Known& a,
                                      const Scratch::Known& b) {
    return RanksBefore(ranked[a.index], ranked[b.index]);
  };
  int rescored = 0;
  size_t sorted = 0;
  for (size_t k = 0; k < known.size(); ++k) {
    if (rescored > kMaxRescoredWords) return;
    SortThrough(&known, &sorted, known.size(), k, known_before);
    RankedWord& entry = s.ranked[known[k].index];
    const float x = dictionary->ScoreOfRange(known[k].first, known[k].end,
                                             entry.length);
    if (!(x > 0)) continue;
    if (RescoreOne(&entry, x, top, debug)) ++rescored;
  }
  for (size_t i = s.segmentation_count; i < s.ranked.size(); ++i) {
    if (rescored > kMaxRescoredWords) return;
    RankedWord& entry = s.ranked[i];
    if (!(static_cast<double>(entry.score) > min_score)) continue;
    const float x =
        DictionaryScore(TextOf(entry, &s.long_text), entry.length);
    if (!(x > 0)) continue;
    if (RescoreOne(&entry, x, top, debug)) ++rescored;
  }
}

const std::wstring& Transliterator::RankedText(const RankedWord& ranked) const {
  std::wstring& text = scratch_->text;
  if (ranked.text != nullptr) {
    text.assign(ranked.text, ranked.length);
  } else {
    TextOf(ranked, &text);
  }
  return text;
}

void Transliterator::AddUserAccepted(const std::wstring& english,
                                     const std::wstring& native,
                                     bool overwrite) {
  ForgetPieces();
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

void Transliterator::ListChangedUserAccepted(
    std::vector<std::pair<std::wstring, std::wstring>>* out) const {
  user_cache_.ListChanged(out);
}

void Transliterator::MergeUserAcceptedFile(
    const std::vector<std::pair<std::wstring, std::wstring>>& file) {
  ForgetPieces();
  user_cache_.MergeFile(file);
}

void Transliterator::ClearUserAccepted() {
  ForgetPieces();
  user_cache_.Clear();
}

void Transliterator::AddMacro(const std::wstring& name,
                              const std::wstring& expansion) {
  ForgetPieces();
  macros_.Add(name, expansion);
}

std::wstring Transliterator::LookupMacro(const std::wstring& name) const {
  const std::wstring* expansion = macros_.Find(name);
  return expansion != nullptr ? *expansion : std::wstring();
}

void Transliterator::ClearMacros() {
  ForgetPieces();
  macros_.Clear();
}

}  // namespace ime_t13n
