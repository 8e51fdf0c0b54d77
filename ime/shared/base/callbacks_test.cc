#include "ime/shared/base/callbacks.h"

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace ime_shared {
namespace base {
namespace {

// Counts its live instances, so a test sees when a one-shot callback that
// holds one as its bound argument is deleted.
class Tracked {
 public:
  explicit Tracked(int value) : value_(value) { ++live; }
  Tracked(const Tracked& other) : value_(other.value_) { ++live; }
  ~Tracked() { --live; }
  int value() const { return value_; }
  static int live;

 private:
  int value_;
};
int Tracked::live = 0;

class Recorder {
 public:
  void Ping() { calls.push_back(L"ping"); }
  void Say(const std::wstring& text) { calls.push_back(text); }
  int Count() { return static_cast<int>(calls.size()); }
  int CountPlus(int extra) const { return static_cast<int>(calls.size()) + extra; }
  void SetProperty(int index, int value) {
    calls.push_back(std::to_wstring(index) + L"=" + std::to_wstring(value));
  }
  void Keep(const Tracked& tracked) { kept += tracked.value(); }
  std::vector<std::wstring> calls;
  int kept = 0;
};

int g_pings = 0;
void FreePing() { ++g_pings; }
int Answer() { return 42; }
int Twice(int value) { return 2 * value; }
void AddTo(int* total, int amount) { *total += amount; }
int Scale(int factor, int value) { return factor * value; }

TEST(CallbacksTest, PermanentCallbacksRunRepeatedlyOnMembersAndFunctions) {
  Recorder recorder;
  std::unique_ptr<Closure> ping(NewPermanentCallback(&recorder, &Recorder::Ping));
  std::unique_ptr<Callback1<const std::wstring&>> say(
      NewPermanentCallback(&recorder, &Recorder::Say));
  std::unique_ptr<ResultCallback<int>> count(
      NewPermanentCallback(&recorder, &Recorder::Count));
  std::unique_ptr<ResultCallback1<int, int>> count_plus(
      NewPermanentCallback(&recorder, &Recorder::CountPlus));
  EXPECT_TRUE(ping->IsRepeatable());
  EXPECT_TRUE(say->IsRepeatable());
  EXPECT_TRUE(count->IsRepeatable());
  EXPECT_TRUE(count_plus->IsRepeatable());

  ping->Run();
  ping->Run();
  say->Run(L"hello");
  EXPECT_EQ(count->Run(), 3);
  EXPECT_EQ(count_plus->Run(10), 13);
  EXPECT_EQ(recorder.calls, (std::vector<std::wstring>{L"ping", L"ping", L"hello"}));

  g_pings = 0;
  std::unique_ptr<Closure> free_ping(NewPermanentCallback(&FreePing));
  std::unique_ptr<ResultCallback<int>> answer(NewPermanentCallback(&Answer));
  std::unique_ptr<ResultCallback1<int, int>> twice(NewPermanentCallback(&Twice));
  free_ping->Run();
  free_ping->Run();
  EXPECT_EQ(g_pings, 2);
  EXPECT_EQ(answer->Run(), 42);
  EXPECT_EQ(answer->Run(), 42);
  EXPECT_EQ(twice->Run(21), 42);
  EXPECT_EQ(twice->Run(-1), -2);
}

TEST(CallbacksTest, OneShotCallbacksDeleteThemselvesAfterRun) {
  Recorder recorder;
  Tracked::live = 0;
  Callback1<int>* set_four = NewCallback(&recorder, &Recorder::SetProperty, 4);
  EXPECT_FALSE(set_four->IsRepeatable());
  set_four->Run(1);
  EXPECT_EQ(recorder.calls, (std::vector<std::wstring>{L"4=1"}));

  {
    // The callback holds a copy of |tracked|; running it must free it.
    Tracked tracked(5);
    Closure* keep = NewCallback(&recorder, &Recorder::Keep, tracked);
    EXPECT_EQ(Tracked::live, 2);
    EXPECT_FALSE(keep->IsRepeatable());
    keep->Run();
    EXPECT_EQ(recorder.kept, 5);
    EXPECT_EQ(Tracked::live, 1) << "the callback and its bound copy are gone";
  }
  EXPECT_EQ(Tracked::live, 0);

  ResultCallback<int>* answer = NewCallback(&Answer);
  EXPECT_FALSE(answer->IsRepeatable());
  EXPECT_EQ(answer->Run(), 42);

  ResultCallback1<int, int>* scale = NewCallback(&Scale, 3);
  EXPECT_EQ(scale->Run(7), 21);

  int total = 0;
  Callback1<int>* add = NewCallback(&AddTo, &total);
  add->Run(6);
  EXPECT_EQ(total, 6);

  const Recorder& constant = recorder;
  ResultCallback1<int, int>* count_plus = NewCallback(&constant, &Recorder::CountPlus);
  EXPECT_EQ(count_plus->Run(1), 2);

  g_pings = 0;
  Closure* free_ping = NewCallback(&FreePing);
  free_ping->Run();
  EXPECT_EQ(g_pings, 1);
}

TEST(CallbacksTest, BoundArgumentsAreStoredByValueAndReused) {
  Recorder recorder;
  std::unique_ptr<Callback1<int>> set_page(
      NewPermanentCallback(&recorder, &Recorder::SetProperty, 9));
  set_page->Run(5);
  set_page->Run(7);
  EXPECT_EQ(recorder.calls, (std::vector<std::wstring>{L"9=5", L"9=7"}));

  std::wstring text = L"first";
  std::unique_ptr<Closure> say(NewPermanentCallback(&recorder, &Recorder::Say, text));
  text = L"changed";  // the callback kept its own copy
  say->Run();
  say->Run();
  EXPECT_EQ(recorder.calls.back(), L"first");
  EXPECT_EQ(recorder.calls.size(), 4u);

  std::unique_ptr<ResultCallback1<int, int>> triple(NewPermanentCallback(&Scale, 3));
  EXPECT_EQ(triple->Run(2), 6);
  EXPECT_EQ(triple->Run(4), 12);

  Tracked::live = 0;
  {
    std::unique_ptr<Closure> keep(
        NewPermanentCallback(&recorder, &Recorder::Keep, Tracked(2)));
    keep->Run();
    keep->Run();
    EXPECT_EQ(recorder.kept, 4);
    EXPECT_EQ(Tracked::live, 1);
  }
  EXPECT_EQ(Tracked::live, 0) << "deleting a permanent callback frees its copy";
}

// Callbacks are used through their interfaces by code that knows nothing
// of the target.
int RunFactoryTwice(ResultCallback<int>* factory) { return factory->Run() + factory->Run(); }

TEST(CallbacksTest, InterfacesHideTheTarget) {
  std::unique_ptr<ResultCallback<int>> factory(NewPermanentCallback(&Answer));
  EXPECT_EQ(RunFactoryTwice(factory.get()), 84);
  Recorder recorder;
  recorder.calls = {L"a", L"b"};
  std::unique_ptr<ResultCallback<int>> count(
      NewPermanentCallback(&recorder, &Recorder::Count));
  EXPECT_EQ(RunFactoryTwice(count.get()), 4);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
