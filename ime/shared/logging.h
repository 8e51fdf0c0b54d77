// A minimal logging facility: a LogMessage collects one line and appends it
// to "debug.log" in the temporary folder when it is destroyed. A FATAL line
// shows its message and ends the process with exit code 1, unless a
// debugger is attached, which gets a break instead.
//
//   LogMessage(__FILE__, __LINE__, LOG_ERROR).stream() << "what happened";
//   KELVANE_LOG(LOG_ERROR) << "what happened";  // the same, shorter
//
// Each line reads
//   [<pid>:<MMDD>/<hhmmss>:<SEVERITY>:<source base name>(<line>)] <message>
// and is written with "\r\n" in text mode, so it ends with CR CR LF.
#ifndef IME_SHARED_LOGGING_H_
#define IME_SHARED_LOGGING_H_

#include <windows.h>

#include <ctime>
#include <sstream>
#include <string>

namespace ime_shared {

enum LogSeverity : int {
  LOG_INFO = 0,
  LOG_WARNING = 1,
  LOG_ERROR = 2,
  LOG_FATAL = 3,
};

class LogMessage {
 public:
  // Starts the line with its prefix, taking the local time now.
  LogMessage(const char* file, int line, int severity);
  // Writes the line; a FATAL line then ends the process (see above).
  ~LogMessage();
  LogMessage(const LogMessage&) = delete;
  LogMessage& operator=(const LogMessage&) = delete;

  std::ostream& stream() { return stream_; }

 private:
  int severity_;
  std::ostringstream stream_;
};

// One line at |severity| (LOG_INFO, LOG_WARNING, LOG_ERROR or LOG_FATAL)
// from the current source line; the message is streamed into it.
#define KELVANE_LOG(severity) \
  ::ime_shared::LogMessage(__FILE__, __LINE__, ::ime_shared::severity).stream()

// The prefix of a line: "[pid:MMDD/hhmmss:SEVERITY:base(line)] ". The base
// name is the part of |file| after its last backslash or slash.
std::string FormatLogPrefix(DWORD process_id, const std::tm& local_time,
                            int severity, const char* file, int line);

// Opens the log file once per process: "debug.log" in the temporary folder,
// or beside the host's executable when the temporary folder's path does not
// fit in 259 characters. False when it cannot be opened (the next line tries
// again). Safe when several threads log their first line at once.
bool OpenLogFile();

// Starts a program and waits for it to end: false when it cannot be started.
class ProgramRunnerInterface {
 public:
  virtual ~ProgramRunnerInterface() = default;
  virtual bool RunAndWait(const std::wstring& program,
                          const std::wstring& command_line) = 0;
};

// Shows a message box without owner and with the error icon.
class MessageBoxInterface {
 public:
  virtual ~MessageBoxInterface() = default;
  virtual void ShowError(const std::wstring& text,
                         const std::wstring& caption) = 0;
};

// Replaces how fatal messages reach the user; null restores the system's
// CreateProcessW and MessageBoxW. The objects must outlive their use.
void SetFatalMessageSeams(ProgramRunnerInterface* runner,
                          MessageBoxInterface* message_box);

// Shows a fatal message (UTF-8): runs "DebugMessage.exe" from the folder of
// the host's executable with the message as its command line and waits for
// it; when that program cannot be started, shows the message in a
// "Fatal error" box. An empty message shows nothing.
void DisplayFatalMessage(const std::string& message);

}  // namespace ime_shared

#endif  // IME_SHARED_LOGGING_H_
