// The editor's dialog in-process, on places of the test's own (a folder,
// the macros mutex, a settings section and keys), driven from a timer of
// its own message loop. Message boxes go to a recording double; the input
// method's side and the holder of the mutex (the storage manager tests'
// second process) are real second processes.
#include "ime/t13n/macros/macros_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/settings.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/macros/macros_resources.h"
#include "ime/t13n/macros/macros_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::base::ScopedHandle;
using ime_testing::ChildProcess;
using ime_testing::ReadFileBytes;
using ime_testing::ScratchRegistryKey;
using ime_testing::TempDir;
using ime_testing::UniqueName;
using ime_testing::WriteFileBytes;
using testing_helpers::CellRectOf;
using testing_helpers::ClickCell;
using testing_helpers::DialogDriver;
using testing_helpers::KeyDown;
using testing_helpers::RecordingMessageBox;
using testing_helpers::RowsOf;
using testing_helpers::SelectedCellsOf;
using testing_helpers::TextOf;
using testing_helpers::WindowTextOf;
using List = std::vector<std::wstring>;
using Rows = std::vector<std::pair<std::wstring, std::wstring>>;

const std::wstring kNamaste = L"\x0928\x092E\x0938\x094D\x0924\x0947";
const std::wstring kDhanyavaad = L"\x0927\x0928\x094D\x092F\x0935\x093E\x0926";
const std::wstring kKya = L"\x0915\x094D\x092F\x093E";
constexpr UINT kWarning = MB_OK | MB_ICONWARNING;

class MacrosDialogTest : public ::testing::Test {
 protected:
  MacrosDialogTest()
      : user_key_(HKEY_CURRENT_USER, L"MacrosUser"),
        legacy_key_(HKEY_CURRENT_USER, L"MacrosLegacy", KEY_WOW64_32KEY) {
    places_.user_data_folder = temp_.path() + L"user data";
    places_.mutex_name = UniqueName(L"MacrosDialogTest");
    places_.mutex_timeout_ms = 300;
    places_.settings = {UniqueName(L"MacrosSettings"), user_key_.path(), legacy_key_.path()};
    // Held for the whole test, so that the dialog's store opens the same
    // shared record and the test reads what the dialog wrote there.
    observer_ = ime_shared::Settings::Create(places_.settings);
  }

  // Runs the dialog; |act| runs once it is shown, with the list view. A
  // dialog the act left open is then closed without questions (with
  // |close_after_act| false: ten seconds later), ending with -2.
  INT_PTR Run(const std::function<void(MacrosDialog&, HWND dialog, HWND list)>& act,
              bool close_after_act = true) {
    MacrosDialog dialog(places_, &box_);
    bool acted = false;
    UINT_PTR fallback = 0;
    static MacrosDialog* running = nullptr;
    running = &dialog;
    DialogDriver driver([&](HWND window) {
      acted = true;
      // First of all the dialog must be there and on the screen.
      EXPECT_TRUE(::IsWindow(window));
      EXPECT_TRUE(::IsWindowVisible(window));
      EXPECT_EQ(window, dialog.hwnd());
      act(dialog, window, ::GetDlgItem(window, IDC_MACRO_LIST));
      if (!::IsWindowVisible(window)) return;
      if (close_after_act) {
        dialog.EndDialog(-2);
      } else {
        fallback = ::SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) {
          if (running != nullptr) running->EndDialog(-2);
        });
      }
    });
    const INT_PTR result = dialog.DoModal(nullptr);
    if (fallback != 0) ::KillTimer(nullptr, fallback);
    running = nullptr;
    EXPECT_TRUE(acted);
    return result;
  }

  std::wstring FilePath() const { return places_.user_data_folder + L"\\macros.0000"; }
  std::wstring KeptPath() const { return places_.user_data_folder + L"\\macros.0000.bad"; }

  void Plant(const List& entries) {
    ::CreateDirectoryW(places_.user_data_folder.c_str(), nullptr);
    ASSERT_TRUE(ime_shared::WriteStringList(FilePath(), ime_shared::MakeStringListHeader(),
                                            entries));
  }
  void PlantBytes(const std::string& bytes) {
    ::CreateDirectoryW(places_.user_data_folder.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(FilePath(), bytes));
  }
  List Stored() const {
    ime_shared::MutexHolder mutex(::CreateMutexW(nullptr, FALSE, nullptr));
    List entries;
    EXPECT_TRUE(ime_shared::ReadStringList(FilePath(), &mutex, 1000, &entries,
                                           ime_shared::kStringListMaxFileSize));
    return entries;
  }
  std::string StoredBytes() const {
    std::string bytes;
    ReadFileBytes(FilePath(), &bytes);
    return bytes;
  }
  uint32_t FileChangedSetting() const {
    return observer_->GetInt(ime_shared::kSettingT13nMacroFileChanged);
  }

  TempDir temp_;
  ScratchRegistryKey user_key_;
  ScratchRegistryKey legacy_key_;
  MacrosPlaces places_;
  std::unique_ptr<ime_shared::Settings> observer_;
  RecordingMessageBox box_;
};

// The user's way of editing a cell: select it, F2, type, Enter.
void EditCell(HWND list, int row, int column, const std::wstring& text, bool enter = true) {
  ClickCell(list, row, column);
  KeyDown(list, VK_F2);
  HWND box = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(box, nullptr);
  ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (enter) KeyDown(box, VK_RETURN);
}

void Press(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Esc, the close box and Alt+F4 all come to the dialog as this command.
void CloseCommand(HWND dialog) { ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }

// Where the dialog manager puts a control of the template: its position and
// its size are each converted from dialog units.
RECT DialogUnits(HWND dialog, int left, int top, int width, int height) {
  RECT position = {left, top, 0, 0};
  ::MapDialogRect(dialog, &position);
  RECT size = {0, 0, width, height};
  ::MapDialogRect(dialog, &size);
  return RECT{position.left, position.top, position.left + size.right,
              position.top + size.bottom};
}

RECT ChildRect(HWND dialog, int id) {
  RECT rect = {};
  HWND child = ::GetDlgItem(dialog, id);
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

::testing::AssertionResult SameRect(const RECT& a, const RECT& b) {
  if (a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "(" << a.left << "," << a.top << ")-(" << a.right << "," << a.bottom << ") is not ("
         << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
}

TEST_F(MacrosDialogTest, OpensAsTabledWithItsTitleButtonsAndColumns) {
  Plant({L"nm " + kNamaste});
  const INT_PTR result = Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EXPECT_EQ(WindowTextOf(window), L"Manage Macros");
    EXPECT_EQ(dialog.title(), L"Manage Macros");
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    RECT client = {};
    ::GetClientRect(window, &client);
    EXPECT_TRUE(SameRect(client, DialogUnits(window, 0, 0, 337, 204)));

    // The list and the buttons where the template puts them.
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(SameRect(ChildRect(window, IDC_MACRO_LIST), DialogUnits(window, 7, 7, 257, 190)));
    const LONG_PTR list_style = ::GetWindowLongPtrW(list, GWL_STYLE);
    EXPECT_EQ(list_style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(list_style & LVS_EDITLABELS);
    // The dialog manager may draw the border as a sunken edge instead.
    EXPECT_TRUE((list_style & WS_BORDER) ||
                (::GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    struct Button {
      int id;
      const wchar_t* text;
      int top;
    };
    for (const Button& button : {Button{IDC_ADD_MACRO, L"Add", 7},
                                 Button{IDC_REMOVE_MACROS, L"Remove", 25},
                                 Button{IDC_DISCARD_MACROS, L"Discard", 160},
                                 Button{IDC_SAVE_MACROS, L"Save", 181}}) {
      EXPECT_EQ(WindowTextOf(::GetDlgItem(window, button.id)), button.text);
      EXPECT_TRUE(SameRect(ChildRect(window, button.id),
                           DialogUnits(window, 279, button.top, 50, 16)))
          << button.id;
    }
    const LRESULT default_id = ::SendMessageW(window, DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(default_id), DC_HASDEFID);
    EXPECT_EQ(LOWORD(default_id), IDC_ADD_MACRO);

    // Columns: the hidden image column, then the two cells.
    const wchar_t* titles[] = {L"", L"Macro Text", L"Macro Target"};
    const int widths[] = {0, 180, 200};
    for (int index = 0; index < 3; ++index) {
      wchar_t text[64] = {};
      LVCOLUMNW column = {};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = text;
      column.cchTextMax = 64;
      ASSERT_TRUE(::SendMessageW(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
      EXPECT_EQ(std::wstring(text), titles[index]);
      EXPECT_EQ(column.cx, widths[index]);
    }
    // The 20 x 20 image of every row.
    HIMAGELIST images =
        reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    int width = 0;
    int height = 0;
    ::ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 20);
    EXPECT_EQ(height, 20);
    EXPECT_EQ(::ImageList_GetImageCount(images), 1);
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 0;
    ASSERT_TRUE(::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, 0);
    EXPECT_EQ(TextOf(list, 0, 0), L"");
    EXPECT_EQ(RowsOf(list), (Rows{{L"nm", kNamaste}}));
    // The grid took the list over.
    EXPECT_EQ(dialog.grid().hwnd(), list);

    // Unchanged, Esc (as the close command) ends it at once.
    CloseCommand(window);
    EXPECT_FALSE(::IsWindowVisible(window));
  });
  EXPECT_EQ(result, MacrosDialog::kClosed);
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(MacrosDialogTest, LoadsEntriesOfTwoWordsAndSkipsTheOthers) {
  Plant({L"one", L"ty  \x0927", L"three words here", L"gm \x0938", L"  ok   \x0915  ",
         L"caf\x00E9 x"});
  Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EXPECT_EQ(RowsOf(list),
              (Rows{{L"ty", L"\x0927"}, {L"gm", L"\x0938"}, {L"ok", L"\x0915"}, {L"caf\x00E9", L"x"}}));
    EXPECT_FALSE(dialog.grid().changed());
    CloseCommand(window);
  });
  // A file that read is no news.
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_FALSE(::GetFileAttributesW(KeptPath().c_str()) != INVALID_FILE_ATTRIBUTES);
}

TEST_F(MacrosDialogTest, SaveWritesFilledRowsAndTellsTheInputMethod) {
  Plant({L"ty \x0927"});
  ASSERT_EQ(FileChangedSetting(), 0u);
  const INT_PTR result = Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    Press(window, IDC_ADD_MACRO);
    Press(window, IDC_ADD_MACRO);
    Press(window, IDC_ADD_MACRO);
    EXPECT_EQ(RowsOf(list), (Rows{{L"ty", L"\x0927"}, {L"-", L"-"}, {L"-", L"-"}, {L"-", L"-"}}));
    // Adding is no change.
    EXPECT_FALSE(dialog.grid().changed());
    // Row 1 gets a macro text and keeps the placeholder target; row 2 gets
    // a target only; row 3 stays as added.
    EditCell(list, 1, 1, L"nm");
    EditCell(list, 2, 2, kNamaste);
    EXPECT_TRUE(dialog.grid().changed());
    Press(window, IDC_SAVE_MACROS);
    // Still open after a save.
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_FALSE(dialog.grid().changed());
    // Unchanged again: closing asks nothing.
    CloseCommand(window);
  });
  EXPECT_EQ(result, MacrosDialog::kClosed);
  EXPECT_EQ(Stored(), (List{L"ty \x0927", L"nm -"}));
  EXPECT_EQ(FileChangedSetting(), 1u);
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_EQ(box_.shown[0].text, L"Macros Saved Successfully");
  EXPECT_EQ(box_.shown[0].caption, L"Manage Macros");
  EXPECT_EQ(box_.shown[0].type, static_cast<UINT>(MB_OK));
  EXPECT_NE(box_.shown[0].owner, nullptr);
}

TEST_F(MacrosDialogTest, OnlyTheFirst2000FilledRowsAreSavedWithOneNotice) {
  List planted;
  for (int i = 0; i < 1999; ++i) planted.push_back(L"m" + std::to_wstring(i) + L" x");
  Plant(planted);
  Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EXPECT_EQ(dialog.grid().RowCount(), 1999);
    // Two more filled rows, with a placeholder row between them that does
    // not count.
    Press(window, IDC_ADD_MACRO);
    EditCell(list, 1999, 1, L"last1");
    Press(window, IDC_ADD_MACRO);
    Press(window, IDC_ADD_MACRO);
    EditCell(list, 2001, 1, L"last2");
    Press(window, IDC_SAVE_MACROS);
    CloseCommand(window);
  });
  EXPECT_EQ(box_.Texts(), (List{L"Only the top 2000 valid entries will be saved!",
                                L"Macros Saved Successfully"}));
  EXPECT_EQ(box_.shown[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(box_.shown[0].caption, L"Manage Macros");
  List expected = planted;
  expected.push_back(L"last1 -");
  EXPECT_EQ(Stored(), expected);
}

TEST_F(MacrosDialogTest, CloseAsksOnlyAboutChangesAndFollowsTheAnswer) {
  Plant({L"ty \x0927"});
  // Cancel keeps the dialog, No closes without saving.
  box_.answers = {IDCANCEL, IDNO};
  INT_PTR result = Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EditCell(list, 0, 2, kKya);
    CloseCommand(window);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_TRUE(dialog.grid().changed());
    CloseCommand(window);
    EXPECT_FALSE(::IsWindowVisible(window));
  });
  EXPECT_EQ(result, MacrosDialog::kClosed);
  EXPECT_EQ(box_.Texts(), (List{L"Do you want to save the changes?",
                                L"Do you want to save the changes?"}));
  EXPECT_EQ(box_.shown[0].type, static_cast<UINT>(MB_YESNOCANCEL));
  EXPECT_EQ(box_.shown[0].caption, L"Manage Macros");
  EXPECT_EQ(Stored(), (List{L"ty \x0927"}));
  EXPECT_EQ(FileChangedSetting(), 0u);

  // Yes saves, then closes.
  box_.shown.clear();
  box_.answers = {IDYES};
  result = Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EditCell(list, 0, 2, kKya);
    CloseCommand(window);
    EXPECT_FALSE(::IsWindowVisible(window));
  });
  EXPECT_EQ(result, MacrosDialog::kClosed);
  EXPECT_EQ(box_.Texts(),
            (List{L"Do you want to save the changes?", L"Macros Saved Successfully"}));
  EXPECT_EQ(Stored(), (List{L"ty " + kKya}));
  EXPECT_EQ(FileChangedSetting(), 1u);
}

TEST_F(MacrosDialogTest, EscapeTypedIntoTheDialogClosesAnUnchangedGrid) {
  const INT_PTR result = Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    // Through the dialog's own loop, as the keyboard delivers it.
    ::PostMessageW(::GetFocus() != nullptr ? ::GetFocus() : window, WM_KEYDOWN, VK_ESCAPE, 1);
  }, /*close_after_act=*/false);
  EXPECT_EQ(result, MacrosDialog::kClosed);
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(MacrosDialogTest, DiscardAsksOnlyAboutChangesAndNeverSaves) {
  Plant({L"ty \x0927"});
  INT_PTR result = Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    Press(window, IDC_DISCARD_MACROS);
    EXPECT_FALSE(::IsWindowVisible(window));
  });
  EXPECT_EQ(result, MacrosDialog::kDiscarded);
  EXPECT_TRUE(box_.shown.empty());

  box_.answers = {IDNO, IDYES};
  result = Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EditCell(list, 0, 1, L"tya");
    Press(window, IDC_DISCARD_MACROS);
    EXPECT_TRUE(::IsWindowVisible(window));
    Press(window, IDC_DISCARD_MACROS);
    EXPECT_FALSE(::IsWindowVisible(window));
  });
  EXPECT_EQ(result, MacrosDialog::kDiscarded);
  EXPECT_EQ(box_.Texts(), (List{L"Do you want to discard all the changes made?",
                                L"Do you want to discard all the changes made?"}));
  EXPECT_EQ(box_.shown[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(Stored(), (List{L"ty \x0927"}));
  EXPECT_EQ(FileChangedSetting(), 0u);
}

TEST_F(MacrosDialogTest, RemoveDeletesEveryRowWithASelectedCellAfterYes) {
  Plant({L"a0 x", L"a1 x", L"a2 x", L"a3 x", L"a4 x"});
  box_.answers = {IDNO, IDYES, IDYES};
  Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    ClickCell(list, 1, 2);
    ClickCell(list, 3, 1, MK_CONTROL);
    ClickCell(list, 4, 2, MK_CONTROL);
    Press(window, IDC_REMOVE_MACROS);
    EXPECT_EQ(dialog.grid().RowCount(), 5);
    EXPECT_FALSE(dialog.grid().changed());
    Press(window, IDC_REMOVE_MACROS);
    EXPECT_EQ(RowsOf(list), (Rows{{L"a0", L"x"}, {L"a2", L"x"}}));
    EXPECT_TRUE(dialog.grid().changed());
    EXPECT_TRUE(SelectedCellsOf(list).empty());
    // Nothing is left of the old cells: TAB has none to move from.
    EXPECT_EQ(dialog.grid().current_cell(), Cell::None());
    KeyDown(list, VK_TAB);
    EXPECT_TRUE(SelectedCellsOf(list).empty());
    // The removal is a change that closing offers to save.
    CloseCommand(window);
  });
  EXPECT_EQ(box_.Texts(), (List{L"Do you want to remove the selected entries?",
                                L"Do you want to remove the selected entries?",
                                L"Do you want to save the changes?",
                                L"Macros Saved Successfully"}));
  EXPECT_EQ(box_.shown[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(Stored(), (List{L"a0 x", L"a2 x"}));
}

TEST_F(MacrosDialogTest, SaveWhileAnotherProcessHoldsTheMutexFailsAloudAndKeepsTheEdits) {
  Plant({L"ty \x0927"});
  const std::wstring acquired_name = UniqueName(L"MacrosAcquired");
  const std::wstring release_name = UniqueName(L"MacrosRelease");
  ScopedHandle acquired(::CreateEventW(nullptr, TRUE, FALSE, acquired_name.c_str()));
  ScopedHandle release(::CreateEventW(nullptr, TRUE, FALSE, release_name.c_str()));
  ChildProcess holder;

  // The first Close's save fails: the dialog stays; the second, after the
  // mutex came free, saves and closes.
  box_.answers = {IDOK, IDYES, IDOK, IDYES};
  const INT_PTR result = Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EditCell(list, 0, 2, kNamaste);
    ASSERT_TRUE(holder.Start(L"storage_manager_test_child",
                             L"hold \"" + places_.mutex_name + L"\" " + acquired_name + L" " +
                                 release_name));
    ASSERT_EQ(::WaitForSingleObject(acquired.Get(), 30000), WAIT_OBJECT_0);

    Press(window, IDC_SAVE_MACROS);
    EXPECT_TRUE(dialog.grid().changed());
    CloseCommand(window);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_TRUE(dialog.grid().changed());
    EXPECT_EQ(FileChangedSetting(), 0u);
    EXPECT_EQ(Stored(), (List{L"ty \x0927"}));

    ::SetEvent(release.Get());
    EXPECT_EQ(holder.Wait(30000), 0);
    CloseCommand(window);
    EXPECT_FALSE(::IsWindowVisible(window));
  });
  EXPECT_EQ(result, MacrosDialog::kClosed);
  EXPECT_EQ(box_.Texts(), (List{L"The macros could not be saved.",
                                L"Do you want to save the changes?",
                                L"The macros could not be saved.",
                                L"Do you want to save the changes?",
                                L"Macros Saved Successfully"}));
  EXPECT_EQ(box_.shown[0].type, kWarning);
  EXPECT_EQ(box_.shown[0].caption, L"Manage Macros");
  EXPECT_EQ(Stored(), (List{L"ty " + kNamaste}));
  EXPECT_EQ(FileChangedSetting(), 1u);
}

TEST_F(MacrosDialogTest, FailedWriteKeepsTheMarkTheFileAndTheSetting) {
  Plant({L"ty \x0927"});
  const std::string before = StoredBytes();
  ASSERT_TRUE(::SetFileAttributesW(FilePath().c_str(), FILE_ATTRIBUTE_READONLY));
  box_.answers = {IDOK, IDYES, IDOK};
  Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EditCell(list, 0, 1, L"tya");
    Press(window, IDC_SAVE_MACROS);
    EXPECT_TRUE(dialog.grid().changed());
    CloseCommand(window);
    EXPECT_TRUE(::IsWindowVisible(window));
  });
  ::SetFileAttributesW(FilePath().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(box_.Texts(), (List{L"The macros could not be saved.",
                                L"Do you want to save the changes?",
                                L"The macros could not be saved."}));
  EXPECT_EQ(box_.shown[0].type, kWarning);
  EXPECT_EQ(StoredBytes(), before);
  EXPECT_EQ(FileChangedSetting(), 0u);
}

TEST_F(MacrosDialogTest, UnreadableFileIsReportedAndKeptByteForByteBeforeTheFirstSave) {
  struct Damage {
    const char* what;
    std::string bytes;
  };
  std::string too_large(1000001, 'x');
  for (const Damage& damage : {Damage{"damaged", "not a list of strings at all"},
                               Damage{"too large", too_large}}) {
    SCOPED_TRACE(damage.what);
    box_.shown.clear();
    ::DeleteFileW(KeptPath().c_str());
    PlantBytes(damage.bytes);
    Run([&](MacrosDialog& dialog, HWND window, HWND list) {
      // Reported over the shown dialog, with an empty grid.
      ASSERT_EQ(box_.shown.size(), 1u);
      EXPECT_EQ(box_.shown[0].owner, window);
      EXPECT_EQ(dialog.grid().RowCount(), 0);
      Press(window, IDC_ADD_MACRO);
      EditCell(list, 0, 1, L"nm");
      EditCell(list, 0, 2, kNamaste);
      Press(window, IDC_SAVE_MACROS);
      CloseCommand(window);
    });
    ASSERT_GE(box_.shown.size(), 2u);
    EXPECT_EQ(box_.shown[0].text,
              L"The saved macros could not be read. When you save, the old file is kept as "
              L"macros.0000.bad.");
    EXPECT_EQ(box_.shown[0].type, kWarning);
    EXPECT_EQ(box_.shown[0].caption, L"Manage Macros");
    EXPECT_EQ(box_.shown[1].text, L"Macros Saved Successfully");
    std::string kept;
    ASSERT_TRUE(ReadFileBytes(KeptPath(), &kept));
    EXPECT_TRUE(kept == damage.bytes);
    EXPECT_EQ(Stored(), (List{L"nm " + kNamaste}));
  }

  // A missing file is no news.
  box_.shown.clear();
  ::DeleteFileW(FilePath().c_str());
  Run([&](MacrosDialog& dialog, HWND window, HWND list) { CloseCommand(window); });
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(MacrosDialogTest, FileLockedByAnotherProcessAtOpeningIsKeptAsideAtTheSave) {
  Plant({L"ty \x0927"});
  const std::string before = StoredBytes();
  const std::wstring acquired_name = UniqueName(L"MacrosAcquired");
  const std::wstring release_name = UniqueName(L"MacrosRelease");
  ScopedHandle acquired(::CreateEventW(nullptr, TRUE, FALSE, acquired_name.c_str()));
  ScopedHandle release(::CreateEventW(nullptr, TRUE, FALSE, release_name.c_str()));
  ChildProcess holder;
  ASSERT_TRUE(holder.Start(L"storage_manager_test_child",
                           L"hold \"" + places_.mutex_name + L"\" " + acquired_name + L" " +
                               release_name));
  ASSERT_EQ(::WaitForSingleObject(acquired.Get(), 30000), WAIT_OBJECT_0);
  Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EXPECT_EQ(dialog.grid().RowCount(), 0);
    ASSERT_EQ(box_.shown.size(), 1u);
    ::SetEvent(release.Get());
    EXPECT_EQ(holder.Wait(30000), 0);
    Press(window, IDC_ADD_MACRO);
    EditCell(list, 0, 1, L"ky");
    EditCell(list, 0, 2, kKya);
    Press(window, IDC_SAVE_MACROS);
    CloseCommand(window);
  });
  EXPECT_EQ(box_.Texts(),
            (List{L"The saved macros could not be read. When you save, the old file is kept as "
                  L"macros.0000.bad.",
                  L"Macros Saved Successfully"}));
  std::string kept;
  ASSERT_TRUE(ReadFileBytes(KeptPath(), &kept));
  EXPECT_TRUE(kept == before);
  EXPECT_EQ(Stored(), (List{L"ky " + kKya}));
}

TEST_F(MacrosDialogTest, RowsTheInputMethodWouldStopAtAreWrittenLast) {
  Plant({L"caf\x00E9 x", L"nm " + kNamaste, L"\x0915 y", L"ky " + kKya});
  Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EXPECT_EQ(dialog.grid().RowCount(), 4);
    Press(window, IDC_SAVE_MACROS);
    CloseCommand(window);
  });
  EXPECT_EQ(Stored(), (List{L"nm " + kNamaste, L"ky " + kKya, L"caf\x00E9 x", L"\x0915 y"}));
}

TEST_F(MacrosDialogTest, CloseBoxAndDiscardDuringAnEditCountTheEdit) {
  Plant({L"ty \x0927"});
  // The close box: the open edit is stored and counts as a change.
  box_.answers = {IDYES};
  std::wstring cell_when_asked;
  box_.on_show = [&](const RecordingMessageBox::Shown& shown) {
    if (cell_when_asked.empty()) {
      cell_when_asked = TextOf(::GetDlgItem(shown.owner, IDC_MACRO_LIST), 0, 2);
    }
  };
  INT_PTR result = Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EditCell(list, 0, 2, kDhanyavaad, /*enter=*/false);
    ASSERT_TRUE(dialog.grid().editing());
    ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    // The close box's command comes through the dialog's loop.
    testing_helpers::PumpMessages();
    EXPECT_FALSE(dialog.grid().editing());
  });
  EXPECT_EQ(result, MacrosDialog::kClosed);
  EXPECT_EQ(cell_when_asked, kDhanyavaad);
  EXPECT_EQ(box_.Texts(),
            (List{L"Do you want to save the changes?", L"Macros Saved Successfully"}));
  EXPECT_EQ(Stored(), (List{L"ty " + kDhanyavaad}));

  // Discard with an edit open: the edit counts, so Discard asks; No keeps
  // the dialog with the edited text.
  box_.shown.clear();
  box_.on_show = nullptr;
  box_.answers = {IDNO};
  Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EditCell(list, 0, 1, L"abc", /*enter=*/false);
    ::SendMessageW(window, WM_COMMAND, IDC_DISCARD_MACROS, 0);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_FALSE(dialog.grid().editing());
    EXPECT_EQ(TextOf(list, 0, 1), L"abc");
  });
  EXPECT_EQ(box_.Texts(), (List{L"Do you want to discard all the changes made?"}));
  EXPECT_EQ(Stored(), (List{L"ty " + kDhanyavaad}));
}

TEST_F(MacrosDialogTest, InputMethodProcessReloadsTheSavedMacrosAndResetsTheSetting) {
  ScratchRegistryKey data_key(HKEY_LOCAL_MACHINE, L"MacrosData", KEY_WOW64_64KEY);
  const std::wstring data_folder = temp_.path() + L"data";
  ASSERT_TRUE(::CreateDirectoryW(data_folder.c_str(), nullptr));
  ASSERT_EQ(data_key.SetString(L"DataPath", data_folder), ERROR_SUCCESS);
  Plant({L"old \x0915"});

  Run([&](MacrosDialog& dialog, HWND window, HWND list) {
    EditCell(list, 0, 1, L"namaste");
    EditCell(list, 0, 2, kNamaste);
    Press(window, IDC_ADD_MACRO);
    EditCell(list, 1, 1, L"dhanyavaad");
    EditCell(list, 1, 2, kDhanyavaad);
    Press(window, IDC_ADD_MACRO);
    EditCell(list, 2, 1, L"kya");
    EditCell(list, 2, 2, kKya);
    Press(window, IDC_SAVE_MACROS);
    CloseCommand(window);
  });
  ASSERT_EQ(FileChangedSetting(), 1u);

  const std::wstring language = UniqueName(L"macroslang");
  std::string output;
  const std::wstring arguments =
      L"imitate \"" + data_key.path() + L"\" \"" + data_folder + L"\" \"" +
      places_.user_data_folder + L"\" \"" + places_.mutex_name + L"\" \"" +
      places_.settings.section_name + L"\" \"" + places_.settings.user_key_path + L"\" \"" +
      places_.settings.legacy_key_path + L"\" " + language + L" namaste dhanyavaad kya old";
  ASSERT_EQ(ime_testing::RunChild(L"macros_test_child", arguments, &output, 60000), 0) << output;
  EXPECT_EQ(output,
            "namaste 0928 092E 0938 094D 0924 0947\r\n"
            "dhanyavaad 0927 0928 094D 092F 0935 093E 0926\r\n"
            "kya 0915 094D 092F 093E\r\n"
            "old\r\n");
  EXPECT_EQ(FileChangedSetting(), 0u);
}

TEST_F(MacrosDialogTest, SecondInstanceOnlyBringsTheFirstForward) {
  const std::wstring instance_name = UniqueName(L"MacrosSingleton");
  // The first instance's mutex, and a window with the editor's title.
  ScopedHandle first(::CreateMutexW(nullptr, TRUE, instance_name.c_str()));
  ASSERT_TRUE(first);
  testing_helpers::GridHost other(nullptr, nullptr);
  ::SetWindowTextW(other.hwnd(), L"Manage Macros");
  EXPECT_EQ(RunMacrosDialog(places_, instance_name.c_str(), &box_), 0);
  EXPECT_TRUE(box_.shown.empty());
  // It returned without a dialog (one would have waited for the user).
  bool dialog_seen = false;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM seen) {
        wchar_t class_name[16] = {};
        ::GetClassNameW(window, class_name, 16);
        if (std::wstring(class_name) == L"#32770") *reinterpret_cast<bool*>(seen) = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&dialog_seen));
  EXPECT_FALSE(dialog_seen);
}

}  // namespace
}  // namespace ime_t13n
