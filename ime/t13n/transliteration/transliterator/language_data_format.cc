#include "ime/t13n/transliteration/transliterator/language_data_format.h"

#include <zlib.h>

#include <cstring>

namespace ime_t13n {

const char kDataFileName[] = "data.00000";
const wchar_t kDataMappingSuffix[] = L"data.00000.map";

uint32_t DataHeaderChecksum(const uint8_t* header) {
  return static_cast<uint32_t>(
      adler32(1, header + kHeaderBodyOffsetOffset,
              kDataHeaderSize - kHeaderBodyOffsetOffset));
}

bool DataCursor::ReadBytes(size_t count, const uint8_t** bytes) {
  if (count > remaining()) return false;
  *bytes = position_;
  position_ += count;
  return true;
}

bool DataCursor::Skip(size_t count) {
  const uint8_t* ignored;
  return ReadBytes(count, &ignored);
}

bool DataCursor::ReadUInt32(uint32_t* value) {
  const uint8_t* bytes;
  if (!ReadBytes(4, &bytes)) return false;
  *value = static_cast<uint32_t>(bytes[0]) |
           (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) |
           (static_cast<uint32_t>(bytes[3]) << 24);
  return true;
}

bool DataCursor::ReadInt32(int32_t* value) {
  uint32_t bits;
  if (!ReadUInt32(&bits)) return false;
  *value = static_cast<int32_t>(bits);
  return true;
}

bool DataCursor::ReadFloat(float* value) {
  uint32_t bits;
  if (!ReadUInt32(&bits)) return false;
  static_assert(sizeof(float) == 4, "the file holds IEEE 754 singles");
  std::memcpy(value, &bits, sizeof(bits));
  return true;
}

bool DataCursor::ReadCount(size_t min_record_size, int32_t* count) {
  const uint8_t* start = position_;
  int32_t value;
  if (!ReadInt32(&value)) return false;
  if (value < 0) value = 0;
  if (min_record_size > 0 &&
      static_cast<size_t>(value) > remaining() / min_record_size) {
    position_ = start;
    return false;
  }
  *count = value;
  return true;
}

bool DataCursor::ReadLength(int32_t* length) {
  const uint8_t* start = position_;
  if (!ReadInt32(length)) return false;
  if (*length < 0 || static_cast<size_t>(*length) > remaining()) {
    position_ = start;
    return false;
  }
  return true;
}

bool DataCursor::ReadWideString(std::wstring* text) {
  int32_t length;
  if (!ReadLength(&length)) return false;
  const uint8_t* bytes;
  ReadBytes(static_cast<size_t>(length), &bytes);
  const size_t units = static_cast<size_t>(length) >> 1;
  text->resize(units);
  for (size_t i = 0; i < units; ++i) {
    (*text)[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return true;
}

bool DataCursor::ReadByteString(std::string* text) {
  int32_t length;
  if (!ReadLength(&length)) return false;
  const uint8_t* bytes;
  ReadBytes(static_cast<size_t>(length), &bytes);
  text->assign(reinterpret_cast<const char*>(bytes),
               static_cast<size_t>(length));
  return true;
}

}  // namespace ime_t13n
