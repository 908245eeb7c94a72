#include "gui/frame/board_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(BoardComparators, EachPairOrdersItsKeyBothWays) {
    BoardSortRecord low, high;
    low.firstNumber = 1.5;
    high.firstNumber = 2.5;
    low.firstInteger = -3;
    high.firstInteger = 4;
    low.secondInteger = -10;
    high.secondInteger = 0;
    low.secondNumber = -1e9;
    high.secondNumber = 1e-9;
    low.text = "abc";
    high.text = "abd";
    low.value = 1;
    high.value = 0x80000000u;  // above every i32
    low.firstFlag = 1;
    high.firstFlag = 1;
    low.secondFlag = 0;
    high.secondFlag = 1;
    const BoardSortRecord* l = &low;
    const BoardSortRecord* h = &high;
    for (int pair = 0; pair < 7; ++pair) {
        BoardComparator up = boardComparators[pair * 2], down = boardComparators[pair * 2 + 1];
        EXPECT_EQ(-1, up(&l, &h)) << pair;
        EXPECT_EQ(1, up(&h, &l)) << pair;
        EXPECT_EQ(0, up(&l, &l)) << pair;
        EXPECT_EQ(1, down(&l, &h)) << pair;
        EXPECT_EQ(-1, down(&h, &l)) << pair;
    }
}

TEST(BoardComparators, NaNEqualFlagsAndTextLengths) {
    struct Case {
        const char* name;
        int comparator;
        BoardSortRecord a, b;
        int expected;
    };
    BoardSortRecord nan;
    nan.firstNumber = NAN;
    nan.secondNumber = NAN;
    BoardSortRecord one;
    one.firstNumber = 1;
    one.secondNumber = 1;
    BoardSortRecord shortText, longText, prefixed, none;
    shortText.text = "ab";
    longText.text = "abc";
    prefixed.text = "b";
    BoardSortRecord noFlags, second, first, both;
    second.secondFlag = 1;
    first.firstFlag = 1;
    both.firstFlag = both.secondFlag = 1;
    BoardSortRecord highByte;
    highByte.text = "\xe4";
    Case cases[] = {
        {"NaN against a number", 0, nan, one, 0},
        {"number against NaN", 1, one, nan, 0},
        {"second NaN", 6, nan, one, 0},
        {"a longer text is greater", 8, shortText, longText, -1},
        {"bytes before lengths", 8, longText, prefixed, -1},
        {"descending text", 9, shortText, longText, 1},
        {"bytes are unsigned", 8, longText, highByte, -1},
        {"no text is empty", 8, none, shortText, -1},
        {"equal flags", 12, both, both, 0},
        {"without the first flag first", 12, second, first, -1},
        {"then without the second", 12, first, both, -1},
        {"descending flags", 13, noFlags, second, 1},
    };
    for (const Case& c : cases) {
        const BoardSortRecord* a = &c.a;
        const BoardSortRecord* b = &c.b;
        EXPECT_EQ(c.expected, boardComparators[c.comparator](&a, &b)) << c.name;
    }
}

TEST(BoardComparators, SortAnArrayOfRecordPointers) {
    BoardSortRecord records[4];
    const char* texts[] = {"pear", "apple", "pea", "fig"};
    for (int i = 0; i < 4; ++i) records[i].text = texts[i];
    const BoardSortRecord* order[4] = {&records[0], &records[1], &records[2], &records[3]};
    qsort(order, 4, sizeof order[0], boardComparators[8]);
    EXPECT_STREQ("apple", order[0]->text);
    EXPECT_STREQ("fig", order[1]->text);
    EXPECT_STREQ("pea", order[2]->text);
    EXPECT_STREQ("pear", order[3]->text);
}

TEST(BoardWindow, Kinds) {
    struct Board : GBoardWindow {
        Board() : GBoardWindow(nullptr) {}
        void paint(HDC, const RECT&, bool) override {}
    };
    GBoardWindow* board = new Board;
    EXPECT_STREQ("GBoardWindow", board->className());
    EXPECT_EQ(88u, board->typeId());
    for (u32 kind : {88u, 40u, 6u, 3u, 1u}) EXPECT_TRUE(board->isKindOf(kind)) << kind;
    EXPECT_FALSE(board->isKindOf(2));
    delete board;  // never made a native window: nothing to destroy
}

TEST(BoardWindow, AMoveIsHandedOnAsABeginAtItsPoint) {
    struct Board : GBoardWindow {
        Board() : GBoardWindow(nullptr) {}
        void paint(HDC, const RECT&, bool) override {}
        bool dragBegin(GMouseCapture*, i32 x, i32 y) override {
            begins.push_back({x, y});
            return answer;
        }
        std::vector<POINT> begins;
        bool answer = true;
    };
    Board board;
    EXPECT_TRUE(board.dragMove(nullptr, 1, 2, 30, 40));
    board.answer = false;
    EXPECT_FALSE(board.dragMove(nullptr, 30, 40, 5, 6));
    ASSERT_EQ(2u, board.begins.size());
    EXPECT_EQ(30, board.begins[0].x);
    EXPECT_EQ(40, board.begins[0].y);
    EXPECT_EQ(5, board.begins[1].x);
    EXPECT_EQ(6, board.begins[1].y);
}
