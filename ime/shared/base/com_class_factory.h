// The class factory and the class table behind DllGetClassObject and
// DllCanUnloadNow.
//
//   const ComClassEntry kClasses[] = {
//       {&InputMethod::kTextServiceClsid, &CreateComInstance<TextService>},
//   };
//   STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
//     return GetClassObject(kClasses, clsid, iid, out);
//   }
#ifndef IME_SHARED_BASE_COM_CLASS_FACTORY_H_
#define IME_SHARED_BASE_COM_CLASS_FACTORY_H_

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

#include "ime/shared/base/com_object.h"

namespace ime_shared {
namespace base {

// Makes a new object of a class and gives the caller its interface |iid|.
using ComCreator = HRESULT (*)(REFIID iid, void** out);

// The ComCreator of a ComObject class T: E_OUTOFMEMORY when T cannot be
// made, else the result of its QueryInterface (the object is deleted again
// when it does not answer |iid|).
template <typename T>
HRESULT CreateComInstance(REFIID iid, void** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  ComPtr<T> object = MakeComObject<T>();
  if (!object) return E_OUTOFMEMORY;
  return object->QueryInterface(iid, out);
}

// IClassFactory over one creator. Aggregation is not supported;
// LockServer counts on the module lock.
class ClassFactory : public ComObject<IClassFactory> {
 public:
  explicit ClassFactory(ComCreator creator) : creator_(creator) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  const ComCreator creator_;
};

struct ComClassEntry {
  const CLSID* clsid;
  ComCreator creator;
};

// A new class factory for the |clsid| row of |table|, queried for |iid|.
// CLASS_E_CLASSNOTAVAILABLE for a class not in the table; E_INVALIDARG for
// a null |out|.
HRESULT GetClassObject(const ComClassEntry* table, size_t count, REFCLSID clsid,
                       REFIID iid, void** out);
template <size_t N>
HRESULT GetClassObject(const ComClassEntry (&table)[N], REFCLSID clsid, REFIID iid,
                       void** out) {
  return GetClassObject(table, N, clsid, iid, out);
}

// DllCanUnloadNow's answer: S_OK when the module lock count is 0, else
// S_FALSE.
HRESULT CanUnloadNow();

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_COM_CLASS_FACTORY_H_
