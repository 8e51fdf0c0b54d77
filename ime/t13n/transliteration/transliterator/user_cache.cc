#include "ime/t13n/transliteration/transliterator/user_cache.h"

#include <algorithm>

namespace ime_t13n {

namespace {

// The key of |english|: the word without its spaces, case kept.
std::wstring KeyOf(const std::wstring& english) {
  std::wstring key = english;
  key.erase(std::remove(key.begin(), key.end(), L' '), key.end());
  return key;
}

}  // namespace

void UserCache::Add(const std::wstring& english, const std::wstring& native,
                    bool overwrite) {
  std::wstring key = KeyOf(english);
  if (key.empty() || native.empty()) return;

  auto inserted = words_.emplace(key, native);
  if (inserted.second) {
    order_.push_back(key);
    changed_.insert(std::move(key));
  } else if (overwrite && inserted.first->second != native) {
    inserted.first->second = native;
    changed_.insert(std::move(key));
  }
  Trim();
}

const std::wstring* UserCache::Find(const std::wstring& key) const {
  auto it = words_.find(key);
  return it != words_.end() ? &it->second : nullptr;
}

void UserCache::List(std::vector<Entry>* out) const {
  out->reserve(out->size() + order_.size());
  for (const std::wstring& key : order_) {
    auto it = words_.find(key);
    if (it != words_.end()) out->push_back(*it);
  }
}

void UserCache::ListChanged(std::vector<Entry>* out) const {
  if (changed_.empty()) return;
  out->reserve(out->size() + changed_.size());
  for (const std::wstring& key : order_) {
    if (changed_.count(key) == 0) continue;
    auto it = words_.find(key);
    if (it != words_.end()) out->push_back(*it);
  }
}

void UserCache::MergeFile(const std::vector<Entry>& file) {
  std::unordered_map<std::wstring, std::wstring> words;
  std::deque<std::wstring> order;
  for (const Entry& entry : file) {
    std::wstring key = KeyOf(entry.first);
    if (key.empty() || entry.second.empty()) continue;
    if (words.emplace(key, entry.second).second) {
      order.push_back(std::move(key));
    }
  }
  // This process's own choices, in the order they entered here.
  for (const std::wstring& key : order_) {
    if (changed_.count(key) == 0) continue;
    const std::wstring& native = words_[key];
    auto placed = words.emplace(key, native);
    if (placed.second) {
      order.push_back(key);
    } else {
      placed.first->second = native;
    }
  }
  words_.swap(words);
  order_.swap(order);
  Trim();
}

void UserCache::Clear() {
  words_.clear();
  order_.clear();
  changed_.clear();
}

void UserCache::Trim() {
  while (words_.size() > kCapacity) {
    words_.erase(order_.front());
    changed_.erase(order_.front());
    order_.pop_front();
  }
}

}  // namespace ime_t13n
