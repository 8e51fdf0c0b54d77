#include "ime/shared/scramble.h"

#include <set>
#include <string>

#include "gtest/gtest.h"

namespace ime_shared {
namespace {

std::wstring Scrambled(std::wstring text) {
  ScrambleString(&text);
  return text;
}

TEST(ScrambleTest, IsItsOwnInverse) {
  for (size_t length : {0, 1, 9, 10, 11, 25}) {
    std::wstring text;
    for (size_t i = 0; i < length; ++i) {
      text.push_back(static_cast<wchar_t>(0x0915 + i));
    }
    const std::wstring once = Scrambled(text);
    if (length > 0) {
      EXPECT_NE(once, text) << length;
    }
    EXPECT_EQ(once.size(), length);
    EXPECT_EQ(Scrambled(once), text) << length;
  }
}

TEST(ScrambleTest, EmptyStringIsUnchanged) {
  EXPECT_EQ(Scrambled(L""), L"");
}

// A string of zeros scrambles to the key entries it was combined with.
std::wstring Zeros(size_t n) { return std::wstring(n, L'\0'); }

TEST(ScrambleTest, StartingKeyEntryDependsOnLength) {
  for (size_t length : {10, 20}) {
    const std::wstring s = Scrambled(Zeros(length));
    for (size_t i = 0; i < length; ++i) {
      EXPECT_EQ(static_cast<uint16_t>(s[i]), kScrambleKey[i % 10]) << length;
    }
  }
  const std::wstring thirteen = Scrambled(Zeros(13));
  for (size_t i = 0; i < 13; ++i) {
    EXPECT_EQ(static_cast<uint16_t>(thirteen[i]), kScrambleKey[(3 + i) % 10]);
  }
  EXPECT_EQ(static_cast<uint16_t>(Scrambled(Zeros(1))[0]), kScrambleKey[1]);
}

TEST(ScrambleTest, SameTextScramblesDifferentlyAtOtherLengths) {
  const std::wstring a = Scrambled(L"ab");
  const std::wstring b = Scrambled(L"abc");
  EXPECT_NE(a[0], b[0]);
}

TEST(ScrambleTest, HandlesEveryUnitValueIncludingNul) {
  std::wstring text;
  for (uint32_t v : {0u, 1u, 0xD800u, 0xDFFFu, 0xFFFFu, 0x0915u}) {
    text.push_back(static_cast<wchar_t>(v));
  }
  EXPECT_EQ(Scrambled(Scrambled(text)), text);
}

TEST(ScrambleTest, KeyEntriesAreDistinctAndNonZero) {
  std::set<uint16_t> entries(kScrambleKey, kScrambleKey + kScrambleKeyLength);
  EXPECT_EQ(entries.size(), 10u);
  EXPECT_EQ(entries.count(0), 0u);
}

}  // namespace
}  // namespace ime_shared
