#include "ime/shared/base/com_module_lock.h"

#include "gtest/gtest.h"
#include "ime/shared/base/com_object.h"

namespace ime_shared {
namespace base {
namespace {

class Plain : public ComObject<IUnknown> {};

TEST(ModuleLockTest, CountsAndReportsTheNewCount) {
  CountingModuleLock lock;
  EXPECT_EQ(lock.GetLockCount(), 0);
  EXPECT_EQ(lock.Lock(), 1);
  EXPECT_EQ(lock.Lock(), 2);
  EXPECT_EQ(lock.Unlock(), 1);
  EXPECT_EQ(lock.Unlock(), 0);
}

TEST(ModuleLockTest, ObjectsUnlockTheLockTheyTook) {
  ModuleLockInterface* built_in = GetModuleLock();
  const LONG built_in_start = built_in->GetLockCount();

  ComPtr<Plain> early = MakeComObject<Plain>();
  EXPECT_EQ(built_in->GetLockCount(), built_in_start + 1);

  // The module object installs itself while an object is alive.
  CountingModuleLock module;
  EXPECT_EQ(SetModuleLock(&module), built_in);
  EXPECT_EQ(GetModuleLock(), &module);
  ComPtr<Plain> late = MakeComObject<Plain>();
  EXPECT_EQ(module.GetLockCount(), 1);

  early.Reset();
  EXPECT_EQ(built_in->GetLockCount(), built_in_start);
  EXPECT_EQ(module.GetLockCount(), 1);
  late.Reset();
  EXPECT_EQ(module.GetLockCount(), 0);

  // Null puts the built-in counter back.
  EXPECT_EQ(SetModuleLock(nullptr), &module);
  EXPECT_EQ(GetModuleLock(), built_in);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
