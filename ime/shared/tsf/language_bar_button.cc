#include "ime/shared/tsf/language_bar_button.h"

#include <olectl.h>

#include <algorithm>
#include <cwchar>

#include "ime/shared/base/com_bstr.h"
#include "ime/shared/tsf/menu_copy.h"

namespace ime_shared {
namespace tsf {

using base::ComPtr;
using base::GuardComCall;

LanguageBarButton::LanguageBarButton() : text_framework_(::LoadLibraryW(L"msctf.dll")) {}

LanguageBarButton::~LanguageBarButton() {
  click_callback_.reset();
  menu_callback_.reset();
  sink_.Reset();
  if (text_framework_ != nullptr) ::FreeLibrary(text_framework_);
}

void LanguageBarButton::Init(const Description& description, HINSTANCE resources) {
  description_ = description;
  resources_ = resources;
}

void LanguageBarButton::SetText(const std::wstring& text) {
  if (text == text_) return;
  text_ = text;
  Notify(TF_LBI_TEXT);
}

void LanguageBarButton::SetIcon(UINT icon_id) {
  if (icon_id == icon_id_) return;
  icon_id_ = icon_id;
  Notify(TF_LBI_ICON);
}

void LanguageBarButton::SetToggled(bool toggled) {
  if (toggled == toggled_) return;
  toggled_ = toggled;
  Notify(TF_LBI_STATUS);
}

void LanguageBarButton::SetClickCallback(base::Closure* callback) {
  click_callback_.reset(callback);
}

void LanguageBarButton::SetMenuCallback(base::Callback1<unsigned long>* callback) {
  menu_callback_.reset(callback);
}

STDMETHODIMP LanguageBarButton::GetInfo(TF_LANGBARITEMINFO* info) {
  if (info == nullptr) return E_INVALIDARG;
  *info = TF_LANGBARITEMINFO();
  info->clsidService = description_.service;
  info->guidItem = description_.item;
  info->dwStyle = description_.style;
  info->ulSort = description_.sort_index;
  // The field is zero-padded; a longer text is cut, keeping its end mark.
  const size_t units = std::min<size_t>(text_.size(), TF_LBI_DESC_MAXLEN - 1);
  wmemcpy(info->szDescription, text_.c_str(), units);
  return S_OK;
}

STDMETHODIMP LanguageBarButton::GetStatus(DWORD* status) {
  if (status == nullptr) return E_INVALIDARG;
  *status = 0;
  if (!shown_) *status |= TF_LBI_STATUS_HIDDEN;
  if (toggled_) *status |= TF_LBI_STATUS_BTN_TOGGLED;
  return S_OK;
}

STDMETHODIMP LanguageBarButton::Show(BOOL show) {
  const bool shown = show != FALSE;
  if (shown != shown_) {
    shown_ = shown;
    Notify(TF_LBI_STATUS);
  }
  return S_OK;
}

STDMETHODIMP LanguageBarButton::GetTooltipString(BSTR* tooltip) {
  if (tooltip == nullptr) return E_INVALIDARG;
  return base::AllocBstr(text_, tooltip) ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP LanguageBarButton::OnClick(TfLBIClick click, POINT point, const RECT* area) {
  if (area == nullptr) return E_INVALIDARG;
  return GuardComCall([&]() -> HRESULT {
    if (click == TF_LBI_CLK_LEFT && click_callback_) {
      // Kept: the callback may remove the button from the bar.
      ComPtr<LanguageBarButton> self(this);
      click_callback_->Run();
    }
    return S_OK;
  });
}

STDMETHODIMP LanguageBarButton::InitMenu(ITfMenu* menu) {
  if (menu == nullptr) return E_INVALIDARG;
  return GuardComCall([&]() -> HRESULT {
    ComPtr<LanguageBarButton> self(this);
    if (click_callback_) click_callback_->Run();
    if (menu_ == nullptr) return S_OK;
    return CopyMenuToTfMenu(menu_, menu);
  });
}

STDMETHODIMP LanguageBarButton::OnMenuSelect(UINT id) {
  return GuardComCall([&]() -> HRESULT {
    // Only the menu button has a menu callback; the others ignore a choice.
    if (menu_callback_) {
      ComPtr<LanguageBarButton> self(this);
      menu_callback_->Run(id);
    }
    return S_OK;
  });
}

STDMETHODIMP LanguageBarButton::GetIcon(HICON* icon) {
  if (icon == nullptr) return E_INVALIDARG;
  *icon = nullptr;
  if (icon_id_ == 0) return S_OK;
  *icon = static_cast<HICON>(::LoadImageW(resources_, MAKEINTRESOURCEW(icon_id_), IMAGE_ICON,
                                          0, 0, LR_DEFAULTCOLOR));
  return S_OK;
}

STDMETHODIMP LanguageBarButton::GetText(BSTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  return base::AllocBstr(text_, text) ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP LanguageBarButton::AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) {
  return GuardComCall([&]() -> HRESULT {
    if (cookie == nullptr) return E_INVALIDARG;
    if (!IsEqualIID(iid, IID_ITfLangBarItemSink)) return CONNECT_E_CANNOTCONNECT;
    if (sink_) return CONNECT_E_ADVISELIMIT;
    ComPtr<ITfLangBarItemSink> item_sink;
    if (FAILED(item_sink.QueryFrom(sink)) || !item_sink) return E_NOINTERFACE;
    sink_ = item_sink;
    *cookie = kSinkCookie;
    return S_OK;
  });
}

STDMETHODIMP LanguageBarButton::UnadviseSink(DWORD cookie) {
  if (cookie != kSinkCookie || !sink_) return CONNECT_E_NOCONNECTION;
  sink_.Reset();
  return S_OK;
}

void LanguageBarButton::Notify(DWORD flags) {
  if (!sink_) return;
  ComPtr<ITfLangBarItemSink> sink = sink_;
  sink->OnUpdate(flags);
}

}  // namespace tsf
}  // namespace ime_shared
