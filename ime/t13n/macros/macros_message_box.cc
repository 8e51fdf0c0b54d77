#include "ime/t13n/macros/macros_message_box.h"

namespace ime_t13n {
namespace {

class SystemBox : public MacrosMessageBoxInterface {
 public:
  int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
           UINT type) override {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  }
};

}  // namespace

MacrosMessageBoxInterface* SystemMacrosMessageBox() {
  static SystemBox box;
  return &box;
}

}  // namespace ime_t13n
