#include "ime/shared/web_address.h"

#include "ime/shared/string_utils.h"

namespace ime_shared {

namespace {

std::wstring ServerAddress() { return std::wstring(L"http://") + kWebHost; }

}  // namespace

std::wstring UrlEncodeUtf8(const std::wstring& text) {
  static const wchar_t kHexDigits[] = L"0123456789ABCDEF";
  const std::string utf8 = WideToUtf8(text);
  std::wstring encoded;
  encoded.reserve(utf8.size() * 3);
  for (unsigned char byte : utf8) {
    encoded += L'%';
    encoded += kHexDigits[byte >> 4];
    encoded += kHexDigits[byte & 0x0F];
  }
  return encoded;
}

std::wstring BuildSearchUrl(const std::wstring& query) {
  return ServerAddress() + L"/search?ie=UTF-8&source=t13n-ime&q=" +
         UrlEncodeUtf8(query);
}

std::wstring GetHomeUrl() { return ServerAddress(); }

std::wstring GetHelpUrl() {
  return ServerAddress() + L"/ime/transliteration/help.html";
}

}  // namespace ime_shared
