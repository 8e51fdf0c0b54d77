// Measures the candidates of the installed language against a lexicon of
// typed words (rows "Devanagari<TAB>Latin<TAB>count"):
//
//   candidate_eval LEXICON.tsv [MISSES]
//
// The language is loaded as the input method loads it ("DataPath"). For each
// row the Latin word is typed whole: top-1 and top-4 of
// Transliterator::GetCandidates and top-5 of Transliterator::Transliterate
// (n = 5), by type and weighted by the count column. With MISSES, that many
// rows whose first candidate is wrong are printed first. The last line is
//   top1=F top4=F top5=F top1_weighted=F top4_weighted=F n=N
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ime/shared/string_utils.h"
#include "tools/langdata/candidate_evaluation.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "tools/langdata/program_support.h"
#include "ime/shared/testing/temp_dir.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: candidate_eval LEXICON.tsv [MISSES]\n");
    return 2;
  }
  int misses_to_show = argc == 3 ? std::atoi(argv[2]) : 0;
  std::string text;
  if (!ime_testing::ReadFileBytes(ime_shared::Utf8ToWide(argv[1]), &text)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  size_t skipped = 0;
  const std::vector<langdata::LexiconRow> rows =
      langdata::ParseLexicon(text, &skipped);
  if (skipped) std::fprintf(stderr, "%zu lexicon lines skipped\n", skipped);

  std::unique_ptr<ime_shared::StorageManagerImpl> storage =
      langdata::LoadInstalledLanguage("hi");
  if (!storage) return 1;
  ime_t13n::Transliterator* transliterator = storage->GetTransliterator();

  langdata::CandidateScores scores;
  std::vector<std::wstring> candidates;
  std::vector<ime_t13n::ScoredWord> scored;
  std::vector<std::wstring> transliterations;
  for (const langdata::LexiconRow& row : rows) {
    candidates.clear();
    transliterator->GetCandidates(row.latin, &candidates);
    scored.clear();
    transliterator->Transliterate(row.latin, 5,
                                  ime_t13n::Transliterator::kDefaultBeam,
                                  &scored, nullptr);
    transliterations.clear();
    for (const auto& word : scored) transliterations.push_back(word.word);
    scores.Add(row, candidates, transliterations);
    if (misses_to_show > 0 &&
        (candidates.empty() || candidates[0] != row.native)) {
      --misses_to_show;
      std::string line = ime_shared::WideToUtf8(row.latin) + "\t" +
                         ime_shared::WideToUtf8(row.native) + "\t";
      for (const auto& c : candidates) line += " " + ime_shared::WideToUtf8(c);
      std::printf("miss: %s\n", line.c_str());
    }
  }
  std::printf("%s\n", scores.SummaryLine().c_str());
  return 0;
}
