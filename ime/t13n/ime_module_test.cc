// The module object: the class table behind DllGetClassObject, and the lock
// count that every COM object of the module holds (DllCanUnloadNow).
#include "ime/t13n/ime_module.h"

#include <windows.h>
#include <objidl.h>

#include "gtest/gtest.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/language_identity.h"

namespace ime_t13n {
namespace {

using ime_shared::base::ComClassEntry;
using ime_shared::base::ComObject;
using ime_shared::base::ComPtr;

constexpr CLSID kThingClsid = {
    0x7d3e1c20, 0x51a4, 0x4c0e, {0x8f, 0x11, 0x2b, 0x6a, 0x90, 0x3c, 0x47, 0x01}};

class Thing : public ComObject<IPersist> {
 public:
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    *clsid = kThingClsid;
    return S_OK;
  }
};

const ComClassEntry kClasses[] = {
    {&kThingClsid, &ime_shared::base::CreateComInstance<Thing>},
};

TEST(ImeModuleTest, ServesTheClassesOfItsTableAndCountsTheirObjects) {
  ImeModule module(ComClassTable{kClasses, 1});
  ASSERT_FALSE(module.InitFailed());
  ASSERT_NE(module.critical_section(), nullptr);
  // The module object is the process's module lock while it lives.
  EXPECT_EQ(ime_shared::base::GetModuleLock(), &module);
  EXPECT_EQ(module.CanUnloadNow(), S_OK);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(module.GetClassObject(kThingClsid, IID_IClassFactory,
                                  reinterpret_cast<void**>(factory.Receive())),
            S_OK);
  EXPECT_EQ(module.GetLockCount(), 1);
  EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
  ComPtr<IPersist> thing;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPersist,
                                    reinterpret_cast<void**>(thing.Receive())),
            S_OK);
  EXPECT_EQ(module.GetLockCount(), 2);
  CLSID clsid;
  EXPECT_EQ(thing->GetClassID(&clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, kThingClsid));
  factory.Reset();
  thing.Reset();
  EXPECT_EQ(module.GetLockCount(), 0);
  EXPECT_EQ(module.CanUnloadNow(), S_OK);

  // A class not in the table.
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(module.GetClassObject(ime_shared::InputMethod::kDisplayAttributeGuid,
                                  IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(module.GetClassObject(kThingClsid, IID_IClassFactory, nullptr),
            E_INVALIDARG);

  EXPECT_EQ(module.Lock(), 1);
  EXPECT_EQ(module.Lock(), 2);
  EXPECT_EQ(module.Unlock(), 1);
  EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(module.Unlock(), 0);
}

TEST(ImeModuleTest, TheModuleServesTheTextServiceAndItsObjectsHoldTheLock) {
  const ComClassTable table = ModuleClassTable();
  ASSERT_EQ(table.count, 1u);
  ime_shared::base::ModuleLockInterface* before =
      ime_shared::base::GetModuleLock();
  {
    ImeModule module(table);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(module.GetClassObject(ime_shared::InputMethod::kTextServiceClsid,
                                    IID_IClassFactory,
                                    reinterpret_cast<void**>(factory.Receive())),
              S_OK);
    ComPtr<ITfTextInputProcessorEx> service;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITfTextInputProcessorEx,
                                      reinterpret_cast<void**>(service.Receive())),
              S_OK);
    ComPtr<ITfDisplayAttributeProvider> provider;
    EXPECT_EQ(provider.QueryFrom(service.Get()), S_OK);
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    provider.Reset();
    service.Reset();
    factory.Reset();
    EXPECT_EQ(module.GetLockCount(), 0);
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
  }
  // The lock it replaced is the process's again.
  EXPECT_EQ(ime_shared::base::GetModuleLock(), before);
}

}  // namespace
}  // namespace ime_t13n
