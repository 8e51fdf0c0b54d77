// Opens a web address in the user's browser without making the caller wait.
// The user-name lookup and the shell call are seams, so that tests see what
// would be opened without starting a browser.
#ifndef IME_SHARED_URL_LAUNCHER_H_
#define IME_SHARED_URL_LAUNCHER_H_

#include <string>

namespace ime_shared {

// The name of the account the process runs as.
class UserNameInterface {
 public:
  virtual ~UserNameInterface() = default;
  // False when the name cannot be read.
  virtual bool ReadUserName(std::wstring* name) = 0;
};

// Hands an address to the shell. Called on the launcher's own thread; the
// object must outlive every launch it serves.
class ShellOpenInterface {
 public:
  virtual ~ShellOpenInterface() = default;
  // True when the shell accepted the address.
  virtual bool OpenAddress(const std::wstring& address) = 0;
};

// The system's implementations: GetUserNameW, and ShellExecuteW with the
// verb "open", shown normally. Process-wide objects, never deleted.
UserNameInterface* SystemUserName();
ShellOpenInterface* SystemShell();

// True when the user name is read and equals "SYSTEM", ignoring ASCII case.
// A service account has no browser and no user to see one.
bool IsSystemAccount(UserNameInterface* user_name);

// Opens |address| on a thread of its own and returns at once: true when the
// thread was started. Refuses (false, nothing started) in the "SYSTEM"
// account. The thread holds a reference to the module that holds this code
// until it ends, so a host may free the module while the page is opening.
bool LaunchUrlAsync(const std::wstring& address);
bool LaunchUrlAsync(const std::wstring& address, UserNameInterface* user_name,
                    ShellOpenInterface* shell);

}  // namespace ime_shared

#endif  // IME_SHARED_URL_LAUNCHER_H_
