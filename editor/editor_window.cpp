#include "editor/editor_window.h"

#include <windows.h>
#include <mmreg.h>

#include <algorithm>
#include <memory>
#include <cstring>
#include <mutex>

#include "app/app_settings.h"
#include "app/program_actions.h"
#include "app/program_texts.h"
#include "core/exceptions.h"
#include "core/gfile.h"
#include "editor/edit_record.h"
#include "editor/editor_file_commands.h"
#include "editor/editor_options.h"
#include "editor/effect_command.h"
#include "editor/editor_menus.h"
#include "editor/file_rows.h"
#include "editor/plugin_commands.h"
#include "editor/rate_change.h"
#include "editor/sound_blocks.h"
#include "editor/wave_pane.h"
#include "gui/controls/status_line.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/message_boxes.h"
#include "gui/menus/action_table.h"
#include "mm/ravo_file.h"
#include "mm/riff_block.h"
#include "gui/menus/popup_menu.h"
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

void resetFormat(SoundFormat& format) {
    format = SoundFormat();
    format.sampleRate = 44100;
    format.bytesPerSecond = 1;
    format.bytesPerFrame = 1;
    format.gain = 1.0;
}

// A command queued for the page after the running one.
class PageCommandTask : public QueuedTask {
public:
    PageCommandTask(EditorWindow* page, u32 id, const char* path) : page(page), id(id) {
        if (path) stringAssignText(this->path, path);
    }
    void run() override {
        if (!path.empty()) stringAssignText(page->pendingPath, path.c_str());
        GStateQuery query{id, 0};
        page->onCommand(id, &query);
    }
    EditorWindow* page;
    u32 id;
    GString path;
};

}  // namespace

EffectCommandHandler effectCommandHandler = runEffectCommand;
FileRowHandler fileRowHandler = performFileRow;

i32 actionFlags(u32 id) {
    static std::once_flag filled;
    std::call_once(filled, fillFlagTable);
    if (id >= 100 && id <= 630) return (i32)flagTable[id];
    if (id >= 1000 && id <= 9999) return 0x20;
    // The items of the open dynamic popup: plug-ins run as effects, tracks as track commands.
    if (id >= firstDynamicItemId) {
        if (dynamicPopupCommand == (i32)VstEffectsMenuId || dynamicPopupCommand == (i32)VstInstrumentsMenuId)
            return 0x3CC;
        if (dynamicPopupCommand == (i32)TrackSelectMenuId) return 0xC;
    }
    return -1;
}

EditorWindow::EditorWindow(GWindow* window, WindowKind* kind, GFileDialog* openDialog, GFileDialog* saveDialog,
                           GFolderList* pickList)
    : GFilePlacer(kind, window, openDialog, saveDialog, pickList) {
    resetFormat(format);
    helpPage = "edit.htm";
    undoWarningThreshold = appSettings.Editor.workFileLimit;
    pane = new WavePane(window);
    pane->create(WS_CHILD | WS_VISIBLE);
    GLayoutItem::addChild(pane);
    statusLine = new GStatusLine(window);
    statusLine->create();
    zoomStrip = new GStatusLine(window);
    zoomStrip->create();
    zoomStrip->reserveWidthFor({"X: 10000%", "Y: 10000%"});
    infoStrip = new GStatusLine(window);
    infoStrip->create();
    progressLine = new GProgressLinePlacer(window);
    GLayoutItem::addChild(progressLine);
    setUpPlayback();
    updateViews();
}

EditorWindow::~EditorWindow() {
    TaskQueue::clear(commandTasks);
    tearDownPlayback();
    delete processor;
    history.reset();
}

const char* EditorWindow::documentKindText() { return ravoText(RavoText::EditorKindName); }

void EditorWindow::setRect(const RECT& r) {
    rect = r;
    i32 w = 0, h = 0;
    if (progressLine->running() || playing)
        progressLine->getPreferredSize(&w, &h);
    const i32 height = std::max<i32>(0, (i32)(r.bottom - r.top));
    h = std::min<i32>(h, height);
    i32 sw = -1, sh = 0, zw = -1, zh = 0;
    statusLine->getPreferredSize(&sw, &sh);
    zoomStrip->getPreferredSize(&zw, &zh);
    sh = std::min<i32>(std::max(sh, zh), height - h);
    // The zoom at the right, the sound's figures beside it over half of the rest.
    const i32 width = (i32)(r.right - r.left);
    zw = std::min(zw, width);
    const i32 iw = (width - zw) / 2;
    const i32 line = r.bottom - h - sh;
    pane->setRect(RECT{r.left, r.top, r.right, line});
    statusLine->setRect(RECT{r.left, line, r.right - zw - iw, line + sh});
    infoStrip->setRect(RECT{r.right - zw - iw, line, r.right - zw, line + sh});
    zoomStrip->setRect(RECT{r.right - zw, line, r.right, line + sh});
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
    if (!openCandidate(path, state)) {
        newDocument();
        notifyPage(PageTitleChanged);
        notifyPage(PageStateChanged);
        return;
    }
    relayoutViews();
    notifyPage(PageStateChanged);
    // The offers, each behind its confirmation.
    EditorSettings& e = appSettings.Editor;
    if (blockNames.size() > 1 && fileKind != kBlockFileKind && e.extractAuto &&
        confirmEditorStep(window, e.extractWarning, ravoText(RavoText::EditorOfferExtract)))
        queueCommand(EditorExtractAuto);
    if (format.encoding < encodingInt16 && e.convertAuto &&
        confirmEditorStep(window, e.convertWarning, ravoText(RavoText::EditorOfferDecompress)))
        queueCommand(EditorDecompressAuto);
}

namespace {
// The sound forms of the document's file, read through its registered stream.
bool readCandidates(EditorWindow* e, SoundFileLayout& layout, std::vector<SoundCandidate>& candidates) {
    GFile file(&e->errorHandler);
    if (!OpenFileRegistry::reopen(file, &e->fileHolder, FileFlag::Read | RegistryMode::OthersWait)) return false;
    bool read = readSoundFileLayout(file, &layout);
    OpenFileRegistry::endReopen(file);
    if (!read) return false;
    collectSoundCandidates(layout.root, candidates);
    return !candidates.empty();
}
}  // namespace

bool EditorWindow::openCandidate(const char* path, GBag& state) {
    SoundFileLayout layout;
    std::vector<SoundCandidate> candidates;
    if (!readCandidates(this, layout, candidates)) return false;
    i32 remembered = -1;
    if (state.size >= state.pos + 4) bagReadI32(state, &remembered);
    i32 chosen = 0;
    if (candidates.size() == 1) {
        if (!acceptSoundCandidate(candidates[0], window)) return false;
    } else if (remembered >= 0 && remembered < (i32)candidates.size() && candidates[remembered].parts.dataFound &&
               candidates[remembered].parts.formatFound && candidates[remembered].parts.rootFound &&
               !checkFormatBlock(candidates[remembered].parts.format, candidates[remembered].parts.dataSize)) {
        chosen = remembered;
    } else {
        chosen = chooseSoundBlock(candidates, window, remembered >= 0 ? remembered : 0);
        if (chosen < 0) return false;
    }
    fileKind = layout.kind;
    if (!bindBlock(path, candidates, chosen)) return false;
    if (state.size > state.pos) pane->restoreState(state);
    return true;
}

bool EditorWindow::bindBlock(const char* path, const std::vector<SoundCandidate>& candidates, i32 chosen) {
    const SoundCandidate& c = candidates[chosen];
    if (!format.assignFromWaveFormat(c.parts.format, window)) return false;
    StoreSource source;
    source.dataOffset = c.dataOffset;
    source.size = c.parts.dataSize;
    source.frameSize = c.parts.format ? c.parts.format->nBlockAlign : 1;
    if (!store.open(path, source, &errorHandler)) return false;
    blockNames.clear();
    for (const SoundCandidate& each : candidates) blockNames.push_back(each.name.c_str());
    stringClear(soundFormatName);
    if (c.parts.format) formatName(&soundFormatName, c.parts.format);
    for (u32 t = 0; t < format.trackCount(); ++t) format.tracks[t].flags |= trackSelected;
    format.rebuildSelectionMask();
    dataStart = store.dataOffset;
    dataLength = store.length;
    currentBlock = chosen;
    // A block of a larger file is only shown: its samples are edited once it is a file of its own.
    samplesPresent = format.encoding >= encodingInt16 && candidates.size() == 1 ? 1 : 0;
    undoWarningThreshold = appSettings.Editor.workFileLimit;
    history.reset();
    pane->setSound(&store, dataStart, dataLength, &format);
    return true;
}

bool EditorWindow::selectBlock(i32 index) {
    const char* path = documentPath();
    if (!hasDocument || !path || running() || job) return false;
    SoundFileLayout layout;
    std::vector<SoundCandidate> candidates;
    if (!readCandidates(this, layout, candidates)) return false;
    if (index < 0) {
        index = chooseSoundBlock(candidates, window, std::max(currentBlock, 0));
        if (index < 0) return false;
    } else if (index >= (i32)candidates.size() || !acceptSoundCandidate(candidates[index], window)) {
        return false;
    }
    stopPlayback(false, true);
    GString kept(path);
    if (!bindBlock(kept.c_str(), candidates, index)) {
        newDocument();
        notifyPage(PageTitleChanged);
    }
    relayoutViews();
    notifyPage(PageStateChanged);
    return hasDocument;
}

void EditorWindow::newDocument() {
    stopPlayback(false, true);
    GFilePlacer::newDocument();
    if (pane->hwnd) {
        pane->setDrawMode(WaveNoDraw);
        pane->setSound(nullptr, 0, 0, nullptr);
    }
    history.reset();
    store.clear();
    resetFormat(format);
    dataStart = dataLength = 0;
    currentBlock = -1;
    samplesPresent = 0;
    fileKind = 0;
    blockNames.clear();
    stringClear(soundFormatName);
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

void EditorWindow::onNewCommand() {
    if (queryClose() != 0) return;
    newDocument();
    notifyPage(PageTitleChanged);
    notifyPage(PageStateChanged);
    if (!createNewSound(this)) return;
    GString path(saveDialog->nameBuffer);
    runFileAction(this, path.c_str());
}

void EditorWindow::createFile(const char* path) {
    if (!createEmptyFile(path)) throw GException();
}

bool EditorWindow::createEmptyFile(const char* path) {
    const SoundFormatSettings& s = appSettings.Common.SoundFormat;
    std::unique_ptr<BlockBase> root;
    SoundFormatBlock block;
    if (s.tag != ownFormatTag) {
        WAVEFORMATEX w = {};
        w.wFormatTag = WAVE_FORMAT_PCM;
        w.nChannels = (WORD)s.channels;
        w.nSamplesPerSec = s.rate;
        w.wBitsPerSample = 16;
        w.nBlockAlign = (WORD)(s.channels * 2);
        w.nAvgBytesPerSec = w.nBlockAlign * s.rate;
        root.reset(buildWaveLayout(&w, 0));
    } else {
        SoundFormat plain;
        plain.setPlain(s.channels, s.rate, s.encoding);
        if (!buildFormatBlock(&block, &plain, window)) return false;
        auto* ravo = new RavoFormBlock;
        root.reset(ravo);
        buildRavoLayout(ravo, block.format(), 0);
    }
    // Removed on close unless every byte was written.
    GFile file(&errorHandler);
    const u32 mode = FileFlag::Write | FileFlag::Truncate | FileFlag::Create | FileFlag::DenyRead |
                     FileFlag::DenyWrite | FileFlag::DeleteOnClose;
    try {
        if (!fileOpen(file, path, mode)) return false;
        if (root->write(nullptr, file, nullptr) && fileFlush(file) && !file.failed())
            file.flags &= ~FileFlag::DeleteOnClose;
        const bool kept = !(file.flags & FileFlag::DeleteOnClose);
        return fileClose(file) && kept;
    } catch (const GException&) {
        fileCloseQuietly(file);
        return false;
    }
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
    updateStatusLine();
    updateStrips();
    if (pane->hwnd) pane->invalidate();
}

void EditorWindow::relayoutViews() {
    if (pane->hwnd) pane->recalculate(true);
    updateViews();
    if (rect.right > rect.left) setRect(rect);
}

void EditorWindow::queueCommand(u32 id, const char* path) {
    auto* task = new PageCommandTask(this, id, path);
    TaskQueue::enqueue(commandTasks, task);
}

void EditorWindow::armTasks() {
    if (tasksArmed) return;
    TaskQueue::unlinkAll(commandTasks);
    tasksArmed = 1;
}

void EditorWindow::requeueTasks() {
    if (!tasksArmed) return;
    tasksArmed = 0;
    TaskQueue::requeueAll(commandTasks);
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
    if ((flags & ActOwnFormat) && !(format.flags & formatOwn)) return 1;
    if ((flags & ActFileName) && !documentPath()) return 1;
    if ((flags & ActSamples) && !samplesPresent) return 1;
    i32 paneState = pane->commandState(id);
    if (paneState == 0 || paneState == 1) return paneState;
    i32 transport = playbackCommandState(id);
    if (transport != 2) return transport;
    i32 fileState = editorFileCommandState(this, id);
    if (fileState != 2) return fileState;
    if (id == EditorUndo) return history.canUndo() && !running() ? 0 : 1;
    if (id == EditorRedo) return samplesPresent && history.canRedo() && !running() ? 0 : 1;
    const bool severalBlocks = blockNames.size() > 1;
    if (id == EditorExtract || id == EditorExtractAuto || id == (u32)actionIdByName("SPLIT_FILE"))
        return severalBlocks && fileKind != kBlockFileKind ? 0 : 1;
    if (id == EditorDecompress || id == EditorDecompressAuto) {
        if (samplesPresent) return 1;
        return blockNames.size() == 1 || fileKind == kBlockFileKind ? 0 : 1;
    }
    if (id >= EditorNoDraw && id <= EditorCurveDraw) return pane->drawMode >= WavePlayback ? 1 : 0;
    if (id == EditorFindNext) return lastFindKind == 0 || lastFindKind == 1 ? 0 : 1;
    if (id == (u32)actionIdByName("SELECT_PREV")) return currentBlock <= 0 ? 1 : 0;
    if (id == (u32)actionIdByName("SELECT_BLOCK")) return severalBlocks ? 0 : 1;
    if (id == (u32)actionIdByName("SELECT_NEXT")) return currentBlock >= (i32)blockNames.size() - 1 ? 1 : 0;
    return flags ? 0 : 2;
}

i32 EditorWindow::commandChecked(u32 id) {
    i32 paneAnswer = pane->commandChecked(id);
    if (paneAnswer != 2) return paneAnswer;
    i32 transport = playbackCommandChecked(id);
    if (transport != 2) return transport;
    if (id == (u32)actionIdByName("SMOOTHING")) return appSettings.Editor.smoothing ? 1 : 0;
    return samplesPresent ? 2 : 0;
}

bool EditorWindow::onCommand(u32 id, GStateQuery* query) {
    // The pane first.
    i32 paneState = pane->hwnd ? pane->commandState(id) : 2;
    if (paneState == 1) return true;
    if (paneState == 0 && pane->onCommand(id, query)) return true;
    if (placerFlags & 0x80) return false;
    // Tasks queued while the command runs wait for its end.
    const bool armedHere = !tasksArmed;
    armTasks();
    bool taken;
    try {
        taken = dispatchCommand(id, query);
    } catch (...) {
        if (armedHere) requeueTasks();
        throw;
    }
    if (armedHere && !running()) requeueTasks();
    return taken;
}

bool EditorWindow::dispatchCommand(u32 id, GStateQuery* query) {
    if (id == FileCommandChanged || id == FileCommandGone) return GFilePlacer::onCommand(id, query);
    if (id == EditorOpenPath) {
        GString path = pendingPath;
        stringClear(pendingPath);
        if (!path.empty()) loadDocument(path.c_str(), nullptr);
        return true;
    }
    i32 flags = actionFlags(id);
    if (flags < 0) return GFilePlacer::onCommand(id, query);
    if ((flags & ActStopPlayback) && playing) stopPlayback(true, false);
    if (playbackCommand(id)) return true;
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
        const bool plugin = id >= firstDynamicItemId;
        i32 answer = plugin ? runPluginEffectCommand(this, id, made)
                            : id == EditorChangeRate ? prepareRateChange(this, made) : effectCommandHandler(this, id, made);
        if (answer != 1) {
            if (answer == 0) TaskQueue::clear(commandTasks);
            delete made;
            return true;
        }
        runAction(made);
        return true;
    }
    if (id >= firstDynamicItemId) {
        selectOnlyTrack(this, id - firstDynamicItemId);
        return true;
    }
    if (id == VstEffectsMenuId || id == VstInstrumentsMenuId || id == TrackSelectMenuId) {
        // From a tool-bar button: the popup at the pointer, filled as the menu bar's.
        if (GWindow* top = topLevelWindow()) showActionPopupAtCursor((i32)id, top);
        return true;
    }
    if (id == VstInfoId) {
        runPluginListDialog(this);
        return true;
    }
    if (id >= EditorNoDraw && id <= EditorCurveDraw) {
        pane->setDrawMode(id - EditorNoDraw);
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
    if (id == EditorSmoothOptions) {
        runEditorOptions(window, EditorOptionsSmoothing);
        return true;
    }
    if (id == (u32)actionIdByName("SMOOTHING")) {
        appSettings.Editor.smoothing = appSettings.Editor.smoothing ? 0 : 1;
        relayoutViews();
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
