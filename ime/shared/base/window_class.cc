#include "ime/shared/base/window_class.h"

#include <cwctype>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace ime_shared {
namespace base {
namespace {

using ClassKey = std::pair<HINSTANCE, std::wstring>;

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<ClassKey, ATOM>& Registered() {
  static std::map<ClassKey, ATOM>* classes = new std::map<ClassKey, ATOM>();
  return *classes;
}

std::wstring Folded(const wchar_t* name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towupper(c));
  return folded;
}

}  // namespace

ATOM RegisterWindowClassOnce(const WNDCLASSEXW& window_class) {
  if (window_class.lpszClassName == nullptr || IS_INTRESOURCE(window_class.lpszClassName) ||
      window_class.lpszClassName[0] == L'\0') {
    return 0;
  }
  const ClassKey key(window_class.hInstance, Folded(window_class.lpszClassName));
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto found = Registered().find(key);
  if (found != Registered().end()) return found->second;

  WNDCLASSEXW description = window_class;
  description.cbSize = sizeof(description);
  ATOM atom = ::RegisterClassExW(&description);
  if (atom == 0 && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
    // Registered outside this function: use that class.
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    atom = static_cast<ATOM>(
        ::GetClassInfoExW(window_class.hInstance, window_class.lpszClassName, &existing));
  }
  if (atom != 0) Registered()[key] = atom;
  return atom;
}

}  // namespace base
}  // namespace ime_shared
