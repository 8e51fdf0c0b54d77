#include "ime/t13n/transliteration/transliterator/macro_table.h"

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

std::wstring Expand(const MacroTable& macros, const std::wstring& name) {
  const std::wstring* expansion = macros.Find(name);
  return expansion != nullptr ? *expansion : L"<none>";
}

TEST(MacroTableTest, TheFirstExpansionOfANameWins) {
  MacroTable macros;
  macros.Add(L"brb", L"first");
  macros.Add(L"brb", L"second");
  EXPECT_EQ(Expand(macros, L"brb"), L"first");
  EXPECT_EQ(macros.size(), 1u);
}

TEST(MacroTableTest, NamesMatchExactlyWithCase) {
  MacroTable macros;
  macros.Add(L"Tq", L"x");
  EXPECT_EQ(Expand(macros, L"Tq"), L"x");
  EXPECT_EQ(Expand(macros, L"tq"), L"<none>");
  EXPECT_EQ(Expand(macros, L"Tq "), L"<none>");
}

TEST(MacroTableTest, ClearingAllowsANewFirstExpansion) {
  MacroTable macros;
  macros.Add(L"a", L"1");
  macros.Clear();
  EXPECT_EQ(Expand(macros, L"a"), L"<none>");
  macros.Add(L"a", L"2");
  EXPECT_EQ(Expand(macros, L"a"), L"2");
}

}  // namespace
}  // namespace ime_t13n
