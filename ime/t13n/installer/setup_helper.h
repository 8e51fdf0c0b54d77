// Strevane, the setup tool: the registrations of the input method that need
// administrator rights. "--action=install" installs the module as an IMM32
// keyboard layout (the product's installation runs it so); "--action=uninstall"
// removes the text service's TSF registration and the module's keyboard
// layouts (the uninstaller runs it so). It shows nothing but the refusal
// when the user is not an administrator, and ends with 0 on success, -1 on
// every refusal or failure.
#ifndef IME_T13N_INSTALLER_SETUP_HELPER_H_
#define IME_T13N_INSTALLER_SETUP_HELPER_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ime/shared/flags.h"

// "install" or "uninstall" (exact case); anything else is a failure.
IME_DECLARE_STRING_FLAG(action);

namespace ime_t13n {

// What the setup tool asks of the system that a test replaces.
class SetupHelperSystem {
 public:
  virtual ~SetupHelperSystem() = default;
  virtual bool IsUserAdmin() = 0;
  virtual int ShowMessageBox(HWND owner, const std::wstring& text,
                             const std::wstring& caption, UINT type) = 0;
};

// The real system: ime_shared::IsUserAdmin and MessageBoxW.
class WindowsSetupHelperSystem : public SetupHelperSystem {
 public:
  bool IsUserAdmin() override;
  int ShowMessageBox(HWND owner, const std::wstring& text,
                     const std::wstring& caption, UINT type) override;
};

// The program: parses |argv| into the flags (the result is not looked at),
// refuses a user who is not an administrator with a message box (strings
// 102 and 101), then runs the action. 0 on success, -1 otherwise.
int SetupHelperMain(int argc, const wchar_t* const* argv,
                    SetupHelperSystem* system);

// Removes the TSF registration of the text service |clsid|: its categories
// (all of them collected before the first is unregistered), no substitute
// layout for (|clsid|, |langid|, |profile|), then the registration itself.
// Missing TSF objects skip their step. The result is that of creating the
// input-processor profiles object.
HRESULT UnregisterTextService(REFCLSID clsid, LANGID langid, REFGUID profile);

// True when the last component of |path| is the module's file name, ignoring
// case: the system reports the IME file of a layout as a bare name or as a
// full path.
bool IsModuleFileName(const std::wstring& path);

// One keyboard layout of the module.
struct ModuleLayout {
  // Its subkey of kKeyboardLayoutsKeyPath, as the registry names it.
  std::wstring key_name;
  // The loaded layout, or null when it is not loaded in this session.
  HKL loaded = nullptr;
};

// The machine's keyboard layouts, below HKEY_LOCAL_MACHINE.
extern const wchar_t kKeyboardLayoutsKeyPath[];

// The module's layouts: the loaded ones whose IME file is the module, and
// every subkey of kKeyboardLayoutsKeyPath whose "Ime File" names it (the
// system lists only the layouts loaded in this session).
std::vector<ModuleLayout> FindModuleLayouts();

// Installs the module of the system folder as a keyboard layout with the
// product's name as its text, unless a layout of it exists already. False
// when the module is not in the system folder or the system refuses.
bool InstallModuleLayout();

// Unloads every layout of the module that is loaded (a refusal is ignored)
// and deletes its key. True when no layout key of the module remains.
bool RemoveModuleLayouts();

}  // namespace ime_t13n

#endif  // IME_T13N_INSTALLER_SETUP_HELPER_H_
