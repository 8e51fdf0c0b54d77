// The one test of the storage manager that reads the product's own
// "DataPath" under HKEY_LOCAL_MACHINE. It holds the ctest lock of the
// machine-wide product values (see CMakeLists.txt), and puts back what it
// found.
#include <windows.h>

#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/storage/storage_manager_test_helpers.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"

namespace ime_shared {
namespace {

TEST(StorageManagerProductTest, InitReadsTheInstalledDataPath) {
  const ime_testing::RegistryPlace product(HKEY_LOCAL_MACHINE, kProductKeyPath,
                                           KEY_WOW64_64KEY);
  DWORD type = 0;
  std::string previous;
  const bool had_value = product.Query(kDataPathValue, &type, &previous);

  ime_testing::TempDir temp;
  const std::string language = WideToUtf8(ime_testing::UniqueName(L"lang"));
  const std::wstring data_path = temp.path() + L"data";
  ::CreateDirectoryW(data_path.c_str(), nullptr);
  ASSERT_TRUE(testing_helpers::WriteLanguageFolder(data_path, language));
  ime_testing::ScratchRegistryKey updater(HKEY_LOCAL_MACHINE, L"StorageUpdater",
                                          KEY_WOW64_32KEY);
  StoragePlaces places = StoragePlaces::Product();
  // The user's real files are not this test's business.
  places.user_data_folder = temp.path() + L"user";
  places.updater_state_key = updater.path();
  ime_t13n::testing_helpers::RecordingErrorBox box;
  auto init = [&]() {
    std::unique_ptr<StorageManagerImpl> manager(
        StorageManagerImpl::Create(places, &box));
    return manager->Init(language) && manager->GetTransliterator() != nullptr;
  };

  product.Delete(kDataPathValue);
  EXPECT_FALSE(init());
  product.SetString(kDataPathValue, L"");
  EXPECT_FALSE(init());
  product.SetString(kDataPathValue, data_path);
  EXPECT_TRUE(init());
  product.SetString(kDataPathValue, data_path + L"\\");
  EXPECT_TRUE(init());
  EXPECT_EQ(box.shown, 0);

  if (had_value) {
    product.SetRaw(kDataPathValue, type, previous.data(),
                   static_cast<DWORD>(previous.size()));
  } else {
    product.Delete(kDataPathValue);
  }
}

}  // namespace
}  // namespace ime_shared
