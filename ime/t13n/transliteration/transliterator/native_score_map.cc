#include "ime/t13n/transliteration/transliterator/native_score_map.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
  exponent_ = 0;
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

namespace {

// A score as the beam orders it: a NaN (broken data) lowest.
float BeamKey(float score) {
  return std::isnan(score) ? -std::numeric_limits<float>::infinity() : score;
}

}  // namespace

void NativeScoreMap::EraseBelow(float bottom, size_t tied_kept) {
  const float key = BeamKey(bottom);
  size_t kept = 0;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const float k = BeamKey(entries_[i].score);
    if (k < key) continue;
    if (k == key) {
      if (tied_kept == 0) continue;
      --tied_kept;
    }
    entries_[kept++] = entries_[i];
  }
  if (kept == entries_.size()) return;
  entries_.resize(kept);
  Rehash(slots_.size());
}

void NativeScoreMap::Shift(int shift) {
  if (shift == 0) return;
  for (Entry& entry : entries_) entry.score = std::ldexp(entry.score, shift);
  exponent_ += shift;
}

float NativeScoreMap::AlignFor(int exponent) {
  if (entries_.empty()) {
    exponent_ = exponent;
    return 1.0f;
  }
  if (exponent_ - exponent > kExponentStep) {
    Shift(exponent + kExponentStep - exponent_);
  }
  return std::ldexp(1.0f, exponent_ - exponent);
}

void NativeScoreMap::Normalize() {
  float highest = 0.0f;
  for (const Entry& entry : entries_) {
    const float magnitude = std::fabs(entry.score);
    if (std::isfinite(magnitude) && magnitude > highest) highest = magnitude;
  }
  if (highest == 0.0f) return;
  // The true highest score is 2^(power - exponent_) times a fraction in
  // [1/2, 1); the exponent that puts it in [2^-kExponentStep, 1) rounds
  // -(power - exponent_) down to a multiple of the step.
  int power = 0;
  std::frexp(highest, &power);
  const int deficit = exponent_ - power;
  const int target =
      deficit >= 0 ? deficit / kExponentStep * kExponentStep : 0;
  Shift(target - exponent_);
}

}  // namespace ime_t13n
