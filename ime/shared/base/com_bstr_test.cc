#include "ime/shared/base/com_bstr.h"

#include "gtest/gtest.h"

namespace ime_shared {
namespace base {
namespace {

BSTR FailingAllocator(const OLECHAR* text, UINT length) { return nullptr; }

TEST(BstrTest, CopiesTheWholeTextWithItsLength) {
  BSTR text = nullptr;
  const std::wstring source(L"a\0b\x0928", 4);
  ASSERT_TRUE(AllocBstr(source, &text));
  ScopedBstr owned(text);
  EXPECT_EQ(::SysStringLen(owned.Get()), 4u);
  EXPECT_EQ(owned.ToString(), source);

  BSTR empty = nullptr;
  ASSERT_TRUE(AllocBstr(std::wstring(), &empty));
  ScopedBstr owned_empty(empty);
  EXPECT_NE(owned_empty.Get(), nullptr);
  EXPECT_EQ(::SysStringLen(owned_empty.Get()), 0u);

  EXPECT_FALSE(AllocBstr(L"x", nullptr));
}

TEST(BstrTest, ReportsAnAllocationFailure) {
  BstrAllocator previous = SetBstrAllocator(&FailingAllocator);
  BSTR text = reinterpret_cast<BSTR>(1);
  EXPECT_FALSE(AllocBstr(L"namaste", &text));
  EXPECT_EQ(text, nullptr);
  SetBstrAllocator(previous);

  ASSERT_TRUE(AllocBstr(L"namaste", &text));
  ScopedBstr owned(text);
  EXPECT_EQ(owned.ToString(), L"namaste");
}

TEST(BstrTest, ScopedBstrFreesAndHandsOver) {
  ScopedBstr owned;
  EXPECT_EQ(owned.ToString(), L"");
  ASSERT_TRUE(AllocBstr(L"one", owned.Receive()));
  EXPECT_EQ(owned.ToString(), L"one");
  // Receive frees the old string before the new one arrives.
  ASSERT_TRUE(AllocBstr(L"two", owned.Receive()));
  EXPECT_EQ(owned.ToString(), L"two");
  BSTR released = owned.Release();
  EXPECT_EQ(owned.Get(), nullptr);
  ::SysFreeString(released);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
