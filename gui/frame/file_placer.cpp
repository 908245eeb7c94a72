#include "gui/frame/file_placer.h"

#include <cstring>

#include "core/exceptions.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/path_notice.h"
#include "gui/dialogs/quick_pick_dialog.h"
#include "gui/frame/object_window.h"
#include "gui/frame/tab_placer.h"
#include "gui/input/busy_cursor.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/posting.h"
#include "gui/kernel/window.h"
#include "gui/kernel/window_placement.h"
#include "gui/menus/action_table.h"
#include "gui/views/tab.h"

namespace {
const MessageBoxButton yesNoCancel[] = {{"Yes", 6, &kxguiTexts[(u32)GuiText::ButtonYes]},
                                        {"No", 7, &kxguiTexts[(u32)GuiText::ButtonNo]},
                                        {"Cancel", 2, &kxguiTexts[(u32)GuiText::ButtonCancel]}};
const MessageBoxDescription mbSaveQuestion = {32514, "Question", yesNoCancel, 3, 6,
                                              &kxguiTexts[(u32)GuiText::BoxQuestionTitle]};

GString formatted(GuiText slot, const char* argument) {
    GString text;
    stringFormat(text, guiText(slot), argument ? argument : "");
    return text;
}

GParentWindow* topWindowOf(GWindow* window) {
    while (window && !window->item()->asParentWindow()) window = window->ownerWindow();
    return window ? static_cast<GParentWindow*>(window->item()->asParentWindow()) : nullptr;
}

GFilePlacer* documentOf(GPlacer* placer) {
    return placer ? static_cast<GFilePlacer*>(placer->asDocumentPlacer()) : nullptr;
}

// Ends a registry borrow on every path.
struct Borrow {
    GFile file;
    bool lent = false;
    bool end() {
        if (!lent) return true;
        lent = false;
        return OpenFileRegistry::endReopen(file);
    }
    ~Borrow() {
        try {
            end();
        } catch (...) {
        }
    }
};
}  // namespace

GAppWindow* (*documentWindowFactory)(i32 typeId) = nullptr;

void FilePlacerHolder::onFileEvent(i32 code, GFile*) {
    postNotification(page, code == 0 ? FileCommandGone : FileCommandChanged);
}

GFilePlacer::GFilePlacer(WindowKind* kind, GWindow* owner, GFileDialog* openDialog, GFileDialog* saveDialog,
                         GFolderList* pickList)
    : GPlacer(owner),
      openDialog(openDialog),
      saveDialog(saveDialog),
      pickList(pickList),
      errorHandler(owner, 3),
      fileHolder(&errorHandler, this) {
    kindRecord = kind;
}

GFilePlacer::~GFilePlacer() { OpenFileRegistry::detach(&fileHolder); }

bool GFilePlacer::isAttachedFile(const char* path) const {
    return fileHolder.record && path && *path && OpenFileRegistry::recordOf(path) == fileHolder.record;
}

void GFilePlacer::notifyPage(u32 code) {
    GControlNotification n;
    n.source = this;
    n.code = code;
    notifyUp(this, &n);
}

const char* GFilePlacer::firstCaption() {
    if (const char* path = documentPath()) {
        const char* name = path;
        for (const char* p = path; *p; ++p)
            if (*p == '\\' || *p == '/') name = p + 1;
        stringAssignText(title, name);
        return title.c_str();
    }
    return documentKindText();
}

void GFilePlacer::setModified(bool flag) {
    if (modified != (u8)flag) {
        modified = flag ? 1 : 0;
        notifyPage(PageTitleChanged);
    }
    notifyPage(PageStateChanged);
}

i32 GFilePlacer::commandState(u32 command) {
    if (command >= FileCommandOpen && command <= FileCommandGone) {
        if (job) return CommandDisabled;
        switch (command) {
        case FileCommandReload:
            return fileHolder.record ? CommandEnabled : CommandDisabled;
        case FileCommandRefresh:
            return CommandUnknown;
        case FileCommandClose:
        case FileCommandSave:
        case FileCommandSaveAs:
            return hasDocument ? CommandEnabled : CommandDisabled;
        case FileCommandPick:
            return pickList ? CommandEnabled : CommandDisabled;
        default:
            return CommandEnabled;
        }
    }
    if (command >= 1000 && command <= 9999) return CommandEnabled;
    return GPlacer::commandState(command);
}

bool GFilePlacer::onCommand(u32 command, GStateQuery* query) {
    if (command < FileCommandOpen || command > FileCommandGone) return GPlacer::onCommand(command, query);
    if (job) return false;
    switch (command) {
    case FileCommandOpen:
        onOpenCommand();
        return true;
    case FileCommandReload:
        onReloadCommand();
        return true;
    case FileCommandRefresh:
        return false;
    case FileCommandClose:
        onCloseCommand();
        return true;
    case FileCommandSave: {
        GString path(documentPath() ? documentPath() : "");
        saveDocument(path.c_str(), 0);
        return true;
    }
    case FileCommandSaveAs:
        saveDocument(nullptr, SaveAs);
        return true;
    case FileCommandSaveAll:
        onSaveAllCommand();
        return true;
    case FileCommandPick:
        onPickCommand();
        return true;
    case FileCommandNew:
        onNewCommand();
        return true;
    case FileCommandChanged:
        onFileChanged();
        return true;
    default:
        onFileGone();
        return true;
    }
}

void GFilePlacer::onFileChanged() {
    if (!modified) return onReloadCommand();
    GString path(documentPath() ? documentPath() : "");
    GString text = formatted(GuiText::FileChangedQuestion, path.c_str());
    if (showMessageBox(&mbQuestion, window, text.c_str()) == 6) {
        saveDocument(path.c_str(), SaveAsked);
        return;
    }
    modified = 0;
    onReloadCommand();
}

// The file went away: a modified document is not dropped without a word.
void GFilePlacer::onFileGone() {
    if (modified) {
        GString path(fileHolder.path.c_str());
        GString text = formatted(GuiText::FileGoneQuestion, path.c_str());
        i32 answer = showMessageBox(&mbSaveQuestion, window, text.c_str());
        if (answer == 6) {
            try {
                saveDocument("", SaveAsked);
            } catch (GException&) {
            }
            return;
        }
        if (answer != 7) return;
    }
    modified = 0;
    onCloseCommand();
}

void GFilePlacer::saveDocument(const char* path, u32 flags) {
    GString chosen;
    if (needsFileName(path)) {
        if (!saveDialog || !runFileDialog(saveDialog, 0, window, FileSave)) return;
        stringAssignText(chosen, saveDialog->nameBuffer);
        path = chosen.c_str();
    }
    GString target(path);
    if (isAttachedFile(target.c_str())) {
        flags |= SaveOwnFile;
        if (!modified) return;
    }
    {
        BusyCursor busy;
        writeFile(target.c_str(), flags);
    }
    if (job) return;
    finishSave(target.c_str(), flags);
}

void GFilePlacer::finishSave(const char* path, u32 flags) {
    modified = 0;
    if (!(flags & SaveOwnFile)) {
        errorHandler.mode = 2;
        OpenFileRegistry::detach(&fileHolder);
        bool attached = OpenFileRegistry::attach(path, &fileHolder);
        errorHandler.mode = 3;
        rememberDialogPath(historyKind(), path);
        if (!attached) newDocument();
    }
    notifyPage(PageTitleChanged);
    notifyPage(PageStateChanged);
}

void GFilePlacer::writeFile(const char* path, u32 flags) {
    GFile file(&errorHandler);
    if (!fileOpen(file, path, FileMode::WriteReplace)) throw GException();
    saveFile(file, flags);
    bool ok;
    // Only the attached file is borrowed: its other holders hear of the write, no one else's do.
    if ((flags & SaveOwnFile) && hasDocument && fileHolder.record) {
        Borrow borrow;
        borrow.lent = OpenFileRegistry::reopen(borrow.file, &fileHolder, RegistryMode::SafeReplace | RegistryMode::OthersWait);
        ok = borrow.lent && fileCommit(file, path);
        ok = borrow.end() && ok;
    } else {
        ok = fileCommit(file, path);
    }
    // A failed write keeps the document and its modified flag.
    if (!ok) throw GException();
    if (!(flags & SaveOwnFile)) {
        OpenFileRegistry::detach(&fileHolder);
        OpenFileRegistry::attach(path, &fileHolder);
        hasDocument = 1;
        notifyPage(PageTitleChanged);
        notifyPage(PageStateChanged);
    }
}

void GFilePlacer::openFile(const char* path, GBag& state) {
    (void)state;
    if (queryClose() != 0) return;
    newDocument();
    if (!OpenFileRegistry::attach(path, &fileHolder)) return;
    {
        Borrow borrow;
        borrow.lent = OpenFileRegistry::reopen(borrow.file, &fileHolder, FileFlag::Read | RegistryMode::OthersWait);
    }
    hasDocument = 1;
    notifyPage(PageTitleChanged);
    notifyPage(PageStateChanged);
}

i32 GFilePlacer::askSave() {
    if (!modified) return 0;
    const char* path = documentPath();
    GString text = path ? formatted(GuiText::FileSaveQuestion, path) : GString(guiText(GuiText::FileSaveQuestionUnnamed));
    i32 answer = showMessageBox(&mbSaveQuestion, window, text.c_str());
    if (answer == 7) {
        modified = 0;
        return 0;
    }
    if (answer != 6) return 1;
    try {
        GString target(path ? path : "");
        saveDocument(target.c_str(), SaveAsked);
    } catch (GException&) {
    }
    if (modified) return job ? 2 : 1;
    return 0;
}

i32 GFilePlacer::queryClose() {
    if (hasDocument && kindRecord && kindRecord->documentStates) {
        GBag blocks[3];
        saveStateBlocks(blocks);
        kindRecord->documentStates->byPath[documentPath() ? documentPath() : ""] =
            std::string((const char*)blocks[2].data, blocks[2].size);
    }
    if (job) {
        if (job->action < FileCommandSave || job->action > FileCommandSaveAll) job->stopRequested = true;
        return 2;
    }
    return askSave();
}

void GFilePlacer::newDocument() {
    modified = 0;
    hasDocument = 0;
    OpenFileRegistry::detach(&fileHolder);
}

void GFilePlacer::onCloseCommand() {
    if (queryClose() != 0) return;
    newDocument();
    notifyPage(PageTitleChanged);
    notifyPage(PageStateChanged);
}

void GFilePlacer::onReloadCommand() {
    if (hasDocument) {
        GBag blocks[3];
        saveStateBlocks(blocks);
        if (queryClose() != 0) return;
        newDocument();
        for (GBag& block : blocks) block.pos = 0;
        restorePage(blocks);
        return;
    }
    GString path(documentPath() ? documentPath() : "");
    loadDocument(path.c_str(), nullptr);
}

void GFilePlacer::placeChosen(const char* path) {
    if (!openInNewPage() || !hasDocument) return loadDocument(path, nullptr);
    GParentWindow* top = topWindowOf(window);
    if (top && top->isKindOf(TypeObjectWindow)) openDocumentInWindow(top, windowKind(), path);
}

void GFilePlacer::onOpenCommand() {
    if (!openDialog || !runFileDialog(openDialog, 0, window, FileOpenOne)) return;
    GString path(openDialog->nameBuffer);
    placeChosen(path.c_str());
}

void GFilePlacer::onPickCommand() {
    if (!pickList) return;
    GQuickPickDialog dialog(window);
    if (!dialog.buildQuickPickContent(pickList)) return;
    if (runModal(&dialog) == 1) {
        GString path(dialog.chosenPath.c_str());
        placeChosen(path.c_str());
    }
}

void GFilePlacer::onNewCommand() {
    if (queryClose() != 0) return;
    newDocument();
    if (!saveDialog) return;
    saveDialog->ofn.lpstrTitle = guiText(GuiText::FileNewTitle);
    bool chosen;
    try {
        chosen = runFileDialog(saveDialog, 0, window, FileSave);
    } catch (...) {
        saveDialog->ofn.lpstrTitle = nullptr;
        throw;
    }
    saveDialog->ofn.lpstrTitle = nullptr;
    if (chosen) {
        GString path(saveDialog->nameBuffer);
        openPath(path.c_str());
    }
}

void GFilePlacer::loadDocument(const char* path, GBag* state) {
    GBag stored;
    if ((!state || !state->size) && kindRecord && kindRecord->documentStates) {
        auto& states = kindRecord->documentStates->byPath;
        auto found = states.find(path ? path : "");
        if (found != states.end()) {
            bagWriteBytes(stored, found->second.data(), (u32)found->second.size());
            stored.pos = 0;
            state = &stored;
        }
    }
    GBag empty;
    {
        BusyCursor busy;
        openFile(path, state ? *state : empty);
    }
    rememberDialogPath(historyKind(), path);
}

bool GFilePlacer::openPath(const char* path) {
    if (queryClose() != 0) return false;
    newDocument();
    {
        BusyCursor busy;
        createFile(path);
    }
    loadDocument(path, nullptr);
    return hasDocument != 0;
}

void GFilePlacer::onSaveAllCommand() { saveAllDocuments(window); }

void GFilePlacer::saveStateBlocks(GBag* blocks) {
    const char* path = hasDocument && documentPath() ? documentPath() : "";
    bagWriteBytes(blocks[0], path, (u32)strlen(path) + 1);
    saveOptions(blocks);
}

void GFilePlacer::restorePage(GBag* blocks) {
    GString path;
    if (blocks[0].size) stringAssign(path, (const char*)blocks[0].data, (u32)strnlen((const char*)blocks[0].data, blocks[0].size));
    restoreOptions(blocks);
    if (!path.empty()) openFile(path.c_str(), blocks[2]);
    updateTitle();
}

void GFilePlacer::detach() {
    try {
        newDocument();
    } catch (...) {
    }
}

void saveAllDocuments(GWindow* owner) {
    i32 count = 0;
    for (GPlacer* p = firstPlacer(); p; p = p->nextPlacer) {
        GFilePlacer* page = documentOf(p);
        if (!page || !page->modified) continue;
        GString path(page->documentPath() ? page->documentPath() : "");
        try {
            page->saveDocument(path.c_str(), SaveAll);
        } catch (GException&) {
        }
        if (page->modified) {
            const char* name = path.empty() ? page->firstCaption() : path.c_str();
            showMessageBox(&mbError, owner, formatted(GuiText::FileSaveFailed, name).c_str());
            return;
        }
        ++count;
    }
    if (count) {
        GString text;
        stringFormat(text, guiText(GuiText::FilesSaved), count);
        showMessageBox(&mbInformation, owner, text.c_str());
    } else {
        showMessageBox(&mbInformation, owner, guiText(GuiText::FilesNoneToSave));
    }
}

bool askSaveAllDocuments() {
    for (GPlacer* p = firstPlacer(); p; p = p->nextPlacer) {
        GFilePlacer* page = documentOf(p);
        if (page && page->modified && page->askSave() == 1) return false;
    }
    return true;
}

GFilePlacer* findWindowForFile(u32 kind, const char* path) {
    OpenFileRecord* record = OpenFileRegistry::recordOf(path);
    if (!record) return nullptr;
    for (GPlacer* p = firstPlacer(); p; p = p->nextPlacer) {
        GFilePlacer* page = documentOf(p);
        if (page && page->fileHolder.record == record && p->windowKind() == kind) return page;
    }
    return nullptr;
}

bool isPageFile(GPlacer* placer, const char* path) {
    GFilePlacer* page = documentOf(placer);
    return page && page->isAttachedFile(path);
}

GFilePlacer* openDocumentInWindow(GWindow* owner, u32 kind, const char* path) {
    if (GFilePlacer* found = findWindowForFile(kind, path)) {
        if (GTabPlacer* holder = tabPlacerOf(found)) holder->strip->select(found->index);
        if (GParentWindow* top = topWindowOf(found->window)) activateWindow(top);
        return found;
    }
    auto tabPlacerOfWindow = [](GWindow* window) -> GTabPlacer* {
        GParentWindow* top = topWindowOf(window);
        if (!top || !top->isKindOf(TypeObjectWindow)) return nullptr;
        GPlacer* placer = static_cast<GObjectWindow*>(top)->placer;
        return placer && placer->windowKind() == TypeTabbedPlacer ? static_cast<GTabPlacer*>(placer) : nullptr;
    };
    GTabPlacer* target = tabPlacerOfWindow(owner);
    if (!target) {
        GObjectWindow* made = findOrMakeDocumentWindow(path, documentWindowFactory);
        target = made ? tabPlacerOfWindow(made) : nullptr;
    }
    GFilePlacer* page = target ? documentOf(target->addPageOfKind(kind)) : nullptr;
    if (page) page->loadDocument(path, nullptr);
    return page;
}
