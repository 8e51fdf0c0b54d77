#include "ime/shared/frontend/buttons_manager.h"

namespace ime_shared {
namespace frontend {

ButtonState ChooseButtonState(const ButtonRecord& button, bool hovered, bool last_pressed) {
  if (button.disabled) return kButtonDisabled;
  if (button.held) return kButtonPressed;
  if (!hovered) return kButtonNormal;
  return last_pressed ? kButtonPressed : kButtonHover;
}

bool ButtonHolds(const ButtonRecord& button, POINT point) {
  return button.visible && point.x >= button.x && point.x <= button.x + button.width &&
         point.y >= button.y && point.y <= button.y + button.height;
}

int ButtonAt(const std::vector<ButtonRecord>& buttons, POINT point) {
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
    if (ButtonHolds(buttons[i], point)) return i;
  }
  return -1;
}

void DrawButton(HDC dc, const ButtonRecord& button, ButtonState state) {
  const int image = button.images[state];
  if (image != -1 && button.image_list != nullptr) {
    ::ImageList_Draw(button.image_list, image, dc, button.x, button.y, ILD_TRANSPARENT);
  }
  if (!button.text.empty()) {
    ::TextOutW(dc, button.x + 4, button.y + 4, button.text.c_str(),
               static_cast<int>(button.text.size()));
  }
}

HWND CreateTooltipWindow(HWND owner) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  return ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
}

void RelayMouseMoveToTooltip(HWND tooltip, HWND window, POINT client) {
  MSG relayed = {};
  relayed.hwnd = window;
  relayed.message = WM_MOUSEMOVE;
  relayed.lParam = MAKELPARAM(client.x, client.y);
  relayed.pt = WindowsAPIWrapper::CursorScreenPosition();
  relayed.time = ::GetMessageTime();
  ::SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void RebuildButtonTooltips(HWND tooltip, HWND owner, const std::vector<ButtonRecord>& buttons) {
  if (tooltip == nullptr) return;
  // The tool record without its trailing reserved pointer, which older
  // common controls refuse.
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  while (::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0) > 0) {
    TTTOOLINFOW existing = {};
    existing.cbSize = TTTOOLINFOW_V2_SIZE;
    if (!::SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&existing))) break;
    ::SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&existing));
  }
  for (size_t i = 0; i < buttons.size(); ++i) {
    const ButtonRecord& b = buttons[i];
    if (!b.visible || b.tooltip.empty()) continue;
    tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = owner;
    tool.uId = kButtonToolIdBase + i;
    tool.rect = RECT{b.x, b.y, b.x + b.width, b.y + b.height};
    tool.lpszText = const_cast<wchar_t*>(b.tooltip.c_str());
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

}  // namespace frontend
}  // namespace ime_shared
