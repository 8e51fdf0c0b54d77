// Addresses of the pages the input method opens in the user's browser: the
// web search for a word, the home page and the help page, all on the maker's
// web server.
#ifndef IME_SHARED_WEB_ADDRESS_H_
#define IME_SHARED_WEB_ADDRESS_H_

#include <string>

namespace ime_shared {

// The one place that names the web server.
constexpr wchar_t kWebHost[] = L"www.tarvel.com";

// Every byte of the UTF-8 form of |text| as "%" and two upper-case
// hexadecimal digits; letters, digits and punctuation included ("abc" gives
// "%61%62%63"). An empty text, or one that does not convert, gives "".
std::wstring UrlEncodeUtf8(const std::wstring& text);

// The web search for |query|:
// http://<host>/search?ie=UTF-8&source=t13n-ime&q=<UrlEncodeUtf8(query)>
std::wstring BuildSearchUrl(const std::wstring& query);

// The home page: http://<host>, no path.
std::wstring GetHomeUrl();

// The help page: http://<host>/ime/transliteration/help.html
std::wstring GetHelpUrl();

}  // namespace ime_shared

#endif  // IME_SHARED_WEB_ADDRESS_H_
