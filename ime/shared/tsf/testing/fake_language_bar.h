// Fakes of the Windows language bar: an item manager that records what the
// input method adds and removes (with each item's description as the bar
// read it while adding it), listens to every item's changes as the bar
// does, and a menu that records the items copied into it.
#ifndef IME_SHARED_TSF_TESTING_FAKE_LANGUAGE_BAR_H_
#define IME_SHARED_TSF_TESTING_FAKE_LANGUAGE_BAR_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"

namespace ime_tsf_testing {

// Records the change flags an item tells its sink.
class RecordingItemSink : public ime_shared::base::ComObject<ITfLangBarItemSink> {
 public:
  STDMETHODIMP OnUpdate(DWORD flags) override {
    updates.push_back(flags);
    return S_OK;
  }
  std::vector<DWORD> updates;
};

class FakeLangBarItemMgr : public ime_shared::base::ComObject<ITfLangBarItemMgr> {
 public:
  // One item on the bar.
  struct Item {
    ime_shared::base::ComPtr<ITfLangBarItem> item;
    // GetInfo as the bar read it inside AddItem.
    TF_LANGBARITEMINFO info;
    // Whether the item gave an icon inside AddItem.
    bool had_icon;
    ime_shared::base::ComPtr<RecordingItemSink> sink;
    DWORD sink_cookie;
  };

  // The items on the bar in the order they were added.
  const std::vector<Item>& items() const { return items_; }
  int added() const { return added_; }
  int removed() const { return removed_; }

  // A failure AddItem answers instead of adding.
  HRESULT add_result = S_OK;

  STDMETHODIMP EnumItems(IEnumTfLangBarItems** items) override { return E_NOTIMPL; }
  STDMETHODIMP GetItem(REFGUID guid, ITfLangBarItem** item) override { return E_NOTIMPL; }
  // Reads the item's description and icon and advises a sink on it, as the
  // bar does.
  STDMETHODIMP AddItem(ITfLangBarItem* item) override;
  STDMETHODIMP RemoveItem(ITfLangBarItem* item) override;
  STDMETHODIMP AdviseItemSink(ITfLangBarItemSink* sink, DWORD* cookie, REFGUID item) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP UnadviseItemSink(DWORD cookie) override { return E_NOTIMPL; }
  STDMETHODIMP GetItemFloatingRect(DWORD thread, REFGUID guid, RECT* rect) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetItemsStatus(ULONG count, const GUID* guids, DWORD* status) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetItemNum(ULONG* count) override;
  STDMETHODIMP GetItems(ULONG count, ITfLangBarItem** items, TF_LANGBARITEMINFO* infos,
                        DWORD* status, ULONG* fetched) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP AdviseItemsSink(ULONG count, ITfLangBarItemSink** sinks, const GUID* guids,
                               DWORD* cookies) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP UnadviseItemsSink(ULONG count, DWORD* cookies) override { return E_NOTIMPL; }

 private:
  std::vector<Item> items_;
  int added_ = 0;
  int removed_ = 0;
};

// A menu that records its items; a submenu item gets a FakeTfMenu of its
// own.
class FakeTfMenu : public ime_shared::base::ComObject<ITfMenu> {
 public:
  struct Entry {
    UINT id;
    DWORD flags;
    std::wstring text;
    ime_shared::base::ComPtr<FakeTfMenu> submenu;
  };

  STDMETHODIMP AddMenuItem(UINT id, DWORD flags, HBITMAP bitmap, HBITMAP mask,
                           const WCHAR* text, ULONG length, ITfMenu** submenu) override;

  std::vector<Entry> entries;
};

}  // namespace ime_tsf_testing

#endif  // IME_SHARED_TSF_TESTING_FAKE_LANGUAGE_BAR_H_
