// Scoped locks of an input context and of its memory blocks, over a lock
// policy (imm_policies.h): whatever path leaves a scope, every successful
// lock is matched by one unlock.
#ifndef IME_SHARED_IMM_SCOPED_IMM_LOCKS_H_
#define IME_SHARED_IMM_SCOPED_IMM_LOCKS_H_

#include <windows.h>

#include "ime/shared/base/imm_ddk.h"

namespace ime_shared {
namespace imm {

// The locked INPUTCONTEXT of an HIMC; empty when it cannot be locked.
template <typename LockPolicy>
class ScopedIMC {
 public:
  explicit ScopedIMC(HIMC himc)
      : himc_(himc), context_(himc != nullptr ? LockPolicy::LockIMC(himc)
                                              : nullptr) {}
  ~ScopedIMC() {
    if (context_ != nullptr) LockPolicy::UnlockIMC(himc_);
  }
  ScopedIMC(const ScopedIMC&) = delete;
  ScopedIMC& operator=(const ScopedIMC&) = delete;

  explicit operator bool() const { return context_ != nullptr; }
  INPUTCONTEXT* get() const { return context_; }
  INPUTCONTEXT* operator->() const { return context_; }

 private:
  HIMC himc_;
  INPUTCONTEXT* context_;
};

// The locked memory of an IMCC block; empty when it cannot be locked.
template <typename LockPolicy>
class ScopedIMCC {
 public:
  explicit ScopedIMCC(HIMCC block)
      : block_(block),
        memory_(block != nullptr ? LockPolicy::LockIMCC(block) : nullptr) {}
  ~ScopedIMCC() {
    if (memory_ != nullptr) LockPolicy::UnlockIMCC(block_);
  }
  ScopedIMCC(const ScopedIMCC&) = delete;
  ScopedIMCC& operator=(const ScopedIMCC&) = delete;

  explicit operator bool() const { return memory_ != nullptr; }
  void* get() const { return memory_; }

 private:
  HIMCC block_;
  void* memory_;
};

// Makes |*block| a block of exactly |size| bytes: creates it when there is
// none, resizes it otherwise (the handle may change). False on failure,
// with |*block| as it was.
template <typename LockPolicy>
bool EnsureBlockSize(HIMCC* block, DWORD size) {
  if (*block == nullptr) {
    HIMCC created = LockPolicy::CreateIMCC(size);
    if (created == nullptr) return false;
    *block = created;
    return true;
  }
  if (LockPolicy::GetIMCCSize(*block) == size) return true;
  HIMCC resized = LockPolicy::ReSizeIMCC(*block, size);
  if (resized == nullptr) return false;
  *block = resized;
  return true;
}

}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_SCOPED_IMM_LOCKS_H_
