// The vignel window: the small layered pop-up that shows the current vignel
// image at the top-right corner of the candidate window, names the vignel in
// a tooltip and, when clicked, ends the composition and opens a web page.
//
// The candidate window owns it: it creates it while "EnableVignel" is on,
// has it choose its vignel on every layout (the VignelStore it holds reads
// the schedule once for the window's life), places it and shows or hides it
// together with itself. Like the other pop-ups it is disabled and never
// activates; it learns of the mouse only through WM_SETCURSOR. It does not
// move when dragged.
#ifndef IME_SHARED_FRONTEND_VIGNEL_WINDOW_H_
#define IME_SHARED_FRONTEND_VIGNEL_WINDOW_H_

#include <windows.h>

#include <memory>
#include <set>
#include <string>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/image32.h"
#include "ime/shared/base/window_impl.h"
#include "ime/shared/frontend/layered_window.h"
#include "ime/shared/frontend/windows_api_wrapper.h"
#include "ime/shared/storage/vignel_store.h"

namespace ime_shared {

class EngineInterface;
class SettingsInterface;
class ShellOpenInterface;
class UserNameInterface;

namespace frontend {

// What the vignel window uses of the system besides the window itself: the
// vignel files and the clock (the store's environment), and the user-name
// lookup and the shell of the web page a click opens. Null members are the
// system's.
struct VignelSeams {
  VignelEnvironment* environment = nullptr;
  UserNameInterface* user_name = nullptr;
  ShellOpenInterface* shell = nullptr;
};

class VignelWindow : public base::WindowImpl<VignelWindow>,
                     public LayeredWindow<VignelWindow>,
                     public WindowsAPIWrapper {
 public:
  static constexpr wchar_t kClassName[] = L"IMEVIGNEL";
  // Popup and disabled; topmost, tool window, layered and no-activate.
  static constexpr DWORD kStyle = WS_POPUP | WS_DISABLED;
  static constexpr DWORD kExStyle =
      WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE;

  static base::WindowClassInfo GetWindowClassInfo() {
    return {kClassName, CS_IME, IDC_HAND, nullptr};
  }

  // |settings| ("DefaultVignelId") is borrowed and outlives the window;
  // |engine| (borrowed, may be null) is the one whose composition a click
  // ends.
  VignelWindow(const SettingsInterface* settings, EngineInterface* engine,
               const VignelSeams& seams = VignelSeams());
  ~VignelWindow() override;

  // Creates the window, hidden and without a picture. False when it cannot
  // be made.
  bool Create();
  // Destroys the tooltip, then the window; the object stays.
  void Destroy();

  void SetEngine(EngineInterface* engine) { engine_ = engine; }

  // Chooses the vignel to show now (the scheduled one, else the default
  // one) and shows it; the candidate window asks on every layout. True when
  // what should be shown is shown (nothing, for id 0).
  bool ChooseVignel();
  // Shows vignel |id|: nothing to do when it is the current one; 0 shows
  // nothing. Otherwise its description and image are read, the image
  // becomes the window's picture and the tooltip names the vignel. True
  // when both the description and the image were read; on false what was
  // shown stays (ChooseVignel takes it away when no vignel can be shown). A
  // vignel whose files failed once is not read again for the window's
  // life: a scheduled vignel with a missing image would otherwise be read
  // on every keystroke, taking turns with the default one.
  bool ShowVignel(int id);

  // Whether a picture is shown, and its size (0 x 0 without one): the
  // candidate window makes room for it and shows the window only with one.
  bool has_image() const { return has_layered_image(); }
  SIZE image_size() const { return layered_image_size(); }

  // The current vignel.
  int current_id() const { return current_id_; }
  bool is_default() const { return is_default_; }
  const std::wstring& display_name() const { return display_name_; }
  HWND tooltip_window() const { return tooltip_.Get(); }
  // The page a click opens now.
  std::wstring ClickAddress() const;

  // base::WindowBase: WM_SETCURSOR only.
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;
  // The candidate window owns the object: nothing happens here.
  void OnFinalMessage(HWND window) override {}

 private:
  // Loads |path| as the picture; false, with the picture unchanged, when it
  // does not decode or the system refuses it.
  bool SetImage(const std::wstring& path);
  // Lets go of the current vignel: no picture, no tooltip.
  void ShowNothing();
  void CreateTooltip();
  // Ends the engine's composition without committing it, then opens the
  // click's page.
  void Click();

  const SettingsInterface* settings_;
  EngineInterface* engine_;
  VignelSeams seams_;
  std::unique_ptr<base::Image32> image_;
  VignelStore store_;
  int current_id_ = 0;
  std::wstring display_name_;
  std::wstring image_path_;
  std::wstring search_text_;
  bool is_default_ = false;
  std::set<int> failed_ids_;
  base::ScopedTooltipWindow tooltip_;
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_VIGNEL_WINDOW_H_
