#include "ime/shared/tsf/display_attribute.h"

#include "gtest/gtest.h"
#include "ime/shared/base/com_bstr.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/tsf/testing/module_lock_scope.h"

namespace ime_shared {
namespace tsf {
namespace {

using base::ComPtr;
using base::ScopedBstr;

BSTR FailingAllocator(const OLECHAR* text, UINT length) { return nullptr; }

GUID Parse(const wchar_t* text) {
  GUID guid = {};
  EXPECT_EQ(::IIDFromString(text, &guid), S_OK);
  return guid;
}

TEST(DisplayAttributeTest, EnumeratesTheOneAttributeAndStartsOverAfterReset) {
  ComPtr<IEnumTfDisplayAttributeInfo> enumerator;
  ASSERT_EQ(DisplayAttribute::Enumerate(enumerator.Receive()), S_OK);

  ITfDisplayAttributeInfo* infos[1] = {nullptr};
  ULONG fetched = 7;
  ASSERT_EQ(enumerator->Next(1, infos, &fetched), S_OK);
  EXPECT_EQ(fetched, 1u);
  ASSERT_NE(infos[0], nullptr);
  ComPtr<ITfDisplayAttributeInfo> first;
  first.Attach(infos[0]);

  GUID guid = {};
  ASSERT_EQ(first->GetGUID(&guid), S_OK);
  // The "hi" row of the identity tables.
  EXPECT_EQ(guid, Parse(L"{A28B2E14-BF3B-3907-A74E-5DD7B4BF3484}"));
  ScopedBstr description;
  ASSERT_EQ(first->GetDescription(description.Receive()), S_OK);
  EXPECT_EQ(description.ToString(), L"ZIME Input Attribute");
  TF_DISPLAYATTRIBUTE attribute;
  ASSERT_EQ(first->GetAttributeInfo(&attribute), S_OK);
  EXPECT_EQ(attribute.crText.type, TF_CT_NONE);
  EXPECT_EQ(attribute.crBk.type, TF_CT_NONE);
  EXPECT_EQ(attribute.lsStyle, TF_LS_DOT);
  EXPECT_FALSE(attribute.fBoldLine);
  EXPECT_EQ(attribute.crLine.type, TF_CT_NONE);
  EXPECT_EQ(attribute.bAttr, TF_ATTR_INPUT);

  // There is no second one.
  infos[0] = nullptr;
  EXPECT_EQ(enumerator->Next(1, infos, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(infos[0], nullptr);
  EXPECT_EQ(enumerator->Skip(1), S_FALSE);

  // A clone keeps the position; Reset yields the attribute again.
  ComPtr<IEnumTfDisplayAttributeInfo> clone;
  ASSERT_EQ(enumerator->Clone(clone.Receive()), S_OK);
  EXPECT_EQ(clone->Next(1, infos, nullptr), S_FALSE);
  ASSERT_EQ(enumerator->Reset(), S_OK);
  ASSERT_EQ(enumerator->Next(1, infos, nullptr), S_OK);
  ComPtr<ITfDisplayAttributeInfo> again;
  again.Attach(infos[0]);
  ASSERT_EQ(again->GetGUID(&guid), S_OK);
  EXPECT_EQ(guid, DisplayAttribute::Guid());
  ASSERT_EQ(clone->Reset(), S_OK);
  EXPECT_EQ(clone->Skip(1), S_OK);
  EXPECT_EQ(clone->Skip(0), S_OK);

  // The attribute is fixed.
  EXPECT_EQ(again->SetAttributeInfo(&attribute), E_NOTIMPL);
  EXPECT_EQ(again->Reset(), E_NOTIMPL);
}

TEST(DisplayAttributeTest, AskingForMoreThanOneReturnsOneAndSaysSo) {
  ComPtr<IEnumTfDisplayAttributeInfo> enumerator;
  ASSERT_EQ(DisplayAttribute::Enumerate(enumerator.Receive()), S_OK);

  ITfDisplayAttributeInfo* infos[2] = {nullptr, nullptr};
  ULONG fetched = 0;
  EXPECT_EQ(enumerator->Next(2, infos, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 1u);
  ASSERT_NE(infos[0], nullptr);
  EXPECT_EQ(infos[1], nullptr);  // the slot not returned is left alone
  infos[0]->Release();

  // Count 0 returns nothing and is not an error; no array is an error.
  EXPECT_EQ(enumerator->Reset(), S_OK);
  EXPECT_EQ(enumerator->Next(0, nullptr, &fetched), S_OK);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(enumerator->Next(1, nullptr, &fetched), E_INVALIDARG);

  // Skipping more than there is skips the one and says so.
  EXPECT_EQ(enumerator->Skip(2), S_FALSE);
  EXPECT_EQ(enumerator->Next(1, infos, &fetched), S_FALSE);
}

TEST(DisplayAttributeTest, GivesTheAttributeOnlyForItsGuid) {
  ITfDisplayAttributeInfo* info = reinterpret_cast<ITfDisplayAttributeInfo*>(1);
  EXPECT_EQ(DisplayAttribute::GetInfo(GUID_PROP_ATTRIBUTE, &info), E_INVALIDARG);
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(DisplayAttribute::GetInfo(DisplayAttribute::Guid(), nullptr), E_INVALIDARG);
  EXPECT_EQ(DisplayAttribute::Enumerate(nullptr), E_INVALIDARG);

  ComPtr<ITfDisplayAttributeInfo> found;
  ASSERT_EQ(DisplayAttribute::GetInfo(DisplayAttribute::Guid(), found.Receive()), S_OK);
  GUID guid = {};
  ASSERT_EQ(found->GetGUID(&guid), S_OK);
  EXPECT_EQ(guid, DisplayAttribute::Guid());
  EXPECT_EQ(found->GetGUID(nullptr), E_INVALIDARG);
  EXPECT_EQ(found->GetDescription(nullptr), E_INVALIDARG);
  EXPECT_EQ(found->GetAttributeInfo(nullptr), E_INVALIDARG);
}

TEST(DisplayAttributeTest, ObjectsHoldTheModuleAndReportNoMemory) {
  ime_tsf_testing::ModuleLockScope lock;
  {
    ComPtr<IEnumTfDisplayAttributeInfo> enumerator;
    ASSERT_EQ(DisplayAttribute::Enumerate(enumerator.Receive()), S_OK);
    ITfDisplayAttributeInfo* info = nullptr;
    ASSERT_EQ(enumerator->Next(1, &info, nullptr), S_OK);
    EXPECT_EQ(lock.count(), 2);

    base::BstrAllocator allocator = base::SetBstrAllocator(&FailingAllocator);
    BSTR description = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(info->GetDescription(&description), E_OUTOFMEMORY);
    EXPECT_EQ(description, nullptr);
    base::SetBstrAllocator(allocator);
    info->Release();
  }
  EXPECT_EQ(lock.count(), 0);
}

}  // namespace
}  // namespace tsf
}  // namespace ime_shared
