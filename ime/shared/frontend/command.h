// The commands that carry everything the Windows side and the windows want
// done to the text being composed. A sender builds a command on its stack,
// passes it by reference to the core and destroys it when the call returns;
// whoever keeps one beyond the call keeps a Clone().
#ifndef IME_SHARED_FRONTEND_COMMAND_H_
#define IME_SHARED_FRONTEND_COMMAND_H_

#include <cstdint>

#include "ime/shared/frontend/key_event.h"

namespace ime_shared {

// Type numbers of the commands that exist (no others are ever sent).
enum CommandType : int {
  kTestKeyCommand = 1,          // KeyStrokeCommand<1>: will the key be eaten
  kHandleKeyCommand = 2,        // KeyStrokeCommand<2>: process the key
  kSelectCandidateCommand = 3,  // SelectCandidateCommand
  kCommitSelectionCommand = 4,  // after 3 when the selection commits
  kCancelCommand = 5,           // end the composition, nothing inserted
  kMoveCaretCommand = 6,        // MoveCaretCommand
  kTransliterationOffCommand = 8,
  kNextPageCommand = 22,
  kPreviousPageCommand = 23,
  kResizePageCommand = 26,       // ResizePageCommand
  kDeleteCandidateCommand = 27,  // CandidateDeleteCommand
  kCompleteCommand = 28,         // end the composition, committing
  kTransliterationOnCommand = 30,
  kAttachCommand = 31,           // first command of every new core
  kLanguageChangedCommand = 32,
  kToggleSchemeCommand = 33,
  kPickerUnitCommand = 34,       // SoftKeyboardKeyPressedCommand
  kPageSizeCommand = 35,         // second command of every new core
};

// Bits of the handler's result word.
constexpr uint32_t kCommandDone = 1;    // the handler stops being current
constexpr uint32_t kCommandKeep = 2;    // the handler is (becomes) current
constexpr uint32_t kCommandAnswer = 4;  // what the core answers the engine

class CommandInterface {
 public:
  virtual ~CommandInterface() = default;
  // A heap copy of the same class and payload, owned by the caller.
  virtual CommandInterface* Clone() const = 0;
  virtual int Type() const = 0;
};

template <int N>
class CommandImpl : public CommandInterface {
 public:
  static constexpr int kType = N;
  CommandInterface* Clone() const override { return new CommandImpl(*this); }
  int Type() const override { return N; }
};

// A command of type N with one payload value.
template <int N, typename Payload>
class PayloadCommand : public CommandImpl<N> {
 public:
  explicit PayloadCommand(const Payload& payload) : payload_(payload) {}
  CommandInterface* Clone() const override {
    return new PayloadCommand(*this);
  }
  const Payload& payload() const { return payload_; }

 private:
  Payload payload_;
};

template <int N>
class KeyStrokeCommand : public PayloadCommand<N, KeyEvent> {
 public:
  static_assert(N == kTestKeyCommand || N == kHandleKeyCommand,
                "key strokes are commands 1 and 2");
  explicit KeyStrokeCommand(const KeyEvent& key)
      : PayloadCommand<N, KeyEvent>(key) {}
  CommandInterface* Clone() const override {
    return new KeyStrokeCommand(*this);
  }
  const KeyEvent& key() const { return this->payload(); }
};

// The index of a candidate on the current page.
class SelectCandidateCommand
    : public PayloadCommand<kSelectCandidateCommand, int32_t> {
 public:
  explicit SelectCandidateCommand(int32_t index) : PayloadCommand(index) {}
  CommandInterface* Clone() const override {
    return new SelectCandidateCommand(*this);
  }
  int32_t index() const { return payload(); }
};

class MoveCaretCommand : public PayloadCommand<kMoveCaretCommand, int32_t> {
 public:
  explicit MoveCaretCommand(int32_t position) : PayloadCommand(position) {}
  CommandInterface* Clone() const override {
    return new MoveCaretCommand(*this);
  }
  int32_t position() const { return payload(); }
};

// The number of candidates that fit in the candidate row.
class ResizePageCommand : public PayloadCommand<kResizePageCommand, int32_t> {
 public:
  explicit ResizePageCommand(int32_t count) : PayloadCommand(count) {}
  CommandInterface* Clone() const override {
    return new ResizePageCommand(*this);
  }
  int32_t count() const { return payload(); }
};

class CandidateDeleteCommand
    : public PayloadCommand<kDeleteCandidateCommand, int32_t> {
 public:
  explicit CandidateDeleteCommand(int32_t index) : PayloadCommand(index) {}
  CommandInterface* Clone() const override {
    return new CandidateDeleteCommand(*this);
  }
  int32_t index() const { return payload(); }
};

// One UTF-16 unit of a character-picker key.
class SoftKeyboardKeyPressedCommand
    : public PayloadCommand<kPickerUnitCommand, wchar_t> {
 public:
  explicit SoftKeyboardKeyPressedCommand(wchar_t unit)
      : PayloadCommand(unit) {}
  CommandInterface* Clone() const override {
    return new SoftKeyboardKeyPressedCommand(*this);
  }
  wchar_t unit() const { return payload(); }
};

// The command as its class, or null when it is not one: a command is
// trusted by its class, never by its type number alone.
template <typename T>
const T* CommandAs(const CommandInterface& command) {
  return dynamic_cast<const T*>(&command);
}

// The key event of a command of type 1 or 2; null for any other command.
inline const KeyEvent* KeyOfCommand(const CommandInterface& command) {
  if (auto* test = CommandAs<KeyStrokeCommand<kTestKeyCommand>>(command)) {
    return &test->key();
  }
  if (auto* handle = CommandAs<KeyStrokeCommand<kHandleKeyCommand>>(command)) {
    return &handle->key();
  }
  return nullptr;
}

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_COMMAND_H_
