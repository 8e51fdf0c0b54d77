#include "tools/langdata/prepared_contents.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"

namespace langdata {

namespace {

using ime_shared::Utf8ToWide;
using ime_t13n::Language;
using ime_t13n::LanguageDataContents;

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

bool ParseInt(const std::string& text, int32_t* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) {
    return false;
  }
  *value = static_cast<int32_t>(parsed);
  return true;
}

bool ParseFloat(const std::string& text, float* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const float parsed = std::strtof(text.c_str(), &end);
  if (errno != 0 || *end != '\0') return false;
  *value = parsed;
  return true;
}

// Pairs of (native, number) from |fields| starting at |first|.
bool ParseNatives(const std::vector<std::string>& fields, size_t first,
                  std::vector<ime_t13n::NativeScore>* natives) {
  if (fields.size() < first || (fields.size() - first) % 2 != 0) return false;
  for (size_t i = first; i < fields.size(); i += 2) {
    float score = 0;
    if (fields[i].empty() || !ParseFloat(fields[i + 1], &score)) return false;
    natives->emplace_back(Utf8ToWide(fields[i]), score);
  }
  return true;
}

class Parser {
 public:
  explicit Parser(LanguageDataContents* contents) : contents_(contents) {}

  // One record; false with |reason_| set when it is not valid.
  bool ParseLine(const std::vector<std::string>& f) {
    const std::string& kind = f[0];
    if (kind == "language") return Expect(f, 3) && ParseLanguage(f);
    if (kind == "character") return Expect(f, 8) && ParseCharacter(f);
    if (kind == "special") {
      if (!Expect(f, 3)) return false;
      auto* special = language_.add_specialstaticmappings();
      special->set_indic_string(f[1]);
      special->set_english_mappings(f[2]);
      return true;
    }
    if (kind == "rule") return Expect(f, 5) && ParseRule(f);
    if (kind == "lookup") return ParseLookup(f);
    if (kind == "class") {
      if (!Expect(f, 2)) return false;
      contents_->char_class_lists.push_back(Utf8ToWide(f[1]));
      return true;
    }
    if (kind == "segment") return ParseSegment(f);
    if (kind == "keyvalue") {
      if (!Expect(f, 3)) return false;
      contents_->key_value_lines.push_back(f[2].empty() ? f[1]
                                                        : f[1] + "\t" + f[2]);
      return true;
    }
    if (kind == "word") {
      int32_t score = 0;
      if (!Expect(f, 3) || f[1].empty() || !ParseInt(f[2], &score)) {
        return Fail("bad word record");
      }
      contents_->dictionary_words.emplace_back(Utf8ToWide(f[1]), score);
      return true;
    }
    return Fail("unknown record \"" + kind + "\"");
  }

  // Serialises the Language message once every record is read.
  bool Finish() {
    if (!language_.IsInitialized()) {
      return Fail("the language record misses " +
                  language_.InitializationErrorString());
    }
    contents_->language_message = language_.SerializeAsString();
    return true;
  }

  const std::string& reason() const { return reason_; }

 private:
  bool Fail(const std::string& reason) {
    reason_ = reason;
    return false;
  }
  bool Expect(const std::vector<std::string>& f, size_t count) {
    if (f.size() == count) return true;
    return Fail("expected " + std::to_string(count) + " fields, found " +
                std::to_string(f.size()));
  }

  bool ParseLanguage(const std::vector<std::string>& f) {
    const std::string& field = f[1];
    const std::string& value = f[2];
    int32_t number = 0;
    if (field == "language_name") {
      language_.set_language_name(value);
    } else if (field == "virama") {
      language_.set_virama(value);
    } else if (!ParseInt(value, &number)) {
      return Fail("bad number for " + field);
    } else if (field == "language_id") {
      language_.set_language_id(number);
    } else if (field == "indic_char_bytes") {
      language_.set_indic_char_bytes(number);
    } else if (field == "vowel_matra_difference") {
      language_.set_vowel_matra_difference(number);
    } else if (field == "end_words_with_virama") {
      language_.set_end_words_with_virama(number != 0);
    } else {
      return Fail("unknown language field " + field);
    }
    return true;
  }

  bool ParseCharacter(const std::vector<std::string>& f) {
    int32_t character_class = 0;
    int32_t code_point = 0;
    if (f[1].empty() || !ParseInt(f[2], &character_class) ||
        !Language::CHARACTER_CLASS_IsValid(character_class) ||
        !ParseInt(f[3], &code_point)) {
      return Fail("bad character record");
    }
    auto* record = language_.add_character();
    record->set_ch(f[1]);
    record->set_characterclass(character_class);
    record->set_utf8_value(code_point);
    record->set_description(f[4]);
    record->set_itrans_value(f[5] == "-" ? "" : f[5]);
    if (!f[6].empty()) record->set_simplified_itrans_values(f[6]);
    if (f[7] != "-") {
      if (f[7].empty() || f[7][0] != '=') return Fail("bad matra field");
      record->set_matra_value(f[7].substr(1));
    }
    return true;
  }

  bool ParseRule(const std::vector<std::string>& f) {
    LanguageDataContents::Rule rule;
    if (!ParseInt(f[1], &rule.rule_name) || rule.rule_name < 0 ||
        rule.rule_name > 3 || !ParseInt(f[4], &rule.count)) {
      return Fail("bad rule record");
    }
    rule.first = Utf8ToWide(f[2]);
    rule.second = Utf8ToWide(f[3]);
    contents_->rules.push_back(std::move(rule));
    return true;
  }

  bool ParseLookup(const std::vector<std::string>& f) {
    LanguageDataContents::Lookup lookup;
    if (f.size() < 5 || (f[1] != "3" && f[1] != "5") || f[2].empty() ||
        !ParseNatives(f, 3, &lookup.natives)) {
      return Fail("bad lookup record");
    }
    lookup.english = Utf8ToWide(f[2]);
    (f[1] == "3" ? contents_->lookups : contents_->more_lookups)
        .push_back(std::move(lookup));
    return true;
  }

  bool ParseSegment(const std::vector<std::string>& f) {
    LanguageDataContents::Segment segment;
    if (f.size() < 6 || f[1].empty() || !ParseInt(f[2], &segment.type) ||
        segment.type < 0 || segment.type > 2 ||
        !ParseFloat(f[3], &segment.weight) ||
        !ParseNatives(f, 4, &segment.natives)) {
      return Fail("bad segment record");
    }
    segment.english = Utf8ToWide(f[1]);
    contents_->segments.push_back(std::move(segment));
    return true;
  }

  LanguageDataContents* contents_;
  Language language_;
  std::string reason_;
};

}  // namespace

bool ParsePreparedContents(const std::string& text,
                           LanguageDataContents* contents,
                           std::string* error) {
  Parser parser(contents);
  size_t start = 0;
  int line_number = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (!parser.ParseLine(SplitTabs(line))) {
      *error = "line " + std::to_string(line_number) + ": " + parser.reason();
      return false;
    }
  }
  if (!parser.Finish()) {
    *error = parser.reason();
    return false;
  }
  return true;
}

}  // namespace langdata
