// Command-line flags of the installer programs, and the administrator test
// they make before doing anything.
//
// A program declares each flag once, at namespace scope:
//
//   IME_DEFINE_INT_FLAG(wait_pid, 0, L"ime\\t13n\\installer\\uninstaller_main",
//                       L"Wait the process to finish before uninstalling.");
//
// which defines the variable FLAGS_wait_pid, already holding its default, and
// a FlagDefinition record that a static initialiser links into the
// process-wide list before the program's entry runs. The entry then calls
// ParseFlags() once and reads the variables.
//
// Accepted forms: -name, --name, /name and /-name, each with "=value" or with
// the value as the next argument (also when that begins with "-"); "no"
// before the name negates a bool flag. Names match ignoring case.
#ifndef IME_SHARED_FLAGS_H_
#define IME_SHARED_FLAGS_H_

#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace ime_shared {

enum FlagType : int32_t {
  kBoolFlag = 0,
  kIntFlag = 1,
  kFloatFlag = 2,
  kStringFlag = 3,
};

// A flag's value in the variable's own form (8 bytes).
union FlagValue {
  bool as_bool;
  int32_t as_int;
  double as_float;
  const wchar_t* as_string;
};

// One static record per flag, never freed.
struct FlagDefinition {
  const wchar_t* source_file;  // the declaring source, for diagnostics
  const wchar_t* name;         // matched ignoring case
  const wchar_t* help;         // one line, may be empty
  int32_t type;                // FlagType
  // bool*, int32_t*, double* or const wchar_t** by type.
  void* value;
  FlagValue default_value;
  FlagDefinition* next;
};

// A name of this many UTF-16 units or more (before any "=") matches no flag.
constexpr size_t kMaxFlagNameUnits = 1024;

// The head of the process-wide list (the last registered first); null while
// no flag is registered.
FlagDefinition* FlagList();

// The first record of the list whose name equals |name| ignoring case; null
// when there is none.
FlagDefinition* FindFlag(const wchar_t* name);

// Links |definition| at the head of the list. Run by the static initialisers
// of FlagRegistration; not thread-safe.
void RegisterFlag(FlagDefinition* definition);

// Parses argv[1] .. argv[argc - 1] into the registered flags. Returns 0 when
// every argument was accepted, else the index of the first offending one,
// after writing one line naming it to |errors| (when not null). A string
// flag's variable points into |argv|, which must outlive its use. Arguments
// not beginning with "-" or "/" are skipped.
int ParseFlags(int argc, const wchar_t* const* argv, FILE* errors);

// Parses the process's own arguments as the run-time library split them
// (wide arguments of a wmain program; for a program with main, the split of
// GetCommandLineW()); errors go to the standard error stream.
int ParseFlags();

// True when the process token lists the built-in Administrators group
// (S-1-5-32-544) among its groups; false when the token cannot be read.
bool IsUserAdmin();

// The group test of IsUserAdmin: membership alone counts, whatever the
// group's attributes say (a deny-only Administrators group counts too).
bool TokenGroupsIncludeAdministrators(const TOKEN_GROUPS& groups);

// Registers one flag record from a static initialiser. The record lives in
// the object, so the object must have static storage duration.
class FlagRegistration {
 public:
  FlagRegistration(const wchar_t* source_file, const wchar_t* name,
                   const wchar_t* help, bool* variable, bool default_value);
  FlagRegistration(const wchar_t* source_file, const wchar_t* name,
                   const wchar_t* help, int32_t* variable,
                   int32_t default_value);
  FlagRegistration(const wchar_t* source_file, const wchar_t* name,
                   const wchar_t* help, double* variable,
                   double default_value);
  FlagRegistration(const wchar_t* source_file, const wchar_t* name,
                   const wchar_t* help, const wchar_t** variable,
                   const wchar_t* default_value);
  FlagRegistration(const FlagRegistration&) = delete;
  FlagRegistration& operator=(const FlagRegistration&) = delete;

  const FlagDefinition& definition() const { return definition_; }

 private:
  void Register(const wchar_t* source_file, const wchar_t* name,
                const wchar_t* help, FlagType type, void* variable,
                FlagValue default_value);

  FlagDefinition definition_;
};

}  // namespace ime_shared

#define IME_FLAG_WIDEN_(text) L##text
#define IME_FLAG_NAME_(name) IME_FLAG_WIDEN_(#name)

// The variable is constant-initialised, so it holds its default before any
// static initialiser runs; the record follows in dynamic initialisation.
#define IME_DEFINE_FLAG_(cpp_type, name, default_value, source_file, help) \
  cpp_type FLAGS_##name = default_value;                                    \
  static ::ime_shared::FlagRegistration ime_flag_registration_##name(       \
      source_file, IME_FLAG_NAME_(name), help, &FLAGS_##name, default_value)

#define IME_DEFINE_BOOL_FLAG(name, default_value, source_file, help) \
  IME_DEFINE_FLAG_(bool, name, default_value, source_file, help)
#define IME_DEFINE_INT_FLAG(name, default_value, source_file, help) \
  IME_DEFINE_FLAG_(int32_t, name, default_value, source_file, help)
#define IME_DEFINE_FLOAT_FLAG(name, default_value, source_file, help) \
  IME_DEFINE_FLAG_(double, name, default_value, source_file, help)
#define IME_DEFINE_STRING_FLAG(name, default_value, source_file, help) \
  IME_DEFINE_FLAG_(const wchar_t*, name, default_value, source_file, help)

// Declarations for other files of the same program.
#define IME_DECLARE_BOOL_FLAG(name) extern bool FLAGS_##name
#define IME_DECLARE_INT_FLAG(name) extern int32_t FLAGS_##name
#define IME_DECLARE_FLOAT_FLAG(name) extern double FLAGS_##name
#define IME_DECLARE_STRING_FLAG(name) extern const wchar_t* FLAGS_##name

#endif  // IME_SHARED_FLAGS_H_
