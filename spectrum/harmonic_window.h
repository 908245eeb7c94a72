#pragma once
// SpectrumWindow: the document page of one spectrum (window kind 1002, "spectrum.htm"): its
// header and harmonic list, shown in a table over a spectrum pane and edited through undoable
// commands; saved as ".ovt". It owns the list, the history and its layout (the views delete
// themselves with their windows); the dialogs and pick list are the program's.
// Also the process-wide harmonic clipboard and the stand-ins for what the wave editor supplies.
#include <vector>

#include "app/page_links.h"
#include "core/level_value.h"
#include "core/text_table.h"
#include "engine/harmonics.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/undo_history.h"
#include "gui/kernel/timers.h"
#include "spectrum/harmonic_edits.h"
#include "spectrum/harmonic_page.h"
#include "spectrum/harmonic_table_model.h"

class GLayoutBuilder;
class GProgressLinePlacer;
struct SpectrumJob;
class GSplitterItem;
class GStatusLine;
class SynthGenerator;
class SpectPane;

// The commands of the page.
enum : u32 {
    SpectrumExportCsv = 307,
    SpectrumImportCsv = 308,
    SpectrumSelectAll = 322,
    SpectrumMul = 396,
    SpectrumChangeMaxVolume = 397,
    SpectrumPitch = 403,
    SpectrumUndo = 408,
    SpectrumRedo = 409,
    SpectrumCopy = 410,
    SpectrumCut = 411,
    SpectrumPaste = 414,
    SpectrumInsert = 428,
    SpectrumDelete = 429,
    SpectrumClear = 432,
    SpectrumRandomize = 433,
    SpectrumCutUp = 434,
    SpectrumCutDown = 435,
    SpectrumInvertSelection = 436,
    SpectrumGetPower = 437,
    SpectrumTest = 438,
    SpectrumOptions = 439,
    SpectrumRestoreOvertones = 441,
    SpectrumFftMain = 448,
    SpectrumEdit = 477,
    SpectrumAmplify = 523,
    SpectrumRemoveDuplicates = 592,
    SpectrumMakeFourier = 593,
    SpectrumRemoveSmearing = 594,
};

// Forms of the harmonic dialog and the values its several-harmonics form applies.
enum : i32 { HarmonicDialogOne = 30, HarmonicDialogSeveral = 31 };
enum : u32 { ApplyBase = 1, ApplyOvertone = 2, ApplyAmplitude = 4, ApplyPhase = 8 };

// Stand-ins until the wave editor's dialogs and options reach this side; the editor replaces them.
namespace SpectrumCalls {
// The harmonic dialog in a form, showing and returning `values`; in the several form `applied`
// holds the switches. True on OK. Null: no dialog (INSERT and EDIT do nothing).
typedef bool (*RunSineGenDialog)(GWindow* owner, i32 form, const char* helpPage, HarmonicRecord* values, u32* applied);
extern RunSineGenDialog runSineGenDialog;
// The FFT options' size and fit switch.
extern u32 fftSize;
extern bool fitAfterFft;
// The pitch dialog over one ratio field, and the amplitude dialog over one level field, with their
// help page, title, explanation and label. True on OK, the value written back. The defaults are
// the Editor's pitch dialog and a plain value dialog.
typedef bool (*RunPitchDialog)(GWindow* owner, const char* helpPage, const char* title, const char* explanation,
                               const char* label, IntervalValue* value, const IntervalRange& range);
typedef bool (*RunAmpDialog)(GWindow* owner, const char* helpPage, const char* title, const char* label,
                             LevelValue* value, const LevelRange& range);
extern RunPitchDialog runPitchDialog;
extern RunAmpDialog runAmpDialog;
// The sound-format panel of the job dialogs, editing the sample rate; the default is one field.
typedef void (*BuildFormatPanel)(GLayoutBuilder& builder, u32* sampleRate);
extern BuildFormatPanel buildFormatPanel;
}  // namespace SpectrumCalls

// Kept for the life of the process: the threshold of MAKE_FOURIER and REMOVE_SMEARING and the
// subharmonic depth of RESTORE_OVER.
extern f64 generationThreshold;
extern i32 subharmonicDepth;

// What TEST plays through; the default is the process's synthesizer output. Interface thread.
class HarmonicPlayOutput {
public:
    virtual ~HarmonicPlayOutput() = default;
    virtual u32 sampleRate();
    // Sounds still playing fade out within a tenth of a second.
    virtual void fadeOut();
    virtual bool running();
    virtual void clearSources();
    // The output takes the generator; false when it refused it (the caller deletes it then).
    virtual bool addSource(SynthGenerator* generator);
    virtual void addUser();
    // Drops one use; the output stops and is waited for when none is left.
    virtual void dropUser();
};
// The output TEST uses; null: the default. Tests put their own here.
extern HarmonicPlayOutput* harmonicPlayOutput;
HarmonicPlayOutput& playOutput();


// The values last used in the harmonic dialog: the process-wide sine defaults.
HarmonicRecord& defaultHarmonic();

// Shared by every spectrum window for the life of the process.
struct HarmonicClipboard {
    HarmonicClipboard() { initSpectrumHeader(&header); }
    SpectrumHeader header;
    HarmonicArray records;
};
extern HarmonicClipboard harmonicClipboard;

class SpectrumWindow : public GFilePlacer, public HarmonicPage {
public:
    SpectrumWindow(GWindow* window, WindowKind* kind = nullptr, GFileDialog* openDialog = nullptr,
                   GFileDialog* saveDialog = nullptr, GFolderList* pickList = nullptr);
    ~SpectrumWindow() override;

    u32 windowKind() override { return 1002; }
    u32 historyKind() override { return 4; }

    // HarmonicPage
    bool hasDocument() override { return GFilePlacer::hasDocument != 0; }
    SpectrumHeader& header() override { return head; }
    HarmonicArray& harmonics() override { return list; }
    GTable* harmonicTable() override { return table; }
    void syncPane() override;
    void refreshViews() override;
    void sortByColumn(i32 column, bool ascending) override;

    // Takes the caller's records (its array is left empty) and the header.
    void setHarmonics(HarmonicArray& array, const SpectrumHeader& header);
    void openSpectrumFile(const char* path, GBag& viewState);
    void newSpectrum();
    void reloadAll();

    // GFilePlacer
    void newDocument() override { newSpectrum(); }
    void openFile(const char* path, GBag& state) override { openSpectrumFile(path, state); }
    void saveFile(GFile& file, u32 flags) override;
    void detach() override;
    void deactivatePage() override;
    const char* documentKindText() override;
    void saveOptions(GBag* blocks) override;
    void restoreOptions(GBag* blocks) override;
    void describeState(GBag& viewState);
    void saveState(GBag& bag);
    void restoreState(GBag& bag);

    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    bool onControlNotify(void* notification) override;

    void insertHarmonic();
    void editHarmonics();
    void deleteHarmonics();
    void clearHarmonics();
    void cutAbove();
    void cutBelow();
    void goToStrongest();
    void showPower();
    bool copyHarmonics();
    void cutHarmonics();
    void pasteHarmonics();
    void exportHarmonicsText();
    void importHarmonicsText();
    // Writes the selected rows to an open writer; false after a failed write.
    bool writeHarmonicsText(TextWriter& writer);
    // Reads the text table into the list at p as one step; the rows inserted.
    u32 readHarmonicsText(TextReader& reader, u32 p);

    // The caret row, -1 for none.
    i64 caretRow();
    // The selected harmonic rows in selection order (the empty last row left out of the selection).
    u32 takeSelection(std::vector<u32>& rows);
    // The value commands.
    void harmonicPitchCommand();
    void multiplyHarmonicsCommand();
    void changeMaxVolumeCommand();
    void randomizeCommand();
    void removeDuplicatesCommand();
    // The background commands, their steps and their ends.
    void restoreOvertonesCommand();
    void spectrumOptionsCommand();
    void prepareSpectrumCommand();
    void removeSmearingCommand();
    void playSpectrum();
    bool performJob(PlacerJob* job) override;
    void jobSucceeded(PlacerJob* job) override;
    void jobFailed(PlacerJob* job) override;
    void onTimer(TimerRecord* record) override;
    // Stops the countdown and lets go of the output.
    void stopPlayback();

    void refreshZoomLine();
    // The frequency and note under the mouse while it is over the pane.
    void refreshCursorLine();
    void fitPane();
    void tryPendingFit();
    void setRect(const RECT& rect) override;

    SpectrumHeader head;
    HarmonicArray list;
    UndoHistory history;
    i32 lastCaretRow = -1;
    GProgressLinePlacer* progressLine = nullptr;
    GStatusLine* documentLine = nullptr;
    GStatusLine* zoomLine = nullptr;
    GStatusLine* cursorLine = nullptr;
    GSplitterItem* splitter = nullptr;
    SpectPane* pane = nullptr;
    GTable* table = nullptr;
    HarmonicTableModel tableModel{this};
    bool fitPending = false;
    SIZE fitSize = {0, 0};
    double fitScale[2] = {0.0, 0.0};
    TimerRecord playTimer;
    i32 playCountdown = 0;

private:
    void setDocumentShown();
    void markModified();
    void readLines(TextReader& reader, HarmonicInsertEdit* edit, HarmonicRecord& work, u32& p);
    void removeRowsAt(HarmonicDeleteEdit* edit, u32 first, u32 end);
    // The selected rows; with fewer than `least`, the too-few box and false.
    bool takeAtLeast(std::vector<u32>& rows, u32 least);
    // After a command changed records in place.
    void valuesChanged();
    // The dialog of 439, 593 and 594 on the header's values; false on Cancel.
    bool runGenParams(u32 action, const char* help, u32* rate, u32* fftSize);
    // Records header and list as one step of the action and takes the new rate and size.
    void beginSnapshotStep(u32 action, u32 rate, u32 fftSize);
    SpectrumJob* newJob(u32 action, const std::vector<u32>& rows, u64 total);
    void finishRestoreOvertones(SpectrumJob* job);
    void finishPrepareSpectrum(SpectrumJob* job);
    void finishRemoveSmearing(SpectrumJob* job);
    void startPlayback(SpectrumJob* job);
};
