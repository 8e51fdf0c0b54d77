// What the text service makes through the module: the engine of a newly
// bound context, the UI manager of an activated thread and what the thread
// holds while it is active. The TSF layer knows only these seams; the module
// installs its factories at load (tests install their own).
#ifndef IME_SHARED_TSF_TEXT_SERVICE_FACTORIES_H_
#define IME_SHARED_TSF_TEXT_SERVICE_FACTORIES_H_

#include <functional>
#include <memory>

#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/ui_manager_interface.h"

namespace ime_shared {
namespace tsf {

// A new engine for |context| (owned by the caller), or null when the product
// is not installed or no engine can be made.
using EngineFactory = std::function<EngineInterface*(ContextInterface* context)>;
// A new UI manager without an owner window (owned by the caller), or null.
using UIManagerFactory = std::function<UIManagerInterface*()>;

// What an activated thread keeps from its activation to its deactivation,
// across every focus change; deleting it lets go. The module's holds the
// process's storage, so that the language stays loaded while the engines
// of one document after another come and go.
class ActivationHoldInterface {
 public:
  virtual ~ActivationHoldInterface() = default;
};
// A new hold for a thread being activated; null holds nothing.
using ActivationHoldFactory =
    std::function<std::unique_ptr<ActivationHoldInterface>()>;

struct TextServiceFactories {
  EngineFactory engine;
  UIManagerFactory ui_manager;
  // Empty: the thread holds nothing.
  ActivationHoldFactory activation_hold;
};

// The factories the next activated text service uses (a thread manager
// keeps the ones it was activated with). Empty factories make nothing: the
// activation then fails for want of a UI manager.
void SetTextServiceFactories(const TextServiceFactories& factories);
TextServiceFactories GetTextServiceFactories();

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_TEXT_SERVICE_FACTORIES_H_
