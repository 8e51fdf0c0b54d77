#include "ime/shared/crash/crash_filter.h"

#include <objbase.h>
#include <shellapi.h>

#include "ime/shared/crash/dbghelp_functions.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/product_registry.h"

namespace ime_shared {

const wchar_t kLastReportValue[] = L"LastReport";
const wchar_t kCrashReporterProgram[] = L"CrashReport.exe";
const wchar_t kCrashReporterVersion[] = L"1.0.4.0";

namespace {

// A broken stack can lead the walk in circles; no real stack of the host
// is deeper than this.
constexpr int kMaxWalkedFrames = 1024;

// Marks this image: its allocation base is the module's own.
const char kModuleMarker = 0;

const void* AllocationBaseOf(const void* address) {
  MEMORY_BASIC_INFORMATION info = {};
  if (address == nullptr ||
      ::VirtualQuery(address, &info, sizeof(info)) != sizeof(info) ||
      info.State != MEM_COMMIT) {
    return nullptr;
  }
  return info.AllocationBase;
}

bool LiesInModule(const void* address, const void* module_base) {
  return module_base != nullptr && AllocationBaseOf(address) == module_base;
}

void CopyCut(const wchar_t* text, wchar_t (&target)[kCrashAssertionTextLength]) {
  size_t length = 0;
  if (text != nullptr) {
    while (length + 1 < kCrashAssertionTextLength && text[length] != L'\0') {
      target[length] = text[length];
      ++length;
    }
  }
  for (size_t i = length; i < kCrashAssertionTextLength; ++i) target[i] = L'\0';
}

class ShellProgramStarter : public ProgramStarterInterface {
 public:
  bool Start(const std::wstring& path, const std::wstring& parameters) override {
    // The shell may hand the start to its extensions, which want COM on the
    // calling thread (the dump thread has none of its own).
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", path.c_str(),
                                             parameters.c_str(), nullptr, SW_SHOW);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
};

// A symbol session of our own over the stack of a context. dbghelp keys its
// sessions by process handle, so the walk uses a duplicate of the process
// handle: a host that runs a session of its own on the process keeps it,
// and ours is cleaned up without touching the host's.
class StackWalker {
 public:
  explicit StackWalker(const DbgHelpFunctions& functions) : functions_(functions) {
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(),
                           ::GetCurrentProcess(), &process_, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
      process_ = nullptr;
      return;
    }
    // Symbols are not needed, only the module list and the unwind tables:
    // deferred loading keeps the walk from reading every module's debug
    // information. The options are process-wide, so the host's come back.
    if (functions_.sym_get_options != nullptr && functions_.sym_set_options != nullptr) {
      saved_options_ = functions_.sym_get_options();
      functions_.sym_set_options(saved_options_ | SYMOPT_DEFERRED_LOADS);
      options_changed_ = true;
    }
    // StackWalk64 finds no frame of any module without a session.
    initialized_ = functions_.sym_initialize(process_, nullptr, TRUE) != FALSE;
  }

  ~StackWalker() {
    if (initialized_) functions_.sym_cleanup(process_);
    if (options_changed_) functions_.sym_set_options(saved_options_);
    if (process_ != nullptr) ::CloseHandle(process_);
  }

  StackWalker(const StackWalker&) = delete;
  StackWalker& operator=(const StackWalker&) = delete;

  bool FindsFrameIn(const CONTEXT& start, const void* module_base) {
    if (!initialized_) return false;
    CONTEXT context = start;  // StackWalk64 moves it frame by frame
    STACKFRAME64 frame = {};
#if defined(__x86_64__) || defined(_M_X64)
    const DWORD machine = IMAGE_FILE_MACHINE_AMD64;
    frame.AddrPC.Offset = context.Rip;
    frame.AddrStack.Offset = context.Rsp;
    frame.AddrFrame.Offset = context.Rbp;
#else
    const DWORD machine = IMAGE_FILE_MACHINE_I386;
    frame.AddrPC.Offset = context.Eip;
    frame.AddrStack.Offset = context.Esp;
    frame.AddrFrame.Offset = context.Ebp;
#endif
    frame.AddrPC.Mode = AddrModeFlat;
    frame.AddrStack.Mode = AddrModeFlat;
    frame.AddrFrame.Mode = AddrModeFlat;
    for (int i = 0; i < kMaxWalkedFrames; ++i) {
      if (!functions_.stack_walk64(machine, process_, ::GetCurrentThread(), &frame,
                                   &context, nullptr,
                                   functions_.sym_function_table_access64,
                                   functions_.sym_get_module_base64, nullptr)) {
        return false;
      }
      if (frame.AddrPC.Offset == 0) return false;
      if (LiesInModule(reinterpret_cast<const void*>(
                           static_cast<uintptr_t>(frame.AddrPC.Offset)),
                       module_base)) {
        return true;
      }
    }
    return false;
  }

 private:
  const DbgHelpFunctions& functions_;
  HANDLE process_ = nullptr;
  bool initialized_ = false;
  bool options_changed_ = false;
  DWORD saved_options_ = 0;
};

}  // namespace

void FillCrashAssertion(const wchar_t* expression, const wchar_t* function,
                        const wchar_t* file, unsigned int line,
                        CrashAssertionKind kind, CrashAssertion* assertion) {
  CopyCut(expression, assertion->expression);
  CopyCut(function, assertion->function);
  CopyCut(file, assertion->file);
  assertion->line = line;
  assertion->kind = kind;
}

DWORD CrashToday(const CrashSeams* seams) {
  if (seams != nullptr && seams->date != nullptr) return seams->date->Today();
  SYSTEMTIME now = {};
  ::GetSystemTime(&now);
  return now.wYear * 10000u + now.wMonth * 100u + now.wDay;
}

const void* CrashModuleBase(const CrashSeams* seams) {
  if (seams != nullptr && seams->module_base != nullptr) return seams->module_base;
  return AllocationBaseOf(&kModuleMarker);
}

bool StoreLastReportDate(DWORD date) {
  try {
    const RegistryKey key = OpenUserProductKey();
    return key && key.WriteDword(kLastReportValue, date) == ERROR_SUCCESS;
  } catch (...) {
    return false;
  }
}

bool StackHasModuleFrame(const CONTEXT& context, const void* module_base) {
  if (module_base == nullptr) return false;
  // The installed handler's copy; a caller without one (a test) loads the
  // library for the walk.
  const DbgHelpFunctions* functions = SharedDbgHelp();
  DbgHelpFunctions own;
  HMODULE library = nullptr;
  if (functions == nullptr || !functions->CanWalkStacks()) {
    library = ::LoadLibraryW(kDbgHelpLibrary);
    own.Resolve(library);
    functions = &own;
  }
  bool found = false;
  if (functions->CanWalkStacks()) {
    StackWalker walker(*functions);
    found = walker.FindsFrameIn(context, module_base);
  }
  if (library != nullptr) ::FreeLibrary(library);
  return found;
}

bool CrashFilter(const CrashSeams* context, EXCEPTION_POINTERS* exception,
                 const CrashAssertion* assertion) {
  try {
    // One report a day: the first dump of the day tells enough.
    {
      const RegistryKey key = OpenUserProductKey();
      DWORD last_report = 0;
      if (key && key.ReadDword(kLastReportValue, &last_report) == ERROR_SUCCESS &&
          last_report == CrashToday(context)) {
        return false;
      }
    }
    if (exception == nullptr || exception->ExceptionRecord == nullptr ||
        exception->ContextRecord == nullptr) {
      return false;
    }
    const void* module_base = CrashModuleBase(context);
    if (LiesInModule(exception->ExceptionRecord->ExceptionAddress, module_base)) {
      return true;
    }
    // A fault elsewhere (the runtime, the system) on behalf of the module
    // still is the module's.
    return StackHasModuleFrame(*exception->ContextRecord, module_base);
  } catch (...) {
    return false;
  }
}

bool LaunchCrashReporter(const wchar_t* dump_folder, const wchar_t* dump_id,
                         const CrashSeams* context,
                         EXCEPTION_POINTERS* exception,
                         const CrashAssertion* assertion, bool dump_written) {
  try {
    // Without a dump the reporter would be told of a file that is not there.
    if (!dump_written || dump_id == nullptr) return false;
    const std::wstring folder = GetInstallDirectory();
    if (folder.empty()) return false;
    const std::wstring path = PathJoin(folder, kCrashReporterProgram);
    if (path.empty()) return false;
    // Only the program itself: opening anything else (the folder, say)
    // would show the user a window and count as a started reporter.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return false;
    }
    const std::wstring parameters = std::wstring(L"--file_version=") +
                                    kCrashReporterVersion + L" " + dump_id;
    ShellProgramStarter shell_starter;
    ProgramStarterInterface* starter =
        context != nullptr && context->starter != nullptr ? context->starter
                                                          : &shell_starter;
    return starter->Start(path, parameters);
  } catch (...) {
    return false;
  }
}

}  // namespace ime_shared
