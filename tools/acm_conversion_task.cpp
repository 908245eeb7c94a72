#include "tools/acm_conversion_task.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <memory>

#include "core/exceptions.h"
#include "mm/acm_drivers.h"
#include "mm/mm_texts.h"
#include "mm/riff_block.h"
#include "tools/conversion_blocks.h"
#include "tools/file_structure.h"
#include "tools/id3_blocks.h"
#include "tools/mpeg_block.h"
#include "tools/ogg_blocks.h"

namespace {
bool leftOut(const BlockBase* b, u32 flags) {
    const u32 id = b->id;
    if (id == BlockId::Id3v1) return flags & stripId3v1;
    if (id == BlockId::Id3v2) return flags & stripId3v2;
    if (id == BlockId::Unknown) return flags & stripUnknown;
    if (id == ChunkId::List) {
        const RiffListBlock* list = dynamic_cast<const RiffListBlock*>(b);
        const u32 form = list ? list->formType : 0;
        if (form == ChunkId::Info) return flags & stripInfoLists;
        return (flags & stripOther) && form != ChunkId::Wave && form != ChunkId::WaveLower;
    }
    static const u32 kept[] = {ChunkId::Riff, BlockId::Mp3, BlockId::Ogg, BlockId::OggPage, BlockId::OggAudio,
                               ChunkId::Fact, ChunkId::Data, ChunkId::Format, fourCC("/Aud")};
    for (u32 k : kept)
        if (id == k) return false;
    return flags & stripOther;
}

// Puts the block in place of the child at index; the old child is detached and returned.
BlockBase* replaceChild(BlockBase* parent, u32 index, BlockBase* with) {
    BlockBase* old = parent->child(index);
    parent->children.data[index] = with;
    with->parent = parent;
    with->start = old->start;
    old->parent = nullptr;
    return old;
}

// Deletes the blocks taken out of the tree when the run ends, however it ends.
struct RemovedBlocks {
    std::vector<BlockBase*> blocks;
    ~RemovedBlocks() {
        for (BlockBase* b : blocks) delete b;
    }
};

// A new "RIFF" "WAVE" list with a "fmt " of the format, as the child of parent.
RiffListBlock* newWaveForm(BlockBase* parent, const WAVEFORMATEX* format) {
    ChunkHeader header;
    header.id = ChunkId::Riff;
    header.formType = ChunkId::Wave;
    RiffListBlock* form = new RiffListBlock(parent, header);
    new WaveFormatBlock(form, 0, 0, format);
    return form;
}
}  // namespace

void stripBlocks(BlockBase* root, u32 flags, std::vector<BlockBase*>& removed) {
    for (u32 i = 0; i < root->childCount(); ++i) {
        BlockBase* b = root->child(i);
        if (leftOut(b, flags)) removed.push_back(replaceChild(root, i, new PlaceholderBlock));
        else stripBlocks(b, flags, removed);
    }
}

u32 containerOfTag(u16 tag) {
    if (tag == 0x55 || tag == 0x50) return BlockId::Mp3;
    if (tag == 0x674F || tag == 0x676F) return BlockId::Ogg;
    return ChunkId::Riff;
}

AcmConversionTask::AcmConversionTask(const char* source, const char* target, u32 stripFlags, void* driverId,
                                     const WAVEFORMATEX* targetFormat, FileStructure* given,
                                     const SoundStreamInfo* givenStream)
    : ConversionTask(source, target),
      stripFlags(stripFlags),
      driverId(driverId),
      structure(given),
      ownsStructure(!given),
      streamGiven(givenStream != nullptr) {
    if (targetFormat) {
        format = copyAcmFormat(targetFormat);
        if (format.size() < 18) {
            format.resize(18);
            mutableFormat(format)->cbSize = 0;
        }
    }
    if (givenStream) {
        stream = *givenStream;
    }
}

AcmConversionTask::~AcmConversionTask() {
    if (ownsStructure) delete structure;
}

void AcmConversionTask::run(GWindow* owner, JobProgress* progress) {
    window = owner;
    errors.window = owner;
    RemovedBlocks removed;
    if (!structure) {
        if (!openSource()) throw GException();
        structure = parseSourceStrict(sourceFile);
        if (!structure) throw GException();
    }
    if (!streamGiven && !selectSoundStream(structure, sourceFile, stream)) throw GException();
    if (!stream.fileName) stream.fileName = sourceName.c_str();
    // The stream's blocks stay in the tree: they are walked before the strip touches it.
    BlockBase* top = stream.topBlock;
    const u32 topIndex = stream.topIndex;
    stripBlocks(structure, stripFlags, removed.blocks);

    const WAVEFORMATEX* to = format.empty() ? stream.format : asFormat(format);
    const u32 container = this->container ? this->container : containerOfTag(to->wFormatTag);
    const u32 sourceKind = top ? top->id : 0;
    const bool sourceRiff = sourceKind == ChunkId::Riff;
    StreamRange range;
    range.fileName = stream.fileName;
    range.offset = stream.dataOffset;
    range.size = stream.dataSize;
    range.oggHeaderLength = stream.oggHeaderLength;
    BlockBase* topParent = top ? top->parent : nullptr;

    void* driver = nullptr;
    struct DriverScope {
        void*& driver;
        ~DriverScope() {
            if (driver) closeAcmDriver(driver, nullptr);
        }
    } driverScope{driver};
    if (!format.empty()) {
        if (driverId && !openAcmDriver(&driver, driverId, &errors)) throw GException();
        AcmFormatBytes from = copyAcmFormat(stream.format);
        HACMSTREAM query = nullptr;
        MMRESULT r = acmStreamOpen(&query, (HACMDRIVER)driver, (WAVEFORMATEX*)asFormat(from),
                                   (WAVEFORMATEX*)to, nullptr, 0, 0, ACM_STREAMOPENF_QUERY);
        if (r != 0) {
            GString text;
            stringFormat(text, mmText(MmText::ConvertCannot), sourceName.c_str());
            fail(text.c_str());
        }
        if (!top || !topParent) throw GException();
        if (container != ChunkId::Riff) {
            ContainerBlock* box = new ContainerBlock;
            new AcmConvertBlock(box, false, range, stream.format, to, driver, &errors);
            removed.blocks.push_back(replaceChild(topParent, topIndex, box));
        } else if (!sourceRiff) {
            ContainerBlock* box = new ContainerBlock;
            RiffListBlock* form = newWaveForm(box, to);
            new AcmConvertBlock(form, true, range, stream.format, to, driver, &errors);
            removed.blocks.push_back(replaceChild(topParent, topIndex, box));
        } else {
            BlockBase* fmtParent = stream.formatBlock->parent;
            BlockBase* dataParent = stream.dataBlock->parent;
            ContainerBlock* fmtBox = new ContainerBlock;
            new WaveFormatBlock(fmtBox, 0, 0, to);
            ContainerBlock* dataBox = new ContainerBlock;
            new AcmConvertBlock(dataBox, true, range, stream.format, to, driver, &errors);
            removed.blocks.push_back(replaceChild(fmtParent, stream.formatIndex, fmtBox));
            removed.blocks.push_back(replaceChild(dataParent, stream.dataIndex, dataBox));
        }
    } else if (top && topParent) {
        if (container != ChunkId::Riff && sourceRiff) {
            ContainerBlock* box = new ContainerBlock;
            new RangeCopyBlock(box, 0, range.offset, range.size);
            removed.blocks.push_back(replaceChild(topParent, topIndex, box));
        } else if (container == ChunkId::Riff && !sourceRiff) {
            // A fresh "data" header: the 8 bytes before the stream are not the source's to copy.
            ContainerBlock* box = new ContainerBlock;
            RiffListBlock* form = newWaveForm(box, stream.format);
            new RangeCopyBlock(form, ChunkId::Data, range.offset, range.size);
            removed.blocks.push_back(replaceChild(topParent, topIndex, box));
        }
    }

    if (!structure->write(&sourceFile, targetFile, progress) || targetFile.failed()) {
        // The failing part has reported; the partial output goes with the target's temporary file.
        throw GException();
    }
    endSource();
    commitTarget();
}
