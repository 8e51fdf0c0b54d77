// The product's context (the Windows policies) on a real input context of
// the system's IMM32: what it writes is what the application reads back
// through ImmGetCompositionStringW and ImmGetCandidateListW, and its
// messages reach the context's window.
#include "ime/shared/imm/imm_policies.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/imm/context.h"
#include "ime/shared/imm/imm_test_helpers.h"
#include "ime/shared/testing/child_process.h"

namespace ime_shared {
namespace imm {
namespace {

using testing_helpers::ChangeCandidates;
using testing_helpers::CloseCandidates;
using testing_helpers::Committed;
using testing_helpers::Composing;
using testing_helpers::End;
using testing_helpers::Message;
using testing_helpers::OpenCandidates;
using testing_helpers::Private;
using testing_helpers::ScriptedEngine;
using testing_helpers::Start;
using testing_helpers::TestMessageList;

using Messages = std::vector<Message>;

// What the application window received.
Messages g_received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam,
                               LPARAM lparam) {
  switch (message) {
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_NOTIFY:
      g_received.push_back({message, wparam, lparam});
      return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

class WindowsContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received.clear();
    class_name_ = ime_testing::UniqueName(L"ImmPoliciesTest");
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    // A device context of its own keeps the font selected below.
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = &RecordingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = class_name_.c_str();
    ASSERT_NE(::RegisterClassExW(&wc), 0);
    window_ = ::CreateWindowExW(0, class_name_.c_str(), L"", WS_POPUP, 120,
                                80, 400, 200, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    font_ = ::CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                          0, 0, 0, 0, L"Tahoma");
    HDC dc = ::GetDC(window_);
    ::SelectObject(dc, font_);
    ::ReleaseDC(window_, dc);

    himc_ = ::ImmCreateContext();
    ASSERT_NE(himc_, nullptr);
    INPUTCONTEXT* imc = ::ImmLockIMC(himc_);
    ASSERT_NE(imc, nullptr);
    imc->hWnd = window_;
    ::ImmUnlockIMC(himc_);

    context_ = std::make_unique<Context>(himc_, new WindowsMessageQueue(himc_));
    engine_ = new ScriptedEngine;
    engine_->context = context_.get();
  }

  void TearDown() override {
    context_.reset();
    if (himc_ != nullptr) ::ImmDestroyContext(himc_);
    if (window_ != nullptr) ::DestroyWindow(window_);
    if (font_ != nullptr) ::DeleteObject(font_);
    ::UnregisterClassW(class_name_.c_str(), ::GetModuleHandleW(nullptr));
  }

  Messages TakeReceived() {
    Messages taken = g_received;
    g_received.clear();
    return taken;
  }

  std::wstring CompositionString(DWORD index) {
    const LONG bytes = ::ImmGetCompositionStringW(himc_, index, nullptr, 0);
    if (bytes <= 0) return std::wstring();
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    ::ImmGetCompositionStringW(himc_, index, &text[0], bytes);
    return text;
  }

  std::vector<std::wstring> CandidateStrings(DWORD* selection) {
    const DWORD bytes = ::ImmGetCandidateListW(himc_, 0, nullptr, 0);
    std::vector<std::wstring> strings;
    if (bytes == 0) return strings;
    std::vector<BYTE> buffer(bytes);
    auto* list = reinterpret_cast<CANDIDATELIST*>(buffer.data());
    EXPECT_EQ(::ImmGetCandidateListW(himc_, 0, list, bytes), bytes);
    *selection = list->dwSelection;
    const DWORD* offsets = list->dwOffset;
    for (DWORD i = 0; i < list->dwCount; ++i) {
      strings.push_back(reinterpret_cast<const wchar_t*>(buffer.data() +
                                                         offsets[i]));
    }
    return strings;
  }

  std::wstring class_name_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HIMC himc_ = nullptr;
  std::unique_ptr<Context> context_;
  ScriptedEngine* engine_ = nullptr;
};

TEST_F(WindowsContextTest, ApplicationReadsWhatTheContextWrites) {
  ASSERT_TRUE(context_->Attach(engine_));
  INPUTCONTEXT* imc = ::ImmLockIMC(himc_);
  ASSERT_NE(imc, nullptr);
  EXPECT_EQ(::ImmGetIMCCSize(imc->hCompStr), 2616u);
  EXPECT_EQ(::ImmGetIMCCSize(imc->hCandInfo), 10208u);
  EXPECT_NE(imc->fdwInit & INIT_LOGFONT, 0u);
  ::ImmUnlockIMC(himc_);
  EXPECT_TRUE(::ImmGetOpenStatus(himc_));
  DWORD conversion = 0;
  DWORD sentence = 0;
  ASSERT_TRUE(::ImmGetConversionStatus(himc_, &conversion, &sentence));
  EXPECT_EQ(conversion, static_cast<DWORD>(IME_CMODE_NATIVE));

  // Typing: the composition and two candidates.
  engine_->selection = 1;
  EXPECT_EQ(engine_->Show(L"namaste", 7, {L"नमस्ते", L"नमस्कार"}), 1);
  EXPECT_EQ(TakeReceived(), (Messages{Start(), Composing(), OpenCandidates(),
                                      ChangeCandidates(), Private(0x0F)}));
  EXPECT_EQ(CompositionString(GCS_COMPSTR), L"namaste");
  EXPECT_EQ(::ImmGetCompositionStringW(himc_, GCS_CURSORPOS, nullptr, 0), 7);
  EXPECT_EQ(::ImmGetCompositionStringW(himc_, GCS_COMPATTR, nullptr, 0), 7);
  DWORD selection = 99;
  EXPECT_EQ(CandidateStrings(&selection),
            (std::vector<std::wstring>{L"नमस्ते", L"नमस्कार"}));
  EXPECT_EQ(selection, 1u);
  EXPECT_EQ(::ImmGetCandidateListCountW(himc_, &selection) > 0, true);

  // The commit.
  engine_->Show(L"", 0, {}, L"नमस्ते ");
  EXPECT_EQ(TakeReceived(), (Messages{Committed(), End(), CloseCandidates(),
                                      Private(0x0F)}));
  EXPECT_EQ(CompositionString(GCS_RESULTSTR), L"नमस्ते ");
  EXPECT_EQ(CompositionString(GCS_COMPSTR), L"");

  // A mode change reaches the context's conversion status.
  engine_->conversion = false;
  context_->Update(0x10);
  ASSERT_TRUE(::ImmGetConversionStatus(himc_, &conversion, &sentence));
  EXPECT_EQ(conversion, 0u);
  EXPECT_EQ(TakeReceived().back(), Private(0x10));
}

TEST_F(WindowsContextTest, KeyMessagesBeyondTheListGoThroughHMsgBuf) {
  ASSERT_TRUE(context_->Attach(engine_));
  engine_->on_key = [this](const KeyEvent&) {
    engine_->Show(L"n", 1, {L"न"});
  };
  BYTE keys[256] = {};
  keys['N'] = 0x80;
  TestMessageList list(2);
  const Messages expected = {Start(), Composing(), OpenCandidates(),
                             ChangeCandidates(), Private(0x0F)};
  ASSERT_EQ(context_->ToAsciiEx('N', 0x31, keys, list.get()), 5u);
  EXPECT_TRUE(g_received.empty()) << "the caller delivers them";
  INPUTCONTEXT* imc = ::ImmLockIMC(himc_);
  ASSERT_NE(imc, nullptr);
  EXPECT_EQ(imc->dwNumMsgBuf, 5u);
  ::ImmUnlockIMC(himc_);
  // What IMM32 then does: send everything in hMsgBuf.
  ASSERT_TRUE(::ImmGenerateMessage(himc_));
  EXPECT_EQ(TakeReceived(), expected);
  EXPECT_EQ(CompositionString(GCS_COMPSTR), L"n");
}

TEST_F(WindowsContextTest, KeyboardTranslation) {
  engine_->eat = true;
  ASSERT_TRUE(context_->Attach(engine_));
  BYTE keys[256] = {};
  keys['A'] = 0x80;
  EXPECT_TRUE(context_->ProcessKey('A', keys));
  keys[VK_SHIFT] = 0x80;
  keys[VK_LSHIFT] = 0x80;
  context_->ProcessKey('A', keys);
  BYTE function_key[256] = {};
  function_key[VK_F1] = 0x80;
  context_->ProcessKey(VK_F1, function_key);
  ASSERT_EQ(engine_->tested.size(), 3u);
  EXPECT_EQ(engine_->tested[0].character, 'a');
  EXPECT_EQ(engine_->tested[0].state, KeyEvent::kDown);
  EXPECT_EQ(engine_->tested[1].character, 'A');
  EXPECT_EQ(engine_->tested[1].state,
            KeyEvent::kDown | KeyEvent::kShift | KeyEvent::kLeftShift);
  EXPECT_EQ(engine_->tested[2].character, 0);
  EXPECT_EQ(engine_->tested[2].virtual_key, VK_F1);
}

TEST_F(WindowsContextTest, CaretRectangleOnTheScreen) {
  ASSERT_TRUE(context_->Attach(engine_));
  ASSERT_TRUE(::CreateCaret(window_, nullptr, 1, 20));
  ASSERT_TRUE(::SetCaretPos(30, 40));
  POINT origin = {0, 0};
  ASSERT_TRUE(::ClientToScreen(window_, &origin));
  INPUTCONTEXT* imc = ::ImmLockIMC(himc_);
  ASSERT_NE(imc, nullptr);
  imc->fdwInit &= ~static_cast<DWORD>(INIT_COMPFORM);
  ::ImmUnlockIMC(himc_);

  // No composition form set: at the caret, as tall as the window's font.
  context_->SetFlag(kFlagCompositionWindow, true);
  RECT rect = {};
  ASSERT_TRUE(context_->GetCaretRect(nullptr, &rect));
  EXPECT_EQ(rect.left, origin.x + 30);
  EXPECT_EQ(rect.right, origin.x + 30);
  EXPECT_EQ(rect.top, origin.y + 40);
  EXPECT_EQ(rect.bottom, origin.y + 60);

  COMPOSITIONFORM composition = {CFS_POINT, {10, 12}, {0, 0, 0, 0}};
  ASSERT_TRUE(::ImmSetCompositionWindow(himc_, &composition));
  // Windows' IMM32 marks the form as set; Wine 8's leaves fdwInit alone.
  imc = ::ImmLockIMC(himc_);
  ASSERT_NE(imc, nullptr);
  imc->fdwInit |= INIT_COMPFORM;
  ::ImmUnlockIMC(himc_);
  ASSERT_TRUE(context_->GetCaretRect(nullptr, &rect));
  EXPECT_EQ(rect.left, origin.x + 10);
  EXPECT_EQ(rect.top, origin.y + 12);
  EXPECT_EQ(rect.bottom, origin.y + 32);

  CANDIDATEFORM candidate = {0, CFS_CANDIDATEPOS, {15, 16}, {0, 0, 0, 0}};
  ASSERT_TRUE(::ImmSetCandidateWindow(himc_, &candidate));
  context_->SetFlag(kFlagCandidateWindow, true);
  ASSERT_TRUE(context_->GetCaretRect(nullptr, &rect));
  EXPECT_EQ(rect.left, origin.x + 15);
  EXPECT_EQ(rect.top, origin.y + 16);
  EXPECT_EQ(rect.bottom, origin.y + 16);
  ::DestroyCaret();
}

}  // namespace
}  // namespace imm
}  // namespace ime_shared
