#include "ime/shared/window_utils.h"

namespace ime_shared {

namespace {

constexpr int kMaximumChainLength = 32;

}  // namespace

bool IsFullScreenWindow(HWND window) {
  if (window == nullptr || !::IsWindow(window)) return false;
  const HWND desktop = ::GetDesktopWindow();
  for (int step = 0; step < kMaximumChainLength && window != nullptr; ++step) {
    RECT rect, desktop_rect;
    if (::GetWindowRect(window, &rect) &&
        ::GetWindowRect(desktop, &desktop_rect) &&
        ::EqualRect(&rect, &desktop_rect)) {
      return true;
    }
    window = (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD)
                 ? ::GetParent(window)
                 : ::GetWindow(window, GW_OWNER);
  }
  return false;
}

}  // namespace ime_shared
