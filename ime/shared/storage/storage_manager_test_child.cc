// Second process of the storage manager's tests.
//
//   storage_manager_test_child learn <data key> <user folder> <cache mutex>
//       <macros mutex> <language> <ready event> <go event> <prefix> <count>
//     An input-method process: loads <language> below the "DataPath" of
//     <data key> (HKEY_LOCAL_MACHINE), accepts <count> words "<prefix><n>"
//     (n from 0, native word U+0915 followed by n) in that order, signals
//     <ready event>, waits for <go event> (at most 60 s) and then destroys
//     its storage manager, which saves the user cache.
//   storage_manager_test_child hold <mutex> <acquired event> <release event>
//     Another process busy with the user cache: takes <mutex>, signals
//     <acquired event> and keeps the mutex until <release event> is set (at
//     most 60 s).
//
// Exit codes: 0 done, 2 bad arguments, 3 the language did not load, 4 the
// mutex was not taken, 5 an event could not be opened, 6 no go in time.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/storage/storage_manager_test_helpers.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "ime/shared/testing/program_arguments.h"

namespace {

using ime_shared::base::ScopedHandle;

int Learn(const std::vector<std::wstring>& args) {
  ScopedHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, args[7].c_str()));
  ScopedHandle go(::OpenEventW(SYNCHRONIZE, FALSE, args[8].c_str()));
  if (!ready || !go) return 5;

  ime_shared::StoragePlaces places;
  places.data_path_key = args[2];
  places.user_data_folder = args[3];
  places.user_cache_mutex_name = args[4];
  places.macros_mutex_name = args[5];
  ime_shared::testing_helpers::FakeSettings settings;
  ime_t13n::testing_helpers::RecordingErrorBox box;
  std::unique_ptr<ime_shared::StorageManagerImpl> manager(
      ime_shared::StorageManagerImpl::Create(places, &box));
  manager->SetSettings(&settings);
  if (!manager->Init(ime_shared::WideToUtf8(args[6]))) return 3;

  const int count = _wtoi(args[10].c_str());
  for (int n = 0; n < count; ++n) {
    const std::wstring number = std::to_wstring(n);
    manager->GetTransliterator()->AddUserAccepted(args[9] + number,
                                                  L"\x0915" + number, true);
  }
  ::SetEvent(ready.Get());
  if (::WaitForSingleObject(go.Get(), 60000) != WAIT_OBJECT_0) return 6;
  manager.reset();
  return 0;
}

int Hold(const std::vector<std::wstring>& args) {
  ScopedHandle acquired(
      ::OpenEventW(EVENT_MODIFY_STATE, FALSE, args[3].c_str()));
  ScopedHandle release(::OpenEventW(SYNCHRONIZE, FALSE, args[4].c_str()));
  if (!acquired || !release) return 5;
  std::unique_ptr<ime_shared::MutexHolder> mutex(
      ime_shared::MutexHolder::CreateNamed(args[2].c_str()));
  if (mutex == nullptr || mutex->handle() == nullptr ||
      ::WaitForSingleObject(mutex->handle(), 0) != WAIT_OBJECT_0) {
    return 4;
  }
  ::SetEvent(acquired.Get());
  const DWORD wait = ::WaitForSingleObject(release.Get(), 60000);
  ::ReleaseMutex(mutex->handle());
  return wait == WAIT_OBJECT_0 ? 0 : 6;
}

}  // namespace

int main() {
  const std::vector<std::wstring> args = ime_testing::ProgramArguments();
  if (args.size() == 11 && args[1] == L"learn") return Learn(args);
  if (args.size() == 5 && args[1] == L"hold") return Hold(args);
  return 2;
}
