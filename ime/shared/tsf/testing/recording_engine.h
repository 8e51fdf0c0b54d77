// An engine for the TSF tests that records what the text service asks of it
// and answers from a script: the candidates of the page, whether a key is
// eaten, the conversion modes. Hooks run inside the calls that, in the real
// engine, call the context back.
#ifndef IME_SHARED_TSF_TESTING_RECORDING_ENGINE_H_
#define IME_SHARED_TSF_TESTING_RECORDING_ENGINE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/key_event.h"
#include "ime/shared/frontend/ui_manager_interface.h"

namespace ime_tsf_testing {

class RecordingEngine : public ime_shared::EngineInterface {
 public:
  bool ProcessKey(const ime_shared::KeyEvent& key) override {
    tested_keys.push_back(key);
    return eats ? eats(key) : false;
  }
  bool HandleKey(const ime_shared::KeyEvent& key) override {
    handled_keys.push_back(key);
    return true;
  }
  bool MoveCaret(int32_t kind, int32_t position) override {
    caret_moves.push_back({kind, position});
    return true;
  }
  bool SelectCandidate(int32_t index, bool commit) override {
    selections.push_back({index, commit ? 1 : 0});
    return true;
  }
  void EndComposition(bool complete) override {
    endings.push_back(complete);
    if (on_end_composition) on_end_composition(complete);
  }
  void Noop() override {}
  bool ResizePage(int32_t count) override {
    page_sizes.push_back(count);
    return true;
  }
  const std::wstring& GetComposition() const override { return composition; }
  int32_t GetCaret() const override { return caret; }
  const std::wstring& GetResult() const override { return result; }
  int32_t CandidateCount() const override {
    return static_cast<int32_t>(candidates.size());
  }
  int32_t CandidateSelection() const override { return selection; }
  std::wstring CandidateAt(int32_t i) const override {
    ++candidate_reads;
    return i >= 0 && i < CandidateCount() ? candidates[i] : std::wstring();
  }
  bool GetConversionMode(int32_t which) const override {
    return which == 0 ? conversion_mode : sentence_mode;
  }
  void SetConversionMode(int32_t which, int32_t value) override {
    mode_changes.push_back({which, value});
    if (on_set_conversion_mode) on_set_conversion_mode(which, value);
  }

  // Whether ProcessKey eats a key; none eats without it.
  std::function<bool(const ime_shared::KeyEvent&)> eats;
  std::function<void(int32_t, int32_t)> on_set_conversion_mode;
  std::function<void(bool)> on_end_composition;

  std::wstring composition;
  int32_t caret = 0;
  std::wstring result;
  std::vector<std::wstring> candidates;
  int32_t selection = 0;
  bool conversion_mode = true;
  bool sentence_mode = false;

  std::vector<ime_shared::KeyEvent> tested_keys;
  std::vector<ime_shared::KeyEvent> handled_keys;
  std::vector<std::pair<int32_t, int32_t>> caret_moves;
  std::vector<std::pair<int32_t, int32_t>> selections;
  std::vector<bool> endings;
  std::vector<int32_t> page_sizes;
  std::vector<std::pair<int32_t, int32_t>> mode_changes;
  mutable int candidate_reads = 0;
};

// A UI manager that records what the context tells it.
class RecordingUIManager : public ime_shared::UIManagerInterface {
 public:
  void AttachEngine(ime_shared::ContextInterface* context) override {
    attached.push_back(context);
  }
  void SetOption(int32_t option, int32_t value) override {
    options.push_back({option, value});
  }
  void Update(uint32_t flags) override { updates.push_back(flags); }
  bool GetCandidateRect() override {
    ++candidate_rect_requests;
    return true;
  }

  // The context last attached (null: detached or never attached).
  ime_shared::ContextInterface* current() const {
    return attached.empty() ? nullptr : attached.back();
  }

  std::vector<ime_shared::ContextInterface*> attached;
  std::vector<std::pair<int32_t, int32_t>> options;
  std::vector<uint32_t> updates;
  int candidate_rect_requests = 0;
};

}  // namespace ime_tsf_testing

#endif  // IME_SHARED_TSF_TESTING_RECORDING_ENGINE_H_
