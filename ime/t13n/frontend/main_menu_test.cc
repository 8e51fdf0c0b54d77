#include "ime/t13n/frontend/main_menu.h"

#include <windows.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/menu_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/web_address.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"
#include "ime/t13n/frontend/window_test_helpers.h"

namespace ime_t13n {
namespace {

using ime_shared::frontend::kPropertyPageSize;
using ime_shared::frontend::kPropertySchemeMode;
using testing_helpers::FixedUserName;
using testing_helpers::KeystrokeWorld;
using Texts = std::vector<std::wstring>;

// A menu as text, item by item from the top: "*" before a checked item,
// "-" for a separator, a popup as its text with its items in brackets.
Texts Describe(HMENU menu) {
  Texts items;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 128;
    ::GetMenuItemInfoW(menu, i, TRUE, &info);
    if ((info.fType & MFT_SEPARATOR) != 0) {
      items.push_back(L"-");
      continue;
    }
    std::wstring item = ((info.fState & MFS_CHECKED) != 0 ? L"*" : L"") + std::wstring(text);
    if (info.hSubMenu != nullptr) {
      item += L"[";
      const Texts inner = Describe(info.hSubMenu);
      for (size_t j = 0; j < inner.size(); ++j) item += (j > 0 ? L"|" : L"") + inner[j];
      item += L"]";
    }
    items.push_back(item);
  }
  return items;
}

// The command ids of the popup at |position| of |menu|.
std::vector<UINT> PopupIds(HMENU menu, int position) {
  std::vector<UINT> ids;
  HMENU popup = ::GetSubMenu(menu, position);
  for (int i = 0; popup != nullptr && i < ::GetMenuItemCount(popup); ++i) {
    ids.push_back(::GetMenuItemID(popup, i));
  }
  return ids;
}

class FixedFaces : public FontFaceListInterface {
 public:
  explicit FixedFaces(Texts faces) : faces_(std::move(faces)) {}
  std::vector<std::wstring> FaceNames() override { return faces_; }

 private:
  Texts faces_;
};

// Answers with the font it is given, or declines; records what it was
// preset to.
class FakeFontDialog : public FontDialogInterface {
 public:
  bool Choose(HWND owner, LOGFONTW* font) override {
    preset_faces.push_back(font->lfFaceName);
    preset_heights.push_back(font->lfHeight);
    if (!answer) return false;
    wcsncpy(font->lfFaceName, face.c_str(), LF_FACESIZE - 1);
    font->lfHeight = height;
    return true;
  }
  bool answer = true;
  std::wstring face;
  LONG height = 0;
  Texts preset_faces;
  std::vector<LONG> preset_heights;
};

class RecordingLauncher : public LauncherInterface {
 public:
  bool StartProgram(const std::wstring& path) override {
    programs.push_back(path);
    return true;
  }
  bool OpenPage(const std::wstring& address) override {
    pages.push_back(address);
    return true;
  }
  Texts programs;
  Texts pages;
};

class RecordingAboutBox : public AboutBoxInterface {
 public:
  void Run(const std::wstring& language_name, HWND owner) override {
    names.push_back(language_name);
    owners.push_back(owner);
  }
  Texts names;
  std::vector<HWND> owners;
};

// Runs |during| while the "menu" is open, then answers |choice|.
class ScriptedTracker : public ime_shared::frontend::MenuTrackerInterface {
 public:
  UINT Track(HMENU popup, UINT flags, POINT point, HWND owner, const RECT* exclude) override {
    shown = Describe(popup);
    this->flags = flags;
    at = point;
    this->owner = owner;
    excluded = exclude != nullptr ? *exclude : RECT{};
    if (during) during();
    return choice;
  }
  UINT choice = 0;
  std::function<void()> during;
  Texts shown;
  UINT flags = 0;
  POINT at = {};
  HWND owner = nullptr;
  RECT excluded = {};
};

int ScreenDpi() {
  ime_shared::base::ScopedWindowDC screen(nullptr);
  return ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

// The menu over a keystroke road ("pa", language row 10), with every seam
// faked: Hindi and Bengali are supported, and the screen has Arial,
// Aparajita, MANGAL and Courier New.
class MainMenuTest : public ::testing::Test {
 protected:
  MainMenuTest() {
    world.settings.SetString(ime_shared::kStringSettingEnglishFontName, L"Arial");
    seams.faces = &faces;
    seams.font_dialog = &dialog;
    seams.launcher = &launcher;
    seams.about_box = &about;
    seams.tracker = &tracker;
    seams.user_name = &user;
    seams.install_directory = [this] { return install_directory; };
    seams.supported_languages = [] { return (1u << 0) | (1u << 2); };
  }
  MainMenu* MakeMenu() {
    menu.reset(new MainMenu(nullptr, &world.settings, seams));
    return menu.get();
  }

  KeystrokeWorld world;
  FixedFaces faces{{L"Arial", L"Aparajita", L"MANGAL", L"Courier New"}};
  FakeFontDialog dialog;
  RecordingLauncher launcher;
  RecordingAboutBox about;
  ScriptedTracker tracker;
  FixedUserName user{L"someone"};
  std::wstring install_directory = L"C:\\Program Files\\Tarvel";
  MainMenuSeams seams;
  std::unique_ptr<MainMenu> menu;
};

TEST_F(MainMenuTest, BuildOffersFontsPageSizesAndTheOtherUserCacheState) {
  world.settings.SetInt(ime_shared::kSettingT13nCurrentLanguage, 0);  // Hindi
  MainMenu* main_menu = MakeMenu();
  // Each supported language keeps the installed face earliest in its list,
  // as the list writes it.
  EXPECT_EQ(main_menu->best_font(0), L"Mangal");
  EXPECT_EQ(main_menu->best_font_position(0), 0);
  EXPECT_EQ(main_menu->best_font(2), L"Arial");
  EXPECT_EQ(main_menu->best_font(1), L"") << "Arabic is not supported";
  EXPECT_EQ(main_menu->best_font_position(1), -1);

  // No engine, no schemes; the empty candidate font becomes the language's
  // best one and is stored.
  HMENU built = main_menu->Build();
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(Describe(built),
            (Texts{L"Suggestion Font[*Mangal [12pt]|Choose font...]",
                   L"English Font[*Arial [12pt]|Choose font...]", L"Page Size[6|*5|4|3]",
                   L"Disable User Cache", L"Manage Macros...", L"-", L"About...", L"Help..."}));
  EXPECT_EQ(PopupIds(built, 0), (std::vector<UINT>{kMenuSuggestionFont, kMenuChooseSuggestionFont}));
  EXPECT_EQ(PopupIds(built, 1), (std::vector<UINT>{kMenuEnglishFont, kMenuChooseEnglishFont}));
  EXPECT_EQ(world.settings.GetString(ime_shared::kStringSettingConvertedTextFontName), L"Mangal");

  // Every build follows the settings.
  world.settings.SetInt(ime_shared::kSettingT13nCandidatePageSize, 3);
  world.settings.SetInt(ime_shared::kSettingT13nUserCacheEnabled, 0);
  world.settings.SetString(ime_shared::kStringSettingEnglishFontName, L"Courier New");
  world.settings.SetInt(ime_shared::kSettingT13nEnglishFontSize, 10);
  world.settings.SetInt(ime_shared::kSettingT13nConvertedTextFontSize, 20);
  EXPECT_EQ(Describe(main_menu->Build()),
            (Texts{L"Suggestion Font[*Mangal [20pt]|Choose font...]",
                   L"English Font[*Courier New [10pt]|Choose font...]", L"Page Size[6|5|4|*3]",
                   L"Enable User Cache", L"Manage Macros...", L"-", L"About...", L"Help..."}));

  // A language without any installed face of its list leaves the setting
  // empty.
  faces = FixedFaces({L"Courier New"});
  world.settings.SetString(ime_shared::kStringSettingConvertedTextFontName, L"");
  main_menu = MakeMenu();
  EXPECT_EQ(Describe(main_menu->Build())[0], L"Suggestion Font[* [20pt]|Choose font...]");
  EXPECT_EQ(world.settings.GetString(ime_shared::kStringSettingConvertedTextFontName), L"");
}

TEST_F(MainMenuTest, SchemesAreListedAndChoosingOneConvertsWithIt) {
  ASSERT_TRUE(world.WriteScheme(L"a.scm", "version:1.0\nName:First\nk X\n"));
  ASSERT_TRUE(world.WriteScheme(L"b.scm", "version:1.0\nName:Second\nk Y\n"));
  T13nEngine* engine = world.engine();
  MainMenu* main_menu = MakeMenu();
  main_menu->SetEngine(engine);

  tracker.choice = kMenuFirstScheme + 1;
  HWND owner = reinterpret_cast<HWND>(0x10);
  const RECT area = {10, 20, 30, 40};
  main_menu->Show(POINT{10, 40}, owner, &area);
  ASSERT_GE(tracker.shown.size(), 3u);
  EXPECT_EQ(tracker.shown[0], L"Schemes[First|Second]");
  EXPECT_EQ(tracker.shown[1].rfind(L"Suggestion Font[", 0), 0u);
  EXPECT_EQ(tracker.shown[2].rfind(L"English Font[", 0), 0u);
  EXPECT_EQ(tracker.flags, static_cast<UINT>(TPM_LEFTALIGN | TPM_BOTTOMALIGN));
  EXPECT_EQ(tracker.at.x, 10);
  EXPECT_EQ(tracker.at.y, 40);
  EXPECT_EQ(tracker.owner, owner);
  EXPECT_TRUE(::EqualRect(&tracker.excluded, &area));

  // The second scheme converts.
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nCurrentScheme), 1u);
  EXPECT_EQ(engine->GetProperty(kPropertySchemeMode), 1);
  world.Type(L"kk");
  EXPECT_EQ(world.Page()[0], L"YY");
  HMENU built = main_menu->Build();
  EXPECT_EQ(Describe(built)[0], L"Schemes[First|*Second]");
  EXPECT_EQ(PopupIds(built, 0), (std::vector<UINT>{1000, 1001}));

  // Choosing the first one while the second converts restarts scheme mode
  // with the first.
  main_menu->OnCommand(kMenuFirstScheme, engine);
  world.Space();
  world.Type(L"kk");
  EXPECT_EQ(world.Page()[0], L"XX");
  EXPECT_EQ(Describe(main_menu->Build())[0], L"Schemes[*First|Second]");
}

TEST_F(MainMenuTest, PageSizeUserCacheAndFontsAreStoredAndReachTheEngine) {
  T13nEngine* engine = world.engine();
  MainMenu* main_menu = MakeMenu();
  world.Type(L"kam");
  ASSERT_EQ(engine->CandidateCount(), 5);
  main_menu->OnCommand(ID_MAIN_PAGE_SIZE_4, engine);
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nCandidatePageSize), 4u);
  EXPECT_EQ(engine->GetProperty(kPropertyPageSize), 4);
  EXPECT_EQ(engine->CandidateCount(), 4);
  EXPECT_EQ(Describe(main_menu->Build())[2], L"Page Size[6|5|*4|3]");

  main_menu->OnCommand(ID_MAIN_DISABLE_USER_CACHE, engine);
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nUserCacheEnabled), 0u);
  main_menu->OnCommand(ID_MAIN_ENABLE_USER_CACHE, engine);
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nUserCacheEnabled), 1u);

  // Choosing a font commits what is typed first, then presets the dialog
  // to the current face and size.
  const int dpi = ScreenDpi();
  world.settings.SetString(ime_shared::kStringSettingConvertedTextFontName, L"Mangal");
  const Texts page = world.Page();
  dialog.face = L"Nirmala UI";
  dialog.height = -::MulDiv(16, dpi, 72);
  main_menu->OnCommand(kMenuChooseSuggestionFont, engine);
  EXPECT_EQ(world.results, Texts{page[0]});
  EXPECT_EQ(dialog.preset_faces, Texts{L"Mangal"});
  EXPECT_EQ(dialog.preset_heights, std::vector<LONG>{-::MulDiv(12, dpi, 72)});
  EXPECT_EQ(world.settings.GetString(ime_shared::kStringSettingConvertedTextFontName),
            L"Nirmala UI");
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nConvertedTextFontSize), 16u);

  // A cell height (positive) counts by its size.
  dialog.face = L"Courier New";
  dialog.height = ::MulDiv(18, dpi, 72);
  main_menu->OnCommand(kMenuChooseEnglishFont, engine);
  EXPECT_EQ(dialog.preset_faces.back(), L"Arial");
  EXPECT_EQ(world.settings.GetString(ime_shared::kStringSettingEnglishFontName), L"Courier New");
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nEnglishFontSize), 18u);

  // A cancelled dialog, or a choice without a face, changes nothing; the
  // current fonts' items do nothing.
  dialog.answer = false;
  main_menu->OnCommand(kMenuChooseEnglishFont, engine);
  dialog.answer = true;
  dialog.face = L"";
  main_menu->OnCommand(kMenuChooseSuggestionFont, engine);
  main_menu->OnCommand(kMenuEnglishFont, engine);
  main_menu->OnCommand(kMenuSuggestionFont, engine);
  EXPECT_EQ(dialog.preset_faces.size(), 4u);
  EXPECT_EQ(world.settings.GetString(ime_shared::kStringSettingEnglishFontName), L"Courier New");
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nEnglishFontSize), 18u);
  EXPECT_EQ(world.settings.GetString(ime_shared::kStringSettingConvertedTextFontName),
            L"Nirmala UI");
  EXPECT_EQ(world.settings.WritesOf(ime_shared::kSettingT13nConvertedTextFontSize), 1);
}

TEST_F(MainMenuTest, HelpMacrosEditorAndAboutBox) {
  MainMenu* main_menu = MakeMenu();
  main_menu->OnCommand(ID_MAIN_HELP, nullptr);
  EXPECT_EQ(launcher.pages, Texts{ime_shared::GetHelpUrl()});
  main_menu->OnCommand(ID_MAIN_MANAGE_MACROS, nullptr);
  EXPECT_EQ(launcher.programs, Texts{L"C:\\Program Files\\Tarvel\\Dorimond.exe"});

  // Without an absolute install folder the editor is not looked for.
  for (const wchar_t* folder : {L"", L"Tarvel", L"\\Tarvel", L"C:Tarvel"}) {
    install_directory = folder;
    main_menu->OnCommand(ID_MAIN_MANAGE_MACROS, nullptr);
  }
  EXPECT_EQ(launcher.programs.size(), 1u);

  // Nothing is started in the system's account.
  install_directory = L"\\\\server\\Tarvel";
  user = FixedUserName(L"system");
  main_menu->OnCommand(ID_MAIN_HELP, nullptr);
  main_menu->OnCommand(ID_MAIN_MANAGE_MACROS, nullptr);
  EXPECT_EQ(launcher.pages.size(), 1u);
  EXPECT_EQ(launcher.programs.size(), 1u);
  user = FixedUserName(L"someone");
  main_menu->OnCommand(ID_MAIN_MANAGE_MACROS, nullptr);
  EXPECT_EQ(launcher.programs.back(), L"\\\\server\\Tarvel\\Dorimond.exe");

  // The about box names the current language.
  world.settings.SetInt(ime_shared::kSettingT13nCurrentLanguage, 0);
  main_menu->OnCommand(ID_MAIN_ABOUT, nullptr);
  world.settings.SetInt(ime_shared::kSettingT13nCurrentLanguage, 10);
  main_menu->OnCommand(ID_MAIN_ABOUT, nullptr);
  EXPECT_EQ(about.names, (Texts{L"Hindi", L"Punjabi"}));

  // The module's own about box, closed as soon as it shows.
  seams.about_box = nullptr;
  main_menu = MakeMenu();
  std::wstring caption;
  testing_helpers::DialogDriver driver([&](HWND dialog) {
    caption = testing_helpers::WindowText(dialog);
    ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  main_menu->OnCommand(ID_MAIN_ABOUT, nullptr);
  EXPECT_EQ(caption, L"Tarvel Punjabi Input");
}

TEST_F(MainMenuTest, ChoicesGoToTheEngineAttachedWhenTheyAreCarriedOut) {
  T13nEngine* first = world.engine();
  T13nEngine* second = world.NewEngine();
  MainMenu* main_menu = MakeMenu();
  main_menu->SetEngine(first);
  const int32_t first_size = first->GetProperty(kPropertyPageSize);

  // The focus moved to another context while the menu was open.
  tracker.choice = ID_MAIN_PAGE_SIZE_3;
  tracker.during = [&] { main_menu->SetEngine(second); };
  main_menu->Show(POINT{0, 0}, nullptr, nullptr);
  EXPECT_EQ(second->GetProperty(kPropertyPageSize), 3);
  EXPECT_EQ(first->GetProperty(kPropertyPageSize), first_size);

  // The context went away: only the settings change.
  tracker.choice = ID_MAIN_PAGE_SIZE_6;
  tracker.during = [&] { main_menu->SetEngine(nullptr); };
  main_menu->Show(POINT{0, 0}, nullptr, nullptr);
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nCandidatePageSize), 6u);
  EXPECT_EQ(second->GetProperty(kPropertyPageSize), 3);

  // Every item without an engine.
  dialog.face = L"Mangal";
  dialog.height = -16;
  for (UINT id : {2000u, 2001u, 3000u, 3001u, 40003u, 40006u, 40046u, 40049u, 40050u, 40051u,
                  40052u, 1000u, 1200u, 1201u, 0u}) {
    main_menu->OnCommand(id, nullptr);
  }
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nCurrentScheme), 200u);
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nCandidatePageSize), 6u);
  EXPECT_EQ(world.settings.GetString(ime_shared::kStringSettingEnglishFontName), L"Mangal");
  // A menu that chose nothing does nothing.
  tracker.choice = 0;
  tracker.during = nullptr;
  main_menu->Show(POINT{0, 0}, nullptr, nullptr);
  EXPECT_EQ(world.settings.GetInt(ime_shared::kSettingT13nCurrentScheme), 200u);
}

}  // namespace
}  // namespace ime_t13n
