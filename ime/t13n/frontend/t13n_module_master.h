// The module master of one transliteration engine: it owns the engine's
// handlers and its language state, and decides which handler gets each
// command by the handlers' result words.
#ifndef IME_T13N_FRONTEND_T13N_MODULE_MASTER_H_
#define IME_T13N_FRONTEND_T13N_MODULE_MASTER_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ime/shared/frontend/core_interface.h"

namespace ime_shared {
class T13nFrontendInterface;
}  // namespace ime_shared

namespace ime_t13n {

// A handler of the transliteration front end: a module handler that also
// reports the custom scheme names to the engine.
class T13nModuleHandler : public ime_shared::ModuleHandler {
 public:
  virtual void SetSchemeTarget(ime_shared::T13nFrontendInterface* target) = 0;
};

// Makes the transliteration handler of a new core; may answer null.
using HandlerMaker = std::function<T13nModuleHandler*()>;

class T13nModuleMaster : public ime_shared::ModuleMaster {
 public:
  // The number of commands kept, as clones, in the history.
  static constexpr size_t kHistorySize = 20;

  // No handlers yet; a new language state over |supported_mask|.
  T13nModuleMaster(ime_shared::FrontendInterface* frontend,
                   uint32_t supported_mask);
  // Deletes the handlers, the history's clones and the language state.
  ~T13nModuleMaster() override;
  T13nModuleMaster(const T13nModuleMaster&) = delete;
  T13nModuleMaster& operator=(const T13nModuleMaster&) = delete;

  // ModuleMaster.
  void BindSettings(ime_shared::SettingsInterface* settings) override;
  ime_shared::SupportedLanguageSet* GetLanguageState() override;
  bool Dispatch(const ime_shared::CommandInterface& command) override;
  bool HasCurrentHandler() const override { return current_ != nullptr; }

  // Makes the transliteration handler with |maker| and appends it to the
  // handlers. False when the maker made none.
  bool AddT13nHandler(const HandlerMaker& maker);
  // Gives every handler, in order, the front end, this master and
  // |storage|, then the transliteration handler the scheme target.
  void BindHandlers(ime_shared::StorageManager* storage);

  T13nModuleHandler* t13n_handler() const { return t13n_handler_; }
  size_t history_size() const { return history_.size(); }

 private:
  void Record(const ime_shared::CommandInterface& command,
              ime_shared::ModuleHandler* handler);

  std::vector<std::unique_ptr<ime_shared::ModuleHandler>> handlers_;
  ime_shared::ModuleHandler* current_ = nullptr;
  ime_shared::FrontendInterface* frontend_;
  ime_shared::StorageManager* storage_ = nullptr;
  std::deque<std::pair<std::unique_ptr<ime_shared::CommandInterface>,
                       ime_shared::ModuleHandler*>>
      history_;
  std::unique_ptr<ime_shared::SupportedLanguageSet> language_state_;
  T13nModuleHandler* t13n_handler_ = nullptr;
  ime_shared::T13nFrontendInterface* scheme_target_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_T13N_MODULE_MASTER_H_
