#include "ime/t13n/macros/macros_validator.h"

namespace ime_t13n {

const wchar_t kMacroTextAlphabet[] =
    L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890";

namespace {

int Invalid(const wchar_t* why, std::wstring* message) {
  if (message != nullptr) *message = why;
  return ListEditValidator::kInvalid;
}

}  // namespace

int MacrosValidator::Validate(int row, int column, const std::wstring& old_text,
                              const std::wstring& new_text,
                              std::wstring* message) const {
  if (column == kMacroTextColumn) {
    if (new_text.empty()) {
      return Invalid(L"Macro text should not be empty", message);
    }
    if (new_text.size() > kMaxMacroTextUnits) {
      return Invalid(L"Macro text should not exceed 100 characters", message);
    }
    if (new_text.find_first_not_of(kMacroTextAlphabet) != std::wstring::npos) {
      return Invalid(L"Only alpha-numeric characters allowed as macro-text",
                     message);
    }
    return kValid;
  }
  if (column == kMacroTargetColumn) {
    if (new_text.empty()) {
      return Invalid(L"Macro target should not be empty", message);
    }
    if (new_text.size() > kMaxMacroTargetUnits) {
      return Invalid(L"Macro target should not exceed 50 characters", message);
    }
    // The space is what separates the text from the target in the file.
    if (new_text.find(L' ') != std::wstring::npos) {
      return Invalid(L"Macro target contains invalid characters", message);
    }
    return kValid;
  }
  return kNotChecked;
}

}  // namespace ime_t13n
