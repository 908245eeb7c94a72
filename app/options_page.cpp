// The options page: every control of the options dialog, bound to the settings it edits.
#include "app/app_settings.h"
#include "app/options_dialog.h"
#include "app/options_mixer.h"
#include "app/program_texts.h"
#include "app/window_kinds.h"
#include "app/work_folder.h"
#include "core/block_base.h"
#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/combo.h"
#include "gui/controls/combo_items.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/number_validator.h"
#include "gui/controls/page_stack.h"
#include "gui/controls/value_field.h"
#include "gui/dialogs/action_items_window.h"
#include "gui/dialogs/color_list_window.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/key_table_window.h"
#include "gui/dialogs/path_field.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/splitter.h"
#include "gui/menus/action_table.h"
#include "gui/menus/command_bars.h"
#include "gui/menus/key_bindings.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/tree_table.h"
#include "mm/mm_settings.h"
#include "mm/plugin_folder.h"

const u32 optionsKindOrder[10] = {KindEditor,   KindInstrument, KindNotesEditor, KindConverter, KindSpectrum,
                                  KindAnalyzer, KindAcm,        KindDevices,     KindWelcome,   KindDefault};

namespace {

const char* text(RavoText id) { return ravoText(id); }

// A number field's record: the value checked against its range at OK, then written to an f64 or,
// truncated, to a u32. The dialog's field list owns it.
class OptionNumber : public NumberValidator {
public:
    void commit() override {
        NumberValidator::commit();
        if (whole) *whole = (u32)value;
    }
    EditNumberText line;
    u32* whole = nullptr;
};

// Links the record of a number field shown in the edit line.
void bindNumber(GLayoutBuilder& b, GEditLine* edit, f64 minimum, f64 maximum, f64* real, u32* whole) {
    OptionNumber* number = new OptionNumber;
    number->line.edit = edit;
    number->text = &number->line;
    number->field = static_cast<GItemBase*>(edit);
    number->minimum = minimum;
    number->maximum = maximum;
    number->bound = real;
    number->whole = whole;
    number->set(real ? *real : (f64)*whole);
    b.linkField(number);
}

// A label and a number field, into the current grid.
void addNumber(GLayoutBuilder& b, const char* label, f64 minimum, f64 maximum, f64* real, u32* whole) {
    GLabel::create(b, label, 0);
    bindNumber(b, GEditLine::create(b, 10), minimum, maximum, real, whole);
}

void beginGroup(GLayoutBuilder& b, const char* title) {
    b.pushContainer(new GGroupBoxItem(b.owner, title), nullptr, "U^");
}

const char* kindTitle(u32 kind) {
    char** slot = windowKindTitle(kind);
    return slot && *slot ? *slot : "";
}

// A page of the list.
class PageNode : public BlockBase {
public:
    PageNode(const char* title, i32 page) : title(title), page(page) {}
    void displayName(GString& out) const override { out = title; }
    GString title;
    i32 page;
};

// The folder chooser behind the three path fields.
GFileDialog& folderChooser() {
    static GFileDialog dialog(nullptr, nullptr, nullptr);
    return dialog;
}

GPathField* addFolder(GLayoutBuilder& b, const char* label, const char* path) {
    GLabel::create(b, label, 0, "<-");
    GPathField* field = addPathField(b, &folderChooser(), FolderCreate, 0);
    if (GEditLine* line = field->editLine()) line->setTextQuiet(path);
    return field;
}

void buildFolders(OptionsDialog& d, GLayoutBuilder& b) {
    GColumnsItem::create(b, "00000", "U^");
    d.tempFolderField = addFolder(b, text(RavoText::OptionsTempFolder), workTempFolder().c_str());
    GString work;
    loadWorkDirectory(work);
    d.shownWorkFolder = work;
    d.workFolderField = addFolder(b, text(RavoText::OptionsWorkFolder), work.c_str());
    d.shownPluginFolders = pluginFolders();
    d.pluginFolderField = addFolder(b, text(RavoText::OptionsPluginFolders), d.shownPluginFolders.c_str());
    b.endContainer();
}

void buildNotes(OptionsDialog& d, GLayoutBuilder& b) {
    addGridLayout(2, 2, b, "U^");
    const ShowSettings& show = multimediaSettings().show;
    GLabel::create(b, text(RavoText::OptionsNoteStyle), 0, "<-");
    GBag notes = comboItems(text(RavoText::OptionsNoteStyles));
    d.noteStyleCombo = GCombo::create(b, &notes, (i32)show.noteStyle, 20, "<-");
    GLabel::create(b, text(RavoText::OptionsOctaveStyle), 0, "<-");
    GBag octaves = comboItems(text(RavoText::OptionsOctaveStyles));
    d.octaveStyleCombo = GCombo::create(b, &octaves, (i32)show.octaveStyle, 20, "<-");
    b.endContainer();
}

// The device panels when installed; else a stand-in: the play line's volume, set at once.
void buildMixer(OptionsDialog& d, GLayoutBuilder& b) {
    if (buildOptionsMixerPanels) {
        buildOptionsMixerPanels(b, multimediaSettings().sound);
        return;
    }
    GRowItem::create(b, "08000");
    GLabel::create(b, text(RavoText::OptionsMixerVolume), 0, "<-");
    d.mixerVolume = GEditLine::create(b, 10, "<-");
    GButton::create(b, text(RavoText::OptionsMixerSet), 0, OptionsSetMixerVolume, "<-");
    b.endContainer();
}

void buildBuffers(GLayoutBuilder& b) {
    SoundSettings& sound = multimediaSettings().sound;
    GColumnsItem::create(b, "00000", "U^");
    const struct {
        RavoText title;
        BufferSettings* buffers;
        bool presend;
    } groups[] = {{RavoText::OptionsPlayer, &sound.player, true},
                  {RavoText::OptionsSynth, &sound.synth, true},
                  {RavoText::OptionsRecorder, &sound.recorder, false}};
    for (const auto& g : groups) {
        beginGroup(b, text(g.title));
        addGridLayout(2, g.presend ? 3 : 2, b, "U^");
        addNumber(b, text(RavoText::OptionsBufCount), 1, 100, nullptr, &g.buffers->bufCount);
        if (g.presend) addNumber(b, text(RavoText::OptionsBufPresend), 1, 100, nullptr, &g.buffers->bufPresend);
        addNumber(b, text(RavoText::OptionsBufPerSecond), 1, 100, nullptr, &g.buffers->bufPerSecond);
        b.endContainer();
        b.endContainer();
    }
    b.endContainer();
}

void buildConverter(GLayoutBuilder& b) {
    EditorSettings& e = appSettings.Editor;
    GColumnsItem::create(b, "88888", "U^");
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsConvertAuto), &e.convertAuto, "<-");
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsConvertWarning), &e.convertWarning, "<-");
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsConvertOverwrite), &e.convertOverwriteWarning, "<-");
    GLine1::create(b);
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsSwitchToConverter), &e.switchToConverterWarning, "<-");
    GLine1::create(b);
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsExtractAuto), &e.extractAuto, "<-");
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsExtractWarning), &e.extractWarning, "<-");
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsExtractOverwrite), &e.extractOverwriteWarning, "<-");
    b.endContainer();
}

void buildUndo(OptionsDialog& d, GLayoutBuilder& b) {
    EditorSettings& e = appSettings.Editor;
    addGridLayout(2, 3, b, "U^");
    addNumber(b, text(RavoText::OptionsUndoCount), 1, 999999, nullptr, &guiSettings.undoCountLimit);
    d.workLimitMegabytes = (f64)e.workFileLimit / 1048576.0;
    // The two fields beside their check boxes.
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsUndoDiskWarning), &e.undoDiskLimitWarning, "<-");
    bindNumber(b, GEditLine::create(b, 10, "<-"), 0.0, 10485760.0, &d.workLimitMegabytes, nullptr);
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsSmoothing), &e.smoothing, "<-");
    bindNumber(b, GEditLine::create(b, 10, "<-"), 0.0, 1.0, &e.smoothTime, nullptr);
    b.endContainer();
}

void buildPerformance(GLayoutBuilder& b) {
    PerformanceSettings& p = appSettings.Editor.Performance;
    GColumnsItem::create(b, "00000", "U^");
    GCheckBoxItem::createAlt(b, text(RavoText::OptionsCache2Level), &p.cache2Level, "<-");
    GMultiLabel::create(b, text(RavoText::OptionsPerformanceNote), 40, 3, 0);
    addGridLayout(2, 2, b, "<^");
    addNumber(b, text(RavoText::OptionsCacheScaleLimit), 0.0, 0.001, &p.cacheScaleLimit, nullptr);
    addNumber(b, text(RavoText::OptionsTrackLimit), 1, 1000, nullptr, &p.visibleTrackLimit);
    b.endContainer();
    b.endContainer();
}

void buildBars(OptionsDialog& d, GLayoutBuilder& b) {
    GBag kinds;
    for (u32 kind : optionsKindOrder) bagWriteString(kinds, kindTitle(kind));
    GRowItem::create(b, "88808");
    for (u32 column = 0; column < 2; ++column) {
        GColumnsItem::create(b, "00000", "U^");
        d.kindCombos[column] = GCombo::create(b, &kinds, 9, 20, "<-");
        d.barEditors[column] = new GActionItemsWindow(b, column == 0 ? 1 : 0, programWindowKind(KindDefault));
        b.add(d.barEditors[column], "UC");
        b.endContainer();
    }
    b.endContainer();
}

void buildTabs(OptionsDialog& d, GLayoutBuilder& b) {
    GRowItem::create(b, "00000");
    beginGroup(b, text(RavoText::OptionsTabsGroup));
    GColumnsItem::create(b, "88888488", "U^");
    for (u32 k = 0; k < 12; ++k) {
        GActionItem* action = actionById((i32)(128 + k));
        const char* title = action && action->title && *action->title ? *action->title : "";
        d.tabBoxes[k] = GCheckBoxItem::create(b, title, (guiSettings.tabEffects >> (16 + k)) & 1, "<-");
    }
    b.endContainer();
    b.endContainer();
    AppSettings& a = appSettings;
    beginGroup(b, text(RavoText::OptionsNewTabsGroup));
    GColumnsItem::create(b, "88888488", "U^");
    const struct {
        u32 kind;
        u8* flag;
    } boxes[] = {{KindEditor, &a.Editor.openInNewTab},         {KindAnalyzer, &a.Analyzer.openInNewTab},
                 {KindConverter, &a.Converter.openInNewTab},   {KindSpectrum, &a.Spectrum.openInNewTab},
                 {KindInstrument, &a.Instrument.openInNewTab}, {KindNotesEditor, &a.MDEditor.openInNewTab}};
    for (const auto& box : boxes) GCheckBoxItem::createAlt(b, kindTitle(box.kind), box.flag, "<-");
    b.endContainer();
    b.endContainer();
    b.endContainer();
}

void buildKeys(OptionsDialog& d, GLayoutBuilder& b) {
    GColumnsItem::create(b, "00088", "UC");
    d.keys = new GKeyTableWindow(b, &defaultKeyBindings(), &activeKeyBindings());
    b.add(d.keys, "UC");
    b.endContainer();
}

void buildColors(OptionsDialog& d, GLayoutBuilder& b) {
    GColumnsItem::create(b, "88888", "<^");
    d.colors = new GColorListWindow(b);
    b.add(d.colors, "<^");
    b.endContainer();
}

}  // namespace

bool buildOptionsPage(OptionsDialog& d) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(&d, style, WS_EX_DLGMODALFRAME, text(RavoText::OptionsTitle))) return false;
    // The kinds' menus and tool bars as they are, for Cancel.
    bagFree(d.barSnapshot);
    writeCommandBars(d.barSnapshot);

    GColumnsItem* column = new GColumnsItem(&d);
    setLayoutDigits(column, "88888");
    d.setContent(column);
    GLayoutBuilder b(&d, &d.fields);
    b.current = column;

    GSplitterItem* split = new GSplitterItem(&d, false, 1, 3);
    b.pushContainer(split, "", "UC");
    d.pageList = createTreeView(split, &d, "UC");
    d.pages = new GPageStack(&d);
    b.pushContainer(d.pages, "", "UC");
    const RavoText titles[OptionsPageCount] = {
        RavoText::OptionsFoldersPage,  RavoText::OptionsNotesPage,       RavoText::OptionsMixerPage,
        RavoText::OptionsBuffersPage,  RavoText::OptionsConverterPage,   RavoText::OptionsUndoPage,
        RavoText::OptionsPerformancePage, RavoText::OptionsBarsPage,    RavoText::OptionsTabsPage,
        RavoText::OptionsKeysPage,     RavoText::OptionsColorsPage};
    for (i32 page = 0; page < OptionsPageCount; ++page) {
        GColumnsItem::create(b, "88888", "UC");
        switch (page) {
        case OptionsFoldersPage: buildFolders(d, b); break;
        case OptionsNotesPage: buildNotes(d, b); break;
        case OptionsMixerPage: buildMixer(d, b); break;
        case OptionsBuffersPage: buildBuffers(b); break;
        case OptionsConverterPage: buildConverter(b); break;
        case OptionsUndoPage: buildUndo(d, b); break;
        case OptionsPerformancePage: buildPerformance(b); break;
        case OptionsBarsPage: buildBars(d, b); break;
        case OptionsTabsPage: buildTabs(d, b); break;
        case OptionsKeysPage: buildKeys(d, b); break;
        case OptionsColorsPage: buildColors(d, b); break;
        }
        b.endContainer();
        GTreeRoot root{new PageNode(text(titles[page]), page), true};
        if (d.pageList) d.pageList->addRoot(root);
    }
    b.endContainer();
    b.endContainer();

    GLine1::create(b);
    GRowItem::create(b, "88888");
    GButton::create(b, text(RavoText::OptionsResetAll), 0, OptionsResetAll);
    b.endContainer();
    GButtonRow::create(b, "OCH", "08000");

    d.showPage(OptionsFoldersPage);
    d.fitToContent();
    return true;
}
