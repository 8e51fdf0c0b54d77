#include "ime/t13n/module_wiring.h"

#include <memory>
#include <mutex>

#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/ui_manager_interface.h"
#include "ime/shared/imm/context_map.h"
#include "ime/shared/imm/ime_exports.h"
#include "ime/shared/imm/ui_window.h"
#include "ime/shared/tsf/text_service_factories.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/ui_manager.h"

namespace ime_t13n {

namespace {

// IMM32 has no activation to hang a hold on, and an application that makes
// an input context per window deselects one context before it selects the
// next: the first engine made for IMM32 takes a hold on the process's
// storage that lasts until the module unloads, so the language is loaded
// once, not at every such change. What is learned is still saved as each
// engine goes.
//
// The lock guards only the pointer: a hold is made and let go outside it
// (either may wait seconds for the storage's holder, whose last release
// saves the user cache), so that no thread can be inside it when the
// process ends.
struct ImmStorageHold {
  std::mutex lock;
  std::unique_ptr<StorageHold> hold;
};

ImmStorageHold& ImmHold() {
  static ImmStorageHold imm_hold;
  return imm_hold;
}

// Whether no hold is in place; the caller holds the lock.
bool ImmHoldMissing() { return !ImmHold().hold || !ImmHold().hold->holds(); }

void TakeImmHold() {
  {
    std::lock_guard<std::mutex> lock(ImmHold().lock);
    if (!ImmHoldMissing()) return;
  }
  std::unique_ptr<StorageHold> hold(new StorageHold);
  std::lock_guard<std::mutex> lock(ImmHold().lock);
  // Another thread may have put one in place meanwhile: the one that holds
  // stays, and the other goes once the lock is let go (|hold| is destroyed
  // after |lock|).
  if (ImmHoldMissing()) hold.swap(ImmHold().hold);
}

// At the process's exit the lock is only tried: the thread that held it was
// ended by the exit, and the storage's teardown that follows deletes the
// storage (saving the user cache) whatever holds it.
void ReleaseImmHold(bool process_exiting) {
  std::unique_ptr<StorageHold> hold;
  std::unique_lock<std::mutex> lock(ImmHold().lock, std::defer_lock);
  if (process_exiting) {
    if (!lock.try_lock()) return;
  } else {
    lock.lock();
  }
  hold.swap(ImmHold().hold);
  lock.unlock();
}

ime_shared::EngineInterface* MakeEngine(ime_shared::ContextInterface* context) {
  return CreateT13nEngine(context);
}

ime_shared::EngineInterface* MakeImmEngine(
    ime_shared::ContextInterface* context) {
  ime_shared::EngineInterface* engine = CreateT13nEngine(context);
  if (engine != nullptr) {
    // Without the hold the language is only loaded again more often.
    try {
      TakeImmHold();
    } catch (...) {
    }
  }
  return engine;
}

// What a thread that activates the text service holds until it is
// deactivated: the process's storage.
std::unique_ptr<ime_shared::tsf::ActivationHoldInterface> HoldStorage() {
  return std::unique_ptr<ime_shared::tsf::ActivationHoldInterface>(
      new StorageHold);
}

// The UI manager of a new IME UI window; null (the window is then refused)
// when the product is not installed.
ime_shared::UIManagerInterface* MakeUIManager(HWND window) {
  return CreateUIManager(window);
}

// The UI manager of a thread that activates the text service: no window.
ime_shared::UIManagerInterface* MakeTextServiceUIManager() {
  return CreateUIManager(nullptr);
}

}  // namespace

void InstallModuleFactories() {
  ime_shared::imm::SetEngineFactory(&MakeImmEngine);
  ime_shared::imm::ImeUIWindow::SetUIManagerFactory(&MakeUIManager);
  ime_shared::tsf::SetTextServiceFactories(
      {&MakeEngine, &MakeTextServiceUIManager, &HoldStorage});
}

void UnloadModule(bool process_terminating) {
  if (!process_terminating) {
    ime_shared::imm::SetEngineFactory(nullptr);
    ime_shared::imm::ImeUIWindow::SetUIManagerFactory(nullptr);
    ime_shared::tsf::SetTextServiceFactories({});
    ime_shared::imm::ImeUIWindow::DetachAllUIManagers();
    ime_shared::imm::ContextMap::Instance().Destroy();
  }
  // At the process's exit no thread is left to make anything, and the
  // factories' locks may have been held by a thread that the exit ended:
  // the factories stay. The input contexts, with their engines, handlers
  // and candidate lists, are left to the process's end: such a thread may
  // have been inside any of them. The storage's teardown below still saves
  // the user cache.
  // After the last IMM32 engine, before the storage's own teardown.
  ReleaseImmHold(process_terminating);
  TearDownProcessObjects();
}

}  // namespace ime_t13n
