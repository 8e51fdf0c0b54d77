#include "ime/shared/tsf/context_compartments.h"

#include "ime/shared/base/com_object.h"

namespace ime_shared {
namespace tsf {

namespace {

// Restores a flag when the scope ends.
class FlagScope {
 public:
  explicit FlagScope(bool* flag) : flag_(flag), old_(*flag) { *flag_ = true; }
  ~FlagScope() { *flag_ = old_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool* flag_;
  bool old_;
};

}  // namespace

ContextCompartments::ContextCompartments(TfClientId client_id, IUnknown* thread_manager,
                                         IUnknown* context, ITfCompartmentEventSink* sink,
                                         EngineInterface* engine,
                                         CompartmentHostInterface* host)
    : engine_(engine), host_(host) {
  compartments_[kConversion] = std::make_unique<Compartment>(
      client_id, thread_manager, GUID_COMPARTMENT_KEYBOARD_INPUTMODE_CONVERSION, sink);
  compartments_[kSentence] = std::make_unique<Compartment>(
      client_id, thread_manager, GUID_COMPARTMENT_KEYBOARD_INPUTMODE_SENTENCE, sink);
  compartments_[kEmptyContext] = std::make_unique<Compartment>(
      client_id, context, GUID_COMPARTMENT_EMPTYCONTEXT, sink);
  compartments_[kKeyboardDisabled] = std::make_unique<Compartment>(
      client_id, context, GUID_COMPARTMENT_KEYBOARD_DISABLED, sink);
  compartments_[kOpenClose] = std::make_unique<Compartment>(
      client_id, thread_manager, GUID_COMPARTMENT_KEYBOARD_OPENCLOSE, sink);
}

ContextCompartments::~ContextCompartments() = default;

void ContextCompartments::Start() {
  if (engine_ != nullptr) {
    WriteIfDifferent(kConversion, engine_->GetConversionMode(0) ? 1 : 0);
  }
  WriteIfDifferent(kOpenClose, 1);
  // The write above raises a change event only when the host reports
  // changes of a value it already held; the state is read here either way.
  UpdateKeyboardAvailability();
}

void ContextCompartments::WriteModes() {
  if (engine_ == nullptr) return;
  WriteIfDifferent(kConversion, engine_->GetConversionMode(0) ? 1 : 0);
  WriteIfDifferent(kSentence, engine_->GetConversionMode(1) ? 1 : 0);
}

HRESULT ContextCompartments::OnChange(REFGUID guid) {
  return base::GuardComCall([&]() -> HRESULT {
    HandleChange(guid);
    return S_OK;
  });
}

void ContextCompartments::HandleChange(REFGUID guid) {
  for (int kind = 0; kind < kKindCount; ++kind) {
    Compartment* changed = compartments_[kind].get();
    if (!IsEqualGUID(guid, changed->guid())) continue;
    int32_t value = 0;
    if (!changed->GetValue(&value)) return;
    switch (kind) {
      case kConversion:
      case kSentence:
        // Our own write coming back: the engine already has this mode.
        if (writing_ || engine_ == nullptr) return;
        engine_->SetConversionMode(kind == kConversion ? 0 : 1, value);
        return;
      default:
        UpdateKeyboardAvailability();
        return;
    }
  }
}

void ContextCompartments::WriteIfDifferent(Kind kind, int32_t value) {
  Compartment* target = compartments_[kind].get();
  int32_t current = 0;
  if (target->GetValue(&current) && current == value) return;
  FlagScope writing(&writing_);
  target->SetValue(value);
}

void ContextCompartments::UpdateKeyboardAvailability() {
  // A missing or unreadable open/close compartment counts as open (the
  // binding wrote 1 to it); missing blockers count as 0.
  int32_t open = 1;
  int32_t disabled = 0;
  int32_t empty = 0;
  compartments_[kOpenClose]->GetValue(&open);
  compartments_[kKeyboardDisabled]->GetValue(&disabled);
  compartments_[kEmptyContext]->GetValue(&empty);
  keyboard_available_ = open != 0 && disabled == 0 && empty == 0;
  if (host_ != nullptr) host_->SetKeyboardAvailable(keyboard_available_);
}

}  // namespace tsf
}  // namespace ime_shared
