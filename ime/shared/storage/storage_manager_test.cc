#include "ime/shared/storage/storage_manager.h"

#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/storage/storage_manager_test_helpers.h"
#include "ime/shared/storage/updater_flag.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace ime_shared {
namespace {

using ime_t13n::testing_helpers::RecordingErrorBox;
using ime_testing::ReadFileBytes;
using ime_testing::RegistryPlace;
using ime_testing::ScratchRegistryKey;
using ime_testing::TempDir;
using ime_testing::UniqueName;
using ime_testing::WriteFileBytes;
using testing_helpers::FakeSettings;
using testing_helpers::WriteLanguageFolder;
using List = std::vector<std::wstring>;
using Words = std::set<std::wstring>;

const std::wstring kKaa = L"\x0915\x093E";   // a word of the sample data
const std::wstring kKhi = L"\x0916\x093F";
const std::wstring kKya = L"\x0915\x094D\x092F\x093E";
// A word the user may choose but the loader refuses: a zero-width joiner.
const std::wstring kKyaJoined = L"\x0915\x094D\x200D\x092F\x093E";

// Each test has its own data and user folders, registry keys, mutexes and
// language code (which also names the shared mapping of the data file).
class StorageManagerTest : public ::testing::Test {
 protected:
  StorageManagerTest()
      : data_key_(HKEY_LOCAL_MACHINE, L"StorageData", KEY_WOW64_64KEY),
        updater_key_(HKEY_LOCAL_MACHINE, L"StorageUpdater", KEY_WOW64_32KEY),
        language_(WideToUtf8(UniqueName(L"lang"))),
        data_path_(temp_.path() + L"data"),
        reader_mutex_(MutexHolder::CreateNamed(nullptr)) {
    ::CreateDirectoryW(data_path_.c_str(), nullptr);
    EXPECT_TRUE(WriteLanguageFolder(data_path_, language_));
    places_.data_path_key = data_key_.path();
    places_.user_data_folder = temp_.path() + L"user";
    places_.updater_state_key = updater_key_.path();
    places_.user_cache_mutex_name = UniqueName(L"StorageCache");
    places_.macros_mutex_name = UniqueName(L"StorageMacros");
  }

  std::unique_ptr<StorageManagerImpl> NewManager() {
    std::unique_ptr<StorageManagerImpl> manager(
        StorageManagerImpl::Create(places_, &box_));
    manager->SetSettings(&settings_);
    return manager;
  }
  // A manager with the test's language loaded.
  std::unique_ptr<StorageManagerImpl> LoadedManager() {
    data_key_.SetString(L"DataPath", data_path_);
    std::unique_ptr<StorageManagerImpl> manager = NewManager();
    EXPECT_TRUE(manager->Init(language_));
    return manager;
  }

  std::wstring CachePath() const {
    return places_.user_data_folder + L"\\user_cache.00000";
  }
  std::wstring MacrosPath() const {
    return places_.user_data_folder + L"\\macros.0000";
  }
  void WriteList(const std::wstring& path, const List& entries) {
    ::CreateDirectoryW(places_.user_data_folder.c_str(), nullptr);
    ASSERT_TRUE(WriteStringList(path, MakeStringListHeader(), entries));
  }
  List ReadList(const std::wstring& path) {
    List entries;
    EXPECT_TRUE(ReadStringList(path, reader_mutex_.get(), 1000, &entries,
                               kStringListMaxFileSize));
    return entries;
  }
  std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    return ReadFileBytes(path, &bytes) ? bytes : "<no file>";
  }

  TempDir temp_;
  ScratchRegistryKey data_key_;
  ScratchRegistryKey updater_key_;
  std::string language_;
  std::wstring data_path_;
  std::unique_ptr<MutexHolder> reader_mutex_;
  StoragePlaces places_;
  FakeSettings settings_;
  RecordingErrorBox box_;
};

TEST_F(StorageManagerTest, InitFindsTheLanguageBelowDataPath) {
  // No key, then an empty value: nothing is tried.
  EXPECT_FALSE(NewManager()->Init(language_));
  data_key_.SetString(L"DataPath", L"");
  EXPECT_FALSE(NewManager()->Init(language_));
  EXPECT_EQ(box_.shown, 0);

  for (const std::wstring& value : {data_path_, data_path_ + L"\\"}) {
    data_key_.SetString(L"DataPath", value);
    std::unique_ptr<StorageManagerImpl> manager = NewManager();
    EXPECT_EQ(manager->GetTransliterator(), nullptr);
    EXPECT_EQ(manager->GetSuggest(), nullptr);
    ASSERT_TRUE(manager->Init(language_)) << WideToUtf8(value);
    ASSERT_NE(manager->GetTransliterator(), nullptr);
    ASSERT_NE(manager->GetSuggest(), nullptr);
    EXPECT_EQ(manager->GetSuggest()->GetScore(kKaa), 40.0f);
    EXPECT_EQ(manager->GetTransliterator()->model().language(), language_);
  }
  EXPECT_EQ(box_.shown, 0);
  // The user's folder is made for the user's files.
  EXPECT_NE(::GetFileAttributesW(places_.user_data_folder.c_str()),
            INVALID_FILE_ATTRIBUTES);
}

TEST_F(StorageManagerTest, FailedInitKeepsThePreviousLanguage) {
  std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
  ime_t13n::Transliterator* loaded = manager->GetTransliterator();
  loaded->AddUserAccepted(L"kya", kKya, true);

  // A language without a data file: the loader reports it once.
  EXPECT_FALSE(manager->Init("xx"));
  EXPECT_EQ(box_.shown, 1);
  data_key_.Delete(L"DataPath");
  EXPECT_FALSE(manager->Init(language_));
  data_key_.SetString(L"DataPath", std::wstring(300, L'x'));
  EXPECT_FALSE(manager->Init(language_));

  EXPECT_EQ(box_.shown, 1);
  EXPECT_EQ(manager->GetTransliterator(), loaded);
  EXPECT_EQ(loaded->LookupUserAccepted(L"kya"), kKya);
  EXPECT_NE(manager->GetSuggest(), nullptr);
}

TEST_F(StorageManagerTest, InitLoadsTheUserFilesAndFlagsTheUpdater) {
  WriteList(CachePath(), {L"kaa " + kKaa, L"  khi   " + kKhi + L" "});
  WriteList(MacrosPath(), {L"ty \x0927", L"gm \x0938"});
  const RegistryPlace app_key(HKEY_LOCAL_MACHINE,
                              updater_key_.path() + L"\\" +
                                  UpdaterAppId(LanguageCodes::IndexOf()),
                              KEY_WOW64_32KEY);
  {
    // The updater's key is never created.
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    EXPECT_FALSE(app_key.Exists());
    ime_t13n::Transliterator* t = manager->GetTransliterator();
    EXPECT_EQ(t->LookupUserAccepted(L"kaa"), kKaa);
    EXPECT_EQ(t->LookupUserAccepted(L"khi"), kKhi);
    EXPECT_EQ(t->LookupMacro(L"ty"), L"\x0927");
    EXPECT_EQ(t->LookupMacro(L"gm"), L"\x0938");
  }
  app_key.SetString(L"ap", L"x");
  LoadedManager();
  DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(app_key.Query(L"dr", &type, &bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, std::string("1\0\0\0", 4));
}

TEST_F(StorageManagerTest, MacrosLoadUpToTheFirstBadEntry) {
  std::unique_ptr<StorageManagerImpl> manager = NewManager();
  // Without a language there is no table to fill.
  WriteList(MacrosPath(), {L"ty \x0927"});
  manager->LoadMacros();
  EXPECT_FALSE(manager->LoadMacrosFile(MacrosPath()));

  WriteList(MacrosPath(), {L"ty \x0927", L"gm  \x0938", L"too many pieces",
                           L"later \x0915"});
  manager = LoadedManager();
  ime_t13n::Transliterator* t = manager->GetTransliterator();
  EXPECT_EQ(t->LookupMacro(L"ty"), L"\x0927");
  EXPECT_EQ(t->LookupMacro(L"gm"), L"\x0938");
  EXPECT_EQ(t->LookupMacro(L"too"), L"");
  EXPECT_EQ(t->LookupMacro(L"later"), L"");

  // An unreadable file leaves the table as it is.
  ASSERT_TRUE(WriteFileBytes(MacrosPath(), "not a list of strings"));
  EXPECT_FALSE(manager->LoadMacrosFile(MacrosPath()));
  EXPECT_EQ(t->LookupMacro(L"ty"), L"\x0927");
  // A readable one replaces it, up to its first bad entry: a name outside
  // printable ASCII.
  WriteList(MacrosPath(), {L"ok \x0915", L"n\x00E9 \x0915", L"after x"});
  EXPECT_FALSE(manager->LoadMacrosFile(MacrosPath()));
  EXPECT_EQ(t->LookupMacro(L"ty"), L"");
  EXPECT_EQ(t->LookupMacro(L"ok"), L"\x0915");
  EXPECT_EQ(t->LookupMacro(L"after"), L"");
}

TEST_F(StorageManagerTest, BadUserCacheEntryAtLoadEmptiesTheCache) {
  std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
  ime_t13n::Transliterator* t = manager->GetTransliterator();
  for (const std::wstring& bad :
       {std::wstring(L"alone"), L"three piece " + kKaa, L"caf\x00E9 " + kKaa,
        L"kya " + kKyaJoined}) {
    t->AddUserAccepted(L"held", kKhi, true);
    WriteList(CachePath(), {L"good " + kKaa, bad});
    EXPECT_FALSE(manager->LoadUserCacheFile(CachePath()));
    EXPECT_EQ(t->LookupUserAccepted(L"held"), L"") << WideToUtf8(bad);
    EXPECT_EQ(t->LookupUserAccepted(L"good"), L"");
  }

  // Good entries join without replacing the words held; an unreadable file
  // changes nothing.
  t->AddUserAccepted(L"kaa", kKya, true);
  WriteList(CachePath(), {L"kaa " + kKaa, L"khi " + kKhi, L"plain ascii"});
  EXPECT_TRUE(manager->LoadUserCacheFile(CachePath()));
  EXPECT_EQ(t->LookupUserAccepted(L"kaa"), kKya);
  EXPECT_EQ(t->LookupUserAccepted(L"khi"), kKhi);
  EXPECT_EQ(t->LookupUserAccepted(L"plain"), L"ascii");
  ASSERT_TRUE(WriteFileBytes(CachePath(), std::string(40, '\x7F')));
  EXPECT_FALSE(manager->LoadUserCacheFile(CachePath()));
  EXPECT_EQ(t->LookupUserAccepted(L"khi"), kKhi);
}

TEST_F(StorageManagerTest, CacheSwitchedOffIsNeitherReadNorWritten) {
  WriteList(CachePath(), {L"kaa " + kKaa});
  const std::string before = FileBytes(CachePath());
  settings_.SetInt(kSettingT13nUserCacheEnabled, 0);
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    EXPECT_EQ(manager->GetTransliterator()->LookupUserAccepted(L"kaa"), L"");
    manager->GetTransliterator()->AddUserAccepted(L"new", kKhi, true);
  }
  EXPECT_EQ(FileBytes(CachePath()), before);

  // Without a settings store the cache counts as switched off too.
  settings_.SetInt(kSettingT13nUserCacheEnabled, 1);
  {
    std::unique_ptr<StorageManagerImpl> manager(
        StorageManagerImpl::Create(places_, &box_));
    ASSERT_TRUE(manager->Init(language_));
    manager->GetTransliterator()->AddUserAccepted(L"new", kKhi, true);
  }
  EXPECT_EQ(FileBytes(CachePath()), before);
}

TEST_F(StorageManagerTest, ProcessWithoutALanguageLeavesTheFileUntouched) {
  WriteList(CachePath(), {L"kaa " + kKaa});
  const std::string before = FileBytes(CachePath());
  {
    std::unique_ptr<StorageManagerImpl> manager = NewManager();
    EXPECT_FALSE(manager->Init(language_));  // no "DataPath"
  }
  EXPECT_EQ(FileBytes(CachePath()), before);
}

TEST_F(StorageManagerTest, SaveMergesOtherProcessesWordsAndKeepsItsOwn) {
  WriteList(CachePath(), {L"kaa " + kKaa, L"khi " + kKhi});
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    // Another process saves in the meantime.
    WriteList(CachePath(), {L"kaa " + kKhi, L"taa \x0924\x093E"});
    manager->GetTransliterator()->AddUserAccepted(L"kaa", kKya, true);
    manager->GetTransliterator()->AddUserAccepted(L"new", L"\x0928", true);
  }
  const List saved = ReadList(CachePath());
  EXPECT_EQ(Words(saved.begin(), saved.end()),
            (Words{L"kaa " + kKya, L"khi " + kKhi, L"taa \x0924\x093E",
                   L"new \x0928"}));
  EXPECT_EQ(saved.size(), 4u);
}

TEST_F(StorageManagerTest, FileThatStopsLoadingStillGetsTheLearnedWords) {
  // Garbage, and a list holding an entry that the loader refuses.
  for (bool garbage : {true, false}) {
    ::DeleteFileW(CachePath().c_str());
    {
      std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
      manager->GetTransliterator()->AddUserAccepted(L"kaa", kKaa, true);
      manager->GetTransliterator()->AddUserAccepted(L"khi", kKhi, true);
      if (garbage) {
        ASSERT_TRUE(WriteFileBytes(CachePath(), std::string(64, '\x01')));
      } else {
        WriteList(CachePath(), {L"taa \x0924", L"kya " + kKyaJoined});
      }
    }
    const List saved = ReadList(CachePath());
    EXPECT_EQ(Words(saved.begin(), saved.end()),
              (Words{L"kaa " + kKaa, L"khi " + kKhi}));
    // And the next process reads them.
    std::unique_ptr<StorageManagerImpl> next = LoadedManager();
    EXPECT_EQ(next->GetTransliterator()->LookupUserAccepted(L"khi"), kKhi);
  }
}

TEST_F(StorageManagerTest, WordsTheLoaderRefusesAreNotSaved) {
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    ime_t13n::Transliterator* t = manager->GetTransliterator();
    t->AddUserAccepted(L"kya", kKyaJoined, true);
    t->AddUserAccepted(L"kaa", kKaa, true);
    t->AddUserAccepted(L"two", L"\x0915 \x0916", true);
    t->AddUserAccepted(L"long", std::wstring(300, L'\x0915'), true);
    t->AddUserAccepted(L"\x0915", kKaa, true);
  }
  EXPECT_EQ(ReadList(CachePath()), List{L"kaa " + kKaa});
  std::unique_ptr<StorageManagerImpl> next = LoadedManager();
  EXPECT_EQ(next->GetTransliterator()->LookupUserAccepted(L"kaa"), kKaa);
}

TEST_F(StorageManagerTest, NewLanguageKeepsTheWordsLearnedBeforeIt) {
  std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
  ime_t13n::Transliterator* first = manager->GetTransliterator();
  first->AddUserAccepted(L"kaa", kKaa, true);
  ASSERT_TRUE(manager->Init(language_));
  ASSERT_NE(manager->GetTransliterator(), first);
  EXPECT_EQ(manager->GetTransliterator()->LookupUserAccepted(L"kaa"), kKaa);

  // Handing over a transliterator replaces the language without saving.
  manager->SetTransliterator(nullptr);
  EXPECT_EQ(manager->GetTransliterator(), nullptr);
  EXPECT_EQ(manager->GetSuggest(), nullptr);
  manager->LoadMacros();
}

TEST_F(StorageManagerTest, WithoutItsMutexAFileIsNeitherReadNorWritten) {
  // Names in a namespace that does not exist: no mutex can be made.
  places_.user_cache_mutex_name = L"NoSuchNamespace\\" + UniqueName(L"Cache");
  places_.macros_mutex_name = L"NoSuchNamespace\\" + UniqueName(L"Macros");
  WriteList(CachePath(), {L"kaa " + kKaa});
  WriteList(MacrosPath(), {L"ty \x0927"});
  const std::string before = FileBytes(CachePath());
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    ime_t13n::Transliterator* t = manager->GetTransliterator();
    EXPECT_EQ(t->LookupUserAccepted(L"kaa"), L"");
    EXPECT_EQ(t->LookupMacro(L"ty"), L"");
    t->AddUserAccepted(L"khi", kKhi, true);
  }
  EXPECT_EQ(FileBytes(CachePath()), before);
}

// Two real processes under one prefix, both with the language loaded before
// either saves, each learning its own words.
class StorageManagerProcessesTest : public StorageManagerTest {
 protected:
  List RunTwoProcesses(int count_a, int count_b) {
    data_key_.SetString(L"DataPath", data_path_);
    const std::wstring go_name = UniqueName(L"StorageGo");
    base::ScopedHandle go(::CreateEventW(nullptr, TRUE, FALSE, go_name.c_str()));
    ime_testing::ChildProcess children[2];
    base::ScopedHandle ready[2];
    const int counts[2] = {count_a, count_b};
    for (int i = 0; i < 2; ++i) {
      const std::wstring ready_name = UniqueName(L"StorageReady");
      ready[i].Reset(::CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str()));
      const std::wstring arguments =
          L"\"" + places_.data_path_key + L"\" \"" + places_.user_data_folder +
          L"\" " + places_.user_cache_mutex_name + L" " +
          places_.macros_mutex_name + L" " + Utf8ToWide(language_) + L" " +
          ready_name + L" " + go_name + L" " + (i == 0 ? L"a" : L"b") + L" " +
          std::to_wstring(counts[i]);
      EXPECT_TRUE(children[i].Start(L"storage_manager_test_child", arguments));
    }
    HANDLE both[2] = {ready[0].Get(), ready[1].Get()};
    EXPECT_EQ(::WaitForMultipleObjects(2, both, TRUE, 60000), WAIT_OBJECT_0);
    ::SetEvent(go.Get());
    EXPECT_EQ(children[0].Wait(), 0);
    EXPECT_EQ(children[1].Wait(), 0);
    return ReadList(CachePath());
  }
};

TEST_F(StorageManagerProcessesTest, FileHoldsTheWordsOfBoth) {
  const List saved = RunTwoProcesses(3, 2);
  EXPECT_EQ(Words(saved.begin(), saved.end()),
            (Words{L"a0 \x0915" L"0", L"a1 \x0915" L"1", L"a2 \x0915" L"2",
                   L"b0 \x0915" L"0", L"b1 \x0915" L"1"}));
  EXPECT_EQ(saved.size(), 5u);
}

TEST_F(StorageManagerProcessesTest, UnionIsBoundedByTheCacheSize) {
  const List saved = RunTwoProcesses(1500, 1500);
  const Words distinct(saved.begin(), saved.end());
  EXPECT_EQ(saved.size(), 2000u);
  EXPECT_EQ(distinct.size(), 2000u);
  for (const std::wstring& entry : distinct) {
    const size_t space = entry.find(L' ');
    ASSERT_NE(space, std::wstring::npos);
    const int n = std::stoi(entry.substr(1, space - 1));
    EXPECT_TRUE((entry[0] == L'a' || entry[0] == L'b') && n < 1500 &&
                entry.substr(space + 1) == L"\x0915" + std::to_wstring(n))
        << WideToUtf8(entry);
  }
}

TEST(StorageManagerFactoryTest, ProductManagerHoldsTheNamedMutexes) {
  StorageManager empty;
  EXPECT_FALSE(empty.Init("hi"));
  EXPECT_EQ(empty.GetTransliterator(), nullptr);
  EXPECT_EQ(empty.GetSuggest(), nullptr);
  EXPECT_TRUE(empty.LoadUserCacheFile(L"C:\\nothing"));

  std::unique_ptr<StorageManager> manager(CreateStorageManager());
  ASSERT_NE(manager, nullptr);
  for (const wchar_t* name : {L"MUTEXusercache.00000", L"MUTEXMacros.00000"}) {
    base::ScopedHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, name));
    EXPECT_TRUE(mutex) << WideToUtf8(name);
  }
}

}  // namespace
}  // namespace ime_shared
