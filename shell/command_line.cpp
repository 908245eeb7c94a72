#include "shell/command_line.h"

#include <cstring>

#include "app/installer_texts.h"
#include "app/text_modules.h"
#include "core/error.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "core/parse.h"
#include "core/paths.h"
#include "gui/kernel/application.h"
#include "gui/kernel/init_step.h"
#include "gui/kernel/message_box.h"
#include "gui/views/language_dialog.h"
#include "gui/views/localization_object.h"
#include "setup/install_dialog.h"
#include "setup/install_record.h"
#include "setup/packed_members.h"
#include "setup/uninstall_dialog.h"
#include "shell/hand_over.h"
#include "shell/startup_steps.h"
#include "shell/step_table.h"

CommandLineState commandLineState;
GFile installLock;
const char* const kInstallLockName = "kx_install_lock_3652637.txt";
i32 (*runInstallPage)(const char*, bool) = runInstallDialog;
i32 (*runUninstallPage)(const char*, bool) = runUninstallDialog;

namespace {
LocalizationObject& payloadLocalizer() {
    static LocalizationObject object(programTextModules, programTextModuleCount);
    return object;
}

// The record and index of the installer, read at the first member asked for.
struct PayloadSource {
    bool read = false;
    bool ok = false;
    InstallRecord record;
    GBag index;
};
PayloadSource& payloadSource() {
    static PayloadSource source;
    return source;
}

bool extractFromOwnPayload(const char* member, const char* path) {
    PayloadSource& source = payloadSource();
    try {
        if (!source.read) {
            source.read = true;
            source.ok = readInstallRecord(commandLineState.installDataPath.c_str(), nullptr, &source.record,
                                          &source.index);
        }
        return source.ok && extractFromInstaller(commandLineState.installDataPath.c_str(), &source.record, nullptr,
                                                 &source.index, member, path);
    } catch (...) {
        return false;
    }
}

void showInstallerMessage(InstallerText text, const char* detail = nullptr) {
    GString message;
    stringAppendFormat(message, installerText(text), detail ? detail : "");
    showMessageBox(&mbError, nullptr, message.c_str());
}
}  // namespace

i32 parseCommandLine(const char* commandLine) {
    CommandLineState& s = commandLineState;
    s = CommandLineState();
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    stringAssignText(s.installDataPath, self);
    ArgumentList arguments;
    splitCommandLine(arguments, commandLine ? commandLine : "");
    queuedFiles.clear();
    for (u32 i = 0; i < arguments.count; ++i) {
        const char* argument = arguments.arguments[i];
        bool hasValue = i + 1 < arguments.count;
        if (strcmp(argument, "-lang") == 0) {
            if (hasValue) stringAssignText(s.languageCode, arguments.arguments[++i]);
        } else if (strcmp(argument, "-idata") == 0) {
            if (hasValue) stringAssignText(s.installDataPath, arguments.arguments[++i]);
        } else if (strcmp(argument, "-install") == 0) {
            s.installRequested = true;
        } else if (strcmp(argument, "-uninstall") == 0) {
            s.uninstallRequested = true;
        } else if (strcmp(argument, "-diskloc") == 0) {
            s.diskLocalization = true;
        } else if (strcmp(argument, "-admin") == 0) {
            s.adminGiven = true;
        } else if (strcmp(argument, "-suicide") == 0) {
            s.suicideRequested = true;
        } else if (argument[0] != '-' && argument[0]) {
            queuedFiles.push_back(argument);
        }
    }
    {
        MessageBoxErrorHandler openHandler(2);
        GFile probe(&openHandler);
        if (!fileOpen(probe, s.installDataPath.c_str(), FileMode::Read)) return 0;
        fileCloseQuietly(probe);
    }
    try {
        s.hasRecord = hasInstallRecord(s.installDataPath.c_str());
        if (s.hasRecord) {
            MessageBoxErrorHandler recordHandler(3);
            InstallRecord record;
            if (!readInstallRecord(s.installDataPath.c_str(), &recordHandler, &record, nullptr)) return 0;
            s.isInstaller = record.payloadSize != 0;
        }
    } catch (...) {
        return 0;
    }
    if (s.uninstallRequested) {
        s.installRequested = false;
    } else if (s.installRequested || s.isInstaller) {
        s.installRequested = true;
    }
    if (s.installRequested || s.uninstallRequested) {
        s.isAdministrator = machineRightsProbe();
        if (!s.isAdministrator && !s.adminGiven) {
            GString parameters("-admin ");
            stringAppend(parameters, commandLine ? commandLine : "");
            if (elevatedRelaunch(parameters.c_str())) return 0;
        }
    }
    payloadSource() = PayloadSource();
    if (s.isInstaller && !s.diskLocalization) {
        extractPayloadMember = extractFromOwnPayload;
        payloadLocalizer().create(s.languageCode.c_str());
    } else {
        extractPayloadMember = nullptr;
        stringAssignText(diskLanguageStep().language, s.languageCode.c_str());
        initSteps[SlotLanguage] = &diskLanguageStep();
    }
    return s.installRequested || s.uninstallRequested ? 1 : 2;
}

bool runInstallerMode() {
    CommandLineState& s = commandLineState;
    if (!s.installRequested && !s.uninstallRequested) return true;
    if (!s.isAdministrator &&
        showMessageBox(&mbQuestion, nullptr, installerText(InstallerText::NoRightsQuestion)) != IDYES)
        return false;
    GString lock = tempFolder();
    pathJoin(lock, kInstallLockName);
    installLock.handler = nullptr;
    if (!installLock.fp && !fileOpen(installLock, lock.c_str(), FileMode::Write)) {
        showInstallerMessage(InstallerText::InstallerRunning);
        return false;
    }
    if (!requestRunningInstanceStop()) return false;
    try {
        if (s.installRequested) {
            if (!s.isInstaller) {
                showInstallerMessage(InstallerText::NotAnInstaller, s.installDataPath.c_str());
                return false;
            }
            runInstallPage(s.installDataPath.c_str(), s.suicideRequested);
        } else {
            if (!s.hasRecord) {
                showInstallerMessage(InstallerText::NothingInstalled, s.installDataPath.c_str());
                return false;
            }
            runUninstallPage(s.installDataPath.c_str(), s.suicideRequested);
        }
    } catch (...) {
    }
    return false;
}

void selectLanguageAndRestart(GWindow* owner) {
    Localizer* localizer = nullptr;
    if (initSteps[SlotLanguage] == &diskLanguageStep())
        localizer = diskLanguageStep().localizer;
    else if (initSteps[SlotLanguage] == &payloadLocalizer())
        localizer = &payloadLocalizer();
    if (!localizer) return;
    i32 index = localizer->chosen;
    if (!GLanguageDialog::run(owner, *localizer, index, "selectlang.htm") || index < 0) return;
    localizer->storeLanguageChoice((u32)index);
    quitApplication("");
}
