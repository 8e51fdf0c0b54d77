// Security for kernel objects shared by every process the input method runs
// in, low-integrity processes included.
#ifndef IME_SHARED_SECURITY_H_
#define IME_SHARED_SECURITY_H_

#include <windows.h>

#include "ime/shared/base/security_desc.h"

namespace ime_shared {

// The low mandatory label with the no-write-up policy.
extern const wchar_t kLowIntegrityLabelSddl[];

// MUTEX_ALL_ACCESS, granted to the token's user on the shared mutexes.
constexpr DWORD kMutexAllAccess = 0x1F0001;

// True on Windows Vista or later (major version 6 or more). Computed once.
bool IsVistaOrLater();

// On Vista or later: the low-integrity label as SACL, the process token's
// owner and primary group, and its default DACL with an entry allowing the
// token's user kMutexAllAccess. Before Vista it is empty. When the label or
// the token cannot be read the descriptor is marked unusable.
class LowIntegritySecurityDesc : public base::SecurityDesc {
 public:
  LowIntegritySecurityDesc();
  ~LowIntegritySecurityDesc() override;

  bool usable() const { return usable_; }

 private:
  bool usable_;
};

// Creates or opens the mutex |name| (null: an unnamed mutex without
// attributes), never owned by the caller; null on failure.
HANDLE CreateLowIntegrityMutex(const wchar_t* name);

// Puts the low-integrity label on the named kernel object. Names of more
// than 263 characters are refused. False when the label was not applied.
bool SetLowIntegrityLabel(const wchar_t* object_name);

// Attributes for shared sections: default security, inheritable handles.
void MakeSharedObjectSecurityAttributes(SECURITY_ATTRIBUTES* attributes);

}  // namespace ime_shared

#endif  // IME_SHARED_SECURITY_H_
