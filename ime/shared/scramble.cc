#include "ime/shared/scramble.h"

namespace ime_shared {

const uint16_t kScrambleKey[kScrambleKeyLength] = {
    0x5A3C, 0x0917, 0xC3E1, 0x2B68, 0x7F04,
    0x964D, 0x1DB2, 0xE8A9, 0x4C75, 0x3096,
};

void ScrambleString(std::wstring* text) {
  const size_t n = text->size();
  const size_t start = n % kScrambleKeyLength;
  for (size_t i = 0; i < n; ++i) {
    (*text)[i] = static_cast<wchar_t>(
        static_cast<uint16_t>((*text)[i]) ^
        kScrambleKey[(start + i) % kScrambleKeyLength]);
  }
}

}  // namespace ime_shared
