#include "tools/keystrokes/sample_vignel.h"

#include <windows.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "ime/shared/base/gdi_objects.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/storage/vignel_info.pb.h"
#include "ime/shared/testing/temp_dir.h"

namespace keystrokes {

namespace {

constexpr int kBadgeWidth = 150;
constexpr int kBadgeHeight = 40;

// The badge: a warm panel with a lamp and the festival's name, opaque, as
// a bottom-up 32-bit bitmap file.
std::string BadgeBytes() {
  void* bits = nullptr;
  ime_shared::base::ScopedBitmap bitmap(
      ime_shared::base::CreateTopDownDib32(nullptr, kBadgeWidth, kBadgeHeight, &bits));
  ime_shared::base::ScopedMemoryDC dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc || bits == nullptr) return std::string();
  {
    ime_shared::base::ScopedSelectObject select(dc.Get(), bitmap.Get());
    for (int y = 0; y < kBadgeHeight; ++y) {
      const int t = y * 255 / (kBadgeHeight - 1);
      ime_shared::base::ScopedBrush row(
          ::CreateSolidBrush(RGB(255, 200 - t * 80 / 255, 60 - t * 40 / 255)));
      RECT line = {0, y, kBadgeWidth, y + 1};
      ::FillRect(dc.Get(), &line, row.Get());
    }
    ime_shared::base::ScopedBrush frame(::CreateSolidBrush(RGB(150, 60, 0)));
    RECT all = {0, 0, kBadgeWidth, kBadgeHeight};
    ::FrameRect(dc.Get(), &all, frame.Get());
    // The lamp: a bowl and its flame.
    ime_shared::base::ScopedBrush bowl(::CreateSolidBrush(RGB(140, 50, 10)));
    ime_shared::base::ScopedBrush flame(::CreateSolidBrush(RGB(255, 245, 170)));
    ime_shared::base::ScopedPen none(::CreatePen(PS_NULL, 0, 0));
    ime_shared::base::ScopedSelectObject pen(dc.Get(), none.Get());
    {
      ime_shared::base::ScopedSelectObject brush(dc.Get(), bowl.Get());
      ::Chord(dc.Get(), 10, 14, 40, 36, 10, 24, 40, 24);
    }
    {
      ime_shared::base::ScopedSelectObject brush(dc.Get(), flame.Get());
      ::Ellipse(dc.Get(), 20, 5, 30, 23);
    }
    LOGFONTW face = {};
    face.lfHeight = -17;
    face.lfWeight = FW_BOLD;
    face.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(face.lfFaceName, L"Arial", LF_FACESIZE);
    ime_shared::base::ScopedFont font(::CreateFontIndirectW(&face));
    ime_shared::base::ScopedSelectObject select_font(dc.Get(), font.Get());
    ::SetBkMode(dc.Get(), TRANSPARENT);
    ::SetTextColor(dc.Get(), RGB(90, 20, 0));
    RECT text = {44, 0, kBadgeWidth - 4, kBadgeHeight};
    ::DrawTextW(dc.Get(), L"Diwali", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    ::GdiFlush();
  }
  // GDI leaves alpha at 0: the whole badge is opaque.
  auto* pixels = static_cast<uint8_t*>(bits);
  for (int i = 0; i < kBadgeWidth * kBadgeHeight; ++i) pixels[i * 4 + 3] = 255;

  BITMAPFILEHEADER file = {};
  // Bottom-up, as every reader expects.
  const BITMAPINFOHEADER header = {sizeof(BITMAPINFOHEADER), kBadgeWidth, kBadgeHeight, 1, 32,
                                   BI_RGB};
  const int pitch = kBadgeWidth * 4;
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + pitch * kBadgeHeight;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
  for (int y = kBadgeHeight - 1; y >= 0; --y) {
    bytes.append(reinterpret_cast<const char*>(pixels + y * pitch), pitch);
  }
  return bytes;
}

}  // namespace

bool SampleVignelEnvironment::FileExists(const std::wstring& path) {
  ++file_operations_;
  return VignelEnvironment::FileExists(path);
}

bool SampleVignelEnvironment::CopyFolder(const std::wstring& from, const std::wstring& to) {
  ++file_operations_;
  return VignelEnvironment::CopyFolder(from, to);
}

bool SampleVignelEnvironment::ReadFile(const std::wstring& path, std::string* bytes) {
  ++file_operations_;
  return VignelEnvironment::ReadFile(path, bytes);
}

bool WriteSampleVignel(const std::wstring& folder) {
  const std::wstring vignel_folder = folder + L"\\" + std::to_wstring(kSampleVignelId);
  if (!ime_shared::CreateFolderTree(vignel_folder)) return false;
  const uint64_t now = static_cast<uint64_t>(std::time(nullptr));
  ime_vignel::VignelIndex index;
  index.set_last_modified_time(now);
  index.set_base_url("http://vignels.example/");
  auto* item = index.add_vignelitem();
  item->set_id(kSampleVignelId);
  item->set_start_time(now - 3600);
  item->set_duration(24 * 3600);
  item->set_checksum("0");
  ime_vignel::VignelInfo info;
  info.set_id(kSampleVignelId);
  info.set_display_name("Festival of lights");
  info.set_vignel_image("badge.bmp");
  info.set_search_string("diwali");
  const std::string badge = BadgeBytes();
  return !badge.empty() &&
         ime_testing::WriteFileBytes(folder + L"\\index.pb", index.SerializeAsString()) &&
         ime_testing::WriteFileBytes(vignel_folder + L"\\info.pb", info.SerializeAsString()) &&
         ime_testing::WriteFileBytes(vignel_folder + L"\\badge.bmp", badge);
}

}  // namespace keystrokes
