#include "ime/shared/security.h"

#include <aclapi.h>

#include <string>
#include <thread>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/testing/child_process.h"

namespace ime_shared {
namespace {

using base::ScopedHandle;
using ime_testing::ChildProcess;
using ime_testing::UniqueName;

// The mandatory-label entry of an ACL, or null.
const SYSTEM_MANDATORY_LABEL_ACE* FindLabel(PACL acl) {
  if (acl == nullptr) return nullptr;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (::GetAce(acl, i, &ace) &&
        static_cast<ACE_HEADER*>(ace)->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE) {
      return static_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace);
    }
  }
  return nullptr;
}

// The mask of the first access-allowed entry for |sid|, or 0.
DWORD AllowedMaskFor(PACL acl, PSID sid) {
  if (acl == nullptr) return 0;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(acl, i, &ace)) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
        ::EqualSid(reinterpret_cast<PSID>(&allowed->SidStart), sid)) {
      return allowed->Mask;
    }
  }
  return 0;
}

// The system's own major version, as the kernel reports it to every
// program whatever its manifest says.
DWORD SystemMajorVersion() {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto get_version = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(::GetProcAddress(
          ::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (get_version == nullptr || get_version(&info) != 0) return 0;
  return info.dwMajorVersion;
}

// A named mutex made for all processes carries the low label exactly where
// the system has integrity levels (Vista and later), so that low-integrity
// processes can open it.
TEST(SecurityTest, NamedMutexCarriesTheLowLabelWhereTheSystemHasLabels) {
  const DWORD major = SystemMajorVersion();
  ASSERT_NE(major, 0u);
  const bool labels = major >= 6;
  EXPECT_EQ(IsVistaOrLater(), labels) << "major version " << major;

  const std::wstring name = UniqueName(L"KelvaneLabelledMutex");
  ScopedHandle mutex(CreateLowIntegrityMutex(name.c_str()));
  ASSERT_TRUE(mutex);
  PACL sacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(::GetSecurityInfo(mutex.Get(), SE_KERNEL_OBJECT,
                              LABEL_SECURITY_INFORMATION, nullptr, nullptr,
                              nullptr, &sacl, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  base::ScopedLocalMemory holder(descriptor);
  const SYSTEM_MANDATORY_LABEL_ACE* label = FindLabel(sacl);
  if (!labels) {
    EXPECT_EQ(label, nullptr);
    return;
  }
  ASSERT_NE(label, nullptr);
  PSID label_sid = const_cast<DWORD*>(&label->SidStart);
  EXPECT_EQ(*::GetSidSubAuthority(label_sid, 0),
            static_cast<DWORD>(SECURITY_MANDATORY_LOW_RID));
}

TEST(SecurityTest, LowIntegrityDescriptorCarriesLabelOwnerAndDacl) {
  LowIntegritySecurityDesc descriptor;
  ASSERT_TRUE(descriptor.usable());
  ASSERT_TRUE(descriptor.has_sacl());
  const SYSTEM_MANDATORY_LABEL_ACE* label = FindLabel(descriptor.sacl().Get());
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Mask, static_cast<DWORD>(SYSTEM_MANDATORY_LABEL_NO_WRITE_UP));
  // The label's SID is the low integrity level, S-1-16-4096.
  PSID label_sid = const_cast<DWORD*>(&label->SidStart);
  EXPECT_EQ(*::GetSidSubAuthority(label_sid, 0), static_cast<DWORD>(SECURITY_MANDATORY_LOW_RID));

  HANDLE raw = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw));
  ScopedHandle token(raw);
  base::Sid owner, user;
  ASSERT_TRUE(base::GetTokenOwner(token.Get(), &owner));
  ASSERT_TRUE(base::GetTokenUser(token.Get(), &user));
  EXPECT_TRUE(::EqualSid(descriptor.owner().Get(), owner.Get()));
  EXPECT_FALSE(descriptor.group().IsEmpty());
  ASSERT_TRUE(descriptor.has_dacl());
  EXPECT_EQ(AllowedMaskFor(descriptor.dacl().Get(), user.Get()), kMutexAllAccess);

  PSECURITY_DESCRIPTOR copy = descriptor.MakeSelfRelativeCopy();
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(::IsValidSecurityDescriptor(copy));
  ::LocalFree(copy);
}

// True when another thread can take |mutex| at once: the creating thread
// would take a mutex it owns again, so only another thread tells.
bool FreeForAnotherThread(HANDLE mutex) {
  bool free = false;
  std::thread other([&] {
    free = ::WaitForSingleObject(mutex, 0) == WAIT_OBJECT_0;
    if (free) ::ReleaseMutex(mutex);
  });
  other.join();
  return free;
}

TEST(SecurityTest, MutexesAreNotOwnedByTheirCreator) {
  ScopedHandle unnamed(CreateLowIntegrityMutex(nullptr));
  ASSERT_TRUE(unnamed);
  EXPECT_TRUE(FreeForAnotherThread(unnamed.Get()));
  ScopedHandle named(
      CreateLowIntegrityMutex(UniqueName(L"KelvaneTestMutex").c_str()));
  ASSERT_TRUE(named);
  EXPECT_TRUE(FreeForAnotherThread(named.Get()));
}

TEST(SecurityTest, SameNameInOneProcessOpensTheSameMutex) {
  const std::wstring name = UniqueName(L"KelvaneTestMutex");
  ScopedHandle first(CreateLowIntegrityMutex(name.c_str()));
  ASSERT_TRUE(first);
  EXPECT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ScopedHandle second(CreateLowIntegrityMutex(name.c_str()));
  ASSERT_TRUE(second);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST(SecurityTest, TwoProcessesShareOneMutexThatNeitherOwns) {
  const std::wstring name = UniqueName(L"KelvaneTestMutex");
  const std::wstring acquired_name = UniqueName(L"KelvaneTestAcquired");
  const std::wstring release_name = UniqueName(L"KelvaneTestRelease");
  ScopedHandle acquired(::CreateEventW(nullptr, TRUE, FALSE, acquired_name.c_str()));
  ScopedHandle release(::CreateEventW(nullptr, TRUE, FALSE, release_name.c_str()));
  ASSERT_TRUE(acquired && release);

  ScopedHandle mutex(CreateLowIntegrityMutex(name.c_str()));
  ASSERT_TRUE(mutex);

  ChildProcess child;
  ASSERT_TRUE(child.Start(L"security_test_child",
                          L"hold " + name + L" " + acquired_name + L" " + release_name));
  HANDLE waits[] = {acquired.Get(), child.handle()};
  ASSERT_EQ(::WaitForMultipleObjects(2, waits, FALSE, 20000), WAIT_OBJECT_0)
      << "the child ended early with code " << child.Wait(0);

  // The child holds the one mutex now: this process cannot take it.
  EXPECT_EQ(::WaitForSingleObject(mutex.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ::SetEvent(release.Get());
  EXPECT_EQ(child.Wait(), 0);
  // Released properly (not abandoned), so it is free again.
  EXPECT_EQ(::WaitForSingleObject(mutex.Get(), 5000), WAIT_OBJECT_0);
  ::ReleaseMutex(mutex.Get());
}

TEST(SecurityTest, LabelOfAMissingObjectFails) {
  EXPECT_FALSE(SetLowIntegrityLabel(nullptr));
  // Wine's SetNamedSecurityInfoW reports success for every kernel object
  // without looking it up, so only Windows can answer this one.
  if (!ime_testing::RunningUnderWine()) {
    const std::wstring name = UniqueName(L"KelvaneNoSuchObject");
    EXPECT_FALSE(SetLowIntegrityLabel(name.c_str()));
  }
}

TEST(SecurityTest, OverlongNamesAreNotLabelled) {
  // 263 characters fit the name buffer; 264 do not.
  const std::wstring prefix = UniqueName(L"KelvaneLong");
  std::wstring fits = prefix + std::wstring(263 - prefix.size(), L'x');
  std::wstring too_long = fits + L"x";
  ScopedHandle a(::CreateMutexW(nullptr, FALSE, fits.c_str()));
  EXPECT_TRUE(SetLowIntegrityLabel(fits.c_str()));
  EXPECT_FALSE(SetLowIntegrityLabel(too_long.c_str()));
}

TEST(SecurityTest, SharedObjectAttributes) {
  SECURITY_ATTRIBUTES attributes;
  memset(&attributes, 0xCC, sizeof(attributes));
  MakeSharedObjectSecurityAttributes(&attributes);
  EXPECT_EQ(attributes.nLength, 24u);
  EXPECT_EQ(attributes.lpSecurityDescriptor, nullptr);
  EXPECT_TRUE(attributes.bInheritHandle);
}

}  // namespace
}  // namespace ime_shared
