// The binary (program or DLL) that a piece of code was linked into. The
// input method's resources (dialogs, bitmaps, menus, strings) are looked up
// there: the platform layer is a static library, so the module that holds
// its code is also the one that carries the resources, and a test program
// brings its own copy of what it needs.
#ifndef IME_SHARED_BASE_MODULE_HANDLE_H_
#define IME_SHARED_BASE_MODULE_HANDLE_H_

#include <windows.h>

namespace ime_shared {
namespace base {

// The module whose image contains |address|, without taking a reference on
// it; null when the address lies in no loaded module.
HMODULE ModuleFromAddress(const void* address);

// The module this code is linked into (never null for a loaded module).
HINSTANCE CurrentModule();

}  // namespace base
}  // namespace ime_shared

#endif  // IME_SHARED_BASE_MODULE_HANDLE_H_
