// Types words into the input method as a user would, key by key, through
// the engine an input context owns, with the installed language ("DataPath")
// and the product's settings:
//
//   keystroke_demo WORD...
//
// For each word: the composition and the candidate page after the last
// letter, then what Space committed.
#include <cstdio>
#include <memory>
#include <string>

#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/settings.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "tools/keystrokes/reading_context.h"

int main(int argc, char** argv) {
  keystrokes::ReadingContext context;
  ime_t13n::EngineEnvironment environment;
  environment.settings = ime_shared::Settings::GetInstance();
  environment.installed_version = L"demo";
  environment.supported_mask = ime_shared::ReadSupportedLanguageMask();
  environment.handler_maker = ime_t13n::DefaultHandlerMaker();
  std::unique_ptr<ime_shared::EngineInterface> engine(
      ime_t13n::CreateT13nEngine(&context, environment));
  if (engine == nullptr) {
    std::fprintf(stderr, "no engine\n");
    return 1;
  }
  context.engine = engine.get();
  for (int i = 1; i < argc; ++i) {
    const std::wstring word = ime_shared::Utf8ToWide(argv[i]);
    for (wchar_t c : word) keystrokes::TapKey(engine.get(), c);
    std::string line = std::string(argv[i]) + ": composition \"" +
                       ime_shared::WideToUtf8(context.composition) +
                       "\" caret " + std::to_string(context.caret) +
                       ", candidates";
    for (size_t n = 0; n < context.page.size(); ++n) {
      line += " " + std::to_string(n + 1) + "." +
              ime_shared::WideToUtf8(context.page[n]);
    }
    const size_t before = context.results.size();
    keystrokes::TapKey(engine.get(), L' ');
    line += "; Space commits \"";
    if (context.results.size() > before) {
      line += ime_shared::WideToUtf8(context.results.back());
    }
    line += "\"";
    std::printf("%s\n", line.c_str());
  }
  return 0;
}
