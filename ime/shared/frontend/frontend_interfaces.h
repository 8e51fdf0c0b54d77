// The three interfaces around an engine: what an input context calls
// (EngineInterface), what the module handler calls back (FrontendInterface)
// and what the engine needs of its input context (ContextInterface), with
// the dirty flags that say what changed.
#ifndef IME_SHARED_FRONTEND_FRONTEND_INTERFACES_H_
#define IME_SHARED_FRONTEND_FRONTEND_INTERFACES_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ime/shared/frontend/key_event.h"

namespace ime_shared {

class CandidateInterface;
class CompositionInterface;

// What changed since the context was last brought up to date.
enum UpdateFlags : uint32_t {
  kUpdateComposition = 0x01,  // composition text, caret or result
  kUpdateResult = 0x02,       // always set together with 0x01
  kUpdateCompositionAndResult = 0x03,
  kUpdateCandidates = 0x04,   // candidate list
  kUpdateCandidatePage = 0x08,  // always set together with 0x04
  kUpdateCandidateList = 0x0C,
  kUpdateMode = 0x10,         // on/off, language, scheme, key-eaten state
  kUpdatePicker = 0x20,       // character picker shown or hidden
  kUpdateAll = 0x3F,          // a full refresh
};

// What an input context asks of its engine.
class EngineInterface {
 public:
  virtual ~EngineInterface() = default;
  // Whether the key will be eaten (the application does not see it).
  virtual bool ProcessKey(const KeyEvent& key) = 0;
  // Processes a key that the context decided to give to the input method.
  virtual bool HandleKey(const KeyEvent& key) = 0;
  virtual bool MoveCaret(int32_t kind, int32_t position) = 0;
  // Selects candidate |index| of the current page, committing it when
  // |commit| is set.
  virtual bool SelectCandidate(int32_t index, bool commit) = 0;
  // Ends the composition: committing the selection when |complete|, else
  // cancelling it.
  virtual void EndComposition(bool complete) = 0;
  // Does nothing; kept for the contexts that call it.
  virtual void Noop() = 0;
  // The number of candidates that fit in the candidate row.
  virtual bool ResizePage(int32_t count) = 0;
  virtual const std::wstring& GetComposition() const = 0;
  virtual int32_t GetCaret() const = 0;
  virtual const std::wstring& GetResult() const = 0;
  // Candidates on the current page; 0 without a list.
  virtual int32_t CandidateCount() const = 0;
  // The selected index on the page; 0 without a list.
  virtual int32_t CandidateSelection() const = 0;
  // Candidate |i| of the current page; empty without a list or outside it.
  virtual std::wstring CandidateAt(int32_t i) const = 0;
  // |which| 0: conversion mode (transliteration on); 1: sentence mode.
  virtual bool GetConversionMode(int32_t which) const = 0;
  virtual void SetConversionMode(int32_t which, int32_t value) = 0;
};

// What the module handler reports to the engine. Every operation answers
// true.
class FrontendInterface {
 public:
  virtual ~FrontendInterface() = default;
  // Takes ownership of |composition|.
  virtual bool SetComposition(CompositionInterface* composition) = 0;
  virtual bool SetResult(const std::wstring& text) = 0;
  // |candidates| stays the handler's.
  virtual bool SetCandidates(CandidateInterface* candidates) = 0;
  // The handler's mode word: 0 off, 10..28 on with language value-10, -1
  // key not eaten, -2 key eaten.
  virtual bool SetMode(int32_t mode) = 0;
  virtual bool CandidatesChanged(int32_t selection) = 0;
  virtual bool SetCaret(int32_t position) = 0;
};

// The transliteration front end's receiver of the custom scheme names.
class T13nFrontendInterface {
 public:
  virtual ~T13nFrontendInterface() = default;
  virtual void SetSchemeList(const std::vector<std::wstring>& names) = 0;
};

// What the engine needs of the input context that owns it.
class ContextInterface {
 public:
  // The context owns and deletes its engine.
  virtual ~ContextInterface() = default;
  // Brings the application's view up to date for |flags| (UpdateFlags),
  // then passes them on to the UI manager. Called by the engine, never from
  // inside the context's own Update.
  virtual int32_t Update(uint32_t flags) = 0;
  // True for a text-service context, false for an IMM32 one.
  virtual bool IsTextServiceContext() const = 0;
  virtual EngineInterface* GetEngine() = 0;
  // The screen rectangle where the candidate window goes; |text| (may be
  // null) is emptied.
  virtual bool GetCaretRect(std::wstring* text, RECT* out) = 0;
  // Answers false in both contexts; kept for symmetry with the first.
  virtual bool Reserved() = 0;
  // 1: the application positions the composition window; 2: it positions
  // the candidate window.
  virtual bool GetFlag(int32_t index) = 0;
};

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_FRONTEND_INTERFACES_H_
