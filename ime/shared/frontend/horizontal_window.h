// The candidate window: the input method's own horizontal pop-up with the
// composition row (the text being typed, with its caret), one row of
// numbered candidates, two page buttons and the logo button, or in the
// logo's place the vignel image while "EnableVignel" is on and a vignel is
// to be shown (the vignel window, which stands out of the top-right corner).
//
// It never takes the focus: it is created disabled and no-activate, and
// reads the mouse from WM_SETCURSOR. A click on a candidate goes back to the
// engine (SelectCandidate); the page buttons and the candidate menu reach
// the engine's core through the subclass, which knows the concrete engine.
// Destroying the window deletes the object (OnFinalMessage), so the object
// lives on the heap and goes with Destroy().
#ifndef IME_SHARED_FRONTEND_HORIZONTAL_WINDOW_H_
#define IME_SHARED_FRONTEND_HORIZONTAL_WINDOW_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/buttons_manager.h"
#include "ime/shared/frontend/dragable_window.h"
#include "ime/shared/frontend/drop_shadow_window.h"
#include "ime/shared/frontend/expandable_image.h"
#include "ime/shared/frontend/mouse_leaving_tracker.h"
#include "ime/shared/frontend/offscreen_dc.h"
#include "ime/shared/frontend/vignel_window.h"
#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {

class CommandInterface;
class ContextInterface;
class MenuInterface;
class SettingsInterface;

namespace frontend {

class Engine;

// The three runs of the composition row: the converted text (drawn in the
// candidate font), the typed text up to the caret and the rest (both in
// the English font).
struct CompositionParts {
  std::wstring converted;
  std::wstring before_caret;
  std::wstring after_caret;
};

// Cuts |text| at |converted_length| and at |caret|, each clamped into the
// text (the caret never before the first cut).
CompositionParts CutComposition(const std::wstring& text, int32_t converted_length,
                                int32_t caret);

// A candidate's label: "a.text", "b.text" ... for label style 1, else
// "1.text", "2.text" ...
std::wstring FormatCandidateLabel(int32_t label_style, int32_t index, const std::wstring& text);

// One candidate of the row: its label and its rectangle in row coordinates.
struct CandidateCell {
  std::wstring label;
  RECT rect;
};

class HorizontalWindow : public base::WindowImpl<HorizontalWindow>,
                         public ButtonsManager<HorizontalWindow>,
                         public MouseLeavingTracker<HorizontalWindow>,
                         public DragableWindow<HorizontalWindow>,
                         public DropShadowWindow<HorizontalWindow>,
                         public WindowsAPIWrapper {
 public:
  static constexpr wchar_t kClassName[] = L"IMEHORIZONTAL";
  // The candidate row stops before the first cell that would pass this.
  static constexpr int kMaxRowWidth = 900;
  static constexpr int kMinRowWidth = 50;
  // Buttons, by index.
  static constexpr int kPreviousPageButton = 0;
  static constexpr int kNextPageButton = 1;
  static constexpr int kLogoButton = 2;
  // The caret of the composition row.
  static constexpr COLORREF kCaretColour = 0xFBB83A;
  static constexpr COLORREF kAfterCaretColour = 0x666666;
  // Flagged candidates (macro expansions, completions).
  static constexpr COLORREF kFlaggedColour = 0xFF0000;
  // The room a vignel image takes inside the window's top-right corner in
  // the logo's place; the rest of the image stands out of the window.
  static constexpr SIZE kVignelArea = {120, 20};
  // The hover mark of a cell: its zone and its place from the cell's
  // bottom-right corner.
  static constexpr int kMarkZoneLeft = 7;
  static constexpr int kMarkZoneRight = 2;

  static base::WindowClassInfo GetWindowClassInfo() {
    return {kClassName, CS_IME, IDC_ARROW, nullptr};
  }

  // |settings| is borrowed and outlives the window.
  explicit HorizontalWindow(SettingsInterface* settings);
  ~HorizontalWindow() override;

  // Creates the window, hidden, and loads the skins and the hover marks
  // from |module| (null: the binary this code is linked into). |main_menu|
  // (borrowed; may be null) opens on a right click outside the candidates.
  // False when the window cannot be made; the caller then Destroy()s it.
  bool Create(HINSTANCE module, MenuInterface* main_menu);
  // Destroys the window, which deletes the object; an object without a
  // window is deleted at once.
  void Destroy();

  // Binds the context and its engine (either may be null) and refreshes the
  // fonts and images.
  void Attach(ContextInterface* context, Engine* engine);
  // Shows, moves or hides the window for the attached context: shown while
  // the context says the application leaves the composition or candidate
  // window to the input method (its flag 1 or 2) and the engine has
  // candidates or a composition.
  void Show();
  // Keeps |caret| (screen) as the place to show at; with caret tracking on,
  // moves the window there at once, keeping its size.
  void MoveNearCaret(const RECT& caret);

  // Fonts and images, read at the start of every show. This one keys them
  // on the setting "CompFontSize" (0-3).
  virtual void Refresh();

  // base::WindowBase.
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;
  void OnFinalMessage(HWND window) override;

  // Hooks of the mix-ins.
  void OnButtonClicked(int index);
  void OnDragEnd();
  // With a vignel image, the part of it outside the window stays on the
  // work area too.
  RECT DragClampExtra();

  // Where the vignel window takes its files and clock from and how a click
  // on it opens its page; given to the vignel window when it is made (and
  // to the one that exists).
  void SetVignelSeams(const VignelSeams& seams);
  // The vignel window; null while "EnableVignel" is off (or before the
  // first show).
  VignelWindow* vignel_window() const { return vignel_.get(); }

  // What the window shows now.
  const std::vector<CandidateCell>& cells() const { return cells_; }
  POINT candidate_row_origin() const { return row_origin_; }
  SIZE candidate_row_size() const { return row_size_; }
  const CompositionParts& composition_parts() const { return parts_; }
  SIZE window_size() const { return window_size_; }
  int hovered_cell() const { return hovered_cell_; }
  bool hover_in_mark_zone() const { return hover_in_mark_zone_; }
  int pressed_cell() const { return pressed_cell_; }
  HFONT candidate_font() const { return candidate_font_.Get(); }
  HFONT english_font() const { return english_font_.Get(); }
  // How many fonts, image lists and skins the window has made so far: they
  // are made once and again only when a setting changes them.
  int drawing_objects_made() const { return drawing_objects_made_; }
  ContextInterface* context() const { return context_; }
  Engine* engine() const { return engine_; }

 protected:
  SettingsInterface* settings() const { return settings_; }
  HINSTANCE module() const { return module_; }

  // Run by the page buttons: |command| through the engine's core, then the
  // context brought up to date with the engine's pending flags or-ed with
  // |extra_flags|. The generic engine keeps its core to itself, so this
  // does nothing here; the subclass over the concrete engine runs it.
  virtual bool RunCommand(const CommandInterface& command, uint32_t extra_flags);
  // Opens the menu of candidate |index| with its top-left corner at
  // |screen|. Nothing here.
  virtual void OpenCandidateMenu(int index, POINT screen);

  // The candidate font (also the composition row's converted-text font)
  // and the English font; a null font keeps the one in use. Each replaced
  // font counts as made.
  void ReplaceCandidateFont(HFONT font);
  void ReplaceEnglishFont(HFONT font);
  // The page buttons' and the logo's images from bitmap strips of the
  // module; false, keeping the images in use, when the bitmap is missing.
  bool LoadButtonImages(int bitmap_id, int image_width);
  bool LoadLogoImages(int bitmap_id, int image_width);

  // A bold font of |face| (truncated to the face field), |height| as
  // LOGFONT's lfHeight, over the template of the candidate fonts.
  static HFONT CreateCandidateWindowFont(const std::wstring& face, int height);

 private:
  bool ProcessCandidateRowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                  LRESULT& result);
  bool ProcessOwnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                         LRESULT& result);

  void Hide();
  void MeasureComposition(HDC dc);
  void BuildCandidateRow(HDC dc);
  // The cells of the engine's page; false when the row had to stop early
  // and the engine was told how many fit.
  bool BuildCells(HDC dc);
  void Layout();
  void UpdateHover(bool repaint);
  // The cell under |row_point| (row coordinates); -1 for none.
  int CellAt(POINT row_point) const;
  POINT CursorRowPosition() const;
  void Paint(HDC dc, const RECT& client);
  void PaintComposition(HDC dc);
  void PaintCandidates(HDC dc);
  void MoveOpenMenus(int dx, int dy);
  // Makes or takes down the vignel window for "EnableVignel" and has it
  // choose its vignel.
  void UpdateVignel();
  bool ShowsVignel() const;
  // Puts the vignel window at its place by this window.
  void PlaceVignel();
  void DestroyVignel();

  SettingsInterface* settings_;
  ContextInterface* context_ = nullptr;
  Engine* engine_ = nullptr;
  HINSTANCE module_ = nullptr;
  MenuInterface* main_menu_ = nullptr;

  // The composition row.
  base::ScopedFont english_font_;
  base::ScopedFont candidate_font_;
  base::ScopedPen caret_pen_;
  CompositionParts parts_;
  SIZE part_sizes_[3] = {};
  POINT composition_origin_ = {3, 3};
  SIZE composition_size_ = {0, 0};

  // The candidate row.
  std::vector<CandidateCell> cells_;
  ExpandableImage selected_skin_;
  base::ScopedImageList mark_images_;       // outside a cell's mark zone
  base::ScopedImageList zone_mark_images_;  // inside it
  POINT row_origin_ = {3, 0};
  SIZE row_size_ = {kMinRowWidth, 0};
  int hovered_cell_ = -1;
  bool hover_in_mark_zone_ = false;
  int pressed_cell_ = -1;

  ExpandableImage background_skin_;
  base::ScopedImageList button_images_;
  base::ScopedImageList logo_images_;
  SIZE button_size_ = {0, 0};
  SIZE logo_size_ = {0, 0};

  // The paint buffer, kept while the window keeps its size.
  OffscreenDC offscreen_;

  std::unique_ptr<VignelWindow> vignel_;
  VignelSeams vignel_seams_;

  RECT last_caret_ = {0, 0, 0, 0};
  SIZE window_size_ = {0, 0};
  int drawing_objects_made_ = 0;
  // The "CompFontSize" the base refresh last loaded for; -1 none.
  int loaded_font_size_step_ = -1;
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_HORIZONTAL_WINDOW_H_
