#include "ime/shared/base/module_handle.h"

#include "gtest/gtest.h"

namespace ime_shared {
namespace base {
namespace {

TEST(ModuleHandleTest, FindsTheBinaryHoldingAnAddress) {
  // Linked statically, the platform layer lives in the test program itself.
  EXPECT_EQ(CurrentModule(), ::GetModuleHandleW(nullptr));

  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  const void* inside_kernel =
      reinterpret_cast<const void*>(::GetProcAddress(kernel, "GetTickCount"));
  ASSERT_NE(inside_kernel, nullptr);
  EXPECT_EQ(ModuleFromAddress(inside_kernel), kernel);

  static int local_data = 0;
  EXPECT_EQ(ModuleFromAddress(&local_data), ::GetModuleHandleW(nullptr));

  // Memory of the heap belongs to no module.
  int* heap = new int(0);
  EXPECT_EQ(ModuleFromAddress(heap), nullptr);
  delete heap;
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
