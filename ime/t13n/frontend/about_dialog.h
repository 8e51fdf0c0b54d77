// The about box: names the product for the current language and shows the
// module's version. The main menu opens it, modal, for its "About..." item.
#ifndef IME_T13N_FRONTEND_ABOUT_DIALOG_H_
#define IME_T13N_FRONTEND_ABOUT_DIALOG_H_

#include <windows.h>

#include <string>

#include "ime/shared/base/modal_dialog.h"

namespace ime_t13n {

// The version the about box shows, whatever its resource says.
extern const wchar_t kAboutVersionLine[];

// "Tarvel " + |language_name| + " Input".
std::wstring AboutProductLine(const std::wstring& language_name);

class AboutDialog : public ime_shared::base::ModalDialog {
 public:
  // |language_name| is the display name of the current language ("Hindi").
  explicit AboutDialog(const std::wstring& language_name, HINSTANCE module = nullptr);

  // DoModal answers 1 for OK (or Enter), 2 for Esc or the close box.
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;

 private:
  std::wstring language_name_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_ABOUT_DIALOG_H_
