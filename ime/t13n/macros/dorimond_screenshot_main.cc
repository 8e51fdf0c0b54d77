// Takes the picture of the macros editor that the README shows: plants
// three macros with Devanagari targets in the product's per-user macros
// file, starts the real Dorimond.exe from beside this program, selects one
// cell, copies the editor's window from the screen and writes it as a PNG.
//
//   dorimond_screenshot <output.png>
//
// Meant for a Wine prefix of its own (scripts/screenshot-dorimond): it
// replaces the prefix's macros file. Exit codes: 0 written, 2 no output
// path, 3 the macros file could not be planted, 4 the editor did not start
// or show, 5 the picture could not be taken or written.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/string_list_file.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/child_process.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/t13n/macros/macros_file.h"
#include "ime/t13n/macros/macros_resources.h"
#include "ime/t13n/macros/remote_list_view.h"

namespace {

const wchar_t kTitle[] = L"Manage Macros";

HWND WaitForEditor(DWORD timeout_ms) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    HWND window = ::FindWindowW(L"#32770", kTitle);
    if (window != nullptr && ::IsWindowVisible(window)) return window;
    ::Sleep(50);
  }
  return nullptr;
}

bool FindPngEncoder(CLSID* encoder) {
  UINT count = 0;
  UINT bytes = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
  std::vector<char> buffer(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(codecs[i].MimeType) == L"image/png") {
      *encoder = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

// Copies |area| of the screen and writes it to |path| as a PNG.
bool SaveScreenArea(const RECT& area, const std::wstring& path) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  const bool copied =
      ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != FALSE;
  ::SelectObject(memory, previous);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);

  bool saved = false;
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  CLSID encoder;
  if (copied && Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
    if (FindPngEncoder(&encoder)) {
      Gdiplus::Bitmap picture(bitmap, nullptr);
      saved = picture.Save(path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
  }
  ::DeleteObject(bitmap);
  return saved;
}

int TakePicture(const std::wstring& output) {
  // The macros the picture shows.
  const std::wstring folder = ime_shared::GetProductDirectory(ime_shared::kUserDataDirectory);
  if (folder.empty() || !ime_shared::CreateFolderTree(folder)) return 3;
  const std::vector<std::wstring> entries = {
      L"namaste \x0928\x092E\x0938\x094D\x0924\x0947",
      L"dhanyavaad \x0927\x0928\x094D\x092F\x0935\x093E\x0926",
      L"kya \x0915\x094D\x092F\x093E"};
  if (!ime_shared::WriteStringList(ime_shared::PathJoin(folder, ime_t13n::kMacrosFileName),
                                   ime_shared::MakeStringListHeader(), entries)) {
    return 3;
  }

  // Without a window manager (a virtual display) nobody draws the frames
  // and title bars unless Wine is told to draw them itself; the editor's
  // process reads that when it starts.
  if (ime_testing::RunningUnderWine()) {
    ime_testing::RegistryPlace(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver")
        .SetString(L"Decorated", L"N");
  }

  ime_testing::ChildProcess editor;
  if (!editor.Start(L"Dorimond", L"")) return 4;
  HWND dialog = WaitForEditor(30000);
  if (dialog == nullptr) return 4;
  HWND list = ::GetDlgItem(dialog, IDC_MACRO_LIST);
  ime_t13n::testing_helpers::RemoteListView remote(list);
  if (!remote.ok() || remote.RowCount() != 3) return 4;

  // A click on the second row's target: that cell shows selected.
  const RECT cell = remote.CellRect(1, 2);
  const LPARAM point = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
  ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  ::SendMessageW(list, WM_LBUTTONUP, 0, point);
  ::SetForegroundWindow(dialog);
  ::RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Painting happens in the editor's process: give it a moment.
  ::Sleep(1000);

  RECT area = {};
  ::GetWindowRect(dialog, &area);
  const bool saved = SaveScreenArea(area, output);

  ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  editor.Wait(10000);
  return saved ? 0 : 5;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 2) return 2;
  const std::wstring output = argv[1];
  ::LocalFree(argv);
  const int result = TakePicture(output);
  if (result == 0) std::printf("%s\n", ime_shared::WideToUtf8(output).c_str());
  return result;
}
