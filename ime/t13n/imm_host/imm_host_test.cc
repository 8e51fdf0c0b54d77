// Scenarios of the built module in a Wine application (imm_host.exe, run as
// a second process), in a Wine prefix of their own with the Hindi locale,
// the module installed as the product installs it (in the system folder,
// its keyboard layout added by the setup tool, "Strevane.exe
// --action=install"):
//
// - through Wine's IMM32 (a smoke test of what Wine does right): the layout
//   is of the locale's language and activates; the letters of "namaste"
//   sent with SendInput reach the module, the edit's input context holds
//   the composition and the candidates, and completing the composition
//   commits the first candidate into the edit. Space is not checked this
//   way: Wine 8 on 64-bit reads the messages an input method returns from
//   ImeToAsciiEx at a wrong offset.
// - the host playing IMM32's part (the acceptance of the keystroke road in
//   an application): after "namaste" the candidate window shows just below
//   the caret, at its x, with its text on the screen; Space commits
//   "नमस्ते " into the edit, Esc cancels a composition and hides the window,
//   F12 lets Latin letters through.
// - a language whose data cannot be used (an application with the module,
//   application_test_child.exe): the data error box shows once, and while
//   it is open the application selects input contexts on its own thread
//   (from the box's message loop) and on another, and each select returns.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"
#include "ime/t13n/imm_host/built_module_test_helpers.h"
#include "ime/t13n/imm_host/module_driver.h"

namespace ime_t13n {
namespace {

const wchar_t kNamaste[] = L"\x0928\x092E\x0938\x094D\x0924\x0947";

using Lines = std::vector<std::pair<std::string, std::wstring>>;

// The "name: value" lines of the host's output.
Lines ParseLines(const std::string& output) {
  Lines lines;
  for (const std::string& line : testing_helpers::OutputLines(output)) {
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) {
      if (!line.empty() && line.back() == ':') {
        lines.emplace_back(line.substr(0, line.size() - 1), L"");
      }
      continue;
    }
    lines.emplace_back(line.substr(0, colon),
                       ime_shared::Utf8ToWide(line.substr(colon + 2)));
  }
  return lines;
}

// The values of every line named |name|, in order.
std::vector<std::wstring> ValuesOf(const Lines& lines, const std::string& name) {
  std::vector<std::wstring> values;
  for (const auto& line : lines) {
    if (line.first == name) values.push_back(line.second);
  }
  return values;
}

std::wstring First(const Lines& lines, const std::string& name) {
  const std::vector<std::wstring> values = ValuesOf(lines, name);
  return values.empty() ? L"<none>" : values.front();
}

class ImmHostScenarioTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // This prefix is the test's own: the product's values are set for good.
    testing_helpers::SetBuiltProductValues();
  }

  // Runs imm_host with |arguments|; its lines, or a failure.
  ::testing::AssertionResult RunHost(const std::wstring& arguments,
                                     Lines* lines) {
    std::string output;
    const int code =
        ime_testing::RunChild(L"imm_host", arguments, &output, 120000);
    *lines = ParseLines(output);
    if (code != 0) {
      return ::testing::AssertionFailure()
             << "imm_host " << ime_shared::WideToUtf8(arguments)
             << " exited with " << code << ":\n"
             << output;
    }
    return ::testing::AssertionSuccess();
  }

  // Copies the module into the system folder, runs the setup tool's
  // install action and reads back the layout the host finds.
  ::testing::AssertionResult Install(Lines* lines) {
    wchar_t folder[MAX_PATH];
    ::GetSystemDirectoryW(folder, MAX_PATH);
    const std::wstring module = imm_host::ModuleBesideProgram();
    const std::wstring installed =
        std::wstring(folder) + module.substr(module.find_last_of(L'\\'));
    if (!::CopyFileW(module.c_str(), installed.c_str(), FALSE)) {
      return ::testing::AssertionFailure() << "cannot copy the module";
    }
    const int code = ime_testing::RunChild(L"Strevane", L"--action=install");
    if (code != 0) {
      return ::testing::AssertionFailure() << "Strevane exited with " << code;
    }
    return RunHost(L"--layout", lines);
  }
};

// "X Y ..." as numbers.
std::vector<long> Numbers(const std::wstring& text) {
  std::vector<long> numbers;
  size_t start = text.find_first_of(L"-0123456789");
  while (start != std::wstring::npos) {
    size_t end = 0;
    numbers.push_back(std::stol(text.substr(start), &end));
    start = text.find_first_of(L"-0123456789", start + end);
  }
  return numbers;
}

TEST_F(ImmHostScenarioTest, TypingThroughWineImm) {
  ASSERT_EQ(::GetUserDefaultLCID(), 0x0439u)
      << "the scenarios run with LC_ALL=hi_IN.UTF-8";
  Lines lines;
  ASSERT_TRUE(Install(&lines));
  // A layout of an input method (0xE0..) of the locale's language.
  const std::wstring layout = First(lines, "layout");
  ASSERT_EQ(layout.size(), 8u) << ime_shared::WideToUtf8(layout);
  EXPECT_EQ(layout.substr(0, 2), L"E0");
  EXPECT_EQ(layout.substr(4), L"0439");
  const std::wstring file = First(lines, "layout file");
  EXPECT_EQ(file.substr(file.find_last_of(L"\\/") + 1), L"Kelvane_hi.ime");
  // Installing again finds the same layout.
  ASSERT_TRUE(Install(&lines));
  EXPECT_EQ(First(lines, "layout"), layout);

  ASSERT_TRUE(RunHost(L"--system namaste", &lines));
  EXPECT_EQ(First(lines, "active layout"), layout);
  EXPECT_EQ(First(lines, "composition"), L"namaste");
  const std::wstring candidates = First(lines, "candidates");
  EXPECT_EQ(candidates.substr(0, candidates.find(L',')), kNamaste)
      << ime_shared::WideToUtf8(candidates);
  EXPECT_EQ(First(lines, "composition after complete"), L"");
  EXPECT_EQ(First(lines, "edit"), kNamaste);
}

TEST_F(ImmHostScenarioTest, HostPlayingImmTypesCommitsCancelsAndTogglesOff) {
  Lines lines;
  ASSERT_TRUE(Install(&lines));
  ASSERT_TRUE(RunHost(L"--host namaste", &lines));
  // The module made its UI window, with a UI manager.
  EXPECT_EQ(First(lines, "ui window"), L"made");
  EXPECT_EQ(First(lines, "composition"), L"namaste");
  const std::wstring candidates = First(lines, "candidates");
  EXPECT_EQ(candidates.substr(0, candidates.find(L',')), kNamaste);

  // The UI manager's candidate window shows the word just below the caret,
  // at its x, and the screen shows its text; after "kya" it shows again,
  // and Esc hides it.
  const std::vector<std::wstring> windows = ValuesOf(lines, "candidate window");
  ASSERT_EQ(windows.size(), 3u);
  ASSERT_EQ(windows[0].compare(0, 8, L"visible "), 0)
      << ime_shared::WideToUtf8(windows[0]);
  const std::vector<long> caret = Numbers(First(lines, "caret"));
  const std::vector<long> window = Numbers(windows[0]);
  ASSERT_EQ(caret.size(), 3u);
  ASSERT_EQ(window.size(), 4u);
  EXPECT_EQ(window[0], caret[0]) << "at the caret's x";
  EXPECT_GE(window[1], caret[1] + caret[2]) << "below the caret";
  EXPECT_LE(window[1], caret[1] + caret[2] + 4) << "just below the caret";
  const std::vector<long> dark = Numbers(First(lines, "candidate text pixels"));
  ASSERT_EQ(dark.size(), 1u);
  EXPECT_GT(dark[0], 50) << "no text drawn in the candidate window";
  EXPECT_EQ(windows[1].compare(0, 8, L"visible "), 0);
  EXPECT_EQ(windows[2], L"hidden");

  const std::vector<std::wstring> edits = ValuesOf(lines, "edit");
  ASSERT_EQ(edits.size(), 4u);
  // Space commits the first candidate and the space.
  EXPECT_EQ(edits[0], std::wstring(kNamaste) + L" ");
  // The edit shows a composition inline; Esc takes it away.
  EXPECT_EQ(edits[1], L"kya");
  EXPECT_EQ(edits[2], L"");
  // With transliteration off the letters reach the edit as typed.
  EXPECT_EQ(edits[3], L"abc");
}

// The user's installation lost its language data file, or it is damaged.
// The module says so with one box; the application is not stuck behind it:
// a message it posted before selects another input context from inside the
// box's message loop, and another thread selects one meanwhile. Both
// return while the box is open (which the watcher in the application
// closes only once they did), and neither opens a second box.
TEST_F(ImmHostScenarioTest, DataErrorBoxLeavesTheApplicationFreeToSelect) {
  ime_testing::TempDir data;
  const std::wstring language_folder =
      data.path() + ime_shared::Utf8ToWide(ime_shared::kLanguageCode);
  ASSERT_TRUE(::CreateDirectoryW(language_folder.c_str(), nullptr));
  const ime_testing::RegistryPlace product(
      HKEY_LOCAL_MACHINE, ime_shared::kProductKeyPath, KEY_WOW64_64KEY);
  for (const bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "a damaged data file" : "no data file");
    if (damaged) {
      // Long enough to be mapped; its header's checksum does not match.
      ASSERT_TRUE(ime_testing::WriteFileBytes(
          language_folder + L"\\data.00000", std::string(4000000, '\x5A')));
    }
    product.SetString(ime_shared::kDataPathValue, data.path());
    std::string output;
    const int code = ime_testing::RunChild(L"application_test_child",
                                           L"data-error", &output, 120000);
    testing_helpers::SetBuiltProductValues();
    ASSERT_EQ(code, 0) << "the application hung or failed:\n" << output;
    const std::vector<std::string> lines =
        testing_helpers::OutputLines(output);
    const std::vector<std::string> expected = {
        "inner select returned", "thread select returned",
        "outer select returned", "boxes 1", "boxes at once 1"};
    EXPECT_EQ(lines, expected)
        << "the selects made while the box was open come before the one "
           "that opened it returns; one box in all";
  }
}

}  // namespace
}  // namespace ime_t13n
