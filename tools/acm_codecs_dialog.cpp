#include "tools/acm_codecs_dialog.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "core/block_data_source.h"
#include "core/error.h"
#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/multi_label.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/splitter.h"
#include "gui/paint/saved_dc.h"
#include "gui/views/report_row.h"
#include "gui/views/struct_view.h"
#include "gui/views/table.h"
#include "gui/views/tree_table.h"
#include "mm/acm_drivers.h"
#include "mm/mm_error.h"
#include "mm/mm_texts.h"
#include "mm/sound_format.h"
#include "tools/codec_install.h"

#ifndef _WIN64
static_assert(sizeof(ACMDRIVERDETAILSA) == 920, "the stored driver record");
#endif

namespace {
intptr_t systemDriverMessage(HACMDRIVER driver, u32 message, intptr_t p1, intptr_t p2) {
    return (intptr_t)acmDriverMessage(driver, message, (LPARAM)p1, (LPARAM)p2);
}

GFileDialog* codecDialog() {
    static GFileDialog dialog(const_cast<char**>(&kxmmTexts[(u32)MmText::AcmInstallFilter]), "dll", "$e\\Data\\codecs");
    return &dialog;
}

bool systemChooseCodecFile(GWindow* owner, GString& path) {
    GFileDialog* dialog = codecDialog();
    dialog->ofn.lpstrTitle = mmText(MmText::AcmInstallTitle);
    if (!runFileDialog(dialog, 0, owner, FileOpenOne)) return false;
    stringAssign(path, dialog->nameBuffer, (u32)strlen(dialog->nameBuffer));
    return true;
}

const FieldDescriptor tagFields[] = {
    {"cbStruct", offsetof(ACMFORMATTAGDETAILSA, cbStruct), 4, FieldType::DWord, nullptr},
    {"dwFormatTagIndex", offsetof(ACMFORMATTAGDETAILSA, dwFormatTagIndex), 4, FieldType::DWord, nullptr},
    {"dwFormatTag", offsetof(ACMFORMATTAGDETAILSA, dwFormatTag), 4, FieldType::DWord, nullptr},
    {"cbFormatSize", offsetof(ACMFORMATTAGDETAILSA, cbFormatSize), 4, FieldType::DWord, nullptr},
    {"fdwSupport", offsetof(ACMFORMATTAGDETAILSA, fdwSupport), 4, FieldType::DWord, nullptr},
    {"cStandardFormats", offsetof(ACMFORMATTAGDETAILSA, cStandardFormats), 4, FieldType::DWord, nullptr},
    {"szFormatTag", offsetof(ACMFORMATTAGDETAILSA, szFormatTag), ACMFORMATTAGDETAILS_FORMATTAG_CHARS,
     FieldType::Asciiz, nullptr},
    {nullptr, 0, 0, FieldType::None, nullptr},
};

const FieldDescriptor formatFields[] = {
    {"cbStruct", offsetof(ACMFORMATDETAILSA, cbStruct), 4, FieldType::DWord, nullptr},
    {"dwFormatIndex", offsetof(ACMFORMATDETAILSA, dwFormatIndex), 4, FieldType::DWord, nullptr},
    {"dwFormatTag", offsetof(ACMFORMATDETAILSA, dwFormatTag), 4, FieldType::DWord, nullptr},
    {"fdwSupport", offsetof(ACMFORMATDETAILSA, fdwSupport), 4, FieldType::DWord, nullptr},
    {"pwfx", offsetof(ACMFORMATDETAILSA, pwfx), sizeof(void*), sizeof(void*) == 8 ? FieldType::QWord : FieldType::DWord,
     nullptr},
    {"cbwfx", offsetof(ACMFORMATDETAILSA, cbwfx), 4, FieldType::DWord, nullptr},
    {"szFormat", offsetof(ACMFORMATDETAILSA, szFormat), ACMFORMATDETAILS_FORMAT_CHARS, FieldType::Asciiz, nullptr},
    {nullptr, 0, 0, FieldType::None, nullptr},
};

// A copy of the bytes for a view that owns its source.
MemoryDataSource* ownedCopy(const void* bytes, u32 size) {
    u8* copy = (u8*)malloc(size ? size : 1);
    memcpy(copy, bytes, size);
    return new MemoryDataSource(copy, size, true);
}

// Default images: a filled square, green for an enabled driver, grey for a disabled one.
const COLORREF enabledImage = RGB(0, 128, 0);
const COLORREF disabledImage = RGB(128, 128, 128);
const i32 iconSize = 16;

// The driver list: names with the icon in the first column.
class DriverTableModel : public GTableModel {
public:
    explicit DriverTableModel(std::vector<AcmDriverEntry>& rows) : rows(rows) {}
    u64 rowCount() override { return rows.size(); }
    i32 columnCount() override { return 2; }
    const char* cellText(GString&, u64 index, i32 column) override {
        if (index >= rows.size()) return nullptr;
        return column == 0 ? rows[index].details.szShortName : rows[index].details.szLongName;
    }
    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    std::vector<AcmDriverEntry>& rows;
};

class DriverTable : public GTable {
public:
    DriverTable(GWindow* owner, AcmCodecsDialog* page) : GTable(owner), page(page) {}

    i32 handleKey(GInputEvent* event) override {
        const bool up = event->isKeyDown(VK_UP, ModCtrl), down = event->isKeyDown(VK_DOWN, ModCtrl);
        if (up || down) {
            GButton* button = up ? page->upButton : page->downButton;
            if (button && IsWindowEnabled(button->hwnd)) page->onCommand(up ? page->MoveUp : page->MoveDown, nullptr);
            return 1;
        }
        return GTable::handleKey(event);
    }

protected:
    void paintCell(GSavedDC& dc, const RECT& cell, u64 row, i32 column, bool selected) override {
        if (column != 0 || row >= page->drivers.size()) return GTable::paintCell(dc, cell, row, column, selected);
        const AcmDriverEntry& d = page->drivers[row];
        const i32 y = cell.top + (cell.bottom - cell.top - iconSize) / 2;
        if (d.enabled() && d.details.hicon) {
            DrawIconEx(dc.dc(), cell.left + 2, y, d.details.hicon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
        } else {
            HBRUSH brush = CreateSolidBrush(d.enabled() ? enabledImage : disabledImage);
            RECT square{cell.left + 2, y, cell.left + 2 + iconSize, y + iconSize};
            FillRect(dc.dc(), &square, brush);
            DeleteObject(brush);
        }
        RECT text = cell;
        text.left += iconSize + 4;
        GTable::paintCell(dc, text, row, column, selected);
    }

private:
    AcmCodecsDialog* page;
};

// A tree item: a format tag (format -1) or one of its formats.
class AcmTreeRow : public ReportRow {
public:
    AcmTreeRow(BlockBase* parent, const char* text, u32 tag, i64 format)
        : ReportRow(parent, text, ""), tagIndex(tag), formatIndex(format) {
        columnCount = 1;
    }
    u32 tagIndex;
    i64 formatIndex;
};

// The selected driver opened for the length of a scope; a failure is reported.
struct OpenedCodec {
    OpenedCodec(GWindow* window, HACMDRIVERID id) : handler(window) {
        if (!openAcmDriver((void**)&driver, id, &handler)) driver = nullptr;
    }
    ~OpenedCodec() {
        if (driver) closeAcmDriver(driver, nullptr);
    }
    WindowErrorHandler handler;
    HACMDRIVER driver = nullptr;
};
}  // namespace

AcmPageCalls acmPageCalls = {systemDriverMessage, systemChooseCodecFile};

std::vector<AcmCodecsDialog*>& AcmCodecsDialog::openPages() {
    static std::vector<AcmCodecsDialog*> pages;
    return pages;
}

AcmCodecsDialog::AcmCodecsDialog(GWindow* window) : GPlacer(window) {
    helpPage = "acm.htm";
    openPages().push_back(this);
    splitter = new GSplitterItem(window, true, 1, 1);
    addChild(splitter);
    GLayoutBuilder b(window);
    b.current = splitter;

    GColumnsItem::create(b, "88800", "UC");
    GTableDesc table;
    table.columnCount = 2;
    table.columnSpec = mmText(MmText::AcmDriverColumns);
    table.model = new DriverTableModel(drivers);
    table.rowHeight = iconSize + 4;
    DriverTable* list = new DriverTable(window, this);
    if (list->create(table)) {
        b.current->addChild(list);
        setAlignmentCode(list, "UC");
        driverTable = list;
    } else {
        delete list;
    }
    GRowItem::create(b, "00000");
    upButton = GButton::create(b, mmText(MmText::AcmMoveUp), 0, MoveUp, "<C");
    downButton = GButton::create(b, mmText(MmText::AcmMoveDown), 0, MoveDown, "<C");
    enabledBox = GCheckBoxItem::create(b, mmText(MmText::AcmEnabled), 0, "<C");
    installButton = GButton::create(b, mmText(MmText::AcmInstall), 0, Install, "<C");
    aboutButton = GButton::create(b, mmText(MmText::AcmAbout), 0, About, "<C");
    configureButton = GButton::create(b, mmText(MmText::AcmConfigure), 0, Configure, "<C");
    b.endContainer();
    details = GMultiLabel::create(b, "", 60, 6, MultiWidthChars | MultiHeightChars | MultiBorder | MultiCopy, "UC");
    b.endContainer();

    GRowItem::create(b, "88800");
    GTableDesc tree;
    tree.columnCount = 1;
    tree.columnSpec = mmText(MmText::AcmFormatTags);
    tagTree = createTreeTable(b.current, window, tree);
    for (u32 i = 0; i < 3; ++i) {
        GColumnsItem::create(b, "08000", "UC");
        titles[i] = GLabel::create(b, i == 0 ? "ACMFORMATTAGDETAILS" : "WAVEFORMATEX", 0, "<^");
        views[i] = createStructView(b.current, window, "UC");
        b.endContainer();
    }
    b.endContainer();
    refreshDrivers(-1);
}

AcmCodecsDialog::~AcmCodecsDialog() {
    std::vector<AcmCodecsDialog*>& pages = openPages();
    pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
}

const char* AcmCodecsDialog::firstCaption() { return mmText(MmText::AcmCaption); }

void AcmCodecsDialog::refreshDrivers(i64 row) {
    std::vector<AcmDriverInfo> found;
    WindowErrorHandler handler(window);
    drivers.clear();
    if (enumAcmDrivers(found, true, nullptr)) {
        for (const AcmDriverInfo& info : found) {
            AcmDriverEntry e;
            e.id = (HACMDRIVERID)info.id;
            if (!getAcmDriverDetails(info.id, &e.details, &handler)) continue;
            // The enumeration knows the disabled state; the driver's own details may not.
            e.details.fdwSupport |= info.support & ACMDRIVERDETAILS_SUPPORTF_DISABLED;
            drivers.push_back(e);
        }
    }
    if (row >= (i64)drivers.size()) row = -1;
    filling = true;
    if (driverTable) {
        driverTable->reload(row < 0 ? 0 : (u64)row);
        if (row < 0) driverTable->clearSelection();
        if (driverTable->hwnd) InvalidateRect(driverTable->hwnd, nullptr, FALSE);
    }
    filling = false;
    selectDriver(row);
}

void AcmCodecsDialog::setButtonEnabled(GButton* button, bool enabled) {
    if (button && button->hwnd) EnableWindow(button->hwnd, enabled);
}

void AcmCodecsDialog::clearSelectionViews() {
    aboutSupported = configureSupported = 0;
    if (details) details->setText("");
    if (tagTree) tagTree->clearTree();
    for (GStructView* v : views)
        if (v) v->clearBlock();
}

void AcmCodecsDialog::selectDriver(i64 row) {
    selected = row >= 0 && row < (i64)drivers.size() ? row : -1;
    clearSelectionViews();
    const bool any = selected >= 0;
    setButtonEnabled(upButton, any && selected > 0);
    setButtonEnabled(downButton, any && selected + 1 < (i64)drivers.size());
    if (enabledBox) {
        filling = true;
        enabledBox->setChecked(any && drivers[(size_t)selected].enabled());
        filling = false;
        if (enabledBox->hwnd) EnableWindow(enabledBox->hwnd, any);
    }
    setButtonEnabled(aboutButton, false);
    setButtonEnabled(configureButton, false);
    if (!any) return;
    const AcmDriverEntry& d = drivers[(size_t)selected];
    OpenedCodec open(window, d.id);
    if (!open.driver) return;
    aboutSupported = acmPageCalls.driverMessage(open.driver, ACMDM_DRIVER_ABOUT, -1, 0) == 0 ||
                     !strcmp(d.details.szShortName, "LAME MP3");
    configureSupported = acmPageCalls.driverMessage(open.driver, DRV_QUERYCONFIGURE, 0, 0) != 0;
    setButtonEnabled(aboutButton, aboutSupported);
    setButtonEnabled(configureButton, configureSupported);

    GString text;
    const ACMDRIVERDETAILSA& r = d.details;
    stringFormat(text, "%s: %s\r\n%s: %s\r\n%s: %s\r\n%s: %s\r\n%s: %s\r\n%s: %u.%02u.%u\r\n%s: 0x%08lX",
                 mmText(MmText::AcmShortName), r.szShortName, mmText(MmText::AcmLongName), r.szLongName,
                 mmText(MmText::AcmCopyright), r.szCopyright, mmText(MmText::AcmLicensing), r.szLicensing,
                 mmText(MmText::AcmFeatures), r.szFeatures, mmText(MmText::AcmVersion),
                 (unsigned)(r.vdwDriver >> 24), (unsigned)((r.vdwDriver >> 16) & 0xFF),
                 (unsigned)(r.vdwDriver & 0xFFFF), mmText(MmText::AcmSupport), (unsigned long)r.fdwSupport);
    if (details) details->setText(text.c_str());

    if (!tagTree) return;
    for (u32 t = 0; t < r.cFormatTags; ++t) {
        ACMFORMATTAGDETAILSA tag;
        const bool tagRead = getDriverFormatTagDetails(open.driver, t, &tag, nullptr);
        GTreeRoot root;
        AcmTreeRow* item = new AcmTreeRow(nullptr, tagRead ? tag.szFormatTag : mmText(MmText::AcmTagUnreadable), t, -1);
        root.node = item;
        root.owned = true;
        if (tagRead) {
            for (u32 f = 0; f < tag.cStandardFormats; ++f) {
                ACMFORMATDETAILSA format;
                AcmFormatBytes bytes;
                const bool read = getAcmFormatDetails(open.driver, tag.dwFormatTag, f, &format, &bytes, nullptr);
                new AcmTreeRow(item, read ? format.szFormat : mmText(MmText::AcmFormatUnreadable), t, f);
            }
        }
        tagTree->addRoot(root);
    }
    tagTree->rebuildRows(0);
    tagTree->reload(0);
    tagTree->clearSelection();
}

void AcmCodecsDialog::fitViews() {
    for (GStructView* v : views)
        if (v)
            for (i32 c = 0; c < 3; ++c) v->fitColumnWidths(c, true);
}

void AcmCodecsDialog::showTreeItem() {
    AcmTreeRow* item = tagTree ? dynamic_cast<AcmTreeRow*>(tagTree->caretNode()) : nullptr;
    if (!item || selected < 0) return;
    for (GStructView* v : views) v->clearBlock();
    OpenedCodec open(window, drivers[(size_t)selected].id);
    if (!open.driver) return;
    ACMFORMATTAGDETAILSA tag;
    if (!getDriverFormatTagDetails(open.driver, item->tagIndex, &tag, nullptr)) return;
    if (item->formatIndex < 0) {
        titles[0]->setText("ACMFORMATTAGDETAILS");
        views[0]->setBlockAndReload(tagFields, ownedCopy(&tag, sizeof tag), true, 0);
    } else {
        ACMFORMATDETAILSA format;
        AcmFormatBytes bytes;
        if (!getAcmFormatDetails(open.driver, tag.dwFormatTag, (u32)item->formatIndex, &format, &bytes, nullptr))
            return;
        titles[0]->setText("ACMFORMATDETAILS");
        views[0]->setBlockAndReload(formatFields, ownedCopy(&format, sizeof format), true, 0);
        const WAVEFORMATEX* wave = asFormat(bytes);
        waveFields = formatBlockFields(wave);
        const u32 size = (u32)bytes.size();
        blockFields[0] = {"WAVEFORMATEX", 0, size, FieldType::Binary, nullptr};
        blockFields[1] = {nullptr, 0, 0, FieldType::None, nullptr};
        views[1]->setBlockAndReload(waveFields.fields, ownedCopy(wave, size), true, 0);
        views[2]->setBlockAndReload(blockFields, ownedCopy(wave, size), true, 0);
    }
    fitViews();
}

void AcmCodecsDialog::move(bool up) {
    if (selected < 0 || (up && selected == 0) || (!up && selected + 1 >= (i64)drivers.size())) return;
    const HACMDRIVERID id = drivers[(size_t)selected].id;
    // Priorities count from 1: the row above is the row index, the row below the index + 2.
    const u32 priority = (u32)(up ? selected : selected + 2);
    WindowErrorHandler handler(window);
    // The begin and end of a change take no driver: the change itself goes between them.
    if (!setAcmDriverPriority(nullptr, 0, ACM_DRIVERPRIORITYF_BEGIN, &handler)) return;
    const bool moved = setAcmDriverPriority(id, priority, 0, &handler);
    setAcmDriverPriority(nullptr, 0, ACM_DRIVERPRIORITYF_END, &handler);
    if (!moved) return;
    for (AcmCodecsDialog* page : openPages()) {
        if (page == this) continue;
        page->refreshDrivers(-1);
    }
    refreshDrivers(-1);
    for (size_t i = 0; i < drivers.size(); ++i)
        if (drivers[i].id == id) {
            filling = true;
            if (driverTable) driverTable->setCaretRow(i);
            filling = false;
            selectDriver((i64)i);
        }
}

void AcmCodecsDialog::enableChanged() {
    if (!enabledBox || selected < 0) return;
    const bool enable = enabledBox->isChecked();
    if (!enable && showMessageBox(&mbQuestion, window, mmText(MmText::AcmDisableQuestion)) != IDYES) {
        enabledBox->setChecked(1);
        return;
    }
    WindowErrorHandler handler(window);
    const i64 row = selected;
    if (!setAcmDriverPriority(drivers[(size_t)row].id, 0,
                              enable ? ACM_DRIVERPRIORITYF_ENABLE : ACM_DRIVERPRIORITYF_DISABLE, &handler))
        return;
    for (AcmCodecsDialog* page : openPages()) page->refreshDrivers(page == this ? row : page->selected);
}

void AcmCodecsDialog::install() {
    GString path;
    if (!acmPageCalls.chooseCodecFile(window, path)) return;
    if (!installCodecFile(window ? window->hwnd : nullptr, path.c_str()))
        showMessageBox(&mbError, window, mmText(MmText::AcmInstallFailed));
    showMessageBox(&mbInformation, window, mmText(MmText::AcmInstallDone));
    refreshDrivers(-1);
}

void AcmCodecsDialog::about() {
    if (selected < 0 || !aboutSupported) return;
    OpenedCodec open(window, drivers[(size_t)selected].id);
    if (open.driver)
        acmPageCalls.driverMessage(open.driver, ACMDM_DRIVER_ABOUT, (intptr_t)(window ? window->hwnd : nullptr), 0);
}

void AcmCodecsDialog::configure() {
    if (selected < 0 || !configureSupported) return;
    OpenedCodec open(window, drivers[(size_t)selected].id);
    if (!open.driver) return;
    if (acmPageCalls.driverMessage(open.driver, DRV_CONFIGURE, (intptr_t)(window ? window->hwnd : nullptr), 0) ==
        DRVCNF_RESTART)
        showMessageBox(&mbInformation, window, mmText(MmText::AcmRestartNeeded));
}

bool AcmCodecsDialog::onCommand(u32 command, GStateQuery* query) {
    if (command < MoveUp || command > Configure) return GPlacer::onCommand(command, query);
    if (busy) return true;
    ++busy;
    try {
        switch (command) {
        case MoveUp:
        case MoveDown:
            move(command == MoveUp);
            break;
        case Install:
            install();
            break;
        case About:
            about();
            break;
        case Configure:
            configure();
            break;
        }
    } catch (...) {
    }
    --busy;
    return true;
}

i32 AcmCodecsDialog::commandState(u32 command) {
    if (command >= MoveUp && command <= Configure) return CommandEnabled;
    return GPlacer::commandState(command);
}

bool AcmCodecsDialog::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    if (note->source == driverTable && note->code == TableCaretMoved) {
        if (!filling) {
            i64 caret = driverTable->selection() ? driverTable->selection()->caret() : -1;
            if (caret != selected) selectDriver(caret);
        }
        return true;
    }
    if (note->source == tagTree && note->code == TableCaretMoved) {
        showTreeItem();
        return true;
    }
    if (note->source == enabledBox) {
        if (!filling && !busy) {
            ++busy;
            enableChanged();
            --busy;
        }
        return true;
    }
    return GPlacer::onControlNotify(n);
}

void AcmCodecsDialog::saveViewState(GBag& bag) {
    for (GStructView* v : views) v->saveColumns(bag);
    splitter->writeState(bag);
}

void AcmCodecsDialog::restoreViewState(GBag& bag) {
    for (GStructView* v : views) v->loadColumns(bag);
    splitter->readState(bag);
}
