// Times the text service over a fake document with the installed language:
//
//   tsf_bench LEXICON.tsv
//
// The text service is activated on a fake thread manager whose host draws
// the candidate list (so every key also updates the candidate element), a
// UI manager that only records, the product's engine factory (the first
// engine loads the language named by "DataPath") and the product's hold on
// the process's storage for the activation. Every Latin word of the
// lexicon is typed key by key as a host delivers keys (the keyboard state
// set, OnTestKeyDown then OnKeyDown; the release likewise, untimed) and
// committed with Space: each timed key runs the engine, the write session
// with the composition text and its display attribute, and the candidate
// element. Then the focus moves between two documents: each move unbinds
// the context, deletes its engine, and makes a new one over the language
// still loaded. The last line is
//   p50_us=F p99_us=F max_us=F focus_p50_ms=F focus_max_ms=F keystrokes=N
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ime/shared/base/com_object.h"
#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/settings.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/lexicon_words.h"
#include "ime/shared/testing/measurement.h"
#include "ime/shared/tsf/testing/fake_context.h"
#include "ime/shared/tsf/testing/fake_thread_manager.h"
#include "ime/shared/tsf/testing/recording_engine.h"
#include "ime/shared/tsf/text_service.h"
#include "ime/shared/tsf/tsf_test_helpers.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_engine.h"

namespace {

using ime_shared::base::ComPtr;
using ime_shared::base::MakeComObject;
using ime_tsf_testing::FakeContext;
using ime_tsf_testing::FakeDocumentMgr;
using ime_tsf_testing::FakeThreadMgr;
using ime_shared::tsf::testing_helpers::HostKeyboard;

using ime_testing::Percentile;

std::vector<double> g_test_us;

// One key event as a host delivers it; the key sink's time in seconds.
double Deliver(ITfContextKeyEventSink* sink, UINT virtual_key, bool down) {
  BYTE state[256] = {};
  if (down) state[virtual_key] = 0x80;
  ::SetKeyboardState(state);
  const LPARAM data =
      down ? HostKeyboard::DownData(virtual_key) : HostKeyboard::UpData(virtual_key);
  BOOL eaten = FALSE;
  const double start = ime_testing::Now();
  if (down) {
    sink->OnTestKeyDown(virtual_key, data, &eaten);
    g_test_us.push_back((ime_testing::Now() - start) * 1e6);
    if (eaten) sink->OnKeyDown(virtual_key, data, &eaten);
  } else {
    sink->OnTestKeyUp(virtual_key, data, &eaten);
    if (eaten) sink->OnKeyUp(virtual_key, data, &eaten);
  }
  return ime_testing::Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tsf_bench LEXICON.tsv\n");
    return 2;
  }
  std::vector<std::wstring> words;
  if (!ime_testing::ReadLexiconLatinWords(ime_shared::Utf8ToWide(argv[1]), &words)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  ime_t13n::EngineEnvironment environment;
  environment.settings = ime_shared::Settings::GetInstance();
  environment.installed_version = L"bench";
  environment.supported_mask = ime_shared::ReadSupportedLanguageMask();
  environment.handler_maker = ime_t13n::DefaultHandlerMaker();
  int engines = 0;
  // Time spent making engines (the language is loaded then), to tell what
  // a focus change spends its time on.
  double last_engine_ms = 0;
  ime_shared::tsf::SetTextServiceFactories(
      {[&](ime_shared::ContextInterface* context) -> ime_shared::EngineInterface* {
         ++engines;
         const double start = ime_testing::Now();
         ime_shared::EngineInterface* engine = ime_t13n::CreateT13nEngine(context, environment);
         last_engine_ms = (ime_testing::Now() - start) * 1000;
         return engine;
       },
       []() -> ime_shared::UIManagerInterface* {
         return new ime_tsf_testing::RecordingUIManager();
       },
       []() -> std::unique_ptr<ime_shared::tsf::ActivationHoldInterface> {
         return std::unique_ptr<ime_shared::tsf::ActivationHoldInterface>(
             new ime_t13n::StorageHold);
       }});

  ComPtr<FakeThreadMgr> thread_manager = MakeComObject<FakeThreadMgr>();
  thread_manager->begin_show = FALSE;
  ComPtr<FakeContext> documents[2] = {MakeComObject<FakeContext>(), MakeComObject<FakeContext>()};
  ComPtr<FakeDocumentMgr> managers[2] = {MakeComObject<FakeDocumentMgr>(documents[0].Get()),
                                         MakeComObject<FakeDocumentMgr>(documents[1].Get())};
  thread_manager->SetFocus(managers[0].Get());
  ComPtr<ime_shared::tsf::TextService> service =
      MakeComObject<ime_shared::tsf::TextService>();
  const double activate_start = ime_testing::Now();
  if (FAILED(service->Activate(thread_manager.Get(), 0x51)) || engines == 0 ||
      !service->thread_manager()->context()->IsBound()) {
    std::fprintf(stderr, "the text service did not bind with an engine\n");
    return 1;
  }
  const double activate_ms = (ime_testing::Now() - activate_start) * 1000;
  // The key sink belongs to the context's binding and dies with it at the
  // first focus change: it is held by a plain pointer, never released late.
  ITfContextKeyEventSink* sink = nullptr;
  {
    auto sinks = documents[0]->sinks().Sinks<ITfContextKeyEventSink>();
    if (!sinks.empty()) sink = sinks.back().Get();
  }
  if (sink == nullptr) {
    std::fprintf(stderr, "no key sink\n");
    return 1;
  }

  std::vector<double> key_us;
  size_t committed = 0;
  for (size_t w = 0; w < words.size(); ++w) {
    for (wchar_t c : words[w] + L" ") {
      const UINT key = HostKeyboard::VirtualKeyOf(c);
      key_us.push_back(Deliver(sink, key, true) * 1e6);
      Deliver(sink, key, false);
    }
    if (documents[0]->composition() == nullptr) ++committed;
    // A long document only costs the fake: it starts over now and then.
    if (w % 50 == 49 && documents[0]->composition() == nullptr) {
      documents[0]->SetDocumentText(L"");
    }
  }
  const int write_sessions = documents[0]->write_sessions;
  const int element_updates = [&] {
    int updates = 0;
    for (const auto& record : thread_manager->elements()) updates += record.updates;
    return updates;
  }();

  // Focus changes: unbind, delete the engine (the user cache written when
  // it changed), a new engine over the language still loaded.
  std::vector<double> focus_ms;
  std::vector<double> engine_ms;
  for (int i = 0; i < 20; ++i) {
    last_engine_ms = 0;
    const double start = ime_testing::Now();
    thread_manager->ChangeFocus(managers[(i + 1) % 2].Get());
    focus_ms.push_back((ime_testing::Now() - start) * 1000);
    engine_ms.push_back(last_engine_ms);
  }
  const int engines_made = engines;
  service->Deactivate();
  service.Reset();
  ime_shared::tsf::SetTextServiceFactories({});

  std::printf("activate_ms=%.1f words=%zu committed=%zu write_sessions=%d element_updates=%d "
              "engines=%d lock_errors=%d\n",
              activate_ms, words.size(), committed, write_sessions, element_updates,
              engines_made, documents[0]->lock_errors() + documents[1]->lock_errors());
  std::printf("kernel object call: us=%.1f\n", ime_testing::KernelObjectCallMicros());
  std::printf("key test (OnTestKeyDown alone): p50_us=%.1f p99_us=%.1f\n",
              Percentile(g_test_us, 0.5), Percentile(g_test_us, 0.99));
  std::printf("focus changes: n=%zu min_ms=%.1f making the engine: p50_ms=%.1f max_ms=%.1f\n",
              focus_ms.size(), Percentile(focus_ms, 0.0), Percentile(engine_ms, 0.5),
              Percentile(engine_ms, 1.0));
  std::printf("p50_us=%.1f p99_us=%.1f max_us=%.1f focus_p50_ms=%.1f focus_max_ms=%.1f "
              "keystrokes=%zu\n",
              Percentile(key_us, 0.5), Percentile(key_us, 0.99), Percentile(key_us, 1.0),
              Percentile(focus_ms, 0.5), Percentile(focus_ms, 1.0), key_us.size());
  thread_manager.Reset();
  for (auto& manager : managers) manager.Reset();
  for (auto& document : documents) document.Reset();
  ::CoUninitialize();
  return 0;
}
