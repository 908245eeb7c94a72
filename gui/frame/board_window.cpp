#include "gui/frame/board_window.h"

#include <cstring>

GBoardWindow::~GBoardWindow() {
    destroyNative();
}

namespace {

const BoardSortRecord& recordAt(const void* element) { return **static_cast<const BoardSortRecord* const*>(element); }

// Ordered comparisons only: an unordered pair of numbers counts as equal.
template <class T>
int order(T a, T b) {
    if (a < b) return -1;
    if (a > b) return 1;
    return 0;
}

// Bytes over the shorter length, then the longer text is greater.
int textOrder(const char* a, const char* b) {
    if (!a) a = "";
    if (!b) b = "";
    size_t la = strlen(a), lb = strlen(b);
    int c = memcmp(a, b, la < lb ? la : lb);
    if (c) return c < 0 ? -1 : 1;
    return order(la, lb);
}

int flagOrder(const BoardSortRecord& a, const BoardSortRecord& b) {
    int first = order(a.firstFlag != 0, b.firstFlag != 0);
    return first ? first : order(a.secondFlag != 0, b.secondFlag != 0);
}

int byKey(int key, const BoardSortRecord& a, const BoardSortRecord& b) {
    switch (key) {
    case 0: return order(a.firstNumber, b.firstNumber);
    case 1: return order(a.firstInteger, b.firstInteger);
    case 2: return order(a.secondInteger, b.secondInteger);
    case 3: return order(a.secondNumber, b.secondNumber);
    case 4: return textOrder(a.text, b.text);
    case 5: return order(a.value, b.value);
    default: return flagOrder(a, b);
    }
}

template <int Key>
int ascending(const void* a, const void* b) { return byKey(Key, recordAt(a), recordAt(b)); }
template <int Key>
int descending(const void* a, const void* b) { return byKey(Key, recordAt(b), recordAt(a)); }

}  // namespace

const BoardComparator boardComparators[14] = {
    ascending<0>, descending<0>, ascending<1>, descending<1>, ascending<2>, descending<2>, ascending<3>,
    descending<3>, ascending<4>, descending<4>, ascending<5>, descending<5>, ascending<6>, descending<6>,
};
