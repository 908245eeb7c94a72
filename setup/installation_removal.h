#pragma once
// Removal of an installation: only what it lists (the member index of the installed copy, the
// executable, the shortcuts, its data folder and registry entries), and the script that deletes
// the running uninstaller's own files once it has ended. Free functions; nothing is owned.
#include <string>
#include <vector>

#include "core/bag.h"
#include "core/gstring.h"

class ErrorHandler;
class FileTypeRegistrar;
class JobProgress;
struct InstallRecord;

// The paths an index lists, relative to the install folder: files in index order, folders in the
// order they are entered.
struct IndexListing {
    std::vector<std::string> files;
    std::vector<std::string> folders;
};
// False when the index is damaged (a name that is not one component, a leave past the top).
bool listIndex(const GBag& index, IndexListing& out);

// True for a top-level ".exe" or ".dll" (lower case) that the running uninstaller keeps.
bool isRunningFile(const std::string& relativePath);

// Deletes the listed files (keeping the running ones when asked; their absolute paths go to `kept`),
// then the listed folders that are empty, deepest first. A missing file is no error.
bool uninstallFiles(ErrorHandler* handler, const char* folder, const IndexListing& listing, bool keepRunningFiles,
                    std::vector<std::string>* kept);
// Deletes a folder and all below it (the program's own data folder).
bool removeFolderTree(ErrorHandler* handler, const char* folder);

struct RemovalResult {
    std::vector<std::string> keptFiles;  // left for the script
    bool filesLeft = false;              // a copy without index: only the executable went
};

// Removes the installation in `folder` as described by the record and the index (empty for an
// older copy). 1 at its end; a failure reported to the handler ends it earlier with -1.
i32 removeInstallation(ErrorHandler* handler, JobProgress* progress, const char* folder, const InstallRecord& record,
                       const GBag& index, FileTypeRegistrar* registrar, bool keepRunningFiles, RemovalResult* result);

// The data folder of the record (application data + folderName); empty when folderName is not
// one component.
GString installDataFolder(const InstallRecord& record);

// The script's text: deletes the files, waits about a second between tries and gives up after
// `tries`, removes the folder when empty and itself. '%' in paths is doubled.
std::string selfDeleteScript(const char* folder, const std::vector<std::string>& files, u32 tries = 60);
extern const char* const kSelfDeleteScriptName;  // "install_suicide.bat"
// Writes the script into the temporary folder and starts it hidden; false when it cannot.
bool runSelfDeleteScript(const char* folder, const std::vector<std::string>& files);
