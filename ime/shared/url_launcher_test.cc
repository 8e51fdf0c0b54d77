#include "ime/shared/url_launcher.h"

#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/web_address.h"

namespace ime_shared {
namespace {

class FakeUserName : public UserNameInterface {
 public:
  explicit FakeUserName(const wchar_t* name) : name_(name) {}
  bool ReadUserName(std::wstring* name) override {
    if (name_ == nullptr) return false;
    *name = name_;
    return true;
  }

 private:
  const wchar_t* name_;
};

// Records what would be opened, and on which thread.
class FakeShell : public ShellOpenInterface {
 public:
  FakeShell() : opened_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  bool OpenAddress(const std::wstring& address) override {
    address_ = address;
    thread_id_ = ::GetCurrentThreadId();
    ::SetEvent(opened_.Get());  // publishes the two fields
    return true;
  }
  bool WaitOpened(DWORD timeout_ms) {
    return ::WaitForSingleObject(opened_.Get(), timeout_ms) == WAIT_OBJECT_0;
  }
  std::wstring address_;
  DWORD thread_id_ = 0;

 private:
  base::ScopedHandle opened_;
};

TEST(UrlLauncherTest, OpensTheAddressOnAThreadOfItsOwn) {
  FakeUserName user(L"alice");
  FakeShell shell;
  std::wstring address = BuildSearchUrl(L"\x0928");
  ASSERT_TRUE(LaunchUrlAsync(address, &user, &shell));
  address.clear();  // the thread has its own copy
  ASSERT_TRUE(shell.WaitOpened(10000));
  EXPECT_EQ(shell.address_, BuildSearchUrl(L"\x0928"));
  EXPECT_NE(shell.thread_id_, ::GetCurrentThreadId());
}

TEST(UrlLauncherTest, SystemAccountOpensNothing) {
  for (const wchar_t* name : {L"SYSTEM", L"system", L"SyStEm"}) {
    FakeUserName user(name);
    FakeShell shell;
    EXPECT_TRUE(IsSystemAccount(&user)) << name;
    EXPECT_FALSE(LaunchUrlAsync(GetHomeUrl(), &user, &shell)) << name;
    EXPECT_FALSE(shell.WaitOpened(200)) << name;
  }
}

TEST(UrlLauncherTest, OtherAccountsAndUnreadableNamesMayOpen) {
  for (const wchar_t* name : {L"SYSTEM2", L"SYSTE", L"", L"Administrator"}) {
    FakeUserName user(name);
    EXPECT_FALSE(IsSystemAccount(&user)) << name;
  }
  FakeUserName unreadable(nullptr);
  EXPECT_FALSE(IsSystemAccount(&unreadable));
  FakeShell shell;
  ASSERT_TRUE(LaunchUrlAsync(GetHelpUrl(), &unreadable, &shell));
  ASSERT_TRUE(shell.WaitOpened(10000));
  EXPECT_EQ(shell.address_, GetHelpUrl());
}

TEST(UrlLauncherTest, SystemUserNameIsTheProcessAccount) {
  std::wstring name;
  ASSERT_TRUE(SystemUserName()->ReadUserName(&name));
  wchar_t buffer[260];
  DWORD size = ARRAYSIZE(buffer);
  ASSERT_TRUE(::GetUserNameW(buffer, &size));
  EXPECT_EQ(name, buffer);
  EXPECT_FALSE(name.empty());
}

// A host may free the module while the shell is still opening a page it
// asked for (which can take seconds): the module stays mapped until the
// launch thread is done with its code, and goes when that thread ends.
TEST(UrlLauncherTest, AModuleFreedWhileThePageOpensLastsUntilTheLaunchEnds) {
  std::string output;
  const int code = ime_testing::RunChild(L"url_launcher_test_child", L"", &output);
  EXPECT_EQ(code, 0) << output;
  EXPECT_NE(output.find("kept while opening"), std::string::npos) << output;
  EXPECT_NE(output.find("freed after the launch"), std::string::npos) << output;
  EXPECT_NE(output.find("survived"), std::string::npos) << output;
}

}  // namespace
}  // namespace ime_shared
