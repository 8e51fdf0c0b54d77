// A process that ends with an engine still alive saves the words its user
// cache learned: the process's objects are torn down with the storage
// manager while the settings are still there.
#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/storage/storage_manager_test_helpers.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_t13n {
namespace {

TEST(TeardownTest, AnEngineAliveAtExitStillSavesTheUserCache) {
  ime_testing::TempDir temp;
  ime_testing::ScratchRegistryKey data_key(HKEY_LOCAL_MACHINE, L"TeardownData",
                                           KEY_WOW64_64KEY);
  const std::wstring language = ime_testing::UniqueName(L"td");
  const std::wstring data_path = temp.path() + L"data";
  ::CreateDirectoryW(data_path.c_str(), nullptr);
  ASSERT_TRUE(ime_shared::testing_helpers::WriteLanguageFolder(
      data_path, ime_shared::WideToUtf8(language)));
  data_key.SetString(L"DataPath", data_path);
  const std::wstring user_folder = temp.path() + L"user";
  const std::wstring cache_mutex = ime_testing::UniqueName(L"TeardownCache");

  const int code = ime_testing::RunChild(
      L"teardown_test_child",
      L"\"" + data_key.path() + L"\" \"" + user_folder + L"\" " + cache_mutex +
          L" " + ime_testing::UniqueName(L"TeardownMacros") + L" " + language);
  ASSERT_EQ(code, 0);

  std::unique_ptr<ime_shared::MutexHolder> mutex(
      ime_shared::MutexHolder::CreateNamed(cache_mutex.c_str()));
  std::vector<std::wstring> entries;
  ASSERT_TRUE(ime_shared::ReadStringList(user_folder + L"\\user_cache.00000",
                                         mutex.get(), 5000, &entries, 1000000));
  EXPECT_EQ(entries, std::vector<std::wstring>{L"kal \x0915\x0932"});
}

}  // namespace
}  // namespace ime_t13n
