// Deleting a folder tree or a registry key tree, as the uninstaller does:
// what cannot go at once is scheduled for deletion at the next restart.
//
// The uninstaller runs elevated over folders that low-integrity processes
// can write into (the per-user data folder), so both functions refuse what
// would reach outside the product: an empty or relative folder, a key path
// whose last component is empty, and they never enter a junction or a
// symbolic link (only the link itself goes).
#ifndef IME_T13N_INSTALLER_TREE_DELETION_H_
#define IME_T13N_INSTALLER_TREE_DELETION_H_

#include <windows.h>

#include <string>

namespace ime_t13n {

// True when |folder| is a full path: a drive letter with its root
// ("C:\...") or a network path ("\\server\..."). Relative, drive-relative
// and empty paths would be resolved against the working folder.
bool IsAbsoluteFolder(const std::wstring& folder);

// Schedules |path| (a file or an empty folder) for deletion at the next
// restart. False when the system refused.
bool ScheduleDeletionAtRestart(const std::wstring& path);

// Deletes |folder| with everything below it. Files that cannot be deleted
// now (other than missing ones), and folders that cannot be removed, are
// scheduled for deletion at the next restart. A junction or symbolic link is
// never entered: only the link is removed, and only when the system removes
// the link itself rather than what it points to. True only when everything
// went at once; a folder that cannot be listed (a missing one) counts as
// deleted. An empty or relative |folder| is refused: false, nothing touched.
bool DeleteDirectoryTree(const std::wstring& folder);

// Deletes the key |path| below |root| with all its subkeys, depth first, in
// the registry view |view| (0, KEY_WOW64_32KEY or KEY_WOW64_64KEY). Nothing
// happens when |path| has no "\", when its last component is empty, or when
// the parent cannot be opened. Failures are silent.
void DeleteRegistryTree(HKEY root, const std::wstring& path, REGSAM view);

}  // namespace ime_t13n

#endif  // IME_T13N_INSTALLER_TREE_DELETION_H_
