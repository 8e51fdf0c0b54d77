// A modal dialog over a dialog resource of the binary this code is linked
// into, with the same message-map slots as the windows of window_impl.h.
//
//   class AboutDialog : public ModalDialog {
//    public:
//     AboutDialog() : ModalDialog(IDD_ABOUT) {}
//     bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override;
//   };
//   INT_PTR choice = AboutDialog().DoModal(owner);
//
// Handled messages answer through the dialog's message result, except those
// whose answer is the dialog procedure's return value (WM_INITDIALOG, the
// WM_CTLCOLOR* family, WM_COMPAREITEM, WM_VKEYTOITEM, WM_CHARTOITEM,
// WM_QUERYDRAGICON). Unhandled messages get the dialog manager's default
// processing. No C++ exception leaves the dialog procedure.
#ifndef IME_SHARED_BASE_MODAL_DIALOG_H_
#define IME_SHARED_BASE_MODAL_DIALOG_H_

#include <windows.h>

namespace ime_shared {
namespace base {

class ModalDialog {
 public:
  // The dialog template |resource_id| of |module| (null: the binary this
  // code is linked into).
  explicit ModalDialog(int resource_id, HINSTANCE module = nullptr);
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // The message map; handles nothing by default.
  virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    LRESULT& result);
  virtual ~ModalDialog();
  // The dialog procedure that dispatches to ProcessWindowMessage.
  virtual DLGPROC GetDialogProc();
  // Called after the dialog's WM_NCDESTROY, with the object unbound.
  virtual void OnFinalMessage(HWND window);

  // Shows the dialog owned by |owner| and returns the value given to
  // EndDialog; -1 when the dialog could not be shown (no template, or this
  // object's dialog is already open).
  INT_PTR DoModal(HWND owner);
  // Ends the running dialog with |result|; false when none runs.
  bool EndDialog(INT_PTR result);

  HWND hwnd() const { return hwnd_; }
  int resource_id() const { return resource_id_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  int resource_id_;
  HINSTANCE module_;
  HWND hwnd_;
  bool running_;
};

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_MODAL_DIALOG_H_
