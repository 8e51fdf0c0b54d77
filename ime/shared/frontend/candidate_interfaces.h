// What the handler hands the engine to show: the paged candidate list and
// the composition with its clauses. The engine and the windows only read
// them.
#ifndef IME_SHARED_FRONTEND_CANDIDATE_INTERFACES_H_
#define IME_SHARED_FRONTEND_CANDIDATE_INTERFACES_H_

#include <cstdint>
#include <string>

namespace ime_shared {

// A list of candidates shown a page at a time.
class CandidateInterface {
 public:
  virtual ~CandidateInterface() = default;
  // Entries on the current page; 0 without entries.
  virtual int32_t CountOnPage() const = 0;
  // Entry |i| of the current page; empty outside 0..CountOnPage()-1.
  virtual std::wstring At(int32_t i) const = 0;
  // 0: candidates are labelled with digits.
  virtual int32_t LabelStyle() const = 0;
  virtual int32_t PageCount() const = 0;
  virtual int32_t PageIndex() const = 0;
  // The selected index on the current page.
  virtual int32_t Selection() const = 0;
  // Whether the candidate menu may offer "Delete".
  virtual bool IsDeletable() const = 0;
};

// A candidate list whose entries may be flagged: a macro expansion or a
// completion, drawn in a second colour.
class T13nCandidateInterface : public CandidateInterface {
 public:
  // Whether entry |i| of the current page is flagged; false outside it.
  virtual bool IsFlagged(int32_t i) const = 0;
};

// Clause kinds.
constexpr int32_t kTypedClause = 0;   // typed text
constexpr int32_t kPickerClause = 2;  // character-picker text

// One clause of a composition: its text, its reading and its kind.
class ClauseInterface {
 public:
  virtual ~ClauseInterface() = default;
  virtual const std::wstring& Text() const = 0;
  virtual const std::wstring& Reading() const = 0;
  virtual int32_t Kind() const = 0;
};

// The text being composed, as clauses, with a caret in their concatenated
// texts.
class CompositionInterface {
 public:
  virtual ~CompositionInterface() = default;
  virtual int32_t ClauseCount() const = 0;
  // Null outside 0..ClauseCount()-1.
  virtual const ClauseInterface* ClauseAt(int32_t i) const = 0;
  // The clause that holds the caret: the lengths of the clauses' texts are
  // summed from the first until the sum reaches the caret.
  virtual int32_t FocusedClause() const = 0;
  virtual int32_t Caret() const = 0;
};

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_CANDIDATE_INTERFACES_H_
