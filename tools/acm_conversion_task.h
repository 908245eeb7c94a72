#pragma once
// A conversion through an ACM codec, or a re-wrap of the stream into another container without
// one, made by rewriting the parsed source's block tree and writing the whole tree.
#include "mm/acm_stream.h"
#include "tools/conversion_task.h"

// Strip flags: a set bit leaves those blocks out of the target.
enum : u32 {
    stripId3v1 = 1,
    stripId3v2 = 2,
    stripInfoLists = 4,
    stripUnknown = 8,
    stripOther = 16,
};

class AcmConversionTask : public ConversionTask {
public:
    // format null: re-wrap the stream as it is. The structure and stream, when given, are the
    // caller's and are not deleted.
    AcmConversionTask(const char* source, const char* target, u32 stripFlags, void* driverId,
                      const WAVEFORMATEX* format, FileStructure* structure = nullptr,
                      const SoundStreamInfo* stream = nullptr);
    ~AcmConversionTask() override;

    void run(GWindow* window, JobProgress* progress) override;

    u32 stripFlags;
    void* driverId;
    AcmFormatBytes format;  // empty: none
    // The target's container ("RIFF", "MP3 ", "OggS"); 0 follows the target format's tag.
    u32 container = 0;

private:
    FileStructure* structure;
    bool ownsStructure;
    SoundStreamInfo stream = {};
    bool streamGiven;
};

// Replaces every block the flags leave out, below root, by a placeholder; the blocks taken out are
// appended to removed (detached, the caller's to delete).
void stripBlocks(BlockBase* root, u32 flags, std::vector<BlockBase*>& removed);
// The container a format is written in: "MP3 ", "OggS" or "RIFF".
u32 containerOfTag(u16 tag);
