// What the tests of the built module share: the product's machine-wide
// values that make the module work (its language data beside the build,
// and an installed version), and the lines of what a program it runs in
// printed.
//
// A test program that includes this defines KELVANE_BUILT_DATA_DIR, the
// build's data folder in Windows form.
#ifndef IME_T13N_IMM_HOST_BUILT_MODULE_TEST_HELPERS_H_
#define IME_T13N_IMM_HOST_BUILT_MODULE_TEST_HELPERS_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ime/shared/product_registry.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/scratch_registry_key.h"

namespace ime_t13n {
namespace testing_helpers {

// Sets "DataPath" to the build's data folder and "InstalledVersion", for
// good: for test programs whose Wine prefix is their own.
inline void SetBuiltProductValues() {
  const ime_testing::RegistryPlace product(
      HKEY_LOCAL_MACHINE, ime_shared::kProductKeyPath, KEY_WOW64_64KEY);
  const ime_testing::RegistryPlace autoupdate(
      HKEY_LOCAL_MACHINE, ime_shared::kAutoupdateKeyPath, KEY_WOW64_64KEY);
  product.SetString(ime_shared::kDataPathValue,
                    ime_shared::Utf8ToWide(KELVANE_BUILT_DATA_DIR));
  autoupdate.SetString(ime_shared::kInstalledVersionValue, L"1.0.4.0");
}

// The lines of |output|, without their line ends.
inline std::vector<std::string> OutputLines(const std::string& output) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_IMM_HOST_BUILT_MODULE_TEST_HELPERS_H_
