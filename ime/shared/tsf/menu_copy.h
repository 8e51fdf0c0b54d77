// The language bar shows a button's menu through its own ITfMenu: the
// input method's menus are ordinary menus, copied item by item.
#ifndef IME_SHARED_TSF_MENU_COPY_H_
#define IME_SHARED_TSF_MENU_COPY_H_

#include <windows.h>

#include "ime/shared/base/tsf_declarations.h"

namespace ime_shared {
namespace tsf {

// Adds every item of |menu| to |target| in order: its id, its text, checked,
// separator and submenu marks; a submenu's items go into the submenu the
// target returns. Items that cannot be read are skipped. E_INVALIDARG for a
// null menu or target.
HRESULT CopyMenuToTfMenu(HMENU menu, ITfMenu* target);

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_MENU_COPY_H_
