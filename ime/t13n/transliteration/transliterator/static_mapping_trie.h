// A trie from English spellings to the native strings they produce, walked
// unit by unit by the static transliterator (longest path first).
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_STATIC_MAPPING_TRIE_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_STATIC_MAPPING_TRIE_H_

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace ime_t13n {

class StaticMappingTrie {
 public:
  static constexpr int32_t kRoot = 0;
  static constexpr int32_t kNoNode = -1;

  // A trie holding the root alone.
  StaticMappingTrie();

  // Adds the path of |spelling| and gives its last node the value
  // |indic|. A node keeps the first value given to it: when two native
  // strings share a spelling, the first one inserted is what the spelling
  // produces. An empty spelling is ignored, so that the root never carries
  // a value (a value there would be produced from no input at all).
  void Insert(const std::wstring& spelling, const std::wstring& indic);

  // The child of |node| along |unit|; kNoNode when there is none.
  int32_t Child(int32_t node, wchar_t unit) const;
  // The native string of |node|; empty when no spelling ends there.
  const std::wstring& Value(int32_t node) const { return nodes_[node].value; }
  size_t node_count() const { return nodes_.size(); }

 private:
  struct Node {
    std::wstring value;
    std::unordered_map<wchar_t, int32_t> children;
  };

  std::vector<Node> nodes_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_STATIC_MAPPING_TRIE_H_
