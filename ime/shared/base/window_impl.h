// The window layer of the pop-up windows: a C++ object bound to a window,
// receiving its messages through one virtual message map.
//
//   class Popup : public WindowImpl<Popup> {
//    public:
//     static WindowClassInfo GetWindowClassInfo() {
//       return {L"MYPOPUP", CS_IME, IDC_ARROW, nullptr};
//     }
//     bool ProcessWindowMessage(HWND window, UINT message, WPARAM w,
//                               LPARAM l, LRESULT& result) override;
//   };
//
// ProcessWindowMessage answers whether it handled the message and then sets
// |result|; unhandled messages go to the window's default processing. A host
// made of mix-ins tries their hooks in its own order with
// ChainMessageHooks. The window procedure is an entry point of the system:
// no C++ exception leaves it (a throwing message map counts as "not
// handled"). OnFinalMessage runs once the window has received WM_NCDESTROY
// and the object is no longer bound to it; a host may delete itself there.
#ifndef IME_SHARED_BASE_WINDOW_IMPL_H_
#define IME_SHARED_BASE_WINDOW_IMPL_H_

#include <windows.h>

#include <initializer_list>

#include "ime/shared/base/module_handle.h"
#include "ime/shared/base/window_class.h"

namespace ime_shared {
namespace base {

class WindowBase {
 public:
  WindowBase();
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  // The message map: true when the message was handled, with its result in
  // |result|.
  virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    LRESULT& result) = 0;
  // An object destroyed while its window lives first unbinds itself (and a
  // subclassed control gets its own procedure back); a window of its own is
  // then destroyed.
  virtual ~WindowBase();
  // The procedure that dispatches to ProcessWindowMessage.
  virtual WNDPROC GetWindowProc();
  // Called after the window's last message (WM_NCDESTROY), with the object
  // already unbound. Does nothing by default.
  virtual void OnFinalMessage(HWND window);

  HWND hwnd() const { return hwnd_; }
  bool IsWindow() const { return hwnd_ != nullptr && ::IsWindow(hwnd_) != FALSE; }
  // Destroys the window (its final message follows at once).
  bool DestroyWindow();

  // The processing the window would get without this object: DefWindowProcW
  // for windows of our classes, the control's own procedure for a
  // subclassed control.
  LRESULT DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam);

  // The object bound to |window| by this module, or null.
  static WindowBase* FromHandle(HWND window);

 protected:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // Creates a window of the registered class |atom| bound to this object.
  // Null on failure; a window that failed during creation leaves the object
  // unbound and alive (its OnFinalMessage is not called).
  HWND CreateWithClass(ATOM atom, HWND parent, const RECT& rect, const wchar_t* title, DWORD style,
                       DWORD ex_style, HMENU menu_or_id);

  // Binds this object to the existing |window|, whose messages then reach
  // ProcessWindowMessage before its own procedure. False when the object is
  // bound already or the window is bound to another object of this module.
  bool SubclassWindow(HWND window);
  // Gives the control back its own procedure; returns the window.
  HWND UnsubclassWindow();

  // Whether |message| is one that a parent reflects to its controls.
  static bool IsReflectedMessage(UINT message);

 private:
  bool Bind(HWND window, WNDPROC original);
  void Unbind();
  void FinishIfDone(HWND window);

  HWND hwnd_;
  // DefWindowProcW, or the subclassed control's procedure.
  WNDPROC original_proc_;
  bool subclassed_;
  bool creating_;
  bool destroyed_;
  int message_depth_;
};

// The class description a host gives through a static
// GetWindowClassInfo(): name, class style, system cursor, background.
struct WindowClassInfo {
  const wchar_t* name;
  UINT style;
  const wchar_t* cursor;  // a system cursor id (IDC_*), or null
  HBRUSH background;
};

// A window of a class of its own, registered once per module by the first
// window made.
template <typename T>
class WindowImpl : public WindowBase {
 public:
  static WindowClassInfo GetWindowClassInfo() { return {nullptr, 0, IDC_ARROW, nullptr}; }

  // Registers the class of T (once) and creates the window, bound to this
  // object. Null on failure.
  HWND Create(HWND parent, const RECT& rect, const wchar_t* title, DWORD style, DWORD ex_style = 0,
              HMENU menu_or_id = nullptr) {
    const ATOM atom = RegisterWindowClass(GetWindowProc());
    if (atom == 0) return nullptr;
    return CreateWithClass(atom, parent, rect, title, style, ex_style, menu_or_id);
  }

  // The class atom of T for this module; registers the class on first use
  // with |procedure| (the window procedure getter's answer by default).
  static ATOM RegisterWindowClass(WNDPROC procedure = &WindowBase::WindowProc) {
    const WindowClassInfo info = T::GetWindowClassInfo();
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.style = info.style;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = CurrentModule();
    window_class.hCursor = info.cursor != nullptr ? ::LoadCursorW(nullptr, info.cursor) : nullptr;
    window_class.hbrBackground = info.background;
    window_class.lpszClassName = info.name;
    return RegisterWindowClassOnce(window_class);
  }

 protected:
  // For a host that lives on the heap and deletes itself in OnFinalMessage:
  // destroys the window, whose final message deletes the object; without a
  // window, deletes the object at once (through the virtual destructor, which
  // the host may keep private).
  void DestroyWindowOrDeleteSelf() {
    if (IsWindow()) {
      DestroyWindow();
      return;
    }
    delete this;
  }
};

// A message hook of a mix-in or of the host itself.
template <typename Host>
using MessageHook = bool (Host::*)(HWND, UINT, WPARAM, LPARAM, LRESULT&);

// Tries |hooks| in order and stops at the first that handles the message:
//
//   return ChainMessageHooks<StatusWindow>(this, {
//       &StatusWindow::ProcessTrackerMessage,
//       &StatusWindow::ProcessShadowMessage, &StatusWindow::ProcessOwnMessage,
//       &StatusWindow::ProcessButtonsMessage,
//       &StatusWindow::ProcessDragMessage}, window, message, w, l, result);
template <typename Host>
bool ChainMessageHooks(Host* host, std::initializer_list<MessageHook<Host>> hooks, HWND window,
                       UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  for (MessageHook<Host> hook : hooks) {
    if ((host->*hook)(window, message, wparam, lparam, result)) return true;
  }
  return false;
}

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_WINDOW_IMPL_H_
