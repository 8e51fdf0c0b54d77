// Helpers of the pop-up window tests: real windows on the virtual display,
// the mouse as the pop-ups see it (the cursor position plus a WM_SETCURSOR
// naming the mouse message), and a message pump that waits for something
// to happen instead of timing it.
#ifndef IME_SHARED_FRONTEND_POPUP_TEST_HELPERS_H_
#define IME_SHARED_FRONTEND_POPUP_TEST_HELPERS_H_

#include <windows.h>

#include <functional>

#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace testing_helpers {

// Dispatches this thread's messages until |done| holds or |limit_ms| passed
// (a generous bound against hanging, not a timing). Returns |done|().
inline bool PumpMessagesUntil(const std::function<bool()>& done, DWORD limit_ms = 10000) {
  const ULONGLONG end = ::GetTickCount64() + limit_ms;
  while (!done()) {
    if (::GetTickCount64() > end) return done();
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (done()) break;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// Dispatches what is queued now and what arrives within |ms|.
inline void PumpMessagesFor(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  PumpMessagesUntil([end] { return ::GetTickCount64() > end; }, ms + 1000);
}

// Puts the cursor at |screen| and tells whether the system took it there.
inline bool MoveCursorTo(POINT screen) {
  if (!::SetCursorPos(screen.x, screen.y)) return false;
  POINT now = {};
  return ::GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
}

// |client| of |window| on the screen.
inline POINT ClientToScreenPoint(HWND window, POINT client) {
  ::ClientToScreen(window, &client);
  return client;
}

// What the system sends a disabled window for |mouse_message| under the
// cursor. Returns the window's answer.
inline LRESULT SendMouseThroughSetCursor(HWND window, UINT mouse_message) {
  return ::SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                        MAKELPARAM(HTERROR, mouse_message));
}

// Moves the cursor to |client| of |window| and sends |mouse_message| there.
inline LRESULT MouseAt(HWND window, POINT client, UINT mouse_message) {
  MoveCursorTo(ClientToScreenPoint(window, client));
  return SendMouseThroughSetCursor(window, mouse_message);
}

// The pop-up windows' styles.
constexpr DWORD kTestPopupStyle = frontend::WindowsAPIWrapper::kPopupStyle;
constexpr DWORD kTestPopupExStyle = frontend::WindowsAPIWrapper::kPopupExStyle;

}  // namespace testing_helpers
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_POPUP_TEST_HELPERS_H_
