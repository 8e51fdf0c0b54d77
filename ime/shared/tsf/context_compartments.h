// The five compartments of a bound TSF context and what their changes do:
//
//   conversion mode  (thread manager)  written from the engine's mode;
//                                      a change goes to SetConversionMode(0)
//   sentence mode    (thread manager)  written from the engine's mode;
//                                      a change goes to SetConversionMode(1)
//   open/close       (thread manager)  written 1 when the context binds
//   keyboard disabled (context)        never written
//   empty context    (context)         never written
//
// The document takes keys only while open/close is non-zero and both
// keyboard-disabled and empty-context are zero (a non-zero value of either
// means, in TSF, that the document takes no keyboard input). Whenever one
// of the three changes, the context is told whether keys are taken: it
// then attaches its engine to the UI manager and enables its key sink, or
// detaches and disables them.
//
// The engine answers a mode change with an update of the mode, which writes
// the mode compartments again; hosts notify every write, even of an
// unchanged value. So a compartment is written only when its value differs,
// and the mode compartments' events raised by the context's own writes are
// not sent back to the engine: one round, never a loop.
//
// The context owns one object per binding, is the event sink of all five
// compartments and forwards ITfCompartmentEventSink::OnChange here.
#ifndef IME_SHARED_TSF_CONTEXT_COMPARTMENTS_H_
#define IME_SHARED_TSF_CONTEXT_COMPARTMENTS_H_

#include <windows.h>

#include <cstdint>
#include <memory>

#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/frontend/frontend_interfaces.h"
#include "ime/shared/tsf/compartment.h"

namespace ime_shared {
namespace tsf {

// What the compartments ask of the context that owns them.
class CompartmentHostInterface {
 public:
  virtual ~CompartmentHostInterface() = default;
  // The document takes keys (true) or does not (false): attach the engine
  // to the UI manager and enable the key sink, or detach and disable them.
  virtual void SetKeyboardAvailable(bool available) = 0;
};

class ContextCompartments {
 public:
  enum Kind {
    kConversion = 0,
    kSentence = 1,
    kEmptyContext = 2,
    kKeyboardDisabled = 3,
    kOpenClose = 4,
    kKindCount = 5,
  };

  // The compartments of |thread_manager| and |context| (either may lack
  // them), with |sink| as their event sink. |engine| and |host| are
  // borrowed and outlive this object.
  ContextCompartments(TfClientId client_id, IUnknown* thread_manager, IUnknown* context,
                      ITfCompartmentEventSink* sink, EngineInterface* engine,
                      CompartmentHostInterface* host);
  ~ContextCompartments();
  ContextCompartments(const ContextCompartments&) = delete;
  ContextCompartments& operator=(const ContextCompartments&) = delete;

  // The binding's first writes: conversion mode from the engine, open/close
  // 1. Then the host learns whether keys are taken.
  void Start();

  // The context's update of the mode: conversion and sentence mode from
  // the engine, each written only when it differs.
  void WriteModes();

  // ITfCompartmentEventSink::OnChange of the context, which returns the
  // answer: S_OK (or the error of an exception the engine raised, which
  // stays here). A change whose value is not VT_I4 is ignored, as are the
  // mode compartments' changes while this object writes them.
  HRESULT OnChange(REFGUID guid);

  // Whether the document takes keys, from the last values read.
  bool keyboard_available() const { return keyboard_available_; }

  // |kind|'s compartment (never null; it may be empty).
  Compartment* compartment(Kind kind) const { return compartments_[kind].get(); }

 private:
  void HandleChange(REFGUID guid);
  // Writes |value| unless the compartment already holds it.
  void WriteIfDifferent(Kind kind, int32_t value);
  // Reads the three keyboard compartments and tells the host.
  void UpdateKeyboardAvailability();

  EngineInterface* const engine_;
  CompartmentHostInterface* const host_;
  std::unique_ptr<Compartment> compartments_[kKindCount];
  bool writing_ = false;
  bool keyboard_available_ = false;
};

}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_CONTEXT_COMPARTMENTS_H_
