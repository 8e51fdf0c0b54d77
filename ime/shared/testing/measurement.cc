#include "ime/shared/testing/measurement.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>

namespace ime_testing {

size_t PrivateBytes() {
  size_t total = 0;
  const uint8_t* address = nullptr;
  MEMORY_BASIC_INFORMATION info;
  while (::VirtualQuery(address, &info, sizeof(info)) == sizeof(info)) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
      total += info.RegionSize;
    }
    const uint8_t* next =
        static_cast<const uint8_t*>(info.BaseAddress) + info.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

size_t ThreadCount() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  size_t count = 0;
  const DWORD process = ::GetCurrentProcessId();
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Thread32First(snapshot, &entry); more;
       more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == process) ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double KernelObjectCallMicros() {
  HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (event == nullptr) return 0;
  const int kPairs = 5000;
  const double start = Now();
  for (int i = 0; i < kPairs; ++i) {
    ::SetEvent(event);
    ::ResetEvent(event);
  }
  const double micros = (Now() - start) * 1e6 / (2 * kPairs);
  ::CloseHandle(event);
  return micros;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t index =
      std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
  return values[index];
}

}  // namespace ime_testing
