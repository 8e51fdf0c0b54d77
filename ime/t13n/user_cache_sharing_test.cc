// The user cache that applications share, through the built module: real
// applications (application_test_child, each its own process under
// one Wine prefix) type and commit words, and what one learns reaches the
// others at their next input context without undoing what they learned;
// two threads of one application type, learn and switch input contexts at
// once without harm, and an application that ends while its threads type
// ends at once, with what it learned saved.
//
// The prefix is the program's own (the tests write the user's files), with
// the product's values set for good.
#include <windows.h>
#include <shlobj.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/debug_log.h"
#include "ime/t13n/imm_host/built_module_test_helpers.h"
#include "ime/t13n/user_cache_sharing_test_words.h"

namespace ime_t13n {
namespace {

using ime_testing::ChildProcess;
using ime_testing::UniqueName;
using List = std::vector<std::wstring>;
// What an application printed: "<verb> <word> <candidate>" lines, by verb
// and word, in order.
using Printed = std::map<std::string, std::map<std::wstring, List>>;

const wchar_t kChild[] = L"application_test_child";

std::wstring UserCachePath() {
  return ime_shared::PathJoin(
      ime_shared::GetProductDirectory(ime_shared::kUserDataDirectory),
      ime_shared::kUserCacheFileName);
}

std::unique_ptr<ime_shared::MutexHolder> UserCacheMutex() {
  return std::unique_ptr<ime_shared::MutexHolder>(
      ime_shared::MutexHolder::CreateNamed(ime_shared::kUserCacheMutexName));
}

// The file's entries; its read result in |result| when asked.
List ReadUserCache(ime_shared::StringListReadResult* result = nullptr) {
  std::unique_ptr<ime_shared::MutexHolder> mutex = UserCacheMutex();
  List entries;
  const ime_shared::StringListReadResult read =
      ime_shared::ReadStringListWithResult(UserCachePath(), mutex.get(), 5000,
                                           &entries, 1000000);
  if (result != nullptr) *result = read;
  return entries;
}

void WriteUserCache(const List& entries) {
  const std::wstring folder =
      ime_shared::GetProductDirectory(ime_shared::kUserDataDirectory);
  ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  std::unique_ptr<ime_shared::MutexHolder> mutex = UserCacheMutex();
  ime_shared::ScopedMutexLock lock(mutex.get(), 5000);
  ASSERT_TRUE(lock.held());
  ASSERT_TRUE(ime_shared::WriteStringList(
      UserCachePath(), ime_shared::MakeStringListHeader(), entries));
}

// 2000 words the user once chose: a full cache.
List FullCache() {
  List entries;
  for (int n = 0; n < 2000; ++n) {
    entries.push_back(L"zq" + std::to_wstring(n) + L" \x0915\x093E");
  }
  return entries;
}

bool Contains(const List& entries, const std::wstring& entry) {
  for (const std::wstring& e : entries) {
    if (e == entry) return true;
  }
  return false;
}

// Every word of |chosen| is in |saved| with its (first) candidate.
void ExpectSaved(const std::map<std::wstring, List>& chosen,
                 const List& saved) {
  for (const auto& word : chosen) {
    const std::wstring entry = word.first + L" " + word.second[0];
    EXPECT_TRUE(Contains(saved, entry))
        << "lost: " << ime_shared::WideToUtf8(entry);
  }
}

Printed ParsePrinted(const std::string& output) {
  Printed printed;
  for (const std::string& line : testing_helpers::OutputLines(output)) {
    const size_t first = line.find(' ');
    const size_t second = line.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    printed[line.substr(0, first)]
           [ime_shared::Utf8ToWide(line.substr(first + 1, second - first - 1))]
               .push_back(ime_shared::Utf8ToWide(line.substr(second + 1)));
  }
  return printed;
}

std::wstring Join(const List& steps) {
  std::wstring line;
  for (const std::wstring& step : steps) line += L" " + step;
  return line;
}

class UserCacheSharingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing_helpers::SetBuiltProductValues(); }

  void SetUp() override { ::DeleteFileW(UserCachePath().c_str()); }

  // Starts an application that does |steps|.
  void Start(ChildProcess* application, const List& steps) {
    ASSERT_TRUE(application->Start(kChild, L"steps" + Join(steps)))
        << "the application did not start";
  }
  // Waits for it to end well and answers what it printed.
  Printed Finish(ChildProcess* application) {
    const int code = application->Wait(120000);
    EXPECT_EQ(code, 0) << application->output();
    return ParsePrinted(application->output());
  }
  Printed Run(const List& steps) {
    ChildProcess application;
    Start(&application, steps);
    return Finish(&application);
  }

  // A name for a step's event, unique to the test.
  std::wstring Event(const wchar_t* name) {
    auto& event = events_[name];
    if (event.empty()) event = UniqueName(name);
    return event;
  }

 private:
  std::map<std::wstring, std::wstring> events_;
};

// A user with two applications open corrects in one a choice both hold.
TEST_F(UserCacheSharingTest, ACorrectionInOneApplicationReachesTheOthers) {
  ChildProcess a;
  ChildProcess b;
  Start(&a, {L"select", L"choose:chitra:2", L"deselect", L"select",
             L"signal:" + Event(L"a1"), L"wait:" + Event(L"b1"),
             L"choose:chitra:2", L"deselect", L"signal:" + Event(L"a2"),
             L"wait:" + Event(L"b2"), L"select", L"first:chitra"});
  Start(&b, {L"wait:" + Event(L"a1"), L"select", L"first:chitra",
             L"signal:" + Event(L"b1"), L"wait:" + Event(L"a2"), L"deselect",
             L"select", L"first:chitra", L"choose:kal:2", L"deselect",
             L"signal:" + Event(L"b2")});
  const Printed in_a = Finish(&a);
  const Printed in_b = Finish(&b);
  const List& chosen = in_a.at("chose").at(L"chitra");
  ASSERT_EQ(chosen.size(), 2u);
  ASSERT_NE(chosen[0], L"-");
  ASSERT_NE(chosen[1], L"-");
  ASSERT_NE(chosen[0], chosen[1]) << "the correction chose the same word";
  const std::wstring& corrected = chosen[1];

  const List& seen_in_b = in_b.at("first").at(L"chitra");
  ASSERT_EQ(seen_in_b.size(), 2u);
  EXPECT_EQ(seen_in_b[0], chosen[0]) << "B did not read A's first choice";
  EXPECT_EQ(seen_in_b[1], corrected)
      << "B's next input context does not offer A's correction first";
  // B's save of another word wrote nothing of its own over the correction.
  const List saved = ReadUserCache();
  EXPECT_TRUE(Contains(saved, L"chitra " + corrected));
  ASSERT_NE(in_b.at("chose").at(L"kal")[0], L"-");
  EXPECT_TRUE(Contains(saved, L"kal " + in_b.at("chose").at(L"kal")[0]));
  EXPECT_EQ(in_a.at("first").at(L"chitra"), List{corrected});
  // And a third application offers it.
  EXPECT_EQ(Run({L"select", L"first:chitra"}).at("first").at(L"chitra"),
            List{corrected});
}

// The user has accepted as many words as the cache keeps; a word learned in
// one application is offered in another and kept, with that one's own.
TEST_F(UserCacheSharingTest, AFullCacheTakesWordsLearnedInAnotherApplication) {
  WriteUserCache(FullCache());
  ChildProcess a;
  ChildProcess b;
  Start(&a, {L"select", L"signal:" + Event(L"a1"), L"wait:" + Event(L"b1"),
             L"deselect", L"select", L"first:natak", L"choose:kal:2",
             L"deselect"});
  Start(&b, {L"wait:" + Event(L"a1"), L"select", L"choose:natak:2",
             L"deselect", L"signal:" + Event(L"b1")});
  const Printed in_a = Finish(&a);
  const Printed in_b = Finish(&b);
  const std::wstring natak = in_b.at("chose").at(L"natak")[0];
  const std::wstring kal = in_a.at("chose").at(L"kal")[0];
  ASSERT_NE(natak, L"-");
  ASSERT_NE(kal, L"-");
  EXPECT_EQ(in_a.at("first").at(L"natak"), List{natak})
      << "A does not offer B's word first";
  const List saved = ReadUserCache();
  EXPECT_EQ(saved.size(), 2000u);
  EXPECT_TRUE(Contains(saved, L"natak " + natak)) << "B's word was lost";
  EXPECT_TRUE(Contains(saved, L"kal " + kal)) << "A's word was lost";
}

// Two applications learn fifty words each, at the same time, saving after
// each, over a full file: every word of both is kept.
TEST_F(UserCacheSharingTest, TwoApplicationsLearningAtOnceKeepEveryWord) {
  WriteUserCache(FullCache());
  const std::wstring go = Event(L"go");
  auto steps = [&go](const wchar_t* const* words) {
    List steps = {L"wait:" + go, L"select"};
    for (int i = 0; i < 50; ++i) {
      steps.push_back(std::wstring(L"choose:") + words[i] + L":2");
      steps.push_back(L"deselect");
      steps.push_back(L"select");
    }
    return steps;
  };
  ChildProcess a;
  ChildProcess b;
  Start(&a, steps(testing_helpers::kSharingWords));
  Start(&b, steps(testing_helpers::kSharingWords + 50));
  HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, go.c_str());
  ::SetEvent(event);
  const Printed in_a = Finish(&a);
  const Printed in_b = Finish(&b);
  ::CloseHandle(event);

  const List saved = ReadUserCache();
  EXPECT_EQ(saved.size(), 2000u);
  for (const Printed* printed : {&in_a, &in_b}) {
    ASSERT_EQ(printed->at("chose").size(), 50u);
    for (const auto& word : printed->at("chose")) {
      ASSERT_NE(word.second[0], L"-") << ime_shared::WideToUtf8(word.first);
    }
    ExpectSaved(printed->at("chose"), saved);
  }
}

// One application, two threads with a window and an input context each:
// one types and commits words while the other selects a fresh context,
// types and commits a word and deselects it, over and over. Neither harms
// the other, and what both learned is in the file once the module goes.
TEST_F(UserCacheSharingTest, TwoThreadsTypingAndSwitchingContextsAtOnce) {
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ::DeleteFileW(UserCachePath().c_str());
    ChildProcess application;
    ASSERT_TRUE(application.Start(kChild, L"threads 10000 free"));
    ASSERT_EQ(application.Wait(120000), 0)
        << "the application crashed or hung: " << application.output();
    const Printed printed = ParsePrinted(application.output());
    ASSERT_EQ(printed.count("learned"), 1u);
    const auto& learned = printed.at("learned");
    // Both threads learned (twenty words each at most).
    EXPECT_GT(learned.size(), 20u);
    ExpectSaved(learned, ReadUserCache());
  }
}

// An application that ends (ExitProcess) while two of its threads type and
// switch input contexts, again and again: it ends at once and without a
// crash, nothing the module does at the exit waits for a lock that a thread
// held when the exit ended it, and every word it learned is in the file.
// Only when the exit caught a thread using the language (what it was
// changing may be half changed) or working on a file (a file opened then
// could receive what was on its way to that thread) is the save given up,
// and then one line of the log says so.
TEST_F(UserCacheSharingTest, AnApplicationEndingWhileItsThreadsTypeEnds) {
  const std::string given_up =
      "the process ended while another of its threads was using";
  for (int round = 1; round <= 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // The entry that the loader refuses is logged as the application's
    // first input context reads the file, which opens the module's log
    // early: at the exit the module opens no file once a thread was ended
    // inside its work on one.
    WriteUserCache({L"refused"});
    const size_t log_start = ime_testing::ReadDebugLog().size();
    ChildProcess application;
    ASSERT_TRUE(application.Start(kChild, L"threads 1500 now"));
    ASSERT_EQ(application.Wait(60000), 0)
        << "the application hung at its exit or crashed";
    ime_shared::StringListReadResult result;
    const List saved = ReadUserCache(&result);
    EXPECT_TRUE(result == ime_shared::StringListReadResult::kRead ||
                result == ime_shared::StringListReadResult::kNoFile);
    const std::string log = ime_testing::ReadDebugLog().substr(log_start);
    const size_t lines =
        ime_testing::DebugLogLinesWith(log, {given_up}).size();
    ASSERT_LE(lines, 1u) << log;
    if (lines == 1) continue;
    // The choice last printed for a word may have been followed by another
    // before the exit: the word is there, with one of its candidates.
    const Printed printed = ParsePrinted(application.output());
    ASSERT_EQ(printed.count("learned"), 1u) << "nothing was learned";
    for (const auto& word : printed.at("learned")) {
      bool found = false;
      for (const std::wstring& entry : saved) {
        found = found || entry.compare(0, word.first.size() + 1,
                                       word.first + L" ") == 0;
      }
      EXPECT_TRUE(found) << "lost: " << ime_shared::WideToUtf8(word.first);
    }
  }
}

}  // namespace
}  // namespace ime_t13n
