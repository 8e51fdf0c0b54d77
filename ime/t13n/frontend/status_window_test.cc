#include "ime/t13n/frontend/status_window.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/settings_table.h"
#include "ime/t13n/frontend/main_menu.h"
#include "ime/t13n/frontend/ui_manager.h"
#include "ime/t13n/frontend/window_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::frontend::kPropertyPickerShown;
using ime_shared::frontend::kPropertySchemeMode;
using ime_shared::frontend::kPropertyTransliterationOn;
using ime_shared::frontend::WindowsAPIWrapper;
using ime_shared::testing_helpers::MouseAt;
using ime_shared::testing_helpers::MoveCursorTo;
using ime_shared::testing_helpers::PumpMessagesUntil;
using ime_shared::testing_helpers::SendMouseThroughSetCursor;
using testing_helpers::KeystrokeWorld;
using testing_helpers::ReadScreen;

// Records where and for whom the menu was asked to open.
class RecordingMenu : public ime_shared::MenuInterface {
 public:
  void Show(POINT point, HWND owner, const RECT* exclude) override {
    points.push_back(point);
    owners.push_back(owner);
    excluded.push_back(exclude != nullptr ? *exclude : RECT{-1, -1, -1, -1});
  }
  std::vector<POINT> points;
  std::vector<HWND> owners;
  std::vector<RECT> excluded;
};

// The status window over a real keystroke road ("pa", language row 10),
// refreshed on every mode change as the UI manager would, and attached.
class StatusWindowTest : public ::testing::Test {
 protected:
  void Start(bool with_schemes) {
    if (with_schemes) {
      ASSERT_TRUE(world.WriteScheme(L"a.scm", "version:1.0\nName:First\nk X\n"));
    }
    engine = world.engine();
    window = new StatusWindow(&world.settings);
    ASSERT_TRUE(window->Create(nullptr, &menu));
    hwnd = window->hwnd();
    // The world still records the results.
    std::function<void(uint32_t)> record = world.context().on_update;
    world.context().on_update = [this, record](uint32_t flags) {
      if (record) record(flags);
      if ((flags & ime_shared::kUpdateMode) != 0) window->Refresh();
    };
    ASSERT_FALSE(::IsWindowVisible(hwnd)) << "hidden until a context is attached";
    window->Attach(&world.context(), engine);
    ExpectShown();
  }
  void TearDown() override {
    if (window != nullptr) {
      world.context().on_update = nullptr;
      window->Destroy();
      EXPECT_FALSE(::IsWindow(hwnd));
    }
  }
  // The window exists, is the status window and is on screen.
  void ExpectShown() {
    ASSERT_TRUE(::IsWindow(hwnd));
    wchar_t name[32] = {};
    ::GetClassNameW(hwnd, name, 32);
    ASSERT_STREQ(name, L"T13NIMESTATUS");
    ASSERT_TRUE(::IsWindowVisible(hwnd));
  }
  RECT Rect() const { return WindowsAPIWrapper::WindowRect(hwnd); }
  RECT WorkArea() const { return WindowsAPIWrapper::WorkAreaNearest(POINT{0, 0}); }
  const ime_shared::frontend::ButtonRecord& Button(int i) const { return window->buttons()[i]; }
  POINT ButtonCentre(int i) const {
    return POINT{Button(i).x + Button(i).width / 2, Button(i).y + Button(i).height / 2};
  }
  std::vector<int> VisibleButtons() const {
    std::vector<int> shown;
    for (int i = 0; i < StatusWindow::kButtonCount; ++i) {
      if (Button(i).visible) shown.push_back(i);
    }
    return shown;
  }
  void Click(POINT client, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
    MouseAt(hwnd, client, WM_MOUSEMOVE);
    MouseAt(hwnd, client, down);
    MouseAt(hwnd, client, up);
  }
  // The pixels of button |i| on the screen.
  std::vector<uint32_t> ButtonPixels(int i) const {
    const RECT window_rect = Rect();
    const RECT rect = {window_rect.left + Button(i).x, window_rect.top + Button(i).y,
                       window_rect.left + Button(i).x + Button(i).width,
                       window_rect.top + Button(i).y + Button(i).height};
    ::UpdateWindow(hwnd);
    return ReadScreen(rect);
  }
  bool Layered() const {
    return (::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  }

  KeystrokeWorld world;
  T13nEngine* engine = nullptr;
  StatusWindow* window = nullptr;
  HWND hwnd = nullptr;
  RecordingMenu menu;
};

TEST_F(StatusWindowTest, ShownBottomRightItsButtonsSwitchTheEngineAndOpenTheMenu) {
  Start(true);
  const LONG_PTR ex_style = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  EXPECT_EQ(ex_style & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE),
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
  EXPECT_NE(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_DISABLED, 0);
  EXPECT_FALSE(Layered());
  // The default place is the bottom-right corner of the work area.
  const RECT work = WorkArea();
  RECT rect = Rect();
  EXPECT_EQ(rect.right, work.right);
  EXPECT_EQ(rect.bottom, work.bottom);
  // Logo, four buttons 20 wide and the narrow minimise button in a row.
  EXPECT_EQ(VisibleButtons(), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(window->logo_size().cx, 16);
  EXPECT_EQ(Button(0).x, 22);
  EXPECT_EQ(Button(4).x, 102);
  EXPECT_EQ(Button(4).width, 8);
  EXPECT_EQ(rect.right - rect.left, 112);
  EXPECT_EQ(rect.bottom - rect.top, 26);

  // Each shown button has its tooltip.
  HWND tips = window->tooltip_window();
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(::SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 5);
  wchar_t text[80] = {};
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = hwnd;
  tool.uId = 100 + StatusWindow::kPickerButton;
  tool.lpszText = text;
  ::SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, L"Show Char-Picker (Ctrl+K)");

  // The language button: on shows the language's image, off the other one.
  // (Read from the screen away from the corner where other tests' windows
  // show.)
  world.settings.SetInt(ime_shared::kSettingStatusPanelX, 37);
  world.settings.SetInt(ime_shared::kSettingStatusPanelY, 611);
  window->Refresh();
  EXPECT_EQ(engine->GetProperty(kPropertyTransliterationOn), 1);
  EXPECT_EQ(Button(0).images[0], 19 + 2 * 10);
  const std::vector<uint32_t> on_pixels = ButtonPixels(0);
  Click(ButtonCentre(0));
  EXPECT_EQ(engine->GetProperty(kPropertyTransliterationOn), 0);
  EXPECT_EQ(Button(0).images[0], 4);
  EXPECT_NE(ButtonPixels(0), on_pixels);
  Click(ButtonCentre(0));
  EXPECT_EQ(engine->GetProperty(kPropertyTransliterationOn), 1);
  EXPECT_EQ(Button(0).images[0], 39);

  // The picker button is held down while the picker is shown.
  Click(ButtonCentre(1));
  EXPECT_EQ(engine->GetProperty(kPropertyPickerShown), 1);
  EXPECT_TRUE(Button(1).held);
  world.TapKey(ime_shared::vk::kEscape);
  EXPECT_FALSE(Button(1).held) << "Esc hid the picker";

  // The scheme button shows scheme mode.
  Click(ButtonCentre(2));
  EXPECT_EQ(engine->GetProperty(kPropertySchemeMode), 1);
  EXPECT_EQ(Button(2).images[0], 58);
  world.Type(L"kk");
  EXPECT_EQ(world.Page()[0], L"XX");

  // The menu button opens the menu below itself, keeping clear of it.
  Click(ButtonCentre(3));
  rect = Rect();
  ASSERT_EQ(menu.points.size(), 1u);
  EXPECT_EQ(menu.owners[0], hwnd);
  EXPECT_EQ(menu.points[0].x, rect.left + Button(3).x);
  EXPECT_EQ(menu.points[0].y, rect.top + 23);
  const RECT button_area = {rect.left + Button(3).x, rect.top + 3, rect.left + Button(3).x + 20,
                            rect.top + 23};
  EXPECT_TRUE(::EqualRect(&menu.excluded[0], &button_area));

  // A right click opens it at the cursor, except over the picker button.
  Click(POINT{8, 10}, WM_RBUTTONDOWN, WM_RBUTTONUP);
  ASSERT_EQ(menu.points.size(), 2u);
  EXPECT_EQ(menu.points[1].x, rect.left + 8);
  EXPECT_EQ(menu.points[1].y, rect.top + 10);
  EXPECT_EQ(menu.excluded[1].left, -1);
  Click(ButtonCentre(1), WM_RBUTTONDOWN, WM_RBUTTONUP);
  EXPECT_EQ(menu.points.size(), 2u);

  // Without a context it hides.
  window->Attach(nullptr, nullptr);
  EXPECT_FALSE(::IsWindowVisible(hwnd));
}

// A word ended the way fast typists end it leaves its letter's release
// tested in empty input; the language button's "off" must still let every
// key through.
TEST_F(StatusWindowTest, KeysReachTheApplicationOnceItsButtonTurnsTransliterationOff) {
  Start(false);
  world.TypeRollingIntoSpace(L"ka");
  ASSERT_EQ(world.results.size(), 1u);
  Click(ButtonCentre(StatusWindow::kLanguageButton));
  ASSERT_EQ(engine->GetProperty(kPropertyTransliterationOn), 0);
  EXPECT_EQ(Button(StatusWindow::kLanguageButton).images[0], 4);
  world.ExpectKeysReachTheApplication("after the status window's button");

  Click(ButtonCentre(StatusWindow::kLanguageButton));
  EXPECT_TRUE(world.Tap(ime_shared::testing_helpers::Key::Char(L'k')));
  EXPECT_EQ(engine->GetComposition(), L"k");
}

TEST_F(StatusWindowTest, MinimiseLeavesTwoButtonsAndSmallImagesShrinkTheWindow) {
  Start(true);
  const RECT work = WorkArea();
  Click(ButtonCentre(4));
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingStatusPanelLayout), 1u);
  EXPECT_TRUE(window->minimized());
  EXPECT_EQ(VisibleButtons(), (std::vector<int>{0, 4}));
  EXPECT_EQ(Button(4).images[0], 2);
  RECT rect = Rect();
  EXPECT_EQ(rect.right - rect.left, 16 + 6 + 20 + 8 + 2);
  EXPECT_EQ(rect.right, work.right);
  // The engine's changes keep it minimised.
  world.Tap(ime_shared::testing_helpers::Key('G').WithChar(7).Control());
  EXPECT_EQ(VisibleButtons(), (std::vector<int>{0, 4}));

  Click(ButtonCentre(4));
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingStatusPanelLayout), 0u);
  EXPECT_EQ(VisibleButtons(), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(Button(4).images[0], 0);

  // The small images.
  world.settings.SetInt(ime_shared::kSettingStatusPanelLayout, 3);
  window->Refresh();
  EXPECT_TRUE(window->small_images());
  EXPECT_EQ(VisibleButtons(), (std::vector<int>{0, 4}));
  rect = Rect();
  EXPECT_EQ(window->logo_size().cx, 12);
  EXPECT_EQ(rect.right - rect.left, 12 + 6 + 15 + 5 + 2);
  EXPECT_EQ(rect.bottom - rect.top, 21);
  EXPECT_EQ(rect.bottom, work.bottom);
  world.settings.SetInt(ime_shared::kSettingStatusPanelLayout, 2);
  window->Refresh();
  rect = Rect();
  EXPECT_EQ(rect.right - rect.left, 12 + 6 + 4 * 15 + 5 + 2);
}

TEST_F(StatusWindowTest, ButtonsOnlyForWhatTheEngineOffersAndHiddenOverFullScreen) {
  Start(false);
  // No schemes, no scheme button.
  EXPECT_EQ(VisibleButtons(), (std::vector<int>{0, 1, 3, 4}));
  EXPECT_EQ(Button(3).x, 22 + 40);

  // Amharic has no picker: no picker button; its language image.
  world.settings.SetInt(ime_shared::kSettingT13nCurrentLanguage, 17);
  window->Refresh();
  EXPECT_EQ(VisibleButtons(), (std::vector<int>{0, 3, 4}));
  EXPECT_EQ(Button(0).images[0], 19 + 2 * 17);
  EXPECT_EQ(Rect().right - Rect().left, 16 + 6 + 40 + 8 + 2);
  world.settings.SetInt(ime_shared::kSettingT13nCurrentLanguage, 10);
  window->Refresh();
  EXPECT_EQ(VisibleButtons(), (std::vector<int>{0, 1, 3, 4}));

  // The integration layers' request changes nothing visible.
  window->SetShowRequest(0);
  window->Refresh();
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  EXPECT_EQ(window->show_request(), 0);

  // A full-screen window with the focus hides it while the setting asks.
  // (Left hidden, so that it covers nothing that other tests read from the
  // screen: the focus is all that counts.)
  RECT desktop = {};
  ::GetWindowRect(::GetDesktopWindow(), &desktop);
  HWND full = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, desktop.left, desktop.top,
                                desktop.right - desktop.left, desktop.bottom - desktop.top,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(full, nullptr);
  ::SetFocus(full);
  ASSERT_EQ(::GetFocus(), full);
  window->Refresh();
  EXPECT_TRUE(::IsWindowVisible(hwnd)) << "the setting is off";
  world.settings.SetInt(ime_shared::kSettingFullscreenAppNoFloatingStatus, 1);
  window->Refresh();
  EXPECT_FALSE(::IsWindowVisible(hwnd));
  ::MoveWindow(full, 0, 0, 300, 200, FALSE);
  window->Refresh();
  EXPECT_TRUE(::IsWindowVisible(hwnd)) << "not full-screen any more";
  ::DestroyWindow(full);
}

TEST_F(StatusWindowTest, HalfTransparentUntilTheMouseIsOverItAndADragStoresThePlace) {
  world.settings.SetInt(ime_shared::kSettingTransparent, 1);
  world.settings.SetInt(ime_shared::kSettingStatusPanelX, 400);
  world.settings.SetInt(ime_shared::kSettingStatusPanelY, 300);
  Start(true);
  RECT rect = Rect();
  EXPECT_EQ(rect.left, 400);
  EXPECT_EQ(rect.top, 300);
  ASSERT_TRUE(Layered());
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));

  // The mouse over the logo makes it opaque, leaving it half transparent
  // again.
  MouseAt(hwnd, POINT{8, 10}, WM_MOUSEMOVE);
  EXPECT_FALSE(Layered());
  window->Refresh();
  EXPECT_FALSE(Layered()) << "a refresh while hovered";
  ASSERT_TRUE(MoveCursorTo(POINT{5, 5}));
  EXPECT_TRUE(PumpMessagesUntil([&] { return Layered(); }));

  // Dragged by the logo: the window follows and its place is stored when
  // the button is released.
  MouseAt(hwnd, POINT{8, 10}, WM_LBUTTONDOWN);
  ASSERT_TRUE(window->IsDragging());
  ASSERT_TRUE(MoveCursorTo(POINT{rect.left + 8 - 150, rect.top + 10 - 100}));
  SendMouseThroughSetCursor(hwnd, WM_MOUSEMOVE);
  SendMouseThroughSetCursor(hwnd, WM_LBUTTONUP);
  EXPECT_FALSE(window->IsDragging());
  rect = Rect();
  EXPECT_EQ(rect.left, 250);
  EXPECT_EQ(rect.top, 200);
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingStatusPanelX), 250u);
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingStatusPanelY), 200u);
  window->Refresh();
  EXPECT_EQ(Rect().left, 250);

  // Transparency off: opaque.
  world.settings.SetInt(ime_shared::kSettingTransparent, 0);
  window->Refresh();
  EXPECT_FALSE(Layered());
}

// The product's UI managers come with the status window and the main menu.
TEST(ProductUIPartsTest, UIManagerGetsTheStatusWindowAndTheMainMenu) {
  KeystrokeWorld world;
  T13nEngine* engine = world.engine();
  UIManagerEnvironment environment;
  environment.settings = &world.settings;
  environment.installed_version = L"1.0.4.0";
  environment.parts = ProductUIParts();
  environment.text_service = ime_shared::InputMethod::kTextServiceClsid;
  std::unique_ptr<UIManager> manager(
      static_cast<UIManager*>(CreateUIManager(nullptr, environment)));
  ASSERT_NE(manager, nullptr);
  auto* status = dynamic_cast<StatusWindow*>(manager->status_window());
  auto* main_menu = dynamic_cast<MainMenu*>(manager->main_menu());
  ASSERT_NE(status, nullptr);
  ASSERT_NE(main_menu, nullptr);
  EXPECT_FALSE(::IsWindowVisible(status->hwnd()));

  manager->AttachEngine(&world.context());
  EXPECT_TRUE(::IsWindowVisible(status->hwnd()));
  EXPECT_EQ(status->engine(), engine);
  EXPECT_EQ(main_menu->engine(), engine);
  ASSERT_NE(main_menu->Build(), nullptr);

  const HWND status_window = status->hwnd();
  manager->AttachEngine(nullptr);
  EXPECT_FALSE(::IsWindowVisible(status_window));
  manager.reset();
  EXPECT_FALSE(::IsWindow(status_window));
}

}  // namespace
}  // namespace ime_t13n
