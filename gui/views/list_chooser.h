#pragma once
// GListChooser: two list boxes and four arrow buttons in one row item. The left list offers
// entries, the right one holds the chosen ones in order; the buttons, double clicks and Alt+Right
// and Alt+Left move entries across, and up and down within the right list. Made by create into a
// layout builder; the tree owns it and it owns its columns, lists and buttons like any item. The
// entries are rows of the lists' row models.
#include "gui/layout/layout_rows.h"
#include "gui/views/box.h"

class GImageButton;
class GLabel;
class GLayoutBuilder;

// The chooser's commands, each with its button.
enum : u32 { ChooserRemove = 1000, ChooserAdd = 1001, ChooserUp = 1002, ChooserDown = 1003 };
// The row value of the separator entry: it is copied to the right and stays available.
const u32 ChooserSeparator = 0xFFFFFFFF;
// The bitmaps of the buttons; the up arrow's strip is also the lists' image list.
enum : i32 { ChooserRemoveBitmap = 9000, ChooserAddBitmap = 9001, ChooserUpBitmap = 9002, ChooserDownBitmap = 9003 };

class GListChooser : public GRowItem {
public:
    using GRowItem::GRowItem;

    // Labels, lists and buttons in four columns, added to the builder's container with the
    // alignment; the builder's current container is left as it was.
    static GListChooser* create(GLayoutBuilder& builder, const char* alignment = "UC");

    // The rows are taken over and the arrays left empty: the available ones sorted into the left
    // list, the chosen ones in their order into the right one.
    void fill(ListRowArray& available, ListRowArray& chosen);
    ListRowModel* availableRows() const { return left ? left->rowModel() : nullptr; }
    ListRowModel* chosenRows() const { return right ? right->rowModel() : nullptr; }

    // The order of the left list: separators first, then by text without letter case.
    virtual bool comesBefore(const ListRow* a, const ListRow* b);
    // Add and remove need a selected entry on their side; up and down a selection in the right
    // list that can move that way.
    bool commandUsable(u32 command);
    // Each button's window enabled or disabled by commandUsable.
    void updateButtons();
    // Clicks the command's button when it is enabled.
    void pressButton(u32 command);

    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    // Selection changes update the buttons; a row activated (double click, Enter) in the left list
    // presses add, in the right one remove. The notification goes on up.
    bool onControlNotify(void* notification) override;
    // Alt+Right presses add and Alt+Left remove; both keys are taken.
    i32 handleKey(GInputEvent* event) override;

    GBox* left = nullptr;
    GBox* right = nullptr;
    GLabel* leftLabel = nullptr;
    GLabel* rightLabel = nullptr;
    GImageButton* buttons[4] = {};  // by command - ChooserRemove

private:
    void moveToRight();
    void moveToLeft();
    void sortAvailable();
    // Sorts the left rows and reloads both lists, each with the row of its caret (clamped to the
    // rows) alone selected.
    void refill(u64 leftCaret, u64 rightCaret);
};
