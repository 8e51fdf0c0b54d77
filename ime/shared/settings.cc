#include "ime/shared/settings.h"

#include <cwchar>
#include <utility>
#include <vector>

#include "ime/shared/base/process_exit.h"
#include "ime/shared/logging.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/security.h"
#include "ime/shared/string_utils.h"

namespace ime_shared {

const wchar_t kLegacySettingsKeyPath[] =
    L"Software\\Tarvel\\Input Method\\Settings";
const wchar_t kModifiedValue[] = L"Modified";
const wchar_t kMigratedV1Value[] = L"MigratedV1";
const wchar_t kCommonSettingsValue[] = L"CommonSettings";
const wchar_t kModeModifiedValue[] = L"ModeModified";
const wchar_t kParam1ModifiedValue[] = L"Param1Modified";

namespace {

// The legacy key is only read, in the 32-bit view the earlier version used.
constexpr REGSAM kLegacyKeyAccess = KEY_READ | KEY_WOW64_32KEY;

// The mutex that orders the making of stores over one section is named
// after the section: this prefix, then the section name.
constexpr wchar_t kSettingsMutexPrefix[] = L"MUTEX";
// As long as every other wait for a shared object of the product.
constexpr DWORD kSettingsMutexTimeoutMs = 5000;

// The process's store. The lock makes the first call and Shutdown safe
// from any thread; after the first call it is only ever taken shared.
SRWLOCK g_instance_lock = SRWLOCK_INIT;
Settings* g_instance = nullptr;
// The places of the process's store when not the product's; only a later
// choice frees them, since a store may still be made while the program's
// statics are torn down.
const SettingsLocation* g_instance_location = nullptr;

// Opens (never creates) |path| below the current user's hive.
base::RegistryKey OpenExistingUserKey(const std::wstring& path,
                                      REGSAM access) {
  HKEY hive = nullptr;
  if (::RegOpenCurrentUser(KEY_READ, &hive) == ERROR_SUCCESS) {
    base::RegistryKey key = base::RegistryKey::Open(hive, path, access);
    ::RegCloseKey(hive);
    return key;
  }
  return base::RegistryKey::Open(HKEY_CURRENT_USER, path, access);
}

}  // namespace

SettingsLocation SettingsLocation::Product() {
  return SettingsLocation{kSettingsSectionName, kProductKeyPath,
                          kLegacySettingsKeyPath};
}

Settings* Settings::GetInstance() {
  ::AcquireSRWLockShared(&g_instance_lock);
  Settings* instance = g_instance;
  ::ReleaseSRWLockShared(&g_instance_lock);
  if (instance != nullptr) return instance;

  ::AcquireSRWLockExclusive(&g_instance_lock);
  if (g_instance == nullptr) {
    g_instance = Create(g_instance_location != nullptr
                            ? *g_instance_location
                            : SettingsLocation::Product())
                     .release();
  }
  instance = g_instance;
  ::ReleaseSRWLockExclusive(&g_instance_lock);
  return instance;
}

void Settings::SetInstanceLocation(const SettingsLocation& location) {
  auto* copy = new SettingsLocation(location);
  ::AcquireSRWLockExclusive(&g_instance_lock);
  const SettingsLocation* previous = g_instance_location;
  g_instance_location = copy;
  ::ReleaseSRWLockExclusive(&g_instance_lock);
  delete previous;
}

void Settings::Shutdown() {
  // At the process's exit a store whose lock an ended thread held is left
  // to the process's end.
  if (!base::AcquireExclusiveUnlessExiting(&g_instance_lock)) return;
  Settings* instance = g_instance;
  g_instance = nullptr;
  ::ReleaseSRWLockExclusive(&g_instance_lock);
  delete instance;
}

std::unique_ptr<Settings> Settings::Create(const SettingsLocation& location) {
  // The creator of the section fills it from the registry only after the
  // section exists. Many processes load the module at once at logon; one
  // that opened the section in between would read zeros, and what it wrote
  // would then be overwritten by the fill. So creating and filling, and
  // opening an existing section, happen under one named mutex: an opener
  // gets it only once the record is filled. Settings must always be
  // available, so when the mutex cannot be made or is not obtained in time
  // (its holder hung), the store is made without it.
  const std::wstring mutex_name = kSettingsMutexPrefix + location.section_name;
  const MutexHolder mutex(CreateLowIntegrityMutex(mutex_name.c_str()));
  const DWORD create_error = ::GetLastError();
  ScopedMutexLock lock(&mutex, kSettingsMutexTimeoutMs);
  if (mutex.handle() == nullptr) {
    LogMessage(__FILE__, __LINE__, LOG_WARNING).stream()
        << "settings: cannot create mutex " << WideToUtf8(mutex_name)
        << " (error " << create_error << "); making the store without it";
  } else if (!lock.held()) {
    LogMessage(__FILE__, __LINE__, LOG_WARNING).stream()
        << "settings: mutex " << WideToUtf8(mutex_name) << " not obtained in "
        << kSettingsMutexTimeoutMs << " ms; making the store without it";
  }

  auto section = std::make_unique<SettingsSection>();
  const HRESULT result = section->Open(location.section_name);
  std::unique_ptr<Settings> settings(
      new Settings(OpenUserKey(location.user_key_path), std::move(section),
                   location.legacy_key_path));
  // Whoever opens an existing section sees what its creator and later
  // writers left there, not the registry.
  if (result != SettingsSection::kOpenedExisting) settings->ReadRegistry();
  return settings;
}

Settings::Settings(base::RegistryKey key,
                   std::unique_ptr<SettingsSection> section,
                   std::wstring legacy_key_path)
    : key_(std::move(key)),
      section_(std::move(section)),
      record_(section_->record()),
      legacy_key_path_(std::move(legacy_key_path)) {}

Settings::~Settings() = default;

// The record may be written by other processes at any time. Each value is
// one aligned 32-bit word read and written whole; volatile keeps the
// compiler from caching or splitting those accesses.
uint32_t Settings::LoadValue(int index) const {
  return static_cast<const volatile uint32_t*>(record_->values)[index];
}

void Settings::StoreValue(int index, uint32_t value) {
  static_cast<volatile uint32_t*>(record_->values)[index] = value;
}

bool Settings::LoadFlag(int index) const {
  return static_cast<const volatile uint8_t*>(record_->modified)[index] != 0;
}

void Settings::StoreFlag(int index, bool flag) {
  static_cast<volatile uint8_t*>(record_->modified)[index] = flag ? 1 : 0;
}

void Settings::StoreString(int index, const std::wstring& text) {
  wchar_t slot[kStringSlotUnits] = {};
  size_t length = std::wcslen(text.c_str());
  if (length > kStringSlotUnits - 1) {
    length = kStringSlotUnits - 1;
    // Never leave half of a surrogate pair at the end of a cut text.
    if (IS_HIGH_SURROGATE(text[length - 1])) --length;
  }
  text.copy(slot, length);
  volatile wchar_t* target = record_->strings[index];
  for (int i = 0; i < kStringSlotUnits; ++i) target[i] = slot[i];
}

uint32_t Settings::GetInt(int index) const {
  if (!SettingsTable::IsIndex(index)) return 0;
  // A record left damaged by another process must not hand out values its
  // readers do not expect (the language, for one, indexes tables).
  return SettingsTable::Sanitize(index, LoadValue(index));
}

uint32_t Settings::GetDefaultInt(int index) const {
  if (!SettingsTable::IsIndex(index)) return 0;
  return SettingsTable::At(index).default_value;
}

void Settings::SetInt(int index, uint32_t value) {
  if (!SettingsTable::IsIndex(index)) return;
  // The request itself counts as the user's change, even when the value
  // stored in the end (the default, for a value out of range) is the
  // current one.
  if (value != GetInt(index)) SetModified(index, true);
  value = SettingsTable::Sanitize(index, value);
  StoreValue(index, value);
  if (key_) key_.WriteDword(SettingsTable::At(index).name, value);
}

std::wstring Settings::GetString(int index) const {
  if (!StringSettingsTable::IsIndex(index)) return std::wstring();
  // Copy first, then measure: another process may write the slot
  // meanwhile, and its NUL is not trusted to be there.
  wchar_t slot[kStringSlotUnits];
  const volatile wchar_t* source = record_->strings[index];
  for (int i = 0; i < kStringSlotUnits; ++i) slot[i] = source[i];
  size_t length = 0;
  while (length < kStringSlotUnits && slot[length] != L'\0') ++length;
  return std::wstring(slot, length);
}

void Settings::SetString(int index, const std::wstring& text) {
  if (!StringSettingsTable::IsIndex(index)) return;
  StoreString(index, text);
  if (key_) {
    key_.WriteString(StringSettingsTable::At(index).name, text.c_str());
  }
}

bool Settings::IsTracked(int index) const {
  return SettingsTable::IsIndex(index) && SettingsTable::At(index).tracked;
}

std::wstring Settings::GetName(int index) const {
  if (!SettingsTable::IsIndex(index)) return std::wstring();
  return SettingsTable::At(index).name;
}

int Settings::IndexOf(const std::wstring& name) const {
  return SettingsTable::IndexOf(name);
}

bool Settings::IsModified(int index) const {
  return IsTracked(index) && LoadFlag(index);
}

void Settings::SetModified(int index, bool modified) {
  if (!IsTracked(index)) return;
  StoreFlag(index, modified);
  WriteModifiedList();
}

void Settings::WriteModifiedList() {
  std::wstring list;
  for (int i = 0; i < kSettingCount; ++i) {
    if (SettingsTable::At(i).tracked && LoadFlag(i)) {
      list += SettingsTable::At(i).name;
      list += L',';
    }
  }
  if (key_) key_.WriteString(kModifiedValue, list);
}

void Settings::ReadRegistry() {
  for (int i = 0; i < kSettingCount; ++i) {
    StoreValue(i, SettingsTable::At(i).default_value);
    StoreFlag(i, false);
  }
  if (!key_) return;

  MigrateV1();

  for (int i = 0; i < kSettingCount; ++i) {
    DWORD value = 0;
    if (key_.ReadDword(SettingsTable::At(i).name, &value) == ERROR_SUCCESS) {
      StoreValue(i, SettingsTable::Sanitize(i, value));
    }
  }

  for (int i = 0; i < kStringSettingCount; ++i) {
    const StringSettingsTable::Row& row = StringSettingsTable::At(i);
    std::wstring text;
    if (key_.ReadString(row.name, &text) != ERROR_SUCCESS) {
      text = row.default_value;
    }
    StoreString(i, text);
  }

  // The names of the settings the user changed. The marks go straight into
  // the record: the list is what the registry already holds.
  std::wstring list;
  if (key_.ReadString(kModifiedValue, &list) == ERROR_SUCCESS) {
    std::vector<std::wstring> names;
    SplitString(list, L",", &names);
    for (const std::wstring& name : names) {
      const int index = SettingsTable::IndexOf(name);
      if (index != kNoSetting) StoreFlag(index, true);
    }
  }
}

void Settings::MigrateV1() {
  DWORD migrated = 0;
  if (key_.ReadDword(kMigratedV1Value, &migrated) == ERROR_SUCCESS &&
      migrated != 0) {
    return;
  }
  // Without the earlier version's key nothing is marked as done, so that
  // the migration is tried again next time.
  const base::RegistryKey legacy =
      OpenExistingUserKey(legacy_key_path_, kLegacyKeyAccess);
  if (!legacy) return;

  DWORD mask = 0;
  if (legacy.ReadDword(kCommonSettingsValue, &mask) == ERROR_SUCCESS) {
    for (int bit = 0; bit < kCommonSettingsBitCount; ++bit) {
      const int index = kCommonSettingsBitMap[bit];
      if (index == kNoSetting) continue;
      const uint32_t value =
          SettingsTable::Sanitize(index, (mask >> bit) & 1u);
      StoreValue(index, value);
      key_.WriteDword(SettingsTable::At(index).name, value);
    }
  }
  if (legacy.ReadDword(kModeModifiedValue, &mask) == ERROR_SUCCESS) {
    for (int bit = 0; bit < kCommonSettingsBitCount; ++bit) {
      const int index = kCommonSettingsBitMap[bit];
      if (index != kNoSetting) SetModified(index, ((mask >> bit) & 1u) != 0);
    }
  }
  if (legacy.ReadDword(kParam1ModifiedValue, &mask) == ERROR_SUCCESS) {
    for (int bit = 0; bit < kParam1ModifiedBitCount; ++bit) {
      const int index = kParam1ModifiedBitMap[bit];
      if (index != kNoSetting) SetModified(index, ((mask >> bit) & 1u) != 0);
    }
  }

  for (int i = 0; i < kSettingCount; ++i) {
    DWORD value = 0;
    if (legacy.ReadDword(SettingsTable::At(i).name, &value) == ERROR_SUCCESS) {
      value = SettingsTable::Sanitize(i, value);
      StoreValue(i, value);
      key_.WriteDword(SettingsTable::At(i).name, value);
    }
  }

  key_.WriteDword(kMigratedV1Value, 1);
  key_.Flush();
}

}  // namespace ime_shared
