#include "ime/t13n/frontend/core_interface_impl.h"

#include <new>

#include "ime/shared/frontend/module_registry.h"
#include "ime/shared/frontend/shared_exclusive_lock.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_engine.h"

namespace ime_t13n {

CorePlaces CorePlaces::Process() {
  return CorePlaces{&ProcessModuleRegistry(), &ProcessSharedStorage(),
                    &ProcessDispatchGate()};
}

CoreInterfaceImpl* CoreInterfaceImpl::Create(
    ime_shared::FrontendInterface* frontend,
    ime_shared::SettingsInterface* settings, uint32_t supported_mask,
    const HandlerMaker& maker, const CorePlaces& places) {
  ime_shared::StorageManager* storage = places.storage->Acquire();
  if (storage == nullptr) return nullptr;
  ime_shared::ModuleRegistry* registry = places.registry->Acquire();
  if (registry == nullptr) {
    places.storage->Release();
    return nullptr;
  }
  storage->SetSettings(settings);

  std::unique_ptr<T13nModuleMaster> master(
      new (std::nothrow) T13nModuleMaster(frontend, supported_mask));
  CoreInterfaceImpl* core = nullptr;
  if (master != nullptr) {
    master->BindSettings(settings);
    master->AddT13nHandler(maker);
    master->BindHandlers(storage);
    if (registry->Insert(frontend, master.get(), kRegisterTimeoutMs)) {
      // The core keeps the references taken above.
      core = new (std::nothrow)
          CoreInterfaceImpl(frontend, std::move(master), places, registry,
                            storage);
      if (core == nullptr) registry->Remove(frontend);
    }
  }
  if (core == nullptr) {
    master.reset();
    places.registry->Release();
    places.storage->Release();
  }
  return core;
}

CoreInterfaceImpl::CoreInterfaceImpl(
    ime_shared::FrontendInterface* frontend,
    std::unique_ptr<T13nModuleMaster> master, const CorePlaces& places,
    ime_shared::ModuleRegistry* registry,
    ime_shared::StorageManager* storage_manager)
    : frontend_(frontend),
      master_(std::move(master)),
      places_(places),
      registry_(registry),
      storage_manager_(storage_manager) {}

CoreInterfaceImpl::~CoreInterfaceImpl() {
  registry_->Remove(frontend_);
  master_.reset();
  // The storage may live on long after this engine (the text service and
  // IMM32 hold it between engines): what was learned is written now, not
  // left to the end of the process.
  storage_manager_->SaveUserCacheChanges();
  places_.storage->Release();
  places_.registry->Release();
}

bool CoreInterfaceImpl::Execute(const ime_shared::CommandInterface& command) {
  ime_shared::SharedExclusiveLock& gate = *places_.gate;
  const bool gated = gate.AcquireShared();
  const bool answer = registry_->Dispatch(frontend_, command);
  if (gated) gate.Release();

  // While no handler of the process is composing, let the dispatches
  // still running elsewhere finish first. A busy table skips this, and so
  // does a process with no other engine: there is nothing to wait for.
  bool known = false;
  bool others = false;
  if (registry_->AnyCurrentHandler(
          ime_shared::SharedExclusiveLock::kBarrierTimeoutMs, &known,
          frontend_, &others) ||
      !known || !others) {
    return answer;
  }
  gate.PassExclusiveBarrier();
  return answer;
}

}  // namespace ime_t13n

ime_shared::CoreInterface* ime_shared::CoreInterface::Create(
    FrontendInterface* frontend, SettingsInterface* settings) {
  return ime_t13n::CoreInterfaceImpl::Create(
      frontend, settings, ReadSupportedLanguageMask(),
      ime_t13n::DefaultHandlerMaker(),
      ime_t13n::CorePlaces::Process());
}
