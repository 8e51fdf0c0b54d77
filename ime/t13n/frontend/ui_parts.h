// The parts of the UI manager besides the candidate window: the floating
// status window, the character picker (soft keyboard), the main menu and
// the language-bar buttons, each seen through the calls the UI manager
// makes, and the factories that make them. A part whose factory is missing
// or makes nothing is left out, the way a status window that cannot be
// created is.
#ifndef IME_T13N_FRONTEND_UI_PARTS_H_
#define IME_T13N_FRONTEND_UI_PARTS_H_

#include <windows.h>

#include <cstdint>
#include <functional>

#include "ime/shared/frontend/menu_interface.h"

namespace ime_shared {
class ContextInterface;
class SettingsInterface;
}  // namespace ime_shared

namespace ime_t13n {

class T13nEngine;

// The options menu (font, page size, user cache, schemes, about box, help,
// macros editor). Show builds it and carries out the choice with the engine
// attached when Show began.
class MainMenuInterface : public ime_shared::MenuInterface {
 public:
  // The engine whose properties the menu sets (borrowed; null for none).
  virtual void SetEngine(T13nEngine* engine) = 0;
  // Builds the menu for the language bar, which copies it; null on
  // failure. The handle stays the menu's.
  virtual HMENU Build() = 0;
  // Carries out item |id| with |engine| (may be null).
  virtual void OnCommand(UINT id, T13nEngine* engine) = 0;
};

// The floating status window. Its window is its own: Destroy() destroys the
// window and the object with it (so does a failed Create() followed by
// Destroy()).
class StatusWindowInterface {
 public:
  // Creates the window, hidden; |menu| (borrowed; may be null) opens from
  // its menu button and on right clicks. False when the window cannot be
  // made.
  virtual bool Create(HINSTANCE module, ime_shared::MenuInterface* menu) = 0;
  // Binds the context and its engine (either may be null), then refreshes.
  virtual void Attach(ime_shared::ContextInterface* context, T13nEngine* engine) = 0;
  // Shows, hides and redraws itself for the attached engine's state.
  virtual void Refresh() = 0;
  // Records the integration layer's request to show (1) or hide (0) the
  // status window; the window's own rules decide what is visible.
  virtual void SetShowRequest(int32_t value) = 0;
  // Destroys the window and deletes the object.
  virtual void Destroy() = 0;

 protected:
  virtual ~StatusWindowInterface() = default;
};

// The character picker, made on the first request to show it.
class SoftKeyboardInterface {
 public:
  virtual ~SoftKeyboardInterface() = default;
  // Creates the window, hidden, and loads its images from |module|. On
  // failure the window is gone again and the UI manager deletes the object.
  virtual bool Create(HINSTANCE module) = 0;
  // The engine whose keys it sends (borrowed; null for none).
  virtual void SetEngine(T13nEngine* engine) = 0;
  // Shown while the engine's picker property is on, hidden otherwise.
  virtual void Refresh() = 0;
  virtual void Hide() = 0;
  // Remembers where the window stood and destroys it; the object stays,
  // for the UI manager to delete.
  virtual void DestroyWindow() = 0;
};

// The language-bar buttons (toggle transliteration, character picker, main
// menu), used while the floating status window is off.
class LanguageBarInterface {
 public:
  virtual ~LanguageBarInterface() = default;
  // What the buttons need: the menu the menu button copies, the module
  // whose resources hold the icons and the text service's class
  // identifier. Null and the empty identifier unbind them.
  virtual void Bind(MainMenuInterface* menu, HINSTANCE module, const GUID& text_service) = 0;
  // The engine the buttons act on (borrowed; null for none).
  virtual void SetEngine(T13nEngine* engine) = 0;
  // Adds, updates or removes the buttons for the settings and the engine.
  virtual void Update() = 0;
  // Whether buttons are on the bar.
  virtual bool HasButtons() const = 0;
  // Takes every button off the bar.
  virtual void Remove() = 0;
};

// The factories of the parts; the UI manager calls each once (the soft
// keyboard's at its first request, and again after a failed creation).
struct UIParts {
  std::function<LanguageBarInterface*(ime_shared::SettingsInterface* settings)> language_bar;
  std::function<StatusWindowInterface*(ime_shared::SettingsInterface* settings)> status_window;
  std::function<MainMenuInterface*(HINSTANCE module, ime_shared::SettingsInterface* settings)>
      main_menu;
  std::function<SoftKeyboardInterface*()> soft_keyboard;
};

// The parts the product's UI managers are made with.
UIParts ProductUIParts();

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_UI_PARTS_H_
