// Second process of the string-list and mutex tests.
//
//   string_list_file_test_child hold <mutex> <acquired event> <release event>
//     Takes <mutex>, signals <acquired event>, keeps the mutex until
//     <release event> is set (at most 60 s), then releases it.
//   string_list_file_test_child abandon <mutex> <acquired event>
//     Takes <mutex>, signals <acquired event> and ends without releasing it,
//     which leaves the mutex abandoned.
//
// Exit codes: 0 done, 2 bad arguments, 3 no mutex, 4 the mutex was not
// taken, 5 an event could not be opened, 6 no release in time.
#include <windows.h>

#include <memory>
#include <string>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/string_utils.h"

int main(int argc, char** argv) {
  using ime_shared::base::ScopedHandle;
  using ime_shared::Utf8ToWide;
  if (argc < 4) return 2;
  const std::string action = argv[1];
  const bool abandon = action == "abandon" && argc == 4;
  if (!abandon && (action != "hold" || argc != 5)) return 2;

  ScopedHandle acquired(
      ::OpenEventW(EVENT_MODIFY_STATE, FALSE, Utf8ToWide(argv[3]).c_str()));
  ScopedHandle release;
  if (!abandon) {
    release.Reset(::OpenEventW(SYNCHRONIZE, FALSE, Utf8ToWide(argv[4]).c_str()));
  }
  if (!acquired || (!abandon && !release)) return 5;

  std::unique_ptr<ime_shared::MutexHolder> mutex(
      ime_shared::MutexHolder::CreateNamed(Utf8ToWide(argv[2]).c_str()));
  if (mutex->handle() == nullptr) return 3;
  if (::WaitForSingleObject(mutex->handle(), 0) != WAIT_OBJECT_0) return 4;
  ::SetEvent(acquired.Get());
  if (abandon) return 0;

  const DWORD wait = ::WaitForSingleObject(release.Get(), 60000);
  ::ReleaseMutex(mutex->handle());
  return wait == WAIT_OBJECT_0 ? 0 : 6;
}
