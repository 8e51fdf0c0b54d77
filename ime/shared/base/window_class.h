// Registration of window classes, once per class name and module: each
// pop-up window class is registered by the first window that needs it and
// shared by all later ones.
#ifndef IME_SHARED_BASE_WINDOW_CLASS_H_
#define IME_SHARED_BASE_WINDOW_CLASS_H_

#include <windows.h>

namespace ime_shared {
namespace base {

// Registers |window_class| unless a class of that name (names compare
// without case) is already registered for its module, and returns the
// class atom; 0 on failure. A class registered before, by this function or
// otherwise, is kept as it is: the later description is not applied.
ATOM RegisterWindowClassOnce(const WNDCLASSEXW& window_class);

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_WINDOW_CLASS_H_
