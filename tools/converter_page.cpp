#include "tools/converter_page.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "core/exceptions.h"
#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/controls/combo_items.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/page_stack.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/path_field.h"
#include "gui/dialogs/path_notice.h"
#include "gui/frame/progress_line.h"
#include "gui/input/busy_cursor.h"
#include "gui/input/input_event.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/splitter.h"
#include "gui/menus/action_image.h"
#include "gui/paint/image_list_cache.h"
#include "gui/views/table.h"
#include "gui/views/tree_table.h"
#include "mm/mm_texts.h"
#include "tools/acm_conversion_task.h"
#include "tools/converter_tree.h"
#include "tools/native_conversion_task.h"
#include "tools/plugin_conversion_task.h"

const i32 converterRates[7] = {8000, 11025, 22050, 44100, 48000, 96000, -1};
const u32 converterEncodings[4] = {2, 3, 4, 5};

namespace {
// The progress line as the job's sink.
class LineSink : public PlacerJobSink {
public:
    void start(i32, i32) override { line->begin(100); }
    void end() override { line->end(); }
    GProgressLinePlacer* line = nullptr;
};

struct ConvertRun : ConversionJob {
    LineSink lineSink;
};

struct NotifyScope {
    u32& depth;
    explicit NotifyScope(u32& depth) : depth(depth) { ++depth; }
    ~NotifyScope() { --depth; }
};

void enableUnder(GLayoutCell* cell, bool on) {
    if (!cell) return;
    if (GChildWindow* w = cell->asChildWindow()) {
        if (w->hwnd) EnableWindow(w->hwnd, on ? TRUE : FALSE);
        return;
    }
    if (GLayoutItem* item = cell->asLayoutItem())
        for (int i = 0; i < item->childCount(); ++i) enableUnder(item->childAt(i), on);
}

i32 comboIndex(GCombo* combo) { return combo ? combo->selection : -1; }
}  // namespace

GAudioConverterPlacer::GAudioConverterPlacer(GWindow* window, WindowKind* kind, GFileDialog* sourceDialog,
                                             GFileDialog* targetDialog, GFolderList* pickList)
    : GFilePlacer(kind, window, sourceDialog, targetDialog, pickList) {
    helpPage = "converter.htm";
    GLayoutBuilder b(window);
    b.current = this;
    GColumnsItem::create(b, "00000", "UC");
    splitter = new GSplitterItem(window, true, 1, 9);
    b.pushContainer(splitter, "", "UC");

    GColumnsItem::create(b, "08000", "UC");
    GLabel::create(b, mmText(MmText::ConverterSourceLabel), 0, "<^");
    GRowItem::create(b, "00000");
    setAlignmentCode(b.current, "U^");
    sourceField = addPathField(b, sourceDialog, FileOpenMany, ConverterFolderKind);
    setAlignmentCode(sourceField, "U-");
    loadButton = GButton::create(b, mmText(MmText::ConverterLoad), ButtonDefault, ConverterLoadSources, ">-");
    b.endContainer();
    b.endContainer();

    GColumnsItem::create(b, "08000", "UC");
    sourceInfo = GLabel::create(b, "", 0, "U^");
    formatTree = createTreeView(b.current, window, "UC", actionImageSize(getImageList(FormatNodeImage)).cy);
    GRowItem::create(b, "00000");
    setAlignmentCode(b.current, "U^");
    GLabel::create(b, mmText(MmText::ConverterTargetLabel), 0, "<-");
    targetField = addPathField(b, targetDialog, FileSave, ConverterFolderKind);
    setAlignmentCode(targetField, "U-");
    targetButton = GButton::create(b, mmText(MmText::ConverterTargetButton), 0, ConverterProposeTarget, ">-");
    b.endContainer();
    previewCell = GRowItem::create(b, "00000");
    setAlignmentCode(previewCell, "<^");
    b.endContainer();

    optionPages = new GPageStack(window);
    b.pushContainer(optionPages, "0000", "U^");
    GColumnsItem::create(b, "00000", "U^");
    const MmText boxTexts[4] = {MmText::ConverterStripId3v1, MmText::ConverterStripId3v2, MmText::ConverterStripInfo,
                                MmText::ConverterStripUnknown};
    for (i32 i = 0; i < 4; ++i) acmFlag[i] = GCheckBoxItem::create(b, mmText(boxTexts[i]), i == 3 ? 1 : 0, "<-");
    acmFlagAll = GCheckBoxItem::create(b, mmText(MmText::ConverterStripAll), 0, "<-");
    GRowItem::create(b, "00000");
    setAlignmentCode(b.current, "U^");
    GLabel::create(b, mmText(MmText::ConverterFormatLabel), 0, "<-");
    acmFormatCombo = GCombo::create(b, (const GBag*)nullptr, -1, 40, "U-");
    b.endContainer();
    b.endContainer();

    addGridLayout(2, 4, b, "<^");
    GLabel::create(b, mmText(MmText::ConverterRateLabel), 0, "<-");
    GBag rates;
    bagWriteString(rates, mmText(MmText::ConverterDefaultItem));
    for (i32 i = 0; converterRates[i] > 0; ++i) {
        char text[16];
        snprintf(text, sizeof text, "%d Hz", (int)converterRates[i]);
        bagWriteString(rates, text);
    }
    rateCombo = GCombo::create(b, &rates, 0, 14, "<-");
    GLabel::create(b, mmText(MmText::ConverterChannelsLabel), 0, "<-");
    GBag channels = comboItems(mmText(MmText::ConverterChannelItems));
    channelsCombo = GCombo::create(b, &channels, 0, 14, "<-");
    GLabel::create(b, mmText(MmText::ConverterOption1Label), 0, "<-");
    option1Edit = GEditLine::create(b, 10, "<-");
    GLabel::create(b, mmText(MmText::ConverterOption2Label), 0, "<-");
    option2Edit = GEditLine::create(b, 10, "<-");
    b.endContainer();

    GRowItem::create(b, "00000");
    setAlignmentCode(b.current, "<^");
    GLabel::create(b, mmText(MmText::ConverterEncodingLabel), 0, "<-");
    GBag encodings = comboItems(mmText(MmText::ConverterEncodingItems));
    encodingCombo = GCombo::create(b, &encodings, 0, 20, "<-");
    b.endContainer();
    b.endContainer();

    GMultiLabel::create(b, mmText(MmText::ConverterHelp), 60, 2, MultiWidthChars | MultiHeightChars, "U^");
    convertButton = GButton::create(b, mmText(MmText::ConverterConvert), 0, ConverterConvert, ">^");
    b.endContainer();
    b.endContainer();

    progress = new GProgressLinePlacer(window);
    b.add(progress, "U^");
    b.endContainer();

    optionPages->setCurrentPage(ConverterNoOptions);
    if (convertButton->hwnd) EnableWindow(convertButton->hwnd, FALSE);
    applyFlagAllRule();
}

GAudioConverterPlacer::~GAudioConverterPlacer() { OpenFileRegistry::detach(&fileHolder); }

const char* GAudioConverterPlacer::firstCaption() {
    return displayName.empty() ? mmText(MmText::ConverterCaption) : displayName.c_str();
}

const char* GAudioConverterPlacer::documentKindText() { return mmText(MmText::ConverterCaption); }

GString GAudioConverterPlacer::fieldText(GPathField* field) { return field->getText(); }

void GAudioConverterPlacer::setFieldText(GPathField* field, const char* text) {
    NotifyScope scope(notifyDepth);
    field->apply(text);
}

GString GAudioConverterPlacer::firstSourcePath() const {
    GString path;
    if (sources.empty()) return path;
    stringCopy(path, sourceFolder);
    pathJoin(path, sources[0].c_str());
    return path;
}

ConverterFormatNode* GAudioConverterPlacer::caretFormat() {
    return static_cast<ConverterFormatNode*>(formatTree->caretNode());
}

void GAudioConverterPlacer::applyFlagAllRule() {
    const bool all = acmFlagAll->isChecked();
    for (GCheckBox* box : acmFlag)
        if (box->hwnd) EnableWindow(box->hwnd, all ? FALSE : TRUE);
}

void GAudioConverterPlacer::enableControls(bool on) {
    enableUnder(splitter, on);
    if (on) {
        if (sources.empty() && convertButton->hwnd) EnableWindow(convertButton->hwnd, FALSE);
        applyFlagAllRule();
    }
}

// ---- sources ----

void GAudioConverterPlacer::clearSources() {
    modified = 0;
    OpenFileRegistry::detach(&fileHolder);
    formatTree->clearTree();
    sourceInfo->setText("");
    sources.clear();
    if (convertButton->hwnd) EnableWindow(convertButton->hwnd, FALSE);
    stringClear(displayPath);
    stringClear(displayName);
    comboNode = nullptr;
    optionPages->setCurrentPage(ConverterNoOptions);
    markOwnerDirty(window);
}

void GAudioConverterPlacer::loadSources() {
    BusyCursor busy;
    GString text = fieldText(sourceField);
    GFileDialog split(nullptr, "", nullptr);
    split.setFileNames(text.c_str());
    if (!split.chosenCount()) {
        showMessageBox(&mbError, window, mmText(MmText::ConverterNoSourceNames));
        return;
    }
    sources.clear();
    for (u32 i = 0; i < split.chosenCount(); ++i) sources.emplace_back(split.nameBuffer + split.nameOffsets.data[i]);
    stringCopy(sourceFolder, split.folderText);
    GString first = firstSourcePath();
    if (sources.size() == 1) {
        stringCopy(displayPath, first);
        stringCopy(displayName, sources[0]);
        rememberDialogPath(folderKind, first.c_str());
    } else {
        stringFormat(displayName, mmText(MmText::ConverterSourceCount), (unsigned)sources.size());
        stringCopy(displayPath, sourceFolder);
        pathJoin(displayPath, displayName.c_str());
        rememberDialogPath(folderKind, sourceFolder.c_str());
    }
    if (buildFormatTree(first.c_str())) {
        if (convertButton->hwnd) EnableWindow(convertButton->hwnd, TRUE);
        notifyPage(PageTitleChanged);
        notifyPage(PageStateChanged);
    }
}

bool GAudioConverterPlacer::buildFormatTree(const char* path) {
    FormatTreeBuild build;
    if (!collectFormatGroups(path, build, window)) return false;
    const bool result = build.hasCountedRows();
    {
        RedrawLockScope lock(formatTree);
        formatTree->clearTree();
        comboNode = nullptr;
        for (ConverterFormatNode*& group : build.groups) {
            GTreeRoot root{group, true};
            formatTree->addRoot(root);
            group = nullptr;
        }
        formatTree->rebuildRows(-1);
    }
    GString label(mmText(MmText::ConverterSourcePrefix));
    stringAppend(label, build.description.c_str());
    sourceInfo->setText(label.c_str());
    if (!result) {
        showMessageBox(&mbError, window, mmText(MmText::ConverterNoTargets));
    } else {
        if (formatTree->hwnd) giveFocus(formatTree);
        loadButton->clearDefault();
    }
    if (!label.empty()) {
        if (GBag* stored = findRememberedTarget(label.c_str())) {
            stored->pos = 0;
            formatTree->restoreCaretPath(*stored);
        }
    }
    showOptionsFor(caretFormat());
    return result;
}

void GAudioConverterPlacer::newDocument() {
    GFilePlacer::newDocument();
    clearSources();
    setFieldText(sourceField, "");
    setFieldText(targetField, "");
}

void GAudioConverterPlacer::openFile(const char* path, GBag&) {
    if (busy() || job) return;
    newDocument();
    setFieldText(sourceField, path);
    loadSources();
}

// ---- options ----

void GAudioConverterPlacer::showOptionsFor(ConverterFormatNode* node) {
    i32 page = ConverterNoOptions;
    comboNode = nullptr;
    if (node && node->kind == FormatAcmNode) {
        page = ConverterAcmOptions;
        acmFormatCombo->clear();
        for (const AcmFormatRecord& r : node->convertible) acmFormatCombo->addItem(r.text.c_str());
        i32 chosen = node->convertible.empty() ? -1 : 0;
        if (!node->suggested.empty()) {
            i32 found = acmFormatCombo->items().findItem(node->suggested[0].text.c_str());
            if (found >= 0) chosen = found;
        }
        acmFormatCombo->select(chosen);
        comboNode = node;
    } else if (node && !node->encoderText.empty()) {
        page = ConverterPluginOptions;
    } else if (node && node->kind == FormatOwnNode && node->tag == OwnFormatTag) {
        page = ConverterOwnOptions;
    }
    optionPages->setCurrentPage(page);
}

void GAudioConverterPlacer::saveConverterOptions(GBag& bag) {
    splitter->writeState(bag);
    u32 boxes = 0;
    for (i32 i = 0; i < 4; ++i)
        if (acmFlag[i]->isChecked()) boxes |= 1u << (5 - i);
    if (acmFlagAll->isChecked()) boxes |= 2;
    bagWriteU32(bag, boxes);
    bagWriteI32(bag, comboIndex(channelsCombo));
    bagWriteI32(bag, comboIndex(rateCombo));
    bagWriteI32(bag, comboIndex(encodingCombo));
    bagWriteString(bag, option1Edit->text());
    bagWriteString(bag, option2Edit->text());
    rememberTarget(sourceInfo->text.c_str(), formatTree);
}

void GAudioConverterPlacer::restoreConverterOptions(GBag& bag) {
    splitter->readState(bag);
    u32 boxes;
    bagReadU32(bag, &boxes);
    for (i32 i = 0; i < 4; ++i) acmFlag[i]->setChecked((boxes >> (5 - i)) & 1);
    acmFlagAll->setChecked((boxes >> 1) & 1);
    GCombo* combos[3] = {channelsCombo, rateCombo, encodingCombo};
    for (GCombo* combo : combos) {
        i32 index;
        bagReadI32(bag, &index);
        // A negative index, or one past the items, leaves the combo.
        if (index >= 0 && index < combo->rowCount()) combo->select(index);
    }
    GString first(bagReadText(bag));
    GString second(bagReadText(bag));
    option1Edit->setTextQuiet(first.c_str());
    option2Edit->setTextQuiet(second.c_str());
    applyFlagAllRule();
}

void GAudioConverterPlacer::saveState(GBag& bag) {
    bagWriteString(bag, fieldText(sourceField).c_str());
    bagWriteString(bag, fieldText(targetField).c_str());
    saveConverterOptions(bag);
}

void GAudioConverterPlacer::restoreState(GBag& bag) {
    GString source(bagReadText(bag));
    GString target(bagReadText(bag));
    setFieldText(sourceField, source.c_str());
    setFieldText(targetField, target.c_str());
    restoreConverterOptions(bag);
}

void GAudioConverterPlacer::restoreOptions(GBag* blocks) {
    if (!blocks[1].size) return;
    blocks[1].pos = 0;
    restoreState(blocks[1]);
}

// ---- commands ----

bool GAudioConverterPlacer::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case ConverterConvert:
        if (!busy()) convert();
        return true;
    case ConverterProposeTarget:
        if (!busy()) proposeTargetName();
        return true;
    case ConverterLoadSources:
        if (busy()) return true;
        clearSources();
        loadSources();
        GFilePlacer::onCommand(command, query);
        return true;
    default:
        return GFilePlacer::onCommand(command, query);
    }
}

i32 GAudioConverterPlacer::commandState(u32 command) {
    switch (command) {
    case ConverterConvert:
    case ConverterProposeTarget:
    case ConverterLoadSources:
    case FileCommandOpen:
    case FileCommandClose:
    case FileCommandPick:
        return busy() ? CommandDisabled : CommandEnabled;
    default:
        return GFilePlacer::commandState(command);
    }
}

bool GAudioConverterPlacer::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (!n || notifyDepth) return false;
    NotifyScope scope(notifyDepth);
    GItemBase* source = n->source;
    if (source == acmFlagAll) {
        applyFlagAllRule();
        return true;
    }
    if (source == sourceField || source == static_cast<GItemBase*>(sourceField->editLine())) {
        // Typing empties the page; a name chosen in the dialog loads at once.
        clearSources();
        if (source == sourceField) loadSources();
        return false;
    }
    if (source == targetField || source == static_cast<GItemBase*>(targetField->editLine())) {
        targetButton->clearDefault();
        return false;
    }
    if (source == formatTree) {
        if (n->code == TableCaretMoved) {
            showOptionsFor(caretFormat());
        } else if (n->code == TableRowActivated) {
            ConverterFormatNode* node = caretFormat();
            if (node && node->kind != FormatGroupNode) {
                if (GEditLine* line = targetField->editLine()) giveFocus(line);
                targetButton->makeDefault();
            }
        }
        return false;
    }
    return false;
}

i32 GAudioConverterPlacer::handleKey(GInputEvent* event) {
    GEditLine* line = targetField->editLine();
    if (event->kind == KeyDown && event->key == VK_RETURN && !(event->modifiers & 7) && line &&
        event->target == static_cast<GItemBase*>(line) && !targetButton->isDefaultButton() &&
        !convertButton->isDefaultButton()) {
        convertButton->makeDefault();
        return 2;
    }
    return GFilePlacer::handleKey(event);
}

void GAudioConverterPlacer::convert() {
    if (convertButton->isDefaultButton()) convertButton->clearDefault();
    if (sources.empty() || !IsWindowEnabled(convertButton->hwnd)) {
        showMessageBox(&mbError, window, mmText(MmText::ConverterNoSources));
        return;
    }
    GString sourceText = fieldText(sourceField), target = fieldText(targetField);
    if (target.empty()) {
        showMessageBox(&mbError, window, mmText(MmText::ConverterNoTarget));
        return;
    }
    const char* mark = strchr(target.c_str(), '%');
    if (!mark && sources.size() >= 2) {
        showMessageBox(&mbError, window, mmText(MmText::ConverterNeedPattern));
        return;
    }
    if (mark && strchr(mark + 1, '%')) {
        showMessageBox(&mbError, window, mmText(MmText::ConverterTwoPatterns));
        return;
    }
    if (strcmp(target.c_str(), sourceText.c_str()) == 0) {
        showMessageBox(&mbError, window, mmText(MmText::ConverterTargetIsSource));
        return;
    }
    ConverterFormatNode* node = caretFormat();
    if (!node || node->kind == FormatGroupNode) {
        showMessageBox(&mbError, window, mmText(MmText::ConverterNoFormat));
        return;
    }
    std::unique_ptr<ConvertRun> run(new ConvertRun);
    run->action = ConverterConvert;
    run->kind = node->kind;
    if (node->kind == FormatAcmNode) {
        run->acmDriver = node->acmDriver;
        i32 chosen = comboNode == node ? acmFormatCombo->selection : -1;
        if (chosen >= 0 && chosen < (i32)node->convertible.size()) run->acmTarget = node->convertible[chosen].format;
        if (acmFlagAll->isChecked()) {
            run->acmFlags = 0x1F;
        } else {
            for (i32 i = 0; i < 4; ++i)
                if (acmFlag[i]->isChecked()) run->acmFlags |= 1u << i;
        }
    } else if (node->kind == FormatPluginNode) {
        stringCopy(run->pluginSource, node->decoderText);
        stringCopy(run->pluginTarget, node->encoderText);
        const i32 rate = comboIndex(rateCombo);
        run->rate = rate >= 1 && rate <= 6 ? converterRates[rate - 1] : -1;
        const char* o1 = option1Edit->text();
        const char* o2 = option2Edit->text();
        run->option1 = o1 && *o1 ? atoi(o1) : -1;
        run->option2 = o2 && *o2 ? atoi(o2) : -1;
        const i32 channels = comboIndex(channelsCombo);
        run->channels = channels >= 1 ? channels : -1;
    } else if (node->tag == OwnFormatTag) {
        // The encoding table has four entries: no other index is taken.
        const i32 e = comboIndex(encodingCombo);
        if (e < 0 || e >= 4) {
            showMessageBox(&mbError, window, mmText(MmText::ConverterNoEncoding));
            return;
        }
        run->encoding = converterEncodings[e];
    }
    stringCopy(run->target, target);
    run->lineSink.line = progress;
    run->sink = &run->lineSink;
    enableControls(false);
    rememberTarget(sourceInfo->text.c_str(), formatTree);
    ConvertRun* handed = run.release();
    try {
        runJobInBackground(handed);
    } catch (...) {
        enableControls(true);
        throw;
    }
}

bool GAudioConverterPlacer::performJob(PlacerJob* placerJob) {
    auto* run = static_cast<ConversionJob*>(placerJob);
    ConversionList list;
    list.checkTarget = targetCheck;
    bool result = false;
    try {
        for (const GString& name : sources) {
            GString path;
            stringCopy(path, sourceFolder);
            pathJoin(path, name.c_str());
            ConversionTask* task = nullptr;
            if (run->kind == FormatAcmNode) {
                task = new AcmConversionTask(path.c_str(), run->target.c_str(), run->acmFlags, run->acmDriver,
                                             run->acmTarget.empty() ? nullptr : asFormat(run->acmTarget));
            } else if (run->kind == FormatPluginNode) {
                auto* p = new PluginConversionTask(path.c_str(), run->target.c_str(), run->pluginSource.c_str(),
                                                   run->pluginTarget.c_str());
                if (!run->pluginTarget.empty()) {
                    p->options[0] = run->rate;
                    p->options[1] = run->option1;
                    p->options[2] = run->option2;
                    p->options[3] = run->channels;
                }
                task = p;
            } else if (run->kind == FormatOwnNode) {
                task = new NativeConversionTask(path.c_str(), run->target.c_str(), run->encoding);
            }
            if (task) list.tasks.push_back(task);
        }
        result = runConversionBatch(list, window, progress, true);
        if (!list.tasks.empty() && list.tasks[0]->selected && pathIsFile(list.tasks[0]->targetName.c_str()))
            stringCopy(run->firstOutput, list.tasks[0]->targetName);
    } catch (const GException&) {
        // Its message was shown.
        result = false;
    }
    for (ConversionTask* t : list.tasks) delete t;
    return result && !(progress && progress->stopRequested());
}

void GAudioConverterPlacer::afterJob(PlacerJob* placerJob) {
    auto* run = static_cast<ConversionJob*>(placerJob);
    if (!run->firstOutput.empty()) rememberDialogPath(folderKind, run->firstOutput.c_str());
}

void GAudioConverterPlacer::jobSucceeded(PlacerJob*) {
    enableControls(true);
    showMessageBox(&mbInformation, window, mmText(MmText::ConverterDone));
}

void GAudioConverterPlacer::jobFailed(PlacerJob*) { enableControls(true); }
