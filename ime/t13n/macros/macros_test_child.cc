// Second process of the macros editor's tests.
//
//   macros_test_child imitate <data key> <data folder> <user folder>
//       <macros mutex> <section> <user key> <legacy key> <language> <name>...
//     The input method after the editor saved: opens the settings store of
//     <section> (keys <user key> and <legacy key> below HKEY_CURRENT_USER)
//     and checks that "T13nMacroFileChanged" is 1; writes a small language
//     into <data folder>, whose path the parent put as "DataPath" under
//     <data key> (HKEY_LOCAL_MACHINE); loads it with a storage manager over
//     <user folder> and <macros mutex>, reloads the macros as the handler
//     does, prints one line "<name> <target as hexadecimal UTF-16 units>"
//     per <name> (nothing after the name when it has no macro) and sets the
//     setting back to 0.
//
// Exit codes: 0 done, 2 bad arguments, 3 the setting was not 1, 4 the
// language did not load, 7 the language could not be written.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ime/shared/settings.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/storage/storage_manager_test_helpers.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "ime/shared/testing/program_arguments.h"

namespace {

int Imitate(const std::vector<std::wstring>& args) {
  const ime_shared::SettingsLocation location{args[6], args[7], args[8]};
  std::unique_ptr<ime_shared::Settings> settings = ime_shared::Settings::Create(location);
  if (settings == nullptr ||
      settings->GetInt(ime_shared::kSettingT13nMacroFileChanged) != 1) {
    return 3;
  }
  const std::string language = ime_shared::WideToUtf8(args[9]);
  if (!ime_shared::testing_helpers::WriteLanguageFolder(args[3], language)) return 7;

  ime_shared::StoragePlaces places;
  places.data_path_key = args[2];
  places.user_data_folder = args[4];
  places.user_cache_mutex_name = args[5] + L".cache";
  places.macros_mutex_name = args[5];
  ime_t13n::testing_helpers::RecordingErrorBox box;
  std::unique_ptr<ime_shared::StorageManagerImpl> manager(
      ime_shared::StorageManagerImpl::Create(places, &box));
  manager->SetSettings(settings.get());
  if (!manager->Init(language)) return 4;

  // What the handler does when it finds the setting at 1.
  manager->LoadMacros();
  settings->SetInt(ime_shared::kSettingT13nMacroFileChanged, 0);

  for (size_t i = 10; i < args.size(); ++i) {
    std::string line = ime_shared::WideToUtf8(args[i]);
    for (wchar_t unit : manager->GetTransliterator()->LookupMacro(args[i])) {
      char hex[8];
      std::snprintf(hex, sizeof(hex), " %04X", static_cast<unsigned>(unit));
      line += hex;
    }
    std::printf("%s\n", line.c_str());
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main() {
  const std::vector<std::wstring> args = ime_testing::ProgramArguments();
  if (args.size() >= 10 && args[1] == L"imitate") return Imitate(args);
  return 2;
}
