// The user's own choices: for a typed English word, the native word the user
// committed for it. At most 2000 words are kept; when a new word would make
// 2001 the word that entered first goes. Replacing the native word of a
// word already there does not renew its place.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_USER_CACHE_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_USER_CACHE_H_

#include <cstddef>
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

  // Every (English, native) pair, in the map's own order.
  void List(std::vector<std::pair<std::wstring, std::wstring>>* out) const;

  void Clear();
  size_t size() const { return words_.size(); }

 private:
  std::unordered_map<std::wstring, std::wstring> words_;
  // English words, oldest first; every word of |words_| exactly once.
  std::deque<std::wstring> order_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_USER_CACHE_H_
