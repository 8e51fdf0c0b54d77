#include "ime/t13n/transliteration/transliterator/top_n.h"

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

template <typename T>
T BottomAfter(size_t limit, const std::vector<T>& values) {
  TopN<T> top(limit);
  for (const T& v : values) top.push(v);
  return top.bottom();
}

TEST(TopNTest, BottomIsTheNthLargestOnceMoreThanNCame) {
  EXPECT_EQ(BottomAfter<int>(3, {5, 1, 4, 2, 3}), 3);
  EXPECT_EQ(BottomAfter<int>(1, {5, 1, 9, 2}), 9);
  EXPECT_EQ(BottomAfter<float>(2, {0.5f, 0.25f, 0.75f}), 0.5f);
}

TEST(TopNTest, BottomIsTheSmallestWhileNoMoreThanNCame) {
  EXPECT_EQ(BottomAfter<int>(3, {5, 1}), 1);
  EXPECT_EQ(BottomAfter<int>(3, {5, 1, 4}), 1);
  EXPECT_EQ(BottomAfter<int>(3, {7}), 7);
}

TEST(TopNTest, EqualValuesAreKeptOnlyWhenThereIsRoom) {
  TopN<int> top(2);
  for (int v : {2, 2, 2}) top.push(v);
  EXPECT_EQ(top.bottom(), 2);
  top.push(2);
  EXPECT_EQ(top.bottom(), 2);
  top.push(3);
  EXPECT_EQ(top.bottom(), 2);  // 3 and one 2 are kept
  top.push(3);
  EXPECT_EQ(top.bottom(), 3);
}

// Asking for the bottom in between must not disturb what comes later:
// the smallest then sits at index 0 and new values arrive around it.
TEST(TopNTest, BottomBetweenPushesKeepsTheSelectionRight) {
  TopN<int> top(3);
  top.push(4);
  top.push(9);
  EXPECT_EQ(top.bottom(), 4);
  top.push(1);  // smaller than the known bottom
  EXPECT_EQ(top.bottom(), 1);
  top.push(7);  // the fourth value: 1 drops out
  EXPECT_EQ(top.bottom(), 4);
  top.push(5);
  EXPECT_EQ(top.bottom(), 5);
  top.push(2);
  EXPECT_EQ(top.bottom(), 5);
}

TEST(TopNTest, AgreesWithSortingOnRandomStreams) {
  std::mt19937 random(12345);
  for (int round = 0; round < 200; ++round) {
    const size_t limit = 1 + random() % 20;
    const size_t count = 1 + random() % 60;
    std::vector<int> values;
    TopN<int> top(limit);
    for (size_t i = 0; i < count; ++i) {
      values.push_back(static_cast<int>(random() % 25));
      top.push(values.back());
      if (random() % 7 == 0) {
        std::vector<int> sorted = values;
        std::sort(sorted.begin(), sorted.end(), std::greater<int>());
        ASSERT_EQ(top.bottom(), sorted[std::min(limit, sorted.size()) - 1]);
      }
    }
    std::sort(values.begin(), values.end(), std::greater<int>());
    ASSERT_EQ(top.bottom(), values[std::min(limit, values.size()) - 1])
        << "limit " << limit << " count " << count;
  }
}

}  // namespace
}  // namespace ime_t13n
