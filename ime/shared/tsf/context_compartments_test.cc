#include "ime/shared/tsf/context_compartments.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/frontend/frontend_test_helpers.h"
#include "ime/shared/tsf/keyboard.h"
#include "ime/shared/tsf/testing/fake_context.h"
#include "ime/shared/tsf/testing/fake_thread_manager.h"
#include "ime/shared/tsf/testing/module_lock_scope.h"
#include "ime/shared/tsf/testing/recording_engine.h"

namespace ime_shared {
namespace tsf {
namespace {

using base::ComPtr;
using base::MakeComObject;
using ime_tsf_testing::FakeCompartment;
using ime_tsf_testing::FakeContext;
using ime_tsf_testing::FakeDocumentMgr;
using ime_tsf_testing::FakeThreadMgr;
using ime_tsf_testing::PlainObject;
using ime_tsf_testing::RecordingEngine;
using ime_tsf_testing::RecordingUIManager;

constexpr TfClientId kClient = 0x51;

// The compartment sink of the context: forwards every change.
class ChangeForwarder : public base::ComObject<ITfCompartmentEventSink> {
 public:
  STDMETHODIMP OnChange(REFGUID guid) override {
    ++changes;
    if (target != nullptr) target->OnChange(guid);
    return S_OK;
  }
  ContextCompartments* target = nullptr;
  int changes = 0;
};

// Does what the context does when the compartments say whether keys are
// taken: the UI manager gets the context or none, the key sink is switched.
class KeyboardHost : public CompartmentHostInterface {
 public:
  KeyboardHost(RecordingUIManager* ui_manager, Keyboard* keyboard, ContextInterface* context)
      : ui_manager_(ui_manager), keyboard_(keyboard), context_(context) {}
  void SetKeyboardAvailable(bool available) override {
    answers.push_back(available);
    ui_manager_->AttachEngine(available ? context_ : nullptr);
    keyboard_->set_enabled(available);
  }
  std::vector<bool> answers;

 private:
  RecordingUIManager* ui_manager_;
  Keyboard* keyboard_;
  ContextInterface* context_;
};

class ContextCompartmentsTest : public ::testing::Test {
 protected:
  ContextCompartmentsTest() {
    thread_manager_ = MakeComObject<FakeThreadMgr>();
    context_ = MakeComObject<FakeContext>();
    sink_ = MakeComObject<ChangeForwarder>();
    // The real engine answers a mode change with an update of the mode,
    // which writes the mode compartments again.
    engine_.on_set_conversion_mode = [this](int32_t, int32_t) {
      ++depth_;
      max_depth_ = std::max(max_depth_, depth_);
      compartments_->WriteModes();
      --depth_;
    };
    keyboard_.Advise(context_.Get(), &engine_);
    engine_.eats = [](const KeyEvent&) { return true; };
  }
  ~ContextCompartmentsTest() override {
    compartments_.reset();
    keyboard_.Unadvise();
    sink_.Reset();
    context_.Reset();
    thread_manager_.Reset();
    EXPECT_EQ(module_lock_.count(), 0);
  }

  void Bind(IUnknown* thread_manager, IUnknown* context) {
    compartments_ = std::make_unique<ContextCompartments>(kClient, thread_manager, context,
                                                          sink_.Get(), &engine_, &host_);
    sink_->target = compartments_.get();
  }
  void Bind() {
    Bind(static_cast<ITfThreadMgr*>(thread_manager_.Get()),
         static_cast<ITfContext*>(context_.Get()));
  }

  FakeCompartment* OnThreadManager(REFGUID guid) {
    return thread_manager_->compartments().Get(guid);
  }
  FakeCompartment* OnContext(REFGUID guid) { return context_->compartments().Get(guid); }

  // Whether the key sink eats the letter A now.
  bool KeyEaten() {
    BYTE state[256] = {};
    ::SetKeyboardState(state);
    BOOL eaten = FALSE;
    EXPECT_EQ(keyboard_.OnTestKeyDown('A', 0x001E0001, &eaten), S_OK);
    keyboard_.OnKeyDown('A', 0x001E0001, &eaten);
    return eaten != FALSE;
  }

  ime_tsf_testing::ModuleLockScope module_lock_;
  ComPtr<FakeThreadMgr> thread_manager_;
  ComPtr<FakeContext> context_;
  ComPtr<ChangeForwarder> sink_;
  RecordingEngine engine_;
  RecordingUIManager ui_manager_;
  testing_helpers::FakeContext owner_;
  Keyboard keyboard_;
  KeyboardHost host_{&ui_manager_, &keyboard_, &owner_};
  std::unique_ptr<ContextCompartments> compartments_;
  int depth_ = 0;
  int max_depth_ = 0;
};

TEST_F(ContextCompartmentsTest, OpenCloseDecidesWhetherKeysAreTaken) {
  Bind();
  compartments_->Start();
  EXPECT_EQ(OnThreadManager(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE)->IntValue(), 1);
  EXPECT_TRUE(compartments_->keyboard_available());
  EXPECT_EQ(ui_manager_.current(), &owner_);
  EXPECT_TRUE(KeyEaten());

  // The user closes the input method: keys pass, the engine is detached.
  OnThreadManager(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE)->ChangeInt(0);
  EXPECT_FALSE(compartments_->keyboard_available());
  EXPECT_EQ(ui_manager_.current(), nullptr);
  const size_t tested = engine_.tested_keys.size();
  EXPECT_FALSE(KeyEaten());
  EXPECT_EQ(engine_.tested_keys.size(), tested);  // the engine never saw it

  // Opened again: taken again.
  OnThreadManager(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE)->ChangeInt(1);
  EXPECT_EQ(ui_manager_.current(), &owner_);
  EXPECT_TRUE(KeyEaten());
}

TEST_F(ContextCompartmentsTest, KeyboardDisabledAndEmptyContextMeanNoKeys) {
  // A document that takes no keyboard input from the start.
  OnContext(GUID_COMPARTMENT_KEYBOARD_DISABLED)->Preset(1);
  Bind();
  compartments_->Start();
  EXPECT_FALSE(compartments_->keyboard_available());
  EXPECT_EQ(ui_manager_.current(), nullptr);
  EXPECT_FALSE(KeyEaten());

  OnContext(GUID_COMPARTMENT_KEYBOARD_DISABLED)->ChangeInt(0);
  EXPECT_TRUE(compartments_->keyboard_available());
  EXPECT_TRUE(KeyEaten());

  OnContext(GUID_COMPARTMENT_EMPTYCONTEXT)->ChangeInt(1);
  EXPECT_FALSE(compartments_->keyboard_available());
  EXPECT_FALSE(KeyEaten());

  // Both blockers gone but the input method closed: still no keys.
  OnThreadManager(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE)->ChangeInt(0);
  OnContext(GUID_COMPARTMENT_EMPTYCONTEXT)->ChangeInt(0);
  EXPECT_FALSE(compartments_->keyboard_available());
  OnThreadManager(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE)->ChangeInt(1);
  EXPECT_TRUE(compartments_->keyboard_available());
  EXPECT_TRUE(KeyEaten());
  // The module never writes the two blockers.
  EXPECT_TRUE(OnContext(GUID_COMPARTMENT_KEYBOARD_DISABLED)->writes().empty());
  EXPECT_TRUE(OnContext(GUID_COMPARTMENT_EMPTYCONTEXT)->writes().empty());
}

TEST_F(ContextCompartmentsTest, ValuesOfAnotherTypeAreIgnored) {
  Bind();
  compartments_->Start();
  const size_t answers = host_.answers.size();

  VARIANT text;
  ::VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = ::SysAllocString(L"0");
  OnThreadManager(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE)->Change(text);
  OnThreadManager(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION)->Change(text);
  OnThreadManager(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_SENTENCE)->Change(text);
  OnContext(GUID_COMPARTMENT_KEYBOARD_DISABLED)->Change(text);
  ::VariantClear(&text);

  EXPECT_EQ(host_.answers.size(), answers);
  EXPECT_TRUE(compartments_->keyboard_available());
  EXPECT_TRUE(engine_.mode_changes.empty());
  EXPECT_TRUE(KeyEaten());
}

TEST_F(ContextCompartmentsTest, WritesThatNotifyEndAfterOneRound) {
  Bind();
  FakeCompartment* conversion = OnThreadManager(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION);
  FakeCompartment* sentence = OnThreadManager(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_SENTENCE);
  FakeCompartment* open = OnThreadManager(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE);

  // Binding: the conversion mode and open/close are written once each; the
  // conversion write's own event does not go back to the engine.
  compartments_->Start();
  EXPECT_EQ(conversion->writes(), std::vector<int32_t>({1}));
  EXPECT_EQ(open->writes(), std::vector<int32_t>({1}));
  EXPECT_TRUE(sentence->writes().empty());
  EXPECT_TRUE(engine_.mode_changes.empty());

  // An update of the mode writes only what differs.
  compartments_->WriteModes();
  EXPECT_EQ(conversion->writes().size(), 1u);
  EXPECT_EQ(sentence->writes(), std::vector<int32_t>({0}));
  compartments_->WriteModes();
  EXPECT_EQ(conversion->writes().size(), 1u);
  EXPECT_EQ(sentence->writes().size(), 1u);

  // Another client switches the conversion mode: the engine hears it once,
  // re-derives its mode, and that one write back ends it.
  conversion->ChangeInt(0);
  ASSERT_EQ(engine_.mode_changes.size(), 1u);
  EXPECT_EQ(engine_.mode_changes[0], std::make_pair(0, 0));
  EXPECT_EQ(conversion->writes(), std::vector<int32_t>({1, 1}));
  EXPECT_EQ(max_depth_, 1);

  // The engine's own mode changes: written once, no echo.
  engine_.conversion_mode = false;
  compartments_->WriteModes();
  EXPECT_EQ(conversion->writes(), std::vector<int32_t>({1, 1, 0}));
  EXPECT_EQ(engine_.mode_changes.size(), 1u);

  // A sentence-mode change goes to the engine as mode 1.
  sentence->ChangeInt(1);
  ASSERT_EQ(engine_.mode_changes.size(), 2u);
  EXPECT_EQ(engine_.mode_changes[1], std::make_pair(1, 1));
  EXPECT_EQ(sentence->IntValue(), 0);  // written back from the engine

  EXPECT_FALSE(conversion->loop_detected());
  EXPECT_FALSE(sentence->loop_detected());
  EXPECT_FALSE(open->loop_detected());
}

TEST_F(ContextCompartmentsTest, AnEngineFailureStaysInside) {
  Bind();
  compartments_->Start();
  engine_.on_set_conversion_mode = [](int32_t, int32_t) { throw std::bad_alloc(); };
  OnThreadManager(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION)->Preset(0);
  EXPECT_EQ(compartments_->OnChange(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION),
            E_OUTOFMEMORY);
  EXPECT_EQ(compartments_->OnChange(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE), S_OK);
  // A GUID that is none of the five changes nothing.
  EXPECT_EQ(compartments_->OnChange(GUID_PROP_ATTRIBUTE), S_OK);
}

TEST_F(ContextCompartmentsTest, OwnersWithoutCompartmentsLeaveKeysTaken) {
  ComPtr<PlainObject> bare_thread_manager = MakeComObject<PlainObject>();
  ComPtr<PlainObject> bare_context = MakeComObject<PlainObject>();
  Bind(bare_thread_manager.Get(), bare_context.Get());
  compartments_->Start();
  compartments_->WriteModes();
  compartments_->OnChange(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE);
  EXPECT_TRUE(compartments_->keyboard_available());
  EXPECT_TRUE(KeyEaten());
  EXPECT_FALSE(compartments_->compartment(ContextCompartments::kOpenClose)->IsPresent());
  compartments_.reset();
}

// Wine's own thread manager: its compartments report every write, even of
// an unchanged value, and the binding still ends after one round.
TEST(ContextCompartmentsWineTest, TheSystemThreadManagerEndsAfterOneRound) {
  ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    ComPtr<ITfThreadMgr> thread_manager;
    ASSERT_EQ(::CoCreateInstance(CLSID_TF_ThreadMgr, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_ITfThreadMgr,
                                 reinterpret_cast<void**>(thread_manager.Receive())),
              S_OK);
    TfClientId client_id = 0;
    ASSERT_EQ(thread_manager->Activate(&client_id), S_OK);
    {
      ComPtr<ChangeForwarder> sink = MakeComObject<ChangeForwarder>();
      RecordingEngine engine;
      int rounds = 0;
      std::unique_ptr<ContextCompartments> compartments;
      engine.on_set_conversion_mode = [&](int32_t, int32_t) {
        if (++rounds < 10) compartments->WriteModes();
      };
      RecordingUIManager ui_manager;
      testing_helpers::FakeContext owner;
      Keyboard keyboard;
      KeyboardHost host(&ui_manager, &keyboard, &owner);
      compartments = std::make_unique<ContextCompartments>(
          client_id, thread_manager.Get(), nullptr, sink.Get(), &engine, &host);
      sink->target = compartments.get();
      ASSERT_TRUE(compartments->compartment(ContextCompartments::kOpenClose)->IsPresent());

      compartments->Start();
      compartments->WriteModes();
      EXPECT_TRUE(compartments->keyboard_available());
      EXPECT_EQ(ui_manager.current(), &owner);
      int32_t value = -1;
      ASSERT_TRUE(compartments->compartment(ContextCompartments::kOpenClose)->GetValue(&value));
      EXPECT_EQ(value, 1);
      ASSERT_TRUE(
          compartments->compartment(ContextCompartments::kConversion)->GetValue(&value));
      EXPECT_EQ(value, 1);
      EXPECT_EQ(rounds, 0);
      // Our own writes were heard, and none went back to the engine.
      EXPECT_GT(sink->changes, 0);

      // The input method is closed from outside.
      Compartment outside(client_id + 1, thread_manager.Get(),
                          GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, nullptr);
      ASSERT_EQ(outside.SetValue(0), S_OK);
      EXPECT_FALSE(compartments->keyboard_available());
      EXPECT_EQ(ui_manager.current(), nullptr);
      compartments.reset();
    }
    thread_manager->Deactivate();
  }
  ::CoUninitialize();
}

}  // namespace
}  // namespace tsf
}  // namespace ime_shared
