// Resource ids of the input method's windows, dialogs and menus
// (t13n_windows.rc). The module and the test programs that show these
// windows compile the same script.
#ifndef IME_T13N_FRONTEND_T13N_WINDOWS_RESOURCES_H_
#define IME_T13N_FRONTEND_T13N_WINDOWS_RESOURCES_H_

// Tooltips of the status window's buttons and of the language-bar buttons.
#define IDS_MINIMIZE 148
#define IDS_OPEN_MENU 150
#define IDS_TOGGLE_LANGUAGE 151
#define IDS_SHOW_CHAR_PICKER 152
#define IDS_TOGGLE_SCHEME 176

// The candidate menu (a right click on a candidate).
#define IDM_CANDIDATE_MENU 102
#define ID_CANDIDATE_SEARCH 40001
#define ID_CANDIDATE_DELETE 40002

// The main menu.
#define IDM_MAIN_MENU 103
#define ID_MAIN_ABOUT 40003
#define ID_MAIN_HELP 40006
#define ID_MAIN_PAGE_SIZE_3 40046
#define ID_MAIN_PAGE_SIZE_4 40047
#define ID_MAIN_PAGE_SIZE_5 40048
#define ID_MAIN_PAGE_SIZE_6 40049
#define ID_MAIN_ENABLE_USER_CACHE 40050
#define ID_MAIN_DISABLE_USER_CACHE 40051
#define ID_MAIN_MANAGE_MACROS 40052

// The about box.
#define IDD_ABOUT 153
#define IDC_ABOUT_VERSION 1001
#define IDI_PRODUCT 154

// The dialog that lists the errors of the custom scheme files.
#define IDD_SCHEME_ERRORS 179
#define IDC_SCHEME_ERRORS_TEXT 1008
#define IDC_SCHEME_ERRORS_COPY 180

// Bitmaps of the candidate window (image strips and nine-grid skins).
#define IDB_PAGE_BUTTONS 110
#define IDB_LOGO_LARGE 111
#define IDB_LOGO 112
#define IDB_PAGE_BUTTONS_LARGE 113
#define IDB_PAGE_BUTTONS_SMALL 114
#define IDB_PAGE_BUTTONS_LARGEST 115
#define IDB_SELECTED_CANDIDATE_SKIN 120
#define IDB_CANDIDATE_BACKGROUND_SKIN 121
#define IDB_STATUS_BACKGROUND_SKIN 122
#define IDB_HOVER_MARK 123
#define IDB_ZONE_HOVER_MARK 124

// Bitmaps of the status window: button strips, logo and minimise button,
// in the normal and the small size.
#define IDB_STATUS_BUTTONS 108
#define IDB_STATUS_LOGO 109
#define IDB_STATUS_BUTTONS_SMALL 116
#define IDB_STATUS_LOGO_SMALL 117
#define IDB_STATUS_MINIMIZE 118
#define IDB_STATUS_MINIMIZE_SMALL 119

// Icons of the language-bar buttons: transliteration off, the character
// picker, the menu, and transliteration on, one per language index from
// IDI_LANGBAR_LANGUAGE_FIRST (155) to 173.
#define IDI_LANGBAR_OFF 105
#define IDI_LANGBAR_PICKER 106
#define IDI_LANGBAR_MENU 107
#define IDI_LANGBAR_LANGUAGE_FIRST 155

// Bitmaps of the character picker: the logo in its title bar, the two
// joiner keys below the grid and their magnified pictures.
#define IDB_PICKER_LOGO 127
#define IDB_PICKER_JOINER_KEYS 174
#define IDB_PICKER_MAGNIFIED_JOINER_KEYS 175

#endif  // IME_T13N_FRONTEND_T13N_WINDOWS_RESOURCES_H_
