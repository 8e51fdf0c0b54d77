#include "ime/shared/base/modal_dialog.h"

#include <stdexcept>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/window_layer_test_resources.h"

namespace ime_shared {
namespace base {
namespace {

constexpr UINT_PTR kEndTimer = 1;
constexpr UINT kPostedEnd = WM_APP + 10;
constexpr UINT kThrow = WM_APP + 11;

// Ends itself from a timer or a posted message, after noting that it could
// be seen.
class SelfEndingDialog : public ModalDialog {
 public:
  enum class Trigger { kTimer, kPostedMessage };
  SelfEndingDialog(int resource_id, Trigger trigger, INT_PTR end_value)
      : ModalDialog(resource_id), trigger_(trigger), end_value_(end_value) {}

  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    switch (message) {
      case WM_INITDIALOG:
        bound_at_init = hwnd() == window;
        if (trigger_ == Trigger::kTimer) {
          ::SetTimer(window, kEndTimer, 20, nullptr);
        } else {
          ::PostMessageW(window, kThrow, 0, 0);
          ::PostMessageW(window, kPostedEnd, 0, 0);
        }
        result = TRUE;
        return true;
      case WM_TIMER:
        if (wparam != kEndTimer) return false;
        ::KillTimer(window, kEndTimer);
        End(window);
        return true;
      case kPostedEnd:
        End(window);
        return true;
      case kThrow:
        throw std::runtime_error("thrown inside the dialog");
      case WM_NCDESTROY:
        saw_ncdestroy = true;
        return false;
      default:
        return false;
    }
  }

  void OnFinalMessage(HWND window) override {
    final_after_ncdestroy = saw_ncdestroy;
    final_unbound = hwnd() == nullptr;
  }

  bool bound_at_init = false;
  bool visible = false;
  bool saw_ncdestroy = false;
  bool final_after_ncdestroy = false;
  bool final_unbound = false;

 private:
  void End(HWND window) {
    visible = ::IsWindowVisible(window) != FALSE;
    EndDialog(end_value_);
  }

  Trigger trigger_;
  INT_PTR end_value_;
};

TEST(ModalDialogTest, ReturnsTheValueGivenToEndDialog) {
  SelfEndingDialog timed(IDD_TEST_PLAIN, SelfEndingDialog::Trigger::kTimer, 4242);
  EXPECT_EQ(timed.DoModal(nullptr), 4242);
  EXPECT_TRUE(timed.visible) << "the dialog was on screen when it ended";
  EXPECT_TRUE(timed.bound_at_init);
  EXPECT_TRUE(timed.final_after_ncdestroy);
  EXPECT_TRUE(timed.final_unbound);
  EXPECT_EQ(timed.hwnd(), nullptr);
  EXPECT_FALSE(timed.EndDialog(1)) << "no dialog runs any more";

  // Posted messages, one of which throws inside the message map.
  SelfEndingDialog posted(IDD_TEST_CONTROLS, SelfEndingDialog::Trigger::kPostedMessage, 3);
  EXPECT_EQ(posted.DoModal(nullptr), 3);
  EXPECT_TRUE(posted.visible);
  EXPECT_TRUE(posted.final_after_ncdestroy);

  // The same object runs its dialog again.
  EXPECT_EQ(timed.DoModal(nullptr), 4242);
}

TEST(ModalDialogTest, MissingTemplateGivesMinusOne) {
  ModalDialog missing(IDD_TEST_MISSING);
  EXPECT_EQ(missing.DoModal(nullptr), -1);
  EXPECT_EQ(missing.hwnd(), nullptr);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
