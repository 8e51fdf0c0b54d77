// A map from native word to score for the segmentation of one word. It is
// built, pruned and thrown away many times per keystroke, so it keeps its
// keys in one growing buffer and its entries in insertion order, and holds
// on to its memory between uses: once warmed up it allocates nothing.
//
// Most keys are two readings joined (a first segment and the reading of
// the rest of the word, sometimes with a virama between them). The hash of
// a key is polynomial, so that the hash of a joined key follows from the
// hashes of its parts without reading them, and a joined key is looked up
// without being built.
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

class NativeScoreMap {
 public:
  struct Entry {
    uint32_t offset;  // of the key in the key buffer
    uint32_t length;  // of the key, in UTF-16 units
    uint64_t hash;    // HashedText hash of the key
    uint64_t power;   // HashedText power of the key
    float score;
  };

  NativeScoreMap() = default;

  // Empties the map, keeping its memory; the exponent is 0 again.
  void Clear();

  // The power of two the stored scores are multiplied by.
  int exponent() const { return exponent_; }
  // Makes the map ready to take scores stored with |exponent| and returns
  // the power of two to multiply them by before they are added. An empty
  // map takes |exponent| on. Otherwise the map keeps its own exponent while
  // that lifts the incoming scores by at most 2^kExponentStep (beyond that
  // the map's scores are lowered first, so that nothing overflows).
  float AlignFor(int exponent);
  // Moves the exponent to the multiple of kExponentStep (0 or more) that
  // puts the highest score in [2^-kExponentStep, 1). A map whose true
  // scores reach 2^-kExponentStep stays at exponent 0, so that the scores
  // of ordinary words are never touched.
  void Normalize();
  static constexpr int kExponentStep = 64;

  // Adds |delta| to the score of |key| (0 when it was absent) and returns
  // the new score. |key| must not point into this map.
  float Add(const wchar_t* key, size_t length, float delta);
  float Add(const std::wstring& key, float delta) {
    return Add(key.data(), key.size(), delta);
  }
  // The same for the key made of |count| (1 to 3) parts one after the
  // other; |combined| is the HashedText of the whole key (its text unused).
  float AddJoined(const HashedText* parts, int count,
                  const HashedText& combined, float delta);

  // The entry of |key|; null when absent.
  const Entry* Find(const wchar_t* key, size_t length) const;

  // Removes every entry whose score is below |bottom|, and of those that
  // score exactly |bottom| all but the first |tied_kept|; the others keep
  // their order. A NaN score counts as -infinity.
  void EraseBelow(float bottom, size_t tied_kept);

  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }
  // Entries in insertion order.
  const std::vector<Entry>& entries() const { return entries_; }
  const wchar_t* key(const Entry& entry) const {
    return keys_.data() + entry.offset;
  }
  std::wstring KeyString(const Entry& entry) const {
    return std::wstring(key(entry), entry.length);
  }
  // The key of |entry| as a HashedText (valid until the map changes).
  HashedText Hashed(const Entry& entry) const {
    return HashedText{key(entry), entry.length, entry.hash, entry.power};
  }

 private:
  size_t SlotOf(uint64_t hash) const;
  // The slot of the key made of |parts|, or of the empty slot where it
  // would go.
  size_t Probe(const HashedText* parts, int count,
               const HashedText& combined) const;
  bool KeyEquals(const Entry& entry, const HashedText* parts, int count) const;
  void Rehash(size_t slot_count);
  // Multiplies every score by 2^|shift| and adds |shift| to the exponent.
  void Shift(int shift);

  // A slot: the map's generation (16 bits), 16 bits of the key's hash and
  // the entry index + 1 (32 bits). A slot of an older generation is free,
  // so that emptying the map does not touch the table.
  static uint64_t MakeSlot(uint64_t generation, uint64_t hash,
                           size_t index) {
    return generation << 48 | (hash >> 48) << 32 |
           static_cast<uint64_t>(index + 1);
  }
  bool SlotUsed(uint64_t slot) const { return (slot >> 48) == generation_; }

  std::vector<wchar_t> keys_;
  std::vector<Entry> entries_;
  // Open addressing over a power-of-two table.
  std::vector<uint64_t> slots_;
  int slot_bits_ = 0;
  uint64_t generation_ = 1;
  int exponent_ = 0;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_SCORE_MAP_H_
