#include "ime/t13n/frontend/process_objects.h"

#include <memory>

#include "ime/shared/base/callbacks.h"
#include "ime/shared/frontend/module_registry.h"
#include "ime/shared/frontend/shared_exclusive_lock.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/shared/settings.h"
#include "ime/shared/storage/storage_manager.h"

namespace ime_t13n {

namespace {

// Made at load in this order: registry, storage, gate (objects of one
// translation unit are made in the order of their definitions).
std::unique_ptr<ime_shared::SharedModuleRegistry> g_module_registry(
    new ime_shared::SharedModuleRegistry);
std::unique_ptr<ime_shared::SharedStorage> g_shared_storage(
    new ime_shared::SharedStorage(ime_shared::base::NewPermanentCallback(
        &ime_shared::CreateStorageManager)));
std::unique_ptr<ime_shared::SharedExclusiveLock> g_dispatch_gate(
    new ime_shared::SharedExclusiveLock);

// Defined after the objects, so destroyed before them: a program that ends
// without TearDownProcessObjects (a test program, a process whose module
// was never unloaded by hand) gets the same order.
struct TeardownAtExit {
  ~TeardownAtExit() { TearDownProcessObjects(); }
} g_teardown_at_exit;

}  // namespace

ime_shared::SharedModuleRegistry& ProcessModuleRegistry() {
  return *g_module_registry;
}

ime_shared::SharedStorage& ProcessSharedStorage() { return *g_shared_storage; }

ime_shared::SharedExclusiveLock& ProcessDispatchGate() {
  return *g_dispatch_gate;
}

StorageHold::StorageHold()
    : holds_(g_shared_storage && g_shared_storage->Acquire() != nullptr) {}

StorageHold::~StorageHold() {
  if (holds_ && g_shared_storage) g_shared_storage->Release();
}

void TearDownProcessObjects() {
  if (!g_module_registry) return;
  g_dispatch_gate.reset();
  // A live storage manager is deleted here, which saves the user cache: its
  // save reads the user-cache setting, so the settings store goes after it.
  g_shared_storage.reset();
  ime_shared::Settings::Shutdown();
  g_module_registry.reset();
}

}  // namespace ime_t13n
