#include "ime/t13n/installer/uninstall_dialog.h"

#include <cwchar>

#include "ime/t13n/installer/installer_names.h"
#include "ime/t13n/installer/language_string.h"
#include "ime/t13n/installer/uninstaller_resources.h"

namespace ime_t13n {

namespace {

// The dialog's only static control: the message (its id, -1, is shared by
// every static a template may hold, so it is found by its class).
HWND FindMessageControl(HWND dialog) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t class_name[16] = {};
    ::GetClassNameW(child, class_name, 16);
    if (_wcsicmp(class_name, L"Static") == 0) return child;
  }
  return nullptr;
}

void CenterOn(HWND dialog, HWND owner) {
  RECT area = {};
  if (owner == nullptr || !::GetWindowRect(owner, &area)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT own = {};
  ::GetWindowRect(dialog, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  const int x = area.left + ((area.right - area.left) - width) / 2;
  const int y = area.top + ((area.bottom - area.top) - height) / 2;
  ::SetWindowPos(dialog, nullptr, x, y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

INT_PTR UninstallDialog::DoModal(HWND owner) {
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr),
                           MAKEINTRESOURCEW(IDD_UNINSTALL), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void UninstallDialog::OnInitDialog(HWND dialog) {
  CenterOn(dialog, ::GetWindow(dialog, GW_OWNER));
  ::CheckDlgButton(dialog, IDC_RETAIN_DATA, BST_CHECKED);
  title_ = std::wstring(L"Uninstall ") + kProductDisplayName;
  ::SetWindowTextW(dialog, title_.c_str());
  if (message_.empty()) message_ = LoadLanguageString(IDS_UNINSTALL_CONFIRM);
  if (HWND text = FindMessageControl(dialog)) {
    ::SetWindowTextW(text, message_.c_str());
  }
}

void UninstallDialog::End(HWND dialog, int id) {
  retain_data_ = ::IsDlgButtonChecked(dialog, IDC_RETAIN_DATA) == BST_CHECKED;
  ::EndDialog(dialog, id);
}

INT_PTR CALLBACK UninstallDialog::DialogProc(HWND dialog, UINT message,
                                             WPARAM wparam, LPARAM lparam) {
  // Called by the system: nothing may escape it.
  try {
    if (message == WM_INITDIALOG) {
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    }
    auto* self = reinterpret_cast<UninstallDialog*>(
        ::GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    switch (message) {
      case WM_INITDIALOG:
        self->OnInitDialog(dialog);
        return TRUE;  // the focus goes to the first control that takes it
      case WM_COMMAND: {
        const int id = LOWORD(wparam);
        if (id == IDYES || id == IDNO || id == IDCANCEL) {
          self->End(dialog, id);
          return TRUE;
        }
        return FALSE;
      }
      case WM_CLOSE:
        self->End(dialog, IDCANCEL);
        return TRUE;
      default:
        return FALSE;
    }
  } catch (...) {
    return FALSE;
  }
}

}  // namespace ime_t13n
