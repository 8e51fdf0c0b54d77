#include "ime/shared/frontend/vignel_window.h"

#include <commctrl.h>

#include <memory>
#include <utility>

#include "ime/shared/frontend/buttons_manager.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/image_utils.h"
#include "ime/shared/url_launcher.h"
#include "ime/shared/web_address.h"

namespace ime_shared {
namespace frontend {

VignelWindow::VignelWindow(const SettingsInterface* settings, EngineInterface* engine,
                           const VignelSeams& seams)
    : settings_(settings),
      engine_(engine),
      seams_(seams),
      store_(settings, seams.environment) {}

VignelWindow::~VignelWindow() {
  // The tooltip is owned by this window and goes first.
  tooltip_.Reset();
}

bool VignelWindow::Create() {
  return base::WindowImpl<VignelWindow>::Create(nullptr, RECT{0, 0, 1, 1}, L"", kStyle,
                                                kExStyle) != nullptr;
}

void VignelWindow::Destroy() {
  tooltip_.Reset();
  if (IsWindow()) DestroyWindow();
}

bool VignelWindow::ChooseVignel() {
  const bool shown =
      store_.ChooseVignel([this](int id) { return ShowVignel(id); }, &is_default_);
  // Neither the scheduled vignel nor the default one could be shown: the
  // picture of an earlier one, whose period may be over, goes.
  if (!shown) ShowNothing();
  return shown;
}

bool VignelWindow::ShowVignel(int id) {
  if (id == current_id_) return true;
  if (id == 0) {
    ShowNothing();
    return true;
  }
  // Checked before anything shown is let go: a scheduled vignel with a
  // missing image is tried at every layout, and the default one standing
  // in for it would otherwise be read and decoded again each time.
  if (failed_ids_.count(id) != 0) return false;
  std::wstring display_name;
  std::wstring image_path;
  std::wstring search_text;
  if (!store_.LoadVignelInfo(id, &display_name, &image_path, &search_text) ||
      !SetImage(image_path)) {
    failed_ids_.insert(id);
    return false;
  }
  current_id_ = id;
  display_name_.swap(display_name);
  image_path_.swap(image_path);
  search_text_.swap(search_text);
  CreateTooltip();
  return true;
}

void VignelWindow::ShowNothing() {
  current_id_ = 0;
  image_.reset();
  ClearLayeredImage();
  tooltip_.Reset();
  display_name_.clear();
  image_path_.clear();
  search_text_.clear();
}

bool VignelWindow::SetImage(const std::wstring& path) {
  if (!IsWindow()) return false;
  std::unique_ptr<base::Image32> image(new base::Image32());
  if (!image->Load(path)) return false;
  // The system blends a layered window's picture with premultiplied
  // colours; the decoder gives them straight.
  PremultiplyAlpha(ImageBits{image->bits(), image->width(), image->height(), image->pitch(),
                             image->bits_per_pixel()});
  if (!SetLayeredImage(image->bitmap(), image->size())) return false;
  image_ = std::move(image);
  return true;
}

void VignelWindow::CreateTooltip() {
  tooltip_.Reset();
  tooltip_.Reset(CreateTooltipWindow(hwnd()));
  if (!tooltip_) return;
  // The tool record without its trailing reserved pointer, which older
  // common controls refuse. The tool is the whole window: the window has
  // no parent, so it names itself as the tool's window too.
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd());
  tool.lpszText = const_cast<wchar_t*>(display_name_.c_str());
  ::SendMessageW(tooltip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring VignelWindow::ClickAddress() const {
  return is_default_ ? GetHomeUrl() : BuildSearchUrl(search_text_);
}

void VignelWindow::Click() {
  // Taken before the engine is called: ending the composition hides the
  // candidate window, which may change or hide this one.
  const std::wstring address = ClickAddress();
  UserNameInterface* user_name = seams_.user_name != nullptr ? seams_.user_name : SystemUserName();
  ShellOpenInterface* shell = seams_.shell != nullptr ? seams_.shell : SystemShell();
  // The typed text is discarded, not committed: the user went for the
  // page, not for a guess of the input method.
  if (engine_ != nullptr) engine_->EndComposition(false);
  LaunchUrlAsync(address, user_name, shell);
}

bool VignelWindow::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        LRESULT& result) {
  if (message != WM_SETCURSOR) return false;
  switch (MouseMessageOf(lparam)) {
    case WM_LBUTTONUP:
      Click();
      break;
    case WM_MOUSEMOVE:
      if (tooltip_) RelayMouseMoveToTooltip(tooltip_.Get(), hwnd(), CursorClientPosition(window));
      UseCursor(IDC_HAND);
      break;
    default:
      UseCursor(IDC_HAND);
      break;
  }
  result = 0;
  return true;
}

}  // namespace frontend
}  // namespace ime_shared
