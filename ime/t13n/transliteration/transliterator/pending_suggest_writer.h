// PLACEHOLDER, to be deleted when the Suggest dictionary's writer is merged:
// the bytes of section 0 for a list of words and scores.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_SUGGEST_WRITER_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_SUGGEST_WRITER_H_

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace ime_t13n {

inline std::string WriteSuggestSection(
    const std::vector<std::pair<std::wstring, int32_t>>& words) {
  std::map<wchar_t, uint8_t> codes;
  for (const auto& w : words) {
    for (wchar_t c : w.first) codes[c] = 0;
  }
  if (codes.empty()) codes[L' '] = 0;
  std::vector<wchar_t> reverse;
  for (auto& c : codes) {
    c.second = static_cast<uint8_t>(reverse.size());
    reverse.push_back(c.first);
  }
  std::vector<std::pair<std::string, int32_t>> coded;
  for (const auto& w : words) {
    std::string text;
    for (wchar_t c : w.first) text.push_back(static_cast<char>(codes[c]));
    coded.emplace_back(text.substr(0, 255), w.second);
  }
  std::sort(coded.begin(), coded.end(),
            [](const std::pair<std::string, int32_t>& a,
               const std::pair<std::string, int32_t>& b) {
              return std::lexicographical_compare(
                  a.first.begin(), a.first.end(), b.first.begin(),
                  b.first.end(), [](char x, char y) {
                    return static_cast<uint8_t>(x) < static_cast<uint8_t>(y);
                  });
            });
  std::string out;
  auto u32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
  };
  auto u16 = [&out](uint16_t v) {
    out.push_back(static_cast<char>(v));
    out.push_back(static_cast<char>(v >> 8));
  };
  u32(static_cast<uint32_t>(reverse.size()));
  for (const auto& c : codes) u16(static_cast<uint16_t>(c.first));
  for (const auto& c : codes) out.push_back(static_cast<char>(c.second));
  for (wchar_t c : reverse) u16(static_cast<uint16_t>(c));
  std::string text;
  std::string entries;
  for (const auto& c : coded) {
    const uint32_t word = static_cast<uint32_t>(text.size()) |
                          (static_cast<uint32_t>(c.first.size()) << 24);
    for (int i = 0; i < 4; ++i) entries.push_back(static_cast<char>(word >> (8 * i)));
    for (int i = 0; i < 4; ++i) {
      entries.push_back(static_cast<char>(static_cast<uint32_t>(c.second) >> (8 * i)));
    }
    text += c.first;
  }
  u32(static_cast<uint32_t>(coded.size()));
  u32(static_cast<uint32_t>(text.size()));
  return out + entries + text;
}

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_SUGGEST_WRITER_H_
