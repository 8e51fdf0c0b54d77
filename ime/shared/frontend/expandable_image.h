// A skin image drawn "nine-grid" onto a rectangle of any size: its corners
// unscaled, its edges and centre stretched between the margins.
#ifndef IME_SHARED_FRONTEND_EXPANDABLE_IMAGE_H_
#define IME_SHARED_FRONTEND_EXPANDABLE_IMAGE_H_

#include <windows.h>

#include <array>

#include "ime/shared/base/gdi_objects.h"

namespace ime_shared {
namespace frontend {

struct SkinMargins {
  int left;
  int top;
  int right;
  int bottom;
};

// A skin: a bitmap resource of the module and its margins.
struct SkinResource {
  int bitmap_id;
  SkinMargins margins;
};

// The candidate window's background.
constexpr SkinResource kCandidateBackgroundSkin = {121, {2, 3, 2, 3}};
// Under the selected candidate.
constexpr SkinResource kSelectedCandidateSkin = {120, {3, 3, 4, 4}};
// The status window's background.
constexpr SkinResource kStatusBackgroundSkin = {122, {6, 3, 2, 3}};

// One part of a nine-grid drawing: copied unscaled when both rectangles have
// the same size, stretched otherwise.
struct NineGridPiece {
  RECT source;
  RECT destination;
};

// The nine pieces (corners top-left, top-right, bottom-left, bottom-right;
// edges left, top, right, bottom; centre) for drawing an image of
// |image_size| onto |destination|; false, with nothing to draw, when the
// destination leaves no room inside the margins.
bool NineGridPieces(const RECT& destination, SIZE image_size, const SkinMargins& margins,
                    std::array<NineGridPiece, 9>* pieces);

class ExpandableImage {
 public:
  ExpandableImage();
  ExpandableImage(const ExpandableImage&) = delete;
  ExpandableImage& operator=(const ExpandableImage&) = delete;
  virtual ~ExpandableImage();

  // Loads the skin's bitmap from |module| (null: the binary this code is
  // linked into). False, leaving no image, when there is no such bitmap.
  bool Load(const SkinResource& skin, HINSTANCE module = nullptr);
  // Takes |bitmap| (owned from now on) with |margins|.
  void Reset(HBITMAP bitmap, const SkinMargins& margins);

  bool IsLoaded() const { return bitmap_.IsValid(); }
  SIZE size() const { return size_; }
  const SkinMargins& margins() const { return margins_; }

  // Draws the image nine-grid onto |destination| of |dc|.
  void Draw(HDC dc, const RECT& destination) const;

 private:
  base::ScopedBitmap bitmap_;
  SIZE size_;
  SkinMargins margins_;
};

}  // namespace frontend
}  // namespace ime_shared

#endif  // IME_SHARED_FRONTEND_EXPANDABLE_IMAGE_H_
