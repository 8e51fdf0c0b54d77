// Controls of a dialog or window taken over by an object of ours, and the
// reflection of the notifications a control sends to its parent back to
// the control itself, so that the control's class handles its own colours,
// drawing and commands.
//
// The parent's message map calls ReflectNotifications first; a reflected
// message arrives at the control as kReflectedMessageBase + the message
// (a WM_CTLCOLORSTATIC as 0x2138). A control that does not handle a
// reflected message gets the parent's default processing of it.
#ifndef IME_SHARED_BASE_CONTROL_SUBCLASS_H_
#define IME_SHARED_BASE_CONTROL_SUBCLASS_H_

#include <windows.h>

#include "ime/shared/base/window_impl.h"

namespace ime_shared {
namespace base {

constexpr UINT kReflectedMessageBase = 0x2000;

// Base of a control taken over from its own window procedure. The derived
// class writes ProcessWindowMessage; what it does not handle reaches the
// control's own procedure.
class SubclassedControl : public WindowBase {
 public:
  // Binds this object to |control| (a window of this thread). False when it
  // is bound already or the control belongs to another object.
  bool Subclass(HWND control) { return SubclassWindow(control); }
  // Binds this object to the child |id| of |dialog|.
  bool SubclassDialogItem(HWND dialog, int id) { return SubclassWindow(::GetDlgItem(dialog, id)); }
  // Gives the control its own procedure back; returns it.
  HWND Unsubclass() { return UnsubclassWindow(); }
};

// For a parent's message map: sends a notification of a control (colours,
// commands, notifications, owner drawing, scrolling, item messages) back to
// that control when it is bound to an object of this module, and returns
// true with the control's answer in |result|. False for other messages and
// other controls, which the parent then handles as usual.
bool ReflectNotifications(HWND parent, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_CONTROL_SUBCLASS_H_
