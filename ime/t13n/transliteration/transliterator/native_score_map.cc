#include "ime/t13n/transliteration/transliterator/native_score_map.h"

#include <algorithm>

namespace ime_t13n {

namespace {

constexpr int kInitialSlotBits = 6;

}  // namespace

HashedText HashedText::Of(const wchar_t* text, size_t length) {
  HashedText hashed{text, static_cast<uint32_t>(length), 0, 1};
  for (size_t i = 0; i < length; ++i) {
    hashed.hash = hashed.hash * kHashBase + static_cast<uint16_t>(text[i]);
    hashed.power *= kHashBase;
  }
  return hashed;
}

void NativeScoreMap::Clear() {
  keys_.clear();
  entries_.clear();
  if (++generation_ == 0x10000) {
    std::fill(slots_.begin(), slots_.end(), 0);
    generation_ = 1;
  }
}

size_t NativeScoreMap::SlotOf(uint64_t hash) const {
  // The high bits of a multiplicative mix: the low bits of a polynomial
  // hash depend on the low bits of the units alone.
  return static_cast<size_t>((hash * 0x9E3779B97F4A7C15ull) >>
                             (64 - slot_bits_));
}

bool NativeScoreMap::KeyEquals(const Entry& entry, const HashedText* parts,
                               int count) const {
  const wchar_t* stored = keys_.data() + entry.offset;
  for (int p = 0; p < count; ++p) {
    const wchar_t* text = parts[p].text;
    for (uint32_t i = 0; i < parts[p].length; ++i) {
      if (*stored++ != text[i]) return false;
    }
  }
  return true;
}

size_t NativeScoreMap::Probe(const HashedText* parts, int count,
                             const HashedText& combined) const {
  const size_t mask = slots_.size() - 1;
  const uint64_t tag = combined.hash >> 48;
  size_t slot = SlotOf(combined.hash);
  while (SlotUsed(slots_[slot])) {
    const uint64_t value = slots_[slot];
    if (((value >> 32) & 0xFFFF) == tag) {
      const Entry& entry = entries_[static_cast<uint32_t>(value) - 1];
      if (entry.hash == combined.hash && entry.length == combined.length &&
          KeyEquals(entry, parts, count)) {
        break;
      }
    }
    slot = (slot + 1) & mask;
  }
  return slot;
}

void NativeScoreMap::Rehash(size_t slot_count) {
  if (slot_count == slots_.size() && ++generation_ < 0x10000) {
    // The same table again: a new generation frees every slot.
  } else {
    slot_bits_ = 0;
    while ((size_t{1} << slot_bits_) < slot_count) ++slot_bits_;
    slots_.assign(size_t{1} << slot_bits_, 0);
    generation_ = 1;
  }
  const size_t mask = slots_.size() - 1;
  for (size_t i = 0; i < entries_.size(); ++i) {
    size_t slot = SlotOf(entries_[i].hash);
    while (SlotUsed(slots_[slot])) slot = (slot + 1) & mask;
    slots_[slot] = MakeSlot(generation_, entries_[i].hash, i);
  }
}

float NativeScoreMap::Add(const wchar_t* key, size_t length, float delta) {
  const HashedText whole = HashedText::Of(key, length);
  return AddJoined(&whole, 1, whole, delta);
}

float NativeScoreMap::AddJoined(const HashedText* parts, int count,
                                const HashedText& combined, float delta) {
  if (slots_.empty()) Rehash(size_t{1} << kInitialSlotBits);
  size_t slot = Probe(parts, count, combined);
  if (SlotUsed(slots_[slot])) {
    return entries_[static_cast<uint32_t>(slots_[slot]) - 1].score += delta;
  }
  // Keep the table at most half full.
  if ((entries_.size() + 1) * 2 > slots_.size()) {
    Rehash(slots_.size() * 2);
    slot = Probe(parts, count, combined);
  }
  Entry entry;
  entry.offset = static_cast<uint32_t>(keys_.size());
  entry.length = combined.length;
  entry.hash = combined.hash;
  entry.power = combined.power;
  entry.score = 0.0f + delta;
  // Unit by unit: the pieces are a few units long.
  for (int p = 0; p < count; ++p) {
    for (uint32_t i = 0; i < parts[p].length; ++i) {
      keys_.push_back(parts[p].text[i]);
    }
  }
  slots_[slot] = MakeSlot(generation_, combined.hash, entries_.size());
  entries_.push_back(entry);
  return entry.score;
}

const NativeScoreMap::Entry* NativeScoreMap::Find(const wchar_t* key,
                                                  size_t length) const {
  if (slots_.empty()) return nullptr;
  const HashedText whole = HashedText::Of(key, length);
  const size_t slot = Probe(&whole, 1, whole);
  return SlotUsed(slots_[slot])
             ? &entries_[static_cast<uint32_t>(slots_[slot]) - 1]
             : nullptr;
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
