#include "ime/t13n/installer/uninstaller.h"

#include <objbase.h>
#include <shellapi.h>

#include <cwchar>
#include <vector>

#include "ime/shared/flags.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/storage/updater_flag.h"
#include "ime/t13n/installer/installer_names.h"
#include "ime/t13n/installer/language_string.h"
#include "ime/t13n/installer/tree_deletion.h"
#include "ime/t13n/installer/uninstall_dialog.h"
#include "ime/t13n/installer/uninstaller_resources.h"

IME_DEFINE_INT_FLAG(wait_pid, 0, L"ime\\t13n\\installer\\uninstaller_main",
                    L"Wait the process to finish before uninstalling.");

namespace ime_t13n {

namespace {

const wchar_t kTempCopyPrefix[] = L"ZKR";
const wchar_t kUpdaterClientsKeyPath[] = L"Software\\Tarvel\\Update\\Clients";
const wchar_t kUninstallKeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    L"Tarvel Hindi Input";

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The running program's path; empty when it does not fit MAX_PATH.
std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return path;
}

// The product folder of |kind| when the shell names it with a full path;
// empty otherwise, so that nothing is deleted relative to the working
// folder.
std::wstring UsableProductDirectory(int kind) {
  const std::wstring folder = ime_shared::GetProductDirectory(kind);
  return IsAbsoluteFolder(folder) ? folder : std::wstring();
}

void DeleteFolder(int kind, UninstallFlags* flags) {
  const std::wstring folder = UsableProductDirectory(kind);
  if (folder.empty()) return;
  if (!DeleteDirectoryTree(folder)) flags->restart_needed = true;
}

void DeleteModule(int system_folder_kind, UninstallFlags* flags) {
  const std::wstring folder = UsableProductDirectory(system_folder_kind);
  if (folder.empty()) return;
  const std::wstring module = ime_shared::PathJoin(folder, kModuleFileName);
  if (module.empty() || ::DeleteFileW(module.c_str())) return;
  if (IsMissing(::GetLastError())) return;
  ScheduleDeletionAtRestart(module);
  flags->restart_needed = true;
}

// Runs the setup tool's uninstall action and waits for it. Its result is not
// looked at: the steps after it go on whatever it did.
void RunSetupHelperUninstall() {
  const std::wstring folder =
      UsableProductDirectory(ime_shared::kProgramDirectory);
  if (folder.empty()) return;
  const std::wstring program =
      ime_shared::PathJoin(folder, kSetupHelperFileName);
  if (program.empty()) return;

  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = program.c_str();
  info.lpParameters = kSetupHelperUninstallArguments;
  info.nShow = SW_HIDE;
  if (!::ShellExecuteExW(&info) || info.hProcess == nullptr) return;
  ::WaitForSingleObject(info.hProcess, INFINITE);
  ::CloseHandle(info.hProcess);
}

}  // namespace

std::wstring WindowsUninstallerSystem::GetInstalledVersion() {
  return ime_shared::GetInstalledVersion();
}

bool WindowsUninstallerSystem::IsUserAdmin() {
  return ime_shared::IsUserAdmin();
}

int WindowsUninstallerSystem::ShowMessageBox(HWND owner,
                                             const std::wstring& text,
                                             const std::wstring& caption,
                                             UINT type) {
  return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

bool WindowsUninstallerSystem::IsTemporaryCopy() {
  return IsTemporaryCopyName(OwnPath());
}

DWORD WindowsUninstallerSystem::RelaunchFromTempCopy(
    const std::wstring& arguments) {
  return ime_t13n::RelaunchFromTempCopy(arguments);
}

void WindowsUninstallerSystem::WaitForProcess(DWORD process_id) {
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, process_id);
  if (process == nullptr) return;
  ::WaitForSingleObject(process, INFINITE);
  ::CloseHandle(process);
}

INT_PTR WindowsUninstallerSystem::ShowUninstallDialog(HWND owner,
                                                      bool* retain_data) {
  UninstallDialog dialog;
  const INT_PTR result = dialog.DoModal(owner);
  *retain_data = dialog.retain_data();
  return result;
}

void WindowsUninstallerSystem::RunUninstallSteps(UninstallFlags* flags) {
  ime_t13n::RunUninstallSteps(flags);
}

void WindowsUninstallerSystem::DeleteOwnFile() {
  const std::wstring path = OwnPath();
  if (path.empty() || ::DeleteFileW(path.c_str())) return;
  if (!IsMissing(::GetLastError())) ScheduleDeletionAtRestart(path);
}

int UninstallerMain(int argc, const wchar_t* const* argv,
                    const std::wstring& argument_text,
                    UninstallerSystem* system) {
  const bool all_arguments_taken =
      ime_shared::ParseFlags(argc, argv, stderr) == 0;
  if (system->GetInstalledVersion().empty()) return -1;
  if (!system->IsUserAdmin()) {
    system->ShowMessageBox(nullptr,
                           LoadLanguageString(IDS_UNINSTALL_NEEDS_ADMINISTRATOR),
                           LoadLanguageString(IDS_UNINSTALL_ERROR_CAPTION),
                           MB_ICONERROR);
    return -1;
  }
  // A temporary copy never relaunches: without its --wait_pid (started by
  // hand, or with it behind arguments the flags stop at) it goes on without
  // waiting, since each copy that relaunched would make the next one
  // without end.
  if (FLAGS_wait_pid == 0 && !system->IsTemporaryCopy()) {
    // What the flags could not take is not passed on either: it would stop
    // the copy's parse before its --wait_pid.
    const DWORD copy = system->RelaunchFromTempCopy(
        all_arguments_taken ? argument_text : std::wstring());
    // A copy that did not start did nothing: that is no success.
    return copy != 0 ? static_cast<int>(copy) : -1;
  }
  if (FLAGS_wait_pid > 0) {
    system->WaitForProcess(static_cast<DWORD>(FLAGS_wait_pid));
  }

  bool retain_data = true;
  if (system->ShowUninstallDialog(::GetActiveWindow(), &retain_data) != IDYES) {
    return -1;
  }
  UninstallFlags flags;
  flags.delete_user_data = !retain_data;
  system->RunUninstallSteps(&flags);
  system->ShowMessageBox(
      nullptr,
      LoadLanguageString(flags.restart_needed
                             ? IDS_UNINSTALL_SUCCESS_AFTER_RESTART
                             : IDS_UNINSTALL_SUCCESS),
      LoadLanguageString(IDS_UNINSTALL_SUCCESS_CAPTION), MB_ICONINFORMATION);
  system->DeleteOwnFile();
  return 0;
}

DWORD RelaunchFromTempCopy(const std::wstring& arguments) {
  const std::wstring own = OwnPath();
  wchar_t temp_folder[MAX_PATH] = {};
  const DWORD temp_length = ::GetTempPathW(MAX_PATH, temp_folder);
  if (own.empty() || temp_length == 0 || temp_length >= MAX_PATH) return 0;
  wchar_t copy[MAX_PATH] = {};
  // Creates the file, under a name no other file has.
  if (::GetTempFileNameW(temp_folder, kTempCopyPrefix, 0, copy) == 0) return 0;

  if (::CopyFileW(own.c_str(), copy, FALSE)) {
    std::wstring command_line = L"\"" + std::wstring(copy) + L"\" " +
                                arguments + L" --wait_pid=" +
                                std::to_wstring(::GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (::CreateProcessW(copy, &command_line[0], nullptr, nullptr, FALSE, 0,
                         nullptr, temp_folder, &startup, &process)) {
      ::CloseHandle(process.hThread);
      ::CloseHandle(process.hProcess);
      return process.dwProcessId;
    }
  }
  ::DeleteFileW(copy);
  return 0;
}

bool IsTemporaryCopyName(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  const std::wstring name =
      separator == std::wstring::npos ? path : path.substr(separator + 1);
  const size_t prefix = std::wcslen(kTempCopyPrefix);
  const wchar_t kSuffix[] = L".tmp";
  const size_t suffix = std::wcslen(kSuffix);
  if (name.size() <= prefix + suffix) return false;
  if (_wcsnicmp(name.c_str(), kTempCopyPrefix, prefix) != 0) return false;
  if (_wcsicmp(name.c_str() + name.size() - suffix, kSuffix) != 0) {
    return false;
  }
  for (size_t i = prefix; i < name.size() - suffix; ++i) {
    const wchar_t c = name[i];
    const bool hex = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') ||
                     (c >= L'A' && c <= L'F');
    if (!hex) return false;
  }
  return true;
}

void RunUninstallSteps(UninstallFlags* flags) {
  // The shell wants COM on the thread that executes.
  const bool com = SUCCEEDED(::CoInitializeEx(
      nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  RunSetupHelperUninstall();
  if (com) ::CoUninitialize();
  DeleteProgramFiles(flags);
  DeleteRegistryEntries();
  if (flags->delete_user_data) DeleteUserData(flags);
}

void DeleteProgramFiles(UninstallFlags* flags) {
  DeleteFolder(ime_shared::kCommonDataDirectory, flags);
  DeleteFolder(ime_shared::kProgramDirectory, flags);
  DeleteModule(ime_shared::kSystemDirectory, flags);
  DeleteModule(ime_shared::kSystemX86Directory, flags);
}

void DeleteRegistryEntries() {
  const std::wstring app_id =
      ime_shared::UpdaterAppId(ime_shared::LanguageCodes::IndexOf());
  DeleteRegistryTree(HKEY_LOCAL_MACHINE,
                     std::wstring(kUpdaterClientsKeyPath) + L"\\" + app_id,
                     KEY_WOW64_32KEY);
  DeleteRegistryTree(
      HKEY_LOCAL_MACHINE,
      std::wstring(ime_shared::kUpdaterClientStateKeyPath) + L"\\" + app_id,
      KEY_WOW64_32KEY);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, ime_shared::kProductKeyPath, 0);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0);
  // The module is 64-bit, and a 32-bit registration may exist as well.
  const std::wstring class_key =
      L"CLSID\\" +
      ime_shared::GuidToString(ime_shared::InputMethod::kTextServiceClsid);
  DeleteRegistryTree(HKEY_CLASSES_ROOT, class_key, KEY_WOW64_32KEY);
  DeleteRegistryTree(HKEY_CLASSES_ROOT, class_key, KEY_WOW64_64KEY);
}

void DeleteUserData(UninstallFlags* flags) {
  DeleteFolder(ime_shared::kUserDataDirectory, flags);
  DeleteRegistryTree(HKEY_CURRENT_USER, ime_shared::kProductKeyPath, 0);
}

}  // namespace ime_t13n
