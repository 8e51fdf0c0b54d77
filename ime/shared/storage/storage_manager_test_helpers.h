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
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"

namespace ime_shared {
namespace testing_helpers {

// Integer settings in memory; the user cache is enabled unless set.
class FakeSettings : public SettingsInterface {
 public:
  uint32_t GetInt(int index) const override {
    auto it = values_.find(index);
    return it != values_.end() ? it->second : GetDefaultInt(index);
  }
  uint32_t GetDefaultInt(int index) const override {
    return SettingsTable::IsIndex(index) ? SettingsTable::At(index).default_value
                                         : 0;
  }
  void SetInt(int index, uint32_t value) override { values_[index] = value; }
  std::wstring GetString(int index) const override { return std::wstring(); }
  void SetString(int index, const std::wstring& text) override {}

 private:
  std::map<int, uint32_t> values_;
};

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
