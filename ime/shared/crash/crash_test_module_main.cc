// A stand-in for the input-method module in the crash handler's tests. Like
// the module, it is a DLL linked statically with the C++ runtime that
// installs the crash handler in its entry point and removes it at detach;
// its exports fault in the ways the tests need, from inside the DLL.
#include <windows.h>

#include <cwchar>

#include "ime/shared/crash/crash_handler.h"

// Outside an anonymous namespace: a class hierarchy that the compiler cannot
// see whole is one whose calls it cannot resolve.
namespace crash_test_module {

// Calling a pure virtual function through the base part of an object under
// construction reaches the C++ runtime's pure-call entry.
class Task {
 public:
  Task();
  virtual ~Task() = default;
  virtual int Run() const = 0;
};

class CountingTask : public Task {
 public:
  int Run() const override { return 1; }
};

// Read back through a volatile pointer, the object's type is unknown to the
// compiler, which would otherwise resolve (and drop) the call.
Task* volatile g_task = nullptr;

__attribute__((noinline)) int RunTask() { return g_task->Run(); }

volatile int g_sink = 0;

Task::Task() {
  g_task = this;
  g_sink = RunTask();
}

}  // namespace crash_test_module

using crash_test_module::CountingTask;
using crash_test_module::g_sink;

extern "C" {

__declspec(dllexport) BOOL CrashModuleHasHandler() {
  return ime_shared::GetCrashHandler() != nullptr;
}

// Copies the handler's dump id; 0 without a handler.
__declspec(dllexport) int CrashModuleDumpId(wchar_t* buffer, int size) {
  const ime_shared::CrashHandler* handler = ime_shared::GetCrashHandler();
  if (handler == nullptr || size <= 0) return 0;
  std::wcsncpy(buffer, handler->dump_id().c_str(), size - 1);
  buffer[size - 1] = L'\0';
  return 1;
}

__declspec(dllexport) DWORD CrashModuleDumpThreadId() {
  const ime_shared::CrashHandler* handler = ime_shared::GetCrashHandler();
  return handler != nullptr ? handler->dump_thread_id() : 0;
}

__declspec(dllexport) BOOL CrashModuleDumpThreadWaiting() {
  const ime_shared::CrashHandler* handler = ime_shared::GetCrashHandler();
  return handler != nullptr && handler->dump_thread_waiting();
}

// Reads through |pointer|: a fault inside the module when it is unreadable.
__declspec(dllexport) int CrashModuleRead(const volatile int* pointer) {
  return *pointer + 1;
}

// Calls back into the host, so that a fault there has the module's frame
// below it on the stack.
__declspec(dllexport) int CrashModuleCallBack(int (*callback)(const volatile int*),
                                              const volatile int* pointer) {
  return callback(pointer) + 1;
}

__declspec(dllexport) void CrashModulePureCall() {
  CountingTask task;
  g_sink = task.Run();
}

// Reports an invalid parameter from the module's code the way the C runtime
// does: through the registered handler.
__declspec(dllexport) void CrashModuleReportInvalidParameter() {
  const _invalid_parameter_handler handler =
      ime_shared::SetRuntimeInvalidParameterHandler(nullptr);
  ime_shared::SetRuntimeInvalidParameterHandler(handler);
  if (handler != nullptr) handler(L"buffer != nullptr", L"CopyName", L"names.cc", 42, 0);
  g_sink = 2;
}

// The invalid-parameter handler registered where this DLL's runtime reports,
// for the host to report through as the runtime would.
__declspec(dllexport) _invalid_parameter_handler CrashModuleRegisteredInvalidParameterHandler() {
  const _invalid_parameter_handler handler =
      ime_shared::SetRuntimeInvalidParameterHandler(nullptr);
  ime_shared::SetRuntimeInvalidParameterHandler(handler);
  return handler;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      ime_shared::InstallCrashHandler();
      return TRUE;
    case DLL_PROCESS_DETACH:
      ime_shared::RemoveCrashHandler(/*in_dll_entry=*/true);
      return TRUE;
    default:
      return TRUE;
  }
}
