#include "ime/t13n/transliteration/transliterator/language_data.h"

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"

namespace ime_t13n {
namespace {

using ime_shared::WideToUtf8;
using testing_helpers::RecordingErrorBox;
using testing_helpers::SampleContents;

DataCursor CursorOver(const std::string& bytes) {
  const uint8_t* begin = reinterpret_cast<const uint8_t*>(bytes.data());
  return DataCursor(begin, begin + bytes.size());
}

void SetU32(std::string* file, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*file)[offset + i] = static_cast<char>(value >> (8 * i));
}

// Rewrites the header field at |offset| and the checksum that covers it.
void PatchHeader(std::string* file, size_t offset, uint32_t value) {
  SetU32(file, offset, value);
  SetU32(file, kHeaderChecksumOffset,
         DataHeaderChecksum(reinterpret_cast<const uint8_t*>(file->data())));
}

class LanguageDataLoadTest : public ::testing::Test {
 protected:
  LanguageDataLoadTest()
      : language_(WideToUtf8(ime_testing::UniqueName(L"t"))) {}

  // Writes |file| as the data file of a new folder; returns the folder.
  std::string WriteFolder(const std::string& file,
                          const std::wstring& name = L"lang") {
    const std::wstring folder = dir_.path() + name;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(ime_testing::WriteFileBytes(folder + L"\\data.00000", file));
    return WideToUtf8(folder);
  }

  bool Load(const std::string& folder) {
    data_.reset(new LanguageData(&box_));
    return data_->LoadFromMap(language_, folder);
  }

  // Loads |file| and expects a refusal with exactly one box.
  void ExpectRefused(const std::string& file) {
    const int before = box_.shown;
    EXPECT_FALSE(Load(WriteFolder(file, ime_testing::UniqueName(L"f"))));
    EXPECT_EQ(box_.shown, before + 1);
  }

  ime_testing::TempDir dir_;  // outlives the mapping
  RecordingErrorBox box_;
  std::string language_;
  std::unique_ptr<LanguageData> data_;
};

TEST_F(LanguageDataLoadTest, LoadsAValidFile) {
  ASSERT_TRUE(Load(WriteFolder(WriteLanguageDataFile(SampleContents()))));
  EXPECT_EQ(box_.shown, 0);
  EXPECT_EQ(data_->GetLanguage(), language_);
  EXPECT_EQ(data_->source_language(), "en");
  ASSERT_NE(data_->mapped_file(), nullptr);
  EXPECT_EQ(data_->mapped_file()->size(), 4000000);
  EXPECT_EQ(data_->mapped_file()->mapping_name(),
            ime_shared::Utf8ToWide(language_) + L"data.00000.map");
  EXPECT_NE(data_->suggest(), nullptr);
  EXPECT_EQ(data_->key_value_lines().size(), 2u);
}

TEST_F(LanguageDataLoadTest, MissingFileShowsTheBoxOnEveryAttempt) {
  const std::wstring empty = dir_.path() + L"empty";
  ::CreateDirectoryW(empty.c_str(), nullptr);
  LanguageData data(&box_);
  EXPECT_FALSE(data.LoadFromMap(language_, WideToUtf8(empty)));
  EXPECT_EQ(box_.shown, 1);
  EXPECT_EQ(box_.text,
            L"Wrong version or corrupt data found. Please reinstall IME");
  EXPECT_EQ(box_.caption, L"Tarvel Hindi Input");
  EXPECT_EQ(box_.type, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(box_.owner, nullptr);
  EXPECT_FALSE(data.LoadFromMap(language_, WideToUtf8(empty)));
  EXPECT_EQ(box_.shown, 2);
}

TEST_F(LanguageDataLoadTest, FileShorterThanTheMinimumIsRefused) {
  DataFileLayout layout;
  layout.file_size = 3999999;
  ExpectRefused(WriteLanguageDataFile(SampleContents(), layout));
}

TEST_F(LanguageDataLoadTest, EveryHeaderByteIsCoveredByTheChecksum) {
  const std::string valid = WriteLanguageDataFile(SampleContents());
  for (size_t offset = 0; offset < kDataHeaderSize; ++offset) {
    SCOPED_TRACE(offset);
    std::string file = valid;
    file[offset] ^= 0x10;
    ExpectRefused(file);
  }
}

TEST_F(LanguageDataLoadTest, VersionsUpToFourLoad) {
  for (uint32_t version : {0u, 4u}) {
    DataFileLayout layout;
    layout.version = version;
    EXPECT_TRUE(Load(WriteFolder(WriteLanguageDataFile(SampleContents(), layout),
                                 L"v" + std::to_wstring(version))));
  }
  EXPECT_EQ(box_.shown, 0);
  for (uint32_t version : {5u, 0xFFFFFFFFu}) {
    DataFileLayout layout;
    layout.version = version;
    ExpectRefused(WriteLanguageDataFile(SampleContents(), layout));
  }
}

TEST_F(LanguageDataLoadTest, BodyIsReadFromTheOffsetTheHeaderGives) {
  DataFileLayout at_end;
  at_end.body_at_end = true;
  ASSERT_TRUE(Load(WriteFolder(WriteLanguageDataFile(SampleContents(), at_end))));
  EXPECT_EQ(data_->key_value_lines().size(), 2u);

  // An offset at or past the end leaves no body to read.
  std::string file = WriteLanguageDataFile(SampleContents());
  PatchHeader(&file, kHeaderBodyOffsetOffset, 4000000);
  ExpectRefused(file);
  PatchHeader(&file, kHeaderBodyOffsetOffset, 0xFFFFFFF0u);
  ExpectRefused(file);
}

TEST_F(LanguageDataLoadTest, EachTruncatedSectionFailsTheLoad) {
  std::vector<size_t> offsets;
  const std::string body = WriteDataBody(SampleContents(), &offsets);
  DataFileLayout at_end;
  at_end.body_at_end = true;
  for (int section = 0; section < kDataSectionCount; ++section) {
    SCOPED_TRACE(section);
    // The body breaks off inside the section, at the end of the file.
    for (size_t cut : {offsets[section] + 2,
                       (offsets[section] + offsets[section + 1]) / 2,
                       offsets[section + 1] - 1}) {
      ExpectRefused(WriteDataFile(body.substr(0, cut), at_end));
    }
  }
  EXPECT_TRUE(Load(WriteFolder(WriteDataFile(body, at_end))));
}

TEST_F(LanguageDataLoadTest, InconsistentSectionsFailTheLoadOnce) {
  // A Suggest entry that reaches past the coded text.
  LanguageDataContents contents = SampleContents();
  std::string body = WriteDataBody(contents);
  DataWriter dictionary;
  dictionary.AppendUInt32(1);              // one character
  dictionary.AppendBytes(std::string("a\0\0a\0", 5));
  dictionary.AppendUInt32(1);              // one entry
  dictionary.AppendUInt32(1);              // one byte of coded text
  dictionary.AppendUInt32(0x02000000);     // offset 0, length 2
  dictionary.AppendUInt32(5);
  dictionary.AppendBytes(std::string(1, '\0'));
  contents.dictionary_words.clear();
  std::vector<size_t> offsets;
  body = WriteDataBody(contents, &offsets);
  ExpectRefused(WriteDataFile(dictionary.bytes() + body.substr(offsets[1])));

  // A rule record that names no table.
  contents = SampleContents();
  contents.rules.push_back({4, L"a", L"b", 1});
  ExpectRefused(WriteLanguageDataFile(contents));
}

TEST_F(LanguageDataLoadTest, SecondProcessGetsTheExistingNamedMapping) {
  // Two files of one size and one language that differ in their key/value
  // line: what the child reads tells which mapping it got.
  LanguageDataContents mine = SampleContents();
  mine.key_value_lines = {"first"};
  LanguageDataContents other = SampleContents();
  other.key_value_lines = {"other"};
  const std::string my_folder = WriteFolder(WriteLanguageDataFile(mine), L"a");
  const std::string other_folder =
      WriteFolder(WriteLanguageDataFile(other), L"b");
  ASSERT_TRUE(Load(my_folder));

  const std::wstring arguments = ime_shared::Utf8ToWide(language_) + L" \"" +
                                 ime_shared::Utf8ToWide(other_folder) + L"\"";
  std::string output;
  ASSERT_EQ(ime_testing::RunChild(L"language_data_test_child", arguments,
                                  &output),
            0);
  EXPECT_EQ(output.substr(0, output.find_first_of("\r\n")), "loaded first");

  // Once this process lets go, the child maps its own file.
  data_.reset();
  ASSERT_EQ(ime_testing::RunChild(L"language_data_test_child", arguments,
                                  &output),
            0);
  EXPECT_EQ(output.substr(0, output.find_first_of("\r\n")), "loaded other");
}

// The section readers on their own, over bytes in memory.
class SectionReaderTest : public ::testing::Test {
 protected:
  RecordingErrorBox box_;
  LanguageData data_{&box_};
};

TEST_F(SectionReaderTest, RuleRecordsMustNameATableAndAPosition) {
  const LanguageDataContents::Rule bad[] = {
      {4, L"a", L"b", 1},
      {-1, L"a", L"b", 1},
      {LanguageRule::CHAR_POSITIONS, L"x", L"k", 1},
      {LanguageRule::CHAR_POSITIONS, L"", L"k", 1},
  };
  for (const auto& rule : bad) {
    SCOPED_TRACE(rule.rule_name);
    DataWriter out;
    WriteRuleSection({{LanguageRule::CONSEC_CHARS, L"a", L"b", 1}, rule}, &out);
    DataCursor cursor = CursorOver(out.bytes());
    EXPECT_FALSE(data_.ReadRuleTables(&cursor));
  }
}

TEST_F(SectionReaderTest, SegmentsMustHaveATypeAndOccurOncePerType) {
  for (int type : {3, -1}) {
    DataWriter out;
    WriteSegmentSection({{L"k", type, 1.0f, {}}}, &out);
    DataCursor cursor = CursorOver(out.bytes());
    EXPECT_FALSE(data_.ReadSegmentTables(&cursor)) << type;
  }
  DataWriter twice;
  WriteSegmentSection({{L"k", 0, 1.0f, {}}, {L"k", 0, 2.0f, {}}}, &twice);
  DataCursor cursor = CursorOver(twice.bytes());
  EXPECT_FALSE(data_.ReadSegmentTables(&cursor));
}

TEST_F(SectionReaderTest, NegativeAndOverlongLengthsFail) {
  for (int32_t length : {-2, 1000}) {
    SCOPED_TRACE(length);
    DataWriter lines;
    lines.AppendInt32(1);
    lines.AppendInt32(length);
    lines.AppendBytes("abcd");
    DataCursor cursor = CursorOver(lines.bytes());
    EXPECT_FALSE(data_.ReadKeyValueLines(&cursor));
    cursor = CursorOver(lines.bytes());
    EXPECT_FALSE(data_.ReadCharClassLists(&cursor));
    cursor = CursorOver(lines.bytes());
    EXPECT_FALSE(data_.ReadLookupTable(&cursor, true));

    DataWriter message;
    message.AppendInt32(length);
    message.AppendBytes("abcd");
    cursor = CursorOver(message.bytes());
    EXPECT_FALSE(data_.ReadLanguage(&cursor));
  }
  // A native list longer than what follows.
  DataWriter lookups;
  lookups.AppendInt32(1);
  lookups.AppendScrambledString(L"k");
  lookups.AppendInt32(5);
  lookups.AppendScrambledString(L"x");
  lookups.AppendFloat(1);
  DataCursor cursor = CursorOver(lookups.bytes());
  EXPECT_FALSE(data_.ReadLookupTable(&cursor, true));
}

TEST_F(SectionReaderTest, LanguageMessageIsDecodedLeniently) {
  Language language = testing_helpers::SampleLanguage();
  language.clear_virama();  // a required field
  const std::string broken =
      language.SerializePartialAsString() + std::string("\xFF\xFF\xFF", 3);
  DataWriter out;
  WriteLanguageSection(broken, &out);
  out.AppendBytes("next");
  DataCursor cursor = CursorOver(out.bytes());
  ASSERT_TRUE(data_.ReadLanguage(&cursor));
  EXPECT_EQ(cursor.remaining(), 4u) << "the position moves past the message";
  EXPECT_EQ(data_.language().language_name(), "hi");
  EXPECT_EQ(data_.language().character_size(), 9);
  EXPECT_FALSE(data_.language().has_virama());
}

}  // namespace
}  // namespace ime_t13n
