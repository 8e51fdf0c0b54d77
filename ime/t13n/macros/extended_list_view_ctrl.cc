#include "ime/t13n/macros/extended_list_view_ctrl.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "ime/shared/base/gdi_objects.h"
#include "ime/t13n/macros/macros_message_box.h"
#include "ime/t13n/macros/macros_validator.h"

namespace ime_t13n {

const wchar_t ExtendedListViewCtrl::kMessageCaption[] = L"Manage Macros";

namespace {

using ime_shared::base::kReflectedMessageBase;

POINT PointOf(LPARAM lparam) {
  // Signed: a point left of or above the list (while the mouse is captured)
  // is negative.
  return POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
}

}  // namespace

ExtendedListViewCtrl::ExtendedListViewCtrl(const ListEditValidator* validator,
                                           MacrosMessageBoxInterface* message_box)
    : validator_(validator), message_box_(message_box) {}

ExtendedListViewCtrl::~ExtendedListViewCtrl() = default;

bool ExtendedListViewCtrl::ProcessWindowMessage(HWND window, UINT message,
                                                WPARAM wparam, LPARAM lparam,
                                                LRESULT& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
      result = 0;
      return OnLeftButtonDown(wparam, PointOf(lparam));
    case WM_MOUSEMOVE:
      result = 0;
      return OnMouseMove(PointOf(lparam));
    case WM_LBUTTONUP:
      dragging_ = false;
      if (::GetCapture() == window) ::ReleaseCapture();
      result = 0;
      return true;
    case WM_CAPTURECHANGED:
      // Losing the mouse (another window took it) ends a drag too.
      dragging_ = false;
      return false;
    case WM_LBUTTONDBLCLK:
      EditCurrentCell();
      result = 0;
      return true;
    case WM_GETDLGCODE:
      // TAB moves between cells instead of between the dialog's controls.
      result = DLGC_WANTTAB;
      return true;
    case WM_KEYDOWN:
      result = 0;
      return OnKeyDown(wparam);
    case WM_NOTIFY:
      return lparam != 0 && OnHeaderNotify(reinterpret_cast<const NMHDR*>(lparam), result);
    case WM_PAINT:
      // The list view paints first; the grid lines go over it.
      result = DefWindowProc(message, wparam, lparam);
      {
        ime_shared::base::ScopedWindowDC dc(window);
        DrawGridLines(dc.Get());
      }
      return true;
    case WM_PRINTCLIENT:
      result = DefWindowProc(message, wparam, lparam);
      DrawGridLines(reinterpret_cast<HDC>(wparam));
      return true;
    case kReflectedMessageBase + WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header == nullptr) return false;
      switch (header->code) {
        case NM_CUSTOMDRAW:
          result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lparam));
          return true;
        case LVN_BEGINLABELEDITW:
          result = OnBeginLabelEdit(reinterpret_cast<const NMLVDISPINFOW*>(lparam));
          return true;
        case LVN_ENDLABELEDITW:
          result = OnEndLabelEdit(reinterpret_cast<const NMLVDISPINFOW*>(lparam));
          return true;
        default:
          return false;
      }
    }
    default:
      return false;
  }
}

// --- Cells ------------------------------------------------------------------

int ExtendedListViewCtrl::RowCount() const {
  if (hwnd() == nullptr) return 0;
  return static_cast<int>(::SendMessageW(hwnd(), LVM_GETITEMCOUNT, 0, 0));
}

int ExtendedListViewCtrl::ColumnCount() const {
  if (hwnd() == nullptr) return 0;
  HWND header = reinterpret_cast<HWND>(::SendMessageW(hwnd(), LVM_GETHEADER, 0, 0));
  if (header == nullptr) return 0;
  return static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

bool ExtendedListViewCtrl::IsCell(Cell cell) const {
  return cell.row >= 0 && cell.row < RowCount() && cell.column >= 1 &&
         cell.column < ColumnCount() && cell.column < 32;
}

LPARAM ExtendedListViewCtrl::ItemData(int row) const {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!::SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

void ExtendedListViewCtrl::SetItemData(int row, LPARAM data) {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = data;
  ::SendMessageW(hwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

bool ExtendedListViewCtrl::IsCellSelected(Cell cell) const {
  if (!IsCell(cell)) return false;
  return (ItemData(cell.row) & (static_cast<LPARAM>(1) << cell.column)) != 0;
}

RECT ExtendedListViewCtrl::CellRect(Cell cell) const {
  RECT rect = {};
  rect.top = cell.column;
  rect.left = LVIR_BOUNDS;
  if (!::SendMessageW(hwnd(), LVM_GETSUBITEMRECT, cell.row, reinterpret_cast<LPARAM>(&rect))) {
    return RECT{};
  }
  const int width = static_cast<int>(::SendMessageW(hwnd(), LVM_GETCOLUMNWIDTH, cell.column, 0));
  rect.right = rect.left + width;
  return rect;
}

void ExtendedListViewCtrl::RepaintCell(Cell cell) {
  const RECT rect = CellRect(cell);
  ::RedrawWindow(hwnd(), &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void ExtendedListViewCtrl::RepaintRow(int row) {
  const int columns = ColumnCount();
  for (int column = 1; column < columns; ++column) RepaintCell(Cell{row, column});
}

void ExtendedListViewCtrl::SelectCell(Cell cell) {
  if (!IsCell(cell)) return;
  selected_rows_.insert(cell.row);
  SetItemData(cell.row, ItemData(cell.row) | (static_cast<LPARAM>(1) << cell.column));
  RepaintCell(cell);
}

void ExtendedListViewCtrl::MarkRange(Cell a, Cell b, bool selected) {
  if (!IsCell(a) || !IsCell(b)) return;
  const int first_row = std::min(a.row, b.row);
  const int last_row = std::max(a.row, b.row);
  const int first_column = std::min(a.column, b.column);
  const int last_column = std::max(a.column, b.column);
  for (int row = first_row; row <= last_row; ++row) {
    for (int column = first_column; column <= last_column; ++column) {
      if (selected) {
        SelectCell(Cell{row, column});
      } else {
        SetItemData(row, ItemData(row) & ~(static_cast<LPARAM>(1) << column));
        RepaintCell(Cell{row, column});
      }
    }
  }
}

void ExtendedListViewCtrl::SelectRange(Cell a, Cell b) { MarkRange(a, b, true); }

void ExtendedListViewCtrl::DeselectRange(Cell a, Cell b) { MarkRange(a, b, false); }

void ExtendedListViewCtrl::ClearSelection() {
  const int rows = RowCount();
  for (int row : selected_rows_) {
    if (row < 0 || row >= rows) continue;
    SetItemData(row, 0);
    RepaintRow(row);
  }
  selected_rows_.clear();
}

void ExtendedListViewCtrl::VisibleRows(int* first, int* end) const {
  const int top = static_cast<int>(::SendMessageW(hwnd(), LVM_GETTOPINDEX, 0, 0));
  const int per_page = static_cast<int>(::SendMessageW(hwnd(), LVM_GETCOUNTPERPAGE, 0, 0));
  *first = std::max(top, 0);
  *end = std::min(RowCount(), *first + per_page + 1);
}

Cell ExtendedListViewCtrl::HitTestCell(POINT point) const {
  if (hwnd() == nullptr) return Cell::None();
  int first = 0;
  int end = 0;
  VisibleRows(&first, &end);
  const int columns = ColumnCount();
  for (int row = first; row < end; ++row) {
    for (int column = 1; column < columns; ++column) {
      const RECT rect = CellRect(Cell{row, column});
      if (point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
          point.y < rect.bottom) {
        return Cell{row, column};
      }
    }
  }
  return Cell::None();
}

int ExtendedListViewCtrl::AppendRow(const std::wstring& text, const std::wstring& target) {
  if (hwnd() == nullptr) return -1;
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = RowCount();
  item.pszText = const_cast<wchar_t*>(L"");
  item.iImage = 0;
  item.lParam = 0;
  const int row =
      static_cast<int>(::SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return -1;
  SetCellText(Cell{row, 1}, text);
  SetCellText(Cell{row, 2}, target);
  return row;
}

std::wstring ExtendedListViewCtrl::CellText(Cell cell) const {
  if (hwnd() == nullptr) return std::wstring();
  wchar_t text[kCellTextUnits] = {};
  LVITEMW item = {};
  item.iSubItem = cell.column;
  item.pszText = text;
  item.cchTextMax = kCellTextUnits;
  ::SendMessageW(hwnd(), LVM_GETITEMTEXTW, cell.row, reinterpret_cast<LPARAM>(&item));
  text[kCellTextUnits - 1] = L'\0';
  return text;
}

void ExtendedListViewCtrl::SetCellText(Cell cell, const std::wstring& text) {
  if (hwnd() == nullptr) return;
  LVITEMW item = {};
  item.iSubItem = cell.column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(hwnd(), LVM_SETITEMTEXTW, cell.row, reinterpret_cast<LPARAM>(&item));
}

void ExtendedListViewCtrl::ResetCells() {
  anchor_ = Cell::None();
  current_ = Cell::None();
  last_drag_ = Cell::None();
  anchor_set_ = false;
  selected_rows_.clear();
}

int ExtendedListViewCtrl::RemoveSelectedRows() {
  int removed = 0;
  for (int row = RowCount() - 1; row >= 0; --row) {
    if (ItemData(row) == 0) continue;
    if (::SendMessageW(hwnd(), LVM_DELETEITEM, row, 0)) {
      ++removed;
      changed_ = true;
    }
  }
  // The rows below each deleted one moved up: every remembered cell may
  // now name another row, or none.
  ResetCells();
  return removed;
}

// --- Mouse and keys ---------------------------------------------------------

bool ExtendedListViewCtrl::OnLeftButtonDown(WPARAM flags, POINT point) {
  ::SetFocus(hwnd());
  dragging_ = true;
  ::SetCapture(hwnd());

  const Cell old = current_;
  current_ = HitTestCell(point);
  last_drag_ = current_;
  const bool control = (flags & MK_CONTROL) != 0;
  const bool shift = (flags & MK_SHIFT) != 0;

  if (control) SelectCell(current_);
  if (shift) {
    if (anchor_set_) {
      DeselectRange(anchor_, old);
      SelectRange(anchor_, current_);
    } else if (old.row == -1) {
      SelectCell(current_);
    } else {
      SelectRange(old, current_);
      anchor_ = old;
      anchor_set_ = true;
    }
    return true;  // the anchor stays for the next Shift-click
  }
  if (!control) {
    ClearSelection();
    SelectCell(current_);
  }
  anchor_set_ = false;
  return true;
}

bool ExtendedListViewCtrl::OnMouseMove(POINT point) {
  if (!dragging_) return false;
  const Cell cell = HitTestCell(point);
  if (IsCell(cell) && cell != last_drag_) {
    DeselectRange(current_, last_drag_);
    SelectRange(current_, cell);
    last_drag_ = cell;
  }
  return true;
}

bool ExtendedListViewCtrl::OnKeyDown(WPARAM key) {
  switch (key) {
    case VK_TAB:
      // With or without Shift: one cell to the right, then the next row,
      // then the first row again.
      if (IsCell(current_)) {
        ++current_.column;
        if (current_.column >= ColumnCount()) {
          current_.column = 1;
          ++current_.row;
          if (current_.row >= RowCount()) current_.row = 0;
        }
        ClearSelection();
        SelectCell(current_);
        ::SendMessageW(hwnd(), LVM_ENSUREVISIBLE, current_.row, FALSE);
      }
      break;
    case VK_F2:
      EditCurrentCell();
      break;
    default:
      // The list view's own navigation would move its row selection, which
      // the grid does not use.
      break;
  }
  return true;
}

bool ExtendedListViewCtrl::OnHeaderNotify(const NMHDR* header, LRESULT& result) {
  HWND own_header = reinterpret_cast<HWND>(::SendMessageW(hwnd(), LVM_GETHEADER, 0, 0));
  if (header->hwndFrom != own_header) return false;
  if (header->code != HDN_BEGINTRACKW && header->code != HDN_DIVIDERDBLCLICKW) return false;
  // The hidden column keeps its zero width: neither a drag of its divider
  // nor a double click on it (which would fit it to its content) reaches
  // the list view.
  if (reinterpret_cast<const NMHEADERW*>(header)->iItem != 0) return false;
  result = TRUE;
  return true;
}

bool ExtendedListViewCtrl::EditCurrentCell() {
  edit_cell_ = current_;
  if (!IsCell(edit_cell_)) return false;
  ::SetFocus(hwnd());
  return ::SendMessageW(hwnd(), LVM_EDITLABELW, edit_cell_.row, 0) != 0;
}

void ExtendedListViewCtrl::EndEdit() {
  if (!editing_ || hwnd() == nullptr) return;
  // Not LVM_CANCELEDITLABEL: some list views store the text with it, others
  // drop it. Losing the focus ends the edit the way a click elsewhere does.
  ::SetFocus(hwnd());
}

// --- Notifications ----------------------------------------------------------

LRESULT ExtendedListViewCtrl::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      const int column = draw->iSubItem;
      const bool selected = column >= 1 && column < 32 &&
                            (ItemData(row) & (static_cast<LPARAM>(1) << column)) != 0;
      draw->clrTextBk = selected ? kSelectedCellColor : kCellColor;
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

LRESULT ExtendedListViewCtrl::OnBeginLabelEdit(const NMLVDISPINFOW* info) {
  // Only edits the grid started go ahead: the cell must still be there.
  if (editing_ || !IsCell(edit_cell_) || info->item.iItem != edit_cell_.row) return TRUE;
  HWND box = reinterpret_cast<HWND>(::SendMessageW(hwnd(), LVM_GETEDITCONTROL, 0, 0));
  if (box == nullptr) return TRUE;
  RECT rect = {};
  rect.top = edit_cell_.column;
  rect.left = LVIR_BOUNDS;
  ::SendMessageW(hwnd(), LVM_GETSUBITEMRECT, edit_cell_.row, reinterpret_cast<LPARAM>(&rect));

  saved_text_ = CellText(edit_cell_);
  // The old text would show beside or under the box.
  SetCellText(edit_cell_, L"");

  edit_position_ = POINT{rect.left, rect.top};
  // The previous box is gone; its list view may have taken its procedure
  // back without telling.
  edit_.Unsubclass();
  edit_.set_position(edit_position_);
  edit_.Subclass(box);
  ::SetWindowTextW(box, saved_text_.c_str());
  editing_ = true;
  return FALSE;
}

LRESULT ExtendedListViewCtrl::OnEndLabelEdit(const NMLVDISPINFOW* info) {
  if (!editing_) return FALSE;
  editing_ = false;
  const Cell cell = edit_cell_;
  if (!IsCell(cell)) return FALSE;

  // A cancelled edit comes with no text, whatever the length field says
  // (an emptied box may come the same way).
  if (info->item.pszText == nullptr) {
    SetCellText(cell, saved_text_);
    return FALSE;
  }
  const std::wstring text = info->item.pszText;
  std::wstring message;
  const int verdict = validator_ != nullptr
                          ? validator_->Validate(cell.row, cell.column, saved_text_, text, &message)
                          : ListEditValidator::kNotChecked;
  if (verdict == ListEditValidator::kValid) {
    SetCellText(cell, text);
    changed_ = true;
  } else {
    SetCellText(cell, saved_text_);
    if (verdict == ListEditValidator::kInvalid && message_box_ != nullptr) {
      message_box_->Show(::GetParent(hwnd()), message, kMessageCaption, MB_OK);
    }
  }
  // The list view itself stores nothing: column 0 keeps its empty text.
  return FALSE;
}

void ExtendedListViewCtrl::DrawGridLines(HDC dc) const {
  if (dc == nullptr) return;
  ime_shared::base::ScopedPen pen(::CreatePen(PS_SOLID, 1, kGridLineColor));
  ime_shared::base::ScopedSelectObject pen_selection(dc, pen.Get());
  ime_shared::base::ScopedSelectObject brush_selection(dc, ::GetStockObject(HOLLOW_BRUSH));
  int first = 0;
  int end = 0;
  VisibleRows(&first, &end);
  const int columns = ColumnCount();
  for (int row = first; row < end; ++row) {
    for (int column = 1; column < columns; ++column) {
      const RECT rect = CellRect(Cell{row, column});
      ::Rectangle(dc, rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    }
  }
}

}  // namespace ime_t13n
