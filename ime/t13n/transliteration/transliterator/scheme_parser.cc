#include "ime/t13n/transliteration/transliterator/scheme_parser.h"

#include <cwchar>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/scheme_line_source.h"
#include "ime/t13n/transliteration/transliterator/scheme_resources.h"

namespace ime_t13n {
namespace {

// Removes the leading and trailing characters that occur in |set|.
void TrimChars(std::wstring* text, const wchar_t* set) {
  const size_t last = text->find_last_not_of(set);
  if (last == std::wstring::npos) {
    text->clear();
    return;
  }
  text->erase(last + 1);
  text->erase(0, text->find_first_not_of(set));
}

bool StartsWith(const std::wstring& text, const wchar_t* keyword) {
  return text.compare(0, std::wcslen(keyword), keyword) == 0;
}

std::vector<std::wstring> Split(const std::wstring& text,
                                const wchar_t* delimiters) {
  std::vector<std::wstring> pieces;
  ime_shared::SplitString(text, delimiters, &pieces);
  return pieces;
}

std::wstring LinePrefix(int line_number) {
  return ime_shared::StringPrintf(L"[Line:%2d] : ", line_number);
}

}  // namespace

SchemeParser::SchemeParser(const std::wstring& path) : path_(path) {}

std::unique_ptr<CanonicalScheme> SchemeParser::Parse() {
  SchemeLineSource source(path_);
  std::wstring line;
  if (!source.NextLine(&line)) {
    AddError(source.too_large() ? IDS_SCHEME_TOO_LARGE : IDS_SCHEME_TOO_SHORT);
    return nullptr;
  }
  TrimChars(&line, L" \r\uFEFF");
  if (!CheckVersionLine(line)) return nullptr;

  if (!source.NextLine(&line)) {
    AddError(IDS_SCHEME_TOO_SHORT);
    return nullptr;
  }
  TrimChars(&line, L" \r");
  if (!CheckNameLine(line)) return nullptr;

  // Every line read counts for the numbers, empty ones included. A failure
  // does not stop the parse, so that one pass reports every problem.
  bool valid = true;
  int line_number = 2;
  while (source.NextLine(&line)) {
    ++line_number;
    TrimChars(&line, L" \r");
    if (line.empty()) continue;
    line_prefix_ = LinePrefix(line_number);
    if (!ParseBodyLine(line, line_number)) valid = false;
  }

  if (class_open_) {
    AddError(IDS_SCHEME_CLASS_NOT_CLOSED);
    return nullptr;
  }
  if (!valid) return nullptr;
  return std::make_unique<CanonicalScheme>(name_, rules_);
}

bool SchemeParser::CheckVersionLine(const std::wstring& line) {
  if (!StartsWith(line, L"version")) {
    AddError(IDS_SCHEME_NO_VERSION);
    return false;
  }
  const size_t colon = line.find(L':');
  if (colon == std::wstring::npos) {
    AddError(IDS_SCHEME_BAD_VERSION_LINE);
    return false;
  }
  std::wstring version = line.substr(colon + 1);
  TrimChars(&version, L" ");
  if (version != L"1.0") {
    AddError(IDS_SCHEME_BAD_VERSION);
    return false;
  }
  return true;
}

bool SchemeParser::CheckNameLine(const std::wstring& line) {
  const size_t colon = line.find(L':');
  if (!StartsWith(line, L"Name") || colon == std::wstring::npos) {
    AddError(IDS_SCHEME_BAD_NAME_LINE);
    return false;
  }
  name_ = line.substr(colon + 1);
  TrimChars(&name_, L" ");
  if (name_.empty()) {
    AddError(IDS_SCHEME_NAME_EMPTY);
    return false;
  }
  // Only a warning: the name is kept whole.
  if (name_.size() > kMaxNameLength) AddError(IDS_SCHEME_NAME_TOO_LONG);
  return true;
}

bool SchemeParser::ParseBodyLine(const std::wstring& line, int line_number) {
  // Directives are recognised also while a class is open.
  if (StartsWith(line, L"using")) {
    const std::vector<std::wstring> words = Split(line, L" \t");
    if (words.size() == 2 && words[0] == L"using" && words[1] == L"classes") {
      classes_enabled_ = true;
      return true;
    }
    // Any other "using" line is read as what follows.
  }
  if (classes_enabled_ && StartsWith(line, L"class-delimiters")) {
    const std::vector<std::wstring> pieces = Split(line, L" :\t");
    if (pieces.size() != 3) {
      AddError(IDS_SCHEME_BAD_DELIMITER_LINE);
      return false;
    }
    class_start_ = pieces[1];
    class_end_ = pieces[2];
    return true;
  }
  if (classes_enabled_ && StartsWith(line, L"wildcard")) {
    const std::vector<std::wstring> pieces = Split(line, L" :\t");
    if (pieces.size() != 2) {
      AddError(IDS_SCHEME_BAD_WILDCARD_LINE);
      return false;
    }
    wildcard_ = pieces[1];
    return true;
  }
  if (StartsWith(line, L"stop-char")) {
    const std::vector<std::wstring> pieces = Split(line, L" :\t");
    if (pieces.size() != 2) {
      AddError(IDS_SCHEME_BAD_STOP_CHAR_LINE);
      return false;
    }
    if (pieces[1].size() != 1) {
      AddError(IDS_SCHEME_STOP_CHAR_TOO_LONG);
      return false;
    }
    stop_char_ = pieces[1][0];
    return true;
  }
  if (classes_enabled_ && !class_open_ && StartsWith(line, L"class")) {
    const std::vector<std::wstring> words = Split(line, L" \t");
    if (words.size() == 3 && words[2] == class_start_) {
      class_open_ = true;
      open_class_name_ = words[1];
      return true;
    }
    // Not a class line: read as what follows.
  }
  if (class_open_) {
    if (line == class_end_) return CloseClass();
    pending_members_.push_back({line_number, line});
    return true;
  }
  std::wstring source;
  std::wstring target;
  if (!ParseRule(line, line_number, &source, &target)) return false;
  return AddRule(source, target);
}

bool SchemeParser::CloseClass() {
  SchemeClass scheme_class;
  scheme_class.name = open_class_name_;
  bool valid = true;
  for (const SchemeMemberLine& member : pending_members_) {
    std::wstring source;
    std::wstring target;
    if (ParseRule(member.text, member.line_number, &source, &target)) {
      scheme_class.members.emplace_back(std::move(source), std::move(target));
    } else {
      valid = false;
    }
  }
  pending_members_.clear();
  class_open_ = false;
  // A name defined before keeps its first definition.
  classes_.emplace(scheme_class.name, std::move(scheme_class));
  return valid;
}

bool SchemeParser::ParseRule(const std::wstring& text, int line_number,
                             std::wstring* source, std::wstring* target) {
  size_t split = text.find(L' ');
  if (split == std::wstring::npos) split = text.find(L'\t');
  if (split == std::wstring::npos) {
    AddLineError(line_number, IDS_SCHEME_BAD_RULE);
    return false;
  }
  std::wstring rule_source = text.substr(0, split);
  std::wstring rule_target = text.substr(split + 1);
  TrimChars(&rule_source, L" \t");
  TrimChars(&rule_target, L" \t");

  bool valid = true;
  if (rule_source.empty()) {
    AddLineError(line_number, IDS_SCHEME_PREFIX_EMPTY);
    valid = false;
  }
  if (stop_char_ != 0 && rule_source.find(stop_char_) != std::wstring::npos) {
    AddLineError(line_number, IDS_SCHEME_STOP_CHAR_IN_RULE);
    valid = false;
  }
  if (rule_target.empty()) {
    AddLineError(line_number, IDS_SCHEME_TARGET_EMPTY);
    valid = false;
  } else if (rule_target.size() > kMaxTargetLength) {
    AddLineError(line_number, IDS_SCHEME_TARGET_TOO_LONG);
    valid = false;
  }
  if (!valid) return false;
  *source = std::move(rule_source);
  *target = std::move(rule_target);
  return true;
}

bool SchemeParser::AddRule(const std::wstring& source,
                           const std::wstring& target) {
  const size_t start = source.find(class_start_);
  if (start == std::wstring::npos) return EnterRule(source, target);

  const size_t name_begin = start + class_start_.size();
  const size_t end = source.find(class_end_, name_begin);
  if (end == std::wstring::npos) {
    AddPrefixedError(IDS_SCHEME_CLASS_END_MISSING);
    return false;
  }
  const std::wstring class_name = source.substr(name_begin, end - name_begin);
  const std::wstring before = source.substr(0, start);
  const std::wstring after = source.substr(end + class_end_.size());

  const size_t wildcard = target.find(wildcard_);
  if (wildcard == std::wstring::npos) {
    AddPrefixedError(IDS_SCHEME_WILDCARD_MISSING);
    return false;
  }
  const std::wstring target_before = target.substr(0, wildcard);
  const std::wstring target_after = target.substr(wildcard + wildcard_.size());

  const auto found = classes_.find(class_name);
  if (found == classes_.end()) {
    AddPrefixedError(IDS_SCHEME_CLASS_NOT_DEFINED);
    return false;
  }
  for (const auto& member : found->second.members) {
    if (!EnterRule(before + member.first + after,
                   target_before + member.second + target_after)) {
      return false;
    }
  }
  return true;
}

bool SchemeParser::EnterRule(std::wstring source, std::wstring target) {
  // Once the budget is spent the scheme is invalid and has said so once.
  if (too_large_) return false;
  const size_t units = source.size() + target.size();
  if (units > kMaxRuleUnits - rule_units_) {
    too_large_ = true;
    AddPrefixedError(IDS_SCHEME_TOO_LARGE);
    return false;
  }
  rule_units_ += units;
  rules_.emplace(std::move(source), std::move(target));
  return true;
}

void SchemeParser::AddError(UINT message_id) {
  errors_.push_back(ime_shared::LoadResourceString(message_id));
}

void SchemeParser::AddLineError(int line_number, UINT message_id) {
  errors_.push_back(LinePrefix(line_number) +
                    ime_shared::LoadResourceString(message_id));
}

void SchemeParser::AddPrefixedError(UINT message_id) {
  errors_.push_back(line_prefix_ + ime_shared::LoadResourceString(message_id));
}

}  // namespace ime_t13n
