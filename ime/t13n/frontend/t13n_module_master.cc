#include "ime/t13n/frontend/t13n_module_master.h"

#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/supported_language_set.h"

namespace ime_t13n {

using ime_shared::CommandInterface;
using ime_shared::kCommandAnswer;
using ime_shared::kCommandDone;
using ime_shared::kCommandKeep;
using ime_shared::ModuleHandler;

T13nModuleMaster::T13nModuleMaster(ime_shared::FrontendInterface* frontend,
                                   uint32_t supported_mask)
    : frontend_(frontend),
      language_state_(new ime_shared::SupportedLanguageSet(supported_mask)),
      scheme_target_(
          dynamic_cast<ime_shared::T13nFrontendInterface*>(frontend)) {}

T13nModuleMaster::~T13nModuleMaster() {
  current_ = nullptr;
  handlers_.clear();
  history_.clear();
  language_state_.reset();
}

void T13nModuleMaster::BindSettings(ime_shared::SettingsInterface* settings) {
  language_state_->BindStateSettings(settings);
}

ime_shared::SupportedLanguageSet* T13nModuleMaster::GetLanguageState() {
  return language_state_.get();
}

bool T13nModuleMaster::AddT13nHandler(const HandlerMaker& maker) {
  T13nModuleHandler* handler = maker ? maker() : nullptr;
  if (handler == nullptr) return false;
  handlers_.emplace_back(handler);
  t13n_handler_ = handler;
  return true;
}

void T13nModuleMaster::BindHandlers(ime_shared::StorageManager* storage) {
  storage_ = storage;
  for (const auto& handler : handlers_) {
    handler->SetFrontend(frontend_);
    handler->Bind(this);
    handler->SetTransliterator(storage_);
  }
  if (t13n_handler_ != nullptr) t13n_handler_->SetSchemeTarget(scheme_target_);
}

bool T13nModuleMaster::Dispatch(const CommandInterface& command) {
  if (current_ != nullptr) {
    ModuleHandler* handler = current_;
    uint32_t word = 0;
    handler->HandleCommand(word, command);
    Record(command, handler);
    if (word & kCommandDone) current_ = nullptr;
    return (word & kCommandAnswer) != 0;
  }
  for (const auto& handler : handlers_) {
    uint32_t word = 0;
    handler->HandleCommand(word, command);
    if (word & kCommandDone) {
      Record(command, handler.get());
      return (word & kCommandAnswer) != 0;
    }
    if (word & kCommandKeep) {
      Record(command, handler.get());
      current_ = handler.get();
      return (word & kCommandAnswer) != 0;
    }
  }
  return false;
}

void T13nModuleMaster::Record(const CommandInterface& command,
                              ModuleHandler* handler) {
  while (history_.size() >= kHistorySize) history_.pop_front();
  history_.emplace_back(std::unique_ptr<CommandInterface>(command.Clone()),
                        handler);
}

}  // namespace ime_t13n
