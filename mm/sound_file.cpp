#include "mm/sound_file.h"

#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <new>

#include "core/error.h"
#include "core/gfile.h"
#include "mm/ravo_file.h"
#include "mm/riff_block.h"
#include "mm/sound_store.h"

static_assert(soundFileWave == ChunkId::Wave && soundFileRavo == ChunkId::Ravo, "file kinds are root ids");

namespace {
void findWaveParts(RiffListBlock* root, SoundFileParts& parts, u64* dataOffset) {
    parts.rootFound = root->isWaveForm();
    if (!parts.rootFound) return;
    WaveDataBlock* data = waveDataBlock(root);
    // The format before the data, else the form's own "fmt " wherever it lies.
    WaveFormatBlock* format = data ? data->formatBlock() : nullptr;
    if (!format) format = dynamic_cast<WaveFormatBlock*>(root->findChild(ChunkId::Format));
    if (format && format->format()) {
        parts.formatFound = 1;
        parts.format = const_cast<WAVEFORMATEX*>(format->format());
    }
    if (data) {
        parts.dataFound = 1;
        parts.dataSize = data->contentSize();
        *dataOffset = data->start + 8;
    }
}

void findRavoParts(RavoFormBlock* root, SoundFileParts& parts, u64* dataOffset) {
    parts.rootFound = 1;
    if (RavoFormatBlock* format = root->formatBlock()) {
        parts.formatFound = format->format() != nullptr;
        parts.format = const_cast<WAVEFORMATEX*>(format->format());
    }
    if (RavoDataBlock* data = root->dataBlock()) {
        parts.dataFound = 1;
        parts.dataSize = data->size;
        *dataOffset = data->start;
    }
}

// A PCM sound of 8-bit samples keeps them as they are: its block says so (the stored block of a
// PCM sound is built for 16-bit samples).
void matchPcmSampleSize(SoundFormatBlock* block, const SoundFormat* format) {
    WAVEFORMATEX* w = block->format();
    if (w->wFormatTag != pcmFormatTag || format->encoding != encodingPcm8) return;
    w->wBitsPerSample = 8;
    w->nBlockAlign = w->nChannels;
    w->nAvgBytesPerSec = w->nBlockAlign * w->nSamplesPerSec;
}

// Holds the first failure of a save: the save reports once, naming its target.
class FirstSaveFailure : public ErrorHandler {
public:
    bool report(const char* text, int error) override {
        if (held) return false;
        held = true;
        // The first line is the message; the lines after it name a file that may be a temporary one.
        const char* end = strchr(text, '\n');
        stringAssign(message, text, end ? (u32)(end - text) : (u32)strlen(text));
        code = error;
        return false;
    }

    bool held = false;
    GString message;
    int code = 0;
};

// A block that is refused, or that a form cannot hold, is never written.
bool checkSavedBlock(u32 kind, const WAVEFORMATEX* stored, ErrorHandler* handler, GWindow* window) {
    if (kind == soundFileRavo && stored->wFormatTag != pcmFormatTag && stored->wFormatTag != ownFormatTag)
        return reportMessage(handler, mmText(MmText::RavoCannotHoldFormat), 0);
    // The block alone: the data's size limits are the reader's.
    FormatProblem problem = checkFormatBlock(stored, 0);
    showFormatProblem(problem, window);
    return !problem;
}

// The WAVE tree of the store's source file with the format and the data put in place of its own, so
// that every other chunk is copied from the source as it is; null when the source is no such file.
RiffListBlock* keptWaveLayout(SoundStore* store, const WAVEFORMATEX* stored, u64 dataSize, GFile& source) {
    if (store->sourceName.empty()) return nullptr;
    if (!fileOpen(source, store->sourceName.c_str(), FileMode::Read)) return nullptr;
    SoundFileLayout layout;
    if (!readSoundFileLayout(source, &layout) || layout.kind != soundFileWave || !layout.parts.formatFound ||
        !layout.parts.dataFound) {
        fileCloseQuietly(source);
        return nullptr;
    }
    RiffListBlock* root = static_cast<RiffListBlock*>(layout.root);
    WaveDataBlock* data = waveDataBlock(root);
    WaveFormatBlock* format = data ? data->formatBlock() : nullptr;
    if (!format || format->parent != root || data->parent != root || data->childCount()) {
        fileCloseQuietly(source);
        return nullptr;
    }
    layout.root = nullptr;
    copyFormatBlock(&format->block, stored);
    data->size = dataSize + data->headerLength();
    return root;
}

// Writes the tree into a new file put in place of the target; false (reported to the file's
// handler) when any step failed. Blocks kept from another file copy their bytes from source.
bool writeSoundFile(BlockBase* root, GFile* source, const char* name, SoundStore* store, JobProgress* progress,
                    ErrorHandler* handler, bool* overSource) {
    GFile file(handler);
    if (!fileOpen(file, name, FileMode::WriteReplace)) return false;
    if (!store->lock(handler)) return commitSavedFile(file, name, false);
    bool ok;
    try {
        ok = root->write(source, file, progress);
    } catch (...) {
        store->unlock();
        commitSavedFile(file, name, false);
        throw;
    }
    store->unlock();
    if (source) fileCloseQuietly(*source);
    // Over the store's own source (a caller may still hold the lock, keeping it open) the store lets
    // go of the file for the replacement; the caller re-bases it on the new file.
    *overSource = store->isSourceFile(name);
    if (*overSource) store->closeSourceFile();
    if (!commitSavedFile(file, name, ok)) {
        if (*overSource) store->reopenSourceFile();
        return false;
    }
    return true;
}
}  // namespace

void findSoundParts(BlockBase* form, SoundFileParts* parts, u64* dataOffset) {
    *parts = SoundFileParts{};
    *dataOffset = 0;
    if (RavoFormBlock* ravo = dynamic_cast<RavoFormBlock*>(form)) findRavoParts(ravo, *parts, dataOffset);
    else if (RiffListBlock* list = dynamic_cast<RiffListBlock*>(form)) findWaveParts(list, *parts, dataOffset);
}

static bool readLayout(GFile& file, SoundFileLayout* layout) {
    u32 formId = 0;
    i64 size = fileSize(file);
    if (size < 0 || !fileRewind(file)) return false;
    if (size >= 4 && !fileRead(file, &formId, 4)) return false;
    if (formId == ChunkId::Riff) {
        RiffListBlock* root = readRiffFile(file, nullptr);
        layout->root = root;
        if (root) findSoundParts(root, &layout->parts, &layout->dataOffset);
        layout->kind = soundFileWave;
    } else if (formId == ChunkId::Ravo) {
        RavoFormBlock* root = new RavoFormBlock;
        layout->root = root;
        if (fileRewind(file) && root->read(nullptr, file, (u64)size))
            findSoundParts(root, &layout->parts, &layout->dataOffset);
        layout->kind = soundFileRavo;
    } else {
        failBlockFile(file, MmText::WrongFileType);
    }
    return layout->root && !file.failed();
}

bool readSoundFileLayout(GFile& file, SoundFileLayout* layout) {
    try {
        return readLayout(file, layout);
    } catch (const std::bad_alloc&) {
        delete layout->root;
        layout->root = nullptr;
        return failBlockFile(file, MmText::FileTooLargeForMemory);
    }
}

bool openSoundFile(const char* name, SoundFormat* format, SoundStore* store, ErrorHandler* handler, GWindow* window) {
    GFile file(handler);
    if (!fileOpen(file, name, FileMode::Read)) return false;
    SoundFileLayout layout;
    if (!readSoundFileLayout(file, &layout)) return false;
    fileClose(file);
    if (!validateSoundBlock(&layout.parts, window)) return false;
    if (!format->assignFromWaveFormat(layout.parts.format, window)) return false;
    StoreSource source;
    source.dataOffset = layout.dataOffset;
    source.size = layout.parts.dataSize;
    source.frameSize = layout.parts.format ? layout.parts.format->nBlockAlign : 1;
    return store->open(name, source, handler);
}

bool commitSavedFile(GFile& file, const char* target, bool written) {
    if (written && !file.failed() && fileFlush(file) && fileCommit(file, target)) return true;
    // Discard the temporary file (it is deleted when closed); the target is untouched.
    fileCloseQuietly(file);
    return false;
}

bool saveSoundFile(const char* name, u32 kind, const SoundFormat* format, SoundStore* store, JobProgress* progress,
                   ErrorHandler* handler, GWindow* window, StoreSource* written) {
    SoundFormatBlock block;
    if (!buildFormatBlock(&block, format, window)) return false;
    matchPcmSampleSize(&block, format);
    const WAVEFORMATEX* stored = block.format();
    if (!checkSavedBlock(kind, stored, handler, window)) return false;
    u64 dataSize = store->length;
    if (kind == soundFileWave && !waveDataFits(dataSize, storedFormatBytes(stored))) {
        // Refused whatever the handler answers: nothing was written.
        reportMessage(handler, mmText(MmText::WaveTooLarge), 0);
        return false;
    }

    std::unique_ptr<BlockBase> root;
    DataSource* source;
    GFile kept(nullptr);
    bool keeps = false;
    if (kind == soundFileWave) {
        RiffListBlock* wave = keptWaveLayout(store, stored, dataSize, kept);
        keeps = wave != nullptr;
        if (!wave) wave = buildWaveLayout(stored, dataSize);
        root.reset(wave);
        source = &waveDataBlock(wave)->source;
    } else {
        RavoFormBlock* ravo = new RavoFormBlock;
        root.reset(ravo);
        buildRavoLayout(ravo, stored, dataSize);
        source = &ravo->dataBlock()->source;
    }
    source->kind = dataSourceStore;
    source->store = store;
    source->storeStart = store->dataOffset;

    FirstSaveFailure failure;
    bool overSource = false;
    if (keeps) kept.handler = &failure;
    if (!writeSoundFile(root.get(), keeps ? &kept : nullptr, name, store, progress, &failure, &overSource)) {
        if (keeps) fileCloseQuietly(kept);
        // A cancel has nothing to report.
        if (failure.held) reportToHandler(handler, mmText(MmText::SaveFailed), failure.message.c_str(), name, failure.code);
        return false;
    }
    BlockBase* data = root->findChild(ChunkId::Data);
    StoreSource placed;
    placed.dataOffset = data->start + data->headerLength();
    placed.size = dataSize;
    placed.frameSize = stored->nBlockAlign;
    if (overSource) store->reopen(name, placed);
    if (written) *written = placed;
    return true;
}
