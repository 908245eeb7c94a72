#include "setup/installation_removal.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "app/installer_texts.h"
#include "core/error.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "core/progress.h"
#include "gui/kernel/application.h"
#include "setup/file_types.h"
#include "setup/install_record.h"
#include "setup/packed_members.h"
#include "setup/registry_key.h"

const char* const kSelfDeleteScriptName = "install_suicide.bat";

bool listIndex(const GBag& source, IndexListing& out) {
    GBag index;
    bagAssign(index, source);
    index.pos = 0;
    std::vector<std::string> path;
    auto joined = [&](const char* name) {
        std::string s;
        for (const std::string& part : path) s += part + "\\";
        return s + name;
    };
    try {
        while (index.pos < index.size) {
            u32 kind = bagGetU32(index);
            if (kind == MemberKind::End) return true;
            if (kind == MemberKind::Leave) {
                if (path.empty()) return false;
                path.pop_back();
                continue;
            }
            if (kind != MemberKind::Enter && kind != MemberKind::File) continue;
            const char* name = bagReadText(index);
            if (!isSingleComponent(name)) return false;
            if (kind == MemberKind::Enter) {
                out.folders.push_back(joined(name));
                path.push_back(name);
            } else {
                u64 skipped;
                bagReadU64(index, &skipped);
                bagReadU64(index, &skipped);
                out.files.push_back(joined(name));
            }
        }
    } catch (...) {
        return false;
    }
    return true;
}

bool isRunningFile(const std::string& relativePath) {
    if (relativePath.find('\\') != std::string::npos) return false;
    size_t dot = relativePath.rfind('.');
    if (dot == std::string::npos) return false;
    std::string extension = relativePath.substr(dot + 1);
    return extension == "exe" || extension == "dll";
}

bool uninstallFiles(ErrorHandler* handler, const char* folder, const IndexListing& listing, bool keepRunningFiles,
                    std::vector<std::string>* kept) {
    for (const std::string& file : listing.files) {
        GString path(folder);
        pathJoin(path, file.c_str());
        if (keepRunningFiles && isRunningFile(file)) {
            if (kept) kept->push_back(path.c_str());
            continue;
        }
        if (pathIsFile(path.c_str()) && !deleteFile(path.c_str(), handler)) return false;
    }
    // Deepest first; a folder still holding foreign files stays.
    std::vector<std::string> folders = listing.folders;
    std::reverse(folders.begin(), folders.end());
    for (const std::string& sub : folders) {
        GString path(folder);
        pathJoin(path, sub.c_str());
        RemoveDirectoryA(path.c_str());
    }
    return true;
}

bool removeFolderTree(ErrorHandler* handler, const char* folder) {
    GString pattern(folder);
    pathJoin(pattern, "*");
    DirIterator it(pattern.c_str());
    while (it.next()) {
        GString path;
        it.currentPath(path);
        bool ok = (it.entry().attributes & FILE_ATTRIBUTE_DIRECTORY) ? removeFolderTree(handler, path.c_str())
                                                                      : deleteFile(path.c_str(), handler);
        if (!ok) return false;
    }
    it.close();
    return !pathIsDirectory(folder) || removeDirectory(folder, handler);
}

GString installDataFolder(const InstallRecord& record) {
    if (!isSingleComponent(record.folderName.c_str())) return GString("");
    GString folder = specialFolder(CSIDL_APPDATA);
    if (folder.length) pathJoin(folder, record.folderName.c_str());
    return folder;
}

namespace {
void step(JobProgress* progress, u32 percent, InstallerText text) {
    if (progress) progress->setProgress(percent, text == InstallerText::Count ? nullptr : installerText(text));
}

// The last component of a listed shortcut name, inside `folder`.
GString shortcutCopy(const GString& folder, const GString& name) {
    GString path(folder);
    pathJoin(path, pathNamePart(name));
    return path;
}
}  // namespace

i32 removeInstallation(ErrorHandler* handler, JobProgress* progress, const char* folderText, const InstallRecord& record,
                       const GBag& index, FileTypeRegistrar* registrar, bool keepRunningFiles, RemovalResult* result) {
    RemovalResult local;
    if (!result) result = &local;
    GString folder(folderText);
    normalizePath(folder);
    step(progress, 0, InstallerText::RemovalShortcuts);
    GString desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
    if (record.desktopShortcut.length && desktop.length) {
        GString path = shortcutCopy(desktop, record.desktopShortcut);
        if (pathIsFile(path.c_str()) && !deleteFile(path.c_str(), handler)) return -1;
    }
    step(progress, 10, InstallerText::Count);
    GString programs = specialFolder(CSIDL_PROGRAMS);
    if (record.shortcutNames.count && programs.length) {
        GString menu(programs);
        if (isSingleComponent(record.startMenuFolder.c_str())) pathJoin(menu, record.startMenuFolder.c_str());
        for (u32 i = 0; i < record.shortcutNames.count; ++i) {
            const char* name = record.shortcutNames.at<const char>(i);
            GString path = shortcutCopy(menu, GString(name));
            if (pathIsFile(path.c_str()) && !deleteFile(path.c_str(), handler)) return -1;
        }
        if (isSingleComponent(record.startMenuFolder.c_str())) RemoveDirectoryA(menu.c_str());
    }
    GString temp = tempFolder();
    SetCurrentDirectoryA(temp.c_str());
    step(progress, 20, InstallerText::RemovalFiles);
    IndexListing listing;
    if (index.size && !listIndex(index, listing)) {
        reportMessageDetail(handler, installerText(InstallerText::BadInstallName), folder.c_str(), 0);
        return -1;
    }
    result->filesLeft = index.size == 0;
    if (!uninstallFiles(handler, folder.c_str(), listing, keepRunningFiles, &result->keptFiles)) return -1;
    for (const GString* shipped : {&record.desktopShortcut}) {
        if (!shipped->length) continue;
        GString path(folder);
        pathJoin(path, shipped->c_str());
        if (pathIsFile(path.c_str()) && !deleteFile(path.c_str(), handler)) return -1;
    }
    if (isSingleComponent(record.exeName.c_str())) {
        GString exe(folder);
        pathJoin(exe, record.exeName.c_str());
        bool listed = std::find(result->keptFiles.begin(), result->keptFiles.end(), exe.c_str()) != result->keptFiles.end();
        if (keepRunningFiles) {
            if (!listed && pathIsFile(exe.c_str())) result->keptFiles.push_back(exe.c_str());
        } else if (pathIsFile(exe.c_str()) && !deleteFile(exe.c_str(), handler)) {
            return -1;
        }
    }
    if (!keepRunningFiles) RemoveDirectoryA(folder.c_str());
    step(progress, 50, InstallerText::Count);
    GString data = installDataFolder(record);
    if (data.length && pathIsDirectory(data.c_str()) && !removeFolderTree(handler, data.c_str())) return -1;
    if (machineRightsProbe()) {
        step(progress, 90, InstallerText::Count);
        if (record.uninstallKeyName.length) {
            GString subkey(strchr(kUninstallKey, '\\') + 1);
            stringAppend(subkey, record.uninstallKeyName.c_str());
            RegistryKey key(handler);
            if (!key.deleteTree(HKEY_LOCAL_MACHINE, subkey.c_str())) return -1;
        }
    }
    if (registrar) {
        step(progress, 95, InstallerText::Count);
        if (!registrar->unregisterFileTypes(handler, record, folder.c_str())) return -1;
    }
    step(progress, 100, InstallerText::RemovalDone);
    return 1;
}

namespace {
std::string quotedPath(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}
}  // namespace

std::string selfDeleteScript(const char* folder, const std::vector<std::string>& files, u32 tries) {
    std::string s = "@echo off\r\nset tries=0\r\n:retry\r\n";
    for (const std::string& file : files) s += "del " + quotedPath(file) + " >nul 2>nul\r\n";
    for (const std::string& file : files) s += "if exist " + quotedPath(file) + " goto wait\r\n";
    s += "goto done\r\n:wait\r\nset /a tries+=1\r\nif %tries% geq " + std::to_string(tries) +
         " goto done\r\nping -n 2 127.0.0.1 >nul\r\ngoto retry\r\n:done\r\n";
    s += "rmdir " + quotedPath(folder) + " >nul 2>nul\r\n";
    s += "del \"%~f0\" >nul 2>nul\r\n";
    return s;
}

bool runSelfDeleteScript(const char* folder, const std::vector<std::string>& files) {
    GString temp = tempFolder();
    GString path(temp);
    pathJoin(path, kSelfDeleteScriptName);
    std::string text = selfDeleteScript(folder, files);
    GFile file;
    if (!fileOpen(file, path.c_str(), FileMode::Write) || !fileWrite(file, text.data(), (u32)text.size()) ||
        !fileClose(file))
        return false;
    return (INT_PTR)ShellExecuteA(nullptr, nullptr, path.c_str(), nullptr, temp.c_str(), SW_HIDE) > 32;
}
