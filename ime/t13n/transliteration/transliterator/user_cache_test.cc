#include "ime/t13n/transliteration/transliterator/user_cache.h"

#include <cstdint>
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

using Pairs = std::vector<UserCache::Entry>;

Pairs Listed(const UserCache& cache) {
  Pairs pairs;
  cache.List(&pairs);
  return pairs;
}

TEST(UserCacheTest, ListsEveryPairOnceOldestFirst) {
  UserCache cache;
  // Enough words that a hash map's own order would not match by chance.
  for (int i = 0; i < 50; ++i) cache.Add(Word(i), L"n" + Word(i), true);
  cache.Add(Word(0), L"renewed", true);  // keeps its place
  cache.Add(L"w 7", L"x", false);        // the same key, nothing changes
  Pairs expected;
  for (int i = 0; i < 50; ++i) {
    expected.emplace_back(Word(i), i == 0 ? L"renewed" : L"n" + Word(i));
  }
  EXPECT_EQ(Listed(cache), expected);

  // Listing appends.
  Pairs pairs = {{L"kept", L"k"}};
  cache.List(&pairs);
  ASSERT_EQ(pairs.size(), 51u);
  EXPECT_EQ(pairs[0].first, L"kept");
  EXPECT_EQ(pairs[1].first, Word(0));
}

TEST(UserCacheTest, ListingAndAddingBackKeepsWhoGoesFirst) {
  // What a save and a load in a new process do: the next word to go is
  // still the oldest one.
  UserCache first;
  for (int i = 0; i < 2000; ++i) first.Add(Word(i), L"n", true);
  UserCache reloaded;
  reloaded.MergeOlder(Listed(first));
  EXPECT_EQ(Listed(reloaded), Listed(first));
  reloaded.Add(L"fresh", L"f", true);
  EXPECT_EQ(Lookup(reloaded, Word(0)), L"<none>");
  EXPECT_EQ(Lookup(reloaded, Word(1)), L"n");
  EXPECT_EQ(Lookup(reloaded, L"fresh"), L"f");
}

TEST(UserCacheTest, MergedOlderWordsGoBeforeTheHeldOnes) {
  UserCache cache;
  cache.Add(L"b", L"held b", true);
  cache.Add(L"x", L"held x", true);
  cache.Add(L"c", L"held c", true);
  // Read from a file: "x" is held already and keeps its native word and
  // place; a repeated word counts once, the first time; keys lose their
  // spaces; empty words are ignored.
  cache.MergeOlder({{L"a", L"file a"},
                    {L"x", L"file x"},
                    {L"d d", L"file d"},
                    {L"a", L"file a again"},
                    {L"", L"nothing"},
                    {L"e", L""}});
  EXPECT_EQ(Listed(cache), (Pairs{{L"a", L"file a"},
                                  {L"dd", L"file d"},
                                  {L"b", L"held b"},
                                  {L"x", L"held x"},
                                  {L"c", L"held c"}}));
  // Merging nothing new changes nothing.
  cache.MergeOlder({{L"c", L"other"}});
  EXPECT_EQ(Listed(cache).size(), 5u);
  EXPECT_EQ(Lookup(cache, L"c"), L"held c");
}

TEST(UserCacheTest, MergeKeepsTheNewestTwoThousand) {
  // 1500 words held here, 1500 others from the file: the file's first 1000
  // go, the held words all stay, and the order goes on from there.
  UserCache cache;
  for (int i = 0; i < 1500; ++i) cache.Add(L"h" + Word(i), L"n", true);
  Pairs file;
  for (int i = 0; i < 1500; ++i) file.emplace_back(L"f" + Word(i), L"n");
  cache.MergeOlder(file);
  const Pairs listed = Listed(cache);
  ASSERT_EQ(listed.size(), 2000u);
  EXPECT_EQ(cache.size(), 2000u);
  EXPECT_EQ(listed.front().first, L"fw1000");
  EXPECT_EQ(listed[499].first, L"fw1499");
  EXPECT_EQ(listed[500].first, L"hw0");
  EXPECT_EQ(listed.back().first, L"hw1499");
  EXPECT_EQ(Lookup(cache, L"fw999"), L"<none>");
  cache.Add(L"newest", L"n", true);
  EXPECT_EQ(Lookup(cache, L"fw1000"), L"<none>");
  EXPECT_EQ(Lookup(cache, L"fw1001"), L"n");

  // On an empty cache a merge is adding in order without overwriting.
  UserCache merged;
  UserCache added;
  const Pairs pairs = {{L"a", L"1"}, {L"b", L"2"}, {L"a", L"3"}};
  merged.MergeOlder(pairs);
  for (const auto& pair : pairs) added.Add(pair.first, pair.second, false);
  EXPECT_EQ(Listed(merged), Listed(added));
}

// The count that decides whether the file needs writing moves exactly when
// the words do.
TEST(UserCacheTest, TheChangeCountMovesOnlyWithTheWords) {
  UserCache cache;
  uint64_t seen = cache.changes();
  auto changed = [&]() {
    const bool moved = cache.changes() != seen;
    seen = cache.changes();
    return moved;
  };
  cache.Clear();
  EXPECT_FALSE(changed());
  cache.Add(L"kal", L"a", true);
  EXPECT_TRUE(changed());
  // The same choice again, a refused overwrite, empty words: nothing new.
  cache.Add(L"kal", L"a", true);
  cache.Add(L"k al", L"a", true);
  cache.Add(L"kal", L"b", false);
  cache.Add(L"", L"x", true);
  cache.Add(L"x", L"", true);
  EXPECT_FALSE(changed());
  cache.Add(L"kal", L"b", true);
  EXPECT_TRUE(changed());
  cache.MergeOlder({{L"kal", L"c"}});
  EXPECT_FALSE(changed());
  cache.MergeOlder({{L"aaj", L"d"}});
  EXPECT_TRUE(changed());
  // The oldest word going for a new one is a change as well.
  for (int i = 0; i < 2000; ++i) cache.Add(Word(i), L"n", true);
  changed();
  cache.Add(Word(0), L"n", true);
  EXPECT_FALSE(changed());
  cache.Add(L"fresh", L"f", true);
  EXPECT_TRUE(changed());
  cache.Clear();
  EXPECT_TRUE(changed());
}

}  // namespace
}  // namespace ime_t13n
