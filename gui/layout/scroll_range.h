#pragma once
// GScrollRange: the 64-bit model of one scrolling axis (content length, caret, first visible unit,
// visible length, step). Views hold two by value and copy them to compare states before and after
// a change. The native scroll bar shows it on a fixed 0..10000 scale through one mapping each way
// (thumbSize, thumbFromOrigin, originFromThumb), so every position the bar can show is reachable.
#include "core/types.h"

struct GInputEvent;

// Key and wheel permissions of a view.
enum : u32 {
    ScrollHorizontal = 0x01,
    ScrollVertical = 0x02,
    CaretHorizontal = 0x04,
    CaretVertical = 0x08,
    FastHorizontal = 0x40,
    FastVertical = 0x80,
};

const i64 kThumbScale = 10000;

struct GScrollRange {
    i64 total = 0;
    i64 caret = 0;
    i64 origin = 0;
    i64 requestedOrigin = 0;
    i32 page = 0;
    i32 leadingInset = 0;
    i32 trailingInset = 0;
    i32 step = 1;

    i64 maxOrigin() const { return total - page > 0 ? total - page : 0; }
    i64 maxCaret() const { return total - step > 0 ? total - step : 0; }

    void setTotalAndStep(i64 total, i32 step);
    void setTotal(i64 total);
    void setPage(i32 page);
    void normalize();

    void setCaret(i64 v);
    void setOrigin(i64 v);
    void setPosition(i64 v);
    void ensureVisible(i64 v);
    void alignOrigin();
    void alignOriginToEnd();
    void keepCaretInView();

    void scrollBy(i64 n);
    void moveCaretBy(i64 n);
    void scrollPageUp();
    void scrollPageDown();
    void scrollThirdUp();
    void scrollThirdDown();
    void scrollToEnd();
    void toStart();
    void caretToPageTop();
    void caretToPageBottom();
    // A thumb position on the 0..10000 scale.
    void setThumb(i64 pos);

    // A scroll-bar request (low word of the message's wParam; thumbPos its signed high word).
    bool onScrollCode(u32 code, i32 thumbPos);

    // What scrolling with the copied pixels cannot show: the geometry changed or the origin moved
    // by more than a page.
    static bool needsFullRepaint(const GScrollRange& a, const GScrollRange& b);

private:
    i64 roundDown(i64 v) const { return step == 1 ? v : v / step * step; }
    void scrollPageBy(i64 distance, bool down);
};

// The mapping between a range and the 0..10000 scale of a native scroll bar.
i64 thumbSize(i64 total, i64 page);
i64 thumbFromOrigin(i64 total, i64 page, i64 origin);
i64 originFromThumb(i64 total, i64 page, i64 thumb);

// Keys and wheel over the two ranges of a view; true when handled.
bool scrollRangesOnKey(const GInputEvent& event, GScrollRange& horizontal, GScrollRange& vertical, u32 flags);
bool scrollRangesOnWheel(GScrollRange& horizontal, GScrollRange& vertical, i32 delta, bool isVertical, u32 flags);

// The hint shown once per run when Scroll Lock slows the keys; the toolkit installs it.
extern void (*scrollLockHint)();
