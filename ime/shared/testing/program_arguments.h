// The command line of a helper program, as its arguments.
#ifndef IME_SHARED_TESTING_PROGRAM_ARGUMENTS_H_
#define IME_SHARED_TESTING_PROGRAM_ARGUMENTS_H_

#include <string>
#include <vector>

namespace ime_testing {

// The program's arguments split as the system splits them, the program's
// own name first; empty when the command line cannot be split.
std::vector<std::wstring> ProgramArguments();

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_PROGRAM_ARGUMENTS_H_
