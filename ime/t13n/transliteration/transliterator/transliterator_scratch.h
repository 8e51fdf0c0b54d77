// The working state of one Transliterator::Transliterate call, kept between
// calls so that its memory is reused. Private to the transliterator.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_SCRATCH_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_SCRATCH_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ime/t13n/transliteration/transliterator/native_score_map.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace ime_t13n {

// An entry of the ranked list: a native word (in a score map of the
// segmentation or in the model's lookup table) and its score.
struct Transliterator::RankedWord {
  const wchar_t* text;
  uint32_t length;
  uint32_t order;  // position before a sort, to keep sorts stable
  float score;
};

// One level of the segmentation: the suffix of the word from |start| on,
// being split after |split| units.
struct Transliterator::Level {
  size_t start;
  size_t split;
  bool top;
};

struct Transliterator::Scratch {
  typedef Transliterator::Level Level;

  // Grows the per-suffix state to a word of |length| units and resets it.
  void Prepare(size_t length);

  std::wstring word;  // the lower-cased word
  int beam = kDefaultBeam;
  // results[j]: the native readings of the word's suffix from j on; for
  // j > 0 with the suffix table's readings added and cut to the beam.
  std::vector<NativeScoreMap> results;
  // pieces[j]: the readings of the first segment of the split being
  // combined at j.
  std::vector<NativeScoreMap> pieces;
  std::vector<uint8_t> done;  // results[j] is complete
  std::vector<Level> levels;  // the levels being segmented, innermost last
  // For the debug record: where the suffix-table scores of each suffix
  // stand in it, so that later uses of the suffix repeat them.
  std::vector<int> suffix_records_begin;
  std::vector<int> suffix_records_end;

  std::vector<RankedWord> ranked;
  std::vector<const std::wstring*> global_words;
  std::vector<std::wstring> placed;  // words already in the output

  std::wstring english;  // a segment of the word
  std::wstring decoded;  // a native segment
  std::wstring joined;   // a combined native word
  mutable std::wstring text;  // a ranked word as a string
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_SCRATCH_H_
