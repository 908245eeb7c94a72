#pragma once
// GUninstallDialog: the uninstaller's question and its job; after a successful removal with
// "-suicide", the script that deletes the running program's files. runUninstallDialog makes it on
// its own stack.
#include "core/bag.h"
#include "gui/kernel/dialog.h"
#include "setup/file_types.h"
#include "setup/install_record.h"
#include "setup/installation_removal.h"

enum : u32 { TypeUninstallDialog = 124 };

class GUninstallDialog : public GDialog {
public:
    explicit GUninstallDialog(GWindow* owner = nullptr) : GDialog(owner, "uninstall.htm") {}

    bool isKindOf(u32 id) const override { return id == TypeUninstallDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GUninstallDialog"; }
    u32 typeId() const override { return TypeUninstallDialog; }

    bool build(const InstallRecord& record, const GBag& index);
    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    // The job: the folder from the registry, else the running program's; then the removal.
    void uninstall();

    InstallRecord record;
    GBag index;
    GString installFolder;
    FileTypeRegistrar registrar;
    RemovalResult removal;
    i32 jobResult = 0;
    bool suicideRequested = false;
};

// The running program's folder (replaceable for tests).
extern GString (*uninstallerFolder)();
i32 runUninstallDialog(const char* installDataPath, bool suicideRequested);
// Starts the script; replaceable for tests.
extern bool (*startSelfDeleteScript)(const char* folder, const std::vector<std::string>& files);
