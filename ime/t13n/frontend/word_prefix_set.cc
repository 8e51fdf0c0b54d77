#include "ime/t13n/frontend/word_prefix_set.h"

namespace ime_t13n {

namespace {

const wchar_t* const kWordPrefixes[] = {
    L"al",  L"el",  L"il",  L"b",   L"be",  L"bi",  L"f",
    L"fa",  L"k",   L"ka",  L"l",   L"le",  L"li",  L"w",
    L"wa",  L"we",  L"wi",  L"s",   L"sa",  L"bel", L"bil",
    L"fal", L"kal", L"lel", L"lil", L"wal", L"wel", L"wil",
};

bool WritesArabicScript(int language) {
  return language == 1 || language == 3 || language == 13;
}

}  // namespace

WordPrefixSet::WordPrefixSet()
    : prefixes_(std::begin(kWordPrefixes), std::end(kWordPrefixes)) {}

bool IsArabicScriptPunctuation(int language, wchar_t c) {
  return MapArabicScriptPunctuation(language, c) != 0;
}

wchar_t MapArabicScriptPunctuation(int language, wchar_t c) {
  if (!WritesArabicScript(language)) return 0;
  switch (c) {
    case L',': return 0x060C;
    case L';': return 0x061B;
    case L'?': return 0x061F;
    default: return 0;
  }
}

}  // namespace ime_t13n
