#include "ime/t13n/transliteration/transliterator/char_trie.h"

#include <utility>
#include <vector>

namespace ime_t13n {

CharTrie::~CharTrie() {
  // Detach the descendants into a work list so that each node is destroyed
  // with no children left: the default destruction would recurse once per
  // unit of the longest key.
  std::vector<std::unique_ptr<CharTrie>> pending;
  for (auto& entry : children_) {
    if (entry.second) pending.push_back(std::move(entry.second));
  }
  while (!pending.empty()) {
    std::unique_ptr<CharTrie> node = std::move(pending.back());
    pending.pop_back();
    for (auto& entry : node->children_) {
      if (entry.second) pending.push_back(std::move(entry.second));
    }
  }
}

bool CharTrie::Insert(CharTrie* node, std::wstring_view key,
                      const std::wstring& value) {
  if (node == nullptr) return false;
  for (wchar_t unit : key) {
    std::unique_ptr<CharTrie>& child = Child(node, unit);
    if (!child) child = std::make_unique<CharTrie>();
    node = child.get();
  }
  if (!node->value_.empty()) return false;
  node->value_ = value;
  return true;
}

size_t CharTrie::LongestMatch(const CharTrie* node, std::wstring_view text,
                              std::wstring* value) {
  size_t depth = 0;
  while (node != nullptr && depth < text.size()) {
    const CharTrie* child = node->FindChild(text[depth]);
    if (child == nullptr) break;
    node = child;
    ++depth;
  }
  if (value != nullptr) {
    if (node != nullptr) {
      *value = node->value_;
    } else {
      value->clear();
    }
  }
  return depth;
}

std::unique_ptr<CharTrie>& CharTrie::Child(CharTrie* node, wchar_t unit) {
  return node->children_[unit];
}

const CharTrie* CharTrie::FindChild(wchar_t unit) const {
  auto it = children_.find(unit);
  return it == children_.end() ? nullptr : it->second.get();
}

}  // namespace ime_t13n
