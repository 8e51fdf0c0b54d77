#include "ime/shared/frontend/popup_layout.h"

#include "gtest/gtest.h"

namespace ime_shared {
namespace frontend {
namespace {

constexpr RECT kWork = {0, 0, 1280, 984};
// A second monitor left of the primary one, its work area below a bar.
constexpr RECT kLeftMonitor = {-1920, 40, 0, 1080};

void ExpectAt(POINT point, LONG x, LONG y) {
  EXPECT_EQ(point.x, x);
  EXPECT_EQ(point.y, y);
}

TEST(PopupLayoutTest, ClampStopsAtTheWorkAreaEdges) {
  const SIZE size = {300, 100};
  ExpectAt(ClampToWorkArea({100, 200}, size, kWork), 100, 200);
  ExpectAt(ClampToWorkArea({-40, -5}, size, kWork), 0, 0);
  ExpectAt(ClampToWorkArea({1200, 950}, size, kWork), 980, 884);
  ExpectAt(ClampToWorkArea({5000, -300}, size, kWork), 980, 0);
  // Exactly on the edges stays.
  ExpectAt(ClampToWorkArea({980, 884}, size, kWork), 980, 884);

  // On another monitor with negative coordinates.
  ExpectAt(ClampToWorkArea({-2000, 10}, size, kLeftMonitor), -1920, 40);
  ExpectAt(ClampToWorkArea({-100, 1050}, size, kLeftMonitor), -300, 980);
}

TEST(PopupLayoutTest, WindowLargerThanTheWorkAreaEndsOnItsRightAndBottomEdges) {
  const SIZE huge = {1500, 1100};
  ExpectAt(ClampToWorkArea({50, 50}, huge, kWork), 1280 - 1500, 984 - 1100);
  ExpectAt(ClampToWorkArea({-500, -500}, huge, kWork), -220, -116);
  const SIZE wide = {2000, 50};
  ExpectAt(ClampToWorkArea({-1900, 500}, wide, kLeftMonitor), -2000, 500);
}

TEST(PopupLayoutTest, RoomOfTheVignelStaysOnTheWorkAreaToo) {
  // A 150 x 60 image stands 30 pixels out to the right and 40 upwards.
  const RECT extra = VignelClampExtra({150, 60});
  EXPECT_EQ(extra.left, 0);
  EXPECT_EQ(extra.top, 40);
  EXPECT_EQ(extra.right, 30);
  EXPECT_EQ(extra.bottom, 0);
  const RECT none = VignelClampExtra({100, 15});
  EXPECT_EQ(none.top, 0);
  EXPECT_EQ(none.right, 0);

  const SIZE size = {300, 100};
  ExpectAt(ClampToWorkArea({1200, 10}, size, kWork, extra), 1280 - 30 - 300, 40);
  ExpectAt(ClampToWorkArea({100, 900}, size, kWork, extra), 100, 884);
}

TEST(PopupLayoutTest, CandidateWindowGoesBelowTheCaretOrAboveItNearTheBottom) {
  const SIZE size = {400, 60};
  const RECT caret = {200, 300, 202, 318};
  ExpectAt(PlaceNearCaret(caret, size, kWork), 200, 318);

  // Near the right edge it slides left, still below.
  ExpectAt(PlaceNearCaret({1100, 300, 1102, 318}, size, kWork), 880, 318);

  // Near the bottom it goes above: its bottom on the caret's top.
  const RECT low = {200, 940, 202, 958};
  ExpectAt(PlaceNearCaret(low, size, kWork), 200, 880);
  // Just fitting below stays below.
  ExpectAt(PlaceNearCaret({200, 900, 202, 924}, size, kWork), 200, 924);

  // Near the bottom and the right of the left monitor.
  ExpectAt(PlaceNearCaret({-50, 1060, -48, 1075}, size, kLeftMonitor), -400, 1000);

  // A caret too near the top for above and the bottom for below: clamped.
  const RECT tiny_work = {0, 0, 800, 100};
  ExpectAt(PlaceNearCaret({10, 30, 12, 50}, size, tiny_work), 10, 0);
}

TEST(PopupLayoutTest, CandidateWindowWidthIsRoundedToFifties) {
  EXPECT_EQ(RoundCandidateWindowWidth(0), 50);
  EXPECT_EQ(RoundCandidateWindowWidth(44), 50);
  EXPECT_EQ(RoundCandidateWindowWidth(45), 100);
  EXPECT_EQ(RoundCandidateWindowWidth(94), 100);
  EXPECT_EQ(RoundCandidateWindowWidth(95), 150);
  EXPECT_EQ(RoundCandidateWindowWidth(354), 400);
  EXPECT_EQ(RoundCandidateWindowWidth(895), 950);
}

TEST(PopupLayoutTest, CandidateWindowLayoutWithTheLogo) {
  CandidateWindowMeasures measures = {};
  measures.composition = {80, 20};
  measures.candidate_row = {300, 28};
  measures.previous_button = {22, 22};
  measures.next_button = {22, 22};
  measures.logo = {52, 20};
  measures.top_right_area = measures.logo;
  const CandidateWindowLayout layout = LayoutCandidateWindow(measures);
  // Width from the candidate row and the buttons: 354 -> 400.
  EXPECT_EQ(layout.window.cx, 400);
  EXPECT_EQ(layout.window.cy, 28 + 20 + 9);
  EXPECT_EQ(layout.top_row_height, 20);
  ExpectAt(layout.composition_origin, 3, 3);
  ExpectAt(layout.logo_origin, 345, 3);
  ExpectAt(layout.candidate_row_origin, 3, 26);
  ExpectAt(layout.next_button_origin, 375, 32);
  ExpectAt(layout.previous_button_origin, 353, 32);
}

TEST(PopupLayoutTest, CandidateWindowLayoutWithALongCompositionAndAVignel) {
  CandidateWindowMeasures measures = {};
  measures.composition = {400, 30};
  measures.candidate_row = {50, 0};  // no candidates
  measures.previous_button = {26, 26};
  measures.next_button = {26, 26};
  measures.logo = {61, 24};
  measures.top_right_area = {120, 20};
  const CandidateWindowLayout layout = LayoutCandidateWindow(measures);
  // Width from the top row: 520 -> 550; height from the buttons.
  EXPECT_EQ(layout.window.cx, 550);
  EXPECT_EQ(layout.window.cy, 26 + 30 + 9);
  EXPECT_EQ(layout.top_row_height, 30);
  ExpectAt(layout.logo_origin, 486, 3);
  ExpectAt(layout.candidate_row_origin, 3, 36);
  ExpectAt(layout.next_button_origin, 521, 36);
  ExpectAt(layout.previous_button_origin, 495, 36);
}

}  // namespace
}  // namespace frontend
}  // namespace ime_shared
