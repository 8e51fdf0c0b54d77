// The process-wide objects of the dispatch path, made when the module is
// loaded and torn down when it unloads: the module registry's holder, the
// shared storage with its factory, and the dispatch gate.
#ifndef IME_T13N_FRONTEND_PROCESS_OBJECTS_H_
#define IME_T13N_FRONTEND_PROCESS_OBJECTS_H_

#include "ime/shared/tsf/text_service_factories.h"

namespace ime_shared {
class SharedExclusiveLock;
class SharedModuleRegistry;
class SharedStorage;
}  // namespace ime_shared

namespace ime_t13n {

// Valid from the program's (or module's) start-up until
// TearDownProcessObjects.
ime_shared::SharedModuleRegistry& ProcessModuleRegistry();
// Its factory is CreateStorageManager.
ime_shared::SharedStorage& ProcessSharedStorage();
ime_shared::SharedExclusiveLock& ProcessDispatchGate();

// A reference to the process's shared storage for as long as it lives (none
// when the storage cannot be had), so that the loaded language outlives the
// engines that come and go: the text service keeps one per activated thread,
// IMM32 one from its first engine on. Letting go after the process objects
// were torn down does nothing (the teardown deleted the storage already).
class StorageHold : public ime_shared::tsf::ActivationHoldInterface {
 public:
  StorageHold();
  ~StorageHold() override;
  StorageHold(const StorageHold&) = delete;
  StorageHold& operator=(const StorageHold&) = delete;

  // Whether a reference was taken.
  bool holds() const { return holds_; }

 private:
  bool holds_;
};

// Tears the objects down in the reverse order of their making, with the
// settings store between them: the dispatch gate; the shared storage (a
// storage manager still alive is deleted, which saves the user cache and
// reads the user-cache setting); the settings store (Settings::Shutdown);
// the module registry's holder and any registry it still holds. The
// module's unload runs it once every engine is gone; a program that never
// runs it gets the same teardown from its static destructors. Later calls
// do nothing.
void TearDownProcessObjects();

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_PROCESS_OBJECTS_H_
