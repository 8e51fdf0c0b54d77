// Drives a modal dialog of the test's own thread from a timer that the
// dialog's message loop dispatches.
#ifndef IME_SHARED_TESTING_DIALOG_DRIVER_H_
#define IME_SHARED_TESTING_DIALOG_DRIVER_H_

#include <windows.h>

#include <cwchar>
#include <functional>
#include <utility>

namespace ime_testing {

// The first tick that finds a dialog of this thread shown runs |act| on it
// once. A dialog becomes visible only when its loop first runs idle, so
// earlier ticks wait; after about five seconds |act| runs all the same, and
// its checks of visibility fail.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(HWND)> act) : act_(std::move(act)) {
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, 50, &DialogDriver::OnTimer);
  }
  ~DialogDriver() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool acted() const { return acted_; }

 private:
  static BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t class_name[16] = {};
    ::GetClassNameW(window, class_name, 16);
    if (std::wcscmp(class_name, L"#32770") == 0) {
      *reinterpret_cast<HWND*>(found) = window;
      return FALSE;
    }
    return TRUE;
  }

  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver* self = current_;
    if (self == nullptr || self->acted_) return;
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &DialogDriver::FindDialog,
                        reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) return;
    if (!::IsWindowVisible(dialog) && ++self->hidden_ticks_ < 100) return;
    self->acted_ = true;
    self->act_(dialog);
  }

  static inline DialogDriver* current_ = nullptr;
  std::function<void(HWND)> act_;
  UINT_PTR timer_ = 0;
  bool acted_ = false;
  int hidden_ticks_ = 0;
};

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_DIALOG_DRIVER_H_
