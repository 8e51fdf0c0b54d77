#include "ime/shared/flags.h"

#include <shellapi.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace ime_shared {

namespace {

// Zero-initialised before any dynamic initialiser runs, so records of every
// translation unit can link themselves in whatever order they start.
FlagDefinition* g_flag_list = nullptr;

const wchar_t* TypeName(int32_t type) {
  switch (type) {
    case kBoolFlag: return L"bool";
    case kIntFlag: return L"int";
    case kFloatFlag: return L"float";
    case kStringFlag: return L"string";
    default: return L"unknown";
  }
}

FlagDefinition* FindFlagNamed(const std::wstring& name) {
  for (FlagDefinition* flag = g_flag_list; flag != nullptr; flag = flag->next) {
    if (flag->name != nullptr && _wcsicmp(flag->name, name.c_str()) == 0) {
      return flag;
    }
  }
  return nullptr;
}

void Report(FILE* errors, const wchar_t* format, const wchar_t* argument,
            int32_t type) {
  if (errors == nullptr) return;
  std::fwprintf(errors, format, argument, TypeName(type));
  std::fflush(errors);
}

// Writes |value| (null: no value text) into |flag|'s variable; false when
// the text did not convert completely.
bool Store(const FlagDefinition& flag, bool negated, const wchar_t* value) {
  wchar_t* end = nullptr;
  switch (flag.type) {
    case kBoolFlag:
      *static_cast<bool*>(flag.value) = !negated;
      return true;
    case kIntFlag:
      *static_cast<int32_t*>(flag.value) =
          static_cast<int32_t>(std::wcstol(value, &end, 10));
      return *end == L'\0';
    case kFloatFlag:
      *static_cast<double*>(flag.value) = std::wcstod(value, &end);
      return *end == L'\0';
    case kStringFlag:
      *static_cast<const wchar_t**>(flag.value) = value;
      return true;
    default:
      return false;
  }
}

// The arguments of a program entered through main: the run-time library
// then fills only the narrow argv, so the wide split is made here. It is
// kept for the life of the process because string flags point into it.
const wchar_t* const* SplitOwnCommandLine(int* argc) {
  static wchar_t** split = nullptr;
  static int count = 0;
  if (split == nullptr) {
    split = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (split == nullptr) count = 0;
  }
  *argc = count;
  return split;
}

}  // namespace

FlagDefinition* FlagList() { return g_flag_list; }

FlagDefinition* FindFlag(const wchar_t* name) {
  return name != nullptr ? FindFlagNamed(name) : nullptr;
}

void RegisterFlag(FlagDefinition* definition) {
  definition->next = g_flag_list;
  g_flag_list = definition;
}

int ParseFlags(int argc, const wchar_t* const* argv, FILE* errors) {
  if (argv == nullptr) return 0;
  for (int i = 1; i < argc; ++i) {
    const wchar_t* argument = argv[i];
    if (argument == nullptr || (argument[0] != L'-' && argument[0] != L'/')) {
      continue;  // a positional argument
    }
    const wchar_t* rest = argument + 1;
    if (*rest == L'-') ++rest;
    bool negated = false;
    if (rest[0] == L'n' && rest[1] == L'o') {
      negated = true;
      rest += 2;
    }
    const wchar_t* equals = std::wcschr(rest, L'=');
    const size_t name_length =
        equals != nullptr ? static_cast<size_t>(equals - rest) : std::wcslen(rest);
    const wchar_t* value = equals != nullptr ? equals + 1 : nullptr;

    // Names are held in a buffer of kMaxFlagNameUnits units with its
    // terminator: a longer one cannot name a flag.
    FlagDefinition* flag =
        name_length < kMaxFlagNameUnits
            ? FindFlagNamed(std::wstring(rest, name_length))
            : nullptr;
    if (flag == nullptr) {
      Report(errors, L"Error: unrecognized flag %ls\n", argument, kBoolFlag);
      return i;
    }

    const int flag_index = i;
    if (flag->type != kBoolFlag && value == nullptr) {
      if (i + 1 >= argc || argv[i + 1] == nullptr) {
        Report(errors, L"Error: missing value for flag %ls of type %ls\n",
               argument, flag->type);
        return flag_index;
      }
      value = argv[++i];
    }

    // The variable is written before the checks, as the callers expect.
    const bool converted = Store(*flag, negated, value);
    const bool illegal = !converted ||
                         (flag->type == kBoolFlag && value != nullptr) ||
                         (flag->type != kBoolFlag && negated);
    if (illegal) {
      Report(errors, L"Error: illegal value for flag %ls of type %ls\n",
             argument, flag->type);
      return flag_index;
    }
  }
  return 0;
}

int ParseFlags() {
  // A wmain program has the run-time library's own wide split.
  if (__wargv != nullptr) {
    return ParseFlags(__argc, __wargv, stderr);
  }
  int argc = 0;
  const wchar_t* const* argv = SplitOwnCommandLine(&argc);
  return ParseFlags(argc, argv, stderr);
}

bool TokenGroupsIncludeAdministrators(const TOKEN_GROUPS& groups) {
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!::AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators)) {
    return false;
  }
  bool found = false;
  // The attributes are not looked at: a group present only for deny checks
  // still makes the user a member.
  for (DWORD i = 0; i < groups.GroupCount && !found; ++i) {
    PSID sid = groups.Groups[i].Sid;
    found = sid != nullptr && ::IsValidSid(sid) && ::EqualSid(sid, administrators);
  }
  ::FreeSid(administrators);
  return found;
}

bool IsUserAdmin() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    return false;
  }
  // Most tokens fit the first buffer; a larger one is read again at the
  // size the system reports. DWORD-sized units keep the SIDs aligned.
  std::vector<DWORD> buffer(1024 / sizeof(DWORD));
  DWORD size = 0;
  BOOL read = ::GetTokenInformation(token, TokenGroups, buffer.data(), 1024, &size);
  if (!read && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && size > 1024) {
    buffer.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    read = ::GetTokenInformation(token, TokenGroups, buffer.data(), size, &size);
  }
  ::CloseHandle(token);
  if (!read) return false;
  return TokenGroupsIncludeAdministrators(
      *reinterpret_cast<const TOKEN_GROUPS*>(buffer.data()));
}

FlagRegistration::FlagRegistration(const wchar_t* source_file,
                                   const wchar_t* name, const wchar_t* help,
                                   bool* variable, bool default_value) {
  FlagValue value{};
  value.as_bool = default_value;
  Register(source_file, name, help, kBoolFlag, variable, value);
}

FlagRegistration::FlagRegistration(const wchar_t* source_file,
                                   const wchar_t* name, const wchar_t* help,
                                   int32_t* variable, int32_t default_value) {
  FlagValue value{};
  value.as_int = default_value;
  Register(source_file, name, help, kIntFlag, variable, value);
}

FlagRegistration::FlagRegistration(const wchar_t* source_file,
                                   const wchar_t* name, const wchar_t* help,
                                   double* variable, double default_value) {
  FlagValue value{};
  value.as_float = default_value;
  Register(source_file, name, help, kFloatFlag, variable, value);
}

FlagRegistration::FlagRegistration(const wchar_t* source_file,
                                   const wchar_t* name, const wchar_t* help,
                                   const wchar_t** variable,
                                   const wchar_t* default_value) {
  FlagValue value{};
  value.as_string = default_value;
  Register(source_file, name, help, kStringFlag, variable, value);
}

void FlagRegistration::Register(const wchar_t* source_file,
                                const wchar_t* name, const wchar_t* help,
                                FlagType type, void* variable,
                                FlagValue default_value) {
  definition_.source_file = source_file;
  definition_.name = name;
  definition_.help = help != nullptr ? help : L"";
  definition_.type = type;
  definition_.value = variable;
  definition_.default_value = default_value;
  definition_.next = nullptr;
  RegisterFlag(&definition_);
}

}  // namespace ime_shared
