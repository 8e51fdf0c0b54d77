#include "ime/shared/tsf/menu_copy.h"

#include <cwchar>

#include "ime/shared/base/com_ptr.h"

namespace ime_shared {
namespace tsf {

namespace {

// Menu texts longer than this are cut.
constexpr UINT kTextUnits = 260;
// Menus nest no deeper than this; a menu that contains itself stops here.
constexpr int kMaxDepth = 16;

HRESULT CopyLevel(HMENU menu, ITfMenu* target, int depth) {
  const int count = ::GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    wchar_t text[kTextUnits] = {};
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    item.dwTypeData = text;
    item.cch = kTextUnits;
    if (!::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item)) continue;
    DWORD flags = 0;
    if (item.hSubMenu != nullptr) {
      flags = TF_LBMENUF_SUBMENU;
    } else if ((item.fType & MFT_SEPARATOR) != 0) {
      flags = TF_LBMENUF_SEPARATOR;
    }
    if ((item.fState & MFS_CHECKED) != 0) flags |= TF_LBMENUF_CHECKED;
    text[kTextUnits - 1] = L'\0';
    const ULONG length = static_cast<ULONG>(wcslen(text));
    base::ComPtr<ITfMenu> submenu;
    HRESULT result = target->AddMenuItem(item.wID, flags, nullptr, nullptr, text, length,
                                         item.hSubMenu != nullptr ? submenu.Receive() : nullptr);
    if (FAILED(result)) continue;
    if (item.hSubMenu != nullptr && submenu && depth < kMaxDepth) {
      CopyLevel(item.hSubMenu, submenu.Get(), depth + 1);
    }
  }
  return S_OK;
}

}  // namespace

HRESULT CopyMenuToTfMenu(HMENU menu, ITfMenu* target) {
  if (menu == nullptr || target == nullptr) return E_INVALIDARG;
  return CopyLevel(menu, target, 0);
}

}  // namespace tsf
}  // namespace ime_shared
