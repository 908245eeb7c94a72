#pragma once
// AcmCodecsDialog: the page of the machine's audio codecs (window kind 70, "acm.htm"): the drivers
// by priority with their icons, moving, enabling, about, configure and install, the details of the
// selected driver and the tree of its format tags and formats over three structure views. Made by
// the page factory into its window; deleted as a layout item with its panes.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <string>
#include <vector>

#include "core/field_descriptor.h"
#include "gui/frame/placer.h"
#include "mm/sound_format.h"

class GCheckBox;
class GButton;
class GLabel;
class GMultiLabel;
class GSplitterItem;
class GStructView;
class GTable;
class GTreeTable;
class GString;

// The machine's calls of the page beyond the driver queries; replaceable for tests.
struct AcmPageCalls {
    // The driver message answer (acmDriverMessage).
    intptr_t (*driverMessage)(HACMDRIVER driver, u32 message, intptr_t p1, intptr_t p2);
    // The chosen file of the install dialog; false when none was chosen.
    bool (*chooseCodecFile)(GWindow* owner, GString& path);
};
extern AcmPageCalls acmPageCalls;

struct AcmDriverEntry {
    HACMDRIVERID id = nullptr;
    ACMDRIVERDETAILSA details;
    bool enabled() const { return !(details.fdwSupport & ACMDRIVERDETAILS_SUPPORTF_DISABLED); }
};

class AcmCodecsDialog : public GPlacer {
public:
    explicit AcmCodecsDialog(GWindow* window);
    ~AcmCodecsDialog() override;

    u32 windowKind() override { return 70; }
    const char* firstCaption() override;

    // The driver list anew; the row (-1: none) becomes the selection.
    void refreshDrivers(i64 row);
    // The row's buttons, details and format tags.
    void selectDriver(i64 row);
    // The selected tree item into the structure views.
    void showTreeItem();
    void move(bool up);
    // After the check box changed.
    void enableChanged();
    void install();
    void about();
    void configure();

    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    bool onControlNotify(void* notification) override;
    // The three structure views' columns, then the splitter.
    void saveViewState(GBag& bag) override;
    void restoreViewState(GBag& bag) override;

    // Every open page of this kind.
    static std::vector<AcmCodecsDialog*>& openPages();

    enum : u32 { MoveUp = 1000, MoveDown = 1001, Install = 1002, About = 1003, Configure = 1004 };

    GSplitterItem* splitter = nullptr;
    GTable* driverTable = nullptr;
    GButton* upButton = nullptr;
    GButton* downButton = nullptr;
    GCheckBox* enabledBox = nullptr;
    GButton* installButton = nullptr;
    GButton* aboutButton = nullptr;
    GButton* configureButton = nullptr;
    GMultiLabel* details = nullptr;
    GTreeTable* tagTree = nullptr;
    GLabel* titles[3] = {};
    GStructView* views[3] = {};
    i64 selected = -1;
    u8 aboutSupported = 0;
    u8 configureSupported = 0;
    std::vector<AcmDriverEntry> drivers;
    u32 busy = 0;
    bool filling = false;
    FormatFieldList waveFields;
    FieldDescriptor blockFields[2] = {};

private:
    void setButtonEnabled(GButton* button, bool enabled);
    // Everything the page shows of the selection emptied.
    void clearSelectionViews();
    // Each view fitted to its fields.
    void fitViews();
};
