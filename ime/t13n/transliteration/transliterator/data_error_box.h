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

// Loads the strings |text_id| and |caption_id| from the module's string
// table and shows them with the error icon and one OK button through |box|.
// Returns the box's result.
int ShowDataErrorBox(ErrorBoxInterface* box, HWND owner, UINT text_id,
                     UINT caption_id);

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_DATA_ERROR_BOX_H_
