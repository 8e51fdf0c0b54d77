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
  // Position in the list as built: the segmentations, then the whole-word
  // lookups. Keeps sorts stable.
  uint32_t order;
  float score;
  float ranked_score;  // the score before rescoring
};

// One level of the segmentation: the suffix of the word from |start| on,
// being split after |split| units.
struct Transliterator::Level {
  size_t start;
  size_t split;
  bool top;
  // The readings of the first segment of the current split: pieces
  // [pieces_begin, pieces_end) of Scratch::piece_list.
  uint32_t pieces_begin;
  uint32_t pieces_end;
};

struct Transliterator::Scratch {
  typedef Transliterator::Level Level;

  // Grows the per-suffix state to a word of |length| units and resets it.
  void Prepare(size_t length);

  std::wstring word;  // the lower-cased word
  int beam = kDefaultBeam;
  // results[j]: the native readings of the word's suffix from j on; for
  // j > 0 with the suffix table's readings added and cut to the beam. Each
  // map has its own exponent.
  std::vector<NativeScoreMap> results;
  // A native reading of a first segment (from the simple table, at the
  // start of the word also from the prefix table), its text in piece_text.
  struct Piece {
    uint32_t offset;
    uint32_t length;
    uint64_t hash;   // HashedText of the text
    uint64_t power;
    float score;
  };
  struct PieceRange {
    bool known = false;
    uint32_t begin = 0;
    uint32_t end = 0;
  };
  std::vector<Piece> piece_list;
  std::vector<wchar_t> piece_text;
  // piece_ranges[start * piece_stride + length]: the readings of the first
  // segment of |length| units at |start| of pieces_word, once looked up.
  // Kept while the typed word grows (see PreparePieces).
  std::vector<PieceRange> piece_ranges;
  size_t piece_stride = 1;  // longest first segment + 1
  std::wstring pieces_word;
  bool pieces_valid = false;
  NativeScoreMap first;  // where the readings of a first segment are made
  std::vector<uint8_t> done;  // results[j] is complete
  std::vector<Level> levels;  // the levels being segmented, innermost last
  // For the debug record: where the suffix-table scores of each suffix
  // stand in it, so that later uses of the suffix repeat them.
  std::vector<int> suffix_records_begin;
  std::vector<int> suffix_records_end;

  std::vector<float> beam_scores;  // working memory of PruneToBeam
  std::vector<RankedWord> ranked;
  // ranked[0, segmentation_count) are readings of segmentations, the rest
  // whole-word lookups; ranked[0, ranked_sorted) are in their final order
  // for selection.
  size_t segmentation_count = 0;
  size_t ranked_sorted = 0;
  // The scores of the ranked list are their true scores x 2^ranked_exponent
  // (the exponent of the whole word's readings, see NativeScoreMap).
  int ranked_exponent = 0;
  // A reading that words of the dictionary begin with: ranked[index], and
  // the range [first, end) of those words' entries.
  struct Known {
    uint32_t index;
    int32_t first;
    int32_t end;
  };
  std::vector<Known> known;
  std::vector<const std::wstring*> global_words;
  std::vector<std::wstring> placed;  // words already in the output

  std::wstring english;  // a segment of the word
  std::wstring decoded;  // a native segment
  mutable std::wstring text;  // a ranked word as a string
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_SCRATCH_H_
