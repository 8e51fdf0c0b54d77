#include "ime/t13n/macros/macros_dialog.h"

#include <commctrl.h>

#include <vector>

#include "ime/shared/base/control_subclass.h"
#include "ime/shared/base/module_handle.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/macros/macros_message_box.h"
#include "ime/t13n/macros/macros_resources.h"

namespace ime_t13n {

const wchar_t kSingleInstanceMutexName[] = L"TarvelL\"Hindi\"InputManageMacrosSingleton";

const wchar_t kRemoveQuestion[] = L"Do you want to remove the selected entries?";
const wchar_t kTooManyMacrosNotice[] = L"Only the top 2000 valid entries will be saved!";
const wchar_t kSavedNotice[] = L"Macros Saved Successfully";
const wchar_t kSaveQuestion[] = L"Do you want to save the changes?";
const wchar_t kDiscardQuestion[] = L"Do you want to discard all the changes made?";
const wchar_t kSaveFailedNotice[] = L"The macros could not be saved.";
const wchar_t kUnreadableFileNotice[] =
    L"The saved macros could not be read. When you save, the old file is kept as "
    L"macros.0000.bad.";
const wchar_t kPlaceholderText[] = L"-";

namespace {

// The grid's columns: the hidden image column, then the two cells.
struct ColumnInfo {
  const wchar_t* title;
  int width;
};
constexpr ColumnInfo kColumns[] = {{L"", 0}, {L"Macro Text", 180}, {L"Macro Target", 200}};

constexpr int kImageSize = 20;

}  // namespace

MacrosPlaces MacrosPlaces::Product() {
  MacrosPlaces places;
  places.user_data_folder = ime_shared::GetProductDirectory(ime_shared::kUserDataDirectory);
  places.mutex_name = kMacrosMutexName;
  places.mutex_timeout_ms = 5000;
  places.settings = ime_shared::SettingsLocation::Product();
  return places;
}

MacrosDialog::MacrosDialog(const MacrosPlaces& places, MacrosMessageBoxInterface* message_box)
    : ModalDialog(IDD_MACROS),
      places_(places),
      file_(places.user_data_folder, places.mutex_name, places.mutex_timeout_ms),
      settings_(ime_shared::Settings::Create(places.settings)),
      message_box_(message_box),
      grid_(&validator_, message_box) {}

MacrosDialog::~MacrosDialog() = default;

bool MacrosDialog::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      // The focus was put on the dialog itself.
      result = FALSE;
      return true;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDCANCEL:
          // Esc, the close box and Alt+F4 come without a control.
          if (lparam != 0) break;
          OnClose();
          result = 0;
          return true;
        case IDC_ADD_MACRO:
          OnAdd();
          result = 0;
          return true;
        case IDC_REMOVE_MACROS:
          OnRemove();
          result = 0;
          return true;
        case IDC_SAVE_MACROS:
          SaveMacros();
          result = 0;
          return true;
        case IDC_DISCARD_MACROS:
          OnDiscard();
          result = 0;
          return true;
        default:
          break;
      }
      break;
    case kShowUnreadableNotice:
      if (!::IsWindowVisible(window)) ::ShowWindow(window, SW_SHOW);
      Ask(kUnreadableFileNotice, MB_OK | MB_ICONWARNING);
      result = 0;
      return true;
    default:
      break;
  }
  // The grid handles its own label-edit and drawing notifications.
  return ime_shared::base::ReflectNotifications(window, message, wparam, lparam, result);
}

void MacrosDialog::OnInitDialog() {
  title_ = ime_shared::LoadResourceString(IDS_MACROS_TITLE);
  ::SetWindowTextW(hwnd(), title_.c_str());
  Centre();
  SetUpGrid();
  LoadMacros();
  ::SetFocus(hwnd());
}

void MacrosDialog::Centre() {
  HWND owner = ::GetWindow(hwnd(), GW_OWNER);
  RECT area = {};
  if (owner == nullptr || !::IsWindowVisible(owner) || !::GetWindowRect(owner, &area)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT own = {};
  ::GetWindowRect(hwnd(), &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  int x = area.left + ((area.right - area.left) - width) / 2;
  int y = area.top + ((area.bottom - area.top) - height) / 2;
  // Over a small owner near an edge the dialog still stays on the screen.
  RECT work = {};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  ::SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MacrosDialog::SetUpGrid() {
  grid_.SubclassDialogItem(hwnd(), IDC_MACRO_LIST);
  HWND list = ::GetDlgItem(hwnd(), IDC_MACRO_LIST);
  if (list == nullptr) return;

  // The image gives the rows their height; the list view owns the list and
  // destroys it with itself.
  HIMAGELIST images = ::ImageList_Create(kImageSize, kImageSize, ILC_COLOR32, 1, 1);
  if (images != nullptr) {
    HBITMAP blank = static_cast<HBITMAP>(
        ::LoadImageW(ime_shared::base::CurrentModule(), MAKEINTRESOURCEW(IDB_BLANK_IMAGE),
                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (blank != nullptr) {
      ::ImageList_Add(images, blank, nullptr);
      ::DeleteObject(blank);
    }
    ::SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  }

  for (int index = 0; index < static_cast<int>(sizeof(kColumns) / sizeof(kColumns[0])); ++index) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(kColumns[index].title);
    column.cx = kColumns[index].width;
    column.iSubItem = index;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
  }
}

void MacrosDialog::LoadMacros() {
  std::vector<MacroRow> rows;
  const MacrosFile::ReadResult read = file_.Read(&rows);
  for (const MacroRow& row : rows) grid_.AppendRow(row.text, row.target);
  if (read == MacrosFile::ReadResult::kUnreadable) {
    ::PostMessageW(hwnd(), kShowUnreadableNotice, 0, 0);
  }
}

void MacrosDialog::OnAdd() {
  const int row = grid_.AppendRow(kPlaceholderText, kPlaceholderText);
  if (row >= 0) ::SendMessageW(grid_.hwnd(), LVM_ENSUREVISIBLE, row, FALSE);
}

void MacrosDialog::OnRemove() {
  if (Ask(kRemoveQuestion, MB_YESNO) != IDYES) return;
  grid_.RemoveSelectedRows();
}

bool MacrosDialog::SaveMacros() {
  grid_.EndEdit();
  std::vector<MacroRow> rows;
  const int count = grid_.RowCount();
  for (int row = 0; row < count; ++row) {
    MacroRow macro{grid_.CellText(Cell{row, MacrosValidator::kMacroTextColumn}),
                   grid_.CellText(Cell{row, MacrosValidator::kMacroTargetColumn})};
    // Rows still holding the placeholder as their macro text were never
    // filled in.
    if (macro.text.empty() || macro.target.empty() || macro.text[0] == kPlaceholderText[0]) {
      continue;
    }
    if (rows.size() == kMaxSavedMacros) {
      Ask(kTooManyMacrosNotice, MB_OK);
      break;
    }
    rows.push_back(macro);
  }

  if (!file_.Write(rows)) {
    Ask(kSaveFailedNotice, MB_OK | MB_ICONWARNING);
    return false;
  }
  // The mutex is released: the input method may read the file at once.
  if (settings_ != nullptr) {
    settings_->SetInt(ime_shared::kSettingT13nMacroFileChanged, 1);
  }
  grid_.set_changed(false);
  Ask(kSavedNotice, MB_OK);
  return true;
}

void MacrosDialog::OnClose() {
  // An edit still open counts as a change before the question.
  grid_.EndEdit();
  if (!grid_.changed()) {
    EndDialog(kClosed);
    return;
  }
  switch (Ask(kSaveQuestion, MB_YESNOCANCEL)) {
    case IDYES:
      // A failed save has said so; the dialog stays with the edits.
      if (SaveMacros()) EndDialog(kClosed);
      break;
    case IDNO:
      EndDialog(kClosed);
      break;
    default:
      break;
  }
}

void MacrosDialog::OnDiscard() {
  grid_.EndEdit();
  if (grid_.changed() && Ask(kDiscardQuestion, MB_YESNO) == IDNO) return;
  EndDialog(kDiscarded);
}

int MacrosDialog::Ask(const wchar_t* text, UINT type) {
  if (message_box_ == nullptr) return 0;
  return message_box_->Show(hwnd(), text, title_, type);
}

int RunMacrosDialog(const MacrosPlaces& places, const wchar_t* single_instance_name,
                    MacrosMessageBoxInterface* message_box) {
  const std::wstring title = ime_shared::LoadResourceString(IDS_MACROS_TITLE);
  // Held, owned by this process, until the editor ends.
  ime_shared::base::ScopedHandle instance(::CreateMutexW(nullptr, TRUE, single_instance_name));
  if (instance && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    instance.Reset();
    if (!title.empty()) {
      HWND first = ::FindWindowW(nullptr, title.c_str());
      if (::IsWindow(first)) ::SetForegroundWindow(first);
    }
    return 0;
  }
  // A mutex that cannot be made at all leaves this one the only instance.
  MacrosDialog dialog(places, message_box);
  dialog.DoModal(::GetActiveWindow());
  return 0;
}

}  // namespace ime_t13n
