// Helpers of the text service's tests and benchmark: the real
// transliteration engine over a Hindi data file, keys delivered to a
// context's key sink the way a host delivers them, an engine wrapper that
// counts the key calls, and the display-attribute atom of the thread's
// category manager.
#ifndef IME_SHARED_TSF_TSF_TEST_HELPERS_H_
#define IME_SHARED_TSF_TSF_TEST_HELPERS_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ime/shared/base/callbacks.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/frontend/shared_storage.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/fake_settings.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/shared/tsf/display_attribute.h"
#include "ime/shared/tsf/testing/fake_context.h"
#include "ime/shared/tsf/text_service_factories.h"
#include "ime/t13n/frontend/process_objects.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/transliteration/transliterator/language_data_test_helpers.h"

namespace ime_shared {
namespace tsf {
namespace testing_helpers {

// Engines made with the product's factory over the Hindi data file in
// |data_folder| (the folder "DataPath" names), with settings, user folder
// and mutexes of the world's own. One world at a time per process.
class HindiEngineWorld {
 public:
  explicit HindiEngineWorld(const std::wstring& data_folder)
      : data_key_(HKEY_LOCAL_MACHINE, L"TsfData", KEY_WOW64_64KEY) {
    data_key_.SetString(L"DataPath", data_folder);
    places_.data_path_key = data_key_.path();
    places_.user_data_folder = temp_.path() + L"user";
    places_.user_cache_mutex_name = ime_testing::UniqueName(L"TsfCache");
    places_.macros_mutex_name = ime_testing::UniqueName(L"TsfMacros");
    Current() = this;
    ime_t13n::ProcessSharedStorage().SetFactory(
        ime_shared::base::NewPermanentCallback(&MakeStorage));
    settings.SetInt(kSettingT13nCurrentLanguage, 0);
    environment_.settings = &settings;
    environment_.installed_version = L"1.0.4.0";
    environment_.supported_mask = 1u;
    environment_.handler_maker = ime_t13n::DefaultHandlerMaker();
  }
  ~HindiEngineWorld() {
    if (Current() == this) Current() = nullptr;
  }
  HindiEngineWorld(const HindiEngineWorld&) = delete;
  HindiEngineWorld& operator=(const HindiEngineWorld&) = delete;

  // The factory a context makes its engines with.
  EngineFactory Factory() {
    return [this](ContextInterface* context) -> EngineInterface* {
      return ime_t13n::CreateT13nEngine(context, environment_);
    };
  }
  // The product's hold of an activated thread: the process's storage.
  static ActivationHoldFactory Hold() {
    return []() -> std::unique_ptr<ActivationHoldInterface> {
      return std::unique_ptr<ActivationHoldInterface>(new ime_t13n::StorageHold);
    };
  }

  // The process's storage manager, made with the world's places; null
  // while nothing holds it.
  static StorageManagerImpl* Storage() {
    return static_cast<StorageManagerImpl*>(ime_t13n::ProcessSharedStorage().current());
  }
  // The entries of the world's user-cache file (none when it does not
  // read).
  std::vector<std::wstring> UserCacheEntries() const {
    std::vector<std::wstring> entries;
    std::unique_ptr<MutexHolder> mutex(
        MutexHolder::CreateNamed(places_.user_cache_mutex_name.c_str()));
    ReadStringList(places_.user_data_folder + L"\\" + kUserCacheFileName, mutex.get(), 5000,
                   &entries, kStringListMaxFileSize);
    return entries;
  }

  ime_testing::FakeSettings settings;
  ime_t13n::testing_helpers::RecordingErrorBox box;

 private:
  static HindiEngineWorld*& Current() {
    static HindiEngineWorld* current = nullptr;
    return current;
  }
  static StorageManager* MakeStorage() {
    HindiEngineWorld* world = Current();
    if (world == nullptr) return nullptr;
    return StorageManagerImpl::Create(world->places_, &world->box);
  }

  ime_testing::TempDir temp_;
  ime_testing::ScratchRegistryKey data_key_;
  StoragePlaces places_;
  ime_t13n::EngineEnvironment environment_;
};

// Counts the key calls a context makes and passes everything on to the
// engine it wraps (owned).
class CountingEngine : public EngineInterface {
 public:
  explicit CountingEngine(EngineInterface* inner) : inner_(inner) {}

  bool ProcessKey(const KeyEvent& key) override {
    ++tested;
    return inner_->ProcessKey(key);
  }
  bool HandleKey(const KeyEvent& key) override {
    ++handled;
    return inner_->HandleKey(key);
  }
  bool MoveCaret(int32_t kind, int32_t position) override {
    caret_moves.push_back({kind, position});
    return inner_->MoveCaret(kind, position);
  }
  bool SelectCandidate(int32_t index, bool commit) override {
    return inner_->SelectCandidate(index, commit);
  }
  void EndComposition(bool complete) override { inner_->EndComposition(complete); }
  void Noop() override { inner_->Noop(); }
  bool ResizePage(int32_t count) override { return inner_->ResizePage(count); }
  const std::wstring& GetComposition() const override { return inner_->GetComposition(); }
  int32_t GetCaret() const override { return inner_->GetCaret(); }
  const std::wstring& GetResult() const override { return inner_->GetResult(); }
  int32_t CandidateCount() const override { return inner_->CandidateCount(); }
  int32_t CandidateSelection() const override { return inner_->CandidateSelection(); }
  std::wstring CandidateAt(int32_t i) const override { return inner_->CandidateAt(i); }
  bool GetConversionMode(int32_t which) const override {
    return inner_->GetConversionMode(which);
  }
  void SetConversionMode(int32_t which, int32_t value) override {
    inner_->SetConversionMode(which, value);
  }

  int tested = 0;
  int handled = 0;
  // MoveCaret's arguments, in order.
  std::vector<std::pair<int32_t, int32_t>> caret_moves;

 private:
  std::unique_ptr<EngineInterface> inner_;
};

// Keys delivered to the key sink advised on |document| as a host delivers
// them: the thread's keyboard state is set first (the sink reads it), then
// the test and, when the key is eaten, the key itself; the release the same
// way.
class HostKeyboard {
 public:
  explicit HostKeyboard(ime_tsf_testing::FakeContext* document) : document_(document) {}

  // The key data of a first key-down (repeat count 1, the scan code) and of
  // the release.
  static LPARAM DownData(UINT virtual_key) {
    return static_cast<LPARAM>(1 | (::MapVirtualKeyW(virtual_key, 0) << 16));
  }
  static LPARAM UpData(UINT virtual_key) { return DownData(virtual_key) | (3u << 30); }

  // Presses and releases |virtual_key| (Shift held when |shift|). Whether
  // the key-down was eaten.
  bool Tap(UINT virtual_key, bool shift = false) {
    const bool eaten = Send(virtual_key, shift, true);
    Send(virtual_key, shift, false);
    return eaten;
  }
  // Taps the key of each character: a-z, digits, space.
  void Type(const std::wstring& text) {
    for (wchar_t c : text) Tap(VirtualKeyOf(c));
  }
  void Space() { Tap(VK_SPACE); }

  static UINT VirtualKeyOf(wchar_t c) {
    if (c >= L'a' && c <= L'z') return c - L'a' + L'A';
    if (c == L' ') return VK_SPACE;
    return c;
  }

  // One key event: |down| or the release, tested and then, when eaten,
  // sent. Whether it was eaten.
  bool Send(UINT virtual_key, bool shift, bool down) {
    BYTE state[256] = {};
    if (down) state[virtual_key] = 0x80;
    if (shift) {
      state[VK_SHIFT] = 0x80;
      state[VK_LSHIFT] = 0x80;
    }
    ::SetKeyboardState(state);
    base::ComPtr<ITfContextKeyEventSink> sink = Sink();
    if (!sink) return false;
    const LPARAM data = down ? DownData(virtual_key) : UpData(virtual_key);
    BOOL eaten = FALSE;
    if (down) {
      sink->OnTestKeyDown(virtual_key, data, &eaten);
      if (eaten) sink->OnKeyDown(virtual_key, data, &eaten);
    } else {
      sink->OnTestKeyUp(virtual_key, data, &eaten);
      if (eaten) sink->OnKeyUp(virtual_key, data, &eaten);
    }
    return eaten != FALSE;
  }

  // The key sink advised on the document now (null: none).
  base::ComPtr<ITfContextKeyEventSink> Sink() const {
    auto sinks = document_->sinks().Sinks<ITfContextKeyEventSink>();
    return sinks.empty() ? base::ComPtr<ITfContextKeyEventSink>() : sinks.back();
  }

 private:
  ime_tsf_testing::FakeContext* document_;
};

// The atom the thread's category manager gives the display attribute (the
// one a composition stamps on its text); 0 when there is none.
inline TfGuidAtom DisplayAttributeAtom() {
  base::ComPtr<ITfCategoryMgr> categories;
  if (FAILED(::CoCreateInstance(CLSID_TF_CategoryMgr, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITfCategoryMgr,
                                reinterpret_cast<void**>(categories.Receive())))) {
    return TF_INVALID_GUIDATOM;
  }
  TfGuidAtom atom = TF_INVALID_GUIDATOM;
  categories->RegisterGUID(DisplayAttribute::Guid(), &atom);
  return atom;
}

}  // namespace testing_helpers
}  // namespace tsf
}  // namespace ime_shared

#endif  // IME_SHARED_TSF_TSF_TEST_HELPERS_H_
