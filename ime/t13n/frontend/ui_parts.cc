#include "ime/t13n/frontend/ui_parts.h"

#include "ime/t13n/frontend/grid_keyboard_window.h"
#include "ime/t13n/frontend/language_bar.h"
#include "ime/t13n/frontend/main_menu.h"
#include "ime/t13n/frontend/status_window.h"

namespace ime_t13n {

UIParts ProductUIParts() {
  // Each window's part is made here; a part not listed is left out, and the
  // UI manager runs without it.
  UIParts parts;
  parts.status_window = [](ime_shared::SettingsInterface* settings) -> StatusWindowInterface* {
    return new StatusWindow(settings);
  };
  parts.main_menu = [](HINSTANCE module,
                       ime_shared::SettingsInterface* settings) -> MainMenuInterface* {
    return new MainMenu(module, settings);
  };
  parts.language_bar = [](ime_shared::SettingsInterface* settings) -> LanguageBarInterface* {
    return new LanguageBar(settings);
  };
  parts.soft_keyboard = []() -> SoftKeyboardInterface* { return new GridKeyboardWindow(); };
  return parts;
}

}  // namespace ime_t13n
