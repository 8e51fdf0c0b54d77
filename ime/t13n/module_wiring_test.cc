// The module's unload order on the built module, in a Wine prefix of its
// own (the module reads and writes the user's real files there): a module
// freed while an input context still holds its engine first deletes the
// context and its engine, then tears the start-up objects down, and the
// words the user taught it reach the user cache file on the way, with the
// settings store still there to say the cache is on. And input contexts
// selected one after another keep the language loaded in between, while
// what each one taught reaches the file as it goes.
#include "ime/t13n/module_wiring.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/imm_ddk.h"
#include "ime/shared/language_codes.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/scoped_mutex_lock.h"
#include "ime/shared/storage/storage_manager.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/t13n/imm_host/built_module_test_helpers.h"
#include "ime/t13n/imm_host/module_driver.h"

namespace ime_t13n {
namespace {

std::wstring UserCachePath() {
  return ime_shared::PathJoin(
      ime_shared::GetProductDirectory(ime_shared::kUserDataDirectory),
      ime_shared::kUserCacheFileName);
}

std::vector<std::wstring> ReadUserCache() {
  const std::wstring path = UserCachePath();
  std::unique_ptr<ime_shared::MutexHolder> mutex(
      ime_shared::MutexHolder::CreateNamed(ime_shared::kUserCacheMutexName));
  std::vector<std::wstring> entries;
  ime_shared::ReadStringList(path, mutex.get(), 5000, &entries, 1000000);
  return entries;
}

bool Contains(const std::vector<std::wstring>& entries,
              const std::wstring& entry) {
  for (const std::wstring& e : entries) {
    if (e == entry) return true;
  }
  return false;
}

// When the user-cache file was last written; zero when there is none.
ULONGLONG LastWritten() {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExW(UserCachePath().c_str(), GetFileExInfoStandard,
                              &data)) {
    return 0;
  }
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

// Whether the language data file is mapped in the prefix (under the shared
// name every process that loaded the build's language maps it with).
bool LanguageMapped() {
  const std::wstring name =
      ime_shared::Utf8ToWide(ime_shared::kLanguageCode) + L"data.00000.map";
  HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
  if (mapping == nullptr) return false;
  ::CloseHandle(mapping);
  return true;
}

// Types |word| and chooses its second reading with Ctrl and its digit: the
// choice is learned. The chosen word; empty without a second reading.
std::wstring ChooseSecond(imm_host::DrivenContext* context,
                          const std::wstring& word) {
  context->Type(word);
  const std::vector<std::wstring> candidates = context->Candidates();
  if (candidates.size() < 2) return std::wstring();
  context->SetModifier(VK_CONTROL, true);
  context->Press('2');
  context->SetModifier(VK_CONTROL, false);
  return context->CompositionString(GCS_RESULTSTR) == candidates[1]
             ? candidates[1]
             : std::wstring();
}

TEST(ModuleUnloadTest, FreeingTheModuleWithALiveContextSavesTheUserCache) {
  testing_helpers::SetBuiltProductValues();

  imm_host::LoadedModule module;
  ASSERT_TRUE(module.Load(imm_host::ModuleBesideProgram()));
  HIMC himc = ::ImmCreateContext();
  ASSERT_NE(himc, nullptr);
  ASSERT_TRUE(module.exports().ImeSelect(himc, TRUE));
  imm_host::DrivenContext context(module.exports(), himc);

  // The second reading of a word, chosen: the choice is learned, and comes
  // first the next time the word is typed.
  const std::wstring word = L"kal";
  const std::wstring chosen = ChooseSecond(&context, word);
  ASSERT_FALSE(chosen.empty());
  context.Type(word);
  ASSERT_FALSE(context.Candidates().empty());
  EXPECT_EQ(context.Candidates()[0], chosen) << "the choice was not learned";
  context.Press(VK_ESCAPE);

  // Nothing is written while the engine lives.
  const std::wstring entry = word + L" " + chosen;
  EXPECT_FALSE(Contains(ReadUserCache(), entry));

  // Freed with the context still selected.
  module.Free();
  EXPECT_TRUE(Contains(ReadUserCache(), entry));
  ::ImmDestroyContext(himc);
}

// An application that makes an input context per window deselects one
// before it selects the next: the language stays loaded in between, the
// words learned in one context are in the file once it is deselected, and
// a context that taught nothing writes nothing.
TEST(ModuleContextsTest, ContextsSelectedOneAfterAnotherKeepTheLanguageLoaded) {
  testing_helpers::SetBuiltProductValues();
  imm_host::LoadedModule module;
  ASSERT_TRUE(module.Load(imm_host::ModuleBesideProgram()));
  const imm_host::ModuleExports& exports = module.exports();
  HIMC first = ::ImmCreateContext();
  HIMC second = ::ImmCreateContext();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);

  ASSERT_TRUE(exports.ImeSelect(first, TRUE));
  std::wstring chosen;
  {
    imm_host::DrivenContext context(exports, first);
    chosen = ChooseSecond(&context, L"dil");
  }
  ASSERT_FALSE(chosen.empty());
  ASSERT_TRUE(exports.ImeSelect(first, FALSE));
  EXPECT_TRUE(LanguageMapped()) << "the language went with the last context";
  EXPECT_TRUE(Contains(ReadUserCache(), L"dil " + chosen));
  const ULONGLONG written = LastWritten();
  ASSERT_NE(written, 0u);

  // The next window's context: the choice comes first, nothing new is
  // learned, nothing is written.
  ASSERT_TRUE(exports.ImeSelect(second, TRUE));
  {
    imm_host::DrivenContext context(exports, second);
    context.Type(L"dil");
    ASSERT_FALSE(context.Candidates().empty());
    EXPECT_EQ(context.Candidates()[0], chosen);
    context.Press(VK_ESCAPE);
  }
  ASSERT_TRUE(exports.ImeSelect(second, FALSE));
  EXPECT_TRUE(LanguageMapped());
  EXPECT_EQ(LastWritten(), written);

  // The unload lets go of the language.
  module.Free();
  EXPECT_FALSE(LanguageMapped());
  ::ImmDestroyContext(first);
  ::ImmDestroyContext(second);
}

}  // namespace
}  // namespace ime_t13n
