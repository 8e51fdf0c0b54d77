#include "ime/t13n/transliteration/transliterator/language_data_format.h"

#include <string>

#include "gtest/gtest.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"

namespace ime_t13n {
namespace {

DataCursor CursorOver(const std::string& bytes) {
  const uint8_t* begin = reinterpret_cast<const uint8_t*>(bytes.data());
  return DataCursor(begin, begin + bytes.size());
}

TEST(DataCursorTest, ReadsLittleEndianValues) {
  DataWriter out;
  out.AppendInt32(-2);
  out.AppendUInt32(0x01020304);
  out.AppendFloat(1.5f);
  EXPECT_EQ(out.bytes().substr(4, 4), "\x04\x03\x02\x01");
  DataCursor cursor = CursorOver(out.bytes());
  int32_t i;
  uint32_t u;
  float f;
  ASSERT_TRUE(cursor.ReadInt32(&i) && cursor.ReadUInt32(&u) &&
              cursor.ReadFloat(&f));
  EXPECT_EQ(i, -2);
  EXPECT_EQ(u, 0x01020304u);
  EXPECT_EQ(f, 1.5f);
  EXPECT_EQ(cursor.remaining(), 0u);
  EXPECT_FALSE(cursor.ReadInt32(&i));
}

TEST(DataCursorTest, WideStringsOfOddOrZeroLength) {
  DataWriter out;
  out.AppendInt32(5);  // two units and a stray byte
  out.AppendBytes(std::string("a\0b\0z", 5));
  out.AppendInt32(1);  // a stray byte alone: the empty string
  out.AppendBytes("q");
  out.AppendInt32(0);
  DataCursor cursor = CursorOver(out.bytes());
  std::wstring text = L"old";
  ASSERT_TRUE(cursor.ReadWideString(&text));
  EXPECT_EQ(text, L"ab");
  ASSERT_TRUE(cursor.ReadWideString(&text));
  EXPECT_EQ(text, L"");
  ASSERT_TRUE(cursor.ReadWideString(&text));
  EXPECT_EQ(text, L"");
  EXPECT_EQ(cursor.remaining(), 0u);
}

TEST(DataCursorTest, LengthsAndCountsThatDoNotFitFailInPlace) {
  struct Case {
    int32_t length;
    size_t bytes_after;
  } cases[] = {{-1, 10}, {INT32_MIN, 10}, {11, 10}, {INT32_MAX, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    DataWriter out;
    out.AppendInt32(c.length);
    out.AppendBytes(std::string(c.bytes_after, 'x'));
    DataCursor cursor = CursorOver(out.bytes());
    std::wstring wide;
    std::string narrow;
    EXPECT_FALSE(cursor.ReadWideString(&wide));
    EXPECT_FALSE(cursor.ReadByteString(&narrow));
    EXPECT_EQ(cursor.remaining(), out.size()) << "the position stays";
  }

  DataWriter counts;
  counts.AppendInt32(3);
  counts.AppendBytes(std::string(8, 'x'));
  DataCursor cursor = CursorOver(counts.bytes());
  int32_t count;
  EXPECT_FALSE(cursor.ReadCount(4, &count)) << "3 records of 4 in 8 bytes";
  EXPECT_TRUE(cursor.ReadCount(2, &count));
  EXPECT_EQ(count, 3);

  DataWriter negative;
  negative.AppendInt32(-7);
  cursor = CursorOver(negative.bytes());
  ASSERT_TRUE(cursor.ReadCount(16, &count));
  EXPECT_EQ(count, 0) << "a count below 0 is an empty section";
}

}  // namespace
}  // namespace ime_t13n
