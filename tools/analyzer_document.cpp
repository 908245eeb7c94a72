#include "tools/analyzer_document.h"

#include "app/program_file_dialogs.h"
#include "app/window_kinds.h"
#include "gui/views/file_data_source.h"

FileStructureDocument::FileStructureDocument(ErrorHandler* handler) : holder(handler), handler(handler) {}

FileStructureDocument::~FileStructureDocument() { close(); }

bool FileStructureDocument::open(const char* path) {
    close();
    if (!OpenFileRegistry::attach(path, &holder)) return false;
    GFile file(handler);
    if (!OpenFileRegistry::reopen(file, &holder, FileFlag::Read)) {
        OpenFileRegistry::detach(&holder);
        return false;
    }
    structure = new FileStructure;
    structure->read(nullptr, file, 0);
    OpenFileRegistry::endReopen(file);
    return true;
}

void FileStructureDocument::close() {
    delete structure;
    structure = nullptr;
    if (holder.record) OpenFileRegistry::detach(&holder);
}

BlockDataSource* FileStructureDocument::newDataSource() {
    if (!holder.record) return nullptr;
    FileDataSource* source = new FileDataSource;
    source->file.flags = FileFlag::Quiet;
    if (!source->attach(&holder)) {
        delete source;
        return nullptr;
    }
    return source;
}

bool FileStructureDocument::writeReport(GFile& out, u32 kind) { return structure && structure->report(out, kind); }

GPlacer* makeAnalyzerPage(GWindow* parent) {
    static WindowErrorHandler handler;
    return new GFileAnalyzerPlacer(parent, new FileStructureDocument(&handler), &analyzedFileDialog, &textReportDialog,
                                   &analyzerFolderList, programWindowKind(KindAnalyzer));
}
