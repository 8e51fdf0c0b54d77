#include "ime/shared/frontend/expandable_image.h"

#include "ime/shared/base/module_handle.h"

namespace ime_shared {
namespace frontend {

bool NineGridPieces(const RECT& d, SIZE image, const SkinMargins& m,
                    std::array<NineGridPiece, 9>* pieces) {
  const RECT inner = {d.left + m.left, d.top + m.top, d.right - m.right, d.bottom - m.bottom};
  if (inner.right <= inner.left || inner.bottom <= inner.top) return false;
  const LONG w = image.cx;
  const LONG h = image.cy;
  *pieces = {{
      // Corners.
      {{0, 0, m.left, m.top}, {d.left, d.top, inner.left, inner.top}},
      {{w - m.right, 0, w, m.top}, {inner.right, d.top, d.right, inner.top}},
      {{0, h - m.bottom, m.left, h}, {d.left, inner.bottom, inner.left, d.bottom}},
      {{w - m.right, h - m.bottom, w, h}, {inner.right, inner.bottom, d.right, d.bottom}},
      // Edges: left, top, right, bottom.
      {{0, m.top, m.left, h - m.bottom}, {d.left, inner.top, inner.left, inner.bottom}},
      {{m.left, 0, w - m.right, m.top}, {inner.left, d.top, inner.right, inner.top}},
      {{w - m.right, m.top, w, h - m.bottom}, {inner.right, inner.top, d.right, inner.bottom}},
      {{m.left, h - m.bottom, w - m.right, h}, {inner.left, inner.bottom, inner.right, d.bottom}},
      // Centre.
      {{m.left, m.top, w - m.right, h - m.bottom}, inner},
  }};
  return true;
}

ExpandableImage::ExpandableImage() : size_{0, 0}, margins_{0, 0, 0, 0} {}

ExpandableImage::~ExpandableImage() = default;

bool ExpandableImage::Load(const SkinResource& skin, HINSTANCE module) {
  if (module == nullptr) module = base::CurrentModule();
  HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(skin.bitmap_id),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  Reset(bitmap, skin.margins);
  return IsLoaded();
}

void ExpandableImage::Reset(HBITMAP bitmap, const SkinMargins& margins) {
  bitmap_.Reset(bitmap);
  margins_ = margins;
  size_ = SIZE{0, 0};
  BITMAP info = {};
  if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof(info), &info) == sizeof(info)) {
    size_ = SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
  }
}

void ExpandableImage::Draw(HDC dc, const RECT& destination) const {
  std::array<NineGridPiece, 9> pieces;
  if (!bitmap_ || dc == nullptr || !NineGridPieces(destination, size_, margins_, &pieces)) {
    return;
  }
  base::ScopedMemoryDC source(::CreateCompatibleDC(dc));
  if (!source) return;
  base::ScopedSelectObject select(source.Get(), bitmap_.Get());
  const int old_mode = ::SetStretchBltMode(dc, COLORONCOLOR);
  for (const NineGridPiece& piece : pieces) {
    const RECT& s = piece.source;
    const RECT& t = piece.destination;
    const int sw = s.right - s.left;
    const int sh = s.bottom - s.top;
    const int tw = t.right - t.left;
    const int th = t.bottom - t.top;
    if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) continue;
    if (sw == tw && sh == th) {
      ::BitBlt(dc, t.left, t.top, tw, th, source.Get(), s.left, s.top, SRCCOPY);
    } else {
      ::StretchBlt(dc, t.left, t.top, tw, th, source.Get(), s.left, s.top, sw, sh, SRCCOPY);
    }
  }
  ::SetStretchBltMode(dc, old_mode);
}

}  // namespace frontend
}  // namespace ime_shared
