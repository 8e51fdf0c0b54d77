// A settings store held in memory for tests: integer settings read their
// defaults until set, and every write is counted.
#ifndef IME_SHARED_TESTING_FAKE_SETTINGS_H_
#define IME_SHARED_TESTING_FAKE_SETTINGS_H_

#include <cstdint>
#include <map>
#include <string>

#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"

namespace ime_testing {

class FakeSettings : public ime_shared::SettingsInterface {
 public:
  uint32_t GetInt(int index) const override {
    auto it = values_.find(index);
    return it != values_.end() ? it->second : GetDefaultInt(index);
  }
  uint32_t GetDefaultInt(int index) const override {
    return ime_shared::SettingsTable::IsIndex(index)
               ? ime_shared::SettingsTable::At(index).default_value
               : 0;
  }
  void SetInt(int index, uint32_t value) override {
    values_[index] = value;
    ++writes_[index];
  }
  std::wstring GetString(int index) const override {
    auto it = strings_.find(index);
    return it != strings_.end() ? it->second : std::wstring();
  }
  void SetString(int index, const std::wstring& text) override {
    strings_[index] = text;
  }

  // How often SetInt stored setting |index|.
  int WritesOf(int index) const {
    auto it = writes_.find(index);
    return it != writes_.end() ? it->second : 0;
  }

 private:
  std::map<int, uint32_t> values_;
  std::map<int, int> writes_;
  std::map<int, std::wstring> strings_;
};

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_FAKE_SETTINGS_H_
