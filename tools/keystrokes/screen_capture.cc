#include "tools/keystrokes/screen_capture.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <vector>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/string_utils.h"

namespace keystrokes {

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

}  // namespace

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

ScreenPictures::ScreenPictures(const std::wstring& folder) : folder_(folder) {
  ::CreateDirectoryW(folder_.c_str(), nullptr);
  gp::GdiplusStartupInput startup;
  started_ = gp::GdiplusStartup(&token_, &startup, nullptr) == gp::Ok;
}

ScreenPictures::~ScreenPictures() {
  if (started_) gp::GdiplusShutdown(token_);
}

bool ScreenPictures::Ready() const {
  if (!started_) std::fprintf(stderr, "GDI+ did not start\n");
  return started_;
}

bool ScreenPictures::Save(const std::wstring& name, const RECT& rect, bool shown,
                          const std::string& details) const {
  const std::wstring path = folder_ + L"\\" + name + L".png";
  const bool saved = shown && SaveScreenRect(rect, path);
  std::printf("%s: %s %ldx%ld%s\n", ime_shared::WideToUtf8(name).c_str(),
              saved ? ime_shared::WideToUtf8(path).c_str() : "(not saved)",
              rect.right - rect.left, rect.bottom - rect.top, details.c_str());
  return saved;
}

}  // namespace keystrokes
