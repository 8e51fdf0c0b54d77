#include "ime/t13n/transliteration/transliterator/static_mapping_trie.h"

namespace ime_t13n {

StaticMappingTrie::StaticMappingTrie() : nodes_(1) {}

void StaticMappingTrie::Insert(const std::wstring& spelling,
                               const std::wstring& indic) {
  if (spelling.empty()) return;
  int32_t node = kRoot;
  for (wchar_t unit : spelling) {
    int32_t child = Child(node, unit);
    if (child == kNoNode) {
      child = static_cast<int32_t>(nodes_.size());
      // Appending may move the nodes: look the parent up again after it.
      nodes_.emplace_back();
      nodes_[node].children.emplace(unit, child);
    }
    node = child;
  }
  if (nodes_[node].value.empty()) nodes_[node].value = indic;
}

int32_t StaticMappingTrie::Child(int32_t node, wchar_t unit) const {
  const auto& children = nodes_[node].children;
  auto it = children.find(unit);
  return it == children.end() ? kNoNode : it->second;
}

}  // namespace ime_t13n
