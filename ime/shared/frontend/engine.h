// The generic engine: the one object an input context owns and talks to. It
// turns the context's calls into commands run through its core, keeps what
// the handler reports (composition, caret, result, candidates), collects
// what changed in dirty flags and brings the context up to date with them.
// The transliteration engine derives from it.
#ifndef IME_SHARED_FRONTEND_ENGINE_H_
#define IME_SHARED_FRONTEND_ENGINE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "ime/shared/frontend/frontend_interfaces.h"

namespace ime_shared {

class CommandInterface;
class CoreInterface;
class SettingsInterface;
class ShellOpenInterface;
class UserNameInterface;

namespace frontend {

class KeyboardLayoutTable;

// Indices of the engine's property table.
enum EngineProperty : int {
  kPropertyPickerShown = 4,        // the character picker is shown
  kPropertyKeyEaten = 5,           // the last tested key is eaten
  kPropertyTransliterationOn = 7,
  kPropertyLanguage = 8,           // language index 0..18
  kPropertyPageSize = 9,           // candidate page size
  kPropertySchemeMode = 10,        // the custom scheme converts the input
  kPropertyPendingFlags = 11,      // dirty flags not yet sent
  kPropertyCount = 12,
};

// "ActiveTime", the DWORD under the user's product key that every engine
// construction sets to the time in seconds since 1970 (UTC).
extern const wchar_t kActiveTimeValue[];

class Engine : public EngineInterface, public FrontendInterface {
 public:
  // |context| owns the engine; |settings| is the process's store (both not
  // owned, both outliving the engine).
  Engine(ContextInterface* context, SettingsInterface* settings);
  ~Engine() override;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // EngineInterface.
  bool ProcessKey(const KeyEvent& key) override;
  bool HandleKey(const KeyEvent& key) override;
  bool MoveCaret(int32_t kind, int32_t position) override;
  bool SelectCandidate(int32_t index, bool commit) override;
  void EndComposition(bool complete) override;
  void Noop() override {}
  bool ResizePage(int32_t count) override;
  const std::wstring& GetComposition() const override { return display_; }
  int32_t GetCaret() const override { return reported_caret_; }
  const std::wstring& GetResult() const override { return result_; }
  int32_t CandidateCount() const override;
  int32_t CandidateSelection() const override;
  // Empty without a list and outside the current page.
  std::wstring CandidateAt(int32_t i) const override;

  // FrontendInterface (SetMode is the derived engine's).
  bool SetComposition(CompositionInterface* composition) override;
  bool SetResult(const std::wstring& text) override;
  bool SetCandidates(CandidateInterface* candidates) override;
  bool CandidatesChanged(int32_t selection) override;
  bool SetCaret(int32_t position) override;

  // The engine's own operations.
  virtual int32_t GetProperty(int index) const;
  virtual int32_t SetProperty(int index, int32_t value) = 0;
  virtual void SetLayoutIndex(int32_t index);
  virtual int32_t GetLayoutIndex() const;
  virtual bool IsCandidateFlagged(int32_t i) const { return false; }
  // Makes |core| the engine's (owned); the previous one is deleted.
  virtual int32_t AttachCore(CoreInterface* core) = 0;
  // The keyboard-layout typing path: a key of the current layout is typed
  // as that layout's text.
  virtual bool IsLayoutKey(const KeyEvent& key);
  virtual bool TypeLayoutKey(const KeyEvent& key);
  // A caret in the concatenated clause texts, mapped into the spaced text.
  int32_t MapCaret(int32_t position) const;
  // Opens a web search for candidate |index| of the page (the selection
  // when negative), or for the spaced text without candidates; nothing in
  // the "SYSTEM" account. Returns at once.
  void SearchWeb(int32_t index);

  // What the windows read.
  const std::wstring& spaced_text() const { return spaced_; }
  int32_t mapped_caret() const { return mapped_caret_; }
  int32_t picker_characters() const { return picker_characters_; }
  CandidateInterface* candidates() const { return candidates_; }
  const CompositionInterface* composition() const {
    return composition_.get();
  }
  ContextInterface* context() const { return context_; }
  SettingsInterface* settings() const { return settings_; }
  const KeyboardLayoutTable& keyboard_layouts() const { return *layouts_; }

  // Seams of SearchWeb (not owned; null restores the system's).
  void SetWebSeams(UserNameInterface* user_name, ShellOpenInterface* shell);

 protected:
  // Runs |command| through the core; false without a core.
  bool Send(const CommandInterface& command);
  // After the commands of an operation: when flags are pending, updates the
  // context with them, clears them and returns the context's answer;
  // otherwise returns |answer|.
  bool Flush(bool answer);
  void AddPendingFlags(uint32_t flags);
  uint32_t pending_flags() const;
  void ClearPendingFlags();
  // The derived engine's hot keys, run by HandleKey before any command:
  // true when |key| was taken, with the answer in |*answer|.
  virtual bool FilterHotKey(const KeyEvent& key, bool* answer) {
    return false;
  }
  // Whether ProcessKey answers "eaten" for |key| before the handler is
  // asked: a key-down of F12, Ctrl+G, Ctrl+K or Ctrl+M, or of Esc while
  // something is composed or the picker is shown.
  virtual bool IsHotKey(const KeyEvent& key) const;
  // Sets a property without any other effect.
  void StoreProperty(int index, int32_t value);
  CoreInterface* core() const { return core_.get(); }
  // Replaces the core; the previous one is deleted unless it is |core|.
  void ReplaceCore(CoreInterface* core);
  // Whether a composition or candidate list is held.
  bool IsComposing() const;

 private:
  ContextInterface* context_;
  std::unique_ptr<CoreInterface> core_;
  CandidateInterface* candidates_ = nullptr;
  std::unique_ptr<CompositionInterface> composition_;
  std::wstring display_;
  int32_t reported_caret_ = 0;
  std::wstring spaced_;
  int32_t mapped_caret_ = 0;
  std::wstring result_;
  int32_t properties_[kPropertyCount] = {};
  std::unique_ptr<KeyboardLayoutTable> layouts_;
  bool last_key_was_backspace_ = false;
  int32_t picker_characters_ = 0;
  SettingsInterface* settings_;
  bool ending_ = false;
  UserNameInterface* user_name_ = nullptr;
  ShellOpenInterface* shell_ = nullptr;
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_ENGINE_H_
