#include "ime/shared/tsf/compartment.h"

#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/tsf/testing/fake_context.h"
#include "ime/shared/tsf/testing/fake_thread_manager.h"
#include "ime/shared/tsf/testing/module_lock_scope.h"

namespace ime_shared {
namespace tsf {
namespace {

using base::ComPtr;
using base::MakeComObject;
using ime_tsf_testing::FakeCompartment;
using ime_tsf_testing::FakeThreadMgr;
using ime_tsf_testing::PlainObject;

class ChangeRecorder : public base::ComObject<ITfCompartmentEventSink> {
 public:
  STDMETHODIMP OnChange(REFGUID guid) override {
    changes.push_back(guid);
    return S_OK;
  }
  std::vector<GUID> changes;
};

constexpr TfClientId kClient = 0x77;

TEST(CompartmentTest, WritesWithTheClientIdAndHearsChanges) {
  ComPtr<FakeThreadMgr> owner = MakeComObject<FakeThreadMgr>();
  ComPtr<ChangeRecorder> sink = MakeComObject<ChangeRecorder>();
  FakeCompartment* fake =
      owner->compartments().Get(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE);
  {
    Compartment compartment(kClient, static_cast<ITfThreadMgr*>(owner.Get()),
                            GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, sink.Get());
    EXPECT_TRUE(compartment.IsPresent());
    EXPECT_TRUE(compartment.IsAdvised());
    EXPECT_TRUE(IsEqualGUID(compartment.guid(), GUID_COMPARTMENT_KEYBOARD_OPENCLOSE));

    int32_t value = 5;
    EXPECT_FALSE(compartment.GetValue(&value));  // never written: no VT_I4
    ASSERT_EQ(compartment.SetValue(1), S_OK);
    EXPECT_EQ(fake->writes(), std::vector<int32_t>({1}));
    EXPECT_EQ(fake->last_writer(), kClient);
    EXPECT_EQ(fake->type(), VT_I4);
    ASSERT_TRUE(compartment.GetValue(&value));
    EXPECT_EQ(value, 1);
    ASSERT_EQ(sink->changes.size(), 1u);
    EXPECT_TRUE(IsEqualGUID(sink->changes[0], GUID_COMPARTMENT_KEYBOARD_OPENCLOSE));

    // Another client's write is heard too.
    fake->ChangeInt(0);
    EXPECT_EQ(sink->changes.size(), 2u);
    ASSERT_TRUE(compartment.GetValue(&value));
    EXPECT_EQ(value, 0);

    // A value of another type reads as none.
    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"1");
    fake->Change(text);
    ::VariantClear(&text);
    EXPECT_FALSE(compartment.GetValue(&value));
    fake->read_result = E_FAIL;
    EXPECT_FALSE(compartment.GetValue(&value));
  }
  // The destructor unadvised: later writes reach nobody.
  EXPECT_EQ(fake->sinks().size(), 0u);
  const size_t heard = sink->changes.size();
  fake->ChangeInt(1);
  EXPECT_EQ(sink->changes.size(), heard);
}

TEST(CompartmentTest, AnOwnerWithoutTheCompartmentLeavesItEmpty) {
  ime_tsf_testing::ModuleLockScope lock;
  {
    ComPtr<ChangeRecorder> sink = MakeComObject<ChangeRecorder>();
    ComPtr<PlainObject> no_manager = MakeComObject<PlainObject>();
    Compartment without_manager(kClient, no_manager.Get(), GUID_COMPARTMENT_KEYBOARD_DISABLED,
                                sink.Get());
    EXPECT_FALSE(without_manager.IsPresent());
    EXPECT_FALSE(without_manager.IsAdvised());
    EXPECT_EQ(without_manager.SetValue(1), E_UNEXPECTED);
    int32_t value = 0;
    EXPECT_FALSE(without_manager.GetValue(&value));

    ComPtr<FakeThreadMgr> owner = MakeComObject<FakeThreadMgr>();
    owner->compartments().MarkMissing(GUID_COMPARTMENT_KEYBOARD_DISABLED);
    Compartment missing(kClient, static_cast<ITfThreadMgr*>(owner.Get()),
                        GUID_COMPARTMENT_KEYBOARD_DISABLED, sink.Get());
    EXPECT_FALSE(missing.IsPresent());
    EXPECT_EQ(missing.SetValue(1), E_UNEXPECTED);

    Compartment no_owner(kClient, nullptr, GUID_COMPARTMENT_KEYBOARD_DISABLED, nullptr);
    EXPECT_FALSE(no_owner.IsPresent());

    // Without a sink nothing is advised, but the value is there.
    Compartment silent(kClient, static_cast<ITfThreadMgr*>(owner.Get()),
                       GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, nullptr);
    EXPECT_TRUE(silent.IsPresent());
    EXPECT_FALSE(silent.IsAdvised());
    EXPECT_EQ(silent.SetValue(3), S_OK);
    EXPECT_TRUE(sink->changes.empty());
  }
  // Nothing was kept alive by a compartment.
  EXPECT_EQ(lock.count(), 0);
}

}  // namespace
}  // namespace tsf
}  // namespace ime_shared
