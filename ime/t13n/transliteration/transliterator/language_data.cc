#include "ime/t13n/transliteration/transliterator/language_data.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <new>
#include <utility>

#include "google/protobuf/io/coded_stream.h"
#include "ime/shared/scramble.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data_resources.h"
#include "ime/t13n/transliteration/transliterator/indic_word_encoding.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"

namespace ime_t13n {

namespace {

// The Suggest dictionary starts with this many completions per request
// until the handler applies the page size.
constexpr int32_t kInitialSuggestResults = 3;

// Limits of the decoder of the Language message: the library's defaults.
constexpr int kMessageBytesLimit = 64 << 20;
constexpr int kMessageNestingLimit = 64;

// The smallest possible size of one record of each section, used to refuse
// a count that the rest of the data could not hold.
constexpr size_t kMinRuleRecord = 16;      // rule, two empty strings, count
constexpr size_t kMinLookupRecord = 8;     // empty word, count
constexpr size_t kMinWordScore = 8;        // empty word, score
constexpr size_t kMinString = 4;           // length only
constexpr size_t kMinSegmentRecord = 16;   // empty segment, type, weight, count

bool ReadScrambled(DataCursor* position, std::wstring* text) {
  if (!position->ReadWideString(text)) return false;
  ime_shared::ScrambleString(text);
  return true;
}

// Reads K (native word, f32) pairs, descrambling each word.
template <typename Item, typename Store>
bool ReadNativeList(DataCursor* position, std::vector<Item>* list,
                    Store store) {
  int32_t count;
  if (!position->ReadCount(kMinWordScore, &count)) return false;
  // The count is checked against the bytes left, but an item in memory is
  // larger than in the file: reserve only a little ahead.
  list->reserve(std::min<size_t>(static_cast<size_t>(count), 64));
  for (int32_t i = 0; i < count; ++i) {
    std::wstring word;
    float score;
    if (!ReadScrambled(position, &word) || !position->ReadFloat(&score)) {
      return false;
    }
    list->push_back(store(word, score));
  }
  return true;
}

}  // namespace

LanguageData::LanguageData() : LanguageData(SystemErrorBox()) {}

LanguageData::LanguageData(ErrorBoxInterface* error_box)
    : error_box_(error_box), source_language_("en") {}

LanguageData::~LanguageData() = default;

bool LanguageData::Fail() {
  ShowDataErrorBox(error_box_, nullptr, IDS_DATA_ERROR_TEXT,
                   IDS_DATA_ERROR_CAPTION);
  return false;
}

bool LanguageData::LoadFromMap(const std::string& language,
                               const std::string& folder) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);

  target_language_ = language;
  data_folder_ = folder;

  const std::wstring path =
      ime_shared::Utf8ToWide(folder + "\\" + kDataFileName);
  if (path.empty() || !::PathFileExistsW(path.c_str())) return Fail();

  // The Suggest of an earlier load points into the mapping about to be
  // replaced: it goes first, so that nothing points into an unmapped view.
  suggest_.reset();
  mapped_file_.reset(new ime_shared::MappedFile);
  const std::wstring mapping_name =
      ime_shared::Utf8ToWide(language) + kDataMappingSuffix;
  if (mapped_file_->Open(path.c_str(), mapping_name.c_str(), 1,
                         kMinimumDataFileSize) < 0) {
    return Fail();
  }

  const uint8_t* view = mapped_file_->view();
  const size_t size = static_cast<size_t>(mapped_file_->size());
  DataCursor header(view, view + size);
  uint32_t checksum, body_offset, reserved, version;
  if (!header.ReadUInt32(&checksum) || !header.ReadUInt32(&body_offset) ||
      !header.ReadUInt32(&reserved) || !header.ReadUInt32(&version)) {
    return Fail();
  }
  if (checksum != DataHeaderChecksum(view) || version > kNewestDataVersion ||
      body_offset > size) {
    return Fail();
  }

  DataCursor body(view + body_offset, view + size);
  bool read;
  try {
    read = ReadSections(&body);
  } catch (const std::bad_alloc&) {
    // A file too large for the memory left is refused like a corrupt one;
    // nothing may escape into the host application.
    read = false;
  }
  if (!read) return Fail();
  return true;
}

bool LanguageData::ReadSections(DataCursor* position) {
  return ReadSuggest(position) && ReadLanguage(position) &&
         ReadRuleTables(position) && ReadLookupTable(position, true) &&
         ReadCharClassLists(position) && ReadLookupTable(position, false) &&
         ReadSegmentTables(position) && ReadKeyValueLines(position);
}

bool LanguageData::ReadSuggest(DataCursor* position) {
  suggest_.reset(new Suggest());
  suggest_->SetMaxResults(kInitialSuggestResults);
  size_t section_size = 0;
  if (!suggest_->Init(position->position(), position->remaining(),
                      &section_size)) {
    return false;
  }
  return position->Skip(section_size);
}

bool LanguageData::ReadLanguage(DataCursor* position) {
  int32_t size;
  const uint8_t* bytes;
  if (!position->ReadInt32(&size) || size < 0 ||
      !position->ReadBytes(static_cast<size_t>(size), &bytes)) {
    return false;
  }
  language_.Clear();
  google::protobuf::io::CodedInputStream input(bytes, size);
  input.SetTotalBytesLimit(kMessageBytesLimit);
  input.SetRecursionLimit(kMessageNestingLimit);
  // Decoded leniently: whatever decodes is kept, a message that breaks off
  // or lacks required fields does not fail the load.
  language_.MergePartialFromCodedStream(&input);
  return true;
}

bool LanguageData::ReadRuleTables(DataCursor* position) {
  for (auto& table : rule_tables_) table.reset(new RuleTable);
  int32_t records;
  if (!position->ReadCount(kMinRuleRecord, &records)) return false;
  for (int32_t i = 0; i < records; ++i) {
    int32_t rule, count;
    std::wstring first, second;
    if (!position->ReadInt32(&rule) || !position->ReadWideString(&first) ||
        !position->ReadWideString(&second) || !position->ReadInt32(&count)) {
      return false;
    }
    if (!LanguageRule::RuleName_IsValid(rule)) return false;
    RuleTable* table;
    if (rule == LanguageRule::CHAR_POSITIONS) {
      if (first.empty()) return false;
      switch (first[0]) {
        case L'b':
          table = rule_tables_[kWordBeginPositions].get();
          break;
        case L'm':
          table = rule_tables_[kWordMiddlePositions].get();
          break;
        case L'e':
          table = rule_tables_[kWordEndPositions].get();
          break;
        default:
          return false;
      }
      table->emplace(std::move(second), count);
    } else {
      table = rule_tables_[rule].get();
      table->emplace(first + second, count);
    }
  }
  return true;
}

bool LanguageData::ReadLookupTable(DataCursor* position, bool new_table) {
  if (new_table || lookup_table_ == nullptr) {
    lookup_table_.reset(new LookupTable);
  }
  int32_t records;
  if (!position->ReadCount(kMinLookupRecord, &records)) return false;
  for (int32_t i = 0; i < records; ++i) {
    std::wstring english;
    std::vector<LookupWord> words;
    if (!ReadScrambled(position, &english) ||
        !ReadNativeList(position, &words,
                        [](std::wstring& word, float score) {
                          return LookupWord{std::move(word), score};
                        })) {
      return false;
    }
    // A repeated English word takes the later list.
    (*lookup_table_)[english] = std::move(words);
  }
  return true;
}

bool LanguageData::ReadCharClassLists(DataCursor* position) {
  int32_t count;
  if (!position->ReadCount(kMinString, &count)) return false;
  for (int32_t i = 0; i < count; ++i) {
    std::wstring list;
    if (!position->ReadWideString(&list)) return false;
    char_class_lists_.push_back(std::move(list));
  }
  return true;
}

bool LanguageData::ReadSegmentTables(DataCursor* position) {
  for (auto& table : segment_tables_) table.reset(new SegmentTable);
  int32_t records;
  if (!position->ReadCount(kMinSegmentRecord, &records)) return false;
  for (int32_t i = 0; i < records; ++i) {
    std::wstring english;
    int32_t type;
    float weight;
    if (!ReadScrambled(position, &english) || !position->ReadInt32(&type) ||
        !position->ReadFloat(&weight)) {
      return false;
    }
    if (!EnglishMappingProbabilities::SegmentType_IsValid(type)) return false;
    auto inserted = segment_tables_[type]->emplace(
        std::move(english), SegmentEntry{weight, {}});
    // A segment occurs once per type; a second record would leave the
    // table's content depending on which one the reader met first.
    if (!inserted.second) return false;
    if (!ReadNativeList(position, &inserted.first->second.segments,
                        [](const std::wstring& word, float probability) {
                          return NativeSegment{EncodeWordToBytes(word),
                                               probability};
                        })) {
      return false;
    }
  }
  return true;
}

bool LanguageData::ReadKeyValueLines(DataCursor* position) {
  int32_t count;
  if (!position->ReadCount(kMinString, &count)) return false;
  for (int32_t i = 0; i < count; ++i) {
    std::string line;
    if (!position->ReadByteString(&line)) return false;
    key_value_lines_.push_back(std::move(line));
  }
  return true;
}

std::unique_ptr<RuleTable> LanguageData::TakeRuleTable(RuleTableIndex index) {
  return std::move(rule_tables_[index]);
}

std::unique_ptr<LookupTable> LanguageData::TakeLookupTable() {
  return std::move(lookup_table_);
}

std::unique_ptr<SegmentTable> LanguageData::TakeSegmentTable(
    SegmentTableIndex index) {
  return std::move(segment_tables_[index]);
}

std::unique_ptr<ime_shared::MappedFile> LanguageData::TakeMappedFile() {
  return std::move(mapped_file_);
}

std::unique_ptr<Suggest> LanguageData::TakeSuggest() {
  return std::move(suggest_);
}

}  // namespace ime_t13n
