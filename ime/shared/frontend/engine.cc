#include "ime/shared/frontend/engine.h"

#include <ctime>

#include "ime/shared/base/registry_key.h"
#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/core_interface.h"
#include "ime/shared/frontend/keyboard_layout_table.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/url_launcher.h"
#include "ime/shared/web_address.h"

namespace ime_shared {
namespace frontend {

const wchar_t kActiveTimeValue[] = L"ActiveTime";

namespace {

// The process-wide keyboard layout index, shared by every engine.
int g_layout_index = 0;

}  // namespace

Engine::Engine(ContextInterface* context, SettingsInterface* settings)
    : context_(context),
      layouts_(new KeyboardLayoutTable(&g_layout_index)),
      settings_(settings) {
  const base::RegistryKey key = OpenUserProductKey();
  if (key) {
    key.WriteDword(kActiveTimeValue,
                   static_cast<DWORD>(static_cast<uint64_t>(std::time(nullptr))));
  }
}

Engine::~Engine() {
  // The core goes first: its handlers may still point at the candidate
  // list they handed over, never at what the engine frees below.
  core_.reset();
  composition_.reset();
}

bool Engine::IsComposing() const {
  return !display_.empty() || !spaced_.empty() ||
         (candidates_ != nullptr && candidates_->CountOnPage() > 0);
}

bool Engine::IsHotKey(const KeyEvent& key) const {
  if (!key.IsDown()) return false;
  // Esc is the input method's only while there is something to cancel or
  // a picker to hide: otherwise dialogs must still close with it.
  if (key.virtual_key == vk::kEscape) {
    return IsComposing() || GetProperty(kPropertyPickerShown) != 0;
  }
  if (key.virtual_key == vk::kF12) return true;
  if (key.HasControl()) {
    const uint8_t c = key.Byte();
    return c == kCtrlG || c == kCtrlK || c == kCtrlM;
  }
  return false;
}

bool Engine::ProcessKey(const KeyEvent& key) {
  const bool pre_answer = IsHotKey(key);
  const bool layout_answer = IsLayoutKey(key);
  ClearPendingFlags();
  // Whether the key is eaten is this key's own test's answer. A handler
  // that lets a key pass without a word (transliteration off) must not
  // leave it the verdict on an earlier key, such as the release of a letter
  // that came after the Space committing its word.
  StoreProperty(kPropertyKeyEaten, 0);
  Send(KeyStrokeCommand<kTestKeyCommand>(key));
  if (key.virtual_key == vk::kCapital) {
    // The status shows Caps Lock; the key itself always goes on.
    if (context_ != nullptr) context_->Update(kUpdateMode);
    return false;
  }
  if (!(layout_answer || pre_answer || GetProperty(kPropertyKeyEaten) != 0)) {
    return false;
  }
  Flush(true);
  return true;
}

bool Engine::HandleKey(const KeyEvent& key) {
  if (key.virtual_key == 0) return false;
  last_key_was_backspace_ = key.virtual_key == vk::kBack;
  bool answer = false;
  if (FilterHotKey(key, &answer)) return answer;
  if (TypeLayoutKey(key)) return true;
  return Flush(Send(KeyStrokeCommand<kHandleKeyCommand>(key)));
}

bool Engine::MoveCaret(int32_t kind, int32_t position) {
  const uint32_t inline_mode =
      settings_ != nullptr ? settings_->GetInt(kSettingInlineMode) : 0;
  if (inline_mode != 0) return true;
  bool answer = false;
  if (kind == 1) answer = Send(MoveCaretCommand(position));
  return Flush(answer);
}

bool Engine::SelectCandidate(int32_t index, bool commit) {
  bool answer = Send(SelectCandidateCommand(index));
  if (commit) answer = Send(CommandImpl<kCommitSelectionCommand>());
  return Flush(answer);
}

void Engine::EndComposition(bool complete) {
  // A context whose Update ends the composition again (a text-service
  // composition terminated while being written) is ignored.
  if (ending_) return;
  ending_ = true;
  bool answer;
  if (complete) {
    answer = Send(CommandImpl<kCompleteCommand>());
  } else {
    answer = Send(CommandImpl<kCancelCommand>());
  }
  Flush(answer);
  ending_ = false;
}

bool Engine::ResizePage(int32_t count) {
  return Send(ResizePageCommand(count));
}

int32_t Engine::CandidateCount() const {
  return candidates_ != nullptr ? candidates_->CountOnPage() : 0;
}

int32_t Engine::CandidateSelection() const {
  return candidates_ != nullptr ? candidates_->Selection() : 0;
}

std::wstring Engine::CandidateAt(int32_t i) const {
  // Indices come from other programs (the text service's candidate UI) and
  // from the web search: never trusted.
  if (candidates_ == nullptr || i < 0 || i >= candidates_->CountOnPage()) {
    return std::wstring();
  }
  return candidates_->At(i);
}

bool Engine::SetComposition(CompositionInterface* composition) {
  composition_.reset(composition);
  result_.clear();
  display_.clear();
  spaced_.clear();
  picker_characters_ = 0;
  const int32_t clauses =
      composition_ != nullptr ? composition_->ClauseCount() : 0;
  std::wstring joined;
  for (int32_t i = 0; i < clauses; ++i) {
    const ClauseInterface* clause = composition_->ClauseAt(i);
    if (clause == nullptr) continue;
    if (i > 0) spaced_ += L' ';
    if (clause->Kind() == kPickerClause) {
      spaced_ += clause->Reading();
      picker_characters_ += static_cast<int32_t>(clause->Reading().size());
    } else {
      spaced_ += clause->Text();
    }
    joined += clause->Kind() == 1 ? clause->Text() : clause->Reading();
  }
  mapped_caret_ = MapCaret(composition_ != nullptr ? composition_->Caret() : 0);
  const uint32_t inline_mode =
      settings_ != nullptr ? settings_->GetInt(kSettingInlineMode) : 0;
  if (mapped_caret_ != static_cast<int32_t>(spaced_.size()) ||
      last_key_was_backspace_ || inline_mode == 0) {
    display_ = spaced_;
    reported_caret_ = mapped_caret_;
  } else {
    display_ = joined;
    reported_caret_ = static_cast<int32_t>(display_.size());
  }
  AddPendingFlags(kUpdateCompositionAndResult);
  return true;
}

bool Engine::SetResult(const std::wstring& text) {
  result_ = text;
  reported_caret_ = 0;
  display_.clear();
  spaced_.clear();
  mapped_caret_ = 0;
  candidates_ = nullptr;
  AddPendingFlags(kUpdateCompositionAndResult | kUpdateCandidateList);
  return true;
}

bool Engine::SetCandidates(CandidateInterface* candidates) {
  candidates_ = candidates;
  AddPendingFlags(kUpdateCandidateList);
  return true;
}

bool Engine::CandidatesChanged(int32_t selection) {
  AddPendingFlags(kUpdateCandidateList);
  return true;
}

bool Engine::SetCaret(int32_t position) {
  mapped_caret_ = MapCaret(position);
  AddPendingFlags(kUpdateCompositionAndResult);
  return true;
}

int32_t Engine::GetProperty(int index) const {
  if (index < 0 || index >= kPropertyCount) return 0;
  return properties_[index];
}

void Engine::StoreProperty(int index, int32_t value) {
  if (index >= 0 && index < kPropertyCount) properties_[index] = value;
}

void Engine::SetLayoutIndex(int32_t index) { g_layout_index = index; }

int32_t Engine::GetLayoutIndex() const { return g_layout_index; }

// Layout 0 ("English") types what the keyboard types anyway: only another
// layout takes keys, and never with Ctrl or Alt.
bool Engine::IsLayoutKey(const KeyEvent& key) {
  if (!key.IsDown() || (key.state & (KeyEvent::kControl | KeyEvent::kAlt))) {
    return false;
  }
  return GetLayoutIndex() > 0 &&
         !layouts_->KeyText(GetLayoutIndex(), key.virtual_key, key.HasShift())
              .empty();
}

bool Engine::TypeLayoutKey(const KeyEvent& key) {
  if (!IsLayoutKey(key)) return false;
  return !layouts_->TypeKey(key.virtual_key, key.HasShift()).empty();
}

int32_t Engine::MapCaret(int32_t position) const {
  const int32_t clauses =
      composition_ != nullptr ? composition_->ClauseCount() : 0;
  if (clauses <= 0) return position;
  int32_t sum = 0;
  for (int32_t i = 0;; ++i) {
    const ClauseInterface* clause = composition_->ClauseAt(i);
    const int32_t length =
        clause != nullptr ? static_cast<int32_t>(clause->Text().size()) : 0;
    if (position < length) break;
    sum += clause != nullptr && clause->Kind() == kPickerClause
               ? static_cast<int32_t>(clause->Reading().size())
               : length;
    if (position != length) sum += 1;  // the space between two clauses
    position -= length;
    if (i + 1 >= clauses) break;
  }
  return sum + position;
}

void Engine::SearchWeb(int32_t index) {
  UserNameInterface* user_name =
      user_name_ != nullptr ? user_name_ : SystemUserName();
  ShellOpenInterface* shell = shell_ != nullptr ? shell_ : SystemShell();
  if (IsSystemAccount(user_name)) return;
  if (index < 0) index = CandidateSelection();
  std::wstring query;
  if (CandidateCount() >= 1) query = CandidateAt(index);
  if (query.empty()) query = spaced_;
  LaunchUrlAsync(BuildSearchUrl(query), user_name, shell);
}

void Engine::SetWebSeams(UserNameInterface* user_name,
                         ShellOpenInterface* shell) {
  user_name_ = user_name;
  shell_ = shell;
}

bool Engine::Send(const CommandInterface& command) {
  return core_ != nullptr && core_->Execute(command);
}

bool Engine::Flush(bool answer) {
  const uint32_t flags = pending_flags();
  if (flags == 0) return answer;
  // Cleared before the update, so that flags raised by a call the context
  // makes from inside Update stay pending.
  ClearPendingFlags();
  return context_ != nullptr && context_->Update(flags) != 0;
}

void Engine::AddPendingFlags(uint32_t flags) {
  properties_[kPropertyPendingFlags] |= static_cast<int32_t>(flags);
}

uint32_t Engine::pending_flags() const {
  return static_cast<uint32_t>(properties_[kPropertyPendingFlags]);
}

void Engine::ClearPendingFlags() { properties_[kPropertyPendingFlags] = 0; }

void Engine::ReplaceCore(CoreInterface* core) {
  if (core != core_.get()) core_.reset(core);
}

}  // namespace frontend
}  // namespace ime_shared
