// The uninstaller's confirmation: dialog 101 of the program's resources,
// asking "Confirm to uninstall ..." with a check box that keeps the user's
// personal data (ticked when it opens), a "Yes" button and the default "No".
#ifndef IME_T13N_INSTALLER_UNINSTALL_DIALOG_H_
#define IME_T13N_INSTALLER_UNINSTALL_DIALOG_H_

#include <windows.h>

#include <string>

namespace ime_t13n {

class UninstallDialog {
 public:
  UninstallDialog() = default;
  UninstallDialog(const UninstallDialog&) = delete;
  UninstallDialog& operator=(const UninstallDialog&) = delete;

  // Shows the dialog modally, centred on |owner| (on the screen's work area
  // when there is none). Any button, Escape or the close box records the
  // check box in retain_data() and ends the dialog with that button's id:
  // IDYES, IDNO, or IDCANCEL for Escape and the close box. -1 when the
  // dialog could not be shown.
  INT_PTR DoModal(HWND owner);

  // Whether the user keeps the personal data; true until the dialog ends.
  bool retain_data() const { return retain_data_; }
  // "Uninstall " and the product's name, set when the dialog opens.
  const std::wstring& title() const { return title_; }
  // The text above the check box; string 107 when it is empty as the dialog
  // opens.
  const std::wstring& message() const { return message_; }
  void set_message(const std::wstring& message) { message_ = message; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam,
                                     LPARAM lparam);
  void OnInitDialog(HWND dialog);
  void End(HWND dialog, int id);

  bool retain_data_ = true;
  std::wstring title_;
  std::wstring message_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_INSTALLER_UNINSTALL_DIALOG_H_
