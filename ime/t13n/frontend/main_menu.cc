#include "ime/t13n/frontend/main_menu.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "ime/shared/base/module_handle.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/menu_interface.h"
#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/language_display_tables.h"
#include "ime/shared/logging.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/url_launcher.h"
#include "ime/shared/web_address.h"
#include "ime/t13n/frontend/about_dialog.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"

namespace ime_t13n {

const wchar_t kMacrosEditorProgram[] = L"Dorimond.exe";

namespace {

using ime_shared::frontend::kPropertyPageSize;
using ime_shared::frontend::kPropertySchemeMode;

// The page-size items are numbered from here by their size (3 to 6).
constexpr UINT kPageSizeItemBase = ID_MAIN_PAGE_SIZE_3 - 3;

// The screen's font families, one entry per face and character set.
class SystemFaceList : public FontFaceListInterface {
 public:
  std::vector<std::wstring> FaceNames() override {
    std::vector<std::wstring> faces;
    ime_shared::base::ScopedWindowDC screen(nullptr);
    if (screen.Get() == nullptr) return faces;
    LOGFONTW pattern = {};
    pattern.lfCharSet = DEFAULT_CHARSET;
    ::EnumFontFamiliesExW(screen.Get(), &pattern, &AddFace, reinterpret_cast<LPARAM>(&faces), 0);
    return faces;
  }

 private:
  static int CALLBACK AddFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
    reinterpret_cast<std::vector<std::wstring>*>(faces)->push_back(font->lfFaceName);
    return 1;
  }
};

// ChooseFontW, looked up when first used: the common dialogs are not loaded
// into every host that types with the input method, only into one whose user
// opens the font dialog.
class SystemFontDialog : public FontDialogInterface {
 public:
  bool Choose(HWND owner, LOGFONTW* font) override {
    using ChooseFontProc = BOOL(WINAPI*)(CHOOSEFONTW*);
    HMODULE dialogs = ::LoadLibraryW(L"comdlg32.dll");
    if (dialogs == nullptr) return false;
    auto choose = reinterpret_cast<ChooseFontProc>(
        reinterpret_cast<void*>(::GetProcAddress(dialogs, "ChooseFontW")));
    CHOOSEFONTW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpLogFont = font;
    request.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    const bool chosen = choose != nullptr && choose(&request) != FALSE;
    ::FreeLibrary(dialogs);
    return chosen;
  }
};

class SystemLauncher : public LauncherInterface {
 public:
  bool StartProgram(const std::wstring& path) override {
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
  bool OpenPage(const std::wstring& address) override {
    return ime_shared::LaunchUrlAsync(address);
  }
};

class SystemAboutBox : public AboutBoxInterface {
 public:
  explicit SystemAboutBox(HINSTANCE module) : module_(module) {}
  void Run(const std::wstring& language_name, HWND owner) override {
    AboutDialog(language_name, module_).DoModal(owner);
  }

 private:
  HINSTANCE module_;
};

// A folder named from a drive's root ("C:\...") or a share ("\\server\...").
// Anything else would be looked up from the host's current folder or its
// search path.
bool IsAbsoluteFolder(const std::wstring& folder) {
  if (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) {
    const wchar_t drive = folder[0];
    return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
  }
  return folder.size() > 2 && folder[0] == L'\\' && folder[1] == L'\\';
}

// "Mangal [12pt]".
std::wstring FontItemText(const std::wstring& face, uint32_t points) {
  return face + L" [" + std::to_wstring(points) + L"pt]";
}

// A popup with the current font (checked, doing nothing) and "Choose
// font...".
HMENU MakeFontPopup(UINT current_id, const std::wstring& current_text, UINT choose_id) {
  HMENU popup = ::CreatePopupMenu();
  if (popup == nullptr) return nullptr;
  ::AppendMenuW(popup, MF_STRING | MF_CHECKED, current_id, current_text.c_str());
  ::AppendMenuW(popup, MF_STRING, choose_id, L"Choose font...");
  return popup;
}

// Puts |popup| at the top of |menu| under |text|; a popup that cannot be
// inserted is freed.
void InsertPopupAtTop(HMENU menu, HMENU popup, const wchar_t* text) {
  if (popup == nullptr) return;
  if (!::InsertMenuW(menu, 0, MF_BYPOSITION | MF_POPUP | MF_STRING,
                     reinterpret_cast<UINT_PTR>(popup), text)) {
    ::DestroyMenu(popup);
  }
}

int ScreenPixelsPerInch() {
  ime_shared::base::ScopedWindowDC screen(nullptr);
  const int dpi = screen.Get() != nullptr ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

}  // namespace

MainMenu::MainMenu(HINSTANCE module, ime_shared::SettingsInterface* settings,
                   const MainMenuSeams& seams)
    : module_(module != nullptr ? module : ime_shared::base::CurrentModule()),
      settings_(settings),
      seams_(seams) {
  for (int& position : best_positions_) position = -1;
  supported_languages_ = seams_.supported_languages ? seams_.supported_languages()
                                                    : ime_shared::ReadSupportedLanguageMask();
  SystemFaceList system_faces;
  FontFaceListInterface* faces = seams_.faces != nullptr ? seams_.faces : &system_faces;
  for (const std::wstring& face : faces->FaceNames()) NoteInstalledFace(face);
}

MainMenu::~MainMenu() = default;

void MainMenu::NoteInstalledFace(const std::wstring& face) {
  if (face.empty()) return;
  for (int language = 0; language < ime_shared::LanguageCodes::kCount; ++language) {
    if ((supported_languages_ & (1u << language)) == 0) continue;
    // Only a face earlier in the list than the best one so far can win.
    const int limit = best_positions_[language] != -1 ? best_positions_[language]
                                                      : ime_shared::LanguageFontLists::kSlots;
    for (int slot = 0; slot < limit; ++slot) {
      const wchar_t* listed = ime_shared::LanguageFontLists::At(language, slot);
      if (listed == nullptr || *listed == L'\0') break;
      if (::lstrcmpiW(listed, face.c_str()) == 0) {
        best_positions_[language] = slot;
        best_faces_[language] = listed;
        break;
      }
    }
  }
}

const std::wstring& MainMenu::best_font(int language) const {
  static const std::wstring* const kNone = new std::wstring();
  if (language < 0 || language >= ime_shared::LanguageCodes::kCount) return *kNone;
  return best_faces_[language];
}

int MainMenu::best_font_position(int language) const {
  if (language < 0 || language >= ime_shared::LanguageCodes::kCount) return -1;
  return best_positions_[language];
}

HMENU MainMenu::Build() {
  popup_ = nullptr;
  menu_.Reset(::LoadMenuW(module_, MAKEINTRESOURCEW(IDM_MAIN_MENU)));
  if (!menu_) return nullptr;
  HMENU popup = ::GetSubMenu(menu_.Get(), 0);
  if (popup == nullptr) return nullptr;

  const uint32_t page_size = settings_->GetInt(ime_shared::kSettingT13nCandidatePageSize);
  ::CheckMenuItem(popup, kPageSizeItemBase + page_size, MF_BYCOMMAND | MF_CHECKED);
  // Only the item that offers the other state stays.
  ::DeleteMenu(popup,
               settings_->GetInt(ime_shared::kSettingT13nUserCacheEnabled) != 0
                   ? ID_MAIN_ENABLE_USER_CACHE
                   : ID_MAIN_DISABLE_USER_CACHE,
               MF_BYCOMMAND);

  InsertPopupAtTop(
      popup,
      MakeFontPopup(kMenuEnglishFont,
                    FontItemText(settings_->GetString(ime_shared::kStringSettingEnglishFontName),
                                 settings_->GetInt(ime_shared::kSettingT13nEnglishFontSize)),
                    kMenuChooseEnglishFont),
      L"English Font");

  std::wstring suggestion_face =
      settings_->GetString(ime_shared::kStringSettingConvertedTextFontName);
  if (suggestion_face.empty()) {
    suggestion_face =
        best_font(static_cast<int>(settings_->GetInt(ime_shared::kSettingT13nCurrentLanguage)));
    if (!suggestion_face.empty()) {
      settings_->SetString(ime_shared::kStringSettingConvertedTextFontName, suggestion_face);
    }
  }
  InsertPopupAtTop(
      popup,
      MakeFontPopup(kMenuSuggestionFont,
                    FontItemText(suggestion_face,
                                 settings_->GetInt(ime_shared::kSettingT13nConvertedTextFontSize)),
                    kMenuChooseSuggestionFont),
      L"Suggestion Font");

  if (engine_ != nullptr && !engine_->scheme_names().empty()) {
    HMENU schemes = ::CreatePopupMenu();
    if (schemes != nullptr) {
      const std::vector<std::wstring>& names = engine_->scheme_names();
      for (size_t i = 0; i < names.size() && kMenuFirstScheme + i <= kMenuLastScheme; ++i) {
        ::AppendMenuW(schemes, MF_STRING, kMenuFirstScheme + i, names[i].c_str());
      }
      if (engine_->GetProperty(kPropertySchemeMode) != 0) {
        const uint32_t current = settings_->GetInt(ime_shared::kSettingT13nCurrentScheme);
        if (current <= kMenuLastScheme - kMenuFirstScheme) {
          ::CheckMenuItem(schemes, kMenuFirstScheme + current, MF_BYCOMMAND | MF_CHECKED);
        }
      }
      InsertPopupAtTop(popup, schemes, L"Schemes");
    }
  }
  popup_ = popup;
  return popup_;
}

void MainMenu::Show(POINT point, HWND owner, const RECT* exclude) {
  HMENU popup = Build();
  if (popup == nullptr) return;
  ime_shared::frontend::MenuTrackerInterface* tracker =
      seams_.tracker != nullptr ? seams_.tracker : ime_shared::frontend::SystemMenuTracker();
  const UINT choice = tracker->Track(popup, TPM_LEFTALIGN | TPM_BOTTOMALIGN, point, owner, exclude);
  // The menu ran its own message loop: the engine attached now is the one
  // the choice is for (the one attached before may be gone).
  if (choice != 0) OnCommand(choice, engine_);
}

void MainMenu::OnCommand(UINT id, T13nEngine* engine) {
  if (id >= ID_MAIN_PAGE_SIZE_3 && id <= ID_MAIN_PAGE_SIZE_6) {
    // The handler reads the setting when the property's command reaches it.
    const int32_t size = static_cast<int32_t>(id - kPageSizeItemBase);
    settings_->SetInt(ime_shared::kSettingT13nCandidatePageSize, static_cast<uint32_t>(size));
    if (engine != nullptr) engine->SetProperty(kPropertyPageSize, size);
    return;
  }
  if (id >= kMenuFirstScheme && id <= kMenuLastScheme) {
    settings_->SetInt(ime_shared::kSettingT13nCurrentScheme, id - kMenuFirstScheme);
    if (engine != nullptr) {
      // Scheme mode restarts with the new scheme.
      engine->SetProperty(kPropertySchemeMode, 0);
      engine->SetProperty(kPropertySchemeMode, 1);
    }
    return;
  }
  switch (id) {
    case kMenuChooseSuggestionFont:
      AskForFont(engine, ime_shared::kStringSettingConvertedTextFontName,
                 ime_shared::kSettingT13nConvertedTextFontSize);
      break;
    case kMenuChooseEnglishFont:
      AskForFont(engine, ime_shared::kStringSettingEnglishFontName,
                 ime_shared::kSettingT13nEnglishFontSize);
      break;
    case ID_MAIN_ABOUT: {
      SystemAboutBox system_box(module_);
      AboutBoxInterface* box = seams_.about_box != nullptr ? seams_.about_box : &system_box;
      const wchar_t* name = ime_shared::LanguageNames::At(
          static_cast<int>(settings_->GetInt(ime_shared::kSettingT13nCurrentLanguage)));
      box->Run(name != nullptr ? name : L"", ::GetActiveWindow());
      break;
    }
    case ID_MAIN_HELP: {
      // A service account has no user to read the page, and a browser
      // started from it would run with the system's rights.
      if (InSystemAccount()) break;
      SystemLauncher system_launcher;
      LauncherInterface* launcher =
          seams_.launcher != nullptr ? seams_.launcher : &system_launcher;
      launcher->OpenPage(ime_shared::GetHelpUrl());
      break;
    }
    case ID_MAIN_ENABLE_USER_CACHE:
      settings_->SetInt(ime_shared::kSettingT13nUserCacheEnabled, 1);
      break;
    case ID_MAIN_DISABLE_USER_CACHE:
      settings_->SetInt(ime_shared::kSettingT13nUserCacheEnabled, 0);
      break;
    case ID_MAIN_MANAGE_MACROS:
      StartMacrosEditor();
      break;
    default:
      // The current fonts' items and anything unknown do nothing.
      break;
  }
}

void MainMenu::AskForFont(T13nEngine* engine, int face_setting, int size_setting) {
  if (engine != nullptr) engine->EndComposition(true);
  const int dpi = ScreenPixelsPerInch();
  LOGFONTW font = {};
  const std::wstring face = settings_->GetString(face_setting);
  if (!face.empty()) {
    const size_t length = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    std::wmemcpy(font.lfFaceName, face.c_str(), length);
    font.lfFaceName[length] = L'\0';
  }
  font.lfHeight = -::MulDiv(static_cast<int>(settings_->GetInt(size_setting)), dpi, 72);
  font.lfCharSet = DEFAULT_CHARSET;
  SystemFontDialog system_dialog;
  FontDialogInterface* dialog =
      seams_.font_dialog != nullptr ? seams_.font_dialog : &system_dialog;
  if (!dialog->Choose(::GetActiveWindow(), &font)) return;
  font.lfFaceName[LF_FACESIZE - 1] = L'\0';
  if (font.lfFaceName[0] == L'\0') return;
  settings_->SetString(face_setting, font.lfFaceName);
  // The dialog answers a character height (negative); a cell height
  // (positive) is taken by its size alike, never as a huge unsigned value.
  settings_->SetInt(size_setting,
                    static_cast<uint32_t>(std::abs(::MulDiv(font.lfHeight, 72, dpi))));
}

void MainMenu::StartMacrosEditor() {
  if (InSystemAccount()) return;
  const std::wstring folder =
      seams_.install_directory ? seams_.install_directory() : ime_shared::GetInstallDirectory();
  // Without a known install folder the bare name would start whatever the
  // host's search path finds first.
  if (!IsAbsoluteFolder(folder)) {
    ime_shared::LogMessage(__FILE__, __LINE__, ime_shared::LOG_WARNING).stream()
        << "the macros editor is not started: no install folder";
    return;
  }
  const std::wstring path = ime_shared::PathJoin(folder, kMacrosEditorProgram);
  if (path.empty()) return;
  SystemLauncher system_launcher;
  LauncherInterface* launcher = seams_.launcher != nullptr ? seams_.launcher : &system_launcher;
  launcher->StartProgram(path);
}

bool MainMenu::InSystemAccount() {
  return ime_shared::IsSystemAccount(seams_.user_name != nullptr ? seams_.user_name
                                                                 : ime_shared::SystemUserName());
}

}  // namespace ime_t13n
