// The module's log, "debug.log" in the temporary folder, as the tests read
// it: every process of the prefix appends to it, so a test looks only at
// what it added (from an offset) or at lines naming something of its own.
#ifndef IME_SHARED_TESTING_DEBUG_LOG_H_
#define IME_SHARED_TESTING_DEBUG_LOG_H_

#include <string>
#include <vector>

namespace ime_testing {

// The whole log; empty when there is none. Other processes may be writing
// it meanwhile.
std::string ReadDebugLog();

// The lines of |log| (all of ReadDebugLog() by default) that hold every one
// of |needles|.
std::vector<std::string> DebugLogLinesWith(
    const std::vector<std::string>& needles);
std::vector<std::string> DebugLogLinesWith(
    const std::string& log, const std::vector<std::string>& needles);

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_DEBUG_LOG_H_
