// The check every cell edit of the macro grid passes before it is stored:
// each saved entry must be one macro text and one macro target that the
// input method can split at the single space between them.
#ifndef IME_T13N_MACROS_MACROS_VALIDATOR_H_
#define IME_T13N_MACROS_MACROS_VALIDATOR_H_

#include <string>

namespace ime_t13n {

// What the grid knows of a validator.
class ListEditValidator {
 public:
  // Answers of Validate.
  enum Result {
    kNotChecked = 0,  // a column the validator does not check
    kInvalid = 1,     // |message| tells why
    kValid = 2,
  };

  virtual ~ListEditValidator() = default;

  // Checks |new_text| for the cell (|row|, |column|); |old_text| is the
  // cell's text before the edit. Sets |message| when the answer is kInvalid.
  virtual int Validate(int row, int column, const std::wstring& old_text,
                       const std::wstring& new_text,
                       std::wstring* message) const = 0;
};

// The macros' rules: column 1 holds the macro text (1 to 100 letters and
// digits of ASCII), column 2 the macro target (1 to 50 UTF-16 units, no
// space). Other columns are not checked.
class MacrosValidator : public ListEditValidator {
 public:
  static constexpr int kMacroTextColumn = 1;
  static constexpr int kMacroTargetColumn = 2;
  static constexpr size_t kMaxMacroTextUnits = 100;
  static constexpr size_t kMaxMacroTargetUnits = 50;

  int Validate(int row, int column, const std::wstring& old_text,
               const std::wstring& new_text,
               std::wstring* message) const override;
};

// The characters a macro text may hold, 62 of them.
extern const wchar_t kMacroTextAlphabet[];

}  // namespace ime_t13n

#endif  // IME_T13N_MACROS_MACROS_VALIDATOR_H_
