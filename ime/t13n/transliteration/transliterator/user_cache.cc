#include "ime/t13n/transliteration/transliterator/user_cache.h"

#include <algorithm>
#include <iterator>

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
    ++changes_;
  } else if (overwrite && inserted.first->second != native) {
    inserted.first->second = native;
    ++changes_;
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

void UserCache::List(std::vector<Entry>* out) const {
  out->reserve(out->size() + order_.size());
  for (const std::wstring& key : order_) {
    auto it = words_.find(key);
    if (it != words_.end()) out->push_back(*it);
  }
}

void UserCache::MergeOlder(const std::vector<Entry>& older) {
  // The words only |older| has, in its order; they enter the map at once,
  // so a repeated word is taken the first time only.
  std::deque<std::wstring> order;
  for (const Entry& entry : older) {
    std::wstring key = KeyOf(entry.first);
    if (key.empty() || entry.second.empty()) continue;
    if (words_.emplace(key, entry.second).second) {
      order.push_back(std::move(key));
    }
  }
  if (order.empty()) return;
  ++changes_;
  order.insert(order.end(), std::make_move_iterator(order_.begin()),
               std::make_move_iterator(order_.end()));
  order_.swap(order);
  while (words_.size() > kCapacity) {
    words_.erase(order_.front());
    order_.pop_front();
  }
}

void UserCache::Clear() {
  if (!words_.empty()) ++changes_;
  words_.clear();
  order_.clear();
}

}  // namespace ime_t13n
