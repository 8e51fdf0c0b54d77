// The process's one storage manager, shared by every core through counted
// references: made by the first Acquire through the factory, deleted (which
// saves the user cache) by the last Release.
#ifndef IME_SHARED_FRONTEND_SHARED_STORAGE_H_
#define IME_SHARED_FRONTEND_SHARED_STORAGE_H_

#include <windows.h>

#include <memory>

#include "ime/shared/base/callbacks.h"
#include "ime/shared/scoped_mutex_lock.h"

namespace ime_shared {

class StorageManager;

using StorageFactory = base::ResultCallback<StorageManager*>;

class SharedStorage {
 public:
  static constexpr DWORD kHolderTimeoutMs = 5000;

  // Takes ownership of |factory| (may be null).
  explicit SharedStorage(StorageFactory* factory);
  // Deletes a storage manager still alive, which saves its user cache.
  ~SharedStorage();
  SharedStorage(const SharedStorage&) = delete;
  SharedStorage& operator=(const SharedStorage&) = delete;

  // A reference to the storage manager, made when there is none: the
  // factory's result, or without a factory an empty StorageManager whose
  // Init fails. Null, no reference taken, when the factory fails (the next
  // Acquire tries again) or the holder's mutex is not obtained within
  // kHolderTimeoutMs.
  StorageManager* Acquire();
  // Gives back a reference; the last one deletes the storage manager. When
  // the holder's mutex is not obtained the count is left alone.
  void Release();

  // Replaces the factory (taking ownership); the manager alive, if any,
  // stays.
  void SetFactory(StorageFactory* factory);
  // Deletes the manager whatever the count (unload).
  void Destroy();

  int use_count() const { return use_count_; }
  StorageManager* current() const { return manager_.get(); }

 private:
  MutexHolder holder_mutex_;
  std::unique_ptr<StorageFactory> factory_;
  std::unique_ptr<StorageManager> manager_;
  int use_count_ = 0;
};

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_SHARED_STORAGE_H_
