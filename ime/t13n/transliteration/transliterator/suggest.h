// The word dictionary of a language: native-script words with an integer
// score each, read in place from section 0 of the mapped language data file.
// It answers the score of a word (used by the transliterator to weight and
// recognise candidates) and the completions of words (longer dictionary
// words beginning with them, best first, shown after the transliterations).
//
// Section layout (little-endian, no padding):
//   u32 n                        characters in the code table
//   n x UTF-16 characters        ascending
//   n x u8 codes                 code of each character, same order
//   n x UTF-16 reverse table     entry b: the character whose code is b
//   u32 f                        number of entries
//   u32 g                        size of the coded text in bytes
//   f x 8-byte SuggestEntry      sorted by coded text in byte order
//   g bytes coded text           the coded words back to back
// Entry: first u32 = text offset (bits 0-23) | length (bits 24-31); second
// u32 = score (signed). suggest_writer.h builds such a section.
//
// The section is not trusted: Init checks every count, offset, length and
// code byte against the bytes it is given and refuses the section when any
// runs outside them, so no later operation reads outside those bytes.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_SUGGEST_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_SUGGEST_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ime_t13n {

// A word-score source. Slot order: GetScore, then the destructor.
class Dictionary {
 public:
  virtual float GetScore(const std::wstring& word) const = 0;
  virtual ~Dictionary() {}
};

// Maps UTF-16 units to one-byte codes and back. The three arrays are copies,
// so the table outlives the bytes it was read from.
class CharCodeTable {
 public:
  CharCodeTable() = default;

  // Copies |n| entries of each array, laid out as in the section:
  // |characters| and |reverse| UTF-16LE, |codes| one byte each.
  void Assign(const uint8_t* characters, const uint8_t* codes,
              const uint8_t* reverse, uint32_t n);
  void Clear();

  // The code of |unit|; a unit missing from the table gets the code of the
  // table's first character (0 for an empty table).
  uint8_t Encode(wchar_t unit) const { return direct_[static_cast<uint16_t>(unit)]; }
  // One code byte per unit of |word|.
  std::string EncodeWord(const std::wstring& word) const;
  // Replaces |out| with the characters of the |length| codes at |coded|.
  // False, with |out| cleared, when a code is not below size().
  bool Decode(const uint8_t* coded, size_t length, std::wstring* out) const;

  uint32_t size() const { return static_cast<uint32_t>(characters_.size()); }

 private:
  // The code of |unit| found by binary search in the characters.
  uint8_t Search(wchar_t unit) const;

  std::vector<wchar_t> characters_;
  std::vector<uint8_t> codes_;
  std::vector<wchar_t> reverse_;
  // The code of every UTF-16 unit, filled from the search above: words are
  // encoded for every dictionary lookup of a keystroke.
  std::vector<uint8_t> direct_ = std::vector<uint8_t>(0x10000, 0);
};

// One dictionary word, as decoded from its 8 bytes.
struct SuggestEntry {
  static constexpr size_t kSize = 8;
  static constexpr uint32_t kMaxTextOffset = 0x00FFFFFF;
  static constexpr uint32_t kMaxLength = 0xFF;

  uint32_t text_offset;  // byte offset of the word in the coded text
  uint32_t length;       // coded bytes = UTF-16 units of the word, 0..255
  int32_t score;

  static SuggestEntry FromBytes(const uint8_t* bytes);
  // Appends the 8-byte form to |out|. |text_offset| and |length| must fit
  // their bit fields.
  void AppendBytes(std::string* out) const;
};

// A completion offered for one of the words given to GetSuggestions.
struct SuggestionRecord {
  std::wstring source;      // the input word it completes
  std::wstring completion;  // the dictionary word
  int32_t score;            // the dictionary score of the completion
};

class Suggest : public Dictionary {
 public:
  // Raw score of the records that stand for the input words while
  // GetSuggestions merges; real dictionary words score below it.
  static constexpr int32_t kMarkerScore = 0x0FFFFFFF;
  static constexpr int32_t kDefaultMaxResults = 3;

  Suggest();
  ~Suggest() override;
  Suggest(const Suggest&) = delete;
  Suggest& operator=(const Suggest&) = delete;

  // Reads the section that starts at |section|, of which |available| bytes
  // are readable (in the data file: everything from the section's start to
  // the end of the mapping). On success stores the section's length in
  // |*section_size| (the next section starts there) and returns true; the
  // code table is copied, the entries and the coded text stay in place, so
  // those bytes must stay mapped while this object is used. False when a
  // count, offset or length runs past |available| or the coded text, or an
  // entry holds a code that is not below the table's size; the dictionary is
  // then empty. Any earlier content is dropped either way.
  bool Init(const uint8_t* section, size_t available, size_t* section_size);

  // The number of completions GetSuggestions keeps, per input word and in
  // all; 3 until set. The handler sets 2 x page size - 3. Below 0 counts as 0.
  void SetMaxResults(int32_t max_results);
  int32_t max_results() const { return max_results_; }

  int32_t entry_count() const { return entry_count_; }
  // Entry |index|; an empty entry with score 0 outside 0..entry_count()-1.
  SuggestEntry EntryAt(int32_t index) const;
  const CharCodeTable& code_table() const { return code_table_; }

  // The word stored for |entry| (an entry of this dictionary).
  std::wstring DecodeEntry(const SuggestEntry& entry) const;

  // The entries whose coded text begins with |coded_prefix| are the |*count|
  // entries from |*first| on; the prefix itself, when stored, comes first.
  void FindPrefixRange(const std::string& coded_prefix, int32_t* first,
                       int32_t* count) const;

  // The word's own score when it is stored; otherwise the sum of the scores
  // of the words that extend it, each halved per extra unit (shifted as an
  // unsigned 32-bit value, the shift taken modulo 32, the sum wrapping);
  // 0 when no word begins with it.
  float GetScore(const std::wstring& word) const override;
  // The same for the |length| units at |word|, without a copy.
  float GetScore(const wchar_t* word, size_t length) const;
  // GetScore in two steps: the entries [*first, *end) that begin with the
  // |length| units at |word| (none when *first == *end), then the score of
  // a word of |length| units from its range.
  void PrefixRange(const wchar_t* word, size_t length, int32_t* first,
                   int32_t* end) const;
  float ScoreOfRange(int32_t first, int32_t end, size_t length) const;

  // Replaces |out| with the best max_results() words that extend |word|
  // (never |word| itself), best first. A word up to 4 units longer keeps its
  // score; d units beyond that divide it by d squared. Equal values keep
  // file order.
  void CollectCompletions(const std::wstring& word,
                          std::vector<SuggestEntry>* out) const;

  // Appends to |out| (passed empty) the completions of all |words|: none
  // equal to an input word, each word once with its highest score, ordered
  // by score (ties by completion text), at most max_results() of them.
  void GetSuggestions(const std::vector<std::wstring>& words,
                      std::vector<SuggestionRecord>* out) const;

 private:
  void Reset();
  // Byte-order comparison of entry |index|'s text with |coded|.
  int CompareEntry(int32_t index, const std::string& coded) const;
  int32_t LowerBound(const std::string& coded) const;
  // Narrows [*first, *end), entries whose texts share their first |depth|
  // bytes, to those whose byte |depth| is |code|.
  void Narrow(uint32_t depth, uint8_t code, int32_t* first,
              int32_t* end) const;
  // Key of entry |index| at |depth|: 0 when the text ends before it,
  // otherwise its byte there plus 1. Rises along a range of entries that
  // share their first |depth| bytes.
  int KeyAt(int32_t index, uint32_t depth) const;

  const uint8_t* coded_text_ = nullptr;  // in the mapping, not owned
  const uint8_t* entries_ = nullptr;     // in the mapping, not owned
  int32_t max_results_ = kDefaultMaxResults;
  int32_t entry_count_ = 0;
  CharCodeTable code_table_;
  uint32_t text_size_ = 0;  // bytes of coded text
  // first_byte_start_[k]: the first entry whose key at depth 0 (see KeyAt)
  // is at least k, for k = 0..257: the entries beginning with code c are
  // those from first_byte_start_[c + 1] to first_byte_start_[c + 2].
  std::vector<int32_t> first_byte_start_;
  // The same one level down: second_byte_start_[258 * c + k] is the first
  // entry beginning with code c whose key at depth 1 is at least k, for
  // every code c of the table (made when the table has at most 255 codes).
  std::vector<int32_t> second_byte_start_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_SUGGEST_H_
