#include "ime/shared/frontend/module_registry.h"

#include "ime/shared/frontend/core_interface.h"
#include "ime/shared/security.h"

namespace ime_shared {

ModuleRegistry::ModuleRegistry() : mutex_(CreateLowIntegrityMutex(nullptr)) {}

ModuleRegistry::~ModuleRegistry() = default;

bool ModuleRegistry::Insert(FrontendInterface* frontend, ModuleMaster* master,
                            DWORD timeout_ms) {
  ScopedMutexLock lock(&mutex_, timeout_ms);
  if (!lock.held()) return false;
  masters_[frontend] = master;
  return true;
}

void ModuleRegistry::Remove(FrontendInterface* frontend) {
  ScopedMutexLock lock(&mutex_, INFINITE);
  // Without a mutex (it could not be made) the table is still this
  // thread's to change: the entry must not outlive its engine.
  masters_.erase(frontend);
}

bool ModuleRegistry::Dispatch(FrontendInterface* frontend,
                              const CommandInterface& command) {
  ModuleMaster* master = nullptr;
  {
    ScopedMutexLock lock(&mutex_, kDispatchTimeoutMs);
    // Reading the table while another thread changes it could crash the
    // host: a busy table dispatches nothing.
    if (!lock.held()) return false;
    auto it = masters_.find(frontend);
    if (it != masters_.end()) master = it->second;
  }
  // The master of |frontend| is removed only by its own core, on this
  // thread, so it stays valid outside the lock.
  return master != nullptr && master->Dispatch(command);
}

bool ModuleRegistry::AnyCurrentHandler(DWORD timeout_ms, bool* known,
                                       FrontendInterface* frontend,
                                       bool* others) const {
  ScopedMutexLock lock(&mutex_, timeout_ms);
  *known = lock.held();
  if (!lock.held()) return false;
  if (others != nullptr) {
    *others = masters_.size() > (masters_.count(frontend) != 0 ? 1u : 0u);
  }
  for (const auto& entry : masters_) {
    if (entry.second->HasCurrentHandler()) return true;
  }
  return false;
}

size_t ModuleRegistry::size() const {
  ScopedMutexLock lock(&mutex_, INFINITE);
  return masters_.size();
}

SharedModuleRegistry::SharedModuleRegistry()
    : holder_mutex_(CreateLowIntegrityMutex(nullptr)) {}

SharedModuleRegistry::~SharedModuleRegistry() = default;

ModuleRegistry* SharedModuleRegistry::Acquire() {
  ScopedMutexLock lock(&holder_mutex_, kHolderTimeoutMs);
  // A second registry made without the lock could leak or split the
  // process's engines between two tables.
  if (!lock.held()) return nullptr;
  if (registry_ == nullptr) registry_.reset(new ModuleRegistry());
  ++use_count_;
  return registry_.get();
}

void SharedModuleRegistry::Release() {
  ScopedMutexLock lock(&holder_mutex_, kHolderTimeoutMs);
  if (!lock.held() || use_count_ <= 0) return;
  if (--use_count_ == 0) registry_.reset();
}

}  // namespace ime_shared
