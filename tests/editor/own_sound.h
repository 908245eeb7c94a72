#pragma once
// An own-format sound file holding the 16-bit sample bytes of a WAVE file (made by sox).
#include <string>

#include "core/gfile.h"
#include "mm/ravo_file.h"
#include "mm/sound_format.h"
#include "tests/mm/sound_bytes.h"

inline bool writeOwnSound(const std::string& wave, u32 tracks, u32 rate, const std::string& path) {
    const std::string samples = fileSamples(wave);
    SoundFormat format;
    format.setPlain(tracks, rate, encodingInt16);
    SoundFormatBlock block;
    if (samples.empty() || !buildFormatBlock(&block, &format)) return false;
    RavoFormBlock root;
    buildRavoLayout(&root, block.format(), samples.size());
    root.dataBlock()->source.kind = dataSourceMemory;
    root.dataBlock()->source.memory = reinterpret_cast<const u8*>(samples.data());
    GFile out;
    if (!fileOpen(out, path.c_str(), FileMode::Write)) return false;
    const bool written = root.write(nullptr, out, nullptr);
    return fileClose(out) && written;
}
