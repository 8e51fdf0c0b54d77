// The text service as TSF drives it: activation makes the thread's state,
// every focus change rebinds the context with a new engine, deactivation
// and failed activations leave nothing behind; with the real engine, the
// language stays loaded from one focus change to the next and what is
// learned reaches the user cache; and, with the real UI manager, the input
// method's own candidate window stands at the composition when the host
// leaves the list to it.
#include "ime/shared/tsf/text_service.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/com_bstr.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/tsf/display_attribute.h"
#include "ime/shared/tsf/testing/fake_context.h"
#include "ime/shared/tsf/testing/fake_thread_manager.h"
#include "ime/shared/tsf/testing/module_lock_scope.h"
#include "ime/shared/tsf/testing/recording_engine.h"
#include "ime/shared/tsf/tsf_test_helpers.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"
#include "ime/t13n/frontend/ui_manager.h"

namespace ime_shared {
namespace tsf {
namespace {

using base::ComPtr;
using base::MakeComObject;
using ime_tsf_testing::FakeContext;
using ime_tsf_testing::FakeDocumentMgr;
using ime_tsf_testing::FakeThreadMgr;
using ime_tsf_testing::RecordingEngine;
using ime_tsf_testing::RecordingUIManager;
using testing_helpers::HindiEngineWorld;
using testing_helpers::HostKeyboard;

constexpr TfClientId kClient = 0x51;

// Engines and UI managers that write their making and deletion into a log.
class LoggedEngine : public RecordingEngine {
 public:
  LoggedEngine(std::vector<std::string>* log, int number) : log_(log), number_(number) {
    log_->push_back("make engine " + std::to_string(number_));
  }
  ~LoggedEngine() override { log_->push_back("delete engine " + std::to_string(number_)); }

 private:
  std::vector<std::string>* log_;
  int number_;
};

class LoggedUIManager : public RecordingUIManager {
 public:
  explicit LoggedUIManager(std::vector<std::string>* log) : log_(log) {
    log_->push_back("make ui");
  }
  ~LoggedUIManager() override { log_->push_back("delete ui"); }

 private:
  std::vector<std::string>* log_;
};

// A focused document: its context and the document manager holding it.
struct Document {
  Document()
      : context(MakeComObject<FakeContext>()),
        manager(MakeComObject<FakeDocumentMgr>(context.Get())) {}
  ComPtr<FakeContext> context;
  ComPtr<FakeDocumentMgr> manager;
};

class TextServiceTest : public ::testing::Test {
 protected:
  TextServiceTest() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    thread_manager_ = MakeComObject<FakeThreadMgr>();
    SetTextServiceFactories(
        {[this](ContextInterface* context) -> EngineInterface* {
           return new LoggedEngine(&log_, ++engines_);
         },
         [this]() -> UIManagerInterface* {
           if (!make_ui_) return nullptr;
           ui_ = new LoggedUIManager(&log_);
           return ui_;
         }});
  }
  ~TextServiceTest() override {
    SetTextServiceFactories({});
    thread_manager_.Reset();
    EXPECT_EQ(module_lock_.count(), 0);
    ::CoUninitialize();
  }

  // The log since the last call.
  std::vector<std::string> TakeLog() {
    std::vector<std::string> taken;
    taken.swap(log_);
    return taken;
  }

  ime_tsf_testing::ModuleLockScope module_lock_;
  ComPtr<FakeThreadMgr> thread_manager_;
  std::vector<std::string> log_;
  int engines_ = 0;
  bool make_ui_ = true;
  LoggedUIManager* ui_ = nullptr;
};

using Log = std::vector<std::string>;

TEST_F(TextServiceTest, ActivationFollowsTheFocusWithAnEngineEachAndDeactivationTakesAllDown) {
  ComPtr<TextService> service = MakeComObject<TextService>();
  ComPtr<ITfTextInputProcessorEx> processor;
  ASSERT_EQ(processor.QueryFrom(static_cast<ITfTextInputProcessorEx*>(service.Get())), S_OK);

  // Nothing has the focus yet: active, unbound.
  EXPECT_EQ(processor->ActivateEx(thread_manager_.Get(), kClient, TF_TMAE_UIELEMENTENABLEDONLY),
            S_OK);
  ASSERT_NE(service->thread_manager(), nullptr);
  EXPECT_FALSE(service->thread_manager()->context()->IsBound());
  EXPECT_EQ(thread_manager_->sinks().Count(IID_ITfThreadMgrEventSink), 1u);
  EXPECT_EQ(TakeLog(), Log({"make ui"}));

  ComPtr<ITfFnConfigure> configure;
  ASSERT_EQ(configure.QueryFrom(processor.Get()), S_OK);
  base::ScopedBstr name;
  EXPECT_EQ(configure->GetDisplayName(name.Receive()), S_OK);
  EXPECT_EQ(name.ToString(), L"Tarvel Translit");
  EXPECT_EQ(configure->GetDisplayName(nullptr), E_INVALIDARG);
  EXPECT_EQ(configure->Show(nullptr, 0x0439, GUID()), S_OK);

  // Each focus change unbinds (deleting the engine) before it binds anew.
  Document first;
  Document second;
  thread_manager_->ChangeFocus(first.manager.Get());
  EXPECT_EQ(TakeLog(), Log({"make engine 1"}));
  Context* context = service->thread_manager()->context();
  EXPECT_TRUE(context->IsBound());
  EXPECT_EQ(ui_->current(), context);
  EXPECT_EQ(first.context->sinks().Count(IID_ITfContextKeyEventSink), 1u);
  thread_manager_->ChangeFocus(second.manager.Get());
  EXPECT_EQ(TakeLog(), Log({"delete engine 1", "make engine 2"}));
  EXPECT_EQ(first.context->sinks().size(), 0u);
  EXPECT_EQ(second.context->sinks().Count(IID_ITfContextKeyEventSink), 1u);
  thread_manager_->ChangeFocus(nullptr);
  EXPECT_EQ(TakeLog(), Log({"delete engine 2"}));
  EXPECT_FALSE(context->IsBound());
  EXPECT_EQ(ui_->current(), nullptr);
  thread_manager_->ChangeFocus(first.manager.Get());
  EXPECT_EQ(TakeLog(), Log({"make engine 3"}));
  // A thread manager that tells of the change before it makes it (Wine's):
  // the context binds to the document that gets the focus.
  thread_manager_->notify_before_focus = true;
  thread_manager_->ChangeFocus(second.manager.Get());
  EXPECT_EQ(TakeLog(), Log({"delete engine 3", "make engine 4"}));
  EXPECT_EQ(first.context->sinks().size(), 0u);
  EXPECT_EQ(second.context->sinks().Count(IID_ITfContextKeyEventSink), 1u);

  EXPECT_EQ(processor->Deactivate(), S_OK);
  EXPECT_EQ(TakeLog(), Log({"delete engine 4", "delete ui"}));
  EXPECT_EQ(service->thread_manager(), nullptr);
  EXPECT_EQ(thread_manager_->sinks().size(), 0u);
  EXPECT_EQ(second.context->sinks().size(), 0u);
  EXPECT_EQ(processor->Deactivate(), S_OK);
}

TEST_F(TextServiceTest, FailedActivationsAreUndoneAndTheServiceProvidesTheAttribute) {
  ComPtr<TextService> service = MakeComObject<TextService>();
  EXPECT_EQ(service->Deactivate(), S_OK);

  // The thread manager refuses the event sink.
  thread_manager_->sinks().advise_result = E_FAIL;
  EXPECT_EQ(service->Activate(thread_manager_.Get(), kClient), E_FAIL);
  EXPECT_EQ(service->thread_manager(), nullptr);
  EXPECT_EQ(thread_manager_->sinks().size(), 0u);
  thread_manager_->sinks().advise_result = S_OK;

  // No UI manager (the product is not installed).
  make_ui_ = false;
  EXPECT_EQ(service->Activate(thread_manager_.Get(), kClient), E_FAIL);
  EXPECT_EQ(service->thread_manager(), nullptr);
  EXPECT_EQ(thread_manager_->sinks().size(), 0u);
  make_ui_ = true;
  EXPECT_TRUE(TakeLog().empty());

  // A document that refuses the layout sink (Wine's does): activation still
  // succeeds, the context stays half bound until it is taken down.
  Document refusing;
  refusing.context->sinks().Refuse(IID_ITfTextLayoutSink);
  thread_manager_->SetFocus(refusing.manager.Get());
  EXPECT_EQ(service->Activate(thread_manager_.Get(), kClient), S_OK);
  EXPECT_EQ(TakeLog(), Log({"make ui", "make engine 1"}));
  EXPECT_EQ(refusing.context->sinks().Count(IID_ITfContextKeyEventSink), 0u);
  EXPECT_EQ(service->Deactivate(), S_OK);
  EXPECT_EQ(TakeLog(), Log({"delete engine 1", "delete ui"}));
  EXPECT_EQ(refusing.context->sinks().size(), 0u);
  thread_manager_->SetFocus(nullptr);

  // The provider of the composition's display attribute.
  ComPtr<IEnumTfDisplayAttributeInfo> attributes;
  ASSERT_EQ(service->EnumDisplayAttributeInfo(attributes.Receive()), S_OK);
  ComPtr<ITfDisplayAttributeInfo> info;
  ULONG fetched = 0;
  ASSERT_EQ(attributes->Next(1, info.Receive(), &fetched), S_OK);
  GUID guid = {};
  EXPECT_EQ(info->GetGUID(&guid), S_OK);
  EXPECT_TRUE(IsEqualGUID(guid, DisplayAttribute::Guid()));
  ComPtr<ITfDisplayAttributeInfo> other;
  EXPECT_EQ(service->GetDisplayAttributeInfo(InputMethod::kTextServiceClsid, other.Receive()),
            E_INVALIDARG);
  EXPECT_FALSE(other);
  EXPECT_EQ(service->GetDisplayAttributeInfo(DisplayAttribute::Guid(), info.Receive()), S_OK);
  EXPECT_TRUE(info);
}

// The product's engines over the Hindi data file and the product's hold on
// the process's storage while a thread is active.
class TextServiceStorageTest : public ::testing::Test {
 protected:
  TextServiceStorageTest() : world_(Utf8ToWide(KELVANE_BUILT_DATA_DIR)) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SetTextServiceFactories({world_.Factory(),
                             []() -> UIManagerInterface* { return new RecordingUIManager(); },
                             HindiEngineWorld::Hold()});
  }
  ~TextServiceStorageTest() override {
    SetTextServiceFactories({});
    ::CoUninitialize();
  }

  bool InUserCache(const std::wstring& entry) const {
    const std::vector<std::wstring> entries = world_.UserCacheEntries();
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
  }

  // Types |word| into the focused document and chooses its second
  // candidate, as a click in the candidate list does: the choice is
  // learned. The chosen word.
  static std::wstring ChooseSecond(TextService* service, FakeContext* document,
                                   const std::wstring& word) {
    HostKeyboard(document).Type(word);
    EngineInterface* engine = service->thread_manager()->context()->GetEngine();
    if (engine == nullptr || engine->CandidateCount() < 2) return L"<no second candidate>";
    const std::wstring chosen = engine->CandidateAt(1);
    engine->SelectCandidate(1, true);
    return chosen;
  }

  HindiEngineWorld world_;
};

// Every click into another field is a focus change, with a new engine: the
// language data stays loaded, and the user cache is written only when a
// word was learned since the last write.
TEST_F(TextServiceStorageTest, FocusChangesKeepTheLanguageAndWriteOnlyWhatWasLearned) {
  ComPtr<FakeThreadMgr> thread_manager = MakeComObject<FakeThreadMgr>();
  Document first;
  Document second;
  // A document without a context of its own (a window that takes no text).
  ComPtr<FakeDocumentMgr> empty = MakeComObject<FakeDocumentMgr>();
  thread_manager->SetFocus(first.manager.Get());
  ComPtr<TextService> service = MakeComObject<TextService>();
  ASSERT_EQ(service->Activate(thread_manager.Get(), kClient), S_OK);
  StorageManagerImpl* storage = HindiEngineWorld::Storage();
  ASSERT_NE(storage, nullptr);
  ASSERT_NE(storage->GetTransliterator(), nullptr);

  const std::vector<ITfDocumentMgr*> moves = {second.manager.Get(), nullptr, first.manager.Get(),
                                              empty.Get(), second.manager.Get()};
  for (ITfDocumentMgr* focus : moves) {
    thread_manager->ChangeFocus(focus);
    ASSERT_EQ(HindiEngineWorld::Storage(), storage);
  }
  EXPECT_TRUE(service->thread_manager()->context()->IsBound());
  EXPECT_EQ(storage->language_loads(), 1);
  EXPECT_EQ(storage->user_cache_writes(), 0);

  const std::wstring chosen = ChooseSecond(service.Get(), second.context.Get(), L"kal");
  EXPECT_EQ(second.context->text(), chosen);
  EXPECT_FALSE(InUserCache(L"kal " + chosen));
  thread_manager->ChangeFocus(first.manager.Get());
  EXPECT_EQ(storage->user_cache_writes(), 1);
  EXPECT_TRUE(InUserCache(L"kal " + chosen));
  // The next engine offers the choice first; moving on writes nothing more.
  HostKeyboard(first.context.Get()).Type(L"kal");
  EngineInterface* engine = service->thread_manager()->context()->GetEngine();
  ASSERT_GE(engine->CandidateCount(), 1);
  EXPECT_EQ(engine->CandidateAt(0), chosen);
  engine->EndComposition(false);
  thread_manager->ChangeFocus(second.manager.Get());
  thread_manager->ChangeFocus(empty.Get());
  EXPECT_EQ(storage->user_cache_writes(), 1);
  EXPECT_EQ(storage->language_loads(), 1);

  // Deactivation lets go of the last hold: the word learned since is
  // written and the storage freed.
  thread_manager->ChangeFocus(first.manager.Get());
  const std::wstring later = ChooseSecond(service.Get(), first.context.Get(), L"nam");
  EXPECT_EQ(service->Deactivate(), S_OK);
  EXPECT_EQ(HindiEngineWorld::Storage(), nullptr);
  EXPECT_TRUE(InUserCache(L"nam " + later));
}

// Each GUI thread activates its own text service; the process has one
// storage manager, freed when the last thread is deactivated.
TEST_F(TextServiceStorageTest, TwoThreadsShareOneStorageUntilTheLastDeactivation) {
  ComPtr<FakeThreadMgr> thread_manager = MakeComObject<FakeThreadMgr>();
  Document document;
  thread_manager->SetFocus(document.manager.Get());
  ComPtr<TextService> service = MakeComObject<TextService>();
  ASSERT_EQ(service->Activate(thread_manager.Get(), kClient), S_OK);
  StorageManagerImpl* storage = HindiEngineWorld::Storage();
  ASSERT_NE(storage, nullptr);

  base::ScopedHandle activated(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  base::ScopedHandle deactivate(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  StorageManagerImpl* seen_there = nullptr;
  StorageManagerImpl* seen_after = nullptr;
  int loads_after = 0;
  bool bound_there = false;
  std::thread other([&]() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
      ComPtr<FakeThreadMgr> other_manager = MakeComObject<FakeThreadMgr>();
      Document other_document;
      other_manager->SetFocus(other_document.manager.Get());
      ComPtr<TextService> other_service = MakeComObject<TextService>();
      if (SUCCEEDED(other_service->Activate(other_manager.Get(), kClient))) {
        bound_there = other_service->thread_manager()->context()->IsBound();
        seen_there = HindiEngineWorld::Storage();
        ::SetEvent(activated.Get());
        // Once the first thread was deactivated: focus changes of its own.
        ::WaitForSingleObject(deactivate.Get(), 30000);
        other_manager->ChangeFocus(nullptr);
        other_manager->ChangeFocus(other_document.manager.Get());
        seen_after = HindiEngineWorld::Storage();
        if (seen_after != nullptr) loads_after = seen_after->language_loads();
        other_service->Deactivate();
      }
    }
    ::SetEvent(activated.Get());
    ::CoUninitialize();
  });
  EXPECT_EQ(::WaitForSingleObject(activated.Get(), 30000), WAIT_OBJECT_0);
  EXPECT_TRUE(bound_there);
  EXPECT_EQ(seen_there, storage);

  EXPECT_EQ(service->Deactivate(), S_OK);
  EXPECT_EQ(HindiEngineWorld::Storage(), storage);
  ::SetEvent(deactivate.Get());
  other.join();
  // The same manager all along, which loaded the language once.
  EXPECT_EQ(seen_after, storage);
  EXPECT_EQ(loads_after, 1);
  EXPECT_EQ(HindiEngineWorld::Storage(), nullptr);
}

// The real UI manager over the real engine, on the display: the candidate
// window stays hidden while the host draws the list, and stands under the
// composition's caret rectangle while the input method draws it.
TEST(TextServiceWindowTest, HostDrawnListLeavesTheWindowHiddenOwnListFollowsTheCaret) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    HindiEngineWorld world(Utf8ToWide(KELVANE_BUILT_DATA_DIR));
    ime_t13n::UIManagerEnvironment environment;
    environment.settings = &world.settings;
    environment.installed_version = L"1.0.4.0";
    environment.text_service = InputMethod::kTextServiceClsid;
    SetTextServiceFactories({world.Factory(), [&environment]() {
                               return ime_t13n::CreateUIManager(nullptr, environment);
                             }});
    ComPtr<FakeThreadMgr> thread_manager = MakeComObject<FakeThreadMgr>();
    Document document;
    document.context->view()->screen = RECT{300, 300, 300 + 20 * 8, 300 + 10 * 16};
    document.context->SetDocumentText(L"0123456789");
    thread_manager->SetFocus(document.manager.Get());
    thread_manager->begin_show = FALSE;

    ComPtr<TextService> service = MakeComObject<TextService>();
    ASSERT_EQ(service->Activate(thread_manager.Get(), kClient), S_OK);
    auto* ui = dynamic_cast<ime_t13n::UIManager*>(service->thread_manager()->ui_manager());
    ASSERT_NE(ui, nullptr);
    ASSERT_NE(ui->candidate_window(), nullptr);
    const HWND window = ui->candidate_window()->hwnd();
    HostKeyboard host(document.context.Get());

    host.Type(L"nam");
    EXPECT_EQ(thread_manager->LiveElements(), 1);
    EXPECT_FALSE(::IsWindowVisible(window));
    host.Space();

    // The host leaves the list to the input method.
    thread_manager->begin_show = TRUE;
    thread_manager->ChangeFocus(document.manager.Get());
    host.Type(L"nam");
    ASSERT_TRUE(::IsWindowVisible(window));
    RECT caret = {};
    service->thread_manager()->context()->GetCaretRect(nullptr, &caret);
    // The composition follows the committed word on the first line.
    ASSERT_NE(document.context->composition(), nullptr);
    const LONG start = document.context->composition()->range()->start();
    ASSERT_GT(start, 12);
    ASSERT_LT(start, 20 - 3);
    EXPECT_EQ(caret.left, 300 + start * 8);
    EXPECT_EQ(caret.bottom, 300 + 16);
    RECT placed = {};
    ::GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, caret.left);
    EXPECT_EQ(placed.top, caret.bottom);

    // The composition wraps: the window goes to the view's left edge, under
    // the second line.
    host.Type(L"aste");
    ::GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 300);
    EXPECT_EQ(placed.top, 300 + 2 * 16);
    host.Space();
    EXPECT_FALSE(::IsWindowVisible(window));

    EXPECT_EQ(service->Deactivate(), S_OK);
    SetTextServiceFactories({});
  }
  ::CoUninitialize();
}

}  // namespace
}  // namespace tsf
}  // namespace ime_shared
