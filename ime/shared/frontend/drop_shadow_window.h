// A soft shadow below and right of a pop-up window: a layered window of the
// class "IME_FADER" that follows the host's creation, showing, moves and
// destruction, lying right behind it at the host's rectangle moved by
// (6, 6) on the top-left and (4, 4) on the bottom-right corner. Its picture
// is black with a 4-pixel band along the right and bottom edges whose alpha
// falls 255, 191, 127, 63 outwards, with rounded band ends, drawn at
// constant alpha 127.
//
// A mix-in of the host window class Host (a base::WindowImpl); the host's
// message map calls ProcessShadowMessage. It never consumes a message.
#ifndef IME_SHARED_FRONTEND_DROP_SHADOW_WINDOW_H_
#define IME_SHARED_FRONTEND_DROP_SHADOW_WINDOW_H_

#include <windows.h>

#include <cstdint>

namespace ime_shared {
namespace frontend {

// The rounding of the band ends: T[r][c] = 255 - 64 x the distance from
// (3, 3), at least 0, computed once; T[3][3] = 255 lies nearest the host.
using ShadowCornerTable = uint8_t[4][4];
const ShadowCornerTable& GetShadowCornerTable();

// The shadow's rectangle for the host's window rectangle.
RECT ShadowRectFor(const RECT& host);

// Sets the alpha bytes of a zeroed top-down 32-bit image of the shadow's
// size: the bands and their rounded ends. Images under 6 pixels high get
// nothing (false).
bool DrawShadowAlpha(uint8_t* bits, int width, int height, int pitch);

// Registers "IME_FADER" for this module once; the class atom, 0 on failure.
ATOM RegisterShadowWindowClass();
// A hidden 1 x 1 shadow window owned by |owner| (may be null).
HWND CreateShadowWindow(HWND owner);
// Draws the shadow picture for |rect| into the layered |shadow|; false, with
// nothing done, for a rectangle under 6 pixels high.
bool UpdateShadowImage(HWND shadow, const RECT& rect);

template <typename Host>
class DropShadowWindow {
 public:
  HWND shadow_window() const { return shadow_; }

 protected:
  bool ProcessShadowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) {
    switch (message) {
      case WM_CREATE:
        if (shadow_ == nullptr) shadow_ = CreateShadowWindow(::GetParent(window));
        break;
      case WM_DESTROY:
        if (shadow_ != nullptr) ::DestroyWindow(shadow_);
        shadow_ = nullptr;
        break;
      case WM_SHOWWINDOW:
        if (shadow_ != nullptr) ::ShowWindow(shadow_, wparam ? SW_SHOWNA : SW_HIDE);
        break;
      case WM_WINDOWPOSCHANGED:
        FollowHost(window);
        break;
      default:
        break;
    }
    return false;
  }

 private:
  void FollowHost(HWND window) {
    if (shadow_ == nullptr || !::IsWindowVisible(shadow_)) return;
    RECT host = {0, 0, 0, 0};
    ::GetWindowRect(window, &host);
    const RECT rect = ShadowRectFor(host);
    if (rect.right - rect.left > 5) UpdateShadowImage(shadow_, rect);
    ::SetWindowPos(shadow_, window, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOACTIVATE);
  }

  HWND shadow_ = nullptr;
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_DROP_SHADOW_WINDOW_H_
