// The module's unload when the process is ending: the system has ended every
// other thread wherever it was, and the locks they held stay held; the
// unload waits for none of them.
#include "ime/t13n/module_wiring.h"

#include <windows.h>

#include <atomic>
#include <thread>

#include "gtest/gtest.h"
#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/base/process_exit.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/imm/ime_exports.h"

namespace ime_t13n {
namespace {

using ime_shared::base::ScopedHandle;

// An engine factory whose copies, once |blocked| is set, stop until
// |release| is: ImeSelect copies the factory under its lock, so a thread
// copying it holds that lock as one that the exit ended there would.
struct StoppingFactory {
  StoppingFactory(HANDLE blocked, HANDLE release)
      : blocked(blocked), release(release) {}
  StoppingFactory(const StoppingFactory& other)
      : blocked(other.blocked), release(other.release) {
    if (armed) {
      ::SetEvent(blocked);
      ::WaitForSingleObject(release, INFINITE);
    }
  }
  ime_shared::EngineInterface* operator()(ime_shared::ContextInterface*) {
    return nullptr;
  }

  static std::atomic<bool> armed;
  HANDLE blocked;
  HANDLE release;
};

std::atomic<bool> StoppingFactory::armed{false};

TEST(ModuleExitTest, TheUnloadAtExitWaitsForNoLockAnEndedThreadHeld) {
  InstallModuleFactories();
  ScopedHandle blocked(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ime_shared::imm::SetEngineFactory(
      StoppingFactory(blocked.Get(), release.Get()));
  StoppingFactory::armed = true;
  HIMC himc = ::ImmCreateContext();
  ASSERT_NE(himc, nullptr);
  std::thread selecting([himc] { ImeSelect(himc, TRUE); });
  ASSERT_EQ(::WaitForSingleObject(blocked.Get(), 30000), WAIT_OBJECT_0);

  ime_shared::base::SetProcessExiting(true);
  ScopedHandle unloaded(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread unloading([&] {
    UnloadModule(/*process_terminating=*/true);
    ::SetEvent(unloaded.Get());
  });
  EXPECT_EQ(::WaitForSingleObject(unloaded.Get(), 30000), WAIT_OBJECT_0)
      << "the unload waited for the engine factory's lock";
  ime_shared::base::SetProcessExiting(false);
  StoppingFactory::armed = false;
  ::SetEvent(release.Get());
  selecting.join();
  unloading.join();
  ::ImmDestroyContext(himc);
}

}  // namespace
}  // namespace ime_t13n
