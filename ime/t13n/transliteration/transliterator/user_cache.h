// The user's own choices: for a typed English word, the native word the user
// committed for it. At most 2000 words are kept; when a new word would make
// 2001 the word that entered first goes. Replacing the native word of a
// word already there does not renew its place.
//
// The order of entry is what the user-cache file keeps: the cache is listed
// oldest first, and a list read back from the file enters in that order, so
// the word that goes first is still the oldest after any number of saves
// and loads.
//
// A change count tells whether the words differ from those seen before: it
// grows with every change of the held words (and only then), so that the
// user-cache file is written only when there is something new to write.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_USER_CACHE_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_USER_CACHE_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ime_t13n {

class UserCache {
 public:
  static constexpr size_t kCapacity = 2000;

  UserCache() = default;
  UserCache(const UserCache&) = delete;
  UserCache& operator=(const UserCache&) = delete;

  // Records that |english| (its spaces removed, case kept) became |native|.
  // An empty key or native word records nothing. A word already present
  // keeps its native word unless |overwrite| is true.
  void Add(const std::wstring& english, const std::wstring& native,
           bool overwrite);

  // The native word recorded for exactly |key|; null when there is none.
  const std::wstring* Find(const std::wstring& key) const;

  using Entry = std::pair<std::wstring, std::wstring>;

  // Every (English, native) pair appended to |out| in the order the words
  // entered, the oldest (the next to go) first.
  void List(std::vector<Entry>* out) const;

  // Merges |older|, a list of (English, native) pairs oldest first, as words
  // that entered before every word held here: the held words keep their
  // native words and their order, and the words only |older| has are placed
  // in front of them in its order (the first of a repeated word counts;
  // keys are made as Add makes them). Then the oldest words go until at
  // most 2000 remain. On an empty cache, and for at most 2000 pairs (all a
  // file holds), this is the same as adding the pairs in order without
  // overwriting.
  void MergeOlder(const std::vector<Entry>& older);

  void Clear();
  size_t size() const { return words_.size(); }

  // Grows with every change of the words, their native words or their
  // order; an Add that records nothing new, a merge that adds nothing and
  // clearing an empty cache leave it as it is.
  uint64_t changes() const { return changes_; }

 private:
  std::unordered_map<std::wstring, std::wstring> words_;
  // English words, oldest first; every word of |words_| exactly once.
  std::deque<std::wstring> order_;
  uint64_t changes_ = 0;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_USER_CACHE_H_
