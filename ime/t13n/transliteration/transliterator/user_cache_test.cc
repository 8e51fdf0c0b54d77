#include "ime/t13n/transliteration/transliterator/user_cache.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

std::wstring Word(int i) { return L"w" + std::to_wstring(i); }

std::wstring Lookup(const UserCache& cache, const std::wstring& key) {
  const std::wstring* native = cache.Find(key);
  return native != nullptr ? *native : L"<none>";
}

TEST(UserCacheTest, TheOldestWordGoesWhenTheCacheIsFull) {
  UserCache cache;
  for (int i = 0; i <= 2000; ++i) cache.Add(Word(i), L"n" + Word(i), true);
  EXPECT_EQ(cache.size(), 2000u);
  EXPECT_EQ(Lookup(cache, Word(0)), L"<none>");
  EXPECT_EQ(Lookup(cache, Word(1)), L"nw1");
  EXPECT_EQ(Lookup(cache, Word(2000)), L"nw2000");
  cache.Add(Word(2001), L"x", true);
  EXPECT_EQ(Lookup(cache, Word(1)), L"<none>");
  EXPECT_EQ(Lookup(cache, Word(2)), L"nw2");
}

TEST(UserCacheTest, OverwritingKeepsTheWordsPlaceInTheOrder) {
  UserCache cache;
  for (int i = 0; i < 2000; ++i) cache.Add(Word(i), L"old", true);
  cache.Add(Word(0), L"new", true);
  EXPECT_EQ(Lookup(cache, Word(0)), L"new");
  EXPECT_EQ(cache.size(), 2000u);
  cache.Add(L"fresh", L"f", true);
  EXPECT_EQ(Lookup(cache, Word(0)), L"<none>");  // still the first to go
  EXPECT_EQ(Lookup(cache, Word(1)), L"old");
  EXPECT_EQ(Lookup(cache, L"fresh"), L"f");
}

TEST(UserCacheTest, WithoutOverwriteTheStoredWordStays) {
  UserCache cache;
  cache.Add(L"ghar", L"A", true);
  cache.Add(L"ghar", L"B", false);
  EXPECT_EQ(Lookup(cache, L"ghar"), L"A");
  cache.Add(L"ghar", L"C", true);
  EXPECT_EQ(Lookup(cache, L"ghar"), L"C");
  EXPECT_EQ(cache.size(), 1u);
}

TEST(UserCacheTest, SpacesAreRemovedFromTheKeyAndCaseIsKept) {
  UserCache cache;
  cache.Add(L" na mas te ", L"N", true);
  EXPECT_EQ(Lookup(cache, L"namaste"), L"N");
  cache.Add(L"namaste", L"M", false);
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_EQ(Lookup(cache, L"namaste"), L"N");
  cache.Add(L"Namaste", L"U", true);
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_EQ(Lookup(cache, L"Namaste"), L"U");
}

TEST(UserCacheTest, EmptyKeysAndNativeWordsAreNotRecorded) {
  UserCache cache;
  cache.Add(L"", L"x", true);
  cache.Add(L"   ", L"x", true);
  cache.Add(L"word", L"", true);
  EXPECT_EQ(cache.size(), 0u);
}

TEST(UserCacheTest, ClearingEmptiesTheOrderToo) {
  UserCache cache;
  for (int i = 0; i < 2000; ++i) cache.Add(Word(i), L"n", true);
  cache.Clear();
  EXPECT_EQ(cache.size(), 0u);
  for (int i = 0; i < 2000; ++i) cache.Add(L"new" + Word(i), L"n", true);
  EXPECT_EQ(cache.size(), 2000u);
  EXPECT_EQ(Lookup(cache, L"neww0"), L"n");  // nothing evicted
  cache.Add(L"one more", L"n", true);
  EXPECT_EQ(Lookup(cache, L"neww0"), L"<none>");
  EXPECT_EQ(Lookup(cache, L"neww1"), L"n");
}

TEST(UserCacheTest, ListsEveryPairOnce) {
  UserCache cache;
  cache.Add(L"a", L"1", true);
  cache.Add(L"b", L"2", true);
  cache.Add(L"a", L"3", true);
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  cache.List(&pairs);
  std::sort(pairs.begin(), pairs.end());
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0], std::make_pair(std::wstring(L"a"), std::wstring(L"3")));
  EXPECT_EQ(pairs[1], std::make_pair(std::wstring(L"b"), std::wstring(L"2")));
}

}  // namespace
}  // namespace ime_t13n
