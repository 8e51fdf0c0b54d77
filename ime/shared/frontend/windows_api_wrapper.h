// The last base of every pop-up window class: the few Win32 calls that the
// window mix-ins and their hosts share, with the pop-up windows' styles.
// It holds no state.
//
// The pop-up windows are created disabled and never activate, so the mouse
// reaches them only through WM_SETCURSOR, whose lParam carries the mouse
// message in its high word (WM_MOUSEMOVE 512, WM_LBUTTONDOWN 513,
// WM_LBUTTONUP 514, WM_RBUTTONDOWN 516, WM_RBUTTONUP 517); the position is
// read from the cursor.
#ifndef IME_SHARED_FRONTEND_WINDOWS_API_WRAPPER_H_
#define IME_SHARED_FRONTEND_WINDOWS_API_WRAPPER_H_

#include <windows.h>

namespace ime_shared {
namespace frontend {

class WindowsAPIWrapper {
 public:
  // Pop-up windows: disabled pop-ups ...
  static constexpr DWORD kPopupStyle = WS_POPUP | WS_DISABLED;
  // ... that stay on top, stay off the task bar and never take activation.
  static constexpr DWORD kPopupExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

  // The mouse message of a WM_SETCURSOR; 0 when it carries none.
  static UINT MouseMessageOf(LPARAM set_cursor_lparam) {
    return HIWORD(static_cast<DWORD>(set_cursor_lparam));
  }

  static POINT CursorScreenPosition();
  // The cursor in |window|'s client coordinates.
  static POINT CursorClientPosition(HWND window);
  // Shows the system cursor |id| (IDC_ARROW, IDC_HAND, IDC_SIZEALL ...).
  static void UseCursor(const wchar_t* id);

  // The work area of the monitor nearest to |screen_point|.
  static RECT WorkAreaNearest(POINT screen_point);
  static RECT WindowRect(HWND window);

  // Moves without changing the size, the z-order or the activation.
  static void MoveWithoutActivation(HWND window, POINT top_left);
  static void MoveAndSizeWithoutActivation(HWND window, const RECT& rect);
  static void ShowWithoutActivation(HWND window);
  // Asks for the window to be painted again, without erasing.
  static void Repaint(HWND window);
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_WINDOWS_API_WRAPPER_H_
