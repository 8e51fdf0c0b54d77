// Keeps the N largest of a stream of values without sorting the stream and
// tells the smallest of them.
//
// While no more than N values have come the values are only stored (and the
// smallest found on request); from the (N + 1)-th value on, the N best form
// a min-heap in the first N slots and the last slot takes the value that was
// dropped last. So a push costs O(log N) at most and allocates only while
// the vector grows to N + 1 values. The value type needs only operator>.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_TOP_N_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_TOP_N_H_

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace ime_t13n {

// Reports a call of TopN::bottom() on a selection that keeps nothing, at
// level FATAL: the process ends unless a debugger is attached.
void TopNEmptyCheckFailed(const char* file, int line);

template <typename T>
class TopN {
 public:
  explicit TopN(size_t limit) : limit_(limit), state_(kUnordered) {}

  void push(const T& value) {
    if (state_ == kHeap) {
      if (!(value > elements_.front())) return;
      elements_.back() = value;
      std::push_heap(elements_.begin(), elements_.end(), Greater());
      std::pop_heap(elements_.begin(), elements_.end(), Greater());
      return;
    }
    // The vector will hold up to N + 1 values: one allocation, not one per
    // doubling (the transliterator makes a selection per suffix of every
    // typed word).
    if (elements_.capacity() == 0) {
      elements_.reserve(std::min(limit_, kMaxReserve - 1) + 1);
    }
    if (state_ == kBottomKnown && !(value > elements_.front())) {
      // The new value is the smallest: it takes index 0.
      elements_.push_back(elements_.front());
      elements_.front() = value;
    } else {
      elements_.push_back(value);
    }
    if (elements_.size() == limit_ + 1) {
      std::make_heap(elements_.begin(), elements_.end(), Greater());
      std::pop_heap(elements_.begin(), elements_.end(), Greater());
      state_ = kHeap;
    }
  }

  // The smallest kept value: the N-th largest once more than N values have
  // come, otherwise the smallest of all. Nothing kept is a fatal error.
  const T& bottom() {
    if (std::min(elements_.size(), limit_) == 0) {
      TopNEmptyCheckFailed(__FILE__, __LINE__);
      // Only reached under a debugger, which goes on after the break.
      static const T kNothing{};
      return kNothing;
    }
    if (state_ == kUnordered) {
      size_t smallest = 0;
      for (size_t i = 1; i < elements_.size(); ++i) {
        if (elements_[smallest] > elements_[i]) smallest = i;
      }
      std::swap(elements_[0], elements_[smallest]);
      state_ = kBottomKnown;
    }
    return elements_.front();
  }

  size_t limit() const { return limit_; }

 private:
  static constexpr size_t kMaxReserve = 1024;

  enum State {
    kUnordered = 0,    // at most N values, in arrival order
    kBottomKnown = 1,  // at most N values, the smallest at index 0
    kHeap = 2,         // N + 1 values: a min-heap of N, then the dropped one
  };

  // Orders a heap with its smallest value on top, through operator> only.
  struct Greater {
    bool operator()(const T& a, const T& b) const { return a > b; }
  };

  std::vector<T> elements_;
  size_t limit_;
  State state_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_TOP_N_H_
