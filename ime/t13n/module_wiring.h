// What the input-method module wires together at load and takes apart at
// unload: the factories of the IMM32 and TSF sides (the engine of a new input
// context, the UI manager of a new IME UI window or text-service thread) and
// the one unload order of the module's objects.
#ifndef IME_T13N_MODULE_WIRING_H_
#define IME_T13N_MODULE_WIRING_H_

namespace ime_t13n {

// Gives ImeSelect and the text service's contexts the transliteration
// engine's factory (CreateT13nEngine), the IME UI window and the text
// service's threads the UI manager's factory, and the text service's
// threads a hold on the process's storage (StorageHold) for as long as they
// are active. IMM32's first engine takes a hold of its own that lasts until
// the unload: either way the language stays loaded from one engine to the
// next.
void InstallModuleFactories();

// The module's unload, in this order: the factories are taken back (nothing
// new is made); the UI managers of live IME UI windows let go of their
// contexts and every input context is deleted with its engine (none of this
// when the process is ending: a thread that the exit ended may have held
// the factories' locks or been inside the contexts, and the windows may be
// gone); IMM32's storage hold is given back;
// then the start-up objects are torn down (TearDownProcessObjects: dispatch
// gate, shared storage with the user cache saved, settings store, module
// registry).
void UnloadModule(bool process_terminating);

}  // namespace ime_t13n

#endif  // IME_T13N_MODULE_WIRING_H_
