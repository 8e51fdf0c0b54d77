#include "ime/shared/product_registry.h"

#include <string>

#include "gtest/gtest.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/testing/scratch_registry_key.h"

namespace ime_shared {
namespace {

using ime_testing::RegistryPlace;
using ime_testing::ScratchRegistryKey;

TEST(ProductRegistryTest, UserKeyIsCreatedWhenMissing) {
  ScratchRegistryKey scratch(HKEY_CURRENT_USER, L"UserKey");
  const RegistryPlace place(HKEY_CURRENT_USER, scratch.path() + L"\\Deeper\\Product");
  const std::wstring& path = place.path();
  ASSERT_FALSE(place.Exists());

  RegistryKey key = OpenUserKey(path);
  ASSERT_TRUE(key);
  EXPECT_EQ(key.name(), path);
  EXPECT_TRUE(place.Exists());
  // The settings store writes values and reads them back through it.
  EXPECT_EQ(key.WriteDword(L"T13nCandidatePageSize", 4), ERROR_SUCCESS);
  DWORD value = 0;
  EXPECT_EQ(key.ReadDword(L"T13nCandidatePageSize", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 4u);
}

TEST(ProductRegistryTest, UserProductKeyLiesInTheCurrentUsersHive) {
  const RegistryPlace place(HKEY_CURRENT_USER, kProductKeyPath);
  const bool existed = place.Exists();
  {
    RegistryKey key = OpenUserProductKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key.name(), L"Software\\Tarvel\\Tarvel Hindi Input");
    EXPECT_TRUE(place.Exists());
  }
  if (!existed) {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kProductKeyPath);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarvel");
  }
}

TEST(ProductRegistryTest, MachineKeysAreOpenedNeverCreated) {
  ScratchRegistryKey scratch(HKEY_LOCAL_MACHINE, L"MachineKey", KEY_WOW64_64KEY);
  EXPECT_FALSE(OpenMachineKey(scratch.path(), kMachineKeyReadAccess));
  EXPECT_FALSE(scratch.Exists());
  scratch.SetDword(L"T13nSupportedLanguages", 1);
  RegistryKey key = OpenMachineKey(scratch.path(), kMachineKeyReadAccess);
  ASSERT_TRUE(key);
  DWORD value = 0;
  EXPECT_EQ(key.ReadDword(L"T13nSupportedLanguages", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
}

// The one test that plants values in the product's own machine-wide keys
// (one test case, since ctest runs cases in parallel processes); every other
// test keeps to keys of its own.
TEST(ProductRegistryTest, MachineValuesAreReadWithTheStringRules) {
  const ime_testing::RegistryPlace product(HKEY_LOCAL_MACHINE, kProductKeyPath,
                                           KEY_WOW64_64KEY);
  const ime_testing::RegistryPlace autoupdate(HKEY_LOCAL_MACHINE, kAutoupdateKeyPath,
                                              KEY_WOW64_64KEY);
  const bool product_existed = product.Exists();
  const bool autoupdate_existed = autoupdate.Exists();
  product.Delete(kInstallPathValue);
  product.Delete(kDataPathValue);
  autoupdate.Delete(kInstalledVersionValue);

  EXPECT_EQ(GetInstallDirectory(), L"");
  EXPECT_EQ(GetDataDirectory(), L"");
  EXPECT_EQ(GetInstalledVersion(), L"");
  // Without an install folder the bare name is all there is.
  EXPECT_EQ(GetInstallFilePath(L"Dorimond.exe"), L"Dorimond.exe");
  EXPECT_EQ(GetDataFilePath(), L"Vignels");

  product.SetString(kInstallPathValue, L"C:\\Program Files\\Tarvel\\Kelvane");
  product.SetString(kDataPathValue, L"%ProgramData%\\Kelvane\\", REG_EXPAND_SZ);
  autoupdate.SetString(kInstalledVersionValue, L"1.0.4.2");
  EXPECT_EQ(GetInstallDirectory(), L"C:\\Program Files\\Tarvel\\Kelvane");
  EXPECT_EQ(GetInstallFilePath(L"Dorimond.exe"),
            L"C:\\Program Files\\Tarvel\\Kelvane\\Dorimond.exe");
  // Taken as stored: not expanded, the trailing backslash kept.
  EXPECT_EQ(GetDataDirectory(), L"%ProgramData%\\Kelvane\\");
  EXPECT_EQ(GetDataFilePath(), L"%ProgramData%\\Kelvane\\Vignels");
  EXPECT_EQ(GetInstalledVersion(), L"1.0.4.2");

  RegistryKey read_only = OpenMachineProductKey(true);
  ASSERT_TRUE(read_only);
  EXPECT_EQ(read_only.WriteDword(L"T13nSupportedLanguages", 1), ERROR_ACCESS_DENIED);
  RegistryKey writable = OpenMachineProductKey(false);
  ASSERT_TRUE(writable);
  EXPECT_EQ(writable.WriteDword(L"T13nSupportedLanguages", 1), ERROR_SUCCESS);
  product.Delete(L"T13nSupportedLanguages");

  // Malformed values read as missing ones: a number, a text without its
  // NUL (the unit after it is not one either, or the registry would add
  // it), an odd byte count, an empty text.
  product.SetDword(kInstallPathValue, 1);
  EXPECT_EQ(GetInstallDirectory(), L"");
  EXPECT_EQ(GetInstallFilePath(L"Dorimond.exe"), L"Dorimond.exe");
  product.SetRaw(kDataPathValue, REG_SZ, L"C:\\DX", 4 * sizeof(wchar_t));
  EXPECT_EQ(GetDataDirectory(), L"");
  product.SetRaw(kDataPathValue, REG_SZ, "C\0:\0\0", 5);
  EXPECT_EQ(GetDataDirectory(), L"");
  autoupdate.SetString(kInstalledVersionValue, L"");
  EXPECT_EQ(GetInstalledVersion(), L"");
  autoupdate.SetDword(kInstalledVersionValue, 1);
  EXPECT_EQ(GetInstalledVersion(), L"");

  product.Delete(kInstallPathValue);
  product.Delete(kDataPathValue);
  autoupdate.Delete(kInstalledVersionValue);
  if (!autoupdate_existed) {
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kAutoupdateKeyPath, KEY_WOW64_64KEY, 0);
  }
  if (!product_existed) {
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_WOW64_64KEY, 0);
    // Only when nothing else lies there.
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tarvel", KEY_WOW64_64KEY, 0);
  }
}

}  // namespace
}  // namespace ime_shared
