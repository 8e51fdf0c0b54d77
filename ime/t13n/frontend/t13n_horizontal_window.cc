#include "ime/t13n/frontend/t13n_horizontal_window.h"

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"

namespace ime_t13n {

namespace {

// String settings.
constexpr int kEnglishFontName = 0;
constexpr int kConvertedTextFontName = 1;

constexpr int kButtonImageWidth = 22;
constexpr int kLogoImageWidth = 52;

// A point size as a font height in pixels of the screen.
int PointsToHeight(int points) {
  ime_shared::base::ScopedWindowDC screen(nullptr);
  return -::MulDiv(points, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
}

}  // namespace

T13nHorizontalWindow::T13nHorizontalWindow(ime_shared::SettingsInterface* settings)
    : HorizontalWindow(settings) {}

T13nHorizontalWindow::~T13nHorizontalWindow() = default;

bool T13nHorizontalWindow::Create(HINSTANCE module, ime_shared::MenuInterface* main_menu) {
  if (!HorizontalWindow::Create(module, main_menu)) return false;
  candidate_menu_.set_module(this->module());
  return true;
}

void T13nHorizontalWindow::Attach(ime_shared::ContextInterface* context, T13nEngine* engine) {
  t13n_engine_ = engine;
  candidate_menu_.set_engine(engine);
  candidate_menu_.set_index(-1);
  HorizontalWindow::Attach(context, engine);
}

void T13nHorizontalWindow::Refresh() {
  ime_shared::SettingsInterface* store = settings();
  const int converted_size =
      static_cast<int>(store->GetInt(ime_shared::kSettingT13nConvertedTextFontSize));
  const int english_size = static_cast<int>(store->GetInt(ime_shared::kSettingT13nEnglishFontSize));
  const std::wstring english_face = store->GetString(kEnglishFontName);
  const std::wstring converted_face = store->GetString(kConvertedTextFontName);

  // A font that cannot be made leaves the one in use; the setting is taken
  // as done all the same, so it is tried again only when it changes.
  if (converted_face != converted_face_ || converted_size != converted_size_) {
    ReplaceCandidateFont(CreateCandidateWindowFont(converted_face, PointsToHeight(converted_size)));
    converted_face_ = converted_face;
    converted_size_ = converted_size;
  }
  if (english_face != english_face_ || english_size != english_size_) {
    ReplaceEnglishFont(CreateCandidateWindowFont(english_face, PointsToHeight(english_size)));
    english_face_ = english_face;
    english_size_ = english_size;
  }
  if (!images_loaded_) {
    images_loaded_ = true;
    LoadButtonImages(IDB_PAGE_BUTTONS, kButtonImageWidth);
    LoadLogoImages(IDB_LOGO, kLogoImageWidth);
  }
}

void T13nHorizontalWindow::SetCandidateMenuSeams(
    ime_shared::frontend::MenuTrackerInterface* tracker, ime_shared::UserNameInterface* user_name) {
  candidate_menu_.SetSeams(tracker, user_name);
}

bool T13nHorizontalWindow::RunCommand(const ime_shared::CommandInterface& command,
                                      uint32_t extra_flags) {
  if (t13n_engine_ == nullptr) return false;
  return t13n_engine_->ExecuteAndUpdate(command, extra_flags);
}

void T13nHorizontalWindow::OpenCandidateMenu(int index, POINT screen) {
  candidate_menu_.set_index(index);
  candidate_menu_.Show(screen, hwnd());
}

}  // namespace ime_t13n
