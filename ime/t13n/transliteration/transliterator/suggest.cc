#include "ime/t13n/transliteration/transliterator/suggest.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ime_t13n {
namespace {

uint32_t ReadU32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) |
         static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 |
         static_cast<uint32_t>(bytes[3]) << 24;
}

wchar_t ReadUnit(const uint8_t* bytes) {
  return static_cast<wchar_t>(bytes[0] | bytes[1] << 8);
}

void AppendU32(uint32_t value, std::string* out) {
  for (int shift = 0; shift < 32; shift += 8) {
    out->push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

// A completion candidate while the best ones are selected.
struct Ranked {
  int32_t value;
  int32_t index;  // position in the entry array: file order
};

// Higher value first; among equal values the earlier entry.
bool Stronger(const Ranked& a, const Ranked& b) {
  return a.value != b.value ? a.value > b.value : a.index < b.index;
}

// The weight of a completion |extra| units longer than the word it
// completes: close completions keep their score, longer ones fall off with
// the square of the distance beyond four units.
int32_t CompletionValue(int32_t score, int32_t extra) {
  const int32_t d = extra - 4;
  return d <= 0 ? score : score / (d * d);
}

}  // namespace

// CharCodeTable --------------------------------------------------------------

void CharCodeTable::Assign(const uint8_t* characters, const uint8_t* codes,
                           const uint8_t* reverse, uint32_t n) {
  characters_.resize(n);
  codes_.assign(codes, codes + n);
  reverse_.resize(n);
  for (uint32_t i = 0; i < n; ++i) {
    characters_[i] = ReadUnit(characters + 2 * i);
    reverse_[i] = ReadUnit(reverse + 2 * i);
  }
  // Every unit's code as the search gives it, whatever order the file's
  // characters are in.
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    direct_[unit] = Search(static_cast<wchar_t>(unit));
  }
}

void CharCodeTable::Clear() {
  characters_.clear();
  codes_.clear();
  reverse_.clear();
  std::fill(direct_.begin(), direct_.end(), 0);
}

uint8_t CharCodeTable::Search(wchar_t unit) const {
  if (characters_.empty()) return 0;
  const auto it =
      std::lower_bound(characters_.begin(), characters_.end(), unit);
  if (it == characters_.end() || *it != unit) return codes_[0];
  return codes_[it - characters_.begin()];
}

std::string CharCodeTable::EncodeWord(const std::wstring& word) const {
  std::string coded(word.size(), '\0');
  for (size_t i = 0; i < word.size(); ++i) {
    coded[i] = static_cast<char>(Encode(word[i]));
  }
  return coded;
}

bool CharCodeTable::Decode(const uint8_t* coded, size_t length,
                           std::wstring* out) const {
  out->assign(length, L'\0');
  for (size_t i = 0; i < length; ++i) {
    if (coded[i] >= reverse_.size()) {
      out->clear();
      return false;
    }
    (*out)[i] = reverse_[coded[i]];
  }
  return true;
}

// SuggestEntry ----------------------------------------------------------------

SuggestEntry SuggestEntry::FromBytes(const uint8_t* bytes) {
  const uint32_t position = ReadU32(bytes);
  SuggestEntry entry;
  entry.text_offset = position & kMaxTextOffset;
  entry.length = position >> 24;
  entry.score = static_cast<int32_t>(ReadU32(bytes + 4));
  return entry;
}

void SuggestEntry::AppendBytes(std::string* out) const {
  AppendU32((text_offset & kMaxTextOffset) | (length & kMaxLength) << 24, out);
  AppendU32(static_cast<uint32_t>(score), out);
}

// Suggest ----------------------------------------------------------------------

Suggest::Suggest() = default;

// Frees only the code table: the entries and the text belong to the mapping,
// which may already be gone.
Suggest::~Suggest() = default;

void Suggest::Reset() {
  first_byte_start_.clear();
  second_byte_start_.clear();
  coded_text_ = nullptr;
  entries_ = nullptr;
  entry_count_ = 0;
  text_size_ = 0;
  code_table_.Clear();
}

bool Suggest::Init(const uint8_t* section, size_t available,
                   size_t* section_size) {
  Reset();
  if (section == nullptr || section_size == nullptr) return false;
  // 64-bit sums: no count in the file can wrap them.
  const uint64_t size = available;
  if (size < 4) return false;
  const uint64_t n = ReadU32(section);
  const uint64_t counts_at = 4 + 5 * n;
  if (counts_at + 8 > size) return false;
  const uint64_t f = ReadU32(section + counts_at);
  const uint64_t g = ReadU32(section + counts_at + 4);
  const uint64_t entries_at = counts_at + 8;
  const uint64_t text_at = entries_at + SuggestEntry::kSize * f;
  const uint64_t end = text_at + g;
  if (end > size || f > static_cast<uint64_t>(INT32_MAX)) return false;

  const uint8_t* entries = section + entries_at;
  const uint8_t* text = section + text_at;
  // Every entry must lie inside the coded text and hold only codes that the
  // reverse table can decode; checked once here so that lookups need not.
  for (uint64_t i = 0; i < f; ++i) {
    const SuggestEntry entry =
        SuggestEntry::FromBytes(entries + SuggestEntry::kSize * i);
    if (static_cast<uint64_t>(entry.text_offset) + entry.length > g) {
      return false;
    }
    if (n < 256) {
      const uint8_t* word = text + entry.text_offset;
      for (uint32_t j = 0; j < entry.length; ++j) {
        if (word[j] >= n) return false;
      }
    }
  }

  code_table_.Assign(section + 4, section + 4 + 2 * n, section + 4 + 3 * n,
                     static_cast<uint32_t>(n));
  entries_ = entries;
  coded_text_ = text;
  entry_count_ = static_cast<int32_t>(f);
  text_size_ = static_cast<uint32_t>(g);
  first_byte_start_.assign(258, entry_count_);
  for (int key = 0; key < 258; ++key) {
    int32_t low = 0;
    int32_t high = entry_count_;
    while (low < high) {
      const int32_t middle = low + (high - low) / 2;
      if (KeyAt(middle, 0) < key) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    first_byte_start_[key] = low;
  }
  if (n <= 0xFF) {
    // One pass over the entries: within the entries of one first code the
    // keys at depth 1 rise.
    second_byte_start_.assign(258 * n, 0);
    for (uint32_t code = 0; code < n; ++code) {
      int32_t* starts = second_byte_start_.data() + 258 * code;
      const int32_t group_end = first_byte_start_[code + 2];
      int next_key = 0;
      for (int32_t i = first_byte_start_[code + 1]; i < group_end; ++i) {
        const int key = KeyAt(i, 1);
        while (next_key <= key) starts[next_key++] = i;
      }
      while (next_key < 258) starts[next_key++] = group_end;
    }
  }
  *section_size = static_cast<size_t>(end);
  return true;
}

void Suggest::SetMaxResults(int32_t max_results) {
  max_results_ = std::max(max_results, 0);
}

SuggestEntry Suggest::EntryAt(int32_t index) const {
  if (index < 0 || index >= entry_count_) return SuggestEntry{0, 0, 0};
  return SuggestEntry::FromBytes(entries_ + SuggestEntry::kSize * index);
}

std::wstring Suggest::DecodeEntry(const SuggestEntry& entry) const {
  std::wstring word;
  if (static_cast<uint64_t>(entry.text_offset) + entry.length <= text_size_) {
    code_table_.Decode(coded_text_ + entry.text_offset, entry.length, &word);
  }
  return word;
}

int Suggest::CompareEntry(int32_t index, const std::string& coded) const {
  const SuggestEntry entry = EntryAt(index);
  const size_t common = std::min<size_t>(entry.length, coded.size());
  const int order =
      common == 0 ? 0 : std::memcmp(coded_text_ + entry.text_offset,
                                    coded.data(), common);
  if (order != 0) return order;
  if (entry.length == coded.size()) return 0;
  return entry.length < coded.size() ? -1 : 1;
}

int32_t Suggest::LowerBound(const std::string& coded) const {
  int32_t low = 0;
  int32_t high = entry_count_;
  while (low < high) {
    const int32_t middle = low + (high - low) / 2;
    if (CompareEntry(middle, coded) < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

void Suggest::FindPrefixRange(const std::string& coded_prefix, int32_t* first,
                              int32_t* count) const {
  // Every word that begins with the prefix sorts before the prefix followed
  // by the highest byte (codes stay below 255 in a table of at most 255
  // characters).
  const int32_t begin = LowerBound(coded_prefix);
  const int32_t end = LowerBound(coded_prefix + '\xFF');
  *first = begin;
  *count = end - begin;
}

int Suggest::KeyAt(int32_t index, uint32_t depth) const {
  const uint32_t position = ReadU32(entries_ + SuggestEntry::kSize * index);
  if ((position >> 24) <= depth) return 0;
  return coded_text_[(position & SuggestEntry::kMaxTextOffset) + depth] + 1;
}

void Suggest::Narrow(uint32_t depth, uint8_t code, int32_t* first,
                     int32_t* end) const {
  const int low_key = code + 1;
  int32_t low = *first;
  int32_t high = *end;
  while (low < high) {
    const int32_t middle = low + (high - low) / 2;
    if (KeyAt(middle, depth) < low_key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  *first = low;
  high = *end;
  while (low < high) {
    const int32_t middle = low + (high - low) / 2;
    if (KeyAt(middle, depth) <= low_key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  *end = low;
}

float Suggest::GetScore(const std::wstring& word) const {
  return GetScore(word.data(), word.size());
}

float Suggest::GetScore(const wchar_t* word, size_t length) const {
  int32_t first = 0;
  int32_t end = 0;
  PrefixRange(word, length, &first, &end);
  return ScoreOfRange(first, end, length);
}

// The entries that begin with the word are found by narrowing the range
// one code at a time: the first code through a table, and a word that no
// entry begins with is known as soon as the range is empty, which is what
// most readings of a long typed word are.
void Suggest::PrefixRange(const wchar_t* word, size_t length, int32_t* first,
                          int32_t* end) const {
  if (code_table_.size() > 0xFF) {
    // A code may be 0xFF, which FindPrefixRange takes as its upper limit:
    // its answer stands.
    int32_t count = 0;
    FindPrefixRange(code_table_.EncodeWord(std::wstring(word, length)),
                    first, &count);
    *end = *first + count;
    return;
  }
  *first = 0;
  *end = entry_count_;
  if (length == 0 || entry_count_ == 0) return;
  const uint8_t code = code_table_.Encode(word[0]);
  if (code >= code_table_.size()) {
    // A code the table does not hold (a damaged file) begins no entry: every
    // entry's bytes were checked against the table's size.
    *first = *end = 0;
    return;
  }
  size_t i = 1;
  if (length >= 2) {
    // Through both tables: the first two codes narrow the widest ranges.
    const int32_t* starts = second_byte_start_.data() + 258 * code;
    const uint8_t second = code_table_.Encode(word[1]);
    *first = starts[second + 1];
    *end = starts[second + 2];
    i = 2;
  } else {
    *first = first_byte_start_[code + 1];
    *end = first_byte_start_[code + 2];
  }
  for (; i < length && *first < *end; ++i) {
    Narrow(static_cast<uint32_t>(i), code_table_.Encode(word[i]), first, end);
  }
}

float Suggest::ScoreOfRange(int32_t first, int32_t end, size_t length) const {
  if (first >= end) return 0.0f;
  const SuggestEntry head = EntryAt(first);
  if (head.length == length) return static_cast<float>(head.score);
  // Not stored itself: the word is as likely as the words that extend it,
  // the longer ones counting less.
  uint32_t sum = 0;
  for (int32_t i = first; i < end; ++i) {
    const SuggestEntry entry = EntryAt(i);
    const uint32_t extra =
        (entry.length - static_cast<uint32_t>(length)) & 31;
    sum += static_cast<uint32_t>(entry.score) >> extra;
  }
  return static_cast<float>(static_cast<int32_t>(sum));
}

void Suggest::CollectCompletions(const std::wstring& word,
                                 std::vector<SuggestEntry>* out) const {
  out->clear();
  if (word.empty()) return;
  const std::string coded = code_table_.EncodeWord(word);
  int32_t first = 0;
  int32_t count = 0;
  FindPrefixRange(coded, &first, &count);
  if (count > 0 && EntryAt(first).length == coded.size()) {
    ++first;  // the word itself completes nothing
    --count;
  }
  const int32_t keep = std::min(count, max_results_);
  if (keep <= 0) return;

  // A bounded heap whose top is the weakest entry held: one pass over the
  // range however many words share the prefix.
  std::vector<Ranked> held;
  held.reserve(keep);
  const int32_t length = static_cast<int32_t>(coded.size());
  for (int32_t i = first; i < first + count; ++i) {
    const SuggestEntry entry = EntryAt(i);
    const Ranked ranked = {
        CompletionValue(entry.score, static_cast<int32_t>(entry.length) - length),
        i};
    if (static_cast<int32_t>(held.size()) < keep) {
      held.push_back(ranked);
      std::push_heap(held.begin(), held.end(), Stronger);
    } else if (ranked.value > held.front().value) {
      std::pop_heap(held.begin(), held.end(), Stronger);
      held.back() = ranked;
      std::push_heap(held.begin(), held.end(), Stronger);
    }
  }
  std::sort(held.begin(), held.end(), Stronger);
  out->reserve(held.size());
  for (const Ranked& ranked : held) out->push_back(EntryAt(ranked.index));
}

void Suggest::GetSuggestions(const std::vector<std::wstring>& words,
                             std::vector<SuggestionRecord>* out) const {
  struct Candidate {
    SuggestionRecord record;
    bool marker;  // stands for an input word
  };
  std::vector<Candidate> candidates;
  std::vector<SuggestEntry> entries;
  for (const std::wstring& word : words) {
    CollectCompletions(word, &entries);
    for (const SuggestEntry& entry : entries) {
      candidates.push_back({{word, DecodeEntry(entry), entry.score}, false});
    }
    candidates.push_back({{std::wstring(), word, kMarkerScore}, true});
  }

  // Group equal completions, the input word's marker first, then the best
  // score: keeping the first of each group drops the completions that equal
  // an input word and leaves every other word once, with its highest score.
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     if (a.record.completion != b.record.completion) {
                       return a.record.completion < b.record.completion;
                     }
                     if (a.marker != b.marker) return a.marker;
                     return a.record.score > b.record.score;
                   });
  candidates.erase(
      std::unique(candidates.begin(), candidates.end(),
                  [](const Candidate& a, const Candidate& b) {
                    return a.record.completion == b.record.completion;
                  }),
      candidates.end());
  // The markers go, and with them any word scored as high as a marker.
  candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                  [](const Candidate& c) {
                                    return c.marker ||
                                           c.record.score == kMarkerScore;
                                  }),
                   candidates.end());
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     return a.record.score > b.record.score;
                   });
  if (candidates.size() > static_cast<size_t>(max_results_)) {
    candidates.resize(max_results_);
  }
  for (Candidate& candidate : candidates) {
    out->push_back(std::move(candidate.record));
  }
}

}  // namespace ime_t13n
