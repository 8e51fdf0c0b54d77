#include "ime/shared/frontend/horizontal_window.h"

#include <algorithm>
#include <cwchar>

#include "ime/shared/base/module_handle.h"
#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/image_strip.h"
#include "ime/shared/frontend/menu_interface.h"
#include "ime/shared/frontend/offscreen_dc.h"
#include "ime/shared/frontend/popup_layout.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"

namespace ime_shared {
namespace frontend {

namespace {

// Bitmap resources of the window.
constexpr int kHoverMarkBitmap = 123;
constexpr int kZoneHoverMarkBitmap = 124;
constexpr int kHoverMarkWidth = 5;

// The page buttons' images in their strip: previous page normal, hover,
// pressed, disabled, then the same for the next page. The logo has normal,
// hover and pressed.
constexpr int kPreviousPageImages[4] = {0, 1, 2, 3};
constexpr int kNextPageImages[4] = {4, 5, 6, 7};
constexpr int kLogoImages[4] = {0, 1, 2, -1};

// What the base refresh loads for each "CompFontSize" step.
struct SizeStep {
  int button_bitmap;
  int button_width;
  int logo_bitmap;
  int logo_width;
  int english_height;
  int candidate_height;
};
constexpr SizeStep kSizeSteps[4] = {
    {114, 22, 112, 52, 16, 12},
    {110, 22, 112, 52, 20, 16},
    {113, 26, 111, 61, 24, 20},
    {115, 28, 111, 61, 28, 24},
};

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

bool InMarkZone(const RECT& cell, POINT row_point) {
  return row_point.x >= cell.right - HorizontalWindow::kMarkZoneLeft &&
         row_point.x < cell.right - HorizontalWindow::kMarkZoneRight &&
         row_point.y >= cell.top && row_point.y < cell.bottom;
}

SIZE MeasureText(HDC dc, const std::wstring& text) {
  SIZE size = {0, 0};
  if (!text.empty()) {
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  }
  return size;
}

int FontHeight(HDC dc) {
  TEXTMETRICW metrics = {};
  return ::GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 0;
}

void DrawRun(HDC dc, int x, int y, const std::wstring& text) {
  if (!text.empty()) ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

struct MenuMove {
  int dx;
  int dy;
};

BOOL CALLBACK MoveMenuWindow(HWND window, LPARAM lparam) {
  wchar_t name[16] = {};
  if (::GetClassNameW(window, name, 16) > 0 && std::wcscmp(name, L"#32768") == 0 &&
      ::IsWindowVisible(window)) {
    const auto* move = reinterpret_cast<const MenuMove*>(lparam);
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    ::SetWindowPos(window, nullptr, rect.left + move->dx, rect.top + move->dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return TRUE;
}

}  // namespace

CompositionParts CutComposition(const std::wstring& text, int32_t converted_length,
                                int32_t caret) {
  const int32_t length = static_cast<int32_t>(text.size());
  const int32_t first = std::max<int32_t>(0, std::min(converted_length, length));
  const int32_t second = std::max(first, std::min(caret, length));
  CompositionParts parts;
  parts.converted = text.substr(0, first);
  parts.before_caret = text.substr(first, second - first);
  parts.after_caret = text.substr(second);
  return parts;
}

std::wstring FormatCandidateLabel(int32_t label_style, int32_t index, const std::wstring& text) {
  wchar_t prefix[16];
  if (label_style == 1) {
    std::swprintf(prefix, 16, L"%c.", static_cast<wchar_t>(L'a' + index));
  } else {
    std::swprintf(prefix, 16, L"%d.", static_cast<int>(index + 1));
  }
  return prefix + text;
}

HorizontalWindow::HorizontalWindow(SettingsInterface* settings) : settings_(settings) {}

HorizontalWindow::~HorizontalWindow() = default;

bool HorizontalWindow::Create(HINSTANCE module, MenuInterface* main_menu) {
  module_ = module != nullptr ? module : base::CurrentModule();
  main_menu_ = main_menu;
  if (base::WindowImpl<HorizontalWindow>::Create(nullptr, RECT{0, 0, 1, 1}, L"", kPopupStyle,
                                                 kPopupExStyle) == nullptr) {
    return false;
  }
  caret_pen_.Reset(::CreatePen(PS_SOLID, 1, kCaretColour));
  if (selected_skin_.Load(kSelectedCandidateSkin, module_)) ++drawing_objects_made_;
  mark_images_.Reset(LoadImageStrip(module_, kHoverMarkBitmap, kHoverMarkWidth, CLR_NONE));
  zone_mark_images_.Reset(
      LoadImageStrip(module_, kZoneHoverMarkBitmap, kHoverMarkWidth, CLR_NONE));
  drawing_objects_made_ += 2;

  ClearButtons();
  for (const int* images : {kPreviousPageImages, kNextPageImages, kLogoImages}) {
    ButtonRecord record;
    std::copy(images, images + 4, record.images);
    AddButton(record);
  }
  if (background_skin_.Load(kCandidateBackgroundSkin, module_)) ++drawing_objects_made_;
  return true;
}

void HorizontalWindow::Destroy() { DestroyWindowOrDeleteSelf(); }

void HorizontalWindow::OnFinalMessage(HWND window) { delete this; }

void HorizontalWindow::Attach(ContextInterface* context, Engine* engine) {
  context_ = context;
  engine_ = engine;
  if (vignel_) vignel_->SetEngine(engine);
  hovered_cell_ = -1;
  hover_in_mark_zone_ = false;
  pressed_cell_ = -1;
  Refresh();
}

void HorizontalWindow::Refresh() {
  const int step = static_cast<int>(
      std::min<uint32_t>(settings_->GetInt(kSettingCompFontSize), 3));
  if (step == loaded_font_size_step_) return;
  loaded_font_size_step_ = step;
  const SizeStep& sizes = kSizeSteps[step];
  LoadButtonImages(sizes.button_bitmap, sizes.button_width);
  LoadLogoImages(sizes.logo_bitmap, sizes.logo_width);
  ReplaceEnglishFont(CreateCandidateWindowFont(L"Arial", sizes.english_height));
  ReplaceCandidateFont(CreateCandidateWindowFont(L"Arial", sizes.candidate_height));
}

HFONT HorizontalWindow::CreateCandidateWindowFont(const std::wstring& face, int height) {
  LOGFONTW font = {};
  font.lfHeight = height;
  font.lfWeight = FW_BOLD;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfClipPrecision = CLIP_TT_ALWAYS;
  font.lfQuality = DEFAULT_QUALITY;
  const size_t length = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  std::wmemcpy(font.lfFaceName, face.c_str(), length);
  font.lfFaceName[length] = L'\0';
  return ::CreateFontIndirectW(&font);
}

void HorizontalWindow::ReplaceCandidateFont(HFONT font) {
  if (font == nullptr) return;
  candidate_font_.Reset(font);
  ++drawing_objects_made_;
}

void HorizontalWindow::ReplaceEnglishFont(HFONT font) {
  if (font == nullptr) return;
  english_font_.Reset(font);
  ++drawing_objects_made_;
}

bool HorizontalWindow::LoadButtonImages(int bitmap_id, int image_width) {
  HIMAGELIST list = LoadImageStrip(module_, bitmap_id, image_width, CLR_NONE);
  ++drawing_objects_made_;
  if (list == nullptr) return false;
  button_images_.Reset(list);
  button_size_ = ImageStripImageSize(list);
  for (int index : {kPreviousPageButton, kNextPageButton}) {
    if (index < button_count()) button(index).image_list = list;
  }
  return true;
}

bool HorizontalWindow::LoadLogoImages(int bitmap_id, int image_width) {
  HIMAGELIST list = LoadImageStrip(module_, bitmap_id, image_width, kWhite);
  ++drawing_objects_made_;
  if (list == nullptr) return false;
  logo_images_.Reset(list);
  logo_size_ = ImageStripImageSize(list);
  if (kLogoButton < button_count()) button(kLogoButton).image_list = list;
  return true;
}

bool HorizontalWindow::RunCommand(const CommandInterface& command, uint32_t extra_flags) {
  return false;
}

void HorizontalWindow::OpenCandidateMenu(int index, POINT screen) {}

void HorizontalWindow::Show() {
  if (!IsWindow()) return;
  const bool wanted = context_ != nullptr && engine_ != nullptr &&
                      (context_->GetFlag(1) || context_->GetFlag(2)) &&
                      (engine_->CandidateCount() > 0 || !engine_->GetComposition().empty());
  if (!wanted) {
    Hide();
    return;
  }
  Refresh();
  {
    base::ScopedWindowDC screen(nullptr);
    MeasureComposition(screen.Get());
    BuildCandidateRow(screen.Get());
  }
  Layout();

  RECT caret = {};
  if (context_->GetCaretRect(nullptr, &caret)) last_caret_ = caret;
  const RECT extra = DragClampExtra();
  POINT place;
  if (settings_->GetInt(kSettingCaretTrack) != 0) {
    const POINT start = {last_caret_.left, last_caret_.bottom};
    place = PlaceNearCaret(last_caret_, window_size_, WorkAreaNearest(start), extra);
  } else {
    const POINT start = {static_cast<LONG>(settings_->GetInt(kSettingCompPanelX)),
                         static_cast<LONG>(settings_->GetInt(kSettingCompPanelY))};
    place = ClampToWorkArea(start, window_size_, WorkAreaNearest(start), extra);
  }
  const RECT target = {place.x, place.y, place.x + window_size_.cx, place.y + window_size_.cy};
  const RECT now = WindowRect(hwnd());
  if (!::EqualRect(&now, &target)) {
    // Moving and sizing a window is the dearest step of a keystroke (a
    // round trip to the display server): it is done only when something
    // changed, and without copying the old picture, since the whole window
    // is drawn again at once.
    ::SetWindowPos(hwnd(), nullptr, target.left, target.top, window_size_.cx, window_size_.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOCOPYBITS);
  }
  ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  if (!::IsWindowVisible(hwnd())) {
    // A hidden window was not painted above: it is, as soon as it shows.
    ShowWithoutActivation(hwnd());
    ::UpdateWindow(hwnd());
  }
  if (vignel_ && vignel_->IsWindow()) {
    if (ShowsVignel()) {
      // A new picture may have a new size: placed here, not only when this
      // window moves.
      PlaceVignel();
      if (!::IsWindowVisible(vignel_->hwnd())) {
        // It covers this window's corner, so it goes on top: a window shown
        // without activation would keep its old place in the z-order.
        ::SetWindowPos(vignel_->hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
      }
    } else if (::IsWindowVisible(vignel_->hwnd())) {
      ::ShowWindow(vignel_->hwnd(), SW_HIDE);
    }
  }
  UpdateHover(true);
}

void HorizontalWindow::Hide() {
  if (IsWindow() && ::IsWindowVisible(hwnd())) ::ShowWindow(hwnd(), SW_HIDE);
  if (vignel_ && vignel_->IsWindow() && ::IsWindowVisible(vignel_->hwnd())) {
    ::ShowWindow(vignel_->hwnd(), SW_HIDE);
  }
}

void HorizontalWindow::SetVignelSeams(const VignelSeams& seams) { vignel_seams_ = seams; }

void HorizontalWindow::UpdateVignel() {
  if (settings_->GetInt(kSettingEnableVignel) == 0) {
    DestroyVignel();
    return;
  }
  if (!vignel_) {
    std::unique_ptr<VignelWindow> vignel(new VignelWindow(settings_, engine_, vignel_seams_));
    // A vignel window that cannot be made leaves the logo in its place;
    // the next layout tries again.
    if (!vignel->Create()) return;
    vignel_ = std::move(vignel);
  }
  vignel_->ChooseVignel();
}

bool HorizontalWindow::ShowsVignel() const { return vignel_ && vignel_->has_image(); }

void HorizontalWindow::PlaceVignel() {
  if (!ShowsVignel() || !vignel_->IsWindow()) return;
  const RECT window = WindowRect(hwnd());
  const SIZE size = vignel_->image_size();
  const RECT target = {window.right - kVignelArea.cx, window.top - size.cy + kVignelArea.cy,
                       window.right - kVignelArea.cx + size.cx, window.top + kVignelArea.cy};
  const RECT now = WindowRect(vignel_->hwnd());
  if (!::EqualRect(&now, &target)) {
    MoveWithoutActivation(vignel_->hwnd(), POINT{target.left, target.top});
  }
}

void HorizontalWindow::DestroyVignel() {
  if (!vignel_) return;
  vignel_->Destroy();
  vignel_.reset();
}

RECT HorizontalWindow::DragClampExtra() {
  return ShowsVignel() ? VignelClampExtra(vignel_->image_size()) : RECT{0, 0, 0, 0};
}

void HorizontalWindow::MoveNearCaret(const RECT& caret) {
  last_caret_ = caret;
  if (!IsWindow() || settings_->GetInt(kSettingCaretTrack) == 0) return;
  const RECT now = WindowRect(hwnd());
  const SIZE size = {now.right - now.left, now.bottom - now.top};
  const POINT place = PlaceNearCaret(caret, size, WorkAreaNearest(POINT{caret.left, caret.bottom}),
                                     DragClampExtra());
  MoveWithoutActivation(hwnd(), place);
}

void HorizontalWindow::MeasureComposition(HDC dc) {
  parts_ = CutComposition(engine_->spaced_text(), engine_->picker_characters(),
                          engine_->mapped_caret());
  const std::wstring* texts[3] = {&parts_.converted, &parts_.before_caret, &parts_.after_caret};
  composition_size_ = SIZE{0, 0};
  for (int i = 0; i < 3; ++i) {
    base::ScopedSelectObject select(dc, i == 0 ? candidate_font_.Get() : english_font_.Get());
    part_sizes_[i] = MeasureText(dc, *texts[i]);
    if (!texts[i]->empty()) part_sizes_[i].cy = std::max<LONG>(part_sizes_[i].cy, FontHeight(dc));
    composition_size_.cx += part_sizes_[i].cx;
    composition_size_.cy = std::max(composition_size_.cy, part_sizes_[i].cy);
  }
  if (composition_size_.cy == 0) {
    // Nothing typed yet: the row keeps the English font's height.
    base::ScopedSelectObject select(dc, english_font_.Get());
    composition_size_.cy = FontHeight(dc);
  }
}

void HorizontalWindow::BuildCandidateRow(HDC dc) {
  // A page that did not fit was made smaller by the engine: the next build
  // finds the smaller page. Each round shrinks it, so this ends.
  for (int round = 0; round < 8; ++round) {
    if (BuildCells(dc)) break;
  }
  LONG right = 0;
  LONG height = 0;
  for (const CandidateCell& cell : cells_) {
    right = std::max(right, cell.rect.right);
    height = std::max(height, cell.rect.bottom);
  }
  row_size_ = SIZE{std::max<LONG>(right, kMinRowWidth), height};
}

bool HorizontalWindow::BuildCells(HDC dc) {
  cells_.clear();
  base::ScopedSelectObject select(dc, candidate_font_.Get());
  const int32_t count = engine_->CandidateCount();
  const CandidateInterface* list = engine_->candidates();
  const int32_t style = list != nullptr ? list->LabelStyle() : 0;
  LONG x = 0;
  for (int32_t i = 0; i < count; ++i) {
    CandidateCell cell;
    cell.label = FormatCandidateLabel(style, i, engine_->CandidateAt(i));
    const SIZE text = MeasureText(dc, cell.label);
    cell.rect = RECT{x, 0, x + text.cx + 12, text.cy + 8};
    if (cell.rect.right > kMaxRowWidth && i > 0) {
      // The row shows the first i; the page shrinks to them, so that no
      // selectable candidate is left out of sight.
      engine_->ResizePage(i);
      return engine_->CandidateCount() >= count;
    }
    x = cell.rect.right;
    cells_.push_back(cell);
  }
  return true;
}

void HorizontalWindow::Layout() {
  UpdateVignel();
  const bool vignel = ShowsVignel();
  CandidateWindowMeasures measures = {};
  measures.composition = composition_size_;
  measures.candidate_row = row_size_;
  measures.previous_button = button_size_;
  measures.next_button = button_size_;
  measures.logo = logo_size_;
  measures.top_right_area = vignel ? kVignelArea : logo_size_;
  const CandidateWindowLayout layout = LayoutCandidateWindow(measures);
  window_size_ = layout.window;
  composition_origin_ = layout.composition_origin;
  row_origin_ = layout.candidate_row_origin;

  if (button_count() < 3) return;
  const POINT origins[3] = {layout.previous_button_origin, layout.next_button_origin,
                            layout.logo_origin};
  const SIZE sizes[3] = {button_size_, button_size_, logo_size_};
  for (int i = 0; i < 3; ++i) {
    ButtonRecord& record = button(i);
    record.x = origins[i].x;
    record.y = origins[i].y;
    record.width = sizes[i].cx;
    record.height = sizes[i].cy;
    record.visible = true;
  }
  // The vignel image takes the logo's place.
  button(kLogoButton).visible = !vignel;
  const CandidateInterface* list = engine_ != nullptr ? engine_->candidates() : nullptr;
  if (list == nullptr) {
    button(kPreviousPageButton).disabled = true;
    button(kNextPageButton).disabled = true;
  } else {
    const int32_t pages = list->PageCount();
    const int32_t page = list->PageIndex();
    button(kPreviousPageButton).disabled = page <= 0;
    button(kNextPageButton).disabled = pages <= 0 || page >= pages - 1;
  }
}

POINT HorizontalWindow::CursorRowPosition() const {
  POINT point = CursorClientPosition(hwnd());
  point.x -= row_origin_.x;
  point.y -= row_origin_.y;
  return point;
}

int HorizontalWindow::CellAt(POINT row_point) const {
  for (size_t i = 0; i < cells_.size(); ++i) {
    const RECT& r = cells_[i].rect;
    if (row_point.x >= r.left && row_point.x < r.right && row_point.y >= r.top &&
        row_point.y < r.bottom) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void HorizontalWindow::UpdateHover(bool repaint) {
  const int old_cell = hovered_cell_;
  const bool old_zone = hover_in_mark_zone_;
  hovered_cell_ = -1;
  hover_in_mark_zone_ = false;
  // Only while the mouse is over the window (the hover tracker knows) is
  // the cursor asked for.
  if (IsWindow() && IsHovering()) {
    RECT rect = WindowRect(hwnd());
    if (::PtInRect(&rect, CursorScreenPosition())) {
      const POINT point = CursorRowPosition();
      hovered_cell_ = CellAt(point);
      hover_in_mark_zone_ = hovered_cell_ != -1 && InMarkZone(cells_[hovered_cell_].rect, point);
    }
  }
  if (repaint && (old_cell != hovered_cell_ || old_zone != hover_in_mark_zone_)) {
    Repaint(hwnd());
  }
}

bool HorizontalWindow::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam, LRESULT& result) {
  if (message == WM_SETCURSOR && IsDragging()) {
    // While the window is dragged the mouse is the drag's, even over a
    // candidate or a button.
    return base::ChainMessageHooks<HorizontalWindow>(
        this, {&HorizontalWindow::ProcessTrackerMessage, &HorizontalWindow::ProcessDragMessage},
        window, message, wparam, lparam, result);
  }
  return base::ChainMessageHooks<HorizontalWindow>(
      this,
      {&HorizontalWindow::ProcessTrackerMessage, &HorizontalWindow::ProcessShadowMessage,
       &HorizontalWindow::ProcessCandidateRowMessage, &HorizontalWindow::ProcessOwnMessage,
       &HorizontalWindow::ProcessButtonsMessage, &HorizontalWindow::ProcessDragMessage},
      window, message, wparam, lparam, result);
}

bool HorizontalWindow::ProcessCandidateRowMessage(HWND window, UINT message, WPARAM wparam,
                                                  LPARAM lparam, LRESULT& result) {
  if (message == WM_MOUSELEAVE) {
    if (hovered_cell_ != -1) {
      hovered_cell_ = -1;
      hover_in_mark_zone_ = false;
      Repaint(window);
    }
    return false;
  }
  if (message != WM_SETCURSOR || engine_ == nullptr) return false;
  const UINT mouse = MouseMessageOf(lparam);
  const POINT point = CursorRowPosition();
  const int cell = CellAt(point);
  switch (mouse) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (cell == -1) return false;
      pressed_cell_ = cell;
      result = TRUE;
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      if (cell == -1 || cell != pressed_cell_) {
        pressed_cell_ = -1;
        return false;
      }
      pressed_cell_ = -1;
      // The engine call below may rebuild, move or hide the window: what
      // the menu needs is taken from the cell first.
      const RECT cell_rect = cells_[cell].rect;
      const bool in_zone = InMarkZone(cell_rect, point);
      const RECT window_rect = WindowRect(window);
      const POINT menu_at = {window_rect.left + row_origin_.x + cell_rect.left,
                             window_rect.top + row_origin_.y + cell_rect.bottom};
      Engine* engine = engine_;
      if (mouse == WM_LBUTTONUP && !in_zone) {
        engine->SelectCandidate(cell, true);
      } else {
        engine->SelectCandidate(cell, false);
        if (::IsWindow(window) && engine_ == engine) OpenCandidateMenu(cell, menu_at);
      }
      result = TRUE;
      return true;
    }
    case WM_MOUSEMOVE:
      UpdateHover(true);
      if (hovered_cell_ == -1) return false;
      UseCursor(hover_in_mark_zone_ ? IDC_ARROW : IDC_HAND);
      result = TRUE;
      return true;
    default:
      return false;
  }
}

bool HorizontalWindow::ProcessOwnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                         LRESULT& result) {
  switch (message) {
    case WM_SETCURSOR:
      if (MouseMessageOf(lparam) != WM_RBUTTONUP) return false;
      UseCursor(IDC_ARROW);
      if (main_menu_ != nullptr) main_menu_->Show(CursorScreenPosition(), window, nullptr);
      result = TRUE;
      return true;
    case WM_PAINT: {
      // Double-buffered, into a buffer kept from one paint to the next.
      offscreen_.PaintWindow(window, [this](HDC dc, const RECT& client) { Paint(dc, client); });
      result = 0;
      return true;
    }
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_WINDOWPOSCHANGED:
      // Dragged or placed at a caret: the vignel image goes along.
      PlaceVignel();
      return false;
    case WM_DESTROY:
      DestroyVignel();
      return false;
    case WM_WINDOWPOSCHANGING: {
      // A menu of this window stays by the window that moves under it.
      const auto* position = reinterpret_cast<const WINDOWPOS*>(lparam);
      if (position != nullptr && (position->flags & SWP_NOMOVE) == 0) {
        const RECT now = WindowRect(window);
        const int dx = position->x - now.left;
        const int dy = position->y - now.top;
        if (dx != 0 || dy != 0) MoveOpenMenus(dx, dy);
      }
      return false;
    }
    default:
      return false;
  }
}

void HorizontalWindow::MoveOpenMenus(int dx, int dy) {
  MenuMove move = {dx, dy};
  ::EnumThreadWindows(::GetCurrentThreadId(), &MoveMenuWindow, reinterpret_cast<LPARAM>(&move));
}

void HorizontalWindow::OnButtonClicked(int index) {
  if (engine_ == nullptr) return;
  if (index == kLogoButton) {
    engine_->SearchWeb(-1);
    return;
  }
  if (index != kPreviousPageButton && index != kNextPageButton) return;
  HWND window = hwnd();
  const POINT cursor = CursorScreenPosition();
  const RECT before = WindowRect(window);
  const POINT offset = {cursor.x - before.left - button(index).x,
                        cursor.y - before.top - button(index).y};
  if (index == kPreviousPageButton) {
    RunCommand(CommandImpl<kPreviousPageCommand>(), kUpdateCandidateList);
  } else {
    RunCommand(CommandImpl<kNextPageCommand>(), kUpdateCandidateList);
  }
  // The page may have changed the window's size and place: the cursor goes
  // back onto the same spot of the button, and a move without distance lets
  // every hover state follow.
  if (!::IsWindow(window) || index >= button_count()) return;
  const RECT after = WindowRect(window);
  ::SetCursorPos(after.left + button(index).x + offset.x, after.top + button(index).y + offset.y);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  ::SendInput(1, &input, sizeof(input));
}

void HorizontalWindow::OnDragEnd() {
  if (settings_->GetInt(kSettingCaretTrack) != 0) return;
  // Stored as they are: a place left of or above the primary monitor is
  // out of the settings' range, and the store keeps its default instead.
  const RECT rect = WindowRect(hwnd());
  settings_->SetInt(kSettingCompPanelX, static_cast<uint32_t>(rect.left));
  settings_->SetInt(kSettingCompPanelY, static_cast<uint32_t>(rect.top));
}

void HorizontalWindow::Paint(HDC dc, const RECT& client) {
  if (background_skin_.IsLoaded()) {
    background_skin_.Draw(dc, client);
  } else {
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  }
  if (engine_ == nullptr) return;
  ::SetBkMode(dc, TRANSPARENT);
  PaintComposition(dc);
  PaintCandidates(dc);
  DrawButtons(dc);
}

void HorizontalWindow::PaintComposition(HDC dc) {
  int x = composition_origin_.x;
  const int y = composition_origin_.y;
  {
    base::ScopedSelectObject select(dc, candidate_font_.Get());
    ::SetTextColor(dc, kBlack);
    DrawRun(dc, x, y, parts_.converted);
  }
  x += part_sizes_[0].cx;
  base::ScopedSelectObject select(dc, english_font_.Get());
  DrawRun(dc, x, y, parts_.before_caret);
  x += part_sizes_[1].cx;
  ::SetTextColor(dc, kAfterCaretColour);
  DrawRun(dc, x, y, parts_.after_caret);
  base::ScopedSelectObject pen(dc, caret_pen_.Get());
  ::MoveToEx(dc, x, y, nullptr);
  ::LineTo(dc, x, y + composition_size_.cy);
}

void HorizontalWindow::PaintCandidates(HDC dc) {
  POINT previous_origin = {};
  ::SetViewportOrgEx(dc, row_origin_.x, row_origin_.y, &previous_origin);
  base::ScopedSelectObject select(dc, candidate_font_.Get());
  const int32_t selection = engine_->CandidateSelection();
  for (size_t i = 0; i < cells_.size(); ++i) {
    const int index = static_cast<int>(i);
    const RECT& rect = cells_[i].rect;
    if (index == selection) {
      selected_skin_.Draw(dc, rect);
      ::SetTextColor(dc, kWhite);
    } else {
      ::SetTextColor(dc, engine_->IsCandidateFlagged(index) ? kFlaggedColour : kBlack);
    }
    DrawRun(dc, rect.left + 4, rect.top + 4, cells_[i].label);
    if (index == hovered_cell_) {
      HIMAGELIST marks = hover_in_mark_zone_ ? zone_mark_images_.Get() : mark_images_.Get();
      if (marks != nullptr) {
        ::ImageList_Draw(marks, index == selection ? 1 : 0, dc, rect.right - 7, rect.bottom - 7,
                         ILD_NORMAL);
      }
    }
  }
  ::SetViewportOrgEx(dc, previous_origin.x, previous_origin.y, nullptr);
}

}  // namespace frontend
}  // namespace ime_shared
