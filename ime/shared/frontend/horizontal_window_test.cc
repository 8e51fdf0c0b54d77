#include "ime/shared/frontend/horizontal_window.h"

#include <windows.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/frontend_test_helpers.h"
#include "ime/shared/frontend/frontend_window_test_helpers.h"
#include "ime/shared/frontend/popup_test_helpers.h"
#include "ime/shared/frontend/windows_api_wrapper.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/testing/fake_settings.h"

namespace ime_shared {
namespace frontend {
namespace {

using testing_helpers::CorelessEngine;
using testing_helpers::FakeContext;

TEST(HorizontalWindowRulesTest, CompositionIsCutIntoThreeRunsClampedIntoTheText) {
  CompositionParts parts = CutComposition(L"abcdef", 2, 4);
  EXPECT_EQ(parts.converted, L"ab");
  EXPECT_EQ(parts.before_caret, L"cd");
  EXPECT_EQ(parts.after_caret, L"ef");

  parts = CutComposition(L"abcdef", 0, 6);
  EXPECT_EQ(parts.converted, L"");
  EXPECT_EQ(parts.before_caret, L"abcdef");
  EXPECT_EQ(parts.after_caret, L"");

  // Cut points outside the text are clamped into it; the caret never lies
  // before the first cut.
  parts = CutComposition(L"abc", -3, 99);
  EXPECT_EQ(parts.converted, L"");
  EXPECT_EQ(parts.before_caret, L"abc");
  parts = CutComposition(L"abc", 10, -1);
  EXPECT_EQ(parts.converted, L"abc");
  EXPECT_EQ(parts.before_caret, L"");
  EXPECT_EQ(parts.after_caret, L"");
  parts = CutComposition(L"abcd", 3, 1);
  EXPECT_EQ(parts.converted, L"abc");
  EXPECT_EQ(parts.before_caret, L"");
  EXPECT_EQ(parts.after_caret, L"d");
  parts = CutComposition(L"", 2, 2);
  EXPECT_EQ(parts.converted + parts.before_caret + parts.after_caret, L"");
}

TEST(HorizontalWindowRulesTest, LabelsAreNumberedOrLettered) {
  EXPECT_EQ(FormatCandidateLabel(0, 0, L"\x0915"), L"1.\x0915");
  EXPECT_EQ(FormatCandidateLabel(0, 9, L"x"), L"10.x");
  EXPECT_EQ(FormatCandidateLabel(1, 0, L"x"), L"a.x");
  EXPECT_EQ(FormatCandidateLabel(1, 2, L"y"), L"c.y");
}

// A page of a longer list, with a label style.
class PagedList : public T13nCandidateInterface {
 public:
  PagedList(std::vector<std::wstring> page, int32_t style, int32_t pages, int32_t index)
      : page_(std::move(page)), style_(style), pages_(pages), index_(index) {}
  int32_t CountOnPage() const override { return static_cast<int32_t>(page_.size()); }
  std::wstring At(int32_t i) const override {
    return i >= 0 && i < CountOnPage() ? page_[i] : std::wstring();
  }
  int32_t LabelStyle() const override { return style_; }
  int32_t PageCount() const override { return pages_; }
  int32_t PageIndex() const override { return index_; }
  int32_t Selection() const override { return 0; }
  bool IsDeletable() const override { return false; }
  bool IsFlagged(int32_t i) const override { return false; }

 private:
  std::vector<std::wstring> page_;
  int32_t style_;
  int32_t pages_;
  int32_t index_;
};

// The generic engine without a core, recording the page sizes it is told.
class ShowingEngine : public CorelessEngine {
 public:
  using CorelessEngine::CorelessEngine;
  bool ResizePage(int32_t count) override {
    resizes.push_back(count);
    return false;
  }
  std::vector<int32_t> resizes;
};

class HorizontalWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.SetInt(kSettingCaretTrack, 1);
    context_.caret_rect = RECT{120, 140, 122, 160};
    context_.flags[1] = true;
    context_.engine = &engine_;
    window_ = new HorizontalWindow(&settings_);
    ASSERT_TRUE(window_->Create(nullptr, nullptr));
    window_->Attach(&context_, &engine_);
  }
  void TearDown() override { window_->Destroy(); }

  bool Visible() { return ::IsWindowVisible(window_->hwnd()) != FALSE; }
  RECT WindowRect() { return WindowsAPIWrapper::WindowRect(window_->hwnd()); }
  void ExpectShown() {
    ASSERT_TRUE(window_->IsWindow());
    wchar_t name[32] = {};
    ::GetClassNameW(window_->hwnd(), name, 32);
    ASSERT_STREQ(name, L"IMEHORIZONTAL");
    ASSERT_TRUE(Visible());
  }

  ime_testing::FakeSettings settings_;
  FakeContext context_;
  ShowingEngine engine_{&context_, &settings_};
  HorizontalWindow* window_ = nullptr;
};

TEST_F(HorizontalWindowTest, ShowsBelowTheCaretAndHidesWithoutAFlagOrText) {
  window_->Show();
  EXPECT_FALSE(Visible()) << "nothing composed";

  engine_.Compose(L"namaste");
  window_->Show();
  ExpectShown();
  RECT rect = WindowRect();
  EXPECT_EQ(rect.left, 120);
  EXPECT_EQ(rect.top, 160);
  EXPECT_EQ(window_->composition_parts().before_caret, L"namaste");

  context_.flags[1] = false;
  window_->Show();
  EXPECT_FALSE(Visible());
  context_.flags[2] = true;
  window_->Show();
  ExpectShown();

  window_->Attach(nullptr, nullptr);
  window_->Show();
  EXPECT_FALSE(Visible()) << "no context";
}

TEST_F(HorizontalWindowTest, RowsFollowTheEngine) {
  // A composition without candidates: the row keeps its least width and no
  // height, and both page buttons are off.
  engine_.Compose(L"xyz");
  window_->Show();
  ExpectShown();
  EXPECT_TRUE(window_->cells().empty());
  EXPECT_EQ(window_->candidate_row_size().cx, HorizontalWindow::kMinRowWidth);
  EXPECT_EQ(window_->candidate_row_size().cy, 0);
  EXPECT_TRUE(window_->buttons()[HorizontalWindow::kPreviousPageButton].disabled);
  EXPECT_TRUE(window_->buttons()[HorizontalWindow::kNextPageButton].disabled);
  EXPECT_FALSE(window_->buttons()[HorizontalWindow::kLogoButton].disabled);

  // Lettered labels; the middle page of three offers both buttons.
  PagedList lettered({L"one", L"two", L"three"}, 1, 3, 1);
  engine_.SetCandidates(&lettered);
  window_->Show();
  ASSERT_EQ(window_->cells().size(), 3u);
  EXPECT_EQ(window_->cells()[0].label, L"a.one");
  EXPECT_EQ(window_->cells()[2].label, L"c.three");
  EXPECT_EQ(window_->cells()[0].rect.left, 0);
  EXPECT_EQ(window_->cells()[1].rect.left, window_->cells()[0].rect.right);
  EXPECT_GT(window_->candidate_row_size().cy, 0);
  EXPECT_FALSE(window_->buttons()[HorizontalWindow::kPreviousPageButton].disabled);
  EXPECT_FALSE(window_->buttons()[HorizontalWindow::kNextPageButton].disabled);
  EXPECT_TRUE(engine_.resizes.empty());

  // A page that would pass 900 pixels: the engine is told how many fit, and
  // the row shows those.
  const std::wstring wide(20, L'W');
  PagedList wide_page({wide, wide, wide, wide, wide}, 0, 1, 0);
  engine_.SetCandidates(&wide_page);
  window_->Show();
  ExpectShown();
  ASSERT_EQ(engine_.resizes.size(), 1u);
  const int fit = engine_.resizes[0];
  EXPECT_GE(fit, 1);
  EXPECT_LT(fit, 5);
  EXPECT_EQ(static_cast<int>(window_->cells().size()), fit);
  EXPECT_LE(window_->candidate_row_size().cx, HorizontalWindow::kMaxRowWidth);
  EXPECT_EQ(window_->cells()[0].label, L"1." + wide);
  EXPECT_TRUE(window_->buttons()[HorizontalWindow::kPreviousPageButton].disabled);
  EXPECT_TRUE(window_->buttons()[HorizontalWindow::kNextPageButton].disabled);

  // Even a first cell wider than the row is shown.
  PagedList huge({std::wstring(200, L'W')}, 0, 1, 0);
  engine_.SetCandidates(&huge);
  engine_.resizes.clear();
  window_->Show();
  EXPECT_EQ(window_->cells().size(), 1u);
  EXPECT_TRUE(engine_.resizes.empty());
}

TEST_F(HorizontalWindowTest, BaseRefreshFollowsTheFontSizeStep) {
  engine_.Compose(L"abc");
  struct Step {
    int setting;
    int button_width;
    int logo_width;
  };
  for (const Step& step : {Step{0, 22, 52}, Step{1, 22, 52}, Step{2, 26, 61}, Step{3, 28, 61}}) {
    settings_.SetInt(kSettingCompFontSize, step.setting);
    window_->Show();
    ExpectShown();
    EXPECT_EQ(window_->buttons()[HorizontalWindow::kNextPageButton].width, step.button_width)
        << "CompFontSize " << step.setting;
    EXPECT_EQ(window_->buttons()[HorizontalWindow::kLogoButton].width, step.logo_width);
    LOGFONTW font = {};
    ASSERT_NE(::GetObjectW(window_->english_font(), sizeof(font), &font), 0);
    EXPECT_EQ(font.lfHeight, 16 + 4 * step.setting);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_STREQ(font.lfFaceName, L"Arial");
    ASSERT_NE(::GetObjectW(window_->candidate_font(), sizeof(font), &font), 0);
    EXPECT_EQ(font.lfHeight, 12 + 4 * step.setting);
  }
  // The same step again makes nothing.
  const int made = window_->drawing_objects_made();
  window_->Show();
  EXPECT_EQ(window_->drawing_objects_made(), made);
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
