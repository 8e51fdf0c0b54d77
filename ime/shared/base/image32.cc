#include "ime/shared/base/image32.h"

// The GDI+ headers need the property and stream types that a lean windows.h
// leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <mutex>

#include "ime/shared/base/gdi_objects.h"

namespace ime_shared {
namespace base {
namespace {

namespace gp = Gdiplus;

// The one GDI+ start of this module, counted by the images that hold it.
class GdiplusSession {
 public:
  static GdiplusSession& Instance() {
    // Never destroyed: images may outlive every static object.
    static GdiplusSession* session = new GdiplusSession();
    return *session;
  }

  bool Acquire() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (users_ == 0 && token_ == 0) {
      gp::GdiplusStartupInput input;
      ULONG_PTR token = 0;
      if (gp::GdiplusStartup(&token, &input, nullptr) != gp::Ok) return false;
      token_ = token;
    }
    ++users_;
    return true;
  }

  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (users_ == 0) return;
    --users_;
    // Shutting down waits for GDI+'s background thread, which a thread
    // holding the loader lock must never do. Past detach GDI+ simply stays
    // up until the process ends.
    if (users_ == 0 && token_ != 0 && !detaching_) {
      gp::GdiplusShutdown(token_);
      token_ = 0;
    }
  }

  bool Started() {
    std::lock_guard<std::mutex> lock(mutex_);
    return token_ != 0;
  }

  void SetDetaching() {
    std::lock_guard<std::mutex> lock(mutex_);
    detaching_ = true;
  }

 private:
  GdiplusSession() = default;

  std::mutex mutex_;
  ULONG_PTR token_ = 0;
  int users_ = 0;
  bool detaching_ = false;
};

// Destroyed with the static objects (in a DLL: under the loader lock). Its
// destructor runs before those of the static objects made after the first
// image, which may still hold images.
struct StaticTeardownMark {
  ~StaticTeardownMark() { GdiplusSession::Instance().SetDetaching(); }
};

void MarkStaticTeardown() { static StaticTeardownMark mark; }

// Large enough for any picture the input method shows, small enough that
// the byte count of a row and of the image stays far from overflowing.
constexpr UINT kMaxSide = 16384;

}  // namespace

Image32::Image32()
    : bitmap_(nullptr), bits_(nullptr), pitch_(0), width_(0), height_(0), holds_gdiplus_(false) {}

Image32::~Image32() { Release(); }

bool Image32::Load(const std::wstring& path) {
  Release();
  MarkStaticTeardown();
  if (!GdiplusSession::Instance().Acquire()) return false;
  holds_gdiplus_ = true;

  gp::GpBitmap* source = nullptr;
  if (gp::DllExports::GdipCreateBitmapFromFile(path.c_str(), &source) != gp::Ok ||
      source == nullptr) {
    Release();
    return false;
  }
  UINT width = 0;
  UINT height = 0;
  gp::DllExports::GdipGetImageWidth(source, &width);
  gp::DllExports::GdipGetImageHeight(source, &height);

  bool copied = false;
  if (width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide) {
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateTopDownDib32(nullptr, static_cast<int>(width), static_cast<int>(height), &bits);
    if (bitmap != nullptr && bits != nullptr) {
      gp::Rect area(0, 0, static_cast<INT>(width), static_cast<INT>(height));
      gp::BitmapData locked = {};
      if (gp::DllExports::GdipBitmapLockBits(source, &area, gp::ImageLockModeRead,
                                             PixelFormat32bppARGB, &locked) == gp::Ok) {
        const int pitch = static_cast<int>(width) * 4;
        for (UINT y = 0; y < height; ++y) {
          std::memcpy(
              static_cast<uint8_t*>(bits) + static_cast<size_t>(y) * pitch,
              static_cast<const uint8_t*>(locked.Scan0) + static_cast<ptrdiff_t>(y) * locked.Stride,
              static_cast<size_t>(pitch));
        }
        gp::DllExports::GdipBitmapUnlockBits(source, &locked);
        bitmap_ = bitmap;
        bits_ = static_cast<uint8_t*>(bits);
        pitch_ = pitch;
        width_ = static_cast<int>(width);
        height_ = static_cast<int>(height);
        copied = true;
      } else {
        ::DeleteObject(bitmap);
      }
    } else if (bitmap != nullptr) {
      ::DeleteObject(bitmap);
    }
  }
  // Disposing of the decoder's bitmap lets go of the file.
  gp::DllExports::GdipDisposeImage(source);
  if (!copied) Release();
  return copied;
}

void Image32::Release() {
  if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  pitch_ = 0;
  width_ = 0;
  height_ = 0;
  if (holds_gdiplus_) {
    holds_gdiplus_ = false;
    GdiplusSession::Instance().Release();
  }
}

bool Image32::GdiplusStarted() { return GdiplusSession::Instance().Started(); }

void Image32::NotifyModuleDetaching() { GdiplusSession::Instance().SetDetaching(); }

}  // namespace base
}  // namespace ime_shared
