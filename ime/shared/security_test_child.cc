// Second process of the shared-object security tests.
//
//   security_test_child hold <mutex> <acquired event> <release event>
//     Opens <mutex> with CreateLowIntegrityMutex, which must find it already
//     there and not owned: it takes it at once, signals <acquired event>,
//     holds it until <release event> is set, then releases it.
//
// Exit codes: 0 done, 2 bad arguments, 3 the mutex was new, 4 the mutex was
// owned by someone, 5 an event could not be opened, 6 no release in time.
#include <windows.h>

#include <string>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/security.h"

namespace {

std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

}  // namespace

int main(int argc, char** argv) {
  using ime_shared::base::ScopedHandle;
  if (argc != 5 || std::string(argv[1]) != "hold") return 2;
  const std::wstring mutex_name = Widen(argv[2]);
  ScopedHandle acquired(::OpenEventW(EVENT_MODIFY_STATE, FALSE, Widen(argv[3]).c_str()));
  ScopedHandle release(::OpenEventW(SYNCHRONIZE, FALSE, Widen(argv[4]).c_str()));
  if (!acquired || !release) return 5;

  ScopedHandle mutex(ime_shared::CreateLowIntegrityMutex(mutex_name.c_str()));
  if (!mutex || ::GetLastError() != ERROR_ALREADY_EXISTS) return 3;
  if (::WaitForSingleObject(mutex.Get(), 0) != WAIT_OBJECT_0) return 4;
  ::SetEvent(acquired.Get());
  const DWORD wait = ::WaitForSingleObject(release.Get(), 20000);
  ::ReleaseMutex(mutex.Get());
  return wait == WAIT_OBJECT_0 ? 0 : 6;
}
