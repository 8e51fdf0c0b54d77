// Hover tracking for a pop-up window that never receives mouse messages of
// its own: the first mouse move over it (from WM_SETCURSOR) sends the host
// WM_MOUSEHOVER, and a 200 ms timer then watches the cursor until it has
// left the window, when the host receives WM_MOUSELEAVE.
//
// A mix-in of the host window class Host (a base::WindowImpl): the host's
// message map calls ProcessTrackerMessage in its place in the chain.
#ifndef IME_SHARED_FRONTEND_MOUSE_LEAVING_TRACKER_H_
#define IME_SHARED_FRONTEND_MOUSE_LEAVING_TRACKER_H_

#include <windows.h>

#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace frontend {

template <typename Host>
class MouseLeavingTracker {
 public:
  static constexpr UINT_PTR kTimerId = 1325;
  static constexpr UINT kTimerPeriodMs = 200;

  // While disabled, mouse moves start no tracking.
  void EnableMouseLeavingTracking(bool enabled) { tracking_enabled_ = enabled; }
  bool IsMouseLeavingTrackingEnabled() const { return tracking_enabled_; }
  bool IsHovering() const { return hovering_; }

 protected:
  // Never consumes a mouse move; consumes its own timer.
  bool ProcessTrackerMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                             LRESULT& result) {
    if (message == WM_SETCURSOR && WindowsAPIWrapper::MouseMessageOf(lparam) == WM_MOUSEMOVE) {
      if (tracking_enabled_ && !hovering_) {
        hovering_ = true;
        const POINT client = WindowsAPIWrapper::CursorClientPosition(window);
        ::SendMessageW(window, WM_MOUSEHOVER, 0, MAKELPARAM(client.x, client.y));
        ::SetTimer(window, kTimerId, kTimerPeriodMs, nullptr);
      }
      return false;
    }
    if (message == WM_TIMER && wparam == kTimerId) {
      RECT rect = WindowsAPIWrapper::WindowRect(window);
      if (!::PtInRect(&rect, WindowsAPIWrapper::CursorScreenPosition())) {
        hovering_ = false;
        ::KillTimer(window, kTimerId);
        ::SendMessageW(window, WM_MOUSELEAVE, 0, 0);
      }
      result = 0;
      return true;
    }
    return false;
  }

 private:
  bool tracking_enabled_ = true;
  bool hovering_ = false;
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_MOUSE_LEAVING_TRACKER_H_
