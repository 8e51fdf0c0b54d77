#include "ime/t13n/transliteration/transliterator/suggest_writer.h"

#include <algorithm>
#include <map>

#include "ime/t13n/transliteration/transliterator/suggest.h"

namespace ime_t13n {
namespace {

// Code 255 stays unused: prefix lookups bound a prefix's range with the
// prefix followed by byte 0xFF.
constexpr size_t kMaxCodes = 255;

void AppendU32(uint32_t value, std::string* out) {
  for (int shift = 0; shift < 32; shift += 8) {
    out->push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

void AppendUnit(wchar_t unit, std::string* out) {
  out->push_back(static_cast<char>(unit & 0xFF));
  out->push_back(static_cast<char>((unit >> 8) & 0xFF));
}

}  // namespace

bool BuildSuggestSection(const std::vector<SuggestWord>& words,
                         std::string* section) {
  if (section == nullptr) return false;
  // Sorted by word and unique; UTF-16 order equals the byte order of the
  // coded words since codes follow the units' order.
  std::map<std::wstring, int32_t> sorted;
  std::map<wchar_t, uint8_t> codes;
  for (const SuggestWord& entry : words) {
    if (entry.word.empty() || entry.word.size() > SuggestEntry::kMaxLength ||
        entry.score >= Suggest::kMarkerScore ||
        !sorted.emplace(entry.word, entry.score).second) {
      return false;
    }
    for (const wchar_t unit : entry.word) codes.emplace(unit, 0);
  }
  if (codes.size() > kMaxCodes) return false;

  std::string table;
  std::string code_bytes;
  std::string reverse;
  uint8_t next = 0;
  for (auto& code : codes) {
    code.second = next++;
    AppendUnit(code.first, &table);
    code_bytes.push_back(static_cast<char>(code.second));
    AppendUnit(code.first, &reverse);  // codes ascend with the units
  }

  std::string entries;
  std::string text;
  for (const auto& word : sorted) {
    if (text.size() > SuggestEntry::kMaxTextOffset) return false;
    const SuggestEntry entry = {static_cast<uint32_t>(text.size()),
                                static_cast<uint32_t>(word.first.size()),
                                word.second};
    entry.AppendBytes(&entries);
    for (const wchar_t unit : word.first) {
      text.push_back(static_cast<char>(codes[unit]));
    }
  }

  AppendU32(static_cast<uint32_t>(codes.size()), section);
  section->append(table);
  section->append(code_bytes);
  section->append(reverse);
  AppendU32(static_cast<uint32_t>(sorted.size()), section);
  AppendU32(static_cast<uint32_t>(text.size()), section);
  section->append(entries);
  section->append(text);
  return true;
}

}  // namespace ime_t13n
