#pragma once
// The installation itself, apart from its dialog: the executable with its installed tail, the
// unpacked members, the uninstall entry, the shortcuts and the file types; and the undoing of a
// job that failed midway (only what it wrote). The dialog owns the job object.
#include <string>
#include <vector>

#include "core/bag.h"
#include "core/gstring.h"
#include "setup/install_record.h"

class ErrorHandler;
class FileTypeRegistrar;
class JobProgress;

// Copies the image into target + exeName with the installed tail (record with payloadSize 0, the
// index, the footer) and unpacks the members into the target. Record and index are read when
// either is missing.
bool installProgramFiles(const char* installerPath, const InstallRecord* record, ErrorHandler* handler,
                         GBag* index, const char* targetFolder, JobProgress* progress);

// The fields of a shortcut file (texts of at most 1024 bytes).
struct ShellLinkRecord {
    GString path;
    GString description;
    GString arguments;
    GString iconPath;
    GString workingDirectory;
    i32 iconIndex = 0;
    i32 showCommand = 1;
};
// COM must be initialised on the thread.
bool loadShellLink(ShellLinkRecord& record, const char* path);
bool saveShellLink(const ShellLinkRecord& record, const char* path);
// Points the shortcut target + name, where it lies inside buildFolder, into targetFolder.
bool relocateShortcut(ErrorHandler* handler, const char* shortcutName, const char* buildFolder,
                      const char* targetFolder);

class InstallJob {
public:
    // Everything the dialog hands over.
    GString installerPath;
    InstallRecord record;
    GBag index;
    GString targetText;  // the folder field's text
    bool desktopShortcut = true;
    bool startMenuShortcuts = true;
    ErrorHandler* handler = nullptr;
    FileTypeRegistrar* registrar = nullptr;

    // Set by run.
    GString target;
    GString installedProgram;
    bool running = false;
    bool succeeded = false;

    // The installation; false after a report to the handler (which may throw instead).
    bool run(JobProgress* progress);
    // Removes what a failed run wrote: the files and folders it made and the target when it made
    // it; files that were there before stay.
    void undo();

    // What the job found missing before writing (absolute paths).
    std::vector<std::string> newFiles;
    std::vector<std::string> newFolders;
};
