// A language-bar button as the bar sees it: its one item sink, the state and
// description it reports, and the menu it copies for the bar.
#include "ime/shared/tsf/language_bar_button.h"

#include <windows.h>
#include <olectl.h>

#include <cstring>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/callbacks.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/tsf/menu_copy.h"
#include "ime/shared/tsf/testing/fake_context.h"
#include "ime/shared/tsf/testing/fake_language_bar.h"
#include "ime/shared/tsf/testing/module_lock_scope.h"

namespace ime_shared {
namespace tsf {
namespace {

using base::ComPtr;
using base::MakeComObject;
using ime_tsf_testing::FakeTfMenu;
using ime_tsf_testing::PlainObject;
using ime_tsf_testing::RecordingItemSink;

constexpr GUID kService = {0x1a2b3c4d, 0x0001, 0x4000, {0x80, 1, 2, 3, 4, 5, 6, 7}};
constexpr GUID kItem = {0x1a2b3c4d, 0x0002, 0x4000, {0x80, 1, 2, 3, 4, 5, 6, 7}};

class LanguageBarButtonTest : public ::testing::Test {
 protected:
  LanguageBarButtonTest() {
    button_ = MakeComObject<LanguageBarButton>();
    button_->Init({kService, kItem, TF_LBI_STYLE_BTN_MENU, 2}, nullptr);
  }
  ~LanguageBarButtonTest() override {
    button_.Reset();
    EXPECT_EQ(module_lock_.count(), 0);
  }

  ime_tsf_testing::ModuleLockScope module_lock_;
  ComPtr<LanguageBarButton> button_;
};

TEST_F(LanguageBarButtonTest, OneSinkUnderItsCookieHearsEveryChange) {
  EXPECT_NE(button_->text_framework(), nullptr);
  ComPtr<RecordingItemSink> sink = MakeComObject<RecordingItemSink>();
  ComPtr<PlainObject> plain = MakeComObject<PlainObject>();
  DWORD cookie = 0;
  EXPECT_EQ(button_->AdviseSink(IID_ITfThreadMgrEventSink, sink.Get(), &cookie),
            CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(button_->AdviseSink(IID_ITfLangBarItemSink, plain.Get(), &cookie), E_NOINTERFACE);
  EXPECT_EQ(button_->AdviseSink(IID_ITfLangBarItemSink, sink.Get(), &cookie), S_OK);
  EXPECT_EQ(cookie, 0x34A2CF36u);
  DWORD second = 0;
  EXPECT_EQ(button_->AdviseSink(IID_ITfLangBarItemSink, sink.Get(), &second),
            CONNECT_E_ADVISELIMIT);

  // Changes are told once each; setting the same state again tells nothing.
  button_->SetText(L"Open menu");
  button_->SetText(L"Open menu");
  button_->SetIcon(107);
  button_->SetToggled(true);
  EXPECT_EQ(button_->Show(FALSE), S_OK);
  EXPECT_EQ(button_->Show(FALSE), S_OK);
  EXPECT_EQ(sink->updates,
            std::vector<DWORD>({TF_LBI_TEXT, TF_LBI_ICON, TF_LBI_STATUS, TF_LBI_STATUS}));
  DWORD status = 0;
  EXPECT_EQ(button_->GetStatus(&status), S_OK);
  EXPECT_EQ(status, static_cast<DWORD>(TF_LBI_STATUS_HIDDEN | TF_LBI_STATUS_BTN_TOGGLED));

  TF_LANGBARITEMINFO info;
  std::memset(&info, 0xCC, sizeof(info));
  EXPECT_EQ(button_->GetInfo(&info), S_OK);
  EXPECT_TRUE(IsEqualGUID(info.clsidService, kService));
  EXPECT_TRUE(IsEqualGUID(info.guidItem, kItem));
  EXPECT_EQ(info.dwStyle, static_cast<DWORD>(TF_LBI_STYLE_BTN_MENU));
  EXPECT_EQ(info.ulSort, 2u);
  EXPECT_EQ(std::wstring(info.szDescription), L"Open menu");
  for (size_t i = wcslen(L"Open menu"); i < TF_LBI_DESC_MAXLEN; ++i) {
    EXPECT_EQ(info.szDescription[i], L'\0') << "unit " << i;
  }
  EXPECT_EQ(button_->GetInfo(nullptr), E_INVALIDARG);
  // Without an icon resource there is no icon.
  HICON icon = reinterpret_cast<HICON>(1);
  button_->SetIcon(0);
  EXPECT_EQ(button_->GetIcon(&icon), S_OK);
  EXPECT_EQ(icon, nullptr);

  EXPECT_EQ(button_->UnadviseSink(cookie + 1), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(button_->UnadviseSink(cookie), S_OK);
  EXPECT_EQ(button_->UnadviseSink(cookie), CONNECT_E_NOCONNECTION);
  button_->SetToggled(false);
  EXPECT_EQ(sink->updates.size(), 5u);
}

TEST_F(LanguageBarButtonTest, ClicksAndMenusReachTheirCallbacksOnly) {
  int clicks = 0;
  std::vector<unsigned long> chosen;
  struct Receiver {
    void Click() { ++*clicks; }
    void Choose(unsigned long id) { chosen->push_back(id); }
    int* clicks;
    std::vector<unsigned long>* chosen;
  } receiver{&clicks, &chosen};
  const RECT area = {0, 0, 16, 16};
  const POINT point = {4, 4};

  // Without callbacks (buttons other than the menu button have no menu
  // callback) nothing runs.
  EXPECT_EQ(button_->OnClick(TF_LBI_CLK_LEFT, point, &area), S_OK);
  EXPECT_EQ(button_->OnMenuSelect(7), S_OK);

  button_->SetClickCallback(base::NewPermanentCallback(&receiver, &Receiver::Click));
  button_->SetMenuCallback(base::NewPermanentCallback(&receiver, &Receiver::Choose));
  EXPECT_EQ(button_->OnClick(TF_LBI_CLK_RIGHT, point, &area), S_OK);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(button_->OnClick(TF_LBI_CLK_LEFT, point, nullptr), E_INVALIDARG);
  EXPECT_EQ(button_->OnClick(TF_LBI_CLK_LEFT, point, &area), S_OK);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(button_->OnMenuSelect(40003), S_OK);
  EXPECT_EQ(button_->OnMenuSelect(0), S_OK);
  EXPECT_EQ(chosen, std::vector<unsigned long>({40003, 0}));

  // The menu: a submenu with a checked item, a separator, a plain item.
  HMENU sizes = ::CreatePopupMenu();
  ::AppendMenuW(sizes, MF_STRING, 40046, L"3");
  ::AppendMenuW(sizes, MF_STRING | MF_CHECKED, 40047, L"4");
  HMENU menu = ::CreatePopupMenu();
  ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sizes), L"Page Size");
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu, MF_STRING | MF_CHECKED, 40050, L"Enable User Cache");
  ::AppendMenuW(menu, MF_STRING, 40003, L"About...");
  button_->SetMenu(menu);
  ComPtr<FakeTfMenu> copy = MakeComObject<FakeTfMenu>();
  EXPECT_EQ(button_->InitMenu(nullptr), E_INVALIDARG);
  EXPECT_EQ(button_->InitMenu(copy.Get()), S_OK);
  // InitMenu runs the click callback first (it builds the menu).
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(copy->entries.size(), 4u);
  EXPECT_EQ(copy->entries[0].text, L"Page Size");
  EXPECT_EQ(copy->entries[0].flags, static_cast<DWORD>(TF_LBMENUF_SUBMENU));
  ASSERT_TRUE(copy->entries[0].submenu);
  ASSERT_EQ(copy->entries[0].submenu->entries.size(), 2u);
  EXPECT_EQ(copy->entries[0].submenu->entries[0].id, 40046u);
  EXPECT_EQ(copy->entries[0].submenu->entries[0].flags, 0u);
  EXPECT_EQ(copy->entries[0].submenu->entries[1].text, L"4");
  EXPECT_EQ(copy->entries[0].submenu->entries[1].flags, static_cast<DWORD>(TF_LBMENUF_CHECKED));
  EXPECT_EQ(copy->entries[1].flags, static_cast<DWORD>(TF_LBMENUF_SEPARATOR));
  EXPECT_EQ(copy->entries[2].id, 40050u);
  EXPECT_EQ(copy->entries[2].flags, static_cast<DWORD>(TF_LBMENUF_CHECKED));
  EXPECT_EQ(copy->entries[3].text, L"About...");
  EXPECT_EQ(copy->entries[3].flags, 0u);
  EXPECT_EQ(CopyMenuToTfMenu(nullptr, copy.Get()), E_INVALIDARG);
  EXPECT_EQ(CopyMenuToTfMenu(menu, nullptr), E_INVALIDARG);
  button_->SetMenu(nullptr);
  ::DestroyMenu(menu);
}

}  // namespace
}  // namespace tsf
}  // namespace ime_shared
