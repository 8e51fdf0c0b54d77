// A small security-descriptor builder: owner, group, DACL and SACL are kept as
// owned copies and can be turned into a self-relative descriptor for
// SECURITY_ATTRIBUTES.
#ifndef IME_SHARED_BASE_SECURITY_DESC_H_
#define IME_SHARED_BASE_SECURITY_DESC_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ime_shared {
namespace base {

// An owned copy of a SID.
class Sid {
 public:
  Sid() = default;
  // Copies |sid|; an invalid or null SID gives an empty Sid.
  explicit Sid(const SID* sid);

  bool IsEmpty() const { return bytes_.empty(); }
  // Null when empty.
  PSID Get() const;

 private:
  std::vector<uint8_t> bytes_;
};

// An owned copy of an ACL to which access-allowed entries can be added.
class Acl {
 public:
  Acl() = default;
  // Copies |acl|; a null ACL gives an empty Acl.
  explicit Acl(const ACL* acl);

  bool IsEmpty() const { return bytes_.empty(); }
  // Null when empty.
  PACL Get() const;

  // Appends an entry that allows |sid| the access |mask|. An empty Acl
  // becomes a new ACL holding just that entry. False on failure (the ACL
  // is unchanged).
  bool AddAllowedAce(const Sid& sid, DWORD mask);

 private:
  std::vector<uint8_t> bytes_;
};

class SecurityDesc {
 public:
  SecurityDesc() = default;
  SecurityDesc(const SecurityDesc&) = default;
  SecurityDesc& operator=(const SecurityDesc&) = default;
  virtual ~SecurityDesc() = default;

  // Replaces every part with those of the SDDL text |sddl| (revision 1).
  // False when the text does not convert; the descriptor is then unchanged.
  bool FromString(const wchar_t* sddl);

  // Takes the parts of an existing descriptor.
  bool FromDescriptor(PSECURITY_DESCRIPTOR descriptor);

  void SetOwner(const Sid& owner) { owner_ = owner; }
  void SetGroup(const Sid& group) { group_ = group; }
  void SetDacl(const Acl& dacl) {
    dacl_ = dacl;
    has_dacl_ = true;
  }
  void SetSacl(const Acl& sacl) {
    sacl_ = sacl;
    has_sacl_ = true;
  }

  const Sid& owner() const { return owner_; }
  const Sid& group() const { return group_; }
  bool has_dacl() const { return has_dacl_; }
  const Acl& dacl() const { return dacl_; }
  bool has_sacl() const { return has_sacl_; }
  const Acl& sacl() const { return sacl_; }

  // True when nothing has been set.
  bool IsEmpty() const;

  // A self-relative copy of the descriptor in memory from LocalAlloc, which
  // the caller frees with LocalFree. Null on failure.
  PSECURITY_DESCRIPTOR MakeSelfRelativeCopy() const;

 private:
  Sid owner_;
  Sid group_;
  Acl dacl_;
  Acl sacl_;
  bool has_dacl_ = false;
  bool has_sacl_ = false;
};

// The owner, primary group, user and default DACL of an access token.
// Each returns false when the token cannot be queried.
bool GetTokenOwner(HANDLE token, Sid* owner);
bool GetTokenPrimaryGroup(HANDLE token, Sid* group);
bool GetTokenUser(HANDLE token, Sid* user);
bool GetTokenDefaultDacl(HANDLE token, Acl* dacl);

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_SECURITY_DESC_H_
