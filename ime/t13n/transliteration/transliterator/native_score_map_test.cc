#include "ime/t13n/transliteration/transliterator/native_score_map.h"

#include <cmath>
#include <string>
#include <vector>

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

// Keys made of a head read from the given text and a finished reading: the
// same text cut in different places is one key, and a short key that
// outlives the map is kept whole.
TEST(NativeScoreMapTest, JoinedKeysCutInDifferentPlacesAreOneKey) {
  FinishedReadings finished;
  NativeScoreMap rests;
  rests.Add(L"d", 1.0f);
  rests.Add(L"cd", 1.0f);
  const NativeEntry& entry_d = rests.entries()[0];
  const NativeEntry& entry_cd = rests.entries()[1];
  const uint32_t d = finished.Add(entry_d, rests.head(entry_d));
  const uint32_t cd = finished.Add(entry_cd, rests.head(entry_cd));
  const std::vector<wchar_t> text = {L'a', L'b', L'c'};
  NativeScoreMap map(&finished, &text);
  // The first |units| of the text, then the finished reading |rest|.
  auto join = [&](uint32_t units, uint32_t rest, float score) {
    const HashedText head = HashedText::Of(text.data(), units);
    const NativeEntry& tail = finished.at(rest);
    map.AddJoinedAt(0, units, rest,
                    head.hash * finished.power(rest) + tail.hash,
                    units + tail.length, score);
  };
  join(2, cd, 0.25f);
  join(3, d, 0.5f);
  join(1, cd, 2.0f);
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(map.entries()[0].score, 0.75f);
  EXPECT_EQ(map.KeyString(map.entries()[0]), L"abcd");
  ASSERT_NE(map.Find(L"abcd", 4), nullptr);
  EXPECT_EQ(map.Find(L"abcd", 4)->score, 0.75f);
  EXPECT_EQ(map.Find(L"acd", 3)->score, 2.0f);
  EXPECT_EQ(map.Find(L"abc", 3), nullptr);

  const NativeEntry& joined = map.entries()[0];
  const uint32_t kept = finished.Add(joined, map.head(joined));
  EXPECT_EQ(finished.at(kept).tail, NativeEntry::kNoTail);
  EXPECT_EQ(std::wstring(finished.head(finished.at(kept)), 4), L"abcd");
  EXPECT_EQ(finished.at(kept).first, L'a');
  EXPECT_EQ(finished.power(kept), HashedText::Of(L"abcd", 4).power);
  map.MakeShortKeysWhole();
  EXPECT_EQ(map.entries()[1].tail, NativeEntry::kNoTail);
  EXPECT_EQ(std::wstring(map.head(map.entries()[1]), 3), L"acd");
}

TEST(NativeScoreMapTest, EraseBelowKeepsTheFirstTiesAndTheRestFindable) {
  NativeScoreMap map;
  for (int i = 0; i < 100; ++i) map.Add(std::to_wstring(i), float(i % 10));
  // Forty score above 5, ten tie with it: the first four of those stay.
  map.EraseBelow(5.0f, 4);
  ASSERT_EQ(map.size(), 44u);
  EXPECT_EQ(map.KeyString(map.entries()[0]), L"5");
  EXPECT_EQ(map.Find(L"4", 1), nullptr);
  EXPECT_NE(map.Find(L"35", 2), nullptr);
  EXPECT_EQ(map.Find(L"45", 2), nullptr);
  EXPECT_NE(map.Find(L"99", 2), nullptr);
  map.Add(L"35", 1.0f);
  EXPECT_FLOAT_EQ(map.Find(L"35", 2)->score, 6.0f);
  EXPECT_EQ(map.size(), 44u);
}

// Scores far beyond what a float holds, either way, are kept at another
// exponent, in order; scores an ordinary word has are never touched.
TEST(NativeScoreMapTest, ExponentKeepsExtremeScoresAndLeavesOrdinaryOnes) {
  NativeScoreMap ordinary;
  ordinary.Add(L"a", 1e-15f);
  ordinary.Add(L"b", 3e15f);
  ordinary.Normalize();
  EXPECT_EQ(ordinary.exponent(), 0);
  EXPECT_EQ(ordinary.Find(L"a", 1)->score, 1e-15f);
  EXPECT_EQ(ordinary.Find(L"b", 1)->score, 3e15f);

  // 2^-100 and 2^-126 (below the normal floats) keep their ratio.
  NativeScoreMap tiny;
  tiny.Add(L"a", std::ldexp(1.0f, -100));
  tiny.Add(L"b", std::ldexp(1.0f, -126));
  tiny.Normalize();
  EXPECT_EQ(tiny.exponent(), 128);
  EXPECT_EQ(tiny.Find(L"a", 1)->score, std::ldexp(1.0f, 28));
  EXPECT_EQ(tiny.Find(L"b", 1)->score, std::ldexp(1.0f, 2));
  EXPECT_EQ(tiny.highest(), std::ldexp(1.0f, 28));

  NativeScoreMap huge;
  huge.Add(L"a", std::ldexp(1.0f, 100));
  huge.Add(L"b", 1.0f);
  huge.Normalize();
  EXPECT_EQ(huge.exponent(), -128);
  EXPECT_EQ(huge.Find(L"a", 1)->score, std::ldexp(1.0f, -28));
  EXPECT_EQ(huge.Find(L"b", 1)->score, std::ldexp(1.0f, -128));

  // Incoming scores are brought to the map's exponent while both stay far
  // from what a float holds; otherwise the map lowers its scores first.
  EXPECT_EQ(tiny.AlignFor(128, 1024.0), 1.0f);
  EXPECT_EQ(tiny.exponent(), 128);
  EXPECT_EQ(tiny.AlignFor(0, 1.0), std::ldexp(1.0f, 64));
  EXPECT_EQ(tiny.exponent(), 64);
  EXPECT_EQ(tiny.Find(L"a", 1)->score, std::ldexp(1.0f, -36));
  EXPECT_EQ(huge.AlignFor(-64, 1.0), std::ldexp(1.0f, -64));
  EXPECT_EQ(huge.exponent(), -128);
  // The factor itself stays a float.
  NativeScoreMap deep;
  deep.AlignFor(300, 1.0);
  deep.Add(L"a", 1.0f);
  EXPECT_EQ(deep.AlignFor(0, std::ldexp(1.0, -100)), std::ldexp(1.0f, 126));
  EXPECT_EQ(deep.exponent(), 126);
  // An empty map takes the incoming exponent on; Clear forgets it.
  NativeScoreMap empty;
  EXPECT_EQ(empty.AlignFor(192, 1.0), 1.0f);
  EXPECT_EQ(empty.exponent(), 192);
  empty.Clear();
  EXPECT_EQ(empty.exponent(), 0);
}

}  // namespace
}  // namespace ime_t13n
