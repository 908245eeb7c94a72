#pragma once
// Cell formatters: stateless objects that draw, measure and press one cell of a table, a combo's
// field or a report row. They are process-wide and live from start to end; a model hands out a
// pointer to one per cell and nobody deletes them.
#include <windows.h>

#include "core/types.h"

class GSavedDC;
class GDrawable;
class GHotTracker;

// State bits of draw.
enum : u32 { CellSelected = 1, CellChecked = 2, CellSeparators = 4 };
// inputBits.
enum : u32 { CellReleaseNotifies = 1, CellReleaseToggles = 2, CellPressSelects = 4, CellPressOwnInput = 8 };

class GCellFormat {
public:
    virtual ~GCellFormat() = default;
    // Draws the text (null or empty: none) and image in the cell with the DC's current colours;
    // formatParam is the width of the column's image box, 0 for none; typed is the table's
    // type-ahead text (null or empty: none).
    virtual bool draw(GSavedDC& dc, const char* text, GDrawable* image, const RECT* rect, u32 state, i32 formatParam,
                      GHotTracker* tracker, const char* typed) = 0;
    virtual i32 measure(GSavedDC& dc, const char* text, GDrawable* image) = 0;
    // rect in: the cell, out: the pressable element. True when the press lands on one.
    virtual bool press(GHotTracker* tracker, i32 x, i32 y, RECT* rect, u32* elementState, bool checked) = 0;
    virtual u32 inputBits() = 0;
};

// An optional image and one line of text cut with an ellipsis; the type-ahead match is marked.
class GTextCellFormat : public GCellFormat {
public:
    bool draw(GSavedDC& dc, const char* text, GDrawable* image, const RECT* rect, u32 state, i32 formatParam,
              GHotTracker* tracker, const char* typed) override;
    i32 measure(GSavedDC& dc, const char* text, GDrawable* image) override;
    bool press(GHotTracker*, i32, i32, RECT*, u32*, bool) override { return false; }
    u32 inputBits() override { return CellPressSelects | CellPressOwnInput; }
};

// A 15-pixel check square in front of the text, toggled by a release on it.
class GCheckCellFormat : public GCellFormat {
public:
    bool draw(GSavedDC& dc, const char* text, GDrawable* image, const RECT* rect, u32 state, i32 formatParam,
              GHotTracker* tracker, const char* typed) override;
    i32 measure(GSavedDC& dc, const char* text, GDrawable* image) override;
    bool press(GHotTracker* tracker, i32 x, i32 y, RECT* rect, u32* elementState, bool checked) override;
    u32 inputBits() override { return CellReleaseToggles | CellPressSelects; }
};

// The whole cell is a push button with centred text; a release on it notifies the owner.
class GButtonCellFormat : public GCellFormat {
public:
    bool draw(GSavedDC& dc, const char* text, GDrawable* image, const RECT* rect, u32 state, i32 formatParam,
              GHotTracker* tracker, const char* typed) override;
    i32 measure(GSavedDC& dc, const char* text, GDrawable* image) override;
    bool press(GHotTracker* tracker, i32 x, i32 y, RECT* rect, u32* elementState, bool checked) override;
    u32 inputBits() override { return CellReleaseNotifies | CellPressSelects; }
};

// The cell less its margins of 3 (right 4); separators take one more row at the bottom.
RECT cellInnerRect(const RECT& cell, bool separators);
// The check square of a check cell.
RECT checkSquareRect(const RECT& cell);
// The face of a button cell.
RECT buttonFaceRect(const RECT& cell);

// The process-wide formatters; the plain-text one is the default of every model.
GCellFormat* defaultCellFormat();
GCellFormat* checkCellFormat();
GCellFormat* buttonCellFormat();
