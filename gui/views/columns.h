#pragma once
// GColumns: the names of a folder's entries matching a pattern, sorted, running top to bottom and
// on in columns to the right; the view scrolls by whole columns. One name is the caret; typed
// letters jump to the first name containing them and are marked in every visible name. The
// horizontal range counts items in steps of a column (its origin is the first visible item); the
// scroll bar shows while columns lie outside the window, and the wheel moves a column a notch. The
// window owns its names and deletes itself when its native window ends.
#include <vector>

#include "core/gstring.h"
#include "gui/kernel/user_window.h"

enum : u32 { TypeColumns = 110 };
// Notifications sent up with the item: a double click on it or Enter; a right click on it.
enum : u32 { ColumnsActivated = 2, ColumnsContext = 16 };

// Sorts names as compareTexts orders them (case ignored), converting each name once.
void sortNames(std::vector<GString>& names);

class GColumns : public GUserImage {
public:
    using GUserImage::GUserImage;

    bool isKindOf(u32 id) const override { return id == TypeColumns || GUserImage::isKindOf(id); }
    const char* className() const override { return "GColumns"; }
    u32 typeId() const override { return TypeColumns; }

    // A 200 x 200 child window of the owner.
    static GColumns* create(GWindow* owner);
    bool createWindow();

    // Lists the entries matching the pattern (hidden, system and folders too), sorted by name;
    // an empty pattern empties the list.
    void setPattern(const char* pattern);
    // Sets the names directly (sorted here).
    void setNames(std::vector<GString> list);
    // Clamps the caret, finds the rows per column and measures the columns from the first visible
    // one; scrolls the caret's column into view when the caret changed or `revealCaret`.
    void arrange(bool force, bool revealCaret = false);
    void setCaret(i32 index);
    // The first name containing the text (case ignored) becomes the caret; none clears the typed text.
    bool findTyped(const char* text);
    // The item at a client point, -1 outside or past the last.
    i32 hitTest(i32 x, i32 y);
    // The right edge of the column `column` counted from the first visible one, measured on demand.
    i32 columnEdge(i32 column);

    i32 count() const { return (i32)names.size(); }
    void paint(HDC dc, const RECT& update, bool erase) override;
    i32 handleKey(GInputEvent* event) override;
    bool onSize(i32 width, i32 height) override;
    bool onWheel(i32 delta, u32 keys, bool vertical) override;
    // Scroll bar and keys: the first visible item becomes the start of the origin's column.
    void setScrollState(const GScrollRange& h, const GScrollRange& v) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    std::vector<GString> names;
    i32 caret = -1;
    i32 rowsPerColumn = 1;
    i32 itemHeight = 16;
    i32 firstVisible = 0;       // first item of the leftmost visible column
    std::vector<i32> edges;     // right edges of the measured columns, from the first visible one
    i32 topMargin = 2, bottomMargin = 2;
    GString typed;              // the type-ahead text, lower case

private:
    void sendUp(u32 code, i32 item);
    // Scrolls by whole columns until the caret's column is visible.
    void revealCaretColumn();
    i32 clientWidth();
    // The rows per column that the client height holds.
    i32 rowsThatFit();
    // The ranges from the columns and the window; shows or hides the scroll bar.
    void updateScrollRanges();
};
