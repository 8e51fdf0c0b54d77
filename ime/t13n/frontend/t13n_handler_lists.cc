// The candidate list and the composition that the transliteration handler
// hands to the engine.
#include "ime/t13n/frontend/t13n_handler.h"

namespace ime_t13n {

int32_t T13nHandler::Candidate::PageCount() const {
  const int32_t n = static_cast<int32_t>(entries_.size());
  return (n + page_size_ - 1) / page_size_;
}

int32_t T13nHandler::Candidate::CountOnPageOf(int32_t page) const {
  const int32_t n = static_cast<int32_t>(entries_.size());
  const int32_t pages = PageCount();
  if (n == 0 || page < 0 || page >= pages) return 0;
  if (page < pages - 1) return page_size_;
  const int32_t rest = n % page_size_;
  return rest == 0 ? page_size_ : rest;
}

int32_t T13nHandler::Candidate::CountOnPage() const {
  return CountOnPageOf(page_index_);
}

std::wstring T13nHandler::Candidate::At(int32_t i) const {
  if (i < 0 || i >= CountOnPage()) return std::wstring();
  return entries_[static_cast<size_t>(page_index_) * page_size_ + i];
}

bool T13nHandler::Candidate::IsFlagged(int32_t i) const {
  if (i < 0 || i >= CountOnPage()) return false;
  return flags_[static_cast<size_t>(page_index_) * page_size_ + i];
}

void T13nHandler::Candidate::Clear() {
  entries_.clear();
  flags_.clear();
}

void T13nHandler::Candidate::Add(const std::wstring& entry, bool flagged) {
  entries_.push_back(entry);
  flags_.push_back(flagged);
}

const ime_shared::ClauseInterface* T13nHandler::Composition::ClauseAt(
    int32_t i) const {
  if (i < 0 || i >= ClauseCount()) return nullptr;
  return &clauses_[i];
}

int32_t T13nHandler::Composition::FocusedClause() const {
  int32_t sum = 0;
  for (int32_t i = 0; i < ClauseCount(); ++i) {
    sum += static_cast<int32_t>(clauses_[i].Text().size());
    if (sum >= caret_) return i;
  }
  return ClauseCount() > 0 ? ClauseCount() - 1 : 0;
}

}  // namespace ime_t13n
