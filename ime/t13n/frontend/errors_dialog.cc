#include "ime/t13n/frontend/errors_dialog.h"

#include "ime/t13n/frontend/t13n_windows_resources.h"

namespace ime_t13n {

const wchar_t kSchemeErrorsTitle[] = L"Canonical Scheme Errors";

bool CReadOnlyEdit::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam, LRESULT& result) {
  if (message != ime_shared::base::kReflectedMessageBase + WM_CTLCOLORSTATIC) return false;
  ::SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
  result = reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
  return true;
}

ErrorsDialog::ErrorsDialog(const std::wstring& text, HINSTANCE module)
    : ModalDialog(IDD_SCHEME_ERRORS, module), text_(text) {}

bool ErrorsDialog::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        LRESULT& result) {
  if (ime_shared::base::ReflectNotifications(window, message, wparam, lparam, result)) {
    return true;
  }
  switch (message) {
    case WM_INITDIALOG: {
      ::SetWindowTextW(window, kSchemeErrorsTitle);
      edit_.SubclassDialogItem(window, IDC_SCHEME_ERRORS_TEXT);
      HWND edit = ::GetDlgItem(window, IDC_SCHEME_ERRORS_TEXT);
      ::SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
      ::SetWindowTextW(edit, L"");
      const int end = ::GetWindowTextLengthW(edit);
      ::SendMessageW(edit, EM_SETSEL, end, end);
      ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
      ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text_.c_str()));
      ::SetFocus(window);
      result = FALSE;
      return true;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_SCHEME_ERRORS_COPY: {
          HWND edit = ::GetDlgItem(window, IDC_SCHEME_ERRORS_TEXT);
          ::SendMessageW(edit, EM_SETSEL, 0, -1);
          ::SendMessageW(edit, WM_COPY, 0, 0);
          ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
          ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
          break;
        }
        case IDOK:
          EndDialog(1);
          break;
        case IDCANCEL:
          EndDialog(2);
          break;
        default:
          return false;
      }
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace ime_t13n
