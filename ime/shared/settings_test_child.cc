// Second process of the settings store tests.
//
//   settings_test_child <section> <user key> <legacy key> <step>...
//
// Makes a store over the given places, then runs each step in order:
//   get:<index>=<value>      GetInt must answer <value>
//   set:<index>=<value>      SetInt
//   str:<index>=<text>       GetString must answer <text> (may be empty)
//   setstr:<index>=<text>    SetString
//   shared:<0|1>             whether the record is shared must be so
//   signal:<event>           sets the named event
//   wait:<event>             waits up to 20 s for the named event
//
// Exit codes: 0 all steps passed, 2 bad arguments, 10 + n step n failed
// (steps counted from 0).
#include <windows.h>

#include <cstdlib>
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

bool RunStep(Settings* settings, const std::wstring& step) {
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
    return ::WaitForSingleObject(event.Get(), 20000) == WAIT_OBJECT_0;
  }
  if (verb == L"shared") return settings->IsShared() == (argument == L"1");
  if (!SplitIndex(argument, &index, &rest)) return false;
  if (verb == L"get") {
    return settings->GetInt(index) == std::wcstoul(rest.c_str(), nullptr, 10);
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
  std::unique_ptr<Settings> settings = Settings::Create(location);
  for (int i = 4; i < argc; ++i) {
    if (!RunStep(settings.get(), Widen(argv[i]))) return 10 + (i - 4);
  }
  return 0;
}
