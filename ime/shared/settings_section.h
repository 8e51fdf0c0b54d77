// The settings record and the named shared-memory section that carries it
// between every process of one build language.
#ifndef IME_SHARED_SETTINGS_SECTION_H_
#define IME_SHARED_SETTINGS_SECTION_H_

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/settings_table.h"

namespace ime_shared {

// Units of one string slot: 19 characters and a terminating NUL.
constexpr int kStringSlotUnits = 20;

// The shared payload, the same in every process (little-endian, 424 bytes).
// String slots hold UTF-16 text ending with a NUL; readers never trust the
// NUL to be there.
struct SettingsRecord {
  uint32_t values[kSettingCount];
  uint8_t modified[kSettingCount];  // 1: marked as changed by the user
  uint32_t padding;
  wchar_t strings[kStringSettingCount][kStringSlotUnits];
};

// The section: the payload size written by its creator, then the payload.
struct SettingsSharedMemory {
  int32_t payload_size;
  SettingsRecord record;
};

static_assert(sizeof(SettingsRecord) == 424, "record layout");
static_assert(offsetof(SettingsRecord, modified) == 272, "record layout");
static_assert(offsetof(SettingsRecord, padding) == 340, "record layout");
static_assert(offsetof(SettingsRecord, strings) == 344, "record layout");
static_assert(sizeof(SettingsSharedMemory) == 428, "section layout");
static_assert(offsetof(SettingsSharedMemory, record) == 4, "section layout");

// "TARVEL_T13N_IMESETTINGS_" followed by the build's language code.
extern const wchar_t kSettingsSectionName[];

class SettingsSection {
 public:
  // Results of Open.
  static constexpr HRESULT kCreated = 0;
  static constexpr HRESULT kOpenedExisting = ERROR_ALREADY_EXISTS;
  static constexpr HRESULT kFailed = static_cast<HRESULT>(0x80000006);

  SettingsSection();
  ~SettingsSection();
  SettingsSection(const SettingsSection&) = delete;
  SettingsSection& operator=(const SettingsSection&) = delete;

  // Creates or opens the page-file section |name| with the shared-object
  // attributes and the low-integrity label, and maps it. A new section gets
  // its size word; an existing one is used as its creator left it. When the
  // section cannot be created or mapped, the record is a zeroed one private
  // to this process and the result is kFailed. Call once.
  HRESULT Open(const std::wstring& name);

  // The record in use: the mapped payload or the private record.
  SettingsRecord* record() const { return record_; }
  // Whether the record is shared with other processes.
  bool shared() const { return view_ != nullptr; }

 private:
  base::ScopedHandle section_;
  SettingsSharedMemory* view_;
  std::unique_ptr<SettingsRecord> private_record_;
  SettingsRecord* record_;
  // The size word of a section another process made. It is kept as read
  // and used for nothing: the layout of this build is the one that counts.
  int32_t reported_size_;
};

}  // namespace ime_shared

#endif  // IME_SHARED_SETTINGS_SECTION_H_
