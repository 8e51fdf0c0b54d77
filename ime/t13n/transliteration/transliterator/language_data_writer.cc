#include "ime/t13n/transliteration/transliterator/language_data_writer.h"

#include <cstring>

#include "ime/shared/scramble.h"
#include "ime/t13n/transliteration/transliterator/suggest_writer.h"

namespace ime_t13n {

void DataWriter::AppendUInt32(uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

void DataWriter::AppendInt32(int32_t value) {
  AppendUInt32(static_cast<uint32_t>(value));
}

void DataWriter::AppendFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  AppendUInt32(bits);
}

void DataWriter::AppendWideString(const std::wstring& text) {
  AppendInt32(static_cast<int32_t>(text.size() * 2));
  for (wchar_t unit : text) {
    bytes_.push_back(static_cast<char>(unit & 0xFF));
    bytes_.push_back(static_cast<char>((unit >> 8) & 0xFF));
  }
}

void DataWriter::AppendScrambledString(const std::wstring& text) {
  std::wstring scrambled = text;
  ime_shared::ScrambleString(&scrambled);
  AppendWideString(scrambled);
}

void DataWriter::AppendByteString(const std::string& text) {
  AppendInt32(static_cast<int32_t>(text.size()));
  bytes_ += text;
}

bool WriteDictionarySection(
    const std::vector<std::pair<std::wstring, int32_t>>& words,
    DataWriter* out) {
  std::vector<SuggestWord> suggest_words;
  suggest_words.reserve(words.size());
  for (const auto& word : words) {
    suggest_words.push_back(SuggestWord{word.first, word.second});
  }
  std::string section;
  if (!BuildSuggestSection(suggest_words, &section)) return false;
  out->AppendBytes(section);
  return true;
}

void WriteLanguageSection(const std::string& message, DataWriter* out) {
  out->AppendByteString(message);
}

void WriteRuleSection(const std::vector<LanguageDataContents::Rule>& rules,
                      DataWriter* out) {
  out->AppendInt32(static_cast<int32_t>(rules.size()));
  for (const auto& rule : rules) {
    out->AppendInt32(rule.rule_name);
    out->AppendWideString(rule.first);
    out->AppendWideString(rule.second);
    out->AppendInt32(rule.count);
  }
}

namespace {

void WriteNatives(const std::vector<NativeScore>& natives, DataWriter* out) {
  out->AppendInt32(static_cast<int32_t>(natives.size()));
  for (const auto& native : natives) {
    out->AppendScrambledString(native.first);
    out->AppendFloat(native.second);
  }
}

}  // namespace

void WriteLookupSection(
    const std::vector<LanguageDataContents::Lookup>& lookups,
    DataWriter* out) {
  out->AppendInt32(static_cast<int32_t>(lookups.size()));
  for (const auto& lookup : lookups) {
    out->AppendScrambledString(lookup.english);
    WriteNatives(lookup.natives, out);
  }
}

void WriteStringListSection(const std::vector<std::wstring>& lists,
                            DataWriter* out) {
  out->AppendInt32(static_cast<int32_t>(lists.size()));
  for (const auto& list : lists) out->AppendWideString(list);
}

void WriteSegmentSection(
    const std::vector<LanguageDataContents::Segment>& segments,
    DataWriter* out) {
  out->AppendInt32(static_cast<int32_t>(segments.size()));
  for (const auto& segment : segments) {
    out->AppendScrambledString(segment.english);
    out->AppendInt32(segment.type);
    out->AppendFloat(segment.weight);
    WriteNatives(segment.natives, out);
  }
}

void WriteByteStringSection(const std::vector<std::string>& lines,
                            DataWriter* out) {
  out->AppendInt32(static_cast<int32_t>(lines.size()));
  for (const auto& line : lines) out->AppendByteString(line);
}

std::string WriteDataBody(const LanguageDataContents& contents,
                          std::vector<size_t>* section_offsets) {
  DataWriter out;
  std::vector<size_t> offsets;
  offsets.push_back(out.size());
  if (!WriteDictionarySection(contents.dictionary_words, &out)) {
    return std::string();
  }
  offsets.push_back(out.size());
  WriteLanguageSection(contents.language_message, &out);
  offsets.push_back(out.size());
  WriteRuleSection(contents.rules, &out);
  offsets.push_back(out.size());
  WriteLookupSection(contents.lookups, &out);
  offsets.push_back(out.size());
  WriteStringListSection(contents.char_class_lists, &out);
  offsets.push_back(out.size());
  WriteLookupSection(contents.more_lookups, &out);
  offsets.push_back(out.size());
  WriteSegmentSection(contents.segments, &out);
  offsets.push_back(out.size());
  WriteByteStringSection(contents.key_value_lines, &out);
  offsets.push_back(out.size());
  if (section_offsets != nullptr) *section_offsets = offsets;
  return out.bytes();
}

std::string WriteDataFile(const std::string& body,
                          const DataFileLayout& layout) {
  size_t size = kDataHeaderSize + body.size();
  if (size < layout.file_size) size = layout.file_size;
  const size_t body_offset =
      layout.body_at_end ? size - body.size() : kDataHeaderSize;

  DataWriter header;
  header.AppendUInt32(0);  // checksum, below
  header.AppendUInt32(static_cast<uint32_t>(body_offset));
  header.AppendUInt32(layout.reserved);
  header.AppendUInt32(layout.version);
  std::string file = header.bytes();
  const uint32_t checksum =
      DataHeaderChecksum(reinterpret_cast<const uint8_t*>(file.data()));
  for (int i = 0; i < 4; ++i) {
    file[kHeaderChecksumOffset + i] = static_cast<char>(checksum >> (8 * i));
  }
  file.resize(body_offset, '\0');
  file += body;
  file.resize(size, '\0');
  return file;
}

std::string WriteLanguageDataFile(const LanguageDataContents& contents,
                                  const DataFileLayout& layout) {
  const std::string body = WriteDataBody(contents);
  if (body.empty()) return std::string();
  return WriteDataFile(body, layout);
}

}  // namespace ime_t13n
