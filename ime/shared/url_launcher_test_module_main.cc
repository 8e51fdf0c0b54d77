// A DLL that opens a page through the launcher with a shell of its own that
// takes as long as its host says, for the launcher's test of a host that
// frees the module while a page is still opening.
#include <windows.h>

#include <string>

#include "ime/shared/url_launcher.h"

namespace {

class FixedUserName : public ime_shared::UserNameInterface {
 public:
  bool ReadUserName(std::wstring* name) override {
    *name = L"alice";
    return true;
  }
};

// Says on |opening| that it has started, with its thread's id, and returns
// once |release| is set.
class SlowShell : public ime_shared::ShellOpenInterface {
 public:
  bool OpenAddress(const std::wstring& address) override {
    *thread_id = ::GetCurrentThreadId();
    ::SetEvent(opening);
    return ::WaitForSingleObject(release, 30000) == WAIT_OBJECT_0 && !address.empty();
  }

  HANDLE opening = nullptr;
  HANDLE release = nullptr;
  DWORD* thread_id = nullptr;
};

FixedUserName g_user_name;
SlowShell g_shell;

}  // namespace

extern "C" __declspec(dllexport) BOOL LaunchThroughSlowShell(HANDLE opening, HANDLE release,
                                                             DWORD* thread_id) {
  g_shell.opening = opening;
  g_shell.release = release;
  g_shell.thread_id = thread_id;
  return ime_shared::LaunchUrlAsync(L"http://example.invalid/", &g_user_name, &g_shell);
}
