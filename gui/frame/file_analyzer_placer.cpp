#include "gui/frame/file_analyzer_placer.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "core/exceptions.h"
#include "core/paths.h"
#include "gui/frame/open_file_registry.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/input/busy_cursor.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window.h"
#include "gui/layout/splitter.h"
#include "gui/views/bin_view.h"
#include "gui/views/file_block_tree.h"
#include "gui/views/struct_view.h"
#include "gui/views/tab.h"
#include "gui/views/tab_window.h"

namespace {
void shellOpenDefault(GWindow* owner, const char* path) {
    ShellExecuteA(owner ? owner->hwnd : nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

// Holds the synchronisation guard for a scope, on every path.
struct GuardScope {
    i32& guard;
    explicit GuardScope(i32& guard) : guard(guard) { ++guard; }
    ~GuardScope() { --guard; }
};

// The report kind of a path's extension, 0 for none of them.
u32 reportKindOf(const char* path) {
    const char* dot = strrchr(path, '.');
    const char* slash = strrchr(path, '\\');
    if (!dot || (slash && slash > dot)) return 0;
    ++dot;
    if (!strcasecmp(dot, "txt")) return ReportKind::Text;
    if (!strcasecmp(dot, "htm") || !strcasecmp(dot, "html")) return ReportKind::Html;
    if (!strcasecmp(dot, "xml")) return ReportKind::Xml;
    return 0;
}
}  // namespace

namespace AnalyzerCalls {
ShellOpen shellOpen = shellOpenDefault;
}  // namespace AnalyzerCalls

GFileAnalyzerPlacer::GFileAnalyzerPlacer(GWindow* window, AnalyzerDocument* document, GFileDialog* openDialog,
                                         GFileDialog* reportDialog, GFolderList* pickList, WindowKind* kind)
    : GFilePlacer(kind, window, openDialog, reportDialog, pickList), document(document) {
    helpPage = "analyzer.htm";
    splitter = new GSplitterItem(window, false, 1, 2);
    addChild(splitter);
    tree = createFileBlockTree(splitter, window);
    tabs = new GTabWindow(window, guiText(GuiText::AnalyzerTabTitles));
    splitter->addChild(tabs);
    binView = createBinView(tabs, window);
    structView = createStructView(tabs, window);
    secondView = createStructView(tabs, window);
    for (i32 i = 0; i < 3; ++i) setTabShown(i, false);
}

// The views' windows are gone by now (they end with the window before its layout).
GFileAnalyzerPlacer::~GFileAnalyzerPlacer() { delete document; }

void GFileAnalyzerPlacer::setTabShown(i32 index, bool shown) {
    if (!tabs || !tabs->strip) return;
    if (shown)
        tabs->strip->showTab(index);
    else
        tabs->strip->hideTab(index);
}

void GFileAnalyzerPlacer::notify(u32 code) {
    GControlNotification n;
    n.source = this;
    n.code = code;
    notifyUp(this, &n);
}

void GFileAnalyzerPlacer::clearViews() {
    binView->clearSource();
    structView->clearBlock();
    secondView->clearBlock();
    for (i32 i = 0; i < 3; ++i) setTabShown(i, false);
}

const char* GFileAnalyzerPlacer::documentKindText() { return guiText(GuiText::AnalyzerKindName); }

void GFileAnalyzerPlacer::detach() {
    try {
        GFilePlacer::newDocument();
    } catch (...) {
    }
}

void GFileAnalyzerPlacer::newDocument() {
    GFilePlacer::newDocument();
    GuardScope scope(guard);
    tree->clearTree();
    clearViews();
    document->close();
    spreadBaseOffset(0);
    notify(AnalyzerDocumentChanged);
}

void GFileAnalyzerPlacer::openFile(const char* path, GBag& state) {
    GFilePlacer::openFile(path, state);
    if (!hasDocument) return;
    {
        GuardScope scope(guard);
        if (!document->open(path) || !document->root()) {
            GFilePlacer::newDocument();
            return;
        }
        GTreeRoot holder{document->root(), false};
        tree->addRoot(holder);
        tree->setCaretRow(0);
    }
    if (!guard) synchronise();
    if (state.pos < state.size) restoreViewState(state);
    notify(AnalyzerDocumentChanged);
    notify(AnalyzerFileOpened);
}

void GFileAnalyzerPlacer::synchronise() {
    GuardScope scope(guard);
    BlockBase* block = tree->caretNode();
    if (!block) {
        clearViews();
        return;
    }
    BlockBase* root = document->root();
    binView->setSource(root, document->newDataSource(), true, -1);
    if (binView->rowCount()) {
        u64 first = block->start - (root ? root->start : 0);
        binView->clickRow(first, block->size ? first + block->size - 1 : first);
        binView->setCaretRow(first);
        binView->scrollRowIntoView(first);
    }
    setTabShown(0, binView->rowCount() != 0);
    u64 header = block->headerLength() < block->size ? block->headerLength() : block->size;
    structView->setBlockAndReload(block->fields(), document->newDataSource(), true, (i64)(block->start + header),
                                  (i64)(block->size - header));
    setTabShown(1, structView->rowCount() != 0);
    u64 offset = 0, size = 0;
    const FieldDescriptor* second = block->secondRecord(&offset, &size);
    if (second) {
        secondView->setBlockAndReload(second, document->newDataSource(), true, (i64)offset, (i64)size);
        setTabShown(2, true);
    } else {
        secondView->clearBlock();
        setTabShown(2, false);
    }
}

void GFileAnalyzerPlacer::spreadBaseOffset(i64 offset) {
    GuardScope scope(guard);
    GTable* views[] = {binView, structView, tree};
    for (GTable* view : views)
        if (view->baseOffset() != offset) view->setBaseOffset(offset);
}

bool GFileAnalyzerPlacer::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (guard || !n->source) return false;
    GTable* views[] = {binView, structView, secondView, tree};
    GTable* sender = nullptr;
    for (GTable* view : views)
        if (n->source == view) sender = view;
    if (!sender) return false;
    if (n->code == ViewBaseOffsetChanged) {
        spreadBaseOffset(sender->baseOffset());
        return true;
    }
    if (n->code != TableCaretMoved) return false;
    if (sender == tree) {
        synchronise();
        return true;
    }
    if (sender != binView) return false;
    BlockBase* root = document->root();
    i64 caret = binView->caretPosition();
    BlockBase* block = root && caret >= 0 ? findBlockAt(root, root->start + (u64)caret) : nullptr;
    if (!block || block == tree->caretNode()) return true;
    {
        // The tree's own notification is the echo: the views follow once, below.
        GuardScope scope(guard);
        tree->revealNode(block);
    }
    synchronise();
    return true;
}

GTable* GFileAnalyzerPlacer::commandTarget() {
    HWND focus = GetFocus();
    GTable* views[] = {binView, structView, secondView, tree};
    for (GTable* view : views)
        if (view && view->hwnd && view->hwnd == focus) return view;
    return tree;
}

i32 GFileAnalyzerPlacer::commandState(u32 command) {
    if (command == AnalyzerExport) return hasDocument ? CommandEnabled : CommandDisabled;
    if (command >= TableCopy && command <= TableLastCommand) return commandTarget()->commandState(command);
    return GFilePlacer::commandState(command);
}

i32 GFileAnalyzerPlacer::commandChecked(u32 command) {
    if (command >= TableCopy && command <= TableLastCommand) return commandTarget()->commandChecked(command);
    return GFilePlacer::commandChecked(command);
}

bool GFileAnalyzerPlacer::onCommand(u32 command, GStateQuery* query) {
    if (command == AnalyzerExport) {
        writeReport();
        return true;
    }
    if (command < TableCopy || command > TableLastCommand) return GFilePlacer::onCommand(command, query);
    GTable* target = commandTarget();
    i64 position = target->baseOffsetValue();
    bool done;
    {
        GuardScope scope(guard);
        done = target->onCommand(command, query);
    }
    if (command == TableSetBaseOffset) spreadBaseOffset(position);
    if (command == TableZeroBaseOffset) spreadBaseOffset(0);
    return done;
}

void GFileAnalyzerPlacer::saveFile(GFile& file, u32 flags) {
    if (flags & SaveCreate) return;
    if (!hasDocument || !fileHolder.record) throw GException();
    GFile source;
    if (!OpenFileRegistry::reopen(source, &fileHolder, FileFlag::Read | RegistryMode::OthersWait)) throw GException();
    i64 size = fileSize(source);
    bool ok = size >= 0 && fileCopyRange(source, 0, file, 0, size, nullptr);
    ok = OpenFileRegistry::endReopen(source) && ok;
    if (!ok) throw GException();
}

void GFileAnalyzerPlacer::createFile(const char* path) {
    if (!pathExists(path)) GFilePlacer::createFile(path);
}

void GFileAnalyzerPlacer::writeReport() {
    if (!hasDocument || !saveDialog) return;
    if (!runFileDialog(saveDialog, 0, window, FileSave)) return;
    GString path(saveDialog->nameBuffer);
    u32 kind = reportKindOf(path.c_str());
    if (!kind) {
        showMessageBox(&mbError, window, guiText(GuiText::AnalyzerBadReportType));
        return;
    }
    bool written = false;
    {
        // The file closes and the arrow returns on every path.
        BusyCursor busy;
        GFile out;
        if (::fileOpen(out, path.c_str(), FileMode::Write | FileFlag::Quiet)) {
            try {
                written = document->writeReport(out, kind);
            } catch (...) {
                written = false;
            }
            written = fileCloseQuietly(out) && written;
        }
    }
    if (!written) {
        showMessageBox(&mbError, window, guiText(GuiText::AnalyzerReportFailed));
        return;
    }
    if (showMessageBox(&mbQuestion, window, guiText(GuiText::AnalyzerOpenReport)) == IDYES)
        AnalyzerCalls::shellOpen(window, path.c_str());
}

void GFileAnalyzerPlacer::saveViewState(GBag& bag) {
    tree->saveColumns(bag);
    tree->saveCaretPath(bag);
    binView->saveColumns(bag);
    structView->saveColumns(bag);
    secondView->saveColumns(bag);
    splitter->writeState(bag);
    bagWriteU32(bag, (u32)(tabs->strip ? tabs->strip->current : 0));
}

void GFileAnalyzerPlacer::restoreViewState(GBag& bag) {
    tree->loadColumns(bag);
    tree->restoreCaretPath(bag);
    binView->loadColumns(bag);
    structView->loadColumns(bag);
    secondView->loadColumns(bag);
    splitter->readState(bag);
    u32 tab;
    bagReadU32(bag, &tab);
    if (tabs->strip && tabs->strip->tabVisible((i32)tab)) tabs->strip->select((i32)tab);
}
