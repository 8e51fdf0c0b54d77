// Entry of Strevane.exe, the setup tool.
#include <windows.h>
#include <stdlib.h>

#include "ime/t13n/installer/setup_helper.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments,
                    int show) {
  try {
    ime_t13n::WindowsSetupHelperSystem system;
    return ime_t13n::SetupHelperMain(__argc, __wargv, &system);
  } catch (...) {
    return -1;
  }
}
