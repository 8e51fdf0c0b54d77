// Entry of the input-method module: the DLL entry point and the COM
// exports. The IMM32 exports are in ime/shared/imm/ime_exports.cc; the
// module's .def file (kelvane.def.in) names what the module exports.
#include <windows.h>
#include <olectl.h>

#include "ime/shared/base/image32.h"
#include "ime/shared/base/process_exit.h"
#include "ime/shared/crash/crash_handler.h"
#include "ime/shared/imm/ui_window.h"
#include "ime/t13n/ime_module.h"
#include "ime/t13n/module_wiring.h"

namespace {

// Made at load by the runtime's start-up, before DllMain runs (after the
// constant-initialised identity tables).
ime_t13n::ImeModule g_module(ime_t13n::ModuleClassTable());

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  try {
    switch (reason) {
      case DLL_PROCESS_ATTACH:
        ime_shared::imm::ImeUIWindow::SetProcessDetaching(false);
        // Without a known crash folder there is no handler; the load goes
        // on.
        ime_shared::InstallCrashHandler();
        if (g_module.InitFailed()) return FALSE;
        ime_t13n::InstallModuleFactories();
        return TRUE;
      case DLL_PROCESS_DETACH:
        // |reserved| is set when the process is ending rather than the
        // module being freed: the other threads are gone then, wherever
        // they were, and the locks they held stay held.
        ime_shared::base::SetProcessExiting(reserved != nullptr);
        ime_shared::imm::ImeUIWindow::SetProcessDetaching(true);
        ::OutputDebugStringW(L"DllMain DLL_PROCESS_DETACH\n");
        ime_shared::RemoveCrashHandler(/*in_dll_entry=*/true);
        // Images freed from here on must not shut GDI+ down: this runs
        // under the loader lock.
        ime_shared::base::Image32::NotifyModuleDetaching();
        // A later load registers the UI class again, with its own code.
        ime_shared::imm::ImeUIWindow::UnregisterUIClass(instance);
        ime_t13n::UnloadModule(reserved != nullptr);
        return TRUE;
      default:
        // Thread notifications: nothing to do here. They stay on (no
        // DisableThreadLibraryCalls): the runtime linked into this image
        // frees each thread's data from its own thread-detach callbacks.
        // The crash handler's dump thread ends after an unload, once this
        // image is off the loader's list, so its detach never comes here.
        return TRUE;
    }
  } catch (...) {
    // Nothing may reach the loader; a failed attach fails the load.
    return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
  }
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  try {
    return g_module.GetClassObject(clsid, iid, out);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDAPI DllCanUnloadNow() { return g_module.CanUnloadNow(); }

// The module never registers itself: the text service and its profile are
// registered by the product's installation and removed by the setup tool.
STDAPI DllRegisterServer() { return S_OK; }

STDAPI DllUnregisterServer() { return S_OK; }
