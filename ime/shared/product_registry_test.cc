#include "ime/shared/product_registry.h"

#include <string>

#include "gtest/gtest.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/testing/scratch_registry_key.h"

namespace ime_shared {
namespace {

using ime_testing::DeleteValue;
using ime_testing::KeyExists;
using ime_testing::ScratchRegistryKey;
using ime_testing::SetDwordValue;
using ime_testing::SetRawValue;
using ime_testing::SetStringValue;

TEST(ProductRegistryTest, UserKeyIsCreatedWhenMissing) {
  ScratchRegistryKey scratch(HKEY_CURRENT_USER, L"UserKey");
  const std::wstring path = scratch.path() + L"\\Deeper\\Product";
  ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, path));

  RegistryKey key = OpenUserKey(path);
  ASSERT_TRUE(key);
  EXPECT_EQ(key.name(), path);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path));
  // The settings store writes values and reads them back through it.
  EXPECT_EQ(key.WriteDword(L"T13nCandidatePageSize", 4), ERROR_SUCCESS);
  DWORD value = 0;
  EXPECT_EQ(key.ReadDword(L"T13nCandidatePageSize", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 4u);
}

TEST(ProductRegistryTest, UserProductKeyLiesInTheCurrentUsersHive) {
  const bool existed = KeyExists(HKEY_CURRENT_USER, kProductKeyPath);
  {
    RegistryKey key = OpenUserProductKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key.name(), L"Software\\Tarvel\\Tarvel Hindi Input");
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kProductKeyPath));
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
class MachineProductValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    product_existed_ = KeyExists(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_WOW64_64KEY);
    autoupdate_existed_ =
        KeyExists(HKEY_LOCAL_MACHINE, kAutoupdateKeyPath, KEY_WOW64_64KEY);
    RemoveValues();
  }

  void TearDown() override {
    RemoveValues();
    if (!autoupdate_existed_) DeleteKey(kAutoupdateKeyPath);
    if (!product_existed_) {
      DeleteKey(kProductKeyPath);
      DeleteKey(L"Software\\Tarvel");  // only when nothing else lies there
    }
  }

  static void RemoveValues() {
    DeleteValue(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_WOW64_64KEY, kInstallPathValue);
    DeleteValue(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_WOW64_64KEY, kDataPathValue);
    DeleteValue(HKEY_LOCAL_MACHINE, kAutoupdateKeyPath, KEY_WOW64_64KEY,
                kInstalledVersionValue);
  }

  static void DeleteKey(const wchar_t* path) {
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY, 0);
  }

  static void SetProductString(const wchar_t* name, const std::wstring& text,
                               DWORD type = REG_SZ) {
    ASSERT_EQ(SetStringValue(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_WOW64_64KEY,
                             name, text, type),
              ERROR_SUCCESS);
  }

  static void SetVersion(const std::wstring& text) {
    ASSERT_EQ(SetStringValue(HKEY_LOCAL_MACHINE, kAutoupdateKeyPath,
                             KEY_WOW64_64KEY, kInstalledVersionValue, text),
              ERROR_SUCCESS);
  }

  bool product_existed_ = false;
  bool autoupdate_existed_ = false;
};

TEST_F(MachineProductValuesTest, ValuesAreReadWithTheStringRules) {
  EXPECT_EQ(GetInstallDirectory(), L"");
  EXPECT_EQ(GetDataDirectory(), L"");
  EXPECT_EQ(GetInstalledVersion(), L"");
  // Without an install folder the bare name is all there is.
  EXPECT_EQ(GetInstallFilePath(L"Dorimond.exe"), L"Dorimond.exe");
  EXPECT_EQ(GetDataFilePath(), L"Vignels");

  SetProductString(kInstallPathValue, L"C:\\Program Files\\Tarvel\\Kelvane");
  SetProductString(kDataPathValue, L"%ProgramData%\\Kelvane\\", REG_EXPAND_SZ);
  SetVersion(L"1.0.4.2");
  EXPECT_EQ(GetInstallDirectory(), L"C:\\Program Files\\Tarvel\\Kelvane");
  EXPECT_EQ(GetInstallFilePath(L"Dorimond.exe"),
            L"C:\\Program Files\\Tarvel\\Kelvane\\Dorimond.exe");
  EXPECT_EQ(GetInstallFilePath(L"Schemes"),
            L"C:\\Program Files\\Tarvel\\Kelvane\\Schemes");
  // Taken as stored: not expanded, the trailing backslash kept.
  EXPECT_EQ(GetDataDirectory(), L"%ProgramData%\\Kelvane\\");
  EXPECT_EQ(GetDataFilePath(), L"%ProgramData%\\Kelvane\\Vignels");
  EXPECT_EQ(GetInstalledVersion(), L"1.0.4.2");

  // The keys open for reading, and for writing when asked.
  RegistryKey read_only = OpenMachineProductKey(true);
  ASSERT_TRUE(read_only);
  EXPECT_EQ(read_only.WriteDword(L"T13nSupportedLanguages", 1), ERROR_ACCESS_DENIED);
  RegistryKey writable = OpenMachineProductKey(false);
  ASSERT_TRUE(writable);
  EXPECT_EQ(writable.WriteDword(L"T13nSupportedLanguages", 1), ERROR_SUCCESS);
  ::RegDeleteValueW(writable.Get(), L"T13nSupportedLanguages");

  // Malformed values read as missing ones.
  const DWORD number = 1;
  ASSERT_EQ(SetDwordValue(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_WOW64_64KEY,
                          kInstallPathValue, number),
            ERROR_SUCCESS);
  EXPECT_EQ(GetInstallDirectory(), L"");
  EXPECT_EQ(GetInstallFilePath(L"Dorimond.exe"), L"Dorimond.exe");

  // "C:\D" without its NUL (the unit after it is not a NUL either, or the
  // registry would add it).
  const wchar_t unterminated[] = L"C:\\DX";
  ASSERT_EQ(SetRawValue(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_WOW64_64KEY,
                        kDataPathValue, REG_SZ, unterminated, 4 * sizeof(wchar_t)),
            ERROR_SUCCESS);
  EXPECT_EQ(GetDataDirectory(), L"");
  const char odd[] = {'C', 0, ':', 0, 0};
  ASSERT_EQ(SetRawValue(HKEY_LOCAL_MACHINE, kProductKeyPath, KEY_WOW64_64KEY,
                        kDataPathValue, REG_SZ, odd, sizeof(odd)),
            ERROR_SUCCESS);
  EXPECT_EQ(GetDataDirectory(), L"");

  SetVersion(L"");
  EXPECT_EQ(GetInstalledVersion(), L"");
  ASSERT_EQ(SetDwordValue(HKEY_LOCAL_MACHINE, kAutoupdateKeyPath, KEY_WOW64_64KEY,
                          kInstalledVersionValue, 1),
            ERROR_SUCCESS);
  EXPECT_EQ(GetInstalledVersion(), L"");
}

}  // namespace
}  // namespace ime_shared
