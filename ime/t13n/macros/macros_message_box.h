// The one way the macros editor talks to the user outside its dialog: a
// message box. The program uses the system's; tests inject one that records
// what would have been shown and answers as scripted.
#ifndef IME_T13N_MACROS_MACROS_MESSAGE_BOX_H_
#define IME_T13N_MACROS_MACROS_MESSAGE_BOX_H_

#include <windows.h>

#include <string>

namespace ime_t13n {

class MacrosMessageBoxInterface {
 public:
  virtual ~MacrosMessageBoxInterface() = default;
  // Shows |text| under |caption| owned by |owner|; |type| holds MB_* flags.
  // Returns the button chosen (IDOK, IDYES, ...), 0 on failure.
  virtual int Show(HWND owner, const std::wstring& text,
                   const std::wstring& caption, UINT type) = 0;
};

// The process's MessageBoxW-backed implementation.
MacrosMessageBoxInterface* SystemMacrosMessageBox();

}  // namespace ime_t13n

#endif  // IME_T13N_MACROS_MACROS_MESSAGE_BOX_H_
