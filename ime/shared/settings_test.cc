#include "ime/shared/settings.h"

#include <climits>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/debug_log.h"
#include "ime/shared/testing/scratch_registry_key.h"

namespace ime_shared {
namespace {

using base::ScopedHandle;
using ime_testing::ChildProcess;
using ime_testing::ScratchRegistryKey;
using ime_testing::UniqueName;

// Each test has its own section and keys, so that the tests, which ctest
// runs in parallel processes, never share a record or a registry value.
class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest()
      : user_(HKEY_CURRENT_USER, L"SettingsUser"),
        legacy_(HKEY_CURRENT_USER, L"SettingsLegacy", KEY_WOW64_32KEY),
        location_{UniqueName(L"KelvaneSettings"), user_.path(), legacy_.path()} {}

  // A store on a section of its own: it fills its record from the registry.
  std::unique_ptr<Settings> Fresh() {
    location_.section_name = UniqueName(L"KelvaneSettings");
    return Settings::Create(location_);
  }

  // "Modified" as the store left it in the registry; "<missing>" when absent
  // or not a string.
  std::wstring ModifiedList() const {
    DWORD type = 0;
    std::string bytes;
    if (!user_.Query(kModifiedValue, &type, &bytes) || type != REG_SZ) {
      return L"<missing>";
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                        bytes.size() / 2 - 1);
  }

  ScratchRegistryKey user_;
  ScratchRegistryKey legacy_;
  SettingsLocation location_;
};

// The expected table, written out independently of the product's.
constexpr uint32_t kNone = 0xFFFFFFFF;
const uint32_t kDefaults[kSettingCount] = {
    0, 1, 0, 0, 1, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0,
    0, 63, 63, 5, 500, 500, 65535, 65535, 65535, 20, 10, 0, 0, 0, 0, 1, 1, 1, 1,
    18, 10, 19, 1, 1, 1, 0, 1, 14, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 12, 12,
    5, 1, 0};

uint32_t ExpectedMinimum(int index) {
  switch (index) {
    case 26: case 65: return 3;
    case 33: return 1;
    default: return 0;
  }
}

uint32_t ExpectedMaximum(int index) {
  switch (index) {
    case 24: case 25: case 48: case 54: case 55: case 56: case 57: case 58:
    case 62: case 63: case 64:
      return kNone;
    case 26: return 9;
    case 27: case 28: case 29: case 30: case 31: case 32: return 65535;
    case 33: return 99;
    case 34: case 38: return 3;
    case 35: return 4;
    case 36: case 42: case 43: case 44: case 50: return 255;
    case 61: return 18;
    case 65: return 6;
    default: return 1;
  }
}

const std::set<int> kUntracked = {23, 27, 28, 29, 30, 31, 32, 37, 54, 55, 56, 57, 58};

TEST_F(SettingsTest, EmptyKeyGivesTheDefaultsAndTheNames) {
  auto settings = Fresh();
  ASSERT_TRUE(user_.Exists());  // created on the way
  for (int i = 0; i < kSettingCount; ++i) {
    EXPECT_EQ(settings->GetInt(i), kDefaults[i]) << i;
    EXPECT_EQ(settings->GetDefaultInt(i), kDefaults[i]) << i;
    EXPECT_FALSE(settings->IsModified(i)) << i;
    EXPECT_EQ(settings->IsTracked(i), kUntracked.count(i) == 0) << i;
    EXPECT_EQ(settings->IndexOf(settings->GetName(i)), i);
  }
  EXPECT_EQ(settings->GetString(kStringSettingEnglishFontName), L"Arial");
  EXPECT_EQ(settings->GetString(kStringSettingConvertedTextFontName), L"");
  // Names are matched whole and case-sensitively; strings are not searched.
  EXPECT_EQ(settings->IndexOf(L"T13nCurrentLanguage"), 61);
  EXPECT_EQ(settings->IndexOf(L"t13nCurrentLanguage"), kNoSetting);
  EXPECT_EQ(settings->IndexOf(L"T13nCurrentLanguage "), kNoSetting);
  EXPECT_EQ(settings->IndexOf(L"EnglishFontName"), kNoSetting);
  EXPECT_EQ(settings->IndexOf(L""), kNoSetting);
  EXPECT_EQ(settings->GetName(67), L"T13nMacroFileChanged");
  // Reading writes nothing.
  EXPECT_EQ(ModifiedList(), L"<missing>");
}

TEST_F(SettingsTest, EveryRowKeepsItsRange) {
  auto settings = Fresh();
  for (int i = 0; i < kSettingCount; ++i) {
    const uint32_t minimum = ExpectedMinimum(i);
    const uint32_t maximum = ExpectedMaximum(i);
    const wchar_t* name = SettingsTable::At(i).name;
    settings->SetInt(i, minimum);
    EXPECT_EQ(settings->GetInt(i), minimum) << i;
    settings->SetInt(i, maximum);
    EXPECT_EQ(settings->GetInt(i), maximum) << i;
    EXPECT_EQ(user_.GetDword(name), maximum) << i;
    if (maximum != kNone) {
      settings->SetInt(i, maximum + 1);
      EXPECT_EQ(settings->GetInt(i), kDefaults[i]) << i;
      EXPECT_EQ(user_.GetDword(name), kDefaults[i]) << i;
      settings->SetInt(i, 0xFFFFFFFF);
      EXPECT_EQ(settings->GetInt(i), kDefaults[i]) << i;
    }
    if (minimum > 0) {
      settings->SetInt(i, minimum - 1);
      EXPECT_EQ(settings->GetInt(i), kDefaults[i]) << i;
      EXPECT_EQ(user_.GetDword(name), kDefaults[i]) << i;
    }
  }
}

TEST_F(SettingsTest, RegistryValuesOutOfRangeOrOfAnotherTypeReadAsDefaults) {
  user_.SetDword(L"T13nCandidatePageSize", 6);
  user_.SetDword(L"T13nCurrentLanguage", 19);
  user_.SetDword(L"CandidatePerPage", 2);
  user_.SetDword(L"FuzzyParameter", 0xFFFFFFFF);
  user_.SetDword(L"InitialEnglish", 1);
  user_.SetString(L"CompPanelX", L"100");
  const ULONGLONG wide = 7;
  user_.SetRaw(L"CompPanelY", REG_QWORD, &wide, sizeof(wide));
  const DWORD four_bytes = 50;
  user_.SetRaw(L"LimitedPhraseCandidateCount", REG_BINARY, &four_bytes, 4);
  const WORD two_bytes = 3;
  user_.SetRaw(L"StatusPanelLayout", REG_DWORD, &two_bytes, 2);

  auto settings = Fresh();
  EXPECT_EQ(settings->GetInt(kSettingT13nCandidatePageSize), 6u);
  EXPECT_EQ(settings->GetInt(kSettingT13nCurrentLanguage), 0u);
  EXPECT_EQ(settings->GetInt(kSettingCandidatePerPage), 5u);
  EXPECT_EQ(settings->GetInt(kSettingFuzzyParameter), 0xFFFFFFFFu);
  EXPECT_EQ(settings->GetInt(kSettingInitialEnglish), 1u);
  EXPECT_EQ(settings->GetInt(kSettingCompPanelX), 500u);
  EXPECT_EQ(settings->GetInt(kSettingCompPanelY), 500u);
  EXPECT_EQ(settings->GetInt(kSettingLimitedPhraseCandidateCount), 10u);
  EXPECT_EQ(settings->GetInt(kSettingStatusPanelLayout), 0u);
  // Reading does not repair the registry.
  EXPECT_EQ(user_.GetDword(L"T13nCurrentLanguage"), 19u);
}

TEST_F(SettingsTest, StringSettingsFollowTheStringRules) {
  user_.SetString(L"EnglishFontName", L"Mangal");
  user_.SetString(L"ConvertedTextFontName", L"");
  auto settings = Fresh();
  EXPECT_EQ(settings->GetString(0), L"Mangal");
  EXPECT_EQ(settings->GetString(1), L"");

  user_.SetDword(L"EnglishFontName", 5);
  const wchar_t unterminated[] = L"LohitX";
  user_.SetRaw(L"ConvertedTextFontName", REG_SZ, unterminated, 5 * sizeof(wchar_t));
  settings = Fresh();
  EXPECT_EQ(settings->GetString(0), L"Arial");
  EXPECT_EQ(settings->GetString(1), L"");

  user_.SetString(L"EnglishFontName", L"%FontFace%", REG_EXPAND_SZ);
  user_.SetString(L"ConvertedTextFontName", L"Lohit Devanagari Extra Wide");
  settings = Fresh();
  EXPECT_EQ(settings->GetString(0), L"%FontFace%");
  EXPECT_EQ(settings->GetString(1), L"Lohit Devanagari Ex");  // 19 units
}

TEST_F(SettingsTest, SetStringCutsOnlyTheSharedCopy) {
  auto settings = Fresh();
  settings->SetString(0, L"Mangal");
  EXPECT_EQ(settings->GetString(0), L"Mangal");
  DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(user_.Query(L"EnglishFontName", &type, &bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes.size(), 14u);  // six characters and the NUL

  const std::wstring long_name = L"Lohit Devanagari Extra Wide";
  settings->SetString(1, long_name);
  EXPECT_EQ(settings->GetString(1), long_name.substr(0, 19));
  ASSERT_TRUE(user_.Query(L"ConvertedTextFontName", &type, &bytes));
  EXPECT_EQ(bytes.size(), (long_name.size() + 1) * 2);

  // A cut never splits a surrogate pair.
  const std::wstring astral = std::wstring(18, L'a') + L"\xD83D\xDE00" + L"b";
  settings->SetString(1, astral);
  EXPECT_EQ(settings->GetString(1), std::wstring(18, L'a'));
  settings->SetString(0, L"");
  EXPECT_EQ(settings->GetString(0), L"");
  ASSERT_TRUE(user_.Query(L"EnglishFontName", &type, &bytes));
  EXPECT_EQ(bytes.size(), 2u);

  // Strings do not take part in the modified marks.
  EXPECT_EQ(ModifiedList(), L"<missing>");
}

TEST_F(SettingsTest, SetIntMarksTheRequestNotTheOutcome) {
  auto settings = Fresh();
  // 7 is out of range: the default 5 is stored, which is the current value,
  // yet the request marks the setting.
  settings->SetInt(kSettingT13nCandidatePageSize, 7);
  EXPECT_EQ(settings->GetInt(kSettingT13nCandidatePageSize), 5u);
  EXPECT_EQ(user_.GetDword(L"T13nCandidatePageSize"), 5u);
  EXPECT_TRUE(settings->IsModified(kSettingT13nCandidatePageSize));
  EXPECT_EQ(ModifiedList(), L"T13nCandidatePageSize,");

  // Setting the current value is no change.
  settings->SetInt(kSettingCaretTrack, 1);
  EXPECT_FALSE(settings->IsModified(kSettingCaretTrack));
  EXPECT_EQ(user_.GetDword(L"CaretTrack"), 1u);
  settings->SetInt(kSettingCaretTrack, 0);
  EXPECT_TRUE(settings->IsModified(kSettingCaretTrack));
  EXPECT_EQ(ModifiedList(), L"CaretTrack,T13nCandidatePageSize,");

  // Setting it back keeps the mark.
  settings->SetInt(kSettingCaretTrack, 1);
  EXPECT_TRUE(settings->IsModified(kSettingCaretTrack));

  // Untracked settings are stored but never marked.
  settings->SetInt(kSettingCompPanelX, 100);
  EXPECT_EQ(settings->GetInt(kSettingCompPanelX), 100u);
  EXPECT_EQ(user_.GetDword(L"CompPanelX"), 100u);
  EXPECT_FALSE(settings->IsModified(kSettingCompPanelX));
  EXPECT_EQ(ModifiedList(), L"CaretTrack,T13nCandidatePageSize,");
}

TEST_F(SettingsTest, SetModifiedKeepsTheListInTableOrder) {
  auto settings = Fresh();
  settings->SetModified(kSettingCompPanelX, true);
  EXPECT_FALSE(settings->IsModified(kSettingCompPanelX));
  EXPECT_EQ(ModifiedList(), L"<missing>");

  settings->SetModified(kSettingT13nCandidatePageSize, true);
  settings->SetModified(kSettingCaretTrack, true);
  EXPECT_EQ(ModifiedList(), L"CaretTrack,T13nCandidatePageSize,");
  settings->SetModified(kSettingCaretTrack, false);
  EXPECT_FALSE(settings->IsModified(kSettingCaretTrack));
  EXPECT_EQ(ModifiedList(), L"T13nCandidatePageSize,");
  settings->SetModified(kSettingT13nCandidatePageSize, false);
  EXPECT_EQ(ModifiedList(), L"");

  // The list survives into the next store.
  settings->SetModified(kSettingInitialEnglish, true);
  settings = Fresh();
  EXPECT_TRUE(settings->IsModified(kSettingInitialEnglish));
}

TEST_F(SettingsTest, ModifiedListSkipsEmptyAndUnknownNames) {
  user_.SetString(kModifiedValue, L",,CaretTrack,,NotASetting,caretTrack,CompPanelX");
  auto settings = Fresh();
  for (int i = 0; i < kSettingCount; ++i) {
    EXPECT_EQ(settings->IsModified(i), i == kSettingCaretTrack) << i;
  }
  // Rewriting the list keeps only the tracked names.
  settings->SetModified(kSettingInitialEnglish, true);
  EXPECT_EQ(ModifiedList(), L"InitialEnglish,CaretTrack,");

  user_.SetString(kModifiedValue, L"");
  settings = Fresh();
  for (int i = 0; i < kSettingCount; ++i) EXPECT_FALSE(settings->IsModified(i)) << i;

  user_.SetDword(kModifiedValue, 1);
  settings = Fresh();
  for (int i = 0; i < kSettingCount; ++i) EXPECT_FALSE(settings->IsModified(i)) << i;
}

TEST_F(SettingsTest, IndicesOutsideTheTablesAreHarmless) {
  auto settings = Fresh();
  for (int index : {-1, kSettingCount, 1000, INT_MIN}) {
    settings->SetInt(index, 3);
    settings->SetModified(index, true);
    EXPECT_EQ(settings->GetInt(index), 0u);
    EXPECT_EQ(settings->GetDefaultInt(index), 0u);
    EXPECT_EQ(settings->GetName(index), L"");
    EXPECT_FALSE(settings->IsTracked(index));
    EXPECT_FALSE(settings->IsModified(index));
  }
  for (int index : {-1, kStringSettingCount}) {
    settings->SetString(index, L"Mangal");
    EXPECT_EQ(settings->GetString(index), L"");
  }
  EXPECT_EQ(ModifiedList(), L"<missing>");
  DWORD type = 0;
  std::string bytes;
  EXPECT_FALSE(user_.Query(L"", &type, &bytes));
}

TEST_F(SettingsTest, WithoutAUserKeyTheRecordStillWorks) {
  // A key name part of more than 255 characters cannot be created.
  location_.user_key_path = user_.path() + L"\\" + std::wstring(300, L'k');
  auto settings = Fresh();
  EXPECT_FALSE(ime_testing::RegistryPlace(HKEY_CURRENT_USER, location_.user_key_path).Exists());
  for (int i = 0; i < kSettingCount; ++i) EXPECT_EQ(settings->GetInt(i), kDefaults[i]);
  // Without the key even the string defaults stay unread.
  EXPECT_EQ(settings->GetString(0), L"");
  EXPECT_EQ(settings->GetString(1), L"");
  settings->SetInt(kSettingT13nCandidatePageSize, 4);
  settings->SetString(0, L"Mangal");
  EXPECT_EQ(settings->GetInt(kSettingT13nCandidatePageSize), 4u);
  EXPECT_TRUE(settings->IsModified(kSettingT13nCandidatePageSize));
  EXPECT_EQ(settings->GetString(0), L"Mangal");
  DWORD type = 0;
  std::string bytes;
  EXPECT_FALSE(user_.Query(L"T13nCandidatePageSize", &type, &bytes));
  EXPECT_FALSE(user_.Query(kModifiedValue, &type, &bytes));
}

// Legacy masks: bit b of "CommonSettings" and "ModeModified" is setting
// kCommonSettingsBitMap[b]; bit b of "Param1Modified" kParam1ModifiedBitMap[b].
TEST_F(SettingsTest, MigrationCarriesTheEarlierVersionOverOnce) {
  legacy_.SetDword(kCommonSettingsValue,
                   (1u << 0) | (1u << 7) | (1u << 26) | (1u << 28) | (1u << 31));
  legacy_.SetDword(kModeModifiedValue, (1u << 12) | (1u << 28));
  legacy_.SetDword(kParam1ModifiedValue, (1u << 0) | (1u << 3) | (1u << 4) | (1u << 14));
  legacy_.SetDword(L"CandidatePerPage", 7);
  legacy_.SetDword(L"T13nCurrentLanguage", 25);
  legacy_.SetString(L"CompPanelX", L"7");
  legacy_.SetDword(L"StatusPanelLayout", 2);

  auto settings = Fresh();
  // From "CommonSettings": set bits give 1, clear bits 0.
  EXPECT_EQ(settings->GetInt(kSettingInitialEnglish), 1u);
  EXPECT_EQ(settings->GetInt(kSettingFloatingStatusBar), 1u);
  EXPECT_EQ(settings->GetInt(kSettingSelectCharacterFromPhrase), 1u);
  EXPECT_EQ(settings->GetInt(kSettingNoStatusWhenFullScreen), 1u);
  EXPECT_EQ(settings->GetInt(kSettingInitialFullPunct), 0u);
  EXPECT_EQ(settings->GetInt(kSettingCaretTrack), 0u);
  EXPECT_EQ(user_.GetDword(L"InitialFullPunct"), 0u);
  // From the named values, within range.
  EXPECT_EQ(settings->GetInt(kSettingCandidatePerPage), 7u);
  EXPECT_EQ(settings->GetInt(kSettingT13nCurrentLanguage), 0u);
  EXPECT_EQ(user_.GetDword(L"T13nCurrentLanguage"), 0u);
  EXPECT_EQ(settings->GetInt(kSettingCompPanelX), 500u);
  EXPECT_EQ(user_.GetDword(L"CompPanelX"), 0xDEADBEEFu);  // not written
  EXPECT_EQ(settings->GetInt(kSettingStatusPanelLayout), 2u);
  // The marks of tracked settings only.
  EXPECT_TRUE(settings->IsModified(kSettingCaretTrack));
  EXPECT_TRUE(settings->IsModified(kSettingCandidatePerPage));
  EXPECT_TRUE(settings->IsModified(kSettingCompFontSize));
  EXPECT_FALSE(settings->IsModified(kSettingNoStatusWhenFullScreen));
  EXPECT_FALSE(settings->IsModified(kSettingCompPanelX));
  EXPECT_FALSE(settings->IsModified(kSettingInitialEnglish));
  EXPECT_EQ(ModifiedList(), L"CaretTrack,CandidatePerPage,CompFontSize,");
  EXPECT_EQ(user_.GetDword(kMigratedV1Value), 1u);

  // Done once: later changes of the legacy key are never read again.
  legacy_.SetDword(kCommonSettingsValue, 0);
  legacy_.SetDword(L"CandidatePerPage", 9);
  user_.SetDword(L"CandidatePerPage", 4);
  settings = Fresh();
  EXPECT_EQ(settings->GetInt(kSettingInitialEnglish), 1u);
  EXPECT_EQ(settings->GetInt(kSettingCandidatePerPage), 4u);
  EXPECT_TRUE(settings->IsModified(kSettingCaretTrack));
}

TEST_F(SettingsTest, MigrationWaitsForTheLegacyKey) {
  user_.SetDword(kMigratedV1Value, 0);  // present but not done
  auto settings = Fresh();
  EXPECT_EQ(settings->GetInt(kSettingInitialEnglish), 0u);
  EXPECT_EQ(user_.GetDword(kMigratedV1Value), 0u);

  // Masks of the wrong type are skipped; the migration still counts as done.
  legacy_.SetString(kCommonSettingsValue, L"1");
  const ULONGLONG wide = 1;
  legacy_.SetRaw(kModeModifiedValue, REG_QWORD, &wide, sizeof(wide));
  legacy_.SetDword(L"InitialFullShape", 1);
  settings = Fresh();
  EXPECT_EQ(settings->GetInt(kSettingInitialEnglish), 0u);
  EXPECT_EQ(settings->GetInt(kSettingInitialFullShape), 1u);
  EXPECT_FALSE(settings->IsModified(kSettingInitialEnglish));
  EXPECT_EQ(user_.GetDword(kMigratedV1Value), 1u);
  EXPECT_EQ(ModifiedList(), L"<missing>");
}

// Creation of the shared record among processes that start at once. The
// store is made under the named mutex "MUTEX" followed by the section name.

std::wstring MutexNameOf(const std::wstring& section_name) {
  return L"MUTEX" + section_name;
}

// The names used here are ASCII.
std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

// The lines of "debug.log" in the temporary folder that contain |text|.
// Other processes may be writing the file meanwhile.
std::vector<std::string> LogLinesWith(const std::string& text) {
  return ime_testing::DebugLogLinesWith({text});
}

// Owns the named mutex from a thread of its own, as another process would:
// either holding it until destroyed, or abandoning it (the thread ends while
// owning it). The handle is kept so that the mutex lives on either way.
class ForeignMutexOwner {
 public:
  enum Mode { kHold, kAbandon };

  ForeignMutexOwner(const std::wstring& name, Mode mode)
      : mutex_(::CreateMutexW(nullptr, FALSE, name.c_str())),
        owned_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this, mode] {
      if (::WaitForSingleObject(mutex_.Get(), 20000) != WAIT_OBJECT_0) return;
      ::SetEvent(owned_.Get());
      if (mode == kAbandon) return;
      ::WaitForSingleObject(release_.Get(), 60000);
      ::ReleaseMutex(mutex_.Get());
    });
    ::WaitForSingleObject(owned_.Get(), 20000);
    if (mode == kAbandon) thread_.join();
  }
  ~ForeignMutexOwner() {
    ::SetEvent(release_.Get());
    if (thread_.joinable()) thread_.join();
  }
  ForeignMutexOwner(const ForeignMutexOwner&) = delete;
  ForeignMutexOwner& operator=(const ForeignMutexOwner&) = delete;

  bool owned() const { return ::WaitForSingleObject(owned_.Get(), 0) == WAIT_OBJECT_0; }

  // Whether a thread that is not the store's could take the mutex at once,
  // i.e. nobody holds it any more.
  bool FreeForOthers() const {
    DWORD wait = WAIT_FAILED;
    std::thread probe([this, &wait] {
      wait = ::WaitForSingleObject(mutex_.Get(), 0);
      if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        ::ReleaseMutex(mutex_.Get());
      }
    });
    probe.join();
    return wait == WAIT_OBJECT_0;
  }

 private:
  ScopedHandle mutex_;
  ScopedHandle owned_;
  ScopedHandle release_;
  std::thread thread_;
};

// Host processes load the module together at logon. Whichever of them
// creates the section, every one must find the record already filled from
// the registry (not zeros), and what each writes must not be undone by the
// creator's fill. Each round uses a new section, so that it starts from
// nothing.
//
// Every wait here is generous: on a loaded machine starting a process can
// take seconds, and a child that gave up waiting would fail for nothing.
// A store whose maker could not get the mutex in time goes on without it
// by design (and logs so); a failed round where that happened says
// nothing about the ordering, so it is told apart rather than counted.
TEST_F(SettingsTest, ProcessesStartingTogetherAllSeeTheFilledRecord) {
  constexpr int kProcesses = 4;
  constexpr int kRounds = 25;
  // Values only the registry can give: the user cache is on by default and
  // reads 0 only from an unfilled record.
  user_.SetDword(L"T13nEnglishFontSize", 29);
  user_.SetString(L"EnglishFontName", L"Mangal");
  const std::wstring reads = L" get:66=1 get:63=29 str:0=Mangal";

  // Waits until |event| is set or |child| has ended (a failed step ends it).
  auto wait_for = [](const ScopedHandle& event, const ChildProcess& child) {
    HANDLE handles[] = {event.Get(), child.handle()};
    ::WaitForMultipleObjects(2, handles, FALSE, 90000);
  };

  int failed_rounds = 0;
  int rounds_without_mutex = 0;
  for (int round = 0; round < kRounds; ++round) {
    const std::wstring section = UniqueName(L"KelvaneSettingsRace");
    const std::wstring go_name = UniqueName(L"KelvaneRaceGo");
    const std::wstring finish_name = UniqueName(L"KelvaneRaceFinish");
    ScopedHandle go(::CreateEventW(nullptr, TRUE, FALSE, go_name.c_str()));
    ScopedHandle finish(::CreateEventW(nullptr, TRUE, FALSE, finish_name.c_str()));
    ASSERT_TRUE(go && finish);
    ChildProcess children[kProcesses];
    ScopedHandle ready[kProcesses];
    ScopedHandle written[kProcesses];
    for (int i = 0; i < kProcesses; ++i) {
      const std::wstring ready_name = UniqueName(L"KelvaneRaceReady");
      const std::wstring written_name = UniqueName(L"KelvaneRaceWritten");
      ready[i].Reset(::CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str()));
      written[i].Reset(::CreateEventW(nullptr, TRUE, FALSE, written_name.c_str()));
      ASSERT_TRUE(ready[i] && written[i]);
      // Each child moves a window position of its own (untracked, wide
      // range) and checks at the end, after every store exists, that it
      // is still there.
      const std::wstring own = std::to_wstring(kSettingCompPanelX + i) + L"=" +
                               std::to_wstring(1000 + i);
      const std::wstring steps = L"signal:" + ready_name + L" wait:" + go_name +
                                 reads + L" set:" + own + L" signal:" +
                                 written_name + L" wait:" + finish_name +
                                 L" get:" + own;
      ASSERT_TRUE(children[i].Start(
          L"settings_test_child", section + L" " + location_.user_key_path +
                                      L" " + location_.legacy_key_path + L" " +
                                      steps))
          << "cannot start process " << i << ": error " << ::GetLastError();
    }
    // Everyone waits on the one event before any store is made.
    for (int i = 0; i < kProcesses; ++i) wait_for(ready[i], children[i]);
    ::SetEvent(go.Get());
    for (int i = 0; i < kProcesses; ++i) wait_for(written[i], children[i]);
    ::SetEvent(finish.Get());

    // Exit code 10 + n: step n failed (2, 3, 4: a read of the record; 8:
    // the child's own write was lost).
    int codes[kProcesses];
    bool failed = false;
    for (int i = 0; i < kProcesses; ++i) {
      codes[i] = children[i].Wait(90000);
      failed = failed || codes[i] != 0;
    }
    if (!failed) continue;
    if (!LogLinesWith(Narrow(MutexNameOf(section))).empty()) {
      ++rounds_without_mutex;
      continue;
    }
    ++failed_rounds;
    for (int i = 0; i < kProcesses; ++i) {
      EXPECT_EQ(codes[i], 0) << "round " << round << ", process " << i << ": "
                             << children[i].output();
    }
  }
  EXPECT_EQ(failed_rounds, 0) << "of " << kRounds << " rounds";
  // Most rounds must have run with the mutex, or nothing was shown.
  EXPECT_LT(rounds_without_mutex, kRounds / 2)
      << "rounds whose stores were made without the mutex";
}

TEST_F(SettingsTest, AbandonedMutexCountsAsObtained) {
  user_.SetDword(L"T13nEnglishFontSize", 29);
  location_.section_name = UniqueName(L"KelvaneSettings");
  const std::wstring mutex_name = MutexNameOf(location_.section_name);
  // A process that died while creating its store.
  ForeignMutexOwner owner(mutex_name, ForeignMutexOwner::kAbandon);
  ASSERT_TRUE(owner.owned());

  auto settings = Settings::Create(location_);
  EXPECT_TRUE(settings->IsShared());
  EXPECT_EQ(settings->GetInt(kSettingT13nEnglishFontSize), 29u);
  EXPECT_EQ(settings->GetInt(kSettingT13nUserCacheEnabled), 1u);
  // Taken without complaint, and let go once the store is made.
  EXPECT_TRUE(LogLinesWith(Narrow(mutex_name)).empty());
  EXPECT_TRUE(owner.FreeForOthers());
}

TEST_F(SettingsTest, StoreGoesOnWhenTheMutexStaysHeld) {
  user_.SetDword(L"T13nEnglishFontSize", 29);
  user_.SetString(L"EnglishFontName", L"Mangal");
  location_.section_name = UniqueName(L"KelvaneSettings");
  const std::wstring mutex_name = MutexNameOf(location_.section_name);
  // A process hung while holding it: settings must stay available.
  ForeignMutexOwner owner(mutex_name, ForeignMutexOwner::kHold);
  ASSERT_TRUE(owner.owned());

  auto settings = Settings::Create(location_);
  EXPECT_TRUE(settings->IsShared());
  EXPECT_EQ(settings->GetInt(kSettingT13nEnglishFontSize), 29u);
  EXPECT_EQ(settings->GetInt(kSettingT13nUserCacheEnabled), 1u);
  EXPECT_EQ(settings->GetString(kStringSettingEnglishFontName), L"Mangal");
  const std::vector<std::string> lines = LogLinesWith(Narrow(mutex_name));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(":WARNING:"), std::string::npos) << lines[0];
}

TEST_F(SettingsTest, StoreGoesOnWhenTheMutexCannotBeMade) {
  user_.SetDword(L"T13nEnglishFontSize", 29);
  location_.section_name = UniqueName(L"KelvaneSettings");
  const std::wstring mutex_name = MutexNameOf(location_.section_name);
  // An object of another kind already has the mutex's name.
  ScopedHandle squatter(::CreateEventW(nullptr, TRUE, FALSE, mutex_name.c_str()));
  ASSERT_TRUE(squatter);

  auto settings = Settings::Create(location_);
  EXPECT_TRUE(settings->IsShared());
  EXPECT_EQ(settings->GetInt(kSettingT13nEnglishFontSize), 29u);
  EXPECT_EQ(settings->GetInt(kSettingT13nUserCacheEnabled), 1u);
  // A second store over the same section opens it and sees the same record.
  settings->SetInt(kSettingT13nCandidatePageSize, 4);
  auto second = Settings::Create(location_);
  EXPECT_EQ(second->GetInt(kSettingT13nCandidatePageSize), 4u);
  const std::vector<std::string> lines = LogLinesWith(Narrow(mutex_name));
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines) {
    EXPECT_NE(line.find(":WARNING:"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace ime_shared
