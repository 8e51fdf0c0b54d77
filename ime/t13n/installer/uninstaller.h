// The uninstaller: removes the product after the user confirmed it. It has
// the setup tool undo the TSF registration and the keyboard layouts, then
// deletes the program files, the product's machine-wide registry keys and,
// unless the user keeps them, the running user's data folder and settings.
//
// It lives in the program folder it deletes, so the first start only copies
// the program to a temporary file ("ZKR....tmp") and runs the copy with
// --wait_pid=<its own id>; the copy waits for the first process to end and
// does the work. A temporary copy never makes another one, whatever its
// command line says. It ends with 0 on success and -1 on every refusal or
// failure; the first start ends with the copy's process id.
#ifndef IME_T13N_INSTALLER_UNINSTALLER_H_
#define IME_T13N_INSTALLER_UNINSTALLER_H_

#include <windows.h>

#include <string>

#include "ime/shared/flags.h"

// 0: the first start (relaunch from a temporary copy); above 0: wait for
// that process, then uninstall; below 0: uninstall at once.
IME_DECLARE_INT_FLAG(wait_pid);

namespace ime_t13n {

// Passed between the uninstall steps.
struct UninstallFlags {
  bool delete_user_data = false;
  // Set by a step that left something to be deleted at the next restart.
  bool restart_needed = false;
};

// What UninstallerMain asks of the system, so that a test can replace it.
class UninstallerSystem {
 public:
  virtual ~UninstallerSystem() = default;
  // "InstalledVersion" of the machine-wide key; empty: not installed.
  virtual std::wstring GetInstalledVersion() = 0;
  virtual bool IsUserAdmin() = 0;
  virtual int ShowMessageBox(HWND owner, const std::wstring& text,
                             const std::wstring& caption, UINT type) = 0;
  // Whether the running program is a temporary copy made by a first start
  // (see IsTemporaryCopyName below).
  virtual bool IsTemporaryCopy() = 0;
  // See RelaunchFromTempCopy below.
  virtual DWORD RelaunchFromTempCopy(const std::wstring& arguments) = 0;
  // Waits without limit for process |process_id| to end; goes on at once
  // when it cannot be opened.
  virtual void WaitForProcess(DWORD process_id) = 0;
  // Shows UninstallDialog over |owner|; its result, with the check box in
  // |retain_data|.
  virtual INT_PTR ShowUninstallDialog(HWND owner, bool* retain_data) = 0;
  virtual void RunUninstallSteps(UninstallFlags* flags) = 0;
  // Deletes the running program's file, or schedules it for the next
  // restart when it cannot go now.
  virtual void DeleteOwnFile() = 0;
};

// The real system, over the functions below.
class WindowsUninstallerSystem : public UninstallerSystem {
 public:
  std::wstring GetInstalledVersion() override;
  bool IsUserAdmin() override;
  int ShowMessageBox(HWND owner, const std::wstring& text,
                     const std::wstring& caption, UINT type) override;
  bool IsTemporaryCopy() override;
  DWORD RelaunchFromTempCopy(const std::wstring& arguments) override;
  void WaitForProcess(DWORD process_id) override;
  INT_PTR ShowUninstallDialog(HWND owner, bool* retain_data) override;
  void RunUninstallSteps(UninstallFlags* flags) override;
  void DeleteOwnFile() override;
};

// The program. |argv| is parsed into the flags; |argument_text| is the
// command line after the program's name. Arguments the flags cannot take
// (another uninstaller's "/S" or "/quiet", a --wait_pid without a number)
// are ignored: the parse stops at the first of them, and the user is still
// asked before anything goes. In order: not installed → -1 silently; not
// an administrator → message 106 (caption 105), -1; a first start (no
// --wait_pid, and not a temporary copy) → relaunch, passing on
// |argument_text| only when the flags took all of it, and the copy's
// process id (-1 when it did not start); otherwise wait for --wait_pid
// when above 0, confirm (anything but Yes → -1), run the steps, say 103
// or, when something waits for a restart, 104 (caption 102), delete the
// own file, 0.
int UninstallerMain(int argc, const wchar_t* const* argv,
                    const std::wstring& argument_text,
                    UninstallerSystem* system);

// Copies the running program to a new temporary file with the prefix "ZKR"
// in the temporary folder and starts it there, as
// "\"<copy>\" <arguments> --wait_pid=<this process's id>": |arguments| must
// be ones the flags take, so that the parse reaches the --wait_pid, which
// then also wins over any --wait_pid=0 among them. Returns the copy's
// process id; 0 when it did not start, and then the temporary file is
// deleted again.
DWORD RelaunchFromTempCopy(const std::wstring& arguments);

// True when the file name of |path| is one the system gives the temporary
// copies: "ZKR", hexadecimal digits, ".tmp", in any case. The folder is not
// looked at: the temporary folder may be spelt in its short or long form,
// and the program folder never holds such a name.
bool IsTemporaryCopyName(const std::wstring& path);

// Runs the setup tool of the program folder with "--action=uninstall"
// (hidden, waited for; when it cannot start, the rest goes on), then
// DeleteProgramFiles, DeleteRegistryEntries and, when flags say so,
// DeleteUserData.
void RunUninstallSteps(UninstallFlags* flags);

// Deletes the machine-wide data folder, the program folder and the module
// in both system folders. Folders the system cannot name (empty or not
// absolute) are left alone. What must wait for a restart sets
// flags->restart_needed.
void DeleteProgramFiles(UninstallFlags* flags);

// Deletes the updater's keys of the product (32-bit view), the machine-wide
// product key, its entry in the system's list of installed programs, and
// the text service's class key in both registry views. Silent.
void DeleteRegistryEntries();

// Deletes the running user's data folder (a deferred deletion sets
// flags->restart_needed) and product key.
void DeleteUserData(UninstallFlags* flags);

}  // namespace ime_t13n

#endif  // IME_T13N_INSTALLER_UNINSTALLER_H_
