// The process's input contexts: HIMC -> the context object serving it. The
// IMM32 exports and the IME UI window find their context here; selecting an
// HIMC creates its context and engine, deselecting deletes them. Every
// operation holds one critical section, so the map may be used from any
// thread (each context itself only from its own).
//
// A context deselected while calls into the module are running on its
// thread (the application deselects inside a message the context sent) is
// taken out of the map at once, so that the HIMC can be selected again
// with a new context, but it is deleted only when the outermost of those
// calls has returned.
#ifndef IME_SHARED_IMM_CONTEXT_MAP_H_
#define IME_SHARED_IMM_CONTEXT_MAP_H_

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "ime/shared/base/module_call_scope.h"
#include "ime/shared/base/process_exit.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/imm/context.h"

namespace ime_shared {
namespace imm {

// Makes the engine of a new input context; null when none can be made
// (the product passes ime_t13n::CreateT13nEngine). The caller owns it.
using EngineFactory = std::function<EngineInterface*(ContextInterface*)>;

// Writes one log line that a context map operation failed on an exception.
// Never throws.
void LogMapFailure(const char* operation) noexcept;

template <typename ContextType>
class ContextMapT {
 public:
  ContextMapT() { ::InitializeCriticalSection(&lock_); }
  // Deletes the contexts still in the map; at the process's exit they are
  // left to the process's end (a thread that the exit ended may have been
  // inside one of them).
  ~ContextMapT() {
    if (base::IsProcessExiting()) return;
    Clear();
    ::DeleteCriticalSection(&lock_);
  }
  ContextMapT(const ContextMapT&) = delete;
  ContextMapT& operator=(const ContextMapT&) = delete;

  // The process's map, made on first use.
  static ContextMapT& Instance() {
    static ContextMapT map;
    return map;
  }

  // Takes |context| for |himc| when the HIMC has none yet. False (nothing
  // taken; the caller still owns |context|) for a null context or an HIMC
  // that already has one.
  bool Add(HIMC himc, ContextType* context) noexcept {
    if (context == nullptr) return false;
    try {
      Locked lock(this);
      return contexts_.emplace(himc, context).second;
    } catch (...) {
      LogMapFailure("Add");
      return false;
    }
  }

  // The context of |himc|; null for HIMC 0 and unknown HIMCs.
  ContextType* Find(HIMC himc) noexcept {
    if (himc == nullptr) return nullptr;
    Locked lock(this);
    auto it = contexts_.find(himc);
    return it != contexts_.end() ? it->second : nullptr;
  }

  // Forgets the context of |himc| and deletes it (with its engine and
  // queue): at once, or when the thread's outermost call into the module
  // returns, while the calls still running on it see it marked removed.
  // False when there is none.
  bool Remove(HIMC himc) noexcept {
    ContextType* context = nullptr;
    {
      Locked lock(this);
      auto it = contexts_.find(himc);
      if (it == contexts_.end()) return false;
      context = it->second;
      contexts_.erase(it);
    }
    context->MarkRemoved();
    // Deleted outside the lock: an engine going away may reach the map.
    if (!base::DeleteAfterModuleCalls(context)) {
      // Leaked rather than freed under the calls still using it.
      LogMapFailure("Remove");
    }
    return true;
  }

  // Deletes every context (module unload).
  void Clear() noexcept {
    std::map<HIMC, ContextType*> contexts;
    {
      Locked lock(this);
      if (!lock.held()) return;
      contexts.swap(contexts_);
    }
    for (auto& entry : contexts) delete entry.second;
  }

  // Unload only: deletes every context and frees the map's own memory.
  void Destroy() noexcept {
    Clear();
    Locked lock(this);
    if (lock.held()) std::map<HIMC, ContextType*>().swap(contexts_);
  }

  size_t size() noexcept {
    Locked lock(this);
    return contexts_.size();
  }

  // Selects |himc|: a context with its queue and an engine from |factory|,
  // taken into the map and attached. False, leaving the map as it was,
  // when no engine can be made, when the HIMC already has a context (which
  // stays) or when attaching fails (the new context is then removed).
  bool Select(HIMC himc, const EngineFactory& factory) noexcept {
    if (himc == nullptr || !factory) return false;
    try {
      std::unique_ptr<typename ContextType::Queue> queue(
          new typename ContextType::Queue(himc));
      std::unique_ptr<ContextType> context(
          new ContextType(himc, queue.get()));
      queue.release();
      std::unique_ptr<EngineInterface> engine(factory(context.get()));
      if (!engine) return false;
      if (!Add(himc, context.get())) return false;
      ContextType* added = context.release();
      if (!added->Attach(engine.release())) {
        // A context that cannot show anything must not eat keys, and must
        // not block a later select of the same HIMC.
        Remove(himc);
        return false;
      }
      return true;
    } catch (...) {
      LogMapFailure("Select");
      return false;
    }
  }

 private:
  class Locked {
   public:
    // At the process's exit only a free lock is taken (see
    // process_exit.h): the unload then leaves the map alone.
    explicit Locked(ContextMapT* map)
        : map_(map), held_(base::EnterUnlessExiting(&map_->lock_)) {}
    ~Locked() {
      if (held_) ::LeaveCriticalSection(&map_->lock_);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    bool held() const { return held_; }

   private:
    ContextMapT* map_;
    bool held_;
  };

  CRITICAL_SECTION lock_;
  std::map<HIMC, ContextType*> contexts_;
};

// The product's map.
using ContextMap = ContextMapT<Context>;

}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_CONTEXT_MAP_H_
