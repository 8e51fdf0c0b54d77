// Test doubles of the transliteration front end: a scripted transliteration
// handler, an engine environment of one test, and a counting storage
// factory.
#ifndef IME_T13N_FRONTEND_T13N_FRONTEND_TEST_HELPERS_H_
#define IME_T13N_FRONTEND_T13N_FRONTEND_TEST_HELPERS_H_

#include <vector>

#include "ime/shared/base/callbacks.h"
#include "ime/shared/frontend/frontend_test_helpers.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/testing/fake_settings.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_engine.h"

namespace ime_t13n {
namespace testing_helpers {

class ScriptedT13nHandler
    : public ime_shared::testing_helpers::ScriptedHandlerOf<T13nModuleHandler> {
 public:
  using ScriptedHandlerOf::ScriptedHandlerOf;
  void SetSchemeTarget(ime_shared::T13nFrontendInterface* target) override {
    scheme_target = target;
  }
  ime_shared::T13nFrontendInterface* scheme_target = nullptr;
};

// A storage manager that counts how many of its kind are alive.
class CountedStorageManager : public ime_shared::StorageManager {
 public:
  CountedStorageManager() { ++alive; ++made; }
  ~CountedStorageManager() override { --alive; }
  static int alive;
  static int made;
};
inline int CountedStorageManager::alive = 0;
inline int CountedStorageManager::made = 0;

inline ime_shared::StorageManager* MakeCountedStorageManager() {
  return new CountedStorageManager();
}

// Makes the process's shared storage hand out counted managers.
inline void UseCountedStorage() {
  ProcessSharedStorage().SetFactory(
      ime_shared::base::NewPermanentCallback(&MakeCountedStorageManager));
}

// The environment of one test: its own settings, an installed version, no
// supported languages, and handlers made by the script (kept in |made|).
class TestEnvironment {
 public:
  explicit TestEnvironment(
      ScriptedT13nHandler::Script script = ScriptedT13nHandler::Script())
      : script_(script) {
    environment_.settings = &settings;
    environment_.installed_version = L"1.0.0.0";
    environment_.handler_maker = [this]() {
      auto* handler = new ScriptedT13nHandler(script_);
      made.push_back(handler);
      return handler;
    };
  }
  const EngineEnvironment& get() const { return environment_; }
  EngineEnvironment& mutable_get() { return environment_; }

  ime_testing::FakeSettings settings;
  std::vector<ScriptedT13nHandler*> made;  // owned by their masters

 private:
  ScriptedT13nHandler::Script script_;
  EngineEnvironment environment_;
};

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_T13N_FRONTEND_TEST_HELPERS_H_
