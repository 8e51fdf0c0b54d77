#include "ime/t13n/installer/setup_helper.h"

#include <imm.h>
#include <msctf.h>
#include <objbase.h>
#include <shlwapi.h>

#include <cwchar>

#include "ime/shared/flags.h"
#include "ime/shared/language_identity.h"
#include "ime/t13n/installer/installer_names.h"
#include "ime/t13n/installer/setup_helper_resources.h"

IME_DEFINE_STRING_FLAG(action, L"", L"ime\\t13n\\installer\\set", L"");

namespace ime_t13n {

const wchar_t kKeyboardLayoutsKeyPath[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";

namespace {

const wchar_t kImeFileValue[] = L"Ime File";
// The language under which the text service's keyboard substitute was set.
constexpr LANGID kSubstituteLanguage = 0x0409;
constexpr CLSCTX kTsfContext =
    static_cast<CLSCTX>(CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER);

std::wstring ProgramString(UINT id) {
  const wchar_t* text = nullptr;
  // With no buffer size the system hands out the resource itself.
  const int length = ::LoadStringW(::GetModuleHandleW(nullptr), id,
                                   reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text != nullptr ? std::wstring(text, length)
                                       : std::wstring();
}

// The registry name of a loaded layout: its low 32 bits in hexadecimal.
std::wstring LayoutKeyName(HKL layout) {
  wchar_t name[16] = {};
  std::swprintf(name, 16, L"%08lX",
                static_cast<unsigned long>(
                    reinterpret_cast<ULONG_PTR>(layout) & 0xFFFFFFFFu));
  return name;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()),
                                b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The loaded layouts whose IME file is the module.
std::vector<ModuleLayout> LoadedModuleLayouts() {
  std::vector<ModuleLayout> layouts;
  const int count = ::GetKeyboardLayoutList(0, nullptr);
  if (count <= 0) return layouts;
  std::vector<HKL> loaded(count);
  const int listed = ::GetKeyboardLayoutList(count, loaded.data());
  for (int i = 0; i < listed; ++i) {
    wchar_t file[MAX_PATH + 1] = {};
    if (::ImmGetIMEFileNameW(loaded[i], file, MAX_PATH) == 0) continue;
    if (IsModuleFileName(file)) {
      layouts.push_back(ModuleLayout{LayoutKeyName(loaded[i]), loaded[i]});
    }
  }
  return layouts;
}

// The subkeys of the keyboard layouts key whose "Ime File" names the
// module.
std::vector<std::wstring> RegisteredModuleLayouts() {
  std::vector<std::wstring> names;
  HKEY layouts = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKeyPath, 0, KEY_READ,
                      &layouts) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256] = {};
    DWORD name_length = 256;
    const LONG result = ::RegEnumKeyExW(layouts, i, name, &name_length,
                                        nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;  // no layout has such a name
    if (result != ERROR_SUCCESS) break;
    wchar_t file[MAX_PATH + 1] = {};
    DWORD bytes = sizeof(file) - sizeof(wchar_t);  // keeps a terminator
    DWORD type = REG_NONE;
    if (::RegGetValueW(layouts, name, kImeFileValue,
                       RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                       &type, file, &bytes) == ERROR_SUCCESS &&
        IsModuleFileName(file)) {
      names.push_back(name);
    }
  }
  ::RegCloseKey(layouts);
  return names;
}

std::wstring SystemModulePath() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  wchar_t path[MAX_PATH] = {};
  if (::PathCombineW(path, folder, kModuleFileName) == nullptr) {
    return std::wstring();
  }
  return path;
}

// Balances a successful CoInitializeEx.
class ComScope {
 public:
  ComScope()
      : initialized_(SUCCEEDED(::CoInitializeEx(
            nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComScope() {
    if (initialized_) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_;
};

}  // namespace

bool WindowsSetupHelperSystem::IsUserAdmin() {
  return ime_shared::IsUserAdmin();
}

int WindowsSetupHelperSystem::ShowMessageBox(HWND owner,
                                             const std::wstring& text,
                                             const std::wstring& caption,
                                             UINT type) {
  return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

int SetupHelperMain(int argc, const wchar_t* const* argv,
                    SetupHelperSystem* system) {
  ime_shared::ParseFlags(argc, argv, stderr);
  if (!system->IsUserAdmin()) {
    system->ShowMessageBox(::GetForegroundWindow(),
                           ProgramString(IDS_SETUP_NEEDS_ADMINISTRATOR),
                           ProgramString(IDS_SETUP_ERROR_CAPTION),
                           MB_ICONERROR);
    return -1;
  }
  ComScope com;
  const std::wstring requested = FLAGS_action != nullptr ? FLAGS_action : L"";
  bool succeeded = false;
  if (requested == L"install") {
    succeeded = InstallModuleLayout();
  } else if (requested == L"uninstall") {
    // Whatever the TSF objects do, only the layouts decide the result: some
    // systems implement parts of TSF as stubs that refuse.
    UnregisterTextService(ime_shared::InputMethod::kTextServiceClsid,
                          kSubstituteLanguage,
                          ime_shared::InputMethod::kInputProcessorProfile);
    succeeded = RemoveModuleLayouts();
  }
  return succeeded ? 0 : -1;
}

HRESULT UnregisterTextService(REFCLSID clsid, LANGID langid, REFGUID profile) {
  ITfCategoryMgr* categories = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_TF_CategoryMgr, nullptr, kTsfContext,
                                   IID_ITfCategoryMgr,
                                   reinterpret_cast<void**>(&categories))) &&
      categories != nullptr) {
    // All categories first: unregistering one while enumerating would skip
    // the one after it.
    std::vector<GUID> registered;
    IEnumGUID* enumerator = nullptr;
    if (SUCCEEDED(categories->EnumCategoriesInItem(clsid, &enumerator)) &&
        enumerator != nullptr) {
      GUID category;
      ULONG fetched = 0;
      while (enumerator->Next(1, &category, &fetched) == S_OK && fetched == 1) {
        registered.push_back(category);
      }
      enumerator->Release();
    }
    for (const GUID& category : registered) {
      categories->UnregisterCategory(clsid, category, clsid);
    }
    categories->Release();
  }

  ITfInputProcessorProfiles* profiles = nullptr;
  const HRESULT created = ::CoCreateInstance(
      CLSID_TF_InputProcessorProfiles, nullptr, kTsfContext,
      IID_ITfInputProcessorProfiles, reinterpret_cast<void**>(&profiles));
  if (SUCCEEDED(created) && profiles != nullptr) {
    profiles->SubstituteKeyboardLayout(clsid, langid, profile, nullptr);
    profiles->Unregister(clsid);
    profiles->Release();
  }
  return created;
}

bool IsModuleFileName(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  const std::wstring name =
      separator == std::wstring::npos ? path : path.substr(separator + 1);
  return SameName(name, kModuleFileName);
}

std::vector<ModuleLayout> FindModuleLayouts() {
  std::vector<ModuleLayout> layouts = LoadedModuleLayouts();
  for (const std::wstring& name : RegisteredModuleLayouts()) {
    bool known = false;
    for (const ModuleLayout& layout : layouts) {
      known = known || SameName(layout.key_name, name);
    }
    if (!known) layouts.push_back(ModuleLayout{name, nullptr});
  }
  return layouts;
}

bool InstallModuleLayout() {
  if (!FindModuleLayouts().empty()) return true;
  // The system would install a layout for a missing file, one that can never
  // load: the module must be in place first.
  const std::wstring module = SystemModulePath();
  if (module.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(module.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  std::wstring layout_text = kProductDisplayName;
  return ::ImmInstallIMEW(module.c_str(), &layout_text[0]) != nullptr;
}

bool RemoveModuleLayouts() {
  for (const ModuleLayout& layout : FindModuleLayouts()) {
    // Some systems refuse to unload a layout (Wine always does); its key
    // goes all the same.
    if (layout.loaded != nullptr) ::UnloadKeyboardLayout(layout.loaded);
    // An empty name would delete every layout of the machine.
    if (layout.key_name.empty()) continue;
    const std::wstring key =
        std::wstring(kKeyboardLayoutsKeyPath) + L"\\" + layout.key_name;
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
  }
  return RegisteredModuleLayouts().empty();
}

}  // namespace ime_t13n
