#include "ime/t13n/macros/macros_validator.h"

#include <string>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

struct Case {
  const char* what;
  int column;
  std::wstring text;
  int result;
  const wchar_t* message;  // expected when the result is kInvalid
};

constexpr int kNotChecked = ListEditValidator::kNotChecked;
constexpr int kInvalid = ListEditValidator::kInvalid;
constexpr int kValid = ListEditValidator::kValid;

const wchar_t kTextEmpty[] = L"Macro text should not be empty";
const wchar_t kTextLong[] = L"Macro text should not exceed 100 characters";
const wchar_t kTextChars[] = L"Only alpha-numeric characters allowed as macro-text";
const wchar_t kTargetEmpty[] = L"Macro target should not be empty";
const wchar_t kTargetLong[] = L"Macro target should not exceed 50 characters";
const wchar_t kTargetChars[] = L"Macro target contains invalid characters";

TEST(MacrosValidatorTest, EveryRuleInItsOrder) {
  const std::wstring devanagari_50(50, L'\x0915');
  const Case cases[] = {
      // Column 1: the macro text.
      {"a word of letters and digits", 1, L"nmst42", kValid, nullptr},
      {"the whole alphabet", 1, kMacroTextAlphabet, kValid, nullptr},
      {"100 letters", 1, std::wstring(100, L'a'), kValid, nullptr},
      {"empty", 1, L"", kInvalid, kTextEmpty},
      {"101 letters", 1, std::wstring(101, L'a'), kInvalid, kTextLong},
      {"101 units with a space: the length comes first", 1,
       std::wstring(50, L'a') + L" " + std::wstring(50, L'b'), kInvalid, kTextLong},
      {"underscore", 1, L"a_b", kInvalid, kTextChars},
      {"hyphen", 1, L"a-b", kInvalid, kTextChars},
      {"space", 1, L"a b", kInvalid, kTextChars},
      {"lone space", 1, L" ", kInvalid, kTextChars},
      {"Devanagari letter", 1, L"ab\x0915", kInvalid, kTextChars},
      {"accented Latin letter", 1, L"caf\x00E9", kInvalid, kTextChars},
      {"NUL inside", 1, std::wstring(L"a\0b", 3), kInvalid, kTextChars},
      // Column 2: the macro target, counted in UTF-16 units.
      {"Devanagari word", 2, L"\x0928\x092E\x0938\x094D\x0924\x0947", kValid, nullptr},
      {"punctuation", 2, L"a,b.c!-_", kValid, nullptr},
      {"50 units", 2, devanagari_50, kValid, nullptr},
      {"a tab but no space", 2, L"a\tb", kValid, nullptr},
      {"a surrogate pair counts two units", 2,
       std::wstring(48, L'x') + L"\xD83D\xDE00", kValid, nullptr},
      {"empty", 2, L"", kInvalid, kTargetEmpty},
      {"51 units", 2, devanagari_50 + L"x", kInvalid, kTargetLong},
      {"51 units with a surrogate pair", 2, std::wstring(49, L'x') + L"\xD83D\xDE00",
       kInvalid, kTargetLong},
      {"lone space", 2, L" ", kInvalid, kTargetChars},
      {"space inside", 2, L"\x0915 \x0916", kInvalid, kTargetChars},
      // Columns the validator does not check.
      {"column 0", 0, L"anything", kNotChecked, nullptr},
      {"column 3", 3, L"anything", kNotChecked, nullptr},
      {"column 0, empty", 0, L"", kNotChecked, nullptr},
      {"column -1", -1, L"a b", kNotChecked, nullptr},
  };

  MacrosValidator validator;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + " in column " + std::to_string(c.column));
    std::wstring message = L"untouched";
    // The row and the old text play no part.
    for (int row : {0, 7}) {
      EXPECT_EQ(validator.Validate(row, c.column, L"old text", c.text, &message), c.result);
      if (c.result == kInvalid) {
        EXPECT_EQ(message, c.message);
      } else {
        EXPECT_EQ(message, L"untouched");
      }
    }
  }
}

TEST(MacrosValidatorTest, AlphabetIsTheSixtyTwoLettersAndDigits) {
  const std::wstring alphabet = kMacroTextAlphabet;
  EXPECT_EQ(alphabet.size(), 62u);
  EXPECT_EQ(alphabet, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890");
}

}  // namespace
}  // namespace ime_t13n
