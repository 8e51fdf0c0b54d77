#include "ime/shared/testing/measurement.h"

#include <windows.h>

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

double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace ime_testing
