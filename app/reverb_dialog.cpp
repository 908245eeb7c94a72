#include "app/reverb_dialog.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/echo_dialog.h"
#include "app/effect_presets.h"
#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "core/error.h"
#include "core/gfile.h"
#include "engine/echo_reflections.h"
#include "gui/controls/button_row.h"
#include "gui/controls/label.h"
#include "gui/controls/tool_bar.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/input/input_event.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/splitter.h"
#include "gui/views/graph_axis.h"
#include "gui/views/table.h"

EchoBlock blockOfRow(const ReflectionRow& row) {
    EchoBlock b;
    memcpy(&b, row.bytes, sizeof b);
    return b;
}

ReflectionRow rowOfBlock(const EchoBlock& block) {
    ReflectionRow r;
    memcpy(r.bytes, &block, sizeof r);
    return r;
}

EchoReflectionList* reverbReflections(const std::vector<ReflectionRow>& rows, u32 rate) {
    auto* list = new EchoReflectionList;
    for (const ReflectionRow& row : rows) {
        const EchoBlock b = blockOfRow(row);
        // Delays are in ms: taken at the rate 1000 they stay as they are.
        list->reflections.push_back(dialogEcho(b.delay1, b.delay2, 1000, b.factor1, b.factor2, b.repeats,
                                               (1.0 - b.decay) * 100.0, (u32)roundToInt(b.tone), rate));
    }
    return list;
}

std::vector<ReverbTap> reverbTaps(const std::vector<ReflectionRow>& rows) {
    std::vector<ReverbTap> taps;
    for (u32 k = 0; k < rows.size(); ++k) {
        const EchoBlock b = blockOfRow(rows[k]);
        f64 t = b.delay1, a = b.factor1;
        for (u32 r = 0; r < b.repeats; ++r) {
            taps.push_back(ReverbTap{t, a, k});
            t += b.delay2;
            a *= b.factor2;
        }
    }
    std::stable_sort(taps.begin(), taps.end(), [](const ReverbTap& x, const ReverbTap& y) { return x.time < y.time; });
    return taps;
}

// ---- the table's model ----

const char* ReflectionTableModel::cellText(GString& s, u64 row, i32 column) {
    if (row >= list->size()) return nullptr;
    const EchoBlock b = blockOfRow((*list)[row]);
    switch (column) {
    case 0: stringFormat(s, "%G", b.factor1); break;
    case 1: stringFormat(s, ravoText(RavoText::ReverbMilliseconds), b.delay1); break;
    case 2: stringFormat(s, "%d", (i32)b.repeats); break;
    case 3: stringFormat(s, "%G", b.factor2); break;
    case 4: stringFormat(s, ravoText(RavoText::ReverbMilliseconds), b.delay2); break;
    case 5: stringFormat(s, "%d%%", roundToInt((1.0 - b.decay) * 100.0)); break;
    case 6: stringFormat(s, ravoText(RavoText::ReverbTone), roundToInt(b.tone)); break;
    default: return nullptr;
    }
    return s.c_str();
}

void ReflectionTableModel::removeRows(u64 first, u64 end) {
    end = std::min<u64>(end, list->size());
    if (first < end) list->erase(list->begin() + (i64)first, list->begin() + (i64)end);
}

u64 ReflectionTableModel::appendRecords(const void* rows, i32 n) { return insertRecords(list->size(), rows, n); }

u64 ReflectionTableModel::insertRecords(u64 at, const void* rows, i32 n) {
    if (n <= 0 || !rows) return 0;
    at = std::min<u64>(at, list->size());
    const auto* first = static_cast<const ReflectionRow*>(rows);
    list->insert(list->begin() + (i64)at, first, first + n);
    return (u64)n;
}

void ReflectionTableModel::sortByColumn(i32 column, bool ascending) {
    if (column < 0 || column > 4) return;
    auto key = [column](const ReflectionRow& r) {
        const EchoBlock b = blockOfRow(r);
        switch (column) {
        case 0: return b.factor1;
        case 1: return (f64)b.delay1;
        case 2: return (f64)b.repeats;
        case 3: return b.factor2;
        default: return (f64)b.delay2;
        }
    };
    std::stable_sort(list->begin(), list->end(), [&](const ReflectionRow& x, const ReflectionRow& y) {
        return ascending ? key(x) < key(y) : key(y) < key(x);
    });
}

void ReflectionTableModel::swapRows(u64 a, u64 b) {
    if (a < list->size() && b < list->size()) std::swap((*list)[a], (*list)[b]);
}

// ---- the graph ----

namespace {
// The dialog's taps as points: seconds across, amplitude up.
class TapCurve : public GGraphPointCurve {
public:
    explicit TapCurve(ReverberationDialog* dialog) : dialog(dialog) {}
    void pointAt(i32 i, double* x, double* y) override {
        const ReverbTap& t = dialog->taps[(size_t)i];
        *x = t.time / 1000.0;
        *y = t.amplitude;
    }
    i32 findPoint(double value) override {
        auto after = std::upper_bound(dialog->taps.begin(), dialog->taps.end(), value * 1000.0,
                                      [](double v, const ReverbTap& t) { return v < t.time; });
        return (i32)(after - dialog->taps.begin()) - 1;
    }
    ReverberationDialog* dialog;
};

const double graphWidth = 10.0, graphHeight = 1.1;
}  // namespace

TapGraph::TapGraph(ReverberationDialog* dialog) : GGraph(dialog), dialog(dialog) {
    preferredWidth = 360;
    preferredHeight = 260;
    background = RGB(255, 255, 255);
    normalScaleX = 100.0;
    normalScaleY = 220.0;
    minScaleX = 5.0;
    maxScaleX = 10000.0;
    minScaleY = 20.0;
    maxScaleY = 20000.0;
    TapCurve* curve = new TapCurve(dialog);
    curve->flags = CurveMarkers;
    curve->colour = RGB(200, 0, 0);
    curve->extentRight.factor = graphWidth;
    curve->extentAbove.factor = graphHeight;
    addItem(curve);
    GGraphAxis* level = new GGraphAxis;
    level->flags = GraphDockLeft | AxisVertical | AxisLabels | AxisShortTicks | AxisEndArrow | AxisLine;
    level->setTitles(nullptr, ravoText(RavoText::ReverbLevelAxis));
    level->extentAbove.factor = graphHeight;
    addItem(level);
    GGraphAxis* time = new GGraphAxis;
    time->flags = GraphDockBottom | AxisLabels | AxisLongTicks | AxisEndArrow | AxisLine;
    time->setTitles(nullptr, ravoText(RavoText::ReverbTimeAxis));
    time->extentRight.factor = graphWidth;
    addItem(time);
}

void TapGraph::valueAt(i32 x, i32 y, f64* seconds, f64* amplitude) const {
    const GGraphItem* curve = itemAt(0);
    *seconds = (x - curve->pixelX) / curve->scaleX;
    *amplitude = (curve->pixelY - y) / curve->scaleY;
}

POINT TapGraph::pointOf(f64 seconds, f64 amplitude) const {
    const GGraphItem* curve = itemAt(0);
    return POINT{(LONG)std::lround(curve->pixelX + seconds * curve->scaleX),
                 (LONG)std::lround(curve->pixelY - amplitude * curve->scaleY)};
}

bool TapGraph::handleMouse(GInputEvent* event) {
    if (event->isPress() && (event->button == ButtonLeft || event->button == ButtonRight) &&
        rectContainsPoint(plotAreaRect(*this), event->x, event->y)) {
        f64 seconds, amplitude;
        valueAt(event->x, event->y, &seconds, &amplitude);
        dialog->graphClick(event->button == ButtonLeft, seconds, amplitude);
        return true;
    }
    return GGraph::handleMouse(event);
}

// ---- the dialog ----

bool buildReverberationBody(ReverberationDialog* d, const char* title, ReverbSettings* settings, u32 rate) {
    d->settings = settings;
    d->rate = rate ? rate : 44100;
    GLayoutBuilder b(d);
    if (!beginDialogBody(d, b, title, "88488")) return false;
    const char* labels[6];
    u32 commands[6];
    for (u32 k = 0; k < 6; ++k) {
        labels[k] = ravoText((RavoText)((u32)RavoText::ReverbAdd + k));
        commands[k] = ReverbAddCommand + k;
    }
    addCommandButtons(b, labels, commands, 6);

    GSplitterItem* split = new GSplitterItem(d, false, 1, 1);
    b.pushContainer(split, nullptr, "UC");
    GTableDesc desc;
    desc.columnCount = 7;
    desc.columnSpec = ravoText(RavoText::ReverbColumns);
    desc.visibleRows = 10;
    desc.model = new ReflectionTableModel(&settings->data);
    d->table = createTable(nullptr, d, desc);
    if (!d->table) return false;
    for (i32 c = 0; c <= 4; ++c) d->table->columns[c].sortState = ColumnSortable;
    b.add(d->table, "UC");
    d->graph = new TapGraph(d);
    d->graph->scaleX = settings->scaleX;
    d->graph->scaleY = settings->scaleY;
    if (!d->graph->create(WS_CHILD | WS_VISIBLE | WS_TABSTOP)) return false;
    b.add(d->graph, "UC");
    b.endContainer();

    GToolBar* bar = GToolBar::create(d, "ReverberationDialog", 0, 0);
    if (bar) {
        const i32 ids[] = {GraphScaleNormal, GraphScalePlus, GraphHScalePlus, GraphScaleMinus,
                           GraphHScaleMinus, GraphFitX,      GraphFitY};
        bar->setButtons(ids, 7);
        b.add(bar, "<C");
    }
    GLine2::create(b);
    GButtonRow::create(b, d->helpPage && *d->helpPage ? "OCH" : "OC");
    b.endContainer();
    d->table->reload(0);
    d->update();
    d->fitToContent();
    return true;
}

i64 ReverberationDialog::selectedRow() {
    if (!table || !table->selection()) return -1;
    const i64 caret = table->selection()->caret();
    return caret >= 0 && (u64)caret < settings->data.size() && table->selection()->isSelected(caret) ? caret : -1;
}

void ReverberationDialog::selectRow(u64 row) {
    if (!table || row >= settings->data.size()) return;
    table->setCaretRow(row);
    table->clickRow(row, row);
    table->scrollRowIntoView(row);
}

void ReverberationDialog::update() {
    const bool rows = !settings->data.empty();
    if (rows && table && selectedRow() < 0) {
        const i64 caret = table->selection()->caret();
        selectRow(caret >= 0 && (u64)caret < settings->data.size() ? (u64)caret : 0);
    }
    for (u32 id : {ReverbDeleteCommand, ReverbEditCommand, ReverbClearCommand, ReverbSaveCommand})
        if (HWND button = GetDlgItem(hwnd, (int)id)) EnableWindow(button, rows);
    rebuildTaps();
}

void ReverberationDialog::rebuildTaps() {
    taps = reverbTaps(settings->data);
    if (!graph) return;
    static_cast<GGraphPointCurve*>(graph->itemAt(0))->pointCount = (i32)taps.size();
    graph->invalidateLayout();
    if (graph->hwnd) InvalidateRect(graph->hwnd, nullptr, TRUE);
}

void ReverberationDialog::focusTable() {
    if (table && table->hwnd) SetFocus(table->hwnd);
}

void ReverberationDialog::addRow(bool edit) {
    const i64 selected = selectedRow();
    if (edit && selected < 0) return;
    EchoParams record;
    if (selected >= 0) echoParamsFromBlock(blockOfRow(settings->data[(size_t)selected]), rate, &record);
    EchoDialog echo(this);
    if (buildEchoBody(&echo, ravoText(RavoText::Echo), &record, rate) &&
        placeWindowAuto(&echo, PlaceCentreOnOwner) == 1) {
        const ReflectionRow row = rowOfBlock(echoBlockOf(record));
        u64 at;
        if (edit) {
            at = (u64)selected;
            settings->data[at] = row;
        } else {
            settings->data.push_back(row);
            at = settings->data.size() - 1;
        }
        table->reload(at);
        selectRow(at);
        update();
    }
    focusTable();
}

void ReverberationDialog::deleteRow() {
    const i64 selected = selectedRow();
    if (selected >= 0) {
        settings->data.erase(settings->data.begin() + selected);
        table->reload(settings->data.empty() ? 0 : std::min<u64>((u64)selected, settings->data.size() - 1));
        update();
    }
    focusTable();
}

void ReverberationDialog::clearRows() {
    settings->data.clear();
    table->reload(0);
    update();
    focusTable();
}

void ReverberationDialog::savePreset() {
    if (runFileDialog(&reverbPresetDialog, 0, this, FileSave)) {
        WindowErrorHandler handler(this);
        GFile file(&handler);
        if (fileOpen(file, reverbPresetDialog.nameBuffer, FileMode::Write) && writeReverbPreset(file, settings->data))
            fileClose(file);
    }
    focusTable();
}

void ReverberationDialog::loadPreset() {
    if (!runFileDialog(&reverbPresetDialog, 0, this, FileOpenOne)) return;
    WindowErrorHandler handler(this);
    GFile file(&handler);
    if (!fileOpen(file, reverbPresetDialog.nameBuffer, FileMode::Read)) return;
    const PresetRead read = readReverbPreset(file, &settings->data);
    fileCloseQuietly(file);
    if (read == PresetRead::WrongFormat) showMessageBox(&mbError, this, ravoText(RavoText::PresetWrongFormat));
    if (read == PresetRead::Version) showMessageBox(&mbError, this, ravoText(RavoText::PresetVersion));
    table->reload(0);
    table->clearSelection();
    update();
    focusTable();
}

void ReverberationDialog::graphClick(bool left, f64 seconds, f64 amplitude) {
    if (!(seconds > 0.0 && seconds <= graphWidth && amplitude > 0.0 && amplitude <= 1.0)) return;
    if (left) {
        EchoBlock b;
        b.delay1 = b.delay2 = (u32)roundToInt(seconds * 1000.0);
        b.factor1 = b.factor2 = amplitude;
        b.repeats = 1;
        b.decay = 1.0;
        b.tone = 500.0;
        settings->data.push_back(rowOfBlock(b));
        table->reload(settings->data.size() - 1);
        selectRow(settings->data.size() - 1);
        update();
        return;
    }
    const f64 at = seconds * 1000.0;
    const ReverbTap* nearest = nullptr;
    for (const ReverbTap& t : taps)
        if (std::fabs(t.time - at) <= 1000.0 && (!nearest || std::fabs(t.time - at) < std::fabs(nearest->time - at)))
            nearest = &t;
    if (!nearest) return;
    const u32 row = nearest->row;
    settings->data.erase(settings->data.begin() + row);
    table->reload(settings->data.empty() ? 0 : std::min<u64>(row, settings->data.size() - 1));
    update();
}

i32 ReverberationDialog::commandState(u32 command) {
    if (command >= GraphScaleNormal && command <= GraphZoom) return graph ? graph->commandState(command) : CommandDisabled;
    if (command >= ReverbAddCommand && command <= ReverbLoadCommand) return CommandEnabled;
    return GDialog::commandState(command);
}

bool ReverberationDialog::onCommand(u32 command, GStateQuery* query) {
    if (command >= GraphScaleNormal && command <= GraphZoom) return graph && graph->onCommand(command, query);
    switch (command) {
    case ReverbAddCommand: addRow(false); return true;
    case ReverbDeleteCommand: deleteRow(); return true;
    case ReverbEditCommand: addRow(true); return true;
    case ReverbClearCommand: clearRows(); return true;
    case ReverbSaveCommand: savePreset(); return true;
    case ReverbLoadCommand: loadPreset(); return true;
    case 1:
    case 2:
    case 4:
    case 5:
        if (graph) {
            settings->scaleX = graph->scaleX;
            settings->scaleY = graph->scaleY;
        }
        return GDialog::onCommand(command, query);
    default: return GDialog::onCommand(command, query);
    }
}

i32 ReverberationDialog::handleKey(GInputEvent* event) {
    if (event->isKeyDown(VK_DELETE)) {
        deleteRow();
        return 2;
    }
    if (event->isKeyDown(VK_INSERT)) {
        addRow(false);
        return 2;
    }
    // Enter edits while the table has the focus, instead of ending the dialog.
    if (event->isKeyDown(VK_RETURN) && table && table->hwnd && GetFocus() == table->hwnd) {
        addRow(true);
        return 2;
    }
    return GDialog::handleKey(event);
}

bool ReverberationDialog::onControlNotify(void* n) {
    auto* notification = static_cast<GControlNotification*>(n);
    if (table && notification->source == static_cast<GItemBase*>(table) && notification->code == TableRowActivated) {
        addRow(true);
        return true;
    }
    return GDialog::onControlNotify(n);
}
