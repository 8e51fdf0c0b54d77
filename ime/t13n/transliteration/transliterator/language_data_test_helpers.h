// Shared pieces of the transliterator folder's tests: an error box that
// records instead of showing, and a small language to build data files of.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_TEST_HELPERS_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_TEST_HELPERS_H_

#include <functional>
#include <string>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/lib/transl.pb.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"

namespace ime_t13n {
namespace testing_helpers {

class RecordingErrorBox : public ErrorBoxInterface {
 public:
  int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
           UINT type) override {
    ++shown;
    this->owner = owner;
    this->text = text;
    this->caption = caption;
    this->type = type;
    if (while_open) while_open();
    return IDOK;
  }

  int shown = 0;
  // Run as each box shows, as if the box's message loop ran it.
  std::function<void()> while_open;
  HWND owner = nullptr;
  std::wstring text;
  std::wstring caption;
  UINT type = 0;
};

inline void AddCharacter(Language* language, const std::wstring& ch,
                         int character_class, const char* spellings,
                         const std::wstring& matra = std::wstring()) {
  Language::Character* record = language->add_character();
  record->set_ch(ime_shared::WideToUtf8(ch));
  record->set_characterclass(character_class);
  record->set_utf8_value(ch.empty() ? 0 : ch[0]);
  record->set_description("");
  record->set_itrans_value("");
  if (spellings != nullptr) record->set_simplified_itrans_values(spellings);
  if (!matra.empty()) record->set_matra_value(ime_shared::WideToUtf8(matra));
}

// Ka, kha, ta (consonants), a, aa, i (vowels), the matras of aa and i, and
// the virama.
inline Language SampleLanguage() {
  Language language;
  language.set_language_id(1);
  language.set_language_name("hi");
  language.set_virama(ime_shared::WideToUtf8(L"\x094D"));
  language.set_indic_char_bytes(3);
  language.set_vowel_matra_difference(56);
  AddCharacter(&language, L"\x0915", Language::CONSONANT, "k");
  AddCharacter(&language, L"\x0916", Language::CONSONANT, "kh");
  AddCharacter(&language, L"\x0924", Language::CONSONANT, "t");
  AddCharacter(&language, L"\x0905", Language::VOWEL, "a");
  AddCharacter(&language, L"\x0906", Language::VOWEL, "aa, A", L"\x093E");
  AddCharacter(&language, L"\x0907", Language::VOWEL, "i", L"\x093F");
  AddCharacter(&language, L"\x093E", Language::MATRA, nullptr);
  AddCharacter(&language, L"\x093F", Language::MATRA, nullptr);
  AddCharacter(&language, L"\x094D", Language::SPECIAL, nullptr);
  return language;
}

// A little of every section.
inline LanguageDataContents SampleContents() {
  LanguageDataContents contents;
  contents.dictionary_words = {{L"\x0915\x093E", 40}, {L"\x0916\x093F", 7}};
  contents.language_message = SampleLanguage().SerializeAsString();
  contents.rules = {{LanguageRule::CONSEC_CHARS, L"\x0915", L"\x093E", 12},
                    {LanguageRule::CHAR_POSITIONS, L"b", L"\x0915", 30}};
  contents.lookups = {{L"kaa", {{L"\x0915\x093E", 0.5f}}}};
  contents.char_class_lists = {L"a, e, i", L"k, g"};
  contents.more_lookups = {{L"khi", {{L"\x0916\x093F", 0.25f}}}};
  contents.segments = {{L"k", 0, 0.75f, {{L"\x0915", 0.5f}}},
                       {L"ki", 2, 0.125f, {{L"\x0915\x093F", 1.0f}}}};
  contents.key_value_lines = {"\xE0\xA4\x95 k", "\xE0\xA4\x96\tkh\r\n"};
  return contents;
}

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_LANGUAGE_DATA_TEST_HELPERS_H_
