// Entry of the input-method module.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    // The module keeps no per-thread state.
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
