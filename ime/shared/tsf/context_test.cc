// The text service's context over a fake document, with the real
// transliteration engine on the build's Hindi data file: what typing,
// committing, the host's own actions and the compartments do to the
// document, its composition, the candidate element and the UI manager.
#include "ime/shared/tsf/context.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/com_bstr.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/tsf/testing/fake_category_manager.h"
#include "ime/shared/tsf/testing/fake_context.h"
#include "ime/shared/tsf/testing/fake_thread_manager.h"
#include "ime/shared/tsf/testing/module_lock_scope.h"
#include "ime/shared/tsf/testing/recording_engine.h"
#include "ime/shared/tsf/tsf_test_helpers.h"

namespace ime_shared {
namespace tsf {
namespace {

using base::ComPtr;
using base::MakeComObject;
using ime_tsf_testing::FakeCategoryMgr;
using ime_tsf_testing::FakeCompartment;
using ime_tsf_testing::FakeComposition;
using ime_tsf_testing::FakeContext;
using ime_tsf_testing::FakeDocumentMgr;
using ime_tsf_testing::FakeThreadMgr;
using ime_tsf_testing::RecordingUIManager;
using testing_helpers::CountingEngine;
using testing_helpers::HindiEngineWorld;
using testing_helpers::HostKeyboard;

constexpr TfClientId kClient = 0x51;
const wchar_t kNamaste[] = L"\x0928\x092E\x0938\x094D\x0924\x0947";  // नमस्ते

class TsfDocumentTest : public ::testing::Test {
 protected:
  TsfDocumentTest()
      : world_(Utf8ToWide(KELVANE_BUILT_DATA_DIR)) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    thread_manager_ = MakeComObject<FakeThreadMgr>();
    document_ = MakeComObject<FakeContext>();
    focus_ = MakeComObject<FakeDocumentMgr>(document_.Get());
    thread_manager_->SetFocus(focus_.Get());
    MakeContext(CreateCategoryManager);
  }
  ~TsfDocumentTest() override {
    context_->Uninitialize();
    EXPECT_EQ(document_->lock_errors(), 0) << "text read or written without its lock";
    context_.Reset();
    focus_.Reset();
    document_.Reset();
    thread_manager_.Reset();
    EXPECT_EQ(module_lock_.count(), 0);
    ::CoUninitialize();
  }

  // A new unbound context whose composition takes its category manager
  // from |categories|.
  void MakeContext(CategoryManagerFactory categories) {
    EngineFactory real = world_.Factory();
    context_ = MakeComObject<Context>(
        [this, real](ContextInterface* context) -> EngineInterface* {
          EngineInterface* inner = real(context);
          if (inner == nullptr) return nullptr;
          engine_ = new CountingEngine(inner);
          return engine_;
        },
        std::move(categories));
  }
  void Bind() {
    ASSERT_EQ(context_->Initialize(thread_manager_.Get(), kClient, &ui_), S_OK);
    ASSERT_TRUE(context_->IsBound());
    ASSERT_NE(context_->GetEngine(), nullptr);
  }
  FakeCompartment* OnThread(REFGUID guid) { return thread_manager_->compartments().Get(guid); }
  FakeCompartment* OnDocument(REFGUID guid) { return document_->compartments().Get(guid); }
  // The element the host was last given.
  ComPtr<ITfCandidateListUIElement> LastElement() {
    ComPtr<ITfCandidateListUIElement> element;
    if (!thread_manager_->elements().empty()) {
      element.QueryFrom(thread_manager_->elements().back().element.Get());
    }
    return element;
  }

  ime_tsf_testing::ModuleLockScope module_lock_;
  HindiEngineWorld world_;
  ComPtr<FakeThreadMgr> thread_manager_;
  ComPtr<FakeContext> document_;
  ComPtr<FakeDocumentMgr> focus_;
  RecordingUIManager ui_;
  ComPtr<Context> context_;
  CountingEngine* engine_ = nullptr;  // owned by the context
};

TEST_F(TsfDocumentTest, TypedWordIsComposedUnderlinedAndSpaceCommitsItsTransliteration) {
  document_->SetDocumentText(L"> ");
  Bind();
  EXPECT_EQ(ui_.current(), context_.Get());
  HostKeyboard host(document_.Get());

  host.Type(L"namaste");
  EXPECT_EQ(document_->text(), L"> namaste");
  FakeComposition* composition = document_->composition();
  ASSERT_NE(composition, nullptr);
  EXPECT_EQ(composition->range()->start(), 2);
  EXPECT_EQ(composition->range()->end(), 9);
  EXPECT_EQ(document_->compositions_started(), 1);
  // The composition is stamped with the atom of the thread's category
  // manager (Wine's), the text before it is not.
  const TfGuidAtom atom = testing_helpers::DisplayAttributeAtom();
  ASSERT_NE(atom, TF_INVALID_GUIDATOM);
  for (LONG i = 2; i < 9; ++i) EXPECT_EQ(document_->AttributeAt(i), static_cast<LONG>(atom));
  EXPECT_EQ(document_->AttributeAt(1), 0);
  EXPECT_EQ(document_->selection_start(), 2 + engine_->GetCaret());
  EXPECT_EQ(document_->selection_end(), document_->selection_start());
  EXPECT_EQ(engine_->CandidateAt(0), kNamaste);
  // Each key event was tested once; only the eaten ones were handled.
  EXPECT_EQ(engine_->tested, 14);
  EXPECT_GE(engine_->handled, 7);
  EXPECT_LE(engine_->handled, 14);

  host.Space();
  EXPECT_EQ(document_->text(), std::wstring(L"> ") + kNamaste + L" ");
  EXPECT_EQ(document_->composition(), nullptr);
  for (LONG i = 0; i < static_cast<LONG>(document_->text().size()); ++i) {
    EXPECT_EQ(document_->AttributeAt(i), 0) << "at " << i;
  }
  EXPECT_EQ(document_->selection_start(), static_cast<LONG>(document_->text().size()));
  EXPECT_EQ(document_->refused_sessions, 0);

  // Host quirks: a test made twice for one key, a key-down without a test.
  // The engine tests each key once; a key it does not take never reaches
  // HandleKey.
  ComPtr<ITfContextKeyEventSink> sink = host.Sink();
  ASSERT_TRUE(sink);
  int tested = engine_->tested;
  int handled = engine_->handled;
  BYTE state[256] = {};
  state['K'] = 0x80;
  ::SetKeyboardState(state);
  BOOL eaten = FALSE;
  EXPECT_EQ(sink->OnTestKeyDown('K', HostKeyboard::DownData('K'), &eaten), S_OK);
  EXPECT_TRUE(eaten);
  EXPECT_EQ(sink->OnTestKeyDown('K', HostKeyboard::DownData('K'), &eaten), S_OK);
  EXPECT_EQ(sink->OnKeyDown('K', HostKeyboard::DownData('K'), &eaten), S_OK);
  EXPECT_EQ(engine_->tested, tested + 1);
  EXPECT_EQ(engine_->handled, handled + 1);
  state['A'] = 0x80;
  ::SetKeyboardState(state);
  EXPECT_EQ(sink->OnKeyDown('A', HostKeyboard::DownData('A'), &eaten), S_OK);
  EXPECT_EQ(engine_->tested, tested + 2);
  EXPECT_EQ(engine_->handled, handled + 2);
  EXPECT_EQ(engine_->GetComposition(), L"ka");
  host.Space();
  tested = engine_->tested;
  handled = engine_->handled;
  const std::wstring before = document_->text();
  EXPECT_FALSE(host.Tap(VK_LEFT));
  EXPECT_EQ(engine_->tested, tested + 2);
  EXPECT_EQ(engine_->handled, handled);
  EXPECT_EQ(document_->text(), before);
}

TEST_F(TsfDocumentTest, RefusedSessionsLoseOnlyTheirOwnUpdate) {
  Bind();
  HostKeyboard host(document_.Get());
  document_->refuse_sessions = true;
  host.Type(L"namaste");
  EXPECT_GT(document_->refused_sessions, 0);
  EXPECT_EQ(document_->text(), L"");
  EXPECT_EQ(document_->composition(), nullptr);
  EXPECT_EQ(engine_->GetComposition(), L"namaste");

  // The commit comes with no composition open in the document: one is
  // opened and closed around the result.
  document_->refuse_sessions = false;
  host.Space();
  EXPECT_EQ(document_->text(), std::wstring(kNamaste) + L" ");
  EXPECT_EQ(document_->compositions_started(), 1);
  EXPECT_EQ(document_->composition(), nullptr);
  EXPECT_EQ(document_->AttributeAt(0), 0);
  EXPECT_EQ(document_->selection_start(), 7);

  // A refused write in the middle of a word: the next key brings the
  // document up to date.
  host.Type(L"ka");
  document_->refuse_sessions = true;
  host.Type(L"m");
  EXPECT_EQ(document_->text(), std::wstring(kNamaste) + L" ka");
  document_->refuse_sessions = false;
  host.Type(L"a");
  EXPECT_EQ(document_->text(), std::wstring(kNamaste) + L" kama");
  EXPECT_EQ(document_->selection_start(), 11);
  EXPECT_EQ(document_->compositions_started(), 2);
}

TEST_F(TsfDocumentTest, TypingReachesTheDocumentWithoutTheDisplayAttribute) {
  // TSF's category manager cannot be made; then one that refuses the
  // attribute's GUID. Either way the text goes in, unmarked.
  ComPtr<FakeCategoryMgr> refusing = MakeComObject<FakeCategoryMgr>();
  refusing->register_result = E_FAIL;
  const std::vector<CategoryManagerFactory> failing = {FakeCategoryMgr::Missing(),
                                                       FakeCategoryMgr::FactoryOf(refusing)};
  for (const CategoryManagerFactory& categories : failing) {
    MakeContext(categories);
    document_->SetDocumentText(L"> ");
    Bind();
    HostKeyboard host(document_.Get());
    host.Type(L"namaste");
    EXPECT_EQ(document_->text(), L"> namaste");
    ASSERT_NE(document_->composition(), nullptr);
    for (LONG i = 0; i < 9; ++i) EXPECT_EQ(document_->AttributeAt(i), 0) << "at " << i;
    EXPECT_EQ(document_->selection_start(), 2 + engine_->GetCaret());
    EXPECT_TRUE(host.Tap(VK_SPACE));
    EXPECT_EQ(document_->text(), std::wstring(L"> ") + kNamaste + L" ");
    EXPECT_EQ(document_->composition(), nullptr);
    EXPECT_EQ(document_->selection_start(), 9);
    EXPECT_EQ(context_->Uninitialize(), S_OK);
  }
  EXPECT_EQ(refusing->registrations, 1);

  // A category manager that registers it: its atom marks the composition.
  ComPtr<FakeCategoryMgr> working = MakeComObject<FakeCategoryMgr>();
  MakeContext(FakeCategoryMgr::FactoryOf(working));
  document_->SetDocumentText(L"");
  Bind();
  HostKeyboard host(document_.Get());
  host.Type(L"ka");
  EXPECT_EQ(document_->text(), L"ka");
  EXPECT_EQ(document_->AttributeAt(0), static_cast<LONG>(working->atom));
  EXPECT_EQ(document_->AttributeAt(1), static_cast<LONG>(working->atom));
}

TEST_F(TsfDocumentTest, KeysGoToTheApplicationWhenTheDocumentRefusesTheComposition) {
  // A read-only document: no composition can start, so nothing the engine
  // makes can be shown or committed. The keys are the application's.
  document_->SetDocumentText(L"> ");
  document_->start_composition_result = E_ACCESSDENIED;
  Bind();
  HostKeyboard host(document_.Get());
  for (wchar_t c : std::wstring(L"namaste")) {
    EXPECT_FALSE(host.Tap(HostKeyboard::VirtualKeyOf(c))) << "key " << static_cast<char>(c);
  }
  EXPECT_FALSE(host.Tap(VK_SPACE));
  EXPECT_EQ(document_->text(), L"> ");
  EXPECT_EQ(document_->compositions_started(), 0);
  // The first key reached the engine, which dropped it again when the
  // document refused it; no key after it was taken.
  EXPECT_EQ(engine_->tested, 1);
  EXPECT_EQ(engine_->handled, 1);
  EXPECT_EQ(engine_->GetComposition(), L"");
  EXPECT_EQ(engine_->CandidateCount(), 0);
  EXPECT_EQ(document_->lock_errors(), 0);

  // The next binding, to a document that takes compositions, types again.
  EXPECT_EQ(context_->Uninitialize(), S_OK);
  document_->start_composition_result = S_OK;
  Bind();
  host.Type(L"namaste");
  EXPECT_TRUE(host.Tap(VK_SPACE));
  EXPECT_EQ(document_->text(), std::wstring(L"> ") + kNamaste + L" ");
}

TEST_F(TsfDocumentTest, HostTerminatingTheCompositionCommitsItWithTheHostsLock) {
  Bind();
  HostKeyboard host(document_.Get());
  host.Type(L"namaste");
  const int refused = document_->refused_sessions;
  ASSERT_TRUE(document_->TerminateComposition());
  // The engine's choice replaces the typed text; no session was asked for
  // inside the host's lock (it would have been refused).
  EXPECT_EQ(document_->text(), kNamaste);
  EXPECT_EQ(document_->refused_sessions, refused);
  EXPECT_EQ(document_->composition(), nullptr);
  EXPECT_EQ(document_->AttributeAt(0), 0);
  EXPECT_TRUE(document_->mouse_sinks().empty());
  EXPECT_EQ(engine_->GetComposition(), L"");
  // The selection stays where the host had it, after the text.
  EXPECT_EQ(document_->selection_start(), 6);

  // The next key starts a new composition.
  host.Type(L"ka");
  EXPECT_EQ(document_->compositions_started(), 2);
  EXPECT_EQ(document_->text(), std::wstring(kNamaste) + L"ka");
  ASSERT_TRUE(document_->TerminateComposition());
  const std::wstring committed = document_->text();
  EXPECT_EQ(committed.find(L'k'), std::wstring::npos) << "the typed text stayed";
  EXPECT_EQ(committed.compare(0, 6, kNamaste), 0);

  // Nothing is left to commit when the context is unbound.
  const int writes = document_->write_sessions;
  EXPECT_EQ(context_->Uninitialize(), S_OK);
  EXPECT_EQ(document_->write_sessions, writes);
  EXPECT_EQ(document_->text(), committed);
}

TEST_F(TsfDocumentTest, CaretRectangleFollowsTheCompositionAndClicksGoToTheEngine) {
  // 16 characters on a line of 20: "namaste" wraps to the second line.
  document_->SetDocumentText(std::wstring(16, L'x'));
  const RECT screen = document_->view()->screen;
  const SIZE cell = document_->view()->cell;
  Bind();
  HostKeyboard host(document_.Get());
  RECT caret = {};

  host.Type(L"nam");
  EXPECT_TRUE(context_->GetCaretRect(nullptr, &caret));
  EXPECT_EQ(caret.left, screen.left + 16 * cell.cx);
  EXPECT_EQ(caret.right, caret.left);
  EXPECT_EQ(caret.top, screen.top);
  EXPECT_EQ(caret.bottom, screen.top + cell.cy);
  // Each layout change moved the candidate window.
  EXPECT_GT(ui_.candidate_rect_requests, 0);

  host.Type(L"aste");
  context_->GetCaretRect(nullptr, &caret);
  EXPECT_EQ(caret.left, screen.left);
  EXPECT_EQ(caret.top, screen.top + cell.cy);
  EXPECT_EQ(caret.bottom, screen.top + 2 * cell.cy);

  // A document that answers an empty rectangle keeps the last one.
  document_->view()->answer_empty = true;
  host.Tap(VK_BACK);
  RECT kept = {};
  context_->GetCaretRect(nullptr, &kept);
  EXPECT_TRUE(::EqualRect(&kept, &caret));
  document_->view()->answer_empty = false;
  host.Type(L"e");

  // A click inside the composition is eaten and asks the engine to move
  // its caret there (with the buttons held); a move of the mouse over it
  // is eaten too.
  EXPECT_TRUE(document_->Click(3, MK_LBUTTON));
  EXPECT_TRUE(document_->Click(5, 0));
  EXPECT_EQ(engine_->caret_moves,
            (std::vector<std::pair<int32_t, int32_t>>{{MK_LBUTTON, 3}, {0, 5}}));
  EXPECT_EQ(document_->text(), std::wstring(16, L'x') + L"namaste");
}

TEST_F(TsfDocumentTest, CompartmentsSwitchTheKeysAndTheWindowsAndEchoesEndAtOnce) {
  // The fake compartments notify every write, even of an unchanged value,
  // as Wine's do.
  Bind();
  HostKeyboard host(document_.Get());
  FakeCompartment* open = OnThread(GUID_COMPARTMENT_KEYBOARD_OPENCLOSE);
  FakeCompartment* conversion = OnThread(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION);
  FakeCompartment* sentence = OnThread(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_SENTENCE);
  EXPECT_EQ(open->IntValue(), 1);
  EXPECT_EQ(conversion->IntValue(), 1);
  EXPECT_EQ(conversion->writes().size(), 1u);
  EXPECT_EQ(open->writes().size(), 1u);
  EXPECT_EQ(open->last_writer(), kClient);

  EXPECT_TRUE(host.Tap('N'));
  EXPECT_EQ(ui_.current(), context_.Get());

  // Closed: keys pass, the windows let go of the engine; open again.
  open->ChangeInt(0);
  EXPECT_EQ(ui_.current(), nullptr);
  EXPECT_FALSE(host.Tap('A'));
  EXPECT_EQ(document_->text(), L"n");
  open->ChangeInt(1);
  EXPECT_EQ(ui_.current(), context_.Get());
  EXPECT_TRUE(host.Tap('A'));
  EXPECT_EQ(document_->text(), L"na");

  // A document that takes no keyboard input, either way TSF says so.
  for (const GUID* blocker : {&GUID_COMPARTMENT_KEYBOARD_DISABLED, &GUID_COMPARTMENT_EMPTYCONTEXT}) {
    OnDocument(*blocker)->ChangeInt(1);
    EXPECT_FALSE(host.Tap('M'));
    EXPECT_EQ(ui_.current(), nullptr);
    OnDocument(*blocker)->ChangeInt(0);
    EXPECT_EQ(ui_.current(), context_.Get());
  }
  EXPECT_EQ(document_->text(), L"na");

  // A value that is no VT_I4 changes nothing.
  VARIANT text;
  ::VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = ::SysAllocString(L"0");
  open->Change(text);
  ::VariantClear(&text);
  EXPECT_EQ(ui_.current(), context_.Get());
  EXPECT_TRUE(host.Tap('M'));

  // F12 turns transliteration off: the mode is written once and its echo
  // goes nowhere. Another client's write is answered with the engine's
  // mode, once.
  const size_t written = conversion->writes().size();
  EXPECT_TRUE(host.Tap(VK_F12));
  EXPECT_EQ(conversion->IntValue(), 0);
  EXPECT_EQ(conversion->writes().size(), written + 1);
  conversion->ChangeInt(1);
  EXPECT_EQ(conversion->IntValue(), 0);
  EXPECT_EQ(conversion->writes().size(), written + 2);
  EXPECT_EQ(sentence->IntValue(0), 0);
  EXPECT_FALSE(conversion->loop_detected());
  EXPECT_FALSE(sentence->loop_detected());
  EXPECT_FALSE(open->loop_detected());
  // Off, letters go to the document as they are.
  EXPECT_FALSE(host.Tap('Q'));
}

TEST_F(TsfDocumentTest, CandidateElementFollowsTheListAndAFocusChangeEndsIt) {
  // The host draws the list itself.
  thread_manager_->begin_show = FALSE;
  Bind();
  HostKeyboard host(document_.Get());
  const size_t updates_before = ui_.updates.size();
  host.Type(L"nam");
  ASSERT_EQ(thread_manager_->elements().size(), 1u);
  EXPECT_EQ(thread_manager_->LiveElements(), 1);
  EXPECT_FALSE(context_->GetFlag(2));
  // One element update for every candidate change the context was told of.
  int candidate_changes = 0;
  for (size_t i = updates_before; i < ui_.updates.size(); ++i) {
    if ((ui_.updates[i] & kUpdateCandidateList) != 0) ++candidate_changes;
  }
  EXPECT_EQ(thread_manager_->elements()[0].updates, candidate_changes);
  ComPtr<ITfCandidateListUIElement> element = LastElement();
  ASSERT_TRUE(element);
  UINT count = 0;
  EXPECT_EQ(element->GetCount(&count), S_OK);
  ASSERT_GT(count, 0u);
  base::ScopedBstr first;
  EXPECT_EQ(element->GetString(0, first.Receive()), S_OK);
  EXPECT_EQ(first.ToString(), engine_->CandidateAt(0));
  base::ScopedBstr outside;
  EXPECT_EQ(element->GetString(count, outside.Receive()), E_INVALIDARG);

  // The list empties with the commit: the element ends; the host may still
  // ask it, and is refused.
  host.Space();
  EXPECT_EQ(thread_manager_->LiveElements(), 0);
  EXPECT_EQ(element->GetString(0, outside.Receive()), E_INVALIDARG);

  // Candidates again, then the focus goes elsewhere: the element ends.
  host.Type(L"ka");
  EXPECT_EQ(thread_manager_->LiveElements(), 1);
  EXPECT_EQ(context_->Uninitialize(), S_OK);
  EXPECT_EQ(thread_manager_->LiveElements(), 0);

  // A host that leaves the drawing to the input method, and one without a
  // UI-element manager: the own candidate window shows the list.
  thread_manager_->begin_show = TRUE;
  Bind();
  host.Type(L"ka");
  EXPECT_TRUE(context_->GetFlag(2));
  host.Space();
  EXPECT_FALSE(context_->GetFlag(2));
  EXPECT_EQ(context_->Uninitialize(), S_OK);
  thread_manager_->has_ui_element_manager = false;
  Bind();
  host.Type(L"ka");
  EXPECT_TRUE(context_->GetFlag(2));
  EXPECT_FALSE(context_->GetFlag(1));
  EXPECT_EQ(thread_manager_->LiveElements(), 0);
}

}  // namespace
}  // namespace tsf
}  // namespace ime_shared
