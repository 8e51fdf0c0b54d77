#include "ime/t13n/frontend/t13n_engine.h"

#include <new>

#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/logging.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/settings.h"
#include "ime/t13n/frontend/soft_keyboard_tables.h"
#include "ime/t13n/frontend/t13n_handler.h"

namespace ime_t13n {

using ime_shared::CommandImpl;
using ime_shared::KeyEvent;
using namespace ime_shared::frontend;

namespace {

// The language index of the process, shared by every engine.
int32_t g_language_index = 0;

// The handler's mode words.
constexpr int32_t kModeOff = 0;
constexpr int32_t kModeFirstLanguage = 10;
constexpr int32_t kModeLastLanguage = 28;
constexpr int32_t kModeKeyNotEaten = -1;
constexpr int32_t kModeKeyEaten = -2;

}  // namespace

T13nEngine::T13nEngine(ime_shared::ContextInterface* context,
                       ime_shared::SettingsInterface* settings)
    : Engine(context, settings) {}

T13nEngine::~T13nEngine() {
  // The core (and with it the handler that owns the candidate list) goes
  // before the members the handler reports into.
  ReplaceCore(nullptr);
}

bool T13nEngine::GetConversionMode(int32_t which) const {
  if (which == 1) return false;
  return GetProperty(kPropertyTransliterationOn) != 0;
}

void T13nEngine::SetConversionMode(int32_t which, int32_t value) {
  if (context() != nullptr) context()->Update(ime_shared::kUpdateMode);
}

bool T13nEngine::SetCandidates(ime_shared::CandidateInterface* candidates) {
  Engine::SetCandidates(candidates);
  flagged_view_ = dynamic_cast<ime_shared::T13nCandidateInterface*>(candidates);
  return true;
}

bool T13nEngine::SetMode(int32_t mode) {
  AddPendingFlags(ime_shared::kUpdateMode);
  if (mode == kModeOff) {
    StoreProperty(kPropertyTransliterationOn, 0);
  } else if (mode >= kModeFirstLanguage && mode <= kModeLastLanguage) {
    StoreProperty(kPropertyTransliterationOn, 1);
    StoreProperty(kPropertyLanguage, mode - kModeFirstLanguage);
    SetLanguageIndex(mode - kModeFirstLanguage);
  } else if (mode == kModeKeyNotEaten) {
    StoreProperty(kPropertyKeyEaten, 0);
  } else if (mode == kModeKeyEaten) {
    StoreProperty(kPropertyKeyEaten, 1);
  }
  return true;
}

void T13nEngine::SetSchemeList(const std::vector<std::wstring>& names) {
  scheme_names_ = names;
}

int32_t T13nEngine::SetProperty(int index, int32_t value) {
  if (GetProperty(index) == value) return 0;
  switch (index) {
    case kPropertyPickerShown:
      StoreProperty(index, value);
      AddPendingFlags(ime_shared::kUpdatePicker | ime_shared::kUpdateMode);
      break;
    case kPropertyTransliterationOn:
      if (value != 0) {
        Send(CommandImpl<ime_shared::kTransliterationOnCommand>());
      } else {
        Send(CommandImpl<ime_shared::kTransliterationOffCommand>());
      }
      AddPendingFlags(ime_shared::kUpdateMode);
      StoreProperty(index, value);
      break;
    case kPropertyLanguage:
      StoreProperty(index, value);
      // A language change reloads the schemes and leaves scheme mode off.
      StoreProperty(kPropertySchemeMode, 0);
      Send(CommandImpl<ime_shared::kLanguageChangedCommand>());
      AddPendingFlags(ime_shared::kUpdateMode);
      break;
    case kPropertyPageSize:
      StoreProperty(index, value);
      Send(CommandImpl<ime_shared::kPageSizeCommand>());
      break;
    case kPropertySchemeMode:
      if (!scheme_names_.empty()) {
        StoreProperty(index, value);
        Send(CommandImpl<ime_shared::kToggleSchemeCommand>());
        AddPendingFlags(ime_shared::kUpdateMode);
      }
      break;
    default:
      break;
  }
  const uint32_t flags = pending_flags() | ime_shared::kUpdateCandidateList;
  ClearPendingFlags();
  return context() != nullptr ? context()->Update(flags) : 0;
}

int32_t T13nEngine::ToggleProperty(int index) {
  return SetProperty(index, GetProperty(index) == 0 ? 1 : 0);
}

void T13nEngine::SetLayoutIndex(int32_t index) { g_language_index = index; }

int32_t T13nEngine::GetLayoutIndex() const { return g_language_index; }

bool T13nEngine::IsCandidateFlagged(int32_t i) const {
  if (candidates() == nullptr || flagged_view_ == nullptr) return false;
  return flagged_view_->IsFlagged(i);
}

int32_t T13nEngine::AttachCore(ime_shared::CoreInterface* core) {
  ReplaceCore(core);
  Send(CommandImpl<ime_shared::kAttachCommand>());
  return Send(CommandImpl<ime_shared::kPageSizeCommand>()) ? 1 : 0;
}

bool T13nEngine::FilterHotKey(const KeyEvent& key, bool* answer) {
  if (!key.IsDown()) return false;
  const uint8_t c = key.Byte();
  if (key.virtual_key == ime_shared::vk::kEscape) {
    if (!IsComposing() && GetProperty(kPropertyPickerShown) == 0) return false;
    EndComposition(false);
    SetProperty(kPropertyPickerShown, 0);
  } else if (key.virtual_key == ime_shared::vk::kF12 || (key.HasControl() && c == ime_shared::kCtrlG)) {
    ToggleProperty(kPropertyTransliterationOn);
  } else if (key.HasControl() && c == ime_shared::kCtrlK) {
    ToggleProperty(kPropertyPickerShown);
  } else if (key.HasControl() && c == ime_shared::kCtrlM) {
    ToggleProperty(kPropertySchemeMode);
  } else {
    return false;
  }
  *answer = true;
  return true;
}

bool T13nEngine::ExecuteAndUpdate(const ime_shared::CommandInterface& command,
                                  uint32_t extra_flags) {
  const bool answer = Send(command);
  const uint32_t flags = pending_flags() | extra_flags;
  ClearPendingFlags();
  if (flags != 0 && context() != nullptr) context()->Update(flags);
  return answer;
}

HandlerMaker DefaultHandlerMaker() {
  return []() -> T13nModuleHandler* {
    return new T13nHandler(HandlerOptions::Product());
  };
}

ime_shared::EngineInterface* CreateT13nEngine(
    ime_shared::ContextInterface* context) {
  EngineEnvironment environment;
  environment.installed_version = ime_shared::GetInstalledVersion();
  if (environment.installed_version.empty()) return nullptr;
  environment.settings = ime_shared::Settings::GetInstance();
  environment.supported_mask = ime_shared::ReadSupportedLanguageMask();
  environment.handler_maker = DefaultHandlerMaker();
  return CreateT13nEngine(context, environment);
}

ime_shared::EngineInterface* CreateT13nEngine(
    ime_shared::ContextInterface* context,
    const EngineEnvironment& environment) {
  if (environment.installed_version.empty()) return nullptr;
  try {
    std::unique_ptr<T13nEngine> engine(
        new T13nEngine(context, environment.settings));
    // Every engine keeps the pickers of all languages: the language can
    // change while the engine lives.
    engine->soft_keyboard_layouts() = BuildSoftKeyboardLayouts();
    ime_shared::CoreInterface* core = CoreInterfaceImpl::Create(
        engine.get(), environment.settings, environment.supported_mask,
        environment.handler_maker, environment.places);
    if (core == nullptr) return nullptr;
    engine->AttachCore(core);
    return engine.release();
  } catch (...) {
    // The host must never see an exception: no engine, no input method.
    ime_shared::LogMessage(__FILE__, __LINE__, ime_shared::LOG_ERROR).stream()
        << "the engine could not be made";
    return nullptr;
  }
}

}  // namespace ime_t13n
