// The reversible transform that hides the word lists of the language data
// file. The reader and the data-file writer both use it.
#ifndef IME_SHARED_SCRAMBLE_H_
#define IME_SHARED_SCRAMBLE_H_

#include <cstdint>
#include <string>

namespace ime_shared {

// The key belongs to the data-file format: changing it makes every existing
// data file unreadable.
constexpr int kScrambleKeyLength = 10;
extern const uint16_t kScrambleKey[kScrambleKeyLength];

// XORs unit i of the whole counted string with key[(n mod 10 + i) mod 10],
// n being the length. Applying it twice restores the text.
void ScrambleString(std::wstring* text);

}  // namespace ime_shared

#endif  // IME_SHARED_SCRAMBLE_H_
