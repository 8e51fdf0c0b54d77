#include "ime/shared/base/module_handle.h"

namespace ime_shared {
namespace base {

HMODULE ModuleFromAddress(const void* address) {
  HMODULE module = nullptr;
  // The module stays loaded for as long as its code runs: no reference is
  // needed, and none may be left behind to keep a DLL from unloading.
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(address), &module)) {
    return nullptr;
  }
  return module;
}

HINSTANCE CurrentModule() {
  static const char kMarker = 0;
  return ModuleFromAddress(&kMarker);
}

}  // namespace base
}  // namespace ime_shared
