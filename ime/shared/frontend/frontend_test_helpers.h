// Test doubles of the keystroke road, shared by the tests of the engine,
// the core, the handler and the input contexts: key events built bit by
// bit, a recording input context and a scripted module handler.
#ifndef IME_SHARED_FRONTEND_FRONTEND_TEST_HELPERS_H_
#define IME_SHARED_FRONTEND_FRONTEND_TEST_HELPERS_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/core_interface.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/key_event.h"

namespace ime_shared {
namespace testing_helpers {

// A key event assembled from named parts, so that a packing mistake shows
// in the test rather than hiding in a hand-written word.
class Key {
 public:
  explicit Key(uint16_t virtual_key) { event_.virtual_key = virtual_key; }
  // A letter or digit key: its virtual key is the upper-case letter and its
  // character the one typed.
  static Key Char(wchar_t c) {
    uint16_t vk = static_cast<uint16_t>(c);
    if (c >= L'a' && c <= L'z') vk = static_cast<uint16_t>(c - L'a' + L'A');
    return Key(vk).WithChar(c);
  }
  Key& WithChar(wchar_t c) {
    event_.character = static_cast<uint16_t>(c);
    return *this;
  }
  Key& Up() {
    up_ = true;
    return *this;
  }
  Key& Shift() {
    event_.state |= KeyEvent::kShift | KeyEvent::kLeftShift;
    return *this;
  }
  Key& Control() {
    event_.state |= KeyEvent::kControl | KeyEvent::kLeftControl;
    return *this;
  }
  Key& Alt() {
    event_.state |= KeyEvent::kAlt;
    return *this;
  }
  Key& CapsLock() {
    event_.state |= KeyEvent::kCapsLock;
    return *this;
  }
  operator KeyEvent() const {
    KeyEvent event = event_;
    if (!up_) event.state |= KeyEvent::kDown;
    return event;
  }

 private:
  KeyEvent event_ = {0, 0, 0};
  bool up_ = false;
};

// An input context that records every Update and answers the flag and
// caret questions as told. OnUpdate, when set, runs inside Update (for a
// context that calls its engine back).
class FakeContext : public ContextInterface {
 public:
  int32_t Update(uint32_t flags) override {
    updates.push_back(flags);
    if (on_update) on_update(flags);
    return update_answer;
  }
  bool IsTextServiceContext() const override { return false; }
  EngineInterface* GetEngine() override { return engine; }
  bool GetCaretRect(std::wstring* text, RECT* out) override {
    if (text != nullptr) text->clear();
    if (out != nullptr) *out = caret_rect;
    return true;
  }
  bool Reserved() override { return false; }
  bool GetFlag(int32_t index) override {
    auto it = flags.find(index);
    return it != flags.end() && it->second;
  }

  std::vector<uint32_t> updates;
  std::function<void(uint32_t)> on_update;
  int32_t update_answer = 1;
  EngineInterface* engine = nullptr;
  RECT caret_rect = {10, 20, 30, 40};
  std::map<int32_t, bool> flags;
};

// A module handler that records the type of every command it gets and
// answers with the word its script gives (0 when the script has none).
// |Base| is ModuleHandler or an interface derived from it.
template <typename Base = ModuleHandler>
class ScriptedHandlerOf : public Base {
 public:
  using Script = std::function<uint32_t(const CommandInterface&)>;

  explicit ScriptedHandlerOf(Script script = Script()) : script_(script) {}

  void HandleCommand(uint32_t& word, const CommandInterface& command) override {
    types.push_back(command.Type());
    if (const KeyEvent* key = KeyOfCommand(command)) keys.push_back(*key);
    word = script_ ? script_(command) : 0;
  }
  void SetFrontend(FrontendInterface* frontend) override {
    this->frontend = frontend;
  }
  void Bind(ModuleMaster* master) override { this->master = master; }
  void SetTransliterator(StorageManager* storage) override {
    this->storage = storage;
  }
  void Reset() override { ++resets; }
  void SetScript(Script script) { script_ = script; }

  std::vector<int> types;
  std::vector<KeyEvent> keys;
  FrontendInterface* frontend = nullptr;
  ModuleMaster* master = nullptr;
  StorageManager* storage = nullptr;
  int resets = 0;

 private:
  Script script_;
};

using ScriptedHandler = ScriptedHandlerOf<>;

// A composition of given clauses {text, reading, kind} and caret.
class TestComposition : public CompositionInterface {
 public:
  struct Part {
    std::wstring text;
    std::wstring reading;
    int32_t kind;
  };
  class Clause : public ClauseInterface {
   public:
    explicit Clause(const Part& part) : part_(part) {}
    const std::wstring& Text() const override { return part_.text; }
    const std::wstring& Reading() const override { return part_.reading; }
    int32_t Kind() const override { return part_.kind; }

   private:
    Part part_;
  };

  TestComposition(const std::vector<Part>& parts, int32_t caret)
      : caret_(caret) {
    for (const Part& part : parts) clauses_.emplace_back(part);
  }
  int32_t ClauseCount() const override {
    return static_cast<int32_t>(clauses_.size());
  }
  const ClauseInterface* ClauseAt(int32_t i) const override {
    if (i < 0 || i >= ClauseCount()) return nullptr;
    return &clauses_[i];
  }
  int32_t FocusedClause() const override { return 0; }
  int32_t Caret() const override { return caret_; }

 private:
  int32_t caret_;
  std::vector<Clause> clauses_;
};

// One page of candidates, the first |flagged| of them flagged.
class TestCandidates : public T13nCandidateInterface {
 public:
  explicit TestCandidates(const std::vector<std::wstring>& entries,
                          int32_t selection = 0, int32_t flagged = 0)
      : entries_(entries), selection_(selection), flagged_(flagged) {}
  int32_t CountOnPage() const override {
    return static_cast<int32_t>(entries_.size());
  }
  std::wstring At(int32_t i) const override {
    return i >= 0 && i < CountOnPage() ? entries_[i] : std::wstring();
  }
  int32_t LabelStyle() const override { return 0; }
  int32_t PageCount() const override { return entries_.empty() ? 0 : 1; }
  int32_t PageIndex() const override { return 0; }
  int32_t Selection() const override { return selection_; }
  bool IsDeletable() const override { return false; }
  bool IsFlagged(int32_t i) const override { return i >= 0 && i < flagged_; }

 private:
  std::vector<std::wstring> entries_;
  int32_t selection_;
  int32_t flagged_;
};

}  // namespace testing_helpers
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_FRONTEND_TEST_HELPERS_H_
