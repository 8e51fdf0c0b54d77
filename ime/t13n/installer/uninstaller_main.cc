// Entry of uninstaller.exe.
#include <windows.h>
#include <stdlib.h>

#include "ime/t13n/installer/uninstaller.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments,
                    int show) {
  try {
    ime_t13n::WindowsUninstallerSystem system;
    return ime_t13n::UninstallerMain(__argc, __wargv,
                                     arguments != nullptr ? arguments : L"",
                                     &system);
  } catch (...) {
    return -1;
  }
}
