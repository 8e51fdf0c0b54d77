#include "ime/t13n/macros/extended_edit.h"

namespace ime_t13n {

bool ExtendedEdit::ProcessWindowMessage(HWND window, UINT message,
                                        WPARAM wparam, LPARAM lparam,
                                        LRESULT& result) {
  if (message == WM_WINDOWPOSCHANGING && lparam != 0) {
    auto* position = reinterpret_cast<WINDOWPOS*>(lparam);
    position->x = position_.x;
    position->y = position_.y;
  }
  // The edit box still needs its own handling of every message.
  return false;
}

}  // namespace ime_t13n
