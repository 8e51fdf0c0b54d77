#include "ime/t13n/transliteration/transliterator/greek_case.h"

#include <windows.h>

#include <set>
#include <string>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

TEST(GreekCaseTest, UpperCasesGreekLettersWithTonos) {
  std::wstring text = L"\x03B1\x03B2\x03AC\x03C9\x03CE";
  GreekUpperCase(&text);
  EXPECT_EQ(text, L"\x0391\x0392\x0386\x03A9\x038F");
}

TEST(GreekCaseTest, LeavesSymbolVariantsAndOtherScriptsAlone) {
  // Final sigma, curled beta, theta symbol, phi and pi symbols, kappa and
  // rho symbols, lunate epsilon, yot, ypogegrammeni, dei; then Latin,
  // Devanagari and capitals.
  const std::wstring kept =
      L"\x03C2\x03D0\x03D1\x03D5\x03D6\x03F0\x03F1\x03F5\x03F3\x0345\x03EF"
      L"az\x0915\x0391";
  std::wstring text = kept;
  GreekUpperCase(&text);
  EXPECT_EQ(text, kept);
}

TEST(GreekCaseTest, CoversTheWholeBlockWithFiftyFourMappings) {
  int mapped = 0;
  for (wchar_t u = 0x0300; u <= 0x03FF; ++u) {
    if (GreekUpperCaseUnit(u) != u) ++mapped;
  }
  EXPECT_EQ(mapped, 54);
  EXPECT_EQ(GreekUpperCaseUnit(0x0371), 0x0370);
  EXPECT_EQ(GreekUpperCaseUnit(0x037B), 0x03FD);
  EXPECT_EQ(GreekUpperCaseUnit(0x03F2), 0x03F9);
  EXPECT_EQ(GreekUpperCaseUnit(0x03FB), 0x03FA);
  EXPECT_EQ(GreekUpperCaseUnit(0x02FF), 0x02FF);
  EXPECT_EQ(GreekUpperCaseUnit(0x0400), 0x0400);
}

// The table agrees with the system's own upper-casing for every unit of the
// block, apart from the symbol variants that it leaves alone on purpose.
TEST(GreekCaseTest, AgreesWithTheSystemOutsideTheExceptions) {
  const std::set<wchar_t> exceptions = {0x0345, 0x03C2, 0x03D0, 0x03D1,
                                        0x03D5, 0x03D6, 0x03EF, 0x03F0,
                                        0x03F1, 0x03F3, 0x03F5};
  for (wchar_t u = 0x0300; u <= 0x03FF; ++u) {
    if (exceptions.count(u) != 0) continue;
    wchar_t system = u;
    ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, &u, 1, &system, 1);
    EXPECT_EQ(GreekUpperCaseUnit(u), system) << std::hex << u;
  }
}

TEST(GreekCaseTest, FirstOnlyChangesTheFirstUnit) {
  std::wstring text = L"\x03B1\x03B2";
  GreekUpperCaseFirst(&text);
  EXPECT_EQ(text, L"\x0391\x03B2");
  std::wstring empty;
  GreekUpperCaseFirst(&empty);
  EXPECT_EQ(empty, L"");
}

}  // namespace
}  // namespace ime_t13n
