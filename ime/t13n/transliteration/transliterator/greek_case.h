// Upper-casing of Greek text for the candidates of a word typed in capitals:
// the simple upper-case mapping of the Greek and Coptic block (U+0300 to
// U+03FF) without the symbol variants (final sigma, the curled beta, theta,
// phi, pi, kappa and rho, lunate epsilon, yot, ypogegrammeni and dei).
// Every other unit stays as it is.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_GREEK_CASE_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_GREEK_CASE_H_

#include <string>

namespace ime_t13n {

// The upper-case form of |unit|; |unit| itself when it has none here.
wchar_t GreekUpperCaseUnit(wchar_t unit);

// Upper-cases every unit of |text| in place.
void GreekUpperCase(std::wstring* text);
// Upper-cases the first unit of |text| in place.
void GreekUpperCaseFirst(std::wstring* text);

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_GREEK_CASE_H_
