#include "ime/t13n/frontend/t13n_handler.h"

#include <algorithm>

#include "ime/shared/frontend/command.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/key_event.h"
#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/frontend/scheme_error_reporter.h"
#include "ime/t13n/frontend/scheme_set.h"
#include "ime/t13n/transliteration/transliterator/scheme_loader.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliterator.h"

namespace ime_t13n {

using ime_shared::CommandAs;
using ime_shared::CommandInterface;
using ime_shared::KeyEvent;
namespace vk = ime_shared::vk;

namespace {

// Result words.
constexpr uint32_t kNotHandled = 0;
constexpr uint32_t kDoneFalse = 1;
constexpr uint32_t kKeepFalse = 2;
constexpr uint32_t kDoneTrue = 5;
constexpr uint32_t kKeepTrue = 6;
constexpr uint32_t kCommitted = ime_shared::kCommandDone |
                                ime_shared::kCommandAnswer;

// Mode words sent to the front end.
constexpr int32_t kModeOff = 0;
constexpr int32_t kModeLanguageBase = 10;
constexpr int32_t kModeKeyNotEaten = -1;
constexpr int32_t kModeKeyEaten = -2;

// The language index of Greek, whose transliteration keeps the typed case.
constexpr int kGreek = 4;
constexpr int kArabic = 1;

// The transliterations kept in front of the completions, and the words
// whose completions are offered.
constexpr size_t kKeptTransliterations = 3;
constexpr size_t kCompletionSeeds = 2;

bool IsCtrlDigitKey(const KeyEvent& key) {
  return key.HasControl() && key.virtual_key >= '1' && key.virtual_key <= '9';
}

wchar_t LowerCase(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

HandlerOptions HandlerOptions::Product() {
  HandlerOptions options;
  options.scheme_folder = ime_shared::GetInstallFilePath(kSchemeFolderName);
  options.reporter = DeferredSchemeErrorReporter();
  return options;
}

T13nHandler::T13nHandler(const HandlerOptions& options)
    : candidates_(new Candidate()),
      schemes_(new SchemeSet(options.scheme_folder)),
      reporter_(options.reporter) {}

T13nHandler::~T13nHandler() = default;

void T13nHandler::SetFrontend(ime_shared::FrontendInterface* frontend) {
  frontend_ = frontend;
}

void T13nHandler::Bind(ime_shared::ModuleMaster* master) {
  master_ = master;
  language_state_ = master != nullptr ? master->GetLanguageState() : nullptr;
}

void T13nHandler::SetTransliterator(ime_shared::StorageManager* storage) {
  storage_ = storage;
}

void T13nHandler::SetSchemeTarget(ime_shared::T13nFrontendInterface* target) {
  scheme_target_ = target;
}

ime_shared::SettingsInterface* T13nHandler::settings() const {
  return language_state_ != nullptr ? language_state_->settings() : nullptr;
}

int T13nHandler::CurrentLanguage() const {
  return language_state_ != nullptr ? language_state_->GetCurrentLanguage()
                                    : 0;
}

bool T13nHandler::IsWordCharacter(wchar_t c) const {
  if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
      (c >= L'0' && c <= L'9')) {
    return true;
  }
  return apostrophe_ && (c == L'\'' || c == L'`');
}

void T13nHandler::ClearInput() {
  candidates_->Clear();
  raw_.clear();
  lower_.clear();
  prefix_space_ = false;
  caret_ = 0;
  selection_ = 0;
  candidates_->set_page_index(0);
  candidates_->set_selection(0);
  picker_open_ = false;
  input_empty_ = true;
  // A page made smaller to fit the candidate row lasts one word.
  candidates_->set_page_size(configured_page_size_);
}

void T13nHandler::Reset() { ClearInput(); }

void T13nHandler::Cancel() {
  Reset();
  if (frontend_ != nullptr) frontend_->SetResult(std::wstring());
}

void T13nHandler::HandleCommand(uint32_t& word,
                                const CommandInterface& command) {
  word = kNotHandled;
  const bool off = language_state_ != nullptr && language_state_->IsOff();
  switch (command.Type()) {
    case ime_shared::kPickerUnitCommand:
      if (auto* unit =
              CommandAs<ime_shared::SoftKeyboardKeyPressedCommand>(command)) {
        InsertPickerUnit(word, unit->unit());
      }
      return;
    case ime_shared::kPageSizeCommand:
      SetPageSize();
      selection_ = 0;
      candidates_->set_page_index(0);
      word = Refresh();
      return;
    case ime_shared::kTransliterationOffCommand:
      // The Latin text typed so far is committed unchanged.
      if (frontend_ != nullptr) frontend_->SetResult(raw_);
      Reset();
      if (language_state_ != nullptr) language_state_->SetOff(true);
      if (frontend_ != nullptr) frontend_->SetMode(kModeOff);
      word = kDoneTrue;
      return;
    case ime_shared::kToggleSchemeCommand:
      Cancel();
      if (language_state_ != nullptr) {
        language_state_->ToggleSchemeMode();
        if (language_state_->IsSchemeMode()) {
          const uint32_t number =
              settings() != nullptr
                  ? settings()->GetInt(ime_shared::kSettingT13nCurrentScheme)
                  : 0;
          schemes_->SelectScheme(static_cast<int>(number));
        }
      }
      word = kDoneTrue;
      return;
    case ime_shared::kSelectCandidateCommand:
      if (auto* select =
              CommandAs<ime_shared::SelectCandidateCommand>(command)) {
        SelectCandidate(word, select->index());
      }
      return;
    case ime_shared::kNextPageCommand:
      MovePage(word, 1);
      return;
    case ime_shared::kPreviousPageCommand:
      MovePage(word, -1);
      return;
    case ime_shared::kTransliterationOnCommand:
      if (language_state_ != nullptr) language_state_->SetOff(false);
      word = kDoneTrue;
      return;
    case ime_shared::kLanguageChangedCommand:
      Cancel();
      LoadLanguage();
      SetPageSize();
      if (frontend_ != nullptr) {
        frontend_->SetMode(CurrentLanguage() + kModeLanguageBase);
      }
      ReloadSchemes();
      if (language_state_ != nullptr) {
        language_state_->SetOff(false);
        // The schemes were read again and none is selected: the typed text
        // must not stay unconverted in a scheme mode nobody can see.
        language_state_->SetSchemeMode(false);
      }
      word = kDoneTrue;
      return;
    case ime_shared::kAttachCommand:
      if (frontend_ != nullptr) {
        frontend_->SetMode(off ? kModeOff
                               : CurrentLanguage() + kModeLanguageBase);
      }
      LoadLanguage();
      ReloadSchemes();
      word = kDoneTrue;
      return;
    default:
      break;
  }

  if (off && !picker_open_) return;  // the key or command passes through
  if (input_empty_) {
    FilterKey(word, command);
    return;
  }
  switch (command.Type()) {
    case ime_shared::kCancelCommand:
      Cancel();
      word = kDoneTrue;
      return;
    case ime_shared::kTestKeyCommand:
    case ime_shared::kHandleKeyCommand: {
      const KeyEvent* key = ime_shared::KeyOfCommand(command);
      if (key == nullptr) return;
      if (command.Type() == ime_shared::kTestKeyCommand) {
        TestKey(word, *key);
      } else {
        EditKey(word, *key);
      }
      return;
    }
    case ime_shared::kCommitSelectionCommand:
    case ime_shared::kCompleteCommand:
      Commit(word, std::wstring());
      return;
    case ime_shared::kResizePageCommand:
      if (auto* resize = CommandAs<ime_shared::ResizePageCommand>(command)) {
        ResizePage(word, resize->count());
      }
      return;
    default:
      word = kDoneFalse;
      return;
  }
}

void T13nHandler::SetPageSize() {
  const uint32_t size =
      settings() != nullptr
          ? settings()->GetInt(ime_shared::kSettingT13nCandidatePageSize)
          : static_cast<uint32_t>(Candidate::kDefaultPageSize);
  configured_page_size_ = static_cast<int32_t>(size);
  candidates_->set_page_size(configured_page_size_);
  // Completions fill the second page: three transliterations and
  // 2 x size - 3 completions.
  ime_shared::StorageLock lock(storage());
  ime_t13n::Suggest* suggest =
      storage() != nullptr ? storage()->GetSuggest() : nullptr;
  if (suggest != nullptr) suggest->SetMaxResults(2 * configured_page_size_ - 3);
}

void T13nHandler::LoadLanguage() {
  language_loaded_ =
      storage() != nullptr && language_state_ != nullptr &&
      storage()->Init(language_state_->GetCurrentLanguageCode());
}

void T13nHandler::ReloadSchemes() {
  const int language = CurrentLanguage();
  schemes_->SetCandidateLanguage(language);
  if (schemes_->errors_found()) {
    ReportSchemeErrorsOnce(reporter_, schemes_->JoinedErrors());
  }
  if (scheme_target_ != nullptr) {
    scheme_target_->SetSchemeList(schemes_->SchemeNames());
  }
  language_index_ = language;
  arabic_ = language == kArabic;
  apostrophe_ = language == 1 || language == 3 || language == 17 ||
                language == 18;
  punctuation_ = language == 1 || language == 3 || language == 13;
}

void T13nHandler::InsertPickerUnit(uint32_t& word, wchar_t unit) {
  if (!picker_open_) {
    // An unfinished word is dropped, not committed: committing a guess
    // would insert text nobody chose.
    Reset();
    picker_open_ = true;
    raw_.assign(1, unit);
    caret_ = 1;
    input_empty_ = false;
  } else {
    if (TextFull()) {
      word = kKeepTrue;
      return;
    }
    raw_.insert(std::min<size_t>(caret_, raw_.size()), 1, unit);
    ++caret_;
    selection_ = 0;
    candidates_->set_page_index(0);
  }
  word = PickerRefresh();
}

void T13nHandler::SelectCandidate(uint32_t& word, int32_t index) {
  if (index < 0 || index >= candidates_->CountOnPage()) {
    word = kKeepTrue;
    return;
  }
  selection_ = index;
  LearnSelection();
  word = kDoneTrue;
}

void T13nHandler::MovePage(uint32_t& word, int32_t delta) {
  // The buttons are offered only where a page exists; anything else is
  // clamped, so that the page never lies outside the entries.
  const int32_t pages = candidates_->PageCount();
  int32_t page = candidates_->PageIndex() + delta;
  page = std::max<int32_t>(0, std::min<int32_t>(page, pages - 1));
  candidates_->set_page_index(pages > 0 ? page : 0);
  selection_ = 0;
  word = Refresh();
}

void T13nHandler::ResizePage(uint32_t& word, int32_t count) {
  // The candidate row shows only |count| cells: the page shrinks for this
  // word, so that no selectable candidate lies outside the row. The entry
  // selected stays selected.
  if (count >= 1 && count < candidates_->page_size()) {
    const int32_t absolute =
        candidates_->PageIndex() * candidates_->page_size() + selection_;
    candidates_->set_page_size(count);
    candidates_->set_page_index(absolute / count);
    selection_ = absolute % count;
    candidates_->set_selection(selection_);
    if (frontend_ != nullptr) frontend_->CandidatesChanged(selection_);
  }
  word = kDoneFalse;
}

void T13nHandler::TestKey(uint32_t& word, const KeyEvent& key) {
  const bool off = language_state_ != nullptr && language_state_->IsOff();
  if (!key.IsDown()) {
    if (frontend_ != nullptr) frontend_->SetMode(kModeKeyNotEaten);
    word = kDoneFalse;
    return;
  }
  const wchar_t c = key.Byte();
  if (picker_open_ && c >= 0x20) {
    // The picker text goes first; the key itself is processed by the
    // handling call that follows, as the start of what comes next.
    uint32_t committed = 0;
    Commit(committed, std::wstring());
    input_empty_ = false;
    if (off) picker_open_ = true;
  }
  const uint16_t v = key.virtual_key;
  const bool eaten = c >= 0x20 || v == vk::kBack || v == vk::kTab ||
                     v == vk::kReturn || (v >= vk::kPrior && v <= vk::kDown) ||
                     v == vk::kDelete || IsCtrlDigitKey(key);
  // A key that is not the input method's (Shift or Ctrl going down while
  // a letter is still held, say) must say so: the eaten state of the last
  // key would otherwise stick to it.
  if (frontend_ != nullptr) {
    frontend_->SetMode(eaten ? kModeKeyEaten : kModeKeyNotEaten);
  }
  word = eaten && !off ? kKeepFalse : kDoneFalse;
}

void T13nHandler::FilterKey(uint32_t& word, const CommandInterface& command) {
  const bool off = language_state_ != nullptr && language_state_->IsOff();
  const bool scheme_mode =
      language_state_ != nullptr && language_state_->IsSchemeMode();
  const KeyEvent* key = ime_shared::KeyOfCommand(command);
  if (off || key == nullptr) {
    word = kNotHandled;
    return;
  }
  const wchar_t c = key->Byte();
  const bool punctuation =
      punctuation_ && IsArabicScriptPunctuation(language_index_, c);
  if (command.Type() == ime_shared::kTestKeyCommand) {
    bool eaten;
    if (scheme_mode) {
      eaten = !(c < 0x20 || key->virtual_key == vk::kSpace);
    } else {
      eaten = IsWordCharacter(c) || punctuation;
    }
    if (frontend_ != nullptr) {
      frontend_->SetMode(eaten ? kModeKeyEaten : kModeKeyNotEaten);
    }
    word = kKeepTrue;
    return;
  }
  if (!key->IsDown()) {
    word = kNotHandled;
    return;
  }
  if (scheme_mode) {
    if (c < 0x20) {
      word = kNotHandled;
      return;
    }
    raw_.assign(1, c);
    caret_ = 1;
    selection_ = 0;
    candidates_->set_page_index(0);
    input_empty_ = false;
    word = Refresh();
    return;
  }
  if (!IsWordCharacter(c) && !punctuation) {
    word = kNotHandled;
    return;
  }
  if (punctuation) {
    // The mark alone is committed, in its Arabic-script form.
    ClearInput();
    Commit(word, std::wstring(1, MapArabicScriptPunctuation(language_index_, c)));
    return;
  }
  raw_.assign(1, c);
  lower_.assign(1, LowerCase(c));
  caret_ = 1;
  selection_ = 0;
  candidates_->set_page_index(0);
  input_empty_ = false;
  word = Refresh();
}

void T13nHandler::EditKey(uint32_t& word, const KeyEvent& key) {
  const bool off = language_state_ != nullptr && language_state_->IsOff();
  const bool scheme_mode =
      language_state_ != nullptr && language_state_->IsSchemeMode();
  const wchar_t c = key.Byte();
  const uint16_t v = key.virtual_key;
  const int32_t length = static_cast<int32_t>(raw_.size());

  if (!key.IsDown()) {
    word = kDoneFalse;
    return;
  }
  if (off && picker_open_ && c >= 0x20) {
    if (frontend_ != nullptr) frontend_->SetMode(kModeKeyNotEaten);
    Commit(word, std::wstring(1, c));
    return;
  }
  switch (v) {
    case vk::kBack:
      if (caret_ == 0) {
        word = kKeepTrue;
        return;
      }
      --caret_;
      raw_.erase(caret_, 1);
      if (!picker_open_ && !scheme_mode &&
          static_cast<size_t>(caret_) < lower_.size()) {
        lower_.erase(caret_, 1);
      }
      selection_ = 0;
      candidates_->set_page_index(0);
      word = Refresh();
      return;
    case vk::kDelete:
      if (caret_ >= length) {
        word = kKeepTrue;
        return;
      }
      selection_ = 0;
      candidates_->set_page_index(0);
      raw_.erase(caret_, 1);
      if (!scheme_mode && static_cast<size_t>(caret_) < lower_.size()) {
        lower_.erase(caret_, 1);
      }
      word = Refresh();
      return;
    case vk::kDown:
    case vk::kTab:
      if (v == vk::kDown || !key.HasShift()) {
        const int32_t pages = candidates_->PageCount();
        if (selection_ + 1 >= candidates_->CountOnPage()) {
          const int32_t page = candidates_->PageIndex() + 1;
          candidates_->set_page_index(page >= pages ? 0 : page);
          selection_ = 0;
        } else {
          ++selection_;
        }
        word = Refresh();
        return;
      }
      // Shift+Tab moves up.
      [[fallthrough]];
    case vk::kUp:
      if (selection_ <= 0) {
        const int32_t pages = candidates_->PageCount();
        const int32_t page = candidates_->PageIndex() - 1;
        candidates_->set_page_index(page < 0 ? std::max(pages - 1, 0) : page);
        selection_ = std::max(candidates_->CountOnPage() - 1, 0);
      } else {
        --selection_;
      }
      word = Refresh();
      return;
    case vk::kPrior:
    case vk::kNext: {
      const int32_t pages = candidates_->PageCount();
      int32_t page = candidates_->PageIndex() + (v == vk::kNext ? 1 : -1);
      if (page >= pages) page = 0;
      if (page < 0) page = std::max(pages - 1, 0);
      candidates_->set_page_index(page);
      // The selection stays, within the new page: a short last page must
      // not leave it on an entry that does not exist.
      selection_ = std::min(selection_,
                            std::max(candidates_->CountOnPage() - 1, 0));
      word = Refresh();
      return;
    }
    case vk::kEnd:
      caret_ = length;
      word = Refresh();
      return;
    case vk::kHome:
      if (picker_open_) {
        word = kKeepTrue;
        return;
      }
      caret_ = 0;
      word = Refresh();
      return;
    case vk::kLeft:
      if (picker_open_ || caret_ == 0) {
        word = kKeepTrue;
        return;
      }
      --caret_;
      word = Refresh();
      return;
    case vk::kRight:
      if (caret_ >= length) {
        word = kKeepTrue;
        return;
      }
      ++caret_;
      word = Refresh();
      return;
    default:
      break;
  }
  if (IsCtrlDigitKey(key)) {
    const int32_t n = v - '1';
    if (n >= candidates_->CountOnPage()) {
      word = kKeepTrue;
      return;
    }
    selection_ = n;
    if (off && frontend_ != nullptr) frontend_->SetMode(kModeKeyNotEaten);
    Commit(word, std::wstring());
    return;
  }
  if (v == vk::kReturn) {
    Commit(word, std::wstring());
    return;
  }
  if (scheme_mode) {
    if (v == vk::kSpace) {
      Commit(word, L" ");
      return;
    }
    if (c < 0x20) {
      // No character (a modifier, a function key): nothing to insert.
      word = kKeepFalse;
      return;
    }
    if (TextFull()) {
      word = kKeepTrue;  // eaten: nothing is lost, nothing is added
      return;
    }
    selection_ = 0;
    candidates_->set_page_index(0);
    raw_.insert(std::min<size_t>(caret_, raw_.size()), 1, c);
    ++caret_;
    word = Refresh();
    return;
  }
  if (IsWordCharacter(c)) {
    if (TextFull()) {
      word = kKeepTrue;  // eaten: nothing is lost, nothing is added
      return;
    }
    raw_.insert(std::min<size_t>(caret_, raw_.size()), 1, c);
    lower_.insert(std::min<size_t>(caret_, lower_.size()), 1, LowerCase(c));
    ++caret_;
    selection_ = 0;
    candidates_->set_page_index(0);
    word = Refresh();
    return;
  }
  const bool space = v == vk::kSpace;
  if (arabic_ && space && caret_ == length && !TextFull() &&
      word_prefixes_.Contains(lower_)) {
    // An Arabic word prefix: the word goes on, the space is removed again
    // before the word is transliterated.
    raw_ += L' ';
    lower_ += L' ';
    ++caret_;
    prefix_space_ = true;
    word = Refresh();
    return;
  }
  if (c < 0x20 && !space) {
    // A modifier or a key without a character: it ends nothing and adds
    // nothing (committing here would insert a control character).
    word = kKeepFalse;
    return;
  }
  if (space || caret_ == length) {
    const wchar_t mapped = punctuation_
                               ? MapArabicScriptPunctuation(language_index_, c)
                               : 0;
    Commit(word, std::wstring(1, mapped != 0 ? mapped : (space ? L' ' : c)));
    return;
  }
  // Punctuation inside the word changes nothing.
  word = kKeepTrue;
}

uint32_t T13nHandler::Refresh() {
  if (picker_open_) return PickerRefresh();
  if (language_state_ != nullptr && language_state_->IsSchemeMode()) {
    return SchemeRefresh();
  }
  return TransliterationRefresh();
}

void T13nHandler::ReloadMacrosIfChanged() {
  ime_shared::SettingsInterface* store = settings();
  if (store == nullptr ||
      store->GetInt(ime_shared::kSettingT13nMacroFileChanged) == 0) {
    return;
  }
  // Cleared before the reload: a save by the macros editor between the two
  // then marks the file again and is read next time.
  store->SetInt(ime_shared::kSettingT13nMacroFileChanged, 0);
  if (storage() != nullptr) storage()->LoadMacros();
}

void T13nHandler::AddCompletions(const std::vector<std::wstring>& seeds) {
  ime_shared::StorageLock lock(storage());
  ime_t13n::Suggest* suggest =
      storage() != nullptr ? storage()->GetSuggest() : nullptr;
  if (suggest == nullptr || seeds.empty()) return;
  std::vector<SuggestionRecord> completions;
  suggest->GetSuggestions(seeds, &completions);
  for (const SuggestionRecord& record : completions) {
    candidates_->Add(record.completion, true);
  }
}

uint32_t T13nHandler::TransliterationRefresh() {
  if (raw_.empty()) {
    Reset();
    return HandOver(ime_shared::kTypedClause);
  }
  candidates_->Clear();
  const int language = CurrentLanguage();
  std::wstring word = language == kGreek ? raw_ : lower_;
  if (prefix_space_) {
    const size_t space = word.find(L' ');
    if (space != std::wstring::npos) word.erase(space, 1);
  }
  ReloadMacrosIfChanged();

  learn_start_ = 0;
  {
    // Other threads of the process use the same language: the candidates
    // are made under its lock, and the lock is let go before the engine
    // hears of them.
    ime_shared::StorageLock lock(storage());
    Transliterator* transliterator =
        storage() != nullptr ? storage()->GetTransliterator() : nullptr;
    if (transliterator != nullptr) {
      const std::wstring macro = transliterator->LookupMacro(raw_);
      if (!macro.empty()) {
        candidates_->Add(macro, true);
        learn_start_ = 1;
      }
    }
    if (language_loaded_ && transliterator != nullptr) {
      std::vector<std::wstring> words;
      transliterator->GetCandidates(word, &words);
      for (size_t i = 0; i < words.size() && i < kKeptTransliterations; ++i) {
        candidates_->Add(words[i], false);
      }
    }
    learn_end_ = static_cast<int32_t>(candidates_->size());
    if (candidates_->size() > 0) {
      std::vector<std::wstring> seeds;
      for (size_t i = learn_start_;
           i < candidates_->size() && seeds.size() < kCompletionSeeds; ++i) {
        seeds.push_back(candidates_->entry(i));
      }
      AddCompletions(seeds);
    }
  }
  // Without a language (or a word it cannot read) the typed text is the
  // one candidate.
  if (candidates_->size() == 0) candidates_->Add(raw_, false);
  return HandOver(ime_shared::kTypedClause);
}

uint32_t T13nHandler::SchemeRefresh() {
  learn_start_ = 0;
  learn_end_ = 0;
  if (raw_.empty()) {
    Reset();
    return HandOver(ime_shared::kTypedClause);
  }
  // A scheme drops what none of its rules begins with; a word it drops
  // entirely would leave an empty candidate, and committing it would lose
  // the typed text: the text itself stands in for it.
  std::wstring converted = schemes_->ConvertOrCopy(raw_);
  if (converted.empty()) converted = raw_;
  candidates_->Clear();
  ReloadMacrosIfChanged();
  {
    ime_shared::StorageLock lock(storage());
    Transliterator* transliterator =
        storage() != nullptr ? storage()->GetTransliterator() : nullptr;
    if (transliterator != nullptr) {
      const std::wstring macro = transliterator->LookupMacro(raw_);
      if (!macro.empty()) candidates_->Add(macro, true);
    }
  }
  candidates_->Add(converted, false);
  AddCompletions({converted});
  return HandOver(ime_shared::kTypedClause);
}

uint32_t T13nHandler::PickerRefresh() {
  learn_start_ = 0;
  learn_end_ = 0;
  if (raw_.empty()) {
    Reset();
    return HandOver(ime_shared::kPickerClause);
  }
  candidates_->Clear();
  candidates_->Add(raw_, false);
  if (language_loaded_) AddCompletions({raw_});
  return HandOver(ime_shared::kPickerClause);
}

uint32_t T13nHandler::HandOver(int32_t kind) {
  // The page and selection always lie inside the list handed over.
  const int32_t pages = candidates_->PageCount();
  if (candidates_->PageIndex() >= pages) {
    candidates_->set_page_index(std::max(pages - 1, 0));
  }
  const int32_t on_page = candidates_->CountOnPage();
  if (selection_ >= on_page) selection_ = std::max(on_page - 1, 0);
  if (selection_ < 0) selection_ = 0;
  caret_ = std::max<int32_t>(
      0, std::min<int32_t>(caret_, static_cast<int32_t>(raw_.size())));
  if (frontend_ == nullptr) return kDoneFalse;
  std::vector<Clause> clauses;
  clauses.emplace_back(raw_, raw_, kind);
  frontend_->SetComposition(new Composition(caret_, std::move(clauses)));
  candidates_->set_selection(selection_);
  frontend_->SetCandidates(candidates_.get());
  frontend_->CandidatesChanged(selection_);
  return kDoneFalse;
}

void T13nHandler::LearnSelection() {
  if (candidates_->PageIndex() != 0 || selection_ < learn_start_ + 1 ||
      selection_ >= learn_end_) {
    return;
  }
  if (storage() != nullptr) {
    storage()->LearnUserChoice(lower_, candidates_->At(selection_));
  }
}

void T13nHandler::Commit(uint32_t& word, const std::wstring& ending) {
  LearnSelection();
  // Without an entry at the selection the typed text itself is committed:
  // the word typed must never be lost.
  std::wstring text = selection_ < candidates_->CountOnPage()
                          ? candidates_->At(selection_)
                          : raw_;
  text += ending;
  if (frontend_ != nullptr) frontend_->SetResult(text);
  ClearInput();
  word |= kCommitted;
}

}  // namespace ime_t13n
