// A counting module lock of a test's own, for checking that the objects a
// test made were all released.
#ifndef IME_SHARED_TSF_TESTING_MODULE_LOCK_SCOPE_H_
#define IME_SHARED_TSF_TESTING_MODULE_LOCK_SCOPE_H_

#include <windows.h>

#include "ime/shared/base/com_module_lock.h"

namespace ime_tsf_testing {

// Installs a counter as the module lock while it lives and then puts the
// previous lock back. Objects keep the lock they took, so a count of 0
// means every object made in its lifetime is gone.
class ModuleLockScope {
 public:
  ModuleLockScope() : previous_(ime_shared::base::SetModuleLock(&lock_)) {}
  ~ModuleLockScope() { ime_shared::base::SetModuleLock(previous_); }
  ModuleLockScope(const ModuleLockScope&) = delete;
  ModuleLockScope& operator=(const ModuleLockScope&) = delete;

  LONG count() const { return lock_.GetLockCount(); }

 private:
  ime_shared::base::CountingModuleLock lock_;
  ime_shared::base::ModuleLockInterface* previous_;
};

}  // namespace ime_tsf_testing

#endif  // IME_SHARED_TSF_TESTING_MODULE_LOCK_SCOPE_H_
