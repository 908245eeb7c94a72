#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/gfile.h"
#include "mm/riff_block.h"
#include "mm/sound_file.h"
#include "mm/sound_store.h"
#include "tests/mm/format_blocks.h"
#include "tests/mm/riff_bytes.h"
#include "tests/mm/sox_tool.h"
#include "tests/support/test_support.h"

namespace {
// Every sample byte of the store, read through it.
std::string storeBytes(SoundStore& store, u64 from = 0, u64 count = (u64)-1) {
    if (count == (u64)-1) count = store.length - from;
    std::string bytes((size_t)count, '\0');
    EXPECT_TRUE(store.lock(nullptr));
    EXPECT_TRUE(store.readRange(store.findSegment(store.dataOffset + from), count, reinterpret_cast<u8*>(&bytes[0])));
    store.unlock();
    return bytes;
}

std::string rampStereo16(u32 frames) {
    std::string bytes;
    for (u32 i = 0; i < frames; ++i)
        for (u32 ch = 0; ch < 2; ++ch) {
            i16 v = rampSample(i, ch);
            bytes.append(reinterpret_cast<const char*>(&v), 2);
        }
    return bytes;
}

// The header of the WAVE file the program writes for 16-bit stereo PCM.
std::string waveHead(u32 channels, u32 rate, u16 bits, u32 dataSize) {
    return "RIFF" + le32(4 + 24 + 8 + dataSize + (dataSize & 1)) + "WAVE" + chunk("fmt ", pcmFmt(channels, rate, bits)) +
           "data" + le32(dataSize);
}

// The content of the first chunk with the id at the top level of a RIFF file ("" when none).
std::string topChunk(const std::string& file, const char* id) {
    for (size_t at = 12; at + 8 <= file.size();) {
        u32 size;
        memcpy(&size, &file[at + 4], 4);
        if (file.compare(at, 4, id) == 0) return file.substr(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return "";
}

std::string quoted(const TempDir& dir, const char* name) { return "'" + unixPath(dir.file(name)) + "'"; }

std::string boxes() {
    std::string all;
    for (const RecordedBox& b : recordedBoxes()) all += b.text + "\n";
    recordedBoxes().clear();
    return all;
}
}  // namespace

TEST(SoundFile, OpensFilesOfOtherProgramsIntoAStore) {
    struct Case {
        const char* file;
        u32 flags, encoding, tracks, rate, frameSize;
        u64 dataOffset;
    };
    const Case cases[] = {
        {"mono16.wav", formatPcm, encodingInt16, 1, 8000, 2, 44},
        {"stereo16.wav", formatPcm, encodingInt16, 2, 22050, 4, 44},
        {"float32.wav", 0, encodingCompressed, 0, 44100, 8, 88},
    };
    for (const Case& c : cases) {
        RecordingHandler handler;
        SoundFormat format;
        SoundStore store;
        ASSERT_TRUE(openSoundFile(fixturePath(c.file).c_str(), &format, &store, &handler, nullptr)) << c.file;
        EXPECT_EQ(boxes(), "");
        EXPECT_EQ(format.flags, c.flags) << c.file;
        EXPECT_EQ(format.encoding, c.encoding) << c.file;
        EXPECT_EQ(format.trackCount(), c.tracks) << c.file;
        EXPECT_EQ(format.sampleRate, c.rate) << c.file;
        EXPECT_EQ(store.dataOffset, c.dataOffset) << c.file;
        EXPECT_EQ(store.frameSize, c.frameSize) << c.file;
        EXPECT_EQ(store.length, 300u * c.frameSize) << c.file;
        std::string samples = storeBytes(store);
        u32 wrong = 0;
        for (u32 i = 0; i < 300; ++i) {
            for (u32 ch = 0; ch < (c.encoding ? c.tracks : 2); ++ch) {
                if (c.encoding) {
                    i16 v;
                    memcpy(&v, &samples[i * c.frameSize + ch * 2], 2);
                    wrong += v != rampSample(i, ch);
                } else {
                    float v;
                    memcpy(&v, &samples[i * c.frameSize + ch * 4], 4);
                    wrong += v != rampFloat(i, ch);
                }
            }
        }
        EXPECT_EQ(wrong, 0u) << c.file;
        EXPECT_TRUE(handler.reports.empty()) << c.file;
    }
}

TEST(SoundFile, RefusesWhatIsNotASound) {
    WAVEFORMATEX pcm = pcmFormat(2, 44100, 16);
    std::vector<u8> own = ownBlockBytes(2);
    trackOf(own, 1)->layer = 0;
    struct Case {
        const char* what;
        std::string bytes;
        const char* box;
        const char* report;
    };
    const Case cases[] = {
        {"text", "just some text", "", "Wrong file type"},
        {"no data", riffList("RIFF", "WAVE", chunk("fmt ", pcmFmt(2, 44100, 16))),
         "Bad sound block: Sound data not found\n", ""},
        {"another form", riffList("RIFF", "AVI ", chunk("data", "1234")), "Bad sound block: Sound data not found\n", ""},
        {"unaligned PCM", riffList("RIFF", "WAVE", chunk("fmt ", formatBytes(pcm, 16)) + chunk("data", "123456")),
         "Bad PCM sound block: Data size is not aligned\n", ""},
        {"unaligned PCM, the format after the data",
         riffList("RIFF", "WAVE", chunk("data", "123456") + chunk("fmt ", formatBytes(pcm, 16))),
         "Bad PCM sound block: Data size is not aligned\n", ""},
        {"own block with wrong layers", ravoHeader(own.size(), 8) + std::string(own.begin(), own.end()) + "12345678",
         "Bad Ravo sound block: Wrong track Z-order\n", ""},
        {"own header damaged", ravoHeader(16, 8, 31) + formatBytes(pcm, 16) + "12345678",
         "Bad sound block: Sound data not found\n", ""},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("in", c.bytes);
        RecordingHandler handler;
        SoundFormat format;
        SoundStore store;
        EXPECT_FALSE(openSoundFile(dir.file("in").c_str(), &format, &store, &handler, nullptr)) << c.what;
        EXPECT_EQ(boxes(), c.box) << c.what;
        if (*c.report) {
            ASSERT_EQ(handler.reports.size(), 1u) << c.what;
            EXPECT_NE(handler.lastText().find(c.report), std::string::npos) << handler.lastText();
        } else {
            EXPECT_TRUE(handler.reports.empty()) << c.what;
        }
        EXPECT_FALSE(store.workFile.isOpen()) << c.what;
    }
}

TEST(SoundFile, SavedAsWaveAndOwnFileAndOpenedAgain) {
    TempDir dir;
    RecordingHandler handler;
    SoundFormat format;
    SoundStore store;
    ASSERT_TRUE(openSoundFile(fixturePath("stereo16.wav").c_str(), &format, &store, &handler, nullptr));
    const std::string samples = rampStereo16(300);

    // Saved over an older file as WAVE: the canonical header, the samples and the source's LIST chunk
    // after them as it was; the store re-based on it.
    dir.write("out.wav", "an older file");
    StoreSource written;
    ASSERT_TRUE(saveSoundFile(dir.file("out.wav").c_str(), soundFileWave, &format, &store, nullptr, &handler, nullptr,
                              &written));
    std::ifstream fixture(fixturePath("stereo16.wav"), std::ios::binary);
    const std::string source((std::istreambuf_iterator<char>(fixture)), std::istreambuf_iterator<char>());
    const std::string list = source.substr(source.rfind("LIST"));
    std::string expected = waveHead(2, 22050, 16, 1200) + samples + list;
    expected.replace(4, 4, u32le((u32)expected.size() - 8));
    EXPECT_EQ(dir.read("out.wav"), expected);
    EXPECT_EQ(written.dataOffset, 44u);
    EXPECT_EQ(written.size, 1200u);
    EXPECT_EQ(written.frameSize, 4u);
    store.reopen(dir.file("out.wav").c_str(), written);
    EXPECT_EQ(storeBytes(store), samples);

    // The own format keeps the sound's own block: an own sound of 3 float tracks.
    SoundFormat own;
    own.setPlain(3, 48000, encodingFloat);
    own.tracks[1].layer = 2;
    own.tracks[2].layer = 1;
    own.gain = 0.5;
    ASSERT_TRUE(saveSoundFile(dir.file("out.ravo").c_str(), soundFileRavo, &own, &store, nullptr, &handler, nullptr,
                              &written));
    const u64 blockBytes = ownFormatBlockBytes(3);
    EXPECT_EQ(written.dataOffset, 32 + blockBytes);
    const std::string file = dir.read("out.ravo");
    EXPECT_EQ(file.substr(0, 32), ravoHeader(blockBytes, 1200));
    EXPECT_EQ(file.substr(32 + blockBytes), samples);

    SoundFormat reread;
    SoundStore second;
    ASSERT_TRUE(openSoundFile(dir.file("out.ravo").c_str(), &reread, &second, &handler, nullptr));
    EXPECT_EQ(boxes(), "");
    EXPECT_EQ(reread.flags, (u32)formatOwn);
    EXPECT_EQ(reread.trackCount(), 3u);
    EXPECT_EQ(reread.tracks[1].layer, 2u);
    EXPECT_EQ(reread.gain, 0.5);
    EXPECT_EQ(reread.bytesPerFrame, 12u);
    EXPECT_EQ(storeBytes(second), samples);
    EXPECT_TRUE(handler.reports.empty());
    EXPECT_EQ(dir.list().size(), 2u);
}

TEST(SoundFile, FormatAfterTheDataIsFound) {
    TempDir dir;
    const std::string samples = rampStereo16(3);
    dir.write("in.wav", riffList("RIFF", "WAVE",
                                 chunk("data", samples) + chunk("LIST", "INFO") + chunk("fmt ", pcmFmt(2, 22050, 16))));
    RecordingHandler handler;
    SoundFormat format;
    SoundStore store;
    ASSERT_TRUE(openSoundFile(dir.file("in.wav").c_str(), &format, &store, &handler, nullptr));
    EXPECT_EQ(boxes(), "");
    EXPECT_EQ(format.trackCount(), 2u);
    EXPECT_EQ(format.sampleRate, 22050u);
    EXPECT_EQ(store.dataOffset, 20u);
    EXPECT_EQ(storeBytes(store), samples);
    EXPECT_TRUE(handler.reports.empty());
}

TEST(SoundFile, EightBitPcmIsSavedAsEightBits) {
    TempDir dir;
    const std::string samples("\x80\x81\x7F\x00\xFF", 5);
    dir.write("in.wav", riffList("RIFF", "WAVE", chunk("fmt ", pcmFmt(1, 11025, 8)) + chunk("data", samples)));
    SoundFormat format;
    SoundStore store;
    ASSERT_TRUE(openSoundFile(dir.file("in.wav").c_str(), &format, &store, nullptr, nullptr));
    EXPECT_EQ(format.encoding, encodingPcm8);
    ASSERT_TRUE(saveSoundFile(dir.file("out.wav").c_str(), soundFileWave, &format, &store, nullptr, nullptr, nullptr,
                              nullptr));
    EXPECT_EQ(dir.read("out.wav"), waveHead(1, 11025, 8, 5) + samples + '\0');
}

TEST(SoundFile, AFailedSaveLeavesTheTargetAlone) {
    TempDir dir;
    dir.write("source.wav", waveHead(2, 22050, 16, 1200) + rampStereo16(300));
    RecordingHandler handler;
    SoundFormat format;
    SoundStore store;
    ASSERT_TRUE(openSoundFile(dir.file("source.wav").c_str(), &format, &store, &handler, nullptr));
    // The source loses its samples after the sound was opened: the copy fails part way.
    dir.write("source.wav", waveHead(2, 22050, 16, 1200) + rampStereo16(100));
    dir.write("target.wav", "the old target");
    for (u32 kind : {soundFileWave, soundFileRavo}) {
        EXPECT_FALSE(saveSoundFile(dir.file("target.wav").c_str(), kind, &format, &store, nullptr, &handler, nullptr,
                                   nullptr));
        EXPECT_EQ(dir.read("target.wav"), "the old target");
        EXPECT_EQ(dir.list().size(), 2u) << "no temporary file is left";
        EXPECT_FALSE(handler.reports.empty());
        handler.reports.clear();
    }
}

// Saved over its own source, with or without the caller holding the store's lock (the source file
// then stays open): the file holds exactly the edited sound, and the store, re-based on it, still
// reads that sound and keeps the caller's lock.
TEST(SoundFile, SavedOverItsOwnSourceWithOrWithoutAnOuterLock) {
    struct Case {
        const char* name;
        bool outerLock;
        u32 kind;
        const char* targetName;
    };
    const Case cases[] = {{"WAVE, locked", true, soundFileWave, "source.wav"},
                          {"WAVE, unlocked", false, soundFileWave, "source.wav"},
                          {"own file, locked", true, soundFileRavo, "source.wav"},
                          {"own file, unlocked, named otherwise", false, soundFileRavo, "SOURCE.WAV"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("source.wav", waveHead(2, 22050, 16, 1200) + rampStereo16(300));
        RecordingHandler handler;
        SoundFormat format;
        SoundStore store;
        ASSERT_TRUE(openSoundFile(dir.file("source.wav").c_str(), &format, &store, &handler, nullptr));
        // An edit: 8 bytes at frame 10 become 12 new ones, leaving the sound in both files.
        ASSERT_TRUE(store.lock(&handler));
        SegmentCursor oldAt, newAt;
        store.beginChange(&oldAt, 44 + 40, 8, 12, &newAt);
        const std::string inserted = "abcdefghijkl";
        ASSERT_TRUE(store.writeRange(newAt, 12, reinterpret_cast<const u8*>(inserted.data())));
        if (!c.outerLock) store.unlock();
        std::string edited = rampStereo16(300);
        edited.replace(40, 8, inserted);

        StoreSource written;
        EXPECT_TRUE(saveSoundFile(dir.file(c.targetName).c_str(), c.kind, &format, &store, nullptr, &handler, nullptr,
                                  &written));
        EXPECT_TRUE(handler.reports.empty()) << (handler.reports.empty() ? "" : handler.lastText());
        const std::string file = dir.read("source.wav");
        ASSERT_GE(file.size(), written.dataOffset + edited.size());
        EXPECT_EQ(file.substr((size_t)written.dataOffset, edited.size()), edited);
        EXPECT_EQ(store.locked, c.outerLock ? 1u : 0u);
        if (c.outerLock) {
            std::string bytes(edited.size(), '\0');
            EXPECT_TRUE(store.readRange(store.findSegment(store.dataOffset), bytes.size(), reinterpret_cast<u8*>(&bytes[0])));
            EXPECT_EQ(bytes, edited);
            store.unlock();
        }
        EXPECT_EQ(storeBytes(store), edited);
        EXPECT_EQ(dir.list().size(), 1u) << "no temporary file is left";
    }
}

TEST(SoundFile, OwnFileOver5GiB) {
    TempDir dir;
    std::vector<u8> own = ownBlockBytes(2, encodingInt32);
    const u64 dataSize = (5ull << 30) + 8 * 1000;
    const std::string last = "last frame!!0123";  // the last two 8-byte frames
    std::string path = dir.file("big.ravo");
    {
        std::string head = ravoHeader(own.size(), dataSize) + std::string(own.begin(), own.end());
        FILE* fp = fopen(path.c_str(), "wb");
        ASSERT_NE(fp, nullptr);
        fwrite(head.data(), 1, head.size(), fp);
        ASSERT_EQ(_fseeki64(fp, (i64)(head.size() + dataSize - last.size()), SEEK_SET), 0);
        fwrite(last.data(), 1, last.size(), fp);
        fclose(fp);
    }
    RecordingHandler handler;
    SoundFormat format;
    SoundStore store;
    ASSERT_TRUE(openSoundFile(path.c_str(), &format, &store, &handler, nullptr));
    EXPECT_EQ(boxes(), "");
    EXPECT_EQ(store.length, dataSize);
    EXPECT_EQ(store.dataOffset, 32 + own.size());
    EXPECT_EQ(storeBytes(store, dataSize - 16), last);
    EXPECT_EQ(storeBytes(store, (4ull << 30) - 8, 16), std::string(16, '\0'));

    // A WAVE file cannot hold it: refused with a message before any file is made, even when the
    // handler answers that the work may go on.
    for (bool answer : {false, true}) {
        handler.reports.clear();
        handler.answer = answer;
        EXPECT_FALSE(saveSoundFile(dir.file("big.wav").c_str(), soundFileWave, &format, &store, nullptr, &handler,
                                   nullptr, nullptr))
            << answer;
        ASSERT_EQ(handler.reports.size(), 1u);
        EXPECT_NE(handler.lastText().find("less than 4 GB"), std::string::npos);
        EXPECT_EQ(dir.list().size(), 1u);
    }
}

// A save that fails reports once, whatever the number of store pieces or the step that failed, and
// names the user's target, not a temporary file.
TEST(SoundFile, AFailedSaveReportsOnceNamingTheTarget) {
    TempDir dir;
    dir.write("source.wav", waveHead(2, 22050, 16, 1200) + rampStereo16(300));
    RecordingHandler handler;
    SoundFormat format;
    SoundStore store;
    ASSERT_TRUE(openSoundFile(dir.file("source.wav").c_str(), &format, &store, &handler, nullptr));
    // Seven edits leave fifteen pieces, every other one in the source.
    ASSERT_TRUE(store.lock(&handler));
    for (u64 at = 1100; at >= 200; at -= 150) {
        SegmentCursor oldAt, newAt;
        ASSERT_TRUE(store.beginChange(&oldAt, 44 + at, 4, 4, &newAt));
        ASSERT_TRUE(store.writeRange(newAt, 4, reinterpret_cast<const u8*>("edit")));
        delete store.takePendingChange();
    }
    store.unlock();

    struct Case {
        const char* what;
        std::string source;  // the source file when saving
        bool readOnlyTarget;
    };
    const Case cases[] = {
        // Every source piece after the first fails to read.
        {"the source lost its samples", waveHead(2, 22050, 16, 1200) + rampStereo16(40), false},
        // The old target cannot be deleted once the new file took its place: all is rolled back.
        {"a read-only target", waveHead(2, 22050, 16, 1200) + rampStereo16(300), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("source.wav", c.source);
        dir.write("target.wav", "the old target");
        const std::string target = dir.file("target.wav");
        if (c.readOnlyTarget) {
            ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        handler.reports.clear();
        EXPECT_FALSE(saveSoundFile(target.c_str(), soundFileWave, &format, &store, nullptr, &handler, nullptr, nullptr));
        ASSERT_EQ(handler.reports.size(), 1u);
        const std::string& text = handler.lastText();
        EXPECT_EQ(text.find("The sound could not be saved"), 0u) << text;
        EXPECT_NE(text.find(target), std::string::npos) << text;
        EXPECT_EQ(text.find(".tmp"), std::string::npos) << text;
        EXPECT_EQ(boxes(), "");
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(dir.read("target.wav"), "the old target");
        EXPECT_EQ(dir.list().size(), 2u) << "no temporary file is left";
    }
}

// A sound of a format the program does not know is written only with the block it was read with;
// without one, and when its own block fails the checks, nothing is written.
TEST(SoundFile, NoSaveWritesABlockTheReaderRefuses) {
    TempDir dir;
    dir.write("in.wav", waveHead(2, 22050, 16, 1200) + rampStereo16(300));
    SoundFormat opened;
    SoundStore store;
    ASSERT_TRUE(openSoundFile(dir.file("in.wav").c_str(), &opened, &store, nullptr, nullptr));

    SoundFormat unknown;  // a foreign format that no file gave
    unknown.defined = 1;
    unknown.sampleRate = 22050;
    SoundFormat noTracks;
    noTracks.setPlain(0, 22050, encodingInt16);
    SoundFormat badGain;
    badGain.setPlain(2, 22050, encodingInt16);
    badGain.gain = -1.0;
    struct Case {
        const char* what;
        const SoundFormat* format;
        const char* box;
    };
    const Case cases[] = {
        {"unknown format", &unknown, "The format of the sound is unknown: it cannot be saved\n"},
        {"no tracks", &noTracks, "Bad Ravo sound block: Wrong channel count: 0\n"},
        {"negative gain", &badGain, "Bad Ravo sound block: Wrong gain multiplier: -1\n"},
    };
    for (const Case& c : cases) {
        for (u32 kind : {soundFileWave, soundFileRavo}) {
            SCOPED_TRACE(c.what);
            dir.write("out", "the old target");
            RecordingHandler handler;
            EXPECT_FALSE(saveSoundFile(dir.file("out").c_str(), kind, c.format, &store, nullptr, &handler, nullptr,
                                       nullptr));
            EXPECT_EQ(boxes(), c.box);
            EXPECT_TRUE(handler.reports.empty());
            EXPECT_EQ(dir.read("out"), "the old target");
            EXPECT_EQ(dir.list().size(), 2u);
        }
    }
}

// Many chunks open in one pass over the file; more than any real file holds are refused, with a
// message and no exception.
TEST(SoundFile, ManyChunksOpenAndTooManyAreRefused) {
    const std::string samples = rampStereo16(2);
    // The format last: no data block finds one before it.
    std::string manyData = chunk("data", samples);
    for (u32 i = 0; i < 100000; ++i) manyData += chunk("data", "");
    manyData += chunk("fmt ", pcmFmt(2, 22050, 16));
    std::string tooMany;
    tooMany.reserve((size_t)maxRiffChunks * 8 + 100);
    tooMany = chunk("fmt ", pcmFmt(2, 22050, 16)) + chunk("data", samples);
    for (u32 i = 0; i < maxRiffChunks; ++i) tooMany += chunk("pad ", "");
    TempDir dir;
    dir.write("many.wav", riffList("RIFF", "WAVE", manyData));
    dir.write("toomany.wav", riffList("RIFF", "WAVE", tooMany));

    RecordingHandler handler;
    SoundFormat format;
    SoundStore store;
    ASSERT_TRUE(openSoundFile(dir.file("many.wav").c_str(), &format, &store, &handler, nullptr));
    EXPECT_EQ(storeBytes(store), samples);
    EXPECT_TRUE(handler.reports.empty());

    SoundStore refused;
    EXPECT_FALSE(openSoundFile(dir.file("toomany.wav").c_str(), &format, &refused, &handler, nullptr));
    ASSERT_EQ(handler.reports.size(), 1u);
    EXPECT_NE(handler.lastText().find("too many RIFF chunks"), std::string::npos) << handler.lastText();
    EXPECT_EQ(boxes(), "");
}

// Every sound opened from a WAVE file is saved back as WAVE with its own format block and the same
// samples, which sox decodes as it decoded the input; the own file takes PCM sounds only and
// refuses the others before writing.
TEST(SoundFile, SoxFilesOpenAndSaveBackUnchanged) {
    struct Case {
        const char* what;
        const char* soxFormat;  // sox's output options
        u32 riffSize;           // written over the input's RIFF size when not 1
        bool ownFileHoldsIt;
    };
    const Case cases[] = {
        {"8-bit PCM", "-c 2 -b 8 -e unsigned-integer", 1, true},
        {"16-bit PCM", "-c 2 -b 16 -e signed-integer", 1, true},
        {"float 32", "-c 2 -b 32 -e floating-point", 1, false},
        {"float 64", "-c 1 -b 64 -e floating-point", 1, false},
        {"24-bit integer", "-c 2 -b 24 -e signed-integer", 1, false},
        {"32-bit integer", "-c 2 -b 32 -e signed-integer", 1, false},
        {"extensible 6 channels", "-c 6 -b 16 -e signed-integer", 1, false},
        {"RIFF size 0", "-c 2 -b 16 -e signed-integer", 0, true},
        {"RIFF size 0xFFFFFFFF", "-c 1 -b 32 -e floating-point", 0xFFFFFFFF, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ASSERT_EQ(runSox(std::string("-n -r 11025 ") + c.soxFormat + " " + quoted(dir, "in.wav") +
                         " synth 0.05 sine 300 sine 700 square 90"),
                  0);
        ASSERT_EQ(runSox(quoted(dir, "in.wav") + " -t raw " + quoted(dir, "in.raw")), 0);
        const std::string input = dir.read("in.wav");
        const std::string samples = dir.read("in.raw");
        ASSERT_FALSE(samples.empty());
        if (c.riffSize != 1) {
            std::string patched = input;
            patched.replace(4, 4, le32(c.riffSize));
            dir.write("in.wav", patched);
        }

        RecordingHandler handler;
        SoundFormat format;
        SoundStore store;
        ASSERT_TRUE(openSoundFile(dir.file("in.wav").c_str(), &format, &store, &handler, nullptr));
        EXPECT_EQ(boxes(), "");
        EXPECT_EQ(storeBytes(store), samples);

        ASSERT_TRUE(saveSoundFile(dir.file("out.wav").c_str(), soundFileWave, &format, &store, nullptr, &handler,
                                  nullptr, nullptr));
        const std::string output = dir.read("out.wav");
        const std::string format16 = topChunk(input, "fmt ").substr(0, 16);
        if (format.flags & formatPcm)
            EXPECT_EQ(topChunk(output, "fmt "), format16);
        else
            EXPECT_EQ(topChunk(output, "fmt "), topChunk(input, "fmt "));
        EXPECT_EQ(topChunk(output, "data"), samples);
        ASSERT_EQ(runSox(quoted(dir, "out.wav") + " -t raw " + quoted(dir, "out.raw")), 0);
        EXPECT_EQ(dir.read("out.raw"), samples);

        SoundFormat again;
        SoundStore reread;
        ASSERT_TRUE(openSoundFile(dir.file("out.wav").c_str(), &again, &reread, &handler, nullptr));
        EXPECT_EQ(storeBytes(reread), samples);

        dir.write("out.ravo", "the old target");
        bool saved = saveSoundFile(dir.file("out.ravo").c_str(), soundFileRavo, &format, &store, nullptr, &handler,
                                   nullptr, nullptr);
        EXPECT_EQ(saved, c.ownFileHoldsIt);
        if (saved) {
            SoundFormat own;
            SoundStore ownStore;
            ASSERT_TRUE(openSoundFile(dir.file("out.ravo").c_str(), &own, &ownStore, &handler, nullptr));
            EXPECT_EQ(storeBytes(ownStore), samples);
            EXPECT_TRUE(handler.reports.empty());
        } else {
            EXPECT_EQ(dir.read("out.ravo"), "the old target");
            ASSERT_EQ(handler.reports.size(), 1u);
            EXPECT_NE(handler.lastText().find("holds PCM and Ravo sounds only"), std::string::npos);
        }
        EXPECT_EQ(boxes(), "");
        EXPECT_EQ(dir.list().size(), 5u) << "no temporary file is left";
    }
}
