// Files written from a sound: the fragment of the selected tracks, the file rewritten with a new
// track layout, and the 16-bit stereo mixdown.
#include <windows.h>
#include <mmsystem.h>

#include <cmath>

#include "tests/engine/engine_fixture.h"
#include "engine/file_requests.h"
#include "mm/ravo_file.h"
#include "mm/sound_file.h"
#include "mm/wave_device.h"
#include "tests/gui/box_recorder.h"

namespace {

// Selects the tracks of the mask in the format's records and its mask.
void selectTracks(SoundFormat& format, const std::vector<u8>& mask) {
    for (u32 t = 0; t < format.trackCount(); ++t) {
        if (mask[t]) format.tracks[t].flags |= trackSelected;
        else format.tracks[t].flags &= ~trackSelected;
    }
    format.rebuildSelectionMask();
}

// A sound file as read back: its format and its samples.
struct ReadBack {
    bool ok = false;
    bool wave = false;
    SoundFormat format;
    std::vector<f64> samples;
};

ReadBack readSoundFile(const std::string& name) {
    ReadBack r;
    RecordingHandler handler;
    GFile file(&handler);
    if (!fileOpen(file, name.c_str(), FileMode::Read)) return r;
    SoundFileLayout layout;
    if (!readSoundFileLayout(file, &layout) || !layout.parts.format) return r;
    r.wave = layout.parts.format->wFormatTag == pcmFormatTag;
    r.format.assignFromWaveFormat(layout.parts.format);
    std::vector<u8> data((size_t)layout.parts.dataSize);
    if (!fileSeek(file, (i64)layout.dataOffset, SEEK_SET)) return r;
    if (data.size() && !fileRead(file, data.data(), (u32)data.size())) return r;
    r.samples = sampleValues(r.format.encoding, data);
    r.ok = true;
    return r;
}

// A progress object through which a test breaks the file an operation writes: the first report marks
// the file failed, as a failed write would.
class FailingFileProgress : public JobProgress {
public:
    explicit FailingFileProgress(GFile* file) : file(file) {}
    bool report(u64 done, const char* text) override {
        if (file->isOpen() && !file->failed()) reportFileError(*file, "write failed", nullptr, 0);
        return JobProgress::report(done, text);
    }
    GFile* file;
};
}  // namespace

TEST(SaveFragment, WritesTheSelectedTracksInLayerOrderAsWaveOrOwnFile) {
    struct Case {
        const char* name;
        u32 encoding;
        bool pcm;
        u32 channels;
        std::vector<u8> mask;
        std::vector<u32> layers;  // empty: natural order
        std::vector<f64> expected;
    };
    // Frames 1 and 2 of four; sample values frame * 10 + track.
    const Case cases[] = {
        {"PCM stereo, both tracks", encodingInt16, true, 2, {1, 1}, {}, {10, 11, 20, 21}},
        {"own int16, tracks 0 and 2 of three", encodingInt16, false, 3, {1, 0, 1}, {}, {10, 12, 20, 22}},
        {"own int32, track 1 of three", encodingInt32, false, 3, {0, 1, 0}, {}, {11, 21}},
        {"own float, layers reversed", encodingFloat, false, 3, {1, 1, 1}, {2, 1, 0}, {12, 11, 10, 22, 21, 20}},
        {"own double, both tracks", encodingDouble, false, 2, {1, 1}, {}, {10, 11, 20, 21}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<f64> samples;
        for (u32 f = 0; f < 4; ++f)
            for (u32 t = 0; t < c.channels; ++t) samples.push_back(f * 10.0 + t);
        TestSound sound(c.encoding, c.channels, samples);
        if (c.pcm) sound.format.flags = formatPcm;
        for (u32 t = 0; t < c.layers.size(); ++t) sound.format.tracks[t].layer = c.layers[t];
        selectTracks(sound.format, c.mask);
        auto p = bindProcessor(sound, 1, 3);
        const std::string target = sound.dir.file("fragment.snd");
        sound.dir.write("fragment.snd", "an older file");
        stringAssignText(p->workBuffer, target.c_str());
        p->runSlot(Slot::saveFragment);

        EXPECT_TRUE(sound.handler.reports.empty()) << sound.handler.lastText();
        ReadBack r = readSoundFile(target);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.wave, c.pcm);
        EXPECT_EQ(r.format.trackCount(), (u32)c.expected.size() / 2);
        EXPECT_EQ(r.format.encoding, c.encoding);
        EXPECT_EQ(r.samples, c.expected);
        EXPECT_EQ(sound.dir.list().size(), 2u) << "no temporary file is left";
    }
}

TEST(SaveFragment, AFailedWriteLeavesTheTargetAsItWas) {
    TestSound sound(encodingInt16, 2, std::vector<f64>(4000, 5.0));
    sound.format.flags = formatPcm;
    auto p = bindProcessor(sound, 0, 2000);
    const std::string target = sound.dir.file("fragment.wav");
    sound.dir.write("fragment.wav", "an older file");
    stringAssignText(p->workBuffer, target.c_str());
    FailingFileProgress progress(&p->file);
    p->progress = &progress;
    p->runSlot(Slot::saveFragment);
    EXPECT_EQ(sound.dir.read("fragment.wav"), "an older file");
    EXPECT_EQ(sound.dir.list().size(), 2u) << "the temporary file is removed";
    ASSERT_FALSE(sound.handler.reports.empty());
    EXPECT_NE(sound.handler.lastText().find("write failed"), std::string::npos);
}

namespace {
const std::string prefix(44, 'H');  // the test sound's header
const std::string suffix = "after the samples";

// The file changeTracks wrote: the prefix, the own layout, the samples and the suffix.
struct TracksFile {
    std::string head, tail;
    RavoFileHeader header = {};
    SoundFormat format;
    std::vector<f64> samples;
};

TracksFile readTracksFile(GFile& file, u64 prefixBytes, u64 suffixBytes) {
    TracksFile r;
    const i64 size = fileSize(file);
    std::string all((size_t)size, '\0');
    EXPECT_TRUE(fileSeek(file, 0, SEEK_SET) && fileRead(file, &all[0], (u32)size));
    r.head = all.substr(0, (size_t)prefixBytes);
    r.tail = all.substr(all.size() - (size_t)suffixBytes);
    memcpy(&r.header, all.data() + prefixBytes, sizeof r.header);
    const size_t formatAt = (size_t)prefixBytes + sizeof r.header, dataAt = formatAt + (size_t)r.header.formatSize;
    r.format.assignFromWaveFormat(reinterpret_cast<const WAVEFORMATEX*>(all.data() + formatAt));
    EXPECT_EQ(dataAt + r.header.dataSize + suffixBytes, all.size());
    r.samples = sampleValues(r.format.encoding,
                             std::vector<u8>(all.begin() + dataAt, all.begin() + dataAt + (size_t)r.header.dataSize));
    return r;
}

// A processor for changeTracks over the whole sound, its parameters a copy of the sound's format with
// the new tracks fed by order.
std::unique_ptr<SoundBlockProcessor> bindChangeTracks(TestSound& sound, const std::vector<i32>& order) {
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(sound.format.encoding, nullptr));
    p->bind(562, &sound.format, &sound.store, sound.start(), prefix.size(), suffix.size(), sound.end(), 0);
    auto* params = new SoundFormatParams;
    params->format.setPlain((u32)order.size(), sound.format.sampleRate, sound.format.encoding);
    delete[] params->format.trackOrder;
    params->format.trackOrder = new i32[order.size()];
    std::copy(order.begin(), order.end(), params->format.trackOrder);
    p->setAuxObject(params);
    return p;
}
}  // namespace

TEST(ChangeTracks, AddsRemovesAndReordersTracksKeepingWhatSurroundsTheSound) {
    struct Case {
        const char* name;
        u32 encoding;
        std::vector<i32> order;
        std::vector<f64> expected;
    };
    // Two stereo frames: (1, 2), (3, 4).
    const Case cases[] = {
        {"a silent third track", encodingInt16, {0, 1, -1}, {1, 2, 0, 3, 4, 0}},
        {"the left track removed", encodingInt32, {1}, {2, 4}},
        {"tracks swapped", encodingDouble, {1, 0}, {2, 1, 4, 3}},
        {"a new track first, then both", encodingFloat, {-1, 0, 1}, {0, 1, 2, 0, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSound sound(c.encoding, 2, {1, 2, 3, 4}, prefix.size(), suffix);
        auto p = bindChangeTracks(sound, c.order);
        p->runSlot(Slot::changeTracks);
        EXPECT_TRUE(sound.handler.reports.empty()) << sound.handler.lastText();
        auto* params = static_cast<SoundFormatParams*>(p->auxObject);
        ASSERT_TRUE(params->file.isOpen()) << "the file stays open for the Editor";
        EXPECT_FALSE(params->file.failed());
        // As the Editor does: the file takes its place.
        const std::string written = sound.dir.file("new.snd");
        ASSERT_TRUE(fileCommit(params->file, written.c_str()));
        GFile file(&sound.handler);
        ASSERT_TRUE(fileOpen(file, written.c_str(), FileMode::Read));
        TracksFile r = readTracksFile(file, prefix.size(), suffix.size());
        EXPECT_EQ(r.head, prefix);
        EXPECT_EQ(r.tail, suffix);
        EXPECT_EQ(r.header.formId, ChunkId::Ravo);
        EXPECT_EQ(r.format.trackCount(), (u32)c.order.size());
        EXPECT_EQ(r.format.encoding, c.encoding);
        EXPECT_EQ(r.samples, c.expected);
        EXPECT_EQ(sound.samples(), (std::vector<f64>{1, 2, 3, 4})) << "the sound is not changed";
    }
}

TEST(ChangeTracks, RefusesBeforeWritingAnyByte) {
    // More tracks than the own format can store: the format's message, no file.
    {
        TestSound sound(encodingInt16, 2, {1, 2, 3, 4}, prefix.size(), suffix);
        std::vector<i32> order(1024, -1);
        auto p = bindChangeTracks(sound, order);
        recordedBoxes().clear();
        p->runSlot(Slot::changeTracks);
        ASSERT_EQ(recordedBoxes().size(), 1u);
        EXPECT_NE(recordedBoxes()[0].text.find("1023"), std::string::npos);
        recordedBoxes().clear();
        EXPECT_FALSE(static_cast<SoundFormatParams*>(p->auxObject)->file.isOpen());
        EXPECT_EQ(sound.dir.list().size(), 1u);
    }
    // Unsaved edits: the file would not hold them.
    {
        TestSound sound(encodingInt16, 2, {1, 2, 3, 4}, prefix.size(), suffix);
        auto edit = bindProcessor(sound, 0, 1);
        edit->runSlot(Slot::zero);
        delete sound.store.takePendingChange();
        auto p = bindChangeTracks(sound, {0, 1, -1});
        p->runSlot(Slot::changeTracks);
        ASSERT_EQ(sound.handler.reports.size(), 1u);
        EXPECT_NE(sound.handler.lastText().find("Save the sound"), std::string::npos);
        EXPECT_FALSE(static_cast<SoundFormatParams*>(p->auxObject)->file.isOpen());
        EXPECT_EQ(sound.dir.list().size(), 1u);
    }
}

TEST(ChangeTracks, AFailedWriteIsNeverCommitted) {
    TestSound sound(encodingInt16, 2, std::vector<f64>(4000, 3.0), prefix.size(), suffix);
    auto p = bindChangeTracks(sound, {0, 1, -1});
    auto* params = static_cast<SoundFormatParams*>(p->auxObject);
    FailingFileProgress progress(&params->file);
    p->progress = &progress;
    p->runSlot(Slot::changeTracks);
    EXPECT_TRUE(params->file.failed());
    const std::string target = sound.dir.file("sound.raw");
    const std::string before = sound.dir.read("sound.raw");
    EXPECT_FALSE(fileCommit(params->file, target.c_str()));
    EXPECT_EQ(sound.dir.read("sound.raw"), before);
    fileCloseQuietly(params->file);
    EXPECT_EQ(sound.dir.list().size(), 1u) << "closed, the failed file is gone";
}

namespace {
// A four-track sound with track 2 alone selected, its coefficients (0.5, 0.25) and the gain 2.
void prepareMixSound(TestSound& sound) {
    selectTracks(sound.format, {0, 0, 1, 0});
    for (u32 t = 0; t < 4; ++t) sound.format.tracks[t].coef[0] = sound.format.tracks[t].coef[1] = 1.0;
    sound.format.tracks[2].coef[0] = 0.5;
    sound.format.tracks[2].coef[1] = 0.25;
    sound.format.gain = 2.0;
}
}  // namespace

TEST(Mix, WritesSixteenBitStereoOfTheSelectedTracksWeighted) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        // Frames t0..t3 = (1000 f, 2000 f + 8, 300 f + 4, 7); frames 1 to 3 are mixed.
        std::vector<f64> samples;
        for (u32 f = 0; f < 5; ++f) samples.insert(samples.end(), {1000.0 * f, 2000.0 * f + 8, 300.0 * f + 4, 7});
        TestSound sound(encoding, 4, samples);
        prepareMixSound(sound);
        auto p = bindProcessor(sound, 1, 4);
        const std::string target = sound.dir.file("mix.wav");
        stringAssignText(p->workBuffer, target.c_str());
        p->runSlot(Slot::mix);
        EXPECT_TRUE(sound.handler.reports.empty()) << sound.handler.lastText();

        const std::string bytes = sound.dir.read("mix.wav");
        ASSERT_EQ(bytes.size(), 44u + 3 * 4);
        const u8 header[44] = {'R', 'I', 'F', 'F', 36 + 12, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                               16, 0, 0, 0, 1, 0, 2, 0, 0x40, 0x1F, 0, 0, 0x00, 0x7D, 0, 0,
                               4, 0, 16, 0, 'd', 'a', 't', 'a', 12, 0, 0, 0};
        EXPECT_EQ(bytes.substr(0, 44), std::string((const char*)header, 44));
        std::vector<f64> out = sampleValues(encodingInt16, std::vector<u8>(bytes.begin() + 44, bytes.end()));
        // Left: track 2 x 0.5 x 2; right: x 0.25 x 2.
        EXPECT_EQ(out, (std::vector<f64>{304, 152, 604, 302, 904, 452}));
    }
}

TEST(Mix, ACancelledExportLeavesTheTargetAsItWas) {
    TestSound sound(encodingInt32, 4, std::vector<f64>(4 * 20000, 100.0));
    prepareMixSound(sound);
    auto p = bindProcessor(sound, 0, 20000);
    sound.dir.write("mix.wav", "an older file");
    stringAssignText(p->workBuffer, sound.dir.file("mix.wav").c_str());
    JobProgress progress;
    progress.setTotal(p->rangeLength);
    progress.cancel();
    p->progress = &progress;
    p->runSlot(Slot::mix);
    EXPECT_EQ(sound.dir.read("mix.wav"), "an older file");
    EXPECT_EQ(sound.dir.list().size(), 2u);
}

// The progress ends at 100 % whatever the store's form: it counts the bytes converted, of the
// 16-bit playback form, against a total of those.
TEST(Mix, ProgressEndsAtAHundredPercent) {
    struct Case {
        u32 encoding, tracks;
    } cases[] = {{encodingFloat, 4}, {encodingInt16, 1}, {encodingDouble, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << encodingName(c.encoding) << ", " << c.tracks << " tracks");
        TestSound sound(c.encoding, c.tracks, std::vector<f64>(c.tracks * 20000, 100.0));
        auto p = bindProcessor(sound, 0, 20000);
        stringAssignText(p->workBuffer, sound.dir.file("mix.wav").c_str());
        JobProgress progress;
        progress.setTotal(p->rangeLength);
        p->progress = &progress;
        p->runSlot(Slot::mix);
        EXPECT_TRUE(sound.handler.reports.empty()) << sound.handler.lastText();
        EXPECT_EQ(100u, progress.percent.load());
    }
}
