// Second process of the top-N tests: asks an empty selection for its bottom,
// which is a fatal error. The fatal message is printed as "shown|<text>"
// instead of being shown; the log file goes where TMP points. Ends with the
// fatal error's exit code, or with 0 when the process went on (only under a
// debugger).
#include <cstdio>
#include <string>

#include "ime/shared/logging.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/top_n.h"

namespace {

class PrintingRunner : public ime_shared::ProgramRunnerInterface {
 public:
  bool RunAndWait(const std::wstring& program,
                  const std::wstring& command_line) override {
    std::printf("shown|%s\n", ime_shared::WideToUtf8(command_line).c_str());
    std::fflush(stdout);
    return true;
  }
};

}  // namespace

int main() {
  PrintingRunner runner;
  ime_shared::SetFatalMessageSeams(&runner, nullptr);
  ime_t13n::TopN<float> top(0);
  top.push(1.0f);  // kept nowhere: the limit is 0
  top.bottom();
  std::printf("continued\n");
  return 0;
}
