// The candidate list offered to the host as a TSF candidate-list UI element,
// so that full-screen applications can draw it themselves, and the manager
// that begins, updates and ends the element as candidates come and go. When
// the host leaves the drawing to the input method (or has no UI-element
// manager), the input method's own candidate window shows the list; the
// context reports that through GetFlag(2) from DrawsOwnWindow().
#ifndef IME_SHARED_TSF_CANDIDATE_UI_ELEMENT_H_
#define IME_SHARED_TSF_CANDIDATE_UI_ELEMENT_H_

#include <windows.h>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/frontend/frontend_interfaces.h"

namespace ime_shared {
namespace tsf {

// The element. It reads the candidates of the current page from the engine
// and passes the host's choices back to it.
class ExternalCandidateUI
    : public base::ComObject<base::Implements<ITfCandidateListUIElementBehavior,
                                              ITfCandidateListUIElement, ITfUIElement>> {
 public:
  static const wchar_t kDescription[];
  // The element's GUID: the build language's row of the identity tables.
  static const GUID& Guid();
  // Every TF_CLUIE_* bit: what an update tells the host to read again.
  static constexpr DWORD kAllChanged = 0x3F;

  // |manager| may be null (the element then never begins); |document| is
  // the document manager that had the focus; |engine| is borrowed.
  ExternalCandidateUI(ITfUIElementMgr* manager, ITfDocumentMgr* document,
                      EngineInterface* engine);
  ~ExternalCandidateUI() override;

  // Asks the host to show the element (BeginUIElement). Afterwards
  // IsBegun() tells whether it did, HostShows() whether the input method
  // must draw the list itself (the host's bShow answer; true on failure).
  void Begin();
  // Tells the host that everything changed (flags 63, UpdateUIElement).
  void Notify();
  // Notifies and ends the element (EndUIElement) when it has begun.
  void End();
  // Forgets the manager, the document manager and the engine: the element
  // may outlive its binding in the host's hands and must not reach them.
  void Detach();

  bool IsBegun() const { return id_ != TF_INVALID_UIELEMENTID; }
  bool HostShows() const { return host_shows_; }
  bool HasManager() const { return static_cast<bool>(manager_); }

  // ITfUIElement
  STDMETHODIMP GetDescription(BSTR* description) override;
  STDMETHODIMP GetGUID(GUID* guid) override;
  STDMETHODIMP Show(BOOL show) override;
  STDMETHODIMP IsShown(BOOL* shown) override;
  // ITfCandidateListUIElement
  STDMETHODIMP GetUpdatedFlags(DWORD* flags) override;
  STDMETHODIMP GetDocumentMgr(ITfDocumentMgr** document) override;
  STDMETHODIMP GetCount(UINT* count) override;
  STDMETHODIMP GetSelection(UINT* index) override;
  // E_INVALIDARG unless |index| lies on the current page.
  STDMETHODIMP GetString(UINT index, BSTR* text) override;
  STDMETHODIMP GetPageIndex(UINT* index, UINT size, UINT* page_count) override;
  STDMETHODIMP SetPageIndex(UINT* index, UINT page_count) override;
  STDMETHODIMP GetCurrentPage(UINT* page) override;
  // ITfCandidateListUIElementBehavior
  STDMETHODIMP SetSelection(UINT index) override;
  STDMETHODIMP Finalize() override;
  STDMETHODIMP Abort() override;

 private:
  UINT CandidateCount() const;

  base::ComPtr<ITfUIElementMgr> manager_;
  base::ComPtr<ITfDocumentMgr> document_;
  EngineInterface* engine_;
  DWORD updated_flags_ = 0;
  DWORD id_ = TF_INVALID_UIELEMENTID;
  bool host_shows_ = true;
};

// Begins, updates and ends the element for one binding of a context.
class CandidateUIManager {
 public:
  enum State {
    kIdle = 0,        // no candidates
    kHostDraws = 1,   // the element is live and the host draws it
    kOwnWindow = 2,   // the input method's candidate window draws the list
  };

  // Queries |thread_manager| for its UI-element manager and focused
  // document manager (either may be missing). |engine| is borrowed.
  CandidateUIManager(ITfThreadMgr* thread_manager, EngineInterface* engine);
  // Ends an element that has begun (the host stops showing the list of a
  // context that lost the focus), then detaches and releases it.
  ~CandidateUIManager();
  CandidateUIManager(const CandidateUIManager&) = delete;
  CandidateUIManager& operator=(const CandidateUIManager&) = delete;

  // Follows a change of the engine's candidates.
  void Update();

  State state() const { return state_; }
  bool DrawsOwnWindow() const { return state_ == kOwnWindow; }
  // Null when the element could not be made.
  ExternalCandidateUI* element() const { return element_.Get(); }

 private:
  EngineInterface* engine_;
  base::ComPtr<ExternalCandidateUI> element_;
  State state_ = kIdle;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_CANDIDATE_UI_ELEMENT_H_
