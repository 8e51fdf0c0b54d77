// One button of the input method on the Windows language bar, as the
// thread's language-bar item manager sees it: its description, icon, text
// and state, the click and menu notifications it passes on through
// callbacks, and the one item sink through which it tells the bar what
// changed.
#ifndef IME_SHARED_TSF_LANGUAGE_BAR_BUTTON_H_
#define IME_SHARED_TSF_LANGUAGE_BAR_BUTTON_H_

#include <windows.h>

#include <memory>
#include <string>

#include "ime/shared/base/callbacks.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"

namespace ime_shared {
namespace tsf {

class LanguageBarButton
    : public base::ComObject<base::Implements<ITfLangBarItemButton, ITfLangBarItem>,
                             ITfSource> {
 public:
  // The one cookie of the one sink a button takes.
  static constexpr DWORD kSinkCookie = 0x34A2CF36;

  // What the bar shows of the button: the text service it belongs to, the
  // item's own GUID, its TF_LBI_STYLE_* and its place among the items.
  struct Description {
    GUID service;
    GUID item;
    DWORD style;
    ULONG sort_index;
  };

  // Loads "msctf.dll" for as long as the button lives: the language bar
  // keeps buttons (and the button keeps its sink) beyond any other use.
  LanguageBarButton();
  ~LanguageBarButton() override;

  // |resources| holds the icons.
  void Init(const Description& description, HINSTANCE resources);

  // The tooltip, which is also the button's text; a change is told to the
  // sink (TF_LBI_TEXT).
  void SetText(const std::wstring& text);
  // The icon's resource id (0: none); a change is told (TF_LBI_ICON).
  void SetIcon(UINT icon_id);
  // Toggled; a change is told (TF_LBI_STATUS).
  void SetToggled(bool toggled);
  // The menu that InitMenu copies (not owned; the click callback sets it).
  void SetMenu(HMENU menu) { menu_ = menu; }
  // Run on a left click and before the menu is shown; owned (a permanent
  // callback), null for none.
  void SetClickCallback(base::Closure* callback);
  // Run with the chosen item's id when a menu closes; owned, null for none.
  void SetMenuCallback(base::Callback1<unsigned long>* callback);

  const std::wstring& text() const { return text_; }
  UINT icon_id() const { return icon_id_; }
  bool toggled() const { return toggled_; }
  // The "msctf.dll" the button keeps loaded (null when there is none).
  HMODULE text_framework() const { return text_framework_; }

  // ITfLangBarItem.
  STDMETHODIMP GetInfo(TF_LANGBARITEMINFO* info) override;
  STDMETHODIMP GetStatus(DWORD* status) override;
  STDMETHODIMP Show(BOOL show) override;
  STDMETHODIMP GetTooltipString(BSTR* tooltip) override;
  // ITfLangBarItemButton. A left click runs the click callback; InitMenu
  // runs it (it builds the menu) and copies the menu into |menu|.
  STDMETHODIMP OnClick(TfLBIClick click, POINT point, const RECT* area) override;
  STDMETHODIMP InitMenu(ITfMenu* menu) override;
  STDMETHODIMP OnMenuSelect(UINT id) override;
  STDMETHODIMP GetIcon(HICON* icon) override;
  STDMETHODIMP GetText(BSTR* text) override;
  // ITfSource: one ITfLangBarItemSink under kSinkCookie.
  STDMETHODIMP AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP UnadviseSink(DWORD cookie) override;

 private:
  void Notify(DWORD flags);

  Description description_ = {};
  UINT icon_id_ = 0;
  HMENU menu_ = nullptr;
  bool shown_ = true;
  bool toggled_ = false;
  std::wstring text_;
  std::unique_ptr<base::Closure> click_callback_;
  std::unique_ptr<base::Callback1<unsigned long>> menu_callback_;
  base::ComPtr<ITfLangBarItemSink> sink_;
  HINSTANCE resources_ = nullptr;
  HMODULE text_framework_ = nullptr;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_LANGUAGE_BAR_BUTTON_H_
