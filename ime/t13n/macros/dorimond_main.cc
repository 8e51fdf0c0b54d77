// Entry of Dorimond.exe, the macros editor. The input method's main menu
// starts it without arguments; the command line is not looked at. It ends
// with 0 whatever happened.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "ime/t13n/macros/macros_dialog.h"
#include "ime/t13n/macros/macros_message_box.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
  try {
    const HRESULT com = ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    ::InitCommonControlsEx(&controls);
    ime_t13n::RunMacrosDialog(ime_t13n::MacrosPlaces::Product(),
                              ime_t13n::kSingleInstanceMutexName,
                              ime_t13n::SystemMacrosMessageBox());
    if (SUCCEEDED(com)) ::CoUninitialize();
  } catch (...) {
  }
  return 0;
}
