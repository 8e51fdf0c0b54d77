#include "ime/shared/flags.h"

#include <cstdio>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/temp_dir.h"

// The flags of this test program, registered like any program's.
IME_DEFINE_INT_FLAG(wait_pid, 0, L"ime\\shared\\flags_test", L"A process id.");
IME_DEFINE_STRING_FLAG(action, L"", L"ime\\shared\\flags_test", L"");
IME_DEFINE_BOOL_FLAG(flag, false, L"ime\\shared\\flags_test", L"A switch.");
// Its own name begins with "no", so only the negated form reaches it.
IME_DEFINE_BOOL_FLAG(nofoo, true, L"ime\\shared\\flags_test", L"Reached negated.");
IME_DEFINE_FLOAT_FLAG(ratio, 1.5, L"ime\\shared\\flags_test", L"A ratio.");

namespace ime_shared {
namespace {

// Parses |arguments| (program name first) with messages going to a file,
// and returns what was written there.
class FlagParser {
 public:
  FlagParser() : path_(dir_.path() + L"errors.txt") {}

  int Parse(const std::vector<std::wstring>& arguments) {
    arguments_ = arguments;
    std::vector<const wchar_t*> argv;
    for (const std::wstring& argument : arguments_) argv.push_back(argument.c_str());
    FILE* errors = _wfopen(path_.c_str(), L"w");
    EXPECT_NE(errors, nullptr);
    const int result = ParseFlags(static_cast<int>(argv.size()), argv.data(), errors);
    if (errors != nullptr) std::fclose(errors);
    std::string bytes;
    ime_testing::ReadFileBytes(path_, &bytes);
    // The stream is in text mode: line ends were written as CR LF.
    errors_.clear();
    for (char c : bytes) {
      if (c != '\r') errors_ += c;
    }
    return result;
  }

  const std::string& errors() const { return errors_; }
  // The arguments of the last Parse, into which string flags point.
  const std::vector<std::wstring>& arguments() const { return arguments_; }

 private:
  ime_testing::TempDir dir_;
  std::wstring path_;
  std::vector<std::wstring> arguments_;
  std::string errors_;
};

void ResetFlags() {
  // Values no case produces by itself, so that every write shows.
  FLAGS_wait_pid = -7;
  FLAGS_action = L"unset";
  FLAGS_flag = false;
  FLAGS_nofoo = true;
  FLAGS_ratio = -1.0;
}

TEST(FlagsTest, RecordsAreRegisteredLastFirstWithTheirDefaults) {
  // The file's records were registered in source order, so they stand in
  // the list in reverse order.
  const wchar_t* expected[] = {L"ratio", L"nofoo", L"flag", L"action", L"wait_pid"};
  const FlagDefinition* record = FlagList();
  while (record != nullptr && std::wstring(record->name) != L"ratio") record = record->next;
  for (const wchar_t* name : expected) {
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(record->name, name);
    EXPECT_STREQ(record->source_file, L"ime\\shared\\flags_test");
    record = record->next;
  }

  const FlagDefinition* wait_pid = FindFlag(L"WAIT_PID");
  ASSERT_NE(wait_pid, nullptr);
  EXPECT_EQ(wait_pid->type, kIntFlag);
  EXPECT_EQ(wait_pid->value, &FLAGS_wait_pid);
  EXPECT_EQ(wait_pid->default_value.as_int, 0);
  EXPECT_STREQ(wait_pid->help, L"A process id.");

  const FlagDefinition* action = FindFlag(L"action");
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->type, kStringFlag);
  EXPECT_STREQ(action->default_value.as_string, L"");
  EXPECT_STREQ(action->help, L"");

  const FlagDefinition* flag = FindFlag(L"flag");
  ASSERT_NE(flag, nullptr);
  EXPECT_EQ(flag->type, kBoolFlag);
  EXPECT_FALSE(flag->default_value.as_bool);
  EXPECT_EQ(FindFlag(L"nofoo")->default_value.as_bool, true);
  EXPECT_EQ(FindFlag(L"ratio")->type, kFloatFlag);
  EXPECT_EQ(FindFlag(L"ratio")->default_value.as_float, 1.5);
  EXPECT_EQ(FindFlag(L"missing"), nullptr);
}

TEST(FlagsTest, CommandLinesSetTheVariablesAsDocumented) {
  struct Case {
    const char* what;
    std::vector<std::wstring> arguments;
    int result;
    std::string errors;
    int32_t wait_pid;
    std::wstring action;
    bool flag;
    bool nofoo;
    double ratio;
  };
  const std::wstring long_name(kMaxFlagNameUnits, L'w');
  const Case cases[] = {
      {"double dash with =", {L"p", L"--wait_pid=123"}, 0, "", 123, L"unset", false, true, -1},
      {"value as next argument", {L"p", L"-wait_pid", L"123"}, 0, "", 123, L"unset", false, true, -1},
      {"slash, any case", {L"p", L"/WAIT_PID=123"}, 0, "", 123, L"unset", false, true, -1},
      {"slash dash", {L"p", L"/-wait_pid=9"}, 0, "", 9, L"unset", false, true, -1},
      {"next argument taken though it begins with -", {L"p", L"--wait_pid", L"-4"},
       0, "", -4, L"unset", false, true, -1},
      {"missing value", {L"p", L"x", L"--wait_pid"}, 2,
       "Error: missing value for flag --wait_pid of type int\n", -7, L"unset", false, true, -1},
      {"negated int", {L"p", L"--nowait_pid=5"}, 1,
       "Error: illegal value for flag --nowait_pid=5 of type int\n", 5, L"unset", false, true, -1},
      {"negated int with the value next", {L"p", L"--nowait_pid", L"6", L"--flag"}, 1,
       "Error: illegal value for flag --nowait_pid of type int\n", 6, L"unset", false, true, -1},
      {"unconverted characters", {L"p", L"--wait_pid=12x"}, 1,
       "Error: illegal value for flag --wait_pid=12x of type int\n", 12, L"unset", false, true, -1},
      {"empty value converts fully", {L"p", L"--wait_pid="}, 0, "", 0, L"unset", false, true, -1},
      {"string value next", {L"p", L"--action", L"install", L"--wait_pid=3"}, 0, "",
       3, L"install", false, true, -1},
      {"string value after =", {L"p", L"--action=uninstall"}, 0, "", -7, L"uninstall", false, true, -1},
      {"empty string", {L"p", L"--action="}, 0, "", -7, L"", false, true, -1},
      {"string missing", {L"p", L"--action"}, 1,
       "Error: missing value for flag --action of type string\n", -7, L"unset", false, true, -1},
      {"bool set", {L"p", L"--flag"}, 0, "", -7, L"unset", true, true, -1},
      {"bool cleared", {L"p", L"--flag", L"--noflag"}, 0, "", -7, L"unset", false, true, -1},
      {"bool with a value", {L"p", L"--flag=1"}, 1,
       "Error: illegal value for flag --flag=1 of type bool\n", -7, L"unset", true, true, -1},
      {"bool does not take the next argument", {L"p", L"--flag", L"0"}, 0, "",
       -7, L"unset", true, true, -1},
      {"name beginning with no, negated", {L"p", L"--nonofoo"}, 0, "", -7, L"unset", false, false, -1},
      {"name beginning with no, plain", {L"p", L"--nofoo"}, 1,
       "Error: unrecognized flag --nofoo\n", -7, L"unset", false, true, -1},
      {"float", {L"p", L"--ratio=2.25"}, 0, "", -7, L"unset", false, true, 2.25},
      {"float unconverted", {L"p", L"--ratio", L"2.5q"}, 1,
       "Error: illegal value for flag --ratio of type float\n", -7, L"unset", false, true, 2.5},
      {"positional arguments anywhere", {L"p", L"one", L"--wait_pid=8", L"two", L"--flag", L"three"},
       0, "", 8, L"unset", true, true, -1},
      {"unknown flag stops the parse", {L"p", L"--flag", L"--bogus", L"--wait_pid=1"}, 2,
       "Error: unrecognized flag --bogus\n", -7, L"unset", true, true, -1},
      {"name of the buffer's size", {L"p", L"--" + long_name + L"=1"}, 1,
       "Error: unrecognized flag --" + std::string(kMaxFlagNameUnits, 'w') + "=1\n",
       -7, L"unset", false, true, -1},
      {"overlong name of a known prefix", {L"p", L"--wait_pid" + long_name + L"=1"}, 1,
       "Error: unrecognized flag --wait_pid" + std::string(kMaxFlagNameUnits, 'w') + "=1\n",
       -7, L"unset", false, true, -1},
      {"nothing but the program", {L"p"}, 0, "", -7, L"unset", false, true, -1},
  };

  FlagParser parser;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetFlags();
    EXPECT_EQ(parser.Parse(c.arguments), c.result);
    EXPECT_EQ(parser.errors(), c.errors);
    EXPECT_EQ(FLAGS_wait_pid, c.wait_pid);
    EXPECT_EQ(std::wstring(FLAGS_action), c.action);
    EXPECT_EQ(FLAGS_flag, c.flag);
    EXPECT_EQ(FLAGS_nofoo, c.nofoo);
    EXPECT_EQ(FLAGS_ratio, c.ratio);
  }
}

TEST(FlagsTest, StringFlagPointsIntoTheArgument) {
  FlagParser parser;
  ResetFlags();
  ASSERT_EQ(parser.Parse({L"p", L"--action", L"install"}), 0);
  EXPECT_EQ(FLAGS_action, parser.arguments()[2].c_str());
  ASSERT_EQ(parser.Parse({L"p", L"/action=remove"}), 0);
  EXPECT_EQ(FLAGS_action, parser.arguments()[1].c_str() + 8);
}

TEST(FlagsTest, NoMessageStreamStillReturnsTheIndex) {
  ResetFlags();
  const wchar_t* argv[] = {L"p", L"--wait_pid=1", L"--unknown"};
  EXPECT_EQ(ParseFlags(3, argv, nullptr), 2);
  EXPECT_EQ(FLAGS_wait_pid, 1);
  EXPECT_EQ(ParseFlags(0, nullptr, nullptr), 0);
}

std::string WithoutCarriageReturns(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

// The program's real command line, as a program entered through main and
// one entered through wmain receive it, and as split by ParseFlags itself
// when the run-time library gave no wide arguments. The children print the
// messages of the standard error stream into their output.
TEST(FlagsTest, ChildProgramsParseTheirOwnCommandLine) {
  struct Run {
    const wchar_t* program;
    const wchar_t* marker;  // a positional argument
    // Whether wide arguments were there; null: as the run-time library
    // chooses for a main program.
    const char* wide_argv;
  };
  const Run runs[] = {
      {L"flags_test_child", L"positional", nullptr},
      {L"flags_wide_test_child", L"positional", "1"},
      {L"flags_test_child", L"no-wide-argv", "0"},
      {L"flags_wide_test_child", L"no-wide-argv", "0"},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(testing::Message() << ime_shared::WideToUtf8(run.program) << " "
                                    << ime_shared::WideToUtf8(run.marker));
    std::string output;
    ASSERT_EQ(ime_testing::RunChild(run.program,
                                    std::wstring(L"/WAIT_PID=123 ") + run.marker + L" --noflag",
                                    &output), 0);
    output = WithoutCarriageReturns(output);
    ASSERT_EQ(output.compare(0, 10, "wide_argv="), 0) << output;
    if (run.wide_argv != nullptr) {
      EXPECT_EQ(output.substr(10, 1), run.wide_argv);
    }
    EXPECT_EQ(output.substr(12), "result=0 wait_pid=123 flag=0 action=\n");

    ASSERT_EQ(ime_testing::RunChild(
                  run.program,
                  std::wstring(L"--action install --flag \"two words\" ") + run.marker +
                      L" --bogus --wait_pid=5",
                  &output), 0);
    output = WithoutCarriageReturns(output);
    if (run.wide_argv != nullptr) {
      EXPECT_EQ(output.substr(10, 1), run.wide_argv);
    }
    EXPECT_EQ(output.substr(12),
              "Error: unrecognized flag --bogus\n"
              "result=6 wait_pid=0 flag=1 action=install\n");
  }
}

// The name buffer holds kMaxFlagNameUnits units with the terminator: the
// longest name that fits still reaches its flag, one unit more never does.
TEST(FlagsTest, NamesUpToTheBufferSizeMatch) {
  static const std::wstring longest(kMaxFlagNameUnits - 1, L'L');
  static const std::wstring too_long(kMaxFlagNameUnits, L'T');
  static bool longest_value = false;
  static int32_t too_long_value = 0;
  static FlagRegistration longest_registration(L"test", longest.c_str(), L"",
                                               &longest_value, false);
  static FlagRegistration too_long_registration(L"test", too_long.c_str(), L"",
                                                &too_long_value, 0);
  const std::wstring longest_argument = L"--" + longest;
  const std::wstring too_long_argument = L"--" + too_long + L"=4";
  const wchar_t* argv[] = {L"p", longest_argument.c_str(), too_long_argument.c_str()};
  EXPECT_EQ(ParseFlags(3, argv, nullptr), 2);
  EXPECT_TRUE(longest_value);
  EXPECT_EQ(too_long_value, 0);
}

TEST(FlagsTest, AdministratorsAreFoundByMembershipAlone) {
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  SID_IDENTIFIER_AUTHORITY world_authority = SECURITY_WORLD_SID_AUTHORITY;
  PSID administrators = nullptr;
  PSID users = nullptr;
  PSID everyone = nullptr;
  ASSERT_TRUE(::AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         &administrators));
  ASSERT_TRUE(::AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users));
  ASSERT_TRUE(::AllocateAndInitializeSid(&world_authority, 1, SECURITY_WORLD_RID,
                                         0, 0, 0, 0, 0, 0, 0, &everyone));

  // TOKEN_GROUPS with room for three groups.
  struct Groups {
    DWORD count;
    SID_AND_ATTRIBUTES groups[3];
  };
  auto build = [](std::vector<SID_AND_ATTRIBUTES> entries) {
    Groups groups = {};
    groups.count = static_cast<DWORD>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) groups.groups[i] = entries[i];
    return groups;
  };
  auto test = [](const Groups& groups) {
    return TokenGroupsIncludeAdministrators(*reinterpret_cast<const TOKEN_GROUPS*>(&groups));
  };
  const DWORD enabled = SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_MANDATORY;

  EXPECT_TRUE(test(build({{everyone, enabled}, {users, enabled}, {administrators, enabled}})));
  // A filtered (split) token keeps Administrators for deny checks only;
  // membership still counts.
  EXPECT_TRUE(test(build({{everyone, enabled}, {administrators, SE_GROUP_USE_FOR_DENY_ONLY}})));
  EXPECT_TRUE(test(build({{administrators, 0}})));
  EXPECT_FALSE(test(build({{everyone, enabled}, {users, enabled}})));
  EXPECT_FALSE(test(build({})));

  ::FreeSid(administrators);
  ::FreeSid(users);
  ::FreeSid(everyone);
}

TEST(FlagsTest, IsUserAdminAnswersForTheProcessToken) {
  HANDLE token = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  ::GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
  ASSERT_GT(size, 0u);
  std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
  ASSERT_TRUE(::GetTokenInformation(token, TokenGroups, buffer.data(), size, &size));
  ::CloseHandle(token);
  EXPECT_EQ(IsUserAdmin(), TokenGroupsIncludeAdministrators(
                               *reinterpret_cast<const TOKEN_GROUPS*>(buffer.data())));
}

}  // namespace
}  // namespace ime_shared
