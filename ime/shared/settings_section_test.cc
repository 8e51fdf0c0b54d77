// The settings record shared between processes: what a second process
// sees, when the registry is read again, and records that other processes
// left damaged or sized differently.
#include "ime/shared/settings_section.h"

#include <string>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/settings.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"

namespace ime_shared {
namespace {

using base::ScopedHandle;
using ime_testing::ChildProcess;
using ime_testing::ScratchRegistryKey;
using ime_testing::UniqueName;

class SettingsSectionTest : public ::testing::Test {
 protected:
  SettingsSectionTest()
      : user_(HKEY_CURRENT_USER, L"SectionUser"),
        legacy_(HKEY_CURRENT_USER, L"SectionLegacy", KEY_WOW64_32KEY),
        location_{UniqueName(L"KelvaneSection"), user_.path(), legacy_.path()} {}

  std::unique_ptr<Settings> Open() { return Settings::Create(location_); }

  // Runs the child program over this test's places with |steps|; its exit
  // code (0 when every step passed, 10 + n when step n failed).
  int RunChild(const std::wstring& steps) {
    ChildProcess child;
    if (!Start(&child, steps)) return -1;
    return child.Wait();
  }

  bool Start(ChildProcess* child, const std::wstring& steps) {
    return child->Start(L"settings_test_child", location_.section_name + L" " +
                                                    location_.user_key_path + L" " +
                                                    location_.legacy_key_path + L" " +
                                                    steps);
  }

  // Creates the section the way a foreign or broken program might: |size|
  // bytes, every byte |fill|.
  ScopedHandle PlantSection(DWORD size, unsigned char fill) {
    ScopedHandle section(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr,
                                              PAGE_READWRITE, 0, size,
                                              location_.section_name.c_str()));
    EXPECT_TRUE(section);
    void* view = ::MapViewOfFile(section.Get(), FILE_MAP_WRITE, 0, 0, size);
    EXPECT_NE(view, nullptr);
    if (view != nullptr) {
      memset(view, fill, size);
      ::UnmapViewOfFile(view);
    }
    return section;
  }

  ScratchRegistryKey user_;
  ScratchRegistryKey legacy_;
  SettingsLocation location_;
};

TEST_F(SettingsSectionTest, SecondProcessSeesTheRecordNotTheRegistry) {
  user_.SetDword(L"T13nCandidatePageSize", 4);
  user_.SetString(L"EnglishFontName", L"Mangal");
  auto settings = Open();
  ASSERT_TRUE(settings->IsShared());
  settings->SetInt(kSettingT13nCurrentLanguage, 3);

  // Edited behind the store's back: a process opening the section must not
  // look at the registry.
  user_.SetDword(L"T13nCandidatePageSize", 6);
  user_.SetDword(L"T13nCurrentLanguage", 0);
  user_.SetString(L"EnglishFontName", L"Tahoma");

  EXPECT_EQ(RunChild(L"shared:1 get:65=4 get:61=3 str:0=Mangal str:1= "
                     L"set:26=9 setstr:1=Lohit"),
            0);
  // And what the child changed is here and in the registry.
  EXPECT_EQ(settings->GetInt(kSettingCandidatePerPage), 9u);
  EXPECT_TRUE(settings->IsModified(kSettingCandidatePerPage));
  EXPECT_EQ(settings->GetString(kStringSettingConvertedTextFontName), L"Lohit");
  EXPECT_EQ(user_.GetDword(L"CandidatePerPage"), 9u);
}

TEST_F(SettingsSectionTest, ChangesReachARunningProcess) {
  const std::wstring checked = UniqueName(L"KelvaneChecked");
  const std::wstring changed = UniqueName(L"KelvaneChanged");
  ScopedHandle checked_event(::CreateEventW(nullptr, TRUE, FALSE, checked.c_str()));
  ScopedHandle changed_event(::CreateEventW(nullptr, TRUE, FALSE, changed.c_str()));
  ASSERT_TRUE(checked_event && changed_event);
  auto settings = Open();

  ChildProcess child;
  ASSERT_TRUE(Start(&child, L"get:65=5 signal:" + checked + L" wait:" + changed +
                                L" get:65=3 str:0=Mangal set:66=0"));
  HANDLE waits[] = {checked_event.Get(), child.handle()};
  ASSERT_EQ(::WaitForMultipleObjects(2, waits, FALSE, 20000), WAIT_OBJECT_0)
      << "the child ended early with code " << child.Wait(0);
  settings->SetInt(kSettingT13nCandidatePageSize, 3);
  settings->SetString(kStringSettingEnglishFontName, L"Mangal");
  ::SetEvent(changed_event.Get());
  EXPECT_EQ(child.Wait(), 0);
  EXPECT_EQ(settings->GetInt(kSettingT13nUserCacheEnabled), 0u);
}

TEST_F(SettingsSectionTest, NextCreatorAfterTheLastCloseReadsTheRegistry) {
  // The child is the only holder: when it ends, the section is gone.
  EXPECT_EQ(RunChild(L"shared:1 get:65=5 set:65=4"), 0);
  EXPECT_EQ(user_.GetDword(L"T13nCandidatePageSize"), 4u);
  user_.SetDword(L"T13nCandidatePageSize", 6);
  EXPECT_EQ(RunChild(L"get:65=6"), 0);

  // While this process holds the section, the registry is not read again.
  auto settings = Open();
  EXPECT_EQ(settings->GetInt(kSettingT13nCandidatePageSize), 6u);
  user_.SetDword(L"T13nCandidatePageSize", 3);
  EXPECT_EQ(RunChild(L"get:65=6"), 0);
  settings.reset();
  EXPECT_EQ(RunChild(L"get:65=3"), 0);
}

TEST_F(SettingsSectionTest, DamagedRecordOfAnotherProcessIsReadSafely) {
  ScopedHandle planted = PlantSection(sizeof(SettingsSharedMemory), 0xFF);
  user_.SetDword(L"T13nCandidatePageSize", 4);
  auto settings = Open();
  ASSERT_TRUE(settings->IsShared());
  // The section existed: the registry is not read, and values outside
  // their range read as defaults.
  EXPECT_EQ(settings->GetInt(kSettingT13nCandidatePageSize), 5u);
  EXPECT_EQ(settings->GetInt(kSettingT13nCurrentLanguage), 0u);
  EXPECT_EQ(settings->GetInt(kSettingFuzzyParameter), 0xFFFFFFFFu);
  // Slots without a NUL give at most their 20 units.
  EXPECT_EQ(settings->GetString(0), std::wstring(kStringSlotUnits, L'\xFFFF'));
  EXPECT_TRUE(settings->IsModified(kSettingInitialEnglish));
  EXPECT_FALSE(settings->IsModified(kSettingCompPanelX));

  // It can be repaired through the store, for every process.
  settings->SetInt(kSettingT13nCandidatePageSize, 6);
  settings->SetString(0, L"Mangal");
  EXPECT_EQ(RunChild(L"shared:1 get:65=6 str:0=Mangal"), 0);
}

TEST_F(SettingsSectionTest, SmallerSectionOfTheSameNameIsNotUsed) {
  ScopedHandle planted = PlantSection(16, 0x00);
  user_.SetDword(L"T13nCandidatePageSize", 4);
  auto settings = Open();
  // Either the system refuses the larger view (Windows) or it maps the
  // section's whole page (Wine); neither may let the store read or write
  // out of bounds.
  if (settings->IsShared()) {
    EXPECT_EQ(settings->GetInt(kSettingT13nCandidatePageSize), 5u);
  } else {
    EXPECT_EQ(settings->GetInt(kSettingT13nCandidatePageSize), 4u);
  }
  settings->SetInt(kSettingT13nMacroFileChanged, 1);
  settings->SetString(1, L"Lohit Devanagari");
  EXPECT_EQ(settings->GetInt(kSettingT13nMacroFileChanged), 1u);
  EXPECT_EQ(settings->GetString(1), L"Lohit Devanagari");
}

TEST_F(SettingsSectionTest, WithoutASectionTheRecordIsPrivate) {
  // A mutex holds the name, so no section can bear it.
  ScopedHandle mutex(::CreateMutexW(nullptr, FALSE, location_.section_name.c_str()));
  ASSERT_TRUE(mutex);
  user_.SetDword(L"T13nCandidatePageSize", 4);
  auto settings = Open();
  EXPECT_FALSE(settings->IsShared());
  EXPECT_EQ(settings->GetInt(kSettingT13nCandidatePageSize), 4u);
  EXPECT_EQ(settings->GetString(0), L"Arial");

  // Changes still reach the registry, but no other process's record.
  settings->SetInt(kSettingT13nCandidatePageSize, 3);
  EXPECT_EQ(user_.GetDword(L"T13nCandidatePageSize"), 3u);
  user_.SetDword(L"T13nCandidatePageSize", 6);
  EXPECT_EQ(settings->GetInt(kSettingT13nCandidatePageSize), 3u);
  EXPECT_EQ(RunChild(L"shared:0 get:65=6"), 0);
}

TEST_F(SettingsSectionTest, NewSectionCarriesItsSizeWord) {
  auto settings = Open();
  ScopedHandle section(::OpenFileMappingW(FILE_MAP_READ, FALSE,
                                          location_.section_name.c_str()));
  ASSERT_TRUE(section);
  const auto* view = static_cast<const SettingsSharedMemory*>(
      ::MapViewOfFile(section.Get(), FILE_MAP_READ, 0, 0, sizeof(SettingsSharedMemory)));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->payload_size, 424);
  settings->SetInt(kSettingCompPanelY, 1234);
  EXPECT_EQ(view->record.values[kSettingCompPanelY], 1234u);
  settings->SetModified(kSettingCaretTrack, true);
  EXPECT_EQ(view->record.modified[kSettingCaretTrack], 1);
  settings->SetString(1, L"Lohit");
  EXPECT_EQ(std::wstring(view->record.strings[1]), L"Lohit");
  ::UnmapViewOfFile(view);
}

TEST(SettingsInstanceTest, OneStoreOverTheProductPlaces) {
  EXPECT_STREQ(kSettingsSectionName, L"TARVEL_T13N_IMESETTINGS_hi");
  const ime_testing::RegistryPlace product_key(HKEY_CURRENT_USER, kProductKeyPath);
  const bool key_existed = product_key.Exists();

  Settings* settings = Settings::GetInstance();
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(Settings::GetInstance(), settings);
  EXPECT_TRUE(settings->IsShared());
  ScopedHandle section(::OpenFileMappingW(FILE_MAP_READ, FALSE, kSettingsSectionName));
  EXPECT_TRUE(section);
  EXPECT_TRUE(product_key.Exists());

  // After a shutdown the next call makes a working store again.
  Settings::Shutdown();
  Settings::Shutdown();  // a second one does nothing
  settings = Settings::GetInstance();
  ASSERT_NE(settings, nullptr);
  EXPECT_TRUE(SettingsTable::InRange(kSettingT13nCandidatePageSize,
                                     settings->GetInt(kSettingT13nCandidatePageSize)));
  Settings::Shutdown();

  if (!key_existed) {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kProductKeyPath);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarvel");
  }
}

}  // namespace
}  // namespace ime_shared
