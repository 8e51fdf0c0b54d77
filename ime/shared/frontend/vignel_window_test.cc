#include "ime/shared/frontend/vignel_window.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/frontend_window_test_helpers.h"
#include "ime/shared/frontend/horizontal_window.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/vignel_test_files.h"
#include "ime/shared/testing/fake_settings.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/shared/url_launcher.h"
#include "ime/shared/web_address.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::BitmapFileBytes;
using testing_helpers::CorelessEngine;
using testing_helpers::CountingVignelEnvironment;
using testing_helpers::FakeContext;
using testing_helpers::FixedUserName;
using testing_helpers::PumpMessagesUntil;
using testing_helpers::RecordingShell;
using testing_helpers::ScreenPixel;
using testing_helpers::SendMouseThroughSetCursor;
using testing_helpers::WriteVignelIndex;
using testing_helpers::WriteVignelInfo;

constexpr uint64_t kNow = 1700000000;

// Vignel |id| with its description and, when |width| is not 0, its image.
void WriteVignel(const std::wstring& folder, uint32_t id, const std::string& display_name,
                 const std::string& search, int width = 0, int height = 0,
                 uint32_t rgb = 0) {
  WriteVignelInfo(folder, id, display_name, "badge.bmp", search);
  if (width > 0) {
    ASSERT_TRUE(
        ime_testing::WriteFileBytes(folder + L"\\" + std::to_wstring(id) + L"\\badge.bmp",
                                    BitmapFileBytes(width, height, 0xFF000000u | rgb)));
  }
}

// The generic engine without a core whose end of the composition drops it
// as the handler's cancel does, telling the context.
class ComposingEngine : public CorelessEngine {
 public:
  using CorelessEngine::CorelessEngine;
  void EndComposition(bool complete) override {
    ends.push_back(complete);
    if (complete) SetResult(GetComposition());
    SetComposition(nullptr);
    context()->Update(kUpdateCompositionAndResult | kUpdateCandidateList);
  }
  std::vector<bool> ends;
};

// The candidate window with its vignel over the test's files.
class VignelWindowTest : public ::testing::Test {
 protected:
  VignelWindowTest()
      : environment_(temp_.path() + L"user\\Vignels", temp_.path() + L"machine\\Vignels"),
        engine_(&context_, &settings_) {
    environment_.now = kNow;
  }

  void SetUp() override {
    settings_.SetInt(kSettingCaretTrack, 1);
    context_.caret_rect = RECT{300, 400, 302, 418};
    context_.flags[1] = true;
    context_.engine = &engine_;
    context_.on_update = [this](uint32_t flags) {
      if ((flags & 0x0F) != 0) window_->Show();
    };
    window_ = new HorizontalWindow(&settings_);
    ASSERT_TRUE(window_->Create(nullptr, nullptr));
    VignelSeams seams;
    seams.environment = &environment_;
    seams.user_name = &user_;
    seams.shell = &shell_;
    window_->SetVignelSeams(seams);
    window_->Attach(&context_, &engine_);
  }
  void TearDown() override {
    context_.on_update = nullptr;
    window_->Destroy();
  }

  void Type(const std::wstring& text) {
    engine_.Compose(text);
    window_->Show();
  }
  void ExpectCandidateWindowShown() {
    ASSERT_TRUE(window_->IsWindow());
    ASSERT_TRUE(::IsWindowVisible(window_->hwnd()));
  }
  // The vignel window exists, is layered and on screen.
  void ExpectVignelShown() {
    VignelWindow* vignel = window_->vignel_window();
    ASSERT_NE(vignel, nullptr);
    ASSERT_TRUE(vignel->IsWindow());
    wchar_t name[32] = {};
    ::GetClassNameW(vignel->hwnd(), name, 32);
    ASSERT_STREQ(name, L"IMEVIGNEL");
    ASSERT_TRUE(::IsWindowVisible(vignel->hwnd()));
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(vignel->hwnd(), GWL_EXSTYLE)) & 0x08080088u,
              0x08080088u);
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(vignel->hwnd(), GWL_STYLE)) & 0x88000000u,
              0x88000000u);
  }
  bool VignelVisible() {
    VignelWindow* vignel = window_->vignel_window();
    return vignel != nullptr && vignel->IsWindow() && ::IsWindowVisible(vignel->hwnd());
  }
  bool LogoVisible() { return window_->buttons()[HorizontalWindow::kLogoButton].visible; }
  // Clicks the vignel and waits for the page it opens.
  std::wstring ClickVignel() {
    const size_t before = shell_.addresses().size();
    SendMouseThroughSetCursor(window_->vignel_window()->hwnd(), WM_LBUTTONUP);
    PumpMessagesUntil([&] { return shell_.addresses().size() > before; });
    const std::vector<std::wstring> addresses = shell_.addresses();
    return addresses.size() > before ? addresses.back() : L"(nothing opened)";
  }

  ime_testing::TempDir temp_;
  ime_testing::FakeSettings settings_;
  CountingVignelEnvironment environment_;
  FakeContext context_;
  ComposingEngine engine_;
  FixedUserName user_{L"someone"};
  RecordingShell shell_;
  HorizontalWindow* window_ = nullptr;
};

TEST_F(VignelWindowTest, ScheduledVignelStandsOutOfTheCandidateWindowAndOpensItsSearch) {
  const std::wstring user = environment_.user_folder();
  WriteVignelIndex(user, {{7, kNow - 10, 100}});
  WriteVignel(user, 7, "Festival of lights", "diwali lamps", 150, 40, 0x20A040);

  Type(L"kam");
  ExpectCandidateWindowShown();
  ExpectVignelShown();
  VignelWindow* vignel = window_->vignel_window();
  EXPECT_FALSE(vignel->is_default());
  EXPECT_EQ(vignel->current_id(), 7);
  // The image's size, its left 120 pixels inside the candidate window's
  // right edge and its bottom 20 pixels below the window's top, in the
  // logo's place.
  RECT candidate = WindowsAPIWrapper::WindowRect(window_->hwnd());
  RECT picture = WindowsAPIWrapper::WindowRect(vignel->hwnd());
  EXPECT_EQ(picture.right - picture.left, 150);
  EXPECT_EQ(picture.bottom - picture.top, 40);
  EXPECT_EQ(picture.left, candidate.right - 120);
  EXPECT_EQ(picture.top, candidate.top - 40 + 20);
  EXPECT_FALSE(LogoVisible());
  // The screen shows the image above the candidate window and over its
  // corner.
  const COLORREF green = RGB(0x20, 0xA0, 0x40);
  PumpMessagesUntil([&] {
    return ScreenPixel(picture.left + 75, picture.bottom - 5) == green;
  }, 2000);
  EXPECT_EQ(ScreenPixel(picture.left + 75, picture.top + 5), green);
  EXPECT_EQ(ScreenPixel(picture.left + 75, picture.bottom - 5), green);

  // Near the top-right corner of the work area the whole image stays on it.
  const RECT work = WindowsAPIWrapper::WorkAreaNearest(POINT{300, 400});
  context_.caret_rect = RECT{work.right - 5, work.top, work.right - 3, work.top + 18};
  Type(L"kama");
  ExpectVignelShown();
  picture = WindowsAPIWrapper::WindowRect(vignel->hwnd());
  candidate = WindowsAPIWrapper::WindowRect(window_->hwnd());
  EXPECT_EQ(picture.right, work.right);
  EXPECT_GE(picture.top, work.top);
  EXPECT_EQ(picture.left, candidate.right - 120);
  EXPECT_EQ(picture.top, candidate.top - 20);

  // The tooltip names the vignel: one tool, the vignel window itself.
  HWND tooltip = vignel->tooltip_window();
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(::GetWindow(tooltip, GW_OWNER), vignel->hwnd());
  ASSERT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  wchar_t text[80] = {};
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.lpszText = text;
  ASSERT_TRUE(::SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(tool.hwnd, vignel->hwnd());
  EXPECT_EQ(tool.uId, reinterpret_cast<UINT_PTR>(vignel->hwnd()));
  EXPECT_NE(tool.uFlags & TTF_IDISHWND, 0u);
  EXPECT_STREQ(text, L"Festival of lights");

  // A click drops the typed text (no commit) and opens the search.
  EXPECT_EQ(ClickVignel(), BuildSearchUrl(L"diwali lamps"));
  EXPECT_EQ(engine_.ends, std::vector<bool>{false});
  EXPECT_EQ(engine_.GetResult(), L"");
  EXPECT_FALSE(::IsWindowVisible(window_->hwnd()));
  EXPECT_FALSE(VignelVisible());
}

TEST_F(VignelWindowTest, ScheduleDefaultAndSettingDecideWhatIsShown) {
  const std::wstring user = environment_.user_folder();
  // 7 until kNow + 100; then 8, whose image is missing; then 5, which has
  // no search text.
  WriteVignelIndex(user, {{7, kNow - 10, 110}, {8, kNow + 100, 100}, {5, kNow + 200, 100}});
  WriteVignel(user, 7, "Seven", "seven", 130, 30, 0x808000);
  WriteVignel(user, 8, "Eight", "eight");
  WriteVignel(user, 5, "", "", 121, 25, 0x0000C0);
  WriteVignel(user, 9, "Home", "not used", 140, 50, 0xC00000);
  settings_.SetInt(kSettingDefaultVignelId, 9);

  // The same vignel from one keystroke to the next reads its files once.
  Type(L"k");
  ExpectVignelShown();
  EXPECT_EQ(window_->vignel_window()->current_id(), 7);
  const int operations = environment_.FileOperations();
  Type(L"ka");
  Type(L"kam");
  ExpectVignelShown();
  EXPECT_EQ(environment_.FileOperations(), operations);

  // A scheduled vignel that cannot be shown gives way to the default one,
  // whose click opens the home page.
  environment_.now = kNow + 150;
  Type(L"kama");
  ExpectVignelShown();
  VignelWindow* vignel = window_->vignel_window();
  EXPECT_TRUE(vignel->is_default());
  EXPECT_EQ(vignel->current_id(), 9);
  EXPECT_EQ(vignel->image_size().cy, 50);
  EXPECT_EQ(WindowsAPIWrapper::WindowRect(vignel->hwnd()).top,
            WindowsAPIWrapper::WindowRect(window_->hwnd()).top - 30);
  EXPECT_EQ(ClickVignel(), GetHomeUrl());

  // A vignel without a search text searches for nothing; one without a
  // display name has an empty tooltip.
  environment_.now = kNow + 250;
  Type(L"t");
  ExpectVignelShown();
  EXPECT_EQ(window_->vignel_window()->current_id(), 5);
  EXPECT_EQ(window_->vignel_window()->display_name(), L"");
  EXPECT_EQ(ClickVignel(), BuildSearchUrl(L""));

  // Outside every period with no default vignel: nothing, and the logo.
  environment_.now = kNow + 1000;
  settings_.SetInt(kSettingDefaultVignelId, 0);
  Type(L"ti");
  ExpectCandidateWindowShown();
  EXPECT_FALSE(VignelVisible());
  EXPECT_TRUE(LogoVisible());
  EXPECT_FALSE(window_->vignel_window()->has_image());

  // "EnableVignel" off takes the vignel window down; on again, a new one
  // reads the schedule again.
  environment_.now = kNow;
  settings_.SetInt(kSettingEnableVignel, 0);
  Type(L"tim");
  EXPECT_EQ(window_->vignel_window(), nullptr);
  EXPECT_TRUE(LogoVisible());
  settings_.SetInt(kSettingEnableVignel, 1);
  Type(L"timi");
  ExpectVignelShown();
  EXPECT_EQ(window_->vignel_window()->current_id(), 7);
  EXPECT_FALSE(LogoVisible());
}

TEST_F(VignelWindowTest, AThousandKeystrokesTouchTheVignelFilesOnlyOnce) {
  // Nothing on disk (the usual case): one look for the schedule and one
  // attempt to copy the machine's, then nothing more.
  std::wstring word;
  for (int i = 0; i < 1000; ++i) {
    word = i % 12 == 0 ? L"k" : word + L"a";
    Type(word);
    if (i == 0) ExpectCandidateWindowShown();
  }
  EXPECT_EQ(environment_.FileOperations(), 2);
  EXPECT_FALSE(VignelVisible());
  EXPECT_TRUE(LogoVisible());

  // A scheduled vignel whose image is missing, read by a new vignel window:
  // its files are read once, not at every keystroke.
  const std::wstring user = environment_.user_folder();
  WriteVignelIndex(user, {{8, kNow - 10, 100000}});
  WriteVignel(user, 8, "Eight", "eight");
  settings_.SetInt(kSettingEnableVignel, 0);
  Type(L"k");
  settings_.SetInt(kSettingEnableVignel, 1);
  Type(L"ka");
  const int operations = environment_.FileOperations();
  EXPECT_GT(operations, 2);
  for (int i = 0; i < 1000; ++i) Type(i % 2 == 0 ? L"kam" : L"ka");
  EXPECT_EQ(environment_.FileOperations(), operations);
  EXPECT_FALSE(VignelVisible());
}

TEST_F(VignelWindowTest, TheDefaultStandingInForAFailedVignelIsReadOnce) {
  // Vignel 8 is scheduled but its image is missing; the default 9 shows in
  // its place.
  const std::wstring user = environment_.user_folder();
  WriteVignelIndex(user, {{8, kNow - 10, 100000}});
  WriteVignel(user, 8, "Eight", "eight");
  WriteVignel(user, 9, "Home", "not used", 140, 50, 0xC00000);
  settings_.SetInt(kSettingDefaultVignelId, 9);

  Type(L"k");
  ExpectVignelShown();
  VignelWindow* vignel = window_->vignel_window();
  EXPECT_TRUE(vignel->is_default());
  EXPECT_EQ(vignel->current_id(), 9);
  const HWND tooltip = vignel->tooltip_window();
  ASSERT_NE(tooltip, nullptr);
  const int operations = environment_.FileOperations();
  std::wstring word;
  for (int i = 0; i < 1000; ++i) {
    word = i % 12 == 0 ? L"k" : word + L"a";
    Type(word);
  }
  ExpectVignelShown();
  EXPECT_EQ(vignel->current_id(), 9);
  EXPECT_EQ(vignel->image_size().cy, 50);
  // No file was touched, no tooltip made again.
  EXPECT_EQ(environment_.FileOperations(), operations);
  EXPECT_EQ(environment_.InfoReads(9), 1);
  EXPECT_EQ(environment_.InfoReads(8), 1);
  EXPECT_EQ(vignel->tooltip_window(), tooltip);
  EXPECT_EQ(ClickVignel(), GetHomeUrl());

  // The default shown first, then the failing vignel's period begins: the
  // default stays as it is, its files are not read again.
  settings_.SetInt(kSettingEnableVignel, 0);
  Type(L"t");
  settings_.SetInt(kSettingEnableVignel, 1);
  WriteVignelIndex(user, {{8, kNow + 100, 100000}});
  const int info_reads = environment_.InfoReads(9);
  Type(L"ti");
  ExpectVignelShown();
  vignel = window_->vignel_window();
  EXPECT_EQ(vignel->current_id(), 9);
  EXPECT_EQ(environment_.InfoReads(9), info_reads + 1);
  const HWND shown_tooltip = vignel->tooltip_window();
  environment_.now = kNow + 150;
  for (int i = 0; i < 100; ++i) Type(i % 2 == 0 ? L"tim" : L"ti");
  ExpectVignelShown();
  EXPECT_EQ(vignel->current_id(), 9);
  EXPECT_TRUE(vignel->is_default());
  EXPECT_EQ(environment_.InfoReads(9), info_reads + 1);
  EXPECT_EQ(environment_.InfoReads(8), 2);
  EXPECT_EQ(vignel->tooltip_window(), shown_tooltip);

  // A vignel whose period ends while the next one and the default fail:
  // its picture goes, and the keystrokes after it touch no file.
  settings_.SetInt(kSettingEnableVignel, 0);
  Type(L"m");
  settings_.SetInt(kSettingEnableVignel, 1);
  WriteVignelIndex(user, {{9, kNow + 100, 100}, {8, kNow + 200, 100000}});
  settings_.SetInt(kSettingDefaultVignelId, 8);
  Type(L"ma");
  ExpectVignelShown();
  EXPECT_FALSE(window_->vignel_window()->is_default());
  environment_.now = kNow + 250;
  Type(L"mam");
  ExpectCandidateWindowShown();
  EXPECT_FALSE(VignelVisible());
  EXPECT_FALSE(window_->vignel_window()->has_image());
  EXPECT_TRUE(LogoVisible());
  const int failed_operations = environment_.FileOperations();
  for (int i = 0; i < 100; ++i) Type(i % 2 == 0 ? L"mama" : L"mam");
  EXPECT_EQ(environment_.FileOperations(), failed_operations);
  EXPECT_FALSE(VignelVisible());
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
