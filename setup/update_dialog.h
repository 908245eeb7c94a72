#pragma once
// UpdateDialog: how updates are handled, the worker's schedule, state, download and log, with a
// button that starts or abandons a check. run makes it on its own stack; at most one is open, and
// openUpdateDialog points at it meanwhile. UpdateModeDialog is question 3's own dialog.
#include "gui/kernel/dialog.h"
#include "gui/kernel/timers.h"
#include "setup/update_worker.h"

class GButton;
class GGroupBoxItem;
class GLabel;
class GMultiLabel;
class GPageStack;
class GProgressBar;
class GRadioBox;

enum : u32 { TypeUpdateDialog = 1039, TypeUpdateModeDialog = 1040 };
enum : u32 { UpdateCheckCommand = 1000, UpdateStopCommand = 1001 };

class UpdateDialog : public GDialog {
public:
    UpdateDialog(GWindow* owner, HttpDownloader* worker) : GDialog(owner, "updates.htm"), worker(worker) {}
    ~UpdateDialog() override;

    bool isKindOf(u32 id) const override { return id == TypeUpdateDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "UpdateDialog"; }
    u32 typeId() const override { return TypeUpdateDialog; }

    // Opens the dialog over the worker modally, unless one is open already.
    static void run(GWindow* owner, HttpDownloader* worker);

    bool build();
    void onTimer(TimerRecord* record) override;
    // Shows the worker's status now.
    void refresh();
    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    bool onControlNotify(void* notification) override;

    HttpDownloader* worker;
    GGroupBoxItem* group = nullptr;
    GRadioBox* radios[3] = {};
    i32 modeValue = 0;
    GPageStack* pages = nullptr;
    GMultiLabel* logLabel = nullptr;
    GLabel* lastCheckLabel = nullptr;
    GLabel* nextCheckLabel = nullptr;
    GLabel* stateLabel = nullptr;
    GButton* checkButton = nullptr;
    GLabel* downloadLabel = nullptr;
    GProgressBar* progress = nullptr;
    TimerRecord timer;
};

// The open update dialog, null when none.
extern UpdateDialog* openUpdateDialog;

// Question 3's dialog: three ways of handling updates; OK takes the chosen one.
class UpdateModeDialog : public GDialog {
public:
    explicit UpdateModeDialog(GWindow* owner) : GDialog(owner, "updates.htm") {}

    bool isKindOf(u32 id) const override { return id == TypeUpdateModeDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "UpdateModeDialog"; }
    u32 typeId() const override { return TypeUpdateModeDialog; }

    bool build();
    // Runs it; false when it was put off (command 2), else true with the mode in `mode`.
    static bool ask(u32& mode);

    i32 value = 2;
};
