// Helpers of the scheme tests: a temporary folder and scheme files written in
// a chosen encoding.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_TEST_FILES_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_TEST_FILES_H_

#include <string>

#include "ime/shared/string_utils.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_t13n {
namespace scheme_test {

// A new empty folder under the temporary folder, removed with its contents
// when the object goes.
class TempFolder {
 public:
  // The folder, without a trailing backslash.
  std::wstring path() const {
    return dir_.path().substr(0, dir_.path().size() - 1);
  }
  std::wstring File(const std::wstring& name) const {
    return dir_.path() + name;
  }

 private:
  ime_testing::TempDir dir_;
};

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  return ime_testing::WriteFileBytes(path, bytes);
}

inline std::string Utf8(const std::wstring& text, bool bom = false) {
  return (bom ? std::string("\xEF\xBB\xBF") : std::string()) +
         ime_shared::WideToUtf8(text);
}

inline std::string Utf16Le(const std::wstring& text, bool bom = false) {
  std::string bytes = bom ? std::string("\xFF\xFE") : std::string();
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
  }
  return bytes;
}

}  // namespace scheme_test
}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_TEST_FILES_H_
