#include "ime/shared/base/scoped_handle.h"

#include <utility>

#include "gtest/gtest.h"

namespace ime_shared {
namespace base {
namespace {

bool IsOpen(HANDLE h) {
  DWORD flags = 0;
  return ::GetHandleInformation(h, &flags) != FALSE;
}

TEST(ScopedHandleTest, ClosesOnDestructionAndReset) {
  HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    ScopedHandle handle(raw);
    EXPECT_TRUE(handle.IsValid());
    EXPECT_EQ(handle.Get(), raw);
  }
  EXPECT_FALSE(IsOpen(raw));

  HANDLE other = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ScopedHandle handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE first = handle.Get();
  handle.Reset(other);
  EXPECT_FALSE(IsOpen(first));
  EXPECT_TRUE(IsOpen(other));
  handle.Reset();
  EXPECT_FALSE(handle);
  EXPECT_FALSE(IsOpen(other));
}

TEST(ScopedHandleTest, ReleaseAndMoveTransferOwnership) {
  ScopedHandle a(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE raw = a.Get();
  ScopedHandle b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(b.Get(), raw);
  ScopedHandle c;
  c = std::move(b);
  EXPECT_EQ(c.Get(), raw);
  HANDLE released = c.Release();
  EXPECT_FALSE(c);
  EXPECT_TRUE(IsOpen(released));
  ::CloseHandle(released);
}

TEST(ScopedHandleTest, FileHandlesUseInvalidHandleValue) {
  ScopedFileHandle none;
  EXPECT_FALSE(none);
  EXPECT_EQ(none.Get(), INVALID_HANDLE_VALUE);
  ScopedFileHandle failed(::CreateFileW(L"Z:\\no\\such\\dir\\file", GENERIC_READ, 0,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(failed);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
