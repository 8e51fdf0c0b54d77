#include "ime/t13n/frontend/candidate_context_menu.h"

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/base/module_handle.h"
#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/menu_interface.h"
#include "ime/shared/url_launcher.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"

namespace ime_t13n {

CandidateContextMenu::CandidateContextMenu() = default;

void CandidateContextMenu::SetSeams(ime_shared::frontend::MenuTrackerInterface* tracker,
                                    ime_shared::UserNameInterface* user_name) {
  tracker_ = tracker;
  user_name_ = user_name;
}

UINT CandidateContextMenu::Show(POINT screen, HWND owner) {
  HINSTANCE module = module_ != nullptr ? module_ : ime_shared::base::CurrentModule();
  ime_shared::base::ScopedMenu menu(::LoadMenuW(module, MAKEINTRESOURCEW(IDM_CANDIDATE_MENU)));
  if (!menu) return 0;
  HMENU popup = ::GetSubMenu(menu.Get(), 0);
  if (popup == nullptr) return 0;

  ime_shared::UserNameInterface* user_name =
      user_name_ != nullptr ? user_name_ : ime_shared::SystemUserName();
  if (ime_shared::IsSystemAccount(user_name)) {
    ::EnableMenuItem(popup, ID_CANDIDATE_SEARCH, MF_BYCOMMAND | MF_GRAYED);
  }
  const ime_shared::CandidateInterface* list =
      engine_ != nullptr ? engine_->candidates() : nullptr;
  if (list == nullptr || !list->IsDeletable()) {
    ::DeleteMenu(popup, ID_CANDIDATE_DELETE, MF_BYCOMMAND);
  }

  ime_shared::frontend::MenuTrackerInterface* tracker =
      tracker_ != nullptr ? tracker_ : ime_shared::frontend::SystemMenuTracker();
  const UINT choice = tracker->Track(popup, TPM_LEFTALIGN | TPM_TOPALIGN, screen, owner, nullptr);
  // The engine may have gone while the menu ran (the context was switched):
  // only the one still attached is used.
  T13nEngine* engine = engine_;
  if (engine == nullptr) return choice;
  if (choice == ID_CANDIDATE_SEARCH) {
    engine->SearchWeb(index_);
  } else if (choice == ID_CANDIDATE_DELETE) {
    engine->ExecuteAndUpdate(ime_shared::CandidateDeleteCommand(index_), 0);
  }
  return choice;
}

}  // namespace ime_t13n
