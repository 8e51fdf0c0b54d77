// A process that ends with an engine still alive saves the words its user
// cache learned: the process's objects are torn down with the storage
// manager while the settings are still there. The second process runs on
// the process's own settings store, which the teardown deletes, and turns
// any use of a deleted object into a fault: a teardown that deleted the
// settings before the storage manager ends it with code 5.
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
  ime_testing::ScratchRegistryKey settings_key(HKEY_CURRENT_USER,
                                               L"TeardownSettings");

  const int code = ime_testing::RunChild(
      L"teardown_test_child",
      L"\"" + data_key.path() + L"\" \"" + user_folder + L"\" " + cache_mutex +
          L" " + ime_testing::UniqueName(L"TeardownMacros") + L" " + language +
          L" " + ime_testing::UniqueName(L"TeardownSettings") + L" \"" +
          settings_key.path() + L"\"");
  ASSERT_NE(code, 5) << "the teardown used an object it had already deleted";
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
