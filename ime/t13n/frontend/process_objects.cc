#include "ime/t13n/frontend/process_objects.h"

#include "ime/shared/base/callbacks.h"
#include "ime/shared/frontend/module_registry.h"
#include "ime/shared/frontend/shared_exclusive_lock.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/shared/settings.h"
#include "ime/shared/storage/storage_manager.h"

namespace ime_t13n {

namespace {

// Shuts the settings store down when the module unloads. It is defined
// between the registry and the storage below, so that it runs after the
// storage manager is gone (whose save reads the user-cache setting) and
// before the registry goes.
struct SettingsTeardown {
  ~SettingsTeardown() { ime_shared::Settings::Shutdown(); }
};

// Objects of one translation unit are made in the order of their
// definitions and destroyed in the reverse order: registry, storage, gate
// at load; gate, storage (a live storage manager is deleted, saving the
// user cache), settings store, registry at unload.
ime_shared::SharedModuleRegistry g_module_registry;
SettingsTeardown g_settings_teardown;
ime_shared::SharedStorage g_shared_storage(
    ime_shared::base::NewPermanentCallback(&ime_shared::CreateStorageManager));
ime_shared::SharedExclusiveLock g_dispatch_gate;

}  // namespace

ime_shared::SharedModuleRegistry& ProcessModuleRegistry() {
  return g_module_registry;
}

ime_shared::SharedStorage& ProcessSharedStorage() { return g_shared_storage; }

ime_shared::SharedExclusiveLock& ProcessDispatchGate() {
  return g_dispatch_gate;
}

}  // namespace ime_t13n
