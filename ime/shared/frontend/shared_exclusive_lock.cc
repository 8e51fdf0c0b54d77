#include "ime/shared/frontend/shared_exclusive_lock.h"

namespace ime_shared {

namespace {

// A mutex whose owner ended without releasing it is handed over as
// abandoned: the new owner holds it, and must release it like any other.
bool Acquired(DWORD wait) {
  return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

}  // namespace

SharedExclusiveLock::SharedExclusiveLock()
    : free_event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      entry_mutex_(::CreateMutexW(nullptr, FALSE, nullptr)) {
  ::InitializeCriticalSection(&section_);
}

SharedExclusiveLock::~SharedExclusiveLock() {
  ::DeleteCriticalSection(&section_);
}

bool SharedExclusiveLock::AcquireShared() {
  if (!entry_mutex_ || !free_event_) return false;
  if (!Acquired(::WaitForSingleObject(entry_mutex_.Get(), INFINITE))) {
    return false;
  }
  ::EnterCriticalSection(&section_);
  const bool exclusive = state_ == kExclusive;
  ::LeaveCriticalSection(&section_);
  // An exclusive holder releases at once after it let the entry mutex go.
  if (exclusive &&
      ::WaitForSingleObject(free_event_.Get(), INFINITE) != WAIT_OBJECT_0) {
    ::ReleaseMutex(entry_mutex_.Get());
    return false;
  }
  ::EnterCriticalSection(&section_);
  state_ = kShared;
  ++shared_count_;
  ::ResetEvent(free_event_.Get());
  ::LeaveCriticalSection(&section_);
  ::ReleaseMutex(entry_mutex_.Get());
  return true;
}

void SharedExclusiveLock::Release() {
  ::EnterCriticalSection(&section_);
  if (state_ == kExclusive) {
    state_ = kFree;
    ::SetEvent(free_event_.Get());
  } else if (state_ == kShared) {
    if (--shared_count_ <= 0) {
      shared_count_ = 0;
      state_ = kFree;
      ::SetEvent(free_event_.Get());
    }
  }
  ::LeaveCriticalSection(&section_);
}

bool SharedExclusiveLock::PassExclusiveBarrier(DWORD timeout_ms) {
  if (!entry_mutex_ || !free_event_) return false;
  if (!Acquired(::WaitForSingleObject(entry_mutex_.Get(), timeout_ms))) {
    return false;
  }
  ::EnterCriticalSection(&section_);
  const bool free = state_ == kFree;
  ::LeaveCriticalSection(&section_);
  if (!free &&
      ::WaitForSingleObject(free_event_.Get(), timeout_ms) != WAIT_OBJECT_0) {
    ::ReleaseMutex(entry_mutex_.Get());
    return false;
  }
  ::EnterCriticalSection(&section_);
  state_ = kExclusive;
  ::ResetEvent(free_event_.Get());
  ::LeaveCriticalSection(&section_);
  ::ReleaseMutex(entry_mutex_.Get());
  Release();
  return true;
}

int SharedExclusiveLock::state() const {
  ::EnterCriticalSection(&section_);
  const int state = state_;
  ::LeaveCriticalSection(&section_);
  return state;
}

int SharedExclusiveLock::shared_count() const {
  ::EnterCriticalSection(&section_);
  const int count = shared_count_;
  ::LeaveCriticalSection(&section_);
  return count;
}

}  // namespace ime_shared
