// Scenarios of the two installer programs, run for real in a Wine prefix of
// their own (ctest starts this program through scripts/with_wine.sh, with
// the Hindi locale): each case plants an installation as the product's
// installation would, runs Strevane.exe or uninstaller.exe as a separate
// process, drives its windows, and looks at what is left. Keyboard layouts
// are found by their "Ime File" value, never by handle.
#include <windows.h>
#include <imm.h>
#include <msctf.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/storage/updater_flag.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"

namespace {

using ime_testing::RegistryPlace;

const wchar_t kModuleName[] = L"Kelvane_hi.ime";
const wchar_t kLayoutText[] = L"Tarvel Hindi Input";
const wchar_t kProductKey[] = L"Software\\Tarvel\\Tarvel Hindi Input";
const wchar_t kAutoupdateKey[] =
    L"Software\\Tarvel\\Tarvel Hindi Input\\Autoupdate";
const wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvel Hindi "
    L"Input";
const wchar_t kOtherProductKey[] = L"Software\\Tarvel\\Other";
const wchar_t kKeyboardLayouts[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";
const wchar_t kTipKey[] = L"Software\\Microsoft\\CTF\\TIP\\";
const wchar_t kSessionManagerKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kDialogTitle[] = L"Uninstall Tarvel Hindi Input";
const wchar_t kSuccessCaption[] = L"Uninstall successful";
const wchar_t kSuccessText[] =
    L"Have successfully uninstalled Tarvel Hindi Input.";
const wchar_t kSuccessAfterRestartText[] =
    L"Have successfully uninstalled Tarvel Hindi Input.\r\nSome of the "
    L"documents are being used, they will be deleted after restart.";
constexpr LANGID kHindi = 0x0439;
constexpr DWORD kWaitMs = 60000;

// Another input method that shares the machine and must survive.
const wchar_t kOtherModuleName[] = L"Othertest.ime";
const GUID kOtherClsid = {0x1F0C2A11, 0x6D2B, 0x4C4E,
                          {0x9A, 0x51, 0x22, 0x7B, 0x10, 0x33, 0x44, 0x55}};
const GUID kOtherProfile = {0x2A1D3B22, 0x7E3C, 0x4D5F,
                            {0x8B, 0x62, 0x33, 0x8C, 0x21, 0x44, 0x55, 0x66}};

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

// --- Places ---------------------------------------------------------------

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  EXPECT_EQ(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr,
                               SHGFP_TYPE_CURRENT, path),
            S_OK)
      << csidl;
  return path;
}

std::wstring KnownFolder(const GUID& id) {
  PWSTR path = nullptr;
  std::wstring result;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
  ::CoTaskMemFree(path);
  return result;
}

std::wstring TempFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, path);
  return path;
}

// The folders of the installation, by kind.
struct Places {
  Places()
      : program(ShellFolder(CSIDL_PROGRAM_FILES) + L"\\Tarvel\\Tarvel Hindi Input"),
        other_program(ShellFolder(CSIDL_PROGRAM_FILES) + L"\\Tarvel\\Other"),
        common_data(ShellFolder(CSIDL_COMMON_APPDATA) + L"\\Tarvel\\Tarvel Hindi Input"),
        user_data(KnownFolder(FOLDERID_LocalAppDataLow) + L"\\Tarvel\\Tarvel Hindi Input"),
        system(ShellFolder(CSIDL_SYSTEM)),
        system_x86(ShellFolder(CSIDL_SYSTEMX86)) {}

  std::wstring module() const { return system + L"\\" + kModuleName; }
  std::wstring module_x86() const { return system_x86 + L"\\" + kModuleName; }
  std::wstring setup_helper() const { return program + L"\\Strevane.exe"; }
  std::wstring uninstaller() const { return program + L"\\uninstaller.exe"; }

  std::wstring program;
  std::wstring other_program;
  std::wstring common_data;
  std::wstring user_data;
  std::wstring system;
  std::wstring system_x86;
};

std::wstring ClassId() {
  return ime_shared::GuidToString(ime_shared::InputMethod::kTextServiceClsid);
}

std::wstring UpdaterKey(const wchar_t* kind) {
  return std::wstring(L"Software\\Tarvel\\Update\\") + kind + L"\\" +
         ime_shared::UpdaterAppId(ime_shared::LanguageCodes::IndexOf());
}

// --- Files ----------------------------------------------------------------

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolders(const std::wstring& path) {
  const int result = ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS)
      << Narrow(path) << " " << result;
}

void Plant(const std::wstring& path, const std::string& bytes = "planted") {
  const size_t separator = path.find_last_of(L'\\');
  MakeFolders(path.substr(0, separator));
  ASSERT_TRUE(ime_testing::WriteFileBytes(path, bytes)) << Narrow(path);
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

// The uninstaller's temporary copies ("ZKR....tmp") in the temporary folder.
std::vector<std::wstring> TemporaryCopies() {
  std::vector<std::wstring> copies;
  WIN32_FIND_DATAW entry;
  HANDLE find =
      ::FindFirstFileW((TempFolder() + L"ZKR*.tmp").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return copies;
  do {
    copies.push_back(TempFolder() + entry.cFileName);
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return copies;
}

// Deletes them; a copy that was just ended may hold its file a moment
// longer, so this tries again for a few seconds.
void RemoveTemporaryCopies() {
  for (int attempt = 0; attempt < 50; ++attempt) {
    bool all_gone = true;
    for (const std::wstring& copy : TemporaryCopies()) {
      all_gone = ::DeleteFileW(copy.c_str()) && all_gone;
    }
    if (all_gone) return;
    ::Sleep(100);
  }
}

// --- Registry -------------------------------------------------------------

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0) {
  return RegistryPlace(root, path, view).Exists();
}

void DeleteKey(HKEY root, const std::wstring& path, REGSAM view = 0) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) ==
      ERROR_SUCCESS) {
    ::RegDeleteTreeW(key, nullptr);
    ::RegCloseKey(key);
  }
  ::RegDeleteKeyExW(root, path.c_str(), view, 0);
}

std::wstring ReadString(HKEY root, const std::wstring& path,
                        const wchar_t* name, REGSAM view = 0) {
  DWORD type = 0;
  std::string bytes;
  if (!RegistryPlace(root, path, view).Query(name, &type, &bytes)) return L"";
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()),
                    bytes.size() / sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}

// A keyboard layout key and its two values.
struct LayoutKey {
  std::wstring name;
  std::wstring ime_file;
  std::wstring text;
};

bool LastComponentIs(const std::wstring& path, const wchar_t* name) {
  const size_t separator = path.find_last_of(L"\\/");
  const std::wstring last =
      separator == std::wstring::npos ? path : path.substr(separator + 1);
  return _wcsicmp(last.c_str(), name) == 0;
}

// The layout keys whose "Ime File" names |module|.
std::vector<LayoutKey> LayoutKeysOf(const wchar_t* module) {
  std::vector<LayoutKey> keys;
  HKEY layouts = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyboardLayouts, 0, KEY_READ,
                      &layouts) != ERROR_SUCCESS) {
    return keys;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256] = {};
    DWORD length = 256;
    if (::RegEnumKeyExW(layouts, i, name, &length, nullptr, nullptr, nullptr,
                        nullptr) != ERROR_SUCCESS) {
      break;
    }
    const std::wstring path = std::wstring(kKeyboardLayouts) + L"\\" + name;
    LayoutKey key{name, ReadString(HKEY_LOCAL_MACHINE, path, L"Ime File"),
                  ReadString(HKEY_LOCAL_MACHINE, path, L"Layout Text")};
    if (LastComponentIs(key.ime_file, module)) keys.push_back(key);
  }
  ::RegCloseKey(layouts);
  return keys;
}

std::vector<std::wstring> PendingOperations() {
  std::vector<std::wstring> entries;
  DWORD type = 0;
  std::string bytes;
  if (!RegistryPlace(HKEY_LOCAL_MACHINE, kSessionManagerKey)
           .Query(L"PendingFileRenameOperations", &type, &bytes)) {
    return entries;
  }
  const wchar_t* data = reinterpret_cast<const wchar_t*>(bytes.data());
  const size_t units = bytes.size() / sizeof(wchar_t);
  size_t start = 0;
  for (size_t i = 0; i < units; ++i) {
    if (data[i] == L'\0') {
      entries.emplace_back(data + start, i - start);
      start = i + 1;
    }
  }
  return entries;
}

bool IsPendingDeletion(const std::wstring& path) {
  const std::vector<std::wstring> entries = PendingOperations();
  for (size_t i = 0; i + 1 < entries.size(); i += 2) {
    if (_wcsicmp(entries[i].c_str(), (L"\\??\\" + path).c_str()) == 0 &&
        entries[i + 1].empty()) {
      return true;
    }
  }
  return false;
}

// --- TSF ------------------------------------------------------------------

template <typename Interface>
Interface* Create(REFCLSID clsid, REFIID iid) {
  Interface* object = nullptr;
  ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid,
                     reinterpret_cast<void**>(&object));
  return object;
}

void RegisterTextService(const GUID& clsid, const GUID& profile,
                         const wchar_t* description) {
  auto* profiles = Create<ITfInputProcessorProfiles>(
      CLSID_TF_InputProcessorProfiles, IID_ITfInputProcessorProfiles);
  auto* categories =
      Create<ITfCategoryMgr>(CLSID_TF_CategoryMgr, IID_ITfCategoryMgr);
  ASSERT_NE(profiles, nullptr);
  ASSERT_NE(categories, nullptr);
  EXPECT_EQ(profiles->Register(clsid), S_OK);
  EXPECT_EQ(profiles->AddLanguageProfile(
                clsid, kHindi, profile, description,
                static_cast<ULONG>(std::wcslen(description)), L"", 0, 0),
            S_OK);
  EXPECT_EQ(categories->RegisterCategory(clsid, GUID_TFCAT_TIP_KEYBOARD, clsid),
            S_OK);
  categories->Release();
  profiles->Release();
}

void UnregisterTextServiceForCleanUp(const GUID& clsid) {
  if (auto* profiles = Create<ITfInputProcessorProfiles>(
          CLSID_TF_InputProcessorProfiles, IID_ITfInputProcessorProfiles)) {
    profiles->Unregister(clsid);
    profiles->Release();
  }
}

// Whether the Hindi language profile |profile| of |clsid| is registered,
// as TSF keeps it in the registry.
bool HasHindiProfile(const GUID& clsid, const GUID& profile) {
  return KeyExists(HKEY_LOCAL_MACHINE,
                   kTipKey + ime_shared::GuidToString(clsid) +
                       L"\\LanguageProfile\\0x00000439\\" +
                       ime_shared::GuidToString(profile));
}

// Whether the system lists a Hindi language profile of |clsid|.
bool ListsHindiProfile(const GUID& clsid) {
  auto* profiles = Create<ITfInputProcessorProfiles>(
      CLSID_TF_InputProcessorProfiles, IID_ITfInputProcessorProfiles);
  if (profiles == nullptr) return false;
  bool found = false;
  IEnumTfLanguageProfiles* listed = nullptr;
  if (SUCCEEDED(profiles->EnumLanguageProfiles(kHindi, &listed)) && listed) {
    TF_LANGUAGEPROFILE profile;
    ULONG fetched = 0;
    while (listed->Next(1, &profile, &fetched) == S_OK && fetched == 1) {
      found = found || IsEqualGUID(profile.clsid, clsid);
    }
    listed->Release();
  }
  profiles->Release();
  return found;
}

bool TipKeyExists(const GUID& clsid) {
  return KeyExists(HKEY_LOCAL_MACHINE,
                   kTipKey + ime_shared::GuidToString(clsid));
}

// --- Processes and windows ------------------------------------------------

class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (handle_ != nullptr) {
      if (::WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(handle_, 255);
      }
      ::CloseHandle(handle_);
    }
  }

  // Inside |job| when given, before it runs: the processes it starts then
  // belong to the job as well.
  bool Start(const std::wstring& program, const std::wstring& arguments,
             HANDLE job = nullptr) {
    std::wstring command_line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(program.c_str(), &command_line[0], nullptr, nullptr,
                          FALSE, job != nullptr ? CREATE_SUSPENDED : 0,
                          nullptr, nullptr, &startup, &info)) {
      return false;
    }
    if (job != nullptr && !::AssignProcessToJobObject(job, info.hProcess)) {
      ::TerminateProcess(info.hProcess, 255);
      ::CloseHandle(info.hThread);
      ::CloseHandle(info.hProcess);
      return false;
    }
    if (job != nullptr) ::ResumeThread(info.hThread);
    ::CloseHandle(info.hThread);
    handle_ = info.hProcess;
    id_ = info.dwProcessId;
    return true;
  }
  bool Open(DWORD id) {
    handle_ = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                            FALSE, id);
    id_ = id;
    return handle_ != nullptr;
  }
  // The exit code; 0x7FFFFFFF when it did not end in time.
  int Wait(DWORD timeout_ms = kWaitMs) {
    if (::WaitForSingleObject(handle_, timeout_ms) != WAIT_OBJECT_0) {
      return 0x7FFFFFFF;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(handle_, &code);
    return static_cast<int>(code);
  }
  bool Running() const {
    return ::WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
  }
  std::wstring ImagePath() const {
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!::QueryFullProcessImageNameW(handle_, 0, path, &length)) return L"";
    return path;
  }
  DWORD id() const { return id_; }

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// A process and every process it starts, and they in turn: all are ended
// when the tree goes, so that a program that keeps starting copies of
// itself cannot outlive its test.
class ProcessTree {
 public:
  ProcessTree() : job_(::CreateJobObjectW(nullptr, nullptr)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job_ != nullptr) {
      ::SetInformationJobObject(job_, JobObjectExtendedLimitInformation,
                                &limits, sizeof(limits));
    }
  }
  ProcessTree(const ProcessTree&) = delete;
  ProcessTree& operator=(const ProcessTree&) = delete;
  ~ProcessTree() {
    if (job_ == nullptr) return;
    ::TerminateJobObject(job_, 255);
    ::CloseHandle(job_);
  }

  HANDLE job() const { return job_; }

 private:
  HANDLE job_;
};

int RunProgram(const std::wstring& program, const std::wstring& arguments) {
  Process process;
  if (!process.Start(program, arguments)) return 0x7FFFFFFE;
  return process.Wait();
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  ::SendMessageTimeoutW(window, WM_GETTEXT, 1024,
                        reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        nullptr);
  return text;
}

struct WindowSearch {
  DWORD process_id;
  std::wstring title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id || !::IsWindowVisible(window)) return TRUE;
  wchar_t class_name[16] = {};
  ::GetClassNameW(window, class_name, 16);
  if (std::wcscmp(class_name, L"#32770") != 0) return TRUE;
  if (!search->title.empty() && TextOf(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible dialog of |process| (with |title| when given); null when none
// shows while the process runs, within the time limit.
HWND WaitForDialog(const Process& process, const std::wstring& title) {
  const ULONGLONG end = ::GetTickCount64() + kWaitMs;
  while (::GetTickCount64() < end) {
    WindowSearch search{process.id(), title, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    if (!process.Running()) return nullptr;
    ::Sleep(50);
  }
  return nullptr;
}

bool ShowsAnyWindow(const Process& process) {
  WindowSearch search{process.id(), L"", nullptr};
  ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr;
}

// The text of a message box: its static control (id 0xFFFF), or the longest
// static text in it.
std::wstring MessageBoxText(HWND box) {
  std::wstring text;
  if (HWND control = ::GetDlgItem(box, 0xFFFF)) text = TextOf(control);
  if (!text.empty()) return text;
  for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t class_name[16] = {};
    ::GetClassNameW(child, class_name, 16);
    const std::wstring child_text = TextOf(child);
    if (_wcsicmp(class_name, L"Static") == 0 && child_text.size() > text.size()) {
      text = child_text;
    }
  }
  return text;
}

void PressButton(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// --- The installation -----------------------------------------------------

class InstallerScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    WipeEverything();
  }
  void TearDown() override {
    WipeEverything();
    ::CoUninitialize();
  }

  // Removes whatever a case may have planted or left.
  void WipeEverything() {
    for (const std::wstring& folder :
         {places_.program, places_.other_program, places_.common_data,
          places_.user_data}) {
      RemoveTree(folder);
    }
    for (const std::wstring& file :
         {places_.module(), places_.module_x86(),
          places_.system + L"\\" + kOtherModuleName}) {
      ::DeleteFileW(file.c_str());
    }
    DeleteKey(HKEY_LOCAL_MACHINE, kProductKey, KEY_WOW64_64KEY);
    DeleteKey(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteKey(HKEY_LOCAL_MACHINE, kOtherProductKey);
    DeleteKey(HKEY_LOCAL_MACHINE, UpdaterKey(L"Clients"), KEY_WOW64_32KEY);
    DeleteKey(HKEY_LOCAL_MACHINE, UpdaterKey(L"ClientState"), KEY_WOW64_32KEY);
    DeleteKey(HKEY_CURRENT_USER, kProductKey);
    for (const GUID& clsid :
         {ime_shared::InputMethod::kTextServiceClsid, kOtherClsid}) {
      const std::wstring key = L"CLSID\\" + ime_shared::GuidToString(clsid);
      DeleteKey(HKEY_CLASSES_ROOT, key, KEY_WOW64_32KEY);
      DeleteKey(HKEY_CLASSES_ROOT, key, KEY_WOW64_64KEY);
      UnregisterTextServiceForCleanUp(clsid);
    }
    for (const wchar_t* module : {kModuleName, kOtherModuleName}) {
      for (const LayoutKey& key : LayoutKeysOf(module)) {
        DeleteKey(HKEY_LOCAL_MACHINE,
                  std::wstring(kKeyboardLayouts) + L"\\" + key.name);
      }
    }
    RegistryPlace(HKEY_LOCAL_MACHINE, kSessionManagerKey)
        .Delete(L"PendingFileRenameOperations");
    RemoveTemporaryCopies();
  }

  // What the product's installation puts in place, the keyboard layout
  // installed by the real setup tool when |with_layout|.
  void PlantInstallation(bool with_layout) {
    const std::wstring built = ime_testing::ProgramDirectory();
    MakeFolders(places_.program + L"\\Schemes");
    ASSERT_TRUE(::CopyFileW((built + L"Strevane.exe").c_str(),
                            places_.setup_helper().c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((built + L"uninstaller.exe").c_str(),
                            places_.uninstaller().c_str(), FALSE));
    Plant(places_.program + L"\\Dorimond.exe");
    Plant(places_.program + L"\\Schemes\\my.scheme", "a = b\r\n");
    Plant(places_.common_data + L"\\hi\\data.00000");
    Plant(places_.common_data + L"\\Vignels\\1001\\index.txt");
    Plant(places_.user_data + L"\\macros.00000");
    Plant(places_.user_data + L"\\Crash\\old.dmp");
    Plant(places_.module(), "module");
    Plant(places_.module_x86(), "module");

    const RegistryPlace machine(HKEY_LOCAL_MACHINE, kProductKey,
                                KEY_WOW64_64KEY);
    ASSERT_EQ(machine.SetString(L"PATH", places_.program), ERROR_SUCCESS);
    ASSERT_EQ(machine.SetString(L"DataPath", places_.common_data),
              ERROR_SUCCESS);
    ASSERT_EQ(RegistryPlace(HKEY_LOCAL_MACHINE, kAutoupdateKey, KEY_WOW64_64KEY)
                  .SetString(L"InstalledVersion", L"1.0.4.0"),
              ERROR_SUCCESS);
    const RegistryPlace uninstall(HKEY_LOCAL_MACHINE, kUninstallKey);
    ASSERT_EQ(uninstall.SetString(L"DisplayName", kLayoutText), ERROR_SUCCESS);
    ASSERT_EQ(uninstall.SetString(L"UninstallString",
                                  L"\"" + places_.uninstaller() + L"\""),
              ERROR_SUCCESS);
    ASSERT_EQ(RegistryPlace(HKEY_LOCAL_MACHINE, UpdaterKey(L"Clients"),
                            KEY_WOW64_32KEY)
                  .SetString(L"pv", L"1.0.4.0"),
              ERROR_SUCCESS);
    ASSERT_EQ(RegistryPlace(HKEY_LOCAL_MACHINE, UpdaterKey(L"ClientState"),
                            KEY_WOW64_32KEY)
                  .SetString(L"dr", L"1"),
              ERROR_SUCCESS);
    PlantClass(ime_shared::InputMethod::kTextServiceClsid, places_.module());
    RegisterTextService(ime_shared::InputMethod::kTextServiceClsid,
                        ime_shared::InputMethod::kInputProcessorProfile,
                        kLayoutText);
    ASSERT_EQ(RegistryPlace(HKEY_CURRENT_USER, kProductKey)
                  .SetDword(L"T13nPageSize", 7),
              ERROR_SUCCESS);
    if (with_layout) {
      ASSERT_EQ(RunProgram(places_.setup_helper(), L"--action=install"), 0);
      ASSERT_EQ(LayoutKeysOf(kModuleName).size(), 1u);
    }
    ASSERT_TRUE(HasHindiProfile(ime_shared::InputMethod::kTextServiceClsid,
                              ime_shared::InputMethod::kInputProcessorProfile));
  }

  // The class key of |clsid| in both registry views, each with a value of
  // its own, so that the two views are shown to be apart.
  void PlantClass(const GUID& clsid, const std::wstring& module) {
    const std::wstring key = L"CLSID\\" + ime_shared::GuidToString(clsid);
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      ASSERT_EQ(RegistryPlace(HKEY_CLASSES_ROOT, key, view)
                    .SetString(L"", L"Tarvel Input Method"),
                ERROR_SUCCESS);
      const RegistryPlace server(HKEY_CLASSES_ROOT, key + L"\\InprocServer32",
                                 view);
      ASSERT_EQ(server.SetString(L"", module), ERROR_SUCCESS);
      ASSERT_EQ(server.SetString(L"ThreadingModel", L"Apartment"),
                ERROR_SUCCESS);
      ASSERT_EQ(RegistryPlace(HKEY_CLASSES_ROOT, key, view)
                    .SetDword(L"View", view == KEY_WOW64_32KEY ? 32 : 64),
                ERROR_SUCCESS);
    }
    ASSERT_EQ(RegistryPlace(HKEY_CLASSES_ROOT, key, KEY_WOW64_32KEY)
                  .GetDword(L"View"),
              32u);
    ASSERT_EQ(RegistryPlace(HKEY_CLASSES_ROOT, key, KEY_WOW64_64KEY)
                  .GetDword(L"View"),
              64u);
  }

  // Another product of the same maker and another input method, with its
  // layout and text service.
  void PlantOthers() {
    ASSERT_EQ(RegistryPlace(HKEY_LOCAL_MACHINE, kOtherProductKey)
                  .SetString(L"PATH", places_.other_program),
              ERROR_SUCCESS);
    Plant(places_.other_program + L"\\keep.txt");
    const std::wstring other_module =
        places_.system + L"\\" + kOtherModuleName;
    Plant(other_module, "other module");
    PlantClass(kOtherClsid, other_module);
    std::wstring text = L"Other Input";
    ASSERT_NE(::ImmInstallIMEW(other_module.c_str(), &text[0]), nullptr);
    RegisterTextService(kOtherClsid, kOtherProfile, L"Other Input");
  }

  void ExpectOthersSurvive() {
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOtherProductKey));
    EXPECT_TRUE(Exists(places_.other_program + L"\\keep.txt"));
    EXPECT_TRUE(Exists(places_.system + L"\\" + kOtherModuleName));
    const std::wstring key = L"CLSID\\" + ime_shared::GuidToString(kOtherClsid);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key, KEY_WOW64_32KEY));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key, KEY_WOW64_64KEY));
    EXPECT_EQ(LayoutKeysOf(kOtherModuleName).size(), 1u);
    EXPECT_TRUE(HasHindiProfile(kOtherClsid, kOtherProfile));
    EXPECT_TRUE(TipKeyExists(kOtherClsid));
  }

  // Everything of the planted installation is still in place.
  void ExpectInstallationIntact() {
    EXPECT_TRUE(Exists(places_.setup_helper()));
    EXPECT_TRUE(Exists(places_.uninstaller()));
    EXPECT_TRUE(Exists(places_.program + L"\\Schemes\\my.scheme"));
    EXPECT_TRUE(Exists(places_.common_data + L"\\hi\\data.00000"));
    EXPECT_TRUE(Exists(places_.user_data + L"\\macros.00000"));
    EXPECT_TRUE(Exists(places_.module()));
    EXPECT_TRUE(Exists(places_.module_x86()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAutoupdateKey, KEY_WOW64_64KEY));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, UpdaterKey(L"Clients"),
                          KEY_WOW64_32KEY));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + ClassId(),
                          KEY_WOW64_64KEY));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_EQ(LayoutKeysOf(kModuleName).size(), 1u);
    EXPECT_TRUE(HasHindiProfile(ime_shared::InputMethod::kTextServiceClsid,
                              ime_shared::InputMethod::kInputProcessorProfile));
  }

  // The machine-wide part is gone: program files, modules, keys, the layout
  // and (when the setup tool ran) the TSF registration.
  void ExpectMachinePartGone(bool setup_helper_ran) {
    EXPECT_FALSE(Exists(places_.program));
    EXPECT_FALSE(Exists(places_.common_data));
    EXPECT_FALSE(Exists(places_.module()));
    EXPECT_FALSE(Exists(places_.module_x86()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey, KEY_WOW64_64KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UpdaterKey(L"Clients"),
                           KEY_WOW64_32KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UpdaterKey(L"ClientState"),
                           KEY_WOW64_32KEY));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + ClassId(),
                           KEY_WOW64_32KEY));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + ClassId(),
                           KEY_WOW64_64KEY));
    EXPECT_EQ(LayoutKeysOf(kModuleName).empty(), setup_helper_ran);
    EXPECT_EQ(HasHindiProfile(ime_shared::InputMethod::kTextServiceClsid,
                              ime_shared::InputMethod::kInputProcessorProfile),
              !setup_helper_ran);
    EXPECT_EQ(TipKeyExists(ime_shared::InputMethod::kTextServiceClsid),
              !setup_helper_ran);
    if (setup_helper_ran) {
      EXPECT_FALSE(
          ListsHindiProfile(ime_shared::InputMethod::kTextServiceClsid));
    }
  }

  // A copy of the built uninstaller outside the program folder, as the
  // first start makes one, to be run with --wait_pid.
  std::wstring UninstallerCopy() {
    const std::wstring copy = TempFolder() + L"uninstaller-copy.exe";
    EXPECT_TRUE(::CopyFileW(places_.uninstaller().c_str(), copy.c_str(), FALSE));
    return copy;
  }

  // Answers the final message box of |process| and returns its text; the
  // caption must be "Uninstall successful".
  std::wstring AnswerFinalMessage(const Process& process) {
    HWND box = WaitForDialog(process, kSuccessCaption);
    if (box == nullptr) return L"(no message box)";
    const std::wstring text = MessageBoxText(box);
    PressButton(box, IDOK);
    return text;
  }

  Places places_;
};

// --- Strevane -------------------------------------------------------------

TEST_F(InstallerScenario, SetupToolInstallsOneLayoutOnce) {
  PlantInstallation(/*with_layout=*/false);
  EXPECT_TRUE(LayoutKeysOf(kModuleName).empty());

  EXPECT_EQ(RunProgram(places_.setup_helper(), L"--action=install"), 0);
  std::vector<LayoutKey> keys = LayoutKeysOf(kModuleName);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_TRUE(LastComponentIs(keys[0].ime_file, kModuleName));
  EXPECT_EQ(keys[0].text, kLayoutText);
  // An input-method layout of the Hindi language (the locale's).
  ASSERT_EQ(keys[0].name.size(), 8u);
  EXPECT_EQ(_wcsicmp(keys[0].name.substr(4).c_str(), L"0439"), 0)
      << Narrow(keys[0].name);
  EXPECT_TRUE(keys[0].name[0] == L'E' || keys[0].name[0] == L'e');

  // Installed already: nothing more.
  EXPECT_EQ(RunProgram(places_.setup_helper(), L"--action=install"), 0);
  const std::vector<LayoutKey> again = LayoutKeysOf(kModuleName);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].name, keys[0].name);
}

TEST_F(InstallerScenario, SetupToolRefusesUnknownActionsAndChangesNothing) {
  PlantInstallation(/*with_layout=*/false);
  for (const wchar_t* arguments :
       {L"--action=Install", L"", L"--action=bogus", L"install"}) {
    EXPECT_EQ(RunProgram(places_.setup_helper(), arguments), -1)
        << Narrow(arguments);
  }
  EXPECT_TRUE(LayoutKeysOf(kModuleName).empty());

  ASSERT_EQ(RunProgram(places_.setup_helper(), L"--action=install"), 0);
  EXPECT_EQ(RunProgram(places_.setup_helper(), L"--action=Uninstall"), -1);
  EXPECT_EQ(LayoutKeysOf(kModuleName).size(), 1u);
  EXPECT_TRUE(HasHindiProfile(ime_shared::InputMethod::kTextServiceClsid,
                              ime_shared::InputMethod::kInputProcessorProfile));
  EXPECT_TRUE(TipKeyExists(ime_shared::InputMethod::kTextServiceClsid));
}

TEST_F(InstallerScenario, SetupToolInstallsNothingWithoutTheModule) {
  PlantInstallation(/*with_layout=*/false);
  ASSERT_TRUE(::DeleteFileW(places_.module().c_str()));
  EXPECT_EQ(RunProgram(places_.setup_helper(), L"--action=install"), -1);
  EXPECT_TRUE(LayoutKeysOf(kModuleName).empty());
}

TEST_F(InstallerScenario, SetupToolUninstallRemovesLayoutAndTextServiceOnly) {
  PlantInstallation(/*with_layout=*/true);
  PlantOthers();
  ASSERT_TRUE(TipKeyExists(ime_shared::InputMethod::kTextServiceClsid));

  EXPECT_EQ(RunProgram(places_.setup_helper(), L"--action=uninstall"), 0);
  EXPECT_TRUE(LayoutKeysOf(kModuleName).empty());
  EXPECT_FALSE(ListsHindiProfile(ime_shared::InputMethod::kTextServiceClsid));
  EXPECT_TRUE(ListsHindiProfile(kOtherClsid));
  EXPECT_FALSE(HasHindiProfile(ime_shared::InputMethod::kTextServiceClsid,
                               ime_shared::InputMethod::kInputProcessorProfile));
  EXPECT_FALSE(TipKeyExists(ime_shared::InputMethod::kTextServiceClsid));
  // Files and other registrations are the uninstaller's business.
  EXPECT_TRUE(Exists(places_.module()));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + ClassId(),
                        KEY_WOW64_64KEY));
  ExpectOthersSurvive();

  // Nothing left to remove is no failure.
  EXPECT_EQ(RunProgram(places_.setup_helper(), L"--action=uninstall"), 0);
  ExpectOthersSurvive();
}

TEST_F(InstallerScenario, SetupToolFindsAndRemovesEveryLayoutOfTheModule) {
  PlantInstallation(/*with_layout=*/false);
  // Layouts left by earlier installations, one named by the bare file name
  // in capitals as some systems write it.
  std::wstring text = kLayoutText;
  ASSERT_NE(::ImmInstallIMEW(places_.module().c_str(), &text[0]), nullptr);
  ASSERT_NE(::ImmInstallIMEW(places_.module().c_str(), &text[0]), nullptr);
  const RegistryPlace bare(HKEY_LOCAL_MACHINE,
                           std::wstring(kKeyboardLayouts) + L"\\E0FE0439");
  ASSERT_EQ(bare.SetString(L"Ime File", L"KELVANE_HI.IME"), ERROR_SUCCESS);
  ASSERT_EQ(bare.SetString(L"Layout Text", kLayoutText), ERROR_SUCCESS);
  ASSERT_EQ(LayoutKeysOf(kModuleName).size(), 3u);

  // One is there: install adds none.
  EXPECT_EQ(RunProgram(places_.setup_helper(), L"--action=install"), 0);
  EXPECT_EQ(LayoutKeysOf(kModuleName).size(), 3u);

  EXPECT_EQ(RunProgram(places_.setup_helper(), L"--action=uninstall"), 0);
  EXPECT_TRUE(LayoutKeysOf(kModuleName).empty());
}

// --- uninstaller.exe ------------------------------------------------------

TEST_F(InstallerScenario, UninstallerWithoutAnInstalledVersionDoesNothing) {
  PlantInstallation(/*with_layout=*/true);
  ASSERT_EQ(RegistryPlace(HKEY_LOCAL_MACHINE, kAutoupdateKey, KEY_WOW64_64KEY)
                .Delete(L"InstalledVersion"),
            ERROR_SUCCESS);
  for (const wchar_t* arguments : {L"", L"--wait_pid=-1"}) {
    Process process;
    ASSERT_TRUE(process.Start(places_.uninstaller(), arguments));
    bool showed_window = false;
    while (process.Running() && !showed_window) {
      showed_window = ShowsAnyWindow(process);
      ::Sleep(20);
    }
    EXPECT_FALSE(showed_window) << Narrow(arguments);
    EXPECT_EQ(process.Wait(), -1) << Narrow(arguments);
  }
  EXPECT_TRUE(Exists(places_.uninstaller()));
  EXPECT_TRUE(Exists(places_.module()));
  EXPECT_EQ(LayoutKeysOf(kModuleName).size(), 1u);
}

TEST_F(InstallerScenario, UninstallerFirstStartHandsOverToATemporaryCopy) {
  PlantInstallation(/*with_layout=*/true);
  Process first;
  ASSERT_TRUE(first.Start(places_.uninstaller(), L""));
  const int copy_id = first.Wait();
  ASSERT_GT(copy_id, 0);
  ASSERT_NE(copy_id, 0x7FFFFFFF);

  Process copy;
  ASSERT_TRUE(copy.Open(static_cast<DWORD>(copy_id)));
  const std::wstring image = copy.ImagePath();
  const size_t separator = image.find_last_of(L'\\');
  const std::wstring folder = image.substr(0, separator + 1);
  const std::wstring name = image.substr(separator + 1);
  EXPECT_EQ(_wcsicmp(folder.c_str(), TempFolder().c_str()), 0)
      << Narrow(image);
  EXPECT_EQ(_wcsnicmp(name.c_str(), L"ZKR", 3), 0) << Narrow(name);
  EXPECT_EQ(_wcsicmp(name.substr(name.size() - 4).c_str(), L".tmp"), 0)
      << Narrow(name);

  HWND dialog = WaitForDialog(copy, kDialogTitle);
  ASSERT_NE(dialog, nullptr);
  PressButton(dialog, IDNO);
  EXPECT_EQ(copy.Wait(), -1);
  ExpectInstallationIntact();
}

// Arguments the flags cannot take, as other uninstallers are started with:
// one temporary copy, which asks the user; the tree ends any copy started
// after it, so that a fault here fails the case instead of filling the disk.
TEST_F(InstallerScenario, UninstallerWithArgumentsItCannotTakeAsksFromOneCopy) {
  PlantInstallation(/*with_layout=*/true);
  for (const wchar_t* arguments :
       {L"/quiet", L"/S", L"--wait_pid=abc", L"--wait_pid"}) {
    SCOPED_TRACE(Narrow(arguments));
    ProcessTree tree;
    Process first;
    ASSERT_TRUE(first.Start(places_.uninstaller(), arguments, tree.job()));
    const int copy_id = first.Wait();
    ASSERT_GT(copy_id, 0);
    ASSERT_NE(copy_id, 0x7FFFFFFF);
    Process copy;
    ASSERT_TRUE(copy.Open(static_cast<DWORD>(copy_id)));

    HWND dialog = WaitForDialog(copy, kDialogTitle);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_EQ(TemporaryCopies().size(), 1u);
    PressButton(dialog, IDNO);
    EXPECT_EQ(copy.Wait(), -1);
    EXPECT_EQ(TemporaryCopies().size(), 1u);
    RemoveTemporaryCopies();
  }

  // A temporary copy started by hand without --wait_pid, and with arguments
  // that stop the flags before any: it asks, and starts no other copy.
  const std::wstring copy = TempFolder() + L"ZKR1F.tmp";
  ASSERT_TRUE(::CopyFileW(places_.uninstaller().c_str(), copy.c_str(), FALSE));
  ProcessTree tree;
  Process process;
  ASSERT_TRUE(process.Start(copy, L"/S --wait_pid=12", tree.job()));
  HWND dialog = WaitForDialog(process, kDialogTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(::IsWindowVisible(dialog));
  PressButton(dialog, IDNO);
  EXPECT_EQ(process.Wait(), -1);
  EXPECT_EQ(TemporaryCopies(), std::vector<std::wstring>{copy});
  ExpectInstallationIntact();
}

TEST_F(InstallerScenario, UninstallerNoEscapeOrCloseChangeNothing) {
  PlantInstallation(/*with_layout=*/true);
  const std::wstring copy = UninstallerCopy();
  for (int way = 0; way < 3; ++way) {
    Process process;
    ASSERT_TRUE(process.Start(copy, L"--wait_pid=-1"));
    HWND dialog = WaitForDialog(process, kDialogTitle);
    ASSERT_NE(dialog, nullptr) << way;
    if (way == 0) {
      PressButton(dialog, IDNO);
    } else if (way == 1) {
      ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 1);
    } else {
      ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_EQ(process.Wait(), -1) << way;
  }
  ExpectInstallationIntact();
  ::DeleteFileW(copy.c_str());
}

TEST_F(InstallerScenario, UninstallerKeepsTheUsersDataWhenTheBoxStaysTicked) {
  PlantInstallation(/*with_layout=*/true);
  PlantOthers();
  // The whole road: the first start from the program folder, then its copy.
  Process first;
  ASSERT_TRUE(first.Start(places_.uninstaller(), L""));
  const int copy_id = first.Wait();
  ASSERT_GT(copy_id, 0);
  Process copy;
  ASSERT_TRUE(copy.Open(static_cast<DWORD>(copy_id)));
  const std::wstring copy_image = copy.ImagePath();

  HWND dialog = WaitForDialog(copy, kDialogTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(::SendMessageW(::GetDlgItem(dialog, 1001), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  PressButton(dialog, IDYES);
  EXPECT_EQ(AnswerFinalMessage(copy), kSuccessText);
  EXPECT_EQ(copy.Wait(), 0);

  ExpectMachinePartGone(/*setup_helper_ran=*/true);
  EXPECT_TRUE(Exists(places_.user_data + L"\\macros.00000"));
  EXPECT_TRUE(Exists(places_.user_data + L"\\Crash\\old.dmp"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kProductKey));
  ExpectOthersSurvive();
  // The copy removes itself, now or at the next restart.
  EXPECT_TRUE(!Exists(copy_image) || IsPendingDeletion(copy_image))
      << Narrow(copy_image);
}

TEST_F(InstallerScenario, UninstallerDeletesTheUsersDataWhenTheBoxIsCleared) {
  PlantInstallation(/*with_layout=*/true);
  PlantOthers();
  Process process;
  ASSERT_TRUE(process.Start(UninstallerCopy(), L"--wait_pid=-1"));
  HWND dialog = WaitForDialog(process, kDialogTitle);
  ASSERT_NE(dialog, nullptr);
  ::SendMessageW(::GetDlgItem(dialog, 1001), BM_SETCHECK, BST_UNCHECKED, 0);
  PressButton(dialog, IDYES);
  EXPECT_EQ(AnswerFinalMessage(process), kSuccessText);
  EXPECT_EQ(process.Wait(), 0);

  ExpectMachinePartGone(/*setup_helper_ran=*/true);
  EXPECT_FALSE(Exists(places_.user_data));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
  ExpectOthersSurvive();
}

TEST_F(InstallerScenario, UninstallerLeavesAHeldModuleForTheNextRestart) {
  PlantInstallation(/*with_layout=*/true);
  HANDLE held = ::CreateFileW(places_.module().c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Process process;
  ASSERT_TRUE(process.Start(UninstallerCopy(), L"--wait_pid=-1"));
  HWND dialog = WaitForDialog(process, kDialogTitle);
  ASSERT_NE(dialog, nullptr);
  PressButton(dialog, IDYES);
  EXPECT_EQ(AnswerFinalMessage(process), kSuccessAfterRestartText);
  EXPECT_EQ(process.Wait(), 0);
  ::CloseHandle(held);

  EXPECT_TRUE(Exists(places_.module()));
  EXPECT_TRUE(IsPendingDeletion(places_.module()));
  EXPECT_FALSE(Exists(places_.module_x86()));
  EXPECT_FALSE(Exists(places_.program));
  EXPECT_TRUE(LayoutKeysOf(kModuleName).empty());
}

TEST_F(InstallerScenario, UninstallerGoesOnWithoutTheSetupTool) {
  PlantInstallation(/*with_layout=*/true);
  PlantOthers();
  ASSERT_TRUE(::DeleteFileW(places_.setup_helper().c_str()));
  Process process;
  ASSERT_TRUE(process.Start(UninstallerCopy(), L"--wait_pid=-1"));
  HWND dialog = WaitForDialog(process, kDialogTitle);
  ASSERT_NE(dialog, nullptr);
  PressButton(dialog, IDYES);
  EXPECT_EQ(AnswerFinalMessage(process), kSuccessText);
  EXPECT_EQ(process.Wait(), 0);

  ExpectMachinePartGone(/*setup_helper_ran=*/false);
  ExpectOthersSurvive();
}

}  // namespace
