#include "ime/t13n/frontend/t13n_horizontal_window.h"

#include <windows.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/key_event.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/web_address.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"
#include "ime/t13n/frontend/window_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::frontend::WindowsAPIWrapper;
using ime_shared::testing_helpers::ClientToScreenPoint;
using ime_shared::testing_helpers::MouseAt;
using ime_shared::testing_helpers::MoveCursorTo;
using ime_shared::testing_helpers::PumpMessagesFor;
using ime_shared::testing_helpers::PumpMessagesUntil;
using ime_shared::testing_helpers::SendMouseThroughSetCursor;
using testing_helpers::CandidateWindowWorld;
using testing_helpers::FixedUserName;
using testing_helpers::ReadScreen;
using testing_helpers::ThreadWindowsOfClass;
namespace vk = ime_shared::vk;
using Texts = std::vector<std::wstring>;

// The window tests of this program draw Devanagari through "Mangal".
::testing::Environment* const g_devanagari_font = ::testing::AddGlobalTestEnvironment(
    new testing_helpers::DevanagariFontEnvironment({"T13nHorizontalWindowTest"}));

class T13nHorizontalWindowTest : public ::testing::Test {
 protected:
  // The window exists, is the candidate window and is on screen.
  void ExpectShown() {
    ASSERT_TRUE(w.created);
    ASSERT_TRUE(::IsWindow(w.hwnd()));
    wchar_t name[32] = {};
    ::GetClassNameW(w.hwnd(), name, 32);
    ASSERT_STREQ(name, L"IMEHORIZONTAL");
    ASSERT_TRUE(::IsWindowVisible(w.hwnd()));
  }
  RECT WorkArea() { return WindowsAPIWrapper::WorkAreaNearest(POINT{200, 300}); }
  ime_shared::testing_helpers::FakeContext& context() { return w.world.context(); }

  CandidateWindowWorld w;
};

TEST_F(T13nHorizontalWindowTest, TypingShowsTheWindowBelowTheCaretOrAboveItNearTheBottom) {
  w.world.Type(L"kam");
  ExpectShown();
  RECT rect = w.WindowRect();
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.top, 318);
  EXPECT_EQ(rect.right - rect.left, w.window->window_size().cx);
  EXPECT_EQ(rect.bottom - rect.top, w.window->window_size().cy);
  EXPECT_EQ(w.window->composition_parts().converted, L"");
  EXPECT_EQ(w.window->composition_parts().before_caret, L"kam");
  EXPECT_EQ(w.window->composition_parts().after_caret, L"");

  // One numbered cell per candidate of the page, in Devanagari.
  const Texts page = w.world.Page();
  ASSERT_EQ(page.size(), 5u);
  ASSERT_EQ(w.window->cells().size(), page.size());
  for (size_t i = 0; i < page.size(); ++i) {
    EXPECT_EQ(w.window->cells()[i].label, std::to_wstring(i + 1) + L"." + page[i]);
    EXPECT_GE(page[i][0], 0x0900);
  }
  EXPECT_GT(w.window->candidate_row_size().cy, 0);

  // The caret moved left splits the typed text around it.
  w.world.TapKey(vk::kLeft);
  EXPECT_EQ(w.window->composition_parts().before_caret, L"ka");
  EXPECT_EQ(w.window->composition_parts().after_caret, L"m");

  // Near the bottom of the work area the window goes above the caret.
  const RECT work = WorkArea();
  context().caret_rect = RECT{200, work.bottom - 10, 202, work.bottom - 2};
  w.world.Type(L"a");
  ExpectShown();
  rect = w.WindowRect();
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.bottom, work.bottom - 10);

  // A new caret place moves the window at once, keeping its size.
  const SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
  w.window->MoveNearCaret(RECT{300, 100, 302, 118});
  rect = w.WindowRect();
  EXPECT_EQ(rect.left, 300);
  EXPECT_EQ(rect.top, 118);
  EXPECT_EQ(rect.right - rect.left, size.cx);
  EXPECT_EQ(rect.bottom - rect.top, size.cy);
}

TEST_F(T13nHorizontalWindowTest, FixedPlaceIsClampedAndHiddenWithoutTheFlags) {
  w.world.settings.SetInt(ime_shared::kSettingCaretTrack, 0);
  w.world.settings.SetInt(ime_shared::kSettingCompPanelX, 100);
  w.world.settings.SetInt(ime_shared::kSettingCompPanelY, 120);
  w.world.Type(L"kam");
  ExpectShown();
  RECT rect = w.WindowRect();
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 120);
  // A new caret place does not move a window that does not follow the caret.
  w.window->MoveNearCaret(RECT{300, 100, 302, 118});
  EXPECT_EQ(w.WindowRect().left, 100);

  w.world.settings.SetInt(ime_shared::kSettingCompPanelX, 5000);
  w.world.settings.SetInt(ime_shared::kSettingCompPanelY, 5000);
  w.world.Type(L"a");
  ExpectShown();
  const RECT work = WorkArea();
  rect = w.WindowRect();
  EXPECT_EQ(rect.right, work.right);
  EXPECT_EQ(rect.bottom, work.bottom);

  // Without either flag the application shows the candidates itself.
  context().flags[2] = false;
  w.world.Type(L"r");
  EXPECT_FALSE(::IsWindowVisible(w.hwnd()));
  context().flags[1] = true;
  w.world.TapKey(vk::kBack);
  ExpectShown();

  // Nothing composed, nothing shown.
  w.world.Space();
  EXPECT_FALSE(::IsWindowVisible(w.hwnd()));
}

TEST_F(T13nHorizontalWindowTest, LeftClickOnACellCommitsThatCandidate) {
  w.world.Type(L"kam");
  ExpectShown();
  const Texts page = w.world.Page();
  ASSERT_EQ(w.window->cells().size(), page.size());

  // Pressed on one cell and released on another: nothing.
  MouseAt(w.hwnd(), w.CellCentre(0), WM_LBUTTONDOWN);
  EXPECT_EQ(w.window->pressed_cell(), 0);
  MouseAt(w.hwnd(), w.CellCentre(1), WM_LBUTTONUP);
  EXPECT_TRUE(w.world.results.empty());

  // Hovering a cell shows the hand and marks the cell.
  EXPECT_EQ(MouseAt(w.hwnd(), w.CellCentre(2), WM_MOUSEMOVE), TRUE);
  EXPECT_EQ(w.window->hovered_cell(), 2);
  EXPECT_FALSE(w.window->hover_in_mark_zone());
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

  w.Click(w.CellCentre(2));
  EXPECT_EQ(w.world.results, Texts{page[2]});
  EXPECT_EQ(w.tracker.calls, 0);
  EXPECT_FALSE(::IsWindowVisible(w.hwnd()));

  // A left click on a cell's mark selects it and opens its menu instead.
  w.world.Type(L"kam");
  ExpectShown();
  const RECT cell = w.CellClientRect(1);
  const POINT mark = {cell.right - 4, (cell.top + cell.bottom) / 2};
  MouseAt(w.hwnd(), mark, WM_MOUSEMOVE);
  EXPECT_TRUE(w.window->hover_in_mark_zone());
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
  const Texts again = w.world.Page();
  w.Click(mark);
  EXPECT_EQ(w.tracker.calls, 1);
  EXPECT_EQ(w.world.results.size(), 1u);
  w.world.Space();
  EXPECT_EQ(w.world.results.back(), again[1] + L" ");
}

TEST_F(T13nHorizontalWindowTest, RightClickSelectsAndOpensTheCandidateMenu) {
  w.world.Type(L"kam");
  ExpectShown();
  const Texts page = w.world.Page();
  w.tracker.choice = ID_CANDIDATE_SEARCH;
  const RECT window = w.WindowRect();
  const RECT cell = w.CellClientRect(1);
  w.Click(w.CellCentre(1), WM_RBUTTONDOWN, WM_RBUTTONUP);

  EXPECT_TRUE(w.world.results.empty()) << "selected, not committed";
  EXPECT_EQ(w.engine->GetComposition(), L"kam");
  ASSERT_EQ(w.tracker.calls, 1);
  EXPECT_EQ(w.tracker.owner, w.hwnd());
  EXPECT_EQ(w.tracker.at.x, window.left + cell.left);
  EXPECT_EQ(w.tracker.at.y, window.top + cell.bottom);
  EXPECT_EQ(w.tracker.items, std::vector<UINT>{ID_CANDIDATE_SEARCH}) << "no Delete";
  EXPECT_TRUE(w.tracker.grayed.empty());
  EXPECT_EQ(w.main_menu.shown.size(), 0u);
  // "Search..." looks the candidate up.
  ASSERT_TRUE(PumpMessagesUntil([&] { return !w.shell.addresses().empty(); }));
  EXPECT_EQ(w.shell.addresses(), Texts{ime_shared::BuildSearchUrl(page[1])});

  // The selection moved: Space commits it.
  w.world.Space();
  EXPECT_EQ(w.world.results, Texts{page[1] + L" "});

  // In the "SYSTEM" account searching is greyed.
  FixedUserName system(L"system");
  w.window->SetCandidateMenuSeams(&w.tracker, &system);
  w.tracker.choice = 0;
  w.world.Type(L"kam");
  ExpectShown();
  w.Click(w.CellCentre(0), WM_RBUTTONDOWN, WM_RBUTTONUP);
  EXPECT_EQ(w.tracker.calls, 2);
  EXPECT_EQ(w.tracker.grayed, std::vector<UINT>{ID_CANDIDATE_SEARCH});
  w.window->SetCandidateMenuSeams(&w.tracker, &w.user_name);
}

TEST_F(T13nHorizontalWindowTest, RightClickElsewhereOpensTheMainMenuAtTheCursor) {
  w.world.Type(L"kam");
  ExpectShown();
  const POINT empty = {2, w.window->candidate_row_origin().y - 2};
  w.Click(empty, WM_RBUTTONDOWN, WM_RBUTTONUP);
  ASSERT_EQ(w.main_menu.shown.size(), 1u);
  const POINT expected = ClientToScreenPoint(w.hwnd(), empty);
  EXPECT_EQ(w.main_menu.shown[0].x, expected.x);
  EXPECT_EQ(w.main_menu.shown[0].y, expected.y);
  EXPECT_EQ(w.main_menu.owners[0], w.hwnd());
  EXPECT_EQ(w.tracker.calls, 0);
  EXPECT_TRUE(w.world.results.empty());
}

TEST_F(T13nHorizontalWindowTest, PageButtonsPageAndAreDisabledAtTheEnds) {
  w.world.Type(L"kam");
  ExpectShown();
  const ime_shared::CandidateInterface* list = w.engine->candidates();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->PageCount(), 2);
  const auto& buttons = w.window->buttons();
  EXPECT_EQ(list->PageIndex(), 0);
  EXPECT_TRUE(buttons[0].disabled);
  EXPECT_FALSE(buttons[1].disabled);
  const Texts first_page = w.world.Page();

  w.Click(w.ButtonCentre(1));
  ExpectShown();
  EXPECT_EQ(list->PageIndex(), 1);
  EXPECT_FALSE(buttons[0].disabled);
  EXPECT_TRUE(buttons[1].disabled);
  const Texts second_page = w.world.Page();
  EXPECT_NE(second_page, first_page);
  ASSERT_EQ(w.window->cells().size(), second_page.size());
  EXPECT_EQ(w.window->cells()[0].label, L"1." + second_page[0]);
  // The cursor is back on the button, which may have moved.
  POINT cursor = {};
  ::GetCursorPos(&cursor);
  const POINT centre = ClientToScreenPoint(w.hwnd(), w.ButtonCentre(1));
  EXPECT_EQ(cursor.x, centre.x);
  EXPECT_EQ(cursor.y, centre.y);

  // A disabled button does nothing.
  w.Click(w.ButtonCentre(1));
  EXPECT_EQ(list->PageIndex(), 1);

  w.Click(w.ButtonCentre(0));
  EXPECT_EQ(list->PageIndex(), 0);
  EXPECT_TRUE(buttons[0].disabled);
  EXPECT_EQ(w.world.Page(), first_page);
  EXPECT_TRUE(w.world.results.empty());
}

TEST_F(T13nHorizontalWindowTest, LargeFontShrinksThePageToTheRow) {
  w.world.settings.SetInt(ime_shared::kSettingT13nConvertedTextFontSize, 60);
  w.world.Type(L"kam");
  ExpectShown();
  const size_t shown = w.window->cells().size();
  EXPECT_GE(shown, 1u);
  EXPECT_LT(shown, 5u) << "the page of 5 does not fit in 900 pixels";
  EXPECT_LE(w.window->candidate_row_size().cx, 900);
  EXPECT_EQ(static_cast<size_t>(w.engine->CandidateCount()), shown);

  // Moving down through the list never selects a candidate out of sight.
  for (int i = 0; i < 12; ++i) {
    w.world.TapKey(vk::kDown);
    ExpectShown();
    const size_t cells = w.window->cells().size();
    EXPECT_LE(w.window->candidate_row_size().cx, 900);
    EXPECT_EQ(static_cast<size_t>(w.engine->CandidateCount()), cells);
    EXPECT_LT(static_cast<size_t>(w.engine->CandidateSelection()), cells) << "after Down " << i;
  }
}

TEST_F(T13nHorizontalWindowTest, DragMovesClampsAndStoresTheFixedPlace) {
  w.world.settings.SetInt(ime_shared::kSettingCaretTrack, 0);
  w.world.settings.SetInt(ime_shared::kSettingCompPanelX, 300);
  w.world.settings.SetInt(ime_shared::kSettingCompPanelY, 300);
  w.world.Type(L"kam");
  ExpectShown();
  ASSERT_EQ(w.WindowRect().left, 300);

  // Pressed between the rows, where no cell or button is.
  const POINT grab = {2, w.window->candidate_row_origin().y - 2};
  const POINT grab_screen = ClientToScreenPoint(w.hwnd(), grab);
  MouseAt(w.hwnd(), grab, WM_MOUSEMOVE);
  MouseAt(w.hwnd(), grab, WM_LBUTTONDOWN);
  ASSERT_TRUE(w.window->IsDragging());
  ASSERT_TRUE(MoveCursorTo(POINT{grab_screen.x + 40, grab_screen.y + 30}));
  SendMouseThroughSetCursor(w.hwnd(), WM_MOUSEMOVE);
  RECT rect = w.WindowRect();
  EXPECT_EQ(rect.left, 340);
  EXPECT_EQ(rect.top, 330);

  // The shadow lies behind, moved by (6, 6) and (4, 4).
  const std::vector<HWND> shadows = ThreadWindowsOfClass(L"IME_FADER");
  ASSERT_EQ(shadows.size(), 1u);
  RECT shadow = {};
  ::GetWindowRect(shadows[0], &shadow);
  EXPECT_EQ(shadow.left, rect.left + 6);
  EXPECT_EQ(shadow.top, rect.top + 6);
  EXPECT_EQ(shadow.right, rect.right + 4);
  EXPECT_EQ(shadow.bottom, rect.bottom + 4);

  // Past the work area's corner the window stops at its edges.
  const RECT work = WorkArea();
  ASSERT_TRUE(MoveCursorTo(POINT{work.right - 1, work.bottom - 1}));
  SendMouseThroughSetCursor(w.hwnd(), WM_MOUSEMOVE);
  rect = w.WindowRect();
  EXPECT_EQ(rect.right, work.right);
  EXPECT_EQ(rect.bottom, work.bottom);
  SendMouseThroughSetCursor(w.hwnd(), WM_LBUTTONUP);
  EXPECT_FALSE(w.window->IsDragging());
  EXPECT_EQ(w.world.settings.GetInt(ime_shared::kSettingCompPanelX),
            static_cast<uint32_t>(rect.left));
  EXPECT_EQ(w.world.settings.GetInt(ime_shared::kSettingCompPanelY),
            static_cast<uint32_t>(rect.top));
  // The next show keeps the new place.
  w.world.Type(L"a");
  EXPECT_EQ(w.WindowRect().left, rect.left);

  // Leaving the window is noticed.
  ASSERT_TRUE(w.window->IsHovering());
  ASSERT_TRUE(MoveCursorTo(POINT{5, 5}));
  ASSERT_TRUE(PumpMessagesUntil([&] { return !w.window->IsHovering(); }));

  // A place left of and above the screen is stored as it is.
  ::SetWindowPos(w.hwnd(), nullptr, -50, -40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  w.window->OnDragEnd();
  EXPECT_EQ(w.world.settings.GetInt(ime_shared::kSettingCompPanelX), static_cast<uint32_t>(-50));
  EXPECT_EQ(w.world.settings.GetInt(ime_shared::kSettingCompPanelY), static_cast<uint32_t>(-40));

  // While the window follows the caret, a drag stores nothing.
  w.world.settings.SetInt(ime_shared::kSettingCaretTrack, 1);
  const int writes = w.world.settings.WritesOf(ime_shared::kSettingCompPanelX);
  w.window->OnDragEnd();
  EXPECT_EQ(w.world.settings.WritesOf(ime_shared::kSettingCompPanelX), writes);
}

// The colour of a screen pixel, split.
struct Rgb {
  explicit Rgb(uint32_t pixel)
      : r((pixel >> 16) & 255), g((pixel >> 8) & 255), b(pixel & 255) {}
  int r, g, b;
};

TEST_F(T13nHorizontalWindowTest, PaintedCellsShowSkinTextAndFlags) {
  // A place of its own on the screen, away from the dialogs other tests
  // centre on it.
  context().caret_rect = RECT{40, 802, 42, 820};
  w.world.Type(L"kam");
  ExpectShown();
  ASSERT_TRUE(MoveCursorTo(POINT{5, 5}));
  PumpMessagesFor(100);
  const RECT window = w.WindowRect();
  ASSERT_EQ(window.left, 40);
  const std::vector<uint32_t> pixels = ReadScreen(window);
  const int width = window.right - window.left;
  auto pixel = [&](int x, int y) { return Rgb(pixels[static_cast<size_t>(y) * width + x]); };

  // The skin's own top-left corner, as the bitmap holds it.
  HBITMAP skin = static_cast<HBITMAP>(::LoadImageW(
      ime_shared::base::CurrentModule(), MAKEINTRESOURCEW(IDB_SELECTED_CANDIDATE_SKIN),
      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(skin, nullptr);
  COLORREF corner;
  {
    ime_shared::base::ScopedMemoryDC dc(::CreateCompatibleDC(nullptr));
    ime_shared::base::ScopedSelectObject select(dc.Get(), skin);
    corner = ::GetPixel(dc.Get(), 2, 2);
  }
  ::DeleteObject(skin);

  ASSERT_EQ(w.engine->CandidateSelection(), 0);
  ASSERT_EQ(w.window->cells().size(), 5u);
  bool any_flagged = false;
  for (int i = 0; i < 5; ++i) {
    const RECT cell = w.CellClientRect(i);
    int dark = 0, white = 0, blue = 0, skin_blue = 0, all = 0;
    for (int y = cell.top; y < cell.bottom; ++y) {
      for (int x = cell.left; x < cell.right; ++x) {
        const Rgb c = pixel(x, y);
        ++all;
        if (c.r < 90 && c.g < 90 && c.b < 90) ++dark;
        if (c.r > 230 && c.g > 230 && c.b > 230) ++white;
        if (c.b > 200 && c.r < 60 && c.g < 60) ++blue;
        if (c.b > c.r + 60) ++skin_blue;
      }
    }
    if (i == 0) {
      const Rgb at = pixel(cell.left + 2, cell.top + 2);
      EXPECT_EQ(RGB(at.r, at.g, at.b), corner) << "the skin under the selected cell";
      EXPECT_GT(skin_blue, all / 2);
      EXPECT_GT(white, 0) << "white text on the skin";
    } else if (w.engine->IsCandidateFlagged(i)) {
      any_flagged = true;
      EXPECT_GT(blue, 0) << "cell " << i << " is flagged";
    } else {
      EXPECT_GT(dark, 0) << "cell " << i;
      EXPECT_EQ(blue, 0) << "cell " << i;
    }
  }
  EXPECT_TRUE(any_flagged) << "completions are flagged";
}

TEST_F(T13nHorizontalWindowTest, DrawingObjectsAreMadeOnce) {
  w.world.Type(L"kam");
  ExpectShown();
  const int made = w.window->drawing_objects_made();
  EXPECT_GT(made, 0);
  for (int round = 0; round < 4; ++round) {
    w.world.Type(L"kamar");
    w.world.TapKey(vk::kBack);
    w.world.TapKey(vk::kDown);
    w.world.Space();
    w.world.Type(L"tim");
  }
  EXPECT_EQ(w.window->drawing_objects_made(), made);
  // A new size makes the candidate font again, and only it.
  w.world.settings.SetInt(ime_shared::kSettingT13nConvertedTextFontSize, 14);
  w.world.Type(L"a");
  EXPECT_EQ(w.window->drawing_objects_made(), made + 1);
}

}  // namespace
}  // namespace ime_t13n
