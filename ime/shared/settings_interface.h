// The interfaces through which the input method reads and changes its
// settings. Integer settings are addressed by their index in SettingsTable
// (0 to kSettingCount - 1), string settings by their index in
// StringSettingsTable.
#ifndef IME_SHARED_SETTINGS_INTERFACE_H_
#define IME_SHARED_SETTINGS_INTERFACE_H_

#include <cstdint>
#include <string>

namespace ime_shared {

class SettingsInterface {
 public:
  virtual ~SettingsInterface() = default;

  // The current value of an integer setting.
  virtual uint32_t GetInt(int index) const = 0;
  // The table default of an integer setting.
  virtual uint32_t GetDefaultInt(int index) const = 0;
  // Stores a value; a value out of the setting's range stores the default.
  virtual void SetInt(int index, uint32_t value) = 0;
  virtual std::wstring GetString(int index) const = 0;
  virtual void SetString(int index, const std::wstring& text) = 0;
};

// What the settings store adds for those that keep the user's changes in
// step: names, the tracked flags and the modified marks.
class SettingsSyncInterface : public SettingsInterface {
 public:
  virtual bool IsTracked(int index) const = 0;
  virtual std::wstring GetName(int index) const = 0;
  // The index of the integer setting named exactly |name|; kNoSetting when
  // there is none.
  virtual int IndexOf(const std::wstring& name) const = 0;
  // Whether a tracked setting is marked as changed by the user; false for
  // untracked settings.
  virtual bool IsModified(int index) const = 0;
  // Marks or unmarks a tracked setting; untracked settings are left alone.
  virtual void SetModified(int index, bool modified) = 0;
};

}  // namespace ime_shared

#endif  // IME_SHARED_SETTINGS_INTERFACE_H_
