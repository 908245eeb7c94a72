#include "setup/install_dialog.h"

#include <shellapi.h>
#include <shlobj.h>

#include "app/installer_texts.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/image_label.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/path_field.h"
#include "gui/frame/help.h"
#include "gui/frame/progress_dialog.h"
#include "gui/kernel/application.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/paint/picture.h"
#include "setup/installation_removal.h"
#include "setup/packed_members.h"
#include "setup/registry_key.h"

namespace {
void shellStart(const char* path) {
    GString folder(path);
    pathRemoveLastComponent(folder);
    ShellExecuteA(nullptr, nullptr, path, nullptr, folder.c_str(), SW_SHOWNORMAL);
}

GFileDialog& folderChooser() {
    static GFileDialog dialog(nullptr, nullptr, nullptr);
    return dialog;
}

struct ProgressRun {
    void (*work)(void*, JobProgress*);
    void* argument;
    bool done = false;
};

void progressJob(i32 phase, ProgressState* state, void* argument) {
    ProgressRun* run = static_cast<ProgressRun*>(argument);
    if (phase == 1)
        run->work(run->argument, state);
    else
        run->done = true;
}

const char* orApplication(const GString& name) { return name.length ? name.c_str() : "application"; }
}  // namespace

void (*startInstalledProgram)(const char* path) = shellStart;

bool PageErrorHandler::report(const char* text, int) {
    showMessageBox(&mbError, window, text);
    throw GException();
}

void runProgressJob(const char* title, GWindow* owner, void (*work)(void*, JobProgress*), void* argument) {
    ProgressRun run{work, argument};
    if (owner && owner->hwnd) EnableWindow(owner->hwnd, FALSE);
    if (GProgressDialog::start(title, owner, progressJob, &run, ProgressCannotStop | ProgressShowAtUpdate))
        messageLoop(&run.done);
    if (owner && owner->hwnd) EnableWindow(owner->hwnd, TRUE);
}

bool GInstallDialog::buildPage(const char* dataPath, const InstallRecord& source, const GBag& sourceIndex) {
    stringAssignText(installDataPath, dataPath);
    record = source;
    bagAssign(index, sourceIndex);
    bool administrator = machineRightsProbe();
    registrar.hasMachineRights = machineRightsProbe;
    GString title(installerText(InstallerText::InstallTitle));
    if (record.displayName.length) stringAppendFormat(title, " - %s", record.displayName.c_str());
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, title.c_str())) return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder builder(this);
    builder.current = column;
    GString welcome;
    stringAppendFormat(welcome, installerText(InstallerText::InstallWelcome), orApplication(record.displayName));
    GLabel::create(builder, welcome.c_str(), 0, "<-");
    GLine1::create(builder);
    if (record.logoMember.length) addLogo(builder);
    GString space;
    stringAppendFormat(space, installerText(InstallerText::SpaceNeeded),
                       (double)(record.imageSize + record.payloadSize) / 1048576.0);
    GString spaceText(space);
    GString existing;
    if (record.uninstallKeyName.length) {
        GString path(kUninstallKey);
        stringAppend(path, record.uninstallKeyName.c_str());
        RegistryKey key;
        GString name;
        if (key.openForReading(path.c_str()) && key.getString("InstallLocation", existing) && existing.length) {
            updatingExisting = true;
            GString programFiles = specialFolder(CSIDL_PROGRAM_FILES);
            if (!administrator && programFiles.length &&
                strncmp(existing.c_str(), programFiles.c_str(), programFiles.length) == 0) {
                blocked = true;
                stringAssignText(spaceText, installerText(InstallerText::RightsMissingBlocked));
            } else {
                key.getString("DisplayName", name);
                stringClear(spaceText);
                stringAppendFormat(spaceText, installerText(InstallerText::ExistingInstallation),
                                   orApplication(name));
                stringAppend(spaceText, space.c_str());
            }
        } else {
            stringClear(existing);
        }
    }
    spaceLine = GLabel::create(builder, spaceText.c_str(), 0, "<-");
    folderField = addPathField(builder, &folderChooser(), FolderCreate, 0);
    GString folder;
    if (updatingExisting) {
        folder = existing;
    } else {
        folder = administrator ? specialFolder(CSIDL_PROGRAM_FILES) : GString("C:\\");
        pathJoin(folder, record.folderName.c_str());
    }
    if (GEditLine* line = folderField->editLine()) {
        line->setTextQuiet(folder.c_str());
        if (updatingExisting) EnableWindow(line->hwnd, FALSE);
    }
    if (updatingExisting)
        if (GLayoutCell* cell = folderField->childAt(1))
            if (GChildWindow* browse = cell->asChildWindow()) EnableWindow(browse->hwnd, FALSE);
    if (record.desktopShortcut.length)
        desktopBox = GCheckBoxItem::create(builder, installerText(InstallerText::DesktopShortcutOption), 1, "<-");
    if (record.shortcutNames.count)
        startMenuBox = GCheckBoxItem::create(builder, installerText(InstallerText::StartMenuOption), 1, "<-");
    if (record.runFileName.length)
        runAfterBox = GCheckBoxItem::create(builder, installerText(InstallerText::RunAfterOption), 1, "<-");
    if (record.licenseMember.length) {
        GRowItem::create(builder, "08");
        GButton::create(builder, installerText(InstallerText::LicenseButton), 0, InstallLicense, "<C");
        licenseBox = GCheckBoxItem::create(builder, installerText(InstallerText::LicenseAccept), 0, "<C");
        builder.endContainer();
    }
    GRowItem* row = GRowItem::create(builder, "08");
    setAlignmentCode(row, "U^");
    GButton::create(builder, installerText(InstallerText::CloseButton), 0, InstallClose, ">C");
    if (updatingExisting && !blocked)
        removeButton = GButton::create(builder, installerText(InstallerText::RemoveButton), 0, InstallRemove, ">C");
    installButton = GButton::create(builder, installerText(InstallerText::InstallButton), ButtonDefault,
                                    InstallCommand, ">C");
    builder.endContainer();
    fitToContent();
    updateButtons();
    return true;
}

void GInstallDialog::addLogo(GLayoutBuilder& builder) {
    GString path = tempFolder();
    pathJoin(path, "logo.gif");
    PageErrorHandler handler(this);
    try {
        if (!extractFromInstaller(installDataPath.c_str(), &record, &handler, &index, record.logoMember.c_str(),
                                  path.c_str()))
            return;
        if (!loadPictureFromFile(logo, path.c_str())) {
            showErrorF(this, installerText(InstallerText::PictureUnreadable), record.logoMember.c_str());
            return;
        }
    } catch (const GException&) {
        return;
    }
    logoLabel = new GImageLabel(this);
    logoLabel->image = &logo;
    logoLabel->GUserWindow::create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    builder.add(logoLabel, "<-");
}

bool GInstallDialog::installAllowed() { return !blocked && (!licenseBox || licenseBox->isChecked()); }

void GInstallDialog::updateButtons() {
    if (installButton && installButton->hwnd) EnableWindow(installButton->hwnd, installAllowed());
}

bool GInstallDialog::onControlNotify(void* notification) {
    updateButtons();
    return GDialog::onControlNotify(notification);
}

i32 GInstallDialog::commandState(u32 command) {
    if (command == InstallCommand) return installAllowed() ? CommandEnabled : CommandDisabled;
    if (command == InstallRemove) return updatingExisting && !blocked ? CommandEnabled : CommandDisabled;
    if (command == InstallLicense) return record.licenseMember.length ? CommandEnabled : CommandDisabled;
    i32 own = GDialog::commandState(command);
    return own == CommandUnknown && command < 100 ? CommandEnabled : own;
}

GString GInstallDialog::folderText() {
    GString text = folderField ? folderField->getText() : GString("");
    return text;
}

void GInstallDialog::install() {
    job.installerPath = installDataPath;
    job.record = record;
    bagAssign(job.index, index);
    job.targetText = folderText();
    job.desktopShortcut = !desktopBox || desktopBox->isChecked();
    job.startMenuShortcuts = !startMenuBox || startMenuBox->isChecked();
    PageErrorHandler handler(this);
    job.handler = &handler;
    job.registrar = &registrar;
    runProgressJob(installerText(InstallerText::InstallProgressTitle), this,
                   [](void* argument, JobProgress* progress) {
                       InstallJob* job = static_cast<InstallJob*>(argument);
                       try {
                           job->run(progress);
                       } catch (const GException&) {
                       }
                   },
                   &job);
    job.handler = nullptr;
    if (job.succeeded) {
        GString text;
        stringAppendFormat(text, installerText(InstallerText::InstallComplete), job.target.c_str());
        showMessageBox(&mbInformation, this, text.c_str());
        if (record.runFileName.length && runAfterBox && runAfterBox->isChecked()) {
            ShowWindow(hwnd, SW_HIDE);
            startInstalledProgram(job.installedProgram.c_str());
        }
    } else if (job.running) {
        job.undo();
    }
}

namespace {
struct RemovalRun {
    GInstallDialog* dialog = nullptr;
    GString folder;
    InstallRecord record;
    GBag index;
    i32 result = 0;
};
}  // namespace

void GInstallDialog::removeExisting() {
    RemovalRun run;
    run.dialog = this;
    run.folder = folderText();
    normalizePath(run.folder);
    if (!pathIsDirectory(run.folder.c_str())) {
        showErrorF(this, installerText(InstallerText::FolderNotFound), run.folder.c_str());
        return;
    }
    // The installed copy describes itself.
    GString exe(run.folder);
    pathJoin(exe, record.exeName.c_str());
    run.record = record;
    try {
        InstallRecord installed;
        if (pathIsFile(exe.c_str()) && hasInstallRecord(exe.c_str()) &&
            readInstallRecord(exe.c_str(), nullptr, &installed, &run.index))
            run.record = installed;
    } catch (...) {
        bagFree(run.index);
    }
    runProgressJob(installerText(InstallerText::RemovalTitle), this,
                   [](void* argument, JobProgress* progress) {
                       RemovalRun* run = static_cast<RemovalRun*>(argument);
                       PageErrorHandler handler(run->dialog);
                       try {
                           run->result = removeInstallation(&handler, progress, run->folder.c_str(), run->record,
                                                            run->index, &run->dialog->registrar, false, nullptr);
                       } catch (const GException&) {
                           run->result = -1;
                       }
                   },
                   &run);
    removalResult = run.result;
    if (run.result > 0) {
        GString text;
        stringAppendFormat(text, installerText(InstallerText::InstallationRemoved), run.folder.c_str());
        showMessageBox(&mbInformation, this, text.c_str());
    }
}

void GInstallDialog::showLicense() {
    GString path = tempFolder();
    pathJoin(path, "license.htm");
    PageErrorHandler handler(this);
    try {
        if (extractFromInstaller(installDataPath.c_str(), &record, &handler, &index, record.licenseMember.c_str(),
                                 path.c_str()))
            ShellExecuteA(hwnd, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    } catch (const GException&) {
    }
}

bool GInstallDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == InstallLicense) {
        showLicense();
        return true;
    }
    if (command == InstallCommand) {
        if (!installAllowed()) return true;
        install();
        endDialog(1);
        return true;
    }
    if (command == InstallRemove) {
        job.running = false;
        removeExisting();
        endDialog(3);
        return true;
    }
    if (command == 9 || command == 101) {
        openHelp("install.htm", this);
        return true;
    }
    if (command >= 1 && command <= 99) {
        endDialog((i32)command);
        return true;
    }
    return GDialog::onCommand(command, query);
}

i32 runInstallDialog(const char* installDataPath, bool suicideRequested) {
    InstallRecord record;
    GBag index;
    MessageBoxErrorHandler handler(3);
    if (!readInstallRecord(installDataPath, &handler, &record, &index)) return -1;
    GInstallDialog dialog;
    dialog.suicideRequested = suicideRequested;
    if (!dialog.buildPage(installDataPath, record, index)) return -1;
    RECT empty{};
    return showModal(&dialog, &empty, PlaceCentreOnOwnMonitor);
}
