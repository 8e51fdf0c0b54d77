// A fake TSF category manager for the composition's display attribute:
// RegisterGUID answers a set result (a fixed atom on success) and counts
// the calls; nothing else is implemented. Factories of it, and of none, for
// a context's CategoryManagerFactory.
#ifndef IME_SHARED_TSF_TESTING_FAKE_CATEGORY_MANAGER_H_
#define IME_SHARED_TSF_TESTING_FAKE_CATEGORY_MANAGER_H_

#include <windows.h>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/tsf/composition.h"

namespace ime_tsf_testing {

class FakeCategoryMgr : public ime_shared::base::ComObject<ITfCategoryMgr> {
 public:
  // A factory that hands out |manager| (kept alive by the factory).
  static ime_shared::tsf::CategoryManagerFactory FactoryOf(
      ime_shared::base::ComPtr<FakeCategoryMgr> manager) {
    return [manager](ITfCategoryMgr** out) -> HRESULT {
      *out = manager.Get();
      if (*out != nullptr) (*out)->AddRef();
      return S_OK;
    };
  }
  // A factory that fails as CoCreateInstance does when TSF's category
  // manager is not registered.
  static ime_shared::tsf::CategoryManagerFactory Missing() {
    return [](ITfCategoryMgr** out) -> HRESULT {
      *out = nullptr;
      return REGDB_E_CLASSNOTREG;
    };
  }

  STDMETHODIMP RegisterGUID(REFGUID guid, TfGuidAtom* atom_out) override {
    ++registrations;
    if (atom_out == nullptr) return E_INVALIDARG;
    *atom_out = SUCCEEDED(register_result) ? atom : TF_INVALID_GUIDATOM;
    return register_result;
  }

  STDMETHODIMP RegisterCategory(REFCLSID clsid, REFGUID category, REFGUID guid) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP UnregisterCategory(REFCLSID clsid, REFGUID category, REFGUID guid) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumCategoriesInItem(REFGUID guid, IEnumGUID** categories) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumItemsInCategory(REFGUID category, IEnumGUID** items) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP FindClosestCategory(REFGUID guid, GUID* category, const GUID** list,
                                   ULONG count) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RegisterGUIDDescription(REFCLSID clsid, REFGUID guid, const WCHAR* text,
                                       ULONG length) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP UnregisterGUIDDescription(REFCLSID clsid, REFGUID guid) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetGUIDDescription(REFGUID guid, BSTR* text) override { return E_NOTIMPL; }
  STDMETHODIMP RegisterGUIDDWORD(REFCLSID clsid, REFGUID guid, DWORD value) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP UnregisterGUIDDWORD(REFCLSID clsid, REFGUID guid) override { return E_NOTIMPL; }
  STDMETHODIMP GetGUIDDWORD(REFGUID guid, DWORD* value) override { return E_NOTIMPL; }
  STDMETHODIMP GetGUID(TfGuidAtom atom_in, GUID* guid) override { return E_NOTIMPL; }
  STDMETHODIMP IsEqualTfGuidAtom(TfGuidAtom atom_in, REFGUID guid, BOOL* equal) override {
    return E_NOTIMPL;
  }

  // What RegisterGUID answers, and the atom it gives on success.
  HRESULT register_result = S_OK;
  TfGuidAtom atom = 0x4D;
  int registrations = 0;
};

}  // namespace ime_tsf_testing

#endif  // IME_SHARED_TSF_TESTING_FAKE_CATEGORY_MANAGER_H_
