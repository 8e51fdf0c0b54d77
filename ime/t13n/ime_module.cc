#include "ime/t13n/ime_module.h"

#include "ime/shared/base/com_class_factory.h"

namespace ime_t13n {

ComClassTable ModuleClassTable() {
  // The module's COM classes, one row each. The text service joins as
  //   {&ime_shared::InputMethod::kTextServiceClsid,
  //    &ime_shared::base::CreateComInstance<ime_shared::tsf::TextService>},
  // in an array here, returned as {kClasses, count}. Until then the module
  // serves no class: every DllGetClassObject answers
  // CLASS_E_CLASSNOTAVAILABLE.
  return ComClassTable{};
}

ImeModule::ImeModule(ComClassTable classes) : classes_(classes) {
  init_failed_ =
      !::InitializeCriticalSectionAndSpinCount(&critical_section_, 0);
  previous_lock_ = ime_shared::base::SetModuleLock(this);
}

ImeModule::~ImeModule() {
  ime_shared::base::SetModuleLock(previous_lock_);
  if (!init_failed_) ::DeleteCriticalSection(&critical_section_);
}

LONG ImeModule::Lock() { return ::InterlockedIncrement(&lock_count_); }

LONG ImeModule::Unlock() { return ::InterlockedDecrement(&lock_count_); }

LONG ImeModule::GetLockCount() const {
  return ::InterlockedCompareExchange(const_cast<volatile LONG*>(&lock_count_),
                                      0, 0);
}

HRESULT ImeModule::GetClassObject(REFCLSID clsid, REFIID iid,
                                  void** out) const {
  return ime_shared::base::GetClassObject(classes_.entries, classes_.count,
                                          clsid, iid, out);
}

HRESULT ImeModule::CanUnloadNow() const {
  return GetLockCount() == 0 ? S_OK : S_FALSE;
}

}  // namespace ime_t13n
