#include "ime/t13n/transliteration/transliterator/canonical_scheme.h"

#include <string_view>

namespace ime_t13n {

CanonicalScheme::CanonicalScheme(const std::wstring& name,
                                 const SchemeRules& rules)
    : name_(name), root_(std::make_unique<CharTrie>()) {
  // The sources are unique, so no insertion can fail.
  for (const auto& rule : rules) {
    CharTrie::Insert(root_.get(), rule.first, rule.second);
  }
}

std::wstring CanonicalScheme::Convert(const std::wstring& word) const {
  std::wstring output;
  const std::wstring_view text(word);
  std::wstring value;
  size_t i = 0;
  while (i < text.size()) {
    const CharTrie* child = root_->FindChild(text[i]);
    if (child == nullptr) {
      ++i;
      continue;
    }
    const size_t depth =
        CharTrie::LongestMatch(child, text.substr(i + 1), &value);
    output += value;
    i += depth + 1;
  }
  return output;
}

}  // namespace ime_t13n
