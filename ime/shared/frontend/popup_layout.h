// Where the pop-up windows go and how the candidate window is laid out, as
// plain functions of a work area and measured sizes, so that every monitor
// arrangement can be tried without monitors.
#ifndef IME_SHARED_FRONTEND_POPUP_LAYOUT_H_
#define IME_SHARED_FRONTEND_POPUP_LAYOUT_H_

#include <windows.h>

namespace ime_shared {
namespace frontend {

// Keeps a window of |size| at |top_left| on |work_area|: first x at least
// the left and y at least the top edge, then x + width at most the right and
// y + height at most the bottom edge, so that a window larger than the work
// area ends on its right and bottom edges. |extra| is room around the window
// (left, top, right, bottom, each >= 0) that must stay on the work area too,
// such as the vignel image standing out of the candidate window.
POINT ClampToWorkArea(POINT top_left, SIZE size, const RECT& work_area,
                      const RECT& extra = RECT{0, 0, 0, 0});

// The candidate window's place at the caret: its top-left corner at the
// caret's bottom-left, clamped; when the clamp lifted it above the caret's
// bottom (the caret is near the bottom of the work area), the window's
// bottom at the caret's top instead, clamped again.
POINT PlaceNearCaret(const RECT& caret, SIZE size, const RECT& work_area,
                     const RECT& extra = RECT{0, 0, 0, 0});

// The room a vignel image of |vignel| size needs beyond the candidate
// window: it stands 120 x 20 pixels inside the window's top-right corner and
// reaches out to the right and upwards with the rest.
RECT VignelClampExtra(SIZE vignel);

// The candidate window's width for the width of its content: with at least
// 55 pixels added, rounded down to a multiple of 50.
int RoundCandidateWindowWidth(int content_width);

// What the candidate window measured before its layout.
struct CandidateWindowMeasures {
  SIZE composition;      // the composition row
  SIZE candidate_row;    // the candidate row
  SIZE previous_button;  // page buttons
  SIZE next_button;
  SIZE logo;            // the logo button
  SIZE top_right_area;  // 120 x 20 with a vignel image, else the logo size
};

// Where everything goes, in client coordinates.
struct CandidateWindowLayout {
  SIZE window;
  int top_row_height;
  POINT composition_origin;
  POINT logo_origin;
  POINT candidate_row_origin;
  POINT previous_button_origin;
  POINT next_button_origin;
};

// The top row holds the composition and, at the right, the logo (or the
// vignel's room); the candidate row lies below it with the page buttons in
// the bottom-right corner; 3-pixel margins all round.
CandidateWindowLayout LayoutCandidateWindow(const CandidateWindowMeasures& measures);

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_POPUP_LAYOUT_H_
