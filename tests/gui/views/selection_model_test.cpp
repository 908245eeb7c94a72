#include "gui/views/selection_model.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "gui/input/system_input.h"

namespace {

struct Span {
    i64 first, last;
};

// Ranges, count and that they are sorted, inside the rows, apart and summed by the count.
void expectInvariants(GMultiSelection& s, const std::string& where) {
    i64 sum = 0, previousLast = -2;
    for (const GMultiSelection::Range* r = s.firstNode(); r; r = r->higher) {
        EXPECT_LE(r->first, r->last) << where;
        EXPECT_GE(r->first, 0) << where;
        EXPECT_LT(r->last, s.length()) << where;
        EXPECT_GT(r->first, previousLast + 1) << where << ": ranges touch or overlap";
        if (r->higher) {
            EXPECT_EQ(r->higher->lower, r) << where;
        }
        previousLast = r->last;
        sum += r->last - r->first + 1;
    }
    EXPECT_EQ(sum, s.selectedCount()) << where;
}

std::vector<Span> rangesOf(GMultiSelection& s) {
    std::vector<Span> out;
    for (const GMultiSelection::Range* r = s.firstNode(); r; r = r->higher) out.push_back({r->first, r->last});
    return out;
}

std::string describe(const std::vector<Span>& spans) {
    std::string out;
    for (const Span& s : spans) out += "[" + std::to_string(s.first) + "," + std::to_string(s.last) + "]";
    return out;
}

// Keys held while a step runs.
bool shiftDown, ctrlDown;
SHORT fakeKeyState(int key) {
    if (key == VK_SHIFT) return shiftDown ? (SHORT)0x8000 : 0;
    if (key == VK_CONTROL) return ctrlDown ? (SHORT)0x8000 : 0;
    return 0;
}

struct KeySeam {
    KeySeam() {
        shiftDown = ctrlDown = false;
        systemInput.keyState = fakeKeyState;
    }
    ~KeySeam() { systemInput = systemInputDefaults; }
};

// A view whose navigation moves the caret position by a row per Up and Down, to the top with Home
// and to the last row with End; it records what the model tells it.
class FakeHost : public GSelectionHost {
public:
    i32 rowHeight = 10;
    i64 position = 0;  // vertical caret position
    i64 rows = 0;
    i64 scrolledTo = -2;
    std::vector<u32> notes;
    int repaints = 0, applied = 0;
    u32 navigatedModifiers = 0;

    i32 selectionRowHeight() override { return rowHeight; }
    void scrollToRow(i64 row) override {
        scrolledTo = row;
        position = row * rowHeight;
    }
    bool navigate(u32 kind, u32 key, u32 modifiers, i64* out) override {
        if (kind != 1) return false;
        navigatedModifiers = modifiers;
        i64 p = position;
        if (key == VK_UP) p -= rowHeight;
        else if (key == VK_DOWN) p += rowHeight;
        else if (key == VK_HOME) p = 0;
        else if (key == VK_END) p = (rows - 1) * rowHeight;
        else return false;
        if (p < 0) p = 0;
        pending = p;
        *out = p;
        return true;
    }
    void applyNavigation() override {
        position = pending;
        applied++;
    }
    void selectionNotify(u32 kind) override { notes.push_back(kind); }
    void repaintRows() override { repaints++; }

private:
    i64 pending = 0;
};

// One step of a sequence.
enum Op { Reset, Click, ShiftClick, CtrlClick, ShiftCtrlClick, Key, Toggle, Add, AddReplace, Remove, Append,
          Insert, SelectAll, Invert, ClearSel, MoveBy, SetSel, Only };

struct Step {
    Op op;
    i64 a = 0, b = 0;
};

struct Expect {
    std::vector<Span> ranges;
    i64 caret;
    i64 anchor;
};

struct SequenceCase {
    const char* name;
    std::vector<Step> steps;
    Expect expect;
};

void run(GMultiSelection& s, FakeHost& host, const Step& step) {
    shiftDown = step.op == ShiftClick || step.op == ShiftCtrlClick;
    ctrlDown = step.op == CtrlClick || step.op == ShiftCtrlClick;
    host.rows = s.length();
    host.position = s.caret() < 0 ? 0 : s.caret() * host.rowHeight;
    switch (step.op) {
    case Reset: s.reset(step.a, step.b); break;
    case Click:
    case ShiftClick:
    case CtrlClick:
    case ShiftCtrlClick: s.onClick(step.a, (i32)step.b, host); break;
    case Key: s.onKey(1, (u32)step.a, (u32)step.b, host); break;
    case Toggle: s.toggleRow(step.a); break;
    case Add: s.addRange(step.a, step.b, false); break;
    case AddReplace: s.addRange(step.a, step.b, true); break;
    case Remove: s.rowsRemoved(step.a, step.b); break;
    case Append: s.rowsAppended(step.a); break;
    case Insert: s.rowsInserted(step.a, step.b); break;
    case SelectAll: s.selectAll(); break;
    case Invert: s.invertSelection(); break;
    case ClearSel: s.clearSelection(); break;
    case MoveBy: s.moveBy(step.a); break;
    case SetSel: s.setSelected(step.a, step.b != 0); break;
    case Only: s.selectOnly(step.a); break;
    }
}

const i64 Big = (i64)1 << 40;

TEST(MultiSelection, SequencesGiveRangesCaretAndAnchor) {
    const SequenceCase cases[] = {
        {"reset to no rows", {{Reset, 10, 3}, {Reset, 0, 5}}, {{}, -1, -1}},
        {"append to the empty table selects row 0", {{Reset, 0, 5}, {Append, 5}}, {{{0, 0}}, 0, -1}},
        {"ctrl click joins two neighbours",
         {{Reset, 20, 4}, {CtrlClick, 6, 0}, {CtrlClick, 5, 0}},
         {{{4, 6}}, 5, -1}},
        {"ctrl click splits a range", {{Reset, 20, 0}, {AddReplace, 2, 8}, {CtrlClick, 5, 0}}, {{{2, 4}, {6, 8}}, 5, -1}},
        {"ctrl click clears a single row", {{Reset, 20, 3}, {CtrlClick, 3, 0}}, {{}, 3, -1}},
        {"shift click from the anchor replaces",
         {{Reset, 20, 10}, {Add, 15, 16}, {ShiftClick, 3, 0}},
         {{{3, 10}}, 3, 10}},
        {"shift ctrl click adds the span",
         {{Reset, 20, 10}, {Add, 15, 16}, {ShiftCtrlClick, 3, 0}},
         {{{3, 10}, {15, 16}}, 3, 10}},
        {"shift click inside the anchor's range shrinks it",
         {{Reset, 20, 2}, {ShiftClick, 9, 0}, {ShiftClick, 5, 0}},
         {{{2, 5}}, 5, 2}},
        {"add over two ranges", {{Reset, 20, 1}, {AddReplace, 1, 4}, {Add, 8, 12}, {Add, 3, 9}}, {{{1, 12}}, 1, -1}},
        {"add inside a range", {{Reset, 20, 1}, {AddReplace, 1, 9}, {Add, 3, 4}}, {{{1, 9}}, 1, -1}},
        {"add touching above and below",
         {{Reset, 20, 0}, {AddReplace, 1, 2}, {Add, 6, 7}, {Add, 3, 5}},
         {{{1, 7}}, 0, -1}},
        {"add swallowing ranges and cutting one",
         {{Reset, 30, 0}, {AddReplace, 2, 3}, {Add, 6, 7}, {Add, 10, 20}, {Add, 1, 12}},
         {{{1, 20}}, 0, -1}},
        {"toggle below the hint extends the lower neighbour",
         {{Reset, 30, 0}, {AddReplace, 2, 3}, {Add, 10, 12}, {Toggle, 4}, {Toggle, 9}, {Toggle, 6}},
         {{{2, 4}, {6, 6}, {9, 12}}, 0, -1}},
        {"remove inside a range", {{Reset, 10, 0}, {AddReplace, 0, 9}, {Remove, 2, 5}}, {{{0, 6}}, 0, -1}},
        {"remove everything clears", {{Reset, 10, 4}, {SelectAll}, {Remove, 0, 10}}, {{}, -1, -1}},
        {"ranges that come to touch merge",
         {{Reset, 10, 0}, {AddReplace, 0, 1}, {Add, 5, 9}, {Remove, 2, 5}},
         {{{0, 6}}, 0, -1}},
        {"a range cut at the removed rows merges with the one below",
         {{Reset, 20, 0}, {AddReplace, 0, 2}, {Add, 6, 12}, {Remove, 3, 8}},
         {{{0, 7}}, 0, -1}},
        {"caret in the removed rows goes to their start",
         {{Reset, 10, 7}, {Remove, 6, 10}},
         {{}, 5, -1}},
        {"remove below the selection shifts it",
         {{Reset, 10, 0}, {AddReplace, 5, 6}, {Toggle, 9}, {Remove, 1, 3}},
         {{{3, 4}, {7, 7}}, 0, -1}},
        {"insert splits the range", {{Reset, 20, 5}, {AddReplace, 2, 8}, {Insert, 5, 3}}, {{{2, 4}, {8, 11}}, 5, -1}},
        {"insert moves a caret after the point", {{Reset, 20, 6}, {AddReplace, 2, 8}, {Insert, 5, 3}}, {{{2, 4}, {8, 11}}, 9, -1}},
        {"insert in a gap shifts the ranges above",
         {{Reset, 20, 0}, {AddReplace, 1, 2}, {Add, 8, 9}, {Insert, 5, 2}},
         {{{1, 2}, {10, 11}}, 0, -1}},
        {"insert at a range's first row moves it whole",
         {{Reset, 20, 0}, {AddReplace, 4, 6}, {Insert, 4, 1}},
         {{{5, 7}}, 0, -1}},
        {"invert", {{Reset, 8, 0}, {AddReplace, 0, 2}, {Toggle, 5}, {Invert}}, {{{3, 4}, {6, 7}}, 0, -1}},
        {"invert with a gap at the start", {{Reset, 8, 0}, {AddReplace, 2, 3}, {Invert}}, {{{0, 1}, {4, 7}}, 0, -1}},
        {"invert nothing selects all", {{Reset, 8, 0}, {ClearSel}, {Invert}}, {{{0, 7}}, 0, -1}},
        {"invert everything clears", {{Reset, 8, 0}, {SelectAll}, {Invert}}, {{}, 0, -1}},
        {"move up against row 0 moves the caret only", {{Reset, 10, 3}, {AddReplace, 0, 2}, {MoveBy, -1}}, {{{0, 2}}, 2, -1}},
        {"move down", {{Reset, 10, 3}, {AddReplace, 1, 2}, {Toggle, 5}, {MoveBy, 2}}, {{{3, 4}, {7, 7}}, 5, -1}},
        {"move past the end keeps the ranges", {{Reset, 10, 3}, {AddReplace, 7, 9}, {MoveBy, 1}}, {{{7, 9}}, 4, -1}},
        {"set selected ignores rows outside", {{Reset, 5, 0}, {SetSel, 7, 1}, {SetSel, -1, 1}, {SetSel, 0, 0}}, {{}, 0, -1}},
        {"select only clamps to the last row", {{Reset, 5, 0}, {Only, 9}}, {{{4, 4}}, 4, -1}},
        {"plain click selects only the row", {{Reset, 20, 0}, {AddReplace, 3, 9}, {Click, 12, 1}}, {{{12, 12}}, 12, -1}},
        {"key down moves the single selection", {{Reset, 20, 4}, {Key, VK_DOWN, 0}}, {{{5, 5}}, 5, -1}},
        {"shift down extends from the anchor",
         {{Reset, 20, 4}, {Key, VK_DOWN, 1}, {Key, VK_DOWN, 1}},
         {{{4, 6}}, 6, 4}},
        {"ctrl down moves the caret and anchor only",
         {{Reset, 20, 4}, {Key, VK_DOWN, 2}, {Key, VK_DOWN, 2}},
         {{{4, 4}}, 6, 6}},
        {"ctrl space toggles the caret row", {{Reset, 20, 4}, {Key, VK_DOWN, 2}, {Key, VK_SPACE, 2}}, {{{4, 5}}, 5, 5}},
        {"rows near 2^40",
         {{Reset, Big + 10, Big}, {ShiftClick, Big + 5, 0}, {Toggle, Big + 2}, {Remove, 0, 1}},
         {{{Big - 1, Big + 0}, {Big + 2, Big + 4}}, Big + 4, Big - 1}},
        {"select all of 2^40 rows is one range", {{Reset, Big, 0}, {SelectAll}}, {{{0, Big - 1}}, 0, -1}},
    };
    KeySeam keys;
    for (const SequenceCase& c : cases) {
        GMultiSelection s;
        FakeHost host;
        int index = 0;
        for (const Step& step : c.steps) {
            run(s, host, step);
            expectInvariants(s, std::string(c.name) + " step " + std::to_string(index++));
        }
        EXPECT_EQ(describe(rangesOf(s)), describe(c.expect.ranges)) << c.name;
        EXPECT_EQ(s.caret(), c.expect.caret) << c.name;
        EXPECT_EQ(s.anchorRow(), c.expect.anchor) << c.name;
    }
}

TEST(MultiSelection, QueriesWalkTheRanges) {
    GMultiSelection s;
    s.reset(20, 0);
    s.addRange(2, 4, true);
    s.addRange(8, 8, false);
    s.addRange(12, 15, false);
    EXPECT_EQ(s.selectedCount(), 8);
    EXPECT_EQ(s.firstSelected(), 2);
    EXPECT_EQ(s.lastSelected(), 15);
    std::vector<i64> forward, backward;
    for (i64 row = s.nextSelected(-1); row >= 0; row = s.nextSelected(row)) forward.push_back(row);
    for (i64 row = s.previousSelected(-1); row >= 0; row = s.previousSelected(row)) backward.push_back(row);
    EXPECT_EQ(forward, (std::vector<i64>{2, 3, 4, 8, 12, 13, 14, 15}));
    EXPECT_EQ(backward, (std::vector<i64>{15, 14, 13, 12, 8, 4, 3, 2}));
    EXPECT_EQ(s.nextSelected(6), 8);  // from an unselected row
    EXPECT_EQ(s.previousSelected(11), 8);

    i64 first = -1, end = 0;
    std::vector<Span> up, down;
    while (s.nextRange(&first, &end)) up.push_back({first, end});
    first = -1;
    while (s.previousRange(&first, &end)) down.push_back({first, end});
    EXPECT_EQ(describe(up), "[2,5][8,9][12,16]");
    EXPECT_EQ(describe(down), "[12,16][8,9][2,5]");
    first = 6;  // no range holds it
    EXPECT_FALSE(s.nextRange(&first, &end));
}

TEST(MultiSelection, ClickAndKeyTellTheView) {
    KeySeam keys;
    GMultiSelection s;
    FakeHost host;
    s.reset(30, 0);
    host.rows = 30;
    EXPECT_TRUE(s.onClick(7, 2, host));
    EXPECT_EQ(host.scrolledTo, 7);
    EXPECT_EQ(host.notes, (std::vector<u32>{SelectionChanged, SelectionCaretMoved}));
    EXPECT_EQ(s.column(), 2);
    host.notes.clear();
    EXPECT_FALSE(s.onClick(7, 2, host));  // the only selected row again
    EXPECT_TRUE(host.notes.empty());
    EXPECT_TRUE(s.onClick(7, 3, host));  // same row, another column

    // Shift is taken out of the navigation's copy; Ctrl too except for Home, End, Left and Right.
    host.position = 70;
    s.onKey(1, VK_DOWN, 3, host);
    EXPECT_EQ(host.navigatedModifiers, 0u);
    s.onKey(1, VK_HOME, 3, host);
    EXPECT_EQ(host.navigatedModifiers, 2u);
    EXPECT_EQ(host.applied, 2);

    // Space without a caret is taken and changes nothing.
    GMultiSelection empty;
    EXPECT_TRUE(empty.onKey(1, VK_SPACE, 0, host));
    EXPECT_EQ(empty.selectedCount(), 0);
    // Keys the navigation refuses are refused; Shift+Space is not a toggle.
    EXPECT_FALSE(s.onKey(1, 'A', 0, host));
    EXPECT_FALSE(s.onKey(1, VK_SPACE, 1, host));
}

TEST(MultiSelection, SaveAndLoad) {
    GMultiSelection s;
    s.reset(10, 7);
    s.addRange(1, 2, true);
    s.toggleRow(7);
    GBag bag;
    s.save(bag);
    const i64 written[] = {7, 1, 2, 7, 7, -1};
    ASSERT_EQ(bag.size, sizeof written);
    EXPECT_EQ(memcmp(bag.data, written, sizeof written), 0);

    GMultiSelection back;
    back.reset(10, 0);
    bag.pos = 0;
    back.load(bag);
    EXPECT_EQ(describe(rangesOf(back)), "[1,2][7,7]");
    EXPECT_EQ(back.selectedCount(), 3);
    EXPECT_EQ(back.caret(), 7);
}

TEST(MultiSelection, LoadMendsABadBag) {
    struct Case {
        const char* name;
        std::vector<i64> values;
        i64 length;
        const char* ranges;
        i64 caret;
        bool throws;
    };
    const Case cases[] = {
        {"pairs past the rows are clamped or dropped", {3, 2, 20, 40, 50, -1}, 10, "[2,9]", 3, false},
        {"unordered and empty pairs are dropped", {0, 5, 3, 6, 6, -1}, 10, "[6,6]", 0, false},
        {"overlapping pairs are dropped", {0, 2, 6, 4, 8, -1}, 10, "[2,6]", 0, false},
        {"touching pairs merge", {0, 1, 2, 3, 4, 7, 7, -1}, 10, "[1,4][7,7]", 0, false},
        {"a caret past the rows is clamped", {99, -1}, 10, "", 9, false},
        {"a bag without the terminator throws", {0, 1, 2, 5, 6}, 10, "[1,2][5,6]", 0, true},
        {"a bag ending inside a pair throws", {0, 1, 2, 5}, 10, "[1,2]", 0, true},
    };
    for (const Case& c : cases) {
        GMultiSelection s;
        s.reset(c.length, 0);
        s.addRange(0, 0, true);
        GBag bag;
        for (i64 v : c.values) bagWriteValue(bag, v);
        bag.pos = 0;
        bool threw = false;
        try {
            s.load(bag);
        } catch (const GBagException&) {
            threw = true;
        }
        EXPECT_EQ(threw, c.throws) << c.name;
        EXPECT_EQ(describe(rangesOf(s)), c.ranges) << c.name;
        EXPECT_EQ(s.caret(), c.caret) << c.name;
        expectInvariants(s, c.name);
    }
}

TEST(SingleSelection, CaretIsTheSelection) {
    GSingleSelection s;
    s.reset(0, 4);
    EXPECT_EQ(s.caret(), -1);
    s.rowsAppended(5);
    EXPECT_EQ(s.caret(), 0);
    s.reset(5, 9);
    EXPECT_EQ(s.caret(), 4);
    s.reset(5, -1);
    EXPECT_EQ(s.caret(), 4);  // a negative caret row keeps the caret
    EXPECT_TRUE(s.isSelected(4));
    EXPECT_EQ(s.selectedCount(), 1);

    s.rowsInserted(2, 3);
    EXPECT_EQ(s.caret(), 7);
    s.rowsRemoved(1, 3);  // below the caret
    EXPECT_EQ(s.caret(), 5);
    s.rowsRemoved(4, 6);  // caret inside, and its start is now the end: the last row
    EXPECT_EQ(s.length(), 4);
    EXPECT_EQ(s.caret(), 3);
    s.moveBy(-10);
    EXPECT_EQ(s.caret(), 0);
    s.moveBy(10);
    EXPECT_EQ(s.caret(), 3);

    i64 first = 0, end = 0;
    EXPECT_TRUE(s.firstRange(&first, &end));
    EXPECT_EQ(first, 3);
    EXPECT_EQ(end, 4);
    first = 3;
    EXPECT_FALSE(s.nextRange(&first, &end));
    EXPECT_EQ(s.nextSelected(-1), 3);
    EXPECT_EQ(s.nextSelected(3), -1);

    GBag bag;
    s.save(bag);
    EXPECT_EQ(bag.size, 8u);
    GSingleSelection back;
    back.reset(2, 0);
    bag.pos = 0;
    back.load(bag);
    EXPECT_EQ(back.caret(), 1);  // clamped to the rows it has

    for (auto op : {&GSelectionModel::selectAll, &GSelectionModel::clearSelection, &GSelectionModel::invertSelection})
        EXPECT_THROW((s.*op)(), int);
}

TEST(SingleSelection, ClickAndKey) {
    GSingleSelection s;
    FakeHost host;
    s.reset(10, 2);
    host.rows = 10;
    EXPECT_FALSE(s.onClick(2, 0, host));
    EXPECT_TRUE(s.onClick(20, 1, host));
    EXPECT_EQ(s.caret(), 9);
    EXPECT_EQ(s.column(), 1);
    EXPECT_EQ(host.notes, (std::vector<u32>{SelectionChanged, SelectionCaretMoved}));
    host.notes.clear();
    host.position = 90;
    EXPECT_TRUE(s.onKey(1, VK_UP, 1, host));  // Shift has no meaning here
    EXPECT_EQ(s.caret(), 8);
    EXPECT_EQ(host.notes, (std::vector<u32>{SelectionChanged, SelectionCaretMoved}));
    host.notes.clear();
    host.position = 0;
    s.reset(10, 0);
    EXPECT_TRUE(s.onKey(1, VK_UP, 0, host));  // at the top: handled, nothing told
    EXPECT_TRUE(host.notes.empty());
}

}  // namespace
