#include "ime/t13n/frontend/scheme_set.h"

#include "ime/t13n/transliteration/transliterator/scheme_loader.h"

namespace ime_t13n {

SchemeSet::SchemeSet(const std::wstring& folder) : folder_(folder) {}

void SchemeSet::SetCandidateLanguage(int language) {
  language_ = language;
  selected_ = nullptr;
  if (schemes_.count(language) != 0) return;
  error_messages_.clear();
  std::vector<std::unique_ptr<CanonicalScheme>> schemes;
  LoadCanonicalSchemesFromFolder(folder_, &schemes, &error_messages_);
  errors_found_ = !error_messages_.empty();
  schemes_[language] = std::move(schemes);
}

void SchemeSet::SelectScheme(int number) {
  selected_ = nullptr;
  auto it = schemes_.find(language_);
  if (it == schemes_.end() || number < 0 ||
      static_cast<size_t>(number) >= it->second.size()) {
    return;
  }
  selected_ = it->second[number].get();
}

std::wstring SchemeSet::ConvertOrCopy(const std::wstring& text) const {
  return selected_ != nullptr ? selected_->Convert(text) : text;
}

std::vector<std::wstring> SchemeSet::SchemeNames() const {
  std::vector<std::wstring> names;
  auto it = schemes_.find(language_);
  if (it == schemes_.end()) return names;
  for (const auto& scheme : it->second) names.push_back(scheme->name());
  return names;
}

std::wstring SchemeSet::JoinedErrors() const {
  std::wstring joined;
  for (size_t i = 0; i < error_messages_.size(); ++i) {
    if (i > 0) joined += L"\r\n";
    joined += error_messages_[i];
  }
  return joined;
}

}  // namespace ime_t13n
