#include "ime/t13n/frontend/ui_manager.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/module_handle.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"
#include "ime/t13n/frontend/window_test_helpers.h"

namespace ime_t13n {
namespace {

using testing_helpers::KeystrokeWorld;
using Events = std::vector<std::string>;

// Every call the parts receive, in order.
struct PartsLog {
  Events events;
  void Add(const std::string& event) { events.push_back(event); }
  Events Take() {
    Events taken;
    taken.swap(events);
    return taken;
  }
};

std::string EngineName(const T13nEngine* engine) { return engine != nullptr ? "engine" : "none"; }

// Whether this thread has a window of |class_name|, shown or not.
bool ThreadHasWindow(const wchar_t* class_name) {
  return !testing_helpers::ThreadWindowsOfClass(class_name, false).empty();
}

class FakeStatusWindow : public StatusWindowInterface {
 public:
  FakeStatusWindow(PartsLog* log, bool creates) : log_(log), creates_(creates) {}
  bool Create(HINSTANCE module, ime_shared::MenuInterface* menu) override {
    log_->Add(std::string("status.Create") +
              (ThreadHasWindow(L"IMEHORIZONTAL") ? " after candidates" : ""));
    return creates_;
  }
  void Attach(ime_shared::ContextInterface* context, T13nEngine* engine) override {
    log_->Add("status.Attach " + EngineName(engine));
  }
  void Refresh() override { log_->Add("status.Refresh"); }
  void SetShowRequest(int32_t value) override {
    log_->Add("status.SetShowRequest " + std::to_string(value));
  }
  void Destroy() override {
    log_->Add("status.Destroy");
    delete this;
  }

 private:
  PartsLog* log_;
  bool creates_;
};

class FakeMainMenu : public MainMenuInterface {
 public:
  explicit FakeMainMenu(PartsLog* log) : log_(log) {}
  ~FakeMainMenu() override { log_->Add("menu.delete"); }
  void Show(POINT point, HWND owner, const RECT* exclude) override { log_->Add("menu.Show"); }
  void SetEngine(T13nEngine* engine) override { log_->Add("menu.SetEngine " + EngineName(engine)); }
  HMENU Build() override { return nullptr; }
  void OnCommand(UINT id, T13nEngine* engine) override {}

 private:
  PartsLog* log_;
};

class FakeSoftKeyboard : public SoftKeyboardInterface {
 public:
  FakeSoftKeyboard(PartsLog* log, bool creates) : log_(log), creates_(creates) {}
  ~FakeSoftKeyboard() override { log_->Add("keyboard.delete"); }
  bool Create(HINSTANCE module) override {
    log_->Add("keyboard.Create");
    return creates_;
  }
  void SetEngine(T13nEngine* engine) override {
    log_->Add("keyboard.SetEngine " + EngineName(engine));
  }
  void Refresh() override { log_->Add("keyboard.Refresh"); }
  void Hide() override { log_->Add("keyboard.Hide"); }
  void DestroyWindow() override { log_->Add("keyboard.DestroyWindow"); }

 private:
  PartsLog* log_;
  bool creates_;
};

class FakeLanguageBar : public LanguageBarInterface {
 public:
  explicit FakeLanguageBar(PartsLog* log) : log_(log) {}
  ~FakeLanguageBar() override { log_->Add("bar.delete"); }
  void Bind(MainMenuInterface* menu, HINSTANCE module, const GUID& text_service) override {
    const bool unbind = menu == nullptr && module == nullptr && text_service == GUID();
    if (!unbind) {
      bound_service = text_service;
      bound_module = module;
    }
    log_->Add(unbind ? "bar.Unbind" : std::string("bar.Bind") + (menu != nullptr ? " menu" : ""));
  }
  void SetEngine(T13nEngine* engine) override { log_->Add("bar.SetEngine " + EngineName(engine)); }
  void Update() override { log_->Add("bar.Update"); }
  bool HasButtons() const override { return has_buttons; }
  void Remove() override { log_->Add("bar.Remove"); }

  bool has_buttons = false;
  GUID bound_service = GUID();
  HINSTANCE bound_module = nullptr;

 private:
  PartsLog* log_;
};

// A UI manager over fake parts and a real keystroke road.
class UIManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world_.settings.SetString(1, testing_helpers::kDevanagariFace);
    engine_ = world_.engine();
    world_.context().flags[2] = true;
  }
  void TearDown() override { world_.context().on_update = nullptr; }

  UIParts Parts() {
    UIParts parts;
    parts.language_bar = [this](ime_shared::SettingsInterface* settings) {
      log_.Add("bar.make");
      bar_ = new FakeLanguageBar(&log_);
      bar_->has_buttons = bar_has_buttons_;
      return bar_;
    };
    parts.status_window = [this](ime_shared::SettingsInterface* settings) {
      log_.Add("status.make");
      return new FakeStatusWindow(&log_, status_creates_);
    };
    parts.main_menu = [this](HINSTANCE module, ime_shared::SettingsInterface* settings) {
      log_.Add("menu.make");
      return new FakeMainMenu(&log_);
    };
    parts.soft_keyboard = [this]() {
      log_.Add("keyboard.make");
      const bool creates = keyboard_creations_left_ != 0;
      if (keyboard_creations_left_ > 0) --keyboard_creations_left_;
      return new FakeSoftKeyboard(&log_, creates);
    };
    return parts;
  }
  UIManagerEnvironment Environment() {
    UIManagerEnvironment environment;
    environment.settings = &world_.settings;
    environment.installed_version = L"1.0.4.0";
    environment.parts = Parts();
    environment.text_service = ime_shared::InputMethod::kTextServiceClsid;
    return environment;
  }
  UIManager* Make() {
    manager_.reset(static_cast<UIManager*>(CreateUIManager(nullptr, Environment())));
    return manager_.get();
  }
  // Every update of the context reaches the UI manager, as the integration
  // layers pass it on.
  void ForwardUpdates() {
    auto previous = world_.context().on_update;
    world_.context().on_update = [this, previous](uint32_t flags) {
      if (previous) previous(flags);
      if (manager_) manager_->Update(flags);
    };
  }
  bool CandidateWindowVisible() {
    T13nHorizontalWindow* window = manager_->candidate_window();
    return window != nullptr && window->IsWindow() && ::IsWindowVisible(window->hwnd());
  }

  KeystrokeWorld world_;
  T13nEngine* engine_ = nullptr;
  PartsLog log_;
  FakeLanguageBar* bar_ = nullptr;
  bool bar_has_buttons_ = false;
  bool status_creates_ = true;
  // -1: every creation succeeds.
  int keyboard_creations_left_ = -1;
  std::unique_ptr<UIManager> manager_;
};

TEST_F(UIManagerTest, ConstructionMakesThePartsInOrderAndShowsNothing) {
  UIManager* manager = Make();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(log_.Take(), (Events{"bar.make", "status.make", "menu.make",
                                 "status.Create after candidates", "bar.Bind menu"}));
  ASSERT_NE(manager->candidate_window(), nullptr);
  EXPECT_TRUE(manager->candidate_window()->IsWindow());
  EXPECT_FALSE(::IsWindowVisible(manager->candidate_window()->hwnd()));
  EXPECT_NE(manager->status_window(), nullptr);
  EXPECT_EQ(manager->soft_keyboard(), nullptr);
  EXPECT_TRUE(bar_->bound_service == ime_shared::InputMethod::kTextServiceClsid);
  EXPECT_EQ(bar_->bound_module, ime_shared::base::CurrentModule());
  EXPECT_EQ(manager->context(), nullptr);
  EXPECT_EQ(manager->engine(), nullptr);
}

TEST_F(UIManagerTest, AttachingTheSameContextAndEngineChangesNothing) {
  UIManager* manager = Make();
  log_.Take();
  manager->AttachEngine(&world_.context());
  EXPECT_EQ(manager->engine(), engine_);
  EXPECT_EQ(log_.Take(),
            (Events{"menu.SetEngine engine", "bar.SetEngine engine", "status.Attach engine",
                    "status.Refresh", "bar.Update", "keyboard.make", "keyboard.Create",
                    "keyboard.SetEngine engine", "keyboard.Refresh"}));
  EXPECT_EQ(manager->candidate_window()->engine(), engine_);
  EXPECT_EQ(manager->candidate_window()->context(), &world_.context());

  const size_t updates = world_.context().updates.size();
  manager->AttachEngine(&world_.context());
  EXPECT_TRUE(log_.Take().empty());
  EXPECT_EQ(world_.context().updates.size(), updates);

  // The same context now giving another engine (an input context freed and
  // another made at its address): the windows take the new engine.
  T13nEngine* second = world_.NewEngine();
  ime_shared::testing_helpers::FakeContext* first_context = nullptr;
  // NewEngine made a context of its own; the first one is made to give the
  // new engine.
  first_context = static_cast<ime_shared::testing_helpers::FakeContext*>(manager->context());
  first_context->engine = second;
  manager->AttachEngine(first_context);
  EXPECT_EQ(manager->engine(), second);
  EXPECT_EQ(manager->candidate_window()->engine(), second);
  EXPECT_EQ(log_.Take(),
            (Events{"menu.SetEngine engine", "bar.SetEngine engine", "keyboard.SetEngine engine",
                    "status.Attach engine", "status.Refresh", "bar.Update", "keyboard.Refresh"}));
  first_context->engine = engine_;
  manager->AttachEngine(nullptr);
}

TEST_F(UIManagerTest, NoContextHidesEverything) {
  UIManager* manager = Make();
  ForwardUpdates();
  manager->AttachEngine(&world_.context());
  world_.Type(L"kam");
  ASSERT_TRUE(CandidateWindowVisible());
  log_.Take();

  manager->AttachEngine(nullptr);
  EXPECT_FALSE(CandidateWindowVisible());
  EXPECT_EQ(manager->engine(), nullptr);
  EXPECT_EQ(manager->candidate_window()->engine(), nullptr);
  EXPECT_EQ(log_.Take(),
            (Events{"menu.SetEngine none", "bar.SetEngine none", "keyboard.SetEngine none",
                    "status.Attach none", "keyboard.Hide", "status.Refresh", "bar.Update",
                    "keyboard.Refresh"}));
  manager->Update(ime_shared::kUpdateAll);
  EXPECT_FALSE(CandidateWindowVisible());
  EXPECT_EQ(log_.Take(),
            (Events{"keyboard.Hide", "status.Refresh", "bar.Update", "keyboard.Refresh"}));
}

TEST_F(UIManagerTest, ModeChangesReachTheStatusWindowThenTheLanguageBar) {
  UIManager* manager = Make();
  log_.Take();
  manager->Update(ime_shared::kUpdateMode);
  EXPECT_EQ(log_.Take(), (Events{"status.Refresh", "bar.Update"}));
  manager->Update(ime_shared::kUpdateCandidateList);
  EXPECT_TRUE(log_.Take().empty());
  manager->SetOption(ime_shared::kUIOptionStatusWindow, 1);
  manager->SetOption(ime_shared::kUIOptionStatusWindow, 0);
  manager->SetOption(3, 1);
  EXPECT_EQ(log_.Take(), (Events{"status.SetShowRequest 1", "status.SetShowRequest 0"}));
}

TEST_F(UIManagerTest, WithoutAStatusWindowModeChangesStillReachTheLanguageBar) {
  status_creates_ = false;
  UIManager* manager = Make();
  EXPECT_EQ(log_.Take(), (Events{"bar.make", "status.make", "menu.make",
                                 "status.Create after candidates", "status.Destroy",
                                 "bar.Bind menu"}));
  EXPECT_EQ(manager->status_window(), nullptr);
  manager->Update(ime_shared::kUpdateMode);
  manager->SetOption(ime_shared::kUIOptionStatusWindow, 1);
  EXPECT_EQ(log_.Take(), (Events{"bar.Update"}));
}

TEST_F(UIManagerTest, MissingPartsAreLeftOut) {
  UIManagerEnvironment environment = Environment();
  environment.parts = UIParts();
  std::unique_ptr<ime_shared::UIManagerInterface> manager(
      CreateUIManager(nullptr, environment));
  ASSERT_NE(manager, nullptr);
  manager->AttachEngine(&world_.context());
  manager->Update(ime_shared::kUpdateAll);
  manager->SetOption(ime_shared::kUIOptionStatusWindow, 1);
  manager->AttachEngine(nullptr);
  EXPECT_TRUE(log_.Take().empty());
}

TEST_F(UIManagerTest, PickerRequestMakesTheSoftKeyboardOnce) {
  keyboard_creations_left_ = 0;  // the first creation fails
  UIManager* manager = Make();
  log_.Take();
  manager->Update(ime_shared::kUpdatePicker);
  EXPECT_EQ(log_.Take(), (Events{"keyboard.make", "keyboard.Create", "keyboard.delete"}));
  EXPECT_EQ(manager->soft_keyboard(), nullptr);

  keyboard_creations_left_ = -1;
  manager->Update(ime_shared::kUpdatePicker);
  manager->Update(ime_shared::kUpdatePicker);
  // Without a context the picker is hidden before each refresh.
  EXPECT_EQ(log_.Take(), (Events{"keyboard.make", "keyboard.Create", "keyboard.SetEngine none",
                                 "keyboard.Refresh", "keyboard.Hide", "keyboard.Refresh"}));
  EXPECT_NE(manager->soft_keyboard(), nullptr);
}

TEST_F(UIManagerTest, DestructionTakesThePartsDownInOrder) {
  bar_has_buttons_ = true;
  UIManager* manager = Make();
  manager->Update(ime_shared::kUpdatePicker);
  HWND candidates = manager->candidate_window()->hwnd();
  log_.Take();
  manager_.reset();
  EXPECT_EQ(log_.Take(),
            (Events{"bar.Remove", "bar.Unbind", "status.Destroy", "keyboard.DestroyWindow",
                    "menu.delete", "bar.delete", "keyboard.delete"}));
  EXPECT_FALSE(::IsWindow(candidates));
  EXPECT_FALSE(ThreadHasWindow(L"IMEHORIZONTAL"));

  // Without buttons on the bar nothing is removed.
  bar_has_buttons_ = false;
  Make();
  log_.Take();
  manager_.reset();
  EXPECT_EQ(log_.Take(), (Events{"bar.Unbind", "status.Destroy", "menu.delete", "bar.delete"}));
}

TEST_F(UIManagerTest, CandidateRectMovesTheCandidateWindowToTheCaret) {
  UIManager* manager = Make();
  EXPECT_FALSE(manager->GetCandidateRect()) << "no context";
  world_.context().caret_rect = RECT{150, 200, 152, 216};
  manager->AttachEngine(&world_.context());
  EXPECT_TRUE(manager->GetCandidateRect());
  RECT rect = {};
  ::GetWindowRect(manager->candidate_window()->hwnd(), &rect);
  EXPECT_EQ(rect.left, 150);
  EXPECT_EQ(rect.top, 216);
  manager->AttachEngine(nullptr);
}

TEST_F(UIManagerTest, FactoryNeedsTheInstalledVersionAndTheSettings) {
  UIManagerEnvironment environment = Environment();
  environment.installed_version.clear();
  EXPECT_EQ(CreateUIManager(nullptr, environment), nullptr);
  environment = Environment();
  environment.settings = nullptr;
  EXPECT_EQ(CreateUIManager(nullptr, environment), nullptr);
  EXPECT_TRUE(log_.Take().empty()) << "nothing was made";

  std::unique_ptr<ime_shared::UIManagerInterface> manager(
      CreateUIManager(reinterpret_cast<HWND>(0x1234), Environment()));
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(static_cast<UIManager*>(manager.get())->owner(), reinterpret_cast<HWND>(0x1234));
}

TEST(UIManagerProductTest, FactoryReadsTheInstalledVersion) {
  const ime_testing::RegistryPlace autoupdate(HKEY_LOCAL_MACHINE, ime_shared::kAutoupdateKeyPath,
                                              KEY_WOW64_64KEY);
  autoupdate.Delete(ime_shared::kInstalledVersionValue);
  EXPECT_EQ(CreateUIManager(nullptr), nullptr);

  autoupdate.SetString(ime_shared::kInstalledVersionValue, L"1.0.0.1");
  std::unique_ptr<ime_shared::UIManagerInterface> manager(CreateUIManager(nullptr));
  autoupdate.Delete(ime_shared::kInstalledVersionValue);
  ASSERT_NE(manager, nullptr);
  // The product's parts: the candidate window at least.
  EXPECT_NE(static_cast<UIManager*>(manager.get())->candidate_window(), nullptr);
}

}  // namespace
}  // namespace ime_t13n
