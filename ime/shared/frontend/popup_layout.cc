#include "ime/shared/frontend/popup_layout.h"

#include <algorithm>

namespace ime_shared {
namespace frontend {

POINT ClampToWorkArea(POINT top_left, SIZE size, const RECT& work_area, const RECT& extra) {
  // The box that must stay on the work area.
  LONG left = top_left.x - extra.left;
  LONG top = top_left.y - extra.top;
  const LONG width = size.cx + extra.left + extra.right;
  const LONG height = size.cy + extra.top + extra.bottom;
  left = std::max(left, work_area.left);
  top = std::max(top, work_area.top);
  // The right and bottom limits come last and win.
  if (left + width > work_area.right) left = work_area.right - width;
  if (top + height > work_area.bottom) top = work_area.bottom - height;
  return POINT{left + extra.left, top + extra.top};
}

POINT PlaceNearCaret(const RECT& caret, SIZE size, const RECT& work_area, const RECT& extra) {
  POINT place = ClampToWorkArea(POINT{caret.left, caret.bottom}, size, work_area, extra);
  if (place.y < caret.bottom) {
    place = ClampToWorkArea(POINT{caret.left, caret.top - size.cy}, size, work_area, extra);
  }
  return place;
}

RECT VignelClampExtra(SIZE vignel) {
  return RECT{0, std::max<LONG>(0, vignel.cy - 20), std::max<LONG>(0, vignel.cx - 120), 0};
}

int RoundCandidateWindowWidth(int content_width) { return (content_width + 55) / 50 * 50; }

CandidateWindowLayout LayoutCandidateWindow(const CandidateWindowMeasures& m) {
  CandidateWindowLayout layout = {};
  const int top_row = std::max(m.top_right_area.cy, m.composition.cy);
  const int content = std::max(m.candidate_row.cx + m.previous_button.cx + m.next_button.cx + 10,
                               m.top_right_area.cx + m.composition.cx);
  const int width = RoundCandidateWindowWidth(content);
  const int button_height = std::max(m.previous_button.cy, m.next_button.cy);
  const int height = std::max(button_height, static_cast<int>(m.candidate_row.cy)) + top_row + 9;

  layout.window = SIZE{width, height};
  layout.top_row_height = top_row;
  layout.composition_origin = POINT{3, 3};
  layout.logo_origin = POINT{width - 3 - m.logo.cx, 3};
  layout.candidate_row_origin = POINT{3, top_row + 6};
  layout.next_button_origin = POINT{width - 3 - m.next_button.cx, height - 3 - m.next_button.cy};
  layout.previous_button_origin =
      POINT{layout.next_button_origin.x - m.previous_button.cx, layout.next_button_origin.y};
  return layout;
}

}  // namespace frontend
}  // namespace ime_shared
