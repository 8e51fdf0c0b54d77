// The language data file: its name, its header and a bounds-checked reader
// of the values its sections are made of. The loader and the writer of the
// file both use these definitions.
//
// Layout: a 16-byte header (checksum, body offset, reserved word, version;
// little-endian u32 each), then at the body offset eight sections back to
// back with no padding: 0 the Suggest dictionary, 1 the Language message,
// 2 the rule-count records, 3 the lookup words (first part), 4 the
// character-class lists, 5 the lookup words (second part), 6 the segment
// records, 7 the key/value lines. The file is at least 4,000,000 bytes long;
// nothing after section 7 is read.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_FORMAT_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace ime_t13n {

// "data.00000" in the folder of the language.
extern const char kDataFileName[];
// The shared mapping of a language's file is named by the language code
// followed directly by this text.
extern const wchar_t kDataMappingSuffix[];

// Files shorter than this are refused.
constexpr uint32_t kMinimumDataFileSize = 4000000;
constexpr uint32_t kDataHeaderSize = 16;
// Versions above this one are refused.
constexpr uint32_t kNewestDataVersion = 4;

// Offsets of the header's fields.
constexpr size_t kHeaderChecksumOffset = 0;
constexpr size_t kHeaderBodyOffsetOffset = 4;
constexpr size_t kHeaderReservedOffset = 8;
constexpr size_t kHeaderVersionOffset = 12;

// The Adler-32 (start value 1) of bytes 4..15 of |header|: the value the
// header's first word must hold. The checksum covers the header only.
uint32_t DataHeaderChecksum(const uint8_t* header);

// Reads the little-endian values of a section from [position, end). Every
// read checks that its bytes lie before the end; a read that does not fit
// returns false and leaves the position where it was, so nothing is ever
// read outside the range.
class DataCursor {
 public:
  DataCursor(const uint8_t* begin, const uint8_t* end)
      : position_(begin), end_(end) {}

  const uint8_t* position() const { return position_; }
  size_t remaining() const { return static_cast<size_t>(end_ - position_); }

  bool ReadInt32(int32_t* value);
  bool ReadUInt32(uint32_t* value);
  bool ReadFloat(float* value);
  // A record count: a value of 0 or below reads as 0. False also when the
  // count could not hold |min_record_size| bytes each in what remains, so
  // that an impossible count fails before any record is read.
  bool ReadCount(size_t min_record_size, int32_t* count);
  // An i32 byte length L (negative is invalid), then L bytes of UTF-16LE:
  // L >> 1 units; an odd last byte is skipped.
  bool ReadWideString(std::wstring* text);
  // An i32 byte length L (negative is invalid), then L bytes as they are.
  bool ReadByteString(std::string* text);
  // Points |*bytes| at the next |count| bytes and moves past them.
  bool ReadBytes(size_t count, const uint8_t** bytes);
  bool Skip(size_t count);

 private:
  bool ReadLength(int32_t* length);

  const uint8_t* position_;
  const uint8_t* end_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_FORMAT_H_
