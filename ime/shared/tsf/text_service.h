// The input method's TSF text input processor: the COM class TSF creates in
// each GUI thread that uses the input method (the module's class table
// serves it under InputMethod::kTextServiceClsid, apartment threaded).
// Activation makes a ThreadManager for the thread; deactivation takes it
// down. It is also the provider of the composition's display attribute and
// answers the configuration function with its name.
#ifndef IME_SHARED_TSF_TEXT_SERVICE_H_
#define IME_SHARED_TSF_TEXT_SERVICE_H_

#include <windows.h>

#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/tsf/thread_manager.h"

namespace ime_shared {
namespace tsf {

class TextService
    : public base::ComObject<base::Implements<ITfTextInputProcessorEx, ITfTextInputProcessor>,
                             ITfDisplayAttributeProvider,
                             base::Implements<ITfFnConfigure, ITfFunction>> {
 public:
  // The name the configuration function gives.
  static const wchar_t kDisplayName[];  // "Tarvel Translit"

  TextService() = default;
  ~TextService() override;

  // ITfTextInputProcessor. Activate makes the thread's ThreadManager with
  // the factories installed now (SetTextServiceFactories); a failure is
  // undone (Deactivate) and returned. Deactivate always answers S_OK.
  STDMETHODIMP Activate(ITfThreadMgr* thread_manager, TfClientId client_id) override;
  STDMETHODIMP Deactivate() override;
  // ITfTextInputProcessorEx: Activate; the flags are not used.
  STDMETHODIMP ActivateEx(ITfThreadMgr* thread_manager, TfClientId client_id,
                          DWORD flags) override;

  // ITfDisplayAttributeProvider: the composition's one attribute.
  STDMETHODIMP EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo** out) override;
  STDMETHODIMP GetDisplayAttributeInfo(REFGUID guid, ITfDisplayAttributeInfo** out) override;

  // ITfFunction / ITfFnConfigure. Show has nothing to show: S_OK.
  STDMETHODIMP GetDisplayName(BSTR* name) override;
  STDMETHODIMP Show(HWND parent, LANGID language, REFGUID profile) override;

  // The activated thread's state; null while inactive.
  ThreadManager* thread_manager() const { return thread_manager_.Get(); }

 private:
  base::ComPtr<ThreadManager> thread_manager_;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_TEXT_SERVICE_H_
