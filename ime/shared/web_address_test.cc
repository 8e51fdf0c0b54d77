#include "ime/shared/web_address.h"

#include "gtest/gtest.h"

namespace ime_shared {
namespace {

TEST(WebAddressTest, EveryUtf8ByteIsPercentEncoded) {
  EXPECT_EQ(UrlEncodeUtf8(L"a b"), L"%61%20%62");
  EXPECT_EQ(UrlEncodeUtf8(L"abc"), L"%61%62%63");
  EXPECT_EQ(UrlEncodeUtf8(L"\n&=%"), L"%0A%26%3D%25");
  EXPECT_EQ(UrlEncodeUtf8(L"\x0928"), L"%E0%A4%A8");
  // A character beyond the basic plane, as a surrogate pair.
  EXPECT_EQ(UrlEncodeUtf8(L"\xD83D\xDE00"), L"%F0%9F%98%80");
  // An embedded NUL is part of the text.
  EXPECT_EQ(UrlEncodeUtf8(std::wstring(L"a\0b", 3)), L"%61%00%62");
  EXPECT_EQ(UrlEncodeUtf8(L""), L"");
}

TEST(WebAddressTest, AddressesShareOneServer) {
  const std::wstring server = std::wstring(L"http://") + kWebHost;
  EXPECT_EQ(GetHomeUrl(), server);
  EXPECT_EQ(GetHelpUrl(), server + L"/ime/transliteration/help.html");
  EXPECT_EQ(BuildSearchUrl(L"\x0928 a"),
            server + L"/search?ie=UTF-8&source=t13n-ime&q=%E0%A4%A8%20%61");
  EXPECT_EQ(BuildSearchUrl(L""), server + L"/search?ie=UTF-8&source=t13n-ime&q=");
}

}  // namespace
}  // namespace ime_shared
