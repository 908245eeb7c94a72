#pragma once
// The Editor's file commands: saving the sound to a path, backups and their restore, deleting and
// renaming the file, going to a position, new sounds and file actions, and the re-binding of the
// views after the format changed. File work that takes long runs as the Editor's job with the
// progress line; such a job is deleted by the Editor's placer when it ends.
#include "core/gstring.h"
#include "gui/frame/placer.h"

class EditorWindow;
class JobProgress;
class BlockBase;
struct GFile;
class ErrorHandler;
struct GStateQuery;
struct SoundFormat;

// File work on the job's thread; done follows on the interface thread.
struct EditorFileJob : PlacerJob {
    virtual bool perform(EditorWindow* editor) = 0;
    virtual void done(EditorWindow* editor, bool succeeded) = 0;

    JobProgress* progress = nullptr;
    u64 total = 0;
};

// The path with "bak" appended after one dot.
GString backupNameOf(const char* path);
// The part file of block `index`: folder, one separator, the block's name made safe (or "unnamed"),
// ".%03d.wav".
GString splitPartPath(const char* folder, const char* blockName, u32 index);
// The name with separators, drive colons, ".." and reserved device names taken out.
GString safePartName(const char* name);

// Saves the document to the path; mode bit 0 (SaveOwnFile): the document's own file. False when
// refused or nothing was started; the write itself runs in the background.
bool saveToPath(EditorWindow* editor, const char* path, u32 mode);

// The file commands that the Editor runs itself; false for any other id.
bool runEditorFileCommand(EditorWindow* editor, u32 id, GStateQuery* query);
// 0 enabled, 1 disabled, 2 not decided here.
i32 editorFileCommandState(EditorWindow* editor, u32 id);

// The format becomes the document's and the views follow; true.
bool refreshAfterReload(EditorWindow* editor, const SoundFormat& format);
// Opens the path in the page and sets the sound to the default length in the background.
bool runFileAction(EditorWindow* editor, const char* path);
// Without a document: the new-sound dialog, then the file's name; true when a file was chosen,
// which the page then opens.
bool createNewSound(EditorWindow* editor);

// Writes one block of a file as a RIFF/WAVE file of its own (the node's tags are "RIFF" and "WAVE"
// while it writes).
bool writeBlockAsWave(BlockBase* node, GFile* source, const char* target, JobProgress* progress,
                      ErrorHandler* handler);

// Installed by the shell: the converter page with a source and a target (false: none opened), and
// a tool page (analyzer 73, converter 69) loading the path.
extern bool (*openConverterHook)(GWindow* owner, const char* source, const char* target);
extern bool (*openToolPageHook)(GWindow* owner, u32 kind, const char* path);
// Installed by the pages that build them: the range and track dialogs.
extern void (*rangeDialogHook)(EditorWindow* editor);
extern bool (*tracksDialogHook)(EditorWindow* editor, SoundFormat* format);
// The track dialog over a copy of the sound's format; on OK the sound and its views take it. False
// without the dialog or on Cancel.
bool runTrackChoice(EditorWindow* editor);
