// The custom schemes of the transliteration handler: per language, the
// schemes read from the scheme folder (once per language), the one that
// converts the typed text, and the errors the last reading found.
#ifndef IME_T13N_FRONTEND_SCHEME_SET_H_
#define IME_T13N_FRONTEND_SCHEME_SET_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ime/t13n/transliteration/transliterator/canonical_scheme.h"

namespace ime_t13n {

class SchemeSet {
 public:
  // Reads scheme files from |folder|.
  explicit SchemeSet(const std::wstring& folder);
  SchemeSet(const SchemeSet&) = delete;
  SchemeSet& operator=(const SchemeSet&) = delete;

  // Makes |language| current; its files are read the first time only (the
  // error messages are those of that reading). No scheme is selected
  // afterwards.
  void SetCandidateLanguage(int language);
  // Selects scheme |number| of the current language; none when the number
  // lies outside its list.
  void SelectScheme(int number);
  // The selected scheme's conversion of |text|; |text| itself without one.
  std::wstring ConvertOrCopy(const std::wstring& text) const;

  // The names of the current language's schemes, in list order.
  std::vector<std::wstring> SchemeNames() const;
  bool errors_found() const { return errors_found_; }
  const std::vector<std::wstring>& error_messages() const {
    return error_messages_;
  }
  // The messages joined by "\r\n".
  std::wstring JoinedErrors() const;
  const CanonicalScheme* selected() const { return selected_; }
  int language() const { return language_; }

 private:
  std::wstring folder_;
  int language_ = 0;
  const CanonicalScheme* selected_ = nullptr;
  bool errors_found_ = false;
  std::vector<std::wstring> error_messages_;
  std::map<int, std::vector<std::unique_ptr<CanonicalScheme>>> schemes_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_SCHEME_SET_H_
