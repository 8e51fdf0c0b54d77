// A trie over UTF-16 units whose nodes may carry a text value: the rules of a
// custom scheme, keyed by their source.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_CHAR_TRIE_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_CHAR_TRIE_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ime_t13n {

// One node. Keys come from user files and may be very long, so every walk
// over the trie (and its destruction) is a loop, never a recursion whose depth
// follows the key length.
class CharTrie {
 public:
  CharTrie() = default;
  ~CharTrie();
  CharTrie(const CharTrie&) = delete;
  CharTrie& operator=(const CharTrie&) = delete;

  // Gives |key| the value |value| below |node|. False, leaving the trie as it
  // was, when the key already has a value.
  static bool Insert(CharTrie* node, std::wstring_view key,
                     const std::wstring& value);

  // Follows |text| from |node| as deep as the trie allows and returns how many
  // units it went. |value| gets the value of the node where the walk stopped
  // (empty when that node has none): the walk never steps back to a shorter
  // prefix that has a value.
  static size_t LongestMatch(const CharTrie* node, std::wstring_view text,
                             std::wstring* value);

  // The child slot of |unit| below |node| (not null), created empty when
  // absent.
  static std::unique_ptr<CharTrie>& Child(CharTrie* node, wchar_t unit);

  // The child of |unit|, or null; unlike Child it never adds a slot.
  const CharTrie* FindChild(wchar_t unit) const;

  // Empty means the node has no value.
  const std::wstring& value() const { return value_; }

 private:
  std::unordered_map<wchar_t, std::unique_ptr<CharTrie>> children_;
  std::wstring value_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_CHAR_TRIE_H_
