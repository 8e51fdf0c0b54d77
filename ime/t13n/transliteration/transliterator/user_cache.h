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
// Several processes share the file, each with a cache of its own. The file
// is what they agree on; what a process adds to it is only what it changed
// itself: the cache remembers which of its words were learned or corrected
// here since the file was last read or written (the changed words). Merging
// the file makes the cache the file's words, in the file's order, with this
// process's changed words put in: so a correction made elsewhere reaches
// this process, a word another process learned is never taken for one older
// than this process's own, and nothing this process merely read is ever
// written back over another's newer choice.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_USER_CACHE_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_USER_CACHE_H_

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>
#include <unordered_set>
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
  // keeps its native word unless |overwrite| is true. A word that gets a
  // native word it did not have counts as changed.
  void Add(const std::wstring& english, const std::wstring& native,
           bool overwrite);

  // The native word recorded for exactly |key|; null when there is none.
  const std::wstring* Find(const std::wstring& key) const;

  using Entry = std::pair<std::wstring, std::wstring>;

  // Every (English, native) pair appended to |out| in the order the words
  // entered, the oldest (the next to go) first.
  void List(std::vector<Entry>* out) const;
  // The changed words' pairs, appended in the same order.
  void ListChanged(std::vector<Entry>* out) const;

  // Merges the words read from the user-cache file, oldest first: the cache
  // becomes the file's words in the file's order (the first of a repeated
  // word counts; keys are made as Add makes them). Then each changed word
  // goes in: where the file has the word, this cache's native word takes
  // the file's in place; where it does not, the word is appended as the
  // newest. Then the oldest words go until at most 2000 remain. Words held
  // here unchanged that the file no longer has are gone afterwards; the
  // changed words stay changed.
  void MergeFile(const std::vector<Entry>& file);

  // The file now holds what the cache holds: nothing counts as changed.
  void ForgetChanges() { changed_.clear(); }
  bool has_changes() const { return !changed_.empty(); }

  // Empties the cache; nothing counts as changed afterwards.
  void Clear();
  size_t size() const { return words_.size(); }

 private:
  // Removes the oldest words until at most kCapacity remain.
  void Trim();

  std::unordered_map<std::wstring, std::wstring> words_;
  // English words, oldest first; every word of |words_| exactly once.
  std::deque<std::wstring> order_;
  // The keys of the changed words; each also in |words_|.
  std::unordered_set<std::wstring> changed_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_USER_CACHE_H_
