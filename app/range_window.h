#pragma once
// RangeWin: the selection of a sound edited live as start, end and length in frames, one of them
// fixed, with four shortcuts ("range.htm"). RangeState holds the rules; the window shows the state
// and hands every change to its apply call. Its caller owns it (on the stack of a modal run).
#include <functional>

#include "app/effect_dialogs.h"

class DigitField;

enum : u32 { RangeFixedStart = 0, RangeFixedEnd = 1, RangeFixedLength = 2 };
enum : u32 {
    RangeMarkStart = 1000,  // the markers of the three fields
    RangeMarkEnd = 1001,
    RangeMarkLength = 1002,
    RangeFromBeginning = 1003,
    RangeToEnd = 1004,
    RangeAll = 1005,
    RangeNone = 1006,
};

struct RangeState {
    u32 start = 0, end = 0, length = 0, total = 0;
    u32 fixed = RangeFixedLength;

    // The mark moves from the start to the end, from the end or the length to the start.
    void moveMark();
    // A field typed into: the other two follow by the fixed field.
    void editStart(u32 value);
    void editEnd(u32 value);
    void editLength(u32 value);
    // The marker of a field: it becomes the fixed one; the fixed one's marker moves the mark.
    void clickMarker(u32 field);
    // Commands 1003 to 1006.
    void shortcut(u32 command);
};

class RangeWin : public GDialog {
public:
    explicit RangeWin(GWindow* owner, const char* help = "range.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeRangeWin || GDialog::isKindOf(id); }
    const char* className() const override { return "RangeWin"; }
    u32 typeId() const override { return TypeRangeWin; }

    i32 commandState(u32 command) override;
    // The markers and shortcuts; Cancel applies the range of the opening first.
    bool onCommand(u32 command, GStateQuery* query) override;
    // A typed start, end or length.
    bool onControlNotify(void* notification) override;
    // Fields, markers and the apply call from the state.
    void refresh(i32 typedField = -1);

    RangeState state;
    u32 openStart = 0, openEnd = 0;
    DigitField* digits[3] = {};  // start, end, length
    DigitField* totalField = nullptr;
    std::function<void(u32 start, u32 end)> apply;  // the selection [start, end)
    u32 records[4][2] = {};  // the fields' count records {count, rate}
};

// The three fields with their markers (length fixed), the total, the shortcuts and "OCH".
bool buildRangeBody(RangeWin* dialog, const char* title, u32 start, u32 end, u32 total, u32 rate,
                    std::function<void(u32 start, u32 end)> apply);
