// The one message box that tells the user that a language's data file
// cannot be used.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_DATA_ERROR_BOX_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_DATA_ERROR_BOX_H_

#include <windows.h>

#include <string>

namespace ime_t13n {

// Shows a message box. The system's implementation calls MessageBoxW; tests
// inject one that records what would have been shown.
class ErrorBoxInterface {
 public:
  virtual ~ErrorBoxInterface() = default;
  // |type| holds MB_* flags. Returns the button chosen, 0 on failure.
  virtual int Show(HWND owner, const std::wstring& text,
                   const std::wstring& caption, UINT type) = 0;
};

// The process's MessageBoxW-backed implementation.
ErrorBoxInterface* SystemErrorBox();

// Writes the box's text to standard error instead, for command-line
// programs (builders, benchmarks) that must never wait on a window.
ErrorBoxInterface* PrintingErrorBox();

// Shows the boxes of another ErrorBoxInterface one at a time in the process,
// and never under a lock of the module. A box runs a message loop of its
// own, in which the host's other windows go on and may call into the module
// again (a focus change makes a new engine, which asks for the language
// again): a lock held across it would be taken a second time by the same
// thread, or make other threads wait for the user.
//
// A box asked for inside a module call (base::ModuleCallScope) is shown
// when the thread's outermost call has returned, and so after every lock
// taken inside it is let go; outside any module call it is shown at once.
// While a box of any DeferredErrorBox is open, or waiting to open, in the
// process, another is not shown: the request is logged and answers 0.
class DeferredErrorBox : public ErrorBoxInterface {
 public:
  // |target| (not owned) shows the boxes; it must outlive the boxes asked
  // for.
  explicit DeferredErrorBox(ErrorBoxInterface* target) : target_(target) {}

  // IDOK when the box is shown or will be, 0 when it is not.
  int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
           UINT type) override;

 private:
  ErrorBoxInterface* target_;
};

// Loads the strings |text_id| and |caption_id| from the module's string
// table and shows them with the error icon and one OK button through |box|.
// Returns the box's result.
int ShowDataErrorBox(ErrorBoxInterface* box, HWND owner, UINT text_id,
                     UINT caption_id);

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_DATA_ERROR_BOX_H_
