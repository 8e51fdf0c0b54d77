#include "ime/shared/scoped_mutex_lock.h"

#include "ime/shared/security.h"

namespace ime_shared {

MutexHolder* MutexHolder::CreateNamed(const wchar_t* name) {
  return new MutexHolder(CreateLowIntegrityMutex(name));
}

ScopedMutexLock::ScopedMutexLock(const MutexHolder* holder, DWORD timeout_ms)
    : holder_(holder) {
  if (holder_ == nullptr || holder_->handle() == nullptr) return;
  const DWORD wait = ::WaitForSingleObject(holder_->handle(), timeout_ms);
  held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

void ScopedMutexLock::Release() {
  if (!held_) return;
  ::ReleaseMutex(holder_->handle());
  held_ = false;
}

}  // namespace ime_shared
