#include "ime/t13n/installer/language_string.h"

#include "gtest/gtest.h"
#include "ime/t13n/installer/uninstaller_resources.h"

namespace ime_t13n {
namespace {

TEST(LoadLanguageStringTest, StringsNameTheLanguage) {
  EXPECT_EQ(LoadLanguageString(IDS_UNINSTALL_SUCCESS_CAPTION),
            L"Uninstall successful");
  EXPECT_EQ(LoadLanguageString(IDS_UNINSTALL_SUCCESS),
            L"Have successfully uninstalled Tarvel Hindi Input.");
  EXPECT_EQ(LoadLanguageString(IDS_UNINSTALL_SUCCESS_AFTER_RESTART),
            L"Have successfully uninstalled Tarvel Hindi Input.\r\nSome of the "
            L"documents are being used, they will be deleted after restart.");
  EXPECT_EQ(LoadLanguageString(IDS_UNINSTALL_ERROR_CAPTION), L"Error");
  EXPECT_EQ(LoadLanguageString(IDS_UNINSTALL_NEEDS_ADMINISTRATOR),
            L"Uninstalling Tarvel Hindi Input requires administrator "
            L"privileges.");
  EXPECT_EQ(LoadLanguageString(IDS_UNINSTALL_CONFIRM),
            L"Confirm to uninstall Tarvel Hindi Input");
}

TEST(LoadLanguageStringTest, AMissingStringIsEmpty) {
  EXPECT_EQ(LoadLanguageString(999), L"");
  EXPECT_EQ(LoadLanguageString(0), L"");
}

}  // namespace
}  // namespace ime_t13n
