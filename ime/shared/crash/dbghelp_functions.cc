#include "ime/shared/crash/dbghelp_functions.h"

#include <atomic>

namespace ime_shared {

const wchar_t kDbgHelpLibrary[] = L"dbghelp.dll";

namespace {

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

std::atomic<const DbgHelpFunctions*> g_shared_functions{nullptr};

}  // namespace

void DbgHelpFunctions::Resolve(HMODULE library) {
  mini_dump_write_dump =
      Lookup<MiniDumpWriteDumpFunction>(library, "MiniDumpWriteDump");
  sym_initialize = Lookup<SymInitializeFunction>(library, "SymInitialize");
  sym_cleanup = Lookup<SymCleanupFunction>(library, "SymCleanup");
  sym_get_options = Lookup<SymGetOptionsFunction>(library, "SymGetOptions");
  sym_set_options = Lookup<SymSetOptionsFunction>(library, "SymSetOptions");
  stack_walk64 = Lookup<StackWalk64Function>(library, "StackWalk64");
  sym_function_table_access64 = Lookup<PFUNCTION_TABLE_ACCESS_ROUTINE64>(
      library, "SymFunctionTableAccess64");
  sym_get_module_base64 =
      Lookup<PGET_MODULE_BASE_ROUTINE64>(library, "SymGetModuleBase64");
}

const DbgHelpFunctions* SharedDbgHelp() { return g_shared_functions.load(); }

void SetSharedDbgHelp(const DbgHelpFunctions* functions) {
  g_shared_functions.store(functions);
}

}  // namespace ime_shared
