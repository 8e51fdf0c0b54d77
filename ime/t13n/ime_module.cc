#include "ime/t13n/ime_module.h"

#include "ime/shared/base/com_class_factory.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/tsf/text_service.h"

namespace ime_t13n {

ComClassTable ModuleClassTable() {
  // The module's COM classes, one row each: the TSF text service, which
  // TSF creates in every thread that uses the input method.
  static const ime_shared::base::ComClassEntry kClasses[] = {
      {&ime_shared::InputMethod::kTextServiceClsid,
       &ime_shared::base::CreateComInstance<ime_shared::tsf::TextService>},
  };
  return ComClassTable{kClasses, sizeof(kClasses) / sizeof(kClasses[0])};
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
