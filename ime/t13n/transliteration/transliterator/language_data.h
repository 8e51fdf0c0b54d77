// The loading context of one language: maps the language's data file, reads
// every section into in-memory tables and holds them until the
// transliteration model takes them over.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_H_

#include <memory>
#include <string>
#include <vector>

#include "ime/shared/mapped_file.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/language_data_format.h"
#include "ime/t13n/transliteration/transliterator/language_tables.h"

namespace ime_t13n {

class ErrorBoxInterface;
class Suggest;

class LanguageData {
 public:
  // Failures are shown with the system's message box.
  LanguageData();
  // Failures are shown through |error_box| (not owned).
  explicit LanguageData(ErrorBoxInterface* error_box);
  ~LanguageData();
  LanguageData(const LanguageData&) = delete;
  LanguageData& operator=(const LanguageData&) = delete;

  // Maps "<folder>\data.00000" (|folder| is UTF-8: the data folder, a
  // backslash and the language code) under the shared mapping name
  // "<language>data.00000.map", checks the header and reads every section.
  // On any failure shows the data error box once and returns false; the
  // context then holds whatever it had read and is to be deleted.
  bool LoadFromMap(const std::string& language, const std::string& folder);

  // Reads the whole body, sections 0 to 7, from |position|. Used by
  // LoadFromMap once the header is checked.
  bool ReadSections(DataCursor* position);

  // The section readers: each reads its section at |position|, moves the
  // position past it and returns true; false on the first inconsistency
  // (a count or length past the end of the data, a negative length, a
  // record that names no table or repeats a segment).
  bool ReadSuggest(DataCursor* position);               // section 0
  bool ReadLanguage(DataCursor* position);              // section 1
  bool ReadRuleTables(DataCursor* position);            // section 2
  // Section 3 with |new_table| true (the table is created anew), section 5
  // with false (the records go into the current table).
  bool ReadLookupTable(DataCursor* position, bool new_table);
  bool ReadCharClassLists(DataCursor* position);        // section 4
  bool ReadSegmentTables(DataCursor* position);         // section 6
  bool ReadKeyValueLines(DataCursor* position);         // section 7

  std::string GetLanguage() const { return target_language_; }
  const std::string& source_language() const { return source_language_; }
  const std::string& data_folder() const { return data_folder_; }

  // What was read. Tables are null until their section was read and after
  // the model took them.
  const Language& language() const { return language_; }
  const RuleTable* rule_table(RuleTableIndex index) const {
    return rule_tables_[index].get();
  }
  const LookupTable* lookup_table() const { return lookup_table_.get(); }
  const SegmentTable* segment_table(SegmentTableIndex index) const {
    return segment_tables_[index].get();
  }
  const ime_shared::MappedFile* mapped_file() const {
    return mapped_file_.get();
  }
  Suggest* suggest() const { return suggest_.get(); }
  const std::vector<std::wstring>& char_class_lists() const {
    return char_class_lists_;
  }
  const std::vector<std::string>& key_value_lines() const {
    return key_value_lines_;
  }

  // Take-over by the transliteration model: each leaves the context's
  // member null.
  std::unique_ptr<RuleTable> TakeRuleTable(RuleTableIndex index);
  std::unique_ptr<LookupTable> TakeLookupTable();
  std::unique_ptr<SegmentTable> TakeSegmentTable(SegmentTableIndex index);
  std::unique_ptr<ime_shared::MappedFile> TakeMappedFile();
  std::unique_ptr<Suggest> TakeSuggest();

 private:
  // Shows the data error box; returns false for the caller to return.
  bool Fail();

  ErrorBoxInterface* error_box_;

  // Declared so that destruction runs from the last member up: the
  // key/value lines, the class lists, the Suggest (which points into the
  // mapping), the mapping, the segment tables, the lookup table, the rule
  // tables, the message and the strings.
  std::string source_language_;
  std::string target_language_;
  std::string data_folder_;
  Language language_;
  std::unique_ptr<RuleTable> rule_tables_[kRuleTableCount];
  std::unique_ptr<LookupTable> lookup_table_;
  std::unique_ptr<SegmentTable> segment_tables_[kSegmentTableCount];
  std::unique_ptr<ime_shared::MappedFile> mapped_file_;
  std::unique_ptr<Suggest> suggest_;
  std::vector<std::wstring> char_class_lists_;
  std::vector<std::string> key_value_lines_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_H_
