// A stand-in for the crash reporter: the crash handler's tests copy it into
// an installation folder as "CrashReport.exe". It records the parameters it
// was started with (the command line after the program's name, as UTF-16)
// into "command_line.txt" beside itself, and ends.
#include <windows.h>

#include <string>

namespace {

// The command line without the program's name and the blanks after it.
std::wstring Parameters() {
  const wchar_t* line = ::GetCommandLineW();
  if (*line == L'"') {
    ++line;
    while (*line != L'\0' && *line != L'"') ++line;
    if (*line == L'"') ++line;
  } else {
    while (*line != L'\0' && *line != L' ' && *line != L'\t') ++line;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

}  // namespace

int main() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L'\\') + 1);

  // Written aside and renamed, so that a reader never sees half a record.
  const std::wstring partial = folder + L"command_line.partial";
  const std::wstring record = folder + L"command_line.txt";
  const std::wstring parameters = Parameters();
  HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const DWORD bytes = static_cast<DWORD>(parameters.size() * sizeof(wchar_t));
  const bool ok = bytes == 0 || (::WriteFile(file, parameters.data(), bytes, &written, nullptr) &&
                                 written == bytes);
  ::CloseHandle(file);
  if (!ok) return 1;
  return ::MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
