// The menu of one candidate, opened by a right click on it (or a click on
// its mark): "Search..." looks the candidate up on the web, "Delete" (only
// for a list whose candidates can be deleted) removes it.
#ifndef IME_T13N_FRONTEND_CANDIDATE_CONTEXT_MENU_H_
#define IME_T13N_FRONTEND_CANDIDATE_CONTEXT_MENU_H_

#include <windows.h>

#include <cstdint>

namespace ime_shared {
class UserNameInterface;
namespace frontend {
class MenuTrackerInterface;
}  // namespace frontend
}  // namespace ime_shared

namespace ime_t13n {

class T13nEngine;

class CandidateContextMenu {
 public:
  CandidateContextMenu();

  // The module whose menu resource is shown (null: the binary this code is
  // linked into).
  void set_module(HINSTANCE module) { module_ = module; }
  // The engine the choice goes to (borrowed; null for none).
  void set_engine(T13nEngine* engine) { engine_ = engine; }
  T13nEngine* engine() const { return engine_; }
  // The candidate of the current page the menu is for; -1 none.
  void set_index(int32_t index) { index_ = index; }
  int32_t index() const { return index_; }
  // Seams (borrowed; null restores the system's): how the menu is run and
  // whose account it runs in.
  void SetSeams(ime_shared::frontend::MenuTrackerInterface* tracker,
                ime_shared::UserNameInterface* user_name);

  // Shows the menu with its top-left corner at |screen| for |owner| and
  // carries out the choice: 40001 searches the web for the candidate (greyed
  // in the "SYSTEM" account), 40002 deletes it (offered only when the list
  // says its candidates can be deleted). Answers the chosen item, 0 for
  // none.
  UINT Show(POINT screen, HWND owner);

 private:
  HINSTANCE module_ = nullptr;
  T13nEngine* engine_ = nullptr;
  int32_t index_ = -1;
  ime_shared::frontend::MenuTrackerInterface* tracker_ = nullptr;
  ime_shared::UserNameInterface* user_name_ = nullptr;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_CANDIDATE_CONTEXT_MENU_H_
