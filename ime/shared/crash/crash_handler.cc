#include "ime/shared/crash/crash_handler.h"

#include <rpc.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <vector>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/product_folders.h"

namespace ime_shared {

namespace {

#if !defined(__x86_64__) && !defined(_M_X64)
#error "the crash handler's hooks unwind x64 frames only"
#endif

// The dump thread needs little stack of its own; dbghelp grows it on demand.
constexpr SIZE_T kDumpThreadStackSize = 64 * 1024;
constexpr size_t kMaxDumpPathLength = 259;
// How long a removal waits for a dump thread that is still starting.
constexpr DWORD kDumpThreadStartWaitMs = 5000;

const wchar_t kRuntimeLibrary[] = L"msvcrt.dll";
const wchar_t kRpcLibrary[] = L"rpcrt4.dll";

using SetInvalidParameterHandlerFunction =
    _invalid_parameter_handler(__cdecl*)(_invalid_parameter_handler);
using SetPureCallHandlerFunction = _purecall_handler(__cdecl*)(_purecall_handler);
using InvalidParameterFunction = void(__cdecl*)(const wchar_t*, const wchar_t*,
                                                const wchar_t*, unsigned int,
                                                uintptr_t);
using UuidCreateFunction = RPC_STATUS(RPC_ENTRY*)(UUID*);

// The C runtime DLL's registration of invalid-parameter and pure-call
// handlers. The import library's functions of the same names only keep the
// pointer inside this image, where the runtime never looks; the DLL's own
// entries, when it has them, are the ones its reports go through.
struct RuntimeEntries {
  RuntimeEntries() {
    HMODULE runtime = ::GetModuleHandleW(kRuntimeLibrary);
    if (runtime != nullptr) {
      set_invalid_parameter_handler = reinterpret_cast<SetInvalidParameterHandlerFunction>(
          reinterpret_cast<void*>(::GetProcAddress(runtime, "_set_invalid_parameter_handler")));
      set_purecall_handler = reinterpret_cast<SetPureCallHandlerFunction>(
          reinterpret_cast<void*>(::GetProcAddress(runtime, "_set_purecall_handler")));
      report_invalid_parameter = reinterpret_cast<InvalidParameterFunction>(
          reinterpret_cast<void*>(::GetProcAddress(runtime, "_invalid_parameter")));
    }
    if (set_invalid_parameter_handler == nullptr) {
      set_invalid_parameter_handler = &::_set_invalid_parameter_handler;
    }
    if (set_purecall_handler == nullptr) set_purecall_handler = &::_set_purecall_handler;
  }

  SetInvalidParameterHandlerFunction set_invalid_parameter_handler = nullptr;
  SetPureCallHandlerFunction set_purecall_handler = nullptr;
  // What the runtime does with a report when no handler is registered.
  InvalidParameterFunction report_invalid_parameter = nullptr;
};

const RuntimeEntries& Runtime() {
  static const RuntimeEntries entries;
  return entries;
}

// The runtime's own answer to a report nobody claims.
void RuntimeDefaultReport(const wchar_t* expression, const wchar_t* function,
                          const wchar_t* file, unsigned int line, uintptr_t reserved) {
  if (Runtime().report_invalid_parameter != nullptr) {
    Runtime().report_invalid_parameter(expression, function, file, line, reserved);
  }
}

// The installed handlers, most recent last, and how many hooks run at once
// (each looks one handler further down). The handler InstallCrashHandler
// made is one of them.
SRWLOCK g_lock = SRWLOCK_INIT;
std::vector<CrashHandler*>* g_handlers = nullptr;
size_t g_depth = 0;
int g_install_count = 0;
CrashHandler* g_installed = nullptr;

LONG WINAPI UnhandledExceptionHook(EXCEPTION_POINTERS* exception);
void __cdecl InvalidParameterHook(const wchar_t* expression, const wchar_t* function,
                                  const wchar_t* file, unsigned int line,
                                  uintptr_t reserved);
void __cdecl PureCallHook();

bool IsInstalledLocked(const CrashHandler* handler) {
  return g_handlers != nullptr &&
         std::find(g_handlers->begin(), g_handlers->end(), handler) != g_handlers->end();
}

// While a hook runs, its handler's hooks are taken out (so that a fault in
// the dump's own work goes to the previous hooks, never back into a waiting
// handler), and one level deeper is what a nested hook picks.
class HookScope {
 public:
  explicit HookScope(int kind) {
    ::AcquireSRWLockExclusive(&g_lock);
    if (g_handlers != nullptr) {
      size_t skip = g_depth;
      for (auto it = g_handlers->rbegin(); it != g_handlers->rend(); ++it) {
        if (skip > 0) {
          --skip;
          continue;
        }
        if (((*it)->kinds() & kind) != 0) {
          handler_ = *it;
          break;
        }
      }
    }
    if (handler_ != nullptr) {
      ++g_depth;
      handler_->PutPreviousHooksBack();
    }
    ::ReleaseSRWLockExclusive(&g_lock);
  }

  ~HookScope() {
    if (handler_ == nullptr) return;
    ::AcquireSRWLockExclusive(&g_lock);
    if (IsInstalledLocked(handler_)) handler_->InstallOwnHooks();
    --g_depth;
    ::ReleaseSRWLockExclusive(&g_lock);
  }

  HookScope(const HookScope&) = delete;
  HookScope& operator=(const HookScope&) = delete;

  CrashHandler* handler() const { return handler_; }

 private:
  CrashHandler* handler_ = nullptr;
};

// A runtime report has no exception of its own. Its pointers are made from
// the context of the hook's caller (the runtime, or the module's pure-call
// entry), so that the filter judges the report where it was made and the
// dump shows that place. |context| holds the hook's own context.
void MakeCallerPointers(CONTEXT* context, EXCEPTION_RECORD* record,
                        EXCEPTION_POINTERS* pointers) {
  DWORD64 image_base = 0;
  PRUNTIME_FUNCTION function = ::RtlLookupFunctionEntry(context->Rip, &image_base, nullptr);
  if (function != nullptr) {
    void* handler_data = nullptr;
    DWORD64 establisher_frame = 0;
    ::RtlVirtualUnwind(UNW_FLAG_NHANDLER, image_base, context->Rip, function, context,
                       &handler_data, &establisher_frame, nullptr);
  } else {
    // A function without unwind data keeps its return address on top.
    context->Rip = *reinterpret_cast<const DWORD64*>(context->Rsp);
    context->Rsp += sizeof(DWORD64);
  }
  *record = EXCEPTION_RECORD();
  record->ExceptionCode = kRuntimeReportExitCode;
  record->ExceptionFlags = EXCEPTION_NONCONTINUABLE;
  record->ExceptionAddress = reinterpret_cast<void*>(static_cast<uintptr_t>(context->Rip));
  pointers->ExceptionRecord = record;
  pointers->ContextRecord = context;
}

LONG WINAPI UnhandledExceptionHook(EXCEPTION_POINTERS* exception) {
  HookScope scope(kUnhandledExceptions);
  if (scope.handler() == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  return scope.handler()->OnUnhandledException(exception);
}

// Not inlined: the frame unwound to find the caller must be this one.
__attribute__((noinline)) void __cdecl InvalidParameterHook(
    const wchar_t* expression, const wchar_t* function, const wchar_t* file,
    unsigned int line, uintptr_t reserved) {
  CONTEXT context;
  ::RtlCaptureContext(&context);
  EXCEPTION_RECORD record;
  EXCEPTION_POINTERS caller;
  MakeCallerPointers(&context, &record, &caller);

  HookScope scope(kInvalidParameters);
  if (scope.handler() == nullptr) {
    RuntimeDefaultReport(expression, function, file, line, reserved);
    return;
  }
  scope.handler()->OnInvalidParameter(expression, function, file, line, reserved, &caller);
}

__attribute__((noinline)) void __cdecl PureCallHook() {
  CONTEXT context;
  ::RtlCaptureContext(&context);
  EXCEPTION_RECORD record;
  EXCEPTION_POINTERS caller;
  MakeCallerPointers(&context, &record, &caller);

  HookScope scope(kPureCalls);
  if (scope.handler() == nullptr) return;
  scope.handler()->OnPureCall(&caller);
}

bool PureCallsHooked() {
  ::AcquireSRWLockShared(&g_lock);
  bool hooked = false;
  if (g_handlers != nullptr) {
    for (const CrashHandler* handler : *g_handlers) {
      hooked = hooked || (handler->kinds() & kPureCalls) != 0;
    }
  }
  ::ReleaseSRWLockShared(&g_lock);
  return hooked;
}

std::wstring FormatDumpId(const UUID& id) {
  wchar_t text[40] = {};
  std::swprintf(text, 40, L"%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                static_cast<unsigned long>(id.Data1), id.Data2, id.Data3,
                id.Data4[0], id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4],
                id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

// A g++ pure virtual call: the runtime's own message and end.
[[noreturn]] void DefaultPureVirtualCall(const char* message) {
  std::fputs(message, stderr);
  std::terminate();
}

// Routes a pure virtual call of this image to the pure-call hook, as the
// runtime's _purecall does for code built by other compilers. Returns when
// the hook does not end the process.
void RoutePureVirtualCall() {
  if (PureCallsHooked()) PureCallHook();
}

}  // namespace

_invalid_parameter_handler SetRuntimeInvalidParameterHandler(
    _invalid_parameter_handler handler) {
  return Runtime().set_invalid_parameter_handler(handler);
}

_purecall_handler SetRuntimePureCallHandler(_purecall_handler handler) {
  return Runtime().set_purecall_handler(handler);
}

CrashHandler::CrashHandler(const std::wstring& dump_folder, CrashFilterCallback filter,
                           AfterDumpCallback after_dump, const CrashSeams* context,
                           int kinds, MINIDUMP_TYPE dump_type)
    : filter_(filter),
      after_dump_(after_dump),
      context_(context),
      dump_folder_(dump_folder),
      kinds_(kinds & kAllCrashKinds),
      dump_type_(dump_type) {
  ::InitializeCriticalSection(&request_lock_);
  start_semaphore_ = ::CreateSemaphoreW(nullptr, 0, 1, nullptr);
  done_semaphore_ = ::CreateSemaphoreW(nullptr, 0, 1, nullptr);
  dump_thread_parked_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (start_semaphore_ != nullptr && done_semaphore_ != nullptr &&
      dump_thread_parked_ != nullptr) {
    // Inside the DLL entry the thread starts running only once the loader
    // lock is released; it just waits for requests.
    dump_thread_ = ::CreateThread(nullptr, kDumpThreadStackSize, &DumpThreadMain, this, 0,
                                  &dump_thread_id_);
    if (dump_thread_ == nullptr) dump_thread_id_ = 0;
  }

  dbghelp_ = ::LoadLibraryW(kDbgHelpLibrary);
  dbghelp_functions_.Resolve(dbghelp_);
  rpcrt4_ = ::LoadLibraryW(kRpcLibrary);
  UUID id = {};
  if (rpcrt4_ != nullptr) {
    auto uuid_create = reinterpret_cast<UuidCreateFunction>(
        reinterpret_cast<void*>(::GetProcAddress(rpcrt4_, "UuidCreate")));
    if (uuid_create != nullptr) uuid_create(&id);
  }
  dump_id_ = FormatDumpId(id);
  const std::wstring path = dump_folder_ + L"\\" + dump_id_ + L".dmp";
  if (path.size() <= kMaxDumpPathLength) dump_path_ = path;

  ::AcquireSRWLockExclusive(&g_lock);
  ++g_install_count;
  bool listed = false;
  try {
    if (g_handlers == nullptr) g_handlers = new std::vector<CrashHandler*>();
    g_handlers->push_back(this);
    listed = true;
  } catch (...) {
    // Out of memory: a handler that is not listed hooks nothing.
    kinds_ = 0;
  }
  if (listed && SharedDbgHelp() == nullptr && dbghelp_functions_.CanWalkStacks()) {
    SetSharedDbgHelp(&dbghelp_functions_);
  }
  if (kinds_ & kUnhandledExceptions) {
    previous_filter_ = ::SetUnhandledExceptionFilter(&UnhandledExceptionHook);
  }
  if (kinds_ & kInvalidParameters) {
    previous_invalid_parameter_handler_ = SetRuntimeInvalidParameterHandler(&InvalidParameterHook);
  }
  if (kinds_ & kPureCalls) {
    previous_purecall_handler_ = SetRuntimePureCallHandler(&PureCallHook);
  }
  ::ReleaseSRWLockExclusive(&g_lock);
}

CrashHandler::~CrashHandler() { Remove(); }

void CrashHandler::Remove(bool in_dll_entry) {
  if (removed_) return;
  removed_ = true;

  ::AcquireSRWLockExclusive(&g_lock);
  if (g_handlers != nullptr) {
    auto it = std::find(g_handlers->begin(), g_handlers->end(), this);
    if (it != g_handlers->end()) {
      if (it + 1 != g_handlers->end()) {
        std::fputs("crash handler: removing a handler that is not the current one\n", stderr);
      }
      // Each kind's previous hook goes to the next handler above that hooks
      // the same kind (its previous hook was this one's); when none does,
      // this handler's hook is the registered one and is replaced.
      auto above_with = [&](int kind) -> CrashHandler* {
        for (auto above = it + 1; above != g_handlers->end(); ++above) {
          if ((*above)->kinds_ & kind) return *above;
        }
        return nullptr;
      };
      if (kinds_ & kUnhandledExceptions) {
        if (CrashHandler* above = above_with(kUnhandledExceptions)) {
          above->previous_filter_ = previous_filter_;
        } else {
          ::SetUnhandledExceptionFilter(previous_filter_);
        }
      }
      if (kinds_ & kInvalidParameters) {
        if (CrashHandler* above = above_with(kInvalidParameters)) {
          above->previous_invalid_parameter_handler_ = previous_invalid_parameter_handler_;
        } else {
          SetRuntimeInvalidParameterHandler(previous_invalid_parameter_handler_);
        }
      }
      if (kinds_ & kPureCalls) {
        if (CrashHandler* above = above_with(kPureCalls)) {
          above->previous_purecall_handler_ = previous_purecall_handler_;
        } else {
          SetRuntimePureCallHandler(previous_purecall_handler_);
        }
      }
      g_handlers->erase(it);
    }
    if (SharedDbgHelp() == &dbghelp_functions_) {
      SetSharedDbgHelp(nullptr);
      for (CrashHandler* other : *g_handlers) {
        if (other->dbghelp_functions_.CanWalkStacks()) {
          SetSharedDbgHelp(&other->dbghelp_functions_);
          break;
        }
      }
    }
    if (g_handlers->empty()) {
      delete g_handlers;
      g_handlers = nullptr;
    }
  }
  --g_install_count;
  ::ReleaseSRWLockExclusive(&g_lock);

  ::InterlockedExchange(&shutting_down_, 1);
  if (dump_thread_ != nullptr) {
    StopDumpThread(in_dll_entry);
    ::CloseHandle(dump_thread_);
    dump_thread_ = nullptr;
  }
  ::DeleteCriticalSection(&request_lock_);
  if (dump_thread_parked_ != nullptr) ::CloseHandle(dump_thread_parked_);
  dump_thread_parked_ = nullptr;
  if (start_semaphore_ != nullptr) ::CloseHandle(start_semaphore_);
  if (done_semaphore_ != nullptr) ::CloseHandle(done_semaphore_);
  start_semaphore_ = nullptr;
  done_semaphore_ = nullptr;

  dbghelp_functions_ = DbgHelpFunctions();
  if (dbghelp_ != nullptr) ::FreeLibrary(dbghelp_);
  if (rpcrt4_ != nullptr) ::FreeLibrary(rpcrt4_);
  dbghelp_ = nullptr;
  rpcrt4_ = nullptr;
}

// Removal runs inside the DLL entry at detach, where waiting for a thread
// to end would wait for the loader lock this thread holds, and where this
// image's code goes away once the entry returns.
//
// A thread that waits for requests ends itself, so that its stack is freed
// (a thread ended from outside keeps it for the life of the process, and
// the module is unloaded each time the user switches away from it). It is
// handed three APCs of the system's own functions, run one after the other
// by its alertable wait: CloseHandle of the start semaphore, CloseHandle of
// the event it set as it began to wait, and ExitThread. The wait returns
// only once all of them have run, and ExitThread never returns, so the
// thread never runs this image's code again. The thread closes the two
// handles itself because its wait may look them up again when it wakes
// (Wine does), which must not fail. It is held suspended while the three
// are queued, so that it cannot wake to the first alone. Its exit
// notifications need the loader lock: inside a DLL entry they run once the
// loader lets it go, after this image is unmapped and off the loader's
// list, and nothing waits for them here.
//
// A thread still starting is ended with TerminateThread. Ended that way,
// it may hold the loader lock (or the heap's) for good, and every later
// load or free of a library in the process then hangs. Outside a DLL entry
// it is given time to reach its wait first. Inside one it is not: this
// thread holds the loader lock, so the dump thread cannot be in the
// loader's part of its start-up, and it could not finish that part before
// the wait ran out (an unload right after a load would stall for the whole
// wait).
void CrashHandler::StopDumpThread(bool in_dll_entry) {
  if (!in_dll_entry) {
    HANDLE started_or_gone[] = {dump_thread_parked_, dump_thread_};
    ::WaitForMultipleObjects(2, started_or_gone, FALSE, kDumpThreadStartWaitMs);
  }
  if (HandDumpThreadItsEnd()) {
    start_semaphore_ = nullptr;
    dump_thread_parked_ = nullptr;
    if (!in_dll_entry) ::WaitForSingleObject(dump_thread_, kDumpThreadStartWaitMs);
    return;
  }
  ::TerminateThread(dump_thread_, 1);
}

bool CrashHandler::HandDumpThreadItsEnd() {
  if (!dump_thread_waiting()) return false;
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel32 == nullptr) return false;
  auto system_function = [kernel32](const char* name) {
    return reinterpret_cast<PAPCFUNC>(
        reinterpret_cast<void*>(::GetProcAddress(kernel32, name)));
  };
  const PAPCFUNC close_handle = system_function("CloseHandle");
  const PAPCFUNC exit_thread = system_function("ExitThread");
  if (close_handle == nullptr || exit_thread == nullptr) return false;
  if (::SuspendThread(dump_thread_) == static_cast<DWORD>(-1)) return false;
  bool queued = ::QueueUserAPC(close_handle, dump_thread_,
                               reinterpret_cast<ULONG_PTR>(start_semaphore_)) != 0;
  if (queued) {
    // All or nothing: a thread left with only part of them would wake and
    // return into this image's code. Ended while suspended in its wait, it
    // runs none of them, holds no lock, and leaves the handles to the
    // caller.
    queued = ::QueueUserAPC(close_handle, dump_thread_,
                            reinterpret_cast<ULONG_PTR>(dump_thread_parked_)) &&
             ::QueueUserAPC(exit_thread, dump_thread_, 0);
    if (!queued) ::TerminateThread(dump_thread_, 1);
  }
  ::ResumeThread(dump_thread_);
  return queued;
}

void CrashHandler::PutPreviousHooksBack() {
  if (kinds_ & kUnhandledExceptions) ::SetUnhandledExceptionFilter(previous_filter_);
  if (kinds_ & kInvalidParameters) {
    SetRuntimeInvalidParameterHandler(previous_invalid_parameter_handler_);
  }
  if (kinds_ & kPureCalls) SetRuntimePureCallHandler(previous_purecall_handler_);
}

void CrashHandler::InstallOwnHooks() {
  if (kinds_ & kUnhandledExceptions) ::SetUnhandledExceptionFilter(&UnhandledExceptionHook);
  if (kinds_ & kInvalidParameters) SetRuntimeInvalidParameterHandler(&InvalidParameterHook);
  if (kinds_ & kPureCalls) SetRuntimePureCallHandler(&PureCallHook);
}

LONG CrashHandler::OnUnhandledException(EXCEPTION_POINTERS* exception) {
  const DWORD code = exception != nullptr && exception->ExceptionRecord != nullptr
                         ? exception->ExceptionRecord->ExceptionCode
                         : 0;
  // A debugger's exceptions are not faults.
  const bool debugger_exception = code == EXCEPTION_BREAKPOINT || code == EXCEPTION_SINGLE_STEP;
  if (!debugger_exception && RequestDump(exception, nullptr)) {
    return EXCEPTION_EXECUTE_HANDLER;
  }
  return previous_filter_ != nullptr ? previous_filter_(exception) : EXCEPTION_CONTINUE_SEARCH;
}

void CrashHandler::OnInvalidParameter(const wchar_t* expression, const wchar_t* function,
                                      const wchar_t* file, unsigned int line,
                                      uintptr_t reserved, EXCEPTION_POINTERS* caller) {
  CrashAssertion assertion;
  FillCrashAssertion(expression, function, file, line, kInvalidParameterReport, &assertion);
  if (RequestDump(caller, &assertion)) {
    ::TerminateProcess(::GetCurrentProcess(), kRuntimeReportExitCode);
  }
  // Someone else's report: whoever handled it before decides, as if this
  // handler were not there.
  if (previous_invalid_parameter_handler_ != nullptr) {
    previous_invalid_parameter_handler_(expression, function, file, line, reserved);
  } else {
    RuntimeDefaultReport(expression, function, file, line, reserved);
  }
}

void CrashHandler::OnPureCall(EXCEPTION_POINTERS* caller) {
  CrashAssertion assertion;
  FillCrashAssertion(nullptr, nullptr, nullptr, 0, kPureCallReport, &assertion);
  if (RequestDump(caller, &assertion)) {
    ::TerminateProcess(::GetCurrentProcess(), kRuntimeReportExitCode);
  }
  // The caller ends the process itself when the previous handler returns.
  if (previous_purecall_handler_ != nullptr) previous_purecall_handler_();
}

bool CrashHandler::dump_thread_waiting() const {
  return dump_thread_parked_ != nullptr &&
         ::WaitForSingleObject(dump_thread_parked_, 0) == WAIT_OBJECT_0;
}

bool CrashHandler::RequestDump(EXCEPTION_POINTERS* exception, const CrashAssertion* assertion) {
  // The dump thread itself can only fault inside a request it serves.
  if (dump_thread_ == nullptr || ::GetCurrentThreadId() == dump_thread_id_) return false;
  ::EnterCriticalSection(&request_lock_);
  request_thread_id_ = ::GetCurrentThreadId();
  request_exception_ = exception;
  request_assertion_ = assertion;
  request_result_ = false;
  bool result = false;
  if (::ReleaseSemaphore(start_semaphore_, 1, nullptr) &&
      ::WaitForSingleObject(done_semaphore_, INFINITE) == WAIT_OBJECT_0) {
    result = request_result_;
  }
  ::LeaveCriticalSection(&request_lock_);
  return result;
}

DWORD WINAPI CrashHandler::DumpThreadMain(void* parameter) {
  static_cast<CrashHandler*>(parameter)->RunDumpThread();
  return 0;
}

void CrashHandler::RunDumpThread() {
  // The event is set by the same system call that begins the wait: once a
  // removal sees it set, the thread is inside that call, not in this
  // image's code, and APCs queued to it run in its alertable wait. It is
  // cleared while a request is served; a removal that comes between the
  // wake and the clearing races the crash that asked for the dump.
  for (;;) {
    const DWORD wait =
        ::SignalObjectAndWait(dump_thread_parked_, start_semaphore_, INFINITE, TRUE);
    if (wait == WAIT_IO_COMPLETION) continue;
    if (wait != WAIT_OBJECT_0) return;
    ::ResetEvent(dump_thread_parked_);
    if (shutting_down_) return;
    request_result_ = WriteMinidump(request_thread_id_, request_exception_, request_assertion_);
    ::ReleaseSemaphore(done_semaphore_, 1, nullptr);
  }
}

bool CrashHandler::WriteMinidump(DWORD requesting_thread_id, EXCEPTION_POINTERS* exception,
                                 const CrashAssertion* assertion) {
  try {
    if (filter_ == nullptr || !filter_(context_, exception, assertion)) return false;

    bool written = false;
    if (dbghelp_functions_.CanWriteDumps() && !dump_path_.empty()) {
      // Never over an existing file: one id, one dump.
      base::ScopedFileHandle file(::CreateFileW(dump_path_.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file) {
        MINIDUMP_EXCEPTION_INFORMATION exception_information = {};
        exception_information.ThreadId = requesting_thread_id;
        exception_information.ExceptionPointers = exception;
        exception_information.ClientPointers = FALSE;

        CrashThreadInfo thread_info = {3, ::GetCurrentThreadId(), requesting_thread_id};
        CrashAssertion assertion_copy = {};
        if (assertion != nullptr) assertion_copy = *assertion;
        MINIDUMP_USER_STREAM streams[2] = {};
        streams[0].Type = kThreadInfoStreamType;
        streams[0].BufferSize = sizeof(thread_info);
        streams[0].Buffer = &thread_info;
        streams[1].Type = kAssertionStreamType;
        streams[1].BufferSize = sizeof(assertion_copy);
        streams[1].Buffer = &assertion_copy;
        MINIDUMP_USER_STREAM_INFORMATION user_streams = {};
        user_streams.UserStreamCount = assertion != nullptr ? 2 : 1;
        user_streams.UserStreamArray = streams;

        written = dbghelp_functions_.mini_dump_write_dump(
                      ::GetCurrentProcess(), ::GetCurrentProcessId(), file.Get(), dump_type_,
                      exception != nullptr ? &exception_information : nullptr, &user_streams,
                      nullptr) != FALSE;
      }
    }
    // Once a day: the next fault today is not dumped again.
    if (written) StoreLastReportDate(CrashToday(context_));
    if (after_dump_ == nullptr) return written;
    return after_dump_(dump_folder_.c_str(), dump_id_.c_str(), context_, exception, assertion,
                       written);
  } catch (...) {
    return false;
  }
}

bool InstallCrashHandler() {
  try {
    const std::wstring folder = GetCrashDirectory();
    if (folder.empty()) return false;
    if (g_installed == nullptr) {
      g_installed = new CrashHandler(folder, &CrashFilter, &LaunchCrashReporter, nullptr,
                                     kAllCrashKinds, MiniDumpNormal);
    }
    return true;
  } catch (...) {
    return false;
  }
}

void RemoveCrashHandler(bool in_dll_entry) {
  CrashHandler* handler = g_installed;
  g_installed = nullptr;
  if (handler == nullptr) return;
  try {
    handler->Remove(in_dll_entry);
    delete handler;
  } catch (...) {
  }
}

const CrashHandler* GetCrashHandler() { return g_installed; }

}  // namespace ime_shared

// g++ calls these, not the runtime's _purecall, when a pure or deleted
// virtual function is called. The compiler refers to them only weakly from
// the vtables of this target, so the C++ runtime's copies are never linked
// for them and an empty vtable slot would be a jump to address zero. These
// definitions sit in the object that holds InstallCrashHandler, which the
// module's entry always pulls in, so every vtable of the image (the
// statically linked runtime's included) gets them. They serve this image
// only: a DLL's definitions are its own, and the host's and other modules'
// calls never come here.
extern "C" [[noreturn]] void __cxa_pure_virtual() {
  ime_shared::RoutePureVirtualCall();
  ime_shared::DefaultPureVirtualCall("pure virtual method called\n");
}

extern "C" [[noreturn]] void __cxa_deleted_virtual() {
  ime_shared::RoutePureVirtualCall();
  ime_shared::DefaultPureVirtualCall("deleted virtual method called\n");
}
