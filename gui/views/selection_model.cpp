#include "gui/views/selection_model.h"

#include <windows.h>

#include "gui/input/system_input.h"

namespace {
const u32 keyDownKind = 1;
const u32 shiftBit = 1, ctrlBit = 2, altBit = 4;

bool keyHeld(int key) { return (systemInput.keyState(key) & 0x8000) != 0; }

i64 clampToLast(i64 row, i64 length) { return row > length - 1 ? length - 1 : row; }

// A row after rows [from, to) were removed from a table now `length` long.
i64 rowAfterRemoval(i64 row, i64 from, i64 to, i64 length) {
    if (row >= to) return row - (to - from);
    if (row >= from) return from >= length ? length - 1 : from;
    return row;
}

// The key copy that the navigation sees: Shift always removed; Ctrl kept for Home, End, Left and
// Right only. Whether another key's Ctrl was removed goes to ctrlRemoved.
u32 navigationModifiers(u32 key, u32 modifiers, bool* ctrlRemoved) {
    modifiers &= ~shiftBit;
    *ctrlRemoved = false;
    if (key != VK_HOME && key != VK_END && key != VK_LEFT && key != VK_RIGHT && (modifiers & ctrlBit)) {
        modifiers &= ~ctrlBit;
        *ctrlRemoved = true;
    }
    return modifiers;
}

// The navigated caret row, clamped to the rows; false when the key is not navigation.
bool navigatedRow(GSelectionHost& host, u32 kind, u32 key, u32 modifiers, i64 length, i64* row) {
    i64 position = 0;
    if (!host.navigate(kind, key, modifiers, &position)) return false;
    i32 height = host.selectionRowHeight();
    *row = clampToLast(height > 0 ? position / height : position, length);
    return true;
}
}  // namespace

void GSelectionModel::setCaret(i64 row) { caretRow = rows <= 0 ? -1 : clampToLast(row, rows); }

void GSelectionModel::selectAll() { throw 0; }
void GSelectionModel::clearSelection() { throw 0; }
void GSelectionModel::invertSelection() { throw 0; }

// ---- single ----

void GSingleSelection::reset(i64 length, i64 caret) {
    rows = length;
    if (length <= 0) {
        caretRow = -1;
        return;
    }
    if (caret >= 0) caretRow = caret;
    if (caretRow < 0) caretRow = 0;
    if (caretRow >= length) caretRow = length - 1;
}

bool GSingleSelection::onClick(i64 row, i32 column, GSelectionHost& host) {
    if (row == caretRow) return false;
    caretRow = clampToLast(row, rows);
    caretColumn = column;
    host.scrollToRow(caretRow);
    host.selectionNotify(SelectionChanged);
    host.selectionNotify(SelectionCaretMoved);
    return true;
}

bool GSingleSelection::onKey(u32 kind, u32 key, u32 modifiers, GSelectionHost& host) {
    bool ctrlRemoved;
    u32 navModifiers = navigationModifiers(key, modifiers, &ctrlRemoved);
    i64 row;
    if (!navigatedRow(host, kind, key, navModifiers, rows, &row)) return false;
    if (row != caretRow) {
        caretRow = row;
        host.selectionNotify(SelectionChanged);
        host.selectionNotify(SelectionCaretMoved);
    }
    host.applyNavigation();
    return true;
}

void GSingleSelection::clear() {
    caretRow = -1;
    rows = 0;
}

void GSingleSelection::rowsRemoved(i64 from, i64 to) {
    rows -= to - from;
    if (caretRow >= 0) caretRow = rowAfterRemoval(caretRow, from, to, rows);
}

void GSingleSelection::rowsAppended(i64 n) {
    rows += n;
    if (n > 0 && rows == n) caretRow = 0;
}

void GSingleSelection::rowsInserted(i64 at, i64 n) {
    if (caretRow > at) caretRow += n;
    rows += n;
    if (n > 0 && rows == n) caretRow = 0;
}

bool GSingleSelection::firstRange(i64* first, i64* end) {
    *first = caretRow;
    *end = caretRow + 1;
    return caretRow >= 0;
}

void GSingleSelection::moveBy(i64 delta) {
    caretRow += delta;
    if (caretRow < 0) caretRow = 0;
    if (caretRow > rows - 1) caretRow = rows - 1;
}

void GSingleSelection::save(GBag& bag) { bagWriteValue(bag, caretRow); }

void GSingleSelection::load(GBag& bag) {
    i64 caret;
    bagReadValue(bag, &caret);
    caretRow = caret < 0 ? -1 : caret;
    setCaret(caretRow);
}

// ---- multi: the range list ----

bool GMultiSelection::give(const Range* range, i64* first, i64* end) {
    if (!range) return false;
    *first = range->first;
    *end = range->last + 1;
    return true;
}

GMultiSelection::Range* GMultiSelection::atOrBelow(i64 row) {
    Range* range = hint ? hint : lowest;
    while (range && range->first > row) range = range->lower;
    if (!range) {
        hint = lowest;
        return nullptr;
    }
    while (range->higher && range->higher->first <= row) range = range->higher;
    hint = range;
    return range;
}

GMultiSelection::Range* GMultiSelection::findRange(i64 row) {
    Range* range = atOrBelow(row);
    return range && row <= range->last ? range : nullptr;
}

GMultiSelection::Range* GMultiSelection::insertAfter(Range* lower, i64 first, i64 last) {
    Range* range = new Range;
    range->first = first;
    range->last = last;
    range->lower = lower;
    range->higher = lower ? lower->higher : lowest;
    if (range->higher)
        range->higher->lower = range;
    else
        highest = range;
    if (lower)
        lower->higher = range;
    else
        lowest = range;
    hint = range;
    return range;
}

void GMultiSelection::unlink(Range* range) {
    if (range->lower)
        range->lower->higher = range->higher;
    else
        lowest = range->higher;
    if (range->higher)
        range->higher->lower = range->lower;
    else
        highest = range->lower;
    if (hint == range) hint = range->lower ? range->lower : range->higher;
    delete range;
}

void GMultiSelection::mergeUp(Range* range) {
    Range* higher = range ? range->higher : nullptr;
    if (!higher || range->last + 1 != higher->first) return;
    range->last = higher->last;
    unlink(higher);
    hint = range;
}

void GMultiSelection::deleteRanges() {
    while (lowest) {
        Range* next = lowest->higher;
        delete lowest;
        lowest = next;
    }
    highest = hint = nullptr;
    count = 0;
}

void GMultiSelection::placeRange(i64 first, i64 last) {
    Range* lower = atOrBelow(first);
    Range* higher = lower ? lower->higher : lowest;
    count += last - first + 1;
    if (lower && lower->last + 1 == first) {
        lower->last = last;
        mergeUp(lower);
        hint = lower;
    } else if (higher && higher->first == last + 1) {
        higher->first = first;
        hint = higher;
    } else {
        insertAfter(lower, first, last);
    }
}

void GMultiSelection::toggleRow(i64 row) {
    Range* range = findRange(row);
    if (!range) {
        placeRange(row, row);
        return;
    }
    --count;
    if (range->first == row && range->last == row) {
        unlink(range);
    } else if (row == range->first) {
        range->first++;
    } else if (row == range->last) {
        range->last--;
    } else {
        i64 last = range->last;
        range->last = row - 1;
        insertAfter(range, row + 1, last);
    }
}

void GMultiSelection::addRange(i64 first, i64 last, bool replace) {
    if (first > last) return;
    if (replace) {
        deleteRanges();
        insertAfter(nullptr, first, last);
        count = last - first + 1;
        return;
    }
    Range* range = atOrBelow(first);
    if (!range) range = lowest;
    while (range) {
        Range* higher = range->higher;
        if (range->last < first) {
            range = higher;
            continue;
        }
        if (range->first > last) break;
        if (range->first >= first && range->last <= last) {
            count -= range->last - range->first + 1;
            unlink(range);
        } else if (range->first >= first) {
            count -= last - range->first + 1;
            range->first = last + 1;
            break;
        } else if (range->last >= last) {
            hint = range;
            return;
        } else {
            count -= range->last - first + 1;
            range->last = first - 1;
        }
        range = higher;
    }
    placeRange(first, last);
}

bool GMultiSelection::extendTo(i32 column, i64 row, bool ctrl) {
    if (row == caretRow && column == caretColumn) return false;
    caretColumn = column;
    if (anchor < 0) anchor = caretRow < 0 ? row : caretRow;
    i64 low = anchor < row ? anchor : row;
    i64 high = anchor < row ? row : anchor;
    Range* range = findRange(row);
    if (range && anchor >= range->first && anchor <= range->last) {
        count -= (range->last - range->first) - (high - low);
        range->first = low;
        range->last = high;
    } else {
        addRange(low, high, !ctrl);
    }
    caretRow = row;
    return true;
}

// ---- multi: operations ----

void GMultiSelection::selectOnly(i64 row) {
    i64 clamped = clampToLast(row, rows);
    caretRow = clamped < 0 ? -1 : clamped;
    anchor = -1;
    deleteRanges();
    if (clamped >= 0) addRange(clamped, clamped, true);
}

void GMultiSelection::reset(i64 length, i64 caret) {
    rows = length;
    if (length <= 0) {
        selectOnly(-1);
        return;
    }
    i64 row = caret >= 0 ? caret : caretRow;
    selectOnly(row < 0 ? 0 : row);
}

void GMultiSelection::afterSelectionInput(GSelectionHost& host) {
    host.scrollToRow(caretRow);
    host.selectionNotify(SelectionChanged);
    host.selectionNotify(SelectionCaretMoved);
}

bool GMultiSelection::onClick(i64 row, i32 column, GSelectionHost& host) {
    if (keyHeld(VK_SHIFT)) {
        if (!extendTo(column, row, keyHeld(VK_CONTROL))) return false;
    } else if (keyHeld(VK_CONTROL)) {
        anchor = -1;
        toggleRow(row);
        caretRow = row;
        caretColumn = column;
    } else {
        if (count == 1 && caretRow == row && lowest->first == row && column == caretColumn) return false;
        caretColumn = column;
        selectOnly(row);
    }
    afterSelectionInput(host);
    return true;
}

bool GMultiSelection::onKey(u32 kind, u32 key, u32 modifiers, GSelectionHost& host) {
    u32 held = modifiers & (shiftBit | ctrlBit | altBit);
    if (kind == keyDownKind && key == VK_SPACE && (held == 0 || held == ctrlBit)) {
        if (caretRow >= 0) {
            toggleRow(caretRow);
            host.repaintRows();
            host.selectionNotify(SelectionChanged);
        }
        return true;
    }
    bool ctrl;
    u32 navModifiers = navigationModifiers(key, modifiers, &ctrl);
    i64 row;
    if (!navigatedRow(host, kind, key, navModifiers, rows, &row)) return false;
    i64 oldCaret = caretRow;
    if (modifiers & shiftBit) {
        if (extendTo(caretColumn, row, false)) host.selectionNotify(SelectionChanged);
    } else if (ctrl) {
        caretRow = anchor = row;
    } else {
        if (!(count == 1 && caretRow == row && lowest->first == row)) selectOnly(row);
        host.selectionNotify(SelectionChanged);
    }
    if (caretRow != oldCaret) host.selectionNotify(SelectionCaretMoved);
    host.applyNavigation();
    return true;
}

void GMultiSelection::clear() {
    deleteRanges();
    rows = 0;
    caretRow = anchor = -1;
}

void GMultiSelection::rowsRemoved(i64 from, i64 to) {
    if (from == 0 && to == rows) {
        clear();
        return;
    }
    i64 n = to - from;
    rows -= n;
    if (caretRow >= 0) caretRow = rowAfterRemoval(caretRow, from, to, rows);
    if (anchor >= 0) anchor = rowAfterRemoval(anchor, from, to, rows);
    Range* below = nullptr;  // the last range that ends below the removed rows
    for (Range* range = lowest; range;) {
        Range* higher = range->higher;
        if (range->last < from) {
            below = range;
        } else if (range->first >= to) {
            range->first -= n;
            range->last -= n;
        } else if (range->first >= from) {
            if (range->last < to) {
                count -= range->last - range->first + 1;
                unlink(range);
            } else {
                count -= to - range->first;
                range->first = from;
                range->last -= n;
            }
        } else if (range->last >= to - 1) {
            range->last -= n;
            count -= n;
        } else {
            count -= range->last - from + 1;
            range->last = from - 1;
            below = range;
        }
        range = higher;
    }
    mergeUp(below);
}

void GMultiSelection::rowsAppended(i64 n) {
    rows += n;
    if (n > 0 && rows == n) selectOnly(0);
}

void GMultiSelection::rowsInserted(i64 at, i64 n) {
    if (caretRow > at) caretRow += n;
    rows += n;
    if (n > 0 && rows == n) {
        selectOnly(0);
        return;
    }
    if (!count || n <= 0) return;
    Range* below = atOrBelow(at);
    Range* start = below ? below->higher : lowest;
    if (below && at <= below->last) {
        start = below;
        if (below->first < at) {
            i64 last = below->last;
            below->last = at - 1;
            start = insertAfter(below, at, last);
        }
    }
    for (Range* range = start; range; range = range->higher) {
        range->first += n;
        range->last += n;
    }
}

void GMultiSelection::selectAll() {
    if (rows <= 0) {
        clearSelection();
        return;
    }
    addRange(0, rows - 1, true);
}

void GMultiSelection::clearSelection() { deleteRanges(); }

void GMultiSelection::invertSelection() {
    if (!count) {
        selectAll();
        return;
    }
    if (count >= rows) {
        clearSelection();
        return;
    }
    i64 gapStart = 0;
    if (lowest->first == 0) {
        gapStart = lowest->last + 1;
        unlink(lowest);
    }
    for (Range* range = lowest; range; range = range->higher) {
        i64 nextGap = range->last + 1;
        range->last = range->first - 1;
        range->first = gapStart;
        gapStart = nextGap;
    }
    if (gapStart <= rows - 1) insertAfter(highest, gapStart, rows - 1);
    count = rows - count;
    hint = lowest;
}

void GMultiSelection::setSelected(i64 row, bool selected) {
    if (row < 0 || row >= rows) return;
    if (isSelected(row) != selected) toggleRow(row);
}

i64 GMultiSelection::nextSelected(i64 row) {
    if (row < 0) return firstSelected();
    Range* range = atOrBelow(row);
    if (range && row + 1 <= range->last) return row + 1;
    Range* higher = range ? range->higher : lowest;
    return higher ? higher->first : -1;
}

i64 GMultiSelection::previousSelected(i64 row) {
    if (row < 0) return lastSelected();
    Range* range = atOrBelow(row - 1);
    if (!range) return -1;
    return range->last < row - 1 ? range->last : row - 1;
}

bool GMultiSelection::nextRange(i64* first, i64* end) {
    if (*first < 0) return firstRange(first, end);
    Range* range = findRange(*first);
    return range && give(range->higher, first, end);
}

bool GMultiSelection::previousRange(i64* first, i64* end) {
    if (*first < 0) return lastRange(first, end);
    Range* range = findRange(*first);
    return range && give(range->lower, first, end);
}

void GMultiSelection::moveBy(i64 delta) {
    if (rows <= 0) return;
    caretRow += delta;
    if (caretRow < 0) caretRow = 0;
    if (caretRow > rows - 1) caretRow = rows - 1;
    if (!count) return;
    if (delta <= 0 ? lowest->first + delta < 0 : highest->last + delta >= rows) return;
    for (Range* range = lowest; range; range = range->higher) {
        range->first += delta;
        range->last += delta;
    }
}

void GMultiSelection::save(GBag& bag) {
    bagWriteValue(bag, caretRow);
    for (Range* range = lowest; range; range = range->higher) {
        bagWriteValue(bag, range->first);
        bagWriteValue(bag, range->last);
    }
    bagWriteValue(bag, (i64)-1);
}

void GMultiSelection::load(GBag& bag) {
    anchor = -1;
    i64 caret;
    bagReadValue(bag, &caret);
    setCaret(caret < 0 ? -1 : caret);
    deleteRanges();
    for (;;) {
        i64 first, last;
        bagReadValue(bag, &first);
        if (first < 0) break;
        bagReadValue(bag, &last);
        if (last > rows - 1) last = rows - 1;
        if (last < first) continue;
        if (highest && first <= highest->last) continue;
        if (highest && first == highest->last + 1) {
            highest->last = last;
            count += last - first + 1;
        } else {
            insertAfter(highest, first, last);
            count += last - first + 1;
        }
    }
    hint = lowest;
}
