#include "ime/t13n/transliteration/transliterator/native_score_map.h"

#include <string>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

TEST(NativeScoreMapTest, AddsUpScoresPerKeyInInsertionOrder) {
  NativeScoreMap map;
  EXPECT_FLOAT_EQ(map.Add(L"b", 0.5f), 0.5f);
  EXPECT_FLOAT_EQ(map.Add(L"a", 0.25f), 0.25f);
  EXPECT_FLOAT_EQ(map.Add(L"b", 0.5f), 1.0f);
  EXPECT_FLOAT_EQ(map.Add(L"", 2.0f), 2.0f);
  ASSERT_EQ(map.size(), 3u);
  EXPECT_EQ(map.KeyString(map.entries()[0]), L"b");
  EXPECT_EQ(map.KeyString(map.entries()[1]), L"a");
  EXPECT_EQ(map.KeyString(map.entries()[2]), L"");
  ASSERT_NE(map.Find(L"b", 1), nullptr);
  EXPECT_FLOAT_EQ(map.Find(L"b", 1)->score, 1.0f);
  EXPECT_EQ(map.Find(L"ab", 2), nullptr);
}

TEST(NativeScoreMapTest, GrowsAndKeepsEveryKey) {
  NativeScoreMap map;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 5000; ++i) map.Add(std::to_wstring(i), 1.0f);
  }
  ASSERT_EQ(map.size(), 5000u);
  for (int i = 0; i < 5000; i += 499) {
    const std::wstring key = std::to_wstring(i);
    const NativeScoreMap::Entry* entry = map.Find(key.data(), key.size());
    ASSERT_NE(entry, nullptr) << i;
    EXPECT_FLOAT_EQ(entry->score, 2.0f);
  }
  map.Clear();
  EXPECT_TRUE(map.empty());
  EXPECT_EQ(map.Find(L"1", 1), nullptr);
  map.Add(L"1", 3.0f);
  EXPECT_FLOAT_EQ(map.Find(L"1", 1)->score, 3.0f);
}

TEST(NativeScoreMapTest, EraseBelowKeepsTheRestFindable) {
  NativeScoreMap map;
  for (int i = 0; i < 100; ++i) map.Add(std::to_wstring(i), float(i % 10));
  map.EraseBelow(5.0f);
  ASSERT_EQ(map.size(), 50u);
  EXPECT_EQ(map.KeyString(map.entries()[0]), L"5");
  EXPECT_EQ(map.Find(L"4", 1), nullptr);
  EXPECT_NE(map.Find(L"95", 2), nullptr);
  map.Add(L"95", 1.0f);
  EXPECT_FLOAT_EQ(map.Find(L"95", 2)->score, 6.0f);
  EXPECT_EQ(map.size(), 50u);
}

}  // namespace
}  // namespace ime_t13n
