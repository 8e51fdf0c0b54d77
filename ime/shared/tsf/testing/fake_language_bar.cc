#include "ime/shared/tsf/testing/fake_language_bar.h"

#include <olectl.h>

namespace ime_tsf_testing {

using ime_shared::base::ComPtr;
using ime_shared::base::MakeComObject;

STDMETHODIMP FakeLangBarItemMgr::AddItem(ITfLangBarItem* item) {
  if (item == nullptr) return E_INVALIDARG;
  if (FAILED(add_result)) return add_result;
  ++added_;
  Item record = {};
  record.item.Reset(item);
  item->GetInfo(&record.info);
  ComPtr<ITfLangBarItemButton> button;
  if (SUCCEEDED(button.QueryFrom(item))) {
    HICON icon = nullptr;
    if (SUCCEEDED(button->GetIcon(&icon)) && icon != nullptr) {
      record.had_icon = true;
      ::DestroyIcon(icon);
    }
  }
  record.sink = MakeComObject<RecordingItemSink>();
  record.sink_cookie = TF_INVALID_COOKIE;
  ComPtr<ITfSource> source;
  if (SUCCEEDED(source.QueryFrom(item))) {
    source->AdviseSink(IID_ITfLangBarItemSink, static_cast<ITfLangBarItemSink*>(record.sink.Get()),
                       &record.sink_cookie);
  }
  items_.push_back(record);
  return S_OK;
}

STDMETHODIMP FakeLangBarItemMgr::RemoveItem(ITfLangBarItem* item) {
  ++removed_;
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->item.Get() != item) continue;
    ComPtr<ITfSource> source;
    if (it->sink_cookie != TF_INVALID_COOKIE && SUCCEEDED(source.QueryFrom(item))) {
      source->UnadviseSink(it->sink_cookie);
    }
    items_.erase(it);
    return S_OK;
  }
  return E_INVALIDARG;
}

STDMETHODIMP FakeLangBarItemMgr::GetItemNum(ULONG* count) {
  if (count == nullptr) return E_INVALIDARG;
  *count = static_cast<ULONG>(items_.size());
  return S_OK;
}

STDMETHODIMP FakeTfMenu::AddMenuItem(UINT id, DWORD flags, HBITMAP bitmap, HBITMAP mask,
                                     const WCHAR* text, ULONG length, ITfMenu** submenu) {
  Entry entry = {id, flags, std::wstring(text != nullptr ? text : L"", text != nullptr ? length : 0),
                 ComPtr<FakeTfMenu>()};
  if ((flags & TF_LBMENUF_SUBMENU) != 0) {
    if (submenu == nullptr) return E_INVALIDARG;
    entry.submenu = MakeComObject<FakeTfMenu>();
    *submenu = entry.submenu.Get();
    entry.submenu->AddRef();
  } else if (submenu != nullptr) {
    *submenu = nullptr;
  }
  entries.push_back(entry);
  return S_OK;
}

}  // namespace ime_tsf_testing
