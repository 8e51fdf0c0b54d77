// Parses one custom scheme file into a CanonicalScheme, collecting a message
// for every problem found.
//
// The file: line 1 "version:1.0", line 2 "Name:<scheme name>", then rules
// ("<source> <space or tab> <target>") and directives ("using classes",
// "class-delimiters", "wildcard", "stop-char", class definitions). A class
// gathers rules under a name; a rule whose source holds a class reference,
// such as "k{V} क*", stands for one rule per class member, the member's
// source replacing the reference and its target the wildcard.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_PARSER_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_PARSER_H_

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ime/t13n/transliteration/transliterator/canonical_scheme.h"
#include "ime/t13n/transliteration/transliterator/scheme_line_source.h"

namespace ime_t13n {

// A line kept while its class is open, parsed when the class closes.
struct SchemeMemberLine {
  int line_number;
  std::wstring text;
};

struct SchemeClass {
  std::wstring name;
  std::vector<std::pair<std::wstring, std::wstring>> members;  // file order
};

class SchemeParser {
 public:
  // Longest target of a rule and longest scheme name, in UTF-16 units.
  static constexpr size_t kMaxTargetLength = 30;
  static constexpr size_t kMaxNameLength = 30;
  // Class expansion multiplies rules. A scheme whose rules would add up to
  // more units than this (sources and targets) is refused, so that a few
  // lines cannot take the host's memory and time. Rules without classes
  // never reach it: they hold fewer units than their file has bytes.
  static constexpr size_t kMaxRuleUnits = SchemeLineSource::kMaxFileBytes;

  explicit SchemeParser(const std::wstring& path);
  SchemeParser(const SchemeParser&) = delete;
  SchemeParser& operator=(const SchemeParser&) = delete;

  // Reads and parses the file. Null when the file is not a valid scheme;
  // errors() holds the messages in either case (a valid scheme may come with
  // a warning).
  std::unique_ptr<CanonicalScheme> Parse();

  // Splits a rule line numbered |line_number| into source and target and
  // checks them; every problem adds a message.
  bool ParseRule(const std::wstring& text, int line_number,
                 std::wstring* source, std::wstring* target);

  // Enters a rule, expanding its class reference if it has one. The first
  // target entered for a source stays.
  bool AddRule(const std::wstring& source, const std::wstring& target);

  const std::vector<std::wstring>& errors() const { return errors_; }
  const SchemeRules& rules() const { return rules_; }

 private:
  // Each returns false after adding its message when the line is refused.
  bool CheckVersionLine(const std::wstring& line);
  bool CheckNameLine(const std::wstring& line);
  // Handles one line from the third on; false when it makes the scheme
  // invalid.
  bool ParseBodyLine(const std::wstring& line, int line_number);
  bool CloseClass();
  bool EnterRule(std::wstring source, std::wstring target);

  void AddError(UINT message_id);
  void AddLineError(int line_number, UINT message_id);
  void AddPrefixedError(UINT message_id);

  std::wstring class_start_ = L"{";
  std::wstring class_end_ = L"}";
  std::wstring wildcard_ = L"*";
  std::wstring name_;
  std::wstring path_;
  std::vector<std::wstring> errors_;
  std::wstring line_prefix_;
  wchar_t stop_char_ = 0;
  bool classes_enabled_ = false;
  bool class_open_ = false;
  std::wstring open_class_name_;
  std::unordered_map<std::wstring, SchemeClass> classes_;
  SchemeRules rules_;
  std::vector<SchemeMemberLine> pending_members_;
  size_t rule_units_ = 0;  // units of every rule entered or tried
  bool too_large_ = false;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_PARSER_H_
