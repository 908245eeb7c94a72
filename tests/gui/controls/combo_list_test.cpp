#include <gtest/gtest.h>

#include <string>

#include "gui/controls/combo_list.h"

namespace {
std::string str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}
}  // namespace

// Work area 0,0..1000,800; scroll bars 16; borders 1; rows 10 high. Usable height 16..784.
TEST(ComboListPlacement, BelowAboveCutShiftedAndCapped) {
    const RECT work = {0, 0, 1000, 800};
    const ComboListMetrics m = {16, 16, 1, 1};
    struct Case {
        const char* what;
        RECT combo;
        i32 rows, widest;
        bool moreRows;
        const char* expected;
        bool bar;
    } cases[] = {
        {"below", {100, 500, 200, 520}, 5, 50, false, "100,520,200,572", false},
        {"fits below exactly", {100, 500, 200, 520}, 26, 50, false, "100,520,200,782", false},
        {"above", {100, 700, 200, 720}, 10, 50, false, "100,598,200,700", false},
        {"cut above: twice the room", {100, 600, 200, 620}, 70, 50, false, "100,16,200,600", true},
        {"cut below", {100, 300, 200, 320}, 70, 50, false, "100,320,200,784", true},
        {"cut wider by the bar", {100, 300, 200, 320}, 70, 150, false, "100,320,268,784", true},
        {"wider than the combo", {100, 500, 200, 520}, 5, 150, false, "100,520,252,572", false},
        {"half the work area, bar below", {100, 500, 200, 520}, 5, 700, false, "100,520,600,588", false},
        {"half the work area, bar above", {100, 700, 200, 720}, 10, 700, false, "100,582,600,700", false},
        {"shifted from the right edge", {900, 500, 980, 520}, 5, 200, false, "798,520,1000,572", false},
        {"covers a combo partly left of the work area", {-50, 500, 30, 520}, 5, 10, false, "-50,520,30,572", false},
        {"covers a combo wider than half", {0, 500, 600, 520}, 5, 10, false, "0,520,600,572", false},
        {"rows beyond the shown ones", {100, 500, 200, 520}, 5, 150, true, "100,520,268,572", true},
        {"empty", {100, 500, 200, 520}, 0, 0, false, "100,520,200,522", false},
    };
    for (const Case& c : cases) {
        ComboListPlace place = placeComboList(c.combo, work, 10, c.rows, c.widest, m, c.moreRows);
        EXPECT_EQ(str(place.rect), c.expected) << c.what;
        EXPECT_EQ(place.verticalBar, c.bar) << c.what;
    }
}
