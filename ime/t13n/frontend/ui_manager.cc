#include "ime/t13n/frontend/ui_manager.h"

#include <string>

#include "ime/shared/base/module_handle.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/logging.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/settings.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"

namespace ime_t13n {

namespace {

// Made by a factory that may be missing, may throw or may make nothing: a
// part that is not made is left out.
template <typename T, typename Factory, typename... Args>
T* MakePart(const Factory& factory, Args... args) {
  if (!factory) return nullptr;
  try {
    return factory(args...);
  } catch (...) {
    ime_shared::LogMessage(__FILE__, __LINE__, ime_shared::LOG_ERROR).stream()
        << "a window part could not be made";
    return nullptr;
  }
}

// The UI manager is called from the integration layers' entry points:
// nothing may cross them, so a failure is logged and the call ends.
template <typename Body>
void Guarded(const char* what, const Body& body) {
  try {
    body();
  } catch (...) {
    ime_shared::LogMessage(__FILE__, __LINE__, ime_shared::LOG_ERROR).stream()
        << what << " failed";
  }
}

}  // namespace

UIManager::UIManager(HWND owner, ime_shared::SettingsInterface* settings, HINSTANCE module,
                     const UIParts& parts, const GUID& text_service)
    : owner_(owner),
      settings_(settings),
      module_(module != nullptr ? module : ime_shared::base::CurrentModule()),
      parts_(parts) {
  language_bar_.reset(MakePart<LanguageBarInterface>(parts_.language_bar, settings_));
  status_window_ = MakePart<StatusWindowInterface>(parts_.status_window, settings_);
  main_menu_.reset(MakePart<MainMenuInterface>(parts_.main_menu, module_, settings_));
  candidate_window_ = new T13nHorizontalWindow(settings_);

  if (!candidate_window_->Create(module_, main_menu_.get())) {
    ime_shared::LogMessage(__FILE__, __LINE__, ime_shared::LOG_ERROR).stream()
        << "the candidate window could not be created";
    candidate_window_->Destroy();
    candidate_window_ = nullptr;
  }
  if (status_window_ != nullptr && !status_window_->Create(module_, main_menu_.get())) {
    status_window_->Destroy();
    status_window_ = nullptr;
  }
  if (language_bar_) language_bar_->Bind(main_menu_.get(), module_, text_service);
}

UIManager::~UIManager() {
  Guarded("taking the windows down", [&] {
    if (language_bar_) {
      if (language_bar_->HasButtons()) language_bar_->Remove();
      language_bar_->Bind(nullptr, nullptr, GUID());
    }
    if (status_window_ != nullptr) {
      status_window_->Destroy();
      status_window_ = nullptr;
    }
    if (candidate_window_ != nullptr) {
      candidate_window_->Destroy();
      candidate_window_ = nullptr;
    }
    if (soft_keyboard_) soft_keyboard_->DestroyWindow();
  });
  main_menu_.reset();
  language_bar_.reset();
  soft_keyboard_.reset();
}

void UIManager::AttachEngine(ime_shared::ContextInterface* context) {
  Guarded("attaching an input context", [&] {
    // The engine is asked for every time: a context freed and another made
    // at the same address gives a new engine, and the windows must not
    // keep the old one.
    T13nEngine* engine =
        context != nullptr ? dynamic_cast<T13nEngine*>(context->GetEngine()) : nullptr;
    if (context == context_ && engine == engine_) return;
    context_ = context;
    engine_ = engine;
    if (main_menu_) main_menu_->SetEngine(engine_);
    if (language_bar_) language_bar_->SetEngine(engine_);
    if (soft_keyboard_) soft_keyboard_->SetEngine(engine_);
    if (status_window_ != nullptr) status_window_->Attach(context_, engine_);
    if (candidate_window_ != nullptr) candidate_window_->Attach(context_, engine_);
    Update(ime_shared::kUpdateAll);
  });
}

void UIManager::SetOption(int32_t option, int32_t value) {
  Guarded("setting an option", [&] {
    if (option == ime_shared::kUIOptionStatusWindow && status_window_ != nullptr) {
      status_window_->SetShowRequest(value);
    }
  });
}

void UIManager::Update(uint32_t flags) {
  Guarded("updating the windows", [&] {
    if (context_ == nullptr && soft_keyboard_) soft_keyboard_->Hide();
    if ((flags &
         (ime_shared::kUpdateCompositionAndResult | ime_shared::kUpdateCandidateList)) != 0 &&
        candidate_window_ != nullptr) {
      candidate_window_->Show();
    }
    if ((flags & ime_shared::kUpdateMode) != 0) {
      if (status_window_ != nullptr) status_window_->Refresh();
      if (language_bar_) language_bar_->Update();
    }
    if ((flags & ime_shared::kUpdatePicker) != 0 && EnsureSoftKeyboard()) {
      soft_keyboard_->Refresh();
    }
  });
}

bool UIManager::GetCandidateRect() {
  bool placed = false;
  Guarded("placing the candidate window", [&] {
    if (context_ == nullptr) return;
    std::wstring text;
    RECT caret = {};
    if (!context_->GetCaretRect(&text, &caret)) return;
    if (candidate_window_ != nullptr) candidate_window_->MoveNearCaret(caret);
    placed = true;
  });
  return placed;
}

bool UIManager::EnsureSoftKeyboard() {
  if (soft_keyboard_) return true;
  std::unique_ptr<SoftKeyboardInterface> keyboard(
      MakePart<SoftKeyboardInterface>(parts_.soft_keyboard));
  if (!keyboard || !keyboard->Create(module_)) return false;
  keyboard->SetEngine(engine_);
  soft_keyboard_ = std::move(keyboard);
  return true;
}

ime_shared::UIManagerInterface* CreateUIManager(HWND window) {
  try {
    UIManagerEnvironment environment;
    environment.installed_version = ime_shared::GetInstalledVersion();
    if (environment.installed_version.empty()) return nullptr;
    environment.settings = ime_shared::Settings::GetInstance();
    environment.parts = ProductUIParts();
    environment.text_service = ime_shared::InputMethod::kTextServiceClsid;
    return CreateUIManager(window, environment);
  } catch (...) {
    ime_shared::LogMessage(__FILE__, __LINE__, ime_shared::LOG_ERROR).stream()
        << "the UI manager could not be made";
    return nullptr;
  }
}

ime_shared::UIManagerInterface* CreateUIManager(HWND window,
                                                const UIManagerEnvironment& environment) {
  if (environment.installed_version.empty() || environment.settings == nullptr) return nullptr;
  try {
    return new UIManager(window, environment.settings, environment.module, environment.parts,
                         environment.text_service);
  } catch (...) {
    // The host must never see an exception: no UI manager, no own windows.
    ime_shared::LogMessage(__FILE__, __LINE__, ime_shared::LOG_ERROR).stream()
        << "the UI manager could not be made";
    return nullptr;
  }
}

}  // namespace ime_t13n
