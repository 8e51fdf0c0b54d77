// Helpers of the window tests of the front end: the generic engine without
// a core, the web seams of a test (a fixed user name, a shell that records
// what it is asked to open) and reading a pixel back from the screen.
#ifndef IME_SHARED_FRONTEND_FRONTEND_WINDOW_TEST_HELPERS_H_
#define IME_SHARED_FRONTEND_FRONTEND_WINDOW_TEST_HELPERS_H_

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "ime/shared/frontend/candidate_interfaces.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/frontend/frontend_test_helpers.h"
#include "ime/shared/url_launcher.h"

namespace ime_shared {
namespace testing_helpers {

// The generic engine without a core: the composition is handed in
// directly, and the rest is left as plain as possible.
class CorelessEngine : public frontend::Engine {
 public:
  CorelessEngine(ContextInterface* context, SettingsInterface* settings)
      : Engine(context, settings) {}
  int32_t SetProperty(int index, int32_t value) override { return 0; }
  int32_t AttachCore(CoreInterface* core) override { return 0; }
  bool SetMode(int32_t mode) override { return true; }
  bool GetConversionMode(int32_t which) const override { return false; }
  void SetConversionMode(int32_t which, int32_t value) override {}
  // Makes |text| the composition, one typed clause with the caret at its
  // end.
  void Compose(const std::wstring& text) {
    SetComposition(new TestComposition({{text, text, kTypedClause}},
                                       static_cast<int32_t>(text.size())));
  }
};

class FixedUserName : public UserNameInterface {
 public:
  explicit FixedUserName(const std::wstring& name) : name_(name) {}
  bool ReadUserName(std::wstring* name) override {
    *name = name_;
    return true;
  }

 private:
  std::wstring name_;
};

// Records the addresses handed to the shell (on the launcher's thread).
class RecordingShell : public ShellOpenInterface {
 public:
  bool OpenAddress(const std::wstring& address) override {
    std::lock_guard<std::mutex> lock(mutex_);
    addresses_.push_back(address);
    return true;
  }
  std::vector<std::wstring> addresses() {
    std::lock_guard<std::mutex> lock(mutex_);
    return addresses_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::wstring> addresses_;
};

// The colour the screen shows at (x, y).
inline COLORREF ScreenPixel(int x, int y) {
  HDC screen = ::GetDC(nullptr);
  const COLORREF pixel = ::GetPixel(screen, x, y);
  ::ReleaseDC(nullptr, screen);
  return pixel;
}

}  // namespace testing_helpers
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_FRONTEND_WINDOW_TEST_HELPERS_H_
