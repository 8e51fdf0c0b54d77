// The in-process crash handler. The input method runs inside other
// people's programs, so on a fault of its own (an unhandled exception, an
// invalid-parameter report of the C runtime or a pure virtual call) it
// writes a minidump into the per-user "Crash" folder, at most once a day,
// and starts the crash reporter of the installation with the dump's id.
// Faults that are not the module's go on to whatever handled them before.
//
// The module's DLL entry calls InstallCrashHandler() at process attach and
// RemoveCrashHandler() at process detach. Nothing here raises.
#ifndef IME_SHARED_CRASH_CRASH_HANDLER_H_
#define IME_SHARED_CRASH_CRASH_HANDLER_H_

#include <windows.h>
#include <dbghelp.h>

#include <cstdint>
#include <stdlib.h>
#include <string>

#include "ime/shared/crash/crash_filter.h"
#include "ime/shared/crash/dbghelp_functions.h"

namespace ime_shared {

// Creates the process's crash handler over GetCrashDirectory() with
// CrashFilter, LaunchCrashReporter, no context, every kind of fault and
// plain minidumps. False, with no handler, when the crash folder is
// unknown; true when a handler exists afterwards (a second call keeps the
// first one).
bool InstallCrashHandler();
// Removes the handler that InstallCrashHandler created, puts the previous
// hooks back, deletes it and forgets it. Nothing happens without one.
// |in_dll_entry|: called from a DLL entry point, under the loader lock (see
// CrashHandler::Remove).
void RemoveCrashHandler(bool in_dll_entry = false);

class CrashHandler;
// The handler that InstallCrashHandler created; null without one.
const CrashHandler* GetCrashHandler();

// Kinds of faults a handler hooks.
enum CrashHandlerKind : int {
  kUnhandledExceptions = 1,
  kInvalidParameters = 2,
  kPureCalls = 4,
  kAllCrashKinds = 7,
};

// What a claimed invalid-parameter or pure-call report ends the host
// with: STATUS_INVALID_CRUNTIME_PARAMETER.
constexpr DWORD kRuntimeReportExitCode = 0xC0000417;

// User streams of the dump.
constexpr uint32_t kThreadInfoStreamType = 0x6B730001;  // 12 bytes, below
constexpr uint32_t kAssertionStreamType = 0x6B730002;   // a CrashAssertion

struct CrashThreadInfo {
  uint32_t validity;            // bit 0: dump thread id, bit 1: requesting one
  uint32_t dump_thread_id;      // the thread that writes the dump
  uint32_t requesting_thread_id;  // the thread that asked for it
};
static_assert(sizeof(CrashThreadInfo) == 12, "the thread stream is 12 bytes");

// Decides whether a fault is dumped.
using CrashFilterCallback = bool (*)(const CrashSeams* context,
                                     EXCEPTION_POINTERS* exception,
                                     const CrashAssertion* assertion);
// Runs after the dump (written or not); its answer is the handler's.
using AfterDumpCallback = bool (*)(const wchar_t* dump_folder,
                                   const wchar_t* dump_id,
                                   const CrashSeams* context,
                                   EXCEPTION_POINTERS* exception,
                                   const CrashAssertion* assertion,
                                   bool dump_written);

// Where the handler registers its invalid-parameter and pure-call hooks:
// the C runtime DLL's own registration when it exports one, else the one
// linked into this image. The runtime calls what is registered there; so
// may a test playing the runtime. Each returns the handler it replaces.
_invalid_parameter_handler SetRuntimeInvalidParameterHandler(
    _invalid_parameter_handler handler);
_purecall_handler SetRuntimePureCallHandler(_purecall_handler handler);

// One handler per process in the module; tests make their own. Creating it
// installs it: the dump thread starts and the hooks of |kinds| take over
// (the previous ones are kept and put back by Remove). The most recent
// handler is the current one; a hook whose handler declines passes the
// fault down to the previous hooks, which may be an older handler's.
class CrashHandler {
 public:
  CrashHandler(const std::wstring& dump_folder, CrashFilterCallback filter,
               AfterDumpCallback after_dump, const CrashSeams* context,
               int kinds, MINIDUMP_TYPE dump_type);
  // Removes the handler when that was not done.
  ~CrashHandler();
  CrashHandler(const CrashHandler&) = delete;
  CrashHandler& operator=(const CrashHandler&) = delete;

  // Puts the previous hooks back, stops the dump thread and frees the
  // libraries. Only the first call does anything. |in_dll_entry| says that
  // the caller holds the loader lock (a DLL entry point).
  void Remove(bool in_dll_entry = false);

  // Asks the filter, writes the dump when it agrees (exception information
  // when |exception| is given, the thread stream, the assertion stream when
  // |assertion| is given), stores today as "LastReport" once the dump is
  // written, and answers what the after-dump callback answers. False, with
  // nothing written and no callback, when the filter declines.
  bool WriteMinidump(DWORD requesting_thread_id, EXCEPTION_POINTERS* exception,
                     const CrashAssertion* assertion);

  // What the hooks do: hands the request to the dump thread and waits for
  // its answer. False when there is no dump thread.
  bool RequestDump(EXCEPTION_POINTERS* exception, const CrashAssertion* assertion);

  // The id of the one dump this handler writes: a GUID in lower-case text,
  // 36 characters (all zeros when "rpcrt4.dll" is missing).
  const std::wstring& dump_id() const { return dump_id_; }
  // "<folder>\<id>.dmp"; empty when that exceeds 259 characters.
  const std::wstring& dump_path() const { return dump_path_; }
  const std::wstring& dump_folder() const { return dump_folder_; }
  int kinds() const { return kinds_; }
  // The thread that writes the dumps; 0 without one.
  DWORD dump_thread_id() const { return dump_thread_id_; }
  // True once the dump thread has started and waits for requests.
  bool dump_thread_waiting() const;

  // Hook bodies, called by the process-wide hooks with the handler they
  // picked. Public for those hooks only.
  LONG OnUnhandledException(EXCEPTION_POINTERS* exception);
  void OnInvalidParameter(const wchar_t* expression, const wchar_t* function,
                          const wchar_t* file, unsigned int line,
                          uintptr_t reserved, EXCEPTION_POINTERS* caller);
  void OnPureCall(EXCEPTION_POINTERS* caller);
  void PutPreviousHooksBack();
  void InstallOwnHooks();

 private:
  static DWORD WINAPI DumpThreadMain(void* parameter);
  void RunDumpThread();
  void StopDumpThread(bool in_dll_entry);
  // Queues the waiting dump thread's end; true when it ends itself and
  // closes the start semaphore and the parked event.
  bool HandDumpThreadItsEnd();

  CrashFilterCallback filter_;
  AfterDumpCallback after_dump_;
  const CrashSeams* context_;

  std::wstring dump_folder_;
  std::wstring dump_id_;
  std::wstring dump_path_;
  int kinds_;
  MINIDUMP_TYPE dump_type_;

  HMODULE dbghelp_ = nullptr;
  DbgHelpFunctions dbghelp_functions_;
  HMODULE rpcrt4_ = nullptr;

  LPTOP_LEVEL_EXCEPTION_FILTER previous_filter_ = nullptr;
  _invalid_parameter_handler previous_invalid_parameter_handler_ = nullptr;
  _purecall_handler previous_purecall_handler_ = nullptr;

  HANDLE dump_thread_ = nullptr;
  DWORD dump_thread_id_ = 0;
  // Set by the dump thread as it begins its alertable wait for requests
  // (cleared while it serves one): its start-up, which runs every loaded
  // DLL's thread notification under the loader lock, is over, and APCs can
  // end it.
  HANDLE dump_thread_parked_ = nullptr;
  HANDLE start_semaphore_ = nullptr;
  HANDLE done_semaphore_ = nullptr;
  CRITICAL_SECTION request_lock_;
  // The request the dump thread works on, and its answer.
  DWORD request_thread_id_ = 0;
  EXCEPTION_POINTERS* request_exception_ = nullptr;
  const CrashAssertion* request_assertion_ = nullptr;
  bool request_result_ = false;
  volatile LONG shutting_down_ = 0;
  bool removed_ = false;
};

}  // namespace ime_shared

#endif  // IME_SHARED_CRASH_CRASH_HANDLER_H_
