// Owner-drawn buttons of a pop-up window, each drawn from an image list in
// one of four states and pressed with the mouse read from WM_SETCURSOR;
// optionally with tooltips.
//
// A mix-in of the host window class Host (a base::WindowImpl); the host's
// message map calls ProcessButtonsMessage and its painting DrawButtons. The
// host defines, as a public member,
//   void OnButtonClicked(int index);
// run when the left button is pressed and released on the same enabled
// button. It may rebuild, hide or destroy the window.
#ifndef IME_SHARED_FRONTEND_BUTTONS_MANAGER_H_
#define IME_SHARED_FRONTEND_BUTTONS_MANAGER_H_

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/frontend/windows_api_wrapper.h"

namespace ime_shared {
namespace frontend {

enum ButtonState {
  kButtonNormal = 0,
  kButtonHover = 1,
  kButtonPressed = 2,
  kButtonDisabled = 3,
};

// One button, placed in the host's client area.
struct ButtonRecord {
  std::wstring text;
  std::wstring tooltip;
  HIMAGELIST image_list = nullptr;  // borrowed
  // The image of each state in the list; -1 draws no image.
  int images[4] = {-1, -1, -1, -1};
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool disabled = false;
  // Drawn pressed while set (toggle buttons).
  bool held = false;
  bool visible = true;
};

// Tooltip tools are numbered from here by the button's index.
constexpr UINT_PTR kButtonToolIdBase = 100;

// The state a button is drawn in: disabled, else held -> pressed, else not
// hovered -> normal, else hovered and the last pressed -> pressed, else
// hover.
ButtonState ChooseButtonState(const ButtonRecord& button, bool hovered, bool last_pressed);

// Whether |button| is visible and its rectangle, edges included
// (x..x+width, y..y+height), holds |point|.
bool ButtonHolds(const ButtonRecord& button, POINT point);

// The first button that holds |point| (see ButtonHolds); -1 for none.
int ButtonAt(const std::vector<ButtonRecord>& buttons, POINT point);

// Draws the button's image for |state| from its list at (x, y), then its
// text, when there is one, at (x + 4, y + 4).
void DrawButton(HDC dc, const ButtonRecord& button, ButtonState state);

// Puts the tooltips of |buttons| in |tooltip|, a "tooltips_class32" window
// for tools of |owner|: every tool it had is deleted, then each visible
// button with a tooltip text is added as tool 100 + its index.
void RebuildButtonTooltips(HWND tooltip, HWND owner, const std::vector<ButtonRecord>& buttons);
// A tooltip window owned by |owner|: topmost, always tipping, no prefix.
HWND CreateTooltipWindow(HWND owner);
// Hands |tooltip| a mouse move of |window| at |client| (client
// coordinates), so that it knows when to tip.
void RelayMouseMoveToTooltip(HWND tooltip, HWND window, POINT client);

template <typename Host>
class ButtonsManager {
 public:
  void OnButtonClicked(int index) {}

  // Adds a button; returns its index.
  int AddButton(const ButtonRecord& button) {
    buttons_.push_back(button);
    return static_cast<int>(buttons_.size()) - 1;
  }
  ButtonRecord& button(int index) { return buttons_[index]; }
  const std::vector<ButtonRecord>& buttons() const { return buttons_; }
  int button_count() const { return static_cast<int>(buttons_.size()); }
  int hovered_button() const { return hovered_; }
  int pressed_button() const { return pressed_; }
  HWND tooltip_window() const { return tooltip_.Get(); }

  // Destroys the tooltip window and forgets every button.
  void ClearButtons() {
    tooltip_.Reset();
    buttons_.clear();
    hovered_ = -1;
    pressed_ = -1;
  }

  // Makes the tooltip window on first use and gives it the current
  // buttons.
  void RebuildTooltips() {
    HWND owner = static_cast<Host*>(this)->hwnd();
    if (!tooltip_) tooltip_.Reset(CreateTooltipWindow(owner));
    if (tooltip_) RebuildButtonTooltips(tooltip_.Get(), owner, buttons_);
  }

  void DrawButtons(HDC dc) const {
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
      if (!buttons_[i].visible) continue;
      DrawButton(dc, buttons_[i], ChooseButtonState(buttons_[i], i == hovered_, i == pressed_));
    }
  }

 protected:
  bool ProcessButtonsMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                             LRESULT& result) {
    if (message == WM_MOUSELEAVE) {
      if (hovered_ != -1) {
        hovered_ = -1;
        WindowsAPIWrapper::Repaint(window);
      }
      return false;
    }
    if (message != WM_SETCURSOR) return false;
    const UINT mouse = WindowsAPIWrapper::MouseMessageOf(lparam);
    if (mouse == 0) return false;
    const POINT point = WindowsAPIWrapper::CursorClientPosition(window);
    const int under = ButtonAt(buttons_, point);
    switch (mouse) {
      case WM_LBUTTONDOWN:
        hovered_ = under;
        if (under != -1) {
          pressed_ = under;
          WindowsAPIWrapper::Repaint(window);
        }
        break;
      case WM_LBUTTONUP:
        if (under != -1 && under == pressed_ && !buttons_[under].disabled) {
          pressed_ = -1;
          static_cast<Host*>(this)->OnButtonClicked(under);
          // The action may have rebuilt the buttons or destroyed the window.
          if (::IsWindow(window)) WindowsAPIWrapper::Repaint(window);
          result = TRUE;
          return true;
        }
        break;
      case WM_MOUSEMOVE:
        if (under != hovered_) {
          hovered_ = under;
          WindowsAPIWrapper::Repaint(window);
        }
        if (tooltip_) RelayMouseMoveToTooltip(tooltip_.Get(), window, point);
        break;
      default:
        break;
    }
    if (hovered_ != -1) {
      WindowsAPIWrapper::UseCursor(IDC_HAND);
      result = TRUE;
      return true;
    }
    return false;
  }

 private:
  std::vector<ButtonRecord> buttons_;
  int hovered_ = -1;
  int pressed_ = -1;
  base::ScopedTooltipWindow tooltip_;
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_BUTTONS_MANAGER_H_
