#include "ime/t13n/module_wiring.h"

#include <memory>

#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/frontend/ui_manager_interface.h"
#include "ime/shared/imm/context_map.h"
#include "ime/shared/imm/ime_exports.h"
#include "ime/shared/imm/ui_window.h"
#include "ime/shared/tsf/text_service_factories.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/ui_manager.h"

namespace ime_t13n {

namespace {

ime_shared::EngineInterface* MakeEngine(ime_shared::ContextInterface* context) {
  return CreateT13nEngine(context);
}

// What a thread that activates the text service holds until it is
// deactivated: the process's storage.
std::unique_ptr<ime_shared::tsf::ActivationHoldInterface> HoldStorage() {
  return std::unique_ptr<ime_shared::tsf::ActivationHoldInterface>(
      new StorageHold);
}

// The UI manager of a new IME UI window; null (the window is then refused)
// when the product is not installed.
ime_shared::UIManagerInterface* MakeUIManager(HWND window) {
  return CreateUIManager(window);
}

// The UI manager of a thread that activates the text service: no window.
ime_shared::UIManagerInterface* MakeTextServiceUIManager() {
  return CreateUIManager(nullptr);
}

}  // namespace

void InstallModuleFactories() {
  ime_shared::imm::SetEngineFactory(&MakeEngine);
  ime_shared::imm::ImeUIWindow::SetUIManagerFactory(&MakeUIManager);
  ime_shared::tsf::SetTextServiceFactories(
      {&MakeEngine, &MakeTextServiceUIManager, &HoldStorage});
}

void UnloadModule(bool process_terminating) {
  ime_shared::imm::SetEngineFactory(nullptr);
  ime_shared::imm::ImeUIWindow::SetUIManagerFactory(nullptr);
  ime_shared::tsf::SetTextServiceFactories({});
  if (!process_terminating) {
    ime_shared::imm::ImeUIWindow::DetachAllUIManagers();
  }
  ime_shared::imm::ContextMap::Instance().Destroy();
  TearDownProcessObjects();
}

}  // namespace ime_t13n
