// Pictures of the candidate window and the status window as the screen
// shows them:
//
//   candidate_screenshot OUTPUT_FOLDER WORD...
//
// An engine is made with the engine factory (attaching it loads the
// installed language, "DataPath") and a UI manager with the UI manager
// factory, over a context that leaves the candidate window to the input
// method. Each word is typed key by key; the window's rectangle is then
// copied from the screen and written as OUTPUT_FOLDER\WORD.png, and the
// word is cancelled. The candidates are drawn in "Mangal" (string setting
// "ConvertedTextFontName"), the typed text in "Arial". One line per picture:
//   WORD: PATH WIDTHxHEIGHT candidates=N
// Then the status window, as it shows with transliteration on, off, and
// minimised with the small images, as OUTPUT_FOLDER\status_on.png,
// status_off.png and status_small.png:
//   status_on: PATH WIDTHxHEIGHT
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/frontend/key_event.h"
#include "ime/shared/frontend/supported_language_set.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/settings.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/frontend/engine.h"
#include "ime/t13n/frontend/status_window.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_horizontal_window.h"
#include "ime/t13n/frontend/ui_manager.h"
#include "tools/keystrokes/reading_context.h"
#include "tools/keystrokes/window_context.h"

namespace {

namespace gp = Gdiplus;

// The class identifier of GDI+'s PNG encoder, looked up by its type.
bool PngEncoder(CLSID* encoder) {
  UINT count = 0;
  UINT bytes = 0;
  if (gp::DllExports::GdipGetImageEncodersSize(&count, &bytes) != gp::Ok || bytes == 0) {
    return false;
  }
  std::vector<unsigned char> buffer(bytes);
  auto* codecs = reinterpret_cast<gp::ImageCodecInfo*>(buffer.data());
  if (gp::DllExports::GdipGetImageEncoders(count, bytes, codecs) != gp::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (codecs[i].MimeType != nullptr && std::wstring(codecs[i].MimeType) == L"image/png") {
      *encoder = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

// Copies |rect| from the screen and writes it to |path| as PNG.
bool SaveScreenRect(const RECT& rect, const std::wstring& path) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  ime_shared::base::ScopedWindowDC screen(nullptr);
  ime_shared::base::ScopedMemoryDC memory(::CreateCompatibleDC(screen.Get()));
  ime_shared::base::ScopedBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), width, height));
  {
    ime_shared::base::ScopedSelectObject select(memory.Get(), bitmap.Get());
    if (!::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top,
                  SRCCOPY)) {
      return false;
    }
  }
  CLSID encoder;
  if (!PngEncoder(&encoder)) return false;
  gp::GpBitmap* image = nullptr;
  if (gp::DllExports::GdipCreateBitmapFromHBITMAP(bitmap.Get(), nullptr, &image) != gp::Ok) {
    return false;
  }
  const bool saved =
      gp::DllExports::GdipSaveImageToFile(image, path.c_str(), &encoder, nullptr) == gp::Ok;
  gp::DllExports::GdipDisposeImage(image);
  return saved;
}

void Wait(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  while (::GetTickCount64() < end) {
    keystrokes::PumpMessages();
    ::Sleep(10);
  }
}

// Saves the status window as OUTPUT_FOLDER\NAME.png; false when it is not
// shown or cannot be saved.
bool SaveStatusWindow(ime_t13n::UIManager* ui, const std::wstring& folder,
                      const std::wstring& name) {
  auto* status = dynamic_cast<ime_t13n::StatusWindow*>(ui->status_window());
  if (status == nullptr) {
    std::printf("%s: (no status window)\n", ime_shared::WideToUtf8(name).c_str());
    return false;
  }
  status->Refresh();
  Wait(200);
  RECT rect = {};
  ::GetWindowRect(status->hwnd(), &rect);
  const std::wstring path = folder + L"\\" + name + L".png";
  const bool saved = ::IsWindowVisible(status->hwnd()) && SaveScreenRect(rect, path);
  std::printf("%s: %s %ldx%ld\n", ime_shared::WideToUtf8(name).c_str(),
              saved ? ime_shared::WideToUtf8(path).c_str() : "(not saved)",
              rect.right - rect.left, rect.bottom - rect.top);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: candidate_screenshot OUTPUT_FOLDER WORD...\n");
    return 2;
  }
  const std::wstring folder = ime_shared::Utf8ToWide(argv[1]);
  ::CreateDirectoryW(folder.c_str(), nullptr);

  gp::GdiplusStartupInput startup;
  ULONG_PTR token = 0;
  if (gp::GdiplusStartup(&token, &startup, nullptr) != gp::Ok) {
    std::fprintf(stderr, "GDI+ did not start\n");
    return 1;
  }

  ime_shared::Settings* settings = ime_shared::Settings::GetInstance();
  settings->SetString(0, L"Arial");
  settings->SetString(1, L"Mangal");
  settings->SetInt(ime_shared::kSettingCaretTrack, 1);

  keystrokes::WindowContext context;
  ime_t13n::UIManagerEnvironment ui_environment;
  ui_environment.settings = settings;
  ui_environment.installed_version = L"screenshot";
  ui_environment.parts = ime_t13n::ProductUIParts();
  ui_environment.text_service = ime_shared::InputMethod::kTextServiceClsid;
  std::unique_ptr<ime_t13n::UIManager> ui(static_cast<ime_t13n::UIManager*>(
      ime_t13n::CreateUIManager(nullptr, ui_environment)));

  ime_t13n::EngineEnvironment environment;
  environment.settings = settings;
  environment.installed_version = L"screenshot";
  environment.supported_mask = ime_shared::ReadSupportedLanguageMask();
  environment.handler_maker = ime_t13n::DefaultHandlerMaker();
  std::unique_ptr<ime_shared::EngineInterface> engine(
      ime_t13n::CreateT13nEngine(&context, environment));
  if (ui == nullptr || engine == nullptr || ui->candidate_window() == nullptr) {
    std::fprintf(stderr, "no engine or no UI manager\n");
    return 1;
  }
  context.engine = engine.get();
  context.ui_manager = ui.get();
  ui->AttachEngine(&context);

  int failures = 0;
  for (int i = 2; i < argc; ++i) {
    const std::wstring word = ime_shared::Utf8ToWide(argv[i]);
    // The mouse stays off the window, so that no cell is drawn hovered.
    ::SetCursorPos(5, 5);
    for (wchar_t c : word) keystrokes::TapKey(engine.get(), c);
    Wait(300);
    HWND window = ui->candidate_window()->hwnd();
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    const std::wstring path = folder + L"\\" + word + L".png";
    const bool saved = ::IsWindowVisible(window) && SaveScreenRect(rect, path);
    if (!saved) ++failures;
    std::printf("%s: %s %ldx%ld candidates=%d\n", ime_shared::WideToUtf8(word).c_str(),
                saved ? ime_shared::WideToUtf8(path).c_str() : "(not saved)",
                rect.right - rect.left, rect.bottom - rect.top,
                static_cast<int>(engine->CandidateCount()));
    // Esc cancels the word.
    ime_shared::KeyEvent escape = {ime_shared::vk::kEscape, 0x1B, ime_shared::KeyEvent::kDown};
    if (engine->ProcessKey(escape)) engine->HandleKey(escape);
    escape.state = 0;
    if (engine->ProcessKey(escape)) engine->HandleKey(escape);
    Wait(100);
  }
  // The status window, away from the mouse, with every button it can show.
  auto* t13n_engine = static_cast<ime_t13n::T13nEngine*>(engine.get());
  const uint32_t layout = settings->GetInt(ime_shared::kSettingStatusPanelLayout);
  settings->SetInt(ime_shared::kSettingStatusPanelLayout, 0);
  if (!SaveStatusWindow(ui.get(), folder, L"status_on")) ++failures;
  t13n_engine->SetProperty(ime_shared::frontend::kPropertyTransliterationOn, 0);
  if (!SaveStatusWindow(ui.get(), folder, L"status_off")) ++failures;
  t13n_engine->SetProperty(ime_shared::frontend::kPropertyTransliterationOn, 1);
  settings->SetInt(ime_shared::kSettingStatusPanelLayout, 3);
  if (!SaveStatusWindow(ui.get(), folder, L"status_small")) ++failures;
  settings->SetInt(ime_shared::kSettingStatusPanelLayout, layout);

  ui->AttachEngine(nullptr);
  ui.reset();
  engine.reset();
  gp::GdiplusShutdown(token);
  return failures == 0 ? 0 : 1;
}
