// What the transliteration handler knows of Arabic-script input: the word
// prefixes after which a space does not end the word, and the punctuation
// marks that have Arabic-script forms.
#ifndef IME_T13N_FRONTEND_WORD_PREFIX_SET_H_
#define IME_T13N_FRONTEND_WORD_PREFIX_SET_H_

#include <set>
#include <string>

namespace ime_t13n {

// The 28 Latin spellings of Arabic word prefixes ("al", "bi", "wal" ...):
// a word typed as one of them, then Space, goes on being composed.
class WordPrefixSet {
 public:
  WordPrefixSet();
  bool Contains(const std::wstring& word) const {
    return prefixes_.count(word) != 0;
  }
  size_t size() const { return prefixes_.size(); }

 private:
  std::set<std::wstring> prefixes_;
};

// Languages 1, 3 and 13 ("ar", "fa", "ur") write ',' ';' '?' in their own
// script: true for those marks there.
bool IsArabicScriptPunctuation(int language, wchar_t c);
// U+060C for ',', U+061B for ';', U+061F for '?' in those languages; 0 for
// anything else.
wchar_t MapArabicScriptPunctuation(int language, wchar_t c);

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_WORD_PREFIX_SET_H_
