#include "ime/shared/language_display_tables.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace ime_shared {
namespace {

using Faces = std::vector<std::wstring>;

Faces RowOf(int row) {
  Faces faces;
  for (int slot = 0; slot < LanguageFontLists::kSlots; ++slot) {
    const std::wstring face = LanguageFontLists::At(row, slot);
    if (face.empty()) break;
    faces.push_back(face);
  }
  return faces;
}

TEST(LanguageDisplayTablesTest, NamesFollowTheLanguageCodes) {
  const wchar_t* const expected[] = {
      L"Hindi",   L"Arabic",  L"Bengali",  L"Farsi",   L"Greek",
      L"Gujarati", L"Kannada", L"Malayalam", L"Marathi", L"Nepali",
      L"Punjabi", L"Tamil",   L"Telugu",   L"Urdu",    L"Russian",
      L"Serbian", L"Sanskrit", L"Amharic", L"Tigrinya"};
  ASSERT_EQ(LanguageNames::kCount, 19);
  for (int i = 0; i < LanguageNames::kCount; ++i) {
    EXPECT_STREQ(LanguageNames::At(i), expected[i]) << LanguageCodes::CodeAt(i);
  }
  EXPECT_STREQ(LanguageNames::At(LanguageCodes::IndexOfCode("ur")), L"Urdu");
  EXPECT_STREQ(LanguageNames::At(-1), L"");
  EXPECT_STREQ(LanguageNames::At(19), L"");
}

TEST(LanguageDisplayTablesTest, FontRowsListTheFacesInOrderOfPreference) {
  const Faces hindi = {L"Mangal", L"Aparajita", L"RaghuHindi", L"FreeSans",
                       L"Lohit Hindi", L"JanaHindi", L"Arial Unicode MS",
                       L"Chandas", L"Uttara", L"JanaSanskrit", L"Arial"};
  const Faces marathi = {L"Mangal", L"Aparajita", L"RaghuHindi", L"FreeSans",
                         L"Lohit Hindi", L"JanaMarathi", L"Arial Unicode MS",
                         L"Arial"};
  const Faces unicode = {L"Arial Unicode MS", L"Arial"};
  const Faces expected[] = {
      hindi,
      {L"Tahoma", L"Arial", L"Times New Roman", L"Andalus",
       L"Arabic Transparent", L"Arabic Typesetting", L"Arial Unicode MS",
       L"Courier New"},
      {L"Vrind", L"RaghuBengali", L"FreeSans", L"Free Serif", L"Lohit Bengali",
       L"Arial Unicode MS", L"Arial"},
      unicode,
      unicode,
      {L"Shruti", L"RaghuGujarati", L"FreeSans", L"Lohit Gujarati",
       L"Arial Unicode MS", L"Arial"},
      {L"Tunga", L"RaghuKannada", L"JanaKannada", L"Arial Unicode MS", L"Arial"},
      {L"Kartika", L"RaghuMalayalam", L"AnjaliOldLipi", L"Rachana", L"Meera",
       L"Free Serif", L"JanaMalayalam", L"Arial Unicode MS", L"Arial"},
      marathi,
      marathi,
      {L"Raavi", L"RaghuPunjabi", L"FreeSans", L"Lohit Punjabi",
       L"Arial Unicode MS", L"Arial"},
      {L"Latha", L"RaghuTamil", L"Free Serif", L"Lohit Tamil", L"JanaTamil",
       L"Arial Unicode MS", L"Arial"},
      {L"Gautami", L"RaghuTelugu", L"Arial Unicode MS", L"Arial"},
      {L"Nafees Web Naskh", L"Tahoma", L"Arial", L"Times New Roman", L"Andalus",
       L"Arabic Transparent", L"Arabic Typesetting", L"Arial Unicode MS",
       L"Courier New", L"Arial"},
      {L"AbRomanSerif", L"Arial Unicode MS", L"Arial"},
      {L"AbRomanSerif", L"Arial Unicode MS", L"Arial"},
      hindi,
      {L"Abyssinica SIL", L"Arial Unicode MS", L"Arial"},
      {L"Abyssinica SIL", L"Arial Unicode MS", L"Arial"},
  };
  ASSERT_EQ(LanguageFontLists::kCount, 19);
  for (int row = 0; row < LanguageFontLists::kCount; ++row) {
    EXPECT_EQ(RowOf(row), expected[row]) << LanguageNames::At(row);
    EXPECT_EQ(LanguageFontLists::Count(row),
              static_cast<int>(expected[row].size()));
    // Everything after the first empty slot is empty too.
    for (int slot = LanguageFontLists::Count(row);
         slot < LanguageFontLists::kSlots; ++slot) {
      EXPECT_STREQ(LanguageFontLists::At(row, slot), L"");
    }
  }
  // Nepali repeats Marathi, Sanskrit repeats Hindi.
  EXPECT_EQ(RowOf(9), RowOf(8));
  EXPECT_EQ(RowOf(16), RowOf(0));
}

TEST(LanguageDisplayTablesTest, OutsideTheTableIsEmpty) {
  EXPECT_STREQ(LanguageFontLists::At(-1, 0), L"");
  EXPECT_STREQ(LanguageFontLists::At(19, 0), L"");
  EXPECT_STREQ(LanguageFontLists::At(0, LanguageFontLists::kSlots), L"");
  EXPECT_EQ(LanguageFontLists::Count(19), 0);
}

}  // namespace
}  // namespace ime_shared
