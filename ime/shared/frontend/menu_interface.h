// Pop-up menus of the input method's windows: the options menu that a right
// click or a menu button opens, and the one call that runs a pop-up menu,
// kept behind an interface so that tests choose an item instead of a user.
#ifndef IME_SHARED_FRONTEND_MENU_INTERFACE_H_
#define IME_SHARED_FRONTEND_MENU_INTERFACE_H_

#include <windows.h>

namespace ime_shared {

// A menu that builds itself and runs its own choice.
class MenuInterface {
 public:
  virtual ~MenuInterface() = default;
  // Builds the menu and shows it at |point| (screen coordinates) for
  // |owner|, keeping clear of |exclude| (screen coordinates; may be null);
  // the chosen item is carried out before it returns.
  virtual void Show(POINT point, HWND owner, const RECT* exclude) = 0;
};

namespace frontend {

// Runs a pop-up menu and answers the chosen item.
class MenuTrackerInterface {
 public:
  virtual ~MenuTrackerInterface() = default;
  // Shows |popup| with its top-left corner at |point| (screen coordinates)
  // for |owner| and returns the command of the chosen item, 0 when none
  // was chosen. |flags| are TrackPopupMenuEx's alignment flags.
  virtual UINT Track(HMENU popup, UINT flags, POINT point, HWND owner,
                     const RECT* exclude) = 0;
};

// TrackPopupMenuEx returning the command without notifying the owner.
// A process-wide object, never deleted.
MenuTrackerInterface* SystemMenuTracker();

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_MENU_INTERFACE_H_
