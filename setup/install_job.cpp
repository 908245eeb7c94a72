#include "setup/install_job.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "app/installer_texts.h"
#include "core/error.h"
#include "core/format.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "core/progress.h"
#include "gui/kernel/application.h"
#include "setup/file_types.h"
#include "setup/installation_removal.h"
#include "setup/packed_members.h"
#include "setup/registry_key.h"

bool installProgramFiles(const char* installerPath, const InstallRecord* record, ErrorHandler* handler,
                         GBag* index, const char* targetFolder, JobProgress* progress) {
    InstallRecord readRecord;
    GBag readIndex;
    if (!record || !index) {
        if (!readInstallRecord(installerPath, handler, &readRecord, &readIndex)) return false;
        record = &readRecord;
        index = &readIndex;
    }
    index->pos = 0;
    GFile source(handler);
    if (!fileOpen(source, installerPath, FileMode::Read)) return false;
    if (progress) progress->setTotal(record->imageSize + record->payloadSize);
    GString exePath(targetFolder);
    pathJoin(exePath, record->exeName.c_str());
    GFile exe(handler);
    bool ok = fileOpen(exe, exePath.c_str(), FileMode::Write);
    std::vector<u8> buffer(1 << 16);
    for (u64 left = record->imageSize, done = 0; ok && left;) {
        u32 n = left < buffer.size() ? (u32)left : (u32)buffer.size();
        ok = fileRead(source, buffer.data(), n) && fileWrite(exe, buffer.data(), n);
        left -= n;
        done += n;
        if (ok && progress && progress->report(done, nullptr)) ok = false;
    }
    ok = ok && writeInstalledTail(exe, *record, *index) && fileClose(exe);
    if (!ok) fileCloseQuietly(exe);
    u64 membersEnd = record->recordOffset ? record->recordOffset : (u64)fileSize(source);
    ok = ok && fileSeek(source, (i64)record->imageSize, 0) &&
         unpackAllMembers(targetFolder, source, *index, progress, membersEnd);
    fileCloseQuietly(source);
    return ok;
}

namespace {
// The two interfaces of one shell-link object, released with the holder.
struct LinkObject {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    LinkObject() {
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                       (void**)&link)))
            link->QueryInterface(IID_IPersistFile, (void**)&file);
    }
    ~LinkObject() {
        if (file) file->Release();
        if (link) link->Release();
    }
};

bool wide(const char* path, wchar_t (&out)[MAX_PATH]) {
    return MultiByteToWideChar(CP_ACP, 0, path, -1, out, MAX_PATH) > 0;
}

// Replaces the leading buildFolder of the text by the target.
void moveInto(GString& text, const char* buildFolder, const char* target) {
    size_t n = strlen(buildFolder);
    if (!n || strncmp(text.c_str(), buildFolder, n) != 0) return;
    const char* rest = text.c_str() + n;
    while (*rest == '\\') ++rest;
    GString moved(target);
    if (*rest) pathJoin(moved, rest);
    text = moved;
}
}  // namespace

bool loadShellLink(ShellLinkRecord& record, const char* path) {
    LinkObject shell;
    wchar_t name[MAX_PATH];
    if (!shell.file || !wide(path, name) || FAILED(shell.file->Load(name, STGM_READ))) return false;
    char buffer[1024];
    auto take = [&](GString& out, HRESULT r) {
        buffer[sizeof buffer - 1] = 0;
        stringAssignText(out, SUCCEEDED(r) ? buffer : "");
    };
    buffer[0] = 0;
    take(record.arguments, shell.link->GetArguments(buffer, sizeof buffer));
    buffer[0] = 0;
    take(record.description, shell.link->GetDescription(buffer, sizeof buffer));
    buffer[0] = 0;
    int icon = 0;
    take(record.iconPath, shell.link->GetIconLocation(buffer, sizeof buffer, &icon));
    record.iconIndex = icon;
    buffer[0] = 0;
    take(record.path, shell.link->GetPath(buffer, sizeof buffer, nullptr, 0));
    buffer[0] = 0;
    take(record.workingDirectory, shell.link->GetWorkingDirectory(buffer, sizeof buffer));
    int show = 1;
    if (SUCCEEDED(shell.link->GetShowCmd(&show))) record.showCommand = show;
    return true;
}

bool saveShellLink(const ShellLinkRecord& record, const char* path) {
    LinkObject shell;
    wchar_t name[MAX_PATH];
    if (!shell.file || !wide(path, name)) return false;
    IShellLinkA* l = shell.link;
    return SUCCEEDED(l->SetPath(record.path.c_str())) && SUCCEEDED(l->SetDescription(record.description.c_str())) &&
           SUCCEEDED(l->SetArguments(record.arguments.c_str())) &&
           SUCCEEDED(l->SetIconLocation(record.iconPath.c_str(), record.iconIndex)) &&
           SUCCEEDED(l->SetShowCmd(record.showCommand)) &&
           SUCCEEDED(l->SetWorkingDirectory(record.workingDirectory.c_str())) &&
           SUCCEEDED(shell.file->Save(name, TRUE));
}

bool relocateShortcut(ErrorHandler* handler, const char* shortcutName, const char* buildFolder,
                      const char* targetFolder) {
    GString path(targetFolder);
    pathJoin(path, shortcutName);
    ShellLinkRecord record;
    if (!loadShellLink(record, path.c_str()))
        return reportFormatted(handler, installerText(InstallerText::ShortcutUnreadable), path.c_str());
    for (GString* text : {&record.iconPath, &record.path, &record.workingDirectory})
        moveInto(*text, buildFolder, targetFolder);
    if (!saveShellLink(record, path.c_str()))
        return reportFormatted(handler, installerText(InstallerText::ShortcutUnwritable), path.c_str());
    return true;
}

namespace {
// Copies target + name into the folder under the name's last component.
bool copyShortcut(ErrorHandler* handler, const GString& target, const GString& name, const GString& folder) {
    GString from(target), to(folder);
    pathJoin(from, name.c_str());
    pathJoin(to, pathNamePart(name));
    if (CopyFileA(from.c_str(), to.c_str(), FALSE)) return true;
    return reportToHandler(handler, installerText(InstallerText::ShortcutUnwritable), nullptr, to.c_str(),
                           (int)GetLastError());
}

struct ComScope {
    bool ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    ~ComScope() {
        if (ok) CoUninitialize();
    }
};
}  // namespace

bool InstallJob::run(JobProgress* progress) {
    if (progress) progress->setTotal(100);
    bool administrator = machineRightsProbe();
    target = targetText;
    normalizePath(target);
    pathStripTrailingSeparator(target);
    if (!target.length || isProtectedFolder(target.c_str()))
        return reportFormatted(handler, installerText(InstallerText::FolderRefused), targetText.c_str());
    if (!checkRecordNames(record, handler)) return false;
    // What is missing now is what this job writes.
    newFiles.clear();
    newFolders.clear();
    if (!pathIsDirectory(target.c_str())) newFolders.push_back(target.c_str());
    IndexListing listing;
    listIndex(index, listing);
    GString exe(target);
    pathJoin(exe, record.exeName.c_str());
    if (!pathIsFile(exe.c_str())) newFiles.push_back(exe.c_str());
    for (const std::string& sub : listing.folders) {
        GString path(target);
        pathJoin(path, sub.c_str());
        if (!pathIsDirectory(path.c_str())) newFolders.push_back(path.c_str());
    }
    for (const std::string& file : listing.files) {
        GString path(target);
        pathJoin(path, file.c_str());
        if (!pathIsFile(path.c_str())) newFiles.push_back(path.c_str());
    }
    if (!pathIsDirectory(target.c_str()) && !createDirectory(target.c_str(), handler)) return false;
    running = true;
    if (!installProgramFiles(installerPath.c_str(), &record, handler, &index, target.c_str(), progress)) return false;
    installedProgram = target;
    if (record.runFileName.length) pathJoin(installedProgram, record.runFileName.c_str());
    if (record.uninstallKeyName.length && administrator) {
        GString path(kUninstallKey);
        stringAppend(path, record.uninstallKeyName.c_str());
        GString command;
        stringAppendFormat(command, "\"%s\" -uninstall -suicide", exe.c_str());
        RegistryKey key(handler);
        if (!key.create(path.c_str())) return false;
        if (record.displayName.length && !key.setString("DisplayName", record.displayName.c_str())) return false;
        if (record.publisher.length && !key.setString("Publisher", record.publisher.c_str())) return false;
        if (!key.setString("UninstallString", command.c_str()) || !key.setString("InstallLocation", target.c_str()))
            return false;
        if (record.runFileName.length && !key.setString("DisplayIcon", installedProgram.c_str())) return false;
    }
    ComScope com;
    const char* build = record.buildFolder.c_str();
    if (record.desktopShortcut.length && desktopShortcut) {
        if (!relocateShortcut(handler, record.desktopShortcut.c_str(), build, target.c_str())) return false;
        GString desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
        if (desktop.length && !copyShortcut(handler, target, record.desktopShortcut, desktop)) return false;
    }
    GString programs = specialFolder(CSIDL_PROGRAMS);
    if (record.shortcutNames.count && startMenuShortcuts && programs.length) {
        GString menu(programs);
        if (record.startMenuFolder.length) {
            pathJoin(menu, record.startMenuFolder.c_str());
            if (!pathIsDirectory(menu.c_str()) && !createDirectory(menu.c_str(), handler)) return false;
        }
        for (u32 i = 0; i < record.shortcutNames.count; ++i) {
            const char* name = record.shortcutNames.at<const char>(i);
            if (!relocateShortcut(handler, name, build, target.c_str())) return false;
            if (!copyShortcut(handler, target, GString(name), menu)) return false;
        }
    }
    std::vector<const char*> shipped;
    for (u32 i = 0; i < record.shortcutNames.count; ++i) shipped.push_back(record.shortcutNames.at<const char>(i));
    if (record.desktopShortcut.length) shipped.push_back(record.desktopShortcut.c_str());
    for (const char* name : shipped) {
        GString path(target);
        pathJoin(path, name);
        DeleteFileA(path.c_str());
    }
    if (registrar && !registrar->registerFileTypes(handler, record, target.c_str())) return false;
    if (progress) progress->setProgress(100, installerText(InstallerText::InstallDone));
    succeeded = true;
    running = false;
    return true;
}

void InstallJob::undo() {
    for (const std::string& file : newFiles) DeleteFileA(file.c_str());
    for (auto it = newFolders.rbegin(); it != newFolders.rend(); ++it) RemoveDirectoryA(it->c_str());
    running = false;
}
