// The grid on a real list view in a visible window: selections, keys, the
// header, in-place editing and drawing, read back from the list view
// itself (item data, item texts, the edit box, painted pixels).
#include "ime/t13n/macros/extended_list_view_ctrl.h"

#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <utility>

#include "gtest/gtest.h"
#include "ime/shared/base/gdi_objects.h"
#include "ime/t13n/macros/macros_test_helpers.h"
#include "ime/t13n/macros/macros_validator.h"

namespace ime_t13n {
namespace {

using testing_helpers::CellCentre;
using testing_helpers::CellRectOf;
using testing_helpers::ClickAt;
using testing_helpers::ClickCell;
using testing_helpers::GridHost;
using testing_helpers::ItemDataOf;
using testing_helpers::KeyDown;
using testing_helpers::RecordingMessageBox;
using testing_helpers::RowsOf;
using testing_helpers::SelectedCellsOf;
using testing_helpers::TextOf;
using testing_helpers::WindowTextOf;
using Cells = std::set<std::pair<int, int>>;
using Rows = std::vector<std::pair<std::wstring, std::wstring>>;

const std::wstring kNamaste = L"\x0928\x092E\x0938\x094D\x0924\x0947";

class ExtendedListViewCtrlTest : public ::testing::Test {
 protected:
  ExtendedListViewCtrlTest() : host_(&validator_, &box_), list_(host_.list), grid_(host_.grid) {}

  void SetUp() override {
    ASSERT_TRUE(::IsWindow(host_.hwnd()));
    ASSERT_TRUE(::IsWindowVisible(host_.hwnd()));
    ASSERT_TRUE(::IsWindowVisible(list_));
    ASSERT_EQ(grid_.hwnd(), list_);
    for (const auto& row : initial_rows_) grid_.AppendRow(row.first, row.second);
    ASSERT_EQ(grid_.RowCount(), 4);
    ASSERT_EQ(grid_.ColumnCount(), 3);
  }

  // A point below the last row: inside the list, outside every cell.
  POINT BelowTheRows() const {
    const RECT last = CellRectOf(list_, 3, 1);
    return POINT{last.left + 10, last.bottom + 30};
  }

  MacrosValidator validator_;
  RecordingMessageBox box_;
  GridHost host_;
  HWND list_;
  ExtendedListViewCtrl& grid_;
  const Rows initial_rows_ = {
      {L"nm", kNamaste}, {L"dh", L"\x0927"}, {L"ky", L"\x0915"}, {L"hi", L"\x0939"}};
};

TEST_F(ExtendedListViewCtrlTest, PlainControlAndShiftClicksSelectCells) {
  EXPECT_TRUE(SelectedCellsOf(list_).empty());

  ClickCell(list_, 1, 1);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{1, 1}}));
  EXPECT_EQ(grid_.current_cell(), (Cell{1, 1}));
  EXPECT_EQ(::GetFocus(), list_);

  // Ctrl adds cells.
  ClickCell(list_, 2, 2, MK_CONTROL);
  ClickCell(list_, 3, 1, MK_CONTROL);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{1, 1}, {2, 2}, {3, 1}}));
  // A plain click leaves only its own cell.
  ClickCell(list_, 0, 2);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 2}}));

  // Shift selects the rectangle from the previous cell and keeps that cell
  // as the anchor; a second Shift-click replaces the rectangle.
  ClickCell(list_, 2, 1, MK_SHIFT);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 1}, {2, 2}}));
  EXPECT_TRUE(grid_.anchor_set());
  EXPECT_EQ(grid_.anchor_cell(), (Cell{0, 2}));
  ClickCell(list_, 1, 2, MK_SHIFT);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 2}, {1, 2}}));
  ClickCell(list_, 3, 2, MK_SHIFT);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 2}, {1, 2}, {2, 2}, {3, 2}}));

  // A plain click ends the anchor.
  ClickCell(list_, 3, 1);
  EXPECT_FALSE(grid_.anchor_set());
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{3, 1}}));
  EXPECT_TRUE(grid_.IsCellSelected(Cell{3, 1}));
  EXPECT_FALSE(grid_.IsCellSelected(Cell{3, 2}));

  // Selecting never touches the texts, and the list view's own row
  // selection is not used.
  EXPECT_EQ(RowsOf(list_), initial_rows_);
  EXPECT_EQ(::SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0), 0);
  EXPECT_FALSE(grid_.changed());
}

TEST_F(ExtendedListViewCtrlTest, DragSelectsTheRectangleFromThePressedCell) {
  const POINT start = CellCentre(list_, 0, 1);
  ::SendMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
  EXPECT_EQ(::GetCapture(), list_);
  POINT to = CellCentre(list_, 2, 2);
  ::SendMessageW(list_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 1}, {2, 2}}));
  // Back towards the start the rectangle shrinks.
  to = CellCentre(list_, 1, 1);
  ::SendMessageW(list_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 1}, {1, 1}}));
  // Outside every cell nothing changes.
  const POINT outside = BelowTheRows();
  ::SendMessageW(list_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(outside.x, outside.y));
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 1}, {1, 1}}));

  // Many passes over the same rows keep each row once in the list of rows
  // to clear.
  for (int pass = 0; pass < 50; ++pass) {
    for (int row : {3, 0, 2}) {
      to = CellCentre(list_, row, 1 + pass % 2);
      ::SendMessageW(list_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    }
  }
  EXPECT_LE(grid_.selected_rows().size(), 4u);
  ::SendMessageW(list_, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  EXPECT_NE(::GetCapture(), list_);
  const Cells after_drag = SelectedCellsOf(list_);

  // Moves after the button went up select nothing.
  to = CellCentre(list_, 3, 2);
  ::SendMessageW(list_, WM_MOUSEMOVE, 0, MAKELPARAM(to.x, to.y));
  EXPECT_EQ(SelectedCellsOf(list_), after_drag);

  // A plain click clears everything the drag selected.
  ClickCell(list_, 3, 2);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{3, 2}}));
  EXPECT_EQ(grid_.selected_rows(), (std::set<int>{3}));
}

TEST_F(ExtendedListViewCtrlTest, ClicksOutsideEveryCellSelectNoCell) {
  const POINT outside = BelowTheRows();
  ClickCell(list_, 1, 1);
  ClickAt(list_, outside);
  EXPECT_TRUE(SelectedCellsOf(list_).empty());
  EXPECT_EQ(grid_.current_cell(), Cell::None());

  // Ctrl and Shift outside every cell add nothing: no bit of column 0, no
  // bit from a negative column, no row -1.
  ClickCell(list_, 1, 1);
  ClickAt(list_, outside, MK_CONTROL);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{1, 1}}));
  ClickCell(list_, 2, 2, MK_CONTROL);
  ClickAt(list_, outside, MK_SHIFT);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{1, 1}, {2, 2}}));
  ClickAt(list_, outside, MK_SHIFT | MK_CONTROL);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{1, 1}, {2, 2}}));
  ClickAt(list_, POINT{-5, -5}, MK_SHIFT);
  ClickAt(list_, POINT{-5, -5}, MK_CONTROL);
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(ItemDataOf(list_, row) & ~static_cast<LPARAM>(6), 0) << row;
  }

  // A Shift-click into the grid after one outside selects from a real cell
  // only.
  ClickCell(list_, 0, 1);
  ClickAt(list_, outside, MK_SHIFT);
  ClickCell(list_, 1, 2, MK_SHIFT);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 1}, {0, 2}, {1, 1}, {1, 2}}));

  // The cell operations leave cells outside the grid alone.
  ClickAt(list_, outside);
  grid_.SelectCell(Cell::None());
  grid_.SelectCell(Cell{4, 1});
  grid_.SelectCell(Cell{0, 0});
  grid_.SelectCell(Cell{0, 3});
  grid_.SelectCell(Cell{-1, 1});
  grid_.SelectRange(Cell::None(), Cell{2, 2});
  grid_.SelectRange(Cell{0, 1}, Cell{9, 2});
  grid_.SelectRange(Cell{0, 0}, Cell{1, 1});
  EXPECT_TRUE(SelectedCellsOf(list_).empty());
  EXPECT_TRUE(grid_.selected_rows().empty());
  grid_.SelectRange(Cell{3, 2}, Cell{2, 1});
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{2, 1}, {2, 2}, {3, 1}, {3, 2}}));
  grid_.DeselectRange(Cell::None(), Cell{3, 2});
  EXPECT_EQ(SelectedCellsOf(list_).size(), 4u);
  grid_.DeselectRange(Cell{2, 2}, Cell{3, 2});
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{2, 1}, {3, 1}}));
  grid_.ClearSelection();
  EXPECT_TRUE(SelectedCellsOf(list_).empty());

  EXPECT_EQ(grid_.HitTestCell(outside), Cell::None());
  EXPECT_EQ(grid_.HitTestCell(CellCentre(list_, 2, 2)), (Cell{2, 2}));
  const RECT cell = CellRectOf(list_, 1, 1);
  EXPECT_EQ(grid_.HitTestCell(POINT{cell.left, cell.top}), (Cell{1, 1}));
  // Right and bottom edges belong to the next cells.
  EXPECT_EQ(grid_.HitTestCell(POINT{cell.right, cell.top}), (Cell{1, 2}));
  EXPECT_EQ(grid_.HitTestCell(POINT{cell.left, cell.bottom}), (Cell{2, 1}));
}

TEST_F(ExtendedListViewCtrlTest, TabMovesRightThenDownAndWrapsToTheFirstCell) {
  // Before any click there is no current cell: TAB does nothing.
  KeyDown(list_, VK_TAB);
  EXPECT_EQ(grid_.current_cell(), Cell::None());
  EXPECT_TRUE(SelectedCellsOf(list_).empty());

  ClickCell(list_, 2, 1);
  ClickCell(list_, 0, 1, MK_CONTROL);
  KeyDown(list_, VK_TAB);
  EXPECT_EQ(grid_.current_cell(), (Cell{0, 2}));
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 2}}));
  KeyDown(list_, VK_TAB);
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{1, 1}}));

  // From the last cell of the last row to the first cell of the grid.
  ClickCell(list_, 3, 2);
  KeyDown(list_, VK_TAB);
  EXPECT_EQ(grid_.current_cell(), (Cell{0, 1}));
  EXPECT_EQ(SelectedCellsOf(list_), (Cells{{0, 1}}));

  // Through the dialog manager TAB reaches the grid.
  EXPECT_EQ(::SendMessageW(list_, WM_GETDLGCODE, VK_TAB, 0) & DLGC_WANTTAB, DLGC_WANTTAB);
}

TEST_F(ExtendedListViewCtrlTest, ArrowsHomeEndAndOtherKeysMoveNothing) {
  ClickCell(list_, 1, 2);
  for (int key : {VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_NEXT, VK_PRIOR,
                     VK_SPACE, static_cast<int>('A'), VK_DELETE}) {
    KeyDown(list_, key);
    EXPECT_EQ(grid_.current_cell(), (Cell{1, 2})) << key;
    EXPECT_EQ(SelectedCellsOf(list_), (Cells{{1, 2}})) << key;
    // The list view's own row selection did not move either.
    EXPECT_EQ(::SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0), 0) << key;
  }
  EXPECT_FALSE(grid_.editing());
  EXPECT_EQ(RowsOf(list_), initial_rows_);
}

TEST_F(ExtendedListViewCtrlTest, HeaderRefusesToWidenTheHiddenColumn) {
  HWND header = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  ASSERT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0), 0);

  // The notifications the header sends when a divider is grabbed or
  // double-clicked.
  auto notify = [&](UINT code, int item) {
    NMHEADERW info = {};
    info.hdr.hwndFrom = header;
    info.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(header));
    info.hdr.code = code;
    info.iItem = item;
    return ::SendMessageW(list_, WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
  };
  EXPECT_EQ(notify(HDN_BEGINTRACKW, 0), TRUE);
  EXPECT_EQ(notify(HDN_BEGINTRACKW, 1), FALSE);
  EXPECT_EQ(notify(HDN_BEGINTRACKW, 2), FALSE);
  notify(HDN_DIVIDERDBLCLICKW, 0);
  EXPECT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0), 0);

  // A real drag on the header: the divider of column 1 moves, the hidden
  // column's (at its left edge) does not.
  auto drag = [&](int x, int dx) {
    RECT item = {};
    ::SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    const int y = (item.top + item.bottom) / 2;
    ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx / 2, y));
    ::SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
    ::SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y));
  };
  drag(0, 40);
  drag(1, 40);
  EXPECT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0), 0);
  RECT first = {};
  ::SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&first));
  drag(first.right - 1, 30);
  EXPECT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 1, 0), 210);
  EXPECT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0), 0);
}

TEST_F(ExtendedListViewCtrlTest, F2AndADoubleClickEditACellThatEnterStores) {
  ClickCell(list_, 1, 2);
  KeyDown(list_, VK_F2);
  ASSERT_TRUE(grid_.editing());
  EXPECT_EQ(grid_.edit_cell(), (Cell{1, 2}));
  HWND box = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box, grid_.edit_box());
  EXPECT_TRUE(::IsWindowVisible(box));
  EXPECT_EQ(::GetFocus(), box);
  // The box holds the cell's text; the cell itself shows nothing under it.
  EXPECT_EQ(WindowTextOf(box), L"\x0927");
  EXPECT_EQ(TextOf(list_, 1, 2), L"");

  ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kNamaste.c_str()));
  KeyDown(box, VK_RETURN);
  EXPECT_FALSE(grid_.editing());
  EXPECT_FALSE(::IsWindow(box));
  EXPECT_EQ(TextOf(list_, 1, 2), kNamaste);
  EXPECT_TRUE(grid_.changed());
  // Column 0 keeps its empty text: the list view stored nothing itself.
  EXPECT_EQ(TextOf(list_, 1, 0), L"");
  EXPECT_TRUE(box_.shown.empty());

  // A double click edits the current cell too.
  grid_.set_changed(false);
  ClickCell(list_, 2, 1);
  const POINT centre = CellCentre(list_, 2, 1);
  ::SendMessageW(list_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
  ASSERT_TRUE(grid_.editing());
  box = grid_.edit_box();
  EXPECT_EQ(WindowTextOf(box), L"ky");
  ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"kya2"));
  KeyDown(box, VK_RETURN);
  EXPECT_EQ(TextOf(list_, 2, 1), L"kya2");
  EXPECT_TRUE(grid_.changed());

  // Without a current cell F2 opens nothing.
  ClickAt(list_, BelowTheRows());
  KeyDown(list_, VK_F2);
  EXPECT_FALSE(grid_.editing());
  EXPECT_EQ(::SendMessageW(list_, LVM_GETEDITCONTROL, 0, 0), 0);
}

TEST_F(ExtendedListViewCtrlTest, InvalidTextShowsItsMessageAndKeepsTheOldText) {
  ClickCell(list_, 0, 1);
  KeyDown(list_, VK_F2);
  ASSERT_TRUE(grid_.editing());
  ::SendMessageW(grid_.edit_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"two words"));
  KeyDown(grid_.edit_box(), VK_RETURN);
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_EQ(box_.shown[0].text, L"Only alpha-numeric characters allowed as macro-text");
  EXPECT_EQ(box_.shown[0].caption, L"Manage Macros");
  EXPECT_EQ(box_.shown[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(box_.shown[0].owner, host_.hwnd());
  EXPECT_EQ(TextOf(list_, 0, 1), L"nm");
  EXPECT_FALSE(grid_.changed());

  // A target with a space.
  ClickCell(list_, 0, 2);
  KeyDown(list_, VK_F2);
  ::SendMessageW(grid_.edit_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\x0915 \x0916"));
  KeyDown(grid_.edit_box(), VK_RETURN);
  ASSERT_EQ(box_.shown.size(), 2u);
  EXPECT_EQ(box_.shown[1].text, L"Macro target contains invalid characters");
  EXPECT_EQ(TextOf(list_, 0, 2), kNamaste);
  EXPECT_FALSE(grid_.changed());
}

TEST_F(ExtendedListViewCtrlTest, EscapeAndAnEmptiedBoxKeepTheOldText) {
  ClickCell(list_, 3, 2);
  KeyDown(list_, VK_F2);
  ASSERT_TRUE(grid_.editing());
  ::SendMessageW(grid_.edit_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"xyz"));
  KeyDown(grid_.edit_box(), VK_ESCAPE);
  EXPECT_FALSE(grid_.editing());
  EXPECT_EQ(TextOf(list_, 3, 2), L"\x0939");
  EXPECT_FALSE(grid_.changed());
  EXPECT_TRUE(box_.shown.empty());

  // An emptied box never stores an empty cell (some list views report it
  // as a cancel, others as an empty text the validator refuses).
  KeyDown(list_, VK_F2);
  ASSERT_TRUE(grid_.editing());
  ::SendMessageW(grid_.edit_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  KeyDown(grid_.edit_box(), VK_RETURN);
  EXPECT_EQ(TextOf(list_, 3, 2), L"\x0939");
  EXPECT_FALSE(grid_.changed());
  for (const auto& shown : box_.shown) {
    EXPECT_EQ(shown.text, L"Macro target should not be empty");
  }
}

TEST_F(ExtendedListViewCtrlTest, EndOfAnEditIsReadFromTheTextAloneNotItsLength) {
  // The end-of-edit notification as list views send it, with the text
  // pointer and the length field set independently.
  auto end_edit = [&](const wchar_t* text, int length_field) {
    ClickCell(list_, 1, 1);
    KeyDown(list_, VK_F2);
    EXPECT_TRUE(grid_.editing());
    NMLVDISPINFOW info = {};
    info.hdr.hwndFrom = list_;
    info.hdr.idFrom = GridHost::kListId;
    info.hdr.code = LVN_ENDLABELEDITW;
    info.item.iItem = 1;
    info.item.pszText = const_cast<wchar_t*>(text);
    info.item.cchTextMax = length_field;
    EXPECT_EQ(::SendMessageW(host_.hwnd(), WM_NOTIFY, GridHost::kListId,
                             reinterpret_cast<LPARAM>(&info)),
              FALSE);
    EXPECT_FALSE(grid_.editing());
    // The list view's own edit box goes without a second verdict.
    KeyDown(grid_.edit_box(), VK_ESCAPE);
  };
  // No text is a cancel, whatever the length says.
  end_edit(nullptr, 5);
  EXPECT_EQ(TextOf(list_, 1, 1), L"dh");
  EXPECT_FALSE(grid_.changed());
  // A text is validated even when the length field says 0.
  end_edit(L"dhan", 0);
  EXPECT_EQ(TextOf(list_, 1, 1), L"dhan");
  EXPECT_TRUE(grid_.changed());
  grid_.set_changed(false);
  end_edit(L"", 0);
  EXPECT_EQ(TextOf(list_, 1, 1), L"dhan");
  EXPECT_FALSE(grid_.changed());
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_EQ(box_.shown[0].text, L"Macro text should not be empty");
  EXPECT_FALSE(grid_.editing());
  EXPECT_EQ(::SendMessageW(list_, LVM_GETEDITCONTROL, 0, 0), 0);
}

TEST_F(ExtendedListViewCtrlTest, EditBoxLiesOverTheEditedCellAndAFocusChangeEndsTheEdit) {
  for (const Cell cell : {Cell{2, 2}, Cell{1, 1}}) {
    ClickCell(list_, cell.row, cell.column);
    KeyDown(list_, VK_F2);
    ASSERT_TRUE(grid_.editing());
    HWND box = grid_.edit_box();
    ASSERT_TRUE(::IsWindow(box));
    EXPECT_EQ(::GetParent(box), list_);
    RECT placed = {};
    ::GetWindowRect(box, &placed);
    ::MapWindowPoints(nullptr, list_, reinterpret_cast<POINT*>(&placed), 2);
    const RECT target = CellRectOf(list_, cell.row, cell.column);
    EXPECT_EQ(placed.left, target.left) << cell.row << "," << cell.column;
    EXPECT_EQ(placed.top, target.top) << cell.row << "," << cell.column;
    EXPECT_GT(placed.right - placed.left, 0);
    EXPECT_EQ(grid_.edit_position().x, target.left);
    EXPECT_EQ(grid_.edit_position().y, target.top);

    // EndEdit ends it as a click elsewhere would: the text is stored.
    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
    grid_.EndEdit();
    EXPECT_FALSE(grid_.editing());
    EXPECT_EQ(TextOf(list_, cell.row, cell.column), L"abc");
    EXPECT_TRUE(grid_.changed());
  }
}

TEST_F(ExtendedListViewCtrlTest, SelectedCellsAreGreyAndEveryCellHasGridLines) {
  ClickCell(list_, 1, 1);
  ClickCell(list_, 2, 2, MK_CONTROL);

  RECT client = {};
  ::GetClientRect(list_, &client);
  ime_shared::base::ScopedWindowDC screen(nullptr);
  ime_shared::base::ScopedMemoryDC dc(::CreateCompatibleDC(screen.Get()));
  ime_shared::base::ScopedBitmap bitmap(
      ::CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
  ime_shared::base::ScopedSelectObject selection(dc.Get(), bitmap.Get());
  ::SendMessageW(list_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()),
                 PRF_CLIENT | PRF_ERASEBKGND);

  // Inside a cell, clear of its text (which starts at the left) and of its
  // lines.
  auto inside = [&](int row, int column) {
    const RECT rect = CellRectOf(list_, row, column);
    return ::GetPixel(dc.Get(), rect.right - 6, (rect.top + rect.bottom) / 2);
  };
  EXPECT_EQ(inside(1, 1), ExtendedListViewCtrl::kSelectedCellColor);
  EXPECT_EQ(inside(2, 2), ExtendedListViewCtrl::kSelectedCellColor);
  EXPECT_EQ(inside(1, 2), ExtendedListViewCtrl::kCellColor);
  EXPECT_EQ(inside(0, 1), ExtendedListViewCtrl::kCellColor);
  EXPECT_EQ(inside(3, 2), ExtendedListViewCtrl::kCellColor);

  // The lines: each cell's left and top edges and the last row's bottom.
  const RECT cell = CellRectOf(list_, 2, 1);
  const int middle_y = (cell.top + cell.bottom) / 2;
  const int middle_x = (cell.left + cell.right) / 2;
  EXPECT_EQ(::GetPixel(dc.Get(), cell.right, middle_y), ExtendedListViewCtrl::kGridLineColor);
  EXPECT_EQ(::GetPixel(dc.Get(), middle_x + 20, cell.top), ExtendedListViewCtrl::kGridLineColor);
  const RECT last = CellRectOf(list_, 3, 2);
  EXPECT_EQ(::GetPixel(dc.Get(), (last.left + last.right) / 2, last.bottom),
            ExtendedListViewCtrl::kGridLineColor);
  // Below the rows there are no lines.
  EXPECT_NE(::GetPixel(dc.Get(), (last.left + last.right) / 2, last.bottom + 15),
            ExtendedListViewCtrl::kGridLineColor);
}

TEST_F(ExtendedListViewCtrlTest, RemovingSelectedRowsForgetsEveryCell) {
  ClickCell(list_, 1, 1);
  ClickCell(list_, 3, 2, MK_SHIFT);  // rows 1 to 3
  ClickCell(list_, 0, 2);
  ClickCell(list_, 2, 2, MK_CONTROL);
  EXPECT_EQ(grid_.RemoveSelectedRows(), 2);
  EXPECT_EQ(RowsOf(list_), (Rows{initial_rows_[1], initial_rows_[3]}));
  EXPECT_TRUE(grid_.changed());
  EXPECT_EQ(grid_.current_cell(), Cell::None());
  EXPECT_EQ(grid_.anchor_cell(), Cell::None());
  EXPECT_FALSE(grid_.anchor_set());
  EXPECT_TRUE(grid_.selected_rows().empty());
  EXPECT_TRUE(SelectedCellsOf(list_).empty());
  // TAB has no current cell to move from.
  KeyDown(list_, VK_TAB);
  EXPECT_TRUE(SelectedCellsOf(list_).empty());
  grid_.set_changed(false);
  EXPECT_EQ(grid_.RemoveSelectedRows(), 0);
  EXPECT_FALSE(grid_.changed());
}

}  // namespace
}  // namespace ime_t13n
