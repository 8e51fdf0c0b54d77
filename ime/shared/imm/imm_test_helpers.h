// Test doubles for the IMM32 input context: an in-memory IMM32 (input
// contexts and memory blocks, message generation, conversion status) with
// a desktop (keyboard translation, caret, windows, device contexts) behind
// the three policies, and a scripted engine.
#ifndef IME_SHARED_IMM_IMM_TEST_HELPERS_H_
#define IME_SHARED_IMM_IMM_TEST_HELPERS_H_

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/key_event.h"
#include "ime/shared/imm/context.h"
#include "ime/shared/imm/message_queue.h"

namespace ime_shared {
namespace imm {
namespace testing_helpers {

// One message as the application receives it.
struct Message {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

inline bool operator==(const Message& a, const Message& b) {
  return a.message == b.message && a.wparam == b.wparam &&
         a.lparam == b.lparam;
}

inline std::ostream& operator<<(std::ostream& out, const Message& m) {
  const char* name = "?";
  switch (m.message) {
    case WM_IME_STARTCOMPOSITION: name = "START"; break;
    case WM_IME_COMPOSITION: name = "COMPOSITION"; break;
    case WM_IME_ENDCOMPOSITION: name = "END"; break;
    case WM_IME_NOTIFY: name = "NOTIFY"; break;
  }
  return out << name << "(0x" << std::hex << m.wparam << ", 0x" << m.lparam
             << std::dec << ")";
}

inline Message Start() { return {WM_IME_STARTCOMPOSITION, 0, 0}; }
inline Message Composing() { return {WM_IME_COMPOSITION, 0, 0xB8}; }
inline Message Committed() { return {WM_IME_COMPOSITION, 0, 0x880}; }
inline Message End() { return {WM_IME_ENDCOMPOSITION, 0, 0}; }
inline Message Notify(WPARAM command, LPARAM lparam) {
  return {WM_IME_NOTIFY, command, lparam};
}
inline Message OpenCandidates() { return Notify(IMN_OPENCANDIDATE, 1); }
inline Message ChangeCandidates() { return Notify(IMN_CHANGECANDIDATE, 1); }
inline Message CloseCandidates() { return Notify(IMN_CLOSECANDIDATE, 1); }
inline Message Private(uint32_t flags) { return Notify(IMN_PRIVATE, flags); }

inline std::vector<Message> ToMessages(const TRANSMSG* messages, size_t count) {
  std::vector<Message> out;
  for (size_t i = 0; i < count; ++i) {
    out.push_back({messages[i].message, messages[i].wParam,
                   messages[i].lParam});
  }
  return out;
}

// A TRANSMSGLIST with room for |capacity| messages, followed by one spare
// entry filled with a marker that must survive.
class TestMessageList {
 public:
  explicit TestMessageList(UINT capacity)
      : storage_((offsetof(TRANSMSGLIST, TransMsg) +
                  (capacity + 1) * sizeof(TRANSMSG)) / sizeof(uint64_t) + 1) {
    get()->uMsgCount = capacity;
    TRANSMSG* spare = get()->TransMsg + capacity;
    spare->message = kMarker;
    spare->wParam = kMarker;
    spare->lParam = kMarker;
  }
  TRANSMSGLIST* get() {
    return reinterpret_cast<TRANSMSGLIST*>(storage_.data());
  }
  std::vector<Message> First(size_t count) {
    return ToMessages(get()->TransMsg, count);
  }
  bool SpareIntact() {
    const TRANSMSG* spare = get()->TransMsg + get()->uMsgCount;
    return spare->message == kMarker && spare->wParam == kMarker &&
           spare->lParam == kMarker;
  }

 private:
  static constexpr UINT kMarker = 0xA5A5A5A5;
  std::vector<uint64_t> storage_;
};

// IMM32 and the desktop in memory. One instance at a time is current; the
// Fake*Policy structs below forward to it.
class FakeImm {
 public:
  FakeImm() { current_ = this; }
  ~FakeImm() { current_ = nullptr; }
  FakeImm(const FakeImm&) = delete;
  FakeImm& operator=(const FakeImm&) = delete;

  static FakeImm& Current() { return *current_; }

  // A new input context as IMM32 makes one: all zero, candidate forms not
  // set (dwIndex ~0), window |window|.
  HIMC NewContext(HWND window = nullptr) {
    auto state = std::make_unique<ContextState>();
    std::memset(&state->imc, 0, sizeof(INPUTCONTEXT));
    for (CANDIDATEFORM& form : state->imc.cfCandForm) form.dwIndex = ~0u;
    state->imc.hWnd = window;
    HIMC himc = reinterpret_cast<HIMC>(
        static_cast<uintptr_t>(0x10000 + 0x10 * (contexts_.size() + 1)));
    contexts_[himc] = std::move(state);
    return himc;
  }

  INPUTCONTEXT& Imc(HIMC himc) { return contexts_.at(himc)->imc; }

  // A block's bytes (without the guard bytes behind it).
  std::vector<uint8_t> Bytes(HIMCC block) {
    const Block& b = *blocks_.at(block);
    return std::vector<uint8_t>(b.bytes.begin(), b.bytes.begin() + b.size);
  }
  template <typename T>
  T* As(HIMCC block) {
    return reinterpret_cast<T*>(blocks_.at(block)->bytes.data());
  }
  bool HasBlock(HIMCC block) const { return blocks_.count(block) != 0; }
  DWORD SizeOf(HIMCC block) const { return blocks_.at(block)->size; }
  // A block made by the test, filled with |fill|.
  HIMCC MakeBlock(DWORD size, uint8_t fill) {
    HIMCC block = CreateIMCC(size);
    std::memset(blocks_.at(block)->bytes.data(), fill, size);
    return block;
  }

  // Locks not yet undone, over all contexts and blocks.
  int OutstandingLocks() const {
    int locks = 0;
    for (const auto& entry : contexts_) locks += entry.second->locks;
    for (const auto& entry : blocks_) locks += entry.second->locks;
    return locks;
  }
  // Whether every block's guard bytes are as they were made.
  bool GuardsIntact() const {
    for (const auto& entry : blocks_) {
      const Block& b = *entry.second;
      for (size_t i = b.size; i < b.bytes.size(); ++i) {
        if (b.bytes[i] != kGuard) return false;
      }
    }
    return true;
  }

  // Failures to inject.
  std::set<HIMC> unlockable_contexts;
  std::set<HIMCC> unlockable_blocks;
  bool fail_create = false;
  bool fail_resize = false;

  // Messages delivered by GenerateMessage, in order, and the calls.
  std::vector<Message> generated;
  int generate_calls = 0;
  // Runs inside GenerateMessage, after the messages are taken (the
  // application reacting to them).
  std::function<void()> on_generate;
  // SetConversionStatus calls: {conversion, sentence}.
  std::vector<std::pair<DWORD, DWORD>> conversion_sets;

  // The desktop.
  std::function<int(UINT vk, const BYTE* state, WORD* out)> to_ascii =
      &DefaultToAscii;
  std::vector<UINT> scan_codes;  // what ToAscii was given
  POINT caret = {0, 0};
  bool has_caret = false;
  std::map<HWND, POINT> windows;  // live windows: their client origins
  LONG screen_font_height = -13;
  std::map<HWND, LONG> window_font_heights;  // lfHeight of the window's DC font
  int dcs_out = 0;
  int dcs_taken = 0;

  // Lock policy.
  INPUTCONTEXT* LockIMC(HIMC himc) {
    auto it = contexts_.find(himc);
    if (it == contexts_.end() || unlockable_contexts.count(himc)) {
      return nullptr;
    }
    ++it->second->locks;
    return &it->second->imc;
  }
  void UnlockIMC(HIMC himc) {
    ContextState& state = *contexts_.at(himc);
    EXPECT_GT(state.locks, 0) << "unlock without lock";
    --state.locks;
  }
  HIMCC CreateIMCC(DWORD size) {
    if (fail_create) return nullptr;
    auto block = std::make_unique<Block>();
    block->size = size;
    block->bytes.assign(size + kGuardBytes, kGuard);
    std::memset(block->bytes.data(), 0, size);
    HIMCC handle = reinterpret_cast<HIMCC>(
        static_cast<uintptr_t>(0x800000 + 0x10 * ++block_serial_));
    blocks_[handle] = std::move(block);
    return handle;
  }
  // Moves the block to a new handle, as a reallocation may.
  HIMCC ReSizeIMCC(HIMCC handle, DWORD size) {
    if (fail_resize || !blocks_.count(handle)) return nullptr;
    EXPECT_EQ(blocks_.at(handle)->locks, 0) << "resizing a locked block";
    std::vector<uint8_t> old = Bytes(handle);
    blocks_.erase(handle);
    const bool failing = fail_create;
    fail_create = false;
    HIMCC moved = CreateIMCC(size);
    fail_create = failing;
    std::memcpy(blocks_.at(moved)->bytes.data(), old.data(),
                std::min<size_t>(old.size(), size));
    return moved;
  }
  DWORD GetIMCCSize(HIMCC handle) {
    auto it = blocks_.find(handle);
    return it != blocks_.end() ? it->second->size : 0;
  }
  void* LockIMCC(HIMCC handle) {
    auto it = blocks_.find(handle);
    if (it == blocks_.end() || unlockable_blocks.count(handle)) return nullptr;
    ++it->second->locks;
    return it->second->bytes.data();
  }
  void UnlockIMCC(HIMCC handle) {
    Block& block = *blocks_.at(handle);
    EXPECT_GT(block.locks, 0) << "unlock without lock";
    --block.locks;
  }

  // Message policy.
  bool GenerateMessage(HIMC himc) {
    ++generate_calls;
    INPUTCONTEXT& imc = Imc(himc);
    if (imc.dwNumMsgBuf > 0) {
      EXPECT_GE(GetIMCCSize(imc.hMsgBuf), imc.dwNumMsgBuf * sizeof(TRANSMSG));
      std::vector<Message> taken =
          ToMessages(As<TRANSMSG>(imc.hMsgBuf), imc.dwNumMsgBuf);
      imc.dwNumMsgBuf = 0;
      generated.insert(generated.end(), taken.begin(), taken.end());
    }
    if (on_generate) on_generate();
    return true;
  }
  bool GetConversionStatus(HIMC himc, DWORD* conversion, DWORD* sentence) {
    INPUTCONTEXT& imc = Imc(himc);
    *conversion = imc.fdwConversion;
    *sentence = imc.fdwSentence;
    return true;
  }
  bool SetConversionStatus(HIMC himc, DWORD conversion, DWORD sentence) {
    conversion_sets.push_back({conversion, sentence});
    Imc(himc).fdwConversion = conversion;
    Imc(himc).fdwSentence = sentence;
    return true;
  }

  // Desktop policy.
  int ToAscii(UINT vk, UINT scan, const BYTE* state, WORD* out) {
    scan_codes.push_back(scan);
    return to_ascii(vk, state, out);
  }
  HDC GetDC(HWND window) {
    ++dcs_out;
    ++dcs_taken;
    // A device context names its window: the screen's is 1.
    return reinterpret_cast<HDC>(window != nullptr
                                     ? reinterpret_cast<uintptr_t>(window) + 1
                                     : 1);
  }
  void ReleaseDC(HWND window, HDC dc) {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(dc),
              window != nullptr ? reinterpret_cast<uintptr_t>(window) + 1 : 1)
        << "released to another window";
    --dcs_out;
  }
  bool GetCurrentFont(HDC dc, LOGFONTW* font) {
    std::memset(font, 0, sizeof(*font));
    if (reinterpret_cast<uintptr_t>(dc) == 1) {
      font->lfHeight = screen_font_height;
      std::wcscpy(font->lfFaceName, L"ScreenFont");
      return true;
    }
    HWND window = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(dc) - 1);
    auto it = window_font_heights.find(window);
    if (it == window_font_heights.end()) return false;
    font->lfHeight = it->second;
    return true;
  }
  bool GetCaretPos(POINT* point) {
    if (!has_caret) return false;
    *point = caret;
    return true;
  }
  bool ClientToScreen(HWND window, POINT* point) {
    auto it = windows.find(window);
    if (it == windows.end()) return false;
    point->x += it->second.x;
    point->y += it->second.y;
    return true;
  }
  bool IsWindow(HWND window) { return windows.count(window) != 0; }

  // A US keyboard for letters, digits and space; Ctrl+letter gives the
  // control character; function keys give nothing but leave junk in the
  // buffer; VK_OEM_7 gives a character above 127.
  static int DefaultToAscii(UINT vk, const BYTE* state, WORD* out) {
    const bool shift = (state[VK_SHIFT] & 0x80) != 0;
    const bool caps = (state[VK_CAPITAL] & 0x01) != 0;
    const bool control = (state[VK_CONTROL] & 0x80) != 0;
    if (vk >= 'A' && vk <= 'Z') {
      if (control) {
        out[0] = static_cast<WORD>(vk - 'A' + 1);
      } else {
        out[0] = static_cast<WORD>(shift != caps ? vk : vk - 'A' + 'a');
      }
      return 1;
    }
    if ((vk >= '0' && vk <= '9') || vk == VK_SPACE) {
      out[0] = static_cast<WORD>(vk);
      return 1;
    }
    if (vk == VK_OEM_7) {
      out[0] = 0xE9;
      return 1;
    }
    out[0] = 'Z';
    return 0;
  }

 private:
  static constexpr uint8_t kGuard = 0xCD;
  static constexpr size_t kGuardBytes = 64;

  struct ContextState {
    INPUTCONTEXT imc;
    int locks = 0;
  };
  struct Block {
    DWORD size = 0;
    std::vector<uint8_t> bytes;
    int locks = 0;
  };

  static inline FakeImm* current_ = nullptr;
  std::map<HIMC, std::unique_ptr<ContextState>> contexts_;
  std::map<HIMCC, std::unique_ptr<Block>> blocks_;
  int block_serial_ = 0;
};

struct FakeLockPolicy {
  static INPUTCONTEXT* LockIMC(HIMC himc) {
    return FakeImm::Current().LockIMC(himc);
  }
  static void UnlockIMC(HIMC himc) { FakeImm::Current().UnlockIMC(himc); }
  static HIMCC CreateIMCC(DWORD size) {
    return FakeImm::Current().CreateIMCC(size);
  }
  static HIMCC ReSizeIMCC(HIMCC block, DWORD size) {
    return FakeImm::Current().ReSizeIMCC(block, size);
  }
  static DWORD GetIMCCSize(HIMCC block) {
    return FakeImm::Current().GetIMCCSize(block);
  }
  static void* LockIMCC(HIMCC block) {
    return FakeImm::Current().LockIMCC(block);
  }
  static void UnlockIMCC(HIMCC block) { FakeImm::Current().UnlockIMCC(block); }
};

struct FakeMessagePolicy {
  static bool GenerateMessage(HIMC himc) {
    return FakeImm::Current().GenerateMessage(himc);
  }
  static bool GetConversionStatus(HIMC himc, DWORD* conversion,
                                  DWORD* sentence) {
    return FakeImm::Current().GetConversionStatus(himc, conversion, sentence);
  }
  static bool SetConversionStatus(HIMC himc, DWORD conversion,
                                  DWORD sentence) {
    return FakeImm::Current().SetConversionStatus(himc, conversion, sentence);
  }
};

struct FakeDesktopPolicy {
  // A scan code that cannot be mistaken for the virtual key.
  static UINT ScanCodeOf(UINT virtual_key) { return virtual_key + 0x100; }
  static int ToAscii(UINT virtual_key, UINT scan_code, const BYTE* key_state,
                     WORD* out) {
    return FakeImm::Current().ToAscii(virtual_key, scan_code, key_state, out);
  }
  static HDC GetDC(HWND window) { return FakeImm::Current().GetDC(window); }
  static void ReleaseDC(HWND window, HDC dc) {
    FakeImm::Current().ReleaseDC(window, dc);
  }
  static bool GetCurrentFont(HDC dc, LOGFONTW* font) {
    return FakeImm::Current().GetCurrentFont(dc, font);
  }
  static bool GetCaretPos(POINT* point) {
    return FakeImm::Current().GetCaretPos(point);
  }
  static bool ClientToScreen(HWND window, POINT* point) {
    return FakeImm::Current().ClientToScreen(window, point);
  }
  static bool IsWindow(HWND window) {
    return FakeImm::Current().IsWindow(window);
  }
};

using TestQueue = MessageQueueT<FakeLockPolicy, FakeMessagePolicy>;
using TestContext = ContextT<FakeLockPolicy, TestQueue, FakeDesktopPolicy>;

// An engine whose state the test sets; Show() sets it and updates the
// context, as the real engine does after a command.
class ScriptedEngine : public EngineInterface {
 public:
  ~ScriptedEngine() override {
    if (destroyed != nullptr) ++*destroyed;
    if (on_destroy) on_destroy();
  }

  // Sets composition, caret, result and candidates, then updates the
  // context with |flags| (when there is a context).
  int32_t Show(const std::wstring& new_composition, int32_t new_caret,
               const std::vector<std::wstring>& new_candidates,
               const std::wstring& new_result = std::wstring(),
               uint32_t flags = kUpdateCompositionAndResult |
                                kUpdateCandidateList) {
    composition = new_composition;
    caret = new_caret;
    candidates = new_candidates;
    result = new_result;
    return context != nullptr ? context->Update(flags) : 0;
  }

  bool ProcessKey(const KeyEvent& key) override {
    if (throw_on_key) throw std::runtime_error("engine failure");
    tested.push_back(key);
    return eat;
  }
  bool HandleKey(const KeyEvent& key) override {
    handled.push_back(key);
    if (on_key) on_key(key);
    if (throw_on_key) throw std::runtime_error("engine failure");
    return true;
  }
  bool MoveCaret(int32_t, int32_t) override { return false; }
  bool SelectCandidate(int32_t, bool) override { return false; }
  void EndComposition(bool) override {}
  void Noop() override {}
  bool ResizePage(int32_t) override { return false; }
  const std::wstring& GetComposition() const override {
    if (throw_on_read) throw std::runtime_error("engine failure");
    return composition;
  }
  int32_t GetCaret() const override { return caret; }
  const std::wstring& GetResult() const override { return result; }
  int32_t CandidateCount() const override {
    return static_cast<int32_t>(candidates.size());
  }
  int32_t CandidateSelection() const override { return selection; }
  std::wstring CandidateAt(int32_t i) const override {
    return i >= 0 && i < CandidateCount() ? candidates[i] : std::wstring();
  }
  bool GetConversionMode(int32_t which) const override {
    if (throw_on_read) throw std::runtime_error("engine failure");
    return which == 0 ? conversion : sentence;
  }
  void SetConversionMode(int32_t which, int32_t value) override {
    mode_sets.push_back({which, value});
  }

  ContextInterface* context = nullptr;
  std::wstring composition;
  int32_t caret = 0;
  std::wstring result;
  std::vector<std::wstring> candidates;
  int32_t selection = 0;
  bool conversion = true;
  bool sentence = false;
  bool eat = false;
  bool throw_on_key = false;
  bool throw_on_read = false;
  std::vector<KeyEvent> tested;
  std::vector<KeyEvent> handled;
  std::vector<std::pair<int32_t, int32_t>> mode_sets;
  std::function<void(const KeyEvent&)> on_key;
  std::function<void()> on_destroy;
  int* destroyed = nullptr;
};

// A UI manager that records what it is told.
class RecordingUIManager : public UIManagerInterface {
 public:
  void AttachEngine(ContextInterface* context) override {
    attached.push_back(context);
  }
  void SetOption(int32_t option, int32_t value) override {}
  void Update(uint32_t flags) override { updates.push_back(flags); }
  bool GetCandidateRect() override { return false; }

  std::vector<ContextInterface*> attached;
  std::vector<uint32_t> updates;
};

}  // namespace testing_helpers
}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_IMM_TEST_HELPERS_H_
