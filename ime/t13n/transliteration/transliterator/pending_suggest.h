// PLACEHOLDER, to be deleted when the Suggest dictionary is merged: just
// enough of ime_t13n::Dictionary and ime_t13n::Suggest for the loader to
// hand section 0 over and for its tests to see that it was taken.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_SUGGEST_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_SUGGEST_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace ime_t13n {

class Dictionary {
 public:
  virtual float GetScore(const std::wstring& word) const = 0;
  virtual ~Dictionary() = default;
};

class Suggest : public Dictionary {
 public:
  explicit Suggest(int32_t max_results) : max_results_(max_results) {}

  // Reads section 0 from the |size| bytes at |data| in place; on success
  // sets |*section_size| to the bytes the section takes. Refuses a section
  // that runs past |size|, an entry that reaches past the coded text or a
  // code byte that is not below the size of the code table.
  bool ReadSection(const uint8_t* data, size_t size, size_t* section_size) {
    uint64_t pos = 0;
    uint32_t n = 0;
    if (!ReadU32(data, size, &pos, &n)) return false;
    pos += 5ull * n;
    uint32_t f = 0;
    uint32_t g = 0;
    if (!ReadU32(data, size, &pos, &f) || !ReadU32(data, size, &pos, &g)) {
      return false;
    }
    const uint64_t entries = pos;
    pos += 8ull * f;
    const uint64_t text = pos;
    pos += g;
    if (pos > size) return false;
    for (uint32_t i = 0; i < f; ++i) {
      uint32_t word = 0;
      std::memcpy(&word, data + entries + 8ull * i, 4);
      if ((word & 0xFFFFFF) + (word >> 24) > g) return false;
    }
    for (uint32_t i = 0; i < g; ++i) {
      if (data[text + i] >= n) return false;
    }
    entry_count_ = static_cast<int32_t>(f);
    *section_size = static_cast<size_t>(pos);
    return true;
  }

  float GetScore(const std::wstring& word) const override { return 0; }
  int32_t entry_count() const { return entry_count_; }
  int32_t max_results() const { return max_results_; }

 private:
  static bool ReadU32(const uint8_t* data, size_t size, uint64_t* pos,
                      uint32_t* value) {
    if (*pos + 4 > size) return false;
    std::memcpy(value, data + *pos, 4);
    *pos += 4;
    return true;
  }

  int32_t max_results_;
  int32_t entry_count_ = 0;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_SUGGEST_H_
