// The language-bar buttons over a recording item manager and the real
// transliteration engine: when they are on the bar, what the bar reads of
// them as they are added, how they follow the engine, and what their clicks
// and menu do; and that Wine's own language bar (it has no item manager)
// gets nothing.
#include "ime/t13n/frontend/language_bar.h"

#include <windows.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/tsf/testing/fake_language_bar.h"
#include "ime/t13n/frontend/t13n_handler_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::base::ComPtr;
using ime_shared::base::MakeComObject;
using ime_shared::frontend::kPropertyPickerShown;
using ime_shared::frontend::kPropertyTransliterationOn;
using ime_tsf_testing::FakeLangBarItemMgr;
using ime_tsf_testing::FakeTfMenu;
using testing_helpers::KeystrokeWorld;

// A main menu that builds a small real menu and records the commands.
class RecordingMainMenu : public MainMenuInterface {
 public:
  RecordingMainMenu() {
    menu_ = ::CreatePopupMenu();
    ::AppendMenuW(menu_, MF_STRING | MF_CHECKED, 40050, L"Enable User Cache");
    ::AppendMenuW(menu_, MF_STRING, 40003, L"About...");
  }
  ~RecordingMainMenu() override { ::DestroyMenu(menu_); }
  void Show(POINT point, HWND owner, const RECT* exclude) override {}
  void SetEngine(T13nEngine* engine) override {}
  HMENU Build() override {
    ++builds;
    return menu_;
  }
  void OnCommand(UINT id, T13nEngine* engine) override {
    commands.push_back(id);
    engines.push_back(engine);
  }

  int builds = 0;
  std::vector<UINT> commands;
  std::vector<T13nEngine*> engines;

 private:
  HMENU menu_;
};

std::wstring Description(const FakeLangBarItemMgr::Item& item) {
  return item.info.szDescription;
}

TEST(LanguageBarTest, ButtonsAreAddedNamedForTheFloatingSettingAndFollowTheEngine) {
  KeystrokeWorld world;
  T13nEngine* engine = world.engine();
  ComPtr<FakeLangBarItemMgr> manager = MakeComObject<FakeLangBarItemMgr>();
  RecordingMainMenu menu;
  LanguageBar bar(&world.settings, [&manager](ITfLangBarItemMgr** out) {
    *out = manager.Get();
    (*out)->AddRef();
    return S_OK;
  });
  // The icons and texts are this program's resources.
  bar.Bind(&menu, ::GetModuleHandleW(nullptr), ime_shared::InputMethod::kTextServiceClsid);
  bar.SetEngine(engine);

  // The floating status window is on by default: no buttons.
  bar.Update();
  EXPECT_FALSE(bar.HasButtons());
  EXPECT_EQ(manager->added(), 0);

  world.settings.SetInt(ime_shared::kSettingFloatingStatusBar, 0);
  bar.Update();
  ASSERT_TRUE(bar.HasButtons());
  ASSERT_EQ(manager->items().size(), 3u);
  // What the bar read while adding each item: named, with its icon.
  const GUID* items[] = {&ime_shared::InputMethod::kLangBarToggleButtonGuid,
                         &ime_shared::InputMethod::kLangBarPickerButtonGuid,
                         &ime_shared::InputMethod::kLangBarMenuButtonGuid};
  const wchar_t* names[] = {L"Toggle Language (Ctrl+G)", L"Show Char-Picker (Ctrl+K)",
                            L"Open menu"};
  const DWORD styles[] = {TF_LBI_STYLE_BTN_BUTTON, TF_LBI_STYLE_BTN_TOGGLE,
                          TF_LBI_STYLE_BTN_MENU};
  for (int i = 0; i < 3; ++i) {
    const FakeLangBarItemMgr::Item& item = manager->items()[i];
    EXPECT_TRUE(IsEqualGUID(item.info.guidItem, *items[i])) << i;
    EXPECT_TRUE(IsEqualGUID(item.info.clsidService, ime_shared::InputMethod::kTextServiceClsid));
    EXPECT_EQ(Description(item), names[i]);
    EXPECT_EQ(item.info.dwStyle, styles[i]);
    EXPECT_EQ(item.info.ulSort, static_cast<ULONG>(i));
    EXPECT_TRUE(item.had_icon) << i;
  }
  // Transliteration on: the language's icon (the world's language is row
  // 10); the picker is not shown.
  LanguageBar::ButtonIndex toggle = LanguageBar::kToggleButton;
  EXPECT_EQ(bar.button(toggle)->icon_id(), 155u + 10u);
  EXPECT_FALSE(bar.button(LanguageBar::kPickerButton)->toggled());
  EXPECT_EQ(bar.button(LanguageBar::kPickerButton)->icon_id(), 106u);
  EXPECT_EQ(bar.button(LanguageBar::kMenuButton)->icon_id(), 107u);

  // A left click toggles transliteration; the update shows it. A right
  // click does nothing.
  const RECT area = {0, 0, 16, 16};
  const POINT point = {2, 2};
  ComPtr<ITfLangBarItemButton> button(bar.button(toggle));
  EXPECT_EQ(button->OnClick(TF_LBI_CLK_RIGHT, point, &area), S_OK);
  EXPECT_EQ(engine->GetProperty(kPropertyTransliterationOn), 1);
  EXPECT_EQ(button->OnClick(TF_LBI_CLK_LEFT, point, &area), S_OK);
  EXPECT_EQ(engine->GetProperty(kPropertyTransliterationOn), 0);
  bar.Update();
  EXPECT_EQ(bar.button(toggle)->icon_id(), 105u);
  EXPECT_EQ(manager->items()[0].sink->updates, std::vector<DWORD>({TF_LBI_ICON}));
  EXPECT_EQ(button->OnClick(TF_LBI_CLK_LEFT, point, &area), S_OK);
  bar.Update();
  EXPECT_EQ(bar.button(toggle)->icon_id(), 165u);

  // The picker button shows and hides the picker and is toggled with it.
  ComPtr<ITfLangBarItemButton> picker(bar.button(LanguageBar::kPickerButton));
  EXPECT_EQ(picker->OnClick(TF_LBI_CLK_LEFT, point, &area), S_OK);
  EXPECT_EQ(engine->GetProperty(kPropertyPickerShown), 1);
  bar.Update();
  DWORD status = 0;
  picker->GetStatus(&status);
  EXPECT_EQ(status, static_cast<DWORD>(TF_LBI_STATUS_BTN_TOGGLED));
  EXPECT_EQ(manager->items()[1].sink->updates, std::vector<DWORD>({TF_LBI_STATUS}));
  // A menu choice on a button without a menu does nothing.
  EXPECT_EQ(picker->OnMenuSelect(40003), S_OK);
  EXPECT_TRUE(menu.commands.empty());

  // The menu button copies the main menu it has built; a choice goes to
  // the main menu with the engine, a dismissed menu (0) goes nowhere.
  ComPtr<ITfLangBarItemButton> menu_button(bar.button(LanguageBar::kMenuButton));
  ComPtr<FakeTfMenu> copy = MakeComObject<FakeTfMenu>();
  EXPECT_EQ(menu_button->InitMenu(copy.Get()), S_OK);
  EXPECT_EQ(menu.builds, 1);
  ASSERT_EQ(copy->entries.size(), 2u);
  EXPECT_EQ(copy->entries[0].text, L"Enable User Cache");
  EXPECT_EQ(copy->entries[0].flags, static_cast<DWORD>(TF_LBMENUF_CHECKED));
  EXPECT_EQ(menu_button->OnMenuSelect(0), S_OK);
  EXPECT_TRUE(menu.commands.empty());
  EXPECT_EQ(menu_button->OnMenuSelect(40003), S_OK);
  EXPECT_EQ(menu.commands, std::vector<UINT>({40003}));
  EXPECT_EQ(menu.engines, std::vector<T13nEngine*>({engine}));

  // The floating window back on: the buttons go, and their callbacks with
  // them (the bar may keep a button a while).
  world.settings.SetInt(ime_shared::kSettingFloatingStatusBar, 1);
  bar.Update();
  EXPECT_FALSE(bar.HasButtons());
  EXPECT_EQ(manager->items().size(), 0u);
  EXPECT_EQ(manager->removed(), 3);
  EXPECT_EQ(button->OnClick(TF_LBI_CLK_LEFT, point, &area), S_OK);
  EXPECT_EQ(engine->GetProperty(kPropertyTransliterationOn), 1);

  // No engine attached: no buttons either. An item manager that refuses
  // the items leaves the bar empty.
  world.settings.SetInt(ime_shared::kSettingFloatingStatusBar, 0);
  bar.SetEngine(nullptr);
  bar.Update();
  EXPECT_FALSE(bar.HasButtons());
  bar.SetEngine(engine);
  manager->add_result = E_FAIL;
  bar.Update();
  EXPECT_EQ(manager->items().size(), 0u);
  EXPECT_EQ(bar.button(toggle), nullptr);
  bar.Remove();
}

// A word ended the way fast typists end it leaves its letter's release
// tested in empty input; the toggle button's "off" must still let every
// key through.
TEST(LanguageBarTest, KeysReachTheApplicationOnceTheToggleButtonTurnsTransliterationOff) {
  KeystrokeWorld world;
  T13nEngine* engine = world.engine();
  ComPtr<FakeLangBarItemMgr> manager = MakeComObject<FakeLangBarItemMgr>();
  LanguageBar bar(&world.settings, [&manager](ITfLangBarItemMgr** out) {
    *out = manager.Get();
    (*out)->AddRef();
    return S_OK;
  });
  bar.Bind(nullptr, ::GetModuleHandleW(nullptr), ime_shared::InputMethod::kTextServiceClsid);
  bar.SetEngine(engine);
  world.settings.SetInt(ime_shared::kSettingFloatingStatusBar, 0);
  bar.Update();
  ComPtr<ITfLangBarItemButton> toggle(bar.button(LanguageBar::kToggleButton));
  ASSERT_TRUE(toggle);

  world.TypeRollingIntoSpace(L"ka");
  ASSERT_EQ(world.results.size(), 1u);
  const RECT area = {0, 0, 16, 16};
  EXPECT_EQ(toggle->OnClick(TF_LBI_CLK_LEFT, POINT{2, 2}, &area), S_OK);
  ASSERT_EQ(engine->GetProperty(kPropertyTransliterationOn), 0);
  world.ExpectKeysReachTheApplication("after the language bar's button");

  EXPECT_EQ(toggle->OnClick(TF_LBI_CLK_LEFT, POINT{2, 2}, &area), S_OK);
  EXPECT_TRUE(world.Tap(ime_shared::testing_helpers::Key::Char(L'k')));
  EXPECT_EQ(engine->GetComposition(), L"k");
  bar.Remove();
}

TEST(LanguageBarTest, WineHasNoItemManagerSoNoButtonIsAdded) {
  KeystrokeWorld world;
  world.settings.SetInt(ime_shared::kSettingFloatingStatusBar, 0);
  LanguageBar bar(&world.settings);
  bar.Bind(nullptr, nullptr, ime_shared::InputMethod::kTextServiceClsid);
  bar.SetEngine(world.engine());
  bar.Update();
  for (int i = 0; i < LanguageBar::kButtonCount; ++i) {
    EXPECT_EQ(bar.button(static_cast<LanguageBar::ButtonIndex>(i)), nullptr);
  }
  bar.Update();
  bar.Remove();
  EXPECT_FALSE(bar.HasButtons());
}

}  // namespace
}  // namespace ime_t13n
