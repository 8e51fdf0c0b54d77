#include "ime/shared/base/registry_key.h"

#include <string>

#include "gtest/gtest.h"
#include "ime/shared/testing/scratch_registry_key.h"

namespace ime_shared {
namespace base {
namespace {

using ime_testing::ScratchRegistryKey;

class RegistryKeyTest : public ::testing::Test {
 protected:
  RegistryKeyTest() : scratch_(HKEY_CURRENT_USER, L"RegistryKey") {}

  RegistryKey OpenScratch() {
    return RegistryKey::Open(HKEY_CURRENT_USER, scratch_.path(), KEY_READ);
  }

  // What ReadString answers for |name|; |text| gets the text on success.
  LONG Read(const wchar_t* name, std::wstring* text) {
    RegistryKey key = OpenScratch();
    EXPECT_TRUE(key);
    return key.ReadString(name, text);
  }

  ScratchRegistryKey scratch_;
};

TEST_F(RegistryKeyTest, OpenNeverCreatesAndCreateDoes) {
  LONG error = ERROR_SUCCESS;
  RegistryKey missing =
      RegistryKey::Open(HKEY_CURRENT_USER, scratch_.path(), KEY_READ, &error);
  EXPECT_FALSE(missing);
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(scratch_.Exists());

  RegistryKey created = RegistryKey::Create(
      HKEY_CURRENT_USER, scratch_.path() + L"\\Child", KEY_READ | KEY_SET_VALUE);
  ASSERT_TRUE(created);
  EXPECT_EQ(created.name(), scratch_.path() + L"\\Child");
  EXPECT_TRUE(scratch_.Exists());

  // Moving hands the handle over; Close empties the holder.
  RegistryKey moved = std::move(created);
  EXPECT_FALSE(created);
  EXPECT_TRUE(created.name().empty());
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved.WriteDword(L"v", 5), ERROR_SUCCESS);
  moved.Close();
  EXPECT_FALSE(moved);
  EXPECT_TRUE(moved.name().empty());
  EXPECT_EQ(moved.WriteDword(L"v", 6), ERROR_INVALID_HANDLE);
  std::wstring text = L"unchanged";
  EXPECT_EQ(moved.ReadString(L"v", &text), ERROR_INVALID_HANDLE);
  EXPECT_EQ(text, L"unchanged");
}

TEST_F(RegistryKeyTest, StringsAreReadUpToTheirFirstNul) {
  scratch_.SetString(L"plain", L"C:\\Program Files\\Kelvane");
  scratch_.SetString(L"empty", L"");
  const wchar_t inner_nul[] = L"ab\0cd";  // six units with the final NUL
  scratch_.SetRaw(L"inner", REG_SZ, inner_nul, sizeof(inner_nul));
  scratch_.SetRaw(L"nothing", REG_SZ, nullptr, 0);

  std::wstring text;
  EXPECT_EQ(Read(L"plain", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"C:\\Program Files\\Kelvane");
  text = L"x";
  EXPECT_EQ(Read(L"empty", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"");
  EXPECT_EQ(Read(L"inner", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"ab");
  text = L"x";
  EXPECT_EQ(Read(L"nothing", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"");
}

TEST_F(RegistryKeyTest, ExpandableStringsAreTakenLiterally) {
  scratch_.SetString(L"data", L"%ProgramFiles%\\Data\\", REG_EXPAND_SZ);
  std::wstring text;
  EXPECT_EQ(Read(L"data", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"%ProgramFiles%\\Data\\");
}

TEST_F(RegistryKeyTest, MalformedOrForeignValuesAreInvalidData) {
  // RegSetValueExW adds a forgotten NUL when the unit after the data is
  // one, so the unit after "abc" must not be.
  const wchar_t no_nul[] = L"abcX";
  scratch_.SetRaw(L"no_nul", REG_SZ, no_nul, 3 * sizeof(wchar_t));
  const char odd[] = {'a', 0, 'b', 0, 0};
  scratch_.SetRaw(L"odd", REG_SZ, odd, sizeof(odd));
  const char one_byte[] = {0};
  scratch_.SetRaw(L"one_byte", REG_SZ, one_byte, 1);
  scratch_.SetDword(L"dword", 7);
  const wchar_t multi[] = L"a\0b\0";
  scratch_.SetRaw(L"multi", REG_MULTI_SZ, multi, sizeof(multi));
  scratch_.SetRaw(L"binary", REG_BINARY, L"ok", 6);

  for (const wchar_t* name :
       {L"no_nul", L"odd", L"one_byte", L"dword", L"multi", L"binary"}) {
    std::wstring text = L"unchanged";
    EXPECT_EQ(Read(name, &text), ERROR_INVALID_DATA) << name;
    EXPECT_EQ(text, L"unchanged") << name;
  }
  std::wstring text = L"unchanged";
  EXPECT_EQ(Read(L"missing", &text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(text, L"unchanged");
}

TEST_F(RegistryKeyTest, DwordsMustBeFourBytesOfTypeDword) {
  scratch_.SetDword(L"good", 0xFFFFFFFF);
  scratch_.SetString(L"text", L"5");
  const ULONGLONG wide_value = 5;
  scratch_.SetRaw(L"qword", REG_QWORD, &wide_value, sizeof(wide_value));
  const WORD short_value = 5;
  scratch_.SetRaw(L"short", REG_DWORD, &short_value, sizeof(short_value));
  const DWORD binary = 5;
  scratch_.SetRaw(L"binary", REG_BINARY, &binary, sizeof(binary));

  RegistryKey key = OpenScratch();
  ASSERT_TRUE(key);
  DWORD value = 0;
  EXPECT_EQ(key.ReadDword(L"good", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 0xFFFFFFFFu);
  for (const wchar_t* name : {L"text", L"qword", L"short", L"binary"}) {
    value = 42;
    EXPECT_EQ(key.ReadDword(name, &value), ERROR_INVALID_DATA) << name;
    EXPECT_EQ(value, 42u) << name;
  }
  EXPECT_EQ(key.ReadDword(L"missing", &value), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKeyTest, WritesCarryTheTerminatingNul) {
  RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, scratch_.path(),
                                        KEY_READ | KEY_SET_VALUE);
  ASSERT_TRUE(key);
  EXPECT_EQ(key.WriteString(L"name", L"Mangal"), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteString(L"empty", L""), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteDword(L"number", 65), ERROR_SUCCESS);
  EXPECT_EQ(key.Flush(), ERROR_SUCCESS);

  DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(scratch_.Query(L"name", &type, &bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, std::string("M\0a\0n\0g\0a\0l\0\0\0", 14));
  ASSERT_TRUE(scratch_.Query(L"empty", &type, &bytes));
  EXPECT_EQ(bytes, std::string("\0\0", 2));
  EXPECT_EQ(scratch_.GetDword(L"number"), 65u);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
