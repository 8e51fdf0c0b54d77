#include "ime/shared/base/window_impl.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/module_call_scope.h"
#include "ime/shared/base/module_handle.h"
#include "ime/shared/base/window_class.h"

namespace ime_shared {
namespace base {
namespace {

constexpr UINT kDestroyInside = WM_APP + 1;
constexpr UINT kThrow = WM_APP + 2;
// Sends kHandOver to the window in wparam, then logs.
constexpr UINT kSendOn = WM_APP + 3;
// Hands an object over to ReleaseAfterModuleCalls, then logs.
constexpr UINT kHandOver = WM_APP + 4;

// A window that writes what happens to it into a log of the test.
class LoggingWindow : public WindowImpl<LoggingWindow> {
 public:
  explicit LoggingWindow(std::vector<std::string>* log) : log_(log) {}
  ~LoggingWindow() override { log_->push_back("deleted"); }

  static WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneLayerTestWindow", CS_IME, IDC_ARROW, nullptr};
  }

  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    switch (message) {
      case WM_CREATE:
        log_->push_back("create");
        if (refuse_creation) {
          result = -1;
          return true;
        }
        return false;
      case WM_DESTROY:
        log_->push_back("destroy");
        return false;
      case WM_NCDESTROY:
        log_->push_back("ncdestroy");
        return false;
      case kDestroyInside:
        ::DestroyWindow(window);
        // Still this object's own message: the object must be alive.
        log_->push_back(std::string("after destroy, bound: ") + (hwnd() != nullptr ? "yes" : "no"));
        result = 7;
        return true;
      case WM_SETTEXT:
        if (throw_on_set_text) throw std::runtime_error("map failed");
        return false;
      case kThrow:
        throw 42;
      case kSendOn:
        ::SendMessageW(reinterpret_cast<HWND>(wparam), kHandOver, 0, 0);
        log_->push_back("sent on");
        return true;
      case kHandOver:
        ReleaseAfterModuleCalls(
            [](void* log) {
              static_cast<std::vector<std::string>*>(log)->push_back("released");
            },
            log_);
        log_->push_back("handed over");
        return true;
      default:
        return false;
    }
  }

  void OnFinalMessage(HWND window) override {
    log_->push_back(std::string("final, bound: ") +
                    (hwnd() != nullptr || FromHandle(window) != nullptr ? "yes" : "no"));
    if (throw_on_final) throw std::runtime_error("final failed");
    if (delete_on_final) delete this;
  }

  bool refuse_creation = false;
  bool throw_on_set_text = false;
  bool throw_on_final = false;
  bool delete_on_final = false;

 private:
  std::vector<std::string>* log_;
};

class OtherWindow : public WindowImpl<OtherWindow> {
 public:
  static WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneLayerTestOther", 0, nullptr, nullptr};
  }
  bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

constexpr RECT kRect = {40, 40, 240, 140};

// A tool window created hidden and then shown without activation: the X
// driver then neither waits for a window manager nor for the window's
// mapping when it goes.
template <typename Window>
HWND CreateShown(Window& window, const wchar_t* title) {
  HWND handle = window.Create(nullptr, kRect, title, WS_POPUP, WS_EX_TOOLWINDOW);
  if (handle != nullptr) ::ShowWindow(handle, SW_SHOWNA);
  return handle;
}

std::vector<std::string> From(const std::vector<std::string>& log, const std::string& first) {
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i] == first) return std::vector<std::string>(log.begin() + i, log.end());
  }
  return {};
}

TEST(WindowImplTest, OneClassRegistrationServesEveryWindowOfTheClass) {
  std::vector<std::string> log;
  LoggingWindow first(&log);
  LoggingWindow second(&log);
  OtherWindow other;
  ASSERT_NE(CreateShown(first, L"first"), nullptr);
  ASSERT_NE(CreateShown(second, L"second"), nullptr);
  ASSERT_NE(CreateShown(other, L"other"), nullptr);
  ASSERT_TRUE(::IsWindowVisible(first.hwnd()));
  ASSERT_TRUE(::IsWindowVisible(second.hwnd()));

  const ATOM atom = LoggingWindow::RegisterWindowClass();
  ASSERT_NE(atom, 0);
  EXPECT_EQ(::GetClassLongPtrW(first.hwnd(), GCW_ATOM), atom);
  EXPECT_EQ(::GetClassLongPtrW(second.hwnd(), GCW_ATOM), atom);
  EXPECT_NE(::GetClassLongPtrW(other.hwnd(), GCW_ATOM), atom);
  EXPECT_EQ(::GetClassLongPtrW(first.hwnd(), GCL_STYLE), static_cast<ULONG_PTR>(CS_IME));
  EXPECT_EQ(reinterpret_cast<HINSTANCE>(::GetClassLongPtrW(first.hwnd(), GCLP_HMODULE)),
            CurrentModule());

  // A later description of the same name (in any case) changes nothing.
  WNDCLASSEXW again = {};
  again.cbSize = sizeof(again);
  again.style = CS_HREDRAW | CS_VREDRAW;
  again.lpfnWndProc = &::DefWindowProcW;
  again.hInstance = CurrentModule();
  again.lpszClassName = L"kelvanelayertestwindow";
  EXPECT_EQ(RegisterWindowClassOnce(again), atom);
  EXPECT_EQ(::GetClassLongPtrW(first.hwnd(), GCL_STYLE), static_cast<ULONG_PTR>(CS_IME));
  LoggingWindow third(&log);
  ASSERT_NE(CreateShown(third, L"third"), nullptr);
  EXPECT_EQ(::SendMessageW(third.hwnd(), kDestroyInside, 0, 0), 7)
      << "the window of a later registration still reaches its object";

  // A class registered outside the layer is taken as it is.
  WNDCLASSEXW outside = again;
  outside.lpszClassName = L"KelvaneLayerTestOutside";
  const ATOM outside_atom = ::RegisterClassExW(&outside);
  ASSERT_NE(outside_atom, 0);
  EXPECT_EQ(RegisterWindowClassOnce(outside), outside_atom);

  WNDCLASSEXW nameless = again;
  nameless.lpszClassName = L"";
  EXPECT_EQ(RegisterWindowClassOnce(nameless), 0);
}

TEST(WindowImplTest, FinalMessageFollowsNcDestroyWithTheObjectUnbound) {
  std::vector<std::string> log;
  auto* window = new LoggingWindow(&log);
  window->delete_on_final = true;
  HWND handle = CreateShown(*window, L"final");
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(::IsWindowVisible(handle));
  EXPECT_EQ(WindowBase::FromHandle(handle), window);
  EXPECT_EQ(window->hwnd(), handle);

  ASSERT_TRUE(::DestroyWindow(handle));
  EXPECT_EQ(From(log, "destroy"),
            (std::vector<std::string>{"destroy", "ncdestroy", "final, bound: no", "deleted"}));
  EXPECT_FALSE(::IsWindow(handle));
}

TEST(WindowImplTest, WindowDestroyedInsideItsOwnMessageEndsAfterThatMessage) {
  std::vector<std::string> log;
  auto* window = new LoggingWindow(&log);
  window->delete_on_final = true;
  HWND handle = CreateShown(*window, L"nested");
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(::IsWindowVisible(handle));

  EXPECT_EQ(::SendMessageW(handle, kDestroyInside, 0, 0), 7);
  EXPECT_EQ(From(log, "destroy"),
            (std::vector<std::string>{"destroy", "ncdestroy", "after destroy, bound: no",
                                      "final, bound: no", "deleted"}));
  EXPECT_FALSE(::IsWindow(handle));
}

// A message is a call into the module: what its handling frees while an
// outer message may still use it (an engine whose click the application
// answered by deselecting its context) goes once the outermost is done.
TEST(WindowImplTest, ReleasesHandedOverDuringAMessageWaitForItsEnd) {
  std::vector<std::string> log;
  LoggingWindow first(&log);
  LoggingWindow second(&log);
  ASSERT_NE(CreateShown(first, L"outer"), nullptr);
  ASSERT_NE(CreateShown(second, L"inner"), nullptr);
  ASSERT_TRUE(::IsWindowVisible(first.hwnd()));
  log.clear();
  ::SendMessageW(first.hwnd(), kSendOn, reinterpret_cast<WPARAM>(second.hwnd()), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"handed over", "sent on", "released"}));
}

TEST(WindowImplTest, NoExceptionLeavesTheWindowProcedure) {
  std::vector<std::string> log;
  LoggingWindow window(&log);
  ASSERT_NE(CreateShown(window, L"before"), nullptr);
  ASSERT_TRUE(::IsWindowVisible(window.hwnd()));

  // The throwing map counts as "not handled": the default processing still
  // sets the text.
  window.throw_on_set_text = true;
  EXPECT_TRUE(
      ::SendMessageW(window.hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"after the throw")));
  wchar_t text[64] = {};
  ::GetWindowTextW(window.hwnd(), text, 64);
  EXPECT_STREQ(text, L"after the throw");
  EXPECT_EQ(::SendMessageW(window.hwnd(), kThrow, 0, 0), 0);

  // The window still works, and a throwing final message ends quietly.
  window.throw_on_set_text = false;
  EXPECT_EQ(::SendMessageW(window.hwnd(), kDestroyInside, 0, 0), 7);
  EXPECT_EQ(window.hwnd(), nullptr);
  window.throw_on_final = true;
  ASSERT_NE(CreateShown(window, L"again"), nullptr);
  HWND handle = window.hwnd();
  EXPECT_TRUE(::DestroyWindow(handle));
  EXPECT_FALSE(::IsWindow(handle));
  EXPECT_EQ(log.back(), "final, bound: no");
}

TEST(WindowImplTest, RefusedCreationLeavesTheObjectToItsOwner) {
  std::vector<std::string> log;
  LoggingWindow window(&log);
  window.refuse_creation = true;
  window.delete_on_final = true;  // must not run: the test owns the object
  EXPECT_EQ(CreateShown(window, L"refused"), nullptr);
  EXPECT_EQ(window.hwnd(), nullptr);
  for (const std::string& entry : log) EXPECT_NE(entry.rfind("final", 0), 0u) << entry;

  window.refuse_creation = false;
  window.delete_on_final = false;
  HWND handle = CreateShown(window, L"accepted");
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(::IsWindowVisible(handle));
  EXPECT_EQ(CreateShown(window, L"twice"), nullptr)
      << "one window per object";
}

TEST(WindowImplTest, ObjectGoingFirstTakesItsWindowAlong) {
  std::vector<std::string> log;
  HWND handle = nullptr;
  {
    LoggingWindow window(&log);
    handle = CreateShown(window, L"scoped");
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(::IsWindowVisible(handle));
  }
  EXPECT_FALSE(::IsWindow(handle));
  for (const std::string& entry : log) EXPECT_NE(entry.rfind("final", 0), 0u) << entry;
}

// A host whose hooks record the order they were tried in.
class ChainedWindow : public WindowImpl<ChainedWindow> {
 public:
  static WindowClassInfo GetWindowClassInfo() {
    return {L"KelvaneLayerTestChained", 0, IDC_ARROW, nullptr};
  }
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override {
    return ChainMessageHooks<ChainedWindow>(
        this, {&ChainedWindow::First, &ChainedWindow::Second, &ChainedWindow::Third}, window,
        message, wparam, lparam, result);
  }
  bool First(HWND, UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message == WM_APP) tried += "1";
    return false;
  }
  bool Second(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
    if (message != WM_APP) return false;
    tried += "2";
    result = 22;
    return wparam == 1;
  }
  bool Third(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_APP) return false;
    tried += "3";
    result = 33;
    return true;
  }
  std::string tried;
};

TEST(WindowImplTest, HooksAreTriedInTheHostsOrderUntilOneHandles) {
  ChainedWindow window;
  ASSERT_NE(CreateShown(window, L"chain"), nullptr);
  ASSERT_TRUE(::IsWindowVisible(window.hwnd()));
  EXPECT_EQ(::SendMessageW(window.hwnd(), WM_APP, 1, 0), 22);
  EXPECT_EQ(window.tried, "12");
  window.tried.clear();
  EXPECT_EQ(::SendMessageW(window.hwnd(), WM_APP, 0, 0), 33);
  EXPECT_EQ(window.tried, "123");
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
