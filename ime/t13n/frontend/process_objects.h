// The process-wide objects of the dispatch path, made when the module is
// loaded and torn down when it unloads: the module registry's holder, the
// shared storage with its factory, and the dispatch gate.
#ifndef IME_T13N_FRONTEND_PROCESS_OBJECTS_H_
#define IME_T13N_FRONTEND_PROCESS_OBJECTS_H_

namespace ime_shared {
class SharedExclusiveLock;
class SharedModuleRegistry;
class SharedStorage;
}  // namespace ime_shared

namespace ime_t13n {

ime_shared::SharedModuleRegistry& ProcessModuleRegistry();
// Its factory is CreateStorageManager.
ime_shared::SharedStorage& ProcessSharedStorage();
ime_shared::SharedExclusiveLock& ProcessDispatchGate();

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_PROCESS_OBJECTS_H_
