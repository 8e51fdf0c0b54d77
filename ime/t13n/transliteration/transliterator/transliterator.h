// Turns a typed Latin word into ranked native-script words.
//
// The word is cut into English segments in every possible way; each
// segment's native readings come from the segment tables of the model with
// their probabilities, and the readings of the pieces are combined (with a
// virama between two consonants where the English letters call for it).
// The combined words are scored by length, extended with the whole-word
// lookups and rescored with the word dictionary (transliterator.cc). Then
// the best word that passes the language's checks goes first, further
// checked words and the rule-based static conversion follow
// (transliterator_candidates.cc).
//
// Besides the model the transliterator holds the user's learned choices
// (the user cache) and macros. It is used on the host's input thread only
// and is not safe for concurrent calls: Transliterate reuses working
// buffers between calls so that a keystroke allocates little.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ime/t13n/transliteration/transliterator/language_tables.h"
#include "ime/t13n/transliteration/transliterator/macro_table.h"
#include "ime/t13n/transliteration/transliterator/user_cache.h"

namespace ime_t13n {

class ModelView;
class NativeScoreMap;
class StaticTransliterator;
class TransliterationDebugInfo;
class TransliterationModel;

struct ScoredWord {
  std::wstring word;
  float score;
};

// Cuts |map| down to its |beam| best scores: every entry scoring below the
// beam-th largest score goes, and of the entries tied with it only as many
// stay as the beam has room for, the first ones in the map's order. So at
// most |beam| entries stay, whatever the scores, and the same ones every
// time. Nothing happens while the map holds at most |beam| entries (or
// |beam| is below 1).
void PruneToBeam(NativeScoreMap* map, int beam);
// The same with |scores| as working memory.
void PruneToBeam(NativeScoreMap* map, int beam, std::vector<float>* scores);

// Raises scores from the back of [begin, end) so that they fall strictly
// along it: an entry that does not score above the one behind it gets that
// score plus 1. The order of the entries stays.
void MakeScoresDescending(std::vector<ScoredWord>::iterator begin,
                          std::vector<ScoredWord>::iterator end);

class Transliterator {
 public:
  static constexpr int kDefaultBeam = 100;
  // A typed word of more letters than this is far longer than any real
  // word (held keys, text typed without spaces): its candidates are
  // segmented with the narrower beam kLongWordBeam, so that a keystroke's
  // time grows with the word at a quarter of the rate. Up to this length the
  // candidates are exactly those of the full beam.
  static constexpr size_t kLongWordLetters = 40;
  static constexpr int kLongWordBeam = 25;
  // Candidates asked for per keystroke.
  static constexpr int kCandidateCount = 4;
  // Results of Transliterate when n lies outside 1..kMaxResults.
  static constexpr int kFallbackResults = 5;
  static constexpr int kMaxResults = 100;

  // Takes ownership of |model|.
  explicit Transliterator(TransliterationModel* model);
  // The same with the rule-based converter to use instead of the standard
  // one; takes ownership of both.
  Transliterator(TransliterationModel* model,
                 StaticTransliterator* static_transliterator);
  virtual ~Transliterator();
  Transliterator(const Transliterator&) = delete;
  Transliterator& operator=(const Transliterator&) = delete;

  // Appends at most |n| native words for |word| to |out|, best first, with
  // descending scores (n outside 1..100 counts as 5). Maps of suffix
  // readings are cut to |beam| entries (below 1: the default beam). An
  // empty word gives nothing. When |debug| is given it receives the
  // intermediate scores.
  virtual void Transliterate(const std::wstring& word, int n, int beam,
                             std::vector<ScoredWord>* out,
                             TransliterationDebugInfo* debug);

  // The candidates of |word| (as typed) for the candidate list, appended to
  // |out|: the user's earlier choice first, then the transliterations; for
  // Greek the case of the typed word is carried over. Every candidate of a
  // word with digits, apostrophes or backquotes holds them in place (digits
  // in the language's script): whole-word transliterations that lost one
  // are left out, and the list is filled up with the readings of the pieces
  // between them joined by them.
  void GetCandidates(const std::wstring& word, std::vector<std::wstring>* out);

  // False when the ending of |candidate| contradicts that of the
  // lower-cased English |word|: an English word ending in e, i, o, u or y
  // must not become a word ending in a consonant, one ending in a consonant
  // letter or y (not for "ar") must not end in a vowel or a vowel sign.
  bool CheckWordEnding(const std::wstring& word,
                       const std::wstring& candidate) const;

  // The user cache (see UserCache): |english| is stored without its spaces.
  // Lookups lower-case the word first, so only lower-case keys are found.
  void AddUserAccepted(const std::wstring& english, const std::wstring& native,
                       bool overwrite);
  std::wstring LookupUserAccepted(const std::wstring& word) const;
  // Every (English, native) pair, oldest first (the order of acceptance).
  void ListUserAccepted(
      std::vector<std::pair<std::wstring, std::wstring>>* out) const;
  // The pairs learned or corrected since the user-cache file was last read
  // or written, in the same order.
  void ListChangedUserAccepted(
      std::vector<std::pair<std::wstring, std::wstring>>* out) const;
  // Merges the pairs read from the user-cache file, oldest first: the file's
  // words with the changed ones put in (see UserCache::MergeFile).
  void MergeUserAcceptedFile(
      const std::vector<std::pair<std::wstring, std::wstring>>& file);
  // The file was written with what the cache holds: nothing is changed.
  void ForgetUserAcceptedChanges() { user_cache_.ForgetChanges(); }
  bool HasUserAcceptedChanges() const { return user_cache_.has_changes(); }
  void ClearUserAccepted();

  // Macros: the first expansion of a name is kept; names match exactly.
  void AddMacro(const std::wstring& name, const std::wstring& expansion);
  std::wstring LookupMacro(const std::wstring& name) const;
  void ClearMacros();

  const TransliterationModel& model() const { return *model_; }
  const ModelView& view() const { return *view_; }
  int beam() const { return beam_; }
  // The beam GetCandidates segments |word| with: beam() up to
  // kLongWordLetters units, then the narrower of beam() and kLongWordBeam.
  int CandidateBeam(const std::wstring& word) const;
  // The digits zero to nine of the model's language.
  const wchar_t* native_digits() const { return native_digits_; }

  // An entry of the ranked list (transliterator_scratch.h).
  struct RankedWord;

 private:
  struct Scratch;
  enum SegmentType { kSimple, kPrefix, kSuffix };

  struct Level;

  // Segmentation and scoring (transliterator.cc).
  void SegmentWord(size_t root, bool top, TransliterationDebugInfo* debug);
  // Puts the whole-word readings of the top level in its map.
  void BeginLevel(Level* level, TransliterationDebugInfo* debug);
  // Puts the readings of the level's first segment in level->pieces_*;
  // false when there are none.
  bool FirstPieces(Level* level, TransliterationDebugInfo* debug);
  // Keeps the first segments found for the previous word when the word
  // extends it and |reuse| is set; otherwise forgets them.
  void PreparePieces(bool reuse);
  // Makes the next call start afresh. Called whenever the user's tables
  // change: nothing computed before such a change is used after it.
  void ForgetPieces();
  void CombineSplit(Level* level);
  // Completes the readings of a rest, cuts them to the beam and keeps them
  // among the finished readings.
  void FinishRest(Level* level, TransliterationDebugInfo* debug);
  void AddSubWordScore(const SegmentEntry& entry, NativeScoreMap* map,
                       float factor, const std::wstring& english,
                       SegmentType type, TransliterationDebugInfo* debug);
  // The segment table entry of the |length| units at |text|; null when the
  // table has none.
  const SegmentEntry* FindSegment(SegmentTableIndex table, const wchar_t* text,
                                  size_t length) const;
  void RankSegmentations();
  void AddGlobalLookups(float top, TransliterationDebugInfo* debug);
  void RescoreWithDictionary(float top, TransliterationDebugInfo* debug);
  float DictionaryScore(const wchar_t* text, size_t length) const;
  // A score of the ranked list as a plain float: the list keeps its scores
  // multiplied by a power of two (Scratch::ranked_exponent), so that long
  // words keep them in order. A long word's reading may come out as 0.
  float TrueScore(float ranked_score) const;
  bool IsConsonantUnit(wchar_t unit) const;

  // Selection and candidate lists (transliterator_candidates.cc).
  void SelectCandidates(const std::wstring& word, int n,
                        std::vector<ScoredWord>* out,
                        TransliterationDebugInfo* debug);
  void FinishCandidates(const std::wstring& word, int n,
                        std::vector<ScoredWord>* out, size_t start);
  // Up to |k| candidates of a word with separators, each the readings of
  // its pieces joined by the separators' texts (nothing for a word without
  // separators).
  void FillUpCandidates(const std::wstring& word, int k,
                        std::vector<std::wstring>* out);
  void AddCaseVariants(const std::wstring& word,
                       std::vector<std::wstring>::iterator begin,
                       std::vector<std::wstring>::iterator end) const;
  bool IsPlaced(const std::wstring& word) const;
  // IsValidWordForLanguage of the view for a ranked word: a long reading
  // is checked piece by piece, without being made whole.
  bool IsValidRanked(const RankedWord& ranked, const std::wstring& word);
  // Whether the finished reading |index|, read inside a word (not at its
  // start), passes the rules of the view: every step, every unit but its
  // last inside a word, its last unit at a word's end. Kept once known.
  bool TailRulesHold(uint32_t index);
  // The score of the best reading of a segmentation; 1 when there is none.
  float BestSegmentationScore() const;
  // Puts ranked[index] and everything before it in their places for
  // selection.
  void ReachRanked(size_t index);
  // Multiplies |entry| by its dictionary score |x|; true when it counts
  // towards the limit (it is no whole-word lookup).
  bool RescoreOne(RankedWord* entry, float x, float top,
                  TransliterationDebugInfo* debug);
  const std::wstring& RankedText(const RankedWord& ranked) const;
  // The text of |ranked|: its own, or made in |buffer| (valid until the
  // buffer changes), at most |limit| of its first units.
  const wchar_t* TextOf(const RankedWord& ranked, std::wstring* buffer,
                        size_t limit = std::numeric_limits<size_t>::max()) const;

  std::unique_ptr<TransliterationModel> model_;
  std::unique_ptr<ModelView> view_;
  int beam_;
  std::unique_ptr<StaticTransliterator> static_transliterator_;
  const wchar_t* native_digits_;
  UserCache user_cache_;
  MacroTable macros_;

  // Derived from the model once.
  std::vector<bool> consonant_units_;  // one-unit consonants, by unit
  size_t longest_segment_[kSegmentTableCount];
  bool greek_;
  bool arabic_;

  // Working state of one Transliterate call.
  std::unique_ptr<Scratch> scratch_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_TRANSLITERATOR_H_
