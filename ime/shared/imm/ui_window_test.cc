// The IME UI window on real input contexts of the system's IMM32 (under a
// virtual display), with a recording UI manager given through the
// window's manager factory and scripted engines through ImeSelect's
// factory: which context the manager shows, the context's positioning
// flags, and what survives a context deselected before its window hears
// of it.
#include "ime/shared/imm/ui_window.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/imm/context.h"
#include "ime/shared/imm/context_map.h"
#include "ime/shared/imm/ime_exports.h"
#include "ime/shared/imm/imm_test_helpers.h"
#include "ime/shared/testing/child_process.h"

namespace ime_shared {
namespace imm {
namespace {

using testing_helpers::ScriptedEngine;

// One call the UI manager received.
struct Call {
  enum Kind { kAttach, kOption, kUpdate, kRect, kDestroyed } kind;
  ContextInterface* context;  // kAttach
  int32_t a;                  // option, or update flags
  int32_t b;                  // option value
  // Whether the HIMC of the attached or detached context still had its
  // context in the map when the call came.
  bool context_alive;
};

std::ostream& operator<<(std::ostream& out, const Call& call) {
  switch (call.kind) {
    case Call::kAttach:
      return out << "attach(" << call.context << ")";
    case Call::kOption:
      return out << "option(" << call.a << ", " << call.b << ")";
    case Call::kUpdate:
      return out << "update(0x" << std::hex << call.a << std::dec << ")";
    case Call::kRect:
      return out << "rect";
    case Call::kDestroyed:
      return out << "destroyed";
  }
  return out;
}

class RecordingManager : public UIManagerInterface {
 public:
  RecordingManager(std::vector<Call>* calls, HIMC watched)
      : calls_(calls), watched_(watched) {}
  ~RecordingManager() override {
    calls_->push_back({Call::kDestroyed, nullptr, 0, 0, false});
  }
  void AttachEngine(ContextInterface* context) override {
    calls_->push_back({Call::kAttach, context, 0, 0,
                       ContextMap::Instance().Find(watched_) != nullptr});
  }
  void SetOption(int32_t option, int32_t value) override {
    calls_->push_back({Call::kOption, nullptr, option, value, false});
  }
  void Update(uint32_t flags) override {
    calls_->push_back(
        {Call::kUpdate, nullptr, static_cast<int32_t>(flags), 0, false});
  }
  bool GetCandidateRect() override {
    calls_->push_back({Call::kRect, nullptr, 0, 0, false});
    return true;
  }

 private:
  std::vector<Call>* calls_;
  HIMC watched_;
};

// An engine that reads the mode back as the transliteration engine does:
// a conversion-mode change from the application becomes an update of the
// mode.
class ModeReadingEngine : public ScriptedEngine {
 public:
  void SetConversionMode(int32_t which, int32_t value) override {
    ScriptedEngine::SetConversionMode(which, value);
    if (context != nullptr) context->Update(kUpdateMode);
  }
};

// The application's window: counts conversion-mode notifications, reacts
// to notifications as the test asks and, like the system's IME window,
// relays WM_IME_NOTIFY to the UI window.
HWND g_ui_window = nullptr;
int g_conversion_notifications = 0;
std::function<void(WPARAM command)> g_reaction;

LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wparam,
                                 LPARAM lparam) {
  if (message == WM_IME_NOTIFY) {
    if (wparam == IMN_SETCONVERSIONMODE) ++g_conversion_notifications;
    if (g_reaction) {
      // Held by a copy: the reaction may end itself.
      const std::function<void(WPARAM)> reaction = g_reaction;
      reaction(wparam);
    }
    if (g_ui_window != nullptr) {
      ::SendMessageW(g_ui_window, message, wparam, lparam);
    }
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

class ImeUIWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_ui_window = nullptr;
    g_conversion_notifications = 0;
    instance_ = ::GetModuleHandleW(nullptr);
    IMEINFO info;
    wchar_t class_name[kUIClassNameUnits];
    ASSERT_TRUE(ImeInquire(&info, class_name, 0));

    app_class_ = ime_testing::UniqueName(L"UIWindowTestApp");
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &ApplicationProc;
    wc.hInstance = instance_;
    wc.lpszClassName = app_class_.c_str();
    ASSERT_NE(::RegisterClassExW(&wc), 0);
    app_window_ = ::CreateWindowExW(0, app_class_.c_str(), L"", WS_POPUP, 0,
                                    0, 200, 100, nullptr, nullptr, instance_,
                                    nullptr);
    ASSERT_NE(app_window_, nullptr);

    himc_ = ::ImmCreateContext();
    ASSERT_NE(himc_, nullptr);
    INPUTCONTEXT* imc = ::ImmLockIMC(himc_);
    ASSERT_NE(imc, nullptr);
    imc->hWnd = app_window_;
    ::ImmUnlockIMC(himc_);

    SetEngineFactory([this](ContextInterface* context) -> EngineInterface* {
      ScriptedEngine* engine = mode_reading_ ? new ModeReadingEngine
                                             : new ScriptedEngine;
      engine->context = context;
      engine->destroyed = &engines_destroyed_;
      engine_ = engine;
      return engine;
    });
    ImeUIWindow::SetUIManagerFactory(
        [this](HWND window) -> UIManagerInterface* {
          ++managers_made_;
          return new RecordingManager(&calls_, himc_);
        });
  }

  void TearDown() override {
    g_reaction = nullptr;
    g_ui_window = nullptr;
    if (ui_ != nullptr) ::DestroyWindow(ui_);
    ImeSelect(himc_, FALSE);
    SetEngineFactory(nullptr);
    ImeUIWindow::SetUIManagerFactory(nullptr);
    if (himc_ != nullptr) ::ImmDestroyContext(himc_);
    if (app_window_ != nullptr) ::DestroyWindow(app_window_);
    ::UnregisterClassW(app_class_.c_str(), instance_);
    ImeDestroy(0);
  }

  // A UI window serving |himc_|, as IMM32 makes one: the HIMC in its
  // window memory.
  HWND CreateUIWindow() {
    HWND window = ::CreateWindowExW(0, kUIWindowClassName, L"", WS_POPUP, 0,
                                    0, 0, 0, nullptr, nullptr, instance_,
                                    nullptr);
    if (window != nullptr) {
      ::SetWindowLongPtrW(window, IMMGWLP_IMC,
                          reinterpret_cast<LONG_PTR>(himc_));
    }
    return window;
  }

  // Selects the context and gives it a UI window to which the context's
  // messages are relayed, as IMM32 relays them through the application.
  ::testing::AssertionResult SelectWithRelayedWindow() {
    if (!ImeSelect(himc_, TRUE)) return ::testing::AssertionFailure() << "not selected";
    ui_ = CreateUIWindow();
    if (ui_ == nullptr) return ::testing::AssertionFailure() << "no UI window";
    g_ui_window = ui_;
    Send(WM_IME_SELECT, TRUE, 0);
    return ::testing::AssertionSuccess();
  }

  // Selects the deselected context again: the window's manager is
  // attached to the new context.
  void ExpectSelectedAgainTheWindowServesTheNewContext() {
    ASSERT_TRUE(ImeSelect(himc_, TRUE));
    Send(WM_IME_SELECT, TRUE, 0);
    const std::vector<Call> calls = TakeCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].context, context());
    EXPECT_NE(calls[0].context, nullptr);
  }

  LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return ::SendMessageW(ui_, message, wparam, lparam);
  }
  LRESULT Notify(WPARAM command, LPARAM lparam = 0) {
    return Send(WM_IME_NOTIFY, command, lparam);
  }

  Context* context() { return ContextMap::Instance().Find(himc_); }

  std::vector<Call> TakeCalls() {
    std::vector<Call> taken;
    taken.swap(calls_);
    return taken;
  }

  void SetOpen(bool open) {
    INPUTCONTEXT* imc = ::ImmLockIMC(himc_);
    ASSERT_NE(imc, nullptr);
    imc->fOpen = open ? TRUE : FALSE;
    ::ImmUnlockIMC(himc_);
  }

  HINSTANCE instance_ = nullptr;
  std::wstring app_class_;
  HWND app_window_ = nullptr;
  HIMC himc_ = nullptr;
  HWND ui_ = nullptr;
  bool mode_reading_ = false;
  ScriptedEngine* engine_ = nullptr;
  int engines_destroyed_ = 0;
  int managers_made_ = 0;
  std::vector<Call> calls_;
};

// Expects exactly one call, of |kind|.
#define EXPECT_ONE_CALL(calls, expected_kind)          \
  do {                                                 \
    const std::vector<Call> taken_ = (calls);          \
    ASSERT_EQ(taken_.size(), 1u);                      \
    EXPECT_EQ(taken_[0].kind, Call::expected_kind);    \
  } while (0)

TEST_F(ImeUIWindowTest, NoManagerNoWindow) {
  ImeUIWindow::SetUIManagerFactory(
      [](HWND) -> UIManagerInterface* { return nullptr; });
  EXPECT_EQ(CreateUIWindow(), nullptr);
  ImeUIWindow::SetUIManagerFactory(nullptr);
  EXPECT_EQ(CreateUIWindow(), nullptr);
  EXPECT_EQ(ImeUIWindow::WindowCount(), 0u);

  // With a manager the window lives, owns it and frees it with itself.
  ImeUIWindow::SetUIManagerFactory([this](HWND) -> UIManagerInterface* {
    return new RecordingManager(&calls_, himc_);
  });
  ui_ = CreateUIWindow();
  ASSERT_NE(ui_, nullptr);
  EXPECT_NE(ImeUIWindow::ManagerOf(ui_), nullptr);
  EXPECT_EQ(ImeUIWindow::WindowCount(), 1u);
  ::DestroyWindow(ui_);
  ui_ = nullptr;
  EXPECT_ONE_CALL(TakeCalls(), kDestroyed);
  EXPECT_EQ(ImeUIWindow::WindowCount(), 0u);
}

TEST_F(ImeUIWindowTest, ManagerShowsTheSelectedContextWhileItIsOpen) {
  ASSERT_TRUE(ImeSelect(himc_, TRUE));
  ui_ = CreateUIWindow();
  ASSERT_NE(ui_, nullptr);
  EXPECT_EQ(managers_made_, 1);

  // The window finds the context that the export made, with its engine.
  EXPECT_EQ(Send(WM_IME_SELECT, TRUE, 0), 0);
  std::vector<Call> calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, Call::kAttach);
  ASSERT_NE(calls[0].context, nullptr);
  EXPECT_EQ(calls[0].context, context());
  EXPECT_EQ(calls[0].context->GetEngine(), engine_);

  Send(WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALL);
  calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].context, context());

  // A closed context is not shown; opening it again (IMN_SETOPENSTATUS)
  // shows it.
  SetOpen(false);
  Notify(IMN_SETOPENSTATUS);
  calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].context, nullptr);
  SetOpen(true);
  Notify(IMN_SETOPENSTATUS);
  calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].context, context());

  // Losing the context: none.
  Send(WM_IME_SETCONTEXT, FALSE, ISC_SHOWUIALL);
  calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].context, nullptr);
  // Without a current context the notifications of the open state change
  // nothing.
  Notify(IMN_SETOPENSTATUS);
  EXPECT_TRUE(TakeCalls().empty());
  Send(WM_IME_SELECT, FALSE, 0);
  calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].context, nullptr);

  // The composition messages are the window's own: swallowed.
  for (UINT message : {WM_IME_COMPOSITION, WM_IME_CONTROL,
                       WM_IME_COMPOSITIONFULL, WM_IME_CHAR, WM_IME_KEYDOWN,
                       WM_IME_KEYUP}) {
    EXPECT_EQ(Send(message, 'a', 1), 0);
  }
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(ImeUIWindowTest, SetContextKeepsOnlyThePositioningTheApplicationLeft) {
  ASSERT_TRUE(ImeSelect(himc_, TRUE));
  ui_ = CreateUIWindow();
  ASSERT_NE(ui_, nullptr);
  Send(WM_IME_SELECT, TRUE, 0);
  Context* const ctx = context();
  ASSERT_NE(ctx, nullptr);

  auto set_both = [&]() {
    ctx->SetFlag(kFlagCompositionWindow, true);
    ctx->SetFlag(kFlagCandidateWindow, true);
  };
  // The application shows the composition window itself: the input
  // method stops positioning by it.
  set_both();
  Send(WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALLCANDIDATEWINDOW);
  EXPECT_FALSE(ctx->GetFlag(kFlagCompositionWindow));
  EXPECT_TRUE(ctx->GetFlag(kFlagCandidateWindow));
  // Any one of the four candidate windows keeps the candidate positioning.
  for (LPARAM bit : {1, 2, 4, 8}) {
    set_both();
    Send(WM_IME_SETCONTEXT, TRUE,
         static_cast<LPARAM>(ISC_SHOWUICOMPOSITIONWINDOW) | bit);
    EXPECT_TRUE(ctx->GetFlag(kFlagCompositionWindow)) << bit;
    EXPECT_TRUE(ctx->GetFlag(kFlagCandidateWindow)) << bit;
  }
  set_both();
  Send(WM_IME_SETCONTEXT, TRUE, ISC_SHOWUICOMPOSITIONWINDOW);
  EXPECT_TRUE(ctx->GetFlag(kFlagCompositionWindow));
  EXPECT_FALSE(ctx->GetFlag(kFlagCandidateWindow));
  set_both();
  Send(WM_IME_SETCONTEXT, TRUE, 0);
  EXPECT_FALSE(ctx->GetFlag(kFlagCompositionWindow));
  EXPECT_FALSE(ctx->GetFlag(kFlagCandidateWindow));
  // Losing the context leaves its flags alone.
  set_both();
  Send(WM_IME_SETCONTEXT, FALSE, 0);
  EXPECT_TRUE(ctx->GetFlag(kFlagCompositionWindow));
  EXPECT_TRUE(ctx->GetFlag(kFlagCandidateWindow));
}

TEST_F(ImeUIWindowTest, PendingUpdateHoldsBackThePositionNotifications) {
  ASSERT_TRUE(SelectWithRelayedWindow());
  TakeCalls();
  Context* const ctx = context();

  // An update on its way: its IMN_PRIVATE has not reached the window.
  g_ui_window = nullptr;
  engine_->Show(L"ab", 2, {L"x", L"y"});
  ASSERT_TRUE(ctx->GetFlag(kFlagUpdatePending));
  Notify(IMN_SETCANDIDATEPOS, 1);
  Notify(IMN_SETCOMPOSITIONWINDOW);
  EXPECT_TRUE(TakeCalls().empty());
  EXPECT_FALSE(ctx->GetFlag(kFlagCandidateWindow));
  EXPECT_FALSE(ctx->GetFlag(kFlagCompositionWindow));

  // The update's own notification reaches the manager and ends it.
  Notify(IMN_PRIVATE, kUpdateCompositionAndResult | kUpdateCandidateList);
  std::vector<Call> calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, Call::kUpdate);
  EXPECT_EQ(calls[0].a, 0x0F);
  EXPECT_FALSE(ctx->GetFlag(kFlagUpdatePending));

  // Now the application's positions count.
  Notify(IMN_SETCANDIDATEPOS, 1);
  EXPECT_ONE_CALL(TakeCalls(), kRect);
  EXPECT_TRUE(ctx->GetFlag(kFlagCandidateWindow));
  EXPECT_FALSE(ctx->GetFlag(kFlagCompositionWindow));
  Notify(IMN_SETCOMPOSITIONWINDOW);
  EXPECT_ONE_CALL(TakeCalls(), kRect);
  EXPECT_TRUE(ctx->GetFlag(kFlagCompositionWindow));
  EXPECT_FALSE(ctx->GetFlag(kFlagCandidateWindow));
  // Only candidate form 0 places the candidate window.
  Notify(IMN_SETCANDIDATEPOS, 2);
  EXPECT_TRUE(TakeCalls().empty());
  EXPECT_FALSE(ctx->GetFlag(kFlagCandidateWindow));

  // Through the application's window, as IMM32 relays them: every update
  // reaches the manager and none stays pending.
  g_ui_window = ui_;
  engine_->Show(L"abc", 3, {L"x"});
  calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, Call::kUpdate);
  EXPECT_FALSE(ctx->GetFlag(kFlagUpdatePending));

  // A closed context gets no update, but its update still ends.
  SetOpen(false);
  g_ui_window = nullptr;
  engine_->Show(L"abcd", 4, {L"x"});
  Notify(IMN_PRIVATE, 0x0F);
  EXPECT_TRUE(TakeCalls().empty());
  EXPECT_FALSE(ctx->GetFlag(kFlagUpdatePending));
  Notify(IMN_SETCANDIDATEPOS, 1);
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(ImeUIWindowTest, OpenCandidateIsIgnoredWhilePlacedByTheComposition) {
  ASSERT_TRUE(ImeSelect(himc_, TRUE));
  ui_ = CreateUIWindow();
  ASSERT_NE(ui_, nullptr);
  Send(WM_IME_SELECT, TRUE, 0);
  Context* const ctx = context();

  Send(WM_IME_STARTCOMPOSITION);
  EXPECT_TRUE(ctx->GetFlag(kFlagCompositionWindow));
  Notify(IMN_OPENCANDIDATE, 1);
  EXPECT_FALSE(ctx->GetFlag(kFlagCandidateWindow));
  Send(WM_IME_ENDCOMPOSITION);
  EXPECT_FALSE(ctx->GetFlag(kFlagCompositionWindow));
  Notify(IMN_OPENCANDIDATE, 1);
  EXPECT_TRUE(ctx->GetFlag(kFlagCandidateWindow));
  Notify(IMN_CLOSECANDIDATE, 1);
  EXPECT_FALSE(ctx->GetFlag(kFlagCandidateWindow));
}

TEST_F(ImeUIWindowTest, StatusAndModeNotificationsReachManagerAndEngine) {
  ASSERT_TRUE(ImeSelect(himc_, TRUE));
  ui_ = CreateUIWindow();
  ASSERT_NE(ui_, nullptr);
  Send(WM_IME_SELECT, TRUE, 0);
  TakeCalls();

  Notify(IMN_OPENSTATUSWINDOW);
  std::vector<Call> calls = TakeCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].kind, Call::kOption);
  EXPECT_EQ(calls[0].a, kUIOptionStatusWindow);
  EXPECT_EQ(calls[0].b, 1);
  EXPECT_EQ(calls[1].kind, Call::kUpdate);
  EXPECT_EQ(calls[1].a, 0x10);
  Notify(IMN_CLOSESTATUSWINDOW);
  calls = TakeCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].b, 0);

  // The application's conversion status goes to the engine.
  ASSERT_TRUE(::ImmSetConversionStatus(himc_, 0, 0));
  engine_->mode_sets.clear();
  TakeCalls();
  Notify(IMN_SETCONVERSIONMODE);
  EXPECT_EQ(engine_->mode_sets,
            (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1, 0}}));
  EXPECT_ONE_CALL(TakeCalls(), kUpdate);
  engine_->mode_sets.clear();
  Notify(IMN_SETSENTENCEMODE);
  EXPECT_EQ(engine_->mode_sets.size(), 2u);
  EXPECT_TRUE(TakeCalls().empty());

  // Closed: the status window requests are not passed on.
  SetOpen(false);
  Notify(IMN_OPENSTATUSWINDOW);
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(ImeUIWindowTest, ConversionModeRoundEnds) {
  // The application changes the mode; the engine reads it back and
  // updates the context, which sets the same mode again: no second
  // notification follows.
  mode_reading_ = true;
  ASSERT_TRUE(SelectWithRelayedWindow());

  engine_->conversion = false;
  g_conversion_notifications = 0;
  engine_->Show(L"", 0, {}, L"", kUpdateMode);
  DWORD conversion = 99, sentence = 99;
  ASSERT_TRUE(::ImmGetConversionStatus(himc_, &conversion, &sentence));
  EXPECT_EQ(conversion, 0u);
  EXPECT_EQ(g_conversion_notifications, 1);
  EXPECT_FALSE(context()->GetFlag(kFlagUpdatePending));
}

TEST_F(ImeUIWindowTest, ContextDeselectedBeforeTheWindowHearsOfIt) {
  ASSERT_TRUE(ImeSelect(himc_, TRUE));
  ui_ = CreateUIWindow();
  ASSERT_NE(ui_, nullptr);
  Send(WM_IME_SELECT, TRUE, 0);
  Send(WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALL);
  TakeCalls();

  // The manager lets go of the context while it still exists.
  ASSERT_TRUE(ImeSelect(himc_, FALSE));
  EXPECT_EQ(engines_destroyed_, 1);
  std::vector<Call> calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, Call::kAttach);
  EXPECT_EQ(calls[0].context, nullptr);
  EXPECT_TRUE(calls[0].context_alive);

  // What IMM32 sends afterwards finds no context and changes nothing.
  Send(WM_IME_SELECT, FALSE, 0);
  Send(WM_IME_SETCONTEXT, TRUE, ISC_SHOWUIALL);
  Send(WM_IME_STARTCOMPOSITION);
  Send(WM_IME_ENDCOMPOSITION);
  for (WPARAM command :
       {IMN_PRIVATE, IMN_SETCANDIDATEPOS, IMN_SETCOMPOSITIONWINDOW,
        IMN_OPENCANDIDATE, IMN_CLOSECANDIDATE, IMN_SETCONVERSIONMODE,
        IMN_SETSENTENCEMODE, IMN_SETOPENSTATUS, IMN_OPENSTATUSWINDOW,
        IMN_CLOSESTATUSWINDOW}) {
    Notify(command, 1);
  }
  for (const Call& call : TakeCalls()) {
    EXPECT_EQ(call.kind, Call::kAttach) << call;
    EXPECT_EQ(call.context, nullptr);
  }

  ExpectSelectedAgainTheWindowServesTheNewContext();
}

// The window's own handling reaches the application: a conversion mode
// read back by the engine updates the context, whose notification the
// application answers by deselecting the context. The handler finishes
// without it; the context and engine go once the message is done.
TEST_F(ImeUIWindowTest, ContextDeselectedInsideTheWindowsOwnHandlingGoesAfterIt) {
  mode_reading_ = true;
  ASSERT_TRUE(SelectWithRelayedWindow());
  TakeCalls();
  bool reacted = false;
  g_reaction = [&](WPARAM command) {
    if (reacted || command != IMN_PRIVATE) return;
    reacted = true;
    EXPECT_TRUE(ImeSelect(himc_, FALSE));
    EXPECT_EQ(engines_destroyed_, 0) << "deleted under the window's handler";
  };
  Notify(IMN_SETCONVERSIONMODE);
  EXPECT_TRUE(reacted);
  EXPECT_EQ(engines_destroyed_, 1);
  EXPECT_EQ(context(), nullptr);
  // The manager let go of the context and heard nothing more of it.
  std::vector<Call> calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, Call::kAttach);
  EXPECT_EQ(calls[0].context, nullptr);

  g_reaction = nullptr;
  ExpectSelectedAgainTheWindowServesTheNewContext();
}

TEST_F(ImeUIWindowTest, ManagerOfAnotherContextStaysAttached) {
  HIMC other = ::ImmCreateContext();
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(ImeSelect(himc_, TRUE));
  ASSERT_TRUE(ImeSelect(other, TRUE));
  ui_ = CreateUIWindow();
  ASSERT_NE(ui_, nullptr);
  Send(WM_IME_SELECT, TRUE, 0);
  TakeCalls();

  ASSERT_TRUE(ImeSelect(other, FALSE));
  EXPECT_TRUE(TakeCalls().empty());
  ::ImmDestroyContext(other);
}

TEST_F(ImeUIWindowTest, WindowDestroyedAtProcessDetachFreesNothing) {
  ui_ = CreateUIWindow();
  ASSERT_NE(ui_, nullptr);
  ImeUIWindow::SetProcessDetaching(true);
  ::DestroyWindow(ui_);
  ui_ = nullptr;
  ImeUIWindow::SetProcessDetaching(false);
  EXPECT_TRUE(TakeCalls().empty()) << "the manager was not deleted";
}

}  // namespace
}  // namespace imm
}  // namespace ime_shared
