#pragma once
// EditorWindow: the Editor tab's page (window kind 1012), the document of one sound. It owns the
// sound's format and store, the undo history of its edits, the processor while an edit runs and,
// as a layout item, its wave pane and progress line. Deleted as a layout item by its window.
#include <mutex>
#include <string>
#include <vector>

#include "core/task_queue.h"
#include "engine/processor.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/undo_history.h"
#include "gui/kernel/timers.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"

class GProgressLinePlacer;
class GStatusLine;
class PlaybackLevelWindow;
class SoundPlayer;
class WavePane;
class EditRecord;
struct EditorFileJob;
struct WavePaneNotice;

enum : u32 { TypeEditorWindow = 1012 };

// The actions the Editor itself knows by id.
enum : u32 {
    EditorUndo = 408,
    EditorRedo = 409,
    EditorCut = 411,
    EditorCrop = 425,
    EditorCutOut = 485,
    EditorAmplify = 523,
    EditorExtract = 310,
    EditorExtractAuto = 311,
    EditorSmoothOptions = 407,
    EditorCopy = 410,
    EditorFft = 446,
    EditorFftRepeat = 447,
    EditorFind = 454,
    EditorFindNext = 455,
    EditorDecompress = 478,
    EditorDecompressAuto = 479,
    EditorChangeRate = 511,
    EditorNoDraw = 421,
    EditorCurveDraw = 424,
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
// run; anything but 1 declines (nothing runs). Replaceable; runEffectCommand by default.
typedef i32 (*EffectCommandHandler)(class EditorWindow* editor, u32 id, SoundBlockProcessor* processor);
extern EffectCommandHandler effectCommandHandler;
// Runs a file row (EXTRACT, DECOMPRESS, SPLIT_FILE, ...) on the job's thread: no processor slot
// serves them. Replaceable; performFileRow by default.
typedef bool (*FileRowHandler)(class EditorWindow* editor, SoundBlockProcessor* processor);
extern FileRowHandler fileRowHandler;
// FFT results for a spectrum page (modes 0 and 1 of the analysis): shown by the spectrum editor.
// Replaceable; the default shows nothing.
typedef void (*FftResultHandler)(class EditorWindow* editor, SoundBlockProcessor* processor, u32 mode);
extern FftResultHandler fftResultHandler;
// The progress line's caption of a running edit: "Running '<title>'...", a plug-in by its name, an
// action by its title and shortcut.
GString runningCaption(u32 id);
// The Editor's own file kind whose blocks are extracted and decompressed as one.
const u32 kBlockFileKind = 12;

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
    void onNewCommand() override;
    void detach() override;
    void activatePage() override;
    void saveOptions(GBag* blocks) override;
    // NEW's file: an empty sound in the new-sound format of the settings.
    void createFile(const char* path) override;
    bool createEmptyFile(const char* path);
    // The plug-in and track menus (editor/editor_menus.cpp).
    bool fillDynamicMenu(u32 actionId, HMENU menu) override;

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
    // Runs the bound processor: at once when its work (rangeLength) is at most kEditAtOnceBytes, else in
    // the background.
    bool runAction(SoundBlockProcessor* made);
    // Runs the processor at once as a trial, whatever its length: its change stays in the store,
    // unrecorded, until undoTrial; the processor stays the caller's. Null when nothing ran.
    EditRecord* runTrial(SoundBlockProcessor* p);
    // Takes the trial's change back out of the store and deletes the record.
    void undoTrial(EditRecord* trial);
    u32 undo();
    u32 redo();
    bool running() const { return processor != nullptr; }
    // Refreshes the pane after the store's length may have changed.
    void takeDataLength();
    void updateViews();
    void relayoutViews();
    void updateStatusLine();
    void updateStrips();
    // The page's command task list: queues the command for this page (run after the current one).
    void queueCommand(u32 id, const char* path = nullptr);
    // The steps of the completion report by action; each may be replaced by its owner's part.
    void reportResult(SoundBlockProcessor* p);
    // The undo disk warning after the store grew.
    void checkUndoDisk();
    // The sound's rate and bytes per second; the views follow.
    void setSampleRate(u32 rate);
    bool onControlNotify(void* notification) override;

    // Playback and recording (editor_playback.cpp).
    // The pane's pick of a play position; false for other notifications.
    bool playbackNotify(struct GControlNotification* notification);
    void onTimer(TimerRecord* record) override;
    void play(bool selectionOnly);
    void stopPlayback(bool redraw, bool wait);
    void pauseResume();
    void rewindPlayback();
    void seekPlayback(u64 frame);
    void recordFragment();
    // Answer the transport commands; 2 for any other id (false: not taken).
    i32 playbackCommandState(u32 id);
    i32 playbackCommandChecked(u32 id);
    bool playbackCommand(u32 id);
    bool playerActive() const;
    // Makes block `index` of the file current (-1: the user chooses from the list); the history
    // starts again. False when nothing changed.
    bool selectBlock(i32 index);

    SoundFormat format;
    SoundStore store;
    UndoHistory history;
    WavePane* pane = nullptr;
    GProgressLinePlacer* progressLine = nullptr;
    // The spectrum page this Editor's analyses go to; cleared when that page leaves.
    GPlacer* spectrumPage = nullptr;
    SoundBlockProcessor* processor = nullptr;
    u64 dataStart = 0;
    u64 dataLength = 0;
    i32 currentBlock = -1;
    u8 samplesPresent = 0;
    u8 playing = 0;
    u8 paused = 0;
    u64 undoWarningThreshold = 0;
    GStatusLine* statusLine = nullptr;
    GStatusLine* zoomStrip = nullptr;
    GStatusLine* infoStrip = nullptr;
    u32 fileKind = 0;
    std::vector<std::string> blockNames;  // the sounds of the file, by name
    GString soundFormatName;
    TaskRing commandTasks;
    u8 tasksArmed = 0;
    GString pendingPath;  // the path of a queued 1001
    u32 lastFindKind = ~0u;
    // The pane's drawn points while a stroke command runs.
    const WavePaneNotice* drawnPoints = nullptr;
    SoundPlayer* player = nullptr;
    PlaybackLevelWindow* levelWindow = nullptr;
    TimerRecord playTimer;

private:
    struct Change {
        u64 position, oldLength, newLength;
    };
    bool beginRun(SoundBlockProcessor* made);
    bool runNow();
    void finishRun(bool succeeded);
    void finishTrial(bool succeeded);
    void recordPositionChanges();
    void finishFileJob(EditorFileJob* file, bool succeeded);
    void rollBack();
    void applyRecordPositions(EditRecord* record, bool after);
    bool dispatchCommand(u32 id, GStateQuery* query);
    bool openCandidate(const char* path, GBag& state);
    bool bindBlock(const char* path, const std::vector<struct SoundCandidate>& candidates, i32 chosen);
    void armTasks();
    void requeueTasks();
    void setUpPlayback();
    void tearDownPlayback();
    bool playFileRange(u64 from, u64 to);
    // Edits waiting on the job's thread for the interface thread.
    std::mutex changeLock;
    std::vector<Change> changes;
    EditRecord* record = nullptr;
    bool recordFinished = false;
    // While a trial runs: its processor is not deleted, its record is kept in trialRecord.
    bool trial = false;
    EditRecord* trialRecord = nullptr;
};
