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
//
// The scenario "unload_cycles" frees and loads the module again and again,
// as a host does each time the user switches away from the input method and
// back, and prints "threads left <n>" (the most threads above what the
// process started with, after any unload), "private first <bytes> last
// <bytes>" (the committed private memory after the first and the last of
// the 20 unloads that waited for the dump thread) and "quick cycles done".
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/measurement.h"

namespace {

using HasHandlerFunction = BOOL (*)();
using DumpThreadWaitingFunction = BOOL (*)();
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

// Polls |condition| for up to 10 s.
template <typename Condition>
bool WaitUntil(Condition condition) {
  for (int i = 0; i < 1000; ++i) {
    if (condition()) return true;
    ::Sleep(10);
  }
  return condition();
}

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

  const size_t threads_at_start = ime_testing::ThreadCount();
  const std::wstring module_path = ime_testing::ProgramDirectory() + L"crash_test_module.dll";
  g_module = ::LoadLibraryW(module_path.c_str());
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
  } else if (scenario == L"unload_cycles") {
    // Each unload comes once the dump thread waits, as it does long before
    // a user switches away; a thread still starting is ended the hard way.
    // Each self-ended thread's stack is freed when the next thread ends
    // (under Wine), so the first unload's figure already counts one.
    size_t threads_left = 0;
    size_t first = 0;
    size_t last = 0;
    for (int cycle = 0; cycle < 20; ++cycle) {
      if (cycle > 0 && (g_module = ::LoadLibraryW(module_path.c_str())) == nullptr) return 84;
      const auto waiting = Export<DumpThreadWaitingFunction>("CrashModuleDumpThreadWaiting");
      if (!WaitUntil([&] { return waiting() != FALSE; })) return 85;
      ::FreeLibrary(g_module);
      WaitUntil([&] { return ime_testing::ThreadCount() <= threads_at_start; });
      const size_t threads = ime_testing::ThreadCount();
      if (threads > threads_at_start) {
        threads_left = std::max(threads_left, threads - threads_at_start);
      }
      last = ime_testing::PrivateBytes();
      if (cycle == 0) first = last;
    }
    std::printf("threads left %zu\n", threads_left);
    std::printf("private first %zu last %zu\n", first, last);
    // Unloads right after loads, while the dump thread may still be
    // starting: none may hang or leave a thread behind.
    for (int cycle = 0; cycle < 5; ++cycle) {
      g_module = ::LoadLibraryW(module_path.c_str());
      if (g_module == nullptr) return 84;
      ::FreeLibrary(g_module);
    }
    if (WaitUntil([&] { return ime_testing::ThreadCount() <= threads_at_start; })) {
      std::printf("quick cycles done\n");
    }
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
