// The Text Services Framework declarations that MinGW-w64's msctf.h and
// ctfutb.h lack: the text input processor's extended activation, the
// context key sink, the layout sink, the display-attribute provider, the
// configuration function, the candidate-list UI element, the language-bar
// button and its menu, with their constants and the identifiers of the
// input-mode compartments, the text-service capability categories and the
// input-mode language-bar item. Method order and identifier values are
// those of the published interfaces (they are binary interfaces: a slot out
// of place calls the wrong method).
//
// Each interface gets __uuidof() and an IID_<name> constant.
#ifndef IME_SHARED_BASE_TSF_DECLARATIONS_H_
#define IME_SHARED_BASE_TSF_DECLARATIONS_H_

#include <windows.h>
#include <msctf.h>
#include <ctfutb.h>

// Declares |type|'s interface identifier for __uuidof() and as IID_<type>.
#define KELVANE_DECLARE_IID(type, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  __CRT_UUID_DECL(type, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)           \
  inline constexpr IID IID_##type = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}};

// Text input processor.

struct ITfTextInputProcessorEx : public ITfTextInputProcessor {
  virtual HRESULT STDMETHODCALLTYPE ActivateEx(ITfThreadMgr* thread_manager,
                                               TfClientId client_id, DWORD flags) = 0;
};
KELVANE_DECLARE_IID(ITfTextInputProcessorEx, 0x6e4e2102, 0xf9cd, 0x433d, 0xb4, 0x96,
                    0x30, 0x3c, 0xe0, 0x3a, 0x65, 0x07)

// Flags of ITfThreadMgrEx::ActivateEx, passed on to ActivateEx.
#ifndef TF_TMAE_NOACTIVATETIP
#define TF_TMAE_NOACTIVATETIP 0x00000001
#define TF_TMAE_SECUREMODE 0x00000002
#define TF_TMAE_UIELEMENTENABLEDONLY 0x00000004
#define TF_TMAE_COMLESS 0x00000008
#define TF_TMAE_WOW16 0x00000010
#define TF_TMAE_NOACTIVATEKEYBOARDLAYOUT 0x00000020
#define TF_TMAE_CONSOLE 0x00000040
#endif

// Key events of one context.

struct ITfContextKeyEventSink : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnKeyDown(WPARAM wparam, LPARAM lparam, BOOL* eaten) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnKeyUp(WPARAM wparam, LPARAM lparam, BOOL* eaten) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTestKeyDown(WPARAM wparam, LPARAM lparam,
                                                  BOOL* eaten) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnTestKeyUp(WPARAM wparam, LPARAM lparam,
                                                BOOL* eaten) = 0;
};
KELVANE_DECLARE_IID(ITfContextKeyEventSink, 0x0552ba5d, 0xc835, 0x4934, 0xbf, 0x50, 0x84,
                    0x6a, 0xaa, 0x67, 0x43, 0x2f)

// Layout of a context's text.

typedef enum {
  TF_LC_CREATE = 0,
  TF_LC_CHANGE = 1,
  TF_LC_DESTROY = 2,
} TfLayoutCode;

struct ITfTextLayoutSink : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnLayoutChange(ITfContext* context, TfLayoutCode code,
                                                   ITfContextView* view) = 0;
};
KELVANE_DECLARE_IID(ITfTextLayoutSink, 0x2af2d06a, 0xdd5b, 0x4927, 0xa0, 0xb4, 0x54, 0xf1,
                    0x9c, 0x91, 0xfa, 0xde)

// Display attributes of a text service.

struct ITfDisplayAttributeProvider : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE EnumDisplayAttributeInfo(
      IEnumTfDisplayAttributeInfo** enumerator) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDisplayAttributeInfo(
      REFGUID guid, ITfDisplayAttributeInfo** info) = 0;
};
KELVANE_DECLARE_IID(ITfDisplayAttributeProvider, 0xfee47777, 0x163c, 0x4769, 0x99, 0x6a,
                    0x6e, 0x9c, 0x50, 0xad, 0x8f, 0x54)

// Functions of a text service.

struct ITfFunction : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetDisplayName(BSTR* name) = 0;
};
KELVANE_DECLARE_IID(ITfFunction, 0xdb593490, 0x098f, 0x11d3, 0x8d, 0xf0, 0x00, 0x10, 0x5a,
                    0x27, 0x99, 0xb5)

struct ITfFnConfigure : public ITfFunction {
  virtual HRESULT STDMETHODCALLTYPE Show(HWND parent, LANGID language, REFGUID profile) = 0;
};
KELVANE_DECLARE_IID(ITfFnConfigure, 0x88f567c6, 0x1757, 0x49f8, 0xa1, 0xb2, 0x89, 0x23, 0x4c,
                    0x1e, 0xef, 0xf9)

// The candidate list as a UI element that the host may draw.

struct ITfCandidateListUIElement : public ITfUIElement {
  virtual HRESULT STDMETHODCALLTYPE GetUpdatedFlags(DWORD* flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDocumentMgr(ITfDocumentMgr** document) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSelection(UINT* index) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetString(UINT index, BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPageIndex(UINT* index, UINT size,
                                                 UINT* page_count) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPageIndex(UINT* index, UINT page_count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPage(UINT* page) = 0;
};
KELVANE_DECLARE_IID(ITfCandidateListUIElement, 0xea1ea138, 0x19df, 0x11d7, 0xa6, 0xd2, 0x00,
                    0x06, 0x5b, 0x84, 0x43, 0x5c)

struct ITfCandidateListUIElementBehavior : public ITfCandidateListUIElement {
  virtual HRESULT STDMETHODCALLTYPE SetSelection(UINT index) = 0;
  virtual HRESULT STDMETHODCALLTYPE Finalize() = 0;
  virtual HRESULT STDMETHODCALLTYPE Abort() = 0;
};
KELVANE_DECLARE_IID(ITfCandidateListUIElementBehavior, 0x85fad185, 0x58ce, 0x497a, 0x94,
                    0x60, 0x35, 0x53, 0x66, 0xb6, 0x4b, 0x9a)

// What changed in a candidate-list element (GetUpdatedFlags).
#define TF_CLUIE_DOCUMENTMGR 0x00000001
#define TF_CLUIE_COUNT 0x00000002
#define TF_CLUIE_SELECTION 0x00000004
#define TF_CLUIE_STRING 0x00000008
#define TF_CLUIE_PAGEINDEX 0x00000010
#define TF_CLUIE_CURRENTPAGE 0x00000020

#ifndef TF_INVALID_UIELEMENTID
#define TF_INVALID_UIELEMENTID static_cast<DWORD>(-1)
#endif

// Language-bar buttons and their menus.

struct ITfMenu : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddMenuItem(UINT id, DWORD flags, HBITMAP bitmap,
                                                HBITMAP mask, const WCHAR* text,
                                                ULONG length, ITfMenu** submenu) = 0;
};
KELVANE_DECLARE_IID(ITfMenu, 0x6f8a98e4, 0xaaa0, 0x4f15, 0x8c, 0x5b, 0x07, 0xe0, 0xdf, 0x0a,
                    0x3d, 0xd8)

// Flags of ITfMenu::AddMenuItem.
#define TF_LBMENUF_CHECKED 0x00000001
#define TF_LBMENUF_SUBMENU 0x00000002
#define TF_LBMENUF_SEPARATOR 0x00000004
#define TF_LBMENUF_RADIOCHECKED 0x00000008
#define TF_LBMENUF_GRAYED 0x00000010

typedef enum {
  TF_LBI_CLK_RIGHT = 1,
  TF_LBI_CLK_LEFT = 2,
} TfLBIClick;

struct ITfLangBarItemButton : public ITfLangBarItem {
  virtual HRESULT STDMETHODCALLTYPE OnClick(TfLBIClick click, POINT point,
                                            const RECT* area) = 0;
  virtual HRESULT STDMETHODCALLTYPE InitMenu(ITfMenu* menu) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnMenuSelect(UINT id) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIcon(HICON* icon) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetText(BSTR* text) = 0;
};
KELVANE_DECLARE_IID(ITfLangBarItemButton, 0x28c7f1d0, 0xde25, 0x11d2, 0xaf, 0xdd, 0x00, 0x10,
                    0x5a, 0x27, 0x99, 0xb5)

// What changed in an item (ITfLangBarItemSink::OnUpdate).
#define TF_LBI_ICON 0x00000001
#define TF_LBI_TEXT 0x00000002
#define TF_LBI_TOOLTIP 0x00000004
#define TF_LBI_BITMAP 0x00000008
#define TF_LBI_BALLOON 0x00000010
#define TF_LBI_CUSTOMUI 0x00000020
#define TF_LBI_STATUS 0x00010000

// Item styles (TF_LANGBARITEMINFO::dwStyle).
#define TF_LBI_STYLE_HIDDENSTATUSCONTROL 0x00000001
#define TF_LBI_STYLE_SHOWNINTRAY 0x00000002
#define TF_LBI_STYLE_HIDEONNOSTATUS 0x00000004
#define TF_LBI_STYLE_SHOWNINTRAYONLY 0x00000008
#define TF_LBI_STYLE_HIDDENBYDEFAULT 0x00000010
#define TF_LBI_STYLE_TEXTCOLORICON 0x00000020
#define TF_LBI_STYLE_BTN_BUTTON 0x00010000
#define TF_LBI_STYLE_BTN_MENU 0x00020000
#define TF_LBI_STYLE_BTN_TOGGLE 0x00040000

// Item status (ITfLangBarItem::GetStatus).
#define TF_LBI_STATUS_HIDDEN 0x00000001
#define TF_LBI_STATUS_DISABLED 0x00000002
#define TF_LBI_STATUS_BTN_TOGGLED 0x00010000

// Flags of ITfInputProcessorProfileMgr's profile operations.
#ifndef TF_IPPMF_FORPROCESS
#define TF_IPPMF_FORPROCESS 0x10000000
#define TF_IPPMF_FORSESSION 0x20000000
#define TF_IPPMF_FORSYSTEMALL 0x40000000
#define TF_IPPMF_ENABLEPROFILE 0x00000001
#define TF_IPPMF_DISABLEPROFILE 0x00000002
#define TF_IPPMF_DONTCARECURRENTINPUTLANGUAGE 0x00000004
#endif

#ifndef TF_INVALID_GUIDATOM
#define TF_INVALID_GUIDATOM static_cast<TfGuidAtom>(0)
#endif

// Compartments of the keyboard's input mode (values VT_I4).
inline constexpr GUID GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION = {
    0xccf05dd8, 0x4a87, 0x11d7, {0xa6, 0xe2, 0x00, 0x06, 0x5b, 0x84, 0x43, 0x5c}};
inline constexpr GUID GUID_COMPARTMENT_KEYBOARD_INPUTMODE_SENTENCE = {
    0xccf05dd9, 0x4a87, 0x11d7, {0xa6, 0xe2, 0x00, 0x06, 0x5b, 0x84, 0x43, 0x5c}};

// Capability categories a text service registers itself in.
inline constexpr GUID GUID_TFCAT_TIPCAP_INPUTMODECOMPARTMENT = {
    0xccf05dd7, 0x4a87, 0x11d7, {0xa6, 0xe2, 0x00, 0x06, 0x5b, 0x84, 0x43, 0x5c}};
inline constexpr GUID GUID_TFCAT_TIPCAP_UIELEMENTENABLED = {
    0x49d2f9cf, 0x1f5e, 0x11d7, {0xa6, 0xd3, 0x00, 0x06, 0x5b, 0x84, 0x43, 0x5c}};
inline constexpr GUID GUID_TFCAT_TIPCAP_SECUREMODE = {
    0x49d2f9ce, 0x1f5e, 0x11d7, {0xa6, 0xd3, 0x00, 0x06, 0x5b, 0x84, 0x43, 0x5c}};
inline constexpr GUID GUID_TFCAT_TIPCAP_COMLESS = {
    0x364215d9, 0x75bc, 0x11d7, {0xa6, 0xef, 0x00, 0x06, 0x5b, 0x84, 0x43, 0x5c}};
inline constexpr GUID GUID_TFCAT_TIPCAP_WOW16 = {
    0x364215da, 0x75bc, 0x11d7, {0xa6, 0xef, 0x00, 0x06, 0x5b, 0x84, 0x43, 0x5c}};
inline constexpr GUID GUID_TFCAT_TIPCAP_IMMERSIVESUPPORT = {
    0x13a016df, 0x560b, 0x46cd, {0x94, 0x7a, 0x4c, 0x3a, 0xf1, 0xe0, 0xe3, 0x5d}};
inline constexpr GUID GUID_TFCAT_TIPCAP_SYSTRAYSUPPORT = {
    0x25504fb4, 0x7bab, 0x4bc1, {0x9c, 0x69, 0xcf, 0x81, 0x89, 0x0f, 0x0e, 0xf5}};

// The system's input-mode item on the language bar.
inline constexpr GUID GUID_LBI_INPUTMODE = {
    0x2c77a81e, 0x41cc, 0x4178, {0xa3, 0xa7, 0x5f, 0x8a, 0x98, 0x75, 0x68, 0xe6}};

// GUID_PROP_COMPOSING is declared by msctf.h but missing from libuuid; this
// library defines it (tsf_declarations.cc).

#endif  // IME_SHARED_BASE_TSF_DECLARATIONS_H_
