// Calls from the system into the module nest. An application that handles
// a message the module sends (WM_IME_* through ImmGenerateMessage, a
// notification of ImmSetConversionStatus) may call the module again before
// the sending call returns, and may have it free what the calls below are
// still using: an input context deselected, with its engine, inside that
// context's own update.
//
// A ModuleCallScope marks one call of the system into the module (an export,
// a window procedure, a COM method) on the current thread. An object that
// must go while such calls may still be using it is handed to
// ReleaseAfterModuleCalls: it is released once the thread's outermost call
// has returned, when nothing of those calls is left on the stack. Work that
// must not run under any lock of the module (a message box, whose message
// loop lets the application call the module again) is deferred the same
// way; code that takes such locks itself holds a scope around them, so that
// the work waits for them even when no call of the system is on the stack.
#ifndef IME_SHARED_BASE_MODULE_CALL_SCOPE_H_
#define IME_SHARED_BASE_MODULE_CALL_SCOPE_H_

namespace ime_shared {
namespace base {

class ModuleCallScope {
 public:
  ModuleCallScope() noexcept;
  // The outermost scope of the thread runs the releases deferred meanwhile,
  // then those that they defer in turn.
  ~ModuleCallScope();
  ModuleCallScope(const ModuleCallScope&) = delete;
  ModuleCallScope& operator=(const ModuleCallScope&) = delete;
};

// Runs |release|(|object|) at once when no module call runs on the current
// thread, else when the outermost one returns. |release| must not throw.
// False when memory ran out: nothing was run or kept, and the caller
// decides (leaking beats freeing under a running call).
bool ReleaseAfterModuleCalls(void (*release)(void*), void* object) noexcept;

// Deletes |object| once no module call runs on the current thread; false
// (the object is then left alone) when that could not be arranged.
template <typename T>
bool DeleteAfterModuleCalls(T* object) noexcept {
  return ReleaseAfterModuleCalls(
      [](void* doomed) { delete static_cast<T*>(doomed); }, object);
}

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_MODULE_CALL_SCOPE_H_
