#include "ime/t13n/transliteration/transliterator/static_transliterator.h"

#include "ime/t13n/transliteration/transliterator/language_model.h"
#include "ime/t13n/transliteration/transliterator/static_mapping_trie.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "ime/t13n/transliteration/transliterator/word_chars.h"

namespace ime_t13n {

void StaticTransliterator::Convert(const TransliterationModel& model,
                                   const std::wstring& word, std::wstring* out,
                                   bool* exact) const {
  const StaticMappingTrie& trie = model.trie();
  const LanguageModel& language = model.language_model();

  int32_t node = StaticMappingTrie::kRoot;
  std::wstring pending;   // units walked since the last piece
  std::wstring previous;  // the native piece produced last
  std::wstring joined;
  std::wstring piece;
  bool started = false;
  size_t i = 0;
  while (i < word.size()) {
    const int32_t child = trie.Child(node, word[i]);
    if (child != StaticMappingTrie::kNoNode) {
      pending.push_back(word[i]);
      node = child;
      ++i;
    } else if (!pending.empty()) {
      // The walk goes no deeper: the node reached gives the piece (or
      // nothing, when no spelling ends there), and the unit is tried again
      // from the root.
      if (language.JoinIndicPieces(previous, pending, trie.Value(node),
                                   started ? LanguageModel::kLaterPiece
                                           : LanguageModel::kFirstPiece,
                                   &joined, &piece)) {
        out->append(joined);
        previous.swap(piece);
        started = true;
      }
      node = StaticMappingTrie::kRoot;
      pending.clear();
    } else {
      ++i;  // no spelling starts with this unit
    }
  }
  if (language.JoinIndicPieces(previous, pending, trie.Value(node),
                               LanguageModel::kLastPiece, &joined, &piece)) {
    out->append(joined);
  }
  *exact = false;
}

int StaticTransliterator::Length(const std::wstring& word) const {
  return static_cast<int>(word.size());
}

void StaticTransliterator::CharAt(const std::wstring& word, int index,
                                  std::wstring* out) const {
  *out = CharAtAsString(word, index);
}

}  // namespace ime_t13n
