#include "setup/uninstall_dialog.h"

#include "app/installer_texts.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/frame/help.h"
#include "gui/kernel/application.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "setup/install_dialog.h"
#include "setup/registry_key.h"

GString (*uninstallerFolder)() = programFolder;
bool (*startSelfDeleteScript)(const char*, const std::vector<std::string>&) = runSelfDeleteScript;

bool GUninstallDialog::build(const InstallRecord& source, const GBag& sourceIndex) {
    record = source;
    bagAssign(index, sourceIndex);
    registrar.hasMachineRights = machineRightsProbe;
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, installerText(InstallerText::UninstallTitle)))
        return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder builder(this);
    builder.current = column;
    GString text;
    stringAppendFormat(text, installerText(InstallerText::UninstallPrompt),
                       record.displayName.length ? record.displayName.c_str() : "application");
    GLabel::create(builder, text.c_str(), 0, "<-");
    GLine1::create(builder);
    GRowItem* row = GRowItem::create(builder, "08");
    setAlignmentCode(row, "U^");
    GButton::create(builder, installerText(InstallerText::CloseButton), 0, 2, ">C");
    GButton::create(builder, installerText(InstallerText::UninstallButton), ButtonDefault, 1, ">C");
    builder.endContainer();
    fitToContent();
    return true;
}

i32 GUninstallDialog::commandState(u32 command) {
    i32 own = GDialog::commandState(command);
    return own == CommandUnknown && command < 100 ? CommandEnabled : own;
}

void GUninstallDialog::uninstall() {
    if (!readInstallLocation(nullptr, record.uninstallKeyName.c_str(), installFolder) || !installFolder.length)
        installFolder = uninstallerFolder();
    runProgressJob(installerText(InstallerText::UninstallProgressTitle), this,
                   [](void* argument, JobProgress* progress) {
                       GUninstallDialog* d = static_cast<GUninstallDialog*>(argument);
                       PageErrorHandler handler(d);
                       try {
                           d->jobResult = removeInstallation(&handler, progress, d->installFolder.c_str(), d->record,
                                                             d->index, &d->registrar, d->suicideRequested,
                                                             &d->removal);
                       } catch (const GException&) {
                           d->jobResult = -1;
                       }
                   },
                   this);
    if (jobResult > 0) {
        GString text;
        stringAppendFormat(text,
                           installerText(removal.filesLeft ? InstallerText::UninstallFilesLeft
                                                           : InstallerText::UninstallComplete),
                           installFolder.c_str());
        showMessageBox(&mbInformation, this, text.c_str());
    }
}

bool GUninstallDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == 9 || command == 101) {
        openHelp("uninstall.htm", this);
        return true;
    }
    if (command >= 1 && command <= 99) {
        if (command == 1) {
            uninstall();
            // Only after a removal that went through.
            if (jobResult > 0 && suicideRequested) startSelfDeleteScript(installFolder.c_str(), removal.keptFiles);
        }
        endDialog((i32)command);
        return true;
    }
    return GDialog::onCommand(command, query);
}

i32 runUninstallDialog(const char* installDataPath, bool suicideRequested) {
    InstallRecord record;
    GBag index;
    MessageBoxErrorHandler handler(3);
    if (!readInstallRecord(installDataPath, &handler, &record, &index)) return -1;
    GUninstallDialog dialog;
    dialog.suicideRequested = suicideRequested;
    if (!dialog.build(record, index)) return -1;
    RECT empty{};
    return showModal(&dialog, &empty, PlaceCentreOnOwnMonitor);
}
