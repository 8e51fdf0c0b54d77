#include "ime/shared/base/com_class_factory.h"

#include "gtest/gtest.h"
#include "ime/shared/base/com_module_lock.h"
#include "ime/shared/base/tsf_declarations.h"

namespace ime_shared {
namespace base {
namespace {

constexpr CLSID kServiceClsid = {
    0x1b2c3d4e, 0x0001, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
constexpr CLSID kOtherClsid = {
    0x1b2c3d4e, 0x0002, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}};

int g_services_alive = 0;

class Service : public ComObject<Implements<ITfFnConfigure, ITfFunction>> {
 public:
  Service() { ++g_services_alive; }
  ~Service() override { --g_services_alive; }
  STDMETHODIMP GetDisplayName(BSTR* name) override { return E_NOTIMPL; }
  STDMETHODIMP Show(HWND parent, LANGID language, REFGUID profile) override {
    return S_OK;
  }
};

const ComClassEntry kClasses[] = {
    {&kServiceClsid, &CreateComInstance<Service>},
};

class ClassFactoryTest : public ::testing::Test {
 protected:
  ClassFactoryTest() : previous_(SetModuleLock(&lock_)) {}
  ~ClassFactoryTest() override { SetModuleLock(previous_); }

  CountingModuleLock lock_;
  ModuleLockInterface* previous_;
};

TEST_F(ClassFactoryTest, MakesObjectsOfTheTableAndUnloadsWhenAllAreGone) {
  EXPECT_EQ(CanUnloadNow(), S_OK);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetClassObject(kClasses, kServiceClsid, IID_IClassFactory,
                           reinterpret_cast<void**>(factory.Receive())),
            S_OK);
  // The factory itself keeps the module loaded.
  EXPECT_EQ(lock_.GetLockCount(), 1);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);

  ComPtr<ITfFnConfigure> configure;
  ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(ITfFnConfigure),
                                    reinterpret_cast<void**>(configure.Receive())),
            S_OK);
  EXPECT_EQ(g_services_alive, 1);
  EXPECT_EQ(lock_.GetLockCount(), 2);

  // An interface the class does not have: nothing is left behind.
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(ITfCandidateListUIElement), &none),
            E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(g_services_alive, 1);

  // No aggregation.
  none = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(configure.Get(), __uuidof(ITfFunction), &none),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(g_services_alive, 1);
  EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(ITfFunction), nullptr),
            E_INVALIDARG);

  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  configure.Reset();
  EXPECT_EQ(g_services_alive, 0);
  EXPECT_EQ(lock_.GetLockCount(), 0);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ClassFactoryTest, LockServerCountsOnTheModuleLock) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetClassObject(kClasses, kServiceClsid, IID_IClassFactory,
                           reinterpret_cast<void**>(factory.Receive())),
            S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(lock_.GetLockCount(), 2);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);

  ASSERT_EQ(GetClassObject(kClasses, kServiceClsid, IID_IClassFactory,
                           reinterpret_cast<void**>(factory.Receive())),
            S_OK);
  factory->LockServer(FALSE);
  factory->LockServer(FALSE);
  factory.Reset();
  EXPECT_EQ(lock_.GetLockCount(), 0);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ClassFactoryTest, UnknownClassesAndBadArguments) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(GetClassObject(kClasses, kOtherClsid, IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(GetClassObject(kClasses, kServiceClsid, IID_IClassFactory, nullptr),
            E_INVALIDARG);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(GetClassObject(kClasses, kServiceClsid, __uuidof(ITfFunction), &out),
            E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(lock_.GetLockCount(), 0);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
