// The boundary between an engine and the module handlers that do the work:
// the core an engine dispatches its commands through, the module master that
// picks the handler of a command, and the handler's interface.
#ifndef IME_SHARED_FRONTEND_CORE_INTERFACE_H_
#define IME_SHARED_FRONTEND_CORE_INTERFACE_H_

#include <cstdint>

namespace ime_shared {

class CommandInterface;
class FrontendInterface;
class SettingsInterface;
class StorageManager;
class SupportedLanguageSet;
class ModuleMaster;

// One per engine; deleting it unregisters the engine's module master.
class CoreInterface {
 public:
  // The core of a new engine whose handler reports to |frontend|, over the
  // process's shared storage and module registry; null when either is
  // unavailable. Made by the transliteration front end.
  static CoreInterface* Create(FrontendInterface* frontend,
                               SettingsInterface* settings);

  virtual ~CoreInterface() = default;
  // Runs |command| through the handlers; the answer bit of the word of the
  // handler that took it, false when none did.
  virtual bool Execute(const CommandInterface& command) = 0;
};

// A handler of commands. It answers through the result word (kCommandDone,
// kCommandKeep, kCommandAnswer) and reports to the front end.
class ModuleHandler {
 public:
  virtual ~ModuleHandler() = default;
  virtual void HandleCommand(uint32_t& word,
                             const CommandInterface& command) = 0;
  virtual void SetFrontend(FrontendInterface* frontend) = 0;
  virtual void Bind(ModuleMaster* master) {}
  virtual void SetTransliterator(StorageManager* storage) {}
  virtual void Reset() = 0;
};

// Holds the handlers of one engine and decides which one gets a command.
class ModuleMaster {
 public:
  virtual ~ModuleMaster() = default;
  // Hands the settings store to the language state.
  virtual void BindSettings(SettingsInterface* settings) = 0;
  virtual SupportedLanguageSet* GetLanguageState() = 0;
  // Offers |command| to the current handler, or to each handler in turn;
  // the answer bit of the word of the handler that took it.
  virtual bool Dispatch(const CommandInterface& command) = 0;
  // Whether a handler is current (it claimed a command and has not
  // finished).
  virtual bool HasCurrentHandler() const = 0;
};

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_CORE_INTERFACE_H_
