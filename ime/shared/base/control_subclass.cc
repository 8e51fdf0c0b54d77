#include "ime/shared/base/control_subclass.h"

namespace ime_shared {
namespace base {
namespace {

// The control a notification to |parent| comes from, or null.
HWND SourceControl(HWND parent, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // Menus and accelerators send no window.
      return reinterpret_cast<HWND>(lparam);
    case WM_NOTIFY:
      return lparam != 0 ? reinterpret_cast<const NMHDR*>(lparam)->hwndFrom : nullptr;
    case WM_PARENTNOTIFY:
      // Only creation and destruction name a window; mouse notices carry
      // a point.
      if (LOWORD(wparam) == WM_CREATE || LOWORD(wparam) == WM_DESTROY) {
        return reinterpret_cast<HWND>(lparam);
      }
      return nullptr;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (wparam == 0 || item == nullptr || item->CtlType == ODT_MENU) return nullptr;
      return item->hwndItem;
    }
    case WM_MEASUREITEM: {
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lparam);
      if (wparam == 0 || item == nullptr || item->CtlType == ODT_MENU) return nullptr;
      return ::GetDlgItem(parent, static_cast<int>(item->CtlID));
    }
    case WM_COMPAREITEM: {
      const auto* item = reinterpret_cast<const COMPAREITEMSTRUCT*>(lparam);
      return item != nullptr ? item->hwndItem : nullptr;
    }
    case WM_DELETEITEM: {
      const auto* item = reinterpret_cast<const DELETEITEMSTRUCT*>(lparam);
      return item != nullptr ? item->hwndItem : nullptr;
    }
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<HWND>(lparam);
    default:
      return nullptr;
  }
}

}  // namespace

bool ReflectNotifications(HWND parent, UINT message, WPARAM wparam, LPARAM lparam,
                          LRESULT& result) {
  HWND control = SourceControl(parent, message, wparam, lparam);
  // A control's colour message may name the parent itself (WM_CTLCOLORDLG).
  if (control == nullptr || control == parent || !::IsWindow(control)) return false;
  if (WindowBase::FromHandle(control) == nullptr) return false;
  result = ::SendMessageW(control, kReflectedMessageBase + message, wparam, lparam);
  return true;
}

}  // namespace base
}  // namespace ime_shared
