#include "ime/t13n/frontend/ui_parts.h"

namespace ime_t13n {

UIParts ProductUIParts() {
  // The status window, the character picker, the main menu and the
  // language bar are made here once they exist; until then the UI manager
  // runs with the candidate window alone.
  return UIParts();
}

}  // namespace ime_t13n
