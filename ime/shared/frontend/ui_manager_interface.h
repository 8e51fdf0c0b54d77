// What the integration layers ask of the owner of the input method's own
// windows (candidate window, status window, character picker, menu,
// language bar): which input context is current, and what changed in it.
#ifndef IME_SHARED_FRONTEND_UI_MANAGER_INTERFACE_H_
#define IME_SHARED_FRONTEND_UI_MANAGER_INTERFACE_H_

#include <cstdint>

namespace ime_shared {

class ContextInterface;

// Options of SetOption.
constexpr int32_t kUIOptionStatusWindow = 16;  // show or hide the status window

class UIManagerInterface {
 public:
  virtual ~UIManagerInterface() = default;
  // Makes |context| (not owned; null for none) the current one and its
  // engine the one the windows show.
  virtual void AttachEngine(ContextInterface* context) = 0;
  virtual void SetOption(int32_t option, int32_t value) = 0;
  // Refreshes the windows for |flags| (UpdateFlags; 63 everything).
  virtual void Update(uint32_t flags) = 0;
  // Places the candidate window at the current context's caret rectangle;
  // false when there is no context or no rectangle.
  virtual bool GetCandidateRect() = 0;
};

}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_UI_MANAGER_INTERFACE_H_
