// What the text service makes through the module: the engine of a newly
// bound context and the UI manager of an activated thread. The TSF layer
// knows only these seams; the module installs the transliteration engine's
// and UI manager's factories at load (tests install their own).
#ifndef IME_SHARED_TSF_TEXT_SERVICE_FACTORIES_H_
#define IME_SHARED_TSF_TEXT_SERVICE_FACTORIES_H_

#include <functional>

#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/ui_manager_interface.h"

namespace ime_shared {
namespace tsf {

// A new engine for |context| (owned by the caller), or null when the product
// is not installed or no engine can be made.
using EngineFactory = std::function<EngineInterface*(ContextInterface* context)>;
// A new UI manager without an owner window (owned by the caller), or null.
using UIManagerFactory = std::function<UIManagerInterface*()>;

struct TextServiceFactories {
  EngineFactory engine;
  UIManagerFactory ui_manager;
};

// The factories the next activated text service uses (a thread manager
// keeps the ones it was activated with). Empty factories make nothing: the
// activation then fails for want of a UI manager.
void SetTextServiceFactories(const TextServiceFactories& factories);
TextServiceFactories GetTextServiceFactories();

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_TEXT_SERVICE_FACTORIES_H_
