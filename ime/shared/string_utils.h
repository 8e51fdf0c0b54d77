// Free functions over wide (UTF-16) and narrow (bytes, UTF-8) strings. None
// keeps state and none fails loudly: bad input gives an empty or unchanged
// result.
#ifndef IME_SHARED_STRING_UTILS_H_
#define IME_SHARED_STRING_UTILS_H_

#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

namespace ime_shared {

// Trimming. |set| is a NUL-terminated list of the characters to remove.
// Each returns the number of characters removed.
size_t StripTrailingChars(std::wstring* str, const wchar_t* set);
size_t StripLeadingSpace(std::string* str, const char* set);
size_t StripTrailingSpace(std::string* str, const char* set);
// Removes leading and trailing " \t\f\n\r\v".
void TrimWhitespace(std::wstring* str);
// The index of the last character not in " \t\f\n\r\v"; -1 when none.
int FindLastNonWhitespace(const std::wstring& str);

// Splitting; the pieces are appended to |out| in order.
// At any character of |delimiters|; never yields empty pieces.
void SplitString(const std::wstring& text, const wchar_t* delimiters,
                 std::vector<std::wstring>* out);
// At spaces and tabs; never yields empty pieces.
void SplitStringUsing(const std::string& text, std::vector<std::string>* out);
// At every colon, keeping empty pieces: n colons give n + 1 pieces.
void SplitOnColon(const std::wstring& text, std::vector<std::wstring>* out);
// Clears |out|, then splits at every whole |separator|, keeping empty
// pieces except after a separator that ends the text. An empty text gives
// nothing; an empty separator gives the text as one piece.
void SplitStringOnSeparator(const std::wstring& text,
                            const std::wstring& separator,
                            std::vector<std::wstring>* out);

// Appends |text| to |out| with every occurrence of |from| replaced by |to|,
// left to right, without overlaps. An empty |from| copies the text.
void StringReplaceAll(const std::wstring& text, const std::wstring& from,
                      const std::wstring& to, std::wstring* out);
std::wstring ReplaceAllCopy(const std::wstring& text, const std::wstring& from,
                            const std::wstring& to);

// Maps A-Z to a-z in place; every other unit stays as it is.
void LowerCaseWord(std::wstring* word);

// The case pattern of the ASCII letters of a word; other characters are
// ignored.
enum LetterCase {
  kAllLower = 0,
  kAllUpper = 1,
  kCapitalized = 2,
  kMixedCase = 3,
  kNoLetters = 4,
};
LetterCase ClassifyLetterCase(const wchar_t* word);

// Writes |value| in decimal and a NUL into |buffer| (at least 11 bytes);
// returns a pointer to the NUL.
char* FastUInt32ToBuffer(uint32_t value, char* buffer);
std::wstring SimpleItoa(int32_t value);

// UTF-8 <-> UTF-16 over the whole length, embedded NULs included. Invalid
// input or an empty string gives an empty result.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// The longest result the printf-style functions produce, in UTF-16 units;
// a longer one appends nothing.
constexpr int kMaxFormattedUnits = 64 * 1024;

// printf-style formatting with the runtime's wide conventions (%s takes a
// wide string). A result longer than kMaxFormattedUnits gives nothing.
std::wstring StringPrintf(const wchar_t* format, ...);
void StringAppendV(std::wstring* str, const wchar_t* format, va_list args);

// The string-table entry |id| of the module holding this code; empty when
// there is none.
std::wstring LoadResourceString(UINT id);
// The same from the string table of |module|.
std::wstring LoadResourceString(HINSTANCE module, UINT id);

}  // namespace ime_shared

#endif  // IME_SHARED_STRING_UTILS_H_
