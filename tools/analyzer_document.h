#pragma once
// FileStructureDocument: the analyzer page's document over a real file: a lenient parse into a
// FileStructure, byte readers through the open-file registry and the report writer. The page owns
// the document; the document owns the structure and its registry holder.
#include "gui/frame/file_analyzer_placer.h"
#include "gui/frame/open_file_registry.h"
#include "tools/file_structure.h"

class FileStructureDocument : public AnalyzerDocument {
public:
    explicit FileStructureDocument(ErrorHandler* handler = nullptr);
    ~FileStructureDocument() override;

    bool open(const char* path) override;
    void close() override;
    BlockBase* root() override { return structure; }
    BlockDataSource* newDataSource() override;
    bool writeReport(GFile& out, u32 kind) override;

    FileStructure* structure = nullptr;

private:
    class Holder : public OpenFileHolder {
    public:
        using OpenFileHolder::OpenFileHolder;
        void onFileEvent(i32, GFile*) override {}
    };
    Holder holder;
    ErrorHandler* handler;
};

// The analyzer page (window kind 73) on a parent, over a new document; the page maker of the kind.
GPlacer* makeAnalyzerPage(GWindow* parent);
