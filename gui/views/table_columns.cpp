#include "gui/views/table_columns.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/gstring.h"
#include "core/parse.h"

void GTableColumns::setCount(i32 count) {
    if (count < 0) count = 0;
    if (count == n) return;
    GTableColumn* grown = count ? new GTableColumn[count] : nullptr;
    for (i32 i = 0; i < count; ++i) {
        if (i < n) {
            grown[i] = records[i];
            records[i].title = nullptr;
        } else {
            grown[i].position = grown[i].columnAt = i;
        }
    }
    for (i32 i = 0; i < n; ++i) delete[] records[i].title;
    delete[] records;
    bool shrunk = count < n;
    records = grown;
    n = count;
    if (fillColumn >= n) fillColumn = -1;
    if (shrunk) repairOrder();
}

void GTableColumns::setTitle(i32 column, const char* title) { assignHeapText(&records[column].title, title); }

namespace {
i32 optionNumber(const std::string& value) {
    i32 v = 0;
    return parseSigned(value.c_str(), &v) ? v : 0;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}
}  // namespace

void GTableColumns::parseSpec(const char* spec, GColumnMetrics& metrics) {
    if (!spec) return;
    std::vector<std::string> columns = split(spec, ',');
    if ((i32)columns.size() > n) setCount((i32)columns.size());
    for (i32 c = 0; c < (i32)columns.size(); ++c) {
        std::vector<std::string> options = split(columns[c], ':');
        GTableColumn& column = records[c];
        setTitle(c, options[0].c_str());
        i32 width = 0;
        bool candidate = false;
        GColumnMetrics::Formatter formatter = GColumnMetrics::PlainText;
        bool fill = false;
        for (size_t o = 1; o < options.size(); ++o) {
            const std::string& option = options[o];
            if (option.empty()) continue;
            std::string value = option.size() > 2 ? option.substr(2) : std::string();
            i32 w = -1;
            switch (option[0]) {
            case 'A': column.autoWidth = 1; break;
            case 'B': formatter = GColumnMetrics::Button; break;
            case 'C': formatter = GColumnMetrics::CheckBox; break;
            case 'E':
                w = metrics.cellTextWidth(value.c_str(), formatter);
                formatter = GColumnMetrics::PlainText;
                break;
            case 'F': fill = true; break;
            case 'H': w = metrics.headerTextWidth(column.title); break;
            case 'I': column.visible = 0; break;
            case 'P': w = optionNumber(value) * metrics.percentBase() / 100; break;
            case 'W': w = optionNumber(value); break;
            case 'X': w = optionNumber(value) * metrics.averageCharWidth(); break;
            default: break;
            }
            if (w >= 0 && (!candidate || w > width)) {
                width = w;
                candidate = true;
            }
        }
        column.width = candidate ? width : 50;
        if (fill) {
            fillColumn = c;
            fillBaseWidth = column.width;
        }
    }
}

i32 GTableColumns::totalWidth() const {
    i32 total = 0;
    for (i32 i = 0; i < n; ++i)
        if (records[i].visible) total += records[i].width + 1;
    return total;
}

void GTableColumns::layout(i32 x) {
    for (i32 p = 0; p < n; ++p) {
        GTableColumn& column = records[atPosition(p)];
        if (!column.visible) continue;
        column.left = x;
        x += column.width + 1;
    }
}

void GTableColumns::rebuildOrder() {
    for (i32 i = 0; i < n; ++i) records[records[i].position].columnAt = i;
}

bool GTableColumns::moveColumn(i32 newPosition, i32 column) {
    i32 old = records[column].position;
    if (newPosition == old || newPosition == old + 1) return false;
    i32 target = newPosition > old ? newPosition - 1 : newPosition;
    for (i32 i = 0; i < n; ++i)
        if (i != column && records[i].position > old) records[i].position--;
    for (i32 i = 0; i < n; ++i)
        if (i != column && records[i].position >= target) records[i].position++;
    records[column].position = target;
    rebuildOrder();
    return true;
}

i32 GTableColumns::previousVisibleColumn(i32 column) const {
    for (i32 p = records[column].position - 1; p >= 0; --p)
        if (records[atPosition(p)].visible) return atPosition(p);
    return -1;
}

bool GTableColumns::hitTest(i32 x, i32* column, bool* onBorder, u32 flags) const {
    bool resizing = (flags & 0x100) != 0;
    for (i32 i = 0; i < n; ++i) {
        const GTableColumn& c = records[i];
        if (!c.visible || x < c.left || x > c.left + c.width) continue;
        *column = i;
        *onBorder = false;
        if (!resizing) return true;
        i32 grab = c.width < 16 ? c.width / 3 : 5;
        if (c.width < 1 || c.left + c.width - x <= grab) {
            *onBorder = c.resizable();
            return true;
        }
        i32 previous = previousVisibleColumn(i);
        if (x - c.left <= grab && previous >= 0 && records[previous].resizable()) {
            *column = previous;
            *onBorder = true;
        }
        return true;
    }
    if (!resizing || n == 0) return false;
    i32 last = atPosition(n - 1);
    if (!records[last].visible) last = previousVisibleColumn(last);
    if (last < 0) return false;
    const GTableColumn& c = records[last];
    if (!c.resizable() || x > c.left + c.width + 5) return false;
    *column = last;
    *onBorder = true;
    return true;
}

void GTableColumns::save(GBag& bag) const {
    for (i32 i = 0; i < n; ++i) {
        bagWriteU32(bag, (u32)(records[i].width - records[i].extraWidth));
        bagWriteU32(bag, (u32)records[i].position);
        bagWriteU8(bag, records[i].visible);
    }
}

bool GTableColumns::positionsArePermutation() const {
    std::vector<bool> seen(n, false);
    for (i32 i = 0; i < n; ++i) {
        i32 p = records[i].position;
        if (p < 0 || p >= n || seen[p]) return false;
        seen[p] = true;
    }
    return true;
}

void GTableColumns::repairOrder() {
    if (!positionsArePermutation())
        for (i32 i = 0; i < n; ++i) records[i].position = i;
    rebuildOrder();
}

void GTableColumns::load(GBag& bag) {
    struct OrderGuard {
        GTableColumns& columns;
        ~OrderGuard() { columns.repairOrder(); }
    } guard{*this};
    for (i32 i = 0; i < n; ++i) {
        u32 width, position;
        u8 visible;
        bagReadU32(bag, &width);
        bagReadU32(bag, &position);
        bagReadU8(bag, &visible);
        GTableColumn& c = records[i];
        i32 w = (i32)width + c.extraWidth;
        c.width = w < 0 || width > 100000 ? c.minWidth : w;
        c.position = position > 0x7FFFFFFF ? -1 : (i32)position;
        c.visible = visible ? 1 : 0;
    }
}
