// Scenarios of the real Dorimond.exe on the product's own places, of keys
// typed for real into the editor's dialog, and of the screenshot, in a Wine
// prefix and on a display of their own (ctest starts this program through
// scripts/with_wine.sh): the product's per-user macros file and settings,
// the single-instance mutex and the keyboard focus belong to these cases
// alone.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/settings.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/macros/macros_dialog.h"
#include "ime/t13n/macros/macros_message_box.h"
#include "ime/t13n/macros/macros_resources.h"
#include "ime/t13n/macros/macros_test_helpers.h"
#include "ime/t13n/macros/remote_list_view.h"

namespace ime_t13n {
namespace {

using ime_testing::ChildProcess;
using testing_helpers::RecordingMessageBox;
using testing_helpers::RemoteListView;
using List = std::vector<std::wstring>;
using Rows = std::vector<std::pair<std::wstring, std::wstring>>;

const wchar_t kTitle[] = L"Manage Macros";
const std::wstring kNamaste = L"\x0928\x092E\x0938\x094D\x0924\x0947";
const std::wstring kKya = L"\x0915\x094D\x092F\x093E";

std::wstring ProductMacrosPath() {
  return ime_shared::PathJoin(ime_shared::GetProductDirectory(ime_shared::kUserDataDirectory),
                              L"macros.0000");
}

void PlantProductMacros(const List& entries) {
  const std::wstring folder = ime_shared::GetProductDirectory(ime_shared::kUserDataDirectory);
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(ime_shared::CreateFolderTree(folder));
  ASSERT_TRUE(ime_shared::WriteStringList(ProductMacrosPath(), ime_shared::MakeStringListHeader(),
                                          entries));
}

List StoredProductMacros() {
  ime_shared::MutexHolder mutex(::CreateMutexW(nullptr, FALSE, nullptr));
  List entries;
  EXPECT_TRUE(ime_shared::ReadStringList(ProductMacrosPath(), &mutex, 1000, &entries,
                                         ime_shared::kStringListMaxFileSize));
  return entries;
}

struct WindowSearch {
  DWORD process_id;         // 0: any process
  const wchar_t* title;     // null: any title
  HWND except;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  if (window == search->except || !::IsWindowVisible(window)) return TRUE;
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(window, &process_id);
  if (search->process_id != 0 && process_id != search->process_id) return TRUE;
  if (search->title != nullptr &&
      testing_helpers::WindowTextOf(window) != search->title) {
    return TRUE;
  }
  search->found.push_back(window);
  return TRUE;
}

// The visible top-level windows titled |title| (of |process_id| when not 0).
std::vector<HWND> WindowsTitled(const wchar_t* title, DWORD process_id = 0,
                                HWND except = nullptr) {
  WindowSearch search{process_id, title, except, {}};
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls |condition| every 50 ms for up to |timeout_ms|.
bool WaitFor(const std::function<bool()>& condition, DWORD timeout_ms = 30000) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    if (condition()) return true;
    ::Sleep(50);
  }
  return condition();
}

BOOL CALLBACK FindStaticText(HWND child, LPARAM context) {
  auto* search = reinterpret_cast<std::pair<std::wstring, bool>*>(context);
  if (testing_helpers::WindowTextOf(child) == search->first) {
    search->second = true;
    return FALSE;
  }
  return TRUE;
}

bool HoldsText(HWND window, const std::wstring& text) {
  std::pair<std::wstring, bool> search(text, false);
  ::EnumChildWindows(window, &FindStaticText, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// A window of this process to put in front, so that bringing the editor
// forward is seen.
class ForegroundWindow : public ime_shared::base::WindowImpl<ForegroundWindow> {
 public:
  static ime_shared::base::WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneDorimondTestFront", 0, IDC_ARROW, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)};
  }
  bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

TEST(DorimondProgramTest, ShowsThePlantedMacrosSavesThemAndStaysOneInstance) {
  PlantProductMacros({L"nm  " + kNamaste, L"one", L"ky " + kKya});

  ChildProcess editor;
  ASSERT_TRUE(editor.Start(L"Dorimond", L""));
  const DWORD editor_id = ::GetProcessId(editor.handle());
  ASSERT_TRUE(WaitFor([&] { return WindowsTitled(kTitle, editor_id).size() == 1; }));
  const HWND dialog = WindowsTitled(kTitle, editor_id)[0];
  ASSERT_TRUE(::IsWindowVisible(dialog));
  EXPECT_EQ(WindowsTitled(kTitle).size(), 1u);

  const HWND list = ::GetDlgItem(dialog, IDC_MACRO_LIST);
  RemoteListView remote(list);
  ASSERT_TRUE(remote.ok());
  EXPECT_EQ(remote.Rows(), (Rows{{L"nm", kNamaste}, {L"ky", kKya}}));

  // "Add", then "Save": the placeholder row is not written, the planted
  // rows are written back one space apart, and the editor says so in a
  // real message box over the dialog.
  ::SendMessageW(::GetDlgItem(dialog, IDC_ADD_MACRO), BM_CLICK, 0, 0);
  EXPECT_EQ(remote.RowCount(), 3);
  EXPECT_EQ(remote.Text(2, 1), L"-");
  ::PostMessageW(::GetDlgItem(dialog, IDC_SAVE_MACROS), BM_CLICK, 0, 0);
  HWND notice = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<HWND> boxes = WindowsTitled(kTitle, editor_id, dialog);
    notice = boxes.empty() ? nullptr : boxes[0];
    return notice != nullptr && HoldsText(notice, L"Macros Saved Successfully");
  }));
  EXPECT_EQ(::GetWindow(notice, GW_OWNER), dialog);
  EXPECT_EQ(StoredProductMacros(), (List{L"nm " + kNamaste, L"ky " + kKya}));
  {
    // The product's shared settings record, which the editor still holds.
    std::unique_ptr<ime_shared::Settings> settings =
        ime_shared::Settings::Create(ime_shared::SettingsLocation::Product());
    EXPECT_TRUE(settings->IsShared());
    EXPECT_EQ(settings->GetInt(ime_shared::kSettingT13nMacroFileChanged), 1u);
    settings->SetInt(ime_shared::kSettingT13nMacroFileChanged, 0);
  }
  ::PostMessageW(notice, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(notice); }));

  // Something else in front; a second start brings the editor forward and
  // ends at once.
  ForegroundWindow front;
  const RECT frame = {10, 10, 300, 200};
  ASSERT_NE(front.Create(nullptr, frame, L"In front", WS_OVERLAPPEDWINDOW | WS_VISIBLE), nullptr);
  ::SetForegroundWindow(front.hwnd());
  testing_helpers::PumpMessages();
  EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == front.hwnd(); }, 5000));

  ChildProcess second;
  ASSERT_TRUE(second.Start(L"Dorimond", L""));
  EXPECT_EQ(second.Wait(5000), 0);
  EXPECT_EQ(WindowsTitled(kTitle), (std::vector<HWND>{dialog}));
  EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == dialog; }, 5000));

  // Closing the unchanged editor ends the program with 0.
  ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(editor.Wait(30000), 0);
  EXPECT_TRUE(WindowsTitled(kTitle).empty());
}

// Runs |steps| one after the other on |dialog| from a timer of the
// dialog's own loop (and of the loops of the message boxes it opens): a
// step that answers false is tried again at the next tick (every 50 ms),
// for at most five seconds. A step that does not finish fails the test and
// ends the dialog, after closing the boxes still open over it.
class SteppedDriver {
 public:
  using Step = std::function<bool(HWND)>;
  SteppedDriver(const MacrosDialog* dialog, std::vector<Step> steps)
      : dialog_(dialog), steps_(std::move(steps)) {
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, 50, &SteppedDriver::OnTimer);
  }
  ~SteppedDriver() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  size_t done() const { return next_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    SteppedDriver* self = current_;
    if (self == nullptr || self->running_ || self->next_ >= self->steps_.size()) return;
    HWND dialog = self->dialog_->hwnd();
    if (dialog == nullptr || !::IsWindowVisible(dialog)) return;
    self->running_ = true;
    const bool finished = self->steps_[self->next_](dialog);
    self->running_ = false;
    if (finished) {
      ++self->next_;
      self->ticks_ = 0;
    } else if (++self->ticks_ > 100) {
      ADD_FAILURE() << "step " << self->next_ << " did not finish";
      for (HWND box : WindowsTitled(kTitle, ::GetCurrentProcessId(), dialog)) {
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      ::EndDialog(dialog, -3);
      self->next_ = self->steps_.size();
    }
  }

  static inline SteppedDriver* current_ = nullptr;
  const MacrosDialog* dialog_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int ticks_ = 0;
  bool running_ = false;
  UINT_PTR timer_ = 0;
};

void Type(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT down = {};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    INPUT up = down;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(down);
    inputs.push_back(up);
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The editor's dialog in this process, on places of the case's own (a
// folder, the macros mutex, a settings section and keys).
class DorimondDialogLoopTest : public ::testing::Test {
 protected:
  DorimondDialogLoopTest()
      : user_key_(HKEY_CURRENT_USER, L"DorimondLoop"),
        legacy_key_(HKEY_CURRENT_USER, L"DorimondLoopLegacy", KEY_WOW64_32KEY) {
    places_.user_data_folder = temp_.path() + L"user";
    places_.mutex_name = ime_testing::UniqueName(L"DorimondLoop");
    places_.settings = {ime_testing::UniqueName(L"DorimondLoop"), user_key_.path(),
                        legacy_key_.path()};
  }

  // Writes |entries| as the macros file of the case's places.
  void Plant(const List& entries) {
    ASSERT_TRUE(ime_shared::CreateFolderTree(places_.user_data_folder));
    ASSERT_TRUE(ime_shared::WriteStringList(places_.user_data_folder + L"\\macros.0000",
                                            ime_shared::MakeStringListHeader(), entries));
  }

  ime_testing::TempDir temp_;
  ime_testing::ScratchRegistryKey user_key_;
  ime_testing::ScratchRegistryKey legacy_key_;
  MacrosPlaces places_;
};

TEST_F(DorimondDialogLoopTest, EnterEndsAnEditWithoutAddingAndEscapeCancelsWithoutClosing) {
  ASSERT_NO_FATAL_FAILURE(Plant({L"ty \x0927", L"gm \x0938"}));
  RecordingMessageBox box;
  MacrosDialog dialog(places_, &box);

  auto list_of = [](HWND window) { return ::GetDlgItem(window, IDC_MACRO_LIST); };
  auto start_edit = [&](HWND window, int row, int column) {
    EXPECT_TRUE(::IsWindowVisible(window));
    ::SetForegroundWindow(window);
    testing_helpers::ClickCell(list_of(window), row, column);
    testing_helpers::KeyDown(list_of(window), VK_F2);
    EXPECT_TRUE(dialog.grid().editing());
    EXPECT_EQ(::GetFocus(), dialog.grid().edit_box());
  };
  SteppedDriver driver(&dialog, {
      // The edit box has the old text selected: typing replaces it.
      [&](HWND window) {
        start_edit(window, 0, 1);
        Type({'K', 'Y', 'A', VK_RETURN});
        return true;
      },
      [&](HWND window) { return !dialog.grid().editing(); },
      [&](HWND window) {
        EXPECT_EQ(testing_helpers::TextOf(list_of(window), 0, 1), L"kya");
        // Enter went to the edit box, not to the default button "Add".
        EXPECT_EQ(dialog.grid().RowCount(), 2);
        EXPECT_TRUE(dialog.grid().changed());
        start_edit(window, 1, 2);
        Type({'X', 'Y', VK_ESCAPE});
        return true;
      },
      [&](HWND window) { return !dialog.grid().editing(); },
      [&](HWND window) {
        EXPECT_EQ(testing_helpers::TextOf(list_of(window), 1, 2), L"\x0938");
        // Esc cancelled the edit and did not close the dialog.
        EXPECT_TRUE(::IsWindowVisible(window));
        EXPECT_TRUE(box.shown.empty());
        dialog.EndDialog(7);
        return true;
      },
  });
  EXPECT_EQ(dialog.DoModal(nullptr), 7);
  EXPECT_EQ(driver.done(), 5u);
}

// The system's message box, counted.
class CountingSystemBox : public MacrosMessageBoxInterface {
 public:
  int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
           UINT type) override {
    texts.push_back(text);
    return SystemMacrosMessageBox()->Show(owner, text, caption, type);
  }
  List texts;
};

TEST_F(DorimondDialogLoopTest, RealMessageBoxOfAnInvalidEditEndsTheEditOnce) {
  ASSERT_NO_FATAL_FAILURE(Plant({L"ty \x0927"}));
  CountingSystemBox box;
  MacrosDialog dialog(places_, &box);
  HWND list = nullptr;
  HWND notice = nullptr;
  SteppedDriver driver(&dialog, {
      [&](HWND window) {
        list = ::GetDlgItem(window, IDC_MACRO_LIST);
        EXPECT_TRUE(::IsWindowVisible(window));
        testing_helpers::ClickCell(list, 0, 1);
        testing_helpers::KeyDown(list, VK_F2);
        ::SendMessageW(dialog.grid().edit_box(), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"not valid"));
        // Posted: the box then runs its own loop, not inside this step.
        ::PostMessageW(dialog.grid().edit_box(), WM_KEYDOWN, VK_RETURN, 1);
        return true;
      },
      [&](HWND window) {
        const std::vector<HWND> boxes =
            WindowsTitled(kTitle, ::GetCurrentProcessId(), window);
        if (boxes.empty()) return false;
        notice = boxes[0];
        EXPECT_TRUE(HoldsText(notice, L"Only alpha-numeric characters allowed as macro-text"));
        ::PostMessageW(notice, WM_COMMAND, IDOK, 0);
        return true;
      },
      [&](HWND window) { return !::IsWindow(notice) && !dialog.grid().editing(); },
      [&](HWND window) {
        EXPECT_EQ(testing_helpers::TextOf(list, 0, 1), L"ty");
        EXPECT_FALSE(dialog.grid().changed());
        EXPECT_EQ(::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0), 0);
        // The grid still edits.
        testing_helpers::KeyDown(list, VK_F2);
        EXPECT_TRUE(dialog.grid().editing());
        ::SendMessageW(dialog.grid().edit_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"tya"));
        testing_helpers::KeyDown(dialog.grid().edit_box(), VK_RETURN);
        EXPECT_EQ(testing_helpers::TextOf(list, 0, 1), L"tya");
        dialog.EndDialog(8);
        return true;
      },
  });
  EXPECT_EQ(dialog.DoModal(nullptr), 8);
  EXPECT_EQ(driver.done(), 4u);
  EXPECT_EQ(box.texts, (List{L"Only alpha-numeric characters allowed as macro-text"}));
}

#ifdef KELVANE_SCREENSHOT_PATH
TEST(DorimondScreenshotTest, PictureOfTheEditorIsWritten) {
  std::wstring path = L"" KELVANE_SCREENSHOT_PATH;
  for (wchar_t& unit : path) {
    if (unit == L'/') unit = L'\\';
  }
  const std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
  ASSERT_TRUE(ime_shared::CreateFolderTree(folder) ||
              ::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES);
  ::DeleteFileW(path.c_str());
  std::string output;
  ASSERT_EQ(ime_testing::RunChild(L"dorimond_screenshot", L"\"" + path + L"\"", &output, 60000),
            0);
  std::string bytes;
  ASSERT_TRUE(ime_testing::ReadFileBytes(path, &bytes));
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}
#endif

}  // namespace
}  // namespace ime_t13n
