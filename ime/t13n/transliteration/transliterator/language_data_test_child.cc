// Second process of the language data tests.
//
//   language_data_test_child <language> <folder>
//     Loads the language from the folder and prints "loaded <first key/value
//     line>", or "failed" when the load failed (the error box is counted,
//     not shown).
#include <cstdio>
#include <string>

#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"

namespace {

class CountingErrorBox : public ime_t13n::ErrorBoxInterface {
 public:
  int Show(HWND, const std::wstring&, const std::wstring&, UINT) override {
    ++shown;
    return IDOK;
  }
  int shown = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  CountingErrorBox box;
  ime_t13n::LanguageData data(&box);
  if (!data.LoadFromMap(argv[1], argv[2])) {
    std::printf("failed %d\n", box.shown);
    return 0;
  }
  const auto& lines = data.key_value_lines();
  std::printf("loaded %s\n", lines.empty() ? "" : lines[0].c_str());
  return 0;
}
