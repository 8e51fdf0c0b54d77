#include "ime/shared/base/modal_dialog.h"

#include <cwchar>
#include <string>

#include "ime/shared/base/module_handle.h"

namespace ime_shared {
namespace base {
namespace {

const wchar_t* DialogProperty() {
  static const std::wstring* name = [] {
    wchar_t text[80];
    std::swprintf(text, 80, L"ime_shared.dialog.%p", static_cast<void*>(CurrentModule()));
    return new std::wstring(text);
  }();
  return name->c_str();
}

// Messages whose answer is the dialog procedure's return value itself.
bool AnswersDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

}  // namespace

ModalDialog::ModalDialog(int resource_id, HINSTANCE module)
    : resource_id_(resource_id),
      module_(module != nullptr ? module : CurrentModule()),
      hwnd_(nullptr),
      running_(false) {}

ModalDialog::~ModalDialog() {
  // Normally the dialog is gone when DoModal returns; a dialog left behind
  // no longer reaches this object.
  if (hwnd_ != nullptr) ::RemovePropW(hwnd_, DialogProperty());
}

bool ModalDialog::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       LRESULT& result) {
  return false;
}

DLGPROC ModalDialog::GetDialogProc() { return &ModalDialog::DialogProc; }

void ModalDialog::OnFinalMessage(HWND window) {}

INT_PTR ModalDialog::DoModal(HWND owner) {
  if (running_) return -1;
  running_ = true;
  const INT_PTR result = ::DialogBoxParamW(module_, MAKEINTRESOURCEW(resource_id_), owner,
                                           GetDialogProc(), reinterpret_cast<LPARAM>(this));
  running_ = false;
  return result;
}

bool ModalDialog::EndDialog(INT_PTR result) {
  if (hwnd_ == nullptr) return false;
  return ::EndDialog(hwnd_, result) != FALSE;
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = static_cast<ModalDialog*>(::GetPropW(window, DialogProperty()));
  if (self == nullptr && message == WM_INITDIALOG) {
    self = reinterpret_cast<ModalDialog*>(lparam);
    if (self == nullptr || !::SetPropW(window, DialogProperty(), self)) return TRUE;
    self->hwnd_ = window;
  }
  if (self == nullptr) return FALSE;

  LRESULT result = 0;
  bool handled = false;
  try {
    handled = self->ProcessWindowMessage(window, message, wparam, lparam, result);
  } catch (...) {
    handled = false;
  }

  if (message == WM_NCDESTROY) {
    ::RemovePropW(window, DialogProperty());
    self->hwnd_ = nullptr;
    try {
      self->OnFinalMessage(window);
    } catch (...) {
    }
    return handled ? TRUE : FALSE;
  }
  // Unhandled, WM_INITDIALOG still asks for the default focus.
  if (!handled) return message == WM_INITDIALOG ? TRUE : FALSE;
  if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace base
}  // namespace ime_shared
