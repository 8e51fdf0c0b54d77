#include "ime/shared/frontend/shared_storage.h"

#include <new>

#include "ime/shared/security.h"
#include "ime/shared/storage/storage_manager.h"

namespace ime_shared {

SharedStorage::SharedStorage(StorageFactory* factory)
    : holder_mutex_(CreateLowIntegrityMutex(nullptr)), factory_(factory) {}

SharedStorage::~SharedStorage() { Destroy(); }

StorageManager* SharedStorage::Acquire() {
  ScopedMutexLock lock(&holder_mutex_, kHolderTimeoutMs);
  if (!lock.held()) return nullptr;
  if (manager_ == nullptr) {
    manager_.reset(factory_ != nullptr ? factory_->Run()
                                       : new (std::nothrow) StorageManager());
    if (manager_ == nullptr) return nullptr;
  }
  ++use_count_;
  return manager_.get();
}

void SharedStorage::Release() {
  ScopedMutexLock lock(&holder_mutex_, kHolderTimeoutMs);
  if (!lock.held() || use_count_ <= 0) return;
  if (--use_count_ == 0) manager_.reset();
}

void SharedStorage::SetFactory(StorageFactory* factory) {
  ScopedMutexLock lock(&holder_mutex_, kHolderTimeoutMs);
  factory_.reset(factory);
}

void SharedStorage::Destroy() {
  ScopedMutexLock lock(&holder_mutex_, kHolderTimeoutMs);
  manager_.reset();
  use_count_ = 0;
}

}  // namespace ime_shared
