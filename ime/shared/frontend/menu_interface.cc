#include "ime/shared/frontend/menu_interface.h"

namespace ime_shared {
namespace frontend {

namespace {

class SystemTracker : public MenuTrackerInterface {
 public:
  UINT Track(HMENU popup, UINT flags, POINT point, HWND owner,
             const RECT* exclude) override {
    if (popup == nullptr) return 0;
    TPMPARAMS params = {};
    params.cbSize = sizeof(params);
    if (exclude != nullptr) params.rcExclude = *exclude;
    return static_cast<UINT>(::TrackPopupMenuEx(
        popup, flags | TPM_RETURNCMD | TPM_NONOTIFY, point.x, point.y, owner,
        exclude != nullptr ? &params : nullptr));
  }
};

}  // namespace

MenuTrackerInterface* SystemMenuTracker() {
  static SystemTracker* tracker = new SystemTracker();
  return tracker;
}

}  // namespace frontend
}  // namespace ime_shared
