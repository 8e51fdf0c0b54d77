// Ownership of a mutex handle, and a scoped hold of the mutex with a bounded
// wait. The user files are shared between processes under named mutexes; a
// process that died while holding one must not lock the others out, so an
// abandoned mutex counts as acquired.
#ifndef IME_SHARED_SCOPED_MUTEX_LOCK_H_
#define IME_SHARED_SCOPED_MUTEX_LOCK_H_

#include <windows.h>

#include "ime/shared/base/scoped_handle.h"

namespace ime_shared {

// Owns one mutex handle, or none when the mutex could not be created;
// destruction closes it.
class MutexHolder {
 public:
  // Takes ownership of |mutex| (may be null).
  explicit MutexHolder(HANDLE mutex) : mutex_(mutex) {}
  MutexHolder(const MutexHolder&) = delete;
  MutexHolder& operator=(const MutexHolder&) = delete;

  // Creates or opens the named mutex with the low-integrity security shared
  // objects get (null when that fails).
  static MutexHolder* CreateNamed(const wchar_t* name);

  HANDLE handle() const { return mutex_.Get(); }

 private:
  base::ScopedHandle mutex_;
};

// Waits up to |timeout_ms| for the mutex of |holder| when made; held when the
// wait returned WAIT_OBJECT_0 or WAIT_ABANDONED. A null holder, or one
// without a handle, is never held. Released when the scope ends. The mutex
// is recursive within a thread: a thread that holds it may take it again.
class ScopedMutexLock {
 public:
  ScopedMutexLock(const MutexHolder* holder, DWORD timeout_ms);
  ~ScopedMutexLock() { Release(); }
  ScopedMutexLock(const ScopedMutexLock&) = delete;
  ScopedMutexLock& operator=(const ScopedMutexLock&) = delete;

  bool held() const { return held_; }

  // Releases the mutex when held; safe to call more than once.
  void Release();

 private:
  const MutexHolder* holder_;
  bool held_ = false;
};

}  // namespace ime_shared

#endif  // IME_SHARED_SCOPED_MUTEX_LOCK_H_
