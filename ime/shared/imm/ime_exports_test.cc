// The IMM32 exports over real input contexts of the system's IMM32, with
// scripted engines through ImeSelect's factory: what ImeInquire reports and
// registers, how contexts are selected and deselected, the NotifyIME and
// ImeEscape rows, that every failure lets the key through, and that an
// application may deselect or free its input context inside a message the
// input method sends it.
#include "ime/shared/imm/ime_exports.h"

#include <windows.h>

#include <cwchar>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/imm/context.h"
#include "ime/shared/imm/context_map.h"
#include "ime/shared/imm/imm_test_helpers.h"
#include "ime/shared/imm/ui_window.h"
#include "ime/shared/testing/child_process.h"

namespace ime_shared {
namespace imm {
namespace {

using testing_helpers::ScriptedEngine;
using testing_helpers::TestMessageList;

// A scripted engine that records how compositions are ended.
class EndingEngine : public ScriptedEngine {
 public:
  void EndComposition(bool complete) override { endings.push_back(complete); }
  std::vector<bool> endings;
};

bool UIClassRegistered() {
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  return ::GetClassInfoExW(::GetModuleHandleW(nullptr), kUIWindowClassName,
                           &info) != FALSE;
}

class ImeExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    himc_ = ::ImmCreateContext();
    ASSERT_NE(himc_, nullptr);
    SetEngineFactory([this](ContextInterface* context) -> EngineInterface* {
      ++factory_calls_;
      if (refuse_) return nullptr;
      auto* engine = new EndingEngine;
      engine->context = context;
      engine->destroyed = &destroyed_;
      engine_ = engine;
      return engine;
    });
    std::memset(key_state_, 0, sizeof(key_state_));
  }
  void TearDown() override {
    ImeSelect(himc_, FALSE);
    SetEngineFactory(nullptr);
    ::ImmDestroyContext(himc_);
    ImeDestroy(0);
  }

  HIMC himc_ = nullptr;
  bool refuse_ = false;
  int factory_calls_ = 0;
  int destroyed_ = 0;
  EndingEngine* engine_ = nullptr;
  BYTE key_state_[256];
};

TEST_F(ImeExportsTest, InquireReportsTheInputMethodAndRegistersItsClass) {
  ASSERT_FALSE(UIClassRegistered());
  IMEINFO info;
  std::memset(&info, 0xCC, sizeof(info));
  wchar_t class_name[kUIClassNameUnits];
  std::wmemset(class_name, L'x', kUIClassNameUnits);
  ASSERT_TRUE(ImeInquire(&info, class_name, 0));
  EXPECT_EQ(info.dwPrivateDataSize, 0u);
  EXPECT_EQ(info.fdwProperty, 0x1E0003u);
  EXPECT_EQ(info.fdwConversionCaps, 0x409u);
  EXPECT_EQ(info.fdwSentenceCaps, 0u);
  EXPECT_EQ(info.fdwUICaps, 0x10000u);
  EXPECT_EQ(info.fdwSCSCaps, 0u);
  EXPECT_EQ(info.fdwSelectCaps, 1u);
  EXPECT_STREQ(class_name, L"ZELKORA2");
  EXPECT_TRUE(UIClassRegistered());

  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"ZELKORA2",
                                &window_class));
  EXPECT_EQ(window_class.style & CS_IME, static_cast<UINT>(CS_IME));
  EXPECT_EQ(window_class.cbWndExtra, 16);
  EXPECT_EQ(window_class.lpfnWndProc, &ImeUIWindow::WindowProc);

  // A second inquiry without ImeDestroy between finds the class in place.
  std::wmemset(class_name, L'x', kUIClassNameUnits);
  EXPECT_TRUE(ImeInquire(&info, class_name, 0));
  EXPECT_STREQ(class_name, L"ZELKORA2");
  EXPECT_EQ(info.fdwProperty, 0x1E0003u);
  EXPECT_TRUE(UIClassRegistered());
  // ImeDestroy unregisters it, so that a reload inquires afresh.
  EXPECT_FALSE(ImeDestroy(1));
  EXPECT_TRUE(UIClassRegistered());
  EXPECT_TRUE(ImeDestroy(0));
  EXPECT_FALSE(UIClassRegistered());
  // A class of that name with another procedure is not the input method's.
  WNDCLASSEXW foreign = {};
  foreign.cbSize = sizeof(foreign);
  foreign.lpfnWndProc = &::DefWindowProcW;
  foreign.hInstance = ::GetModuleHandleW(nullptr);
  foreign.lpszClassName = L"ZELKORA2";
  ASSERT_NE(::RegisterClassExW(&foreign), 0);
  EXPECT_FALSE(ImeInquire(&info, class_name, 0));
  ASSERT_TRUE(::UnregisterClassW(L"ZELKORA2", ::GetModuleHandleW(nullptr)));
  EXPECT_TRUE(ImeInquire(&info, class_name, 0));

  EXPECT_FALSE(ImeInquire(nullptr, class_name, 0));
  EXPECT_FALSE(ImeInquire(&info, nullptr, 0));
}

TEST_F(ImeExportsTest, InquireRefusesTheLogonDesktop) {
  IMEINFO info;
  wchar_t class_name[kUIClassNameUnits] = L"";
  EXPECT_FALSE(ImeInquire(&info, class_name, IME_SYSINFO_WINLOGON));
  EXPECT_FALSE(ImeInquire(&info, class_name,
                          IME_SYSINFO_WINLOGON | IME_SYSINFO_WOW16));
  EXPECT_FALSE(UIClassRegistered());
  // Other system information does not matter.
  EXPECT_TRUE(ImeInquire(&info, class_name, IME_SYSINFO_WOW16));
}

TEST_F(ImeExportsTest, SelectMakesOneContextAndDeselectDeletesIt) {
  ContextMap& map = ContextMap::Instance();
  // No engine: nothing selected, nothing kept.
  refuse_ = true;
  EXPECT_FALSE(ImeSelect(himc_, TRUE));
  EXPECT_EQ(map.Find(himc_), nullptr);
  refuse_ = false;

  ASSERT_TRUE(ImeSelect(himc_, TRUE));
  Context* context = map.Find(himc_);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(context->GetEngine(), engine_);
  INPUTCONTEXT* imc = ::ImmLockIMC(himc_);
  ASSERT_NE(imc, nullptr);
  EXPECT_TRUE(imc->fOpen);
  ::ImmUnlockIMC(himc_);

  // A second select keeps the first context.
  EngineInterface* first = engine_;
  EXPECT_FALSE(ImeSelect(himc_, TRUE));
  EXPECT_EQ(map.Find(himc_), context);
  EXPECT_EQ(context->GetEngine(), first);
  EXPECT_EQ(destroyed_, 1) << "the second engine is deleted";

  EXPECT_TRUE(ImeSelect(himc_, FALSE));
  EXPECT_EQ(map.Find(himc_), nullptr);
  EXPECT_EQ(destroyed_, 2);
  // Deselecting what was never selected still answers TRUE.
  EXPECT_TRUE(ImeSelect(himc_, FALSE));
  EXPECT_FALSE(ImeSelect(nullptr, TRUE));

  // Without a factory nothing can be selected.
  SetEngineFactory(nullptr);
  EXPECT_FALSE(ImeSelect(himc_, TRUE));
  EXPECT_EQ(map.Find(himc_), nullptr);
}

TEST_F(ImeExportsTest, KeysPassThroughWithoutAContextOrWhenTheEngineFails) {
  TestMessageList list(10);
  key_state_['A'] = 0x80;
  // No context.
  EXPECT_FALSE(ImeProcessKey(himc_, 'A', 0x1E0001, key_state_));
  EXPECT_EQ(ImeToAsciiEx('A', 0x1E, key_state_, list.get(), 0, himc_), 0u);
  EXPECT_FALSE(ImeProcessKey(nullptr, 'A', 0x1E0001, key_state_));

  ASSERT_TRUE(ImeSelect(himc_, TRUE));
  engine_->eat = true;
  EXPECT_TRUE(ImeProcessKey(himc_, 'A', 0x1E0001, key_state_));
  ASSERT_EQ(engine_->tested.size(), 1u);
  EXPECT_EQ(engine_->tested[0].virtual_key, 'A');
  EXPECT_EQ(engine_->tested[0].character, 'a');
  EXPECT_FALSE(ImeProcessKey(himc_, 'A', 0x1E0001, nullptr));

  // An engine failing on the key: not eaten, nothing sent.
  engine_->throw_on_key = true;
  EXPECT_FALSE(ImeProcessKey(himc_, 'A', 0x1E0001, key_state_));
  EXPECT_EQ(ImeToAsciiEx('A', 0x1E, key_state_, list.get(), 0, himc_), 0u);
  engine_->throw_on_key = false;
  engine_->handled.clear();

  // The engine's messages come back through the list.
  engine_->on_key = [this](const KeyEvent&) {
    engine_->Show(L"a", 1, {L"x"});
  };
  EXPECT_EQ(ImeToAsciiEx('A' | (L'a' << 16), 0x1E, key_state_, list.get(), 0,
                         himc_),
            5u);
  ASSERT_EQ(engine_->handled.size(), 1u);
  EXPECT_TRUE(engine_->handled[0].state & 1) << "key down";
  // Bit 15 of the scan code marks a release.
  engine_->on_key = nullptr;
  EXPECT_EQ(ImeToAsciiEx('A', 0x801E, key_state_, list.get(), 0, himc_), 0u);
  ASSERT_EQ(engine_->handled.size(), 2u);
  EXPECT_FALSE(engine_->handled[1].state & 1);

  // A closed context lets every key through.
  INPUTCONTEXT* imc = ::ImmLockIMC(himc_);
  imc->fOpen = FALSE;
  ::ImmUnlockIMC(himc_);
  EXPECT_FALSE(ImeProcessKey(himc_, 'A', 0x1E0001, key_state_));
  EXPECT_EQ(ImeToAsciiEx('A', 0x1E, key_state_, list.get(), 0, himc_), 0u);
}

TEST_F(ImeExportsTest, NotifyRows) {
  EXPECT_FALSE(NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_COMPLETE, 0))
      << "no context";
  ASSERT_TRUE(ImeSelect(himc_, TRUE));

  EXPECT_TRUE(NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  EXPECT_TRUE(NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_CANCEL, 0));
  EXPECT_EQ(engine_->endings, (std::vector<bool>{true, false}));
  EXPECT_TRUE(NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_CONVERT, 0));
  EXPECT_TRUE(NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_REVERT, 0));
  EXPECT_FALSE(NotifyIME(himc_, NI_COMPOSITIONSTR, 0, 0));
  EXPECT_FALSE(NotifyIME(himc_, NI_COMPOSITIONSTR, 5, 0));
  EXPECT_EQ(engine_->endings.size(), 2u);

  for (DWORD value : {IMC_SETCONVERSIONMODE, IMC_SETOPENSTATUS,
                      IMC_SETCANDIDATEPOS, IMC_SETCOMPOSITIONFONT,
                      IMC_SETCOMPOSITIONWINDOW}) {
    EXPECT_TRUE(NotifyIME(himc_, NI_CONTEXTUPDATED, 0, value)) << value;
  }
  for (DWORD value : {0, IMC_SETSENTENCEMODE, 0x0E, 0x0B, 0x22}) {
    EXPECT_FALSE(NotifyIME(himc_, NI_CONTEXTUPDATED, 0, value)) << value;
  }

  for (DWORD action : {NI_OPENCANDIDATE, NI_CLOSECANDIDATE,
                       NI_SELECTCANDIDATESTR, NI_CHANGECANDIDATELIST,
                       NI_SETCANDIDATE_PAGESTART, NI_SETCANDIDATE_PAGESIZE}) {
    EXPECT_TRUE(NotifyIME(himc_, action, 0, 0)) << action;
  }
  for (DWORD action : {NI_FINALIZECONVERSIONRESULT, 0, 1, 2, 4, 0x18, 0x100}) {
    EXPECT_FALSE(NotifyIME(himc_, action, CPS_COMPLETE, 0)) << action;
  }
  EXPECT_EQ(engine_->endings.size(), 2u);
}

TEST_F(ImeExportsTest, EscapeRows) {
  UINT question = IME_ESC_IME_NAME;
  EXPECT_EQ(ImeEscape(himc_, IME_ESC_QUERY_SUPPORT, &question), TRUE);
  EXPECT_EQ(ImeEscape(nullptr, IME_ESC_QUERY_SUPPORT, &question), TRUE);
  EXPECT_EQ(ImeEscape(himc_, IME_ESC_QUERY_SUPPORT, nullptr), 0);
  for (UINT other : {UINT{IME_ESC_QUERY_SUPPORT}, UINT{IME_ESC_SEQUENCE_TO_INTERNAL},
                     UINT{IME_ESC_GET_EUDC_DICTIONARY}, UINT{0x1007}}) {
    question = other;
    EXPECT_EQ(ImeEscape(himc_, IME_ESC_QUERY_SUPPORT, &question), FALSE)
        << other;
  }

  wchar_t name[32];
  std::wmemset(name, L'x', 32);
  EXPECT_EQ(ImeEscape(himc_, IME_ESC_IME_NAME, name), TRUE);
  EXPECT_STREQ(name, L"Tarvel Translit");
  EXPECT_EQ(ImeEscape(himc_, IME_ESC_IME_NAME, nullptr), 0);
  EXPECT_EQ(ImeEscape(himc_, IME_ESC_SEQUENCE_TO_INTERNAL, name), 0);
  EXPECT_EQ(ImeEscape(himc_, 0x1007, name), 0);
}

TEST_F(ImeExportsTest, TheRestAnswerWithoutDoingAnything) {
  EXPECT_TRUE(ImeSetActiveContext(himc_, TRUE));
  EXPECT_TRUE(ImeSetActiveContext(himc_, FALSE));
  EXPECT_TRUE(ImeConfigure(nullptr, nullptr, IME_CONFIG_GENERAL, nullptr));
  EXPECT_EQ(ImeConversionList(himc_, L"a", nullptr, 0, GCL_CONVERSION), 0u);
  EXPECT_FALSE(ImeRegisterWord(L"a", IME_REGWORD_STYLE_EUDC, L"b"));
  EXPECT_FALSE(ImeUnregisterWord(L"a", IME_REGWORD_STYLE_EUDC, L"b"));
  STYLEBUFW styles[2];
  EXPECT_EQ(ImeGetRegisterWordStyle(2, styles), 0u);
  EXPECT_EQ(ImeEnumRegisterWord(nullptr, nullptr, 0, nullptr, nullptr), 0u);
  EXPECT_FALSE(ImeSetCompositionString(himc_, SCS_SETSTR, L"a", 2, nullptr, 0));
  EXPECT_EQ(factory_calls_, 0);
}

// An engine that, as the product's engine does, updates its context from
// inside its own calls and goes on with its own state afterwards: a key
// tested adds "n" to the composition (its messages reach the window at
// once), a key handled toggles the conversion mode (the system tells the
// window during the key), ending the composition commits or cancels it.
// It counts being deleted while one of its calls was running.
class ReentrantEngine : public ScriptedEngine {
 public:
  ~ReentrantEngine() override {
    if (running_ > 0) ++*deleted_while_running;
  }
  bool ProcessKey(const KeyEvent&) override {
    ++running_;
    Show(composition + L"n", caret + 1, {L"x", L"y"});
    --running_;
    return true;
  }
  bool HandleKey(const KeyEvent&) override {
    ++running_;
    conversion = !conversion;
    Show(composition, caret, candidates, L"", kUpdateMode);
    --running_;
    return true;
  }
  void EndComposition(bool complete) override {
    ++running_;
    Show(L"", 0, {}, complete ? composition : L"");
    --running_;
  }

  int* deleted_while_running = nullptr;

 private:
  int running_ = 0;
};

// What the application's window does with a message of the input method.
std::function<void(UINT message, WPARAM wparam)> g_reaction;

LRESULT CALLBACK ReactingProc(HWND window, UINT message, WPARAM wparam,
                              LPARAM lparam) {
  if (message == WM_IME_STARTCOMPOSITION || message == WM_IME_COMPOSITION ||
      message == WM_IME_ENDCOMPOSITION || message == WM_IME_NOTIFY) {
    if (g_reaction) {
      // Held by a copy: the reaction may end itself.
      const std::function<void(UINT, WPARAM)> reaction = g_reaction;
      reaction(message, wparam);
    }
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

// Applications switch the layout or free their input context while they
// handle a message of the input method, that is inside the call of the
// input method that sent it. Every call that can send a message, every
// message, and each way of letting go of the context: nothing is deleted
// while still in use, and the input context works again afterwards.
class ReentryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    instance_ = ::GetModuleHandleW(nullptr);
    class_name_ = ime_testing::UniqueName(L"ImeExportsReentryApp");
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &ReactingProc;
    wc.hInstance = instance_;
    wc.lpszClassName = class_name_.c_str();
    ASSERT_NE(::RegisterClassExW(&wc), 0);
    window_ = ::CreateWindowExW(0, class_name_.c_str(), L"", WS_POPUP, 0, 0,
                                200, 100, nullptr, nullptr, instance_,
                                nullptr);
    ASSERT_NE(window_, nullptr);
    SetEngineFactory([this](ContextInterface* context) -> EngineInterface* {
      ++made_;
      auto* engine = new ReentrantEngine;
      engine->context = context;
      engine->destroyed = &destroyed_;
      engine->deleted_while_running = &deleted_while_running_;
      engine_ = engine;
      return engine;
    });
  }
  void TearDown() override {
    g_reaction = nullptr;
    if (himc_ != nullptr) Free(himc_);
    SetEngineFactory(nullptr);
    if (window_ != nullptr) ::DestroyWindow(window_);
    ::UnregisterClassW(class_name_.c_str(), instance_);
  }

  // A new input context of the window, selected.
  HIMC NewSelected() {
    HIMC himc = ::ImmCreateContext();
    EXPECT_NE(himc, nullptr);
    ::ImmAssociateContext(window_, himc);
    INPUTCONTEXT* imc = ::ImmLockIMC(himc);
    EXPECT_NE(imc, nullptr);
    if (imc != nullptr) {
      imc->hWnd = window_;
      ::ImmUnlockIMC(himc);
    }
    EXPECT_TRUE(ImeSelect(himc, TRUE));
    return himc;
  }
  // Deselects and frees |himc| as IMM32 does.
  void Free(HIMC himc) {
    ImeSelect(himc, FALSE);
    ::ImmAssociateContext(window_, nullptr);
    ::ImmDestroyContext(himc);
  }
  std::wstring Composition(HIMC himc) {
    wchar_t text[32] = {};
    ::ImmGetCompositionStringW(himc, GCS_COMPSTR, text,
                               sizeof(text) - sizeof(wchar_t));
    return text;
  }

  HINSTANCE instance_ = nullptr;
  std::wstring class_name_;
  HWND window_ = nullptr;
  HIMC himc_ = nullptr;
  ReentrantEngine* engine_ = nullptr;
  int made_ = 0;
  int destroyed_ = 0;
  int deleted_while_running_ = 0;
  BYTE key_state_[256] = {};
};

TEST_F(ReentryTest, DeselectingOrFreeingInsideAnyMessageOfAnyCall) {
  struct Trigger {
    const char* name;
    bool composed_first;  // a composition to end
    std::function<void(HIMC)> run;
  };
  const Trigger triggers[] = {
      {"a key tested", false,
       [this](HIMC himc) { ImeProcessKey(himc, 'N', 0x310001, key_state_); }},
      {"a key handled", true,
       [this](HIMC himc) {
         TestMessageList list(10);
         ImeToAsciiEx('N' | (L'n' << 16), 0x31, key_state_, list.get(), 0,
                      himc);
       }},
      {"NotifyIME complete", true,
       [](HIMC himc) {
         NotifyIME(himc, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
       }},
      {"NotifyIME cancel", true,
       [](HIMC himc) { NotifyIME(himc, NI_COMPOSITIONSTR, CPS_CANCEL, 0); }},
  };
  struct Target {
    const char* name;
    UINT message;
    WPARAM command;  // for WM_IME_NOTIFY; 0 for any
  };
  const Target targets[] = {
      {"the start", WM_IME_STARTCOMPOSITION, 0},
      {"a change", WM_IME_COMPOSITION, 0},
      {"the end", WM_IME_ENDCOMPOSITION, 0},
      {"the update's notification", WM_IME_NOTIFY, IMN_PRIVATE},
      {"the conversion notification", WM_IME_NOTIFY, IMN_SETCONVERSIONMODE},
  };
  enum Action { kDeselect, kFree, kSelectAgain };
  std::set<std::string> reached;
  for (const Trigger& trigger : triggers) {
    for (const Target& target : targets) {
      for (Action action : {kDeselect, kFree, kSelectAgain}) {
        SCOPED_TRACE(std::string(trigger.name) + ", " + target.name +
                     ", action " + std::to_string(action));
        himc_ = NewSelected();
        const HIMC himc = himc_;
        if (trigger.composed_first) {
          ImeProcessKey(himc, 'N', 0x310001, key_state_);
        }
        made_ = 1;
        destroyed_ = 0;
        bool acted = false;
        g_reaction = [&](UINT message, WPARAM wparam) {
          if (acted || message != target.message ||
              (target.command != 0 && wparam != target.command)) {
            return;
          }
          acted = true;
          EXPECT_TRUE(ImeSelect(himc, FALSE));
          if (action == kFree) {
            ::ImmAssociateContext(window_, nullptr);
            ::ImmDestroyContext(himc);
          } else if (action == kSelectAgain) {
            EXPECT_TRUE(ImeSelect(himc, TRUE)) << "selected again at once";
          }
          EXPECT_EQ(destroyed_, 0) << "deleted under the running call";
        };
        trigger.run(himc);
        g_reaction = nullptr;
        EXPECT_EQ(deleted_while_running_, 0);
        if (!acted) {
          Free(himc);
          himc_ = nullptr;
          continue;
        }
        reached.insert(target.name);
        EXPECT_EQ(destroyed_, 1) << "deleted once the call returned";
        if (action == kFree) {
          himc_ = nullptr;
          continue;
        }
        if (action == kDeselect) {
          EXPECT_EQ(ContextMap::Instance().Find(himc), nullptr);
          EXPECT_FALSE(ImeProcessKey(himc, 'N', 0x310001, key_state_));
          ASSERT_TRUE(ImeSelect(himc, TRUE));
        }
        // A new context with a new engine serves the input context.
        Context* context = ContextMap::Instance().Find(himc);
        ASSERT_NE(context, nullptr);
        EXPECT_EQ(made_, 2);
        EXPECT_EQ(context->GetEngine(), engine_);
        EXPECT_TRUE(ImeProcessKey(himc, 'N', 0x310001, key_state_));
        EXPECT_EQ(Composition(himc), L"n");
        Free(himc);
        himc_ = nullptr;
      }
    }
  }
  EXPECT_EQ(reached.size(), sizeof(targets) / sizeof(targets[0]))
      << "some message never reached the window";
}

}  // namespace
}  // namespace imm
}  // namespace ime_shared
