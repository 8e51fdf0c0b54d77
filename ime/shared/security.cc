#include "ime/shared/security.h"

#include <aclapi.h>
#include <sddl.h>

#include <cwchar>

#include "ime/shared/base/scoped_handle.h"

namespace ime_shared {

const wchar_t kLowIntegrityLabelSddl[] = L"S:(ML;;NW;;;LW)";

namespace {

// 0: not computed yet, 1: false, 2: true. Every writer stores the same
// value, so the race of two first callers is harmless.
volatile LONG g_vista_or_later = 0;

constexpr size_t kLabelNameBufferSize = 264;

}  // namespace

bool IsVistaOrLater() {
  if (g_vista_or_later == 0) {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = 6;
    const DWORDLONG condition =
        ::VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
    const bool result =
        ::VerifyVersionInfoW(&info, VER_MAJORVERSION, condition) != FALSE;
    g_vista_or_later = result ? 2 : 1;
  }
  return g_vista_or_later == 2;
}

LowIntegritySecurityDesc::LowIntegritySecurityDesc() : usable_(true) {
  if (!IsVistaOrLater()) return;
  if (!FromString(kLowIntegrityLabelSddl)) {
    usable_ = false;
    return;
  }
  HANDLE raw_token = nullptr;
  ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw_token);
  base::ScopedHandle token(raw_token);
  base::Sid owner;
  if (!token || !base::GetTokenOwner(token.Get(), &owner)) {
    usable_ = false;
    return;
  }
  SetOwner(owner);
  base::Sid group;
  if (base::GetTokenPrimaryGroup(token.Get(), &group)) SetGroup(group);
  base::Acl dacl;
  base::Sid user;
  if (base::GetTokenDefaultDacl(token.Get(), &dacl) &&
      base::GetTokenUser(token.Get(), &user)) {
    dacl.AddAllowedAce(user, kMutexAllAccess);
    SetDacl(dacl);
  }
}

LowIntegritySecurityDesc::~LowIntegritySecurityDesc() = default;

HANDLE CreateLowIntegrityMutex(const wchar_t* name) {
  if (name == nullptr || !IsVistaOrLater()) {
    return ::CreateMutexW(nullptr, FALSE, name);
  }
  LowIntegritySecurityDesc descriptor;
  PSECURITY_DESCRIPTOR copy =
      descriptor.usable() ? descriptor.MakeSelfRelativeCopy() : nullptr;
  if (copy == nullptr) return ::CreateMutexW(nullptr, FALSE, name);
  base::ScopedLocalMemory copy_holder(copy);
  SECURITY_ATTRIBUTES attributes = {};
  attributes.nLength = sizeof(attributes);
  attributes.lpSecurityDescriptor = copy;
  attributes.bInheritHandle = FALSE;
  return ::CreateMutexW(&attributes, FALSE, name);
}

bool SetLowIntegrityLabel(const wchar_t* object_name) {
  if (object_name == nullptr) return false;
  wchar_t name[kLabelNameBufferSize];
  const size_t length = std::wcslen(object_name);
  if (length >= kLabelNameBufferSize) return false;
  std::wmemcpy(name, object_name, length + 1);

  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          kLowIntegrityLabelSddl, SDDL_REVISION_1, &descriptor, nullptr)) {
    return false;
  }
  base::ScopedLocalMemory holder(descriptor);
  PACL sacl = nullptr;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  if (!::GetSecurityDescriptorSacl(descriptor, &present, &sacl, &defaulted)) {
    return false;
  }
  return ::SetNamedSecurityInfoW(name, SE_KERNEL_OBJECT,
                                 LABEL_SECURITY_INFORMATION, nullptr, nullptr,
                                 nullptr, sacl) == ERROR_SUCCESS;
}

void MakeSharedObjectSecurityAttributes(SECURITY_ATTRIBUTES* attributes) {
  attributes->nLength = sizeof(*attributes);
  attributes->lpSecurityDescriptor = nullptr;
  attributes->bInheritHandle = TRUE;
}

}  // namespace ime_shared
