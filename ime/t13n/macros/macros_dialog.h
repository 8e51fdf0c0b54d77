// The macros editor's dialog: a grid of macros (a macro text the user
// types and the macro target the input method offers for it) with buttons
// to add, remove, save and discard. Saving writes the per-user macros file
// and sets the setting "T13nMacroFileChanged" to 1, so that the first input
// method process that produces candidates next reloads the macros.
//
// Every message box goes through the injected MacrosMessageBoxInterface.
// A save that fails is said aloud and keeps the edits marked as unsaved; a
// stored file that does not read is said aloud too and kept aside as
// "macros.0000.bad" before the first save over it.
#ifndef IME_T13N_MACROS_MACROS_DIALOG_H_
#define IME_T13N_MACROS_MACROS_DIALOG_H_

#include <windows.h>

#include <memory>
#include <string>

#include "ime/shared/base/modal_dialog.h"
#include "ime/shared/settings.h"
#include "ime/t13n/macros/extended_list_view_ctrl.h"
#include "ime/t13n/macros/macros_file.h"
#include "ime/t13n/macros/macros_validator.h"

namespace ime_t13n {

class MacrosMessageBoxInterface;

// Where the editor keeps the macros and announces a save.
struct MacrosPlaces {
  // The per-user data folder that holds "macros.0000".
  std::wstring user_data_folder;
  // The mutex every process takes around the file.
  std::wstring mutex_name;
  // How long a read or a save waits for that mutex.
  DWORD mutex_timeout_ms = 5000;
  // The settings store that carries "T13nMacroFileChanged".
  ime_shared::SettingsLocation settings;

  // The product's: the per-user data folder, "MUTEXMacros.00000", 5000 ms
  // and the product's settings store.
  static MacrosPlaces Product();
};

// The name of the mutex that keeps the editor to one instance per session:
// TarvelL"Hindi"InputManageMacrosSingleton, quotes included.
extern const wchar_t kSingleInstanceMutexName[];

// The texts the editor shows.
extern const wchar_t kRemoveQuestion[];
extern const wchar_t kTooManyMacrosNotice[];
extern const wchar_t kSavedNotice[];
extern const wchar_t kSaveQuestion[];
extern const wchar_t kDiscardQuestion[];
extern const wchar_t kSaveFailedNotice[];
extern const wchar_t kUnreadableFileNotice[];
// The text of a row the user added and has not filled yet.
extern const wchar_t kPlaceholderText[];  // "-"

class MacrosDialog : public ime_shared::base::ModalDialog {
 public:
  // Results of DoModal besides -1 (the dialog could not be shown).
  static constexpr INT_PTR kClosed = IDCANCEL;
  static constexpr INT_PTR kDiscarded = 1010;

  // Creates the macros mutex (not owned by anyone yet) and the settings
  // store of |places|. |message_box| is borrowed.
  MacrosDialog(const MacrosPlaces& places, MacrosMessageBoxInterface* message_box);
  ~MacrosDialog() override;

  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;

  // Titles the dialog, centres it, takes over the list (grid, image list,
  // columns) and loads the macros.
  void OnInitDialog();
  // Fills the grid from the macros file: each stored entry that splits into
  // two words becomes a row. A file that exists but does not read leaves
  // the grid empty and is reported once the dialog shows.
  void LoadMacros();
  // Appends a row holding the placeholder in both columns; not a change.
  void OnAdd();
  // After a Yes, deletes every row with a selected cell.
  void OnRemove();
  // Saves the first 2000 filled rows (a row whose macro text is empty or
  // begins with the placeholder, or whose target is empty, is left out).
  // On success sets "T13nMacroFileChanged" to 1, clears the changed mark and
  // says so; on failure says that, and the mark and the setting stay. True
  // when the file was written.
  bool SaveMacros();
  // Esc and the close box: an open edit is ended first; unsaved changes are
  // offered for saving (Yes saves and closes unless the save fails, No
  // closes, Cancel stays).
  void OnClose();
  // Ends without saving, after a confirmation when something changed.
  void OnDiscard();

  ExtendedListViewCtrl& grid() { return grid_; }
  const MacrosFile& file() const { return file_; }
  // "Manage Macros" once the dialog is open: its title and the caption of
  // its message boxes.
  const std::wstring& title() const { return title_; }

 private:
  // Posted by LoadMacros so that the report of an unreadable file comes
  // over the shown dialog.
  static constexpr UINT kShowUnreadableNotice = WM_APP + 1;

  void Centre();
  void SetUpGrid();
  int Ask(const wchar_t* text, UINT type);

  MacrosPlaces places_;
  MacrosFile file_;
  std::unique_ptr<ime_shared::Settings> settings_;
  std::wstring title_;
  MacrosValidator validator_;
  MacrosMessageBoxInterface* message_box_;
  ExtendedListViewCtrl grid_;
};

// The program: keeps to one instance per |single_instance_name| (a second
// one brings the first one's window to the front and ends), then shows the
// dialog over |places| owned by the thread's active window. Returns 0.
int RunMacrosDialog(const MacrosPlaces& places, const wchar_t* single_instance_name,
                    MacrosMessageBoxInterface* message_box);

}  // namespace ime_t13n

#endif  // IME_T13N_MACROS_MACROS_DIALOG_H_
