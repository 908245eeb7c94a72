#include "app/window_kinds.h"

#include <cstring>

#include "app/program_texts.h"
#include "gui/menus/action_rows.h"

namespace {
struct KindRow {
    u32 kind;
    const char* name;
    RavoText title;
    u32 icon;
};
// Declaration order; each registration goes to the head of the list.
const KindRow kKinds[WindowKindCount] = {
    {KindSpectrum, "Spectrum", RavoText::KindSpectrum, 3004},
    {KindNotesEditor, "MDEditor", RavoText::KindNotesEditor, 3067},
    {KindEditor, "Editor", RavoText::KindEditor, 3024},
    {KindAnalyzer, "Analyzer", RavoText::KindAnalyzer, 3196},
    {KindConverter, "Converter", RavoText::KindConverter, 8004},
    {KindDevices, "Devices", RavoText::KindDevices, 3128},
    {KindAcm, "ACM", RavoText::KindAcm, 3129},
    {KindWelcome, "Welcome", RavoText::KindWelcome, 3244},
    {KindInstrument, "Instrument", RavoText::KindInstrument, 3134},
    {KindDefault, "Default", RavoText::KindDefault, 3093},
};

// Default action lists; -1 is a separator.
const i32 kSpectrumFile[] = {112, -1, 104, 111, -1, 107, -1, 108, 109, 110, -1, 105, 307, 308, -1, 312};
const i32 kSpectrumEdit[] = {408, 409, -1, 411, 410, 414, 429, -1, 322, 436, -1, 448, -1, 428, 477, -1, 432, 434, 435};
const i32 kSpectrumView[] = {180, 179, -1, 426, 427, -1, 323, 325, 326, 559, 560, 440, -1, 539, 540, 541, 542};
const i32 kSpectrumMath[] = {403, -1, 523, 397, 437, -1, 433, 441, 592, -1, 593, 594, 439, -1, 438};
const i32 kWindow[] = {443, 445, 444, 442, -1, 591, 590, 616, -1, 563};
const i32 kHelp[] = {306, 304, 305, 302, -1, 623, -1, 301, -1, 362, -1, 498};
const i32 kSpectrumTBFile[] = {112, 104, 108, -1};
const i32 kSpectrumTBEdit[] = {408, 409, -1, 322, 448, 437, -1, 428, 477, 429, -1, 403, -1, 523, 397, -1, 433, 441, 592, -1, 593, 594, -1, 438};
const i32 kSpectrumTBGraph[] = {426, 427, 440, -1, 539, 540, 541, 542};
const i32 kSpectrumTBScale[] = {170, 172, 171, 173, 169, -1, 174, 175, -1, 177};
const i32 kSpectrumXAdditional[] = {473};
const i32 kXCustomize[] = {493, 494, 495, 496, 127, 498, -1, 563, -1, 476};
const i32 kMDEditorFile[] = {112, -1, 104, 111, -1, 107, -1, 108, 109, 110, 105, -1, 312};
const i32 kMDEditorEdit[] = {408, 409, -1, 411, 410, 414, -1, 322, -1, 454, 455, 459, -1, 467, 468, 457, 458, -1, 469, 470};
const i32 kMDEditorBuild[] = {462, 461, -1, 464, 463, 466, 465, 300};
const i32 kMDEditorView[] = {460, 471};
const i32 kMDEditorToolBar[] = {112, 104, 108, 105, -1, 411, 410, 414, 429, -1, 454, 408, 409, -1, 469, 470, -1, 462, 464, 466, 465};
const i32 kEditorFile[] = {112, -1, 104, 111, -1, 107, -1, 108, 109, 110, 309, -1, 478, 548, -1, 310, 570, 547, -1, 564, 565, 406, -1, 312};
const i32 kEditorEdit[] = {408, 409, -1, 411, 410, 414, 413, 429, 431, -1, 454, 455, 549, -1, 480, 511, -1, 456, 407};
const i32 kEditorMath[] = {512, 514, 482, 513, 505, 517, 522, 599, 487, 486, 613};
const i32 kEditorView[] = {180, -1, 179, -1, 558, -1, 319, 317, 318};
const i32 kEditorTracks[] = {561, 575, 576, 577, 624, 562, 589};
const i32 kEditorSelection[] = {322, 321, 320, 581, 585, 610, -1, 390, 391, 501, 502, -1, 609};
const i32 kEditorSample[] = {314, 316, 611, 612, 201, 205, 327, -1, 315, 202, 206, -1, 485, 401, 595, 596, 597, 598};
const i32 kEditorAnsy[] = {454, 455, -1, 492, 453, -1, 615};
const i32 kEditorTBFile[] = {112, 104, 108, 309, 548};
const i32 kEditorTBEdit[] = {408, 409, -1, 454, 455, 549, -1, 411, 410, 412, 429, 485, 425};
const i32 kEditorTBFrequent[] = {456, 626, -1, 322, 391, 392, 579, 580};
const i32 kEditorTBPlay[] = {611, 314, 316, 313, 327, -1, 612, 201};
const i32 kEditorTBRecord[] = {315, 206, -1, 401, 595, 596, 597, 598};
const i32 kEditorTBEffects[] = {512, 514, 482, 513, 505, 517, 522, 599, 487, 486, 613};
const i32 kEditorTBDraw[] = {421, 422, 423, 424};
const i32 kEditorTBAnaSyn[] = {446, 447, -1, 449, 450, -1, 451, 452, -1, 615};
const i32 kEditorTBBackup[] = {566, 567, 568, 569};
const i32 kEditorTBTracks[] = {561, 575, 576, 577, 624};
const i32 kEditorTBScale[] = {170, 172, 171, 173, 169, -1, 174, 175, 176, -1, 177};
const i32 kEditorXAdditional[] = {578, 533, 534, 535, 472, 313};
const i32 kAnalyzerFile[] = {104, 111, -1, 107, -1, 105, 115, 110, -1, 312};
const i32 kAnalyzerView[] = {149, 150, 151, -1, 152, 153, -1, 154};
const i32 kAnalyzerTBFile[] = {104, 115};
const i32 kConverterFile[] = {104, 111, -1, 107, -1, 110, 200, 105, -1, 312};
const i32 kConverterTBFile[] = {104, 200};
const i32 kDevicesFile[] = {204, -1, 203, 110, -1, 312};
const i32 kDevicesTools[] = {201, 205, -1, 202, 206, -1, 106};
const i32 kDevicesToolBar[] = {204, 203, -1, 205, 206, -1, 106};
const i32 kACMFile[] = {110, -1, 312};
const i32 kWelcomeFile[] = {352, 349, 350, 346, -1, 110, -1, 312};
const i32 kInstrumentFile[] = {112, -1, 104, 111, -1, 107, -1, 108, 109, 110, 105, -1, 550, 551, -1, 312};
const i32 kInstrumentEdit[] = {428, 477, 555, 429, -1, 322, -1, 552, 553};
const i32 kInstrumentView[] = {179, -1, 554, 558};
const i32 kInstrumentToolBar[] = {112, 104, 108, -1, 428, 477, 555, 429, -1, 179, 174, 175, 554};
const i32 kInstrumentXAdditional[] = {474};
const i32 kDefaultFile[] = {352, 349, 350, 346, -1, 110, -1, 312};

struct BarRow {
    i32 kindIndex;
    const char* name;
    RavoText title;
    const i32* ids;
    i32 count;
};
// Each kind's bars in order.
const BarRow kBars[] = {
    {0, "File", RavoText::BarFile, ITEMS(kSpectrumFile)},
    {0, "Edit", RavoText::BarEdit, ITEMS(kSpectrumEdit)},
    {0, "View", RavoText::BarView, ITEMS(kSpectrumView)},
    {0, "Math", RavoText::BarMath, ITEMS(kSpectrumMath)},
    {0, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {0, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {0, "TB_File", RavoText::BarTBFile, ITEMS(kSpectrumTBFile)},
    {0, "TB_Edit", RavoText::BarTBEdit, ITEMS(kSpectrumTBEdit)},
    {0, "TBGraph", RavoText::BarTBGraph, ITEMS(kSpectrumTBGraph)},
    {0, "TB_Scale", RavoText::BarTBScale, ITEMS(kSpectrumTBScale)},
    {0, "X_Additional", RavoText::BarXAdditional, ITEMS(kSpectrumXAdditional)},
    {0, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},
    {1, "File", RavoText::BarFile, ITEMS(kMDEditorFile)},
    {1, "Edit", RavoText::BarEdit, ITEMS(kMDEditorEdit)},
    {1, "Build", RavoText::BarBuild, ITEMS(kMDEditorBuild)},
    {1, "View", RavoText::BarView, ITEMS(kMDEditorView)},
    {1, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {1, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {1, "ToolBar", RavoText::BarToolBar, ITEMS(kMDEditorToolBar)},
    {1, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},
    {2, "File", RavoText::BarFile, ITEMS(kEditorFile)},
    {2, "Edit", RavoText::BarEdit, ITEMS(kEditorEdit)},
    {2, "Math", RavoText::BarMath, ITEMS(kEditorMath)},
    {2, "View", RavoText::BarView, ITEMS(kEditorView)},
    {2, "Tracks", RavoText::BarTracks, ITEMS(kEditorTracks)},
    {2, "Selection", RavoText::BarSelection, ITEMS(kEditorSelection)},
    {2, "Sample", RavoText::BarSample, ITEMS(kEditorSample)},
    {2, "Ansy", RavoText::BarAnsy, ITEMS(kEditorAnsy)},
    {2, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {2, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {2, "TB_File", RavoText::BarTBFile, ITEMS(kEditorTBFile)},
    {2, "TB_Edit", RavoText::BarTBEdit, ITEMS(kEditorTBEdit)},
    {2, "TB_Frequent", RavoText::BarTBFrequent, ITEMS(kEditorTBFrequent)},
    {2, "TB_Play", RavoText::BarTBPlay, ITEMS(kEditorTBPlay)},
    {2, "TB_Record", RavoText::BarTBRecord, ITEMS(kEditorTBRecord)},
    {2, "TB_Effects", RavoText::BarTBEffects, ITEMS(kEditorTBEffects)},
    {2, "TB_Draw", RavoText::BarTBDraw, ITEMS(kEditorTBDraw)},
    {2, "TB_AnaSyn", RavoText::BarTBAnaSyn, ITEMS(kEditorTBAnaSyn)},
    {2, "TB_Backup", RavoText::BarTBBackup, ITEMS(kEditorTBBackup)},
    {2, "TB_Tracks", RavoText::BarTBTracks, ITEMS(kEditorTBTracks)},
    {2, "TB_Scale", RavoText::BarTBScale, ITEMS(kEditorTBScale)},
    {2, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},
    {2, "X_Additional", RavoText::BarXAdditional, ITEMS(kEditorXAdditional)},
    {3, "File", RavoText::BarFile, ITEMS(kAnalyzerFile)},
    {3, "View", RavoText::BarView, ITEMS(kAnalyzerView)},
    {3, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {3, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {3, "TB_File", RavoText::BarTBFile, ITEMS(kAnalyzerTBFile)},
    {3, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},
    {4, "File", RavoText::BarFile, ITEMS(kConverterFile)},
    {4, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {4, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {4, "TB_File", RavoText::BarTBFile, ITEMS(kConverterTBFile)},
    {4, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},
    {5, "File", RavoText::BarFile, ITEMS(kDevicesFile)},
    {5, "Tools", RavoText::BarTools, ITEMS(kDevicesTools)},
    {5, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {5, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {5, "ToolBar", RavoText::BarToolBar, ITEMS(kDevicesToolBar)},
    {5, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},
    {6, "File", RavoText::BarFile, ITEMS(kACMFile)},
    {6, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {6, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {6, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},
    {7, "File", RavoText::BarFile, ITEMS(kWelcomeFile)},
    {7, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {7, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {7, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},
    {8, "File", RavoText::BarFile, ITEMS(kInstrumentFile)},
    {8, "Edit", RavoText::BarEdit, ITEMS(kInstrumentEdit)},
    {8, "View", RavoText::BarView, ITEMS(kInstrumentView)},
    {8, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {8, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {8, "ToolBar", RavoText::BarToolBar, ITEMS(kInstrumentToolBar)},
    {8, "X_Additional", RavoText::BarXAdditional, ITEMS(kInstrumentXAdditional)},
    {8, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},
    {9, "File", RavoText::BarFile, ITEMS(kDefaultFile)},
    {9, "Window", RavoText::BarWindow, ITEMS(kWindow)},
    {9, "Help", RavoText::BarHelp, ITEMS(kHelp)},
    {9, "X_Customize", RavoText::BarXCustomize, ITEMS(kXCustomize)},

};
const i32 kBarCount = (i32)(sizeof kBars / sizeof kBars[0]);

WindowKind kinds[WindowKindCount];
GToolBarSpec bars[kBarCount];

u32 entryKindOf(const char* name) {
    if (strncmp(name, "X_", 2) == 0) return SpecInternal;
    if (strncmp(name, "TB", 2) == 0 || strcmp(name, "ToolBar") == 0) return SpecToolBar;
    return SpecMenu;
}

struct Registrar {
    Registrar() {
        for (i32 k = 0; k < WindowKindCount; ++k) {
            kinds[k].typeId = kKinds[k].kind;
            kinds[k].name = kKinds[k].name;
            kinds[k].iconId = kKinds[k].icon;
            kinds[k].title = ravoTextSlot(kKinds[k].title);
            registerWindowKind(&kinds[k]);
        }
        i32 position[WindowKindCount] = {};
        for (i32 i = 0; i < kBarCount; ++i) {
            const BarRow& row = kBars[i];
            GToolBarSpec& spec = bars[i];
            spec.name = row.name;
            spec.title = ravoTextSlot(row.title);
            spec.defaultIds = row.ids;
            spec.defaultCount = row.count;
            spec.entryKind = entryKindOf(row.name);
            if (spec.entryKind == SpecToolBar) {
                // The top dock, one row, in declaration order.
                spec.p1 = spec.d1 = TopDockKey;
                spec.p2 = spec.d2 = position[row.kindIndex]++;
            }
            // The record bar starts hidden.
            if (strcmp(row.name, "TB_Record") == 0) spec.shown = spec.defaultShown = 0;
            linkSpec(&kinds[row.kindIndex], &spec);
        }
    }
} registrar;
}  // namespace

char** windowKindTitle(u32 kind) {
    for (const KindRow& row : kKinds)
        if (row.kind == kind) return ravoTextSlot(row.title);
    return nullptr;
}

WindowKind* programWindowKind(u32 kind) {
    for (WindowKind& record : kinds)
        if (record.typeId == kind) return &record;
    return nullptr;
}
