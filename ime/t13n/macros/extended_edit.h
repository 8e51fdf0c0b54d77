// The in-place edit box of the macro grid. The list view creates its label
// edit box over column 0 (hidden, zero wide) and moves it there after it
// has told the grid that the edit begins; this control keeps the box on the
// cell that is really being edited.
#ifndef IME_T13N_MACROS_EXTENDED_EDIT_H_
#define IME_T13N_MACROS_EXTENDED_EDIT_H_

#include <windows.h>

#include "ime/shared/base/control_subclass.h"

namespace ime_t13n {

class ExtendedEdit : public ime_shared::base::SubclassedControl {
 public:
  ExtendedEdit() = default;

  // Where every move of the box puts its top-left corner, in the client
  // coordinates of its parent (the list view).
  void set_position(POINT position) { position_ = position; }
  POINT position() const { return position_; }

  // On WM_WINDOWPOSCHANGING the position is replaced and the size kept;
  // everything else reaches the edit box's own procedure.
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam,
                            LPARAM lparam, LRESULT& result) override;

 private:
  POINT position_ = {0, 0};
};

}  // namespace ime_t13n

#endif  // IME_T13N_MACROS_EXTENDED_EDIT_H_
