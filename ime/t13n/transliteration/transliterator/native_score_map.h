// A map from native word to score for the segmentation of one word. It is
// built, pruned and thrown away many times per keystroke, so it keeps its
// keys in one growing buffer and its entries in insertion order, and holds
// on to its memory between uses: once warmed up it allocates nothing.
//
// Most keys are two readings joined: a first segment (sometimes with a
// virama after it) and a reading of the rest of the word. A key is kept as
// its head, the few units of its own, and its tail, a reading of the rest
// already finished and kept in FinishedReadings, which is a head and a tail
// in turn. So a key costs the same however long the word: nothing of the
// rest is copied, and the head is not copied either but read where the
// caller keeps it (the text given to the map). Only the keys that outlive
// the map, the few the beam keeps, are copied: into FinishedReadings, a
// short one whole. The hash of a key is polynomial, so that the hash of a
// joined key follows from the hashes of its parts without reading them; two
// keys with the same hash are compared unit by unit, head by head, and are
// known equal as soon as both go on with the same finished reading.
//
// Scores are probabilities multiplied along a segmentation, so the readings
// of a long word score far below what a float can hold. A map therefore
// keeps its scores multiplied by 2^exponent() (an exponent of 0 or more):
// the true score of an entry is score x 2^-exponent(). Scaling by a power of
// two changes no rounding, so as long as the true scores are ordinary
// floats the arithmetic gives exactly what it gives on the true scores, and
// for long words it goes on giving them in order.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_SCORE_MAP_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_SCORE_MAP_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace ime_t13n {

// A piece of text with its polynomial hash: hash = sum of unit_k x
// kHashBase^(length - 1 - k), and power = kHashBase^length (both mod 2^64).
struct HashedText {
  static constexpr uint64_t kHashBase = 0x100000001B3ull;

  const wchar_t* text;
  uint32_t length;
  uint64_t hash;
  uint64_t power;

  static HashedText Of(const wchar_t* text, size_t length);
  // The length, hash and power of this text followed by |next| (the text
  // pointer stays).
  void Append(const HashedText& next) {
    length += next.length;
    hash = hash * next.power + next.hash;
    power *= next.power;
  }
};

// A key and its score: the key is |head_length| units of a text buffer
// (the map's own, the text the map was given, or the store's), followed by
// the finished reading |tail| when there is one.
struct NativeEntry {
  static constexpr uint32_t kNoTail = 0xFFFFFFFFu;

  uint64_t hash;    // HashedText hash of the whole key
  uint32_t length;  // of the whole key, in UTF-16 units
  float score;
  uint32_t head;    // offset of the head in its text buffer
  uint32_t head_length;
  uint32_t tail;    // index in FinishedReadings, or kNoTail
  // The key's first unit (0 for an empty key); kept by FinishedReadings.
  wchar_t first;
  // The head lies in the text the map was given, not in the map's own.
  bool given_head;
};

// The readings of the suffixes whose maps are finished, in one place, so
// that keys can go on with them. Indices stay valid until Clear.
class FinishedReadings {
 public:
  void Clear();
  // Copies |entry|, whose head lies at |head|, and returns its index. A key
  // of at most NativeScoreMap::kWholeKeyUnits units is kept whole, without
  // a tail: an ordinary word's readings are read in one piece, and a long
  // word's chain of heads ends in one.
  uint32_t Add(const NativeEntry& entry, const wchar_t* head);

  size_t size() const { return entries_.size(); }
  const NativeEntry& at(uint32_t index) const { return entries_[index]; }
  // The HashedText power of the reading |index| (its text unused).
  uint64_t power(uint32_t index) const { return powers_[index]; }
  const wchar_t* head(const NativeEntry& entry) const {
    return heads_.data() + entry.head;
  }
  // Appends the key of the reading |index| to |out|, at most |limit| of its
  // first units.
  void AppendKey(uint32_t index, std::wstring* out,
                 size_t limit = std::numeric_limits<size_t>::max()) const;

 private:
  std::vector<NativeEntry> entries_;
  std::vector<uint64_t> powers_;
  std::vector<wchar_t> heads_;
};

class NativeScoreMap {
 public:
  typedef NativeEntry Entry;

  // |tails| holds the readings the keys of the map may go on with, |text|
  // the heads given by offset (AddJoinedAt); null for a map whose keys have
  // none. Both must outlive the map; |text| may grow meanwhile.
  explicit NativeScoreMap(const FinishedReadings* tails = nullptr,
                          const std::vector<wchar_t>* text = nullptr)
      : tails_(tails), text_(text) {}

  // Empties the map, keeping its memory; the exponent is 0 again.
  void Clear();

  // Adds |delta| to the score of |key| (0 when it was absent) and returns
  // the new score. |key| must not point into this map.
  float Add(const wchar_t* key, size_t length, float delta);
  float Add(const std::wstring& key, float delta) {
    return Add(key.data(), key.size(), delta);
  }
  // The same for the key made of the |head_length| units at offset |head|
  // of the given text, then the finished reading |tail| (or none: kNoTail);
  // |hash| and |length| are the HashedText hash and the length of the
  // whole key. Nothing of the key is copied.
  // Inlined: it is the inner loop of the segmentation.
  __attribute__((always_inline)) inline void AddJoinedAt(
      uint32_t head, uint32_t head_length, uint32_t tail, uint64_t hash,
      uint32_t length, float delta);
  // A key of at most this many units is kept whole once finished (see
  // FinishedReadings::Add and MakeShortKeysWhole).
  static constexpr uint32_t kWholeKeyUnits = 32;
  // Copies every key of at most kWholeKeyUnits units that goes on with a
  // finished reading into the map, whole, without a tail.
  void MakeShortKeysWhole();

  // The entry of |key|; null when absent.
  const Entry* Find(const wchar_t* key, size_t length) const;

  // The power of two the stored scores are multiplied by.
  int exponent() const { return exponent_; }
  // At least the magnitude of every stored score (NaNs and infinities
  // aside).
  float highest() const { return highest_; }
  // Makes the map ready to take scores stored with |exponent|, none larger
  // than |highest| in magnitude, and returns the power of two to multiply
  // them by before they are added. The map keeps its exponent unless that
  // would bring the incoming scores or its own within 2^64 of what a float
  // holds, or need a factor a float cannot hold; then it lowers its scores
  // first. An empty map takes |exponent| on.
  float AlignFor(int exponent, double highest);
  // Sets the exponent from the highest score: 0 while the true scores'
  // highest lies within 2^-64 .. 2^64 (as an ordinary word's always does:
  // its scores are never touched), otherwise the multiple of 64 that
  // brings it within 2^-32 .. 2^32.
  void Normalize();

  // Removes every entry whose score is below |bottom|, and of those that
  // score exactly |bottom| all but the first |tied_kept|; the others keep
  // their order. A NaN score counts as -infinity.
  void EraseBelow(float bottom, size_t tied_kept);

  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }
  // Entries in insertion order.
  const std::vector<Entry>& entries() const { return entries_; }
  // The head of |entry|: its whole key when it has no tail. Valid until
  // the map or its given text changes.
  const wchar_t* head(const Entry& entry) const {
    return (entry.given_head ? text_->data() : keys_.data()) + entry.head;
  }
  // Appends the key of |entry| to |out|, at most |limit| of its first
  // units.
  void AppendKey(const Entry& entry, std::wstring* out,
                 size_t limit = std::numeric_limits<size_t>::max()) const;

  std::wstring KeyString(const Entry& entry) const {
    std::wstring key;
    AppendKey(entry, &key);
    return key;
  }

 private:
  size_t SlotOf(uint64_t hash) const {
    // The high bits of a multiplicative mix: the low bits of a polynomial
    // hash depend on the low bits of the units alone.
    return static_cast<size_t>((hash * 0x9E3779B97F4A7C15ull) >>
                               (64 - slot_bits_));
  }
  // The slot of the key made of the |head_length| units at |head| and the
  // finished reading |tail|, of HashedText hash |hash| and length |length|,
  // or of the empty slot where it would go.
  __attribute__((always_inline)) inline size_t Probe(
      const wchar_t* head, uint32_t head_length, uint32_t tail,
      uint64_t hash, uint32_t length) const;
  bool KeyEquals(const Entry& entry, const wchar_t* head,
                 uint32_t head_length, uint32_t tail) const;
  // Makes the table ready for one more entry.
  void Prepare() const {
    if (slots_.empty()) {
      Rehash(size_t{1} << kInitialSlotBits);
    } else if (stale_) {
      Rehash(slots_.size());
    }
  }
  float Insert(size_t slot, uint32_t head, uint32_t head_length,
               uint32_t tail, uint64_t hash, uint32_t length, bool given,
               float delta);
  void Rehash(size_t slot_count) const;
  // Multiplies every score by 2^|shift| and adds |shift| to the exponent.
  void Shift(int shift);
  void NoteScore(float score) {
    const float magnitude = score < 0.0f ? -score : score;
    // An infinity or a NaN (broken data) is no bound.
    if (magnitude > highest_ &&
        magnitude <= std::numeric_limits<float>::max()) {
      highest_ = magnitude;
    }
  }

  static constexpr int kInitialSlotBits = 6;

  // A slot: the map's generation (16 bits), 16 bits of the key's hash and
  // the entry index + 1 (32 bits). A slot of an older generation is free,
  // so that emptying the map does not touch the table.
  static uint64_t MakeSlot(uint64_t generation, uint64_t hash,
                           size_t index) {
    return generation << 48 | (hash >> 48) << 32 |
           static_cast<uint64_t>(index + 1);
  }
  bool SlotUsed(uint64_t slot) const { return (slot >> 48) == generation_; }

  const FinishedReadings* tails_;
  const std::vector<wchar_t>* text_;
  std::vector<wchar_t> keys_;  // the heads the map holds itself
  std::vector<Entry> entries_;
  // Open addressing over a power-of-two table. The table only indexes the
  // entries, so a lookup may make it again (see stale_).
  mutable std::vector<uint64_t> slots_;
  mutable int slot_bits_ = 0;
  mutable uint64_t generation_ = 1;
  int exponent_ = 0;
  float highest_ = 0.0f;
  mutable bool stale_ = false;  // the table must be made before a lookup
};

size_t NativeScoreMap::Probe(const wchar_t* head, uint32_t head_length,
                             uint32_t tail, uint64_t hash,
                             uint32_t length) const {
  const size_t mask = slots_.size() - 1;
  const uint64_t tag = hash >> 48;
  size_t slot = SlotOf(hash);
  for (;; slot = (slot + 1) & mask) {
    const uint64_t value = slots_[slot];
    if (!SlotUsed(value)) return slot;
    if (((value >> 32) & 0xFFFF) != tag) continue;
    const Entry& entry = entries_[static_cast<uint32_t>(value) - 1];
    if (entry.hash == hash && entry.length == length &&
        KeyEquals(entry, head, head_length, tail)) {
      return slot;
    }
  }
}

void NativeScoreMap::AddJoinedAt(uint32_t head, uint32_t head_length,
                                 uint32_t tail, uint64_t hash,
                                 uint32_t length, float delta) {
  Prepare();
  const size_t slot =
      Probe(text_->data() + head, head_length, tail, hash, length);
  const uint64_t value = slots_[slot];
  if (SlotUsed(value)) {
    entries_[static_cast<uint32_t>(value) - 1].score += delta;
    return;
  }
  Insert(slot, head, head_length, tail, hash, length, true, delta);
}

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_SCORE_MAP_H_
