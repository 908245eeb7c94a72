#include "spectrum/harmonic_window.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/harmonic_dialog.h"
#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "core/exceptions.h"
#include "core/texts.h"
#include "gui/controls/line_window.h"
#include "gui/controls/notes.h"
#include "gui/controls/status_line.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/frame/open_file_registry.h"
#include "gui/frame/progress_line.h"
#include "gui/input/system_input.h"
#include "gui/kernel/message_box.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/splitter.h"
#include "gui/layout/strip_item.h"
#include "gui/views/table.h"
#include "spectrum/harmonic_pane.h"

namespace SpectrumCalls {
RunSineGenDialog runSineGenDialog = nullptr;
u32 fftSize = 16384;
bool fitAfterFft = true;
}  // namespace SpectrumCalls

HarmonicClipboard harmonicClipboard;

HarmonicRecord& defaultHarmonic() { return sineDefaults(); }

namespace {
const double kPi = 3.14159265358979323846;

// The values the several-harmonics form switched on, from the dialog's record onto a record.
void applyValues(HarmonicRecord& r, const HarmonicRecord& v, u32 applied) {
    if (applied & ApplyBase) r.baseFrequency = v.baseFrequency;
    if (applied & ApplyOvertone) r.overtone = v.overtone;
    if (applied & ApplyAmplitude) r.amplitude = v.amplitude;
    if (applied & ApplyPhase) r.phase = v.phase;
    if (applied & (ApplyBase | ApplyOvertone)) {
        r.frequency = overtoneFrequency(r.baseFrequency, r.overtone);
        r.reserved16 = 0;
        HarmonicRecord::updateNote(&r);
    }
}

// A whole decimal field; false when text is left over or the number is not finite.
bool parseDouble(const char* text, double* value) {
    char* end = nullptr;
    *value = strtod(text, &end);
    return end != text && *end == 0 && std::isfinite(*value);
}

bool parseInteger(const char* text, long long* value) {
    char* end = nullptr;
    *value = strtoll(text, &end, 10);
    return end != text && *end == 0;
}

GStripItem* addStrip(GLayoutBuilder& builder, u32 key, u8 flag, const char* code) {
    GStripItem* strip = GStripItem::create(builder, key, 1, code);
    (void)flag;
    return strip;
}
}  // namespace

SpectrumWindow::SpectrumWindow(GWindow* window, WindowKind* kind, GFileDialog* openDialog, GFileDialog* saveDialog,
                               GFolderList* pickList)
    : GFilePlacer(kind, window, openDialog, saveDialog, pickList) {
    helpPage = "spectrum.htm";
    initSpectrumHeader(&head);
    head.fftSize = 16384;
    defaultHarmonic();

    GLayoutBuilder builder(window);
    builder.current = this;
    GColumnsItem* column = GColumnsItem::create(builder, "00000", "UC");
    column->digits[3] = 0;

    splitter = new GSplitterItem(window, true, 1, 2);
    builder.pushContainer(splitter, "", "UC");
    GRowItem::create(builder, "00000");
    setAlignmentCode(builder.current, "UC");
    addStrip(builder, 4, 1, "<C");
    GTableDesc desc;
    desc.flags |= TableMultiSelect | TableModelNotOwned | TableToolTips;
    desc.columnCount = HarmonicColumnCount;
    desc.columnSpec = ravoText(RavoText::HarmonicColumns);
    desc.model = &tableModel;
    table = new GTable(window);
    table->create(desc);
    builder.add(table, "UC");
    addStrip(builder, 5, 1, ">C");
    builder.endContainer();
    GRowItem::create(builder, "00000");
    setAlignmentCode(builder.current, "UC");
    addStrip(builder, 6, 1, "<C");
    pane = new SpectPane(window);
    pane->build();
    builder.add(pane, "UC");
    addStrip(builder, 7, 1, ">C");
    builder.endContainer();
    builder.endContainer();

    addStrip(builder, 8, 0, "U^");
    GLineN* rule = new GLineN(window);
    rule->create();
    builder.add(rule, "U^");
    GRowItem::create(builder, "00000");
    setAlignmentCode(builder.current, "U^");
    progressLine = new GProgressLinePlacer(window);
    builder.add(progressLine, "<-");
    documentLine = GStatusLine::create(builder);
    zoomLine = GStatusLine::create(builder);
    cursorLine = GStatusLine::create(builder);
    setAlignmentCode(zoomLine, ">-");
    setAlignmentCode(cursorLine, ">-");
    // Wide enough for their longest texts, so that they keep their width as the values change.
    char zoomSample[128];
    snprintf(zoomSample, sizeof zoomSample, ravoText(RavoText::HarmonicZoom), 888.888, 0.0888888);
    zoomLine->reserveWidthFor({zoomSample});
    cursorLine->reserveWidthFor({"88888 Hz", "Sol#/10"});
    builder.endContainer();
    builder.endContainer();

    EnableWindow(table->hwnd, FALSE);
    refreshViews();
}

SpectrumWindow::~SpectrumWindow() { stopPlayback(); }

const char* SpectrumWindow::documentKindText() { return ravoText(RavoText::KindSpectrum); }

void SpectrumWindow::detach() {
    try {
        if (forgetSpectrumPage) forgetSpectrumPage(this);
        stopPlayback();
        GFilePlacer::newDocument();
    } catch (...) {
    }
}

i64 SpectrumWindow::caretRow() { return table && table->selection() ? table->selection()->caret() : -1; }

u32 SpectrumWindow::takeSelection(std::vector<u32>& rows) {
    rows.clear();
    GSelectionModel* s = table->selection();
    if (!s) return 0;
    if (s->isSelected(list.count)) s->setSelected(list.count, false);
    for (i64 r = s->firstSelected(); r >= 0; r = s->nextSelected(r))
        if (r < (i64)list.count) rows.push_back((u32)r);
    return (u32)rows.size();
}

void SpectrumWindow::setDocumentShown() {
    EnableWindow(table->hwnd, TRUE);
    GFilePlacer::hasDocument = 1;
}

void SpectrumWindow::markModified() {
    if (modified) {
        notifyPage(PageStateChanged);
        return;
    }
    setModified(true);
}

// ---- views ----

void SpectrumWindow::syncPane() {
    if (!pane) return;
    if (!hasDocument()) {
        pane->clearRecords();
        return;
    }
    pane->setRecords(list);
    i64 r = caretRow();
    if (r >= 0 && r < (i64)list.count) {
        HarmonicSyncScope guard;
        pane->selectNearest(list[(u32)r].frequency);
    }
}

void SpectrumWindow::refreshViews() {
    if (!documentLine) return;
    if (!hasDocument()) {
        documentLine->clearTexts();
        return;
    }
    i64 r = caretRow();
    if (r >= 0 && r < (i64)list.count)
        documentLine->setFieldTextF(0, ravoText(RavoText::HarmonicRowOf), (u32)r + 1, list.count);
    else
        documentLine->setFieldTextF(0, ravoText(RavoText::HarmonicCount), list.count);
    u32 selected = 0;
    if (GSelectionModel* s = table->selection()) {
        selected = (u32)s->selectedCount();
        if (selected && s->isSelected(list.count)) --selected;
    }
    documentLine->setFieldTextF(1, ravoText(RavoText::HarmonicSelected), selected);
    if (head.sampleRate)
        documentLine->setFieldTextF(2, ravoText(RavoText::HarmonicRate), head.sampleRate / 1000.0);
    else
        documentLine->setFieldText(2, "");
    if (head.fftSize)
        documentLine->setFieldTextF(3, ravoText(RavoText::HarmonicFftSize), head.fftSize);
    else
        documentLine->setFieldText(3, "");
    if (head.sampleRate && head.fftSize)
        documentLine->setFieldTextF(4, ravoText(RavoText::HarmonicBinWidth), (double)head.sampleRate / head.fftSize);
    else
        documentLine->setFieldText(4, "");
}

void SpectrumWindow::refreshZoomLine() {
    if (zoomLine && pane) zoomLine->setFieldTextF(0, ravoText(RavoText::HarmonicZoom), pane->scaleX * 100.0, pane->scaleY * 100.0);
}

void SpectrumWindow::refreshCursorLine() {
    if (!cursorLine || !pane) return;
    cursorLine->clearTexts();
    POINT p;
    RECT client;
    if (!hasDocument() || !systemInput.cursorPos(&p)) return;
    ScreenToClient(pane->hwnd, &p);
    GetClientRect(pane->hwnd, &client);
    if (!PtInRect(&client, p)) return;
    double f = pane->frequencyAt(p.x);
    if (!(f > 0.0)) return;
    cursorLine->setFieldTextF(0, "%d Hz", (int)std::floor(f));
    i32 k = (i32)std::floor(12.0 * std::log(f / 440.0) / std::log(2.0) + 0.5) + 57;
    if (k >= 0) cursorLine->setFieldTextF(1, "%s%s", noteName(k % 12), octaveName(k / 12));
}

void SpectrumWindow::reloadAll() {
    syncPane();
    {
        HarmonicSyncScope guard;
        table->reload((u64)-1);
    }
    refreshViews();
}

// A fit needs the pane's page size: one asked before the layout gave it is done when it comes.
void SpectrumWindow::fitPane() {
    fitPending = true;
    tryPendingFit();
}

void SpectrumWindow::tryPendingFit() {
    if (!pane->hwnd) return;
    RECT client;
    GetClientRect(pane->hwnd, &client);
    // A fitted view stays fitted while the pane takes new sizes, until the user zooms.
    const bool stillFitted = fitSize.cx && pane->scaleX == fitScale[0] && pane->scaleY == fitScale[1];
    if (!fitPending && !(stillFitted && (client.right != fitSize.cx || client.bottom != fitSize.cy))) return;
    pane->onDeferredRelayout();
    if (pane->horizontal.page <= 1 || pane->vertical.page <= 1) return;
    fitPending = false;
    pane->fitToWindow();
    fitSize = SIZE{client.right, client.bottom};
    fitScale[0] = pane->scaleX;
    fitScale[1] = pane->scaleY;
    refreshZoomLine();
}

void SpectrumWindow::setRect(const RECT& rect) {
    GFilePlacer::setRect(rect);
    tryPendingFit();
}

// ---- document ----

void SpectrumWindow::newSpectrum() {
    GFilePlacer::newDocument();
    arrayFree(list);
    initSpectrumHeader(&head);
    head.fftSize = SpectrumCalls::fftSize;
    history.reset();
    syncPane();
    {
        HarmonicSyncScope guard;
        table->reload((u64)-1);
    }
    refreshViews();
    EnableWindow(table->hwnd, FALSE);
    lastCaretRow = -1;
    notifyPage(PageTitleChanged);
    notifyPage(PageStateChanged);
}

void SpectrumWindow::setHarmonics(HarmonicArray& array, const SpectrumHeader& header) {
    arrayFree(list);
    list.data = array.data;
    list.capacity = array.capacity;
    list.count = array.count;
    array.data = nullptr;
    array.capacity = array.count = 0;
    head = header;
    if (!(head.flags & spectrumNotesValid)) recomputeHarmonicNotes(&head, list);
    setDocumentShown();
    modified = 1;
    reloadAll();
    if (SpectrumCalls::fitAfterFft) fitPane();
    notifyPage(PageTitleChanged);
    notifyPage(PageStateChanged);
}

void SpectrumWindow::openSpectrumFile(const char* path, GBag& viewState) {
    if (queryClose() != 0) return;
    newSpectrum();
    if (!OpenFileRegistry::attach(path, &fileHolder)) return;
    bool read = false;
    {
        GFile file(&errorHandler);
        bool lent = OpenFileRegistry::reopen(file, &fileHolder, FileFlag::Read | RegistryMode::OthersWait);
        if (lent) {
            // The handler reports and may throw; the borrow ends either way.
            try {
                read = readSpectrumFile(&head, list, file);
            } catch (GException&) {
                read = false;
            }
            OpenFileRegistry::endReopen(file);
        }
    }
    // A file that could not be read leaves the window without document and path.
    if (!read) {
        arrayFree(list);
        initSpectrumHeader(&head);
        OpenFileRegistry::detach(&fileHolder);
        reloadAll();
        return;
    }
    setDocumentShown();
    if (window && IsWindowVisible(window->hwnd) && GetActiveWindow() == GetAncestor(window->hwnd, GA_ROOT))
        SetFocus(table->hwnd);
    reloadAll();
    bool restored = false;
    if (viewState.pos < viewState.size) {
        try {
            pane->readViewState(viewState);
            restored = true;
        } catch (...) {
        }
    }
    if (!restored) fitPane();
    notifyPage(PageTitleChanged);
    notifyPage(PageStateChanged);
}

void SpectrumWindow::saveFile(GFile& file, u32 flags) {
    (void)flags;
    if (!writeSpectrumFile(&head, list, file)) throw GException();
    history.reset();
}

void SpectrumWindow::saveState(GBag& bag) {
    table->saveColumns(bag);
    splitter->writeState(bag);
}

void SpectrumWindow::restoreState(GBag& bag) {
    table->loadColumns(bag);
    splitter->readState(bag);
}

void SpectrumWindow::describeState(GBag& viewState) {
    if (hasDocument()) pane->writeViewState(viewState);
}

void SpectrumWindow::saveOptions(GBag* blocks) {
    saveState(blocks[1]);
    describeState(blocks[2]);
}

void SpectrumWindow::restoreOptions(GBag* blocks) {
    if (blocks[1].pos >= blocks[1].size) return;
    try {
        restoreState(blocks[1]);
    } catch (...) {
    }
}

// ---- commands ----

namespace {
bool isPageCommand(u32 command) {
    switch (command) {
    case SpectrumExportCsv: case SpectrumImportCsv: case SpectrumSelectAll: case SpectrumMul:
    case SpectrumChangeMaxVolume: case SpectrumPitch: case SpectrumUndo: case SpectrumRedo: case SpectrumCopy:
    case SpectrumCut: case SpectrumPaste: case SpectrumInsert: case SpectrumDelete: case SpectrumClear:
    case SpectrumRandomize: case SpectrumCutUp: case SpectrumCutDown: case SpectrumInvertSelection:
    case SpectrumGetPower: case SpectrumTest: case SpectrumOptions: case SpectrumRestoreOvertones:
    case SpectrumFftMain: case SpectrumEdit: case SpectrumAmplify: case SpectrumRemoveDuplicates:
    case SpectrumMakeFourier: case SpectrumRemoveSmearing:
        return true;
    default:
        return false;
    }
}
}  // namespace

i32 SpectrumWindow::commandState(u32 command) {
    // While a job runs the list is the job's: the page's commands wait.
    if (job) return isPageCommand(command) ? CommandDisabled : GFilePlacer::commandState(command);
    const bool doc = hasDocument();
    const bool rows = doc && list.count >= 1;
    const i64 c = caretRow();
    switch (command) {
    case SpectrumExportCsv:
    case SpectrumInsert:
    case SpectrumOptions:
        return doc ? CommandEnabled : CommandDisabled;
    case SpectrumImportCsv:
        return CommandEnabled;
    case SpectrumUndo:
        return history.canUndo() ? CommandEnabled : CommandDisabled;
    case SpectrumRedo:
        return history.canRedo() ? CommandEnabled : CommandDisabled;
    case SpectrumPaste:
        return harmonicClipboard.records.count ? CommandEnabled : CommandDisabled;
    case SpectrumEdit:
        return doc && c >= 0 ? CommandEnabled : CommandDisabled;
    case SpectrumCutUp:
        return rows && c >= 1 ? CommandEnabled : CommandDisabled;
    case SpectrumCutDown:
        return rows && c >= 0 && c < (i64)list.count - 1 ? CommandEnabled : CommandDisabled;
    case SpectrumSelectAll:
    case SpectrumMul:
    case SpectrumAmplify:
    case SpectrumChangeMaxVolume:
    case SpectrumPitch:
    case SpectrumCopy:
    case SpectrumCut:
    case SpectrumDelete:
    case SpectrumClear:
    case SpectrumRandomize:
    case SpectrumInvertSelection:
    case SpectrumGetPower:
    case SpectrumTest:
    case SpectrumRestoreOvertones:
    case SpectrumFftMain:
    case SpectrumRemoveDuplicates:
    case SpectrumMakeFourier:
    case SpectrumRemoveSmearing:
        return rows ? CommandEnabled : CommandDisabled;
    default:
        return GFilePlacer::commandState(command);
    }
}

bool SpectrumWindow::onCommand(u32 command, GStateQuery* query) {
    if (job && isPageCommand(command)) return true;
    switch (command) {
    case SpectrumExportCsv: exportHarmonicsText(); return true;
    case SpectrumImportCsv: importHarmonicsText(); return true;
    case SpectrumSelectAll:
        table->selectAll();
        table->setRowSelected(list.count, false);
        refreshViews();
        return true;
    case SpectrumInvertSelection:
        table->invertSelection();
        table->setRowSelected(list.count, false);
        refreshViews();
        return true;
    case SpectrumUndo:
        history.undo();
        markModified();
        return true;
    case SpectrumRedo:
        history.redo();
        markModified();
        return true;
    case SpectrumCopy: copyHarmonics(); return true;
    case SpectrumCut: cutHarmonics(); return true;
    case SpectrumPaste: pasteHarmonics(); return true;
    case SpectrumInsert: insertHarmonic(); return true;
    case SpectrumEdit: editHarmonics(); return true;
    case SpectrumDelete: deleteHarmonics(); return true;
    case SpectrumClear: clearHarmonics(); return true;
    case SpectrumCutUp: cutAbove(); return true;
    case SpectrumCutDown: cutBelow(); return true;
    case SpectrumFftMain: goToStrongest(); return true;
    case SpectrumGetPower: showPower(); return true;
    case SpectrumMul:
    case SpectrumAmplify: multiplyHarmonicsCommand(); return true;
    case SpectrumChangeMaxVolume: changeMaxVolumeCommand(); return true;
    case SpectrumPitch: harmonicPitchCommand(); return true;
    case SpectrumRandomize: randomizeCommand(); return true;
    case SpectrumTest: playSpectrum(); return true;
    case SpectrumOptions: spectrumOptionsCommand(); return true;
    case SpectrumRestoreOvertones: restoreOvertonesCommand(); return true;
    case SpectrumRemoveDuplicates: removeDuplicatesCommand(); return true;
    case SpectrumMakeFourier: prepareSpectrumCommand(); return true;
    case SpectrumRemoveSmearing: removeSmearingCommand(); return true;
    default:
        return GFilePlacer::onCommand(command, query);
    }
}

bool SpectrumWindow::onControlNotify(void* notification) {
    GControlNotification* n = static_cast<GControlNotification*>(notification);
    if (n->code == 19) {
        pane->invalidate();
        table->invalidate();
        return true;
    }
    if (n->source == table) {
        if (n->code == TableColumnsChanged) return true;
        if (n->code == TableRowActivated) {
            PostMessageA(window->hwnd, WM_COMMAND, SpectrumEdit, 0);
            return true;
        }
        i64 r = caretRow();
        lastCaretRow = (i32)r;
        if (!harmonicSyncGuard) {
            HarmonicSyncScope guard;
            if (r >= 0 && r < (i64)list.count)
                pane->selectNearest(list[(u32)r].frequency);
            else
                pane->setMarker(-1);
        }
        refreshViews();
        return true;
    }
    if (n->source == pane) {
        if (n->code == 0 || n->code == 1 || n->code == 5) refreshZoomLine();
        if (n->code == PaneResized) tryPendingFit();
        if (n->code == PaneSettingsApplied) refreshViews();
        if (n->code == PaneHoverMoved || n->code == PaneSettingsApplied) refreshCursorLine();
        if (n->code == PaneMarkerMoved && !harmonicSyncGuard && pane->markerIndex >= 0) {
            const HarmonicRecord* record = pane->recordAt(pane->markerIndex);
            HarmonicSyncScope guard;
            table->setCaretRow((u64)(record - list.data));
            table->scrollRowIntoView((u64)(record - list.data));
            refreshViews();
        }
        return true;
    }
    return GFilePlacer::onControlNotify(notification);
}

void SpectrumWindow::insertHarmonic() {
    i64 c = caretRow();
    HarmonicRecord values = defaultHarmonic();
    if (c >= 0 && c < (i64)list.count) values = list[(u32)c];
    u32 applied = ApplyBase | ApplyOvertone | ApplyAmplitude | ApplyPhase;
    if (!SpectrumCalls::runSineGenDialog ||
        !SpectrumCalls::runSineGenDialog(window, HarmonicDialogOne, "edit_harm.htm", &values, &applied))
        return;
    defaultHarmonic() = values;
    u64 at = c >= 0 ? (u64)c : list.count;
    if (at > list.count) at = list.count;
    HarmonicInsertEdit* edit = new HarmonicInsertEdit(ravoText(RavoText::Insert), this);
    history.execute(edit);
    table->insertRecords(at, &values, 1);
    edit->add(list[(u32)at], (u32)at);
    table->setCaretRow(at + 1);
    table->invalidate();
    refreshViews();
    markModified();
    syncPane();
}

void SpectrumWindow::editHarmonics() {
    GSelectionModel* s = table->selection();
    if (s->selectedCount() == 1 && s->isSelected(list.count)) return insertHarmonic();
    std::vector<u32> rows;
    if (!takeSelection(rows)) {
        showErrorF(window, "%s", ravoText(RavoText::HarmonicsNothingSelected));
        return;
    }
    i64 c = caretRow();
    HarmonicRecord values = defaultHarmonic();
    i32 form = HarmonicDialogSeveral;
    if (c >= 0 && c < (i64)list.count) {
        values = list[(u32)c];
        if (rows.size() == 1) form = HarmonicDialogOne;
    }
    u32 applied = ApplyBase | ApplyOvertone | ApplyAmplitude | ApplyPhase;
    if (!SpectrumCalls::runSineGenDialog || !SpectrumCalls::runSineGenDialog(window, form, "edit_harm.htm", &values, &applied))
        return;
    if (form == HarmonicDialogOne) applied = ApplyBase | ApplyOvertone | ApplyAmplitude | ApplyPhase;
    HarmonicModifyEdit* edit = new HarmonicModifyEdit(ravoText(RavoText::Edit), this);
    history.execute(edit);
    for (u32 r : rows) {
        edit->add(list[r], r);
        applyValues(list[r], values, applied);
    }
    applyValues(defaultHarmonic(), values, applied);
    table->invalidate();
    markModified();
    syncPane();
}

void SpectrumWindow::deleteHarmonics() {
    std::vector<u32> rows;
    if (!takeSelection(rows)) {
        showErrorF(window, "%s", ravoText(RavoText::HarmonicsNothingSelected));
        return;
    }
    HarmonicDeleteEdit* edit = new HarmonicDeleteEdit(ravoText(RavoText::Delete), this);
    history.execute(edit);
    // From the last row up, so that undo puts each back where it stood.
    for (size_t i = rows.size(); i-- > 0;) edit->add(list[rows[i]], rows[i]);
    table->removeRows();
    refreshViews();
    markModified();
    syncPane();
}

void SpectrumWindow::clearHarmonics() {
    history.execute(new HarmonicSnapshotEdit(ravoText(RavoText::Clear), this));
    arrayFree(list);
    reloadAll();
    markModified();
}

void SpectrumWindow::removeRowsAt(HarmonicDeleteEdit* edit, u32 first, u32 end) {
    for (u32 r = end; r-- > first;) edit->add(list[r], r);
    history.execute(edit);
    tableModel.removeRows(first, end);
    table->selection()->rowsRemoved(first, end);
    {
        HarmonicSyncScope guard;
        table->reload(first < list.count ? first : list.count);
    }
    table->ensureSelection();
    refreshViews();
    markModified();
    syncPane();
}

void SpectrumWindow::cutAbove() {
    i64 c = caretRow();
    if (c < 1 || list.count < 1) return;
    removeRowsAt(new HarmonicDeleteEdit(ravoText(RavoText::Cutup), this), 0, (u32)std::min<i64>(c, list.count));
}

void SpectrumWindow::cutBelow() {
    i64 c = caretRow();
    if (c < 0 || c >= (i64)list.count - 1) return;
    removeRowsAt(new HarmonicDeleteEdit(ravoText(RavoText::Cutdn), this), (u32)c + 1, list.count);
}

void SpectrumWindow::goToStrongest() {
    i64 best = -1;
    double top = 0.0;
    for (u32 i = 0; i < list.count; ++i)
        if (list[i].amplitude > top) {
            top = list[i].amplitude;
            best = i;
        }
    if (best < 0) return;
    table->scrollRowIntoView((u64)best);
    table->setCaretRow((u64)best);
}

void SpectrumWindow::showPower() {
    std::vector<u32> rows;
    takeSelection(rows);
    double sum = 0.0;
    for (u32 r : rows)
        if (list[r].frequency > 1e-10) sum += list[r].amplitude * list[r].amplitude;
    double rms = std::sqrt(sum / 2.0);
    char text[256];
    snprintf(text, sizeof text, ravoText(RavoText::HarmonicPower), rms, rms * std::sqrt(2.0));
    showMessageBox(&mbInformation, window, text);
}

// ---- clipboard and sorting ----

bool SpectrumWindow::copyHarmonics() {
    std::vector<u32> rows;
    if (takeSelection(rows) < 1) {
        showErrorF(window, ravoText(RavoText::HarmonicsTooFew), 1);
        return false;
    }
    harmonicClipboard.header = head;
    arrayFree(harmonicClipboard.records);
    HarmonicRecord* to = harmonicClipboard.records.append((u32)rows.size());
    for (u32 r : rows) *to++ = list[r];
    return true;
}

void SpectrumWindow::cutHarmonics() {
    if (copyHarmonics()) deleteHarmonics();
}

void SpectrumWindow::pasteHarmonics() {
    const u32 c = harmonicClipboard.records.count;
    if (!c) return;
    setDocumentShown();
    head = harmonicClipboard.header;
    u64 a = 0;
    if (table->rowCount()) {
        i64 caret = caretRow();
        a = caret >= 0 ? (u64)caret : list.count;
    }
    if (a > list.count) a = list.count;
    HarmonicInsertEdit* edit = new HarmonicInsertEdit(ravoText(RavoText::Paste), this);
    if (!table->rowCount()) {
        HarmonicSyncScope guard;
        table->reload((u64)-1);
    }
    table->insertRecords(a, harmonicClipboard.records.data, (i32)c);
    for (u32 i = 0; i < c; ++i) edit->add(list[(u32)a + i], (u32)a + i);
    table->clearSelection();
    table->clickRow(a, a + c - 1);
    table->setScrollOrigin(a);
    history.execute(edit);
    markModified();
    refreshViews();
    syncPane();
}

void SpectrumWindow::sortByColumn(i32 column, bool ascending) {
    if (!list.count) return;
    history.execute(new HarmonicSnapshotEdit(ravoText(RavoText::SortHarmonics), this));
    sortHarmonics(list.data, list.count, column, ascending);
    markModified();
    table->invalidate();
    syncPane();
    refreshViews();
}

// ---- text tables ----

bool SpectrumWindow::writeHarmonicsText(TextWriter& writer) {
    std::vector<u32> rows;
    takeSelection(rows);
    char field[64];
    for (u32 row : rows) {
        const HarmonicRecord& r = list[row];
        double period = r.frequency > 1e-10 ? 1000.0 / r.baseFrequency : 0.0;
        double off = r.frequency - noteToFrequency((i32)(12 * r.octave + r.note));
        const struct {
            const char* format;
            double value;
            bool integer;
        } fields[9] = {{"%#.6f", r.frequency, false},     {"%d", (double)r.note, true},
                       {"%d", (double)r.octave, true},      {"%#.6f", r.baseFrequency, false},
                       {"%d", (double)r.overtone, true},    {"%#.6f", period, false},
                       {"%#.6f", r.amplitude, false},       {"%#.6f", r.phase * 180.0 / kPi, false},
                       {"%#.6f", off, false}};
        for (const auto& f : fields) {
            if (f.integer)
                snprintf(field, sizeof field, f.format, (int)f.value);
            else
                snprintf(field, sizeof field, f.format, f.value);
            if (!writer.writeField(field)) return false;
        }
        if (!writer.endLine()) return false;
    }
    return true;
}

void SpectrumWindow::exportHarmonicsText() {
    std::vector<u32> rows;
    if (!takeSelection(rows)) {
        showErrorF(window, "%s", ravoText(RavoText::HarmonicsNothingSelected));
        return;
    }
    if (!runFileDialog(&harmonicTableDialog, 0, window, FileSave)) return;
    TextWriter writer(&errorHandler);
    if (!fileOpen(writer.file, harmonicTableDialog.nameBuffer, FileMode::Write)) return;
    writeHarmonicsText(writer);
    fileClose(writer.file);
}

void SpectrumWindow::readLines(TextReader& reader, HarmonicInsertEdit* edit, HarmonicRecord& work, u32& p) {
    while (!reader.atEnd()) {
        bool ok = true;
        for (i32 f = 0; f < 9 && ok; ++f) {
            const char* text = reader.nextField();
            if (!text) {
                ok = false;
                break;
            }
            double d = 0.0;
            long long n = 0;
            switch (f) {
            case 0: case 3: case 6: case 7:
                if (!parseDouble(text, &d)) {
                    reader.error(coreText(CoreText::TableBadDouble));
                    ok = false;
                }
                else if (f == 0) work.frequency = d;
                else if (f == 3) work.baseFrequency = d;
                else if (f == 6) work.amplitude = d;
                else work.phase = d * kPi / 180.0;
                break;
            case 1: case 2: case 4:
                if (!parseInteger(text, &n)) {
                    reader.error(coreText(CoreText::TableBadInteger));
                    ok = false;
                }
                else if (f == 1) work.note = (u32)n;
                else if (f == 2) work.octave = (u32)n;
                else work.overtone = (i32)n;
                break;
            default:
                break;
            }
        }
        if (!ok) break;
        // A line left with fields (or a failed read) is reported and not taken.
        bool more = reader.nextLine();
        if (!more && reader.file.failed()) break;
        *list.insert(p, 1) = work;
        edit->add(work, p);
        ++p;
        if (!more) break;
    }
}

u32 SpectrumWindow::readHarmonicsText(TextReader& reader, u32 p) {
    HarmonicInsertEdit* edit = new HarmonicInsertEdit(ravoText(RavoText::ImportCsv), this);
    const u32 first = p;
    HarmonicRecord work;
    memset(&work, 0, sizeof work);
    // The reader's reports may throw: the lines read so far stay.
    try {
        readLines(reader, edit, work, p);
    } catch (GException&) {
    }
    fileCloseQuietly(reader.file);
    history.execute(edit);
    refreshViews();
    reloadAll();
    if (p > first) {
        table->clickRow(first, p - 1);
        table->setCaretRow(p - 1);
    }
    return p - first;
}

void SpectrumWindow::importHarmonicsText() {
    setDocumentShown();
    markModified();
    if (!runFileDialog(&harmonicTableDialog, 0, window, FileOpenOne)) return;
    u32 p = 0;
    if (table->rowCount()) {
        i64 c = caretRow();
        p = c >= 0 ? (u32)std::min<i64>(c, list.count) : list.count;
    }
    TextReader reader(&errorHandler);
    if (!fileOpen(reader.file, harmonicTableDialog.nameBuffer, FileMode::Read)) return;
    readHarmonicsText(reader, p);
}
