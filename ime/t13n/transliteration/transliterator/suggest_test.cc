#include "ime/t13n/transliteration/transliterator/suggest.h"

#include <windows.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/suggest_writer.h"

namespace ime_t13n {
namespace {

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

uint32_t ReadU32(const std::string& s, size_t at) {
  uint32_t value;
  std::memcpy(&value, s.data() + at, 4);
  return value;
}

void WriteU32(std::string* s, size_t at, uint32_t value) {
  std::memcpy(&(*s)[at], &value, 4);
}

// Offsets of the section's fields, from its code table size.
size_t CountsAt(const std::string& s) { return 4 + 5 * ReadU32(s, 0); }
size_t EntryAt(const std::string& s, uint32_t i) {
  return CountsAt(s) + 8 + 8 * i;
}

class SuggestTest : public ::testing::Test {
 protected:
  void Load(const std::vector<SuggestWord>& words) {
    section_.clear();
    ASSERT_TRUE(BuildSuggestSection(words, &section_));
    Reload();
  }

  // Reads section_ again after a test changed its bytes.
  void Reload() {
    size_t size = 0;
    ASSERT_TRUE(suggest_.Init(Bytes(section_), section_.size(), &size));
    ASSERT_EQ(size, section_.size());
  }

  std::vector<std::wstring> Completions(const std::wstring& word) {
    std::vector<SuggestEntry> entries;
    suggest_.CollectCompletions(word, &entries);
    std::vector<std::wstring> words;
    for (const SuggestEntry& entry : entries) {
      words.push_back(suggest_.DecodeEntry(entry));
    }
    return words;
  }

  // "completion:score" for each suggestion of |words|.
  std::vector<std::wstring> Suggestions(const std::vector<std::wstring>& words) {
    std::vector<SuggestionRecord> records;
    suggest_.GetSuggestions(words, &records);
    std::vector<std::wstring> texts;
    for (const SuggestionRecord& record : records) {
      texts.push_back(record.completion + L":" + std::to_wstring(record.score));
    }
    return texts;
  }

  std::string section_;
  Suggest suggest_;
};

using Words = std::vector<std::wstring>;

TEST_F(SuggestTest, StoredWordHasExactlyItsOwnScore) {
  Load({{L"kam", 50}, {L"kamal", 100}, {L"kamala", 100}, {L"kami", 7}});
  EXPECT_EQ(suggest_.GetScore(L"kam"), 50.0f);
  EXPECT_EQ(suggest_.GetScore(L"kamala"), 100.0f);
  EXPECT_EQ(Completions(L"kam"), (Words{L"kamal", L"kamala", L"kami"}));
  EXPECT_EQ(Completions(L"kamala"), Words{});
}

TEST_F(SuggestTest, AbsentPrefixSumsHalvedScores) {
  Load({{L"abc", 100}, {L"abcd", 100}, {L"b", 3}});
  EXPECT_EQ(suggest_.GetScore(L"ab"), 75.0f);
  EXPECT_EQ(suggest_.GetScore(L"a"), 25.0f + 12.0f);
  EXPECT_EQ(suggest_.GetScore(L"ba"), 0.0f);
  EXPECT_EQ(Completions(L"ba"), Words{});
  EXPECT_EQ(suggest_.GetScore(L"abcde"), 0.0f);
}

TEST_F(SuggestTest, PrefixSumShiftsUnsignedModulo32AndWraps) {
  // 32 extra units shift by 0, 33 by 1.
  Load({{L"a" + std::wstring(32, L'x'), 8}, {L"a" + std::wstring(33, L'x'), 8}});
  EXPECT_EQ(suggest_.GetScore(L"a"), 12.0f);
  // Negative scores shift as unsigned values; the sum wraps in 32 bits.
  Load({{L"pq", -2}, {L"pqr", -4}});
  EXPECT_EQ(suggest_.GetScore(L"p"),
            static_cast<float>(static_cast<int32_t>(0x7FFFFFFFu + 0x3FFFFFFFu)));
}

TEST_F(SuggestTest, PrefixRangeStartsWithTheWordItself) {
  Load({{L"a", 1}, {L"ab", 2}, {L"abc", 3}, {L"abd", 4}, {L"b", 5}});
  int32_t first = -1;
  int32_t count = -1;
  suggest_.FindPrefixRange(suggest_.code_table().EncodeWord(L"ab"), &first,
                           &count);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(suggest_.DecodeEntry(suggest_.EntryAt(first)), L"ab");
  suggest_.FindPrefixRange(suggest_.code_table().EncodeWord(L"ba"), &first,
                           &count);
  EXPECT_EQ(first, 5);
  EXPECT_EQ(count, 0);
  suggest_.FindPrefixRange(std::string(), &first, &count);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(count, 5);
}

TEST_F(SuggestTest, MissingCharacterTakesTheFirstCharactersCode) {
  Load({{L"ab", 10}, {L"b", 20}});
  EXPECT_EQ(suggest_.code_table().Encode(L'z'),
            suggest_.code_table().Encode(L'a'));
  // "z" is looked up as "a".
  EXPECT_EQ(suggest_.GetScore(L"z"), 5.0f);
  EXPECT_EQ(Completions(L"z"), Words{L"ab"});
}

TEST_F(SuggestTest, LongCompletionsAreWeightedByDistanceSquared) {
  // Word of 2 units: 6 units keep 90, 7 units give 30 / 1, 8 units 90 / 4.
  Load({{L"abcdef", 90}, {L"abcdefgh", 90}, {L"abcdefx", 30}});
  EXPECT_EQ(Completions(L"ab"), (Words{L"abcdef", L"abcdefx", L"abcdefgh"}));
  suggest_.SetMaxResults(2);
  EXPECT_EQ(Completions(L"ab"), (Words{L"abcdef", L"abcdefx"}));
  // The merged list orders by raw score, not by the weighted value.
  suggest_.SetMaxResults(3);
  EXPECT_EQ(Suggestions({L"ab"}),
            (Words{L"abcdef:90", L"abcdefgh:90", L"abcdefx:30"}));
}

TEST_F(SuggestTest, EqualValuesKeepFileOrder) {
  Load({{L"kax", 10}, {L"kay", 10}, {L"kaz", 10}, {L"kaw", 10}});
  suggest_.SetMaxResults(2);
  EXPECT_EQ(Completions(L"ka"), (Words{L"kaw", L"kax"}));
  Load({{L"kax", 10}, {L"kay", 10}, {L"kaz", 11}, {L"kaw", 10}});
  suggest_.SetMaxResults(2);
  EXPECT_EQ(Completions(L"ka"), (Words{L"kaz", L"kaw"}));
}

TEST_F(SuggestTest, SharedCompletionsAppearOnceFromTheFirstWord) {
  Load({{L"kamal", 40}, {L"kamla", 30}, {L"kalam", 20}});
  std::vector<SuggestionRecord> records;
  suggest_.GetSuggestions({L"kam", L"ka"}, &records);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].completion, L"kamal");
  EXPECT_EQ(records[0].source, L"kam");
  EXPECT_EQ(records[0].score, 40);
  EXPECT_EQ(records[1].completion, L"kamla");
  EXPECT_EQ(records[1].source, L"kam");
  EXPECT_EQ(records[2].completion, L"kalam");
  EXPECT_EQ(records[2].source, L"ka");
}

TEST_F(SuggestTest, DuplicateEntriesKeepTheHigherScore) {
  // Two entries for one word (a writer would refuse this; old files may
  // hold it): the completion comes once, with the higher raw score.
  Load({{L"kamal", 40}, {L"kamam", 30}});
  const size_t text_at = EntryAt(section_, 2);
  section_[text_at + 9] = section_[text_at + 4];  // "kamam" becomes "kamal"
  Reload();
  EXPECT_EQ(Suggestions({L"ka"}), Words{L"kamal:40"});
  std::swap_ranges(&section_[EntryAt(section_, 0) + 4],
                   &section_[EntryAt(section_, 0) + 8],
                   &section_[EntryAt(section_, 1) + 4]);
  Reload();
  EXPECT_EQ(Suggestions({L"ka"}), Words{L"kamal:40"});
}

TEST_F(SuggestTest, CompletionEqualToAnInputWordIsDropped) {
  Load({{L"kam", 50}, {L"kama", 40}, {L"kamra", 45}});
  EXPECT_EQ(Suggestions({L"ka", L"kam"}), (Words{L"kamra:45", L"kama:40"}));
  EXPECT_EQ(Suggestions({L"kam", L"ka"}), (Words{L"kamra:45", L"kama:40"}));
}

TEST_F(SuggestTest, EqualScoresAreOrderedByCompletionText) {
  Load({{L"tc", 5}, {L"ta", 5}, {L"tb", 9}, {L"sa", 5}});
  suggest_.SetMaxResults(7);
  EXPECT_EQ(Suggestions({L"t", L"s"}),
            (Words{L"tb:9", L"sa:5", L"ta:5", L"tc:5"}));
}

TEST_F(SuggestTest, NothingToCompleteGivesNothing) {
  Load({{L"kam", 50}, {L"kama", 40}});
  EXPECT_EQ(Suggestions({}), Words{});
  EXPECT_EQ(Suggestions({L"kama", L"x", L""}), Words{});
  EXPECT_EQ(Completions(L""), Words{});
}

TEST_F(SuggestTest, MaxResultsBoundsEachWordAndTheList) {
  std::vector<SuggestWord> words;
  for (int i = 0; i < 10; ++i) {
    words.push_back({L"a" + std::wstring(1, static_cast<wchar_t>(L'a' + i)),
                     100 + i});
    words.push_back({L"b" + std::wstring(1, static_cast<wchar_t>(L'a' + i)),
                     200 + i});
  }
  Load(words);
  EXPECT_EQ(suggest_.max_results(), 3);
  EXPECT_EQ(Suggestions({L"a", L"b"}), (Words{L"bj:209", L"bi:208", L"bh:207"}));
  suggest_.SetMaxResults(2 * 5 - 3);
  EXPECT_EQ(Completions(L"a").size(), 7u);
  const Words seven = Suggestions({L"a", L"b"});
  EXPECT_EQ(seven.size(), 7u);
  EXPECT_EQ(seven.back(), L"bd:203");
  suggest_.SetMaxResults(-1);
  EXPECT_EQ(suggest_.max_results(), 0);
  EXPECT_EQ(Suggestions({L"a"}), Words{});
}

TEST_F(SuggestTest, WordScoredAsTheMarkerIsRemoved) {
  Load({{L"kam", 1}, {L"kamal", 2}, {L"kamala", 3}});
  WriteU32(&section_, EntryAt(section_, 1) + 4, Suggest::kMarkerScore);
  Reload();
  EXPECT_EQ(Suggestions({L"kam"}), Words{L"kamala:3"});
}

TEST_F(SuggestTest, ScoreAboveTheMarkerDoesNotBringBackInputWords) {
  // Invalid data, but no input word may come back as its own completion.
  Load({{L"ka", 1}, {L"kam", 2}, {L"kamal", 3}});
  WriteU32(&section_, EntryAt(section_, 1) + 4, 0x10000000);
  Reload();
  EXPECT_EQ(Suggestions({L"k", L"kam"}), (Words{L"kamal:3", L"ka:1"}));
}

// Reading the section -----------------------------------------------------------

TEST_F(SuggestTest, EmptyDictionaryIsValid) {
  Load({});
  EXPECT_EQ(section_.size(), 12u);
  EXPECT_EQ(suggest_.entry_count(), 0);
  EXPECT_EQ(suggest_.GetScore(L"ka"), 0.0f);
  EXPECT_EQ(suggest_.GetScore(L""), 0.0f);
  EXPECT_EQ(Suggestions({L"ka"}), Words{});
  EXPECT_EQ(suggest_.EntryAt(0).length, 0u);
  EXPECT_EQ(suggest_.DecodeEntry(SuggestEntry{5, 3, 1}), L"");
}

TEST_F(SuggestTest, SectionSizeIgnoresTheBytesAfterIt) {
  ASSERT_TRUE(BuildSuggestSection({{L"kam", 5}, {L"kamal", 3}}, &section_));
  const size_t length = section_.size();
  section_ += "next section";
  size_t size = 0;
  ASSERT_TRUE(suggest_.Init(Bytes(section_), section_.size(), &size));
  EXPECT_EQ(size, length);
  EXPECT_EQ(suggest_.GetScore(L"kam"), 5.0f);
}

TEST_F(SuggestTest, EveryTruncationIsRefused) {
  ASSERT_TRUE(BuildSuggestSection({{L"kam", 5}, {L"kamal", 3}}, &section_));
  size_t size = 0;
  for (size_t length = 0; length < section_.size(); ++length) {
    EXPECT_FALSE(suggest_.Init(Bytes(section_), length, &size)) << length;
  }
  EXPECT_TRUE(suggest_.Init(Bytes(section_), section_.size(), &size));
}

TEST_F(SuggestTest, CorruptCountsAndEntriesAreRefused) {
  ASSERT_TRUE(BuildSuggestSection({{L"kam", 5}, {L"kamal", 3}}, &section_));
  const std::string good = section_;
  const size_t counts = CountsAt(good);
  struct Change {
    size_t at;
    uint32_t value;
  };
  const Change changes[] = {
      {0, 0xFFFFFFFF},                          // code table past the end
      {0, 0x7FFFFFFF},
      {counts, 3},                              // more entries than bytes
      {counts, 0xFFFFFFFF},                     // a "negative" count
      {counts + 4, 0x80000000},                 // coded text past the end
      {EntryAt(good, 0), 7 | 2u << 24},         // entry past the coded text
      {EntryAt(good, 1), 0xFFFFFFFF},           // offset and length too big
      {EntryAt(good, 0), 0 | 9u << 24},         // length past the text
  };
  size_t size = 0;
  for (const Change& change : changes) {
    section_ = good;
    WriteU32(&section_, change.at, change.value);
    EXPECT_FALSE(suggest_.Init(Bytes(section_), section_.size(), &size))
        << change.at << " " << change.value;
    EXPECT_EQ(suggest_.entry_count(), 0);
    EXPECT_EQ(suggest_.GetScore(L"kam"), 0.0f);
  }
  // A code byte not below n inside an entry's text.
  section_ = good;
  section_[section_.size() - 1] = 4;  // n is 4: a, k, l, m
  EXPECT_FALSE(suggest_.Init(Bytes(section_), section_.size(), &size));
  EXPECT_FALSE(suggest_.Init(nullptr, 100, &size));
}

// Memory that faults on any access outside the bytes placed in it.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t capacity) {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    page_ = info.dwPageSize;
    data_size_ = (capacity + page_ - 1) / page_ * page_;
    base_ = static_cast<uint8_t*>(::VirtualAlloc(
        nullptr, data_size_ + 2 * page_, MEM_RESERVE | MEM_COMMIT,
        PAGE_READWRITE));
    DWORD old = 0;
    if (base_ == nullptr ||
        !::VirtualProtect(base_, page_, PAGE_NOACCESS, &old) ||
        !::VirtualProtect(base_ + page_ + data_size_, page_, PAGE_NOACCESS,
                          &old)) {
      ADD_FAILURE() << "guard pages";
    }
  }
  ~GuardedBuffer() {
    if (base_ != nullptr) ::VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  bool ok() const { return base_ != nullptr; }
  // Copies |bytes| so that they end where the guard page after them begins.
  const uint8_t* PlaceAtEnd(const std::string& bytes) {
    uint8_t* at = base_ + page_ + data_size_ - bytes.size();
    std::memcpy(at, bytes.data(), bytes.size());
    return at;
  }
  // Copies |bytes| right after the guard page before them.
  const uint8_t* PlaceAtStart(const std::string& bytes) {
    std::memcpy(base_ + page_, bytes.data(), bytes.size());
    return base_ + page_;
  }

 private:
  size_t page_ = 0;
  size_t data_size_ = 0;
  uint8_t* base_ = nullptr;
};

// Runs every query on a dictionary that accepted its section.
void Exercise(const Suggest& suggest, const std::vector<std::wstring>& words) {
  std::vector<SuggestionRecord> records;
  suggest.GetSuggestions(words, &records);
  for (const std::wstring& word : words) suggest.GetScore(word);
  for (int32_t i = 0; i < suggest.entry_count(); ++i) {
    suggest.DecodeEntry(suggest.EntryAt(i));
  }
}

TEST(SuggestFuzzTest, MutatedSectionsStayInsideTheirBytes) {
  std::string valid;
  ASSERT_TRUE(BuildSuggestSection({{L"\x0915", 30},
                                   {L"\x0915\x092E", 25},
                                   {L"\x0915\x092E\x0932", 40},
                                   {L"\x0915\x092E\x0932\x093E", 12},
                                   {L"\x0915\x093E\x092E", 17},
                                   {L"\x0916\x0932", 9},
                                   {L"\x0932\x092E\x0915\x0932\x093E", 3}},
                                  &valid));
  const std::vector<std::wstring> queries = {
      L"\x0915", L"\x0915\x092E", L"\x0916", L"", L"x", L"\x0932\x092E",
      L"\x0915\x092E\x0932\x093E\x0915\x092E\x0932\x093E"};
  GuardedBuffer buffer(valid.size() + 64);
  ASSERT_TRUE(buffer.ok());
  std::mt19937 random(77);
  size_t size = 0;
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string bytes = valid;
    const int kind = random() % 4;
    const int mutations = 1 + random() % 4;
    for (int m = 0; m < mutations; ++m) {
      if (bytes.empty()) break;
      const size_t at = random() % bytes.size();
      switch (kind) {
        case 0:  // flip bits
          bytes[at] ^= static_cast<char>(1 + random() % 255);
          break;
        case 1:  // overwrite a whole count, offset or score
          if (at + 4 <= bytes.size()) {
            const uint32_t values[] = {0, 1, 0x7F, 0xFF, 0x100, 0xFFFF,
                                       0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                       static_cast<uint32_t>(random())};
            WriteU32(&bytes, at, values[random() % 10]);
          }
          break;
        case 2:  // cut the end
          bytes.resize(at);
          break;
        default:  // insert or remove a byte
          if (random() % 2) {
            bytes.insert(at, 1, static_cast<char>(random()));
          } else {
            bytes.erase(at, 1);
          }
      }
    }
    Suggest suggest;
    suggest.SetMaxResults(random() % 8);
    if (suggest.Init(buffer.PlaceAtEnd(bytes), bytes.size(), &size)) {
      ++accepted;
      EXPECT_LE(size, bytes.size());
      Exercise(suggest, queries);
    }
    if (suggest.Init(buffer.PlaceAtStart(bytes), bytes.size(), &size)) {
      Exercise(suggest, queries);
    }
  }
  // The mutations left some sections readable, so queries were exercised.
  EXPECT_GT(accepted, 100);
}

}  // namespace
}  // namespace ime_t13n
