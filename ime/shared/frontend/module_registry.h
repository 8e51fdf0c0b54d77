// The process-wide table from an engine's front end to its module master,
// through which every core dispatches, and the counted holder that makes
// the one registry of the process and frees it with its last user.
#ifndef IME_SHARED_FRONTEND_MODULE_REGISTRY_H_
#define IME_SHARED_FRONTEND_MODULE_REGISTRY_H_

#include <windows.h>

#include <memory>
#include <unordered_map>

#include "ime/shared/scoped_mutex_lock.h"

namespace ime_shared {

class CommandInterface;
class FrontendInterface;
class ModuleMaster;

class ModuleRegistry {
 public:
  // How long a dispatch waits for the table.
  static constexpr DWORD kDispatchTimeoutMs = 100;

  ModuleRegistry();
  ~ModuleRegistry();
  ModuleRegistry(const ModuleRegistry&) = delete;
  ModuleRegistry& operator=(const ModuleRegistry&) = delete;

  // Registers |master| (not owned) for |frontend|. False, nothing
  // registered, when the table's mutex is not obtained within |timeout_ms|.
  bool Insert(FrontendInterface* frontend, ModuleMaster* master,
              DWORD timeout_ms);
  // Unregisters |frontend|. Waits for the mutex without limit: a master
  // left in the table after its engine is gone would be dispatched to.
  void Remove(FrontendInterface* frontend);
  // Finds the master of |frontend| and lets it dispatch |command|, outside
  // the table's mutex. False when the table is busy for longer than
  // kDispatchTimeoutMs (the key then goes to the application), when the
  // front end is not registered, or when no handler took the command.
  bool Dispatch(FrontendInterface* frontend, const CommandInterface& command);
  // Whether any registered master has a current handler. |known| is false
  // when the table could not be read within |timeout_ms|; |others| (may be
  // null) tells whether a master other than |frontend|'s is registered.
  bool AnyCurrentHandler(DWORD timeout_ms, bool* known,
                         FrontendInterface* frontend = nullptr,
                         bool* others = nullptr) const;

  size_t size() const;
  // The table's mutex (tests hold it to see a busy table).
  const MutexHolder& mutex() const { return mutex_; }

 private:
  MutexHolder mutex_;
  std::unordered_map<FrontendInterface*, ModuleMaster*> masters_;
};

// The registry of the process: made by the first Acquire, freed by the last
// Release.
class SharedModuleRegistry {
 public:
  static constexpr DWORD kHolderTimeoutMs = 5000;

  SharedModuleRegistry();
  // Frees a registry still held.
  ~SharedModuleRegistry();
  SharedModuleRegistry(const SharedModuleRegistry&) = delete;
  SharedModuleRegistry& operator=(const SharedModuleRegistry&) = delete;

  // A reference to the registry, made when there is none; null (no
  // reference taken) when the holder's mutex is not obtained within
  // kHolderTimeoutMs.
  ModuleRegistry* Acquire();
  // Gives back a reference; the last one frees the registry. When the
  // holder's mutex is not obtained the count is left alone (the registry is
  // then freed at unload).
  void Release();

  int use_count() const { return use_count_; }
  const MutexHolder& holder_mutex() const { return holder_mutex_; }

 private:
  MutexHolder holder_mutex_;
  std::unique_ptr<ModuleRegistry> registry_;
  int use_count_ = 0;
};

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_MODULE_REGISTRY_H_
