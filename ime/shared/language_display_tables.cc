#include "ime/shared/language_display_tables.h"

namespace ime_shared {

namespace {

const wchar_t* const kNames[LanguageNames::kCount] = {
    L"Hindi",    L"Arabic",   L"Bengali",  L"Farsi",    L"Greek",
    L"Gujarati", L"Kannada",  L"Malayalam", L"Marathi", L"Nepali",
    L"Punjabi",  L"Tamil",    L"Telugu",   L"Urdu",     L"Russian",
    L"Serbian",  L"Sanskrit", L"Amharic",  L"Tigrinya",
};

// Unlisted slots are null: the empty end of a row.
#define HINDI_FONTS                                                   \
  L"Mangal", L"Aparajita", L"RaghuHindi", L"FreeSans", L"Lohit Hindi", \
      L"JanaHindi", L"Arial Unicode MS", L"Chandas", L"Uttara",       \
      L"JanaSanskrit", L"Arial"
#define MARATHI_FONTS                                                 \
  L"Mangal", L"Aparajita", L"RaghuHindi", L"FreeSans", L"Lohit Hindi", \
      L"JanaMarathi", L"Arial Unicode MS", L"Arial"

const wchar_t* const kFonts[LanguageFontLists::kCount]
                           [LanguageFontLists::kSlots] = {
    /* hi */ {HINDI_FONTS},
    /* ar */ {L"Tahoma", L"Arial", L"Times New Roman", L"Andalus",
              L"Arabic Transparent", L"Arabic Typesetting",
              L"Arial Unicode MS", L"Courier New"},
    /* bn */ {L"Vrind", L"RaghuBengali", L"FreeSans", L"Free Serif",
              L"Lohit Bengali", L"Arial Unicode MS", L"Arial"},
    /* fa */ {L"Arial Unicode MS", L"Arial"},
    /* el */ {L"Arial Unicode MS", L"Arial"},
    /* gu */ {L"Shruti", L"RaghuGujarati", L"FreeSans", L"Lohit Gujarati",
              L"Arial Unicode MS", L"Arial"},
    /* kn */ {L"Tunga", L"RaghuKannada", L"JanaKannada", L"Arial Unicode MS",
              L"Arial"},
    /* ml */ {L"Kartika", L"RaghuMalayalam", L"AnjaliOldLipi", L"Rachana",
              L"Meera", L"Free Serif", L"JanaMalayalam", L"Arial Unicode MS",
              L"Arial"},
    /* mr */ {MARATHI_FONTS},
    /* ne */ {MARATHI_FONTS},
    /* pa */ {L"Raavi", L"RaghuPunjabi", L"FreeSans", L"Lohit Punjabi",
              L"Arial Unicode MS", L"Arial"},
    /* ta */ {L"Latha", L"RaghuTamil", L"Free Serif", L"Lohit Tamil",
              L"JanaTamil", L"Arial Unicode MS", L"Arial"},
    /* te */ {L"Gautami", L"RaghuTelugu", L"Arial Unicode MS", L"Arial"},
    /* ur */ {L"Nafees Web Naskh", L"Tahoma", L"Arial", L"Times New Roman",
              L"Andalus", L"Arabic Transparent", L"Arabic Typesetting",
              L"Arial Unicode MS", L"Courier New", L"Arial"},
    /* ru */ {L"AbRomanSerif", L"Arial Unicode MS", L"Arial"},
    /* sr */ {L"AbRomanSerif", L"Arial Unicode MS", L"Arial"},
    /* sa */ {HINDI_FONTS},
    /* am */ {L"Abyssinica SIL", L"Arial Unicode MS", L"Arial"},
    /* ti */ {L"Abyssinica SIL", L"Arial Unicode MS", L"Arial"},
};

#undef HINDI_FONTS
#undef MARATHI_FONTS

}  // namespace

const wchar_t* LanguageNames::At(int index) {
  if (index < 0 || index >= kCount) return L"";
  return kNames[index];
}

const wchar_t* LanguageFontLists::At(int row, int slot) {
  if (row < 0 || row >= kCount || slot < 0 || slot >= kSlots) return L"";
  const wchar_t* face = kFonts[row][slot];
  return face != nullptr ? face : L"";
}

int LanguageFontLists::Count(int row) {
  if (row < 0 || row >= kCount) return 0;
  int count = 0;
  while (count < kSlots && kFonts[row][count] != nullptr) ++count;
  return count;
}

}  // namespace ime_shared
