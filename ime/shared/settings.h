// The settings store: 68 integer and 2 string settings in one record that
// every process of the build language shares through a named section, and
// that is written through to the per-user product key in the registry.
// There is no change notification: readers ask for a value when they need
// it. Nothing here ever shows a message; registry failures are ignored.
#ifndef IME_SHARED_SETTINGS_H_
#define IME_SHARED_SETTINGS_H_

#include <cstdint>
#include <memory>
#include <string>

#include "ime/shared/base/registry_key.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_section.h"
#include "ime/shared/settings_table.h"

namespace ime_shared {

// The earlier version's settings key below the current user's hive, read
// once (32-bit view) to carry its values over.
extern const wchar_t kLegacySettingsKeyPath[];

// Values of the per-user product key besides the settings themselves.
extern const wchar_t kModifiedValue[];    // "Modified"
extern const wchar_t kMigratedV1Value[];  // "MigratedV1"
// Masks of the legacy key.
extern const wchar_t kCommonSettingsValue[];  // "CommonSettings"
extern const wchar_t kModeModifiedValue[];    // "ModeModified"
extern const wchar_t kParam1ModifiedValue[];  // "Param1Modified"

// Where a store keeps its record and its values. The process's store uses
// the product's places (Product()).
struct SettingsLocation {
  std::wstring section_name;     // the shared section
  std::wstring user_key_path;    // below the current user's hive
  std::wstring legacy_key_path;  // below the current user's hive

  static SettingsLocation Product();
};

class Settings : public SettingsSyncInterface {
 public:
  // The process's store, made on the first call over the product's places
  // (or those given to SetInstanceLocation); later calls return the same
  // one until Shutdown.
  static Settings* GetInstance();
  // Makes the process's store over |location| instead of the product's
  // places, from the next time GetInstance makes it: a program that must
  // not share the product's record (a test's second process) still gets
  // the process's store with its whole lifecycle.
  static void SetInstanceLocation(const SettingsLocation& location);
  // Releases the process's store (key, view, section). Run at process exit
  // or module unload, after the last user of the store is gone.
  static void Shutdown();

  // A store over |location|: creates or opens the section (a private record
  // when that fails), opens or creates the user key, and fills a record it
  // created from the registry. A store that opens an existing section reads
  // nothing from the registry. All of this runs under the named mutex
  // "MUTEX" followed by the section name, so that a store never opens a
  // section whose record its creator has not filled yet; when that mutex
  // cannot be made or is not obtained within 5000 ms (an abandoned one
  // counts as obtained), the store is made without it and a warning logged.
  static std::unique_ptr<Settings> Create(const SettingsLocation& location);

  ~Settings() override;
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  // SettingsInterface. Indices outside the tables read as 0 or empty and
  // are not stored. A value out of its row's range, whether requested or
  // found in the record, is replaced by the default.
  uint32_t GetInt(int index) const override;
  uint32_t GetDefaultInt(int index) const override;
  void SetInt(int index, uint32_t value) override;
  std::wstring GetString(int index) const override;
  // Keeps at most kStringSlotUnits - 1 units in the shared record; the
  // registry receives the whole text.
  void SetString(int index, const std::wstring& text) override;

  // SettingsSyncInterface.
  bool IsTracked(int index) const override;
  std::wstring GetName(int index) const override;
  int IndexOf(const std::wstring& name) const override;
  bool IsModified(int index) const override;
  void SetModified(int index, bool modified) override;

  // Whether the record is shared with other processes (false when the
  // section could not be made and a private record is used).
  bool IsShared() const { return section_->shared(); }

 private:
  Settings(base::RegistryKey key, std::unique_ptr<SettingsSection> section,
           std::wstring legacy_key_path);

  // Fills the record from the product key (defaults where it has nothing
  // usable), after carrying the earlier version's values over once.
  void ReadRegistry();
  void MigrateV1();

  uint32_t LoadValue(int index) const;
  void StoreValue(int index, uint32_t value);
  bool LoadFlag(int index) const;
  void StoreFlag(int index, bool flag);
  void StoreString(int index, const std::wstring& text);
  // Writes "Modified": the names of the marked tracked settings, each
  // followed by a comma.
  void WriteModifiedList();

  base::RegistryKey key_;  // invalid when the user key could not be opened
  std::unique_ptr<SettingsSection> section_;
  SettingsRecord* record_;
  std::wstring legacy_key_path_;
};

}  // namespace ime_shared

#endif  // IME_SHARED_SETTINGS_H_
