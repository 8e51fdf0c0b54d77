// The gate around every dispatch of the process: dispatches hold it shared;
// a dispatch after which no handler is current passes an exclusive barrier,
// which waits (briefly) for the dispatches still running on other threads.
#ifndef IME_SHARED_FRONTEND_SHARED_EXCLUSIVE_LOCK_H_
#define IME_SHARED_FRONTEND_SHARED_EXCLUSIVE_LOCK_H_

#include <windows.h>

#include "ime/shared/base/scoped_handle.h"

namespace ime_shared {

class SharedExclusiveLock {
 public:
  static constexpr DWORD kBarrierTimeoutMs = 100;

  // The free event (manual reset, not signalled), the entry mutex (not
  // owned) and the critical section.
  SharedExclusiveLock();
  ~SharedExclusiveLock();
  SharedExclusiveLock(const SharedExclusiveLock&) = delete;
  SharedExclusiveLock& operator=(const SharedExclusiveLock&) = delete;

  // Takes the gate shared. False when it could not be taken (the dispatch
  // then runs without it). A mutex abandoned by a thread that ended while
  // holding it counts as taken.
  bool AcquireShared();
  // Releases a shared or exclusive hold: the last holder frees the gate and
  // sets the free event.
  void Release();
  // Takes the gate exclusively and releases it at once, waiting at most
  // |timeout_ms| for the entry mutex and again for the gate to be free.
  // False when either wait failed.
  bool PassExclusiveBarrier(DWORD timeout_ms = kBarrierTimeoutMs);

  // The entry mutex (tests hold it from other threads).
  HANDLE entry_mutex() const { return entry_mutex_.Get(); }
  // 0 free, 1 shared, 2 exclusive.
  int state() const;
  int shared_count() const;

 private:
  enum State { kFree = 0, kShared = 1, kExclusive = 2 };

  base::ScopedHandle free_event_;
  base::ScopedHandle entry_mutex_;
  mutable CRITICAL_SECTION section_;
  State state_ = kFree;
  int shared_count_ = 0;
};

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_SHARED_EXCLUSIVE_LOCK_H_
