// The host program of the crash handler's process tests. It loads the
// stand-in module "crash_test_module.dll" (which installs the handler in
// its entry point) and then faults as the scenario says:
//
//   crash_handler_test_child <user hive key> <scenario>
//
// <user hive key> is a key below HKEY_CURRENT_USER that this process uses as
// its HKEY_CURRENT_USER, so that the per-user shell folders, and with them
// the crash folder, are the ones the test set up there.
//
// Before the scenario it prints "installed <0|1>", "dump_id <id>",
// "dump_thread <id>" and "thread <id of this thread>". Its own unhandled-
// exception filter, installed before the module, prints
// "previous filter <code>" and lets the fault go on.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ime/shared/testing/child_process.h"

namespace {

using HasHandlerFunction = BOOL (*)();
using DumpIdFunction = int (*)(wchar_t*, int);
using DumpThreadIdFunction = DWORD (*)();
using ReadFunction = int (*)(const volatile int*);
using CallBackFunction = int (*)(int (*)(const volatile int*), const volatile int*);
using VoidFunction = void (*)();
using InvalidParameterHandler = void(__cdecl*)(const wchar_t*, const wchar_t*, const wchar_t*,
                                               unsigned int, uintptr_t);
using RegisteredHandlerFunction = InvalidParameterHandler (*)();

HMODULE g_module = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER g_own_filter = nullptr;

template <typename Function>
Function Export(const char* name) {
  Function function = reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(g_module, name)));
  if (function == nullptr) {
    std::printf("missing export %s\n", name);
    std::fflush(stdout);
    ::ExitProcess(90);
  }
  return function;
}

LONG WINAPI PreviousFilter(EXCEPTION_POINTERS* exception) {
  std::printf("previous filter %08lx\n",
              static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode));
  std::fflush(stdout);
  return EXCEPTION_CONTINUE_SEARCH;
}

// The host's own code: a fault here is not the module's.
__attribute__((noinline)) int HostRead(const volatile int* pointer) { return *pointer + 2; }

}  // namespace

// Outside an anonymous namespace: a class hierarchy that the compiler cannot
// see whole is one whose calls it cannot resolve.
namespace crash_host {

class HostTask {
 public:
  HostTask();
  virtual ~HostTask() = default;
  virtual int Run() const = 0;
};

class HostCountingTask : public HostTask {
 public:
  int Run() const override { return 3; }
};

// Read back through a volatile pointer, the object's type is unknown to the
// compiler, which would otherwise resolve (and drop) the call.
HostTask* volatile g_host_task = nullptr;

__attribute__((noinline)) int RunHostTask() { return g_host_task->Run(); }

volatile int g_sink = 0;

HostTask::HostTask() {
  g_host_task = this;
  g_sink = RunHostTask();
}

}  // namespace crash_host

namespace {

using crash_host::g_sink;

bool UseHive(const wchar_t* hive_path) {
  HKEY hive = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, hive_path, 0, KEY_ALL_ACCESS, &hive) != ERROR_SUCCESS) {
    return false;
  }
  return ::RegOverridePredefKey(HKEY_CURRENT_USER, hive) == ERROR_SUCCESS;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 3) return 80;
  if (!UseHive(argv[1])) return 81;
  const std::wstring scenario = argv[2];

  g_own_filter = &PreviousFilter;
  ::SetUnhandledExceptionFilter(g_own_filter);

  g_module = ::LoadLibraryW((ime_testing::ProgramDirectory() + L"crash_test_module.dll").c_str());
  if (g_module == nullptr) return 82;

  wchar_t dump_id[64] = {};
  Export<DumpIdFunction>("CrashModuleDumpId")(dump_id, 64);
  std::printf("installed %d\n", Export<HasHandlerFunction>("CrashModuleHasHandler")() ? 1 : 0);
  std::printf("dump_id %ls\n", dump_id);
  std::printf("dump_thread %lu\n",
              static_cast<unsigned long>(Export<DumpThreadIdFunction>("CrashModuleDumpThreadId")()));
  std::printf("thread %lu\n", static_cast<unsigned long>(::GetCurrentThreadId()));
  std::fflush(stdout);

  // Unreadable memory: the "pointer" the faulting calls are given.
  void* page = ::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
  const volatile int* unreadable = static_cast<const volatile int*>(page);

  if (scenario == L"module_fault") {
    g_sink = Export<ReadFunction>("CrashModuleRead")(unreadable);
  } else if (scenario == L"host_fault") {
    g_sink = HostRead(unreadable);
  } else if (scenario == L"callback_fault") {
    g_sink = Export<CallBackFunction>("CrashModuleCallBack")(&HostRead, unreadable);
  } else if (scenario == L"module_pure_call") {
    Export<VoidFunction>("CrashModulePureCall")();
  } else if (scenario == L"host_pure_call") {
    crash_host::HostCountingTask task;
    g_sink = task.Run();
  } else if (scenario == L"module_invalid_parameter") {
    Export<VoidFunction>("CrashModuleReportInvalidParameter")();
  } else if (scenario == L"host_invalid_parameter") {
    // The host's own report, made the way the runtime makes it.
    const InvalidParameterHandler handler =
        Export<RegisteredHandlerFunction>("CrashModuleRegisteredInvalidParameterHandler")();
    std::printf("handler %d\n", handler != nullptr ? 1 : 0);
    std::fflush(stdout);
    if (handler != nullptr) handler(L"size > 0", L"HostCopy", L"host.cc", 7, 0);
  } else if (scenario == L"unload") {
    ::FreeLibrary(g_module);
    const LPTOP_LEVEL_EXCEPTION_FILTER current = ::SetUnhandledExceptionFilter(nullptr);
    std::printf("%s\n", current == g_own_filter ? "filter restored" : "filter lost");
  } else {
    return 83;
  }
  std::printf("survived\n");
  std::fflush(stdout);
  return 0;
}
