#include "gui/views/list_rows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/arrays.h"
#include "core/bag.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "gui/kernel/child_window.h"

ListRow::ListRow(const char* source, u32 value, u32 secondValue)
    : text(copyHeapText(source)), value(value), secondValue(secondValue) {}

ListRow::~ListRow() {
    freeHeapText(&text);
    delete object;
}

u32 rowArrayCapacity(u32 n) {
    u32 step = n <= 256 ? 16 : n <= 4096 ? 256 : 4096;
    return (n + step - 1) / step * step;
}

void ListRowArray::reserve(u32 n) {
    if (n <= capacity) return;
    capacity = rowArrayCapacity(n);
    data = reinterpret_cast<ListRow**>(ptrArrayRealloc(capacity, reinterpret_cast<void**>(data), count));
}

void ListRowArray::insert(u32 at, ListRow* const* rows, u32 n) {
    if (!n) return;
    reserve(count + n);
    at = std::min(at, count);
    memmove(data + at + n, data + at, (count - at) * sizeof(ListRow*));
    memcpy(data + at, rows, n * sizeof(ListRow*));
    count += n;
}

void ListRowArray::remove(u32 first, u32 end) {
    end = std::min(end, count);
    if (first >= end) return;
    for (u32 i = first; i < end; ++i) delete data[i];
    memmove(data + first, data + end, (count - end) * sizeof(ListRow*));
    count -= end - first;
}

void ListRowArray::clear() {
    for (u32 i = 0; i < count; ++i) delete data[i];
    arrayFree(*this);
}

void addTextRow(ListRowArray& rows, const char* text) { rows.append(new ListRow(text, 0, 0xFFFFFFFF)); }

void ChoiceList::add(ListRowArray& rows, const char* text, u32 value, u32 secondValue) {
    rows.append(new ListRow(text, value, secondValue));
}

const char* ListRowModel::cellText(GString&, u64 row, i32) {
    return row < rows.count ? rows.data[row]->text : nullptr;
}

void ListRowModel::setCellText(u64 row, i32, const char* text) {
    if (row < rows.count) assignHeapText(&rows.data[row]->text, text);
}

i64 ListRowModel::findRowByText(const char* text, i32) {
    for (u32 i = 0; i < rows.count; ++i) {
        const char* cell = rows.data[i]->text;
        if (cell == text || (cell && text && strcmp(cell, text) == 0) || (!cell && !text)) return i;
    }
    return -1;
}

void ListRowModel::removeRows(u64 first, u64 end) {
    if (first >= rows.count) return;
    rows.remove((u32)first, (u32)std::min<u64>(end, rows.count));
}

u64 ListRowModel::insertRowRecords(u64 at, ListRow* const* given, u32 n) {
    if (!given) return ListRowModel::insertRows(at, nullptr, (i32)n);
    rows.insert((u32)std::min<u64>(at, rows.count), given, n);
    return n;
}

u64 ListRowModel::appendRows(const char* const* texts, i32 n) { return insertRows(rows.count, texts, n); }

u64 ListRowModel::insertRows(u64 at, const char* const* texts, i32 n) {
    if (n <= 0) return 0;
    std::vector<ListRow*> made(n);
    for (i32 i = 0; i < n; ++i) made[i] = texts ? new ListRow(texts[i], 0, 0xFFFFFFFF) : new ListRow;
    rows.insert((u32)std::min<u64>(at, rows.count), made.data(), (u32)n);
    return (u64)n;
}

void ListRowModel::sortByColumn(i32, bool ascending) {
    std::sort(rows.data, rows.data + rows.count, [ascending](const ListRow* a, const ListRow* b) {
        int order = compareTextNoCase(a->text, b->text);
        return ascending ? order < 0 : order > 0;
    });
}

void ListRowModel::swapRows(u64 a, u64 b) {
    if (a < rows.count && b < rows.count) std::swap(rows.data[a], rows.data[b]);
}

void fillRowsFromTextList(ListRowModel& model, GBag& bag, GChildWindow* window) {
    RedrawLockScope lock(window);
    model.clearRows();
    while (bag.pos < bag.size) {
        const char* begin = (const char*)bag.data + bag.pos;
        const void* end = memchr(begin, 0, bag.size - bag.pos);
        if (!end) throw GBagException();
        u32 length = (u32)((const char*)end - begin);
        bag.pos += length + 1;
        if (length) model.rows.append(new ListRow(begin, 0, 0xFFFFFFFF));
    }
}
