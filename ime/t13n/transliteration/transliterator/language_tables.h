// The in-memory tables that the language data file fills: the data loader
// reads them, the transliteration model takes them over.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_TABLES_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_TABLES_H_

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace ime_t13n {

// The six rule-count tables. The first three are filled by the records of
// the rules of the same number; the last three by the CHAR_POSITIONS
// records, by position.
enum RuleTableIndex {
  kConsecChars = 0,
  kConsecCharClasses = 1,
  kConsecPhoneticClasses = 2,
  kWordBeginPositions = 3,
  kWordMiddlePositions = 4,
  kWordEndPositions = 5,
  kRuleTableCount = 6,
};

// Key -> count.
typedef std::unordered_map<std::wstring, int32_t> RuleTable;

// A native word that a whole English word is known to become.
struct LookupWord {
  std::wstring indic_word;
  float score;
};
// English word -> its native words, in file order.
typedef std::unordered_map<std::wstring, std::vector<LookupWord>> LookupTable;

// A native segment, kept in the compact byte form of EncodeWordToBytes.
struct NativeSegment {
  std::string encoded;
  float probability;
};
struct SegmentEntry {
  float weight;
  std::vector<NativeSegment> segments;  // file order
};
// English segment -> its weight and native segments.
typedef std::unordered_map<std::wstring, SegmentEntry> SegmentTable;

// The segment tables, numbered as the segment types of the file.
enum SegmentTableIndex {
  kSimpleSegments = 0,
  kPrefixSegments = 1,
  kSuffixSegments = 2,
  kSegmentTableCount = 3,
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_TABLES_H_
