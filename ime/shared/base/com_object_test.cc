#include "ime/shared/base/com_object.h"

#include <stdexcept>

#include "gtest/gtest.h"
#include "ime/shared/base/com_module_lock.h"
#include "ime/shared/base/tsf_declarations.h"

namespace ime_shared {
namespace base {
namespace {

// Installs a counter of the test's own as the module lock.
class ModuleLockScope {
 public:
  ModuleLockScope() : previous_(SetModuleLock(&lock_)) {}
  ~ModuleLockScope() { SetModuleLock(previous_); }
  LONG count() const { return lock_.GetLockCount(); }

 private:
  CountingModuleLock lock_;
  ModuleLockInterface* previous_;
};

// An object of three interfaces, one of them answering for its base too.
class Service : public ComObject<ITfDisplayAttributeProvider,
                                 Implements<ITfFnConfigure, ITfFunction>> {
 public:
  explicit Service(int* destroyed) : destroyed_(destroyed) {}
  ~Service() override { ++*destroyed_; }

  STDMETHODIMP EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo** out) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDisplayAttributeInfo(REFGUID guid, ITfDisplayAttributeInfo** out) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDisplayName(BSTR* name) override { return E_NOTIMPL; }
  STDMETHODIMP Show(HWND parent, LANGID language, REFGUID profile) override {
    return S_OK;
  }

  using ComObject::Identity;

 private:
  int* destroyed_;
};

class Throwing : public ComObject<ITfFunction> {
 public:
  Throwing() { throw std::runtime_error("no"); }
  STDMETHODIMP GetDisplayName(BSTR* name) override { return E_NOTIMPL; }
};

// What an owner-managed object looks like.
class Owned : public StackComObject<Implements<ITfFnConfigure, ITfFunction>> {
 public:
  STDMETHODIMP GetDisplayName(BSTR* name) override { return E_NOTIMPL; }
  STDMETHODIMP Show(HWND parent, LANGID language, REFGUID profile) override {
    return S_OK;
  }
};

TEST(ComObjectTest, CountsReferencesAndHoldsTheModuleLockWhileAlive) {
  ModuleLockScope lock;
  int destroyed = 0;
  {
    ComPtr<Service> service = MakeComObject<Service>(&destroyed);
    ASSERT_TRUE(service);
    EXPECT_EQ(lock.count(), 1);
    EXPECT_EQ(service->AddRef(), 2u);
    EXPECT_EQ(service->Release(), 1u);

    ComPtr<Service> second = MakeComObject<Service>(&destroyed);
    EXPECT_EQ(lock.count(), 2);
    second.Reset();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(lock.count(), 1);

    // A reference held through an interface keeps the object.
    ITfFunction* function = nullptr;
    ASSERT_EQ(service->QueryInterface(__uuidof(ITfFunction),
                                      reinterpret_cast<void**>(&function)),
              S_OK);
    service.Reset();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(function->Release(), 0u);
  }
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(lock.count(), 0);
}

TEST(ComObjectTest, QueryInterfaceFollowsTheTableAndKeepsOneIdentity) {
  ModuleLockScope lock;
  int destroyed = 0;
  ComPtr<Service> service = MakeComObject<Service>(&destroyed);

  ComPtr<ITfDisplayAttributeProvider> provider;
  ComPtr<ITfFnConfigure> configure;
  ComPtr<ITfFunction> function;
  ASSERT_EQ(provider.QueryFrom(service->Identity()), S_OK);
  ASSERT_EQ(configure.QueryFrom(provider.Get()), S_OK);
  ASSERT_EQ(function.QueryFrom(provider.Get()), S_OK);
  // The base interface is answered with the derived one's pointer.
  EXPECT_EQ(static_cast<ITfFunction*>(configure.Get()), function.Get());

  // IUnknown from every interface is the same pointer: the first entry's.
  ComPtr<IUnknown> from_provider;
  ComPtr<IUnknown> from_configure;
  ComPtr<IUnknown> from_function;
  ASSERT_EQ(from_provider.QueryFrom(provider.Get()), S_OK);
  ASSERT_EQ(from_configure.QueryFrom(configure.Get()), S_OK);
  ASSERT_EQ(from_function.QueryFrom(function.Get()), S_OK);
  EXPECT_EQ(from_provider.Get(), from_configure.Get());
  EXPECT_EQ(from_provider.Get(), from_function.Get());
  EXPECT_EQ(from_provider.Get(), static_cast<IUnknown*>(provider.Get()));
  EXPECT_TRUE(IsSameObject(function.Get(), provider.Get()));

  // Anything else: E_NOINTERFACE and a null pointer; no out-pointer: E_POINTER.
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(service->QueryInterface(__uuidof(ITfCandidateListUIElement), &other),
            E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(service->QueryInterface(__uuidof(ITfFunction), nullptr), E_POINTER);

  // Each successful query added one reference.
  provider.Reset();
  configure.Reset();
  function.Reset();
  from_provider.Reset();
  from_configure.Reset();
  from_function.Reset();
  EXPECT_EQ(service->AddRef(), 2u);
  service->Release();
  service.Reset();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(lock.count(), 0);
}

TEST(ComObjectTest, AFailedConstructionGivesNullAndLeavesNoLock) {
  ModuleLockScope lock;
  ComPtr<Throwing> object = MakeComObject<Throwing>();
  EXPECT_FALSE(object);
  EXPECT_EQ(lock.count(), 0);
}

TEST(ComObjectTest, StackObjectsCountNothingAndTakeNoLock) {
  ModuleLockScope lock;
  {
    Owned owned;
    EXPECT_EQ(lock.count(), 0);
    EXPECT_EQ(owned.AddRef(), 1u);
    EXPECT_EQ(owned.Release(), 1u);
    EXPECT_EQ(owned.Release(), 1u);  // still alive: the owner deletes it
    ComPtr<ITfFunction> function;
    ASSERT_EQ(function.QueryFrom(static_cast<ITfFnConfigure*>(&owned)), S_OK);
    EXPECT_EQ(function.Get(), static_cast<ITfFunction*>(&owned));
    ComPtr<IUnknown> identity;
    ASSERT_EQ(identity.QueryFrom(function.Get()), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(static_cast<ITfFnConfigure*>(&owned)));
  }
  EXPECT_EQ(lock.count(), 0);
}

TEST(ComObjectTest, GuardKeepsExceptionsInside) {
  EXPECT_EQ(GuardComCall([]() -> HRESULT { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(GuardComCall([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(GuardComCall([]() -> HRESULT { throw std::runtime_error("x"); }), E_FAIL);
  EXPECT_EQ(GuardComCall([]() -> HRESULT { throw 3; }), E_FAIL);
}

TEST(ComObjectTest, SameObjectComparesIdentities) {
  int destroyed = 0;
  ComPtr<Service> a = MakeComObject<Service>(&destroyed);
  ComPtr<Service> b = MakeComObject<Service>(&destroyed);
  EXPECT_TRUE(IsSameObject(static_cast<ITfFunction*>(a.Get()),
                           static_cast<ITfDisplayAttributeProvider*>(a.Get())));
  EXPECT_FALSE(IsSameObject(static_cast<ITfFunction*>(a.Get()),
                            static_cast<ITfFunction*>(b.Get())));
  EXPECT_FALSE(IsSameObject(static_cast<ITfFunction*>(a.Get()), nullptr));
  EXPECT_TRUE(IsSameObject(nullptr, nullptr));
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
