#pragma once
// GFileAnalyzerPlacer: the file analyzer page, a document page (window kind 73, "analyzer.htm"). A
// splitter holds the block tree beside a tab window of a binary view and two structure views; the
// page keeps them in step, routes the table commands 142..166 to the view in use and writes block
// reports through its save dialog. It owns its document and, as a layout item, its panes; the
// dialogs and the pick list are the program's.
#include "core/block_base.h"
#include "core/block_data_source.h"
#include "gui/frame/file_placer.h"

class GBinView;
class GFileBlockTree;
class GSplitterItem;
class GStructView;
class GTabWindow;
class GTable;

// The parsed file behind the page and its report writer.
class AnalyzerDocument {
public:
    virtual ~AnalyzerDocument() = default;
    // Opens the file for reading and parses its blocks; false when it cannot.
    virtual bool open(const char* path) = 0;
    virtual void close() = 0;
    // The parsed blocks, the document's; null when none.
    virtual BlockBase* root() = 0;
    // A reader over the file's bytes for one view, owned by the caller; null when none.
    virtual BlockDataSource* newDataSource() = 0;
    // The whole block tree in the report kind (ReportKind).
    virtual bool writeReport(GFile& out, u32 kind) = 0;
};

enum : u32 { AnalyzerExport = 115, TypeAnalyzerPlacer = 73 };
// Notifications sent up from the page.
enum : u32 { AnalyzerDocumentChanged = 7, AnalyzerFileOpened = 8 };

// The page's replaceable outside call.
namespace AnalyzerCalls {
// Opens a file with the shell's "open" verb.
typedef void (*ShellOpen)(GWindow* owner, const char* path);
extern ShellOpen shellOpen;
}  // namespace AnalyzerCalls

class GFileAnalyzerPlacer : public GFilePlacer {
public:
    // Takes the document. reportDialog: the "txt" save dialog of reports (and SAVE_AS).
    GFileAnalyzerPlacer(GWindow* window, AnalyzerDocument* document, GFileDialog* openDialog = nullptr,
                        GFileDialog* reportDialog = nullptr, GFolderList* pickList = nullptr, WindowKind* kind = nullptr);
    ~GFileAnalyzerPlacer() override;

    u32 windowKind() override { return TypeAnalyzerPlacer; }
    const char* documentKindText() override;
    u32 historyKind() override { return 8; }
    void newDocument() override;
    // Leaving the placer lets the file go and leaves the views alone (they may be ending).
    void detach() override;
    // Registers the file, then parses it; the state's view state follows when it holds one.
    void openFile(const char* path, GBag& state) override;
    // The view state travels in the document block of the page's state.
    void saveOptions(GBag* blocks) override { saveViewState(blocks[2]); }
    // Tree, binary view, both structure views, then the splitter's two values and the tab.
    void saveViewState(GBag& bag) override;
    void restoreViewState(GBag& bag) override;
    // The page changes nothing: a save writes the analysed file's bytes; without them it fails
    // and the target keeps its own.
    void saveFile(GFile& file, u32 flags) override;
    // A new page's file starts empty; an existing one is analysed as it is.
    void createFile(const char* path) override;
    void writeReport();

    bool onControlNotify(void* notification) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    i32 commandChecked(u32 command) override;

    // Shows the tree's selected block in the three views.
    void synchronise();
    // The table that takes 142..166: the focused table, else the tree.
    GTable* commandTarget();
    void spreadBaseOffset(i64 offset);

    GFileBlockTree* tree = nullptr;
    GBinView* binView = nullptr;
    GStructView* structView = nullptr;
    GStructView* secondView = nullptr;
    AnalyzerDocument* document;
    GSplitterItem* splitter = nullptr;
    GTabWindow* tabs = nullptr;
    i32 guard = 0;

private:
    void clearViews();
    void setTabShown(i32 index, bool shown);
    void notify(u32 code);
};
