#include "ime/shared/language_identity.h"

#include <cstring>
#include <set>
#include <string>

#include "gtest/gtest.h"
#include "ime/shared/language_codes.h"

namespace ime_shared {
namespace {

// Read by a static initialiser of this file, which may run before the
// identity source's own initialisers: the copies must already be filled.
const GUID g_clsid_seen_at_start_up = InputMethod::kTextServiceClsid;

std::string Bytes(const GUID& guid) {
  return std::string(reinterpret_cast<const char*>(&guid), sizeof(guid));
}

bool IsZero(const GUID& guid) { return Bytes(guid) == std::string(16, '\0'); }

TEST(LanguageIdentityTest, AllRowsAreDistinctVersion3Identities) {
  std::set<std::string> distinct;
  for (int table = 0; table < kLanguageIdentityTableCount; ++table) {
    for (int row = 0; row < kLanguageIdentityRowCount; ++row) {
      const GUID& guid = LanguageIdentity(table, row);
      SCOPED_TRACE(GuidToString(guid));
      EXPECT_EQ(guid.Data3 >> 12, 3) << "table " << table << " row " << row;
      // The variant of RFC 4122: the top bits of the eighth byte are 10.
      EXPECT_EQ(guid.Data4[0] & 0xC0, 0x80) << "table " << table << " row " << row;
      distinct.insert(Bytes(guid));
    }
  }
  EXPECT_EQ(distinct.size(), 133u);
}

TEST(LanguageIdentityTest, GivenHindiRowsAreExact) {
  const int hi = LanguageCodes::IndexOfCode("hi");
  EXPECT_EQ(GuidToString(LanguageIdentity(kDisplayAttributeTable, hi)),
            L"{A28B2E14-BF3B-3907-A74E-5DD7B4BF3484}");
  EXPECT_EQ(GuidToString(LanguageIdentity(kCandidateUIElementTable, hi)),
            L"{6528723D-B088-3C49-A9CE-187A458E0A7A}");
  // In GUID memory layout: Data1 to Data3 little-endian, Data4 as written.
  const unsigned char display_attribute[16] = {
      0x14, 0x2E, 0x8B, 0xA2, 0x3B, 0xBF, 0x07, 0x39,
      0xA7, 0x4E, 0x5D, 0xD7, 0xB4, 0xBF, 0x34, 0x84};
  EXPECT_EQ(std::memcmp(&LanguageIdentity(kDisplayAttributeTable, hi),
                        display_attribute, 16),
            0);
}

TEST(LanguageIdentityTest, LoadTimeCopiesHoldTheBuildLanguagesRows) {
  const int row = LanguageCodes::IndexOf();
  struct Copy {
    const GUID& value;
    int table;
  } copies[] = {
      {InputMethod::kTextServiceClsid, kTextServiceClsidTable},
      {InputMethod::kInputProcessorProfile, kInputProcessorProfileTable},
      {InputMethod::kDisplayAttributeGuid, kDisplayAttributeTable},
      {InputMethod::kCandidateUIElementGuid, kCandidateUIElementTable},
      {InputMethod::kLangBarToggleButtonGuid, kLangBarToggleButtonTable},
      {InputMethod::kLangBarPickerButtonGuid, kLangBarPickerButtonTable},
      {InputMethod::kLangBarMenuButtonGuid, kLangBarMenuButtonTable},
  };
  for (const Copy& copy : copies) {
    EXPECT_EQ(Bytes(copy.value), Bytes(LanguageIdentity(copy.table, row)))
        << "table " << copy.table;
  }
  EXPECT_EQ(GuidToString(InputMethod::kDisplayAttributeGuid),
            L"{A28B2E14-BF3B-3907-A74E-5DD7B4BF3484}");
  EXPECT_EQ(Bytes(g_clsid_seen_at_start_up),
            Bytes(InputMethod::kTextServiceClsid));
  EXPECT_FALSE(IsZero(g_clsid_seen_at_start_up));
}

TEST(LanguageIdentityTest, OutsideTheTablesIsTheZeroGuid) {
  EXPECT_TRUE(IsZero(LanguageIdentity(-1, 0)));
  EXPECT_TRUE(IsZero(LanguageIdentity(kLanguageIdentityTableCount, 0)));
  EXPECT_TRUE(IsZero(LanguageIdentity(0, -1)));
  EXPECT_TRUE(IsZero(LanguageIdentity(0, kLanguageIdentityRowCount)));
  EXPECT_FALSE(IsZero(LanguageIdentity(kLangBarMenuButtonTable, 18)));
}

TEST(LanguageIdentityTest, GuidToStringIsTheBracedUpperCaseForm) {
  const GUID guid = {0x0000ABCD, 0x00EF, 0x0A0B,
                     {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  EXPECT_EQ(GuidToString(guid), L"{0000ABCD-00EF-0A0B-0123-456789ABCDEF}");
  const GUID all_ones = {0xFFFFFFFF, 0xFFFF, 0xFFFF,
                         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
  EXPECT_EQ(GuidToString(all_ones), L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}");
}

}  // namespace
}  // namespace ime_shared
