// The core of one transliteration engine: it owns the engine's module
// master, registers it in the process's module registry and holds a
// reference to the process's shared storage. Every command goes through the
// process's dispatch gate to the registry, which hands it to the master.
#ifndef IME_T13N_FRONTEND_CORE_INTERFACE_IMPL_H_
#define IME_T13N_FRONTEND_CORE_INTERFACE_IMPL_H_

#include <windows.h>

#include <cstdint>
#include <memory>

#include "ime/shared/frontend/core_interface.h"
#include "ime/t13n/frontend/t13n_module_master.h"

namespace ime_shared {
class ModuleRegistry;
class SharedExclusiveLock;
class SharedModuleRegistry;
class SharedStorage;
}  // namespace ime_shared

namespace ime_t13n {

// What a core is made over. Process() gives the process's objects; tests
// give their own.
struct CorePlaces {
  ime_shared::SharedModuleRegistry* registry;
  ime_shared::SharedStorage* storage;
  ime_shared::SharedExclusiveLock* gate;

  static CorePlaces Process();
};

class CoreInterfaceImpl : public ime_shared::CoreInterface {
 public:
  // How long core creation waits for the registry's table.
  static constexpr DWORD kRegisterTimeoutMs = 100;

  // Builds the master with its language state over |supported_mask| and
  // the handler made by |maker|, binds them, and registers the master for
  // |frontend|. Null, with nothing registered and no reference kept, when
  // the storage or the registry cannot be had or the registry stays busy
  // for kRegisterTimeoutMs.
  static CoreInterfaceImpl* Create(ime_shared::FrontendInterface* frontend,
                                   ime_shared::SettingsInterface* settings,
                                   uint32_t supported_mask,
                                   const HandlerMaker& maker,
                                   const CorePlaces& places);

  // Unregisters the master, deletes it with its handlers, saves the user
  // cache when its words changed, then gives back the storage reference
  // (the last one deletes the storage manager) and the registry reference.
  ~CoreInterfaceImpl() override;

  bool Execute(const ime_shared::CommandInterface& command) override;

  T13nModuleMaster* master() const { return master_.get(); }
  ime_shared::StorageManager* storage_manager() const {
    return storage_manager_;
  }

 private:
  CoreInterfaceImpl(ime_shared::FrontendInterface* frontend,
                    std::unique_ptr<T13nModuleMaster> master,
                    const CorePlaces& places,
                    ime_shared::ModuleRegistry* registry,
                    ime_shared::StorageManager* storage_manager);

  ime_shared::FrontendInterface* frontend_;
  std::unique_ptr<T13nModuleMaster> master_;
  CorePlaces places_;
  ime_shared::ModuleRegistry* registry_;
  ime_shared::StorageManager* storage_manager_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_CORE_INTERFACE_IMPL_H_
