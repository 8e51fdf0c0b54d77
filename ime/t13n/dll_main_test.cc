// The built module, Kelvane_<language>.ime, loaded with LoadLibraryW and
// driven through its exports on real input contexts of the system's IMM32,
// with the build's Hindi language data: what it exports and carries, what
// ImeInquire registers and an unload takes back, the escape and
// notification rows, typing and committing a word, messages that do not fit
// the system's list, the order of the composition messages through a random
// stream of keys, and the COM exports.
//
// The module reads the product's machine-wide values ("DataPath",
// "InstalledVersion"), so every case holds the ctest lock of those values
// and removes what it set.
#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/stress_seed.h"
#include "ime/t13n/imm_host/module_driver.h"

namespace ime_t13n {
namespace {

using imm_host::DrivenContext;
using imm_host::KeyResult;
using imm_host::LoadedModule;
using imm_host::Message;

const wchar_t kNamaste[] = L"\x0928\x092E\x0938\x094D\x0924\x0947";

// What the application's window received.
struct Received {
  std::vector<Message> messages;
  // GCS_RESULTSTR read when a result arrived.
  std::vector<std::wstring> results;
  int conversion_notifications = 0;
  // What the application does on a message of the input method, after
  // reading it.
  std::function<void(const Message&)> reaction;
};
Received* g_received = nullptr;

LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wparam,
                                 LPARAM lparam) {
  if (g_received != nullptr &&
      (message == WM_IME_STARTCOMPOSITION || message == WM_IME_COMPOSITION ||
       message == WM_IME_ENDCOMPOSITION || message == WM_IME_NOTIFY)) {
    g_received->messages.push_back({message, wparam, lparam});
    if (message == WM_IME_COMPOSITION && (lparam & GCS_RESULTSTR) != 0) {
      HIMC himc = ::ImmGetContext(window);
      wchar_t text[64] = {};
      ::ImmGetCompositionStringW(himc, GCS_RESULTSTR, text,
                                 sizeof(text) - sizeof(wchar_t));
      g_received->results.push_back(text);
      ::ImmReleaseContext(window, himc);
    }
    if (message == WM_IME_NOTIFY && wparam == IMN_SETCONVERSIONMODE) {
      ++g_received->conversion_notifications;
    }
    if (g_received->reaction) {
      // Held by a copy: the reaction may end itself.
      const std::function<void(const Message&)> reaction =
          g_received->reaction;
      reaction({message, wparam, lparam});
    }
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

// The number of names in the export directory of a loaded module.
DWORD ExportedNames(HMODULE module) {
  const auto* base = reinterpret_cast<const uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0) return 0;
  return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
             base + entry.VirtualAddress)
      ->NumberOfNames;
}

bool UIClassRegistered(HMODULE module) {
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  return ::GetClassInfoExW(module, L"ZELKORA2", &info) != FALSE;
}

DWORD SubkeyCount(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return 0;
  }
  DWORD count = 0;
  ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr, nullptr);
  ::RegCloseKey(key);
  return count;
}

LONG WINAPI HostFilter(EXCEPTION_POINTERS* exception) {
  return EXCEPTION_CONTINUE_SEARCH;
}

class BuiltModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received = &received_;
    product_existed_ = product_.Exists();
    autoupdate_existed_ = autoupdate_.Exists();
    product_.SetString(ime_shared::kDataPathValue,
                       ime_shared::Utf8ToWide(KELVANE_BUILT_DATA_DIR));
    autoupdate_.SetString(ime_shared::kInstalledVersionValue, L"1.0.4.0");

    class_name_ = ime_testing::UniqueName(L"BuiltModuleTestApp");
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &ApplicationProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = class_name_.c_str();
    ASSERT_NE(::RegisterClassExW(&wc), 0);
    window_ = ::CreateWindowExW(0, class_name_.c_str(), L"", WS_POPUP, 0, 0,
                                200, 100, nullptr, nullptr, wc.hInstance,
                                nullptr);
    ASSERT_NE(window_, nullptr);

    ASSERT_TRUE(module_.Load(imm_host::ModuleBesideProgram()))
        << "the built module does not load beside the test program";
  }

  void TearDown() override {
    FreeContext();
    module_.Free();
    if (window_ != nullptr) ::DestroyWindow(window_);
    ::UnregisterClassW(class_name_.c_str(), ::GetModuleHandleW(nullptr));
    g_received = nullptr;

    product_.Delete(ime_shared::kDataPathValue);
    autoupdate_.Delete(ime_shared::kInstalledVersionValue);
    if (!autoupdate_existed_) {
      ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, ime_shared::kAutoupdateKeyPath,
                        KEY_WOW64_64KEY, 0);
    }
    if (!product_existed_) {
      ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, ime_shared::kProductKeyPath,
                        KEY_WOW64_64KEY, 0);
      ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tarvel",
                        KEY_WOW64_64KEY, 0);
    }
  }

  const imm_host::ModuleExports& exports() { return module_.exports(); }

  // An input context of the application's window that selected the module:
  // the window set as the context's own, as the system does.
  // Deselects and frees the input context of Select, as IMM32 does.
  void FreeContext() {
    if (himc_ != nullptr && module_.handle() != nullptr) {
      module_.exports().ImeSelect(himc_, FALSE);
    }
    if (himc_ != nullptr) {
      ::ImmAssociateContext(window_, nullptr);
      ::ImmDestroyContext(himc_);
    }
    himc_ = nullptr;
  }

  DrivenContext* Select() {
    himc_ = ::ImmCreateContext();
    EXPECT_NE(himc_, nullptr);
    ::ImmAssociateContext(window_, himc_);
    INPUTCONTEXT* imc = ::ImmLockIMC(himc_);
    EXPECT_NE(imc, nullptr);
    if (imc != nullptr) {
      imc->hWnd = window_;
      ::ImmUnlockIMC(himc_);
    }
    EXPECT_TRUE(exports().ImeSelect(himc_, TRUE));
    driven_.reset(new DrivenContext(exports(), himc_));
    return driven_.get();
  }

  const ime_testing::RegistryPlace product_{
      HKEY_LOCAL_MACHINE, ime_shared::kProductKeyPath, KEY_WOW64_64KEY};
  const ime_testing::RegistryPlace autoupdate_{
      HKEY_LOCAL_MACHINE, ime_shared::kAutoupdateKeyPath, KEY_WOW64_64KEY};
  bool product_existed_ = false;
  bool autoupdate_existed_ = false;
  std::wstring class_name_;
  HWND window_ = nullptr;
  Received received_;
  LoadedModule module_;
  HIMC himc_ = nullptr;
  std::unique_ptr<DrivenContext> driven_;
};

TEST_F(BuiltModuleTest, ExportsTheNineteenEntryPointsAndDescribesItself) {
  imm_host::ModuleExports resolved;
  EXPECT_EQ(resolved.Resolve(module_.handle()), 19);
  EXPECT_EQ(ExportedNames(module_.handle()), 19u);

  // The version resource: an input-method driver of the build's language,
  // version 1.0.4.0.
  const std::wstring path = imm_host::ModuleBesideProgram();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<uint8_t> data(size);
  ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\",
                               reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00040000u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DRV));
  EXPECT_EQ(fixed->dwFileSubtype, static_cast<DWORD>(VFT2_DRV_INPUTMETHOD));
  WORD* translation = nullptr;
  ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation),
                               &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0439);
  EXPECT_EQ(translation[1], 1200);
  wchar_t* version = nullptr;
  ASSERT_TRUE(::VerQueryValueW(
      data.data(), L"\\StringFileInfo\\043904b0\\FileVersion",
      reinterpret_cast<void**>(&version), &length));
  EXPECT_STREQ(version, L"1.0.4.0");
}

TEST_F(BuiltModuleTest, InquireRegistersItsClassAndAnUnloadTakesItBack) {
  IMEINFO info;
  wchar_t class_name[16];
  // Not on the logon desktop: nothing registered.
  EXPECT_FALSE(exports().ImeInquire(&info, class_name, IME_SYSINFO_WINLOGON));
  EXPECT_FALSE(UIClassRegistered(module_.handle()));

  ASSERT_TRUE(exports().ImeInquire(&info, class_name, 0));
  EXPECT_STREQ(class_name, L"ZELKORA2");
  EXPECT_EQ(info.fdwProperty, 0x1E0003u);
  EXPECT_TRUE(UIClassRegistered(module_.handle()));
  // Inquired again without ImeDestroy between: the class is in place.
  EXPECT_TRUE(exports().ImeInquire(&info, class_name, 0));

  // ImeDestroy, then an unload and a reload (as IMM32 does for a module
  // with IME_PROP_END_UNLOAD): the module inquires afresh.
  EXPECT_TRUE(exports().ImeDestroy(0));
  module_.Free();
  ASSERT_TRUE(module_.Load(imm_host::ModuleBesideProgram()));
  EXPECT_TRUE(exports().ImeInquire(&info, class_name, 0));

  // An unload without ImeDestroy takes the class back too.
  module_.Free();
  ASSERT_TRUE(module_.Load(imm_host::ModuleBesideProgram()));
  EXPECT_TRUE(exports().ImeInquire(&info, class_name, 0));
  EXPECT_TRUE(UIClassRegistered(module_.handle()));
}

TEST_F(BuiltModuleTest, UIWindowsHaveAManagerOnlyWhenTheProductIsInstalled) {
  IMEINFO info;
  wchar_t class_name[16];
  ASSERT_TRUE(exports().ImeInquire(&info, class_name, 0));
  auto create = [&]() {
    return ::CreateWindowExW(0, class_name, L"", WS_POPUP | WS_DISABLED, 0, 0,
                             0, 0, nullptr, nullptr, module_.handle(),
                             nullptr);
  };
  HWND window = create();
  ASSERT_NE(window, nullptr) << "the UI manager was not made";
  EXPECT_TRUE(::DestroyWindow(window));

  // Without "InstalledVersion" there is no UI manager, and no window.
  autoupdate_.Delete(ime_shared::kInstalledVersionValue);
  EXPECT_EQ(create(), nullptr);
}

TEST_F(BuiltModuleTest, LoadInstallsTheCrashHandlerAndUnloadPutsBackTheFilter) {
  module_.Free();
  const LPTOP_LEVEL_EXCEPTION_FILTER original =
      ::SetUnhandledExceptionFilter(&HostFilter);
  ASSERT_TRUE(module_.Load(imm_host::ModuleBesideProgram()));
  // The module's own filter is in place while it is loaded.
  const LPTOP_LEVEL_EXCEPTION_FILTER loaded =
      ::SetUnhandledExceptionFilter(&HostFilter);
  ::SetUnhandledExceptionFilter(loaded);
  EXPECT_NE(loaded, &HostFilter);
  module_.Free();
  EXPECT_EQ(::SetUnhandledExceptionFilter(original), &HostFilter);
}

TEST_F(BuiltModuleTest, EscapeAndNotificationRows) {
  UINT question = IME_ESC_IME_NAME;
  EXPECT_EQ(exports().ImeEscape(nullptr, IME_ESC_QUERY_SUPPORT, &question), 1);
  EXPECT_EQ(exports().ImeEscape(nullptr, IME_ESC_QUERY_SUPPORT, nullptr), 0);
  question = IME_ESC_SEQUENCE_TO_INTERNAL;
  EXPECT_EQ(exports().ImeEscape(nullptr, IME_ESC_QUERY_SUPPORT, &question), 0);
  wchar_t name[32] = {};
  EXPECT_EQ(exports().ImeEscape(nullptr, IME_ESC_IME_NAME, name), 1);
  EXPECT_STREQ(name, L"Tarvel Translit");
  EXPECT_EQ(exports().ImeEscape(nullptr, IME_ESC_GETHELPFILENAME, name), 0);

  DrivenContext* context = Select();
  // The composition ends through the engine: cancelled or committed.
  context->Type(L"kya");
  ASSERT_EQ(context->CompositionString(GCS_COMPSTR), L"kya");
  EXPECT_TRUE(exports().NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_CANCEL, 0));
  EXPECT_EQ(context->CompositionString(GCS_COMPSTR), L"");
  EXPECT_TRUE(received_.results.empty());
  EXPECT_TRUE(exports().NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_CONVERT, 0));
  EXPECT_TRUE(exports().NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_REVERT, 0));
  EXPECT_FALSE(exports().NotifyIME(himc_, NI_COMPOSITIONSTR, 7, 0));
  EXPECT_TRUE(
      exports().NotifyIME(himc_, NI_CONTEXTUPDATED, 0, IMC_SETOPENSTATUS));
  EXPECT_FALSE(
      exports().NotifyIME(himc_, NI_CONTEXTUPDATED, 0, IMC_SETSENTENCEMODE));
  EXPECT_TRUE(exports().NotifyIME(himc_, NI_SETCANDIDATE_PAGESIZE, 0, 3));
  EXPECT_FALSE(
      exports().NotifyIME(himc_, NI_FINALIZECONVERSIONRESULT, 0, 0));
  // An input context that never selected the module finds nothing.
  HIMC other = ::ImmCreateContext();
  EXPECT_FALSE(exports().NotifyIME(other, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  BYTE state[256] = {};
  EXPECT_FALSE(exports().ImeProcessKey(other, 'A', 0, state));
  ::ImmDestroyContext(other);
}

TEST_F(BuiltModuleTest, TypingAWordShowsItAndSpaceCommitsTheFirstCandidate) {
  DrivenContext* context = Select();
  context->Type(L"namaste");
  EXPECT_EQ(context->CompositionString(GCS_COMPSTR), L"namaste");
  EXPECT_EQ(context->CursorPosition(), 7);
  const std::vector<std::wstring> candidates = context->Candidates();
  ASSERT_FALSE(candidates.empty());
  EXPECT_EQ(candidates[0], kNamaste);

  const KeyResult space = context->Press(VK_SPACE);
  EXPECT_TRUE(space.eaten);
  EXPECT_FALSE(space.from_buffer);
  ASSERT_FALSE(space.messages.empty());
  EXPECT_EQ(space.messages[0].message, static_cast<UINT>(WM_IME_COMPOSITION));
  EXPECT_EQ(space.messages[0].lparam, GCS_RESULTSTR | GCS_CURSORPOS);
  EXPECT_EQ(context->CompositionString(GCS_RESULTSTR),
            std::wstring(kNamaste) + L" ");
  EXPECT_EQ(context->CompositionString(GCS_COMPSTR), L"");
}

// A word typed on and on, key by key, without a space: every keystroke
// answers (a hang fails the test by its time-out), the composition stops at
// the 499 units the composition-string block holds and further letters are
// eaten without changing it, and candidates stay offered.
TEST_F(BuiltModuleTest, AWordOfSixHundredLettersStopsAtTheCompositionsRoom) {
  DrivenContext* context = Select();
  std::wstring typed;
  while (typed.size() < 600) typed += L"namastekyahai";
  typed.resize(600);
  context->Type(typed.substr(0, 499));
  EXPECT_EQ(context->CompositionString(GCS_COMPSTR), typed.substr(0, 499));
  EXPECT_EQ(context->CursorPosition(), 499);
  const std::vector<std::wstring> candidates = context->Candidates();
  ASSERT_FALSE(candidates.empty());

  for (size_t i = 499; i < typed.size(); ++i) {
    // The virtual key of a letter is its capital.
    const KeyResult key =
        context->Press(static_cast<UINT>(typed[i] - L'a' + 'A'));
    ASSERT_TRUE(key.eaten) << i;
  }
  EXPECT_EQ(context->CompositionString(GCS_COMPSTR), typed.substr(0, 499));
  EXPECT_EQ(context->CursorPosition(), 499);
  EXPECT_EQ(context->Candidates(), candidates);
  EXPECT_TRUE(received_.results.empty());
}

TEST_F(BuiltModuleTest, MessagesBeyondTheListAllGoThroughTheBuffer) {
  DrivenContext* context = Select();
  const KeyResult n = context->Key('N', true, 2);
  EXPECT_TRUE(n.eaten);
  EXPECT_GT(n.count, 2u);
  EXPECT_TRUE(n.from_buffer);
  ASSERT_EQ(n.messages.size(), n.count);
  EXPECT_EQ(n.messages.front().message,
            static_cast<UINT>(WM_IME_STARTCOMPOSITION));
  EXPECT_EQ(n.messages[1].message, static_cast<UINT>(WM_IME_COMPOSITION));
  EXPECT_EQ(n.messages.back().message, static_cast<UINT>(WM_IME_NOTIFY));
  EXPECT_EQ(n.messages.back().wparam, static_cast<WPARAM>(IMN_PRIVATE));
  context->Key('N', false, 2);
  EXPECT_EQ(context->CompositionString(GCS_COMPSTR), L"n");
}

TEST_F(BuiltModuleTest, CompletingTheCompositionSendsTheResultToTheWindow) {
  DrivenContext* context = Select();
  context->Type(L"namaste");
  received_ = Received();
  EXPECT_TRUE(exports().NotifyIME(himc_, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  ASSERT_EQ(received_.results.size(), 1u);
  EXPECT_EQ(received_.results[0], kNamaste);
  EXPECT_EQ(context->CompositionString(GCS_COMPSTR), L"");
  ASSERT_FALSE(received_.messages.empty());
  EXPECT_EQ(received_.messages.back().wparam,
            static_cast<WPARAM>(IMN_PRIVATE));
}

TEST_F(BuiltModuleTest, F12TurnsTransliterationOffAndOn) {
  DrivenContext* context = Select();
  EXPECT_EQ(context->Conversion() & IME_CMODE_NATIVE,
            static_cast<DWORD>(IME_CMODE_NATIVE));
  received_ = Received();
  const KeyResult off = context->Press(VK_F12);
  EXPECT_TRUE(off.eaten);
  EXPECT_EQ(context->Conversion(), 0u);
  // The conversion status was set once, and its notification round ended.
  EXPECT_LE(received_.conversion_notifications, 1);
  // Letters now reach the application.
  EXPECT_FALSE(context->Press('A').eaten);
  EXPECT_EQ(context->CompositionString(GCS_COMPSTR), L"");

  EXPECT_TRUE(context->Press(VK_F12).eaten);
  EXPECT_EQ(context->Conversion(), static_cast<DWORD>(IME_CMODE_NATIVE));
  EXPECT_TRUE(context->Press('A').eaten);
  EXPECT_EQ(context->CompositionString(GCS_COMPSTR), L"a");
}

// Applications switch the layout or free their input context while they
// handle a message of the input method, that is inside the module's call
// that sent it. The module comes back from that call without touching what
// went, and the input context selected again works.
TEST_F(BuiltModuleTest, ApplicationsMayDeselectOrFreeTheContextInsideAMessage) {
  struct Trigger {
    const char* name;
    std::function<void(DrivenContext*)> run;
  };
  const Trigger triggers[] = {
      {"a letter", [](DrivenContext* c) { c->Press('K'); }},
      {"F12", [](DrivenContext* c) { c->Press(VK_F12); }},
      {"escape", [](DrivenContext* c) { c->Press(VK_ESCAPE); }},
      {"NotifyIME complete",
       [this](DrivenContext* c) {
         exports().NotifyIME(c->himc(), NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
       }},
      {"NotifyIME cancel",
       [this](DrivenContext* c) {
         exports().NotifyIME(c->himc(), NI_COMPOSITIONSTR, CPS_CANCEL, 0);
       }},
  };
  // The messages of a key go back through its list: only notifications
  // reach the window during a key.
  const UINT kTargets[] = {WM_IME_COMPOSITION, WM_IME_ENDCOMPOSITION,
                           WM_IME_NOTIFY};
  std::set<UINT> reached;
  for (const Trigger& trigger : triggers) {
    for (UINT target : kTargets) {
      for (bool free_it : {false, true}) {
        SCOPED_TRACE(std::string(trigger.name) + ", message " +
                     std::to_string(target) + (free_it ? ", freed" : ""));
        FreeContext();
        DrivenContext* context = Select();
        const HIMC himc = himc_;
        context->Type(L"namaste");
        bool acted = false;
        received_.reaction = [&](const Message& message) {
          if (acted || message.message != target) return;
          acted = true;
          exports().ImeSelect(himc, FALSE);
          if (free_it) {
            ::ImmAssociateContext(window_, nullptr);
            ::ImmDestroyContext(himc);
            himc_ = nullptr;
          }
        };
        trigger.run(context);
        received_.reaction = nullptr;
        if (!acted) continue;
        reached.insert(target);
        if (free_it) continue;
        BYTE state[256] = {};
        EXPECT_FALSE(exports().ImeProcessKey(himc, 'A', 0, state))
            << "a deselected context takes no key";
        ASSERT_TRUE(exports().ImeSelect(himc, TRUE));
        context->Type(L"kya");
        EXPECT_EQ(context->CompositionString(GCS_COMPSTR), L"kya");
      }
    }
  }
  EXPECT_EQ(reached.size(), 3u) << "some message never reached the window";
}

// Follows the composition by its messages as an application does: a start
// opens it, changes come while it is open, an end closes it.
class CompositionFollower {
 public:
  // False (with |problem| set) for a message out of order.
  bool Follow(const Message& message, std::string* problem) {
    switch (message.message) {
      case WM_IME_STARTCOMPOSITION:
        if (open_) *problem = "a second start";
        open_ = true;
        break;
      case WM_IME_COMPOSITION:
        if (!open_) *problem = "a change outside a composition";
        break;
      case WM_IME_ENDCOMPOSITION:
        if (!open_) *problem = "an end without a start";
        open_ = false;
        break;
      default:
        break;
    }
    return problem->empty();
  }
  bool open() const { return open_; }

 private:
  bool open_ = false;
};

TEST_F(BuiltModuleTest, RandomKeysKeepEveryCompositionBetweenItsStartAndEnd) {
  constexpr int kEvents = 6000;
  const uint32_t seed = ime_testing::StressSeed();
  std::mt19937 random(seed);
  auto pick = [&random](int n) {
    return static_cast<int>(random() % static_cast<uint32_t>(n));
  };
  DrivenContext* context = Select();
  static const char kLetters[] = "kamartiyhoeunsd";
  static const UINT kEditing[] = {VK_BACK, VK_DELETE, VK_LEFT, VK_RIGHT,
                                  VK_HOME, VK_END,    VK_UP,   VK_DOWN,
                                  VK_TAB,  VK_PRIOR,  VK_NEXT};
  // Holds |modifier| down for one press of |key|.
  auto chord = [context](UINT modifier, UINT key) {
    context->SetModifier(modifier, true);
    KeyResult result = context->Press(key);
    context->SetModifier(modifier, false);
    return result;
  };
  CompositionFollower follower;
  size_t window_seen = 0;
  for (int n = 0; n < kEvents; ++n) {
    std::string what;
    KeyResult key;
    switch (pick(16)) {
      case 0: case 1: case 2: case 3: case 4: case 5: {
        const char c = kLetters[pick(sizeof(kLetters) - 1)];
        what = std::string("letter ") + c;
        const UINT vk = static_cast<UINT>(c - 'a' + 'A');
        key = pick(6) == 0 ? chord(VK_SHIFT, vk) : context->Press(vk);
        break;
      }
      case 6:
        what = "digit";
        key = context->Press('1' + pick(9));
        break;
      case 7: {
        const UINT vk = kEditing[pick(sizeof(kEditing) / sizeof(kEditing[0]))];
        what = "editing key " + std::to_string(vk);
        key = context->Press(vk);
        break;
      }
      case 8:
        what = pick(2) == 0 ? "space" : "enter";
        key = context->Press(what == "space" ? VK_SPACE : VK_RETURN);
        break;
      case 9:
        what = "punctuation";
        key = context->Press(pick(2) == 0 ? VK_OEM_PERIOD : VK_OEM_COMMA);
        break;
      case 10:
        what = "escape";
        key = context->Press(VK_ESCAPE);
        break;
      case 11:
        what = "F12";
        key = context->Press(VK_F12);
        break;
      case 12:
        what = "ctrl+G";
        key = chord(VK_CONTROL, 'G');
        break;
      case 13:
        what = "ctrl+K";
        key = chord(VK_CONTROL, 'K');
        break;
      case 14:
        what = "a lone key release";
        key = context->Key('A' + pick(26), false);
        break;
      default: {
        const bool complete = pick(2) == 0;
        what = complete ? "NotifyIME complete" : "NotifyIME cancel";
        exports().NotifyIME(himc_, NI_COMPOSITIONSTR,
                            complete ? CPS_COMPLETE : CPS_CANCEL, 0);
        break;
      }
    }
    const std::string where = " at event " + std::to_string(n) + " (" +
                              what + "), seed " + std::to_string(seed);
    // What reached the window (sent during the key, or by NotifyIME) came
    // before what the key's own list carries.
    std::vector<Message> stream(received_.messages.begin() + window_seen,
                                received_.messages.end());
    window_seen = received_.messages.size();
    stream.insert(stream.end(), key.messages.begin(), key.messages.end());
    for (const Message& message : stream) {
      std::string problem;
      ASSERT_TRUE(follower.Follow(message, &problem)) << problem << where;
    }
    ASSERT_EQ(follower.open(), !context->CompositionString(GCS_COMPSTR).empty())
        << "the composition shown and its messages differ" << where;
  }
}

TEST_F(BuiltModuleTest, ComExportsServeNoUnknownClassAndRegisterNothing) {
  // A class identifier of no class of the module.
  const CLSID unknown = {0x5b1c2a3d, 0x0e4f, 0x4a61,
                         {0x9b, 0x2c, 0x71, 0x3d, 0x84, 0x5e, 0x6f, 0x10}};
  void* factory = reinterpret_cast<void*>(1);
  EXPECT_EQ(exports().DllGetClassObject(unknown, IID_IClassFactory, &factory),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory, nullptr);
  EXPECT_EQ(exports().DllGetClassObject(unknown, IID_IClassFactory, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(exports().DllCanUnloadNow(), S_OK);

  const std::wstring service_key =
      L"CLSID\\" +
      ime_shared::GuidToString(ime_shared::InputMethod::kTextServiceClsid);
  const DWORD machine_classes =
      SubkeyCount(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID");
  const DWORD user_classes =
      SubkeyCount(HKEY_CURRENT_USER, L"Software\\Classes\\CLSID");
  EXPECT_EQ(exports().DllRegisterServer(), S_OK);
  EXPECT_EQ(exports().DllUnregisterServer(), S_OK);
  EXPECT_EQ(exports().DllRegisterServer(), S_OK);
  HKEY key = nullptr;
  EXPECT_NE(::RegOpenKeyExW(HKEY_CLASSES_ROOT, service_key.c_str(), 0,
                            KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(SubkeyCount(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID"),
            machine_classes);
  EXPECT_EQ(SubkeyCount(HKEY_CURRENT_USER, L"Software\\Classes\\CLSID"),
            user_classes);
}

}  // namespace
}  // namespace ime_t13n
