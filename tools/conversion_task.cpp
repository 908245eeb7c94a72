#include "tools/conversion_task.h"

#include <windows.h>

#include <cstring>

#include "core/exceptions.h"
#include "core/paths.h"
#include "core/progress.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/gui_texts.h"
#include "mm/mm_texts.h"
#include "tools/dls_blocks.h"
#include "tools/file_structure.h"
#include "tools/instrument_blocks.h"

ConversionTask::ConversionTask(const char* source, const char* target) : errors(nullptr, 2), holder() {
    stringAssignText(sourceName, source ? source : "");
    stringAssignText(targetName, target ? target : "");
    sourceFile.handler = &errors;
    targetFile.handler = &errors;
    holder.handler = &errors;
}

ConversionTask::~ConversionTask() {
    endSource();
    fileCloseQuietly(targetFile);
}

bool ConversionTask::openSource() {
    if (sourceFile.isOpen()) return true;
    if (!holder.record && !OpenFileRegistry::attach(sourceName.c_str(), &holder)) return false;
    if (OpenFileRegistry::reopen(sourceFile, &holder, 0)) return true;
    OpenFileRegistry::detach(&holder);
    return false;
}

void ConversionTask::endSource() {
    if (sourceFile.isOpen()) {
        if (sourceFile.flags & RegistryMode::Held) OpenFileRegistry::endReopen(sourceFile);
        else fileCloseQuietly(sourceFile);
    }
    OpenFileRegistry::detach(&holder);
}

void ConversionTask::fail(const char* text) {
    showMessageBox(&mbError, window, text);
    throw GException();
}

void ConversionTask::commitTarget() {
    if (!safeReplaceFile(targetFile, targetName.c_str())) throw GException();
}

// ---- the batch ----

namespace {
GString formatted(MmText text, const char* argument) {
    GString out;
    stringFormat(out, mmText(text), argument);
    return out;
}

bool caseFreeEqual(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }

// The overwrite question for task i of n; the id of the answer.
i32 askOverwrite(GWindow* window, const char* target, u32 i, u32 n) {
    static const char* const captions[] = {"Skip", "Skip all", "Overwrite", "Overwrite all"};
    static const MmText slots[] = {MmText::ConvertSkip, MmText::ConvertSkipAll, MmText::ConvertOverwrite,
                                   MmText::ConvertOverwriteAll};
    static const char* slotTexts[4];
    for (u32 k = 0; k < 4; ++k) slotTexts[k] = mmText(slots[k]);
    const bool last = i + 1 == n;
    MessageBoxButton buttons[5];
    u32 count = 0;
    if (n > 1) buttons[count++] = {captions[0], (u32)overwriteSkip, &slotTexts[0]};
    if (!last) buttons[count++] = {captions[1], (u32)overwriteSkipAll, &slotTexts[1]};
    buttons[count++] = {captions[2], (u32)overwriteOnce, &slotTexts[2]};
    if (!last) buttons[count++] = {captions[3], (u32)overwriteAll, &slotTexts[3]};
    buttons[count++] = {"Cancel", (u32)overwriteCancel, &kxguiTexts[(u32)GuiText::ButtonCancel]};
    MessageBoxDescription box = mbWarning;
    box.buttons = buttons;
    box.count = count;
    box.defaultButton = overwriteOnce;
    GString text = formatted(MmText::ConvertTargetExists, target);
    return showMessageBox(&box, window, text.c_str());
}
}  // namespace

bool sameFile(const char* a, const char* b) {
    FileInfo x, y;
    if (fileInfo(a, &x) && fileInfo(b, &y))
        return x.volumeSerial == y.volumeSerial && x.indexHigh == y.indexHigh && x.indexLow == y.indexLow;
    GString p, q;
    stringAssignText(p, a);
    stringAssignText(q, b);
    normalizePath(p);
    normalizePath(q);
    return caseFreeEqual(p.c_str(), q.c_str());
}

bool runConversionBatch(ConversionList& list, GWindow* window, JobProgress* progress, bool ask) {
    std::vector<ConversionTask*>& tasks = list.tasks;
    const u32 n = (u32)tasks.size();
    if (progress && progress->report(0, mmText(MmText::ConvertPreparing))) return false;
    for (ConversionTask* t : tasks) {
        GString target;
        makeLongFileName(target, t->sourceName.c_str(), t->targetName.c_str());
        stringAssignText(t->targetName, target.c_str());
    }
    for (ConversionTask* t : tasks) {
        if (!sameFile(t->sourceName.c_str(), t->targetName.c_str())) continue;
        GString text = formatted(MmText::ConvertSameFile, t->targetName.c_str());
        showMessageBox(&mbError, window, text.c_str());
        return false;
    }
    u64 total = 0;
    for (ConversionTask* t : tasks) {
        i64 size = fileSizeByName(t->sourceName.c_str());
        if (size < 0 || !pathIsFile(t->sourceName.c_str())) {
            GString text = formatted(MmText::ConvertUnreadableSource, t->sourceName.c_str());
            showMessageBox(&mbError, window, text.c_str());
            return false;
        }
        t->sourceSize = (u64)size;
        t->selected = 1;
        total += t->sourceSize;
    }
    if (ask) {
        i32 standing = 0;  // overwriteAll or overwriteSkipAll once given
        for (u32 i = 0; i < n; ++i) {
            ConversionTask* t = tasks[i];
            if (list.checkTarget && !list.checkTarget(window, t->targetName.c_str())) return false;
            if (t->targetName.empty() || !pathExists(t->targetName.c_str())) continue;
            i32 answer = standing ? standing : askOverwrite(window, t->targetName.c_str(), i, n);
            if (answer == overwriteAll || answer == overwriteSkipAll) standing = answer;
            if (answer == overwriteSkip || answer == overwriteSkipAll) {
                t->selected = 0;
                total -= t->sourceSize;
            } else if (answer != overwriteOnce && answer != overwriteAll) {
                return false;
            }
        }
    }
    if (progress) progress->setTotal(total);
    u64 before = 0;
    for (ConversionTask* t : tasks) {
        if (!t->selected) continue;
        t->selected = 0;
        if (progress) {
            progress->committed = before;
            GString text;
            stringFormat(text, "%s -> %s", t->sourceName.c_str(), t->targetName.c_str());
            if (progress->report(0, text.c_str())) return false;
        }
        t->window = window;
        t->errors.window = window;
        if (!t->openSource()) throw GException();
        if (!fileOpen(t->targetFile, t->targetName.c_str(), FileMode::WriteReplace)) {
            t->endSource();
            throw GException();
        }
        try {
            t->run(window, progress);
        } catch (...) {
            fileCloseQuietly(t->targetFile);
            t->endSource();
            throw;
        }
        fileCloseQuietly(t->targetFile);
        t->endSource();
        t->selected = 1;
        before += t->sourceSize;
    }
    if (!progress) return true;
    progress->committed = 0;
    return !progress->report(total, nullptr);
}

// ---- streams ----

FileStructure* parseSourceStrict(GFile& sourceFile) {
    struct QuietSink : BlockSink {
        void note(const BlockBase*, const char*) override {}
    } sink;
    FileStructure* structure = new FileStructure;
    if (!structure->read(&sink, sourceFile, 0) && (sourceFile.failed() || !sourceFile.isOpen())) {
        delete structure;
        return nullptr;
    }
    return structure;
}

bool selectSoundStream(FileStructure* structure, GFile& sourceFile, SoundStreamInfo& stream) {
    const u32 kind = structure->fileKind;
    if (kind == ChunkId::Dls || kind == ChunkId::InstrumentForm) {
        MmText text = kind == ChunkId::Dls ? MmText::ConvertDlsFile : MmText::ConvertInstrumentFile;
        reportFileError(sourceFile, mmText(text), nullptr, 0);
        return false;
    }
    SoundStreamWalker walker(structure);
    if (!findFirstSoundStream(walker, stream)) {
        reportFileError(sourceFile, mmText(MmText::NoSoundStream), nullptr, 0);
        return false;
    }
    SoundStreamInfo second;
    if (walker.next(second)) {
        reportFileError(sourceFile, mmText(MmText::ConvertSeveralStreams), nullptr, 0);
        return false;
    }
    stream.fileName = sourceFile.name;
    return true;
}
