// The functions of "dbghelp.dll" that the crash handler uses, looked up at
// run time: the module never imports the library, so that a host without it
// still loads the module (and simply gets no dumps).
#ifndef IME_SHARED_CRASH_DBGHELP_FUNCTIONS_H_
#define IME_SHARED_CRASH_DBGHELP_FUNCTIONS_H_

#include <windows.h>
// dbghelp.h is used for its types only; no function of it is called
// through the import library.
#include <dbghelp.h>

namespace ime_shared {

struct DbgHelpFunctions {
  using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(
      HANDLE process, DWORD process_id, HANDLE file, MINIDUMP_TYPE type,
      PMINIDUMP_EXCEPTION_INFORMATION exception,
      PMINIDUMP_USER_STREAM_INFORMATION user_streams,
      PMINIDUMP_CALLBACK_INFORMATION callback);
  using SymInitializeFunction = BOOL(WINAPI*)(HANDLE process, PCSTR search_path,
                                              BOOL invade_process);
  using SymCleanupFunction = BOOL(WINAPI*)(HANDLE process);
  using SymGetOptionsFunction = DWORD(WINAPI*)();
  using SymSetOptionsFunction = DWORD(WINAPI*)(DWORD options);
  using StackWalk64Function = BOOL(WINAPI*)(
      DWORD machine, HANDLE process, HANDLE thread, LPSTACKFRAME64 frame,
      PVOID context, PREAD_PROCESS_MEMORY_ROUTINE64 read_memory,
      PFUNCTION_TABLE_ACCESS_ROUTINE64 function_table_access,
      PGET_MODULE_BASE_ROUTINE64 get_module_base,
      PTRANSLATE_ADDRESS_ROUTINE64 translate_address);

  // Looks every function up in |library| (null: all stay null).
  void Resolve(HMODULE library);

  bool CanWriteDumps() const { return mini_dump_write_dump != nullptr; }
  bool CanWalkStacks() const {
    return sym_initialize != nullptr && sym_cleanup != nullptr &&
           stack_walk64 != nullptr && sym_function_table_access64 != nullptr &&
           sym_get_module_base64 != nullptr;
  }

  MiniDumpWriteDumpFunction mini_dump_write_dump = nullptr;
  SymInitializeFunction sym_initialize = nullptr;
  SymCleanupFunction sym_cleanup = nullptr;
  SymGetOptionsFunction sym_get_options = nullptr;
  SymSetOptionsFunction sym_set_options = nullptr;
  StackWalk64Function stack_walk64 = nullptr;
  PFUNCTION_TABLE_ACCESS_ROUTINE64 sym_function_table_access64 = nullptr;
  PGET_MODULE_BASE_ROUTINE64 sym_get_module_base64 = nullptr;
};

// The name the library is loaded by.
extern const wchar_t kDbgHelpLibrary[];  // "dbghelp.dll"

// The functions of the library that the installed crash handler loaded, so
// that the dump thread never has to load a library (the loader lock may be
// held by the faulting thread). Null while no handler holds the library.
const DbgHelpFunctions* SharedDbgHelp();
// Set by the handler that loads the library, cleared (null) by its removal.
void SetSharedDbgHelp(const DbgHelpFunctions* functions);

}  // namespace ime_shared

#endif  // IME_SHARED_CRASH_DBGHELP_FUNCTIONS_H_
