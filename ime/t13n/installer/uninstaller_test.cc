#include "ime/t13n/installer/uninstaller.h"

#include <windows.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/flags.h"

namespace ime_t13n {
namespace {

// Every seam of the uninstaller, recording the order of the calls.
class FakeUninstallerSystem : public UninstallerSystem {
 public:
  struct Box {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
  };

  std::wstring GetInstalledVersion() override {
    calls.push_back("version");
    return installed_version;
  }
  bool IsUserAdmin() override {
    calls.push_back("admin");
    return admin;
  }
  int ShowMessageBox(HWND owner, const std::wstring& text,
                     const std::wstring& caption, UINT type) override {
    calls.push_back("box");
    boxes.push_back(Box{owner, text, caption, type});
    return IDOK;
  }
  bool IsTemporaryCopy() override { return temporary_copy; }
  DWORD RelaunchFromTempCopy(const std::wstring& arguments) override {
    calls.push_back("relaunch");
    relaunch_arguments = arguments;
    return copy_process_id;
  }
  void WaitForProcess(DWORD process_id) override {
    calls.push_back("wait " + std::to_string(process_id));
  }
  INT_PTR ShowUninstallDialog(HWND owner, bool* retain_data) override {
    calls.push_back("dialog");
    *retain_data = dialog_retains_data;
    return dialog_result;
  }
  void RunUninstallSteps(UninstallFlags* flags) override {
    calls.push_back("steps");
    steps_delete_user_data = flags->delete_user_data;
    steps_saw_restart_needed = flags->restart_needed;
    if (steps_need_restart) flags->restart_needed = true;
  }
  void DeleteOwnFile() override { calls.push_back("delete own file"); }

  std::wstring installed_version = L"1.0.4.0";
  bool admin = true;
  bool temporary_copy = false;
  DWORD copy_process_id = 4242;
  INT_PTR dialog_result = IDYES;
  bool dialog_retains_data = true;
  bool steps_need_restart = false;

  std::vector<std::string> calls;
  std::vector<Box> boxes;
  std::wstring relaunch_arguments;
  bool steps_delete_user_data = false;
  bool steps_saw_restart_needed = true;
};

using Calls = std::vector<std::string>;

class UninstallerMainTest : public ::testing::Test {
 protected:
  void SetUp() override { FLAGS_wait_pid = 0; }
  void TearDown() override { FLAGS_wait_pid = 0; }

  // Runs the program with |arguments| after its name; the argument text is
  // the arguments joined by spaces.
  int Run(std::vector<std::wstring> arguments) {
    std::wstring text;
    for (const std::wstring& argument : arguments) {
      text += (text.empty() ? L"" : L" ") + argument;
    }
    arguments.insert(arguments.begin(), L"uninstaller.exe");
    std::vector<const wchar_t*> argv;
    for (const std::wstring& argument : arguments) {
      argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    return UninstallerMain(static_cast<int>(arguments.size()), argv.data(),
                           text, &system_);
  }

  FakeUninstallerSystem system_;
};

TEST_F(UninstallerMainTest, WithoutAnInstalledVersionItEndsSilently) {
  system_.installed_version.clear();
  EXPECT_EQ(Run({}), -1);
  EXPECT_EQ(Run({L"--wait_pid=-1"}), -1);
  EXPECT_EQ(system_.calls, (Calls{"version", "version"}));
  EXPECT_TRUE(system_.boxes.empty());
}

TEST_F(UninstallerMainTest, NonAdministratorIsRefusedWithTheErrorBox) {
  system_.admin = false;
  EXPECT_EQ(Run({L"--wait_pid=-1"}), -1);
  EXPECT_EQ(system_.calls, (Calls{"version", "admin", "box"}));
  ASSERT_EQ(system_.boxes.size(), 1u);
  EXPECT_EQ(system_.boxes[0].owner, nullptr);
  EXPECT_EQ(system_.boxes[0].text,
            L"Uninstalling Tarvel Hindi Input requires administrator "
            L"privileges.");
  EXPECT_EQ(system_.boxes[0].caption, L"Error");
  EXPECT_EQ(system_.boxes[0].type, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(UninstallerMainTest, FirstStartRelaunchesACopyAndEndsWithItsProcessId) {
  EXPECT_EQ(Run({}), 4242);
  EXPECT_EQ(system_.calls, (Calls{"version", "admin", "relaunch"}));
  EXPECT_EQ(system_.relaunch_arguments, L"");

  system_.calls.clear();
  EXPECT_EQ(Run({L"--wait_pid=0", L"later"}), 4242);
  EXPECT_EQ(system_.calls, (Calls{"version", "admin", "relaunch"}));
  // The copy gets this process's own arguments when the flags took them.
  EXPECT_EQ(system_.relaunch_arguments, L"--wait_pid=0 later");
  EXPECT_TRUE(system_.boxes.empty());
}

// Another uninstaller's switches or a --wait_pid without a number: the first
// start hands over to one copy without them, and a temporary copy asks the
// user whatever its arguments, so no copy ever makes another.
TEST_F(UninstallerMainTest, ArgumentsTheFlagsCannotTakeAreIgnored) {
  const std::vector<std::vector<std::wstring>> argument_lists = {
      {L"/quiet"},
      {L"/S"},
      {L"--wait_pid=abc"},
      {L"--wait_pid"},
      {L"/S", L"--wait_pid=5"}};
  for (const std::vector<std::wstring>& arguments : argument_lists) {
    const std::string trace = testing::PrintToString(arguments);
    FLAGS_wait_pid = 0;
    system_.calls.clear();
    system_.temporary_copy = false;
    system_.relaunch_arguments = L"unset";
    EXPECT_EQ(Run(arguments), 4242) << trace;
    EXPECT_EQ(system_.calls, (Calls{"version", "admin", "relaunch"})) << trace;
    EXPECT_EQ(system_.relaunch_arguments, L"") << trace;

    FLAGS_wait_pid = 0;
    system_.calls.clear();
    system_.temporary_copy = true;
    system_.dialog_result = IDNO;
    EXPECT_EQ(Run(arguments), -1) << trace;
    EXPECT_EQ(system_.calls, (Calls{"version", "admin", "dialog"})) << trace;
  }
  EXPECT_TRUE(system_.boxes.empty());
}

TEST(TemporaryCopyNameTest, OnlyTheNamesTheSystemGivesTheCopies) {
  for (const wchar_t* path :
       {L"C:\\users\\me\\Temp\\ZKR1F.tmp", L"ZKRA3B0.TMP",
        L"c:/windows/temp/zkr9c.Tmp", L"C:\\PROGRA~1\\ZKR0.tmp"}) {
    EXPECT_TRUE(IsTemporaryCopyName(path)) << testing::PrintToString(path);
  }
  for (const wchar_t* path :
       {L"C:\\Program Files\\Tarvel\\Tarvel Hindi Input\\uninstaller.exe",
        L"", L"C:\\Temp\\ZKR.tmp", L"C:\\Temp\\ZKRG1.tmp",
        L"C:\\Temp\\ZKR1F.tmp.exe", L"C:\\Temp\\XZKR1F.tmp",
        L"C:\\Temp\\ZKR1F.tmp\\uninstaller.exe"}) {
    EXPECT_FALSE(IsTemporaryCopyName(path)) << testing::PrintToString(path);
  }
}

TEST_F(UninstallerMainTest, ACopyThatDidNotStartIsAFailure) {
  system_.copy_process_id = 0;
  EXPECT_EQ(Run({}), -1);
  EXPECT_EQ(system_.calls, (Calls{"version", "admin", "relaunch"}));
}

TEST_F(UninstallerMainTest, TheCopyWaitsForTheFirstProcessBeforeAsking) {
  system_.dialog_result = IDNO;
  EXPECT_EQ(Run({L"--wait_pid=77"}), -1);
  EXPECT_EQ(system_.calls, (Calls{"version", "admin", "wait 77", "dialog"}));

  // Below 0: no waiting and no relaunch, the dialog comes at once.
  system_.calls.clear();
  EXPECT_EQ(Run({L"--wait_pid=-1"}), -1);
  EXPECT_EQ(system_.calls, (Calls{"version", "admin", "dialog"}));
}

TEST_F(UninstallerMainTest, AnythingButYesChangesNothing) {
  for (INT_PTR result : {IDNO, IDCANCEL, -1}) {
    system_.calls.clear();
    system_.dialog_result = result;
    EXPECT_EQ(Run({L"--wait_pid=-1"}), -1) << result;
    EXPECT_EQ(system_.calls, (Calls{"version", "admin", "dialog"})) << result;
  }
  EXPECT_TRUE(system_.boxes.empty());
}

TEST_F(UninstallerMainTest, YesRunsTheStepsThenReportsAndDeletesItsOwnFile) {
  // The box left ticked: the user's data stays.
  EXPECT_EQ(Run({L"--wait_pid=-1"}), 0);
  EXPECT_EQ(system_.calls, (Calls{"version", "admin", "dialog", "steps", "box",
                                  "delete own file"}));
  EXPECT_FALSE(system_.steps_delete_user_data);
  EXPECT_FALSE(system_.steps_saw_restart_needed);
  ASSERT_EQ(system_.boxes.size(), 1u);
  EXPECT_EQ(system_.boxes[0].owner, nullptr);
  EXPECT_EQ(system_.boxes[0].text,
            L"Have successfully uninstalled Tarvel Hindi Input.");
  EXPECT_EQ(system_.boxes[0].caption, L"Uninstall successful");
  EXPECT_EQ(system_.boxes[0].type, static_cast<UINT>(MB_ICONINFORMATION));

  // The box cleared, and a step that left something for the restart.
  system_.boxes.clear();
  system_.dialog_retains_data = false;
  system_.steps_need_restart = true;
  EXPECT_EQ(Run({L"--wait_pid=-1"}), 0);
  EXPECT_TRUE(system_.steps_delete_user_data);
  ASSERT_EQ(system_.boxes.size(), 1u);
  EXPECT_EQ(system_.boxes[0].text,
            L"Have successfully uninstalled Tarvel Hindi Input.\r\n"
            L"Some of the documents are being used, they will be deleted "
            L"after restart.");
  EXPECT_EQ(system_.boxes[0].caption, L"Uninstall successful");
}

TEST(UninstallerFlagTest, WaitPidIsAnIntFlagOfTheUninstaller) {
  const ime_shared::FlagDefinition* flag = ime_shared::FindFlag(L"wait_pid");
  ASSERT_NE(flag, nullptr);
  EXPECT_STREQ(flag->source_file, L"ime\\t13n\\installer\\uninstaller_main");
  EXPECT_STREQ(flag->help, L"Wait the process to finish before uninstalling.");
  EXPECT_EQ(flag->type, ime_shared::kIntFlag);
  EXPECT_EQ(flag->default_value.as_int, 0);
}

}  // namespace
}  // namespace ime_t13n
