#include "ime/t13n/frontend/about_dialog.h"

#include "ime/t13n/frontend/t13n_windows_resources.h"

namespace ime_t13n {

const wchar_t kAboutVersionLine[] = L"Version: 1.0.4.0";

std::wstring AboutProductLine(const std::wstring& language_name) {
  return L"Tarvel " + language_name + L" Input";
}

namespace {

// The first static control without an id, in creation order: the product
// line (the icon, also without an id, comes later).
HWND FirstUnnamedStatic(HWND dialog) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    ::GetClassNameW(child, name, 16);
    if (static_cast<WORD>(::GetDlgCtrlID(child)) == 0xFFFF &&
        ::CompareStringOrdinal(name, -1, L"Static", -1, TRUE) == CSTR_EQUAL) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace

AboutDialog::AboutDialog(const std::wstring& language_name, HINSTANCE module)
    : ModalDialog(IDD_ABOUT, module), language_name_(language_name) {}

bool AboutDialog::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG: {
      const std::wstring product = AboutProductLine(language_name_);
      ::SetWindowTextW(window, product.c_str());
      if (HWND line = FirstUnnamedStatic(window)) ::SetWindowTextW(line, product.c_str());
      ::SetDlgItemTextW(window, IDC_ABOUT_VERSION, kAboutVersionLine);
      ::SetFocus(window);
      // The focus is set: the dialog manager must not move it.
      result = FALSE;
      return true;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        EndDialog(1);
      } else if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(2);
      } else {
        return false;
      }
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace ime_t13n
