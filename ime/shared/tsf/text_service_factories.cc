#include "ime/shared/tsf/text_service_factories.h"

#include <mutex>

namespace ime_shared {
namespace tsf {

namespace {

// Written at module load and unload, read by every thread that activates
// the text service.
struct FactoryHolder {
  std::mutex lock;
  TextServiceFactories factories;
};

FactoryHolder& Holder() {
  static FactoryHolder holder;
  return holder;
}

}  // namespace

void SetTextServiceFactories(const TextServiceFactories& factories) {
  FactoryHolder& holder = Holder();
  std::lock_guard<std::mutex> hold(holder.lock);
  holder.factories = factories;
}

TextServiceFactories GetTextServiceFactories() {
  FactoryHolder& holder = Holder();
  std::lock_guard<std::mutex> hold(holder.lock);
  return holder.factories;
}

}  // namespace tsf
}  // namespace ime_shared
