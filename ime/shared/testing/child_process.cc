#include "ime/shared/testing/child_process.h"

#include <atomic>
#include <vector>

namespace ime_testing {

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

bool ChildProcess::Start(const std::wstring& program,
                         const std::wstring& arguments) {
  Wait(0);
  output_.clear();
  const std::wstring path = ProgramDirectory() + program + L".exe";
  std::wstring command_line = L"\"" + path + L"\" " + arguments;

  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return false;
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
    return false;
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
  return true;
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
  if (!child.Start(program, arguments)) return -1;
  const int code = child.Wait(timeout_ms);
  if (output != nullptr) *output = child.output();
  return code;
}

}  // namespace ime_testing
