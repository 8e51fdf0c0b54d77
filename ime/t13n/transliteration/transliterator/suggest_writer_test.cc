#include "ime/t13n/transliteration/transliterator/suggest_writer.h"

#include <map>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"

namespace ime_t13n {
namespace {

TEST(SuggestWriterTest, WritesTheSectionLayout) {
  std::string section = "before";
  ASSERT_TRUE(BuildSuggestSection({{L"ba", 7}, {L"a", -1}}, &section));
  const char expected[] =
      "before"
      "\x02\x00\x00\x00"          // two characters
      "a\x00" "b\x00"             // characters, ascending
      "\x00\x01"                  // their codes
      "a\x00" "b\x00"             // reverse table
      "\x02\x00\x00\x00"          // two entries
      "\x03\x00\x00\x00"          // three bytes of coded text
      "\x00\x00\x00\x01"          // "a": offset 0, length 1
      "\xFF\xFF\xFF\xFF"          //      score -1
      "\x01\x00\x00\x02"          // "ba": offset 1, length 2
      "\x07\x00\x00\x00"          //      score 7
      "\x00" "\x01\x00";          // coded "a", "ba"
  EXPECT_EQ(section, std::string(expected, sizeof(expected) - 1));
}

TEST(SuggestWriterTest, RefusesWordsTheFormatCannotHold) {
  const std::vector<std::vector<SuggestWord>> refused = {
      {{L"", 1}},
      {{L"ka", 1}, {L"ka", 2}},
      {{std::wstring(256, L'k'), 1}},
      {{L"ka", Suggest::kMarkerScore}},
      {{L"ka", 0x7FFFFFFF}},
  };
  for (const auto& words : refused) {
    std::string section = "x";
    EXPECT_FALSE(BuildSuggestSection(words, &section));
    EXPECT_EQ(section, "x");
  }
  std::wstring many;
  for (wchar_t unit = 0x0100; unit < 0x0100 + 256; ++unit) many += unit;
  std::string section;
  EXPECT_FALSE(BuildSuggestSection({{many.substr(0, 128), 1},
                                    {many.substr(128), 2}}, &section));
  EXPECT_TRUE(BuildSuggestSection({{many.substr(0, 128), 1},
                                   {many.substr(128, 127), 2}}, &section));
  EXPECT_TRUE(BuildSuggestSection({{std::wstring(255, L'k'), 1},
                                   {L"ka", Suggest::kMarkerScore - 1}},
                                  &section));
}

TEST(SuggestWriterTest, RandomDictionariesReadBack) {
  std::mt19937 random(4242);
  for (int round = 0; round < 20; ++round) {
    std::map<std::wstring, int32_t> words;
    std::vector<SuggestWord> input;
    while (words.size() < 300) {
      std::wstring word;
      const int length = 1 + random() % 9;
      for (int i = 0; i < length; ++i) {
        word.push_back(static_cast<wchar_t>(0x0915 + random() % 6));
      }
      const int32_t score = static_cast<int32_t>(random() % 100000) - 1000;
      if (words.emplace(word, score).second) input.push_back({word, score});
    }
    std::string section;
    ASSERT_TRUE(BuildSuggestSection(input, &section));
    Suggest suggest;
    size_t size = 0;
    ASSERT_TRUE(suggest.Init(reinterpret_cast<const uint8_t*>(section.data()),
                             section.size(), &size));
    EXPECT_EQ(size, section.size());
    ASSERT_EQ(suggest.entry_count(), 300);
    int32_t index = 0;
    for (const auto& word : words) {  // the map is in UTF-16 order
      EXPECT_EQ(suggest.DecodeEntry(suggest.EntryAt(index++)), word.first);
      EXPECT_EQ(suggest.GetScore(word.first), static_cast<float>(word.second));
    }
    suggest.SetMaxResults(5);
    std::vector<SuggestEntry> completions;
    for (const auto& word : words) {
      suggest.CollectCompletions(word.first, &completions);
      for (const SuggestEntry& entry : completions) {
        const std::wstring completion = suggest.DecodeEntry(entry);
        EXPECT_GT(completion.size(), word.first.size());
        EXPECT_EQ(completion.compare(0, word.first.size(), word.first), 0);
      }
    }
  }
}

}  // namespace
}  // namespace ime_t13n
