#pragma once
// Row selection models: the caret row, the caret column and the selected rows of a table over
// 64-bit rows (-1: no row). A table makes one when it is made and deletes it with itself. The
// multi model keeps its selected rows as heap range nodes it owns; a hint makes row-by-row queries
// cost a step or two.
#include "core/bag.h"
#include "core/types.h"

// What a selection model asks of the view it selects in.
class GSelectionHost {
public:
    virtual ~GSelectionHost() = default;
    virtual i32 selectionRowHeight() = 0;
    // Makes the row the vertical caret and scrolls it into view, through the scroll-bar update.
    virtual void scrollToRow(i64 row) = 0;
    // Runs the keyboard navigation on copies of the view's ranges; the vertical caret position of
    // the copies. False when the key is not navigation.
    virtual bool navigate(u32 kind, u32 key, u32 modifiers, i64* position) = 0;
    // Applies the copies of the last navigate through the scroll-bar update.
    virtual void applyNavigation() = 0;
    // Notification kinds: 4 selection changed, 3 caret moved (pending bits under the redraw lock).
    virtual void selectionNotify(u32 kind) = 0;
    virtual void repaintRows() = 0;
};

enum : u32 { SelectionCaretMoved = 3, SelectionChanged = 4 };

class GSelectionModel {
public:
    GSelectionModel() = default;
    GSelectionModel(const GSelectionModel&) = delete;
    GSelectionModel& operator=(const GSelectionModel&) = delete;
    virtual ~GSelectionModel() = default;

    virtual bool isSelected(i64 row) = 0;
    virtual i64 caret() { return caretRow; }
    // Rows above the last become the last; -1 (no caret) is kept.
    virtual void setCaret(i64 row);
    virtual void selectOnly(i64 row) { setCaret(row); }
    virtual void reset(i64 length, i64 caretRow) { rows = length; (void)caretRow; }
    virtual bool onClick(i64 /*row*/, i32 /*column*/, GSelectionHost& /*host*/) { return false; }
    // A key event: kind 1 is a key down; modifier bit 0 Shift, bit 1 Ctrl, bit 2 Alt.
    virtual bool onKey(u32 /*kind*/, u32 /*key*/, u32 /*modifiers*/, GSelectionHost& /*host*/) { return false; }
    virtual void clear() = 0;
    // Rows [from, to) are gone.
    virtual void rowsRemoved(i64 from, i64 to) = 0;
    virtual void rowsAppended(i64 n) { rows += n; }
    virtual void rowsInserted(i64 at, i64 n) = 0;
    // Unsupported here: each throws an integer 0.
    virtual void selectAll();
    virtual void clearSelection();
    virtual void invertSelection();
    virtual void setColumn(i32 column) { caretColumn = column; }
    virtual i32 column() { return caretColumn; }
    virtual void setSelected(i64 row, bool selected) = 0;
    virtual i64 firstSelected() = 0;
    virtual i64 lastSelected() = 0;
    virtual i64 nextSelected(i64 row) = 0;
    virtual i64 previousSelected(i64 row) = 0;
    virtual i64 selectedCount() = 0;
    // Ranges as [first, end); false when there is none.
    virtual bool firstRange(i64* first, i64* end) = 0;
    virtual bool lastRange(i64* first, i64* end) = 0;
    // first names a row of the current range (negative: start from the first or last range).
    virtual bool nextRange(i64* first, i64* end) = 0;
    virtual bool previousRange(i64* first, i64* end) = 0;
    virtual void moveBy(i64 delta) = 0;
    virtual void save(GBag& bag) = 0;
    virtual void load(GBag& bag) = 0;

    virtual bool isMulti() const { return false; }
    i64 length() const { return rows; }

protected:
    i64 rows = 0;
    i32 caretColumn = 0;
    i64 caretRow = -1;
};

// The caret row is the selection.
class GSingleSelection : public GSelectionModel {
public:
    bool isSelected(i64 row) override { return row >= 0 && row == caretRow; }
    void reset(i64 length, i64 caretRow) override;
    bool onClick(i64 row, i32 column, GSelectionHost& host) override;
    bool onKey(u32 kind, u32 key, u32 modifiers, GSelectionHost& host) override;
    void clear() override;
    void rowsRemoved(i64 from, i64 to) override;
    void rowsAppended(i64 n) override;
    void rowsInserted(i64 at, i64 n) override;
    void setSelected(i64, bool) override { throw 0; }
    i64 firstSelected() override { return caretRow; }
    i64 lastSelected() override { return caretRow; }
    i64 nextSelected(i64 row) override { return row < 0 ? caretRow : -1; }
    i64 previousSelected(i64 row) override { return row < 0 ? caretRow : -1; }
    i64 selectedCount() override { return caretRow >= 0 ? 1 : 0; }
    bool firstRange(i64* first, i64* end) override;
    bool lastRange(i64* first, i64* end) override { return firstRange(first, end); }
    bool nextRange(i64* first, i64* end) override { return *first < 0 && firstRange(first, end); }
    bool previousRange(i64* first, i64* end) override { return *first < 0 && lastRange(first, end); }
    void moveBy(i64 delta) override;
    void save(GBag& bag) override;
    // The caret, clamped to the rows.
    void load(GBag& bag) override;
};

// Any set of rows, as disjoint ascending ranges that never touch, with an anchor for Shift.
class GMultiSelection : public GSelectionModel {
public:
    // One selected range, both ends inclusive.
    struct Range {
        Range* lower = nullptr;
        Range* higher = nullptr;
        i64 first = 0;
        i64 last = 0;
    };

    ~GMultiSelection() override { deleteRanges(); }

    bool isSelected(i64 row) override { return findRange(row) != nullptr; }
    void selectOnly(i64 row) override;
    void reset(i64 length, i64 caretRow) override;
    bool onClick(i64 row, i32 column, GSelectionHost& host) override;
    bool onKey(u32 kind, u32 key, u32 modifiers, GSelectionHost& host) override;
    void clear() override;
    // Ranges that come to touch across the removed rows are merged.
    void rowsRemoved(i64 from, i64 to) override;
    void rowsAppended(i64 n) override;
    void rowsInserted(i64 at, i64 n) override;
    void selectAll() override;
    void clearSelection() override;
    void invertSelection() override;
    void setSelected(i64 row, bool selected) override;
    i64 firstSelected() override { return count ? lowest->first : -1; }
    i64 lastSelected() override { return count ? highest->last : -1; }
    i64 nextSelected(i64 row) override;
    i64 previousSelected(i64 row) override;
    i64 selectedCount() override { return count; }
    bool firstRange(i64* first, i64* end) override { return give(lowest, first, end); }
    bool lastRange(i64* first, i64* end) override { return give(highest, first, end); }
    bool nextRange(i64* first, i64* end) override;
    bool previousRange(i64* first, i64* end) override;
    void moveBy(i64 delta) override;
    // The caret, each range's first and last, then -1.
    void save(GBag& bag) override;
    // Pairs outside the rows are clamped or dropped, empty, unordered and overlapping ones dropped,
    // touching ones merged. A bag that ends before the terminator throws GBagException and leaves
    // the ranges read so far.
    void load(GBag& bag) override;

    bool isMulti() const override { return true; }
    i64 anchorRow() const { return anchor; }
    const Range* firstNode() const { return lowest; }

    // The range holding the row, or null; the search starts at the hint and leaves it there.
    Range* findRange(i64 row);
    void toggleRow(i64 row);
    // first <= last; replace drops everything else first.
    void addRange(i64 first, i64 last, bool replace);
    // Shift-extension from the anchor to the row; ctrl adds the span instead of replacing.
    bool extendTo(i32 column, i64 row, bool ctrl);

private:
    static bool give(const Range* range, i64* first, i64* end);
    // The highest range beginning at or below the row, or null; moves the hint there.
    Range* atOrBelow(i64 row);
    // Places [first, last], which overlaps no range, merging it with neighbours it touches.
    void placeRange(i64 first, i64 last);
    Range* insertAfter(Range* lower, i64 first, i64 last);
    void unlink(Range* range);
    // Joins the range with its higher neighbour when they touch.
    void mergeUp(Range* range);
    void deleteRanges();
    void afterSelectionInput(GSelectionHost& host);

    i64 anchor = -1;
    Range* lowest = nullptr;
    Range* highest = nullptr;
    Range* hint = nullptr;
    i64 count = 0;
};
