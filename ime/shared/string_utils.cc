#include "ime/shared/string_utils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

// The image base of the module this code is linked into: string resources
// come from that module, whether it is the input method or a program.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace ime_shared {

namespace {

const wchar_t kWhitespace[] = L" \t\f\n\r\v";

bool InSet(wchar_t c, const wchar_t* set) {
  return c != 0 && std::wcschr(set, c) != nullptr;
}

bool InSet(char c, const char* set) {
  return c != 0 && std::strchr(set, c) != nullptr;
}

template <typename Char>
std::vector<std::basic_string<Char>>* SplitOnSet(
    const std::basic_string<Char>& text, const Char* set,
    std::vector<std::basic_string<Char>>* out) {
  size_t pos = 0;
  const size_t n = text.size();
  while (true) {
    while (pos < n && InSet(text[pos], set)) ++pos;
    if (pos >= n) break;
    size_t end = pos;
    while (end < n && !InSet(text[end], set)) ++end;
    out->push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return out;
}

}  // namespace

size_t StripTrailingChars(std::wstring* str, const wchar_t* set) {
  size_t end = str->size();
  while (end > 0 && InSet((*str)[end - 1], set)) --end;
  const size_t removed = str->size() - end;
  str->resize(end);
  return removed;
}

size_t StripLeadingSpace(std::string* str, const char* set) {
  size_t begin = 0;
  while (begin < str->size() && InSet((*str)[begin], set)) ++begin;
  str->erase(0, begin);
  return begin;
}

size_t StripTrailingSpace(std::string* str, const char* set) {
  size_t end = str->size();
  while (end > 0 && InSet((*str)[end - 1], set)) --end;
  const size_t removed = str->size() - end;
  str->resize(end);
  return removed;
}

void TrimWhitespace(std::wstring* str) {
  StripTrailingChars(str, kWhitespace);
  size_t begin = 0;
  while (begin < str->size() && InSet((*str)[begin], kWhitespace)) ++begin;
  str->erase(0, begin);
}

int FindLastNonWhitespace(const std::wstring& str) {
  for (size_t i = str.size(); i > 0; --i) {
    if (!InSet(str[i - 1], kWhitespace)) return static_cast<int>(i - 1);
  }
  return -1;
}

void SplitString(const std::wstring& text, const wchar_t* delimiters,
                 std::vector<std::wstring>* out) {
  SplitOnSet(text, delimiters, out);
}

void SplitStringUsing(const std::string& text, std::vector<std::string>* out) {
  SplitOnSet(text, " \t", out);
}

void SplitOnColon(const std::wstring& text, std::vector<std::wstring>* out) {
  size_t begin = 0;
  while (true) {
    const size_t colon = text.find(L':', begin);
    if (colon == std::wstring::npos) {
      out->push_back(text.substr(begin));
      return;
    }
    out->push_back(text.substr(begin, colon - begin));
    begin = colon + 1;
  }
}

void SplitStringOnSeparator(const std::wstring& text,
                            const std::wstring& separator,
                            std::vector<std::wstring>* out) {
  out->clear();
  if (separator.empty()) {
    if (!text.empty()) out->push_back(text);
    return;
  }
  size_t a = 0;
  size_t n;
  while ((n = text.find(separator, a)) != std::wstring::npos) {
    out->push_back(text.substr(a, n - a));
    a = n + separator.size();
  }
  if (a < text.size()) out->push_back(text.substr(a));
}

void StringReplaceAll(const std::wstring& text, const std::wstring& from,
                      const std::wstring& to, std::wstring* out) {
  if (from.empty()) {
    out->append(text);
    return;
  }
  size_t a = 0;
  size_t b;
  while ((b = text.find(from, a)) != std::wstring::npos) {
    out->append(text, a, b - a);
    out->append(to);
    a = b + from.size();
  }
  out->append(text, a, std::wstring::npos);
}

std::wstring ReplaceAllCopy(const std::wstring& text, const std::wstring& from,
                            const std::wstring& to) {
  std::wstring out;
  StringReplaceAll(text, from, to, &out);
  return out;
}

void LowerCaseWord(std::wstring* word) {
  for (wchar_t& c : *word) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
}

LetterCase ClassifyLetterCase(const wchar_t* word) {
  enum { kNone, kLower, kUpper };
  auto case_of = [](wchar_t c) {
    if (c >= L'a' && c <= L'z') return kLower;
    if (c >= L'A' && c <= L'Z') return kUpper;
    return kNone;
  };
  int first = kNone;
  int second = kNone;
  for (const wchar_t* p = word; p != nullptr && *p != 0; ++p) {
    const int c = case_of(*p);
    if (c == kNone) continue;
    if (first == kNone) {
      first = c;
    } else if (second == kNone) {
      second = c;
      if (first == kLower && second == kUpper) return kMixedCase;
    } else if (c != second) {
      return kMixedCase;
    }
  }
  if (first == kNone) return kNoLetters;
  if (first == kLower) return kAllLower;
  if (second == kLower) return kCapitalized;
  return kAllUpper;
}

char* FastUInt32ToBuffer(uint32_t value, char* buffer) {
  static const char kTwoDigits[201] =
      "00010203040506070809101112131415161718192021222324"
      "25262728293031323334353637383940414243444546474849"
      "50515253545556575859606162636465666768697071727374"
      "75767778798081828384858687888990919293949596979899";
  char digits[10];
  int n = 0;
  while (value >= 100) {
    const char* pair = kTwoDigits + 2 * (value % 100);
    value /= 100;
    digits[n++] = pair[1];
    digits[n++] = pair[0];
  }
  if (value >= 10) {
    const char* pair = kTwoDigits + 2 * value;
    digits[n++] = pair[1];
    digits[n++] = pair[0];
  } else {
    digits[n++] = static_cast<char>('0' + value);
  }
  char* out = buffer;
  while (n > 0) *out++ = digits[--n];
  *out = 0;
  return out;
}

std::wstring SimpleItoa(int32_t value) {
  char buffer[12];
  char* p = buffer;
  uint32_t magnitude = static_cast<uint32_t>(value);
  if (value < 0) {
    *p++ = '-';
    magnitude = 0u - magnitude;  // well defined for the smallest value too
  }
  const char* end = FastUInt32ToBuffer(magnitude, p);
  return std::wstring(static_cast<const char*>(buffer), end);
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty() || text.size() > INT32_MAX) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int needed =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::wstring out(needed, L'\0');
  if (::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, &out[0],
                            needed) != needed) {
    return std::wstring();
  }
  return out;
}

std::string WideToUtf8(const std::wstring& text) {
  if (text.empty() || text.size() > INT32_MAX) return std::string();
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length,
                                           nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string out(needed, '\0');
  if (::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &out[0], needed,
                            nullptr, nullptr) != needed) {
    return std::string();
  }
  return out;
}

std::wstring StringPrintf(const wchar_t* format, ...) {
  std::wstring result;
  va_list args;
  va_start(args, format);
  StringAppendV(&result, format, args);
  va_end(args);
  return result;
}

void StringAppendV(std::wstring* str, const wchar_t* format, va_list args) {
  // The counted printf of the runtime returns a negative value when the
  // buffer is too small (or the needed length, depending on the runtime);
  // either way a result that does not fit means another try, up to a
  // result of kMaxFormattedUnits. A format that never fits (a conversion
  // the runtime refuses answers -1 at any size) must not grow the buffer
  // without bound inside the host: past the limit nothing is appended.
  const int kStackSize = 512;
  wchar_t stack_buffer[kStackSize];
  va_list copy;
  va_copy(copy, args);
  int result = _vsnwprintf(stack_buffer, kStackSize, format, copy);
  va_end(copy);
  if (result >= 0 && result < kStackSize) {
    str->append(stack_buffer, result);
    return;
  }
  int size = kStackSize;
  while (true) {
    if (result < 0) {
      if (size >= kMaxFormattedUnits + 1) return;
      size = std::min(size * 2, kMaxFormattedUnits + 1);
    } else {
      if (result > kMaxFormattedUnits) return;
      size = result + 1;
    }
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[size]);
    if (buffer == nullptr) return;
    va_copy(copy, args);
    result = _vsnwprintf(buffer.get(), size, format, copy);
    va_end(copy);
    if (result >= 0 && result < size) {
      str->append(buffer.get(), result);
      return;
    }
  }
}

std::wstring LoadResourceString(HINSTANCE module, UINT id) {
  const wchar_t* text = nullptr;
  // A length of 0 asks for a read-only pointer into the resource itself.
  const int length =
      ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::wstring();
  return std::wstring(text, length);
}

std::wstring LoadResourceString(UINT id) {
  return LoadResourceString(reinterpret_cast<HINSTANCE>(&__ImageBase), id);
}

}  // namespace ime_shared
