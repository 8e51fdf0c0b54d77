// Times the keystroke road as an input context drives it:
//
//   keystroke_bench LEXICON.tsv
//
// An engine is made with the engine factory over a context that reads the
// composition, the caret and the candidate page at every update; attaching
// it loads the installed language ("DataPath"). Then every Latin word of the
// lexicon is typed key by key, each key a key-down (test, then handling)
// and a release, and committed with Space. Per keystroke: p50, p99 and max
// of the key-down and of the release. While typing, changes of the per-user
// and machine product keys are watched: the keystroke path must write no
// registry value. The last line is
//   attach_ms=F p50_us=F p99_us=F max_us=F registry_changes=N keystrokes=N
// (one line).
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ime/shared/base/registry_key.h"
#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/settings.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/lexicon_words.h"
#include "ime/shared/testing/measurement.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "tools/keystrokes/reading_context.h"

namespace {

using ime_testing::Percentile;

// Watches one key (and its subkeys) for changes of values.
class KeyWatch {
 public:
  explicit KeyWatch(HKEY key)
      : key_(key), event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    Arm();
  }
  ~KeyWatch() {
    if (key_ != nullptr) ::RegCloseKey(key_);
    if (event_ != nullptr) ::CloseHandle(event_);
  }
  // Changes seen since the last call.
  int Collect() {
    if (key_ == nullptr) return 0;
    if (::WaitForSingleObject(event_, 0) != WAIT_OBJECT_0) return 0;
    Arm();
    return 1;
  }

 private:
  void Arm() {
    if (key_ != nullptr) {
      ::RegNotifyChangeKeyValue(key_, TRUE, REG_NOTIFY_CHANGE_LAST_SET,
                                event_, TRUE);
    }
  }
  HKEY key_;
  HANDLE event_;
};

HKEY OpenForNotify(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(root, path, 0, nullptr, 0,
                        KEY_NOTIFY | KEY_WOW64_64KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: keystroke_bench LEXICON.tsv\n");
    return 2;
  }
  std::vector<std::wstring> words;
  if (!ime_testing::ReadLexiconLatinWords(ime_shared::Utf8ToWide(argv[1]), &words)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }

  keystrokes::ReadingContext context;
  ime_t13n::EngineEnvironment environment;
  environment.settings = ime_shared::Settings::GetInstance();
  environment.installed_version = L"bench";
  environment.supported_mask = ime_shared::ReadSupportedLanguageMask();
  environment.handler_maker = ime_t13n::DefaultHandlerMaker();
  const double attach_start = ime_testing::Now();
  std::unique_ptr<ime_shared::EngineInterface> engine(
      ime_t13n::CreateT13nEngine(&context, environment));
  const double attach_ms = (ime_testing::Now() - attach_start) * 1000;
  if (engine == nullptr) {
    std::fprintf(stderr, "no engine\n");
    return 1;
  }
  context.engine = engine.get();

  KeyWatch user(OpenForNotify(HKEY_CURRENT_USER, ime_shared::kProductKeyPath));
  KeyWatch machine(
      OpenForNotify(HKEY_LOCAL_MACHINE, ime_shared::kProductKeyPath));
  int registry_changes = 0;
  std::vector<double> down_us;
  std::vector<double> up_us;
  for (const std::wstring& word : words) {
    std::wstring keys = word + L" ";
    for (wchar_t c : keys) {
      const ime_shared::KeyEvent down = keystrokes::KeyFor(c, true);
      double t = ime_testing::Now();
      if (engine->ProcessKey(down)) engine->HandleKey(down);
      down_us.push_back((ime_testing::Now() - t) * 1e6);
      const ime_shared::KeyEvent up = keystrokes::KeyFor(c, false);
      t = ime_testing::Now();
      if (engine->ProcessKey(up)) engine->HandleKey(up);
      up_us.push_back((ime_testing::Now() - t) * 1e6);
    }
    registry_changes += user.Collect() + machine.Collect();
  }
  std::vector<double> all = down_us;
  all.insert(all.end(), up_us.begin(), up_us.end());
  std::printf("key-down: p50_us=%.1f p99_us=%.1f max_us=%.1f\n",
              Percentile(down_us, 0.5), Percentile(down_us, 0.99),
              Percentile(down_us, 1.0));
  std::printf("release:  p50_us=%.1f p99_us=%.1f max_us=%.1f\n",
              Percentile(up_us, 0.5), Percentile(up_us, 0.99),
              Percentile(up_us, 1.0));
  std::printf("words=%zu committed=%zu\n", words.size(), context.results.size());
  std::printf("kernel object call: us=%.1f\n", ime_testing::KernelObjectCallMicros());
  std::printf(
      "attach_ms=%.1f p50_us=%.1f p99_us=%.1f max_us=%.1f registry_changes=%d "
      "keystrokes=%zu\n",
      attach_ms, Percentile(down_us, 0.5), Percentile(down_us, 0.99),
      Percentile(down_us, 1.0), registry_changes, down_us.size());
  return 0;
}
