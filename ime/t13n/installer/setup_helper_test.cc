#include "ime/t13n/installer/setup_helper.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/flags.h"

namespace ime_t13n {
namespace {

// Records the message boxes instead of showing them.
class FakeSetupHelperSystem : public SetupHelperSystem {
 public:
  struct Box {
    std::wstring text;
    std::wstring caption;
    UINT type;
  };

  bool IsUserAdmin() override {
    ++admin_checks;
    return admin;
  }
  int ShowMessageBox(HWND owner, const std::wstring& text,
                     const std::wstring& caption, UINT type) override {
    boxes.push_back(Box{text, caption, type});
    return IDOK;
  }

  bool admin = true;
  int admin_checks = 0;
  std::vector<Box> boxes;
};

// The machine's keyboard layout keys with their IME files, to show that a
// refused run changed none of them.
std::set<std::wstring> KeyboardLayoutKeys() {
  std::set<std::wstring> keys;
  HKEY layouts = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKeyPath, 0, KEY_READ,
                      &layouts) != ERROR_SUCCESS) {
    return keys;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256] = {};
    DWORD length = 256;
    if (::RegEnumKeyExW(layouts, i, name, &length, nullptr, nullptr, nullptr,
                        nullptr) != ERROR_SUCCESS) {
      break;
    }
    wchar_t file[MAX_PATH] = {};
    DWORD bytes = sizeof(file) - sizeof(wchar_t);
    ::RegGetValueW(layouts, name, L"Ime File", RRF_RT_REG_SZ, nullptr, file,
                   &bytes);
    keys.insert(std::wstring(name) + L"=" + file);
  }
  ::RegCloseKey(layouts);
  return keys;
}

class SetupHelperTest : public ::testing::Test {
 protected:
  void SetUp() override { FLAGS_action = L""; }
  void TearDown() override { FLAGS_action = L""; }

  // Runs the program with |arguments| after its name.
  int Run(std::vector<std::wstring> arguments) {
    arguments.insert(arguments.begin(), L"Strevane.exe");
    std::vector<const wchar_t*> argv;
    for (const std::wstring& argument : arguments) {
      argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    return SetupHelperMain(static_cast<int>(arguments.size()), argv.data(),
                           &system_);
  }

  FakeSetupHelperSystem system_;
};

TEST_F(SetupHelperTest, NonAdministratorIsRefusedWithTheErrorBoxAndNothingChanges) {
  system_.admin = false;
  const std::set<std::wstring> before = KeyboardLayoutKeys();
  EXPECT_EQ(Run({L"--action=install"}), -1);
  EXPECT_EQ(Run({L"--action=uninstall"}), -1);
  EXPECT_EQ(Run({}), -1);
  EXPECT_EQ(system_.admin_checks, 3);
  ASSERT_EQ(system_.boxes.size(), 3u);
  for (const auto& box : system_.boxes) {
    EXPECT_EQ(box.text,
              L"To use this feature, you must have administrator privileges.");
    EXPECT_EQ(box.caption, L"Error");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONERROR));
  }
  EXPECT_EQ(KeyboardLayoutKeys(), before);
}

TEST_F(SetupHelperTest, OnlyTheTwoExactActionsAreKnown) {
  const std::set<std::wstring> before = KeyboardLayoutKeys();
  const std::vector<std::vector<std::wstring>> unknown = {
      {},
      {L"--action=Install"},
      {L"--action=UNINSTALL"},
      {L"--action=bogus"},
      {L"--action="},
      {L"--action"},      // no value to take
      {L"install"},       // a positional argument is not the flag
      {L"--verbose", L"--action=install"},  // parsing stops at the unknown flag
  };
  for (const auto& arguments : unknown) {
    FLAGS_action = L"";
    std::wstring line;
    for (const auto& argument : arguments) line += argument + L" ";
    EXPECT_EQ(Run(arguments), -1) << std::string(line.begin(), line.end());
  }
  EXPECT_TRUE(system_.boxes.empty());
  EXPECT_EQ(KeyboardLayoutKeys(), before);
}

TEST(SetupHelperFlagTest, ActionIsAnEmptyStringFlagOfTheSetupTool) {
  const ime_shared::FlagDefinition* flag = ime_shared::FindFlag(L"ACTION");
  ASSERT_NE(flag, nullptr);
  EXPECT_STREQ(flag->name, L"action");
  EXPECT_STREQ(flag->source_file, L"ime\\t13n\\installer\\set");
  EXPECT_STREQ(flag->help, L"");
  EXPECT_EQ(flag->type, ime_shared::kStringFlag);
  EXPECT_STREQ(flag->default_value.as_string, L"");
}

TEST(SetupHelperModuleFileTest, TheLastPathComponentIsComparedIgnoringCase) {
  EXPECT_TRUE(IsModuleFileName(L"Kelvane_hi.ime"));
  EXPECT_TRUE(IsModuleFileName(L"KELVANE_HI.IME"));
  EXPECT_TRUE(IsModuleFileName(L"C:\\windows\\system32\\Kelvane_hi.ime"));
  EXPECT_TRUE(IsModuleFileName(L"c:\\WINDOWS\\System32\\kelvane_HI.ime"));
  EXPECT_TRUE(IsModuleFileName(L"C:/windows/system32/Kelvane_hi.ime"));
  EXPECT_FALSE(IsModuleFileName(L""));
  EXPECT_FALSE(IsModuleFileName(L"C:\\windows\\system32\\"));
  EXPECT_FALSE(IsModuleFileName(L"xKelvane_hi.ime"));
  EXPECT_FALSE(IsModuleFileName(L"Kelvane_hi.ime.bak"));
  EXPECT_FALSE(IsModuleFileName(L"C:\\Kelvane_hi.ime\\other.ime"));
  EXPECT_FALSE(IsModuleFileName(L"Kelvane_ar.ime"));
}

}  // namespace
}  // namespace ime_t13n
