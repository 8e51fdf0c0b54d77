// The module's unload order on the built module, in a Wine prefix of its
// own (the module reads and writes the user's real files there): a module
// freed while an input context still holds its engine first deletes the
// context and its engine, then tears the start-up objects down, and the
// words the user taught it reach the user cache file on the way, with the
// settings store still there to say the cache is on.
#include "ime/t13n/module_wiring.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/t13n/imm_host/module_driver.h"

namespace ime_t13n {
namespace {

std::vector<std::wstring> ReadUserCache() {
  const std::wstring path =
      ime_shared::PathJoin(ime_shared::GetProductDirectory(
                               ime_shared::kUserDataDirectory),
                           ime_shared::kUserCacheFileName);
  std::unique_ptr<ime_shared::MutexHolder> mutex(
      ime_shared::MutexHolder::CreateNamed(ime_shared::kUserCacheMutexName));
  std::vector<std::wstring> entries;
  ime_shared::ReadStringList(path, mutex.get(), 5000, &entries, 1000000);
  return entries;
}

bool Contains(const std::vector<std::wstring>& entries,
              const std::wstring& entry) {
  for (const std::wstring& e : entries) {
    if (e == entry) return true;
  }
  return false;
}

TEST(ModuleUnloadTest, FreeingTheModuleWithALiveContextSavesTheUserCache) {
  const ime_testing::RegistryPlace product(
      HKEY_LOCAL_MACHINE, ime_shared::kProductKeyPath, KEY_WOW64_64KEY);
  const ime_testing::RegistryPlace autoupdate(
      HKEY_LOCAL_MACHINE, ime_shared::kAutoupdateKeyPath, KEY_WOW64_64KEY);
  product.SetString(ime_shared::kDataPathValue,
                    ime_shared::Utf8ToWide(KELVANE_BUILT_DATA_DIR));
  autoupdate.SetString(ime_shared::kInstalledVersionValue, L"1.0.4.0");

  imm_host::LoadedModule module;
  ASSERT_TRUE(module.Load(imm_host::ModuleBesideProgram()));
  HIMC himc = ::ImmCreateContext();
  ASSERT_NE(himc, nullptr);
  ASSERT_TRUE(module.exports().ImeSelect(himc, TRUE));
  imm_host::DrivenContext context(module.exports(), himc);

  // The second reading of a word, chosen with Ctrl and its digit: the
  // choice is learned, and comes first the next time the word is typed.
  const std::wstring word = L"kal";
  context.Type(word);
  const std::vector<std::wstring> before = context.Candidates();
  ASSERT_GE(before.size(), 2u);
  const std::wstring chosen = before[1];
  context.SetModifier(VK_CONTROL, true);
  context.Press('2');
  context.SetModifier(VK_CONTROL, false);
  ASSERT_EQ(context.CompositionString(GCS_RESULTSTR), chosen);
  context.Type(word);
  ASSERT_FALSE(context.Candidates().empty());
  EXPECT_EQ(context.Candidates()[0], chosen) << "the choice was not learned";
  context.Press(VK_ESCAPE);

  // Nothing is written while the engine lives.
  const std::wstring entry = word + L" " + chosen;
  EXPECT_FALSE(Contains(ReadUserCache(), entry));

  // Freed with the context still selected.
  module.Free();
  EXPECT_TRUE(Contains(ReadUserCache(), entry));
  ::ImmDestroyContext(himc);
}

}  // namespace
}  // namespace ime_t13n
