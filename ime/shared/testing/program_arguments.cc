#include "ime/shared/testing/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

namespace ime_testing {

std::vector<std::wstring> ProgramArguments() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr) return {};
  std::vector<std::wstring> args(argv, argv + argc);
  ::LocalFree(argv);
  return args;
}

}  // namespace ime_testing
