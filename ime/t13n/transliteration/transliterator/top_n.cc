#include "ime/t13n/transliteration/transliterator/top_n.h"

#include <windows.h>

#include <cstdio>

namespace ime_t13n {

// Stands in for the FATAL log line until the logging facility is part of
// the module: prints the check and ends the process with code 1.
void TopNEmptyCheckFailed(const char* file, int line) {
  std::fprintf(stderr, "%s(%d) Check failed: !empty(). \n", file, line);
  std::fflush(stderr);
  if (::IsDebuggerPresent()) {
    ::DebugBreak();
    return;
  }
  ::TerminateProcess(::GetCurrentProcess(), 1);
}

}  // namespace ime_t13n
