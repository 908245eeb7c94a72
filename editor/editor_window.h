#pragma once
// EditorWindow: the Editor tab's page (window kind 1012), the document of one sound. It owns the
// sound's format and store, the undo history of its edits, the processor while an edit runs and,
// as a layout item, its wave pane and progress line. Deleted as a layout item by its window.
#include <mutex>
#include <vector>

#include "engine/processor.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/undo_history.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"

class GProgressLinePlacer;
class WavePane;
class EditRecord;
struct EditorFileJob;

enum : u32 { TypeEditorWindow = 1012 };

// The actions the Editor itself knows by id.
enum : u32 {
    EditorUndo = 408,
    EditorRedo = 409,
    EditorCut = 411,
    EditorCrop = 425,
    EditorCutOut = 485,
    EditorAmplify = 523,
    EditorOpenPath = 1001,
};

// Bits of actionFlags.
enum : u32 {
    ActDocument = 0x1,
    ActFileName = 0x2,
    ActSamples = 0x4,
    ActStopPlayback = 0x8,
    ActRefusedModified = 0x10,
    ActAlwaysEnabled = 0x20,
    ActSelection = 0x40,
    ActEdit = 0x80,
    ActProcessor = 0x100,
    ActMarksModified = 0x200,
    ActLengthChanges = 0x400,
    ActOwnFormat = 0x2000,
    ActNonEmptySelection = 0x4000,
    ActRestoreCursor = 0x8000,
    ActRestoreRangeStart = 0x10000,
};
// The flags of an action id; -1 (as u32) for an id that is not the Editor's.
i32 actionFlags(u32 id);

// Edits up to this many bytes run on the interface thread.
const u64 kEditAtOnceBytes = 100000;

// Between the Editor and the effect command handler: called with the bound processor before the
// run; 0 declines (nothing runs). Replaceable; the default accepts.
typedef i32 (*EffectCommandHandler)(class EditorWindow* editor, u32 id, SoundBlockProcessor* processor);
extern EffectCommandHandler effectCommandHandler;

class EditorWindow : public GFilePlacer, public ProcessorOwner {
public:
    EditorWindow(GWindow* window, WindowKind* kind = nullptr, GFileDialog* openDialog = nullptr,
                 GFileDialog* saveDialog = nullptr, GFolderList* pickList = nullptr);
    ~EditorWindow() override;

    u32 windowKind() override { return TypeEditorWindow; }
    const char* documentKindText() override;
    u32 historyKind() override { return 1; }
    void setRect(const RECT& rect) override;

    void openFile(const char* path, GBag& state) override;
    void newDocument() override;
    // Saves in the background (saveToPath); throws GException when nothing was started.
    void writeFile(const char* path, u32 flags) override;
    void createFile(const char* path) override;
    void onNewCommand() override;
    void detach() override;
    void activatePage() override;
    void saveOptions(GBag* blocks) override;

    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    i32 commandChecked(u32 command) override;

    // The edit's steps (the job's), and the processor's owner calls on the job's thread.
    bool performJob(PlacerJob* job) override;
    void afterJob(PlacerJob* job) override;
    void jobFailed(PlacerJob* job) override;
    void jobSucceeded(PlacerJob* job) override;
    void onRangeChanged(GCommonObject* undoRecord, u64 position, u64 oldLength, u64 newLength) override;
    void onChangeFinished() override;

    // Made for the sound's encoding and bound to the selection; null when nothing may run.
    SoundBlockProcessor* createSoundBlockProcessor(u32 id);
    // Runs the bound processor: at once up to kEditAtOnceBytes, else in the background.
    bool runAction(SoundBlockProcessor* made);
    u32 undo();
    u32 redo();
    bool running() const { return processor != nullptr; }
    // Refreshes the pane after the store's length may have changed.
    void takeDataLength();
    void updateViews();
    void relayoutViews();

    SoundFormat format;
    SoundStore store;
    UndoHistory history;
    WavePane* pane = nullptr;
    GProgressLinePlacer* progressLine = nullptr;
    SoundBlockProcessor* processor = nullptr;
    u64 dataStart = 0;
    u64 dataLength = 0;
    i32 currentBlock = -1;
    u8 samplesPresent = 0;
    u8 playing = 0;
    u64 undoWarningThreshold = 0;

private:
    struct Change {
        u64 position, oldLength, newLength;
    };
    void finishRun(bool succeeded);
    void finishFileJob(EditorFileJob* file, bool succeeded);
    void rollBack();
    void applyRecordPositions(EditRecord* record, bool after);
    // Edits waiting on the job's thread for the interface thread.
    std::mutex changeLock;
    std::vector<Change> changes;
    EditRecord* record = nullptr;
    bool recordFinished = false;
};
