// Shared pieces of the storage manager's tests and their second process: a
// settings store held in memory, and the places of one test (a data folder
// with a language data file, a user folder, registry keys and mutexes of
// its own).
#ifndef IME_SHARED_STORAGE_STORAGE_MANAGER_TEST_HELPERS_H_
#define IME_SHARED_STORAGE_STORAGE_MANAGER_TEST_HELPERS_H_

#include <cstdint>
#include <map>
#include <string>

#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/testing/fake_settings.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"

namespace ime_shared {
namespace testing_helpers {

// Integer settings in memory; the user cache is enabled unless set.
using FakeSettings = ime_testing::FakeSettings;

// Writes a small language's data file into "<data_path>\<language>".
inline bool WriteLanguageFolder(const std::wstring& data_path,
                                const std::string& language) {
  const std::wstring folder = data_path + L"\\" + Utf8ToWide(language);
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return ime_testing::WriteFileBytes(
      folder + L"\\data.00000",
      ime_t13n::WriteLanguageDataFile(
          ime_t13n::testing_helpers::SampleContents()));
}

}  // namespace testing_helpers
}  // namespace ime_shared

#endif  // IME_SHARED_STORAGE_STORAGE_MANAGER_TEST_HELPERS_H_
