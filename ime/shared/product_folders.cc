#include "ime/shared/product_folders.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "ime/shared/product_registry.h"
#include "ime/shared/security.h"

namespace ime_shared {

const wchar_t kProductFolder[] = L"Tarvel\\Tarvel Hindi Input";

namespace {

const wchar_t kVignelFolder[] = L"Tarvel\\Tarvel Hindi Input\\Vignels";
const wchar_t kDefaultVignelFolder[] =
    L"Tarvel\\Tarvel Hindi Input\\Vignels\\1001";
const wchar_t kSchemeFolder[] = L"Tarvel\\Tarvel Hindi Input\\Schemes";
const wchar_t kCrashFolderName[] = L"Crash";
const wchar_t kVignelFolderName[] = L"Vignels";

using GetKnownFolderPathFunction = HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE,
                                                    PWSTR*);

// |path| with |appended| added by PathAppendW; empty when the result would
// not fit MAX_PATH.
std::wstring AppendToPath(const std::wstring& path,
                          const std::wstring& appended) {
  if (appended.empty()) return path;
  wchar_t buffer[MAX_PATH] = {};
  if (path.size() >= MAX_PATH) return std::wstring();
  path.copy(buffer, path.size());
  if (!::PathAppendW(buffer, appended.c_str())) return std::wstring();
  return buffer;
}

// The per-user data folder, kept once it is known. Callers may come from
// several threads, so the cache has a lock; an unknown folder is asked again
// next time rather than kept.
SRWLOCK g_user_data_lock = SRWLOCK_INIT;
std::wstring* g_user_data_folder = nullptr;

std::wstring UserDataFolder() {
  ::AcquireSRWLockShared(&g_user_data_lock);
  std::wstring folder = g_user_data_folder ? *g_user_data_folder : L"";
  ::ReleaseSRWLockShared(&g_user_data_lock);
  if (!folder.empty()) return folder;

  folder = GetProductDirectory(kUserDataDirectory);
  if (folder.empty()) return folder;
  ::AcquireSRWLockExclusive(&g_user_data_lock);
  // Kept for the life of the process, like the module's other constants.
  if (g_user_data_folder == nullptr) {
    g_user_data_folder = new std::wstring(folder);
  }
  ::ReleaseSRWLockExclusive(&g_user_data_lock);
  return folder;
}

}  // namespace

std::wstring PathJoin(const std::wstring& folder, const std::wstring& name) {
  wchar_t buffer[MAX_PATH] = {};
  if (::PathCombineW(buffer, folder.empty() ? nullptr : folder.c_str(),
                     name.c_str()) == nullptr) {
    return std::wstring();
  }
  return buffer;
}

std::wstring GetInstallFilePath(const std::wstring& name) {
  return PathJoin(GetInstallDirectory(), name);
}

std::wstring GetUserDataFilePath(const std::wstring& name) {
  const std::wstring folder = UserDataFolder();
  if (folder.empty()) return std::wstring();
  return PathJoin(folder, name);
}

std::wstring GetDataFilePath() {
  return PathJoin(GetDataDirectory(), kVignelFolderName);
}

std::wstring GetCrashDirectory() {
  const std::wstring path = GetUserDataFilePath(kCrashFolderName);
  if (path.empty() || !CreateFolderTree(path)) return std::wstring();
  return path;
}

std::wstring GetProductDirectory(int kind) {
  switch (kind) {
    case kSystemDirectory:
      return GetShellFolderPath(CSIDL_SYSTEM, L"");
    case kProgramDirectory:
      return GetShellFolderPath(CSIDL_PROGRAM_FILES, kProductFolder);
    case kCommonDataDirectory:
      return GetShellFolderPath(CSIDL_COMMON_APPDATA, kProductFolder);
    case kUserDataDirectory:
      // Low-integrity processes can write only below LocalAppDataLow.
      if (IsVistaOrLater()) {
        return GetKnownFolderPath(FOLDERID_LocalAppDataLow, kProductFolder);
      }
      return GetShellFolderPath(CSIDL_LOCAL_APPDATA, kProductFolder);
    case kSystemX86Directory:
      return GetShellFolderPath(CSIDL_SYSTEMX86, L"");
    case kVignelDirectory:
      return GetShellFolderPath(CSIDL_COMMON_APPDATA, kVignelFolder);
    case kDefaultVignelDirectory:
      return GetShellFolderPath(CSIDL_COMMON_APPDATA, kDefaultVignelFolder);
    case kSchemeDirectory:
      return GetShellFolderPath(CSIDL_PROGRAM_FILES, kSchemeFolder);
    default:
      return std::wstring();
  }
}

std::wstring GetShellFolderPath(int csidl, const std::wstring& appended) {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT,
                                buffer))) {
    return std::wstring();
  }
  return AppendToPath(buffer, appended);
}

std::wstring GetKnownFolderPath(const GUID& folder_id,
                                const std::wstring& appended) {
  // Only the system's own shell32, never one beside the host program.
  wchar_t system_folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(system_folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  const std::wstring library_path = PathJoin(system_folder, L"shell32.dll");
  if (library_path.empty()) return std::wstring();
  HMODULE shell32 = ::LoadLibraryW(library_path.c_str());
  if (shell32 == nullptr) return std::wstring();

  std::wstring folder;
  auto get_known_folder_path = reinterpret_cast<GetKnownFolderPathFunction>(
      reinterpret_cast<void*>(::GetProcAddress(shell32, "SHGetKnownFolderPath")));
  PWSTR path = nullptr;
  if (get_known_folder_path != nullptr &&
      SUCCEEDED(get_known_folder_path(folder_id, 0, nullptr, &path)) &&
      path != nullptr) {
    folder = path;
  }
  ::CoTaskMemFree(path);
  ::FreeLibrary(shell32);
  // Without the folder there is no place: the appended part alone would be
  // a path relative to whatever folder the host program works in.
  if (folder.empty()) return std::wstring();
  return AppendToPath(folder, appended);
}

bool CreateFolderTree(const std::wstring& path) {
  if (path.empty() || ::PathIsRelativeW(path.c_str())) return false;
  // SHCreateDirectory wants a full path; its result is not needed, the
  // folder either exists afterwards or not (a file of that name is not a
  // folder).
  ::SHCreateDirectory(nullptr, path.c_str());
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace ime_shared
