// Second process of the language data tests.
//
//   language_data_test_child <language> <folder>
//     Loads the language from the folder and prints "loaded <first key/value
//     line>", or "failed" when the load failed (the error box is counted,
//     not shown).
#include <cstdio>
#include <string>

#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  ime_t13n::testing_helpers::RecordingErrorBox box;
  ime_t13n::LanguageData data(&box);
  if (!data.LoadFromMap(argv[1], argv[2])) {
    std::printf("failed %d\n", box.shown);
    return 0;
  }
  const auto& lines = data.key_value_lines();
  std::printf("loaded %s\n", lines.empty() ? "" : lines[0].c_str());
  return 0;
}
