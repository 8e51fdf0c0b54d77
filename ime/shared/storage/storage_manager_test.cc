#include "ime/shared/storage/storage_manager.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/process_exit.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/storage/storage_manager_test_helpers.h"
#include "ime/shared/storage/updater_flag.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/debug_log.h"
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

// The lines of the log that hold |needle| and come from |severity|
// ("ERROR", "WARNING"). Tests run in parallel processes that all append to
// the log, so a test looks only for lines naming a path of its own.
std::vector<std::string> LogLines(const char* severity,
                                  const std::wstring& needle) {
  return ime_testing::DebugLogLinesWith(
      {std::string(":") + severity + ":", WideToUtf8(needle)});
}

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

  // A manager with the test's language loaded, whose file holds "kaa" (its
  // bytes in |file_before|) and which learned "khi" since.
  std::unique_ptr<StorageManagerImpl> ManagerWithAWordToSave(
      std::string* file_before) {
    WriteList(CachePath(), {L"kaa " + kKaa});
    *file_before = FileBytes(CachePath());
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    manager->GetTransliterator()->AddUserAccepted(L"khi", kKhi, true);
    return manager;
  }

  // Saves |saves| times while the process is exiting and another thread,
  // as one that the exit ended there, is inside |inside|: that thread runs
  // |inside| with a function that returns once the saves are done.
  void SaveAtExitWhileAThreadIsInside(
      StorageManagerImpl* manager, int saves,
      const std::function<void(const std::function<void()>& stay)>& inside) {
    base::ScopedHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    base::ScopedHandle ended(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread thread([&] {
      inside([&] {
        ::SetEvent(entered.Get());
        ::WaitForSingleObject(ended.Get(), INFINITE);
      });
    });
    EXPECT_EQ(::WaitForSingleObject(entered.Get(), 30000), WAIT_OBJECT_0);
    base::SetProcessExiting(true);
    for (int save = 0; save < saves; ++save) manager->SaveUserCacheChanges();
    base::SetProcessExiting(false);
    ::SetEvent(ended.Get());
    thread.join();
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

// The box that reports a data file that cannot be used runs a message loop
// of its own, in which the application goes on: a focus change there (a new
// engine on the same thread) asks for a language again, and so may another
// thread. Each of those Inits returns while the box is open, and opens no
// second box; once it is closed, the next failure shows one again.
TEST_F(StorageManagerTest, InitsReturnWhileTheDataErrorBoxIsOpen) {
  data_key_.SetString(L"DataPath", data_path_);
  std::unique_ptr<StorageManagerImpl> manager = NewManager();
  bool other_returned = false;
  box_.while_open = [&] {
    base::ScopedHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread other([&] {
      EXPECT_FALSE(manager->Init("yy"));
      ::SetEvent(done.Get());
    });
    other_returned = ::WaitForSingleObject(done.Get(), 30000) == WAIT_OBJECT_0;
    // Left behind when it hangs: the test has failed already.
    if (other_returned) {
      other.join();
    } else {
      other.detach();
    }
    EXPECT_FALSE(manager->Init("xx"));
  };
  EXPECT_FALSE(manager->Init("xx"));
  EXPECT_EQ(box_.shown, 1);
  EXPECT_TRUE(other_returned)
      << "another thread's Init waited for the box to close";

  box_.while_open = nullptr;
  EXPECT_FALSE(manager->Init("xx"));
  EXPECT_EQ(box_.shown, 2);
  EXPECT_TRUE(manager->Init(language_));
}

// A file that is there but cannot be read (another program holds it open
// without letting others read it) holds what other applications saved: a
// save does not write over it. The words learned here stay, and the next
// save that can read the file puts them in.
TEST_F(StorageManagerTest, AFileThatCannotBeReadIsNotWrittenOver) {
  std::string before;
  std::unique_ptr<StorageManagerImpl> manager =
      ManagerWithAWordToSave(&before);
  {
    // Replacing the file is still allowed: only the read fails.
    base::ScopedFileHandle other_program(
        ::CreateFileW(CachePath().c_str(), GENERIC_READ, FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other_program);
    manager->SaveUserCacheChanges();
  }
  EXPECT_EQ(FileBytes(CachePath()), before);
  const std::vector<std::string> errors = LogLines("ERROR", CachePath());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("could not be read (error 32"), std::string::npos)
      << errors[0];
  EXPECT_EQ(::GetFileAttributesW((CachePath() + L".bad").c_str()),
            INVALID_FILE_ATTRIBUTES);

  manager->SaveUserCacheChanges();
  EXPECT_EQ(ReadList(CachePath()), (List{L"kaa " + kKaa, L"khi " + kKhi}));
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

TEST_F(StorageManagerTest, InvalidUserCacheEntriesAreSkippedAlone) {
  std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
  ime_t13n::Transliterator* t = manager->GetTransliterator();
  t->AddUserAccepted(L"held", kKhi, true);
  for (const std::wstring& bad :
       {std::wstring(L"alone"), L"three piece " + kKaa, L"caf\x00E9 " + kKaa,
        L"kya " + kKyaJoined}) {
    WriteList(CachePath(), {L"good " + kKaa, bad, L"later " + kKhi});
    EXPECT_FALSE(manager->LoadUserCacheFile(CachePath())) << WideToUtf8(bad);
    EXPECT_EQ(t->LookupUserAccepted(L"held"), kKhi);
    EXPECT_EQ(t->LookupUserAccepted(L"good"), kKaa);
    EXPECT_EQ(t->LookupUserAccepted(L"later"), kKhi);
  }
  EXPECT_EQ(t->LookupUserAccepted(L"three"), L"");
  EXPECT_EQ(t->LookupUserAccepted(L"kya"), L"");

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

TEST_F(StorageManagerTest, ThreeInvalidEntriesAmongFiftyCostOnlyThemselves) {
  const std::wstring long_bad =
      L"one two three four five six seven eight nine ten";  // 48 units
  const List bad = {long_bad, L"caf\x00E9 " + kKaa, L"kya " + kKyaJoined};
  List file;
  List valid;
  for (int i = 0; i < 50; ++i) {
    if (i == 0) file.push_back(bad[0]);
    if (i == 25) file.push_back(bad[1]);
    valid.push_back(L"v" + std::to_wstring(i) + L" \x0916" +
                    std::to_wstring(i));
    file.push_back(valid.back());
  }
  file.push_back(bad[2]);
  WriteList(CachePath(), file);
  // The same bytes elsewhere, for a load whose answer can be seen.
  const std::wstring copy = places_.user_data_folder + L"\\copy.00000";
  WriteList(copy, file);

  List session;
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    ime_t13n::Transliterator* t = manager->GetTransliterator();
    for (int i = 0; i < 50; ++i) {
      EXPECT_EQ(t->LookupUserAccepted(L"v" + std::to_wstring(i)),
                L"\x0916" + std::to_wstring(i));
    }
    EXPECT_FALSE(manager->LoadUserCacheFile(copy));
    for (int i = 0; i < 3; ++i) {
      session.push_back(L"s" + std::to_wstring(i) + L" " + kKaa);
      t->AddUserAccepted(L"s" + std::to_wstring(i), kKaa, true);
    }
  }
  List expected = valid;
  expected.insert(expected.end(), session.begin(), session.end());
  EXPECT_EQ(ReadList(CachePath()), expected);

  // One warning per skipped entry at the load, none more at the save; the
  // entry is cut to 40 units and written in UTF-8.
  const std::vector<std::string> warnings =
      LogLines("WARNING", L"\"" + CachePath() + L"\"");
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_NE(warnings[0].find("\"" + WideToUtf8(long_bad.substr(0, 40)) + "\""),
            std::string::npos)
      << warnings[0];
  EXPECT_NE(warnings[1].find(WideToUtf8(bad[1])), std::string::npos)
      << warnings[1];
  EXPECT_NE(warnings[2].find(WideToUtf8(bad[2])), std::string::npos)
      << warnings[2];
  EXPECT_EQ(LogLines("WARNING", L"\"" + copy + L"\"").size(), 3u);
  EXPECT_TRUE(LogLines("ERROR", CachePath()).empty());
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

// Switched off, the cache is emptied at the next engine, or at once when a
// choice would be learned: it ranks nothing and learns nothing, so nothing
// of that time is written once it is back on, and the next engine reads
// the file again.
TEST_F(StorageManagerTest, CacheSwitchedOffLearnsNothingWhileOff) {
  WriteList(CachePath(), {L"kaa " + kKaa});
  const std::string before = FileBytes(CachePath());
  std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
  ime_t13n::Transliterator* t = manager->GetTransliterator();
  manager->LearnUserChoice(L"khi", kKhi);
  EXPECT_EQ(t->LookupUserAccepted(L"khi"), kKhi);

  settings_.SetInt(kSettingT13nUserCacheEnabled, 0);
  manager->LearnUserChoice(L"kya", kKya);
  EXPECT_EQ(t->LookupUserAccepted(L"kya"), L"");
  EXPECT_EQ(t->LookupUserAccepted(L"khi"), L"");
  EXPECT_EQ(t->LookupUserAccepted(L"kaa"), L"");
  ASSERT_TRUE(manager->Init(language_));
  EXPECT_EQ(t->LookupUserAccepted(L"kaa"), L"");
  manager->SaveUserCacheChanges();

  settings_.SetInt(kSettingT13nUserCacheEnabled, 1);
  manager->SaveUserCacheChanges();
  EXPECT_EQ(manager->user_cache_writes(), 0);
  EXPECT_EQ(FileBytes(CachePath()), before);
  ASSERT_TRUE(manager->Init(language_));
  EXPECT_EQ(t->LookupUserAccepted(L"kaa"), kKaa);
  manager->LearnUserChoice(L"kya", kKya);
  manager->SaveUserCacheChanges();
  EXPECT_EQ(ReadList(CachePath()), (List{L"kaa " + kKaa, L"kya " + kKya}));
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

// The file is what the processes agree on: a save keeps its words in its
// order, with what this process learned or corrected put in, and drops what
// another process dropped.
TEST_F(StorageManagerTest, SaveKeepsTheFilesWordsAndPutsInTheOnesLearnedHere) {
  WriteList(CachePath(), {L"kaa " + kKaa, L"khi " + kKhi});
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    // Another process saves in the meantime: it corrected "kaa", learned
    // "taa" and no longer has "khi".
    WriteList(CachePath(), {L"kaa " + kKhi, L"taa \x0924\x093E"});
    manager->GetTransliterator()->AddUserAccepted(L"kaa", kKya, true);
    manager->GetTransliterator()->AddUserAccepted(L"new", L"\x0928", true);
  }
  EXPECT_EQ(ReadList(CachePath()),
            (List{L"kaa " + kKya, L"taa \x0924\x093E", L"new \x0928"}));
}

TEST_F(StorageManagerTest, EvictionAfterAReloadDropsTheOldestWord) {
  auto word = [](int n) { return L"w" + std::to_wstring(n); };
  auto native = [](int n) { return L"\x0915" + std::to_wstring(n); };
  List expected;
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    for (int n = 0; n < 2000; ++n) {
      manager->GetTransliterator()->AddUserAccepted(word(n), native(n), true);
      expected.push_back(word(n) + L" " + native(n));
    }
  }
  EXPECT_EQ(ReadList(CachePath()), expected);
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    ime_t13n::Transliterator* t = manager->GetTransliterator();
    EXPECT_EQ(t->LookupUserAccepted(word(0)), native(0));
    t->AddUserAccepted(L"fresh", kKaa, true);
    EXPECT_EQ(t->LookupUserAccepted(word(0)), L"");
    EXPECT_EQ(t->LookupUserAccepted(word(1)), native(1));
    EXPECT_EQ(t->LookupUserAccepted(word(1999)), native(1999));
    EXPECT_EQ(t->LookupUserAccepted(L"fresh"), kKaa);
  }
  expected.erase(expected.begin());
  expected.push_back(L"fresh " + kKaa);
  EXPECT_EQ(ReadList(CachePath()), expected);
}

TEST_F(StorageManagerTest, FileWithBadEntriesStillGetsTheLearnedWords) {
  // An entry the loader refuses appears after this process loaded: the
  // save keeps the file's good entries and drops only the bad one.
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    manager->GetTransliterator()->AddUserAccepted(L"kaa", kKaa, true);
    manager->GetTransliterator()->AddUserAccepted(L"khi", kKhi, true);
    WriteList(CachePath(), {L"taa \x0924", L"kya " + kKyaJoined});
  }
  EXPECT_EQ(ReadList(CachePath()),
            (List{L"taa \x0924", L"kaa " + kKaa, L"khi " + kKhi}));
  // And the next process reads them.
  std::unique_ptr<StorageManagerImpl> next = LoadedManager();
  EXPECT_EQ(next->GetTransliterator()->LookupUserAccepted(L"khi"), kKhi);
  EXPECT_EQ(next->GetTransliterator()->LookupUserAccepted(L"taa"),
            L"\x0924");
}

TEST_F(StorageManagerTest, DamagedFileIsKeptBesideTheNewOne) {
  const std::wstring kept = CachePath() + L".bad";
  // A missing file is no damage.
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    manager->GetTransliterator()->AddUserAccepted(L"kaa", kKaa, true);
  }
  EXPECT_EQ(ReadList(CachePath()), List{L"kaa " + kKaa});
  EXPECT_EQ(::GetFileAttributesW(kept.c_str()), INVALID_FILE_ATTRIBUTES);

  // A flipped byte in the block, then a file cut short, then one far too
  // large: each is kept, replacing the copy before it, and the new file
  // holds the session's words.
  std::string flipped = FileBytes(CachePath());
  flipped[flipped.size() - 2] ^= 0x20;
  std::string cut = FileBytes(CachePath()).substr(0, 22);
  std::string large = FileBytes(CachePath()) + std::string(1000000, '\0');
  int round = 0;
  for (const std::string& damaged : {flipped, cut, large}) {
    ++round;
    ASSERT_TRUE(WriteFileBytes(CachePath(), damaged));
    const std::wstring word = L"s" + std::to_wstring(round);
    {
      std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
      EXPECT_EQ(manager->GetTransliterator()->LookupUserAccepted(L"kaa"), L"");
      manager->GetTransliterator()->AddUserAccepted(word, kKhi, true);
      manager->GetTransliterator()->AddUserAccepted(L"later", kKaa, true);
    }
    EXPECT_TRUE(FileBytes(kept) == damaged) << "round " << round;
    EXPECT_EQ(ReadList(CachePath()),
              (List{word + L" " + kKhi, L"later " + kKaa}));
  }
  EXPECT_EQ(LogLines("WARNING", L"\"" + kept + L"\"").size(), 3u);
  EXPECT_TRUE(LogLines("ERROR", CachePath()).empty());
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
  const std::string second = WideToUtf8(UniqueName(L"lang"));
  ASSERT_TRUE(WriteLanguageFolder(data_path_, second));
  std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
  ime_t13n::Transliterator* first = manager->GetTransliterator();
  first->AddUserAccepted(L"kaa", kKaa, true);
  ASSERT_TRUE(manager->Init(second));
  ASSERT_NE(manager->GetTransliterator(), first);
  EXPECT_EQ(manager->language_loads(), 2);
  EXPECT_EQ(manager->GetTransliterator()->LookupUserAccepted(L"kaa"), kKaa);
  EXPECT_EQ(ReadList(CachePath()), List{L"kaa " + kKaa});

  // A word whose save fails as the language changes moves to the new
  // language, still to be written.
  manager->GetTransliterator()->AddUserAccepted(L"khi", kKhi, true);
  ASSERT_TRUE(::SetFileAttributesW(CachePath().c_str(),
                                   FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(manager->Init(language_));
  EXPECT_EQ(manager->language_loads(), 3);
  EXPECT_EQ(manager->GetTransliterator()->LookupUserAccepted(L"khi"), kKhi);
  ASSERT_TRUE(::SetFileAttributesW(CachePath().c_str(),
                                   FILE_ATTRIBUTE_NORMAL));
  manager->SaveUserCacheChanges();
  EXPECT_EQ(ReadList(CachePath()), (List{L"kaa " + kKaa, L"khi " + kKhi}));

  // Handing over a transliterator replaces the language without saving.
  manager->SetTransliterator(nullptr);
  EXPECT_EQ(manager->GetTransliterator(), nullptr);
  EXPECT_EQ(manager->GetSuggest(), nullptr);
  manager->LoadMacros();
}

// Every new engine asks for its language again: the one loaded stays, with
// what it learned, and only the user's files are read again.
TEST_F(StorageManagerTest, InitOfTheLoadedLanguageKeepsItAndRereadsTheUserFiles) {
  WriteList(CachePath(), {L"kaa " + kKaa});
  std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
  ime_t13n::Transliterator* loaded = manager->GetTransliterator();
  loaded->AddUserAccepted(L"khi", kKhi, true);
  // Another process saves a word, the macros editor a macro.
  WriteList(CachePath(), {L"kaa " + kKaa, L"taa \x0924\x093E"});
  WriteList(MacrosPath(), {L"ty \x0927"});

  ASSERT_TRUE(manager->Init(language_));
  EXPECT_EQ(manager->GetTransliterator(), loaded);
  EXPECT_EQ(manager->language_loads(), 1);
  EXPECT_EQ(manager->user_cache_writes(), 0);
  EXPECT_EQ(loaded->LookupUserAccepted(L"khi"), kKhi);
  EXPECT_EQ(loaded->LookupUserAccepted(L"taa"), L"\x0924\x093E");
  EXPECT_EQ(loaded->LookupMacro(L"ty"), L"\x0927");
  // The word learned here is still to be written, after the file's words.
  manager->SaveUserCacheChanges();
  EXPECT_EQ(manager->user_cache_writes(), 1);
  EXPECT_EQ(ReadList(CachePath()),
            (List{L"kaa " + kKaa, L"taa \x0924\x093E", L"khi " + kKhi}));

  // A new "DataPath" is another data file: loaded.
  const std::wstring moved = temp_.path() + L"moved";
  ::CreateDirectoryW(moved.c_str(), nullptr);
  ASSERT_TRUE(WriteLanguageFolder(moved, language_));
  data_key_.SetString(L"DataPath", moved);
  ASSERT_TRUE(manager->Init(language_));
  EXPECT_EQ(manager->language_loads(), 2);
  EXPECT_EQ(manager->GetTransliterator()->LookupUserAccepted(L"khi"), kKhi);
}

// The file is written when the words changed since it was last read or
// written, and only then: a manager that lives long writes nothing for
// nothing, and never writes back words it merely read.
TEST_F(StorageManagerTest, OnlyChangedWordsAreWritten) {
  WriteList(CachePath(), {L"kaa " + kKaa});
  {
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    ime_t13n::Transliterator* t = manager->GetTransliterator();
    manager->SaveUserCacheChanges();
    // The choice the file holds already, made again.
    t->AddUserAccepted(L"kaa", kKaa, true);
    manager->SaveUserCacheChanges();
    EXPECT_EQ(manager->user_cache_writes(), 0);

    t->AddUserAccepted(L"khi", kKhi, true);
    manager->SaveUserCacheChanges();
    EXPECT_EQ(manager->user_cache_writes(), 1);
    EXPECT_EQ(ReadList(CachePath()), (List{L"kaa " + kKaa, L"khi " + kKhi}));
    manager->SaveUserCacheChanges();
    EXPECT_EQ(manager->user_cache_writes(), 1);

    // A save that fails keeps the words to be written at the next one.
    t->AddUserAccepted(L"kya", kKya, true);
    ASSERT_TRUE(::SetFileAttributesW(CachePath().c_str(),
                                     FILE_ATTRIBUTE_READONLY));
    manager->SaveUserCacheChanges();
    EXPECT_EQ(manager->user_cache_writes(), 2);
    ASSERT_TRUE(::SetFileAttributesW(CachePath().c_str(),
                                     FILE_ATTRIBUTE_NORMAL));
    manager->SaveUserCacheChanges();
    EXPECT_EQ(manager->user_cache_writes(), 3);
    EXPECT_EQ(ReadList(CachePath()),
              (List{L"kaa " + kKaa, L"khi " + kKhi, L"kya " + kKya}));

    // Another process replaces the file; nothing new here: the manager
    // goes without writing over it.
    WriteList(CachePath(), {L"taa \x0924"});
  }
  EXPECT_EQ(ReadList(CachePath()), List{L"taa \x0924"});
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
  // The lost save says why, once.
  const std::vector<std::string> errors = LogLines("ERROR", CachePath());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(WideToUtf8(places_.user_cache_mutex_name)),
            std::string::npos)
      << errors[0];
}

// Each save that fails leaves one error line naming the file and the
// reason; saves with nothing to do leave none.
TEST_F(StorageManagerTest, FailedSavesAreLoggedOnce) {
  const std::wstring base = temp_.path();
  auto save_one_word = [&](const std::wstring& folder) {
    places_.user_data_folder = folder;
    std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
    manager->GetTransliterator()->AddUserAccepted(L"khi", kKhi, true);
  };

  // A read-only target: the system's "access denied".
  places_.user_data_folder = base + L"readonly";
  WriteList(CachePath(), {L"kaa " + kKaa});
  ASSERT_TRUE(::SetFileAttributesW(CachePath().c_str(),
                                   FILE_ATTRIBUTE_READONLY));
  const std::string before = FileBytes(CachePath());
  save_one_word(base + L"readonly");
  EXPECT_EQ(FileBytes(CachePath()), before);
  std::vector<std::string> errors = LogLines("ERROR", CachePath());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("error 5"), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find("read-only"), std::string::npos) << errors[0];

  // A folder where the file should be: it cannot be read, so it is not
  // written over.
  places_.user_data_folder = base + L"folder";
  ASSERT_TRUE(::CreateDirectoryW(places_.user_data_folder.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(CachePath().c_str(), nullptr));
  save_one_word(base + L"folder");
  errors = LogLines("ERROR", CachePath());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("could not be read"), std::string::npos)
      << errors[0];
  EXPECT_NE(errors[0].find("a folder is in its place"), std::string::npos)
      << errors[0];

  // A per-user folder that cannot be made: a file is in the way.
  ASSERT_TRUE(WriteFileBytes(base + L"blocker", "a file"));
  save_one_word(base + L"blocker\\user");
  errors = LogLines("ERROR", CachePath());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("folder could not be created (error "),
            std::string::npos)
      << errors[0];
  EXPECT_EQ(errors[0].find("(error 0"), std::string::npos) << errors[0];
  EXPECT_EQ(::GetFileAttributesW(CachePath().c_str()), INVALID_FILE_ATTRIBUTES);

  // Nothing to save is no failure: the cache switched off, or no language.
  places_.user_data_folder = base + L"quiet";
  ASSERT_TRUE(::CreateDirectoryW(places_.user_data_folder.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(CachePath().c_str(), nullptr));
  settings_.SetInt(kSettingT13nUserCacheEnabled, 0);
  save_one_word(base + L"quiet");
  settings_.SetInt(kSettingT13nUserCacheEnabled, 1);
  NewManager();
  EXPECT_TRUE(LogLines("ERROR", CachePath()).empty());
}

// Real second processes under one prefix: input-method processes that each
// load the language, learn words "<prefix><n>" and save when told to.
class StorageManagerProcessesTest : public StorageManagerTest {
 protected:
  // One learner, started and ready (its words learned, not yet saved).
  struct Learner {
    ime_testing::ChildProcess process;
    base::ScopedHandle go;
  };

  void StartLearner(const wchar_t* prefix, int count, Learner* learner) {
    data_key_.SetString(L"DataPath", data_path_);
    const std::wstring ready_name = UniqueName(L"StorageReady");
    const std::wstring go_name = UniqueName(L"StorageGo");
    base::ScopedHandle ready(
        ::CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str()));
    learner->go.Reset(::CreateEventW(nullptr, TRUE, FALSE, go_name.c_str()));
    const std::wstring arguments =
        L"learn \"" + places_.data_path_key + L"\" \"" +
        places_.user_data_folder + L"\" " + places_.user_cache_mutex_name +
        L" " + places_.macros_mutex_name + L" " + Utf8ToWide(language_) +
        L" " + ready_name + L" " + go_name + L" " + prefix + L" " +
        std::to_wstring(count);
    ASSERT_TRUE(
        learner->process.Start(L"storage_manager_test_child", arguments));
    HANDLE waits[2] = {ready.Get(), learner->process.handle()};
    ASSERT_EQ(::WaitForMultipleObjects(2, waits, FALSE, 60000), WAIT_OBJECT_0)
        << "the learner ended early: " << learner->process.Wait(0);
  }
  // Lets the learner save and end.
  void Finish(Learner* learner) {
    ::SetEvent(learner->go.Get());
    EXPECT_EQ(learner->process.Wait(60000), 0);
  }

  // Another process that holds the user cache's mutex until Release.
  class MutexHolderProcess {
   public:
    ::testing::AssertionResult Start(const std::wstring& mutex_name) {
      const std::wstring acquired_name = UniqueName(L"StorageAcquired");
      const std::wstring release_name = UniqueName(L"StorageRelease");
      base::ScopedHandle acquired(
          ::CreateEventW(nullptr, TRUE, FALSE, acquired_name.c_str()));
      release_.Reset(::CreateEventW(nullptr, TRUE, FALSE, release_name.c_str()));
      ::testing::AssertionResult started = process_.Start(
          L"storage_manager_test_child",
          L"hold " + mutex_name + L" " + acquired_name + L" " + release_name);
      if (!started) return started;
      HANDLE waits[2] = {acquired.Get(), process_.handle()};
      if (::WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0) {
        return ::testing::AssertionFailure()
               << "the holder did not take the mutex";
      }
      return ::testing::AssertionSuccess();
    }
    // Lets the mutex go; the process's exit code.
    int Release() {
      ::SetEvent(release_.Get());
      return process_.Wait();
    }

   private:
    ime_testing::ChildProcess process_;
    base::ScopedHandle release_;
  };

  // "<prefix><n> <native of n>" for n in [from, to).
  static List Entries(const wchar_t* prefix, int from, int to) {
    List entries;
    for (int n = from; n < to; ++n) {
      entries.push_back(prefix + std::to_wstring(n) + L" \x0915" +
                        std::to_wstring(n));
    }
    return entries;
  }
  static List Join(List first, const List& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
  }
};

TEST_F(StorageManagerProcessesTest, OneAfterTheOtherKeepsTheNewestInOrder) {
  // A learns and saves; then B loads that file, learns and saves.
  {
    Learner a;
    StartLearner(L"a", 1500, &a);
    Finish(&a);
  }
  EXPECT_EQ(ReadList(CachePath()), Entries(L"a", 0, 1500));
  Learner b;
  StartLearner(L"b", 1500, &b);
  Finish(&b);
  EXPECT_EQ(ReadList(CachePath()),
            Join(Entries(L"a", 1000, 1500), Entries(L"b", 0, 1500)));
}

TEST_F(StorageManagerProcessesTest, BothHoldingWordsSaveOneAfterTheOther) {
  // Both have learned before either saves; A saves first, so B finds A's
  // words in the file as older than its own.
  Learner a;
  Learner b;
  StartLearner(L"a", 1500, &a);
  StartLearner(L"b", 1500, &b);
  Finish(&a);
  EXPECT_EQ(ReadList(CachePath()), Entries(L"a", 0, 1500));
  Finish(&b);
  EXPECT_EQ(ReadList(CachePath()),
            Join(Entries(L"a", 1000, 1500), Entries(L"b", 0, 1500)));
}

TEST_F(StorageManagerProcessesTest, SavingAtOnceKeepsTheWordsOfBoth) {
  // Both are told to save at the same moment: whichever comes second
  // merges the other's words, and each process's words keep their order.
  Learner a;
  Learner b;
  StartLearner(L"a", 3, &a);
  StartLearner(L"b", 2, &b);
  ::SetEvent(a.go.Get());
  Finish(&b);
  Finish(&a);
  const List saved = ReadList(CachePath());
  const List a_words = Entries(L"a", 0, 3);
  const List b_words = Entries(L"b", 0, 2);
  EXPECT_TRUE(saved == Join(a_words, b_words) ||
              saved == Join(b_words, a_words));
}

TEST_F(StorageManagerProcessesTest, SaveWaitsForTheMutexAndLogsTheTimeOut) {
  std::string before;
  std::unique_ptr<StorageManagerImpl> manager =
      ManagerWithAWordToSave(&before);

  // Another process holds the user cache's mutex past the save's wait.
  MutexHolderProcess holder;
  ASSERT_TRUE(holder.Start(places_.user_cache_mutex_name));

  manager.reset();
  EXPECT_EQ(holder.Release(), 0);
  EXPECT_EQ(FileBytes(CachePath()), before);
  const std::vector<std::string> errors = LogLines("ERROR", CachePath());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(WideToUtf8(places_.user_cache_mutex_name)),
            std::string::npos)
      << errors[0];
  EXPECT_NE(errors[0].find("5000 ms"), std::string::npos) << errors[0];
}

// While one thread's Init waits for another process to let go of the user
// cache, another thread's Init (a focus change elsewhere) does not wait for
// it: it finds out about its own language at once.
TEST_F(StorageManagerProcessesTest, AnInitWaitingForTheFileHoldsUpNoOtherInit) {
  std::unique_ptr<StorageManagerImpl> manager = LoadedManager();
  MutexHolderProcess holder;
  ASSERT_TRUE(holder.Start(places_.user_cache_mutex_name));
  std::atomic<bool> waiting_done{false};
  std::thread waiting([&] {
    EXPECT_TRUE(manager->Init(language_));
    waiting_done = true;
  });
  // Time to reach the mutex, which it then waits for for 5 s; were it not
  // there yet, the check below would pass without telling anything.
  ::Sleep(300);
  EXPECT_FALSE(manager->Init("xx"));
  EXPECT_FALSE(waiting_done) << "the Init waited for the other thread's";
  EXPECT_EQ(box_.shown, 1);
  EXPECT_EQ(holder.Release(), 0);
  waiting.join();
}

// At the process's exit a thread that the exit ended may have been inside
// the language (its lock is never let go) or inside its work on a file (a
// file opened now could receive what was on its way to it). Every save then
// gives up at once, without waiting for the file's mutex (another process
// holds it here), reading the file or opening any, and one line in all
// says why.
TEST_F(StorageManagerProcessesTest, AtExitSavesGiveUpAtOnceOnWorkCutShort) {
  std::string before;
  std::unique_ptr<StorageManagerImpl> manager =
      ManagerWithAWordToSave(&before);
  MutexHolderProcess holder;
  ASSERT_TRUE(holder.Start(places_.user_cache_mutex_name));

  // As each engine and then the manager itself go.
  SaveAtExitWhileAThreadIsInside(
      manager.get(), 3, [&](const std::function<void()>& stay) {
        StorageLock lock(manager.get());
        stay();
      });
  SaveAtExitWhileAThreadIsInside(
      manager.get(), 3, [](const std::function<void()>& stay) {
        base::FileWorkScope file_work;
        stay();
      });
  EXPECT_EQ(holder.Release(), 0);

  EXPECT_EQ(FileBytes(CachePath()), before);
  const std::vector<std::string> errors = LogLines("ERROR", CachePath());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("the process ended while another of its threads"),
            std::string::npos)
      << errors[0];
  // Away from the exit, the words are still there to be saved.
  manager.reset();
  EXPECT_EQ(ReadList(CachePath()), (List{L"kaa " + kKaa, L"khi " + kKhi}));
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
