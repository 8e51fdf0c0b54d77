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

bool ChildProcess::Start(const std::wstring& program,
                         const std::wstring& arguments) {
  const std::wstring path = ProgramDirectory() + program + L".exe";
  std::wstring command_line = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(path.c_str(), &command_line[0], nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  ::CloseHandle(info.hThread);
  process_.Reset(info.hProcess);
  return true;
}

int ChildProcess::Wait(DWORD timeout_ms) {
  if (!process_) return -1;
  if (::WaitForSingleObject(process_.Get(), timeout_ms) != WAIT_OBJECT_0) {
    ::TerminateProcess(process_.Get(), 255);
    ::WaitForSingleObject(process_.Get(), 5000);
    process_.Reset();
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process_.Get(), &code);
  process_.Reset();
  return static_cast<int>(code);
}

}  // namespace ime_testing
