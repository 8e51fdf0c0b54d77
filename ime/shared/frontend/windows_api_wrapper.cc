#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace frontend {

POINT WindowsAPIWrapper::CursorScreenPosition() {
  POINT point = {0, 0};
  ::GetCursorPos(&point);
  return point;
}

POINT WindowsAPIWrapper::CursorClientPosition(HWND window) {
  POINT point = CursorScreenPosition();
  ::ScreenToClient(window, &point);
  return point;
}

void WindowsAPIWrapper::UseCursor(const wchar_t* id) { ::SetCursor(::LoadCursorW(nullptr, id)); }

RECT WindowsAPIWrapper::WorkAreaNearest(POINT screen_point) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  HMONITOR monitor = ::MonitorFromPoint(screen_point, MONITOR_DEFAULTTONEAREST);
  if (monitor != nullptr && ::GetMonitorInfoW(monitor, &info)) return info.rcWork;
  RECT work = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT WindowsAPIWrapper::WindowRect(HWND window) {
  RECT rect = {0, 0, 0, 0};
  ::GetWindowRect(window, &rect);
  return rect;
}

void WindowsAPIWrapper::MoveWithoutActivation(HWND window, POINT top_left) {
  ::SetWindowPos(window, nullptr, top_left.x, top_left.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void WindowsAPIWrapper::MoveAndSizeWithoutActivation(HWND window, const RECT& rect) {
  ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void WindowsAPIWrapper::ShowWithoutActivation(HWND window) { ::ShowWindow(window, SW_SHOWNA); }

void WindowsAPIWrapper::Repaint(HWND window) { ::InvalidateRect(window, nullptr, FALSE); }

}  // namespace frontend
}  // namespace ime_shared
