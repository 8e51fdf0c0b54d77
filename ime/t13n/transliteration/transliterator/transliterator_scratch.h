// The working state of one Transliterator::Transliterate call, kept between
// calls so that its memory is reused. Private to the transliterator.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_SCRATCH_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_SCRATCH_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ime/t13n/transliteration/transliterator/native_score_map.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace ime_t13n {

// An entry of the ranked list: a native word (a reading of the map
// Scratch::top_map or a word of the model's lookup table) and its score.
struct Transliterator::RankedWord {
  // The word; null for a reading too long to be kept whole, whose text is
  // made from the map when it is read (Transliterator::TextOf).
  const wchar_t* text;
  uint32_t reading;  // index of the reading in the map's entries
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
  static constexpr int kNoMap = -1;

  size_t start;
  size_t split;
  bool top;
  // The readings of the first segment of the current split: pieces
  // [pieces_begin, pieces_end) of Scratch::piece_list.
  uint32_t pieces_begin;
  uint32_t pieces_end;
  // The map of Scratch::maps the level's readings are gathered in, taken
  // when the first one comes.
  int map;
};

struct Transliterator::Scratch {
  typedef Transliterator::Level Level;

  // Grows the per-suffix state to a word of |length| units and resets it.
  void Prepare(size_t length);

  // Takes a map for |level| from the pool (emptied) unless it has one.
  NativeScoreMap& MapOf(Level* level);
  // Gives the level's map back to the pool.
  void ReleaseMap(Level* level);

  std::wstring word;  // the lower-cased word
  int beam = kDefaultBeam;
  // The readings of the finished suffixes: suffixes[j] for the word's
  // suffix from j (j > 0) on, with the suffix table's readings added and
  // cut to the beam, readings [begin, end) of |finished|, whose scores are
  // multiplied by 2^exponent (see NativeScoreMap), none larger than
  // |highest|.
  struct Suffix {
    uint32_t begin;
    uint32_t end;
    int exponent;
    float highest;
  };
  std::vector<Suffix> suffixes;
  FinishedReadings finished;
  // The maps levels gather their readings in, kept for reuse: a level
  // takes one when it gets its first reading and gives it back when it is
  // finished, so only a few are in use at a time however long the word.
  std::vector<std::unique_ptr<NativeScoreMap>> maps;
  std::vector<int> free_maps;
  // The map of the whole word's readings once segmented (or kNoMap).
  int top_map = Level::kNoMap;
  // A native reading of a first segment (from the simple table, at the
  // start of the word also from the prefix table), its text in piece_text.
  // When it ends in a consonant and the language has a virama, the virama
  // follows it there: the head of a join with the virama.
  struct Piece {
    uint32_t offset;
    uint32_t length;
    uint64_t hash;         // HashedText hash of the text
    uint64_t joined_hash;  // ... of the text and the virama
    float score;
    bool joins;            // the virama follows the text
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
  std::vector<uint8_t> done;  // suffixes[j] is complete
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
  // TailRulesHold of the finished readings: 0 not known yet, 1 yes, -1 no.
  std::vector<int8_t> tail_rules;
  std::vector<uint32_t> tail_chain;  // working memory of TailRulesHold

  std::wstring english;  // a segment of the word
  std::wstring decoded;  // a native segment
  mutable std::wstring text;  // a ranked word as a string
  std::wstring long_text;  // a long reading made whole for rescoring
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_SCRATCH_H_
