#pragma once
// GQuickPickDialog ("GQuickPickDialog", type 111): the program's own file picker over one folder
// list (not owned): the drives and folders, the current folder's files, and the favourite and
// recent folders and files. Its caller builds it on the stack, runs it modally and destroys it;
// result 1 means chosenPath names an existing file. The four lists go back to their sources on OK
// and on Cancel.
#include "core/arrays.h"
#include "gui/kernel/dialog.h"

class GBox;
class GButton;
class GColumns;
class GEditLine;
class GFolderList;
class GStatusLine;
class GTabWindow;

const u32 TypeQuickPickDialog = 111;

class GQuickPickDialog : public GDialog {
public:
    explicit GQuickPickDialog(GWindow* owner) : GDialog(owner, nullptr) {}
    ~GQuickPickDialog() override;

    bool isKindOf(u32 id) const override { return id == TypeQuickPickDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GQuickPickDialog"; }
    u32 typeId() const override { return TypeQuickPickDialog; }

    // Makes the window and its content over the list, fills everything and shows the remembered page.
    bool buildQuickPickContent(GFolderList* list);

    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    i32 handleKey(GInputEvent* event) override;
    bool onControlNotify(void* notification) override;

    // The listing of the current folder (the drives when it is empty).
    void refill();
    void refreshEnables();
    // The edit line's text as the chosen path: an existing file ends the dialog with 1.
    bool accept();
    // Completes the edit line's text up to the caret.
    void complete();
    // The lists into their sources; the page shown is remembered.
    void writeBack();
    void setFolder(const char* path);

    GColumns* fileList = nullptr;
    GBox* folderList = nullptr;
    GBox* recentFolderList = nullptr;
    GBox* recentFileList = nullptr;
    GBox* favouriteFolderList = nullptr;
    GBox* favouriteFileList = nullptr;
    GTabWindow* tabs = nullptr;
    GEditLine* pathEdit = nullptr;
    GButton* buttons[7] = {};  // go, root, up, complete, rename, delete, add to favourite files
    GStatusLine* statusLine = nullptr;
    GFolderList* pickList = nullptr;
    GString folder;
    GString typedName;
    GString pattern;
    GString chosenPath;

    // Working copies of the four lists, shown by the tables.
    StringList recentFolders, recentFiles, favFolders, favFiles;

private:
    void show(GBox* box, const StringList& list);
    void removeSelected(GBox* box, StringList& list);
    void cleanList(GBox* box, StringList& list, bool files);
    void addTo(GBox* box, StringList& list, const char* text);
    GString selectedFile();
    GString selectedFolder();
    void renameSelected();
    void deleteSelected();
    void typed();
};

// The page of the tab window shown last (for the whole run).
extern i32 quickPickPage;

// Asks for the new name of a file; replaceable by tests. True with the name on OK.
typedef bool (*QuickPickRenameAsk)(GWindow* owner, const char* oldName, GString& newName);
extern QuickPickRenameAsk quickPickRenameAsk;
