#include "ime/t13n/transliteration/transliterator/native_score_map.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ime_t13n {

namespace {

// Scores of an ordinary word stay within 2^-64 .. 2^64; other maps keep
// their highest score within 2^-32 .. 2^32 at an exponent that is a
// multiple of 64 (so that neighbouring suffixes mostly share theirs); an
// alignment keeps every score below 2^64, leaving room for the factors a
// combination multiplies in, and uses factors up to 2^126.
constexpr int kOrdinaryPower = 64;
constexpr int kExponentStep = 64;
constexpr int kHeadroomPower = 64;
constexpr int kMaxFactorPower = 126;
// The same bounds as floats, for the quick tests of the usual case.
constexpr float kHeadroom = 0x1p64f;     // 2^kHeadroomPower
constexpr float kOrdinaryLow = 0x1p-64f;  // 2^-kOrdinaryPower
constexpr float kOrdinaryHigh = 0x1p64f;  // 2^kOrdinaryPower

// The power of two at or above |value| (> 0): value <= 2^power.
int PowerOf(double value) {
  int power = 0;
  const double fraction = std::frexp(value, &power);
  return fraction == 0.5 ? power - 1 : power;
}

}  // namespace

HashedText HashedText::Of(const wchar_t* text, size_t length) {
  HashedText hashed{text, static_cast<uint32_t>(length), 0, 1};
  for (size_t i = 0; i < length; ++i) {
    hashed.hash = hashed.hash * kHashBase + static_cast<uint16_t>(text[i]);
    hashed.power *= kHashBase;
  }
  return hashed;
}

namespace {

// Whether the |length| units at |a| and |b| are the same; the texts
// compared are a few units long.
inline bool SameUnits(const wchar_t* a, const wchar_t* b, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// Makes room for |more| units after what |text| holds, growing it
// geometrically, so that units can be pushed while their source lies in the
// same buffer.
void ReserveMore(std::vector<wchar_t>* text, size_t more) {
  const size_t needed = text->size() + more;
  if (needed > text->capacity()) {
    text->reserve(std::max(needed, 2 * text->capacity()));
  }
}

}  // namespace

void FinishedReadings::Clear() {
  entries_.clear();
  powers_.clear();
  heads_.clear();
}

uint32_t FinishedReadings::Add(const NativeEntry& entry, const wchar_t* head) {
  NativeEntry copy = entry;
  copy.head = static_cast<uint32_t>(heads_.size());
  copy.given_head = false;
  const bool whole = entry.tail != NativeEntry::kNoTail &&
                     entry.length <= NativeScoreMap::kWholeKeyUnits;
  ReserveMore(&heads_, whole ? entry.length : entry.head_length);
  // Unit by unit: heads are a few units long.
  for (uint32_t i = 0; i < entry.head_length; ++i) heads_.push_back(head[i]);
  uint64_t power = HashedText::Of(head, entry.head_length).power;
  if (entry.tail != NativeEntry::kNoTail) power *= powers_[entry.tail];
  if (whole) {
    // The rest's units follow the head. They lie in this buffer too, so
    // they are read by position (the room is reserved).
    for (uint32_t t = entry.tail; t != NativeEntry::kNoTail;
         t = entries_[t].tail) {
      const NativeEntry& reading = entries_[t];
      for (uint32_t i = 0; i < reading.head_length; ++i) {
        heads_.push_back(heads_[reading.head + i]);
      }
    }
    copy.head_length = entry.length;
    copy.tail = NativeEntry::kNoTail;
  }
  if (copy.head_length > 0) {
    copy.first = heads_[copy.head];
  } else if (copy.tail != NativeEntry::kNoTail) {
    copy.first = entries_[copy.tail].first;
  } else {
    copy.first = 0;
  }
  entries_.push_back(copy);
  powers_.push_back(power);
  return static_cast<uint32_t>(entries_.size() - 1);
}

void FinishedReadings::AppendKey(uint32_t index, std::wstring* out,
                                 size_t limit) const {
  if (index == NativeEntry::kNoTail || limit == 0) return;
  const size_t length = std::min<size_t>(entries_[index].length, limit);
  const size_t start = out->size();
  out->resize(start + length);
  wchar_t* next = &(*out)[start];
  wchar_t* const end = next + length;
  while (index != NativeEntry::kNoTail && next != end) {
    const NativeEntry& reading = entries_[index];
    const size_t units =
        std::min<size_t>(reading.head_length, static_cast<size_t>(end - next));
    next = std::copy(head(reading), head(reading) + units, next);
    index = reading.tail;
  }
}

void NativeScoreMap::Clear() {
  keys_.clear();
  entries_.clear();
  exponent_ = 0;
  highest_ = 0.0f;
  stale_ = false;
  if (++generation_ == 0x10000) {
    std::fill(slots_.begin(), slots_.end(), 0);
    generation_ = 1;
  }
}

void NativeScoreMap::AppendKey(const Entry& entry, std::wstring* out,
                               size_t limit) const {
  const size_t units = std::min<size_t>(entry.head_length, limit);
  out->append(head(entry), units);
  if (tails_ != nullptr) tails_->AppendKey(entry.tail, out, limit - units);
}

bool NativeScoreMap::KeyEquals(const Entry& entry, const wchar_t* head,
                               uint32_t head_length, uint32_t tail) const {
  // The lengths are equal (the caller compared them).
  const wchar_t* a = this->head(entry);
  if (entry.tail == tail) {
    // The same rest: the heads decide, and they are as long.
    return SameUnits(a, head, head_length);
  }
  // Both keys chunk by chunk: a head, then the heads of the finished
  // readings each goes on with. Two keys that go on with the same finished
  // reading from the same point are equal from there.
  uint32_t a_left = entry.head_length;
  uint32_t a_tail = entry.tail;
  const wchar_t* b = head;
  uint32_t b_left = head_length;
  uint32_t b_tail = tail;
  // Moves a key whose chunk is used up to the head of the finished reading
  // it goes on with; false when it goes on with none.
  auto next_chunk = [this](const wchar_t*& at, uint32_t& left, uint32_t& rest) {
    if (rest == NativeEntry::kNoTail) return false;
    const NativeEntry& reading = tails_->at(rest);
    at = tails_->head(reading);
    left = reading.head_length;
    rest = reading.tail;
    return true;
  };
  for (;;) {
    if (a_left == 0 && b_left == 0 && a_tail == b_tail) return true;
    if (a_left == 0) {
      if (!next_chunk(a, a_left, a_tail)) return false;  // b is longer
      continue;
    }
    if (b_left == 0) {
      if (!next_chunk(b, b_left, b_tail)) return false;  // a is longer
      continue;
    }
    const uint32_t units = std::min(a_left, b_left);
    if (!SameUnits(a, b, units)) return false;
    a += units;
    b += units;
    a_left -= units;
    b_left -= units;
  }
}

void NativeScoreMap::Rehash(size_t slot_count) const {
  stale_ = false;
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

float NativeScoreMap::Insert(size_t slot, uint32_t head, uint32_t head_length,
                             uint32_t tail, uint64_t hash, uint32_t length,
                             bool given, float delta) {
  // Keep the table at most half full.
  if ((entries_.size() + 1) * 2 > slots_.size()) {
    Rehash(slots_.size() * 2);
    const wchar_t* text = (given ? text_->data() : keys_.data()) + head;
    slot = Probe(text, head_length, tail, hash, length);
  }
  Entry entry;
  entry.hash = hash;
  entry.length = length;
  entry.score = 0.0f + delta;
  entry.head = head;
  entry.head_length = head_length;
  entry.tail = tail;
  entry.first = 0;
  entry.given_head = given;
  slots_[slot] = MakeSlot(generation_, hash, entries_.size());
  entries_.push_back(entry);
  NoteScore(entry.score);
  return entry.score;
}

float NativeScoreMap::Add(const wchar_t* key, size_t length, float delta) {
  Prepare();
  const HashedText whole = HashedText::Of(key, length);
  const uint32_t units = static_cast<uint32_t>(length);
  const size_t slot =
      Probe(key, units, NativeEntry::kNoTail, whole.hash, units);
  const uint64_t value = slots_[slot];
  if (SlotUsed(value)) {
    return entries_[static_cast<uint32_t>(value) - 1].score += delta;
  }
  // The key goes into the map's own buffer first: the probe after a
  // rehash reads it there.
  const uint32_t head = static_cast<uint32_t>(keys_.size());
  for (size_t i = 0; i < length; ++i) keys_.push_back(key[i]);
  return Insert(slot, head, units, NativeEntry::kNoTail, whole.hash, units,
                false, delta);
}

void NativeScoreMap::MakeShortKeysWhole() {
  for (Entry& entry : entries_) {
    if (entry.tail == NativeEntry::kNoTail ||
        entry.length > kWholeKeyUnits) {
      continue;
    }
    const uint32_t start = static_cast<uint32_t>(keys_.size());
    // The head may lie in this very buffer: it stays where it is while the
    // reserved room fills. Unit by unit: the keys are short.
    ReserveMore(&keys_, entry.length);
    const wchar_t* const source = head(entry);
    for (uint32_t i = 0; i < entry.head_length; ++i) {
      keys_.push_back(source[i]);
    }
    for (uint32_t t = entry.tail; t != NativeEntry::kNoTail;) {
      const NativeEntry& reading = tails_->at(t);
      const wchar_t* text = tails_->head(reading);
      for (uint32_t i = 0; i < reading.head_length; ++i) {
        keys_.push_back(text[i]);
      }
      t = reading.tail;
    }
    entry.head = start;
    entry.head_length = entry.length;
    entry.tail = NativeEntry::kNoTail;
    entry.given_head = false;
  }
}

const NativeScoreMap::Entry* NativeScoreMap::Find(const wchar_t* key,
                                                  size_t length) const {
  if (slots_.empty()) return nullptr;
  if (stale_) Rehash(slots_.size());
  const HashedText whole = HashedText::Of(key, length);
  const uint32_t units = static_cast<uint32_t>(length);
  const size_t slot =
      Probe(key, units, NativeEntry::kNoTail, whole.hash, units);
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
  // The table is made again when the map is next looked into: a map cut to
  // the beam is mostly only read from then on.
  stale_ = true;
}

void NativeScoreMap::Shift(int shift) {
  if (shift == 0) return;
  for (Entry& entry : entries_) entry.score = std::ldexp(entry.score, shift);
  highest_ = std::ldexp(highest_, shift);
  exponent_ += shift;
}

float NativeScoreMap::AlignFor(int exponent, double highest) {
  if (entries_.empty()) {
    exponent_ = exponent;
    highest_ = 0.0f;
    return 1.0f;
  }
  // The usual case, an ordinary word's: nothing to move.
  if (exponent == exponent_ && highest_ < kHeadroom && highest < kHeadroom) {
    return 1.0f;
  }
  // The highest exponent at which both the map's scores and the incoming
  // ones stay below 2^kHeadroomPower; and a factor of at most 2^126.
  int limit = exponent + kMaxFactorPower;
  if (highest_ > 0.0f) {
    limit = std::min(limit, exponent_ + kHeadroomPower - PowerOf(highest_));
  }
  if (highest > 0.0 && std::isfinite(highest)) {
    limit = std::min(limit, exponent + kHeadroomPower - PowerOf(highest));
  }
  if (exponent_ > limit) Shift(limit - exponent_);
  return std::ldexp(1.0f, exponent_ - exponent);
}

void NativeScoreMap::Normalize() {
  float highest = 0.0f;
  for (const Entry& entry : entries_) {
    const float magnitude = std::fabs(entry.score);
    if (std::isfinite(magnitude) && magnitude > highest) highest = magnitude;
  }
  highest_ = highest;
  if (highest == 0.0f) return;
  if (exponent_ == 0 && highest > kOrdinaryLow && highest <= kOrdinaryHigh) {
    return;
  }
  // The true highest score lies in (2^(power - 1), 2^power].
  const int power = PowerOf(highest) - exponent_;
  int target = 0;
  if (power <= -kOrdinaryPower || power > kOrdinaryPower) {
    // The multiple of kExponentStep nearest to -power.
    const int x = power + kExponentStep / 2;
    const int steps = x >= 0 ? x / kExponentStep
                             : -((-x + kExponentStep - 1) / kExponentStep);
    target = -steps * kExponentStep;
  }
  Shift(target - exponent_);
}

}  // namespace ime_t13n
