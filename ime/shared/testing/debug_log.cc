#include "ime/shared/testing/debug_log.h"

#include <windows.h>

#include "ime/shared/base/scoped_handle.h"

namespace ime_testing {

std::string ReadDebugLog() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  std::string bytes;
  if (length == 0 || length > MAX_PATH) return bytes;
  // Other processes keep the file open for appending.
  ime_shared::base::ScopedFileHandle file(::CreateFileW(
      (std::wstring(folder, length) + L"debug.log").c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  char buffer[65536];
  DWORD read = 0;
  while (file &&
         ::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) &&
         read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

std::vector<std::string> DebugLogLinesWith(
    const std::vector<std::string>& needles) {
  return DebugLogLinesWith(ReadDebugLog(), needles);
}

std::vector<std::string> DebugLogLinesWith(
    const std::string& log, const std::vector<std::string>& needles) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    bool all = true;
    for (const std::string& needle : needles) {
      all = all && line.find(needle) != std::string::npos;
    }
    if (all) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace ime_testing
