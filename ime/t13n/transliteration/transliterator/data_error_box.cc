#include "ime/t13n/transliteration/transliterator/data_error_box.h"

#include <cstdio>

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

int ShowDataErrorBox(ErrorBoxInterface* box, HWND owner, UINT text_id,
                     UINT caption_id) {
  const std::wstring text = ime_shared::LoadResourceString(text_id);
  const std::wstring caption = ime_shared::LoadResourceString(caption_id);
  return box->Show(owner, text, caption, MB_OK | MB_ICONERROR);
}

}  // namespace ime_t13n
