#include "ime/shared/testing/child_process.h"

#include <atomic>
#include <vector>

namespace ime_testing {
namespace {

constexpr int kStartTries = 5;
constexpr DWORD kPauseBetweenTriesMs = 200;

// Errors after which the same start may succeed a moment later: the system
// was short of memory, of a resource or of quota, or something was busy.
bool MayPass(DWORD error) {
  switch (error) {
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
    case ERROR_NONPAGED_SYSTEM_RESOURCES:
    case ERROR_PAGED_SYSTEM_RESOURCES:
    case ERROR_WORKING_SET_QUOTA:
    case ERROR_PAGEFILE_QUOTA:
    case ERROR_COMMITMENT_LIMIT:
    case ERROR_NOT_ENOUGH_QUOTA:
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_BUSY:
    case ERROR_SEM_TIMEOUT:
    case ERROR_TIMEOUT:
      return true;
    default:
      return false;
  }
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                         static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(size, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        &utf8[0], size, nullptr, nullptr);
  return utf8;
}

// The system's text of a Win32 error, without its line break.
std::string ErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' ||
                           text.back() == L' ')) {
    text.pop_back();
  }
  return text.empty() ? "no text for this error" : Utf8(text);
}

}  // namespace

std::wstring ProgramDirectory() {
  std::vector<wchar_t> path(MAX_PATH);
  while (true) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(),
                                              static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      std::wstring full(path.data(), length);
      return full.substr(0, full.find_last_of(L"\\/") + 1);
    }
    path.resize(path.size() * 2);
  }
}

bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr &&
         ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring UniqueName(const wchar_t* prefix) {
  static std::atomic<int> counter{0};
  return std::wstring(prefix) + L"." + std::to_wstring(::GetCurrentProcessId()) +
         L"." + std::to_wstring(++counter) + L"." +
         std::to_wstring(::GetTickCount());
}

ChildProcess::~ChildProcess() { Wait(0); }

::testing::AssertionResult ChildProcess::Start(
    const std::wstring& program, const std::wstring& arguments) {
  Wait(0);
  output_.clear();
  const std::wstring path = ProgramDirectory() + program + L".exe";
  const char* failed_call = "";
  DWORD error = ERROR_SUCCESS;
  int tries = 0;
  while (true) {
    error = TryStart(path, arguments, &failed_call);
    ++tries;
    if (error == ERROR_SUCCESS) return ::testing::AssertionSuccess();
    if (tries == kStartTries || !MayPass(error)) break;
    ::Sleep(kPauseBetweenTriesMs);
  }
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << "could not start \"" << Utf8(path) << "\": " << failed_call
          << " failed with Win32 error " << error << ": " << ErrorText(error);
  if (tries == 1) {
    failure << " (1 try)";
  } else {
    failure << " (" << tries << " tries, " << kPauseBetweenTriesMs
            << " ms apart)";
  }
  return failure;
}

DWORD ChildProcess::TryStart(const std::wstring& path,
                             const std::wstring& arguments,
                             const char** failed_call) {
  std::wstring command_line = L"\"" + path + L"\" " + arguments;

  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) {
    *failed_call = "CreatePipe";
    return ::GetLastError();
  }
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  ime_shared::base::ScopedHandle reader(read_end);
  ime_shared::base::ScopedHandle writer(write_end);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(path.c_str(), &command_line[0], nullptr, nullptr,
                        TRUE, 0, nullptr, nullptr, &startup, &info)) {
    *failed_call = "CreateProcessW";
    return ::GetLastError();
  }
  ::CloseHandle(info.hThread);
  process_.Reset(info.hProcess);
  writer.Reset();  // the child holds the only write end now
  reader_ = std::thread([this, pipe = reader.Release()] {
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read) {
      output_.append(buffer, read);
    }
    ::CloseHandle(pipe);
  });
  return ERROR_SUCCESS;
}

int ChildProcess::Wait(DWORD timeout_ms) {
  if (!process_) return -1;
  int code = -1;
  if (::WaitForSingleObject(process_.Get(), timeout_ms) != WAIT_OBJECT_0) {
    ::TerminateProcess(process_.Get(), 255);
    ::WaitForSingleObject(process_.Get(), 5000);
  } else {
    DWORD exit_code = 0;
    ::GetExitCodeProcess(process_.Get(), &exit_code);
    code = static_cast<int>(exit_code);
  }
  process_.Reset();
  if (reader_.joinable()) reader_.join();
  return code;
}

int RunChild(const std::wstring& program, const std::wstring& arguments,
             std::string* output, DWORD timeout_ms) {
  ChildProcess child;
  const ::testing::AssertionResult started = child.Start(program, arguments);
  if (!started) {
    if (output != nullptr) *output = started.message();
    return -1;
  }
  const int code = child.Wait(timeout_ms);
  if (output != nullptr) *output = child.output();
  return code;
}

}  // namespace ime_testing
