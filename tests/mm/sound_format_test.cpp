#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "mm/sound_format.h"
#include "tests/mm/format_blocks.h"
#include "tests/support/test_support.h"

namespace {
std::vector<u8> bytesOf(const SoundFormatBlock& b) { return std::vector<u8>(b.data, b.data + b.blockBytes()); }

std::vector<u32> selectedTracks(const SoundFormat& f) {
    std::vector<u32> out;
    for (u32 i = 0; i < f.trackCount(); ++i) {
        EXPECT_EQ(f.selectionMask[i], (f.tracks[i].flags & trackSelected) ? 1 : 0) << "mask of track " << i;
        if (f.tracks[i].flags & trackSelected) out.push_back(i);
    }
    return out;
}

void setLayers(SoundFormat& f, std::initializer_list<u32> layers) {
    u32 i = 0;
    for (u32 layer : layers) f.tracks[i++].layer = layer;
}

// A sound whose tracks differ in every field: colours, texts, coefficients, reversed layers and
// every third track unselected.
SoundFormat variedSound(u32 tracks) {
    SoundFormat f;
    f.setPlain(tracks, 44100, encodingFloat);
    f.gain = 0.75;
    for (u32 i = 0; i < tracks; ++i) {
        TrackRecord& t = f.tracks[i];
        t.color = 0x00102030 + i;
        t.flags = i % 3 == 2 ? 0u : (u32)trackSelected;
        t.layer = tracks - 1 - i;
        t.coef[0] = 0.5 + i;
        t.coef[1] = -0.25 * i;
        snprintf(t.info, sizeof t.info, "track number %u", i);
    }
    f.rebuildSelectionMask();
    return f;
}
}  // namespace

TEST(SoundFormat, PlainFormatHasNamedTracks) {
    SoundFormat f;
    f.setPlain(2, 44100, encodingDouble);
    EXPECT_EQ(f.defined, 1);
    EXPECT_EQ(f.flags, (u32)formatOwn);
    EXPECT_EQ(f.bytesPerFrame, 16u);
    EXPECT_EQ(f.bytesPerSecond, 705600u);
    EXPECT_EQ(f.gain, 1.0);
    ASSERT_EQ(f.trackCount(), 2u);
    EXPECT_STREQ(f.tracks[0].info, "Left");
    EXPECT_STREQ(f.tracks[1].info, "Right");
    EXPECT_EQ(f.tracks[0].coef[0], 1.0);
    EXPECT_EQ(f.tracks[0].coef[1], 0.0);
    EXPECT_EQ(f.tracks[1].coef[0], 0.0);
    EXPECT_EQ(f.tracks[1].coef[1], 1.0);
    EXPECT_EQ(selectedTracks(f), (std::vector<u32>{0, 1}));

    f.setPlain(1, 8000, encodingInt32);
    EXPECT_STREQ(f.tracks[0].info, "Mono");
    EXPECT_EQ(f.bytesPerFrame, 4u);

    f.setPlain(3, 8000, encodingInt16);
    for (u32 i = 0; i < 3; ++i) {
        EXPECT_EQ(f.tracks[i].color, 0xFFFFFFFFu);
        EXPECT_EQ(f.tracks[i].layer, i);
        EXPECT_EQ(f.tracks[i].coef[0], 1.0);
        EXPECT_EQ(f.tracks[i].coef[1], 1.0);
        EXPECT_STREQ(f.tracks[i].info, "");
    }
}

// The exact bytes of a two-track block, its header and first track record.
TEST(FormatBlock, OwnBlockLayout) {
    SoundFormat f;
    f.setPlain(2, 44100, encodingFloat);
    f.gain = 0.75;
    SoundFormatBlock block;
    ASSERT_TRUE(buildFormatBlock(&block, &f));
    const u8 expected[] = {
        0x0D, 0xBA, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00,  // tag, tracks, rate
        0x20, 0x62, 0x05, 0x00, 0x08, 0x00, 0x20, 0x00,  // byte rate, block align, bits
        0x96, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // cbSize 150, reserved
        0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // encoding, reserved
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE8, 0x3F,  // gain 0.75
        0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00,  // colour, flags
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // layer, reserved
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F,  // left 1.0
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // right 0.0
        'L', 'e', 'f', 't', 0,
    };
    std::vector<u8> bytes = bytesOf(block);
    ASSERT_EQ(bytes.size(), 2u * 64 + 40);
    EXPECT_EQ(std::vector<u8>(bytes.begin(), bytes.begin() + sizeof expected),
              std::vector<u8>(expected, expected + sizeof expected));
    EXPECT_EQ(std::vector<u8>(bytes.begin() + sizeof expected, bytes.begin() + 104), std::vector<u8>(104 - sizeof expected));
    EXPECT_EQ(memcmp(bytes.data() + 104, &f.tracks[1], 64), 0);
}

TEST(FormatBlock, RoundTripsByteExact) {
    for (u32 tracks : {1u, 2u, 1023u}) {
        SoundFormat f = variedSound(tracks);
        SoundFormatBlock first;
        ASSERT_TRUE(buildFormatBlock(&first, &f));
        std::vector<u8> bytes = bytesOf(first);
        ASSERT_EQ(bytes.size(), tracks * 64 + 40) << tracks;
        EXPECT_EQ(header(bytes)->cbSize, tracks * 64 + 22) << tracks;
        EXPECT_EQ(header(bytes)->nBlockAlign, tracks * 4) << tracks;

        recordedBoxes().clear();
        SoundFormat read;
        ASSERT_TRUE(read.assignFromWaveFormat(wave(bytes))) << tracks;
        EXPECT_TRUE(recordedBoxes().empty());
        EXPECT_EQ(read.flags, (u32)formatOwn);
        EXPECT_EQ(read.gain, 0.75);
        EXPECT_EQ(read.bytesPerFrame, tracks * 4);
        EXPECT_EQ(selectedTracks(read), selectedTracks(f));
        SoundFormatBlock second;
        ASSERT_TRUE(buildFormatBlock(&second, &read));
        EXPECT_EQ(bytesOf(second), bytes) << tracks;
    }
}

TEST(FormatBlock, MoreTracksThanCanBeStoredAreRefused) {
    SoundFormat f;
    f.setPlain(1024, 44100, encodingDouble);
    SoundFormatBlock block;
    SoundFormatBlock::allocate(&block, 100);
    recordedBoxes().clear();
    EXPECT_FALSE(buildFormatBlock(&block, &f));
    EXPECT_EQ(block.data, nullptr);
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].text, "A Ravo sound can hold at most 1023 tracks; 1024 tracks cannot be stored");
    recordedBoxes().clear();
    EXPECT_TRUE(checkStoredTrackCount(1023, nullptr));
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST(FormatBlock, PcmComesInAsItsWidthAndGoesOutAs16Bits) {
    std::vector<u8> in = pcmBlockBytes(pcmFormat(2, 22050, 8));
    SoundFormat f;
    ASSERT_TRUE(f.assignFromWaveFormat(wave(in)));
    EXPECT_EQ(f.encoding, (u32)encodingPcm8);
    EXPECT_EQ(f.bytesPerFrame, 2u);
    EXPECT_EQ(f.flags, (u32)formatPcm);
    EXPECT_EQ(f.trackCount(), 2u);

    SoundFormatBlock out;
    ASSERT_TRUE(buildFormatBlock(&out, &f));
    EXPECT_EQ(bytesOf(out), pcmBlockBytes(pcmFormat(2, 22050, 16)));

    std::vector<u8> in16 = pcmBlockBytes(pcmFormat(1, 8000, 16));
    ASSERT_TRUE(f.assignFromWaveFormat(wave(in16)));
    EXPECT_EQ(f.encoding, (u32)encodingInt16);
    EXPECT_EQ(f.bytesPerFrame, 2u);
}

TEST(FormatBlock, NullAndForeignBlocks) {
    SoundFormat f;
    f.setPlain(2, 44100, encodingInt16);
    ASSERT_TRUE(f.assignFromWaveFormat(nullptr));
    EXPECT_EQ(f.defined, 0);
    EXPECT_EQ(f.gain, 0.0);
    EXPECT_EQ(f.encoding + f.sampleRate + f.bytesPerSecond + f.flags, 0u);
    EXPECT_EQ(f.bytesPerFrame, 1u);
    EXPECT_EQ(f.trackCount(), 0u);

    WAVEFORMATEX foreign = pcmFormat(2, 48000, 0);
    foreign.wFormatTag = 0x11;
    foreign.nAvgBytesPerSec = 24000;
    f.setPlain(2, 44100, encodingInt16);
    ASSERT_TRUE(f.assignFromWaveFormat(&foreign));
    EXPECT_EQ(f.defined, 1);
    EXPECT_EQ(f.encoding, (u32)encodingCompressed);
    EXPECT_EQ(f.sampleRate, 48000u);
    EXPECT_EQ(f.bytesPerSecond, 24000u);
    EXPECT_EQ(f.bytesPerFrame, 1u);
    EXPECT_EQ(f.flags, 0u);
    EXPECT_EQ(f.trackCount(), 0u);
}

TEST(FormatBlock, AllocateZeroesAndKeepsLargerBuffers) {
    SoundFormatBlock b;
    SoundFormatBlock::allocate(&b, 4);
    EXPECT_EQ(b.capacity, 18u);
    EXPECT_EQ(b.blockBytes(), 18u);
    SoundFormatBlock::allocate(&b, 200);
    u8* buffer = b.data;
    memset(b.data, 0xAB, 200);
    SoundFormatBlock::allocate(&b, 100);
    EXPECT_EQ(b.data, buffer);
    EXPECT_EQ(b.capacity, 200u);
    EXPECT_EQ(b.format()->cbSize, 82);
    EXPECT_EQ(b.data[2], 0);
    EXPECT_EQ(b.data[99], 0);
    EXPECT_EQ(b.data[100], 0xAB);
}

TEST(FormatBlock, EncodingOf) {
    std::vector<u8> own = ownBlockBytes(2, encodingInt32);
    WAVEFORMATEX mp3 = pcmFormat(2, 44100, 0);
    mp3.wFormatTag = 0x55;
    WAVEFORMATEX pcm8 = pcmFormat(1, 8000, 8), pcm16 = pcmFormat(1, 8000, 16);
    EXPECT_EQ(encodingOf(wave(own)), (u32)encodingInt32);
    EXPECT_EQ(encodingOf(&pcm8), (u32)encodingPcm8);
    EXPECT_EQ(encodingOf(&pcm16), (u32)encodingInt16);
    EXPECT_EQ(encodingOf(&mp3), (u32)encodingCompressed);
    header(own)->cbSize = 0;  // too short to hold an encoding
    EXPECT_EQ(encodingOf(wave(own)), (u32)encodingCompressed);
}

TEST(SoundFormat, PlaybackFormat) {
    SoundFormat own;
    own.setPlain(5, 32000, encodingDouble);
    WAVEFORMATEX w;
    own.playbackFormat(&w);
    EXPECT_EQ(pcmBlockBytes(w), pcmBlockBytes(pcmFormat(2, 32000, 16)));
    SoundFormat pcm;
    pcm.setPcm(1, 11025, encodingPcm8);
    pcm.playbackFormat(&w);
    EXPECT_EQ(pcmBlockBytes(w), pcmBlockBytes(pcmFormat(1, 11025, 16)));
}

TEST(SoundFormat, CopiesAreDeep) {
    SoundFormat a = variedSound(4);
    a.buildMixMatrix();
    SoundFormat b(a);
    EXPECT_EQ(b.mixMatrix, nullptr);
    ASSERT_EQ(b.trackCount(), 4u);
    EXPECT_NE(b.tracks.data, a.tracks.data);
    EXPECT_NE(b.selectionMask, a.selectionMask);
    EXPECT_EQ(memcmp(b.tracks.data, a.tracks.data, 4 * 64), 0);
    b.selectAllTracks();
    EXPECT_EQ(a.selectedTrackCount(), 3);
    EXPECT_EQ(b.selectedTrackCount(), 4);
    a = b;
    EXPECT_EQ(a.selectedTrackCount(), 4);
    a = a;
    EXPECT_EQ(a.trackCount(), 4u);
}

TEST(SoundFormat, CopyToKeepsSelectedTracksInLayerOrder) {
    SoundFormat source;
    source.setPlain(4, 48000, encodingInt16);
    setLayers(source, {3, 0, 2, 1});
    source.tracks[3].flags = 0;
    source.rebuildSelectionMask();
    SoundFormat part;
    SoundFormat::copyTo(&source, &part);
    ASSERT_EQ(part.trackCount(), 3u);
    EXPECT_EQ(std::vector<i32>(part.trackOrder, part.trackOrder + 3), (std::vector<i32>{1, 2, 0}));
    for (u32 k = 0; k < 3; ++k) {
        EXPECT_EQ(part.tracks[k].layer, k);
        EXPECT_EQ(part.tracks[k].color, source.tracks[part.trackOrder[k]].color);
    }
    EXPECT_EQ(part.bytesPerFrame, 6u);
    EXPECT_EQ(part.bytesPerSecond, 6u * 48000);
    EXPECT_EQ(part.selectedTrackCount(), 3);
    EXPECT_FALSE(part.hasPermutedLayers());
    EXPECT_TRUE(source.hasPermutedLayers());

    source.selectAllTracks();
    setLayers(source, {0, 1, 2, 3});
    ASSERT_TRUE(source.isIdentitySelection());
    SoundFormat::copyTo(&source, &part);
    ASSERT_EQ(part.trackCount(), 4u);
    EXPECT_EQ(std::vector<i32>(part.trackOrder, part.trackOrder + 4), (std::vector<i32>{0, 1, 2, 3}));
    EXPECT_EQ(part.bytesPerFrame, 8u);

    SoundFormat::copyTo(&part, &part);
    EXPECT_EQ(part.trackCount(), 4u);
}

TEST(SoundFormat, NextAndPreviousTrackFollowTheLayers) {
    struct Case {
        std::vector<u32> selected;
        bool next;
        std::vector<u32> expected;
    } cases[] = {
        {{0}, true, {1}},      // layer 2 wraps to layer 0
        {{1}, false, {0}},     // layer 0 wraps to layer 2
        {{1}, true, {2}},
        {{2}, false, {1}},
        {{}, true, {1}},       // nothing selected: the first layer
        {{}, false, {0}},      // nothing selected: the last layer
        {{0, 2}, true, {0}},   // the last selected track (layer 1) leads forward
        {{0, 2}, false, {2}},  // the first selected track (layer 2) leads back
    };
    for (const Case& c : cases) {
        SoundFormat f;
        f.setPlain(3, 44100, encodingInt16);
        setLayers(f, {2, 0, 1});
        for (u32 i = 0; i < 3; ++i) f.tracks[i].flags = 0;
        for (u32 i : c.selected) f.tracks[i].flags = trackSelected;
        if (c.next)
            f.selectNextTrack();
        else
            f.selectPreviousTrack();
        EXPECT_EQ(selectedTracks(f), c.expected) << (c.next ? "next" : "previous") << " from " << c.selected.size();
    }
    SoundFormat f;
    f.setPlain(3, 44100, encodingInt16);
    f.selectOnlyTrack(2);
    EXPECT_EQ(selectedTracks(f), (std::vector<u32>{2}));
    EXPECT_EQ(f.selectedTrackCount(), 1);
    EXPECT_FALSE(f.isIdentitySelection());
}

TEST(MixTracks, ClipsBeyondFullScaleAndTruncates) {
    struct Case {
        f64 left, right;  // the two track samples
        i16 outLeft, outRight;
        bool clipped;
    } cases[] = {
        {-32767.0, 32767.0, -32767, 32767, false},
        {-32767.5, 32767.5, -32767, 32767, true},
        {2.75, -2.75, 2, -2, false},
        {-40000.0, 0.0, -32767, 0, true},
    };
    for (u32 encoding : {encodingFloat, encodingDouble}) {
        for (const Case& c : cases) {
            SoundFormat f;
            f.setPlain(2, 44100, encoding);
            u16 out[2] = {};
            bool clipped = false;
            if (encoding == encodingFloat) {
                f32 in[2] = {(f32)c.left, (f32)c.right};
                mixTracks(&f, out, sizeof out, 2, in, &clipped);
            } else {
                f64 in[2] = {c.left, c.right};
                mixTracks(&f, out, sizeof out, 2, in, &clipped);
            }
            EXPECT_EQ((i16)out[0], c.outLeft) << encoding << " " << c.left;
            EXPECT_EQ((i16)out[1], c.outRight) << encoding << " " << c.right;
            EXPECT_EQ(clipped, c.clipped) << encoding << " " << c.left;
        }
    }
}

// Tracks added after a mix: the sizes follow the new count and the next mix weighs every track.
TEST(MixTracks, FollowsChangedTracks) {
    SoundFormat f;
    f.setPlain(1, 8000, encodingInt16);
    i16 one[1] = {10};
    u16 out[2];
    mixTracks(&f, out, sizeof out, 2, one, nullptr);
    EXPECT_EQ((i16)out[0], 10);

    TrackRecord* added = f.tracks.append(2);
    for (u32 i = 0; i < 2; ++i) added[i] = f.tracks[0];
    f.recomputeSizes();
    EXPECT_EQ(f.flags, (u32)(formatOwn | formatTracksChanged));
    EXPECT_EQ(f.bytesPerFrame, 6u);
    EXPECT_EQ(f.bytesPerSecond, 48000u);
    EXPECT_EQ(f.selectedTrackCount(), 3);
    i16 three[3] = {10, 20, 30};
    mixTracks(&f, out, sizeof out, 2, three, nullptr);
    EXPECT_EQ((i16)out[0], 60);
    EXPECT_EQ((i16)out[1], 60);
}

// Three tracks, the third unselected, with coefficients and gain; every input encoding.
TEST(MixTracks, WeighsSelectedTracksFramesAtATime) {
    const f64 samples[2][3] = {{100, -200, 30000}, {1000, 3000, -7}};
    for (u32 encoding : {encodingInt16, encodingInt32, encodingFloat, encodingDouble}) {
        SoundFormat f;
        f.setPlain(3, 44100, encoding);
        f.gain = 0.5;
        f.tracks[0].coef[1] = 0.25;
        f.tracks[1].coef[0] = 0.5;
        f.tracks[2].flags = 0;
        f.rebuildSelectionMask();
        std::vector<u8> in(2 * 3 * bytesPerSampleOf(encoding));
        for (u32 i = 0; i < 6; ++i) {
            f64 v = samples[i / 3][i % 3];
            switch (encoding) {
            case encodingInt16: reinterpret_cast<i16*>(in.data())[i] = (i16)v; break;
            case encodingInt32: reinterpret_cast<i32*>(in.data())[i] = (i32)v; break;
            case encodingFloat: reinterpret_cast<f32*>(in.data())[i] = (f32)v; break;
            default: reinterpret_cast<f64*>(in.data())[i] = v; break;
            }
        }
        u16 out[4] = {};
        bool clipped = true;
        mixTracks(&f, out, sizeof out, 2, in.data(), &clipped);
        const i16 expected[4] = {0, -87, 1250, 1625};  // (100 - 100) / 2, (25 - 200) / 2, ...
        for (u32 i = 0; i < 4; ++i) EXPECT_EQ((i16)out[i], expected[i]) << encoding << " sample " << i;
        EXPECT_TRUE(clipped) << "the flag is never cleared";
    }
}

TEST(FormatName, ByTagWithRateBitsAndChannels) {
    std::vector<u8> ownFloat = ownBlockBytes(3, encodingFloat, 48000);
    std::vector<u8> ownInt = ownBlockBytes(1, encodingInt32, 8000);
    std::vector<u8> ownWide = ownBlockBytes(100, encodingDouble, 1000000);
    WAVEFORMATEX ogg = pcmFormat(2, 44100, 0);
    ogg.wFormatTag = 0x6771;
    ogg.nAvgBytesPerSec = 16000;
    WAVEFORMATEX pcm = pcmFormat(2, 44100, 16);
    WAVEFORMATEX unknown = pcmFormat(6, 22050, 1);
    unknown.wFormatTag = 0x11;
    unknown.nAvgBytesPerSec = 0;
    struct Case {
        const WAVEFORMATEX* block;
        const char* name;
        bool known;
    } cases[] = {
        {&pcm, "PCM; 44.1 kHz; 1411.2 kbit/s; 16 bits; Stereo", true},
        {wave(ownFloat), "Ravo; Float; 48 kHz; 4608 kbit/s; 32 bits; 3 channels", true},
        {wave(ownInt), "Ravo; Integer; 8 kHz; 256 kbit/s; 32 bits; Mono", true},
        {&ogg, "Ogg; mode 3+; 44.1 kHz; 128 kbit/s; Stereo", true},
        {&unknown, "Tag 17; 22.05 kHz; 6 channels", false},
        // A byte rate whose bit count passes 32 bits.
        {wave(ownWide), "Ravo; Float; 1000 kHz; 6.4e+06 kbit/s; 64 bits; 100 channels", true},
    };
    for (const Case& c : cases) {
        GString name;
        EXPECT_EQ(formatName(&name, c.block), c.known) << c.name;
        EXPECT_STREQ(name.c_str(), c.name);
    }
}

TEST(FormatFields, TablesByTag) {
    // The block holds 18 + cbSize bytes; "extra" shows what lies past the members of the structure.
    struct Case {
        u16 tag;
        u16 cbSize;
        u32 fields;
        const char* last;
        u64 lastSize;
    } cases[] = {
        {1, 342, 7, "cbSize", 2},         {0x55, 342, 13, "extra", 330},   {0x55, 12, 13, "extra", 0},
        {0x55, 0, 13, "extra", 0},        {0x50, 342, 16, "extra", 320},   {0x6750, 342, 10, "extra", 334},
        {0xFFFE, 22, 11, "extra", 0},     {0xFFFE, 30, 11, "extra", 8},    {0xBA0D, 342, 13, "track", 5 * 64},
        // The tracks the block holds, whole: none in a bare 40-byte block, one of five in 104 bytes.
        {0xBA0D, 22, 13, "track", 0},     {0xBA0D, 86, 13, "track", 64},   {0xBA0D, 149, 13, "track", 64},
    };
    for (const Case& c : cases) {
        std::vector<u8> block = ownBlockBytes(5);
        header(block)->wFormatTag = c.tag;
        wave(block)->cbSize = c.cbSize;
        FormatFieldList list = formatBlockFields(wave(block));
        u32 n = 0;
        while (list.fields[n].name) ++n;
        EXPECT_EQ(n, c.fields) << c.tag;
        EXPECT_STREQ(list.fields[n - 1].name, c.last) << c.tag;
        EXPECT_EQ(list.fields[n - 1].size, c.lastSize) << c.tag << " " << c.cbSize;
        EXPECT_STREQ(list.fields[6].name, "cbSize") << c.tag;
        for (u32 i = 1; i < n; ++i)
            EXPECT_EQ(list.fields[i].offset, list.fields[i - 1].offset + list.fields[i - 1].size) << c.tag << " " << i;
    }
    // A track count far beyond what the block holds reads no further than the block.
    std::vector<u8> claimed = ownBlockBytes(5);
    wave(claimed)->nChannels = 1000;
    wave(claimed)->cbSize = 22;
    EXPECT_EQ(formatBlockFields(wave(claimed)).fields[12].size, 0u);
    std::vector<u8> own = ownBlockBytes(5);
    FormatFieldList list = formatBlockFields(wave(own));
    const FieldDescriptor& track = list.fields[12];
    EXPECT_EQ(track.type, FieldType::Array);
    EXPECT_EQ(track.size, 5u * 64);
    ASSERT_NE(track.sub, nullptr);
    EXPECT_EQ(track.sub->size, 64u);
    const char* names[] = {"color", "flags", "layer", "reserved", "coef", "info"};
    u64 end = 0;
    for (u32 i = 0; i < 6; ++i) {
        EXPECT_STREQ(track.sub->sub[i].name, names[i]);
        end = track.sub->sub[i].offset + track.sub->sub[i].size;
    }
    EXPECT_EQ(end, 64u);
    EXPECT_EQ(track.sub->sub[6].name, nullptr);
}
