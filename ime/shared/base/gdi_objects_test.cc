#include "ime/shared/base/gdi_objects.h"

#include <utility>

#include "gtest/gtest.h"

namespace ime_shared {
namespace base {
namespace {

bool IsGdiObject(HGDIOBJ object) { return ::GetObjectType(object) != 0; }

TEST(GdiObjectsTest, DrawingObjectsAreDeletedWithTheirHolders) {
  HFONT font_handle = nullptr;
  HBITMAP bitmap_handle = nullptr;
  HPEN pen_handle = nullptr;
  HBRUSH brush_handle = nullptr;
  HDC dc_handle = nullptr;
  {
    ScopedFont font(
        ::CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    ScopedBitmap bitmap(::CreateBitmap(4, 4, 1, 32, nullptr));
    ScopedPen pen(::CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
    ScopedBrush brush(::CreateSolidBrush(RGB(4, 5, 6)));
    ScopedMemoryDC dc(::CreateCompatibleDC(nullptr));
    font_handle = font.Get();
    bitmap_handle = bitmap.Get();
    pen_handle = pen.Get();
    brush_handle = brush.Get();
    dc_handle = dc.Get();
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_handle), static_cast<HGDIOBJ>(bitmap_handle),
                           static_cast<HGDIOBJ>(pen_handle), static_cast<HGDIOBJ>(brush_handle),
                           static_cast<HGDIOBJ>(dc_handle)}) {
      ASSERT_TRUE(IsGdiObject(object));
    }
    // Moving keeps one owner.
    ScopedBrush moved(std::move(brush));
    EXPECT_FALSE(brush);
    EXPECT_EQ(moved.Get(), brush_handle);
  }
  EXPECT_FALSE(IsGdiObject(font_handle));
  EXPECT_FALSE(IsGdiObject(bitmap_handle));
  EXPECT_FALSE(IsGdiObject(pen_handle));
  EXPECT_FALSE(IsGdiObject(brush_handle));
  EXPECT_FALSE(IsGdiObject(dc_handle));
}

TEST(GdiObjectsTest, MenusWindowsAndImageListsAreDestroyedWithTheirHolders) {
  HMENU menu_handle = nullptr;
  HWND window_handle = nullptr;
  {
    ScopedMenu menu(::CreatePopupMenu());
    ScopedTooltipWindow window(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"",
                                                 WS_POPUP, 0, 0, 20, 20, nullptr, nullptr,
                                                 nullptr, nullptr));
    ::ShowWindow(window.Get(), SW_SHOWNA);
    ScopedImageList images(::ImageList_Create(5, 5, ILC_COLOR32, 2, 0));
    menu_handle = menu.Get();
    window_handle = window.Get();
    ASSERT_TRUE(::IsMenu(menu_handle));
    ASSERT_TRUE(::IsWindowVisible(window_handle));
    ASSERT_TRUE(images.IsValid());
    EXPECT_EQ(::ImageList_GetImageCount(images.Get()), 0);
  }
  EXPECT_FALSE(::IsMenu(menu_handle));
  EXPECT_FALSE(::IsWindow(window_handle));

  // A window already gone is not destroyed twice.
  HWND gone = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr,
                                nullptr);
  ScopedWindow holder(gone);
  ::DestroyWindow(gone);
  holder.Reset();
  EXPECT_FALSE(holder);
}

TEST(GdiObjectsTest, SelectionPutsThePreviousObjectBack) {
  ScopedMemoryDC dc(::CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  ScopedBitmap first(::CreateBitmap(8, 8, 1, 32, nullptr));
  ScopedBitmap second(::CreateBitmap(8, 8, 1, 32, nullptr));
  const HGDIOBJ original = ::GetCurrentObject(dc.Get(), OBJ_BITMAP);
  {
    ScopedSelectObject select(dc.Get(), first.Get());
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), first.Get());
    {
      ScopedSelectObject inner(dc.Get(), second.Get());
      EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), second.Get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), first.Get());
    // Selecting anew through the same holder restores first.
    EXPECT_TRUE(select.Select(dc.Get(), second.Get()));
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), second.Get());
  }
  EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), original);

  ScopedSelectObject nothing(nullptr, first.Get());
  ScopedSelectObject nothing_either(dc.Get(), nullptr);
  EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), original);
}

TEST(GdiObjectsTest, WindowDeviceContextBelongsToItsWindow) {
  HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 10, 10, 40, 40,
                                  nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ::ShowWindow(window, SW_SHOWNA);
  ASSERT_TRUE(::IsWindowVisible(window));
  {
    ScopedWindowDC dc(window);
    ASSERT_TRUE(dc);
    EXPECT_EQ(::WindowFromDC(dc.Get()), window);
  }
  ScopedWindowDC screen(nullptr);
  EXPECT_TRUE(screen);
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace base
}  // namespace ime_shared
