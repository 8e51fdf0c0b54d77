#include "ime/shared/base/window_impl.h"

#include <cwchar>
#include <string>

#include "ime/shared/base/module_call_scope.h"

namespace ime_shared {
namespace base {
namespace {

// The object whose window this thread is creating; its WM_NCCREATE binds it.
thread_local WindowBase* t_pending_creation = nullptr;

// Property names carry the module's address, so that two binaries holding
// copies of this layer never take each other's objects for their own.
std::wstring PropertyName(const wchar_t* what) {
  wchar_t name[80];
  std::swprintf(name, 80, L"ime_shared.window.%ls.%p", what, static_cast<void*>(CurrentModule()));
  return name;
}

const wchar_t* ObjectProperty() {
  static const std::wstring* name = new std::wstring(PropertyName(L"object"));
  return name->c_str();
}

// The procedure a subclassed control had before us. It stays on the window
// when the control cannot be given it back (another subclass went on top of
// ours), so that its messages still reach it.
const wchar_t* OriginalProcProperty() {
  static const std::wstring* name = new std::wstring(PropertyName(L"original"));
  return name->c_str();
}

}  // namespace

WindowBase::WindowBase()
    : hwnd_(nullptr),
      original_proc_(nullptr),
      subclassed_(false),
      creating_(false),
      destroyed_(false),
      message_depth_(0) {}

WindowBase::~WindowBase() {
  if (hwnd_ == nullptr) return;
  HWND window = hwnd_;
  const bool own_window = !subclassed_;
  Unbind();
  // Its messages now get the default processing only.
  if (own_window && ::IsWindow(window)) ::DestroyWindow(window);
}

WNDPROC WindowBase::GetWindowProc() { return &WindowBase::WindowProc; }

void WindowBase::OnFinalMessage(HWND window) {}

bool WindowBase::DestroyWindow() {
  if (hwnd_ == nullptr) return false;
  return ::DestroyWindow(hwnd_) != FALSE;
}

LRESULT WindowBase::DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (hwnd_ == nullptr) return 0;
  if (subclassed_ && IsReflectedMessage(message)) {
    // A reflected notification the control did not take: what the parent
    // would have done with it.
    return ::DefWindowProcW(hwnd_, message - 0x2000, wparam, lparam);
  }
  if (original_proc_ == nullptr || original_proc_ == &::DefWindowProcW) {
    return ::DefWindowProcW(hwnd_, message, wparam, lparam);
  }
  return ::CallWindowProcW(original_proc_, hwnd_, message, wparam, lparam);
}

WindowBase* WindowBase::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  return static_cast<WindowBase*>(::GetPropW(window, ObjectProperty()));
}

bool WindowBase::IsReflectedMessage(UINT message) {
  if (message < 0x2000) return false;
  switch (message - 0x2000) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_PARENTNOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
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
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK WindowBase::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // What the message's handling frees while it may still be in use (an
  // input context deselected by the application inside an update that a
  // click started) goes once the message is done.
  ModuleCallScope call;
  WindowBase* self = FromHandle(window);
  if (self == nullptr && message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    WindowBase* pending = t_pending_creation;
    if (create != nullptr && pending != nullptr && create->lpCreateParams == pending) {
      t_pending_creation = nullptr;
      if (pending->Bind(window, &::DefWindowProcW)) self = pending;
    }
  }
  if (self == nullptr) {
    auto original = reinterpret_cast<WNDPROC>(::GetPropW(window, OriginalProcProperty()));
    if (original != nullptr) {
      if (message == WM_NCDESTROY) ::RemovePropW(window, OriginalProcProperty());
      return ::CallWindowProcW(original, window, message, wparam, lparam);
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
  }

  ++self->message_depth_;
  LRESULT result = 0;
  bool handled = false;
  try {
    handled = self->ProcessWindowMessage(window, message, wparam, lparam, result);
  } catch (...) {
    // Nothing may cross into the system: the message gets its default
    // processing as if the map had not handled it.
    handled = false;
    result = 0;
  }
  // A window destroyed while its message was handled gets no more default
  // processing, except the WM_NCDESTROY that its own procedure needs.
  if (!handled && (message == WM_NCDESTROY || !self->destroyed_)) {
    result = self->DefWindowProc(message, wparam, lparam);
  }
  --self->message_depth_;
  if (message == WM_NCDESTROY) {
    self->Unbind();
    self->destroyed_ = true;
  }
  self->FinishIfDone(window);
  return result;
}

void WindowBase::FinishIfDone(HWND window) {
  // The final message waits until every message of the window that was
  // being handled has returned, so that the object outlives them.
  if (!destroyed_ || message_depth_ > 0 || creating_) return;
  destroyed_ = false;
  try {
    OnFinalMessage(window);
  } catch (...) {
  }
}

HWND WindowBase::CreateWithClass(ATOM atom, HWND parent, const RECT& rect, const wchar_t* title,
                                 DWORD style, DWORD ex_style, HMENU menu_or_id) {
  if (hwnd_ != nullptr || atom == 0) return nullptr;
  creating_ = true;
  WindowBase* previous = t_pending_creation;
  t_pending_creation = this;
  HWND window = ::CreateWindowExW(
      ex_style, MAKEINTATOM(atom), title != nullptr ? title : L"", style, rect.left, rect.top,
      rect.right - rect.left, rect.bottom - rect.top, parent, menu_or_id, CurrentModule(), this);
  t_pending_creation = previous;
  creating_ = false;
  if (window == nullptr) {
    // Destroyed during creation (WM_NCCREATE or WM_CREATE refused): the
    // caller still owns the object.
    destroyed_ = false;
    if (hwnd_ != nullptr) Unbind();
    return nullptr;
  }
  return window;
}

bool WindowBase::SubclassWindow(HWND window) {
  if (hwnd_ != nullptr || window == nullptr || !::IsWindow(window) ||
      FromHandle(window) != nullptr || ::GetPropW(window, OriginalProcProperty()) != nullptr) {
    return false;
  }
  // The control's messages will run this object's code: only on its thread.
  if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) {
    return false;
  }
  auto original = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
  if (original == nullptr) return false;
  if (!::SetPropW(window, OriginalProcProperty(), reinterpret_cast<HANDLE>(original))) {
    return false;
  }
  if (!Bind(window, original)) {
    ::RemovePropW(window, OriginalProcProperty());
    return false;
  }
  subclassed_ = true;
  ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetWindowProc()));
  return true;
}

HWND WindowBase::UnsubclassWindow() {
  if (hwnd_ == nullptr || !subclassed_) return nullptr;
  HWND window = hwnd_;
  Unbind();
  return window;
}

bool WindowBase::Bind(HWND window, WNDPROC original) {
  if (!::SetPropW(window, ObjectProperty(), static_cast<HANDLE>(this))) return false;
  hwnd_ = window;
  original_proc_ = original;
  return true;
}

void WindowBase::Unbind() {
  if (hwnd_ == nullptr) return;
  ::RemovePropW(hwnd_, ObjectProperty());
  if (subclassed_) {
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC));
    if (current == GetWindowProc()) {
      ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_proc_));
      ::RemovePropW(hwnd_, OriginalProcProperty());
    }
  }
  hwnd_ = nullptr;
  original_proc_ = nullptr;
  subclassed_ = false;
}

}  // namespace base
}  // namespace ime_shared
