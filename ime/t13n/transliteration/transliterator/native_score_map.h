// A map from native word to score for the segmentation of one word. It is
// built, pruned and thrown away many times per keystroke, so it keeps its
// keys in one growing buffer and its entries in insertion order, and holds
// on to its memory between uses: once warmed up it allocates nothing.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_SCORE_MAP_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_SCORE_MAP_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ime_t13n {

class NativeScoreMap {
 public:
  struct Entry {
    uint32_t offset;  // of the key in the key buffer
    uint32_t length;  // of the key, in UTF-16 units
    uint32_t hash;
    float score;
  };

  NativeScoreMap() = default;

  // Empties the map, keeping its memory.
  void Clear();

  // Adds |delta| to the score of |key| (0 when it was absent) and returns
  // the new score. |key| must not point into this map.
  float Add(const wchar_t* key, size_t length, float delta);
  float Add(const std::wstring& key, float delta) {
    return Add(key.data(), key.size(), delta);
  }

  // The entry of |key|; null when absent.
  const Entry* Find(const wchar_t* key, size_t length) const;

  // Removes every entry whose score is below |bottom|; the others keep
  // their order.
  void EraseBelow(float bottom);

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

 private:
  static uint32_t Hash(const wchar_t* key, size_t length);
  // The slot of |key|, or of the empty slot where it would go.
  size_t Probe(const wchar_t* key, size_t length, uint32_t hash) const;
  void Rehash(size_t slot_count);

  std::vector<wchar_t> keys_;
  std::vector<Entry> entries_;
  // Open addressing over a power-of-two table: entry index + 1, 0 = free.
  std::vector<uint32_t> slots_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_NATIVE_SCORE_MAP_H_
