// Shared pieces of the macros editor's tests: a message box that records
// what it would have shown and answers as scripted, a window that hosts a
// grid on a real list view, a driver for a modal dialog of the test's own
// thread (the shared one), and readers of the grid's cells and selection.
#ifndef IME_T13N_MACROS_MACROS_TEST_HELPERS_H_
#define IME_T13N_MACROS_MACROS_TEST_HELPERS_H_

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ime/shared/base/control_subclass.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/testing/dialog_driver.h"
#include "ime/t13n/macros/extended_list_view_ctrl.h"
#include "ime/t13n/macros/macros_message_box.h"

namespace ime_t13n {
namespace testing_helpers {

// Records every box and answers with the scripted buttons in order (IDOK
// once the script is used up). |on_show| runs inside each box, as the user
// would act while it is open.
class RecordingMessageBox : public MacrosMessageBoxInterface {
 public:
  struct Shown {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
  };

  int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
           UINT type) override {
    shown.push_back(Shown{owner, text, caption, type});
    if (on_show) on_show(shown.back());
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  // The texts shown so far, in order.
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const Shown& box : shown) texts.push_back(box.text);
    return texts;
  }

  std::vector<Shown> shown;
  std::deque<int> answers;
  std::function<void(const Shown&)> on_show;
};

// The grid's columns as the editor sets them up.
inline void AddMacroColumns(HWND list) {
  const wchar_t* titles[] = {L"", L"Macro Text", L"Macro Target"};
  const int widths[] = {0, 180, 200};
  for (int index = 0; index < 3; ++index) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(titles[index]);
    column.cx = widths[index];
    column.iSubItem = index;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
  }
}

// A visible top-level window holding a report-view list control with label
// editing, the editor's columns and 20-pixel rows, taken over by a grid.
// The window reflects the list's notifications as the dialog does.
class GridHost : public ime_shared::base::WindowImpl<GridHost> {
 public:
  static constexpr int kListId = 1004;

  GridHost(const ListEditValidator* validator, MacrosMessageBoxInterface* box)
      : grid(validator, box) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const RECT frame = {40, 40, 520, 420};
    Create(nullptr, frame, L"Macro grid test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    list = ::CreateWindowExW(0, WC_LISTVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT |
                                 LVS_EDITLABELS,
                             8, 8, 440, 320, hwnd(), reinterpret_cast<HMENU>(kListId),
                             ::GetModuleHandleW(nullptr), nullptr);
    images = ::ImageList_Create(20, 20, ILC_COLOR32, 1, 1);
    ::SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    AddMacroColumns(list);
    grid.Subclass(list);
    ::ShowWindow(hwnd(), SW_SHOW);
    ::UpdateWindow(hwnd());
  }

  static ime_shared::base::WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneMacroGridTestHost", 0, IDC_ARROW,
            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
  }

  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    return ime_shared::base::ReflectNotifications(window, message, wparam, lparam, result);
  }

  ExtendedListViewCtrl grid;
  HWND list = nullptr;
  HIMAGELIST images = nullptr;
};

// Reading the grid back from the list view itself.
inline LPARAM ItemDataOf(HWND list, int row) {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.lParam;
}

inline std::wstring TextOf(HWND list, int row, int column) {
  wchar_t text[300] = {};
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 300;
  ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

inline int RowCountOf(HWND list) {
  return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

// Every row as its two cell texts.
inline std::vector<std::pair<std::wstring, std::wstring>> RowsOf(HWND list) {
  std::vector<std::pair<std::wstring, std::wstring>> rows;
  const int count = RowCountOf(list);
  for (int row = 0; row < count; ++row) {
    rows.emplace_back(TextOf(list, row, 1), TextOf(list, row, 2));
  }
  return rows;
}

// The selected cells as (row, column) pairs, from the rows' item data.
inline std::set<std::pair<int, int>> SelectedCellsOf(HWND list) {
  std::set<std::pair<int, int>> cells;
  const int count = RowCountOf(list);
  for (int row = 0; row < count; ++row) {
    const LPARAM data = ItemDataOf(list, row);
    for (int column = 0; column < 64; ++column) {
      if (data & (static_cast<LPARAM>(1) << column)) cells.insert({row, column});
    }
  }
  return cells;
}

inline RECT CellRectOf(HWND list, int row, int column) {
  RECT rect = {};
  rect.top = column;
  rect.left = LVIR_BOUNDS;
  ::SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
  rect.right = rect.left + static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
  return rect;
}

inline POINT CellCentre(HWND list, int row, int column) {
  const RECT rect = CellRectOf(list, row, column);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A left click at |point| of the list with the key flags |flags| (MK_*).
inline void ClickAt(HWND list, POINT point, WPARAM flags = 0) {
  ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | flags, MAKELPARAM(point.x, point.y));
  ::SendMessageW(list, WM_LBUTTONUP, flags, MAKELPARAM(point.x, point.y));
}

inline void ClickCell(HWND list, int row, int column, WPARAM flags = 0) {
  ClickAt(list, CellCentre(list, row, column), flags);
}

inline void KeyDown(HWND window, WPARAM key) {
  ::SendMessageW(window, WM_KEYDOWN, key, 1);
  ::SendMessageW(window, WM_KEYUP, key, 0xC0000001);
}

inline std::wstring WindowTextOf(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return text;
}

// Runs the messages waiting for this thread, so that posted work and
// painting happen.
inline void PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

using ime_testing::DialogDriver;

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_MACROS_MACROS_TEST_HELPERS_H_
