#include "ime/t13n/transliteration/transliterator/top_n.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/temp_dir.h"

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

// Points TMP and TEMP at a folder for the life of the object.
class ScopedTempFolder {
 public:
  explicit ScopedTempFolder(const std::wstring& folder) {
    for (int i = 0; i < 2; ++i) {
      wchar_t old[MAX_PATH];
      const DWORD length = ::GetEnvironmentVariableW(kNames[i], old, MAX_PATH);
      had_[i] = length > 0 && length < MAX_PATH;
      if (had_[i]) old_[i].assign(old, length);
      ::SetEnvironmentVariableW(kNames[i], folder.c_str());
    }
  }
  ~ScopedTempFolder() {
    for (int i = 0; i < 2; ++i) {
      ::SetEnvironmentVariableW(kNames[i], had_[i] ? old_[i].c_str() : nullptr);
    }
  }

 private:
  static constexpr const wchar_t* kNames[2] = {L"TMP", L"TEMP"};
  bool had_[2];
  std::wstring old_[2];
};

// Nothing kept: the check fails at level FATAL, which logs the line, shows
// it and ends the process with code 1.
TEST(TopNTest, BottomOfNothingIsFatal) {
  ime_testing::TempDir dir;
  ScopedTempFolder temp(dir.path());
  std::string output;
  EXPECT_EQ(ime_testing::RunChild(L"top_n_test_child", L"", &output), 1);
  EXPECT_EQ(output.find("continued"), std::string::npos);
  EXPECT_NE(output.find("shown|"), std::string::npos);
  EXPECT_NE(output.find("Check failed: !empty(). "), std::string::npos);
  std::string log;
  ASSERT_TRUE(ime_testing::ReadFileBytes(dir.path() + L"debug.log", &log));
  EXPECT_NE(log.find(":FATAL:top_n.h("), std::string::npos) << log;
  EXPECT_NE(log.find("Check failed: !empty(). "), std::string::npos);
}

}  // namespace
}  // namespace ime_t13n
