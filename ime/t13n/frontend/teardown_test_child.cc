// Second process of the teardown test: an input-method process that ends
// while an engine is still alive.
//
//   teardown_test_child <data key> <user folder> <cache mutex>
//       <macros mutex> <language>
//
// Makes an engine whose shared storage loads <language> below the
// "DataPath" of <data key> (HKEY_LOCAL_MACHINE) with the user cache on,
// teaches the user cache "kal" -> U+0915 U+0932 and returns from main
// without deleting the engine: the process's teardown must still save the
// word.
//
// Exit codes: 0 done, 2 bad arguments, 3 no engine, 4 the language did
// not load.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "ime/shared/base/callbacks.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_frontend_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace {

ime_shared::StoragePlaces g_places;

ime_shared::StorageManager* MakeTestStorage() {
  return ime_shared::StorageManagerImpl::Create(g_places, nullptr);
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 6) return 2;
  const std::vector<std::wstring> args(argv, argv + argc);
  ::LocalFree(argv);

  g_places.data_path_key = args[1];
  g_places.user_data_folder = args[2];
  g_places.user_cache_mutex_name = args[3];
  g_places.macros_mutex_name = args[4];
  const std::string language = ime_shared::WideToUtf8(args[5]);
  ime_t13n::ProcessSharedStorage().SetFactory(
      ime_shared::base::NewPermanentCallback(&MakeTestStorage));

  // Never freed: the storage manager reads the settings while the process
  // tears its objects down, in whatever order the runtime picks.
  auto* environment = new ime_t13n::testing_helpers::TestEnvironment();
  bool loaded = false;
  environment->mutable_get().handler_maker = [&loaded, language]() {
    auto* handler = new ime_t13n::testing_helpers::ScriptedT13nHandler();
    handler->SetScript([handler, &loaded,
                        language](const ime_shared::CommandInterface& command) {
      if (command.Type() == ime_shared::kAttachCommand &&
          handler->storage->Init(language)) {
        handler->storage->GetTransliterator()->AddUserAccepted(
            L"kal", L"\x0915\x0932", true);
        loaded = true;
      }
      return 5u;
    });
    return handler;
  };
  auto* context = new ime_shared::testing_helpers::FakeContext();
  ime_shared::EngineInterface* engine =
      ime_t13n::CreateT13nEngine(context, environment->get());
  if (engine == nullptr) return 3;
  return loaded ? 0 : 4;
}
