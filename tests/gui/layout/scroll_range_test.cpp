// The scroll range model: paging, steps, thumbs, keys and wheel, positions beyond 2^32.
#include <gtest/gtest.h>

#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/application.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_boxes.h"
#include "gui/layout/scroll_range.h"
#include "tests/support/test_support.h"

namespace {
GScrollRange range(i64 total, i32 page, i32 step = 1, i64 origin = 0, i64 caret = 0) {
    GScrollRange r;
    r.total = total;
    r.page = page;
    r.step = step;
    r.origin = r.requestedOrigin = origin;
    r.caret = caret;
    return r;
}

GInputEvent key(u32 vk, u32 modifiers = 0) { return GInputEvent::keyDown(vk, modifiers); }

SHORT scrollLockOn(int vk) { return vk == VK_SCROLL ? 1 : 0; }
SHORT noKeys(int) { return 0; }
}  // namespace

TEST(ScrollRange, PagingAndSteps) {
    struct Case {
        const char* name;
        GScrollRange start;
        void (GScrollRange::*op)();
        i64 origin, caret;
    } cases[] = {
        {"page down by whole steps", range(1000, 35, 10, 100, 100), &GScrollRange::scrollPageDown, 130, 150},
        {"page up near the start", range(1000, 35, 10, 30, 50), &GScrollRange::scrollPageUp, 0, 0},
        {"page up by whole steps", range(1000, 35, 10, 300, 310), &GScrollRange::scrollPageUp, 270, 270},
        {"page down to the end", range(1000, 100, 1, 850, 900), &GScrollRange::scrollPageDown, 900, 999},
        {"third down", range(1000, 90, 1, 0, 0), &GScrollRange::scrollThirdDown, 30, 119},
        {"no paging when it fits", range(50, 100, 1, 0, 7), &GScrollRange::scrollPageDown, 0, 7},
        {"no third when it fits", range(50, 100, 1, 0, 7), &GScrollRange::scrollThirdUp, 0, 7},
        {"end of a range that fits", range(50, 100, 10, 0, 0), &GScrollRange::scrollToEnd, 0, 40},
        {"caret to page bottom", range(1000, 35, 10, 105, 0), &GScrollRange::caretToPageBottom, 100, 120},
        {"caret to page top", range(1000, 35, 10, 105, 0), &GScrollRange::caretToPageTop, 110, 110},
    };
    for (const Case& c : cases) {
        GScrollRange r = c.start;
        (r.*c.op)();
        EXPECT_EQ(c.origin, r.origin) << c.name;
        EXPECT_EQ(c.caret, r.caret) << c.name;
        EXPECT_EQ(r.origin, r.requestedOrigin) << c.name;
    }
}

TEST(ScrollRange, GeometryChangesKeepTheRequestedOrigin) {
    GScrollRange r = range(1000, 100);
    r.setPosition(880);
    EXPECT_EQ(880, r.origin);
    r.setPage(400);  // grows: clamped for now
    EXPECT_EQ(600, r.origin);
    EXPECT_EQ(880, r.requestedOrigin);
    r.setPage(100);  // shrinks again: back where the user asked
    EXPECT_EQ(880, r.origin);

    r.setTotalAndStep(500, 10);  // caret and origin clamped, aligned to the step
    EXPECT_EQ(400, r.origin);
    r.setCaret(-5);
    EXPECT_EQ(0, r.caret);
    r.setPosition(10000);
    EXPECT_EQ(400, r.origin);
    EXPECT_EQ(490, r.caret);
    r.ensureVisible(200);
    EXPECT_EQ(200, r.origin);

    r.scrollBy(-30);  // the caret follows by as much as the origin moved, then stays inside
    EXPECT_EQ(0, r.origin);
    EXPECT_EQ(90, r.caret);
    r.moveCaretBy(15);
    EXPECT_EQ(240, r.caret);
    EXPECT_EQ(150, r.origin);
}

TEST(ScrollRange, ThumbMapsBothWaysOverTheWholeRange) {
    // Totals of many pages, up to rows beyond 2^32 in pixels of 20: the last thumb position the
    // native bar can show reaches the end, and every origin maps onto the bar and back near itself.
    struct Case {
        i64 total;
        i32 page;
    } cases[] = {{1000, 500}, {1000, 0}, {200000, 20}, {(i64)20 << 33, 600}, {((i64)1 << 62) + 12345, 1000}};
    for (const Case& c : cases) {
        i64 size = thumbSize(c.total, c.page);
        EXPECT_GE(size, 1);
        i64 last = kThumbScale - size;
        GScrollRange r = range(c.total, c.page);
        r.setThumb(last);
        EXPECT_EQ(r.maxOrigin(), r.origin) << c.total;
        r.setThumb(0);
        EXPECT_EQ(0, r.origin);
        for (i64 origin : {(i64)0, c.total / 3, c.total - c.page}) {
            i64 thumb = thumbFromOrigin(c.total, c.page, origin);
            EXPECT_LE(thumb, last);
            i64 back = originFromThumb(c.total, c.page, thumb);
            i64 slack = (c.total - c.page) / last + 2;
            EXPECT_LE(back, origin);
            EXPECT_LT(origin - back, slack) << c.total << " at " << origin;
        }
    }
    EXPECT_EQ(1, thumbSize(1000, 0));
    EXPECT_EQ(5000, thumbSize(1000, 500));
    EXPECT_EQ(5000, thumbFromOrigin(1000, 500, 500));
    GScrollRange fits = range(100, 100, 1, 0, 50);
    fits.setThumb(700);
    EXPECT_EQ(0, fits.origin);
    EXPECT_EQ(0, fits.caret);
}

TEST(ScrollRange, PositionsBeyond32Bits) {
    const i64 rows = ((i64)1 << 33) + 7;
    GScrollRange r = range(rows * 16, 16 * 40, 16);
    r.scrollToEnd();
    EXPECT_EQ(rows * 16 - 16, r.caret);
    r.scrollPageUp();
    EXPECT_EQ(rows * 16 - 16 * 40 - 16 * 40, r.origin);
    r.moveCaretBy(-((i64)1 << 32));
    EXPECT_EQ(rows * 16 - 1280 - ((i64)16 << 32), r.caret);
    EXPECT_LE(r.origin, r.caret);
    EXPECT_TRUE(r.onScrollCode(SB_BOTTOM, 0));
    EXPECT_EQ(r.maxOrigin(), r.origin);
    EXPECT_TRUE(r.onScrollCode(SB_TOP, 0));
    EXPECT_EQ(0, r.origin);
    EXPECT_FALSE(r.onScrollCode(SB_ENDSCROLL, 0));
}

TEST(ScrollRange, KeysAndWheel) {
    systemInput.keyState = noKeys;
    struct Case {
        GInputEvent event;
        u32 flags;
        bool handled;
        i64 hOrigin, vOrigin, vCaret;
    } cases[] = {
        {key(VK_DOWN), ScrollVertical, true, 50, 101, 101},
        {key(VK_DOWN), ScrollVertical | CaretVertical | FastVertical, true, 50, 100, 108},
        {key(VK_UP, ModCtrl), ScrollVertical, false, 50, 100, 100},
        {key(VK_UP, ModShift), ScrollVertical, false, 50, 100, 100},
        {key(VK_UP, ModAlt), ScrollVertical, false, 50, 100, 100},
        {key(VK_LEFT, ModCtrl), ScrollHorizontal, true, 17, 100, 100},
        {key(VK_NEXT), ScrollVertical, true, 50, 150, 199},
        {key(VK_NEXT, ModCtrl), ScrollVertical, false, 50, 100, 100},
        {key(VK_HOME), ScrollHorizontal | ScrollVertical, true, 0, 100, 100},
        {key(VK_HOME, ModCtrl), ScrollHorizontal | ScrollVertical, true, 50, 0, 0},
        {key(VK_END), ScrollVertical, true, 50, 950, 999},
        {key(VK_RETURN), ScrollVertical, false, 50, 100, 100},
    };
    for (const Case& c : cases) {
        GScrollRange h = range(500, 100, 1, 50, 50), v = range(1000, 50, 1, 100, 100);
        EXPECT_EQ(c.handled, scrollRangesOnKey(c.event, h, v, c.flags)) << c.event.key;
        EXPECT_EQ(c.hOrigin, h.origin) << c.event.key;
        EXPECT_EQ(c.vOrigin, v.origin) << c.event.key;
        EXPECT_EQ(c.vCaret, v.caret) << c.event.key;
    }
    // Wheel away from the user moves towards the start; Scroll Lock slows it to single steps and
    // reports its hint.
    GScrollRange h = range(500, 100), v = range(1000, 50, 1, 100, 100);
    EXPECT_TRUE(scrollRangesOnWheel(h, v, 120, true, ScrollVertical | FastVertical));
    EXPECT_EQ(92, v.origin);
    EXPECT_FALSE(scrollRangesOnWheel(h, v, 120, false, ScrollVertical));
    int hints = 0;
    static int* hintCount;
    hintCount = &hints;
    scrollLockHint = [] { ++*hintCount; };
    systemInput.keyState = scrollLockOn;
    EXPECT_TRUE(scrollRangesOnWheel(h, v, -120, true, ScrollVertical | FastVertical));
    EXPECT_EQ(93, v.origin);
    EXPECT_EQ(1, hints);
    systemInput.keyState = systemInputDefaults.keyState;
    scrollLockHint = nullptr;
}

TEST(ScrollRange, FullRepaintOnlyWhenPixelsCannotMove) {
    GScrollRange a = range(1000, 50, 10, 100);
    GScrollRange b = a;
    b.scrollBy(1);
    EXPECT_FALSE(GScrollRange::needsFullRepaint(a, b));
    b.setPage(60);
    EXPECT_TRUE(GScrollRange::needsFullRepaint(a, b));
    GScrollRange jump = a;
    jump.origin += 51;
    EXPECT_TRUE(GScrollRange::needsFullRepaint(a, jump));
}

TEST(ScrollRange, TheToolkitShowsTheScrollLockHintOncePerRun) {
    installToolkitHooks();
    resetReportedErrors();
    recordedBoxes().clear();
    systemInput.keyState = scrollLockOn;
    GScrollRange h = range(500, 100), v = range(1000, 50, 1, 100, 100);
    GInputEvent down = GInputEvent::keyDown(VK_DOWN);
    EXPECT_TRUE(scrollRangesOnWheel(h, v, -120, true, ScrollVertical));
    EXPECT_TRUE(scrollRangesOnKey(down, h, v, ScrollVertical));
    systemInput.keyState = systemInputDefaults.keyState;
    ASSERT_EQ(1u, recordedBoxes().size());
    EXPECT_EQ(guiText(GuiText::ScrollLockHint), recordedBoxes()[0].text);
    scrollLockHint = nullptr;
    resetReportedErrors();
}
