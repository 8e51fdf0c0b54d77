#include "ime/t13n/transliteration/transliterator/native_digits.h"

#include <string>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

TEST(NativeDigitsTest, IndicScriptsUseTheirOwnDigitBlock) {
  const struct {
    const char* code;
    wchar_t zero;
  } rows[] = {{"hi", 0x0966}, {"mr", 0x0966}, {"ne", 0x0966}, {"sa", 0x0966},
              {"bn", 0x09E6}, {"pa", 0x0A66}, {"gu", 0x0AE6}, {"ta", 0x0BE6},
              {"te", 0x0C66}, {"kn", 0x0CE6}, {"ml", 0x0D66}, {"ar", 0x0660},
              {"fa", 0x0660}, {"ur", 0x0660}};
  for (const auto& row : rows) {
    const std::wstring digits = NativeDigitsForLanguage(row.code);
    ASSERT_EQ(digits.size(), 10u) << row.code;
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(digits[i], static_cast<wchar_t>(row.zero + i)) << row.code;
    }
  }
}

TEST(NativeDigitsTest, ScriptsWithoutZeroKeepTheLatinZero) {
  EXPECT_EQ(std::wstring(NativeDigitsForLanguage("am")),
            L"0\x1369\x136A\x136B\x136C\x136D\x136E\x136F\x1370\x1371");
  EXPECT_EQ(std::wstring(NativeDigitsForLanguage("ti")),
            NativeDigitsForLanguage("am"));
  EXPECT_EQ(std::wstring(NativeDigitsForLanguage("el")),
            L"0\x0391\x0392\x0393\x0394\x0395\x03DD\x0396\x0397\x0398");
}

TEST(NativeDigitsTest, OtherLanguagesKeepLatinDigits) {
  for (const char* code : {"ru", "sr", "", "xx", "HI", "hi "}) {
    EXPECT_EQ(std::wstring(NativeDigitsForLanguage(code)), L"0123456789")
        << code;
  }
}

}  // namespace
}  // namespace ime_t13n
