#include "ime/t13n/transliteration/transliterator/native_digits.h"

#include <cstring>

namespace ime_t13n {

namespace {

struct DigitRow {
  const char* language_code;
  const wchar_t* digits;
};

const wchar_t kDevanagari[] = L"\x0966\x0967\x0968\x0969\x096A\x096B\x096C\x096D\x096E\x096F";
const wchar_t kBengali[] = L"\x09E6\x09E7\x09E8\x09E9\x09EA\x09EB\x09EC\x09ED\x09EE\x09EF";
const wchar_t kGurmukhi[] = L"\x0A66\x0A67\x0A68\x0A69\x0A6A\x0A6B\x0A6C\x0A6D\x0A6E\x0A6F";
const wchar_t kGujarati[] = L"\x0AE6\x0AE7\x0AE8\x0AE9\x0AEA\x0AEB\x0AEC\x0AED\x0AEE\x0AEF";
const wchar_t kTamil[] = L"\x0BE6\x0BE7\x0BE8\x0BE9\x0BEA\x0BEB\x0BEC\x0BED\x0BEE\x0BEF";
const wchar_t kTelugu[] = L"\x0C66\x0C67\x0C68\x0C69\x0C6A\x0C6B\x0C6C\x0C6D\x0C6E\x0C6F";
const wchar_t kKannada[] = L"\x0CE6\x0CE7\x0CE8\x0CE9\x0CEA\x0CEB\x0CEC\x0CED\x0CEE\x0CEF";
const wchar_t kMalayalam[] = L"\x0D66\x0D67\x0D68\x0D69\x0D6A\x0D6B\x0D6C\x0D6D\x0D6E\x0D6F";
const wchar_t kArabicIndic[] = L"\x0660\x0661\x0662\x0663\x0664\x0665\x0666\x0667\x0668\x0669";
// Ethiopic has no zero.
const wchar_t kEthiopic[] = L"0\x1369\x136A\x136B\x136C\x136D\x136E\x136F\x1370\x1371";
// The Greek letters that stand for one to nine (six is the digamma); no
// zero.
const wchar_t kGreek[] = L"0\x0391\x0392\x0393\x0394\x0395\x03DD\x0396\x0397\x0398";
const wchar_t kLatin[] = L"0123456789";

const DigitRow kDigitRows[] = {
    {"hi", kDevanagari}, {"mr", kDevanagari},   {"ne", kDevanagari},
    {"sa", kDevanagari}, {"bn", kBengali},      {"pa", kGurmukhi},
    {"gu", kGujarati},   {"ta", kTamil},        {"te", kTelugu},
    {"kn", kKannada},    {"ml", kMalayalam},    {"ar", kArabicIndic},
    {"fa", kArabicIndic}, {"ur", kArabicIndic}, {"am", kEthiopic},
    {"ti", kEthiopic},   {"el", kGreek},
};

}  // namespace

const wchar_t* NativeDigitsForLanguage(const std::string& language_code) {
  for (const DigitRow& row : kDigitRows) {
    if (language_code == row.language_code) return row.digits;
  }
  return kLatin;
}

}  // namespace ime_t13n
