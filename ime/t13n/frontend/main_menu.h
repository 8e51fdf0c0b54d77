// The input method's options menu: the candidate font and the English font,
// the candidate page size, the user cache, the custom schemes, the about
// box, the help page and the macros editor. The status window's menu button
// and right clicks on the status and candidate windows open it; the
// language bar copies the built menu and hands the chosen item back.
//
// Every choice is stored in the settings; where the engine must react, the
// matching engine property is set too (on the engine attached when the
// choice is carried out, which may not be the one attached when the menu
// opened: a focus change during the menu replaces it).
#ifndef IME_T13N_FRONTEND_MAIN_MENU_H_
#define IME_T13N_FRONTEND_MAIN_MENU_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/language_codes.h"
#include "ime/t13n/frontend/ui_parts.h"

namespace ime_shared {
class SettingsInterface;
class UserNameInterface;
namespace frontend {
class MenuTrackerInterface;
}  // namespace frontend
}  // namespace ime_shared

namespace ime_t13n {

// The font families the screen offers.
class FontFaceListInterface {
 public:
  virtual ~FontFaceListInterface() = default;
  // Every face name, in the order the system lists them.
  virtual std::vector<std::wstring> FaceNames() = 0;
};

// The font dialog.
class FontDialogInterface {
 public:
  virtual ~FontDialogInterface() = default;
  // Shows the dialog for |owner| preset to |font|; true when the user
  // chose, with the choice in |font|.
  virtual bool Choose(HWND owner, LOGFONTW* font) = 0;
};

// Starts the programs and opens the pages the menu offers.
class LauncherInterface {
 public:
  virtual ~LauncherInterface() = default;
  // Starts the program at |path| without arguments, shown normally.
  virtual bool StartProgram(const std::wstring& path) = 0;
  // Opens |address| in the user's browser without waiting for it.
  virtual bool OpenPage(const std::wstring& address) = 0;
};

// Runs the about box.
class AboutBoxInterface {
 public:
  virtual ~AboutBoxInterface() = default;
  // Shows the about box for |language_name|, modal, owned by |owner|.
  virtual void Run(const std::wstring& language_name, HWND owner) = 0;
};

// What the menu works with besides the settings. Each null pointer and empty
// function stands for the system's: EnumFontFamiliesExW over the screen,
// ChooseFontW, ShellExecuteW (pages on a thread of their own), the about
// dialog of the module, TrackPopupMenuEx, GetUserNameW, "PATH" and
// "T13nSupportedLanguages" of the machine's product key. Borrowed.
struct MainMenuSeams {
  FontFaceListInterface* faces = nullptr;
  FontDialogInterface* font_dialog = nullptr;
  LauncherInterface* launcher = nullptr;
  AboutBoxInterface* about_box = nullptr;
  ime_shared::frontend::MenuTrackerInterface* tracker = nullptr;
  ime_shared::UserNameInterface* user_name = nullptr;
  std::function<std::wstring()> install_directory;
  std::function<uint32_t()> supported_languages;
};

// The macros editor, started from the install folder.
extern const wchar_t kMacrosEditorProgram[];

// Items of the menu besides those of its resource.
enum MainMenuItem : UINT {
  kMenuFirstScheme = 1000,  // 1000 + the scheme's place in the list
  kMenuLastScheme = 1200,
  kMenuChooseSuggestionFont = 2000,
  kMenuSuggestionFont = 2001,  // the current one; does nothing
  kMenuChooseEnglishFont = 3000,
  kMenuEnglishFont = 3001,  // the current one; does nothing
};

class MainMenu : public MainMenuInterface {
 public:
  // Reads the supported languages and finds, for each of them, the installed
  // face that comes first in the language's font list. |module| (null: the
  // binary this code is linked into) holds the menu and the about box;
  // |settings| is borrowed.
  MainMenu(HINSTANCE module, ime_shared::SettingsInterface* settings,
           const MainMenuSeams& seams = MainMenuSeams());
  ~MainMenu() override;
  MainMenu(const MainMenu&) = delete;
  MainMenu& operator=(const MainMenu&) = delete;

  // MenuInterface: builds the menu and runs it with its bottom-left corner
  // at |point|; the choice is carried out with the engine attached by then.
  void Show(POINT point, HWND owner, const RECT* exclude) override;

  // MainMenuInterface.
  void SetEngine(T13nEngine* engine) override { engine_ = engine; }
  // From the top: "Schemes" (only while the engine has schemes), "Suggestion
  // Font", "English Font", then the resource's page sizes, the one user-cache
  // item that offers the other state, "Manage Macros...", "About..." and
  // "Help...". An empty candidate font setting is first set to the best
  // installed font of the current language. Null when the menu resource is
  // missing.
  HMENU Build() override;
  // Carries out item |id|; with a null |engine| only the settings change.
  void OnCommand(UINT id, T13nEngine* engine) override;

  // Whether |face| is one of the language fonts to look for: each face of
  // the screen goes through here once, at construction.
  void NoteInstalledFace(const std::wstring& face);
  // The best installed face of language row |language| and its place in
  // the language's list; empty and -1 when none was found.
  const std::wstring& best_font(int language) const;
  int best_font_position(int language) const;
  uint32_t supported_languages() const { return supported_languages_; }
  T13nEngine* engine() const { return engine_; }

 private:
  // Ends the composition, then shows the font dialog for the face in string
  // setting |face_setting| and the point size in |size_setting|, and keeps
  // a choice with a face.
  void AskForFont(T13nEngine* engine, int face_setting, int size_setting);
  void StartMacrosEditor();
  bool InSystemAccount();

  HINSTANCE module_;
  ime_shared::SettingsInterface* settings_;
  MainMenuSeams seams_;
  T13nEngine* engine_ = nullptr;
  uint32_t supported_languages_ = 0;
  int best_positions_[ime_shared::LanguageCodes::kCount];
  std::wstring best_faces_[ime_shared::LanguageCodes::kCount];
  // The loaded menu; its first submenu is the one shown and owns the
  // popups added at each build.
  ime_shared::base::ScopedMenu menu_;
  HMENU popup_ = nullptr;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_MAIN_MENU_H_
