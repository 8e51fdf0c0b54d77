#include "tools/keystrokes/window_session.h"

#include <cstdio>

#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/settings_table.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"

namespace keystrokes {

WindowSession::WindowSession() : settings_(ime_shared::Settings::GetInstance()) {
  settings_->SetString(0, L"Arial");
  settings_->SetString(1, L"Mangal");
  settings_->SetInt(ime_shared::kSettingCaretTrack, 1);
}

WindowSession::~WindowSession() {
  if (attached_) ui_->AttachEngine(nullptr);
  ui_.reset();
  engine_.reset();
}

bool WindowSession::Create(const wchar_t* version) {
  ime_t13n::UIManagerEnvironment ui_environment;
  ui_environment.settings = settings_;
  ui_environment.installed_version = version;
  ui_environment.parts = ime_t13n::ProductUIParts();
  ui_environment.text_service = ime_shared::InputMethod::kTextServiceClsid;
  ui_.reset(static_cast<ime_t13n::UIManager*>(ime_t13n::CreateUIManager(nullptr, ui_environment)));

  ime_t13n::EngineEnvironment environment;
  environment.settings = settings_;
  environment.installed_version = version;
  environment.supported_mask = ime_shared::ReadSupportedLanguageMask();
  environment.handler_maker = ime_t13n::DefaultHandlerMaker();
  engine_.reset(ime_t13n::CreateT13nEngine(&context_, environment));
  if (ui_ == nullptr || engine_ == nullptr || ui_->candidate_window() == nullptr) {
    std::fprintf(stderr, "no engine or no UI manager\n");
    return false;
  }
  return true;
}

bool WindowSession::UseSampleVignel() {
  vignel_root_.reset(new ime_testing::TempDir());
  const std::wstring vignels = vignel_root_->path() + L"Vignels";
  if (!WriteSampleVignel(vignels)) {
    std::fprintf(stderr, "cannot write the sample vignel\n");
    return false;
  }
  vignel_environment_.reset(new SampleVignelEnvironment(vignels));
  ime_shared::frontend::VignelSeams seams;
  seams.environment = vignel_environment_.get();
  ui_->candidate_window()->SetVignelSeams(seams);
  return true;
}

void WindowSession::Attach() {
  context_.engine = engine_.get();
  context_.ui_manager = ui_.get();
  ui_->AttachEngine(&context_);
  attached_ = true;
}

}  // namespace keystrokes
