// Times Transliterator::GetCandidates, the call made on every keystroke, on
// a generated language of realistic size, and prints per typed-word length
// the median, the 99th percentile and the maximum time of one call, and the
// heap allocations one call makes.
//
//   transliterator_benchmark [words per length]
//
// The language: Devanagari letters, a romanised corpus of words built from
// syllables, segment tables made of every piece of up to four letters of
// the corpus with rule-based readings and variants, a dictionary of the
// corpus's native words, whole-word lookups, and rule counts taken from the
// dictionary. The data file is written with the data-file writer into a
// temporary folder, loaded as the module loads it, and removed at the end.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "ime/shared/testing/measurement.h"
#include "ime/shared/testing/temp_dir.h"

// Counts every heap allocation of the program. The replacements pair
// malloc with free, which the compiler cannot see through.
static std::atomic<long long> g_allocations(0);

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

using ime_t13n::Language;
using ime_t13n::LanguageDataContents;
using ime_t13n::LanguageRule;
using ime_t13n::NativeScore;
using ime_testing::Percentile;

struct Letter {
  const char* english;
  wchar_t native;
};

// English spellings of consonants, with a second reading where Hindi has a
// retroflex or aspirated neighbour.
const Letter kConsonants[] = {
    {"k", 0x0915},  {"kh", 0x0916}, {"g", 0x0917},  {"gh", 0x0918},
    {"ch", 0x091A}, {"chh", 0x091B}, {"j", 0x091C}, {"jh", 0x091D},
    {"t", 0x0924},  {"th", 0x0925}, {"d", 0x0926},  {"dh", 0x0927},
    {"n", 0x0928},  {"p", 0x092A},  {"ph", 0x092B}, {"f", 0x092B},
    {"b", 0x092C},  {"bh", 0x092D}, {"m", 0x092E},  {"y", 0x092F},
    {"r", 0x0930},  {"l", 0x0932},  {"v", 0x0935},  {"w", 0x0935},
    {"sh", 0x0936}, {"s", 0x0938},  {"h", 0x0939},  {"z", 0x091C},
};
wchar_t Alternative(wchar_t consonant) {
  switch (consonant) {
    case 0x0924: return 0x091F;  // t: retroflex
    case 0x0925: return 0x0920;
    case 0x0926: return 0x0921;
    case 0x0927: return 0x0922;
    case 0x0928: return 0x0923;
    case 0x0936: return 0x0937;
    default: return 0;
  }
}

struct Vowel {
  const char* english;
  wchar_t independent;
  wchar_t sign;  // 0: the inherent a
};
const Vowel kVowels[] = {
    {"a", 0x0905, 0},       {"aa", 0x0906, 0x093E}, {"i", 0x0907, 0x093F},
    {"ee", 0x0908, 0x0940}, {"u", 0x0909, 0x0941},  {"oo", 0x090A, 0x0942},
    {"e", 0x090F, 0x0947},  {"ai", 0x0910, 0x0948}, {"o", 0x0913, 0x094B},
    {"au", 0x0914, 0x094C},
};
constexpr wchar_t kVirama = 0x094D;

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}
  int Uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
  }
  float Probability() {
    return std::uniform_real_distribution<float>(0.01f, 1.0f)(random_);
  }
  // A word of 1 to 4 syllables, in English and in Devanagari.
  void Word(std::string* english, std::wstring* native) {
    english->clear();
    native->clear();
    const int syllables = Uniform(1, 4);
    for (int s = 0; s < syllables; ++s) {
      const bool vowel_only = s == 0 && Uniform(0, 9) == 0;
      const Vowel& v = kVowels[Uniform(0, 9) < 5 ? 0 : Uniform(0, 9)];
      if (vowel_only) {
        *english += v.english;
        native->push_back(v.independent);
        continue;
      }
      const Letter& c = kConsonants[Uniform(0, 27)];
      *english += c.english;
      native->push_back(c.native);
      if (Uniform(0, 9) == 0) {  // a cluster
        const Letter& c2 = kConsonants[Uniform(0, 27)];
        *english += c2.english;
        native->push_back(kVirama);
        native->push_back(c2.native);
      }
      *english += v.english;
      if (v.sign != 0) native->push_back(v.sign);
    }
    if (Uniform(0, 2) == 0) {  // a final consonant
      const Letter& c = kConsonants[Uniform(0, 27)];
      *english += c.english;
      native->push_back(c.native);
    }
  }

 private:
  std::mt19937 random_;
};

// Reads an English piece greedily, longest spelling first, into Devanagari
// (consonants with their vowel signs, a virama between two consonants).
// |variant| swaps consonants for their neighbours and long and short vowels.
std::wstring RuleReading(const std::string& english, int variant) {
  std::wstring out;
  bool after_consonant = false;
  size_t i = 0;
  while (i < english.size()) {
    const Letter* consonant = nullptr;
    size_t best = 0;
    for (const Letter& c : kConsonants) {
      const size_t n = std::strlen(c.english);
      if (n > best && english.compare(i, n, c.english) == 0) {
        consonant = &c;
        best = n;
      }
    }
    const Vowel* vowel = nullptr;
    for (const Vowel& v : kVowels) {
      const size_t n = std::strlen(v.english);
      if (n > best && english.compare(i, n, v.english) == 0) {
        vowel = &v;
        best = n;
        consonant = nullptr;
      }
    }
    if (consonant != nullptr) {
      if (after_consonant && variant % 2 == 1) out.push_back(kVirama);
      wchar_t c = consonant->native;
      if ((variant & 2) && Alternative(c) != 0) c = Alternative(c);
      out.push_back(c);
      after_consonant = true;
    } else if (vowel != nullptr) {
      const Vowel* v = vowel;
      if ((variant & 4) && v > kVowels && v->sign != 0) v = v - 1;
      if (after_consonant) {
        if (v->sign != 0) out.push_back(v->sign);
      } else {
        out.push_back(v->independent);
      }
      after_consonant = false;
    } else {
      best = 1;  // a letter of no spelling: skipped
    }
    i += best;
  }
  return out;
}

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::string LanguageMessage() {
  Language language;
  language.set_language_id(1);
  language.set_language_name("hi");
  language.set_virama(ime_shared::WideToUtf8(std::wstring(1, kVirama)));
  language.set_indic_char_bytes(3);
  language.set_vowel_matra_difference(56);
  std::set<wchar_t> seen;
  auto add = [&](wchar_t ch, int character_class, const std::string& spelling,
                 wchar_t matra) {
    if (!seen.insert(ch).second) return;
    auto* record = language.add_character();
    record->set_ch(ime_shared::WideToUtf8(std::wstring(1, ch)));
    record->set_characterclass(character_class);
    record->set_utf8_value(ch);
    record->set_description("letter");
    record->set_itrans_value(spelling);
    if (!spelling.empty()) record->set_simplified_itrans_values(spelling);
    if (matra != 0) {
      record->set_matra_value(ime_shared::WideToUtf8(std::wstring(1, matra)));
    }
  };
  for (const Letter& c : kConsonants) {
    add(c.native, Language::CONSONANT, c.english, 0);
    if (Alternative(c.native) != 0) {
      add(Alternative(c.native), Language::CONSONANT, "", 0);
    }
  }
  for (const Vowel& v : kVowels) {
    add(v.independent, Language::VOWEL, v.english, v.sign);
    if (v.sign != 0) add(v.sign, Language::MATRA, "", 0);
  }
  add(kVirama, Language::SPECIAL, "", 0);
  return language.SerializeAsString();
}

struct Language_ {
  LanguageDataContents contents;
  std::vector<std::string> typed;  // corpus words, for typing
};

Language_ Generate() {
  Generator generate(20240611);
  Language_ result;
  LanguageDataContents& contents = result.contents;
  contents.language_message = LanguageMessage();

  // The corpus.
  std::map<std::string, std::wstring> corpus;
  std::string english;
  std::wstring native;
  while (corpus.size() < 60000) {
    generate.Word(&english, &native);
    corpus.emplace(english, native);
  }

  // The dictionary: the corpus's native words and their variants.
  std::map<std::wstring, int32_t> dictionary;
  for (const auto& word : corpus) {
    dictionary.emplace(word.second, generate.Uniform(1, 100000));
    if (dictionary.size() < 130000) {
      dictionary.emplace(RuleReading(word.first, generate.Uniform(1, 7)),
                         generate.Uniform(1, 2000));
    }
  }
  dictionary.erase(std::wstring());
  for (const auto& word : dictionary) {
    if (word.first.size() <= 255) {
      contents.dictionary_words.emplace_back(word.first, word.second);
    }
  }

  // Rule counts from the dictionary words.
  std::unordered_map<std::wstring, int32_t> pairs, classes, begin, middle,
      end;
  Language language;
  language.ParseFromString(contents.language_message);
  std::unordered_map<wchar_t, int> class_of;
  for (const auto& c : language.character()) {
    class_of[ime_shared::Utf8ToWide(c.ch())[0]] = c.characterclass();
  }
  for (const auto& word : dictionary) {
    const std::wstring& w = word.first;
    ++begin[w.substr(0, 1)];
    ++end[w.substr(w.size() - 1)];
    for (size_t i = 1; i < w.size(); ++i) {
      ++pairs[w.substr(i - 1, 2)];
      ++classes[std::to_wstring(class_of[w[i - 1]]) +
                std::to_wstring(class_of[w[i]])];
      if (i + 1 < w.size()) ++middle[w.substr(i, 1)];
    }
  }
  for (const auto& p : pairs) {
    contents.rules.push_back({LanguageRule::CONSEC_CHARS, p.first.substr(0, 1),
                              p.first.substr(1), p.second});
  }
  for (const auto& p : classes) {
    contents.rules.push_back({LanguageRule::CONSEC_CHAR_CLASSES,
                              p.first.substr(0, 1), p.first.substr(1),
                              p.second});
  }
  for (const auto& p : begin) {
    contents.rules.push_back({LanguageRule::CHAR_POSITIONS, L"b", p.first,
                              p.second});
  }
  for (const auto& p : middle) {
    contents.rules.push_back({LanguageRule::CHAR_POSITIONS, L"m", p.first,
                              p.second});
  }
  for (const auto& p : end) {
    contents.rules.push_back({LanguageRule::CHAR_POSITIONS, L"e", p.first,
                              p.second});
  }

  // Whole-word lookups for a third of the corpus.
  int n = 0;
  for (const auto& word : corpus) {
    if (++n % 3 != 0) continue;
    LanguageDataContents::Lookup lookup;
    lookup.english = Wide(word.first);
    lookup.natives.emplace_back(word.second, generate.Probability());
    if (n % 2 == 0) {
      lookup.natives.emplace_back(RuleReading(word.first, 2),
                                  generate.Probability());
    }
    (n % 5 == 0 ? contents.more_lookups : contents.lookups)
        .push_back(std::move(lookup));
  }

  // Segments: every piece of one to four letters of the corpus; at the
  // start of a word also a prefix, at its end also a suffix.
  std::map<std::string, int> simple, prefix, suffix;
  for (const auto& word : corpus) {
    const std::string& w = word.first;
    for (size_t i = 0; i < w.size(); ++i) {
      for (size_t len = 1; len <= 4 && i + len <= w.size(); ++len) {
        const std::string piece = w.substr(i, len);
        ++simple[piece];
        if (i == 0) ++prefix[piece];
        if (i + len == w.size()) ++suffix[piece];
      }
    }
  }
  auto add_segments = [&](const std::map<std::string, int>& pieces, int type,
                          int minimum) {
    for (const auto& piece : pieces) {
      if (piece.second < minimum) continue;
      LanguageDataContents::Segment segment;
      segment.english = Wide(piece.first);
      segment.type = type;
      segment.weight = generate.Probability();
      std::set<std::wstring> readings;
      const int count = generate.Uniform(2, 8);
      for (int variant = 0; variant < 8 &&
                            static_cast<int>(readings.size()) < count;
           ++variant) {
        const std::wstring reading = RuleReading(piece.first, variant);
        if (!reading.empty() && readings.insert(reading).second) {
          segment.natives.emplace_back(reading, generate.Probability());
        }
      }
      if (!segment.natives.empty()) {
        contents.segments.push_back(std::move(segment));
      }
    }
  };
  add_segments(simple, 0, 2);
  add_segments(prefix, 1, 3);
  add_segments(suffix, 2, 3);

  contents.char_class_lists = {L"a, e, i, o, u", L"k, g, q", L"c, j, z",
                               L"t, d", L"p, b, f", L"m, n", L"y, r, l, v, w",
                               L"s, h, x"};
  for (const auto& c : language.character()) {
    contents.key_value_lines.push_back(c.ch() + "\t" +
                                       (c.itrans_value().empty()
                                            ? std::string("a")
                                            : c.itrans_value()));
  }

  for (const auto& word : corpus) result.typed.push_back(word.first);
  return result;
}

double Microseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  return 1e6 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  const int per_length = argc > 1 ? std::atoi(argv[1]) : 200;

  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) +
                              L"kelvane_transliterator_benchmark_" +
                              std::to_wstring(::GetCurrentProcessId());
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\data.00000";

  std::vector<std::string> corpus;
  {
    Language_ generated = Generate();
    corpus.swap(generated.typed);
    const std::string file =
        ime_t13n::WriteLanguageDataFile(generated.contents);
    if (!ime_testing::WriteFileBytes(path, file)) {
      std::fprintf(stderr, "cannot write %s\n",
                   ime_shared::WideToUtf8(path).c_str());
      return 1;
    }
    size_t segments[3] = {0, 0, 0};
    for (const auto& s : generated.contents.segments) ++segments[s.type];
    std::printf("data file: %zu bytes; segments: %zu simple, %zu prefix, "
                "%zu suffix; %zu dictionary words; %zu lookup words; %zu "
                "rule counts\n",
                file.size(), segments[0], segments[1], segments[2],
                generated.contents.dictionary_words.size(),
                generated.contents.lookups.size() +
                    generated.contents.more_lookups.size(),
                generated.contents.rules.size());
  }

  std::unique_ptr<ime_t13n::Transliterator> transliterator;
  {
    ime_t13n::LanguageData data(ime_t13n::PrintingErrorBox());
    if (!data.LoadFromMap("hi", ime_shared::WideToUtf8(folder))) {
      std::printf("LoadFromMap failed\n");
      return 1;
    }
    transliterator.reset(new ime_t13n::Transliterator(
        new ime_t13n::TransliterationModel(data)));
  }

  // Typed words by length: corpus words, and for lengths beyond the corpus
  // two words run together, as a user types a compound.
  constexpr int kMaxLength = 20;
  std::vector<std::vector<std::wstring>> words(kMaxLength + 1);
  std::mt19937 random(7);
  for (int attempts = 0; attempts < 4000000; ++attempts) {
    std::string w = corpus[random() % corpus.size()];
    if (random() % 3 == 0) w += corpus[random() % corpus.size()];
    if (random() % 4 == 0) w = w.substr(0, 1 + random() % w.size());  // a prefix: still typing
    if (w.size() > kMaxLength) continue;
    if (static_cast<int>(words[w.size()].size()) < per_length) {
      words[w.size()].push_back(Wide(w));
    }
  }

  // Warm up: the first calls grow the working buffers.
  std::vector<std::wstring> candidates;
  for (int length = 1; length <= kMaxLength; ++length) {
    for (size_t i = 0; i < words[length].size() && i < 5; ++i) {
      candidates.clear();
      transliterator->GetCandidates(words[length][i], &candidates);
    }
  }

  std::printf("\nGetCandidates per typed word (microseconds; allocations "
              "per call)\n");
  std::printf("%6s %6s %10s %10s %10s %12s\n", "length", "words", "p50",
              "p99", "max", "allocs p50");
  std::vector<double> all;
  for (int length = 1; length <= kMaxLength; ++length) {
    if (words[length].empty()) continue;
    std::vector<double> times;
    std::vector<double> allocations;
    for (const std::wstring& word : words[length]) {
      candidates.clear();
      candidates.reserve(16);
      const long long allocations_before = g_allocations.load();
      LARGE_INTEGER start, stop;
      ::QueryPerformanceCounter(&start);
      transliterator->GetCandidates(word, &candidates);
      ::QueryPerformanceCounter(&stop);
      allocations.push_back(
          static_cast<double>(g_allocations.load() - allocations_before));
      times.push_back(Microseconds(start, stop));
    }
    all.insert(all.end(), times.begin(), times.end());
    std::printf("%6d %6zu %10.1f %10.1f %10.1f %12.0f\n", length,
                times.size(), Percentile(times, 0.5), Percentile(times, 0.99),
                *std::max_element(times.begin(), times.end()),
                Percentile(allocations, 0.5));
  }
  std::printf("%6s %6zu %10.1f %10.1f %10.1f\n", "all", all.size(),
              Percentile(all, 0.5), Percentile(all, 0.99),
              *std::max_element(all.begin(), all.end()));

  // An example, to show the generated language is alive.
  candidates.clear();
  transliterator->GetCandidates(words[6].empty() ? L"kamal" : words[6][0],
                                &candidates);
  std::printf("\nexample: %s ->",
              ime_shared::WideToUtf8(words[6].empty() ? L"kamal"
                                                      : words[6][0])
                  .c_str());
  for (const std::wstring& c : candidates) {
    std::printf(" %s", ime_shared::WideToUtf8(c).c_str());
  }
  std::printf("\n");

  transliterator.reset();
  ::DeleteFileW(path.c_str());
  ::RemoveDirectoryW(folder.c_str());
  return 0;
}
