#pragma once
// GBoardWindow: the scrolling owner-drawn base of the notes boards, and the sort table of their
// records. Created by the boards; deletes itself with its native window like every child window.
#include "gui/kernel/user_window.h"

enum : u32 { TypeBoardWindow = 88 };

// The fields of a board record that the sort table reads. The boards keep arrays of pointers to them.
struct BoardSortRecord {
    f64 firstNumber = 0;
    i32 firstInteger = 0;
    i32 secondInteger = 0;
    f64 secondNumber = 0;
    const char* text = nullptr;
    u32 value = 0;
    u8 firstFlag = 0;
    u8 secondFlag = 0;
};

// qsort form over arrays of BoardSortRecord*: -1, 0, 1. Pairs (ascending, descending) by key:
// first number, first integer, second integer, second number, text, value, flags.
typedef int (*BoardComparator)(const void* a, const void* b);
extern const BoardComparator boardComparators[14];

class GBoardWindow : public GUserImage {
public:
    using GUserImage::GUserImage;
    ~GBoardWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeBoardWindow || GUserImage::isKindOf(id); }
    const char* className() const override { return "GBoardWindow"; }
    u32 typeId() const override { return TypeBoardWindow; }

    // A move is handed on as a begin at its point.
    bool dragMove(GMouseCapture* capture, i32, i32, i32 x, i32 y) override { return dragBegin(capture, x, y); }
};
