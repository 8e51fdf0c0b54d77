// Draws the four images of a language's character picker from its key
// table, the files the installation ships and the picker's tests read:
//
//   draw_picker_images.exe OUTPUT_FOLDER [LANGUAGE_CODE]
//
// writes OUTPUT_FOLDER\<code>\images\<code>_normal.bmp, _hover.bmp,
// _pushed.bmp and _magnified.bmp (24-bit BMP files) for the language (by
// default "hi"). The grid images hold every key in one state, cell by cell
// at 40 x 28 pixels, so the picker can copy one key's cell from the hover
// or pushed image over the normal one; the magnified image holds every key
// at 80 x 80. The labels are drawn with GDI in "Lohit Devanagari", which
// shapes the conjuncts; the program refuses (exit code 1) when that font is
// not there or lacks a glyph of a label, rather than ship empty boxes.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ime/shared/language_codes.h"
#include "ime/t13n/frontend/soft_keyboard_tables.h"

namespace {

using ime_t13n::PickerImage;
using ime_t13n::SoftKeyboardTable;

constexpr wchar_t kFontFace[] = L"Lohit Devanagari";
constexpr wchar_t kDottedCircle = 0x25CC;

struct Rgb {
  uint8_t r, g, b;
};

constexpr Rgb Hex(uint32_t value) {
  return Rgb{static_cast<uint8_t>(value >> 16),
             static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

Rgb Mix(Rgb a, Rgb b, double t) {
  auto channel = [t](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>(x + (y - x) * t + 0.5);
  };
  return Rgb{channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

// The picker's client area (COLORREF 0xDEDEDE) shows between the keys.
constexpr Rgb kBackground = Hex(0xDEDEDE);

// How a key looks in one state.
struct KeyStyle {
  Rgb border;
  Rgb top;     // the face is a vertical gradient from top to bottom
  Rgb bottom;
  Rgb lower_edge;  // the inner line along the bottom (the top when pushed)
  Rgb text;
  bool pushed;     // label moved by one pixel, edge at the top
};

constexpr KeyStyle kNormalStyle = {Hex(0x9A9A9A), Hex(0xFFFFFF), Hex(0xE4E4E4),
                                   Hex(0xC4C4C4), Hex(0x141414), false};
constexpr KeyStyle kHoverStyle = {Hex(0x4A90D9), Hex(0xF4F9FF), Hex(0xCFE3FA),
                                  Hex(0xA9C9EE), Hex(0x0A2A5E), false};
constexpr KeyStyle kPushedStyle = {Hex(0x2F6DB5), Hex(0xB6D0EE), Hex(0xDCEAF9),
                                   Hex(0x8DB2DE), Hex(0x0A2A5E), true};
constexpr KeyStyle kMagnifiedStyle = {Hex(0x2F6DB5), Hex(0xFFFFFF),
                                      Hex(0xDCEAF9), Hex(0xA9C9EE),
                                      Hex(0x0A2A5E), false};

// A 24-bit top-down DIB section with a memory DC drawing into it.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint8_t*>(bits);
    if (bitmap_ != nullptr) old_bitmap_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    if (old_bitmap_ != nullptr) SelectObject(dc_, old_bitmap_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool ok() const { return bits_ != nullptr; }
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  int pitch() const { return (width_ * 3 + 3) & ~3; }
  const uint8_t* row(int y) const { return bits_ + y * pitch(); }

  void Put(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t* p = bits_ + y * pitch() + x * 3;
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
  }
  Rgb Get(int x, int y) const {
    const uint8_t* p = bits_ + y * pitch() + x * 3;
    return Rgb{p[2], p[1], p[0]};
  }
  void Fill(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) Put(x, y, c);
    }
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  uint8_t* bits_ = nullptr;
};

// A key with rounded corners of radius 2 (borders of |border_width|) in
// the rectangle (x0, y0)-(x1, y1), right and bottom excluded.
void DrawKeyFace(Canvas* canvas, int x0, int y0, int x1, int y1,
                 int border_width, const KeyStyle& style) {
  // How far |v| lies into the two outermost pixels of [low, high): 2 on
  // the outermost, 1 on the next, 0 inside.
  auto into_edge = [](int v, int low, int high) {
    if (v - low < 2) return 2 - (v - low);
    if (high - 1 - v < 2) return 2 - (high - 1 - v);
    return 0;
  };
  const int height = y1 - y0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const int dx = into_edge(x, x0, x1);
      const int dy = into_edge(y, y0, y1);
      if (dx == 2 && dy == 2) continue;  // the corner stays background
      const bool corner = dx > 0 && dy > 0;
      const bool border = x - x0 < border_width || x1 - 1 - x < border_width ||
                          y - y0 < border_width || y1 - 1 - y < border_width ||
                          corner;
      Rgb c;
      if (border) {
        c = style.border;
        if (corner) c = Mix(style.border, kBackground, 0.35);
      } else if ((!style.pushed && y == y1 - 1 - border_width) ||
                 (style.pushed && y == y0 + border_width)) {
        c = style.lower_edge;
      } else {
        c = Mix(style.top, style.bottom,
                static_cast<double>(y - y0) / (height > 1 ? height - 1 : 1));
      }
      canvas->Put(x, y, c);
    }
  }
}

HFONT MakeFont(int em_height) {
  return CreateFontW(-em_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     kFontFace);
}

// Combining marks are shown on a dotted circle, the way type books show
// where the letter they attach to goes. A mark is flagged non-spacing or
// as a vowel mark, or (the visarga, a spacing mark) is defined without
// being a letter, digit, space or punctuation.
bool IsCombiningMark(wchar_t c) {
  WORD type1 = 0;
  WORD type3 = 0;
  if (!GetStringTypeW(CT_CTYPE1, &c, 1, &type1) ||
      !GetStringTypeW(CT_CTYPE3, &c, 1, &type3)) {
    return false;
  }
  return (type3 & (C3_NONSPACING | C3_DIACRITIC | C3_VOWELMARK)) != 0 ||
         type1 == C1_DEFINED;
}

std::wstring FaceText(const wchar_t* label) {
  std::wstring text(label);
  if (text.size() == 1 && IsCombiningMark(text[0])) {
    text.insert(text.begin(), kDottedCircle);
  }
  return text;
}

// The box the text's ink covers when drawn at (0, 0) with |font|, found
// by drawing it on a scratch canvas; empty when nothing is drawn.
RECT InkBox(HFONT font, const std::wstring& text) {
  constexpr int kSize = 240;
  constexpr int kOrigin = 80;
  Canvas scratch(kSize, kSize);
  RECT box = {0, 0, 0, 0};
  if (!scratch.ok()) return box;
  scratch.Fill(0, 0, kSize, kSize, Hex(0xFFFFFF));
  HGDIOBJ old = SelectObject(scratch.dc(), font);
  SetBkMode(scratch.dc(), TRANSPARENT);
  SetTextColor(scratch.dc(), RGB(0, 0, 0));
  TextOutW(scratch.dc(), kOrigin, kOrigin, text.c_str(),
           static_cast<int>(text.size()));
  SelectObject(scratch.dc(), old);
  GdiFlush();
  box = {kSize, kSize, -1, -1};
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const Rgb c = scratch.Get(x, y);
      if (c.r + c.g + c.b < 3 * 200) {
        box.left = x < box.left ? x : box.left;
        box.top = y < box.top ? y : box.top;
        box.right = x + 1 > box.right ? x + 1 : box.right;
        box.bottom = y + 1 > box.bottom ? y + 1 : box.bottom;
      }
    }
  }
  if (box.right < 0) return RECT{0, 0, 0, 0};
  OffsetRect(&box, -kOrigin, -kOrigin);
  return box;
}

// Draws |text| with its ink centred in |area|, in the largest size up to
// |em_height| whose ink fits. False when nothing could be drawn.
bool DrawCentred(Canvas* canvas, const std::wstring& text, const RECT& area,
                 int em_height, Rgb colour) {
  const int area_width = area.right - area.left;
  const int area_height = area.bottom - area.top;
  const int smallest = em_height / 2;
  for (int em = em_height; em >= smallest; --em) {
    HFONT font = MakeFont(em);
    if (font == nullptr) return false;
    const RECT ink = InkBox(font, text);
    const int ink_width = ink.right - ink.left;
    const int ink_height = ink.bottom - ink.top;
    const bool fits = ink_width <= area_width && ink_height <= area_height;
    if (ink_width == 0 || (!fits && em > smallest)) {
      DeleteObject(font);
      if (ink_width == 0) return false;
      continue;
    }
    const int x = area.left + (area_width - ink_width) / 2 - ink.left;
    const int y = area.top + (area_height - ink_height) / 2 - ink.top;
    HGDIOBJ old = SelectObject(canvas->dc(), font);
    SetBkMode(canvas->dc(), TRANSPARENT);
    SetTextColor(canvas->dc(), RGB(colour.r, colour.g, colour.b));
    TextOutW(canvas->dc(), x, y, text.c_str(), static_cast<int>(text.size()));
    SelectObject(canvas->dc(), old);
    DeleteObject(font);
    GdiFlush();
    return true;
  }
  return false;
}

// Every key of |table| in one style, in cells of |cell_width| x
// |cell_height|.
bool DrawKeys(Canvas* canvas, const SoftKeyboardTable& table, int cell_width,
              int cell_height, int inset, int border_width, int em_height,
              int text_margin, const KeyStyle& style) {
  canvas->Fill(0, 0, canvas->width(), canvas->height(), kBackground);
  for (int row = 0; row < table.rows; ++row) {
    for (int column = 0; column < table.columns; ++column) {
      const int x = column * cell_width;
      const int y = row * cell_height;
      DrawKeyFace(canvas, x + inset, y + inset, x + cell_width - inset,
                  y + cell_height - inset, border_width, style);
      GdiFlush();
      RECT area = {x + text_margin, y + text_margin,
                   x + cell_width - text_margin, y + cell_height - text_margin};
      // The raised edge takes the bottom of the face; a pushed key's text
      // sinks by a pixel.
      if (style.pushed) OffsetRect(&area, 1, 1);
      else area.bottom -= 1;
      const wchar_t* label = table.keys[row * table.columns + column].label;
      if (!DrawCentred(canvas, FaceText(label), area, em_height, style.text)) {
        std::fwprintf(stderr, L"nothing drawn for key %d\n",
                      row * table.columns + column);
        return false;
      }
    }
  }
  return true;
}

bool WriteBmp(const Canvas& canvas, const std::wstring& path) {
  const int pitch = canvas.pitch();
  const DWORD image_size = static_cast<DWORD>(pitch * canvas.height());
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + image_size;
  info.biSize = sizeof(info);
  info.biWidth = canvas.width();
  info.biHeight = canvas.height();  // bottom-up, as every reader expects
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = image_size;
  info.biXPelsPerMeter = info.biYPelsPerMeter = 3780;  // 96 dpi

  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, &file, sizeof(file), &written, nullptr) &&
            WriteFile(out, &info, sizeof(info), &written, nullptr);
  for (int y = canvas.height() - 1; ok && y >= 0; --y) {
    ok = WriteFile(out, canvas.row(y), pitch, &written, nullptr) &&
         written == static_cast<DWORD>(pitch);
  }
  CloseHandle(out);
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

// The font must be the one asked for and hold every unit of every label:
// a substitute would draw boxes.
bool FontCoversLabels(const SoftKeyboardTable& table) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = MakeFont(20);
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  bool ok = std::wcscmp(face, kFontFace) == 0;
  if (!ok) std::fwprintf(stderr, L"the font \"%ls\" is missing\n", kFontFace);
  for (int k = 0; ok && k < table.rows * table.columns; ++k) {
    const std::wstring text = FaceText(table.keys[k].label);
    std::vector<WORD> glyphs(text.size());
    if (GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()),
                         glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
        GDI_ERROR) {
      ok = false;
    }
    for (WORD glyph : glyphs) {
      if (glyph == 0xFFFF) ok = false;
    }
    if (!ok) std::fwprintf(stderr, L"the font lacks key %d\n", k);
  }
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return ok;
}

int Run(const std::wstring& folder, const std::string& code) {
  const int index = ime_shared::LanguageCodes::IndexOfCode(code.c_str());
  if (code != ime_shared::LanguageCodes::CodeAt(index)) {
    std::fprintf(stderr, "unknown language code \"%s\"\n", code.c_str());
    return 2;
  }
  const SoftKeyboardTable& table = ime_t13n::GetSoftKeyboardTable(index);
  if (table.rows == 0 || table.columns == 0) {
    std::fprintf(stderr, "\"%s\" has no picker\n", code.c_str());
    return 2;
  }
  if (!FontCoversLabels(table)) return 1;

  const std::wstring wide_code(code.begin(), code.end());
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\" + wide_code).c_str(), nullptr);
  CreateDirectoryW((folder + L"\\" + wide_code + L"\\images").c_str(),
                   nullptr);

  struct Drawing {
    PickerImage image;
    const KeyStyle* style;
  };
  const Drawing drawings[] = {
      {PickerImage::kNormal, &kNormalStyle},
      {PickerImage::kHover, &kHoverStyle},
      {PickerImage::kPushed, &kPushedStyle},
      {PickerImage::kMagnified, &kMagnifiedStyle},
  };
  for (const Drawing& drawing : drawings) {
    Canvas canvas(ime_t13n::PickerImageWidth(drawing.image, table.columns),
                  ime_t13n::PickerImageHeight(drawing.image, table.rows));
    if (!canvas.ok()) return 1;
    const bool drawn =
        drawing.image == PickerImage::kMagnified
            ? DrawKeys(&canvas, table, ime_t13n::kPickerMagnifiedKeySize,
                       ime_t13n::kPickerMagnifiedKeySize, 2, 2, 48, 10,
                       *drawing.style)
            : DrawKeys(&canvas, table, ime_t13n::kPickerKeyWidth,
                       ime_t13n::kPickerKeyHeight, 1, 1, 19, 3, *drawing.style);
    const std::wstring path =
        folder + L"\\" +
        ime_t13n::PickerImageRelativePath(index, drawing.image);
    if (!drawn || !WriteBmp(canvas, path)) {
      std::fwprintf(stderr, L"could not write %ls\n", path.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr,
                 "usage: draw_picker_images OUTPUT_FOLDER [LANGUAGE_CODE]\n");
    return 2;
  }
  // The folder comes in the program's code page; it is only ever a path of
  // the build tree or of the installation's staging folder.
  const int units = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
  std::wstring folder(units > 0 ? units - 1 : 0, L'\0');
  if (units > 1) {
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, &folder[0], units);
  }
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) {
    folder.pop_back();
  }
  return Run(folder, argc == 3 ? argv[2] : "hi");
}
