// The input method's three buttons on the Windows language bar, used while
// the floating status window is turned off: one toggles transliteration,
// one shows or hides the character picker, one opens the main menu. The UI
// manager owns the bar, updates it on every status change and removes it
// when it goes; the buttons act on the engine the UI manager attached.
//
// The buttons are registered with the thread's language-bar item manager,
// which the bar asks for each time it adds or removes a button (from
// "msctf.dll", or from a factory a test gives). Without one no button is
// added and the bar stays empty.
#ifndef IME_T13N_FRONTEND_LANGUAGE_BAR_H_
#define IME_T13N_FRONTEND_LANGUAGE_BAR_H_

#include <windows.h>

#include <functional>

#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/tsf/language_bar_button.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"
#include "ime/t13n/frontend/ui_parts.h"

namespace ime_shared {
class SettingsInterface;
}  // namespace ime_shared

namespace ime_t13n {

// Gives the thread's language-bar item manager: S_OK with a manager, or a
// failure (none to be had).
using ItemManagerFactory = std::function<HRESULT(ITfLangBarItemMgr** manager)>;

// The system's: "TF_CreateLangBarItemMgr" of "msctf.dll" (which stays
// loaded while the returned factory lives).
ItemManagerFactory SystemItemManagerFactory();

class LanguageBar : public LanguageBarInterface {
 public:
  enum ButtonIndex {
    kToggleButton = 0,  // transliteration on and off
    kPickerButton = 1,  // the character picker shown and hidden
    kMenuButton = 2,    // the main menu
    kButtonCount = 3,
  };

  // Icons: transliteration off, the picker, the menu, and the first of the
  // nineteen "transliteration on" icons (one per language index).
  static constexpr UINT kIconTransliterationOff = IDI_LANGBAR_OFF;
  static constexpr UINT kIconPicker = IDI_LANGBAR_PICKER;
  static constexpr UINT kIconMenu = IDI_LANGBAR_MENU;
  static constexpr UINT kIconFirstLanguage = IDI_LANGBAR_LANGUAGE_FIRST;

  // |settings| is borrowed. |item_managers| gives the item manager (the
  // system's unless a test gives one).
  explicit LanguageBar(ime_shared::SettingsInterface* settings,
                       ItemManagerFactory item_managers = SystemItemManagerFactory());
  // Takes the buttons off the bar.
  ~LanguageBar() override;
  LanguageBar(const LanguageBar&) = delete;
  LanguageBar& operator=(const LanguageBar&) = delete;

  // LanguageBarInterface.
  void Bind(MainMenuInterface* menu, HINSTANCE module, const GUID& text_service) override;
  void SetEngine(T13nEngine* engine) override;
  // With "FloatingStatusBar" 0 and an engine the buttons are added (once)
  // and brought up to date: the toggle's icon shows whether
  // transliteration is on (and for which language), the picker button is
  // toggled while the picker shows. Otherwise they are removed.
  void Update() override;
  bool HasButtons() const override { return created_; }
  void Remove() override;

  // Adds the three buttons to the bar; a button the item manager does not
  // take is dropped. E_OUTOFMEMORY when a button cannot be made.
  HRESULT Create();
  // A left click on button |index| (and, for the menu button, the moment
  // before its menu opens): toggles transliteration, toggles the picker, or
  // builds the main menu for the menu button to copy.
  void OnButtonClicked(ButtonIndex index);
  // The item chosen from the menu button's menu; 0 (dismissed) does
  // nothing.
  void OnMenuCommand(unsigned long id);

  // Button |index| while it is on the bar, else null.
  ime_shared::tsf::LanguageBarButton* button(ButtonIndex index) const {
    return buttons_[index].Get();
  }

 private:
  // The icon of the toggle button for the engine's state now.
  UINT ToggleIcon() const;
  ime_shared::base::ComPtr<ITfLangBarItemMgr> ItemManager() const;

  ime_shared::SettingsInterface* const settings_;
  const ItemManagerFactory item_managers_;
  T13nEngine* engine_ = nullptr;
  MainMenuInterface* menu_ = nullptr;
  ime_shared::base::ComPtr<ime_shared::tsf::LanguageBarButton> buttons_[kButtonCount];
  bool created_ = false;
  GUID text_service_ = GUID();
  HINSTANCE module_ = nullptr;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_LANGUAGE_BAR_H_
