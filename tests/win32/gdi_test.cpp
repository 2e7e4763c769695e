// The drawing wrappers: who deletes which handle, selections that come undone on every
// path, and the few pixels the painters rely on.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "gdi.h"
#include "handle.h"
#include "canvas.h"
#include "gdi_count.h"

namespace {

bool IsLiveObject(HGDIOBJ hObject) { return ::GetObjectType(hObject) != 0; }

using kst_test::CCanvas;

// Draws into hDC with a brush of its own and leaves early or throws half way through.
enum class Exit { Early, Thrown, Normal };
void PaintWithBrush(HDC hDC, Exit exit) {
    CBrush brush;
    brush.CreateSolidBrush(RGB(1, 2, 3));
    CSelectObject selection(hDC, brush);
    if (exit == Exit::Early) return;
    if (exit == Exit::Thrown) throw std::runtime_error("paint failed");
    ::PatBlt(hDC, 0, 0, 1, 1, PATCOPY);
}

}  // namespace

TEST(GdiOwnership, OwnedHandlesGoWithTheirWrapperBorrowedOnesStay) {
    const DWORD before = kst_test::GdiObjectCount();
    HGDIOBJ hOwned = nullptr;
    HDC hMemory = nullptr;
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(8, 8, 1, 1, nullptr));
        CBrush brush;
        ASSERT_TRUE(brush.CreateSolidBrush(RGB(255, 0, 0)));
        LOGFONTA lf{};
        lf.lfHeight = 12;
        CFont font;
        ASSERT_TRUE(font.CreateFontIndirect(&lf));
        CRgn region;
        ASSERT_TRUE(region.CreateRectRgn(0, 0, 4, 4));
        CMemoryDC dc;
        hMemory = dc;
        hOwned = brush;
        EXPECT_TRUE(IsLiveObject(hOwned));
        EXPECT_EQ(kst_test::GdiObjectCount(), before + 5);
        EXPECT_FALSE(brush.CreateSolidBrush(RGB(0, 0, 0))) << "a wrapper holds one handle";
    }
    EXPECT_EQ(kst_test::GdiObjectCount(), before);
    EXPECT_FALSE(IsLiveObject(hOwned));
    EXPECT_FALSE(IsLiveObject(hMemory));

    HBRUSH hBorrowed = ::CreateSolidBrush(RGB(0, 255, 0));
    HDC hBorrowedDC = ::CreateCompatibleDC(nullptr);
    {
        CBrush brush;
        ASSERT_TRUE(brush.Attach(hBorrowed));
        CDC dc;
        ASSERT_TRUE(dc.Attach(hBorrowedDC));
    }
    EXPECT_TRUE(IsLiveObject(hBorrowed));
    EXPECT_EQ(::GetObjectType(hBorrowedDC), static_cast<DWORD>(OBJ_MEMDC));

    // Adopt hands ownership over; Detach takes it back.
    {
        CBrush brush;
        ASSERT_TRUE(brush.Adopt(hBorrowed));
    }
    EXPECT_FALSE(IsLiveObject(hBorrowed));
    HGDIOBJ hDetached = nullptr;
    {
        CRgn region;
        region.CreateRectRgn(0, 0, 1, 1);
        hDetached = region.Detach();
    }
    EXPECT_TRUE(IsLiveObject(hDetached));
    ::DeleteObject(hDetached);
    ::DeleteDC(hBorrowedDC);
    EXPECT_EQ(kst_test::GdiObjectCount(), before);
}

// An owner has nobody to share its handle with; a borrower may be copied at will.
static_assert(!std::is_copy_constructible_v<COwnedHandle<CGdiObjectTraits>>);
static_assert(std::is_nothrow_move_constructible_v<COwnedHandle<CGdiObjectTraits>>);
static_assert(std::is_copy_constructible_v<CBorrowedHandle<CGdiObjectTraits>>);

TEST(GdiOwnership, OwningHandleClosesOnceWhereverItMovesBorrowingOneNever) {
    const DWORD before = kst_test::GdiObjectCount();
    const long refusedBefore = AfxRefusedHandleCloses();
    HGDIOBJ hBrush = ::CreateSolidBrush(RGB(4, 5, 6));
    {
        COwnedHandle<CGdiObjectTraits> first(hBrush);
        CBorrowedHandle<CGdiObjectTraits> view(hBrush);
        CBorrowedHandle<CGdiObjectTraits> copy = view;
        EXPECT_EQ(copy.Get(), hBrush);
        COwnedHandle<CGdiObjectTraits> moved(std::move(first));
        EXPECT_FALSE(first.IsValid()) << "a moved-from owner holds nothing";
        COwnedHandle<CGdiObjectTraits> assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.Get(), hBrush);
        EXPECT_TRUE(IsLiveObject(hBrush));
    }
    EXPECT_FALSE(IsLiveObject(hBrush)) << "the last owner closed it";
    EXPECT_EQ(kst_test::GdiObjectCount(), before);
    EXPECT_EQ(AfxRefusedHandleCloses(), refusedBefore) << "closed more than once";

    // Given another handle, an owner closes the one it held.
    HGDIOBJ hOld = ::CreateSolidBrush(RGB(7, 8, 9));
    COwnedHandle<CGdiObjectTraits> owner(hOld);
    owner.Reset(::CreateSolidBrush(RGB(10, 11, 12)));
    EXPECT_FALSE(IsLiveObject(hOld));
    owner.Reset();
    EXPECT_EQ(kst_test::GdiObjectCount(), before);
}

TEST(GdiOwnership, PaintDCEndsThePaint) {
    HWND hWnd = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(hWnd, nullptr);
    const DWORD before = kst_test::GdiObjectCount();
    for (int i = 0; i < 50; ++i) {
        CClientDC client(hWnd);
        CWindowDC window(hWnd);
    }
    EXPECT_EQ(kst_test::GdiObjectCount(), before) << "client and window DCs go back to the window";
    {
        CClientDC client(hWnd);
        CWindowDC window(hWnd);
        EXPECT_NE(client.GetSafeHdc(), nullptr);
        EXPECT_NE(window.GetSafeHdc(), nullptr);
        ::InvalidateRect(hWnd, nullptr, FALSE);
        CPaintDC paint(hWnd);
        EXPECT_NE(paint.GetSafeHdc(), nullptr);
    }
    RECT update{};
    EXPECT_FALSE(::GetUpdateRect(hWnd, &update, FALSE)) << "the paint DC ends the paint (EndPaint)";
    ::DestroyWindow(hWnd);
}

TEST(GdiSelection, OldObjectComesBackOnEveryPath) {
    CMemoryDC dc;
    const HGDIOBJ original = ::GetCurrentObject(dc, OBJ_BRUSH);
    const DWORD before = kst_test::GdiObjectCount();
    for (Exit exit : {Exit::Normal, Exit::Early, Exit::Thrown}) {
        try {
            PaintWithBrush(dc, exit);
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), original) << "exit " << static_cast<int>(exit);
        EXPECT_EQ(kst_test::GdiObjectCount(), before) << "exit " << static_cast<int>(exit);
    }

    CFont font;
    LOGFONTA lf{};
    lf.lfHeight = 10;
    font.CreateFontIndirect(&lf);
    const HGDIOBJ oldFont = dc.SelectObject(font);
    EXPECT_EQ(oldFont, ::GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(dc.SelectObject(oldFont), font.GetSafeHandle()) << "selection answers the object it replaced";
}

TEST(GdiPixels, Draw3dRectFramesInsideTheRectangle) {
    CCanvas canvas(12, 10, RGB(255, 255, 255));
    const COLORREF tl = RGB(255, 0, 0), br = RGB(0, 0, 255);
    canvas.dc().Draw3dRect(RECT{1, 1, 9, 7}, tl, br);
    EXPECT_EQ(canvas.At(1, 1), tl);
    EXPECT_EQ(canvas.At(7, 1), tl);
    EXPECT_EQ(canvas.At(1, 5), tl);
    EXPECT_EQ(canvas.At(8, 1), br) << "the top-right corner belongs to the right edge";
    EXPECT_EQ(canvas.At(1, 6), br) << "the bottom-left corner belongs to the bottom edge";
    EXPECT_EQ(canvas.At(8, 6), br);
    EXPECT_EQ(canvas.At(2, 2), RGB(255, 255, 255)) << "the inside is left alone";
    EXPECT_EQ(canvas.At(9, 7), RGB(255, 255, 255)) << "right and bottom are exclusive";
    EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255));
}

TEST(GdiPixels, HalftoneBrushIsACheckerboardOfTextAndBackgroundColours) {
    CCanvas canvas(8, 8, RGB(0, 255, 0));
    const COLORREF text = RGB(255, 255, 255), back = RGB(192, 192, 192);
    canvas.dc().SetTextColor(text);
    canvas.dc().SetBkColor(back);
    ASSERT_EQ(CDC::GetHalftoneBrush(), CDC::GetHalftoneBrush()) << "one brush for every caller";
    canvas.dc().FillRect(RECT{0, 0, 8, 8}, CDC::GetHalftoneBrush());
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const COLORREF expected = ((x + y) & 1) == (canvas.At(0, 0) == text ? 0 : 1) ? text : back;
            ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST(ImageListWrapper, MaskColourIsTransparentAndOnlyOwnedListsAreDestroyed) {
    const COLORREF face = RGB(192, 192, 192), ink = RGB(0, 0, 128), paper = RGB(0, 255, 0);
    CCanvas images(8, 4, face);
    images.dc().FillSolidRect(1, 1, 2, 2, ink);
    images.dc().FillSolidRect(5, 1, 1, 1, ink);
    // The image list wants the bitmap out of any DC.
    CBitmap copy;
    copy.CreateCompatibleBitmap(images.dc(), 8, 4);
    {
        CMemoryDC dc;
        CSelectObject selection(dc, copy);
        dc.BitBlt(0, 0, 8, 4, images.dc(), 0, 0, SRCCOPY);
    }

    HIMAGELIST hDetached = nullptr;
    {
        CImageList list;
        ASSERT_TRUE(list.Create(4, 4, ILC_MASK | ILC_COLOR24, 2, 1));
        EXPECT_EQ(list.Add(copy, face), 0);
        EXPECT_EQ(list.GetImageCount(), 2);
        CCanvas target(4, 4, paper);
        ASSERT_TRUE(list.Draw(target.dc(), 0, POINT{0, 0}, ILD_TRANSPARENT));
        EXPECT_EQ(target.At(0, 0), paper) << "face-coloured pixels are transparent";
        EXPECT_EQ(target.At(1, 1), ink);
        EXPECT_EQ(target.At(3, 3), paper);
        list.Draw(target.dc(), 1, POINT{0, 0}, ILD_TRANSPARENT);
        EXPECT_EQ(target.At(1, 1), ink) << "the second image keeps what the first drew";
        EXPECT_EQ(target.At(2, 2), ink);
        hDetached = list.Detach();
    }
    EXPECT_EQ(ImageList_GetImageCount(hDetached), 2) << "a detached list survives its wrapper";
    {
        CImageList borrowed;
        ASSERT_TRUE(borrowed.Attach(hDetached));
    }
    EXPECT_EQ(ImageList_GetImageCount(hDetached), 2) << "a borrowed list is never destroyed";
    EXPECT_TRUE(ImageList_Destroy(hDetached));
}

TEST(GdiRegions, CombineAndCopyWorkOnExistingRegions) {
    CRgn left, right, both;
    left.CreateRectRgn(0, 0, 4, 4);
    right.CreateRectRgn(4, 0, 8, 4);
    both.CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(both.CombineRgn(left, right, RGN_OR), SIMPLEREGION);
    RECT box{};
    both.GetRgnBox(&box);
    EXPECT_EQ(box.right, 8);
    CRgn copy;
    copy.CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(copy.CopyRgn(both), ERROR);
    both.SetRectRgn(0, 0, 1, 1);
    EXPECT_TRUE(copy.PtInRegion(7, 3)) << "a copy does not follow its source";
    EXPECT_FALSE(both.PtInRegion(7, 3));
}
