// The lock that keeps the module loaded while any of its COM objects lives
// or a client has locked a class factory. The module object implements the
// interface and installs itself at load; until then (and in test programs)
// a plain counter of this file serves, so that DllCanUnloadNow has one place
// to ask.
#ifndef IME_SHARED_BASE_COM_MODULE_LOCK_H_
#define IME_SHARED_BASE_COM_MODULE_LOCK_H_

#include <windows.h>

namespace ime_shared {
namespace base {

class ModuleLockInterface {
 public:
  virtual ~ModuleLockInterface() = default;
  // Both return the new count. Safe on any thread.
  virtual LONG Lock() = 0;
  virtual LONG Unlock() = 0;
  virtual LONG GetLockCount() const = 0;
};

// A lock that only counts, with interlocked operations.
class CountingModuleLock : public ModuleLockInterface {
 public:
  LONG Lock() override;
  LONG Unlock() override;
  LONG GetLockCount() const override;

 private:
  volatile LONG count_ = 0;
};

// The process-wide lock: the one last given to SetModuleLock, else a
// CountingModuleLock of this library's own.
ModuleLockInterface* GetModuleLock();

// Makes |lock| the process-wide lock (null: back to the built-in counter) and
// returns the previous one. Every object keeps the lock it took, so objects
// alive across a change still unlock the right one.
ModuleLockInterface* SetModuleLock(ModuleLockInterface* lock);

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_COM_MODULE_LOCK_H_
