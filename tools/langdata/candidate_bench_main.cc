// Times the installed language as the input method uses it:
//
//   candidate_bench LEXICON.tsv
//
// Init: loading the data file and building the model and the
// transliterator. Then each Latin word of the lexicon is typed prefix by
// prefix: Transliterator::GetCandidates per keystroke, and
// Suggest::GetSuggestions for the first two candidates of each prefix (the
// handler's completions, at most 7 for a page of 5). Private memory is read
// right after Init. Then one very long word, the lexicon's words typed
// without a space between them, is timed at a few lengths: one keystroke
// that brings it to that length (the keystroke before it untimed, as
// typing leaves it). A table of the keystroke times by the length of the
// typed prefix comes first, then a row per long-word length; the last line
// is
//   init_ms=F p50_us=F p99_us=F max_us=F p99_long_us=F suggest_p99_us=F
//   private_mb=F keystrokes=N long_50_us=F long_100_us=F long_200_us=F
//   long_400_us=F
// (one line), p99_long_us over the prefixes of 10 letters and more, each
// long_N_us the median of a few keystrokes to N letters.
#include <cstdio>
#include <string>
#include <vector>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "tools/langdata/candidate_evaluation.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "tools/langdata/program_support.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/shared/testing/measurement.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: candidate_bench LEXICON.tsv\n");
    return 2;
  }
  std::string text;
  if (!ime_testing::ReadFileBytes(ime_shared::Utf8ToWide(argv[1]), &text)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const std::vector<langdata::LexiconRow> rows = langdata::ParseLexicon(text);

  const double start = ime_testing::Now();
  std::unique_ptr<ime_shared::StorageManagerImpl> storage =
      langdata::LoadInstalledLanguage("hi");
  const double init_seconds = ime_testing::Now() - start;
  if (!storage) return 1;
  ime_t13n::Transliterator* transliterator = storage->GetTransliterator();
  const double private_mb = ime_testing::PrivateBytes() / 1048576.0;
  ime_t13n::Suggest* suggest = storage->GetSuggest();
  // A candidate page of 5: 2 x 5 - 3 completions.
  if (suggest != nullptr) suggest->SetMaxResults(7);

  std::vector<double> keystroke_us;
  // Long words are where typing feels slow.
  constexpr size_t kLongPrefix = 10;
  std::vector<double> long_us;
  std::vector<double> suggest_us;
  // Keystroke times by the length of the typed prefix, to show where the
  // time goes.
  std::vector<std::vector<double>> by_length;
  std::vector<std::wstring> candidates;
  std::vector<std::wstring> words;
  std::vector<ime_t13n::SuggestionRecord> records;
  for (const langdata::LexiconRow& row : rows) {
    for (size_t length = 1; length <= row.latin.size(); ++length) {
      const std::wstring typed = row.latin.substr(0, length);
      candidates.clear();
      double t = ime_testing::Now();
      transliterator->GetCandidates(typed, &candidates);
      keystroke_us.push_back(1e6 * (ime_testing::Now() - t));
      if (by_length.size() <= length) by_length.resize(length + 1);
      by_length[length].push_back(keystroke_us.back());
      if (length >= kLongPrefix) long_us.push_back(keystroke_us.back());
      if (suggest == nullptr) continue;
      words.assign(candidates.begin(),
                   candidates.begin() + std::min<size_t>(2, candidates.size()));
      records.clear();
      t = ime_testing::Now();
      suggest->GetSuggestions(words, &records);
      suggest_us.push_back(1e6 * (ime_testing::Now() - t));
    }
  }
  std::printf("letters keystrokes p50_us p99_us\n");
  for (size_t length = 1; length < by_length.size(); ++length) {
    std::vector<double>& times = by_length[length];
    if (times.empty()) continue;
    const size_t count = times.size();
    const double median = langdata::Percentile(&times, 0.50);
    std::printf("%7zu %10zu %6.1f %6.1f\n", length, count, median,
                langdata::Percentile(&times, 0.99));
  }
  // A word typed on and on without a space: the keystroke's time must grow
  // no faster than the word.
  std::wstring run_on;
  for (size_t r = 0; r < rows.size() && run_on.size() < 400; ++r) {
    run_on += rows[r].latin;
  }
  const size_t kLongLengths[] = {50, 100, 200, 400};
  constexpr int kLongRepeats = 5;
  std::vector<double> long_word_us;
  std::printf("long-word letters p50_us\n");
  for (size_t length : kLongLengths) {
    if (run_on.size() < length) break;
    std::vector<double> times;
    for (int repeat = 0; repeat < kLongRepeats; ++repeat) {
      candidates.clear();
      transliterator->GetCandidates(run_on.substr(0, length - 1),
                                    &candidates);
      const std::wstring typed = run_on.substr(0, length);
      candidates.clear();
      const double t = ime_testing::Now();
      transliterator->GetCandidates(typed, &candidates);
      times.push_back(1e6 * (ime_testing::Now() - t));
    }
    long_word_us.push_back(langdata::Percentile(&times, 0.50));
    std::printf("%17zu %6.1f\n", length, long_word_us.back());
    std::fflush(stdout);
  }

  const size_t keystrokes = keystroke_us.size();
  const double p50 = langdata::Percentile(&keystroke_us, 0.50);
  const double p99 = langdata::Percentile(&keystroke_us, 0.99);
  const double max = keystroke_us.empty() ? 0.0 : keystroke_us.back();
  const double p99_long = langdata::Percentile(&long_us, 0.99);
  const double suggest_p99 = langdata::Percentile(&suggest_us, 0.99);
  std::printf("init_ms=%.1f p50_us=%.1f p99_us=%.1f max_us=%.1f "
              "p99_long_us=%.1f suggest_p99_us=%.1f private_mb=%.1f "
              "keystrokes=%zu",
              1000 * init_seconds, p50, p99, max, p99_long, suggest_p99,
              private_mb, keystrokes);
  for (size_t i = 0; i < long_word_us.size(); ++i) {
    std::printf(" long_%zu_us=%.1f", kLongLengths[i], long_word_us[i]);
  }
  std::printf("\n");
  return 0;
}
