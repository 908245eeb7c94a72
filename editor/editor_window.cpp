#include "editor/editor_window.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "app/app_settings.h"
#include "app/program_actions.h"
#include "app/program_texts.h"
#include "core/exceptions.h"
#include "editor/edit_record.h"
#include "editor/editor_file_commands.h"
#include "editor/rate_change.h"
#include "editor/wave_pane.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/message_boxes.h"
#include "gui/menus/action_table.h"
#include "mm/sound_file.h"

namespace {

// The flag table by action names; filled into ids on first use.
struct FlagRow {
    u32 value;
    const char* names;
};
const FlagRow flagRows[] = {
    {0x00001,
     "GGraph_SCALE_NORMAL GGraph_HSCALE_PLUS GGraph_HSCALE_MINUS GGraph_FIT_TO_WINDOW_X STOP PLAY_SELECTION RANGE "
     "SELECT_NONE SELECT_ALL VGRID MS PAUSE_RESUME BEGIN_SELECT END_SELECT EXPAND_BEGIN_SELECT EXPAND_END_SELECT "
     "NO_DRAW SELECT_TO_LEFT SELECT_TO_RIGHT MARKER_TO_LEFT MARKER_TO_RIGHT STYLEFUNCTOGGLE_STROKES "
     "STYLEFUNCTOGGLE_LINES STYLEFUNCTOGGLE_POINTS STYLEFUNC_STROKES STYLEFUNC_LINES STYLEFUNC_POINTS HGRID 0DB "
     "BEGIN_SEL_TO_MARKER END_SEL_TO_MARKER SAVE_SELECTION SAVE_SELECTION_1 SAVE_SELECTION_2 SAVE_SELECTION_3 "
     "LOAD_SELECTION LOAD_SELECTION_1 LOAD_SELECTION_2 LOAD_SELECTION_3"},
    {0x00002, "ANALYZE_FILE CONVERT_FILE"},
    {0x00004, "GGraph_SCALE_PLUS GGraph_SCALE_MINUS VST_EFFECTS_MENU VST_INSTRUMENTS_MENU"},
    {0x00005, "GGraph_FIT_TO_WINDOW_Y"},
    {0x00008, "DELETE_FILE UNBACKUP_MOVE DELETE_BACKUP_FILE"},
    {0x00009, "SAVE SAVE_AS GOTO"},
    {0x0000A, "SELECT_PREV SELECT_BLOCK SELECT_NEXT"},
    {0x0000C, "POINT_DRAW LINE_DRAW CURVE_DRAW TRACKS_MODIFY TRACK_ALL TRACK_NEXT TRACK_PREV TRACK_SELECT"},
    {0x00018, "RENAME_FILE"},
    {0x00020,
     "COLOR_WAVEPANE_BACKGROUND COLOR_WAVEPANE_FIRST_VOICE COLOR_WAVEPANE_LAST_VOICE COLOR_WAVEPANE_GRID "
     "COLOR_WAVEPANE_DIGITS COLOR_WAVEPANE_SELECTION COLOR_WAVEPANE_MARKER COLOR_WAVEPANE_AXIS COLOR_DEFAULT "
     "SMOOTH_OPTIONS SMOOTHING REWIND PLAY_LOOP VST_INFO"},
    {0x00108, "UNBACKUP_FILE"},
    {0x0010A, "EXTRACT EXTRACT_AUTO DECOMPRESS DECOMPRESS_AUTO SPLIT_FILE"},
    {0x0010C, "FFT FFT_REPEAT FIND FINDNEXT"},
    {0x00119, "BACKUP_FILE"},
    {0x0014C, "SAVE_FRAGMENT COPY"},
    {0x003CC,
     "ZERO ADD MUL CHANGE_MAX_VOLUME ASSIGN INVERT MIRROR CENTER PITCH CUT DELETE PASTE_REP PASTE_REP_ADD "
     "PASTE_REP_SUB FFT_GEN FFT_GEN_MIX SINE_GEN SINE_GEN_MIX FADING NLFADING DIMINUENDO CRESCENDO PREFADING "
     "NLPREFADING ECHO REVERBERATION ECHO_WEAK ECHO_MEDIUM ECHO_STRONG REVER_WEAK REVER_MEDIUM REVER_STRONG "
     "PULSATION PULSATION_POSITIVE PULSATION_NEGATIVE PULSATION_DISSYMETRIC PULSATION_RANDOM LOW_CUT_FILTER "
     "HIGH_CUT_FILTER BAND_PASS_FILTER BAND_CUT_FILTER EQUALIZER AMPLIFY BQF_LOW_PASS BQF_HIGH_PASS BQF_BAND_PASS "
     "BQF_NOTCH BQF_BAND BQF_LOW_SHELF BQF_HIGH_SHELF BQF_PHASER CHORUS REMOVE_HUM REMOVE_NOISE_3000 "
     "REMOVE_NOISE_5000 REMOVE_NOISE_7000"},
    {0x0060C, "UNDO REDO"},
    {0x0070C, "PASTE_INSERT SETSIZE INSWAVE CHANGE_RATE"},
    {0x0074C, "PITCH_SCALE TEMPO STRETCH CUTOUT"},
    {0x007CC, "VIBRATO VIBRATO_RANDOM"},
    {0x02119, "TRACKS_ADD_REMOVE MIX"},
    {0x0470C, "CROP"},
    {0x0474C, "CROSSFADING CROSSFADING_BACK"},
    {0x08001, "PLAY_STOP"},
    {0x08604, "RECORD"},
    {0x0870C, "PASTE PASTE_ADD PASTE_SUB"},
    {0x1038C, "WAVEPANE_POINT WAVEPANE_LINE WAVEPANE_CURVE"},
};

u32 flagTable[631];

void fillFlagTable() {
    (void)programActionCount();
    for (const FlagRow& row : flagRows) {
        const char* p = row.names;
        while (*p) {
            const char* end = std::strchr(p, ' ');
            if (!end) end = p + std::strlen(p);
            std::string name(p, end);
            i32 id = actionIdByName(name.c_str());
            if (id >= 100 && id <= 630) flagTable[id] = row.value;
            p = *end ? end + 1 : end;
        }
    }
    flagTable[574] = 0x00001;
    flagTable[625] = 0x0000D;
}

i32 acceptEffect(EditorWindow*, u32, SoundBlockProcessor*) { return 1; }

}  // namespace

EffectCommandHandler effectCommandHandler = acceptEffect;

i32 actionFlags(u32 id) {
    static std::once_flag filled;
    std::call_once(filled, fillFlagTable);
    if (id >= 100 && id <= 630) return (i32)flagTable[id];
    if (id >= 1000 && id <= 9999) return 0x20;
    return -1;
}

EditorWindow::EditorWindow(GWindow* window, WindowKind* kind, GFileDialog* openDialog, GFileDialog* saveDialog,
                           GFolderList* pickList)
    : GFilePlacer(kind, window, openDialog, saveDialog, pickList) {
    format.sampleRate = 44100;
    format.bytesPerSecond = 1;
    format.bytesPerFrame = 1;
    format.gain = 1.0;
    helpPage = "edit.htm";
    undoWarningThreshold = appSettings.Editor.workFileLimit;
    pane = new WavePane(window);
    pane->create(WS_CHILD | WS_VISIBLE);
    GLayoutItem::addChild(pane);
    progressLine = new GProgressLinePlacer(window);
    GLayoutItem::addChild(progressLine);
    updateViews();
}

EditorWindow::~EditorWindow() {
    delete processor;
    history.reset();
}

const char* EditorWindow::documentKindText() { return ravoText(RavoText::EditorKindName); }

void EditorWindow::setRect(const RECT& r) {
    rect = r;
    i32 w = 0, h = 0;
    if (progressLine->running())
        progressLine->getPreferredSize(&w, &h);
    h = std::min<i32>(h, std::max<i32>(0, (i32)(r.bottom - r.top)));
    pane->setRect(RECT{r.left, r.top, r.right, r.bottom - h});
    progressLine->setRect(RECT{r.left, r.bottom - h, r.right, r.bottom});
}

void EditorWindow::openFile(const char* path, GBag& state) {
    GFilePlacer* holder = findWindowForFile(TypeEditorWindow, path);
    if (holder && holder != this) {
        showErrorF(window, ravoText(RavoText::EditorFileHeld), path);
        return;
    }
    GFilePlacer::openFile(path, state);
    if (!hasDocument) return;
    if (!openSoundFile(path, &format, &store, &errorHandler, window)) {
        newDocument();
        notifyPage(PageTitleChanged);
        notifyPage(PageStateChanged);
        return;
    }
    for (u32 t = 0; t < format.trackCount(); ++t) format.tracks[t].flags |= trackSelected;
    format.rebuildSelectionMask();
    dataStart = store.dataOffset;
    dataLength = store.length;
    currentBlock = 0;
    samplesPresent = format.encoding >= encodingInt16 ? 1 : 0;
    undoWarningThreshold = appSettings.Editor.workFileLimit;
    history.reset();
    pane->setSound(&store, dataStart, dataLength, &format);
    relayoutViews();
    notifyPage(PageStateChanged);
}

void EditorWindow::newDocument() {
    GFilePlacer::newDocument();
    if (pane->hwnd) {
        pane->setDrawMode(WaveNoDraw);
        pane->setSound(nullptr, 0, 0, nullptr);
    }
    history.reset();
    store.clear();
    format = SoundFormat();
    format.sampleRate = 44100;
    format.bytesPerSecond = 1;
    format.bytesPerFrame = 1;
    format.gain = 1.0;
    dataStart = dataLength = 0;
    currentBlock = -1;
    samplesPresent = 0;
    relayoutViews();
}

void EditorWindow::detach() {
    try {
        newDocument();
    } catch (...) {
    }
}

void EditorWindow::writeFile(const char* path, u32 flags) {
    if (!saveToPath(this, path, flags)) throw GException();
}

void EditorWindow::createFile(const char* path) {
    if (!writeEmptySoundFile(path, &errorHandler)) throw GException();
}

void EditorWindow::onNewCommand() {
    if (queryClose() != 0) return;
    newDocument();
    notifyPage(PageTitleChanged);
    notifyPage(PageStateChanged);
    if (!createNewSound(this)) return;
    GString path(saveDialog->nameBuffer);
    runFileAction(this, path.c_str());
}

void EditorWindow::activatePage() {
    GFilePlacer::activatePage();
    if (pane->source) pane->source->moveToFront();
}

void EditorWindow::saveOptions(GBag* blocks) {
    if (!hasDocument) return;
    bagWriteU32(blocks[1], (u32)std::max(currentBlock, 0));
    pane->saveState(blocks[1]);
}

void EditorWindow::updateViews() {
    if (placerFlags & 0x80) return;
    if (pane->hwnd) pane->invalidate();
}

void EditorWindow::relayoutViews() {
    if (pane->hwnd) pane->recalculate(true);
    updateViews();
    if (rect.right > rect.left) setRect(rect);
}

void EditorWindow::takeDataLength() {
    if (store.length == dataLength) return;
    dataLength = store.length;
    pane->setLength(dataLength);
}

i32 EditorWindow::commandState(u32 id) {
    if (id == EditorOpenPath) return 0;
    if (id >= FileCommandOpen && id <= FileCommandNew) {
        if (id == FileCommandReload) return 1;
        if (id == FileCommandSaveAs && !hasDocument) return 1;
        if (playing && id != FileCommandRefresh && id != FileCommandPick) return 1;
    }
    i32 own = GFilePlacer::commandState(id);
    if (own != 2) return own;
    i32 flags = actionFlags(id);
    if (flags < 0) return 2;
    if (flags & ActAlwaysEnabled) return 0;
    if ((flags & ActDocument) && !hasDocument) return 1;
    if ((flags & ActOwnFormat) && !(format.flags & 2)) return 1;
    if ((flags & ActFileName) && !documentPath()) return 1;
    if ((flags & ActSamples) && !samplesPresent) return 1;
    i32 paneState = pane->commandState(id);
    if (paneState == 0 || paneState == 1) return paneState;
    i32 fileState = editorFileCommandState(this, id);
    if (fileState != 2) return fileState;
    if (id == EditorUndo) return history.canUndo() && !running() ? 0 : 1;
    if (id == EditorRedo) return history.canRedo() && !running() ? 0 : 1;
    return flags ? 0 : 2;
}

i32 EditorWindow::commandChecked(u32 id) {
    i32 paneAnswer = pane->commandChecked(id);
    if (paneAnswer != 2) return paneAnswer;
    if (id == (u32)actionIdByName("SMOOTHING")) return appSettings.Editor.smoothing ? 1 : 0;
    return samplesPresent ? 2 : 0;
}

bool EditorWindow::onCommand(u32 id, GStateQuery* query) {
    // The pane first.
    i32 paneState = pane->hwnd ? pane->commandState(id) : 2;
    if (paneState == 1) return true;
    if (paneState == 0 && pane->onCommand(id, query)) return true;
    if (placerFlags & 0x80) return false;
    if (id == FileCommandChanged || id == FileCommandGone) return GFilePlacer::onCommand(id, query);
    i32 flags = actionFlags(id);
    if (flags < 0) return GFilePlacer::onCommand(id, query);
    if ((flags & ActRefusedModified) && modified) {
        showMessageBox(&mbError, window, ravoText(RavoText::EditorUnsaved));
        return true;
    }
    if ((flags & ActNonEmptySelection) && pane->selStart >= pane->selEnd) {
        showMessageBox(&mbError, window, ravoText(RavoText::EditorNoSelection));
        return true;
    }
    if (runEditorFileCommand(this, id, query)) return true;
    if (flags & ActProcessor) {
        if (commandState(id) != 0) return true;
        SoundBlockProcessor* made = createSoundBlockProcessor(id);
        if (!made) return true;
        i32 answer = id == EditorChangeRate ? prepareRateChange(this, made) : effectCommandHandler(this, id, made);
        if (answer != 1) {
            delete made;
            return true;
        }
        runAction(made);
        return true;
    }
    if (id == EditorUndo) {
        undo();
        return true;
    }
    if (id == EditorRedo) {
        redo();
        return true;
    }
    try {
        return GFilePlacer::onCommand(id, query);
    } catch (GException&) {
        // A save that failed or was refused has said why.
        if (id == FileCommandSave || id == FileCommandSaveAs) return true;
        throw;
    }
}
