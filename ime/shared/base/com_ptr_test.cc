#include "ime/shared/base/com_ptr.h"

#include <utility>

#include "gtest/gtest.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/base/tsf_declarations.h"

namespace ime_shared {
namespace base {
namespace {

// A function object that reports its reference count.
class Counted : public ComObject<Implements<ITfFnConfigure, ITfFunction>> {
 public:
  STDMETHODIMP GetDisplayName(BSTR* name) override { return E_NOTIMPL; }
  STDMETHODIMP Show(HWND parent, LANGID language, REFGUID profile) override {
    return S_OK;
  }
  ULONG References() {
    AddRef();
    return Release();
  }
};

TEST(ComPtrTest, TakesAndDropsReferences) {
  ComPtr<Counted> object = MakeComObject<Counted>();
  ASSERT_TRUE(object);
  Counted* raw = object.Get();
  EXPECT_EQ(raw->References(), 1u);

  {
    ComPtr<Counted> copy(object);
    EXPECT_EQ(raw->References(), 2u);
    ComPtr<Counted> assigned;
    assigned = copy;
    EXPECT_EQ(raw->References(), 3u);
    ComPtr<Counted> moved(std::move(copy));
    EXPECT_FALSE(copy);
    EXPECT_EQ(raw->References(), 3u);
    ComPtr<ITfFunction> base_view(object);  // to a base interface
    EXPECT_EQ(raw->References(), 4u);
    EXPECT_TRUE(moved == object);
    assigned = nullptr;
    EXPECT_EQ(raw->References(), 3u);
  }
  EXPECT_EQ(raw->References(), 1u);

  // Attach takes over a reference, Detach gives it away.
  raw->AddRef();
  ComPtr<Counted> attached;
  attached.Attach(raw);
  EXPECT_EQ(raw->References(), 2u);
  Counted* detached = attached.Detach();
  EXPECT_FALSE(attached);
  EXPECT_EQ(raw->References(), 2u);
  detached->Release();

  // Receive drops the held reference before the out-parameter is filled.
  ComPtr<ITfFunction> out(object);
  EXPECT_EQ(raw->References(), 2u);
  ITfFunction** place = out.Receive();
  EXPECT_EQ(raw->References(), 1u);
  EXPECT_EQ(*place, nullptr);

  // CopyTo hands the caller a reference of its own.
  ITfFnConfigure* copied = nullptr;
  ComPtr<ITfFnConfigure> configure(object);
  EXPECT_EQ(configure.CopyTo(&copied), S_OK);
  EXPECT_EQ(raw->References(), 3u);
  copied->Release();
  EXPECT_EQ(configure.CopyTo(nullptr), E_INVALIDARG);
  configure.Reset();
  EXPECT_EQ(raw->References(), 1u);
}

TEST(ComPtrTest, QueriesOtherInterfaces) {
  ComPtr<Counted> object = MakeComObject<Counted>();
  ComPtr<ITfFunction> function;
  EXPECT_EQ(function.QueryFrom(static_cast<ITfFnConfigure*>(object.Get())), S_OK);
  EXPECT_EQ(object->References(), 2u);

  ComPtr<ITfFnConfigure> configure;
  EXPECT_EQ(function.As(&configure), S_OK);
  EXPECT_TRUE(configure);
  EXPECT_EQ(object->References(), 3u);

  ComPtr<ITfDisplayAttributeProvider> missing;
  EXPECT_EQ(function.As(&missing), E_NOINTERFACE);
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.QueryFrom(nullptr), E_NOINTERFACE);
  EXPECT_EQ(object->References(), 3u);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
