// Second process of the logging tests. Its log file goes where TMP points.
//
//   logging_test_child lines
//     Logs one line at INFO, WARNING and ERROR and prints, for each, the
//     process id and the source line as "<pid> <line>".
//   logging_test_child race <threads> <lines>
//     Starts the threads, releases them at once, and each logs its lines
//     "thread <t> line <i>" at INFO.
//   logging_test_child fatal
//     Logs "going down" at FATAL with a message box that prints
//     "box|<caption>|<text>" instead of showing itself. When the log
//     statement returns (only under a debugger) the program goes on and
//     ends with 0, or 3 when the box was shown.
//
// Run under the name "DebugMessage.exe", it writes its command line, in
// UTF-8, to "shown.txt" beside itself and ends with 0.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ime/shared/logging.h"
#include "ime/shared/string_utils.h"

namespace {

using ime_shared::LogMessage;

class PrintingMessageBox : public ime_shared::MessageBoxInterface {
 public:
  void ShowError(const std::wstring& text, const std::wstring& caption) override {
    std::printf("box|%s|%s\n", ime_shared::WideToUtf8(caption).c_str(),
                ime_shared::WideToUtf8(text).c_str());
    std::fflush(stdout);
    shown = true;
  }
  bool shown = false;
};

int ShowAsDebugMessage(const std::wstring& folder) {
  const std::string command_line = ime_shared::WideToUtf8(::GetCommandLineW());
  FILE* file = _wfopen((folder + L"shown.txt").c_str(), L"wb");
  if (file == nullptr) return 4;
  std::fwrite(command_line.data(), 1, command_line.size(), file);
  std::fclose(file);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  wchar_t path[MAX_PATH];
  const std::wstring self(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
  const size_t slash = self.find_last_of(L'\\');
  if (self.substr(slash + 1) == L"DebugMessage.exe") {
    return ShowAsDebugMessage(self.substr(0, slash + 1));
  }
  if (argc < 2) return 2;
  const std::string action = argv[1];

  if (action == "lines") {
    const DWORD pid = ::GetCurrentProcessId();
    LogMessage(__FILE__, __LINE__, ime_shared::LOG_INFO).stream() << "first " << 1;
    std::printf("%lu %d\n", static_cast<unsigned long>(pid), __LINE__ - 1);
    LogMessage(__FILE__, __LINE__, ime_shared::LOG_WARNING).stream() << "second";
    std::printf("%lu %d\n", static_cast<unsigned long>(pid), __LINE__ - 1);
    LogMessage("C:\\src\\ime\\top-n-inl", 274, ime_shared::LOG_ERROR).stream()
        << "\xE0\xA4\xA8 third";
    std::printf("%lu %d\n", static_cast<unsigned long>(pid), 274);
    return 0;
  }

  if (action == "race" && argc == 4) {
    const int threads = std::atoi(argv[2]);
    const int lines = std::atoi(argv[3]);
    HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([=] {
        ::WaitForSingleObject(go, INFINITE);
        for (int i = 0; i < lines; ++i) {
          LogMessage(__FILE__, __LINE__, ime_shared::LOG_INFO).stream()
              << "thread " << t << " line " << i;
        }
      });
    }
    ::Sleep(50);
    ::SetEvent(go);
    for (std::thread& worker : workers) worker.join();
    return 0;
  }

  if (action == "fatal") {
    PrintingMessageBox box;
    ime_shared::SetFatalMessageSeams(nullptr, &box);
    LogMessage(__FILE__, __LINE__, ime_shared::LOG_FATAL).stream() << "going down";
    std::printf("continued\n");
    return box.shown ? 3 : 0;
  }
  return 2;
}
