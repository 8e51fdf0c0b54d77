#include "ime/t13n/transliteration/transliterator/word_chars.h"

#include <string>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

TEST(WordCharsTest, OneUnitAsAString) {
  const std::wstring word = L"k\x0915t";
  EXPECT_EQ(L"\x0915", CharAtAsString(word, 1));
  EXPECT_EQ(L"", CharAtAsString(word, 3));
  EXPECT_EQ(L"", CharAtAsString(word, -1));
  EXPECT_EQ(L"k", FirstCharAsString(word));
  EXPECT_EQ(L"t", LastCharAsString(word));
  EXPECT_EQ(L"", FirstCharAsString(L""));
  EXPECT_EQ(L"", LastCharAsString(L""));
}

TEST(WordCharsTest, LatinLettersByClass) {
  for (wchar_t c = L'a'; c <= L'z'; ++c) {
    const wchar_t upper = static_cast<wchar_t>(c - L'a' + L'A');
    const bool vowel = std::wstring(L"aeiou").find(c) != std::wstring::npos;
    for (wchar_t unit : {c, upper}) {
      EXPECT_TRUE(IsAsciiLetter(unit)) << unit;
      EXPECT_EQ(vowel, IsAsciiVowelLetter(unit)) << unit;
      EXPECT_EQ(!vowel, IsAsciiConsonantLetter(unit)) << unit;
    }
    EXPECT_FALSE(IsAsciiUpperCaseLetter(c)) << c;
    EXPECT_TRUE(IsAsciiUpperCaseLetter(upper)) << upper;
  }
  // y counts as a consonant letter.
  EXPECT_TRUE(IsAsciiConsonantLetter(L'y'));
  EXPECT_TRUE(IsAsciiConsonantLetter(L'Y'));
  // The neighbours of the letter ranges, digits and separators.
  for (wchar_t unit : {L'@', L'[', L'`', L'{', L'0', L'9', L'\'', L' ',
                       static_cast<wchar_t>(0)}) {
    EXPECT_FALSE(IsAsciiLetter(unit)) << static_cast<int>(unit);
    EXPECT_FALSE(IsAsciiVowelLetter(unit)) << static_cast<int>(unit);
    EXPECT_FALSE(IsAsciiConsonantLetter(unit)) << static_cast<int>(unit);
    EXPECT_FALSE(IsAsciiUpperCaseLetter(unit)) << static_cast<int>(unit);
  }
}

TEST(WordCharsTest, UnitsAboveLatinOneAreNoLettersWhateverTheirLowByte) {
  // Each low byte is that of a Latin letter: a, A, e, i, t, T, A, E, k, y.
  const wchar_t units[] = {0x0161, 0x0141, 0x0965, 0x0169, 0x0174,
                           0x0154, 0xFF41, 0xFF45, 0x096B, 0x0179};
  for (wchar_t unit : units) {
    EXPECT_FALSE(IsAsciiLetter(unit)) << std::hex << static_cast<int>(unit);
    EXPECT_FALSE(IsAsciiVowelLetter(unit))
        << std::hex << static_cast<int>(unit);
    EXPECT_FALSE(IsAsciiConsonantLetter(unit))
        << std::hex << static_cast<int>(unit);
    EXPECT_FALSE(IsAsciiUpperCaseLetter(unit))
        << std::hex << static_cast<int>(unit);
  }
  // Latin-1 letters are no ASCII letters either.
  EXPECT_FALSE(IsAsciiLetter(0x00E1));
  EXPECT_FALSE(IsAsciiVowelLetter(0x00C9));
}

}  // namespace
}  // namespace ime_t13n
