// Times the loading of a language data file of realistic size and the build
// of its transliteration model, and prints the process's private memory
// before and after.
//
//   language_data_benchmark [segment entries] [dictionary words]
//
// The file is generated with the data-file writer into a temporary folder
// and removed at the end.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/shared/testing/measurement.h"
#include "ime/shared/testing/temp_dir.h"

namespace {

using ime_t13n::LanguageDataContents;

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// Devanagari consonants U+0915..U+0939, vowels U+0905..U+0914, matras
// U+093E..U+094C, the virama U+094D.
class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  int Uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
  }
  float Probability() {
    return std::uniform_real_distribution<float>(0.001f, 1.0f)(random_);
  }
  std::wstring English(int length) {
    static const char kLetters[] = "abcdeghijklmnoprstuvwy";
    std::wstring text;
    for (int i = 0; i < length; ++i) {
      text.push_back(kLetters[Uniform(0, sizeof(kLetters) - 2)]);
    }
    return text;
  }
  std::wstring Native(int length) {
    std::wstring text;
    for (int i = 0; i < length; ++i) {
      if (i % 2 == 0) {
        text.push_back(static_cast<wchar_t>(Uniform(0x0915, 0x0939)));
      } else {
        text.push_back(static_cast<wchar_t>(Uniform(0x093E, 0x094D)));
      }
    }
    return text;
  }

 private:
  std::mt19937 random_;
};

std::string LanguageMessage() {
  ime_t13n::Language language;
  language.set_language_id(1);
  language.set_language_name("hi");
  language.set_virama(ime_shared::WideToUtf8(L"\x094D"));
  language.set_indic_char_bytes(3);
  language.set_vowel_matra_difference(56);
  const char* kSpellings = "kgcjtdnpbmyrlvsh";
  for (wchar_t c = 0x0905; c <= 0x094D; ++c) {
    auto* record = language.add_character();
    record->set_ch(ime_shared::WideToUtf8(std::wstring(1, c)));
    int character_class = ime_t13n::Language::MATRA;
    if (c <= 0x0914) character_class = ime_t13n::Language::VOWEL;
    else if (c <= 0x0939) character_class = ime_t13n::Language::CONSONANT;
    else if (c == 0x094D) character_class = ime_t13n::Language::SPECIAL;
    record->set_characterclass(character_class);
    record->set_utf8_value(c);
    record->set_description("letter");
    record->set_itrans_value("x");
    std::string spelling(1, kSpellings[c % 16]);
    record->set_simplified_itrans_values(spelling + ", " + spelling + "h:" +
                                         spelling + spelling);
    if (character_class == ime_t13n::Language::VOWEL) {
      record->set_matra_value(
          ime_shared::WideToUtf8(std::wstring(1, c + 0x38)));
    }
  }
  return language.SerializeAsString();
}

LanguageDataContents Contents(int segment_entries, int dictionary_words) {
  Generator generate(20240611);
  LanguageDataContents contents;
  // The dictionary holds each word once.
  std::set<std::wstring> seen;
  while (static_cast<int>(contents.dictionary_words.size()) < dictionary_words) {
    std::wstring word = generate.Native(generate.Uniform(3, 10));
    if (!seen.insert(word).second) continue;
    contents.dictionary_words.emplace_back(std::move(word),
                                           generate.Uniform(1, 100000));
  }
  contents.language_message = LanguageMessage();
  for (int i = 0; i < 10000; ++i) {
    contents.rules.push_back({i % 4,
                              i % 4 == 3 ? std::wstring(L"bme").substr(i % 3, 1)
                                         : generate.Native(1),
                              generate.Native(generate.Uniform(1, 2)),
                              generate.Uniform(0, 5000)});
  }
  for (int i = 0; i < 25000; ++i) {
    LanguageDataContents::Lookup lookup;
    lookup.english = generate.English(generate.Uniform(3, 10));
    for (int k = generate.Uniform(1, 3); k > 0; --k) {
      lookup.natives.emplace_back(generate.Native(generate.Uniform(3, 8)),
                                  generate.Probability());
    }
    (i % 5 == 0 ? contents.more_lookups : contents.lookups)
        .push_back(std::move(lookup));
  }
  contents.char_class_lists = {L"a, e, i, o, u", L"k, g, q", L"c, j, z",
                               L"t, d", L"p, b, f", L"m, n", L"y, r, l, v, w",
                               L"s, h, x"};
  for (int i = 0; i < segment_entries; ++i) {
    LanguageDataContents::Segment segment;
    // Distinct by construction: a number spelled in letters.
    std::wstring english;
    for (int n = i; ; n /= 20) {
      english.push_back(static_cast<wchar_t>(L'a' + n % 20));
      if (n < 20) break;
    }
    segment.english = english;
    segment.type = i % 10 < 8 ? 0 : (i % 10 == 8 ? 1 : 2);
    segment.weight = generate.Probability();
    for (int k = generate.Uniform(1, 6); k > 0; --k) {
      segment.natives.emplace_back(generate.Native(generate.Uniform(1, 4)),
                                   generate.Probability());
    }
    contents.segments.push_back(std::move(segment));
  }
  for (wchar_t c = 0x0905; c <= 0x094D; ++c) {
    contents.key_value_lines.push_back(
        ime_shared::WideToUtf8(std::wstring(1, c)) + "\t" +
        std::string(1, static_cast<char>('a' + c % 26)) + "\r\n");
  }
  return contents;
}

}  // namespace

int main(int argc, char** argv) {
  const int segment_entries = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int dictionary_words = argc > 2 ? std::atoi(argv[2]) : 130000;

  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + L"kelvane_benchmark_" +
      std::to_wstring(::GetCurrentProcessId());
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\data.00000";
  {
    const std::string file = ime_t13n::WriteLanguageDataFile(
        Contents(segment_entries, dictionary_words));
    if (!ime_testing::WriteFileBytes(path, file)) {
      std::fprintf(stderr, "cannot write %s\n",
                   ime_shared::WideToUtf8(path).c_str());
      return 1;
    }
    std::printf("data file: %zu bytes, %d segment entries, %d dictionary "
                "words\n",
                file.size(), segment_entries, dictionary_words);
  }

  const size_t private_before = ime_testing::PrivateBytes();
  LARGE_INTEGER start, loaded, built;
  ::QueryPerformanceCounter(&start);
  std::unique_ptr<ime_t13n::LanguageData> data(
      new ime_t13n::LanguageData(ime_t13n::PrintingErrorBox()));
  const bool ok = data->LoadFromMap("hi", ime_shared::WideToUtf8(folder));
  ::QueryPerformanceCounter(&loaded);
  std::unique_ptr<ime_t13n::TransliterationModel> model;
  if (ok) model.reset(new ime_t13n::TransliterationModel(*data));
  data.reset();
  ::QueryPerformanceCounter(&built);
  const size_t private_after = ime_testing::PrivateBytes();

  int status = 0;
  if (!ok) {
    std::printf("LoadFromMap failed\n");
    status = 1;
  } else {
    std::printf("LoadFromMap: %.1f ms\n", 1000 * Seconds(start, loaded));
    std::printf("model build: %.1f ms\n", 1000 * Seconds(loaded, built));
    std::printf("load + model: %.1f ms\n", 1000 * Seconds(start, built));
    size_t segments = 0;
    for (int i = 0; i < ime_t13n::kSegmentTableCount; ++i) {
      segments += model->segment_table(
          static_cast<ime_t13n::SegmentTableIndex>(i)).size();
    }
    std::printf("model: %zu segment entries, %zu lookup words, %d dictionary "
                "entries\n",
                segments, model->lookup_table()->size(),
                model->suggest()->entry_count());
    std::printf("private memory: %.1f MB before, %.1f MB after (+%.1f MB)\n",
                private_before / 1048576.0, private_after / 1048576.0,
                (static_cast<double>(private_after) - private_before) /
                    1048576.0);
  }
  model.reset();
  ::DeleteFileW(path.c_str());
  ::RemoveDirectoryW(folder.c_str());
  return status;
}
