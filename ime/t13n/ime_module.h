// The module object of the input-method module: the lock count that keeps
// the module loaded while any of its COM objects lives, and the class table
// behind DllGetClassObject. One static instance lives in the module (see
// dll_main.cc); it makes itself the process's module lock, which every COM
// object of the platform layer takes (ime/shared/base/com_module_lock.h).
#ifndef IME_T13N_IME_MODULE_H_
#define IME_T13N_IME_MODULE_H_

#include <windows.h>

#include <cstddef>

#include "ime/shared/base/com_class_factory.h"
#include "ime/shared/base/com_module_lock.h"

namespace ime_t13n {

// The COM classes a module serves: one row {class identifier, creator} per
// class (the creator is typically CreateComInstance<Class>).
struct ComClassTable {
  const ime_shared::base::ComClassEntry* entries = nullptr;
  size_t count = 0;
};

// The input-method module's classes (see ime_module.cc for how a class
// joins the table).
ComClassTable ModuleClassTable();

class ImeModule : public ime_shared::base::ModuleLockInterface {
 public:
  // Initialises the module's critical section (a failure is remembered:
  // the load then fails) and becomes the process's module lock.
  explicit ImeModule(ComClassTable classes);
  // Gives the process's module lock back to the one it replaced.
  ~ImeModule() override;
  ImeModule(const ImeModule&) = delete;
  ImeModule& operator=(const ImeModule&) = delete;

  // ModuleLockInterface: interlocked; Lock and Unlock return the new count.
  LONG Lock() override;
  LONG Unlock() override;
  LONG GetLockCount() const override;

  // Whether the module object could not be initialised.
  bool InitFailed() const { return init_failed_; }

  // DllGetClassObject: a class factory of the table's row for |clsid|,
  // queried for |iid|; CLASS_E_CLASSNOTAVAILABLE for a class not in the
  // table, E_INVALIDARG for a null |out|.
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const;
  // DllCanUnloadNow: S_OK while the lock count is 0, else S_FALSE.
  HRESULT CanUnloadNow() const;

  // The module-wide critical section; null when it could not be made.
  CRITICAL_SECTION* critical_section() {
    return init_failed_ ? nullptr : &critical_section_;
  }

 private:
  const ComClassTable classes_;
  volatile LONG lock_count_ = 0;
  CRITICAL_SECTION critical_section_;
  bool init_failed_ = false;
  ime_shared::base::ModuleLockInterface* previous_lock_ = nullptr;
};

}  // namespace ime_t13n

#endif  // IME_T13N_IME_MODULE_H_
