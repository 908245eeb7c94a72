#include "gui/menus/menu_painter.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "gui/menus/menu.h"
#include "gui/menus/menu_preview.h"
#include "gui/paint/colors.h"
#include "gui/paint/fonts.h"
#include "gui/paint/gui_settings.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/system_metrics.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"

namespace {
// An item drawn with effect bits of its own, as the customisation previews draw.
class FixedEffectsItem : public GMenuItemData {
public:
    FixedEffectsItem(const char* text, u32 effects) : GMenuItemData(text, nullptr, 7), effects(effects) {}
    u32 effectBits() const override { return effects; }
    u32 effects;
};

DRAWITEMSTRUCT drawRecord(HDC dc, const GMenuItemData& item, UINT state, RECT rect) {
    DRAWITEMSTRUCT d{};
    d.CtlType = ODT_MENU;
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = state;
    d.hDC = dc;
    d.rcItem = rect;
    d.itemData = (ULONG_PTR)&item;
    return d;
}

i32 menuTextWidth(const char* text) {
    HDC dc = screenDC().dc();
    HGDIOBJ old = SelectObject(dc, getMenuFont()->font ? getMenuFont()->font : GetStockObject(DEFAULT_GUI_FONT));
    i32 width = textExtentW(dc, text, -1).cx;
    SelectObject(dc, old);
    return width;
}

class MenuPainterTest : public testing::Test {
protected:
    TestApplication app;
};
}  // namespace

TEST(MenuItemFlags, EffectBitsBecomeFramePainterFlags) {
    struct Case {
        u32 effects;
        UINT state;
        u32 flags;
        bool selection;
    } cases[] = {
        {0, ODS_HOTLIGHT, 0x20000000 | 0x2000, false},
        {0, 0, 0x20002000, false},
        {0x1FF, 0, 0x20002000, false},  // effects only for selected or hot items
        {0x20, ODS_SELECTED, 0x20002000, true},
        {0x1, ODS_SELECTED, 0x20002002, false},
        {0x2, ODS_SELECTED, 0x28002000, false},
        {0x4, ODS_SELECTED, 0x20402000, false},
        {0x8, ODS_SELECTED, 0x30002000, false},
        {0x10, ODS_SELECTED, 0x24002000, false},
        {0x40, ODS_SELECTED, 0x20006000, false},
        {0x80, ODS_HOTLIGHT, 0x20004000, false},
        {0x100, ODS_SELECTED, 0x20005000, false},
        {0x59, ODS_SELECTED, 0x30006002 | 0x4000000, false},
        {0, ODS_DISABLED, 0x20802000, false},
        {0x21, ODS_SELECTED | ODS_GRAYED, 0x20802002, true},
    };
    for (const Case& c : cases) {
        bool selection = !c.selection;
        EXPECT_EQ(c.flags, menuItemPaintFlags(c.effects, c.state, &selection)) << std::hex << c.effects << "/" << c.state;
        EXPECT_EQ(c.selection, selection) << std::hex << c.effects;
    }
}

TEST_F(MenuPainterTest, MeasuresKeepTheImageCellTheKeyGapAndTheArrowColumn) {
    HDC dc = screenDC().dc();
    const i32 cell = systemMetrics.cxMenuCheck > 20 ? systemMetrics.cxMenuCheck : 20;
    const i32 word = menuTextWidth("Word"), key = menuTextWidth("Ctrl+W");

    GMenuItemData plainText("Word", nullptr, 5);
    GMenuItemData withKey("Word\tCtrl+W", nullptr, 5);
    SIZE a = measureMenuItem(dc, &plainText), b = measureMenuItem(dc, &withKey);
    EXPECT_EQ(cell + 6 + word + 16 + 4, a.cx);  // the square cell without an image, the arrow column
    EXPECT_EQ(key + 18, b.cx - a.cx);
    EXPECT_EQ(cell + 8, a.cy);
    EXPECT_EQ(cell, menuItemImageCell(&plainText).cx);
    EXPECT_EQ(cell, menuItemImageCell(&plainText).cy);

    GMenuItemData bar("Word", nullptr, 5);
    bar.flag = MenuItemBar;
    SIZE c = measureMenuItem(dc, &bar);
    EXPECT_EQ(2 + word + 4 - 6, c.cx);  // no image cell, no arrow column
    EXPECT_EQ(0, menuItemImageCell(&bar).cx);

    GMenuItemData separator("", nullptr, -1);
    EXPECT_EQ(1, measureMenuItem(dc, &separator).cx);
    EXPECT_EQ(5, measureMenuItem(dc, &separator).cy);

    SelectObject(dc, getMenuFont()->font ? getMenuFont()->font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE plain = measurePlainItem(dc, &plainText);
    EXPECT_EQ(3 + word + 4, plain.cx);
    EXPECT_EQ(textExtentW(dc, "Word", -1).cy + 4, plain.cy);
}

TEST_F(MenuPainterTest, SeparatorsAndFacesDrawnFromTheDrawRecord) {
    const ToolkitColors& c = toolkitColors;
    DibCanvas canvas(60, 30, RGB(1, 2, 3));
    GMenuItemData separator("", nullptr, -1);
    DRAWITEMSTRUCT d = drawRecord(canvas.dc(), separator, 0, RECT{0, 0, 60, 5});
    ASSERT_TRUE(paintMenuItem(nullptr, WM_DRAWITEM, (LPARAM)&d));
    struct Probe {
        i32 x, y;
        COLORREF colour;
    } probes[] = {{1, 2, c.background}, {2, 2, c.darkShade},  {57, 2, c.darkShade}, {58, 2, c.background},
                  {2, 3, c.lightShade}, {57, 3, c.lightShade}, {30, 1, c.background}, {30, 4, c.background},
                  {30, 5, RGB(1, 2, 3)}};
    for (const Probe& p : probes) EXPECT_EQ(p.colour, canvas.pixel(p.x, p.y)) << p.x << "," << p.y;

    // A hot item without effects: the face in the current brush, the text in the text colour. With
    // 0x20 the selection colours.
    struct Face {
        u32 effects;
        UINT state;
        COLORREF background, ink;
    } faces[] = {{0, ODS_HOTLIGHT, c.background, c.text},
                 {0x20, ODS_SELECTED, c.selection, c.selectionText},
                 {0x20, 0, c.background, c.text}};
    for (const Face& f : faces) {
        DibCanvas item(80, 24, RGB(1, 2, 3));
        FixedEffectsItem data("WWWW", f.effects);
        DRAWITEMSTRUCT r = drawRecord(item.dc(), data, f.state, RECT{0, 0, 80, 24});
        ASSERT_TRUE(paintMenuItem(nullptr, WM_DRAWITEM, (LPARAM)&r));
        EXPECT_EQ(f.background, item.pixel(1, 1)) << f.effects;
        EXPECT_EQ(f.background, item.pixel(78, 22)) << f.effects;
        i32 inked = 0;
        for (i32 y = 0; y < 24; ++y)
            for (i32 x = 0; x < 80; ++x) inked += item.pixel(x, y) == f.ink;
        EXPECT_GT(inked, 10) << f.effects;
    }

    // The default effects, for a look (RAVO_GUI_SHOT).
    DibCanvas shot(140, 24 * 4, RGB(255, 255, 255));
    const UINT states[] = {0, ODS_SELECTED, ODS_DISABLED, ODS_SELECTED | ODS_CHECKED};
    for (i32 i = 0; i < 4; ++i) {
        FixedEffectsItem data("&Open\tCtrl+O", 0x59);
        DRAWITEMSTRUCT r = drawRecord(shot.dc(), data, states[i], RECT{0, i * 24, 140, i * 24 + 24});
        paintMenuItem(nullptr, WM_DRAWITEM, (LPARAM)&r);
    }
    saveShot(shot, "menu_items.bmp");
}

TEST(MenuPreview, DrawsItsItemHighlightedWithItsOwnBits) {
    controls::ColumnFixture fx;
    GMenuPreview* popup = GMenuPreview::create(fx.builder, "Sample\tCtrl+S", true, 0x20);
    GMenuPreview* bar = GMenuPreview::create(fx.builder, "Sample", false, 0);
    HDC dc = screenDC().dc();
    i32 w, h;
    popup->getPreferredSize(&w, &h);
    EXPECT_EQ(measureMenuItem(dc, &popup->item).cx, w);
    bar->getPreferredSize(&w, &h);
    EXPECT_EQ(measureMenuItem(dc, &bar->item).cx + 20, w);
    EXPECT_EQ(MenuItemBar, bar->item.flag);
    fx.layout();

    // 0x20: the selection colours; without it the face.
    EXPECT_EQ(toolkitColors.selection, controls::pixelAt(popup->hwnd, 1, 1));
    popup->setEffects(0);
    UpdateWindow(popup->hwnd);
    EXPECT_EQ(toolkitColors.background, controls::pixelAt(popup->hwnd, 1, 1));
    EXPECT_EQ(toolkitColors.background, controls::pixelAt(bar->hwnd, 1, 1));
}
