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

// Reads a key chunk by chunk: its own parts, then the heads of the
// finished readings it goes on with.
class KeyCursor {
 public:
  KeyCursor(const HashedText* parts, int count, uint32_t tail,
            const FinishedReadings* tails)
      : parts_(parts), parts_left_(count), tail_(tail), tails_(tails) {}

  // Units left in the current chunk, and the chunk.
  uint32_t left() const { return left_; }
  const wchar_t* text() const { return text_; }
  void Skip(uint32_t units) {
    text_ += units;
    left_ -= units;
  }
  // True when all that is left of the key is the finished reading tail().
  bool OnlyTail() const { return left_ == 0 && parts_left_ == 0; }
  uint32_t tail() const { return tail_; }
  // Moves on to the next chunk that holds a unit; false at the key's end.
  bool Next() {
    for (;;) {
      if (parts_left_ > 0) {
        text_ = parts_->text;
        left_ = parts_->length;
        ++parts_;
        --parts_left_;
      } else if (tail_ != NativeEntry::kNoTail) {
        const NativeEntry& reading = tails_->at(tail_);
        text_ = tails_->head(reading);
        left_ = reading.head_length;
        tail_ = reading.tail;
      } else {
        return false;
      }
      if (left_ > 0) return true;
    }
  }

 private:
  const wchar_t* text_ = nullptr;
  uint32_t left_ = 0;
  const HashedText* parts_;
  int parts_left_;
  uint32_t tail_;
  const FinishedReadings* tails_;
};

// Whether the keys read by |a| and |b| are the same. Two keys that go on
// with the same finished reading from the same point are equal from there.
bool SameKey(KeyCursor a, KeyCursor b) {
  for (;;) {
    if (a.OnlyTail() && b.OnlyTail() && a.tail() == b.tail()) return true;
    if (a.left() == 0 && !a.Next()) return b.left() == 0 && !b.Next();
    if (b.left() == 0 && !b.Next()) return false;
    const uint32_t units = std::min(a.left(), b.left());
    if (!SameUnits(a.text(), b.text(), units)) return false;
    a.Skip(units);
    b.Skip(units);
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
  heads_.insert(heads_.end(), head, head + entry.head_length);
  uint64_t power = HashedText::Of(head, entry.head_length).power;
  if (entry.tail != NativeEntry::kNoTail) {
    power *= powers_[entry.tail];
    if (entry.length <= NativeScoreMap::kWholeKeyUnits) {
      // The rest's units follow the head; they lie in this buffer too, so
      // they are copied by position.
      size_t next = heads_.size();
      heads_.resize(copy.head + entry.length);
      for (uint32_t t = entry.tail; t != NativeEntry::kNoTail;
           t = entries_[t].tail) {
        const NativeEntry& reading = entries_[t];
        for (uint32_t i = 0; i < reading.head_length; ++i) {
          heads_[next++] = heads_[reading.head + i];
        }
      }
      copy.head_length = entry.length;
      copy.tail = NativeEntry::kNoTail;
    }
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
  const wchar_t* stored = this->head(entry);
  if (entry.tail == tail) {
    // The same rest: the heads decide, and they are as long.
    return SameUnits(stored, head, head_length);
  }
  const HashedText mine{stored, entry.head_length, 0, 1};
  const HashedText theirs{head, head_length, 0, 1};
  return SameKey(KeyCursor(&mine, 1, entry.tail, tails_),
                 KeyCursor(&theirs, 1, tail, tails_));
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
  keys_.insert(keys_.end(), key, key + length);
  return Insert(slot, head, units, NativeEntry::kNoTail, whole.hash, units,
                false, delta);
}

void NativeScoreMap::MakeShortKeysWhole() {
  for (Entry& entry : entries_) {
    if (entry.tail == NativeEntry::kNoTail ||
        entry.length > kWholeKeyUnits) {
      continue;
    }
    // By position: the head may lie in this very buffer.
    const size_t start = keys_.size();
    keys_.resize(start + entry.length);
    const wchar_t* source =
        (entry.given_head ? text_->data() : keys_.data()) + entry.head;
    std::copy(source, source + entry.head_length, keys_.begin() + start);
    size_t next = start + entry.head_length;
    for (uint32_t t = entry.tail; t != NativeEntry::kNoTail;) {
      const NativeEntry& reading = tails_->at(t);
      const wchar_t* text = tails_->head(reading);
      std::copy(text, text + reading.head_length, keys_.begin() + next);
      next += reading.head_length;
      t = reading.tail;
    }
    entry.head = static_cast<uint32_t>(start);
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
