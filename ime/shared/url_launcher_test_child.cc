// Second process of the launcher's unload test: a host that frees the module
// while a page it asked for is still opening.
//
// Loads "url_launcher_test_module.dll", has it open a page through its slow
// shell, frees the module while the shell is busy, lets the shell finish
// and waits for the launch thread to end. Prints "kept while opening" when
// the module was still mapped after the host freed it, "freed after the
// launch" when it is gone once the thread has ended, and "survived" at the
// end; a launch thread that returns into the freed module's code ends the
// process instead.
//
// Exit codes: 0 done, 2 the module did not load, 3 the launch failed, 4 the
// shell never started, 5 the launch thread did not end.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/testing/child_process.h"

namespace {

const wchar_t kModuleName[] = L"url_launcher_test_module.dll";

using LaunchFunction = BOOL (*)(HANDLE, HANDLE, DWORD*);

}  // namespace

int main() {
  HMODULE module = ::LoadLibraryW((ime_testing::ProgramDirectory() + kModuleName).c_str());
  if (module == nullptr) return 2;
  const auto launch = reinterpret_cast<LaunchFunction>(
      reinterpret_cast<void*>(::GetProcAddress(module, "LaunchThroughSlowShell")));
  if (launch == nullptr) return 2;

  ime_shared::base::ScopedHandle opening(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ime_shared::base::ScopedHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  DWORD thread_id = 0;
  if (!launch(opening.Get(), release.Get(), &thread_id)) return 3;
  if (::WaitForSingleObject(opening.Get(), 10000) != WAIT_OBJECT_0) return 4;
  ime_shared::base::ScopedHandle thread(::OpenThread(SYNCHRONIZE, FALSE, thread_id));

  ::FreeLibrary(module);
  if (::GetModuleHandleW(kModuleName) != nullptr) std::printf("kept while opening\n");
  std::fflush(stdout);

  ::SetEvent(release.Get());
  if (!thread || ::WaitForSingleObject(thread.Get(), 10000) != WAIT_OBJECT_0) return 5;
  if (::GetModuleHandleW(kModuleName) == nullptr) std::printf("freed after the launch\n");
  std::printf("survived\n");
  std::fflush(stdout);
  return 0;
}
