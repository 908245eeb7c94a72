#pragma once
// GFilePlacer: the placer of a page that holds one document of one file. It owns the file
// commands 104..114, the modified flag, the save question, safe writing and the document's entry
// in the open-file registry (so pages holding one file hear of each other's writes). Page kinds
// derive from it and read, write and empty the document. The dialogs and the pick list are the
// program's (not owned); the page is deleted as a layout item.
#include <map>
#include <string>

#include "core/error.h"
#include "gui/frame/open_file_registry.h"
#include "gui/frame/placer.h"

class GFileDialog;
class GFolderList;
class GFilePlacer;
class GAppWindow;
class GParentWindow;

// The file commands; 113 and 114 come only from the registry.
enum : u32 {
    FileCommandOpen = 104,
    FileCommandReload = 105,
    FileCommandRefresh = 106,
    FileCommandClose = 107,
    FileCommandSave = 108,
    FileCommandSaveAs = 109,
    FileCommandSaveAll = 110,
    FileCommandPick = 111,
    FileCommandNew = 112,
    FileCommandChanged = 113,
    FileCommandGone = 114,
};
// Flags of saveDocument, writeFile and saveFile.
enum : u32 { SaveOwnFile = 1, SaveAsked = 2, SaveCreate = 4, SaveAll = 8, SaveAs = 16 };
// Page notifications: the title or modified mark, the document state.
enum : u32 { PageTitleChanged = 7, PageStateChanged = 8 };

// The document view states of a page kind by path (a kind record points at one; not owned).
struct DocumentStates {
    std::map<std::string, std::string> byPath;
};

// The page's holder in the registry: file events become posted commands 114 (gone) and 113.
class FilePlacerHolder : public OpenFileHolder {
public:
    FilePlacerHolder(ErrorHandler* handler, GFilePlacer* page) : OpenFileHolder(handler), page(page) {}
    void onFileEvent(i32 code, GFile* file) override;

    GFilePlacer* page;
};

class GFilePlacer : public GPlacer {
public:
    GFilePlacer(WindowKind* kind, GWindow* owner, GFileDialog* openDialog, GFileDialog* saveDialog, GFolderList* pickList);
    ~GFilePlacer() override;

    void* asDocumentPlacer() override { return this; }
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    // Block 0: the attached path as zero-ended text; then the kind's options; block 2 the document.
    void saveStateBlocks(GBag* blocks) override;
    void restorePage(GBag* blocks) override;
    void detach() override;
    bool isModified() override { return modified != 0; }
    i32 closeState() override { return queryClose(); }
    // The file name of the attached path, else the kind's text.
    const char* firstCaption() override;

    // Page-kind operations.
    virtual const char* documentKindText() { return nullptr; }
    virtual void saveFile(GFile& file, u32 flags) { (void)file, (void)flags; }
    virtual void writeFile(const char* path, u32 flags);
    virtual bool needsFileName(const char* path) { return !path || !*path; }
    virtual void createFile(const char* path) { writeFile(path, SaveCreate); }
    virtual void openFile(const char* path, GBag& state);
    // 0 may close, 1 cancelled or the save failed, 2 a job runs.
    virtual i32 askSave();
    virtual void newDocument();
    virtual void onCloseCommand();
    virtual void onReloadCommand();
    virtual void onOpenCommand();
    virtual void onPickCommand();
    virtual void loadDocument(const char* path, GBag* state);
    virtual bool openPath(const char* path);
    virtual void onNewCommand();
    virtual void onSaveAllCommand();
    virtual u32 historyKind() { return 0; }
    virtual bool openInNewPage() { return false; }
    // The kind's own state in the three blocks.
    virtual void saveOptions(GBag* blocks) { (void)blocks; }
    virtual void restoreOptions(GBag* blocks) { (void)blocks; }

    void saveDocument(const char* path, u32 flags);
    void finishSave(const char* path, u32 flags);
    // 0 may close, 1 cancelled or failed, 2 a job runs (asked to stop unless it saves).
    i32 queryClose();
    void setModified(bool flag);
    // Null while no file is attached.
    const char* documentPath() const { return fileHolder.record ? fileHolder.path.c_str() : nullptr; }
    // The path names the attached file.
    bool isAttachedFile(const char* path) const;
    void notifyPage(u32 code);

    u8 modified = 0;
    u8 hasDocument = 0;
    GFileDialog* openDialog;
    GFileDialog* saveDialog;
    GFolderList* pickList;
    WindowErrorHandler errorHandler;
    FilePlacerHolder fileHolder;

private:
    // A chosen path placed as OPEN places it.
    void placeChosen(const char* path);
    void onFileChanged();
    void onFileGone();
    GString title;
};

// Walks the placers in order: saves each modified document; the first that stays modified ends the
// walk with the error box; then the information box.
void saveAllDocuments(GWindow* owner);
// Asks each modified document page; false at the first that is cancelled.
bool askSaveAllDocuments();
// The first document page of the kind whose attached file is the path's file, or null.
GFilePlacer* findWindowForFile(u32 kind, const char* path);
bool isPageFile(GPlacer* page, const char* path);
// The page of the kind holding the file brought forward; else a new page of the owner's tabbed
// placer (or a document window's) loads it. Null when none could be made.
GFilePlacer* openDocumentInWindow(GWindow* owner, u32 kind, const char* path);
// Makes a document window when no tabbed placer is at hand; null: none.
extern GAppWindow* (*documentWindowFactory)(i32 typeId);
