#include "ime/t13n/transliteration/transliterator/native_score_map.h"

#include <algorithm>
#include <cstring>

namespace ime_t13n {

namespace {

constexpr size_t kInitialSlots = 64;

}  // namespace

void NativeScoreMap::Clear() {
  keys_.clear();
  entries_.clear();
  std::fill(slots_.begin(), slots_.end(), 0);
}

uint32_t NativeScoreMap::Hash(const wchar_t* key, size_t length) {
  // FNV-1a over the units.
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < length; ++i) {
    hash ^= static_cast<uint16_t>(key[i]);
    hash *= 16777619u;
  }
  return hash;
}

size_t NativeScoreMap::Probe(const wchar_t* key, size_t length,
                             uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  size_t slot = hash & mask;
  while (slots_[slot] != 0) {
    const Entry& entry = entries_[slots_[slot] - 1];
    if (entry.hash == hash && entry.length == length &&
        std::wmemcmp(keys_.data() + entry.offset, key, length) == 0) {
      break;
    }
    slot = (slot + 1) & mask;
  }
  return slot;
}

void NativeScoreMap::Rehash(size_t slot_count) {
  slots_.assign(slot_count, 0);
  const size_t mask = slot_count - 1;
  for (size_t i = 0; i < entries_.size(); ++i) {
    size_t slot = entries_[i].hash & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = static_cast<uint32_t>(i + 1);
  }
}

float NativeScoreMap::Add(const wchar_t* key, size_t length, float delta) {
  if (slots_.empty()) Rehash(kInitialSlots);
  const uint32_t hash = Hash(key, length);
  size_t slot = Probe(key, length, hash);
  if (slots_[slot] != 0) {
    return entries_[slots_[slot] - 1].score += delta;
  }
  // Keep the table at most half full.
  if ((entries_.size() + 1) * 2 > slots_.size()) {
    Rehash(slots_.size() * 2);
    slot = Probe(key, length, hash);
  }
  Entry entry;
  entry.offset = static_cast<uint32_t>(keys_.size());
  entry.length = static_cast<uint32_t>(length);
  entry.hash = hash;
  entry.score = 0.0f + delta;
  keys_.insert(keys_.end(), key, key + length);
  entries_.push_back(entry);
  slots_[slot] = static_cast<uint32_t>(entries_.size());
  return entry.score;
}

const NativeScoreMap::Entry* NativeScoreMap::Find(const wchar_t* key,
                                                  size_t length) const {
  if (slots_.empty()) return nullptr;
  const size_t slot = Probe(key, length, Hash(key, length));
  return slots_[slot] != 0 ? &entries_[slots_[slot] - 1] : nullptr;
}

void NativeScoreMap::EraseBelow(float bottom) {
  auto kept = std::remove_if(entries_.begin(), entries_.end(),
                             [bottom](const Entry& e) {
                               return e.score < bottom;
                             });
  if (kept == entries_.end()) return;
  entries_.erase(kept, entries_.end());
  Rehash(slots_.size());
}

}  // namespace ime_t13n
