#include "ime/t13n/frontend/grid_keyboard_window.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/module_handle.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/key_event.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"
#include "ime/t13n/frontend/picker_image_test_helpers.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"
#include "ime/t13n/frontend/ui_manager.h"
#include "ime/t13n/frontend/window_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::frontend::WindowsAPIWrapper;
using ime_shared::testing_helpers::ClientToScreenPoint;
using ime_shared::testing_helpers::Key;
using ime_shared::testing_helpers::MouseAt;
using ime_shared::testing_helpers::MoveCursorTo;
using ime_shared::testing_helpers::PumpMessagesUntil;
using testing_helpers::HindiPickerImagePath;
using testing_helpers::KeystrokeWorld;
using testing_helpers::Pixels;
using testing_helpers::ReadBitmap;
using testing_helpers::ReadScreen;
namespace vk = ime_shared::vk;

constexpr int kHindi = 0;
constexpr int kAmharic = 17;
constexpr wchar_t kKsha[] = L"\x0915\x094D\x0937";

Pixels ReadFixture(PickerImage image) {
  return ReadBitmap(static_cast<HBITMAP>(::LoadImageW(
      nullptr, HindiPickerImagePath(image).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
}

// What the screen shows of |client| (a rectangle of |window|'s client area).
std::vector<uint32_t> ScreenOf(HWND window, const RECT& client) {
  const POINT top_left = ClientToScreenPoint(window, POINT{client.left, client.top});
  return ReadScreen(RECT{top_left.x, top_left.y, top_left.x + client.right - client.left,
                         top_left.y + client.bottom - client.top});
}

// The character picker as the input method has it: the real engine and
// handler, a UI manager whose picker reads its images from |image_folder|,
// and a context that hands every update to the UI manager. The picker
// shows the layout of the process's language, here Hindi.
class PickerWorld {
 public:
  explicit PickerWorld(const std::wstring& image_folder) {
    engine = world.engine();
    engine->SetLanguageIndex(kHindi);
    UIManagerEnvironment environment;
    environment.settings = &world.settings;
    environment.installed_version = L"1.0.4.0";
    environment.parts.soft_keyboard = [this, image_folder]() -> SoftKeyboardInterface* {
      auto* made = new GridKeyboardWindow(image_folder);
      made->SetClock([this] { return now; });
      picker = made;
      return made;
    };
    ui.reset(static_cast<UIManager*>(CreateUIManager(nullptr, environment)));
    auto previous = world.context().on_update;
    world.context().on_update = [this, previous](uint32_t flags) {
      if (previous) previous(flags);
      if (ui) ui->Update(flags);
    };
    ui->AttachEngine(&world.context());
  }
  ~PickerWorld() {
    world.context().on_update = nullptr;
    ui.reset();
  }

  void CtrlK() { world.Tap(Key('K').WithChar(11).Control()); }
  HWND hwnd() const { return picker != nullptr ? picker->hwnd() : nullptr; }
  bool Shown() const { return hwnd() != nullptr && ::IsWindowVisible(hwnd()); }
  // The window exists, is the picker and is on screen.
  void ExpectShown() const {
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(::IsWindow(hwnd()));
    wchar_t name[32] = {};
    ::GetClassNameW(hwnd(), name, 32);
    ASSERT_STREQ(name, L"IMEGRIDKEY");
    ASSERT_TRUE(::IsWindowVisible(hwnd()));
  }
  RECT WindowRect() const { return WindowsAPIWrapper::WindowRect(hwnd()); }
  // The key whose label is |label|; -1 when there is none.
  int KeyOf(const std::wstring& label) const {
    const SoftKeyboardLayout* layout = picker->layout();
    for (int i = 0; i < layout->rows * layout->columns; ++i) {
      if (label == layout->labels[i]) return i;
    }
    return -1;
  }
  POINT KeyCentre(int key) const {
    const RECT cell = picker->geometry().KeyRect(key);
    return POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  }
  void Click(int key) {
    MouseAt(hwnd(), KeyCentre(key), WM_MOUSEMOVE);
    MouseAt(hwnd(), KeyCentre(key), WM_LBUTTONDOWN);
    MouseAt(hwnd(), KeyCentre(key), WM_LBUTTONUP);
  }
  // Paints what is pending now.
  void Paint() const { ::UpdateWindow(hwnd()); }

  KeystrokeWorld world;
  T13nEngine* engine = nullptr;
  std::unique_ptr<UIManager> ui;
  GridKeyboardWindow* picker = nullptr;  // the UI manager's
  ULONGLONG now = 1000;
};

std::wstring FixtureFolder() { return L"" KELVANE_PICKER_IMAGES_DIR; }

TEST(GridKeyboardWindowTest, CtrlKShowsTheLanguagesPickerAtItsPlaceAndHidesIt) {
  PickerWorld w(FixtureFolder());
  ASSERT_NE(w.picker, nullptr);  // made at the first update, hidden
  EXPECT_FALSE(w.Shown());

  w.CtrlK();
  w.ExpectShown();
  EXPECT_EQ(w.engine->GetProperty(ime_shared::frontend::kPropertyPickerShown), 1);
  // 11 columns of 40 and 7 rows of 28 pixels with their margins, at the
  // middle of the work area's right edge, twice the grid's height and 156
  // pixels above its bottom, kept on the work area.
  RECT rect = w.WindowRect();
  EXPECT_EQ(rect.right - rect.left, 460);
  EXPECT_EQ(rect.bottom - rect.top, 274);
  const RECT work = WindowsAPIWrapper::WorkAreaNearest(POINT{rect.left, rect.top});
  EXPECT_EQ(rect.left, std::min<LONG>(work.right / 2, work.right - 460));
  EXPECT_EQ(rect.top, std::min<LONG>(std::max<LONG>(work.bottom - 7 * 56 - 156, work.top),
                                     work.bottom - 274));
  EXPECT_EQ(w.picker->last_position().x, rect.left);
  EXPECT_EQ(w.picker->layout()->layout_index, kHindi);

  // Ctrl+K again hides it; so does Esc.
  w.CtrlK();
  EXPECT_FALSE(w.Shown());
  EXPECT_EQ(w.engine->GetProperty(ime_shared::frontend::kPropertyPickerShown), 0);
  w.CtrlK();
  w.ExpectShown();
  w.world.TapKey(vk::kEscape);
  EXPECT_FALSE(w.Shown());

  // Amharic has no picker: nothing shows.
  w.engine->SetLanguageIndex(kAmharic);
  w.CtrlK();
  EXPECT_EQ(w.engine->GetProperty(ime_shared::frontend::kPropertyPickerShown), 1);
  EXPECT_FALSE(w.Shown());
  w.CtrlK();

  // No context: hidden.
  w.engine->SetLanguageIndex(kHindi);
  w.CtrlK();
  w.ExpectShown();
  w.ui->AttachEngine(nullptr);
  EXPECT_FALSE(w.Shown());

  // A tall grid on a short work area (Urdu, 10 rows of 7, on 600 pixels)
  // starts at the work area's top instead of above it; a work area smaller
  // than the window gets its bottom-right corner.
  const PickerGeometry urdu = {10, 7};
  EXPECT_EQ(urdu.WindowSize().cx, 300);
  EXPECT_EQ(urdu.WindowSize().cy, 358);
  const POINT place = urdu.WindowPlace(RECT{0, 0, 800, 600});
  EXPECT_EQ(place.x, 400);
  EXPECT_EQ(place.y, 0);
  const POINT squeezed = urdu.WindowPlace(RECT{100, 50, 350, 300});
  EXPECT_EQ(squeezed.x, 350 - 300);
  EXPECT_EQ(squeezed.y, 300 - 358);
}

TEST(GridKeyboardWindowTest, ClickedKeysGoIntoTheCompositionUnitByUnit) {
  {
    PickerWorld w(FixtureFolder());
    w.CtrlK();
    w.ExpectShown();
    const PickerGeometry grid = w.picker->geometry();
    ASSERT_EQ(grid.grid_keys(), 77);

    // The conjunct KSHA is three units: three commands, each followed by
    // an update of the context, and the composition shows it.
    const int ksha = w.KeyOf(kKsha);
    ASSERT_GE(ksha, 0);
    size_t updates = w.world.context().updates.size();
    w.Click(ksha);
    EXPECT_EQ(w.engine->GetComposition(), kKsha);
    EXPECT_EQ(w.world.context().updates.size() - updates, 3u);

    // The key below-left of the grid is ZERO WIDTH JOINER, the next one
    // ZERO WIDTH NON-JOINER.
    EXPECT_EQ(grid.KeyAt(POINT{10, 7 * 28 + 20}), 77);
    EXPECT_EQ(grid.KeyAt(POINT{89, 7 * 28 + 47}), 78);
    EXPECT_EQ(grid.KeyAt(POINT{90, 7 * 28 + 20}), -1);
    w.Click(77);
    w.Click(78);
    EXPECT_EQ(w.engine->GetComposition(), std::wstring(kKsha) + L"\x200D\x200C");

    // Pressed, left for another key and released there: nothing. The key
    // shows pressed only while the cursor is on it.
    const std::wstring composed = w.engine->GetComposition();
    updates = w.world.context().updates.size();
    const int ka = w.KeyOf(L"\x0915");
    MouseAt(w.hwnd(), w.KeyCentre(ka), WM_MOUSEMOVE);
    MouseAt(w.hwnd(), w.KeyCentre(ka), WM_LBUTTONDOWN);
    EXPECT_EQ(w.picker->pressed_key(), ka);
    EXPECT_EQ(w.picker->key_state(ka), GridKeyboardWindow::kKeyPressed);
    MouseAt(w.hwnd(), w.KeyCentre(ka + 1), WM_MOUSEMOVE);
    EXPECT_EQ(w.picker->key_state(ka), GridKeyboardWindow::kKeyNormal);
    MouseAt(w.hwnd(), w.KeyCentre(ka + 1), WM_LBUTTONUP);
    EXPECT_EQ(w.picker->pressed_key(), -1);
    EXPECT_EQ(w.engine->GetComposition(), composed);
    EXPECT_EQ(w.world.context().updates.size(), updates);

    // A press off the keys drags the window, which then sends nothing.
    const RECT before = w.WindowRect();
    MouseAt(w.hwnd(), POINT{100, 5}, WM_LBUTTONDOWN);
    MoveCursorTo(POINT{before.left + 100 - 30, before.top + 5 - 20});
    ime_shared::testing_helpers::SendMouseThroughSetCursor(w.hwnd(), WM_MOUSEMOVE);
    ime_shared::testing_helpers::SendMouseThroughSetCursor(w.hwnd(), WM_LBUTTONUP);
    EXPECT_EQ(w.WindowRect().left, before.left - 30);
    EXPECT_EQ(w.WindowRect().top, before.top - 20);
    EXPECT_EQ(w.engine->GetComposition(), composed);

    // The next key commits the picker's text, then goes its own way.
    w.world.Space();
    EXPECT_EQ(w.world.results, (std::vector<std::wstring>{composed, L" "}));
  }

  // Without its image files the picker still shows and works.
  PickerWorld w(L"Z:\\no\\picker\\images");
  w.CtrlK();
  w.ExpectShown();
  w.Paint();
  w.Click(w.KeyOf(L"\x0915"));
  w.Click(77);
  EXPECT_EQ(w.engine->GetComposition(), L"\x0915\x200D");
}

TEST(GridKeyboardWindowTest, HoverNamesTheKeyAndMagnifiesItOnlyOnceTheCursorRests) {
  PickerWorld w(FixtureFolder());
  w.CtrlK();
  w.ExpectShown();
  const Pixels hover = ReadFixture(PickerImage::kHover);
  const Pixels magnified = ReadFixture(PickerImage::kMagnified);
  ASSERT_EQ(magnified.width, 880);
  const PickerGeometry grid = w.picker->geometry();

  // Moving across keys: each is drawn hovered from the hover image, and no
  // magnified key shows while the cursor has not rested on one.
  const int ka = w.KeyOf(L"\x0915");  // row 1
  MouseAt(w.hwnd(), w.KeyCentre(ka), WM_MOUSEMOVE);
  w.now += 150;
  const int key = ka + 1;
  MouseAt(w.hwnd(), w.KeyCentre(key), WM_MOUSEMOVE);
  EXPECT_EQ(w.picker->hovered_key(), key);
  EXPECT_EQ(w.picker->key_state(key), GridKeyboardWindow::kKeyHovered);
  EXPECT_EQ(w.picker->key_state(ka), GridKeyboardWindow::kKeyNormal);
  w.Paint();
  EXPECT_FALSE(w.picker->magnifier_drawn());
  const RECT cell = grid.KeyRect(key);
  EXPECT_EQ(ScreenOf(w.hwnd(), cell), hover.Block(cell.left - 10, cell.top - 20, 40, 28));

  // 199 ms on the key: still nothing; at 200 ms the timer's repaint shows
  // the key magnified beside it, from the magnified image.
  const POINT place = grid.MagnifierPlace(key);
  const RECT area = {place.x, place.y, place.x + 80, place.y + 80};
  const std::vector<uint32_t> big =
      magnified.Block((key % 11) * 80, (key / 11) * 80, 80, 80);
  w.now += 199;
  ::SendMessageW(w.hwnd(), WM_TIMER, GridKeyboardWindow::kMagnifierTimerId, 0);
  w.Paint();
  EXPECT_FALSE(w.picker->magnifier_drawn());
  EXPECT_NE(ScreenOf(w.hwnd(), area), big);
  w.now += 1;
  ::SendMessageW(w.hwnd(), WM_TIMER, GridKeyboardWindow::kMagnifierTimerId, 0);
  w.Paint();
  EXPECT_TRUE(w.picker->magnifier_drawn());
  EXPECT_EQ(place.x, (key % 11) * 40 + 50);  // right of the key
  EXPECT_EQ(place.y, (key / 11) * 28 + 48);  // below it
  EXPECT_EQ(ScreenOf(w.hwnd(), area), big);

  // The joiner key is magnified from the module's own picture, to its
  // right and above the bottom of the grid.
  MouseAt(w.hwnd(), w.KeyCentre(77), WM_MOUSEMOVE);
  w.now += 200;
  ::SendMessageW(w.hwnd(), WM_TIMER, GridKeyboardWindow::kMagnifierTimerId, 0);
  w.Paint();
  EXPECT_TRUE(w.picker->magnifier_drawn());
  const Pixels joiners = ReadBitmap(static_cast<HBITMAP>(
      ::LoadImageW(ime_shared::base::CurrentModule(),
                   MAKEINTRESOURCEW(IDB_PICKER_MAGNIFIED_JOINER_KEYS), IMAGE_BITMAP, 0, 0,
                   LR_CREATEDIBSECTION)));
  ASSERT_EQ(joiners.width, 160);
  const POINT joiner_place = grid.MagnifierPlace(77);
  EXPECT_EQ(joiner_place.x, 50);
  EXPECT_EQ(joiner_place.y, 7 * 28 - 32);
  EXPECT_EQ(ScreenOf(w.hwnd(), RECT{joiner_place.x, joiner_place.y, joiner_place.x + 80,
                                    joiner_place.y + 80}),
            joiners.Block(0, 0, 80, 80));

  // Leaving the window clears the hover.
  MoveCursorTo(POINT{w.WindowRect().left - 50, w.WindowRect().top - 50});
  ime_shared::testing_helpers::PumpMessagesUntil([&] { return w.picker->hovered_key() == -1; });
  EXPECT_EQ(w.picker->hovered_key(), -1);
  EXPECT_EQ(w.picker->key_state(77), GridKeyboardWindow::kKeyNormal);
}

}  // namespace
}  // namespace ime_t13n
