#include "ime/t13n/transliteration/transliterator/user_cache.h"

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
  reloaded.MergeFile(Listed(first));
  EXPECT_EQ(Listed(reloaded), Listed(first));
  EXPECT_FALSE(reloaded.has_changes());
  reloaded.Add(L"fresh", L"f", true);
  EXPECT_EQ(Lookup(reloaded, Word(0)), L"<none>");
  EXPECT_EQ(Lookup(reloaded, Word(1)), L"n");
  EXPECT_EQ(Lookup(reloaded, L"fresh"), L"f");
}

// Another process wrote the file after this one last read it: it corrected
// a word, dropped one and learned one. The file's words come in its order,
// with this process's own corrections and new words put in.
TEST(UserCacheTest, MergingTheFileKeepsItsOrderAndPutsInTheOwnChanges) {
  UserCache cache;
  cache.Add(L"a", L"held a", true);
  cache.Add(L"g", L"held g", true);
  cache.Add(L"s", L"held s", true);
  cache.ForgetChanges();  // all three are in the file
  cache.Add(L"x", L"mine x", true);
  cache.Add(L"s", L"mine s", true);

  // A repeated word counts the first time; keys lose their spaces; empty
  // words are ignored.
  cache.MergeFile({{L"a", L"file a"},
                   {L"s", L"file s"},
                   {L"d d", L"file d"},
                   {L"a", L"file a again"},
                   {L"", L"nothing"},
                   {L"e", L""}});
  EXPECT_EQ(Listed(cache), (Pairs{{L"a", L"file a"},
                                  {L"s", L"mine s"},
                                  {L"dd", L"file d"},
                                  {L"x", L"mine x"}}));
  Pairs changed;
  cache.ListChanged(&changed);
  EXPECT_EQ(changed, (Pairs{{L"s", L"mine s"}, {L"x", L"mine x"}}));

  // Once written, the file alone decides: a word it dropped goes.
  cache.ForgetChanges();
  cache.MergeFile({{L"dd", L"file d"}, {L"a", L"other a"}});
  EXPECT_EQ(Listed(cache), (Pairs{{L"dd", L"file d"}, {L"a", L"other a"}}));
}

TEST(UserCacheTest, MergingAFullFileDropsTheOldestWords) {
  // The file is full; this process corrected one of its words and learned
  // two: the two oldest words go, the correction stays in its place.
  UserCache cache;
  Pairs file;
  for (int i = 0; i < 2000; ++i) file.emplace_back(Word(i), L"n");
  cache.MergeFile(file);
  cache.Add(Word(5), L"mine", true);
  cache.Add(L"new1", L"m1", true);
  cache.Add(L"new2", L"m2", true);
  cache.MergeFile(file);
  const Pairs listed = Listed(cache);
  ASSERT_EQ(listed.size(), 2000u);
  EXPECT_EQ(listed.front(), (UserCache::Entry{Word(2), L"n"}));
  EXPECT_EQ(listed[3], (UserCache::Entry{Word(5), L"mine"}));
  EXPECT_EQ(listed[1997], (UserCache::Entry{Word(1999), L"n"}));
  EXPECT_EQ(listed.back(), (UserCache::Entry{L"new2", L"m2"}));

  // A correction that becomes the oldest goes like any other word, and no
  // longer counts as changed.
  UserCache oldest;
  oldest.MergeFile(file);
  oldest.Add(Word(0), L"mine", true);
  oldest.Add(L"new", L"m", true);
  Pairs changed;
  oldest.ListChanged(&changed);
  EXPECT_EQ(changed, (Pairs{{L"new", L"m"}}));
}

// Whether the file needs writing: only words learned or corrected here
// count, never words that came from the file.
TEST(UserCacheTest, OnlyLearnedAndCorrectedWordsCountAsChanged) {
  UserCache cache;
  EXPECT_FALSE(cache.has_changes());
  cache.MergeFile({{L"kal", L"a"}, {L"aaj", L"d"}});
  EXPECT_FALSE(cache.has_changes());
  // The same choice again, a refused overwrite, empty words: nothing new.
  cache.Add(L"kal", L"a", true);
  cache.Add(L"k al", L"a", true);
  cache.Add(L"kal", L"b", false);
  cache.Add(L"", L"x", true);
  cache.Add(L"x", L"", true);
  EXPECT_FALSE(cache.has_changes());
  cache.Add(L"kal", L"b", true);
  EXPECT_TRUE(cache.has_changes());
  cache.MergeFile({{L"kal", L"c"}});
  EXPECT_TRUE(cache.has_changes());
  EXPECT_EQ(Lookup(cache, L"kal"), L"b");
  cache.Clear();
  EXPECT_FALSE(cache.has_changes());
  cache.Add(L"naya", L"n", true);
  EXPECT_TRUE(cache.has_changes());
  cache.ForgetChanges();
  EXPECT_FALSE(cache.has_changes());
  EXPECT_EQ(Lookup(cache, L"naya"), L"n");
}

}  // namespace
}  // namespace ime_t13n
