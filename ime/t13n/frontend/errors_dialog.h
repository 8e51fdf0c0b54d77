// The dialog that lists the errors found in the custom scheme files, in a
// read-only edit box whose text the user can copy.
#ifndef IME_T13N_FRONTEND_ERRORS_DIALOG_H_
#define IME_T13N_FRONTEND_ERRORS_DIALOG_H_

#include <windows.h>

#include <string>

#include "ime/shared/base/control_subclass.h"
#include "ime/shared/base/modal_dialog.h"

namespace ime_t13n {

// The dialog's title.
extern const wchar_t kSchemeErrorsTitle[];

// A read-only edit box that keeps a white background: it answers the
// colour request its parent reflects to it (WM_CTLCOLORSTATIC, which a
// read-only edit sends) with a transparent text background and the white
// stock brush.
class CReadOnlyEdit : public ime_shared::base::SubclassedControl {
 public:
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;
};

class ErrorsDialog : public ime_shared::base::ModalDialog {
 public:
  // |text| is the error messages joined by "\r\n".
  explicit ErrorsDialog(const std::wstring& text, HINSTANCE module = nullptr);

  // "Copy Text" puts the whole text on the clipboard and leaves the dialog
  // open; DoModal answers 1 for OK, 2 for Cancel, Esc or the close box.
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;

 private:
  std::wstring text_;
  CReadOnlyEdit edit_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_ERRORS_DIALOG_H_
