#pragma once
// Conversion tasks: each turns one source file into one target file on the job thread. The batch
// runner sizes the work, asks about overwriting and runs the selected tasks in turn; the caller
// owns the tasks and deletes them.
#include <functional>
#include <vector>

#include "core/error.h"
#include "core/gfile.h"
#include "core/gstring.h"
#include "gui/frame/open_file_registry.h"
#include "mm/sound_player.h"

class FileStructure;
class GWindow;
class JobProgress;

class ConversionTask {
public:
    ConversionTask(const char* source, const char* target);
    virtual ~ConversionTask();
    ConversionTask(const ConversionTask&) = delete;
    ConversionTask& operator=(const ConversionTask&) = delete;

    // Writes the target; throws GException on failure or a stop, its message shown first. The target
    // is replaced only by complete output.
    virtual void run(GWindow* window, JobProgress* progress) = 0;

    // Opens the source for reading and registers it, when not yet done.
    bool openSource();
    // Gives back the source's registration and closes it.
    void endSource();

    GString sourceName, targetName;
    u64 sourceSize = 0;
    u8 selected = 1;
    GWindow* window = nullptr;
    // Errors of both files: shown over the window.
    WindowErrorHandler errors;
    GFile sourceFile, targetFile;

protected:
    // Shows the text in an error box over the window and throws.
    [[noreturn]] void fail(const char* text);
    // The target file under its temporary name replaces the target; a failure throws.
    void commitTarget();

private:
    struct Holder : OpenFileHolder {
        void onFileEvent(i32, GFile*) override {}
    } holder;
};

// The tasks of one batch and the optional check of each target before it is asked about.
struct ConversionList {
    std::vector<ConversionTask*> tasks;
    std::function<bool(GWindow*, const char*)> checkTarget;
};

// Button ids of the overwrite box: standard commands of a dialog (1 to 99), so that each ends it.
enum : i32 {
    overwriteCancel = 2,
    overwriteSkip = 20,
    overwriteSkipAll,
    overwriteOnce,
    overwriteAll,
};

// Runs the batch (see the tasks above); true when every selected task ran. A task's exception
// ends the batch and passes to the caller.
bool runConversionBatch(ConversionList& list, GWindow* window, JobProgress* progress, bool askOverwrite);

// True when both names lead to one file: by file identity when both exist, else by the normalised
// names, ignoring case.
bool sameFile(const char* a, const char* b);

// The single sound stream of a parsed source; the file errors (none, several, a DLS or instrument
// file) go through the source file's error path, and the answer is false.
bool selectSoundStream(FileStructure* structure, GFile& sourceFile, SoundStreamInfo& stream);
// Parses the open source in strict mode; null after the file reported why.
FileStructure* parseSourceStrict(GFile& sourceFile);
