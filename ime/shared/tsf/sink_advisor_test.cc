#include "ime/shared/tsf/sink_advisor.h"

#include "gtest/gtest.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/tsf/testing/fake_context.h"

namespace ime_shared {
namespace tsf {
namespace {

using base::ComPtr;
using base::MakeComObject;
using ime_tsf_testing::FakeContext;
using ime_tsf_testing::PlainObject;

// An edit sink that connects itself.
class EditSink : public base::ComObject<ITfTextEditSink>,
                 public SinkAdvisor<ITfTextEditSink> {
 public:
  STDMETHODIMP OnEndEdit(ITfContext* context, TfEditCookie cookie,
                         ITfEditRecord* record) override {
    return S_OK;
  }
};

// An object that derives from an advisor without being its sink.
class NotASink : public base::ComObject<IUnknown>, public SinkAdvisor<ITfTextEditSink> {};

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST(SinkAdvisorTest, AdvisesOnceAndKeepsTheFirstConnection) {
  ComPtr<FakeContext> source = MakeComObject<FakeContext>();
  {
    ComPtr<EditSink> sink = MakeComObject<EditSink>();
    EXPECT_FALSE(sink->IsAdvised());
    ASSERT_EQ(sink->Advise(static_cast<ITfContext*>(source.Get())), S_OK);
    EXPECT_TRUE(sink->IsAdvised());
    EXPECT_EQ(sink->cookie(), source->sinks().last_cookie);
    EXPECT_EQ(source->sinks().Count(IID_ITfTextEditSink), 1u);
    const DWORD first = sink->cookie();

    // A second advise is refused and the first connection stays.
    EXPECT_EQ(sink->Advise(static_cast<ITfContext*>(source.Get())), E_UNEXPECTED);
    EXPECT_EQ(sink->cookie(), first);
    EXPECT_EQ(source->sinks().advise_calls, 1);
    EXPECT_EQ(source->sinks().Count(IID_ITfTextEditSink), 1u);

    sink->Unadvise();
    EXPECT_FALSE(sink->IsAdvised());
    EXPECT_EQ(sink->cookie(), TF_INVALID_COOKIE);
    EXPECT_EQ(source->sinks().size(), 0u);
    EXPECT_EQ(source->sinks().unadvise_calls, 1);
  }
  EXPECT_EQ(source->sinks().size(), 0u);
}

TEST(SinkAdvisorTest, DestructorUnadvises) {
  ComPtr<FakeContext> source = MakeComObject<FakeContext>();
  ComPtr<EditSink> sink_object = MakeComObject<EditSink>();
  {
    // An advisor of a sink given by the caller, as a compartment has.
    SinkAdvisorBase<ITfTextEditSink> advisor;
    ASSERT_EQ(advisor.Advise(static_cast<ITfContext*>(source.Get()), sink_object.Get()), S_OK);
    EXPECT_EQ(source->sinks().size(), 1u);
  }
  EXPECT_EQ(source->sinks().size(), 0u);
  EXPECT_EQ(source->sinks().unadvise_calls, 1);
  // Neither the source nor the sink is held any more.
  EXPECT_EQ(References(static_cast<ITfContext*>(source.Get())), 1u);
  EXPECT_EQ(References(static_cast<ITfTextEditSink*>(sink_object.Get())), 1u);
}

TEST(SinkAdvisorTest, RefusesWhatCannotBeAdvised) {
  ComPtr<FakeContext> source = MakeComObject<FakeContext>();
  IUnknown* source_unknown = static_cast<ITfContext*>(source.Get());
  const ULONG source_references = References(source_unknown);
  ComPtr<EditSink> sink = MakeComObject<EditSink>();

  // No source.
  EXPECT_EQ(sink->Advise(nullptr), E_INVALIDARG);
  // A source without ITfSource.
  ComPtr<PlainObject> plain = MakeComObject<PlainObject>();
  EXPECT_EQ(sink->Advise(plain.Get()), E_NOINTERFACE);
  EXPECT_FALSE(sink->IsAdvised());

  // No sink: refused, and the ITfSource queried on the way is released.
  ComPtr<NotASink> not_a_sink = MakeComObject<NotASink>();
  EXPECT_EQ(not_a_sink->Advise(source_unknown), E_UNEXPECTED);
  SinkAdvisorBase<ITfTextEditSink> advisor;
  EXPECT_EQ(advisor.Advise(source_unknown, nullptr), E_UNEXPECTED);
  EXPECT_EQ(References(source_unknown), source_references);
  EXPECT_EQ(source->sinks().advise_calls, 0);

  // The source refuses: its error, and the advisor stays unconnected.
  source->sinks().advise_result = E_FAIL;
  EXPECT_EQ(sink->Advise(source_unknown), E_FAIL);
  EXPECT_FALSE(sink->IsAdvised());
  EXPECT_EQ(sink->cookie(), TF_INVALID_COOKIE);
  EXPECT_EQ(References(source_unknown), source_references);
  source->sinks().advise_result = S_OK;
  EXPECT_EQ(sink->Advise(source_unknown), S_OK);
  sink->Unadvise();
}

TEST(SinkAdvisorTest, UnadviseWithoutAdviseDoesNothing) {
  ComPtr<EditSink> sink = MakeComObject<EditSink>();
  sink->Unadvise();
  sink->Unadvise();
  EXPECT_FALSE(sink->IsAdvised());
  EXPECT_EQ(sink->cookie(), TF_INVALID_COOKIE);
}

}  // namespace
}  // namespace tsf
}  // namespace ime_shared
