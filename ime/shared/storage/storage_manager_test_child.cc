// Second process of the storage manager's tests: an input-method process
// that loads a language, learns words and ends.
//
//   storage_manager_test_child <data key> <user folder> <cache mutex>
//       <macros mutex> <language> <ready event> <go event> <prefix> <count>
//
// Loads <language> below the "DataPath" of <data key> (HKEY_LOCAL_MACHINE),
// accepts <count> words "<prefix><n>", signals <ready event>, waits for
// <go event> (at most 60 s) and then destroys its storage manager, which
// saves the user cache.
//
// Exit codes: 0 done, 2 bad arguments, 3 the language did not load, 5 an
// event could not be opened, 6 no go in time.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/storage/storage_manager_test_helpers.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

int main() {
  using ime_shared::base::ScopedHandle;
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 10) return 2;
  const std::vector<std::wstring> args(argv, argv + argc);
  ::LocalFree(argv);

  ScopedHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, args[6].c_str()));
  ScopedHandle go(::OpenEventW(SYNCHRONIZE, FALSE, args[7].c_str()));
  if (!ready || !go) return 5;

  ime_shared::StoragePlaces places;
  places.data_path_key = args[1];
  places.user_data_folder = args[2];
  places.user_cache_mutex_name = args[3];
  places.macros_mutex_name = args[4];
  ime_shared::testing_helpers::FakeSettings settings;
  ime_t13n::testing_helpers::RecordingErrorBox box;
  std::unique_ptr<ime_shared::StorageManagerImpl> manager(
      ime_shared::StorageManagerImpl::Create(places, &box));
  manager->SetSettings(&settings);
  if (!manager->Init(ime_shared::WideToUtf8(args[5]))) return 3;

  const int count = _wtoi(args[9].c_str());
  for (int n = 0; n < count; ++n) {
    const std::wstring number = std::to_wstring(n);
    manager->GetTransliterator()->AddUserAccepted(args[8] + number,
                                                  L"\x0915" + number, true);
  }
  ::SetEvent(ready.Get());
  if (::WaitForSingleObject(go.Get(), 60000) != WAIT_OBJECT_0) return 6;
  manager.reset();
  return 0;
}
