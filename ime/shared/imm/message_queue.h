// The messages an input context has for the application, and their way
// out. During ImeToAsciiEx the system lends the input method a TRANSMSGLIST
// with room for uMsgCount messages: messages go there first. Whatever does
// not fit, and whatever is queued outside a key, waits in an overflow list
// that leaves through the context's hMsgBuf: at the end of the key (all
// messages then go through hMsgBuf, the IMM32 rule for a list too small) or,
// outside a key, with ImmGenerateMessage.
#ifndef IME_SHARED_IMM_MESSAGE_QUEUE_H_
#define IME_SHARED_IMM_MESSAGE_QUEUE_H_

#include <windows.h>

#include <cstring>
#include <vector>

#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/imm/imm_policies.h"
#include "ime/shared/imm/scoped_imm_locks.h"

namespace ime_shared {
namespace imm {

// Writes one log line that messages for the application were lost (|count|
// of them, at |where|). Never throws.
void LogLostMessages(const char* where, size_t count) noexcept;

template <typename LockPolicyT, typename MessagePolicyT>
class MessageQueueT {
 public:
  using LockPolicy = LockPolicyT;
  using MessagePolicy = MessagePolicyT;

  explicit MessageQueueT(HIMC himc) : himc_(himc) {}
  MessageQueueT(const MessageQueueT&) = delete;
  MessageQueueT& operator=(const MessageQueueT&) = delete;

  HIMC himc() const { return himc_; }

  // Lends the queue the system's list until Detach (null: none, every
  // message then goes to the overflow list).
  void Attach(TRANSMSGLIST* list) {
    list_ = list;
    placed_ = 0;
  }
  bool IsAttached() const { return list_ != nullptr; }

  // Queues one message: into the attached list while it has room, else
  // into the overflow list. False (and a log line) when memory ran out.
  bool Push(UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    if (closed_) return false;
    if (list_ != nullptr && placed_ < list_->uMsgCount) {
      TRANSMSG& slot = list_->TransMsg[placed_++];
      slot.message = message;
      slot.wParam = wparam;
      slot.lParam = lparam;
      return true;
    }
    try {
      overflow_.push_back(TRANSMSG{message, wparam, lparam});
      return true;
    } catch (...) {
      LogLostMessages("Push", 1);
      return false;
    }
  }

  // Gives the list back and returns the number of messages for the caller
  // of ImeToAsciiEx. When some did not fit, all of them (the list's first)
  // are written to hMsgBuf with dwNumMsgBuf set, and their total is
  // returned, which tells IMM32 to take them from there. If hMsgBuf cannot
  // be written, the overflow is lost and only the list's count returned.
  UINT Detach() noexcept {
    TRANSMSGLIST* list = list_;
    const UINT placed = placed_;
    list_ = nullptr;
    placed_ = 0;
    if (closed_) return 0;
    if (overflow_.empty()) return placed;
    const size_t overflow = overflow_.size();
    const bool written = WriteMessageBuffer(
        list != nullptr ? list->TransMsg : nullptr, placed);
    overflow_.clear();
    if (!written) {
      LogLostMessages("Detach", overflow);
      return placed;
    }
    return placed + static_cast<UINT>(overflow);
  }

  // Outside a key: sends the waiting messages through hMsgBuf and
  // ImmGenerateMessage. Nothing while a list is attached or nothing waits.
  // Messages queued while the application handles the ones being sent (it
  // may call back into the input method) wait until those are out, then
  // follow them: hMsgBuf is not rewritten while IMM32 reads it.
  bool Flush() noexcept {
    if (closed_ || list_ != nullptr || overflow_.empty() || generating_) {
      return false;
    }
    bool generated = false;
    while (!overflow_.empty()) {
      const size_t count = overflow_.size();
      const bool written = WriteMessageBuffer(nullptr, 0);
      overflow_.clear();
      if (!written) {
        LogLostMessages("Flush", count);
        return false;
      }
      generating_ = true;
      generated = MessagePolicy::GenerateMessage(himc_);
      generating_ = false;
    }
    return generated;
  }

  // Messages waiting in the overflow list.
  size_t waiting() const { return overflow_.size(); }

  // For a context deselected while its messages go out (the application
  // may deselect it inside one of them): what waits is dropped, the list
  // is forgotten, and from now on nothing is queued or sent; a Flush that
  // is sending stops once the messages being sent are out.
  void Close() noexcept {
    closed_ = true;
    list_ = nullptr;
    placed_ = 0;
    overflow_.clear();
  }

 private:
  // Sizes hMsgBuf for |first_count| messages from |first| followed by the
  // overflow list, copies them in that order and sets dwNumMsgBuf.
  bool WriteMessageBuffer(const TRANSMSG* first, UINT first_count) noexcept {
    const DWORD total = first_count + static_cast<DWORD>(overflow_.size());
    ScopedIMC<LockPolicy> context(himc_);
    if (!context) return false;
    if (!EnsureBlockSize<LockPolicy>(&context->hMsgBuf,
                                     total * sizeof(TRANSMSG))) {
      return false;
    }
    ScopedIMCC<LockPolicy> buffer(context->hMsgBuf);
    if (!buffer) return false;
    auto* out = static_cast<TRANSMSG*>(buffer.get());
    if (first_count > 0) {
      std::memcpy(out, first, first_count * sizeof(TRANSMSG));
    }
    std::memcpy(out + first_count, overflow_.data(),
                overflow_.size() * sizeof(TRANSMSG));
    context->dwNumMsgBuf = total;
    return true;
  }

  HIMC himc_;
  TRANSMSGLIST* list_ = nullptr;
  UINT placed_ = 0;
  std::vector<TRANSMSG> overflow_;
  bool generating_ = false;
  bool closed_ = false;
};

}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_MESSAGE_QUEUE_H_
