// The character picker's layout of one language: its key labels, its name
// and its grid. The engine factory builds one per language for each engine.
#ifndef IME_T13N_FRONTEND_SOFT_KEYBOARD_LAYOUT_H_
#define IME_T13N_FRONTEND_SOFT_KEYBOARD_LAYOUT_H_

namespace ime_t13n {

struct SoftKeyboardLayout {
  static constexpr int kMaxKeys = 77;
  static constexpr int kLabelUnits = 5;  // up to 4 units and a terminator
  static constexpr int kNameUnits = 20;

  wchar_t labels[kMaxKeys][kLabelUnits];  // slots beyond the labels empty
  wchar_t name[kNameUnits];               // upper case, terminated
  int rows;
  int columns;                            // rows x columns labels
  int layout_index;                       // language index 0..18
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_SOFT_KEYBOARD_LAYOUT_H_
