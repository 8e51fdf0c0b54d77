#include "ime/shared/language_codes.h"

#include <cstring>
#include <set>
#include <string>

#include "gtest/gtest.h"

namespace ime_shared {
namespace {

TEST(LanguageCodesTest, BuildLanguageIsHindiAtRowZero) {
  EXPECT_STREQ(kLanguageCode, "hi");
  EXPECT_EQ(LanguageCodes::IndexOf(), 0);
  EXPECT_STREQ(LanguageCodes::CodeAt(LanguageCodes::IndexOf()), "hi");
}

TEST(LanguageCodesTest, RowsFollowTheTableOrder) {
  const char* const expected[] = {"hi", "ar", "bn", "fa", "el", "gu", "kn",
                                  "ml", "mr", "ne", "pa", "ta", "te", "ur",
                                  "ru", "sr", "sa", "am", "ti"};
  std::set<std::string> distinct;
  for (int i = 0; i < LanguageCodes::kCount; ++i) {
    EXPECT_STREQ(LanguageCodes::CodeAt(i), expected[i]);
    EXPECT_EQ(LanguageCodes::IndexOfCode(expected[i]), i);
    distinct.insert(LanguageCodes::CodeAt(i));
  }
  EXPECT_EQ(distinct.size(), 19u);
  EXPECT_EQ(LanguageCodes::IndexOfCode("ur"), 13);
}

TEST(LanguageCodesTest, UnknownCodesFallBackToRowZero) {
  EXPECT_EQ(LanguageCodes::IndexOfCode("UR"), 0);
  EXPECT_EQ(LanguageCodes::IndexOfCode("HI"), 0);
  EXPECT_EQ(LanguageCodes::IndexOfCode("u"), 0);
  EXPECT_EQ(LanguageCodes::IndexOfCode("urd"), 0);
  EXPECT_EQ(LanguageCodes::IndexOfCode(""), 0);
  EXPECT_EQ(LanguageCodes::IndexOfCode(nullptr), 0);
}

TEST(TextCheckTest, PrintableAsciiBounds) {
  EXPECT_TRUE(IsPrintableAscii(L""));
  EXPECT_TRUE(IsPrintableAscii(L" ~"));
  EXPECT_TRUE(IsPrintableAscii(L"~"));
  EXPECT_TRUE(IsPrintableAscii(L"namaste 123!"));
  EXPECT_FALSE(IsPrintableAscii(L"tab\there"));
  EXPECT_FALSE(IsPrintableAscii(L"\x7F"));
  EXPECT_FALSE(IsPrintableAscii(L"\x1F"));
  EXPECT_FALSE(IsPrintableAscii(L"caf\u00E9"));
  EXPECT_FALSE(IsPrintableAscii(std::wstring(L"a\0b", 3)));
}

TEST(TextCheckTest, DevanagariOrPrintableAscii) {
  EXPECT_TRUE(IsDevanagariOrPrintableAscii(L""));
  EXPECT_TRUE(IsDevanagariOrPrintableAscii(L"\u0964"));
  EXPECT_TRUE(IsDevanagariOrPrintableAscii(L"\u0900\u097F abc"));
  EXPECT_TRUE(IsDevanagariOrPrintableAscii(L"\u0928\u092E\u0938\u094D\u0924\u0947"));
  EXPECT_FALSE(IsDevanagariOrPrintableAscii(L"\u0980"));
  EXPECT_FALSE(IsDevanagariOrPrintableAscii(L"\u08FF"));
  EXPECT_FALSE(IsDevanagariOrPrintableAscii(L"\u00A0"));
  EXPECT_FALSE(IsDevanagariOrPrintableAscii(L"\u0915\t"));
  EXPECT_FALSE(IsDevanagariOrPrintableAscii(L"\xD83D\xDE00"));
}

}  // namespace
}  // namespace ime_shared
