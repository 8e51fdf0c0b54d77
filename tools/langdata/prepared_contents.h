// Reads the prepared content of a language data file: the UTF-8 text that
// the preparation step (prepare_hindi.py) writes, one record per line,
// fields separated by tabs:
//
//   language  <field> <value>        language_id, language_name, virama,
//                                    indic_char_bytes, vowel_matra_difference,
//                                    end_words_with_virama
//   character <ch> <class> <code point> <name> <itrans or -> <spellings>
//             <matra: - for none, = followed by the matra (possibly empty)>
//   special   <native> <spellings>
//   rule      <rule name> <first> <second> <count>
//   lookup    <section 3 or 5> <latin> {<native> <score>}...
//   class     <letters>
//   segment   <latin> <type> <weight> {<native> <probability>}...
//   keyvalue  <native> <latin, may be empty>
//   word      <native> <score>
//
// Lines starting with "#" and empty lines are skipped. The records of each
// kind keep their order.
#ifndef TOOLS_LANGDATA_PREPARED_CONTENTS_H_
#define TOOLS_LANGDATA_PREPARED_CONTENTS_H_

#include <string>

#include "ime/t13n/transliteration/transliterator/language_data_writer.h"

namespace langdata {

// Fills |contents| from |text|. False, with the line number and the reason
// in |error|, at the first line that is not a valid record.
bool ParsePreparedContents(const std::string& text,
                           ime_t13n::LanguageDataContents* contents,
                           std::string* error);

}  // namespace langdata

#endif  // TOOLS_LANGDATA_PREPARED_CONTENTS_H_
