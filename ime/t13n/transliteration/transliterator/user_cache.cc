#include "ime/t13n/transliteration/transliterator/user_cache.h"

#include <algorithm>

namespace ime_t13n {

void UserCache::Add(const std::wstring& english, const std::wstring& native,
                    bool overwrite) {
  std::wstring key = english;
  key.erase(std::remove(key.begin(), key.end(), L' '), key.end());
  if (key.empty() || native.empty()) return;

  auto inserted = words_.emplace(key, native);
  if (inserted.second) {
    order_.push_back(key);
  } else if (overwrite) {
    inserted.first->second = native;
  }
  if (words_.size() > kCapacity) {
    words_.erase(order_.front());
    order_.pop_front();
  }
}

const std::wstring* UserCache::Find(const std::wstring& key) const {
  auto it = words_.find(key);
  return it != words_.end() ? &it->second : nullptr;
}

void UserCache::List(
    std::vector<std::pair<std::wstring, std::wstring>>* out) const {
  out->reserve(out->size() + words_.size());
  for (const auto& entry : words_) out->push_back(entry);
}

void UserCache::Clear() {
  words_.clear();
  order_.clear();
}

}  // namespace ime_t13n
