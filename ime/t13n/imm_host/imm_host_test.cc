// Scenarios of the built module in a Wine application (imm_host.exe, run as
// a second process), in a Wine prefix of their own with the Hindi locale:
//
// - through Wine's IMM32 (a smoke test of what Wine does right): the module
//   is installed as a keyboard layout of the locale's language and
//   activated; the letters of "namaste" sent with SendInput reach it, the
//   edit's input context holds the composition and the candidates, and
//   completing the composition commits the first candidate into the edit.
//   Space is not checked this way: Wine 8 on 64-bit reads the messages an
//   input method returns from ImeToAsciiEx at a wrong offset.
// - the host playing IMM32's part (the acceptance of the keystroke road in
//   an application): "namaste" and Space commit "नमस्ते " into the edit, Esc
//   cancels a composition, F12 lets Latin letters through.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/t13n/imm_host/module_driver.h"

namespace ime_t13n {
namespace {

const wchar_t kNamaste[] = L"\x0928\x092E\x0938\x094D\x0924\x0947";

using Lines = std::vector<std::pair<std::string, std::wstring>>;

// The "name: value" lines of the host's output.
Lines ParseLines(const std::string& output) {
  Lines lines;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
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
    const ime_testing::RegistryPlace product(
        HKEY_LOCAL_MACHINE, ime_shared::kProductKeyPath, KEY_WOW64_64KEY);
    const ime_testing::RegistryPlace autoupdate(
        HKEY_LOCAL_MACHINE, ime_shared::kAutoupdateKeyPath, KEY_WOW64_64KEY);
    product.SetString(ime_shared::kDataPathValue,
                      ime_shared::Utf8ToWide(KELVANE_BUILT_DATA_DIR));
    autoupdate.SetString(ime_shared::kInstalledVersionValue, L"1.0.4.0");
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

  ::testing::AssertionResult Install(Lines* lines) {
    return RunHost(L"--install \"" + imm_host::ModuleBesideProgram() + L"\"",
                   lines);
  }
};

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

}  // namespace
}  // namespace ime_t13n
