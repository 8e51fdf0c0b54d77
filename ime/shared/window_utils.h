// Window tests of the pop-up windows.
#ifndef IME_SHARED_WINDOW_UTILS_H_
#define IME_SHARED_WINDOW_UTILS_H_

#include <windows.h>

namespace ime_shared {

// True when |window|, or one of the windows it belongs to (the parent of a
// child window, else the owner; at most 32 windows up the chain), has
// exactly the desktop's rectangle. The status window stays hidden over
// full-screen applications.
bool IsFullScreenWindow(HWND window);

}  // namespace ime_shared

#endif  // IME_SHARED_WINDOW_UTILS_H_
