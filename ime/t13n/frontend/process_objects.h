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

// Valid from the program's (or module's) start-up until
// TearDownProcessObjects.
ime_shared::SharedModuleRegistry& ProcessModuleRegistry();
// Its factory is CreateStorageManager.
ime_shared::SharedStorage& ProcessSharedStorage();
ime_shared::SharedExclusiveLock& ProcessDispatchGate();

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
