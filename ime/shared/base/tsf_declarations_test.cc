#include "ime/shared/base/tsf_declarations.h"

#include <cstdint>
#include <cstring>

#include "gtest/gtest.h"

namespace {

GUID Parse(const wchar_t* text) {
  GUID guid = {};
  EXPECT_EQ(::IIDFromString(text, &guid), S_OK) << text;
  return guid;
}

// The vtable slot of a virtual member function: GCC represents a pointer to
// a virtual member as one plus the slot's byte offset.
template <typename Member>
size_t SlotOf(Member member) {
  struct Representation {
    uintptr_t pointer;
    ptrdiff_t adjustment;
  } representation;
  static_assert(sizeof(Member) == sizeof(Representation), "pointer to member layout");
  std::memcpy(&representation, &member, sizeof(representation));
  EXPECT_EQ(representation.pointer & 1, 1u) << "not a virtual member";
  return (representation.pointer - 1) / sizeof(void*);
}

TEST(TsfDeclarationsTest, InterfaceIdentifiersHaveTheirPublishedValues) {
  EXPECT_EQ(IID_ITfTextInputProcessorEx, Parse(L"{6E4E2102-F9CD-433D-B496-303CE03A6507}"));
  EXPECT_EQ(IID_ITfContextKeyEventSink, Parse(L"{0552BA5D-C835-4934-BF50-846AAA67432F}"));
  EXPECT_EQ(IID_ITfTextLayoutSink, Parse(L"{2AF2D06A-DD5B-4927-A0B4-54F19C91FADE}"));
  EXPECT_EQ(IID_ITfDisplayAttributeProvider,
            Parse(L"{FEE47777-163C-4769-996A-6E9C50AD8F54}"));
  EXPECT_EQ(IID_ITfFunction, Parse(L"{DB593490-098F-11D3-8DF0-00105A2799B5}"));
  EXPECT_EQ(IID_ITfFnConfigure, Parse(L"{88F567C6-1757-49F8-A1B2-89234C1EEFF9}"));
  EXPECT_EQ(IID_ITfCandidateListUIElement, Parse(L"{EA1EA138-19DF-11D7-A6D2-00065B84435C}"));
  EXPECT_EQ(IID_ITfCandidateListUIElementBehavior,
            Parse(L"{85FAD185-58CE-497A-9460-355366B64B9A}"));
  EXPECT_EQ(IID_ITfLangBarItemButton, Parse(L"{28C7F1D0-DE25-11D2-AFDD-00105A2799B5}"));
  EXPECT_EQ(IID_ITfMenu, Parse(L"{6F8A98E4-AAA0-4F15-8C5B-07E0DF0A3DD8}"));

  // __uuidof gives the same values.
  EXPECT_EQ(__uuidof(ITfTextInputProcessorEx), IID_ITfTextInputProcessorEx);
  EXPECT_EQ(__uuidof(ITfContextKeyEventSink), IID_ITfContextKeyEventSink);
  EXPECT_EQ(__uuidof(ITfCandidateListUIElementBehavior),
            IID_ITfCandidateListUIElementBehavior);
  EXPECT_EQ(__uuidof(ITfLangBarItemButton), IID_ITfLangBarItemButton);
  EXPECT_EQ(__uuidof(ITfMenu), IID_ITfMenu);
}

TEST(TsfDeclarationsTest, GuidsHaveTheirPublishedValues) {
  EXPECT_EQ(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION,
            Parse(L"{CCF05DD8-4A87-11D7-A6E2-00065B84435C}"));
  EXPECT_EQ(GUID_COMPARTMENT_KEYBOARD_INPUTMODE_SENTENCE,
            Parse(L"{CCF05DD9-4A87-11D7-A6E2-00065B84435C}"));
  EXPECT_EQ(GUID_TFCAT_TIPCAP_INPUTMODECOMPARTMENT,
            Parse(L"{CCF05DD7-4A87-11D7-A6E2-00065B84435C}"));
  EXPECT_EQ(GUID_TFCAT_TIPCAP_UIELEMENTENABLED,
            Parse(L"{49D2F9CF-1F5E-11D7-A6D3-00065B84435C}"));
  EXPECT_EQ(GUID_TFCAT_TIPCAP_SECUREMODE, Parse(L"{49D2F9CE-1F5E-11D7-A6D3-00065B84435C}"));
  EXPECT_EQ(GUID_TFCAT_TIPCAP_COMLESS, Parse(L"{364215D9-75BC-11D7-A6EF-00065B84435C}"));
  EXPECT_EQ(GUID_TFCAT_TIPCAP_WOW16, Parse(L"{364215DA-75BC-11D7-A6EF-00065B84435C}"));
  EXPECT_EQ(GUID_TFCAT_TIPCAP_IMMERSIVESUPPORT,
            Parse(L"{13A016DF-560B-46CD-947A-4C3AF1E0E35D}"));
  EXPECT_EQ(GUID_TFCAT_TIPCAP_SYSTRAYSUPPORT,
            Parse(L"{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}"));
  EXPECT_EQ(GUID_LBI_INPUTMODE, Parse(L"{2C77A81E-41CC-4178-A3A7-5F8A987568E6}"));
  // Declared by msctf.h, defined here: it links and has its value.
  EXPECT_EQ(GUID_PROP_COMPOSING, Parse(L"{E12AC060-AF15-11D2-AFC5-00105A2799B5}"));
  // The compartment GUIDs that libuuid has, next to ours.
  EXPECT_EQ(GUID_COMPARTMENT_EMPTYCONTEXT, Parse(L"{D7487DBF-804E-41C5-894D-AD96FD4EEA13}"));
}

TEST(TsfDeclarationsTest, MethodsSitInTheirPublishedSlots) {
  // Slots 0-2 are IUnknown's.
  EXPECT_EQ(SlotOf(&ITfTextInputProcessorEx::Activate), 3u);
  EXPECT_EQ(SlotOf(&ITfTextInputProcessorEx::Deactivate), 4u);
  EXPECT_EQ(SlotOf(&ITfTextInputProcessorEx::ActivateEx), 5u);

  EXPECT_EQ(SlotOf(&ITfContextKeyEventSink::OnKeyDown), 3u);
  EXPECT_EQ(SlotOf(&ITfContextKeyEventSink::OnKeyUp), 4u);
  EXPECT_EQ(SlotOf(&ITfContextKeyEventSink::OnTestKeyDown), 5u);
  EXPECT_EQ(SlotOf(&ITfContextKeyEventSink::OnTestKeyUp), 6u);

  EXPECT_EQ(SlotOf(&ITfTextLayoutSink::OnLayoutChange), 3u);

  EXPECT_EQ(SlotOf(&ITfDisplayAttributeProvider::EnumDisplayAttributeInfo), 3u);
  EXPECT_EQ(SlotOf(&ITfDisplayAttributeProvider::GetDisplayAttributeInfo), 4u);

  EXPECT_EQ(SlotOf(&ITfFnConfigure::GetDisplayName), 3u);
  EXPECT_EQ(SlotOf(&ITfFnConfigure::Show), 4u);

  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::GetDescription), 3u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::IsShown), 6u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::GetUpdatedFlags), 7u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::GetDocumentMgr), 8u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::GetCount), 9u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::GetSelection), 10u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::GetString), 11u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::GetPageIndex), 12u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::SetPageIndex), 13u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::GetCurrentPage), 14u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::SetSelection), 15u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::Finalize), 16u);
  EXPECT_EQ(SlotOf(&ITfCandidateListUIElementBehavior::Abort), 17u);

  EXPECT_EQ(SlotOf(&ITfLangBarItemButton::GetInfo), 3u);
  EXPECT_EQ(SlotOf(&ITfLangBarItemButton::GetTooltipString), 6u);
  EXPECT_EQ(SlotOf(&ITfLangBarItemButton::OnClick), 7u);
  EXPECT_EQ(SlotOf(&ITfLangBarItemButton::InitMenu), 8u);
  EXPECT_EQ(SlotOf(&ITfLangBarItemButton::OnMenuSelect), 9u);
  EXPECT_EQ(SlotOf(&ITfLangBarItemButton::GetIcon), 10u);
  EXPECT_EQ(SlotOf(&ITfLangBarItemButton::GetText), 11u);

  EXPECT_EQ(SlotOf(&ITfMenu::AddMenuItem), 3u);
}

TEST(TsfDeclarationsTest, ConstantsHaveTheirPublishedValues) {
  EXPECT_EQ(TF_CLUIE_DOCUMENTMGR | TF_CLUIE_COUNT | TF_CLUIE_SELECTION | TF_CLUIE_STRING |
                TF_CLUIE_PAGEINDEX | TF_CLUIE_CURRENTPAGE,
            0x3F);
  EXPECT_EQ(TF_LBI_ICON, 1);
  EXPECT_EQ(TF_LBI_TEXT, 2);
  EXPECT_EQ(TF_LBI_STATUS, 0x10000);
  EXPECT_EQ(TF_LBI_STYLE_BTN_BUTTON, 0x10000);
  EXPECT_EQ(TF_LBI_STYLE_BTN_MENU, 0x20000);
  EXPECT_EQ(TF_LBI_STYLE_BTN_TOGGLE, 0x40000);
  EXPECT_EQ(TF_LBI_STATUS_HIDDEN, 1);
  EXPECT_EQ(TF_LBI_STATUS_DISABLED, 2);
  EXPECT_EQ(TF_LBI_STATUS_BTN_TOGGLED, 0x10000);
  EXPECT_EQ(TF_LBMENUF_CHECKED, 1);
  EXPECT_EQ(TF_LBMENUF_SUBMENU, 2);
  EXPECT_EQ(TF_LBMENUF_SEPARATOR, 4);
  EXPECT_EQ(TF_LBI_CLK_RIGHT, 1);
  EXPECT_EQ(TF_LBI_CLK_LEFT, 2);
  EXPECT_EQ(TF_LC_CHANGE, 1);
  EXPECT_EQ(TF_INVALID_UIELEMENTID, 0xFFFFFFFFu);
}

}  // namespace
