#include "ime/shared/base/com_class_factory.h"

namespace ime_shared {
namespace base {

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  return GuardComCall([&]() -> HRESULT {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (creator_ == nullptr) return E_UNEXPECTED;
    return creator_(iid, out);
  });
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    GetModuleLock()->Lock();
  } else {
    GetModuleLock()->Unlock();
  }
  return S_OK;
}

HRESULT GetClassObject(const ComClassEntry* table, size_t count, REFCLSID clsid,
                       REFIID iid, void** out) {
  return GuardComCall([&]() -> HRESULT {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    for (size_t i = 0; i < count; ++i) {
      if (table[i].clsid == nullptr || !IsEqualCLSID(clsid, *table[i].clsid)) continue;
      ComPtr<ClassFactory> factory = MakeComObject<ClassFactory>(table[i].creator);
      if (!factory) return E_OUTOFMEMORY;
      return factory->QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
  });
}

HRESULT CanUnloadNow() {
  return GetModuleLock()->GetLockCount() == 0 ? S_OK : S_FALSE;
}

}  // namespace base
}  // namespace ime_shared
