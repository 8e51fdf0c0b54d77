#include "ime/shared/base/com_module_lock.h"

#include <atomic>

namespace ime_shared {
namespace base {

namespace {

// Constant-initialised: objects made by other static initialisers find it.
CountingModuleLock g_default_lock;
std::atomic<ModuleLockInterface*> g_lock{nullptr};

}  // namespace

LONG CountingModuleLock::Lock() { return ::InterlockedIncrement(&count_); }

LONG CountingModuleLock::Unlock() { return ::InterlockedDecrement(&count_); }

LONG CountingModuleLock::GetLockCount() const {
  return ::InterlockedCompareExchange(const_cast<volatile LONG*>(&count_), 0, 0);
}

ModuleLockInterface* GetModuleLock() {
  ModuleLockInterface* lock = g_lock.load(std::memory_order_acquire);
  return lock != nullptr ? lock : &g_default_lock;
}

ModuleLockInterface* SetModuleLock(ModuleLockInterface* lock) {
  ModuleLockInterface* previous = g_lock.exchange(lock, std::memory_order_acq_rel);
  return previous != nullptr ? previous : &g_default_lock;
}

}  // namespace base
}  // namespace ime_shared
