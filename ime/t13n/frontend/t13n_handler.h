// The module handler of the transliteration front end. It keeps what the
// user typed (as typed and lower-cased), a caret in it and a paged
// candidate list, answers every command, and reports the composition, the
// candidates, results and modes back to the engine.
#ifndef IME_T13N_FRONTEND_T13N_HANDLER_H_
#define IME_T13N_FRONTEND_T13N_HANDLER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/t13n/frontend/t13n_module_master.h"
#include "ime/t13n/frontend/word_prefix_set.h"

namespace ime_shared {
class CommandInterface;
class FrontendInterface;
class SettingsInterface;
class StorageManager;
class SupportedLanguageSet;
class T13nFrontendInterface;
struct KeyEvent;
}  // namespace ime_shared

namespace ime_t13n {

class SchemeErrorReporterInterface;
class SchemeSet;

// Where a handler reads its scheme files and reports their errors.
struct HandlerOptions {
  // Default: the install folder's "Schemes".
  std::wstring scheme_folder;
  // Not owned. Default: the process's deferred reporter.
  SchemeErrorReporterInterface* reporter = nullptr;

  static HandlerOptions Product();
};

class T13nHandler : public T13nModuleHandler {
 public:
  // The most UTF-16 units the typed text (or the picker text) holds: what
  // the composition-string block of an IMM32 input context has room for. A
  // character that would go beyond is eaten and changes nothing, so what
  // the application shows is always the whole of what is composed.
  static constexpr size_t kMaxTypedLength = 499;

  // The paged candidate list the engine reads.
  class Candidate : public ime_shared::T13nCandidateInterface {
   public:
    static constexpr int32_t kDefaultPageSize = 5;

    int32_t CountOnPage() const override;
    // Empty outside the current page.
    std::wstring At(int32_t i) const override;
    int32_t LabelStyle() const override { return 0; }
    int32_t PageCount() const override;
    int32_t PageIndex() const override { return page_index_; }
    int32_t Selection() const override { return selection_; }
    bool IsDeletable() const override { return false; }
    // False outside the current page.
    bool IsFlagged(int32_t i) const override;

    // The handler's side.
    void Clear();
    void Add(const std::wstring& entry, bool flagged);
    size_t size() const { return entries_.size(); }
    const std::wstring& entry(size_t index) const { return entries_[index]; }
    // Page size from 1 on.
    void set_page_size(int32_t size) { page_size_ = size < 1 ? 1 : size; }
    int32_t page_size() const { return page_size_; }
    void set_page_index(int32_t index) { page_index_ = index; }
    void set_selection(int32_t selection) { selection_ = selection; }
    // Entries on page |page| (0 outside the pages).
    int32_t CountOnPageOf(int32_t page) const;

   private:
    int32_t page_index_ = 0;
    int32_t selection_ = 0;
    int32_t page_size_ = kDefaultPageSize;
    std::vector<std::wstring> entries_;
    std::vector<bool> flags_;
  };

  class Clause : public ime_shared::ClauseInterface {
   public:
    Clause(const std::wstring& text, const std::wstring& reading, int32_t kind)
        : text_(text), reading_(reading), kind_(kind) {}
    const std::wstring& Text() const override { return text_; }
    const std::wstring& Reading() const override { return reading_; }
    int32_t Kind() const override { return kind_; }

   private:
    std::wstring text_;
    std::wstring reading_;
    int32_t kind_;
  };

  class Composition : public ime_shared::CompositionInterface {
   public:
    Composition(int32_t caret, std::vector<Clause> clauses)
        : caret_(caret), clauses_(std::move(clauses)) {}
    int32_t ClauseCount() const override {
      return static_cast<int32_t>(clauses_.size());
    }
    const ime_shared::ClauseInterface* ClauseAt(int32_t i) const override;
    int32_t FocusedClause() const override;
    int32_t Caret() const override { return caret_; }

   private:
    int32_t caret_;
    std::vector<Clause> clauses_;
  };

  explicit T13nHandler(const HandlerOptions& options);
  ~T13nHandler() override;
  T13nHandler(const T13nHandler&) = delete;
  T13nHandler& operator=(const T13nHandler&) = delete;

  // ModuleHandler.
  void HandleCommand(uint32_t& word,
                     const ime_shared::CommandInterface& command) override;
  void SetFrontend(ime_shared::FrontendInterface* frontend) override;
  void Bind(ime_shared::ModuleMaster* master) override;
  void SetTransliterator(ime_shared::StorageManager* storage) override;
  void Reset() override;
  void SetSchemeTarget(ime_shared::T13nFrontendInterface* target) override;

  // For tests and the windows.
  const std::wstring& raw_text() const { return raw_; }
  int32_t caret() const { return caret_; }
  const Candidate& candidates() const { return *candidates_; }
  bool input_empty() const { return input_empty_; }
  bool language_loaded() const { return language_loaded_; }

 private:
  // Steps of HandleCommand.
  void TestKey(uint32_t& word, const ime_shared::KeyEvent& key);
  void FilterKey(uint32_t& word, const ime_shared::CommandInterface& command);
  void EditKey(uint32_t& word, const ime_shared::KeyEvent& key);
  void InsertPickerUnit(uint32_t& word, wchar_t unit);
  void SelectCandidate(uint32_t& word, int32_t index);
  void ResizePage(uint32_t& word, int32_t count);
  void MovePage(uint32_t& word, int32_t delta);
  void SetPageSize();
  void LoadLanguage();
  void ReloadSchemes();

  // Refreshes: the composition and candidates rebuilt and handed over.
  uint32_t Refresh();
  uint32_t TransliterationRefresh();
  uint32_t SchemeRefresh();
  uint32_t PickerRefresh();
  void ReloadMacrosIfChanged();
  void AddCompletions(const std::vector<std::wstring>& seeds);
  uint32_t HandOver(int32_t kind);

  void Commit(uint32_t& word, const std::wstring& ending);
  void Cancel();
  void LearnSelection();
  // Clears what the word being composed left behind.
  void ClearInput();

  bool IsWordCharacter(wchar_t c) const;
  // The typed text has no room for another character.
  bool TextFull() const { return raw_.size() >= kMaxTypedLength; }
  int CurrentLanguage() const;
  ime_shared::SettingsInterface* settings() const;
  ime_shared::StorageManager* storage() const { return storage_; }

  bool arabic_ = false;
  bool apostrophe_ = false;
  bool punctuation_ = false;
  bool prefix_space_ = false;
  WordPrefixSet word_prefixes_;
  ime_shared::FrontendInterface* frontend_ = nullptr;
  ime_shared::T13nFrontendInterface* scheme_target_ = nullptr;
  ime_shared::ModuleMaster* master_ = nullptr;
  std::unique_ptr<Candidate> candidates_;
  int language_index_ = 0;
  ime_shared::StorageManager* storage_ = nullptr;
  ime_shared::SupportedLanguageSet* language_state_ = nullptr;
  std::unique_ptr<SchemeSet> schemes_;
  std::wstring raw_;
  std::wstring lower_;
  int32_t caret_ = 0;
  int32_t selection_ = 0;
  int32_t learn_end_ = 0;
  int32_t learn_start_ = 0;
  bool picker_open_ = false;
  bool input_empty_ = true;
  bool language_loaded_ = false;
  // The page size "T13nCandidatePageSize" gave; a resize lasts one word.
  int32_t configured_page_size_ = Candidate::kDefaultPageSize;
  SchemeErrorReporterInterface* reporter_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_FRONTEND_T13N_HANDLER_H_
