// The MPEG stream block: the format built from a frame header (a table over layers, versions, rates
// and the reserved values, strict and lenient) and the frame search by the name's layer within its
// window of whole pieces.
#include <gtest/gtest.h>

#include "tests/tools/analyzer_bytes.h"
#include "tools/mpeg_block.h"

namespace {
struct FormatCase {
    const char* what;
    std::string header;
    bool ok;
    u16 tag, channels;
    u32 rate, bytesPerSecond;
    u16 blockAlign, frameLength;  // frameLength: nBlockSize of layer III
    u16 layerOrMode, flags;       // layer I/II: fwHeadLayer, fwHeadFlags
};
}  // namespace

TEST(Mp3Source, FormatFromTheFrameHeader) {
    const FormatCase cases[] = {
        {"layer III 128k 44100 joint", bytesOf({0xFF, 0xFB, 0x90, 0x64}), true, 0x55, 2, 44100, 16000, 1, 417, 0, 0},
        {"48000 Hz: align is the frame", bytesOf({0xFF, 0xFB, 0x94, 0x64}), true, 0x55, 2, 48000, 16000, 384, 384, 0, 0},
        {"padding, single channel", bytesOf({0xFF, 0xFB, 0x92, 0xC4}), true, 0x55, 1, 44100, 16000, 1, 418, 0, 0},
        {"MPEG-2 halves the rate", bytesOf({0xFF, 0xF3, 0x90, 0x64}), true, 0x55, 2, 22050, 10000, 522, 522, 0, 0},
        {"MPEG-2.5 quarters it", bytesOf({0xFF, 0xE3, 0x90, 0x64}), true, 0x55, 2, 11025, 10000, 1044, 1044, 0, 0},
        {"layer II, copyright, original", bytesOf({0xFF, 0xFD, 0x80, 0x0C}), true, 0x50, 2, 44100, 16000, 1, 0, 2, 30},
        {"layer I, private bit", bytesOf({0xFF, 0xFF, 0x91, 0x00}), true, 0x50, 2, 44100, 36000, 1, 0, 1, 25},
        {"reserved layer", bytesOf({0xFF, 0xF9, 0x90, 0x64}), false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"reserved version", bytesOf({0xFF, 0xEB, 0x90, 0x64}), false, 0x55, 2, 0, 0, 0, 0, 0, 0},
        {"reserved rate", bytesOf({0xFF, 0xFB, 0x9C, 0x64}), false, 0x55, 2, 0, 0, 0, 0, 0, 0},
        {"free format", bytesOf({0xFF, 0xFB, 0x00, 0x64}), false, 0x55, 2, 44100, 0, 0, 0, 0, 0},
        {"bit rate 15", bytesOf({0xFF, 0xFB, 0xF0, 0x64}), false, 0x55, 2, 44100, 0, 0, 0, 0, 0},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool strict : {true, false}) {
            RecordingHandler handler;
            GFile file(&handler);
            u32 header;
            memcpy(&header, c.header.data(), 4);
            Mp3Source block(nullptr, header);
            EXPECT_EQ(block.buildWaveFormat(file, strict), c.ok);
            EXPECT_EQ(handler.reports.size(), strict && !c.ok ? 1u : 0u);
            const WAVEFORMATEX* f = block.format();
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(f->wFormatTag, c.tag);
            if (c.tag == 0) {
                EXPECT_EQ(block.formatLength(), 18u);
                continue;
            }
            EXPECT_EQ(block.formatLength(), c.tag == 0x55 ? 30u : 40u);
            EXPECT_EQ(f->nChannels, c.channels);
            EXPECT_EQ(f->nSamplesPerSec, c.rate);
            if (!c.ok) continue;
            EXPECT_EQ(f->nAvgBytesPerSec, c.bytesPerSecond);
            EXPECT_EQ(f->nBlockAlign, c.blockAlign);
            EXPECT_EQ(f->wBitsPerSample, 0);
            if (c.tag == 0x55) {
                const MPEGLAYER3WAVEFORMAT* m = reinterpret_cast<const MPEGLAYER3WAVEFORMAT*>(f);
                EXPECT_EQ(f->cbSize, 12);
                EXPECT_EQ(m->wID, 1);
                EXPECT_EQ(m->fdwFlags, 4u);
                EXPECT_EQ(m->nBlockSize, c.frameLength);
                EXPECT_EQ(m->nFramesPerBlock, 1);
            } else {
                const MPEG1WAVEFORMAT* m = reinterpret_cast<const MPEG1WAVEFORMAT*>(f);
                EXPECT_EQ(f->cbSize, 22);
                EXPECT_EQ(m->fwHeadLayer, c.layerOrMode);
                EXPECT_EQ(m->dwHeadBitrate, c.bytesPerSecond * 8);
                EXPECT_EQ(m->fwHeadFlags, c.flags);
            }
        }
    }
}

TEST(Mp3Source, JointStereoModeExtension) {
    GFile file;
    Mp3Source block(nullptr, 0x6480FDFF);  // FF FD 80 64: layer II, joint stereo, extension 2
    ASSERT_TRUE(block.buildWaveFormat(file, false));
    const MPEG1WAVEFORMAT* m = reinterpret_cast<const MPEG1WAVEFORMAT*>(block.format());
    EXPECT_EQ(m->fwHeadMode, 2);
    EXPECT_EQ(m->fwHeadModeExt, 4);
}

TEST(Mp3Source, FrameSearchByTheNamesLayer) {
    const std::string layer3 = bytesOf({0xFF, 0xFB, 0x90, 0x64});
    const std::string layer2 = bytesOf({0xFF, 0xFD, 0x80, 0x0C});
    struct Case {
        const char* name;
        std::string bytes;
        u64 from;
        bool found;
        u64 at;
        size_t reports;
    } cases[] = {
        {"a.mp3", std::string(100, 'x') + layer3 + std::string(8000, 0), 0, true, 100, 0},
        {"a.mp3", std::string(100, 'x') + layer3 + std::string(8000, 0), 50, true, 100, 0},
        {"a.mp2", std::string(100, 'x') + layer3 + std::string(8000, 0), 0, false, 0, 1},
        {"a.mp2", std::string(5000, 'x') + layer2 + std::string(8000, 0), 0, true, 5000, 0},
        {"a.wav", std::string(100, 'x') + layer3 + std::string(8000, 0), 0, false, 0, 0},
        // A frame across two pieces.
        {"a.mp3", std::string(4094, 'x') + layer3 + std::string(8000, 0), 0, true, 4094, 0},
        // Version bits 01, bit rate 15 and rate 3 are no frames.
        {"a.mp3", bytesOf({0xFF, 0xEB, 0x90, 0x64}) + bytesOf({0xFF, 0xFB, 0xF0, 0x64}) +
                      bytesOf({0xFF, 0xFB, 0x9C, 0x64}) + std::string(8000, 0), 0, false, 0, 1},
        // Nothing within the window, though a frame follows.
        {"a.mp3", std::string(102400, 'x') + layer3 + std::string(8000, 0), 0, false, 0, 0},
        // Fewer than a whole piece left (here and above, past the frames looked at): the read falls
        // short, the file reports it and the search ends.
        {"a.mp3", std::string(100, 'x') + layer3 + std::string(1000, 0), 0, false, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.bytes.size()));
        TempDir dir;
        dir.write(c.name, c.bytes);
        RecordingHandler handler;
        GFile file(&handler);
        ASSERT_TRUE(fileOpen(file, dir.file(c.name).c_str(), FileMode::Read));
        u64 position = c.from;
        u32 header = 0;
        EXPECT_EQ(findMp3FrameSync(file, position, header), c.found);
        EXPECT_EQ(handler.reports.size(), c.reports);
        if (c.found) {
            EXPECT_EQ(position, c.at);
            EXPECT_EQ(0, memcmp(&header, c.bytes.data() + c.at, 4));
        }
    }
}
