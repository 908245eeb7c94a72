#pragma once
// GInstallDialog: the installer's page (product, space, folder, options, licence) and its
// commands: install under a progress dialog, remove the existing installation, show the licence.
// runInstallDialog makes it on its own stack.
#include "core/bag.h"
#include "core/error.h"
#include "gui/kernel/dialog.h"
#include "setup/file_types.h"
#include "setup/install_job.h"
#include "setup/install_record.h"

#include "gui/paint/bitmaps.h"

class GButton;
class GCheckBox;
class GImageLabel;
class GLabel;
class GLayoutBuilder;
class GPathField;

enum : u32 { TypeInstallDialog = 123 };
enum : u32 { InstallCommand = 1, InstallClose = 2, InstallRemove = 3, InstallLicense = 1000 };

class GInstallDialog : public GDialog {
public:
    explicit GInstallDialog(GWindow* owner = nullptr) : GDialog(owner, "install.htm") {}

    bool isKindOf(u32 id) const override { return id == TypeInstallDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GInstallDialog"; }
    u32 typeId() const override { return TypeInstallDialog; }

    bool buildPage(const char* installDataPath, const InstallRecord& record, const GBag& index);
    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    bool onControlNotify(void* notification) override;
    void updateButtons();

    // Command 1's job, its removal after a failure and command 3's removal.
    void install();
    void removeExisting();
    void showLicense();
    // The record's picture, extracted to "logo.gif" in the temporary folder; a failure is shown
    // and the page goes on without it.
    void addLogo(GLayoutBuilder& builder);
    // The folder field's text.
    GString folderText();
    // Install is possible: not blocked, and the licence accepted when there is one.
    bool installAllowed();

    GString installDataPath;
    InstallRecord record;
    GBag index;
    FileTypeRegistrar registrar;
    InstallJob job;
    GPathField* folderField = nullptr;
    GLabel* spaceLine = nullptr;
    GButton* installButton = nullptr;
    GButton* removeButton = nullptr;
    GCheckBox* desktopBox = nullptr;
    GCheckBox* startMenuBox = nullptr;
    GCheckBox* runAfterBox = nullptr;
    GCheckBox* licenseBox = nullptr;
    GBitmap logo;
    GImageLabel* logoLabel = nullptr;
    bool suicideRequested = false;
    bool updatingExisting = false;
    bool blocked = false;
    // What the last removal or install did (tests).
    i32 removalResult = 0;
};

// Starts the installed program; replaceable for tests.
extern void (*startInstalledProgram)(const char* path);
// Reads the record and index, runs the page; its end code, -1 when it could not be built.
i32 runInstallDialog(const char* installDataPath, bool suicideRequested);

// Runs the job on a progress dialog's worker and waits for it in a message loop.
void runProgressJob(const char* title, GWindow* owner, void (*work)(void* argument, JobProgress* progress),
                    void* argument);

// Shows the text in an error box over the window, then throws GException.
class PageErrorHandler : public ErrorHandler {
public:
    explicit PageErrorHandler(GWindow* window) : window(window) {}
    bool report(const char* text, int code) override;
    GWindow* window;
};
