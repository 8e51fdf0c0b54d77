// Writes language data files: the tests build files of any shape with it,
// and the language-data builder writes the shipped files with it, so that
// the reader and the writer share one definition of the format
// (language_data_format.h).
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_WRITER_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ime/t13n/transliteration/transliterator/language_data_format.h"

namespace ime_t13n {

// Appends values in the file's encoding (little-endian, no padding).
class DataWriter {
 public:
  void AppendInt32(int32_t value);
  void AppendUInt32(uint32_t value);
  void AppendFloat(float value);
  // Byte length, then UTF-16LE.
  void AppendWideString(const std::wstring& text);
  // As AppendWideString, of the scrambled text.
  void AppendScrambledString(const std::wstring& text);
  // Byte length, then the bytes.
  void AppendByteString(const std::string& text);
  void AppendBytes(const std::string& bytes) { bytes_ += bytes; }

  const std::string& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  std::string bytes_;
};

// A native word or segment with its score or probability.
typedef std::pair<std::wstring, float> NativeScore;

// Everything a data file holds, in plain (unscrambled) form.
struct LanguageDataContents {
  struct Rule {
    int32_t rule_name;  // LanguageRule::RuleName
    std::wstring first;
    std::wstring second;
    int32_t count;
  };
  struct Lookup {
    std::wstring english;
    std::vector<NativeScore> natives;
  };
  struct Segment {
    std::wstring english;
    int32_t type;  // EnglishMappingProbabilities::SegmentType
    float weight;
    std::vector<NativeScore> natives;
  };

  // Section 0: the words of the Suggest dictionary with their scores.
  std::vector<std::pair<std::wstring, int32_t>> dictionary_words;
  // Section 1: a serialized Language message, stored as it is.
  std::string language_message;
  std::vector<Rule> rules;                     // section 2
  std::vector<Lookup> lookups;                 // section 3
  std::vector<std::wstring> char_class_lists;  // section 4
  std::vector<Lookup> more_lookups;            // section 5
  std::vector<Segment> segments;               // section 6
  std::vector<std::string> key_value_lines;    // section 7
};

constexpr int kDataSectionCount = 8;

// The body: the eight sections back to back. When |section_offsets| is
// given it receives the offset of each section in the body and, last, the
// body's size (kDataSectionCount + 1 values). Empty when the dictionary
// words cannot be stored (see BuildSuggestSection).
std::string WriteDataBody(const LanguageDataContents& contents,
                          std::vector<size_t>* section_offsets = nullptr);

// The section writers, each appending one section. The dictionary section
// is refused (false, nothing appended) for words it cannot hold.
bool WriteDictionarySection(
    const std::vector<std::pair<std::wstring, int32_t>>& words,
    DataWriter* out);
void WriteLanguageSection(const std::string& message, DataWriter* out);
void WriteRuleSection(const std::vector<LanguageDataContents::Rule>& rules,
                      DataWriter* out);
void WriteLookupSection(
    const std::vector<LanguageDataContents::Lookup>& lookups,
    DataWriter* out);
void WriteStringListSection(const std::vector<std::wstring>& lists,
                            DataWriter* out);
void WriteSegmentSection(
    const std::vector<LanguageDataContents::Segment>& segments,
    DataWriter* out);
void WriteByteStringSection(const std::vector<std::string>& lines,
                            DataWriter* out);

// Where the body goes and what the header says.
struct DataFileLayout {
  uint32_t version = kNewestDataVersion;
  uint32_t reserved = 0;
  // The file is padded with zeros to this size when the body leaves room.
  size_t file_size = kMinimumDataFileSize;
  // False: the body follows the header. True: it ends at the end of the
  // file, so that any read past it would be a read past the file.
  bool body_at_end = false;
};

// A whole file: the header with its checksum, then |body| placed as
// |layout| says.
std::string WriteDataFile(const std::string& body,
                          const DataFileLayout& layout = DataFileLayout());

// The whole file of |contents|; empty when its dictionary words cannot be
// stored.
std::string WriteLanguageDataFile(
    const LanguageDataContents& contents,
    const DataFileLayout& layout = DataFileLayout());

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_WRITER_H_
