#include "ime/shared/base/security_desc.h"

#include <sddl.h>

#include <cstring>

#include "ime/shared/base/scoped_handle.h"

namespace ime_shared {
namespace base {

Sid::Sid(const SID* sid) {
  PSID p = const_cast<SID*>(sid);
  if (p == nullptr || !::IsValidSid(p)) return;
  DWORD length = ::GetLengthSid(p);
  bytes_.resize(length);
  if (!::CopySid(length, bytes_.data(), p)) bytes_.clear();
}

PSID Sid::Get() const {
  return bytes_.empty() ? nullptr
                        : const_cast<uint8_t*>(bytes_.data());
}

Acl::Acl(const ACL* acl) {
  if (acl == nullptr) return;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(acl);
  bytes_.assign(p, p + acl->AclSize);
}

PACL Acl::Get() const {
  return bytes_.empty() ? nullptr
                        : reinterpret_cast<PACL>(const_cast<uint8_t*>(bytes_.data()));
}

bool Acl::AddAllowedAce(const Sid& sid, DWORD mask) {
  if (sid.IsEmpty()) return false;
  const DWORD ace_size = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) +
                         ::GetLengthSid(sid.Get());
  std::vector<uint8_t> grown;
  if (bytes_.empty()) {
    const DWORD size = sizeof(ACL) + ace_size;
    grown.resize(size);
    if (!::InitializeAcl(reinterpret_cast<PACL>(grown.data()), size,
                         ACL_REVISION)) {
      return false;
    }
  } else {
    // The entries stay where they are; the header's size is raised so that
    // the new entry fits after the last one.
    const DWORD size = bytes_.size() + ace_size;
    if (size > 0xFFFC) return false;  // AclSize is a WORD, DWORD-aligned
    grown = bytes_;
    grown.resize(size);
    reinterpret_cast<PACL>(grown.data())->AclSize = static_cast<WORD>(size);
  }
  if (!::AddAccessAllowedAce(reinterpret_cast<PACL>(grown.data()),
                             ACL_REVISION, mask, sid.Get())) {
    return false;
  }
  bytes_.swap(grown);
  return true;
}

bool SecurityDesc::FromString(const wchar_t* sddl) {
  if (sddl == nullptr) return false;
  PSECURITY_DESCRIPTOR converted = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          sddl, SDDL_REVISION_1, &converted, nullptr)) {
    return false;
  }
  ScopedLocalMemory holder(converted);
  return FromDescriptor(converted);
}

bool SecurityDesc::FromDescriptor(PSECURITY_DESCRIPTOR descriptor) {
  if (descriptor == nullptr || !::IsValidSecurityDescriptor(descriptor)) {
    return false;
  }
  SecurityDesc parts;
  PSID sid = nullptr;
  BOOL defaulted = FALSE;
  if (::GetSecurityDescriptorOwner(descriptor, &sid, &defaulted) && sid) {
    parts.owner_ = Sid(static_cast<SID*>(sid));
  }
  sid = nullptr;
  if (::GetSecurityDescriptorGroup(descriptor, &sid, &defaulted) && sid) {
    parts.group_ = Sid(static_cast<SID*>(sid));
  }
  BOOL present = FALSE;
  PACL acl = nullptr;
  if (::GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) &&
      present) {
    parts.SetDacl(Acl(acl));
  }
  present = FALSE;
  acl = nullptr;
  if (::GetSecurityDescriptorSacl(descriptor, &present, &acl, &defaulted) &&
      present) {
    parts.SetSacl(Acl(acl));
  }
  *this = parts;
  return true;
}

bool SecurityDesc::IsEmpty() const {
  return owner_.IsEmpty() && group_.IsEmpty() && !has_dacl_ && !has_sacl_;
}

PSECURITY_DESCRIPTOR SecurityDesc::MakeSelfRelativeCopy() const {
  SECURITY_DESCRIPTOR absolute;
  if (!::InitializeSecurityDescriptor(&absolute,
                                      SECURITY_DESCRIPTOR_REVISION)) {
    return nullptr;
  }
  if (!owner_.IsEmpty() &&
      !::SetSecurityDescriptorOwner(&absolute, owner_.Get(), FALSE)) {
    return nullptr;
  }
  if (!group_.IsEmpty() &&
      !::SetSecurityDescriptorGroup(&absolute, group_.Get(), FALSE)) {
    return nullptr;
  }
  if (has_dacl_ &&
      !::SetSecurityDescriptorDacl(&absolute, TRUE, dacl_.Get(), FALSE)) {
    return nullptr;
  }
  if (has_sacl_ &&
      !::SetSecurityDescriptorSacl(&absolute, TRUE, sacl_.Get(), FALSE)) {
    return nullptr;
  }
  DWORD length = 0;
  ::MakeSelfRelativeSD(&absolute, nullptr, &length);
  if (length == 0) return nullptr;
  PSECURITY_DESCRIPTOR copy = ::LocalAlloc(LPTR, length);
  if (copy == nullptr) return nullptr;
  if (!::MakeSelfRelativeSD(&absolute, copy, &length)) {
    ::LocalFree(copy);
    return nullptr;
  }
  return copy;
}

namespace {

// Reads one token information class into a buffer sized by the first query.
bool QueryToken(HANDLE token, TOKEN_INFORMATION_CLASS info_class,
                std::vector<uint8_t>* buffer) {
  if (token == nullptr) return false;
  DWORD length = 0;
  ::GetTokenInformation(token, info_class, nullptr, 0, &length);
  if (length == 0) return false;
  buffer->resize(length);
  return ::GetTokenInformation(token, info_class, buffer->data(), length,
                               &length) != FALSE;
}

}  // namespace

bool GetTokenOwner(HANDLE token, Sid* owner) {
  std::vector<uint8_t> buffer;
  if (!QueryToken(token, TokenOwner, &buffer)) return false;
  *owner = Sid(static_cast<SID*>(
      reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner));
  return !owner->IsEmpty();
}

bool GetTokenPrimaryGroup(HANDLE token, Sid* group) {
  std::vector<uint8_t> buffer;
  if (!QueryToken(token, TokenPrimaryGroup, &buffer)) return false;
  *group = Sid(static_cast<SID*>(
      reinterpret_cast<TOKEN_PRIMARY_GROUP*>(buffer.data())->PrimaryGroup));
  return !group->IsEmpty();
}

bool GetTokenUser(HANDLE token, Sid* user) {
  std::vector<uint8_t> buffer;
  if (!QueryToken(token, TokenUser, &buffer)) return false;
  *user = Sid(static_cast<SID*>(
      reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid));
  return !user->IsEmpty();
}

bool GetTokenDefaultDacl(HANDLE token, Acl* dacl) {
  std::vector<uint8_t> buffer;
  if (!QueryToken(token, TokenDefaultDacl, &buffer)) return false;
  *dacl = Acl(reinterpret_cast<TOKEN_DEFAULT_DACL*>(buffer.data())->DefaultDacl);
  return true;
}

}  // namespace base
}  // namespace ime_shared
