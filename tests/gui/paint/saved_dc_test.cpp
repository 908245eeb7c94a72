#include <windows.h>

#include <gtest/gtest.h>

#include "gui/paint/alpha_blend.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/memory_dc.h"
#include "gui/paint/saved_dc.h"
#include "tests/gui/dib_canvas.h"

namespace {
const COLORREF kWhite = RGB(255, 255, 255);
bool isObject(HGDIOBJ object) { return GetObjectType(object) != 0; }
}  // namespace

TEST(SavedDC, PutsTheObjectsBackAndDeletesOnlyWhatItOwns) {
    DibCanvas canvas(4, 4);
    HDC dc = canvas.dc();
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN), brush = GetCurrentObject(dc, OBJ_BRUSH);
    HFONT borrowed = CreateFontA(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HPEN firstPen, secondPen;
    HBRUSH ownBrush;
    {
        GSavedDC saved(dc);
        saved.selectPen(kWhite);
        firstPen = (HPEN)GetCurrentObject(dc, OBJ_PEN);
        saved.selectPen(RGB(1, 2, 3));
        secondPen = (HPEN)GetCurrentObject(dc, OBJ_PEN);
        EXPECT_FALSE(isObject(firstPen));  // replaced and deleted
        saved.selectSolidBrush(RGB(9, 9, 9));
        ownBrush = (HBRUSH)GetCurrentObject(dc, OBJ_BRUSH);
        saved.selectFont(borrowed);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), borrowed);
        SetTextColor(dc, RGB(5, 5, 5));

        // Null selects the previous object back and deletes the created one.
        saved.drawSelectCleanup(GSavedDC::Brush, nullptr);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
        EXPECT_FALSE(isObject(ownBrush));
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_FALSE(isObject(secondPen));
    EXPECT_TRUE(isObject(borrowed));  // not the wrapper's
    EXPECT_EQ(GetTextColor(dc), 0u);  // the saved state came back
    DeleteObject(borrowed);
}

TEST(SavedDC, OwnershipMovesOnlyFromASlotThatPassesIt) {
    DibCanvas a(2, 2), b(2, 2);
    HGDIOBJ pen;
    {
        GSavedDC target(b.dc());
        {
            GSavedDC source(a.dc());
            source.selectPen(kWhite);
            pen = source.slot(GSavedDC::Pen).created;
            target.selectDeleteObject(GSavedDC::Pen, source.slot(GSavedDC::Pen));
            EXPECT_FALSE(target.slot(GSavedDC::Pen).owned);
            source.slot(GSavedDC::Pen).passesOwnership = true;
            source.drawSelectCleanup(GSavedDC::Pen, nullptr, false);  // keeps the pen alive, unowned
            EXPECT_TRUE(isObject(pen));
            source.drawSelectCleanup(GSavedDC::Pen, pen, true);
            target.drawSelectCleanup(GSavedDC::Pen, nullptr);
            target.selectDeleteObject(GSavedDC::Pen, source.slot(GSavedDC::Pen));
            EXPECT_TRUE(target.slot(GSavedDC::Pen).owned);
            EXPECT_EQ(source.slot(GSavedDC::Pen).created, nullptr);
        }
        EXPECT_TRUE(isObject(pen));  // the source gave it away
    }
    EXPECT_FALSE(isObject(pen));
}

TEST(SavedDC, ClipGuardsNarrowAndRestore) {
    DibCanvas canvas(10, 10);
    GSavedDC dc(canvas.dc());
    {
        ClipGuard outer;
        pushClipCoords(outer, dc.dc(), 2, 2, 8, 8);
        {
            ClipGuard inner;
            pushClipRect(inner, dc.dc(), RECT{0, 0, 4, 4});
            fillSolidRect(dc, RECT{0, 0, 10, 10}, kWhite);
            EXPECT_EQ(canvas.countOther(0), 4);  // (2..4) x (2..4)
            popClipRect(inner);
        }
        fillSolidRect(dc, RECT{0, 0, 10, 10}, RGB(0, 0, 9));
        EXPECT_EQ(canvas.countOther(0), 36);  // back to the outer clip
    }
    fillSolidRect(dc, RECT{0, 0, 10, 10}, kWhite);
    EXPECT_EQ(canvas.countOther(0), 100);  // no clip at all

    dc.intersectClipRect(0, 0, 1, 1);
    fillSolidRect(dc, RECT{0, 0, 10, 10}, 0);
    EXPECT_EQ(canvas.countOther(0), 99);
}

TEST(SavedDC, DeletingASlotsObjectFollowsItsOwnership) {
    HGDIOBJ owned = CreatePen(PS_SOLID, 0, kWhite), borrowed = CreateSolidBrush(kWhite);
    GdiSlot slots[2];
    slots[0].created = owned;
    slots[0].owned = true;
    slots[1].created = slots[1].previous = borrowed;
    slots[1].passesOwnership = true;
    for (GdiSlot& slot : slots) {
        deleteGdiObject(slot);
        EXPECT_EQ(slot.created, nullptr);
        EXPECT_EQ(slot.previous, nullptr);
        EXPECT_FALSE(slot.owned);
        EXPECT_FALSE(slot.passesOwnership);
    }
    EXPECT_FALSE(isObject(owned));
    EXPECT_TRUE(isObject(borrowed));
    DeleteObject(borrowed);
}

TEST(SavedDC, RestoringAClipRegionSelectsItAndDeletesIt) {
    DibCanvas canvas(10, 10);
    GSavedDC dc(canvas.dc());
    HRGN saved = CreateRectRgn(2, 2, 6, 6);
    dc.intersectClipRect(0, 0, 1, 1);
    restoreClipRegion(dc.dc(), saved);
    EXPECT_FALSE(isObject(saved));
    fillSolidRect(dc, RECT{0, 0, 10, 10}, kWhite);
    EXPECT_EQ(canvas.countOther(0), 16);  // the saved region, not the narrower clip
    restoreClipRegion(dc.dc(), nullptr);  // none saved: no clip at all
    fillSolidRect(dc, RECT{0, 0, 10, 10}, kWhite);
    EXPECT_EQ(canvas.countOther(0), 100);
}

TEST(MemoryDC, BufferFlagsPrepareTheBuffer) {
    COLORREF savedBackground = toolkitColors.classBackground, savedTab = tabHighlightColor;
    toolkitColors.classBackground = RGB(10, 20, 30);
    tabHighlightColor = RGB(40, 50, 60);
    DibCanvas canvas(12, 12, RGB(7, 7, 7));
    GSavedDC target(canvas.dc());
    fillSolidRect(target, RECT{6, 6, 8, 8}, kWhite);
    SetTextColor(target.dc(), RGB(1, 2, 3));
    SetROP2(target.dc(), R2_XORPEN);

    struct Case {
        u32 flags;
        COLORREF corner;
    };
    for (Case c : {Case{BufferFlag::FillBackground, RGB(10, 20, 30)}, Case{BufferFlag::FillTabHighlight, RGB(40, 50, 60)},
                   Case{BufferFlag::CopyPixels, RGB(7, 7, 7)}}) {
        GMemoryDC buffer(target);
        ASSERT_TRUE(buffer.offscreenBuffer(RECT{4, 4, 10, 10}, c.flags));
        EXPECT_EQ(GetPixel(buffer.dc(), 0, 0), c.corner) << c.flags;
        if (c.flags == BufferFlag::CopyPixels) {
            EXPECT_EQ(GetPixel(buffer.dc(), 2, 2), kWhite);
        }
    }
    {
        GMemoryDC buffer(target);
        ASSERT_TRUE(buffer.offscreenBuffer(RECT{4, 4, 10, 10}, BufferFlag::CopyState));
        EXPECT_EQ(GetTextColor(buffer.dc()), RGB(1, 2, 3));
        EXPECT_EQ(GetROP2(buffer.dc()), R2_XORPEN);
        SetROP2(buffer.dc(), R2_COPYPEN);
        fillSolidRect(buffer, RECT{0, 0, 6, 6}, RGB(0, 0, 200));
        buffer.copyOffscreen();
    }
    EXPECT_EQ(canvas.pixel(4, 4), RGB(0, 0, 200));
    EXPECT_EQ(canvas.pixel(9, 9), RGB(0, 0, 200));
    EXPECT_EQ(canvas.pixel(10, 10), RGB(7, 7, 7));
    EXPECT_EQ(canvas.pixel(3, 3), RGB(7, 7, 7));
    toolkitColors.classBackground = savedBackground;
    tabHighlightColor = savedTab;
}

namespace {
int blendCalls = 0;
BOOL WINAPI countingBlend(HDC a, int b, int c, int d, int e, HDC f, int g, int h, int i, int j, BLENDFUNCTION k) {
    ++blendCalls;
    return AlphaBlend(a, b, c, d, e, f, g, h, i, j, k);
}
BOOL WINAPI failingBlend(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) {
    ++blendCalls;
    return FALSE;
}
}  // namespace

TEST(AlphaBlend, ProbedOnceAndBlendsWithAConstantAlpha) {
    DibCanvas target(4, 4, 0), source(4, 4, kWhite);
    setAlphaBlendFunction(countingBlend);
    blendCalls = 0;
    alphaBlendImage(target.dc(), RECT{0, 0, 4, 4}, source.dc(), 0, 0, 70);
    EXPECT_EQ(blendCalls, 2);  // the probe, then the blend
    alphaBlendImage(target.dc(), RECT{0, 0, 2, 2}, source.dc(), 0, 0, 70);
    EXPECT_EQ(blendCalls, 3);
    EXPECT_TRUE(alphaBlendSupported());
    EXPECT_EQ(blendCalls, 3);
    // 70 / 255 of white over black.
    EXPECT_NEAR(GetRValue(target.pixel(3, 3)), 70, 2);
    setAlphaBlendFunction(nullptr);
}

TEST(AlphaBlend, WithoutBlendingTheImageIsCopied) {
    DibCanvas target(4, 4, 0), source(4, 4, kWhite);
    setAlphaBlendFunction(failingBlend);
    blendCalls = 0;
    EXPECT_FALSE(alphaBlendSupported());
    alphaBlendImage(target.dc(), RECT{1, 1, 3, 3}, source.dc(), 0, 0, 70);
    EXPECT_EQ(blendCalls, 1);  // only the probe
    EXPECT_EQ(target.pixel(1, 1), kWhite);
    EXPECT_EQ(target.countOther(0), 4);
    setAlphaBlendFunction(nullptr);
}
