// The macro grid: the dialog's report-view list control made to behave like
// a small spreadsheet. The user selects single cells or rectangles of cells
// (never whole rows), moves between cells with TAB and edits a cell in
// place (F2 or a double click). Every edit passes the validator before it is
// stored.
//
// Column 0 is the hidden image column (zero wide); cells are columns 1 and
// up. A row's item data is the bit mask of its selected columns (bit c for
// column c), which the custom drawing paints grey; grid lines are drawn over
// the list view's own painting.
//
// The list view's own selection, keyboard navigation and label editing are
// replaced: every key-down and the left clicks are handled here. The label
// edit the list view opens always starts on column 0; the grid puts the
// edited cell's text into the box, keeps the box over that cell and stores
// the result into the cell itself.
#ifndef IME_T13N_MACROS_EXTENDED_LIST_VIEW_CTRL_H_
#define IME_T13N_MACROS_EXTENDED_LIST_VIEW_CTRL_H_

#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>

#include "ime/shared/base/control_subclass.h"
#include "ime/t13n/macros/extended_edit.h"

namespace ime_t13n {

class ListEditValidator;
class MacrosMessageBoxInterface;

// A cell of the grid; (-1, -1) is no cell.
struct Cell {
  int row = -1;
  int column = -1;

  static Cell None() { return Cell(); }
  bool operator==(const Cell& other) const {
    return row == other.row && column == other.column;
  }
  bool operator!=(const Cell& other) const { return !(*this == other); }
};

class ExtendedListViewCtrl : public ime_shared::base::SubclassedControl {
 public:
  static constexpr COLORREF kSelectedCellColor = RGB(220, 220, 220);
  static constexpr COLORREF kCellColor = RGB(255, 255, 255);
  static constexpr COLORREF kGridLineColor = RGB(200, 200, 200);
  // Cell texts are read into buffers of this many units (terminator
  // included).
  static constexpr int kCellTextUnits = 256;
  // The caption of the validator's message boxes.
  static const wchar_t kMessageCaption[];  // "Manage Macros"

  // |validator| and |message_box| are borrowed and must outlive the grid.
  ExtendedListViewCtrl(const ListEditValidator* validator,
                       MacrosMessageBoxInterface* message_box);
  ~ExtendedListViewCtrl() override;

  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam,
                            LPARAM lparam, LRESULT& result) override;

  // Cell operations. Each repaints the cells it changes. Cells outside the
  // grid (row below 0 or past the last row, column below 1 or past the last
  // column) are left alone; a range with such a corner does nothing.
  // Adds the cell's column to its row's selection.
  void SelectCell(Cell cell);
  // Selects every cell of the rectangle between |a| and |b|.
  void SelectRange(Cell a, Cell b);
  // Deselects every cell of the rectangle between |a| and |b|.
  void DeselectRange(Cell a, Cell b);
  // Deselects every cell.
  void ClearSelection();
  // The cell under |point| (client coordinates) among the visible rows;
  // None() when there is none.
  Cell HitTestCell(POINT point) const;

  // Whether |cell| lies inside the grid.
  bool IsCell(Cell cell) const;
  bool IsCellSelected(Cell cell) const;

  int RowCount() const;
  int ColumnCount() const;
  // Appends a row holding |text| in column 1 and |target| in column 2, with
  // image 0 and nothing selected; returns its index (-1 on failure).
  int AppendRow(const std::wstring& text, const std::wstring& target);
  std::wstring CellText(Cell cell) const;
  void SetCellText(Cell cell, const std::wstring& text);
  // Deletes, from the last row to the first, every row with a selected
  // cell; each deletion sets the changed mark. The current, anchor and drag
  // cells are reset. Returns the number of rows deleted.
  int RemoveSelectedRows();

  // Starts editing the current cell, as F2 does. False when there is none.
  bool EditCurrentCell();
  // Ends an open edit as a click elsewhere does: the focus moves to the
  // list and the edited text goes through the validator.
  void EndEdit();
  // Whether a cell is being edited.
  bool editing() const { return editing_; }

  Cell current_cell() const { return current_; }
  Cell anchor_cell() const { return anchor_; }
  bool anchor_set() const { return anchor_set_; }
  Cell edit_cell() const { return edit_cell_; }
  // The rows that may hold a selected cell, each once.
  const std::set<int>& selected_rows() const { return selected_rows_; }
  // The top-left corner of the edited cell, where the edit box is kept.
  POINT edit_position() const { return edit_position_; }
  HWND edit_box() const { return edit_.hwnd(); }

  // Set by every accepted edit and row removal; the dialog clears it when
  // it saves.
  bool changed() const { return changed_; }
  void set_changed(bool changed) { changed_ = changed; }

 private:
  // Message handlers; each answers whether it handled the message.
  bool OnLeftButtonDown(WPARAM flags, POINT point);
  bool OnMouseMove(POINT point);
  bool OnKeyDown(WPARAM key);
  bool OnHeaderNotify(const NMHDR* header, LRESULT& result);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
  LRESULT OnBeginLabelEdit(const NMLVDISPINFOW* info);
  LRESULT OnEndLabelEdit(const NMLVDISPINFOW* info);
  void DrawGridLines(HDC dc) const;

  // The rows the grid draws: from the top one to the last partly visible
  // one, [first, end).
  void VisibleRows(int* first, int* end) const;
  // The cell's rectangle: its bounds, its width that of its column.
  RECT CellRect(Cell cell) const;
  LPARAM ItemData(int row) const;
  void SetItemData(int row, LPARAM data);
  void RepaintCell(Cell cell);
  void RepaintRow(int row);
  // Sets or clears the cells of a rectangle.
  void MarkRange(Cell a, Cell b, bool selected);
  void ResetCells();

  const ListEditValidator* validator_;
  MacrosMessageBoxInterface* message_box_;

  Cell anchor_;
  Cell current_;
  Cell last_drag_;
  bool anchor_set_ = false;
  std::set<int> selected_rows_;
  Cell edit_cell_;
  ExtendedEdit edit_;
  bool dragging_ = false;
  bool editing_ = false;
  POINT edit_position_ = {0, 0};
  bool changed_ = false;
  std::wstring saved_text_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_MACROS_EXTENDED_LIST_VIEW_CTRL_H_
