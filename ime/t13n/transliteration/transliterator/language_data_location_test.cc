#include "ime/t13n/transliteration/transliterator/language_data_location.h"

#include <string>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

TEST(LanguageDataLocationTest, OneTrailingBackslashIsCut) {
  EXPECT_EQ(LanguageDataFolder(L"C:\\Data", "hi"), "C:\\Data\\hi");
  EXPECT_EQ(LanguageDataFolder(L"C:\\Data\\", "hi"), "C:\\Data\\hi");
  EXPECT_EQ(LanguageDataFolder(L"C:\\Data\\\\", "hi"), "C:\\Data\\\\hi");
  EXPECT_EQ(LanguageDataFolder(L"C:\\\x0926", "hi"), "C:\\\xE0\xA4\xA6\\hi");
}

TEST(LanguageDataLocationTest, EmptyOrOverlongValuesGiveNoFolder) {
  EXPECT_EQ(LanguageDataFolder(L"", "hi"), "");
  const std::wstring longest(kMaxDataPathLength, L'x');
  EXPECT_EQ(LanguageDataFolder(longest, "hi").size(), longest.size() + 3);
  EXPECT_EQ(LanguageDataFolder(longest + L"\\", "hi"), "");
}

}  // namespace
}  // namespace ime_t13n
