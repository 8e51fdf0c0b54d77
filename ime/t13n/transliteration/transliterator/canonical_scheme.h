// A custom transliteration scheme ready for use: its name and the trie of its
// rules.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_CANONICAL_SCHEME_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_CANONICAL_SCHEME_H_

#include <memory>
#include <string>
#include <unordered_map>

#include "ime/t13n/transliteration/transliterator/char_trie.h"

namespace ime_t13n {

// Rule source -> rule target. A source is entered once; the first target
// entered for it stays.
using SchemeRules = std::unordered_map<std::wstring, std::wstring>;

class CanonicalScheme {
 public:
  CanonicalScheme(const std::wstring& name, const SchemeRules& rules);
  CanonicalScheme(const CanonicalScheme&) = delete;
  CanonicalScheme& operator=(const CanonicalScheme&) = delete;

  // The name that the scheme menu shows.
  const std::wstring& name() const { return name_; }

  // Rewrites |word| left to right: at each position the longest run that the
  // trie follows is replaced by the value of the node where the walk stopped
  // (nothing when that node has no value); a character that begins no rule
  // is dropped.
  std::wstring Convert(const std::wstring& word) const;

 private:
  std::wstring name_;
  std::unique_ptr<CharTrie> root_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_CANONICAL_SCHEME_H_
