#include "tools/native_conversion_task.h"

#include <windows.h>
#include <mmreg.h>

#include <memory>

#include "core/exceptions.h"
#include "mm/mm_texts.h"
#include "mm/ravo_file.h"
#include "tools/conversion_blocks.h"
#include "tools/file_structure.h"

NativeConversionTask::NativeConversionTask(const char* source, const char* target, u32 encoding)
    : ConversionTask(source, target), encoding(encoding) {}

void NativeConversionTask::run(GWindow* owner, JobProgress* progress) {
    window = owner;
    errors.window = owner;
    if (!openSource()) throw GException();
    std::unique_ptr<FileStructure> structure(parseSourceStrict(sourceFile));
    SoundStreamInfo stream = {};
    if (!structure || !selectSoundStream(structure.get(), sourceFile, stream)) throw GException();
    const u32 kind = structure->fileKind;
    if (kind != ChunkId::Ravo && kind != ChunkId::Wave) fail(mmText(MmText::ConvertOwnOrWaveExpected));

    std::unique_ptr<BlockBase> root;
    if (kind == ChunkId::Wave) {
        // Only 16-bit PCM is read as the samples it is.
        const WAVEFORMATEX* f = stream.format;
        if (f->wFormatTag != WAVE_FORMAT_PCM || f->wBitsPerSample != 16) {
            GString text;
            stringFormat(text, mmText(MmText::ConvertNeeds16Bit), sourceName.c_str());
            fail(text.c_str());
        }
        SoundFormat sound;
        sound.setPlain(f->nChannels, f->nSamplesPerSec, encoding);
        SoundFormatBlock block;
        if (!buildFormatBlock(&block, &sound, window)) throw GException();
        RavoFormBlock* form = new RavoFormBlock;
        root.reset(form);
        new RavoFormatBlock(form, block.format());
        new WidenedDataBlock(form, encoding, stream.dataOffset, stream.dataSize);
    } else {
        SoundFormat sound;
        if (!sound.assignFromWaveFormat(stream.format, window)) throw GException();
        WAVEFORMATEX playback = {};
        sound.playbackFormat(&playback);
        StreamRange range;
        range.fileName = sourceName.c_str();
        range.offset = stream.dataOffset;
        range.size = stream.dataSize;
        ChunkHeader header;
        header.id = ChunkId::Riff;
        header.formType = ChunkId::Wave;
        RiffListBlock* form = new RiffListBlock(nullptr, header);
        root.reset(form);
        new WaveFormatBlock(form, 0, 0, &playback);
        new MixedDataBlock(form, range, stream.format, &errors);
    }
    if (!root->write(&sourceFile, targetFile, progress) || targetFile.failed()) throw GException();
    endSource();
    commitTarget();
}
