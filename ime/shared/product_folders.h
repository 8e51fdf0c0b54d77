// The product's folders: the install and data folders named in the registry,
// the shell folders by kind, and paths of files inside them. Failures give
// an empty text; nothing is shown to the user and no folder is created
// except by GetCrashDirectory and CreateFolderTree.
#ifndef IME_SHARED_PRODUCT_FOLDERS_H_
#define IME_SHARED_PRODUCT_FOLDERS_H_

#include <windows.h>

#include <string>

namespace ime_shared {

// The product's folder below the program files and application data
// folders.
extern const wchar_t kProductFolder[];

// Kinds of GetProductDirectory.
enum ProductDirectoryKind {
  kSystemDirectory = 0,        // the system folder
  kProgramDirectory = 1,       // program files\<product>
  kCommonDataDirectory = 2,    // common application data\<product>
  kUserDataDirectory = 3,      // per-user (low-integrity) data\<product>
  kSystemX86Directory = 4,     // the 32-bit system folder
  kVignelDirectory = 5,        // common application data\<product>\Vignels
  kDefaultVignelDirectory = 6, // ...\Vignels\1001
  kSchemeDirectory = 7,        // program files\<product>\Schemes
};

// |folder| and |name| combined by PathCombineW (at most MAX_PATH
// characters); empty when that fails. An empty folder gives |name| alone.
std::wstring PathJoin(const std::wstring& folder, const std::wstring& name);

// |name| in the install folder ("PATH"); |name| alone when that is unknown.
std::wstring GetInstallFilePath(const std::wstring& name);
// |name| in the per-user data folder. Empty when the folder is unknown, so
// that nothing is ever written relative to the host's working folder.
std::wstring GetUserDataFilePath(const std::wstring& name);
// "Vignels" in the data folder ("DataPath").
std::wstring GetDataFilePath();
// The "Crash" folder in the per-user data folder, created when missing;
// empty when it is unknown or cannot be created.
std::wstring GetCrashDirectory();

// The folder of |kind| (see ProductDirectoryKind); empty for other kinds or
// when the shell cannot name it. Creates nothing.
std::wstring GetProductDirectory(int kind);

// The shell folder |csidl| with |appended| added when not empty.
std::wstring GetShellFolderPath(int csidl, const std::wstring& appended);
// The known folder |folder_id| with |appended| added when not empty.
// SHGetKnownFolderPath is looked up at run time in the system's shell32.
std::wstring GetKnownFolderPath(const GUID& folder_id,
                                const std::wstring& appended);

// Creates the folder |path| with its missing parents. True when it exists
// as a folder afterwards.
bool CreateFolderTree(const std::wstring& path);

}  // namespace ime_shared

#endif  // IME_SHARED_PRODUCT_FOLDERS_H_
