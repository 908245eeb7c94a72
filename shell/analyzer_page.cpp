#include "shell/analyzer_page.h"

#include "app/child_windows.h"
#include "app/program_file_dialogs.h"
#include "app/window_kinds.h"
#include "core/block_base.h"
#include "core/block_data_source.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "gui/frame/file_analyzer_placer.h"

namespace {
// The whole file as one block; its bytes are read once when it opens.
class WholeFileDocument : public AnalyzerDocument {
public:
    ~WholeFileDocument() override { close(); }
    bool open(const char* path) override {
        close();
        if (!readWholeFile(path, bytes)) return false;
        block = new BlockBase(nullptr, fourCC("FILE"), 0, bytes.length);
        return true;
    }
    void close() override {
        delete block;
        block = nullptr;
        stringClear(bytes);
    }
    BlockBase* root() override { return block; }
    BlockDataSource* newDataSource() override {
        return block ? new MemoryDataSource(reinterpret_cast<const u8*>(bytes.data), bytes.length) : nullptr;
    }
    bool writeReport(GFile& out, u32 kind) override { return block && block->report(out, kind); }

    GString bytes;
    BlockBase* block = nullptr;
};

GPlacer* makeAnalyzerPage(GWindow* parent) {
    return new GFileAnalyzerPlacer(parent, new WholeFileDocument, &analyzedFileDialog, &textReportDialog,
                                   &analyzerFolderList, programWindowKind(KindAnalyzer));
}
}  // namespace

void registerAnalyzerPage() { registerPageMaker(KindAnalyzer, makeAnalyzerPage); }
