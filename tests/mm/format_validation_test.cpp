#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "mm/format_validation.h"
#include "tests/mm/format_blocks.h"
#include "tests/support/test_support.h"
#include "tests/gui/box_recorder.h"

namespace {
// Text of the only box shown since the last clear, or "" when none was shown.
std::string onlyBoxShown() {
    std::vector<RecordedBox>& boxes = recordedBoxes();
    EXPECT_LE(boxes.size(), 1u);
    std::string text = boxes.empty() ? "" : boxes.back().text;
    boxes.clear();
    return text;
}

struct BlockCase {
    const char* what;
    u32 tracks;                                    // 0: a 16-bit stereo PCM block
    std::function<void(std::vector<u8>&)> change;
    u64 dataSize;
    const char* message;                           // "" when the block passes
};

void setLayers(std::vector<u8>& b, std::initializer_list<u32> layers) {
    u32 i = 0;
    for (u32 layer : layers) trackOf(b, i++)->layer = layer;
}
}  // namespace

TEST(ValidateFormatBlock, EachCheckAtItsBoundary) {
    auto pcm = [](std::vector<u8>& b) { return wave(b); };
    auto own = [](std::vector<u8>& b) { return header(b); };
    const BlockCase cases[] = {
        {"pcm ok", 0, nullptr, 0x80000000ull, ""},
        {"pcm one frame too big", 0, nullptr, 0x80000004ull, "Bad PCM sound block: Too big data size"},
        {"pcm 3 channels", 0, [&](auto& b) { pcm(b)->nChannels = 3; }, 0, "Bad PCM sound block: Wrong channel count: 3"},
        {"pcm 0 channels", 0, [&](auto& b) { pcm(b)->nChannels = 0; }, 0, "Bad PCM sound block: Wrong channel count: 0"},
        {"pcm 24 bits", 0, [&](auto& b) { pcm(b)->wBitsPerSample = 24; }, 0,
         "Bad PCM sound block: Wrong bits per sample value: 24"},
        {"pcm rate 0", 0, [&](auto& b) { pcm(b)->nSamplesPerSec = 0; }, 0,
         "Bad PCM sound block: Wrong samples per second value: 0"},
        {"pcm rate 1000000", 0, [&](auto& b) { setRate(pcm(b), 1000000); }, 0, ""},
        {"pcm rate 1000001", 0, [&](auto& b) { setRate(pcm(b), 1000001); }, 0,
         "Bad PCM sound block: Wrong samples per second value: 1000001"},
        {"pcm block align", 0, [&](auto& b) { pcm(b)->nBlockAlign = 2; }, 0,
         "Bad PCM sound block: Wrong block align value: 2"},
        {"pcm byte rate", 0, [&](auto& b) { pcm(b)->nAvgBytesPerSec += 1; }, 0,
         "Bad PCM sound block: Wrong average bytes per second value: 176401"},
        {"pcm unaligned data", 0, nullptr, 6, "Bad PCM sound block: Data size is not aligned"},
        {"8-bit mono pcm", 0, [&](auto& b) { *pcm(b) = pcmFormat(1, 8000, 8); }, 7, ""},

        {"own ok", 3, nullptr, 6 * 1000, ""},
        {"own 0 tracks", 3, [&](auto& b) { own(b)->nChannels = 0; }, 0, "Bad Ravo sound block: Wrong channel count: 0"},
        {"own 10001 tracks", 3, [&](auto& b) { own(b)->nChannels = 10001; }, 0,
         "Bad Ravo sound block: Wrong channel count: 10001"},
        {"own 10000 tracks", 3, [&](auto& b) { own(b)->nChannels = 10000; }, 0,
         "Bad Ravo sound block: Too many tracks: 10000 (at most 1023 can be stored)"},
        {"own 1024 tracks", 3, [&](auto& b) { own(b)->nChannels = 1024; }, 0,
         "Bad Ravo sound block: Too many tracks: 1024 (at most 1023 can be stored)"},
        {"own 1023 tracks", 1023, nullptr, 2046, ""},
        {"own 24 bits", 3, [&](auto& b) { own(b)->wBitsPerSample = 24; }, 0,
         "Bad Ravo sound block: Wrong bits per sample value: 24"},
        {"own rate 0", 3, [&](auto& b) { setRate(wave(b), 0); }, 0,
         "Bad Ravo sound block: Wrong samples per second value: 0"},
        {"own rate 1000000", 3, [&](auto& b) { setRate(wave(b), 1000000); }, 0, ""},
        {"own rate 1000001", 3, [&](auto& b) { setRate(wave(b), 1000001); }, 0,
         "Bad Ravo sound block: Wrong samples per second value: 1000001"},
        {"own block align", 3, [&](auto& b) { own(b)->nBlockAlign = 4; }, 0,
         "Bad Ravo sound block: Wrong block align value: 4"},
        {"own byte rate", 3, [&](auto& b) { own(b)->nAvgBytesPerSec = 7; }, 0,
         "Bad Ravo sound block: Wrong average bytes per second value: 7"},
        {"own cbSize 216", 3, [&](auto& b) { own(b)->cbSize = 216; }, 0, "Bad Ravo sound block: Wrong block size value: 216"},
        {"own largest data", 3, nullptr, 999999999996ull, ""},
        {"own one frame too big", 3, nullptr, 1000000000002ull, "Bad Ravo sound block: Too big data size"},
        {"own unaligned data", 3, nullptr, 8, "Bad Ravo sound block: Data size is not aligned"},
        {"own layers 1 1 0", 3, [](auto& b) { setLayers(b, {1, 1, 0}); }, 0, "Bad Ravo sound block: Wrong track Z-order"},
        {"own layer out of range", 3, [](auto& b) { setLayers(b, {0, 3, 1}); }, 0,
         "Bad Ravo sound block: Wrong track Z-order"},
        {"own layers permuted", 3, [](auto& b) { setLayers(b, {2, 0, 1}); }, 0, ""},
        {"own encoding 1", 3, [&](auto& b) { own(b)->encoding = 1; }, 0, "Bad Ravo sound block: Wrong encoding: 1"},
        {"own encoding 6", 3, [&](auto& b) { own(b)->encoding = 6; }, 0, "Bad Ravo sound block: Wrong encoding: 6"},
        {"own gain 0", 3, [&](auto& b) { own(b)->coef = 0.0; }, 0, ""},
        {"own gain -0.5", 3, [&](auto& b) { own(b)->coef = -0.5; }, 0, "Bad Ravo sound block: Wrong gain multiplier: -0.5"},

        {"mp3 unchecked", 0, [&](auto& b) { pcm(b)->wFormatTag = 0x55; pcm(b)->nChannels = 0; }, 5, ""},
        {"tag 0x11 unchecked", 3, [&](auto& b) { own(b)->wFormatTag = 0x11; own(b)->cbSize = 1; }, 5, ""},
    };
    recordedBoxes().clear();
    for (const BlockCase& c : cases) {
        std::vector<u8> block = c.tracks ? ownBlockBytes(c.tracks) : pcmBlockBytes(pcmFormat(2, 44100, 16));
        if (c.change) c.change(block);
        std::vector<u8> before = block;
        bool passed = validateFormatBlock(wave(block), nullptr, c.dataSize);
        EXPECT_EQ(passed, !*c.message) << c.what;
        EXPECT_EQ(onlyBoxShown(), c.message) << c.what;
        EXPECT_EQ(block, before) << c.what << ": the block was changed";
    }
}

TEST(ValidateFormatBlock, LayerCheckLeavesNoVisitedMarks) {
    std::vector<u8> block = ownBlockBytes(3);
    setLayers(block, {1, 1, 0});
    for (u32 i = 0; i < 3; ++i) trackOf(block, i)->flags = trackSelected;
    recordedBoxes().clear();
    EXPECT_FALSE(validateFormatBlock(wave(block), nullptr, 0));
    for (u32 i = 0; i < 3; ++i) EXPECT_EQ(trackOf(block, i)->flags, (u32)trackSelected) << i;
    recordedBoxes().clear();
}

TEST(ValidateSoundBlock, MissingPartsInOrderThenTheFormat) {
    std::vector<u8> bad = ownBlockBytes(3);
    header(bad)->encoding = 9;
    struct Case {
        u32 data, format, root;
        WAVEFORMATEX* block;
        const char* message;
    } cases[] = {
        {0, 0, 0, nullptr, "Bad sound block: Sound data not found"},
        {1, 0, 0, nullptr, "Bad sound block: Format information not found"},
        {1, 1, 0, nullptr, "Bad sound block: Root block not found"},
        {1, 1, 1, nullptr, ""},
        {1, 1, 1, wave(bad), "Bad Ravo sound block: Wrong encoding: 9"},
    };
    recordedBoxes().clear();
    for (const Case& c : cases) {
        SoundFileParts parts = {12, c.block, c.data, c.format, c.root};
        EXPECT_EQ(validateSoundBlock(&parts, nullptr), !*c.message) << c.message;
        EXPECT_EQ(onlyBoxShown(), c.message);
    }
}

// A refused own block is refused by both forms of the check, with the same message; a block that
// validates is also taken.
TEST(AssignFromWaveFormat, AgreesWithValidation) {
    struct Case {
        const char* what;
        std::function<void(std::vector<u8>&)> change;
        const char* message;
    } cases[] = {
        {"rate 1000000", [](auto& b) { setRate(wave(b), 1000000); }, ""},
        {"rate 1000001", [](auto& b) { setRate(wave(b), 1000001); },
         "Bad Ravo sound block: Wrong samples per second value: 1000001"},
        {"rate 0", [](auto& b) { setRate(wave(b), 0); }, "Bad Ravo sound block: Wrong samples per second value: 0"},
        {"1024 tracks", [](auto& b) { header(b)->nChannels = 1024; },
         "Bad Ravo sound block: Too many tracks: 1024 (at most 1023 can be stored)"},
        {"cbSize", [](auto& b) { header(b)->cbSize = 216; }, "Bad Ravo sound block: Wrong block size value: 216"},
        {"layers", [](auto& b) { setLayers(b, {1, 1, 0}); }, "Bad Ravo sound block: Wrong track Z-order"},
        {"encoding", [](auto& b) { header(b)->encoding = 6; }, "Bad Ravo sound block: Wrong encoding: 6"},
        {"gain", [](auto& b) { header(b)->coef = -0.5; }, "Bad Ravo sound block: Wrong gain multiplier: -0.5"},
    };
    recordedBoxes().clear();
    for (const Case& c : cases) {
        std::vector<u8> block = ownBlockBytes(3);
        c.change(block);
        SoundFormat f;
        f.setPlain(1, 8000, encodingDouble);
        bool taken = f.assignFromWaveFormat(wave(block));
        EXPECT_EQ(taken, !*c.message) << c.what;
        EXPECT_EQ(onlyBoxShown(), c.message) << c.what;
        EXPECT_EQ(validateFormatBlock(wave(block), nullptr, 0), taken) << c.what;
        EXPECT_EQ(onlyBoxShown(), c.message) << c.what;
        if (!taken) {
            EXPECT_EQ(f.trackCount(), 1u) << c.what << ": a refused block changed the format";
            EXPECT_EQ(f.sampleRate, 8000u);
            EXPECT_EQ(f.encoding, (u32)encodingDouble);
        }
    }
}

// Checks that only the reporting form makes: the format is rebuilt from the encoding and tracks. A
// stray visited mark in a stored track does not reach the format.
TEST(AssignFromWaveFormat, TakesTracksWithoutMarksOrSizes) {
    std::vector<u8> block = ownBlockBytes(3);
    trackOf(block, 1)->flags = trackSelected | trackVisited;
    header(block)->wBitsPerSample = 24;
    header(block)->nBlockAlign = 1;
    header(block)->nAvgBytesPerSec = 1;
    recordedBoxes().clear();
    SoundFormat f;
    ASSERT_TRUE(f.assignFromWaveFormat(wave(block)));
    EXPECT_TRUE(recordedBoxes().empty());
    EXPECT_EQ(f.bytesPerFrame, 6u);
    EXPECT_EQ(f.bytesPerSecond, 6u * 44100);
    EXPECT_EQ(f.tracks[1].flags, (u32)trackSelected);
}

TEST(ValidateFormatBlock, GainThatIsNotANumberIsRefused) {
    std::vector<u8> block = ownBlockBytes(2);
    header(block)->coef = std::nan("");
    recordedBoxes().clear();
    EXPECT_FALSE(validateFormatBlock(wave(block), nullptr, 0));
    SoundFormat f;
    EXPECT_FALSE(f.assignFromWaveFormat(wave(block)));
    ASSERT_EQ(recordedBoxes().size(), 2u);
    for (const RecordedBox& box : recordedBoxes())
        EXPECT_EQ(box.text.rfind("Bad Ravo sound block: Wrong gain multiplier: ", 0), 0u) << box.text;
    recordedBoxes().clear();
}
