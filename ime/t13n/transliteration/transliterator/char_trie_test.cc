#include "ime/t13n/transliteration/transliterator/char_trie.h"

#include <memory>
#include <string>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

TEST(CharTrieTest, InsertKeepsTheFirstValueOfAKey) {
  CharTrie root;
  EXPECT_TRUE(CharTrie::Insert(&root, L"ka", L"\u0915\u093E"));
  EXPECT_TRUE(CharTrie::Insert(&root, L"k", L"\u0915"));
  EXPECT_FALSE(CharTrie::Insert(&root, L"ka", L"other"));
  EXPECT_TRUE(CharTrie::Insert(&root, L"", L"root value"));
  EXPECT_FALSE(CharTrie::Insert(&root, L"", L"again"));

  std::wstring value;
  EXPECT_EQ(CharTrie::LongestMatch(&root, L"ka", &value), 2u);
  EXPECT_EQ(value, L"\u0915\u093E");
  EXPECT_EQ(CharTrie::LongestMatch(&root, L"", &value), 0u);
  EXPECT_EQ(value, L"root value");
}

TEST(CharTrieTest, LongestMatchStopsWhereTheTrieEndsWithoutSteppingBack) {
  CharTrie root;
  ASSERT_TRUE(CharTrie::Insert(&root, L"ab", L"X"));
  ASSERT_TRUE(CharTrie::Insert(&root, L"abcd", L"Y"));
  std::wstring value = L"stale";

  EXPECT_EQ(CharTrie::LongestMatch(&root, L"abcd", &value), 4u);
  EXPECT_EQ(value, L"Y");
  // The walk ends on the valueless node of "abc": the value of "ab" is not
  // taken back.
  EXPECT_EQ(CharTrie::LongestMatch(&root, L"abce", &value), 3u);
  EXPECT_EQ(value, L"");
  EXPECT_EQ(CharTrie::LongestMatch(&root, L"abx", &value), 2u);
  EXPECT_EQ(value, L"X");
  EXPECT_EQ(CharTrie::LongestMatch(&root, L"zz", &value), 0u);
  EXPECT_EQ(value, L"");
}

TEST(CharTrieTest, ChildMakesAnEmptySlotThatFindChildDoesNotSee) {
  CharTrie root;
  std::unique_ptr<CharTrie>& slot = CharTrie::Child(&root, L'q');
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(root.FindChild(L'q'), nullptr);
  std::wstring value;
  EXPECT_EQ(CharTrie::LongestMatch(&root, L"q", &value), 0u);

  slot = std::make_unique<CharTrie>();
  EXPECT_EQ(root.FindChild(L'q'), slot.get());
  EXPECT_EQ(&CharTrie::Child(&root, L'q'), &slot);
}

// Rule sources come from user files and have no length limit: a key far
// deeper than any stack must insert, match and be destroyed.
TEST(CharTrieTest, HandlesKeysOfAnyLength) {
  const std::wstring key(300000, L'a');
  auto root = std::make_unique<CharTrie>();
  ASSERT_TRUE(CharTrie::Insert(root.get(), key, L"long"));
  std::wstring value;
  EXPECT_EQ(CharTrie::LongestMatch(root.get(), key + L"b", &value),
            key.size());
  EXPECT_EQ(value, L"long");
  root.reset();
}

}  // namespace
}  // namespace ime_t13n
