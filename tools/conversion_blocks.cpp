#include "tools/conversion_blocks.h"

#include <windows.h>
#include <mmreg.h>

#include <memory>
#include <vector>

#include "core/gfile.h"
#include "core/progress.h"
#include "mm/acm_file_writer.h"
#include "mm/ogg_range_source.h"
#include "mm/riff_block.h"
#include "mm/store_range_source.h"

namespace {
// Bytes moved per step of the sample loops.
const u32 stepBytes = 1 << 20;

bool oggTag(u16 tag) { return tag >= 0x674F && tag <= 0x6771; }

bool writeChunkHeader(GFile& target, u32 chunkId, u64 bytes) {
    u32 head[2] = {chunkId, (u32)bytes};
    return fileWrite(target, head, sizeof head);
}

// Records where the block went; the block size is what was written.
bool wrote(BlockBase* b, GFile& target, i64 at, bool ok) {
    i64 end;
    if (!ok || !fileTell(target, &end)) return false;
    b->start = (u64)at;
    b->size = (u64)(end - at);
    return true;
}
}  // namespace

bool ContainerBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    for (u32 i = 0; i < childCount(); ++i)
        if (!child(i)->write(source, target, progress)) return false;
    return true;
}

RangeCopyBlock::RangeCopyBlock(BlockBase* parent, u32 chunkId, u64 offset, u64 size)
    : BlockBase(parent, chunkId, 0, size + (chunkId ? 8 : 0)), offset(offset), bytes(size) {}

bool RangeCopyBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    i64 at;
    if (!source || !fileTell(target, &at)) return false;
    if (id && bytes > maxChunkContent) return reportBlockError(target, MmText::WaveTooLarge);
    bool ok = (!id || writeChunkHeader(target, id, bytes)) &&
              (bytes == 0 || fileCopyRange(*source, (i64)offset, target, (i64)bytes, progress));
    return wrote(this, target, at, ok);
}

AcmConvertBlock::AcmConvertBlock(BlockBase* parent, bool asChunk, const StreamRange& range, const WAVEFORMATEX* from,
                                 const WAVEFORMATEX* to, void* driver, ErrorHandler* errors)
    : BlockBase(parent, asChunk ? ChunkId::Data : 0, 0, asChunk ? 8 : 0),
      range(range),
      from(copyAcmFormat(from)),
      to(copyAcmFormat(to)),
      driver(driver),
      errors(errors) {}

bool AcmConvertBlock::write(GFile*, GFile& target, JobProgress* progress) {
    i64 at;
    if (!fileTell(target, &at)) return false;
    auto* file = new FileRangeSource(0, range.size, errors, range.offset);
    std::unique_ptr<SoundSource> chain(file);
    if (!file->open(range.fileName)) return false;
    u64 count = range.size;
    if (oggTag(asFormat(from)->wFormatTag)) {
        auto* ogg = new OggRangeSource(0, range.oggHeaderLength, 0, range.size);
        ogg->setInner(chain.release());
        chain.reset(ogg);
        count += range.oggHeaderLength;
    }
    AcmStream stream;
    stream.errorSink = errors;
    stream.leadBytes = (u32)(count - range.size);
    if (!stream.open(chain.release(), asFormat(from), count, asFormat(to), driver)) return false;
    bool ok = id ? writeAcmDataBlock(stream, target, progress) : acmConvertLoop(stream, target, progress);
    return wrote(this, target, at, ok);
}

void widenSamples(const i16* in, u32 n, u32 encoding, u8* out) {
    switch (encoding) {
    case encodingInt32: {
        i32* o = reinterpret_cast<i32*>(out);
        for (u32 i = 0; i < n; ++i) o[i] = in[i];
        break;
    }
    case encodingFloat: {
        f32* o = reinterpret_cast<f32*>(out);
        for (u32 i = 0; i < n; ++i) o[i] = in[i];
        break;
    }
    case encodingDouble: {
        f64* o = reinterpret_cast<f64*>(out);
        for (u32 i = 0; i < n; ++i) o[i] = in[i];
        break;
    }
    default: memcpy(out, in, (size_t)n * 2); break;
    }
}

WidenedDataBlock::WidenedDataBlock(BlockBase* parent, u32 encoding, u64 offset, u64 sourceBytes)
    : RavoDataBlock(parent, encoding), offset(offset), sourceBytes(sourceBytes) {
    size = sourceBytes / 2 * bytesPerSampleOf(encoding);
}

bool WidenedDataBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    i64 at;
    if (!source || !fileTell(target, &at) || !fileSeek(*source, (i64)offset, SEEK_SET)) return false;
    const u32 width = bytesPerSampleOf(encoding);
    std::vector<i16> in(stepBytes / 2);
    std::vector<u8> out((size_t)in.size() * width);
    u64 done = 0, whole = sourceBytes & ~1ull;
    while (done < whole) {
        u32 n = (u32)std::min<u64>(whole - done, stepBytes);
        if (!fileRead(*source, in.data(), n)) return false;
        widenSamples(in.data(), n / 2, encoding, out.data());
        if (!fileWrite(target, out.data(), n / 2 * width)) return false;
        done += n;
        if (progress && progress->report(done, nullptr)) return false;
    }
    start = (u64)at;
    return true;
}

MixedDataBlock::MixedDataBlock(BlockBase* parent, const StreamRange& range, const WAVEFORMATEX* own,
                               ErrorHandler* errors)
    : BlockBase(parent, ChunkId::Data, 0, 8), range(range), ownFormat(copyAcmFormat(own)), errors(errors) {}

bool MixedDataBlock::write(GFile*, GFile& target, JobProgress* progress) {
    i64 at;
    if (!fileTell(target, &at) || !writeChunkHeader(target, id, 0)) return false;
    OwnFileRangeSource mixed(asFormat(ownFormat), 0, range.size, errors, range.offset);
    if (!mixed.open(range.fileName)) return false;
    const u32 align = mixed.format()->nBlockAlign;
    std::vector<u8> buffer(stepBytes / align * align);
    u64 written = 0;
    while (!mixed.atEnd()) {
        u32 n = (u32)buffer.size();
        if (!mixed.read(buffer.data(), &n)) return false;
        if (n == 0) break;
        if (!fileWrite(target, buffer.data(), n)) return false;
        written += n;
        if (progress && progress->report(mixed.position(), nullptr)) return false;
    }
    if (written > maxChunkContent) return reportBlockError(target, MmText::WaveTooLarge);
    u32 length = (u32)written;
    if (!fileWriteAtPosition(target, at + 4, &length, 4) || !fileSeek(target, at + 8 + (i64)written, SEEK_SET))
        return false;
    return wrote(this, target, at, true);
}
