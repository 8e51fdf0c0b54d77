// Dragging a pop-up window with the left button anywhere that no other
// handler of the host took: the window follows the cursor, kept on the work
// area of the monitor nearest the cursor.
//
// A mix-in of the host window class Host (a base::WindowImpl); the host's
// message map calls ProcessDragMessage, normally last. The host may define
//   void OnDragEnd();        // after the button is released (stores the place)
//   RECT DragClampExtra();   // room around the window that must stay on
//                            // the work area too (see ClampToWorkArea)
// as public members; the defaults do nothing and add no room.
#ifndef IME_SHARED_FRONTEND_DRAGABLE_WINDOW_H_
#define IME_SHARED_FRONTEND_DRAGABLE_WINDOW_H_

#include <windows.h>

#include "ime/shared/frontend/popup_layout.h"
#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace frontend {

template <typename Host>
class DragableWindow {
 public:
  bool IsDragging() const { return dragging_; }

  void OnDragEnd() {}
  RECT DragClampExtra() { return RECT{0, 0, 0, 0}; }

 protected:
  bool ProcessDragMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                          LRESULT& result) {
    const UINT mouse = message == WM_SETCURSOR ? WindowsAPIWrapper::MouseMessageOf(lparam)
                                               : (::GetCapture() == window ? message : 0);
    switch (mouse) {
      case WM_LBUTTONDOWN: {
        const POINT cursor = WindowsAPIWrapper::CursorScreenPosition();
        const RECT rect = WindowsAPIWrapper::WindowRect(window);
        grab_offset_ = POINT{cursor.x - rect.left, cursor.y - rect.top};
        dragging_ = true;
        ::SetCapture(window);
        return Consumed(message, result);
      }
      case WM_MOUSEMOVE:
        if (!dragging_) break;
        MoveWithCursor(window);
        WindowsAPIWrapper::UseCursor(IDC_SIZEALL);
        return Consumed(message, result);
      case WM_LBUTTONUP:
        if (!dragging_) break;
        // Cleared first: releasing the capture reports the capture change.
        dragging_ = false;
        ::ReleaseCapture();
        static_cast<Host*>(this)->OnDragEnd();
        return Consumed(message, result);
      default:
        break;
    }
    if (message == WM_SETCURSOR && mouse != 0) {
      WindowsAPIWrapper::UseCursor(IDC_SIZEALL);
      result = TRUE;
      return true;
    }
    if (message == WM_CAPTURECHANGED && dragging_ && reinterpret_cast<HWND>(lparam) != window) {
      // Another window took the mouse (a menu, a dialog): the drag ends
      // where it stands.
      dragging_ = false;
      static_cast<Host*>(this)->OnDragEnd();
    }
    return false;
  }

 private:
  static bool Consumed(UINT message, LRESULT& result) {
    // WM_SETCURSOR answers TRUE so that no one sets another cursor.
    result = message == WM_SETCURSOR ? TRUE : 0;
    return true;
  }

  void MoveWithCursor(HWND window) {
    const POINT cursor = WindowsAPIWrapper::CursorScreenPosition();
    const RECT rect = WindowsAPIWrapper::WindowRect(window);
    const SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
    const POINT wanted = {cursor.x - grab_offset_.x, cursor.y - grab_offset_.y};
    const POINT place = ClampToWorkArea(wanted, size, WindowsAPIWrapper::WorkAreaNearest(cursor),
                                        static_cast<Host*>(this)->DragClampExtra());
    WindowsAPIWrapper::MoveWithoutActivation(window, place);
  }

  bool dragging_ = false;
  POINT grab_offset_ = {0, 0};
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_DRAGABLE_WINDOW_H_
