// Second process of the teardown test: an input-method process that ends
// while an engine is still alive.
//
//   teardown_test_child <data key> <user folder> <cache mutex>
//       <macros mutex> <language> <settings section> <settings key>
//
// Makes an engine whose shared storage loads <language> below the
// "DataPath" of <data key> (HKEY_LOCAL_MACHINE) with the user cache on,
// teaches the user cache "kal" -> U+0915 U+0932 and returns from main
// without deleting the engine: the process's teardown must still save the
// word. The engine reads the process's own settings store (the one the
// teardown shuts down), made over the section <settings section> and the
// key <settings key> below HKEY_CURRENT_USER instead of the product's.
//
// Every block this program frees is filled with a pattern and never given
// back: a call through an object that the teardown already deleted (the
// settings store deleted before the storage manager that reads it) then
// faults on the pattern at once instead of reading whatever the heap left
// there, and the fault ends the process with exit code 5.
//
// Exit codes: 0 done, 2 bad arguments, 3 no engine, 4 the language did
// not load, 5 a fault (a freed object used), 6 the settings store is not
// the one over <settings section>.
#include <windows.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ime/shared/base/callbacks.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/shared/settings.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_frontend_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "ime/shared/testing/program_arguments.h"

// The program's own allocation functions: blocks come from malloc so that
// their size is known when they are freed.
void* operator new(std::size_t size) {
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void operator delete(void* block) noexcept {
  // A vtable pointer of this pattern is not a canonical address: a virtual
  // call through it faults.
  if (block != nullptr) std::memset(block, 0xDD, _msize(block));
}

void operator delete(void* block, std::size_t) noexcept {
  operator delete(block);
}

namespace {

ime_shared::StoragePlaces g_places;

ime_shared::StorageManager* MakeTestStorage() {
  return ime_shared::StorageManagerImpl::Create(g_places, nullptr);
}

LONG WINAPI EndOnFault(EXCEPTION_POINTERS*) {
  ::TerminateProcess(::GetCurrentProcess(), 5);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main() {
  ::SetUnhandledExceptionFilter(&EndOnFault);
  const std::vector<std::wstring> args = ime_testing::ProgramArguments();
  if (args.size() != 8) return 2;

  g_places.data_path_key = args[1];
  g_places.user_data_folder = args[2];
  g_places.user_cache_mutex_name = args[3];
  g_places.macros_mutex_name = args[4];
  const std::string language = ime_shared::WideToUtf8(args[5]);
  ime_t13n::ProcessSharedStorage().SetFactory(
      ime_shared::base::NewPermanentCallback(&MakeTestStorage));

  const std::wstring& section = args[6];
  ime_shared::Settings::SetInstanceLocation(
      {section, args[7], args[7] + L"\\Legacy"});
  ime_shared::Settings* settings = ime_shared::Settings::GetInstance();
  const HANDLE own_section =
      ::OpenFileMappingW(FILE_MAP_READ, FALSE, section.c_str());
  if (own_section == nullptr) return 6;
  ::CloseHandle(own_section);
  settings->SetInt(ime_shared::kSettingT13nUserCacheEnabled, 1);

  ime_t13n::testing_helpers::TestEnvironment environment;
  environment.mutable_get().settings = settings;
  bool loaded = false;
  environment.mutable_get().handler_maker = [&loaded, language]() {
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
      ime_t13n::CreateT13nEngine(context, environment.get());
  if (engine == nullptr) return 3;
  return loaded ? 0 : 4;
}
