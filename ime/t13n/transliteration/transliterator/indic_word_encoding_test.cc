#include "ime/t13n/transliteration/transliterator/indic_word_encoding.h"

#include <random>
#include <string>

#include "gtest/gtest.h"

namespace ime_t13n {
namespace {

std::wstring Decoded(const std::string& bytes) {
  std::wstring out;
  DecodeEscapedEntry(bytes.c_str(), &out);
  return out;
}

bool IsCompact(const std::wstring& word) {
  const std::string bytes = EncodeWordToBytes(word);
  return !bytes.empty() && bytes[0] != '\\';
}

// First unit of script block |script| (0 Devanagari .. 8 Malayalam).
wchar_t Unit(int script, int offset) {
  return static_cast<wchar_t>(0x0900 + 128 * script + offset);
}

TEST(IndicWordEncodingTest, DevanagariWordIsCompactAndRoundTrips) {
  const std::wstring word = L"\x0928\x092E\x0938\x094D\x0924\x0947";  // namaste
  const std::string bytes = EncodeWordToBytes(word);
  ASSERT_EQ(bytes.size(), word.size() + 1);
  EXPECT_EQ(bytes[0], 9);
  EXPECT_EQ(bytes[1], 0x28);
  EXPECT_EQ(bytes[4], 0x4D);
  EXPECT_EQ(bytes.c_str()[bytes.size()], '\0');
  EXPECT_EQ(Decoded(bytes), word);
}

TEST(IndicWordEncodingTest, ScriptByteFollowsTheBlock) {
  for (int script = 0; script < 9; ++script) {
    const std::wstring word(1, Unit(script, 0x15));  // KA in every block
    const std::string bytes = EncodeWordToBytes(word);
    ASSERT_EQ(bytes.size(), 2u) << script;
    EXPECT_EQ(bytes[0], 9 + script);
    EXPECT_EQ(Decoded(bytes), word);
  }
  EXPECT_EQ(EncodeWordToBytes(L"\x0D2E\x0D32")[0], 17);  // Malayalam
}

TEST(IndicWordEncodingTest, JoinersAreKeptAsPunctuationBytes) {
  const std::wstring word = L"\x0915\x094D\x200D\x0937\x200C";
  const std::string bytes = EncodeWordToBytes(word);
  EXPECT_EQ(bytes, std::string("\x09\x15\x4D;\x37:"));
  EXPECT_EQ(Decoded(bytes), word);
  // Joiners alone give the word no script.
  EXPECT_EQ(EncodeWordToBytes(L"\x200D\x200C")[0], '\\');
  EXPECT_EQ(Decoded(EncodeWordToBytes(L"\x200D\x200C")), L"\x200D\x200C");
}

TEST(IndicWordEncodingTest, ValidityBitsFollowScriptOrder) {
  // Offset 0x01 (candrabindu) is assigned in every script but Tamil,
  // Kannada and Malayalam.
  const bool expected[9] = {true, true, true, true, true,
                            false, true, false, false};
  for (int script = 0; script < 9; ++script) {
    EXPECT_EQ(IsCompact(std::wstring(1, Unit(script, 0x01))), expected[script])
        << script;
  }
  // Offset 0x04 belongs to Devanagari alone.
  EXPECT_TRUE(IsCompact(L"\x0904"));
  EXPECT_FALSE(IsCompact(L"\x0984"));
  EXPECT_FALSE(IsCompact(L"\x0915\x0984"));
}

TEST(IndicWordEncodingTest, UnassignedOffsetsAreEscapedAndRoundTrip) {
  for (const wchar_t unit : {0x0900, 0x093A, 0x093B, 0x0A3A, 0x0D7F}) {
    const std::wstring word = std::wstring(L"\x0915") + unit;
    const std::string bytes = EncodeWordToBytes(word);
    EXPECT_EQ(bytes[0], '\\') << std::hex << unit;
    EXPECT_EQ(Decoded(bytes), word);
  }
}

TEST(IndicWordEncodingTest, ExceptionListAddsSingleCodePoints) {
  // Short E and O of Devanagari: their bit is clear, the list allows them.
  EXPECT_TRUE(IsCompact(L"\x090E"));
  EXPECT_TRUE(IsCompact(L"\x0912\x0946\x094A"));
  EXPECT_TRUE(IsCompact(L"\x095C"));
  // The same offsets in Bengali are not in the list.
  EXPECT_FALSE(IsCompact(L"\x098E"));
  EXPECT_FALSE(IsCompact(L"\x09C6"));
  // Tamil short E has its own bit.
  EXPECT_TRUE(IsCompact(L"\x0B8E"));
  // Offset 0x58: Devanagari by its bit, Telugu by the list, Gurmukhi not.
  EXPECT_TRUE(IsCompact(L"\x0958"));
  EXPECT_TRUE(IsCompact(L"\x0C58"));
  EXPECT_FALSE(IsCompact(L"\x0A58"));
  // Offsets 0x70-0x7F exist only through the list.
  EXPECT_TRUE(IsCompact(L"\x0A70\x0A71"));
  EXPECT_FALSE(IsCompact(L"\x0970"));
  EXPECT_FALSE(IsCompact(L"\x0A72"));
}

TEST(IndicWordEncodingTest, NonIndicWordsAreEscapedUtf8) {
  EXPECT_EQ(EncodeWordToBytes(L"abc123"), "\\abc123");
  EXPECT_EQ(Decoded("\\abc123"), L"abc123");
  EXPECT_EQ(EncodeWordToBytes(L""), "\\");
  EXPECT_EQ(Decoded("\\"), L"");
  // A Latin letter anywhere escapes the whole word.
  const std::wstring mixed = L"\x0915x\x0916";
  EXPECT_EQ(EncodeWordToBytes(mixed), "\\\xE0\xA4\x95x\xE0\xA4\x96");
  EXPECT_EQ(Decoded(EncodeWordToBytes(mixed)), mixed);
}

TEST(IndicWordEncodingTest, MixedScriptsTakeTheLastScript) {
  // Devanagari KA then Bengali KHA: both encodable, Bengali script byte.
  const std::string bytes = EncodeWordToBytes(L"\x0915\x0996");
  EXPECT_EQ(bytes, std::string("\x0A\x15\x16"));
  EXPECT_EQ(Decoded(bytes), L"\x0995\x0996");
}

TEST(IndicWordEncodingTest, CompactFormAppendsAndEscapedFormReplaces) {
  std::wstring out = L"x";
  DecodeEscapedEntry(EncodeWordToBytes(L"\x0915"), &out);
  EXPECT_EQ(out, L"x\x0915");
  out = L"x";
  DecodeEscapedEntry(EncodeWordToBytes(L"ab"), &out);
  EXPECT_EQ(out, L"ab");
  out = L"x";
  DecodeEscapedEntry(static_cast<const char*>(nullptr), &out);
  EXPECT_EQ(out, L"x");
}

TEST(IndicWordEncodingTest, RandomWordsRoundTrip) {
  std::mt19937 random(20240611);
  const wchar_t joiners[] = {0x200C, 0x200D};
  for (int i = 0; i < 5000; ++i) {
    const int script = random() % 9;
    const int length = random() % 12;
    std::wstring word;
    for (int j = 0; j < length; ++j) {
      switch (random() % 8) {
        case 0:
          word.push_back(joiners[random() % 2]);
          break;
        case 1: {  // any unit outside the Indic blocks and the surrogates
          wchar_t unit = static_cast<wchar_t>(1 + random() % 0xD7FF);
          if (unit >= 0x0900 && unit <= 0x0D7F) unit = L'a';
          word.push_back(unit);
          break;
        }
        default:
          word.push_back(Unit(script, random() % 128));
      }
    }
    const std::string bytes = EncodeWordToBytes(word);
    ASSERT_FALSE(bytes.empty());
    if (bytes[0] != '\\') {
      EXPECT_EQ(bytes.size(), word.size() + 1);
      EXPECT_EQ(bytes[0], 9 + script);
      EXPECT_EQ(bytes.find('\0'), std::string::npos);
    }
    EXPECT_EQ(Decoded(bytes), word);
  }
}

}  // namespace
}  // namespace ime_t13n
