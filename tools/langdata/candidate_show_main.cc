// Shows the candidates of typed words with the installed language, loaded
// as the input method loads it ("DataPath"):
//
//   candidate_show WORD...
//
// One line per word: the word, then its candidates, then the completions
// the candidate list adds after them.
#include <cstdio>
#include <string>
#include <vector>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"
#include "tools/langdata/program_support.h"

int main(int argc, char** argv) {
  std::unique_ptr<ime_shared::StorageManagerImpl> storage =
      langdata::LoadInstalledLanguage("hi");
  if (!storage) return 1;
  ime_t13n::Transliterator* transliterator = storage->GetTransliterator();
  ime_t13n::Suggest* suggest = storage->GetSuggest();
  for (int i = 1; i < argc; ++i) {
    const std::wstring word = ime_shared::Utf8ToWide(argv[i]);
    std::vector<std::wstring> candidates;
    transliterator->GetCandidates(word, &candidates);
    std::string line = std::string(argv[i]) + ":";
    for (const std::wstring& candidate : candidates) {
      line += " " + ime_shared::WideToUtf8(candidate);
    }
    if (suggest != nullptr && !candidates.empty()) {
      std::vector<std::wstring> firsts(
          candidates.begin(),
          candidates.begin() + std::min<size_t>(2, candidates.size()));
      std::vector<ime_t13n::SuggestionRecord> completions;
      suggest->GetSuggestions(firsts, &completions);
      if (!completions.empty()) line += "  |";
      for (const auto& record : completions) {
        line += " " + ime_shared::WideToUtf8(record.completion);
      }
    }
    std::printf("%s\n", line.c_str());
  }
  return 0;
}
