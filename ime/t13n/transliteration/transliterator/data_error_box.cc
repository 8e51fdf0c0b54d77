#include "ime/t13n/transliteration/transliterator/data_error_box.h"

#include <atomic>
#include <cstdio>
#include <new>

#include "ime/shared/base/module_call_scope.h"
#include "ime/shared/logging.h"
#include "ime/shared/string_utils.h"

namespace ime_t13n {

namespace {

class SystemBox : public ErrorBoxInterface {
 public:
  int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
           UINT type) override {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  }
};

}  // namespace

ErrorBoxInterface* SystemErrorBox() {
  static SystemBox box;
  return &box;
}

namespace {

class PrintingBox : public ErrorBoxInterface {
 public:
  int Show(HWND, const std::wstring& text, const std::wstring&,
           UINT) override {
    std::fprintf(stderr, "error box: %s\n",
                 ime_shared::WideToUtf8(text).c_str());
    return IDOK;
  }
};

}  // namespace

ErrorBoxInterface* PrintingErrorBox() {
  static PrintingBox box;
  return &box;
}

namespace {

// Set from the moment a box is asked for until it is closed.
std::atomic<bool> g_box_pending{false};

struct PendingBox {
  ErrorBoxInterface* target;
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT type;
};

void LogBoxNotShown(const std::wstring& text, const char* why) noexcept {
  try {
    KELVANE_LOG(LOG_WARNING) << "An error box was not shown (" << why
                             << "): \"" << ime_shared::WideToUtf8(text)
                             << "\"";
  } catch (...) {
  }
}

void ShowPendingBox(void* object) noexcept {
  PendingBox* box = static_cast<PendingBox*>(object);
  try {
    box->target->Show(box->owner, box->text, box->caption, box->type);
  } catch (...) {
    LogBoxNotShown(box->text, "showing it failed");
  }
  delete box;
  g_box_pending.store(false);
}

}  // namespace

int DeferredErrorBox::Show(HWND owner, const std::wstring& text,
                           const std::wstring& caption, UINT type) {
  if (g_box_pending.exchange(true)) {
    LogBoxNotShown(text, "another error box is open");
    return 0;
  }
  // Shown at once outside any module call; the box clears the flag as it
  // closes.
  PendingBox* box =
      new (std::nothrow) PendingBox{target_, owner, text, caption, type};
  if (box == nullptr ||
      !ime_shared::base::ReleaseAfterModuleCalls(&ShowPendingBox, box)) {
    delete box;
    g_box_pending.store(false);
    LogBoxNotShown(text, "out of memory");
    return 0;
  }
  return IDOK;
}

int ShowDataErrorBox(ErrorBoxInterface* box, HWND owner, UINT text_id,
                     UINT caption_id) {
  const std::wstring text = ime_shared::LoadResourceString(text_id);
  const std::wstring caption = ime_shared::LoadResourceString(caption_id);
  return box->Show(owner, text, caption, MB_OK | MB_ICONERROR);
}

}  // namespace ime_t13n
