#include "ime/shared/base/process_exit.h"

#include <windows.h>

#include <atomic>
#include <thread>

#include "gtest/gtest.h"

namespace ime_shared {
namespace base {
namespace {

// A thread that takes both locks and keeps them until told, as one that the
// system ended while it held them.
class Holder {
 public:
  Holder(CRITICAL_SECTION* section, SRWLOCK* lock)
      : thread_([this, section, lock] {
          ::EnterCriticalSection(section);
          ::AcquireSRWLockExclusive(lock);
          holding_ = true;
          while (!release_) ::Sleep(1);
          ::ReleaseSRWLockExclusive(lock);
          ::LeaveCriticalSection(section);
        }) {
    while (!holding_) ::Sleep(1);
  }
  ~Holder() {
    release_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> holding_{false};
  std::atomic<bool> release_{false};
  std::thread thread_;
};

TEST(ProcessExitTest, AtExitLocksHeldElsewhereAreGivenUpAndFreeOnesTaken) {
  CRITICAL_SECTION section;
  ::InitializeCriticalSection(&section);
  SRWLOCK lock = SRWLOCK_INIT;

  {
    Holder holder(&section, &lock);
    SetProcessExiting(true);
    EXPECT_FALSE(EnterUnlessExiting(&section));
    EXPECT_FALSE(AcquireExclusiveUnlessExiting(&lock));
  }

  // Free locks are taken at exit too; the section's own thread may enter
  // again.
  ASSERT_TRUE(EnterUnlessExiting(&section));
  EXPECT_TRUE(EnterUnlessExiting(&section));
  ::LeaveCriticalSection(&section);
  ::LeaveCriticalSection(&section);
  ASSERT_TRUE(AcquireExclusiveUnlessExiting(&lock));
  ::ReleaseSRWLockExclusive(&lock);
  SetProcessExiting(false);
  ::DeleteCriticalSection(&section);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
