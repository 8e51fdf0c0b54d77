#include "ime/shared/frontend/vignel_window.h"

#include <windows.h>
#include <commctrl.h>

#include <mutex>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/frontend_test_helpers.h"
#include "ime/shared/frontend/horizontal_window.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/vignel_info.pb.h"
#include "ime/shared/testing/fake_settings.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/shared/url_launcher.h"
#include "ime/shared/web_address.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::FakeContext;
using testing_helpers::PumpMessagesUntil;
using testing_helpers::SendMouseThroughSetCursor;
using testing_helpers::TestComposition;

constexpr uint64_t kNow = 1700000000;

// The vignel files of the test's folders and its clock, counting every file
// operation the store asks for.
class TestEnvironment : public VignelEnvironment {
 public:
  explicit TestEnvironment(const std::wstring& root)
      : user_folder_(root + L"user\\Vignels"), machine_folder_(root + L"machine\\Vignels") {}
  std::wstring UserFolder() override { return user_folder_; }
  std::wstring MachineFolder() override { return machine_folder_; }
  uint64_t Now() override { return now; }
  bool FileExists(const std::wstring& path) override {
    ++operations;
    return VignelEnvironment::FileExists(path);
  }
  bool CopyFolder(const std::wstring& from, const std::wstring& to) override {
    ++operations;
    return VignelEnvironment::CopyFolder(from, to);
  }
  bool ReadFile(const std::wstring& path, std::string* bytes) override {
    ++operations;
    return VignelEnvironment::ReadFile(path, bytes);
  }

  const std::wstring& user_folder() const { return user_folder_; }
  uint64_t now = kNow;
  int operations = 0;

 private:
  std::wstring user_folder_;
  std::wstring machine_folder_;
};

struct Item {
  uint32_t id;
  uint64_t start_time;
  uint64_t duration;
};

void WriteIndex(const std::wstring& folder, const std::vector<Item>& items) {
  ime_vignel::VignelIndex index;
  index.set_last_modified_time(1);
  index.set_base_url("http://vignels.example/");
  for (const Item& item : items) {
    auto* entry = index.add_vignelitem();
    entry->set_id(item.id);
    entry->set_start_time(item.start_time);
    entry->set_duration(item.duration);
    entry->set_checksum("0");
  }
  ASSERT_TRUE(CreateFolderTree(folder));
  ASSERT_TRUE(ime_testing::WriteFileBytes(folder + L"\\index.pb", index.SerializeAsString()));
}

// An opaque 32-bit bitmap file of one colour (0xRRGGBB).
std::string ImageBytes(int width, int height, uint32_t rgb) {
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  const DWORD pixel_bytes = static_cast<DWORD>(width * height * 4);
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + pixel_bytes;
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  const char pixel[4] = {static_cast<char>(rgb & 255), static_cast<char>((rgb >> 8) & 255),
                         static_cast<char>((rgb >> 16) & 255), static_cast<char>(255)};
  for (int i = 0; i < width * height; ++i) bytes.append(pixel, 4);
  return bytes;
}

// Vignel |id| with its description and, when |width| is not 0, its image.
void WriteVignel(const std::wstring& folder, uint32_t id, const std::string& display_name,
                 const std::string& search, int width = 0, int height = 0,
                 uint32_t rgb = 0) {
  const std::wstring vignel_folder = folder + L"\\" + std::to_wstring(id);
  ASSERT_TRUE(CreateFolderTree(vignel_folder));
  ime_vignel::VignelInfo info;
  info.set_id(id);
  if (!display_name.empty()) info.set_display_name(display_name);
  info.set_vignel_image("badge.bmp");
  if (!search.empty()) info.set_search_string(search);
  ASSERT_TRUE(ime_testing::WriteFileBytes(vignel_folder + L"\\info.pb", info.SerializeAsString()));
  if (width > 0) {
    ASSERT_TRUE(ime_testing::WriteFileBytes(vignel_folder + L"\\badge.bmp",
                                            ImageBytes(width, height, rgb)));
  }
}

class FixedUser : public UserNameInterface {
 public:
  bool ReadUserName(std::wstring* name) override {
    *name = L"someone";
    return true;
  }
};

class RecordingShell : public ShellOpenInterface {
 public:
  bool OpenAddress(const std::wstring& address) override {
    std::lock_guard<std::mutex> lock(mutex_);
    addresses_.push_back(address);
    return true;
  }
  std::vector<std::wstring> addresses() {
    std::lock_guard<std::mutex> lock(mutex_);
    return addresses_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::wstring> addresses_;
};

// The generic engine without a core: the composition is handed in, and
// ending the composition drops it as the handler's cancel does, telling
// the context.
class ComposingEngine : public Engine {
 public:
  ComposingEngine(ContextInterface* context, SettingsInterface* settings)
      : Engine(context, settings) {}
  int32_t SetProperty(int index, int32_t value) override { return 0; }
  int32_t AttachCore(CoreInterface* core) override { return 0; }
  bool SetMode(int32_t mode) override { return true; }
  bool GetConversionMode(int32_t which) const override { return false; }
  void SetConversionMode(int32_t which, int32_t value) override {}
  void EndComposition(bool complete) override {
    ends.push_back(complete);
    if (complete) SetResult(GetComposition());
    SetComposition(nullptr);
    context()->Update(kUpdateCompositionAndResult | kUpdateCandidateList);
  }
  void Compose(const std::wstring& text) {
    SetComposition(new TestComposition({{text, text, kTypedClause}},
                                       static_cast<int32_t>(text.size())));
  }
  std::vector<bool> ends;
};

COLORREF ScreenPixel(int x, int y) {
  HDC screen = ::GetDC(nullptr);
  const COLORREF pixel = ::GetPixel(screen, x, y);
  ::ReleaseDC(nullptr, screen);
  return pixel;
}

// The candidate window with its vignel over the test's files.
class VignelWindowTest : public ::testing::Test {
 protected:
  VignelWindowTest() : environment_(temp_.path()), engine_(&context_, &settings_) {}

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
  TestEnvironment environment_;
  FakeContext context_;
  ComposingEngine engine_;
  FixedUser user_;
  RecordingShell shell_;
  HorizontalWindow* window_ = nullptr;
};

TEST_F(VignelWindowTest, ScheduledVignelStandsOutOfTheCandidateWindowAndOpensItsSearch) {
  const std::wstring user = environment_.user_folder();
  WriteIndex(user, {{7, kNow - 10, 100}});
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
  WriteIndex(user, {{7, kNow - 10, 110}, {8, kNow + 100, 100}, {5, kNow + 200, 100}});
  WriteVignel(user, 7, "Seven", "seven", 130, 30, 0x808000);
  WriteVignel(user, 8, "Eight", "eight");
  WriteVignel(user, 5, "", "", 121, 25, 0x0000C0);
  WriteVignel(user, 9, "Home", "not used", 140, 50, 0xC00000);
  settings_.SetInt(kSettingDefaultVignelId, 9);

  // The same vignel from one keystroke to the next reads its files once.
  Type(L"k");
  ExpectVignelShown();
  EXPECT_EQ(window_->vignel_window()->current_id(), 7);
  const int operations = environment_.operations;
  Type(L"ka");
  Type(L"kam");
  ExpectVignelShown();
  EXPECT_EQ(environment_.operations, operations);

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
  EXPECT_EQ(environment_.operations, 2);
  EXPECT_FALSE(VignelVisible());
  EXPECT_TRUE(LogoVisible());

  // A scheduled vignel whose image is missing, read by a new vignel window:
  // its files are read once, not at every keystroke.
  const std::wstring user = environment_.user_folder();
  WriteIndex(user, {{8, kNow - 10, 100000}});
  WriteVignel(user, 8, "Eight", "eight");
  settings_.SetInt(kSettingEnableVignel, 0);
  Type(L"k");
  settings_.SetInt(kSettingEnableVignel, 1);
  Type(L"ka");
  const int operations = environment_.operations;
  EXPECT_GT(operations, 2);
  for (int i = 0; i < 1000; ++i) Type(i % 2 == 0 ? L"kam" : L"ka");
  EXPECT_EQ(environment_.operations, operations);
  EXPECT_FALSE(VignelVisible());
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
