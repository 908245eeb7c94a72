#include "spectrum/harmonic_pane.h"

#include <algorithm>
#include <cmath>

#include "app/app_settings.h"
#include "app/pane_color_groups.h"
#include "app/program_texts.h"
#include "gui/dialogs/choose_color.h"
#include "gui/kernel/window_procedure.h"
#include "gui/paint/colors.h"
#include "gui/views/graph_axis.h"
#include "spectrum/harmonic_hover.h"
#include "spectrum/harmonic_pane_items.h"

namespace {
SpectrumPaneSettings& paneSettings() { return appSettings.Spectrum.Pane; }
u32 paneColor(u32 id) { return spectrumPaneColors.colours.valueOf((i32)id); }

// Frequencies rising, NaN last.
bool lowerFrequency(const HarmonicRecord* a, const HarmonicRecord* b) {
    if (std::isnan(b->frequency)) return !std::isnan(a->frequency);
    return a->frequency < b->frequency;
}

void setShown(GGraphItem* item, bool shown) {
    if (shown)
        item->flags &= ~2u;
    else
        item->flags |= 2u;
}

// The draw-flag bit of a switch command; 0 for others.
u32 drawFlagOf(u32 command) {
    switch (command) {
    case SpectVgrid: return PaneGrid;
    case SpectNumbers: return PaneNumbers;
    case SpectNotes: return PaneNotes;
    case SpectAmplitude: return PaneAmplitudeShown;
    case SpectPhase: return PanePhaseShown;
    case SpectOvertoneLines: return PaneOvertoneLines;
    case SpectRulerOnOff: return PaneRulerShown;
    case SpectRulerUpDown: return PaneRulerUp;
    default: return 0;
    }
}
}  // namespace

SpectPane::SpectPane(GWindow* owner) : GGraph(owner) { ensurePaneColors(&spectrumPaneColors); }

SpectPane::~SpectPane() {
    delete[] records;
    destroyNative();
}

SpectrumCurve* SpectPane::curve(u32 index) const { return static_cast<SpectrumCurve*>(itemAt(index)); }
NoteRuler* SpectPane::noteRuler() const { return static_cast<NoteRuler*>(itemAt(PaneNoteRuler)); }
NoteGrid* SpectPane::noteGrid() const { return static_cast<NoteGrid*>(itemAt(PaneNoteGrid)); }
double SpectPane::frequencyEnd() const { return itemAt(PaneAmplitude)->extentRight.factor; }

bool SpectPane::build(u32 style) {
    scaleX = normalScaleX = 0.2;
    scaleY = normalScaleY = 0.01;
    minScaleX = 0.0002;
    minScaleY = 0.00001;
    maxScaleX = 200;
    maxScaleY = 10;
    struct Item {
        GGraphItem* item;
        u32 style;
        double zoomY;
    };
    GGraphAxis* frequencyAxis = new GGraphAxis;
    frequencyAxis->setTitles(nullptr, ravoText(RavoText::FrequencyAxisCaption));
    const Item made[PaneItemCount] = {
        {new MarkerLayer, 1, 1.0},
        {new SpectrumCurve(false), 65, 1.0},
        {new SpectrumCurve(true), 67, kPanePhaseFactor},
        {frequencyAxis, 49665, 1.0},
        {new GGraphAxis, 16929, 1.0},
        {new GGraphAxis, 35, kPanePhaseFactor},
        {new NoteRuler, 9, 1.0},
        {new NoteGrid, 1, 1.0},
        {new GGraphAxis, 17553, 1.0},
        {new GGraphAxis, 17573, 1.0},
        {new GGraphAxis, 23727, kPanePhaseFactor},
    };
    for (const Item& m : made) {
        m.item->flags = m.style;
        m.item->zoomY = m.zoomY;
        addItem(m.item);
    }
    curve(PaneAmplitude)->graph = curve(PanePhase)->graph = this;
    if (!create(style)) return false;
    SetWindowPos(hwnd, nullptr, 0, 0, 300, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    hover = new SpectrumHoverTracker(this);
    applyColors();
    refresh();
    return true;
}

void SpectPane::setRecords(const HarmonicArray& array) {
    if (array.count != recordCapacity) {
        delete[] records;
        records = array.count ? new const HarmonicRecord*[array.count] : nullptr;
        recordCapacity = array.count;
    }
    recordCount = (i32)array.count;
    for (u32 i = 0; i < array.count; ++i) records[i] = &array[i];
    // A list from an analysis comes sorted already.
    if (!std::is_sorted(records, records + recordCount, lowerFrequency)) std::sort(records, records + recordCount, lowerFrequency);
    hasData = 1;
    refresh();
}

void SpectPane::clearRecords() {
    delete[] records;
    records = nullptr;
    recordCapacity = 0;
    recordCount = 0;
    hasData = 0;
    refresh();
}

void SpectPane::refresh() {
    RedrawLockScope hold(this);
    markerIndex = -1;
    for (u32 i : {PaneAmplitude, PanePhase}) {
        curve(i)->records = records;
        curve(i)->pointCount = recordCount;
    }
    if (recordCount > 0) {
        background = paneColor(SpectColorFirst);
        for (u32 i = 0; i < itemCount(); ++i) itemAt(i)->flags &= ~1u;
        // The highest number (NaN frequencies sort last).
        double top = 0;
        for (i32 i = recordCount; i-- > 0;)
            if (!std::isnan(records[i]->frequency)) {
                top = records[i]->frequency;
                break;
            }
        double end = std::max(2.0 * top, 1000.0);
        if (!std::isfinite(end)) end = 1000.0;
        for (u32 i : {PaneAmplitude, PanePhase, PaneFrequencyAxis, PaneNoteRuler, PaneNoteGrid, PaneFrequencyRuler}) {
            itemAt(i)->extentLeft.factor = 0;
            itemAt(i)->extentRight.factor = end;
        }
        for (u32 i : {PaneAmplitude, PaneAmplitudeAxis, PaneAmplitudeRuler}) {
            itemAt(i)->extentAbove.factor = kPaneAmplitudeTop;
            itemAt(i)->extentBelow.factor = 0;
        }
        for (u32 i : {PanePhase, PanePhaseAxis, PanePhaseRuler}) itemAt(i)->extentAbove.factor = itemAt(i)->extentBelow.factor = 180.0;
    } else {
        background = toolkitColors.background;
        for (u32 i = 0; i < itemCount(); ++i) itemAt(i)->flags |= 1u;
        setCurveRange(0, 0, 0, 0);
    }
    applyDrawFlags(false);
    invalidateLayout();
}

void SpectPane::applyDrawFlags(bool relayout) {
    const SpectrumPaneSettings& s = paneSettings();
    u32 d = s.drawFlags;
    itemAt(PaneAmplitude)->flags = s.funcFlagsAmp;
    itemAt(PanePhase)->flags = s.funcFlagsPhase;
    setShown(itemAt(PaneAmplitude), d & PaneAmplitudeShown);
    setShown(itemAt(PaneAmplitudeRuler), d & PaneAmplitudeShown);
    setShown(itemAt(PanePhase), d & PanePhaseShown);
    setShown(itemAt(PanePhaseRuler), d & PanePhaseShown);
    setShown(itemAt(PaneNoteGrid), d & PaneGrid);
    setShown(itemAt(PaneNoteRuler), d & PaneNotes);
    for (u32 i : {PaneFrequencyRuler, PaneAmplitudeRuler, PanePhaseRuler}) {
        if (d & PaneNumbers)
            itemAt(i)->flags |= AxisLabels;
        else
            itemAt(i)->flags &= ~(u32)AxisLabels;
    }
    GGraphItem* ruler = itemAt(PaneFrequencyRuler);
    GGraphItem* notes = itemAt(PaneNoteRuler);
    ruler->flags &= ~(0x1Eu | AxisTicksFar | AxisLabelsFar);
    if (d & PaneRulerShown) {
        notes->flags &= ~(u32)GraphDockMask;
        if (d & PaneRulerUp) {
            ruler->flags |= GraphDockTop | AxisTicksFar | AxisLabelsFar;
            notes->flags |= GraphDockBottom;
        } else {
            ruler->flags |= GraphDockBottom;
            notes->flags |= GraphDockTop;
        }
    } else {
        ruler->flags |= 2u;
    }
    if (!relayout) return;
    invalidateLayout();
    notify(PaneSettingsApplied);
}

void applyDrawFlagsToAllPanes() {
    forEachChildWindow(TypeSpectrumPane, [](GWindow* pane) { static_cast<SpectPane*>(pane)->applyDrawFlags(true); });
}

void SpectPane::applyColors() {
    background = recordCount > 0 ? paneColor(SpectColorFirst) : toolkitColors.background;
    for (u32 i : {PaneFrequencyAxis, PaneAmplitudeAxis, PanePhaseAxis}) static_cast<GGraphAxis*>(itemAt(i))->lineColour = paneColor(380);
    static_cast<GGraphAxis*>(itemAt(PaneFrequencyAxis))->titleColour = paneColor(382);
    for (u32 i : {PaneFrequencyRuler, PaneAmplitudeRuler, PanePhaseRuler}) {
        GGraphAxis* axis = static_cast<GGraphAxis*>(itemAt(i));
        axis->lineColour = axis->tickColour = paneColor(384);
        axis->labelColour = paneColor(382);
    }
    noteRuler()->textColor = paneColor(382);
    noteRuler()->tickColor = paneColor(381);
    noteGrid()->lineColor = paneColor(381);
    curve(PaneAmplitude)->colour = paneColor(378);
    curve(PanePhase)->colour = paneColor(379);
    if (hwnd) invalidate();
}

void SpectPane::notify(u32 code) {
    if (redrawLock != 0) {
        pendingNotifications |= 1u << code;
        flags |= WindowRelayoutPending;
        return;
    }
    GControlNotification n;
    n.source = this;
    n.code = code;
    notifyUp(this, &n);
}

void SpectPane::onDeferredRelayout() {
    u32 pending = pendingNotifications;
    pendingNotifications = 0;
    for (u32 code = 0; code < 32; ++code)
        if (pending & (1u << code)) notify(code);
}

bool SpectPane::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == PaneColorsChanged) {
        applyColors();
        *result = 0;
        return true;
    }
    if (message == WM_SIZE) {
        bool taken = GGraph::handleMessage(message, wParam, lParam, result);
        notify(PaneResized);
        return taken;
    }
    return GGraph::handleMessage(message, wParam, lParam, result);
}

bool SpectPane::onCommand(u32 command, GStateQuery* query) {
    SpectrumPaneSettings& s = paneSettings();
    if (u32 bit = drawFlagOf(command)) {
        s.drawFlags ^= bit;
        if (command == SpectRulerUpDown) s.drawFlags |= PaneRulerShown;
    } else if (command >= SpectStrokesAmp && command <= SpectPointsPhi) {
        u32 style = command == SpectStrokesAmp || command == SpectStrokesPhi ? CurveStems : CurveMarkers;
        (command <= SpectPointsAmp ? s.funcFlagsAmp : s.funcFlagsPhase) = style;
    } else if (command >= SpectColorFirst && command <= SpectColorLast) {
        u32& value = spectrumPaneColors.colours.valueOf((i32)command);
        COLORREF chosen = value;
        chooseColor(this, &chosen, value);
        value = chosen;
        spectrumPaneColors.apply();
        return true;
    } else if (command == SpectColorDefault) {
        spectrumPaneColors.restoreDefaults();
        return true;
    } else {
        return GGraph::onCommand(command, query);
    }
    applyDrawFlagsToAllPanes();
    return true;
}

i32 SpectPane::commandState(u32 command) {
    i32 state = GGraph::commandState(command);
    if (state != CommandUnknown) return state;
    if (drawFlagOf(command) || (command >= SpectStrokesAmp && command <= SpectPointsPhi))
        return hasData ? CommandEnabled : CommandDisabled;
    if ((command >= SpectColorFirst && command <= SpectColorLast) || command == SpectColorDefault) return CommandEnabled;
    return CommandUnknown;
}

i32 SpectPane::commandChecked(u32 command) {
    u32 bit = drawFlagOf(command);
    if (bit && command != SpectRulerUpDown) return (paneSettings().drawFlags & bit) ? 1 : 0;
    if (command >= SpectStrokesAmp && command <= SpectPointsPhi) {
        u32 style = itemAt(command <= SpectPointsAmp ? PaneAmplitude : PanePhase)->flags & 224;
        return style == (command == SpectStrokesAmp || command == SpectStrokesPhi ? CurveStems : CurveMarkers) ? 1 : 0;
    }
    return GGraph::commandChecked(command);
}
