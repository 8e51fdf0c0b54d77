#include "ime/shared/base/security_desc.h"

#include <sddl.h>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"

namespace ime_shared {
namespace base {
namespace {

Sid WellKnown(WELL_KNOWN_SID_TYPE type) {
  BYTE buffer[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(buffer);
  EXPECT_TRUE(::CreateWellKnownSid(type, nullptr, buffer, &size));
  return Sid(reinterpret_cast<SID*>(buffer));
}

TEST(SidTest, CopiesValidSidsOnly) {
  Sid everyone = WellKnown(WinWorldSid);
  EXPECT_FALSE(everyone.IsEmpty());
  EXPECT_TRUE(::IsValidSid(everyone.Get()));
  Sid none(nullptr);
  EXPECT_TRUE(none.IsEmpty());
  EXPECT_EQ(none.Get(), nullptr);
  BYTE garbage[16] = {0xFF};
  EXPECT_TRUE(Sid(reinterpret_cast<SID*>(garbage)).IsEmpty());
}

TEST(AclTest, AddAllowedAceToEmptyAndExistingAcl) {
  Acl acl;
  EXPECT_TRUE(acl.IsEmpty());
  ASSERT_TRUE(acl.AddAllowedAce(WellKnown(WinWorldSid), GENERIC_READ));
  ASSERT_TRUE(::IsValidAcl(acl.Get()));
  EXPECT_EQ(acl.Get()->AceCount, 1);
  ASSERT_TRUE(acl.AddAllowedAce(WellKnown(WinLocalSystemSid), 0x1F0001));
  ASSERT_TRUE(::IsValidAcl(acl.Get()));
  ASSERT_EQ(acl.Get()->AceCount, 2);
  void* ace = nullptr;
  ASSERT_TRUE(::GetAce(acl.Get(), 1, &ace));
  EXPECT_EQ(static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask, 0x1F0001u);
  ASSERT_TRUE(::GetAce(acl.Get(), 0, &ace));
  EXPECT_EQ(static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask,
            static_cast<DWORD>(GENERIC_READ));
  EXPECT_FALSE(acl.AddAllowedAce(Sid(), GENERIC_READ));
  EXPECT_EQ(acl.Get()->AceCount, 2);
}

TEST(SecurityDescTest, FromStringTakesEveryPart) {
  SecurityDesc desc;
  EXPECT_TRUE(desc.IsEmpty());
  ASSERT_TRUE(desc.FromString(L"O:BAG:SYD:(A;;GA;;;WD)S:(ML;;NW;;;LW)"));
  EXPECT_FALSE(desc.owner().IsEmpty());
  EXPECT_FALSE(desc.group().IsEmpty());
  ASSERT_TRUE(desc.has_dacl());
  EXPECT_EQ(desc.dacl().Get()->AceCount, 1);
  ASSERT_TRUE(desc.has_sacl());
  EXPECT_EQ(desc.sacl().Get()->AceCount, 1);
}

TEST(SecurityDescTest, BadTextLeavesDescriptorUnchanged) {
  SecurityDesc desc;
  ASSERT_TRUE(desc.FromString(L"D:(A;;GA;;;WD)"));
  EXPECT_FALSE(desc.FromString(L"this is not SDDL"));
  EXPECT_FALSE(desc.FromString(nullptr));
  EXPECT_TRUE(desc.has_dacl());
  EXPECT_FALSE(desc.has_sacl());
}

TEST(SecurityDescTest, SelfRelativeCopyRoundTrips) {
  SecurityDesc desc;
  ASSERT_TRUE(desc.FromString(L"D:(A;;GA;;;WD)"));
  desc.SetOwner(WellKnown(WinBuiltinAdministratorsSid));
  PSECURITY_DESCRIPTOR copy = desc.MakeSelfRelativeCopy();
  ASSERT_NE(copy, nullptr);
  ScopedLocalMemory holder(copy);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(::GetSecurityDescriptorControl(copy, &control, &revision));
  EXPECT_TRUE(control & SE_SELF_RELATIVE);

  SecurityDesc back;
  ASSERT_TRUE(back.FromDescriptor(copy));
  EXPECT_TRUE(::EqualSid(back.owner().Get(), desc.owner().Get()));
  ASSERT_TRUE(back.has_dacl());
  EXPECT_EQ(back.dacl().Get()->AceCount, 1);
  EXPECT_FALSE(back.has_sacl());
}

TEST(SecurityDescTest, TokenQueriesOfTheProcess) {
  HANDLE raw = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw));
  ScopedHandle token(raw);
  Sid owner, group, user;
  Acl dacl;
  EXPECT_TRUE(GetTokenOwner(token.Get(), &owner));
  EXPECT_TRUE(GetTokenPrimaryGroup(token.Get(), &group));
  EXPECT_TRUE(GetTokenUser(token.Get(), &user));
  EXPECT_TRUE(GetTokenDefaultDacl(token.Get(), &dacl));
  EXPECT_FALSE(GetTokenOwner(nullptr, &owner));
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
