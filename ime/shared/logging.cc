#include "ime/shared/logging.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "ime/shared/base/process_exit.h"
#include "ime/shared/string_utils.h"

namespace ime_shared {

namespace {

const char* const kSeverityNames[] = {"INFO", "WARNING", "ERROR", "FATAL"};

// Lines below this severity are dropped; every line is kept.
constexpr int kMinimumSeverity = LOG_INFO;
// Where lines go: 0 the log file only, 1 the debugger output only, any
// other value both. The module writes to the file.
constexpr int kLogDestination = 0;

constexpr DWORD kMaxPath = 260;

// The log file of the process. The lock is ready before any code runs, so
// two threads that log their first lines at once open the file only once.
SRWLOCK g_log_lock = SRWLOCK_INIT;
FILE* g_log_file = nullptr;
std::string g_log_path;

class SystemProgramRunner : public ProgramRunnerInterface {
 public:
  bool RunAndWait(const std::wstring& program,
                  const std::wstring& command_line) override {
    std::vector<wchar_t> arguments(command_line.begin(), command_line.end());
    arguments.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(program.c_str(), arguments.data(), nullptr, nullptr,
                          FALSE, 0, nullptr, nullptr, &startup, &info)) {
      return false;
    }
    ::WaitForSingleObject(info.hProcess, INFINITE);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
  }
};

class SystemMessageBox : public MessageBoxInterface {
 public:
  void ShowError(const std::wstring& text, const std::wstring& caption) override {
    ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
  }
};

SystemProgramRunner g_system_runner;
SystemMessageBox g_system_message_box;
ProgramRunnerInterface* g_runner = &g_system_runner;
MessageBoxInterface* g_message_box = &g_system_message_box;

const char* BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') base = p + 1;
  }
  return base;
}

// The folder of the host's executable, with its trailing backslash.
std::string ExecutableFolderA() {
  char path[kMaxPath];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, kMaxPath);
  if (length == 0 || length >= kMaxPath) return std::string();
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::wstring ExecutableFolderW() {
  wchar_t path[kMaxPath];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, kMaxPath);
  if (length == 0 || length >= kMaxPath) return std::wstring();
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// Called with the lock held.
bool OpenLogFileLocked() {
  if (g_log_file != nullptr) return true;
  if (g_log_path.empty()) {
    char folder[kMaxPath];
    const DWORD length = ::GetTempPathA(kMaxPath, folder);
    g_log_path = length > 0 && length < kMaxPath ? std::string(folder, length)
                                                 : ExecutableFolderA();
    g_log_path += "/debug.log";
  }
  g_log_file = std::fopen(g_log_path.c_str(), "a");
  if (g_log_file == nullptr) return false;
  std::fseek(g_log_file, 0, SEEK_END);
  return true;
}

void WriteToLogFile(const std::string& line) {
  // At the process's exit a line is dropped rather than waited on a writer
  // that the exit ended.
  if (!base::AcquireExclusiveUnlessExiting(&g_log_lock)) return;
  // At the exit, once a thread was ended inside its work on a file, only a
  // log file open already is written: no file is opened then (see
  // base::FileWorkScope).
  if (g_log_file != nullptr || !base::FileWorkCutShort()) {
    base::FileWorkScope file_work;
    if (OpenLogFileLocked()) {
      std::fseek(g_log_file, 0, SEEK_END);
      std::fprintf(g_log_file, "%s", line.c_str());
      // Flushed at once: the lines before a crash are the ones that matter.
      std::fflush(g_log_file);
    }
  }
  ::ReleaseSRWLockExclusive(&g_log_lock);
}

}  // namespace

std::string FormatLogPrefix(DWORD process_id, const std::tm& local_time,
                            int severity, const char* file, int line) {
  const char* name = severity >= LOG_INFO && severity <= LOG_FATAL
                         ? kSeverityNames[severity]
                         : "UNKNOWN";
  char prefix[64];
  std::snprintf(prefix, sizeof(prefix), "[%lu:%02d%02d/%02d%02d%02d:%s:",
                static_cast<unsigned long>(process_id), local_time.tm_mon + 1,
                local_time.tm_mday, local_time.tm_hour, local_time.tm_min,
                local_time.tm_sec, name);
  std::ostringstream out;
  out << prefix << BaseName(file != nullptr ? file : "") << "(" << line
      << ")] ";
  return out.str();
}

LogMessage::LogMessage(const char* file, int line, int severity)
    : severity_(severity) {
  const std::time_t now = std::time(nullptr);
  std::tm local = {};
  if (const std::tm* converted = std::localtime(&now)) local = *converted;
  stream_ << FormatLogPrefix(::GetCurrentProcessId(), local, severity, file,
                             line);
}

LogMessage::~LogMessage() {
  if (severity_ < kMinimumSeverity) return;
  const std::string message = stream_.str();
  const std::string line = message + "\r\n";
  if (kLogDestination != 0) ::OutputDebugStringA(line.c_str());
  if (kLogDestination != 1) WriteToLogFile(line);
  if (severity_ != LOG_FATAL) return;

  if (::IsDebuggerPresent()) {
    ::DebugBreak();
    return;
  }
  DisplayFatalMessage(message);
  ::TerminateProcess(::GetCurrentProcess(), 1);
}

bool OpenLogFile() {
  ::AcquireSRWLockExclusive(&g_log_lock);
  const bool open = OpenLogFileLocked();
  ::ReleaseSRWLockExclusive(&g_log_lock);
  return open;
}

void SetFatalMessageSeams(ProgramRunnerInterface* runner,
                          MessageBoxInterface* message_box) {
  g_runner = runner != nullptr ? runner : &g_system_runner;
  g_message_box = message_box != nullptr ? message_box : &g_system_message_box;
}

void DisplayFatalMessage(const std::string& message) {
  if (message.empty()) return;
  const std::wstring text = Utf8ToWide(message);
  if (text.empty()) return;
  const std::wstring folder = ExecutableFolderW();
  const std::wstring program = folder + L"DebugMessage.exe";
  if (folder.empty() || program.size() >= kMaxPath ||
      !g_runner->RunAndWait(program, text)) {
    g_message_box->ShowError(text, L"Fatal error");
  }
}

}  // namespace ime_shared
