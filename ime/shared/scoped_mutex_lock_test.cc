#include "ime/shared/scoped_mutex_lock.h"

#include <memory>
#include <thread>

#include "gtest/gtest.h"
#include "ime/shared/testing/child_process.h"

namespace ime_shared {
namespace {

// True when another thread can take the mutex at once (it releases it
// again before returning).
bool FreeForAnotherThread(HANDLE mutex) {
  bool free = false;
  std::thread other([&] {
    const DWORD wait = ::WaitForSingleObject(mutex, 0);
    free = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    if (free) ::ReleaseMutex(mutex);
  });
  other.join();
  return free;
}

TEST(ScopedMutexLockTest, HolderWithoutHandleIsNeverHeld) {
  MutexHolder empty(nullptr);
  ScopedMutexLock lock(&empty, 0);
  EXPECT_FALSE(lock.held());
  lock.Release();
  ScopedMutexLock no_holder(nullptr, 0);
  EXPECT_FALSE(no_holder.held());
}

TEST(ScopedMutexLockTest, HoldsUntilTheScopeEnds) {
  std::unique_ptr<MutexHolder> mutex(
      MutexHolder::CreateNamed(ime_testing::UniqueName(L"KelvaneLockTest").c_str()));
  ASSERT_NE(mutex->handle(), nullptr);
  {
    ScopedMutexLock lock(mutex.get(), 0);
    ASSERT_TRUE(lock.held());
    EXPECT_FALSE(FreeForAnotherThread(mutex->handle()));
  }
  EXPECT_TRUE(FreeForAnotherThread(mutex->handle()));
}

TEST(ScopedMutexLockTest, ReleaseIsIdempotentAndRecursionIsCounted) {
  std::unique_ptr<MutexHolder> mutex(MutexHolder::CreateNamed(nullptr));
  ASSERT_NE(mutex->handle(), nullptr);
  ScopedMutexLock outer(mutex.get(), 0);
  ASSERT_TRUE(outer.held());
  {
    // The same thread takes it again at once.
    ScopedMutexLock inner(mutex.get(), 0);
    ASSERT_TRUE(inner.held());
    inner.Release();
    EXPECT_FALSE(inner.held());
    inner.Release();  // must not release the outer hold
  }
  EXPECT_FALSE(FreeForAnotherThread(mutex->handle()));
  outer.Release();
  EXPECT_TRUE(FreeForAnotherThread(mutex->handle()));
}

TEST(ScopedMutexLockTest, AbandonedMutexCountsAsAcquired) {
  std::unique_ptr<MutexHolder> mutex(MutexHolder::CreateNamed(nullptr));
  // A thread that ends while holding the mutex abandons it.
  std::thread([&] { ::WaitForSingleObject(mutex->handle(), INFINITE); }).join();
  ScopedMutexLock lock(mutex.get(), 0);
  EXPECT_TRUE(lock.held());
}

}  // namespace
}  // namespace ime_shared
