// Second process of the settings store tests.
//
//   settings_test_child <section> <user key> <legacy key> <step>...
//
// Runs each step in order. The store over the given places is made at the
// first step that uses it, so that several children can be released by one
// event and make their stores at the same moment.
//   get:<index>=<value>      GetInt must answer <value> (else the value
//                            read is printed)
//   set:<index>=<value>      SetInt
//   str:<index>=<text>       GetString must answer <text> (may be empty)
//   setstr:<index>=<text>    SetString
//   shared:<0|1>             whether the record is shared must be so
//   signal:<event>           sets the named event
//   wait:<event>             waits up to 90 s for the named event (the
//                            test decides when; the limit only keeps an
//                            orphaned child from living on)
//
// Exit codes: 0 all steps passed, 2 bad arguments, 10 + n step n failed
// (steps counted from 0).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/settings.h"

namespace {

using ime_shared::Settings;
using ime_shared::base::ScopedHandle;

std::wstring Widen(const char* text) {
  return std::wstring(text, text + strlen(text));
}

// "<index>=<rest>"; false when malformed.
bool SplitIndex(const std::wstring& argument, int* index, std::wstring* rest) {
  const size_t equals = argument.find(L'=');
  if (equals == std::wstring::npos || equals == 0) return false;
  *index = static_cast<int>(std::wcstol(argument.c_str(), nullptr, 10));
  *rest = argument.substr(equals + 1);
  return true;
}

// The store, made when a step first needs it.
class LazySettings {
 public:
  explicit LazySettings(const ime_shared::SettingsLocation& location)
      : location_(location) {}

  Settings* Get() {
    if (!settings_) settings_ = Settings::Create(location_);
    return settings_.get();
  }

 private:
  ime_shared::SettingsLocation location_;
  std::unique_ptr<Settings> settings_;
};

bool RunStep(LazySettings* store, const std::wstring& step) {
  const size_t colon = step.find(L':');
  if (colon == std::wstring::npos) return false;
  const std::wstring verb = step.substr(0, colon);
  const std::wstring argument = step.substr(colon + 1);
  int index = 0;
  std::wstring rest;
  if (verb == L"signal" || verb == L"wait") {
    ScopedHandle event(::OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE,
                                    argument.c_str()));
    if (!event) return false;
    if (verb == L"signal") return ::SetEvent(event.Get()) != FALSE;
    return ::WaitForSingleObject(event.Get(), 90000) == WAIT_OBJECT_0;
  }
  Settings* settings = store->Get();
  if (verb == L"shared") return settings->IsShared() == (argument == L"1");
  if (!SplitIndex(argument, &index, &rest)) return false;
  if (verb == L"get") {
    const uint32_t value = settings->GetInt(index);
    if (value == std::wcstoul(rest.c_str(), nullptr, 10)) return true;
    // What was read instead, for the test's failure message.
    std::printf("setting %d read as %lu\n", index,
                static_cast<unsigned long>(value));
    return false;
  }
  if (verb == L"set") {
    settings->SetInt(index, std::wcstoul(rest.c_str(), nullptr, 10));
    return true;
  }
  if (verb == L"str") return settings->GetString(index) == rest;
  if (verb == L"setstr") {
    settings->SetString(index, rest);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  ime_shared::SettingsLocation location{Widen(argv[1]), Widen(argv[2]),
                                        Widen(argv[3])};
  LazySettings store(location);
  for (int i = 4; i < argc; ++i) {
    if (!RunStep(&store, Widen(argv[i]))) return 10 + (i - 4);
  }
  return 0;
}
