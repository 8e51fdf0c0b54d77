// The IMM32 input context: one object per HIMC that selected the input
// method. It owns the engine and a message queue and is the engine's
// ContextInterface: every Update turns what the engine holds into the
// input context's composition-string and candidate-info blocks (blocks.h)
// and into WM_IME_* messages for the application, ending with an
// IMN_PRIVATE notification that carries the update flags to the IME UI
// window and its UI manager.
//
// All system calls go through policies (imm_policies.h), so that the
// context runs over plain memory in tests; the product's type is
// ime_shared::imm::Context.
//
// Every public operation is reached from an IMM32 export or the UI window
// and therefore never throws: a failure answers "nothing done" (false, 0,
// no messages), and a key then goes to the application.
//
// The application may deselect the input context while it handles a
// message the context sends, that is inside one of the context's own
// calls. The map then marks the context removed (MarkRemoved) and frees it
// only when the outermost call into the module has returned (see
// base::ModuleCallScope); the calls still running stop touching the engine
// and the input context as soon as they see the mark.
#ifndef IME_SHARED_IMM_CONTEXT_H_
#define IME_SHARED_IMM_CONTEXT_H_

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/base/module_call_scope.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/key_event.h"
#include "ime/shared/frontend/ui_manager_interface.h"
#include "ime/shared/imm/blocks.h"
#include "ime/shared/imm/imm_policies.h"
#include "ime/shared/imm/key_packing.h"
#include "ime/shared/imm/message_queue.h"
#include "ime/shared/imm/scoped_imm_locks.h"

namespace ime_shared {
namespace imm {

// The flags a context keeps for its IME UI window (GetFlag, SetFlag).
enum ContextFlag : int32_t {
  // The application positions the composition window.
  kFlagCompositionWindow = 1,
  // The application positions the candidate window.
  kFlagCandidateWindow = 2,
  // An Update has run whose IMN_PRIVATE the UI window has not handled yet.
  kFlagUpdatePending = 3,
};

// lParam of WM_IME_COMPOSITION: a composition changed, or a result came.
constexpr LPARAM kCompositionChanged =
    GCS_COMPSTR | GCS_COMPATTR | GCS_COMPCLAUSE | GCS_CURSORPOS;
constexpr LPARAM kResultCommitted = GCS_RESULTSTR | GCS_CURSORPOS;
static_assert(kCompositionChanged == 0xB8, "composition change");
static_assert(kResultCommitted == 0x880, "result");

// The caret rectangle's height when no font height is known.
constexpr LONG kDefaultFontHeight = 16;

// Finds the UI manager that shows an input context, for a process where no
// IME UI window relays the context's IMN_PRIVATE notifications (a host that
// drives the input method itself). With a finder set, Update also hands its
// flags to the manager found and ends the pending update itself. The IME UI
// window, which owns its manager and handles IMN_PRIVATE, sets none.
class UIManagerFinder {
 public:
  virtual ~UIManagerFinder() = default;
  // The manager showing |himc|, or null.
  virtual UIManagerInterface* FindUIManager(HIMC himc) = 0;
};

// Writes one log line that |operation| of an input context failed on an
// exception. Never throws.
void LogContextFailure(const char* operation) noexcept;

template <typename LockPolicy, typename MessageQueue,
          typename DesktopPolicy = WindowsDesktopPolicy>
class ContextT : public ContextInterface {
 public:
  using Queue = MessageQueue;
  using MessagePolicy = typename MessageQueue::MessagePolicy;

  // A context of |himc| without an engine; it owns |queue|.
  ContextT(HIMC himc, MessageQueue* queue) : himc_(himc), queue_(queue) {}

  // Deletes the queue, then the engine. An Update that the engine's
  // destruction might cause finds neither and does nothing.
  ~ContextT() override {
    MessageQueue* queue = queue_;
    queue_ = nullptr;
    delete queue;
    EngineInterface* engine = engine_;
    engine_ = nullptr;
    delete engine;
  }

  ContextT(const ContextT&) = delete;
  ContextT& operator=(const ContextT&) = delete;

  HIMC himc() const { return himc_; }
  MessageQueue* queue() const { return queue_; }

  // The context was deselected (the map no longer holds it) while calls on
  // it may still be running: from now on it sends nothing, answers every
  // key "not eaten" and leaves the engine and the input context alone.
  void MarkRemoved() noexcept {
    removed_ = true;
    if (queue_ != nullptr) queue_->Close();
  }
  bool removed() const { return removed_; }

  // Takes |engine| (deleting a different one held before) and prepares the
  // input context: default conversion mode and font where the application
  // set none, both blocks sized and initialised, the engine's conversion
  // status, open. False when the context or a block cannot be prepared.
  bool Attach(EngineInterface* engine) noexcept {
    try {
      if (removed_) return false;
      if (engine != engine_) {
        EngineInterface* previous = engine_;
        engine_ = engine;
        delete previous;
      }
      if (engine_ == nullptr) return false;
      ScopedIMC<LockPolicy> context(himc_);
      if (!context) return false;
      SetDefaults(context.get());
      if (!PrepareBlock(&context->hCompStr, kCompositionBlockSize,
                        &InitCompositionBlock) ||
          !PrepareBlock(&context->hCandInfo, kCandidateBlockSize,
                        &InitCandidateBlock)) {
        return false;
      }
      context->fdwConversion = ConversionOf(*engine_);
      context->fdwSentence = SentenceOf(*engine_);
      context->fOpen = TRUE;
      return true;
    } catch (...) {
      LogContextFailure("Attach");
      return false;
    }
  }

  // ImeProcessKey: whether the input method eats the key. FALSE while the
  // context is closed or cannot be locked, and once it is deselected (keys
  // then pass through).
  BOOL ProcessKey(UINT virtual_key, const BYTE* key_state) noexcept {
    base::ModuleCallScope call;
    try {
      if (engine_ == nullptr || key_state == nullptr || !IsOpen()) {
        return FALSE;
      }
      const KeyEvent event = PackKey<DesktopPolicy>(
          virtual_key, key_state, IsKeyDown(key_state, virtual_key));
      const bool eaten = engine_->ProcessKey(event);
      // Deselected meanwhile: nothing will handle the key.
      return eaten && !removed_ ? TRUE : FALSE;
    } catch (...) {
      LogContextFailure("ProcessKey");
      return FALSE;
    }
  }

  // ImeToAsciiEx: handles the key and returns the number of messages for
  // the application: in |list| when they fit, else all of them in hMsgBuf.
  // A key is down unless bit 15 of |scan_code| is set. 0 while the context
  // is closed or cannot be locked.
  UINT ToAsciiEx(UINT virtual_key, UINT scan_code, const BYTE* key_state,
                 TRANSMSGLIST* list) noexcept {
    base::ModuleCallScope call;
    if (engine_ == nullptr || queue_ == nullptr || key_state == nullptr ||
        !IsOpen()) {
      return 0;
    }
    // Messages left from work outside a key go out first.
    queue_->Flush();
    if (removed_) return 0;
    queue_->Attach(list);
    const KeyEvent event =
        ToAsciiExKey(virtual_key, key_state, (scan_code & 0x8000) == 0);
    try {
      engine_->HandleKey(event);
    } catch (...) {
      // What was queued before the failure still goes out.
      LogContextFailure("ToAsciiEx");
    }
    // A context deselected during the key sends none of its messages (its
    // closed queue answers 0).
    return queue_->Detach();
  }

  // Gives the engine the input context's conversion and sentence modes
  // (after the application changed them).
  void ReadConversionStatus() noexcept {
    base::ModuleCallScope call;
    try {
      if (engine_ == nullptr || removed_) return;
      DWORD conversion = 0;
      DWORD sentence = 0;
      if (!MessagePolicy::GetConversionStatus(himc_, &conversion, &sentence)) {
        return;
      }
      engine_->SetConversionMode(0, static_cast<int32_t>(conversion));
      if (removed_) return;
      engine_->SetConversionMode(1, static_cast<int32_t>(sentence));
    } catch (...) {
      LogContextFailure("ReadConversionStatus");
    }
  }

  // The input context's fOpen; false when it cannot be locked, and once the
  // context is removed.
  bool IsOpen() noexcept {
    if (removed_) return false;
    ScopedIMC<LockPolicy> context(himc_);
    return context && context->fOpen != FALSE;
  }

  // Sets flag |index| (ContextFlag); the UI window keeps them.
  void SetFlag(int32_t index, bool value) {
    if (index >= 0 && index < kFlagCount) flags_[index] = value;
  }

  // A UI manager to call from Update (see UIManagerFinder); not owned.
  void SetUIManagerFinder(UIManagerFinder* finder) { finder_ = finder; }

  // ContextInterface.

  // Fills the blocks for |flags| (UpdateFlags), queues the messages, sets
  // the conversion status for a mode change, queues IMN_PRIVATE(flags) last
  // and sends what is queued unless a key's list is attached. Marks the
  // update pending until the UI window handles that IMN_PRIVATE; 0 (and no
  // longer pending) when the context or its blocks cannot be locked.
  int32_t Update(uint32_t flags) noexcept override {
    base::ModuleCallScope call;
    if (engine_ == nullptr || queue_ == nullptr || removed_) return 0;
    flags_[kFlagUpdatePending] = true;
    try {
      if (!Fill(flags)) {
        flags_[kFlagUpdatePending] = false;
        return 0;
      }
      // The application deselected the context while it handled the
      // messages: the update went out, nothing else is the context's now.
      if (removed_) return 1;
      if (finder_ != nullptr) {
        if (UIManagerInterface* manager = finder_->FindUIManager(himc_)) {
          manager->Update(flags);
          flags_[kFlagUpdatePending] = false;
        }
      }
      return 1;
    } catch (...) {
      LogContextFailure("Update");
      flags_[kFlagUpdatePending] = false;
      return 0;
    }
  }

  bool IsTextServiceContext() const override { return false; }

  EngineInterface* GetEngine() override { return engine_; }

  // The screen rectangle below which the candidate window goes: from the
  // candidate form while the application positions the candidate window,
  // from the composition form while it positions the composition window.
  // A zero-height rectangle means "exactly here". |text| is emptied.
  bool GetCaretRect(std::wstring* text, RECT* out) noexcept override {
    try {
      if (text != nullptr) text->clear();
      if (out == nullptr || removed_) return false;
      ScopedIMC<LockPolicy> context(himc_);
      if (!context) return false;
      if (flags_[kFlagCandidateWindow]) {
        return CandidateFormRect(*context.get(), out);
      }
      if (flags_[kFlagCompositionWindow]) {
        return CompositionFormRect(*context.get(), out);
      }
      return false;
    } catch (...) {
      LogContextFailure("GetCaretRect");
      return false;
    }
  }

  bool Reserved() override { return false; }

  bool GetFlag(int32_t index) override {
    return index >= 0 && index < kFlagCount && flags_[index];
  }

 private:
  static constexpr int32_t kFlagCount = 4;

  static DWORD ConversionOf(const EngineInterface& engine) {
    return engine.GetConversionMode(0) ? IME_CMODE_NATIVE : 0;
  }
  static DWORD SentenceOf(const EngineInterface& engine) {
    return engine.GetConversionMode(1) ? 1 : 0;
  }

  // The key event of ImeToAsciiEx. With IME_PROP_KBD_CHAR_FIRST the system
  // passes the key's character in the high word of |virtual_key|, already
  // translated with this key state: asking ToAscii again would cost about
  // as much as the engine's work on the key (tens of microseconds under
  // Wine). Only when no character came is the keyboard asked. As with
  // ToAscii, a character above 127 is none.
  static KeyEvent ToAsciiExKey(UINT virtual_key, const BYTE* key_state,
                               bool down) {
    const UINT character = virtual_key >> 16;
    if (character == 0) {
      return PackKey<DesktopPolicy>(virtual_key, key_state, down);
    }
    KeyEvent event;
    event.virtual_key = static_cast<uint16_t>(virtual_key & 0xFFFF);
    event.character = character <= 127 ? static_cast<uint16_t>(character) : 0;
    event.state = KeyStateBits(key_state, down);
    return event;
  }

  // Conversion mode and font for a context where the application set none.
  static void SetDefaults(INPUTCONTEXT* context) {
    if ((context->fdwInit & INIT_CONVERSION) == 0) {
      context->fdwConversion = IME_CMODE_NATIVE;
      context->fdwInit |= INIT_CONVERSION;
    }
    if ((context->fdwInit & INIT_LOGFONT) == 0) {
      HDC screen = DesktopPolicy::GetDC(nullptr);
      if (screen != nullptr) {
        LOGFONTW font;
        if (DesktopPolicy::GetCurrentFont(screen, &font)) {
          context->lfFont.W = font;
          context->fdwInit |= INIT_LOGFONT;
        }
        DesktopPolicy::ReleaseDC(nullptr, screen);
      }
    }
  }

  // Sizes |*block| to |size| bytes and initialises it with |init|.
  static bool PrepareBlock(HIMCC* block, DWORD size, void (*init)(void*)) {
    if (!EnsureBlockSize<LockPolicy>(block, size)) return false;
    ScopedIMCC<LockPolicy> memory(*block);
    if (!memory) return false;
    init(memory.get());
    return true;
  }

  // Writes the blocks and queues the messages for |flags|, then sets the
  // conversion status and sends what is queued. The locks are undone
  // before anything reaches the application, which may deselect or even
  // free the input context while it handles what it gets.
  bool Fill(uint32_t flags) {
    if (!WriteBlocks(flags)) return false;
    if ((flags & kUpdateMode) != 0) {
      MessagePolicy::SetConversionStatus(himc_, ConversionOf(*engine_),
                                         SentenceOf(*engine_));
      if (removed_) return true;
    }
    // The UI window hands these flags to its UI manager.
    queue_->Push(WM_IME_NOTIFY, IMN_PRIVATE, static_cast<LPARAM>(flags));
    queue_->Flush();
    return true;
  }

  bool WriteBlocks(uint32_t flags) {
    ScopedIMC<LockPolicy> context(himc_);
    if (!context) return false;
    ScopedIMCC<LockPolicy> composition(context->hCompStr);
    ScopedIMCC<LockPolicy> candidates(context->hCandInfo);
    if (!composition || !candidates) return false;

    if ((flags & kUpdateCompositionAndResult) != 0) {
      const std::wstring& text = engine_->GetComposition();
      const std::wstring& result = engine_->GetResult();
      QueueCompositionMessages(!text.empty(), !result.empty());
      WriteComposition(composition.get(), text, engine_->GetCaret(), result);
    }

    if ((flags & kUpdateCandidateList) != 0) {
      const CandidateCounts counts =
          WriteCandidates(candidates.get(), *engine_);
      if (counts.new_count > 0) {
        queue_->Push(WM_IME_NOTIFY, IMN_OPENCANDIDATE, 1);
        queue_->Push(WM_IME_NOTIFY, IMN_CHANGECANDIDATE, 1);
      } else if (counts.old_count != 0) {
        queue_->Push(WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 1);
      }
    }

    return true;
  }

  // Applications follow the composition by these messages: an end comes
  // only after a start, a change only between them. A result with nothing
  // composed before opens and closes a pair of its own; an update that
  // finds nothing composed before or now (transliteration turned off, a
  // cancel with nothing typed) sends none.
  void QueueCompositionMessages(bool composing, bool committed) {
    if (!composition_open_ && (composing || committed)) {
      queue_->Push(WM_IME_STARTCOMPOSITION, 0, 0);
      composition_open_ = true;
    }
    if (!composition_open_) return;
    queue_->Push(WM_IME_COMPOSITION, 0,
                 committed ? kResultCommitted : kCompositionChanged);
    if (!composing) {
      queue_->Push(WM_IME_ENDCOMPOSITION, 0, 0);
      composition_open_ = false;
    }
  }

  bool CandidateFormRect(const INPUTCONTEXT& context, RECT* out) {
    const CANDIDATEFORM& form = context.cfCandForm[0];
    if (form.dwIndex != 0 || !DesktopPolicy::IsWindow(context.hWnd)) {
      return false;
    }
    POINT point;
    bool zero_height = false;
    if ((form.dwStyle & CFS_EXCLUDE) != 0) {
      point = form.ptCurrentPos;
    } else if ((form.dwStyle & CFS_CANDIDATEPOS) != 0) {
      // The application names the candidate window's own top-left corner.
      point = form.ptCurrentPos;
      zero_height = true;
    } else if (form.dwStyle == CFS_DEFAULT) {
      if (!DesktopPolicy::GetCaretPos(&point)) return false;
    } else {
      return false;
    }
    return ScreenRect(context, point, zero_height, out);
  }

  bool CompositionFormRect(const INPUTCONTEXT& context, RECT* out) {
    if (!DesktopPolicy::IsWindow(context.hWnd)) return false;
    // Applications that never set a composition form (such as the edit
    // control under Wine) are served at the system caret.
    const DWORD style = (context.fdwInit & INIT_COMPFORM) != 0
                            ? context.cfCompForm.dwStyle
                            : CFS_DEFAULT;
    POINT point;
    if (style != CFS_DEFAULT) {
      point = context.cfCompForm.ptCurrentPos;
    } else if (!DesktopPolicy::GetCaretPos(&point)) {
      return false;
    }
    return ScreenRect(context, point, (style & CFS_FORCE_POSITION) != 0, out);
  }

  // The rectangle from |point| (client coordinates of the context's
  // window) down by the font height, or of zero height, in screen
  // coordinates.
  bool ScreenRect(const INPUTCONTEXT& context, POINT point, bool zero_height,
                  RECT* out) {
    const LONG height = zero_height ? 0 : FontHeight(context);
    if (!DesktopPolicy::ClientToScreen(context.hWnd, &point)) return false;
    *out = RECT{point.x, point.y, point.x, point.y + height};
    return true;
  }

  // The height of the font selected in the application window's device
  // context, when the context has a font at all.
  static LONG FontHeight(const INPUTCONTEXT& context) {
    if ((context.fdwInit & INIT_LOGFONT) == 0) return kDefaultFontHeight;
    LONG height = 0;
    HDC dc = DesktopPolicy::GetDC(context.hWnd);
    if (dc != nullptr) {
      LOGFONTW font;
      if (DesktopPolicy::GetCurrentFont(dc, &font)) {
        height = std::labs(font.lfHeight);
      }
      DesktopPolicy::ReleaseDC(context.hWnd, dc);
    }
    return height != 0 ? height : kDefaultFontHeight;
  }

  HIMC himc_;
  EngineInterface* engine_ = nullptr;
  MessageQueue* queue_;
  bool flags_[kFlagCount] = {false, false, false, false};
  // A WM_IME_STARTCOMPOSITION went out and its WM_IME_ENDCOMPOSITION not yet.
  bool composition_open_ = false;
  // Deselected; freed once the calls running on it have returned.
  bool removed_ = false;
  UIManagerFinder* finder_ = nullptr;
};

// The product's input context and its queue.
using WindowsMessageQueue =
    MessageQueueT<WindowsImmLockPolicy, WindowsImmMessagePolicy>;
using Context = ContextT<WindowsImmLockPolicy, WindowsMessageQueue>;

}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_CONTEXT_H_
