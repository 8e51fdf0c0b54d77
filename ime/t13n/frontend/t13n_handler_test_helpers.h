// A whole keystroke road for tests: the real transliteration engine, core,
// handler and storage manager over a small language written into a folder
// of the test's own, with the test's settings, user folder, mutexes and
// scheme folder. Keys go in through the engine as an input context would
// send them; the composition, candidates and results are read back from
// the engine.
#ifndef IME_T13N_FRONTEND_T13N_HANDLER_TEST_HELPERS_H_
#define IME_T13N_FRONTEND_T13N_HANDLER_TEST_HELPERS_H_

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/callbacks.h"
#include "ime/shared/frontend/frontend_test_helpers.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/fake_settings.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/scheme_error_reporter.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_handler.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "ime/t13n/transliteration/transliterator/transliterator_test_helpers.h"

namespace ime_t13n {
namespace testing_helpers {

// Reporter of scheme errors that records instead of showing.
class RecordingReporter : public SchemeErrorReporterInterface {
 public:
  void Report(const std::wstring& text) override { texts.push_back(text); }
  std::vector<std::wstring> texts;
};

// The small Devanagari language of the keystroke tests: the letters of
// HindiLike with whole-word readings of "kam", "kamar" and "tim" and
// dictionary words completing them.
inline LanguageBuilder KeystrokeLanguage(const std::string& code) {
  LanguageBuilder b = HindiLike(code, true);
  const std::wstring ka = W({kKa}), ma = W({kMa}), ra = W({kRa}),
                     ta = W({kTa}), aa = W({kSignAa}), i = W({kSignI});
  b.Segment(LanguageBuilder::kSimple, L"k", 0.5f, {{ka, 0.9f}})
      .Segment(LanguageBuilder::kSimple, L"ka", 0.5f, {{ka, 0.6f}, {ka + aa, 0.3f}})
      .Segment(LanguageBuilder::kSimple, L"m", 0.5f, {{ma, 0.9f}})
      .Segment(LanguageBuilder::kSimple, L"ma", 0.5f, {{ma, 0.6f}, {ma + aa, 0.3f}})
      .Segment(LanguageBuilder::kSimple, L"r", 0.5f, {{ra, 0.9f}})
      .Segment(LanguageBuilder::kSimple, L"t", 0.5f, {{ta, 0.9f}})
      .Segment(LanguageBuilder::kSimple, L"ti", 0.5f, {{ta + i, 0.9f}})
      .Segment(LanguageBuilder::kSimple, L"a", 0.5f, {{W({kVowelA}), 0.9f}})
      .Lookup(L"kam", {{ka + ma, 0.5f}, {ka + aa + ma, 0.3f},
                       {ka + ma + aa, 0.15f}, {ka + aa + ma + aa, 0.05f}})
      .Lookup(L"kamar", {{ka + ma + ra, 0.6f}, {ka + aa + ma + ra, 0.3f}})
      .Lookup(L"tim", {{ta + i + ma, 0.7f}})
      .DictionaryWord(ka + ma + ra, 900)
      .DictionaryWord(ka + ma + ra + aa, 800)
      .DictionaryWord(ka + ma + ta, 700)
      .DictionaryWord(ka + aa + ma + ra, 600)
      .DictionaryWord(ka + aa + ma + ta, 500)
      .DictionaryWord(ka + ma + aa + ra, 400)
      .DictionaryWord(ta + i + ma + ra, 300)
      .PermitAllWords();
  return b;
}

// A keystroke road over a language written for the test. Language codes
// name the shared mapping of a data file: every test that uses a code
// writes the same bytes for it.
class KeystrokeWorld {
 public:
  struct Options {
    // A language no other test maps from a file ("pa" is row 10).
    std::string code = "pa";
    int language_index = 10;
    LanguageBuilder (*language)(const std::string&) = &KeystrokeLanguage;
  };

  KeystrokeWorld() : KeystrokeWorld(Options()) {}
  explicit KeystrokeWorld(const Options& options)
      : options_(options),
        data_key_(HKEY_LOCAL_MACHINE, L"KeystrokeData", KEY_WOW64_64KEY) {
    data_path_ = temp_.path() + L"data";
    scheme_folder_ = temp_.path() + L"schemes";
    ::CreateDirectoryW(data_path_.c_str(), nullptr);
    ::CreateDirectoryW(scheme_folder_.c_str(), nullptr);
    const std::wstring folder =
        data_path_ + L"\\" + ime_shared::Utf8ToWide(options.code);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(ime_testing::WriteFileBytes(
        folder + L"\\data.00000",
        WriteLanguageDataFile(options.language(options.code).Contents())));
    data_key_.SetString(L"DataPath", data_path_);

    places_.data_path_key = data_key_.path();
    places_.user_data_folder = temp_.path() + L"user";
    places_.user_cache_mutex_name = ime_testing::UniqueName(L"KeysCache");
    places_.macros_mutex_name = ime_testing::UniqueName(L"KeysMacros");
    Current() = this;
    ProcessSharedStorage().SetFactory(
        ime_shared::base::NewPermanentCallback(&MakeStorage));

    settings.SetInt(ime_shared::kSettingT13nCurrentLanguage,
                    options.language_index);
    environment_.settings = &settings;
    environment_.installed_version = L"1.0.4.0";
    environment_.supported_mask = 1u << options.language_index;
    environment_.handler_maker = [this]() -> T13nModuleHandler* {
      HandlerOptions handler_options;
      handler_options.scheme_folder = scheme_folder_;
      handler_options.reporter = &reporter;
      auto* handler = new T13nHandler(handler_options);
      handlers.push_back(handler);
      return handler;
    };
  }

  ~KeystrokeWorld() {
    engines_.clear();
    if (Current() == this) Current() = nullptr;
  }

  // A new engine (and core) over the world; owned by the world.
  T13nEngine* NewEngine() {
    contexts_.emplace_back(new ime_shared::testing_helpers::FakeContext());
    auto* engine = static_cast<T13nEngine*>(
        CreateT13nEngine(contexts_.back().get(), environment_));
    EXPECT_NE(engine, nullptr);
    contexts_.back()->engine = engine;
    if (engine != nullptr) {
      // Every result the context is told about, in order.
      contexts_.back()->on_update = [this, engine](uint32_t flags) {
        if ((flags & ime_shared::kUpdateResult) != 0 &&
            !engine->GetResult().empty()) {
          results.push_back(engine->GetResult());
        }
      };
    }
    engines_.emplace_back(engine);
    return engine;
  }
  // Deletes every engine: the last one saves the user cache.
  void DeleteEngines() { engines_.clear(); }
  T13nEngine* engine() { return engines_.empty() ? NewEngine() : engines_.back().get(); }
  ime_shared::testing_helpers::FakeContext& context() { return *contexts_.back(); }

  // The key as an input context gives it: tested, then handled when eaten.
  // Returns whether it was eaten.
  bool Press(const ime_shared::KeyEvent& key) {
    T13nEngine* e = engine();
    const bool eaten = e->ProcessKey(key);
    if (eaten) e->HandleKey(key);
    return eaten;
  }
  // A key-down then its release.
  bool Tap(const ime_shared::KeyEvent& key) {
    const bool eaten = Press(key);
    ime_shared::KeyEvent up = key;
    up.state &= ~ime_shared::KeyEvent::kDown;
    Press(up);
    return eaten;
  }
  void Type(const std::wstring& text) {
    for (wchar_t c : text) {
      Tap(ime_shared::testing_helpers::Key::Char(c));
    }
  }
  void TapKey(uint16_t virtual_key) {
    Tap(ime_shared::testing_helpers::Key(virtual_key));
  }
  void Space() { Tap(ime_shared::testing_helpers::Key(ime_shared::vk::kSpace).WithChar(L' ')); }
  void Enter() { Tap(ime_shared::testing_helpers::Key(ime_shared::vk::kReturn).WithChar(L'\r')); }
  // |word| ended by Space the way fast typists type: the Space goes down
  // and up while the last letter is still held, and the letter is released
  // after it.
  void TypeRollingIntoSpace(const std::wstring& word) {
    using ime_shared::testing_helpers::Key;
    if (word.empty()) return;
    Type(word.substr(0, word.size() - 1));
    Press(Key::Char(word.back()));
    Space();
    Press(Key::Char(word.back()).Up());
  }
  // Letters, digits, Back and Enter, down and up, all reach the
  // application: none is eaten, nothing is composed, nothing committed.
  void ExpectKeysReachTheApplication(const std::string& where) {
    using ime_shared::testing_helpers::Key;
    const size_t committed = results.size();
    const Key keys[] = {Key::Char(L'k'), Key::Char(L'a'), Key::Char(L'7'),
                        Key(ime_shared::vk::kBack),
                        Key(ime_shared::vk::kReturn).WithChar(L'\r')};
    for (const Key& key : keys) {
      const ime_shared::KeyEvent down = key;
      EXPECT_FALSE(Press(down)) << "key " << down.virtual_key << " eaten " << where;
      Key up = key;
      EXPECT_FALSE(Press(up.Up())) << "release of " << down.virtual_key << " eaten " << where;
    }
    EXPECT_EQ(engine()->GetComposition(), L"") << where;
    EXPECT_EQ(engine()->CandidateCount(), 0) << where;
    EXPECT_EQ(results.size(), committed) << "committed by the input method " << where;
  }

  // What the engine shows.
  std::vector<std::wstring> Page() {
    std::vector<std::wstring> page;
    for (int i = 0; i < engine()->CandidateCount(); ++i) {
      page.push_back(engine()->CandidateAt(i));
    }
    return page;
  }
  // Every entry of the list, page by page (the page index is restored).
  std::vector<std::wstring> AllEntries() {
    std::vector<std::wstring> all;
    const T13nHandler::Candidate& list = handlers.back()->candidates();
    for (size_t i = 0; i < list.size(); ++i) all.push_back(list.entry(i));
    return all;
  }
  // The transliterator's own candidates of |word| (the storage's).
  std::vector<std::wstring> Transliterations(const std::wstring& word) {
    std::vector<std::wstring> out;
    ime_shared::StorageManager* storage = ProcessSharedStorage().current();
    if (storage != nullptr && storage->GetTransliterator() != nullptr) {
      storage->GetTransliterator()->GetCandidates(word, &out);
    }
    return out;
  }

  std::wstring CachePath() const {
    return places_.user_data_folder + L"\\user_cache.00000";
  }
  std::wstring MacrosPath() const {
    return places_.user_data_folder + L"\\macros.0000";
  }
  bool WriteMacros(const std::vector<std::wstring>& entries) {
    ::CreateDirectoryW(places_.user_data_folder.c_str(), nullptr);
    std::unique_ptr<ime_shared::MutexHolder> mutex(
        ime_shared::MutexHolder::CreateNamed(places_.macros_mutex_name.c_str()));
    ime_shared::ScopedMutexLock lock(mutex.get(), 5000);
    return ime_shared::WriteStringList(MacrosPath(),
                                       ime_shared::MakeStringListHeader(),
                                       entries);
  }
  std::vector<std::wstring> ReadCache() {
    std::unique_ptr<ime_shared::MutexHolder> mutex(
        ime_shared::MutexHolder::CreateNamed(
            places_.user_cache_mutex_name.c_str()));
    std::vector<std::wstring> entries;
    ime_shared::ReadStringList(CachePath(), mutex.get(), 5000, &entries,
                               1000000);
    return entries;
  }
  bool WriteScheme(const std::wstring& name, const std::string& bytes) {
    return ime_testing::WriteFileBytes(scheme_folder_ + L"\\" + name, bytes);
  }
  void RemoveDataPath() { data_key_.Delete(L"DataPath"); }
  // Replaces the data file with |bytes|.
  bool DamageDataFile(const std::string& bytes) {
    return ime_testing::WriteFileBytes(
        data_path_ + L"\\" + ime_shared::Utf8ToWide(options_.code) +
            L"\\data.00000",
        bytes);
  }

  ime_testing::FakeSettings settings;
  RecordingReporter reporter;
  std::vector<std::wstring> results;  // committed texts, in order
  std::vector<T13nHandler*> handlers;  // owned by their masters
  RecordingErrorBox box;

 private:
  static KeystrokeWorld*& Current() {
    static KeystrokeWorld* current = nullptr;
    return current;
  }
  static ime_shared::StorageManager* MakeStorage() {
    KeystrokeWorld* world = Current();
    if (world == nullptr) return nullptr;
    return ime_shared::StorageManagerImpl::Create(world->places_, &world->box);
  }

  Options options_;
  ime_testing::TempDir temp_;
  ime_testing::ScratchRegistryKey data_key_;
  std::wstring data_path_;
  std::wstring scheme_folder_;
  ime_shared::StoragePlaces places_;
  EngineEnvironment environment_;
  std::vector<std::unique_ptr<ime_shared::testing_helpers::FakeContext>> contexts_;
  std::vector<std::unique_ptr<T13nEngine>> engines_;
};

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_T13N_HANDLER_TEST_HELPERS_H_
