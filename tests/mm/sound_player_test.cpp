#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "gui/kernel/timers.h"
#include "mm/acm_drivers.h"
#include "mm/acm_file_writer.h"
#include "mm/acm_stream.h"
#include "mm/mm_texts.h"
#include "mm/sound_file.h"
#include "mm/sound_player.h"
#include "tests/mm/fake_wave_out.h"
#include "tests/mm/format_blocks.h"
#include "tests/mm/memory_source.h"
#include "tests/mm/sox_tool.h"
#include "tests/mm/store_fixture.h"
#include "tests/support/test_support.h"

namespace {
// A memory source that tells when it is deleted.
class TrackedSource : public MemorySource {
public:
    TrackedSource(std::vector<u8> bytes, std::atomic<int>* deleted) : MemorySource(std::move(bytes)), deleted(deleted) {}
    ~TrackedSource() override { ++*deleted; }
    std::atomic<int>* deleted;
};

// A source that never ends: every read delivers what was asked.
class EndlessSource : public TrackedSource {
public:
    using TrackedSource::TrackedSource;
    bool read(void* buffer, u32* n) override {
        memset(buffer, 0x11, *n);
        current += *n;
        return true;
    }
    bool atEnd() const override { return false; }
};

// Distinct 16-bit bytes: byte i of the data is a function of i that does not repeat within 64 KB.
std::vector<u8> numberedBytes(u32 n) {
    std::vector<u8> v(n);
    for (u32 i = 0; i < n; i += 2) {
        u16 w = (u16)(i / 2 * 40503u);
        memcpy(&v[i], &w, std::min<u32>(2, n - i));
    }
    return v;
}

void pumpMessagesUntil(const std::function<bool()>& done, u32 ms) {
    DWORD end = GetTickCount() + ms;
    while (!done() && (i32)(end - GetTickCount()) > 0) {
        MSG msg;
        // Timer ticks go through the timer service, as the application's filter chain takes them.
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!filterTimerMessage(&msg)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool stopped(SoundPlayer& p) {
    p.lockControl();
    bool running = (p.stateBits() & playerRunning) != 0;
    p.unlockControl();
    return !running;
}

// The position last queued, read once the worker has finished handing its buffers to the device.
u64 queuedNow(SoundPlayer& p) {
    p.lockControl();
    u64 position = p.queuedPosition();
    p.unlockControl();
    return position;
}

std::string allWritten(FakeWaveOut& fake) {
    std::lock_guard<std::mutex> hold(fake.lock());
    std::string all;
    for (auto& w : fake.written) all.append(w.begin(), w.end());
    return all;
}

// 16-bit stereo at 8000 Hz: buffers of 1600 bytes.
const WAVEFORMATEX smallFormat = pcmFormat(2, 8000, 16);
}  // namespace

TEST(SoundPlayer, EqualBoundsStartNothing) {
    FakeWaveOut fake;
    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    fake.attach(player);
    std::atomic<int> deleted{0};
    EXPECT_TRUE(player.startSource(new TrackedSource(numberedBytes(100), &deleted), nullptr, &smallFormat, 8, 8));
    EXPECT_EQ(deleted, 1);
    SoundStreamInfo info = {};
    info.fileName = "no such file.wav";
    info.format = &smallFormat;
    info.dataOffset = 44;
    info.dataSize = 1000;
    EXPECT_TRUE(player.open(nullptr, info, 500, 500));
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_FALSE(player.isRunning());
}

TEST(SoundPlayer, PlaysARangeWithPositionAndSnapshot) {
    FakeWaveOut fake;
    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    fake.attach(player);
    std::vector<u8> bytes = numberedBytes(20000);
    std::atomic<int> deleted{0};
    TrackedSource* source = new TrackedSource(bytes, &deleted);
    ASSERT_TRUE(source->seek(3000, 9000));
    ASSERT_TRUE(player.startSource(source, nullptr, &smallFormat, 3000, 12000));
    EXPECT_TRUE(player.isRunning());
    EXPECT_TRUE(player.timerActive());

    pumpMessagesUntil([&] { return stopped(player); }, 10000);
    ASSERT_TRUE(stopped(player));
    EXPECT_EQ(allWritten(fake), std::string(bytes.begin() + 3000, bytes.begin() + 12000));
    EXPECT_EQ(player.queuedPosition(), 12000u);
    EXPECT_EQ(player.bytesDelivered(), 9000u);
    // The end of playback deletes the source, removes the timer and clears the snapshot.
    EXPECT_EQ(deleted, 1);
    EXPECT_FALSE(player.timerActive());
    EXPECT_FALSE(player.isRunning());
}

TEST(SoundPlayer, TheTimerRefreshesTheSnapshot) {
    FakeWaveOut fake(false);  // buffers stay at the device: playback goes on
    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    fake.attach(player);
    std::atomic<int> deleted{0};
    ASSERT_TRUE(player.startSource(new EndlessSource({}, &deleted), nullptr, &smallFormat, 0, 1u << 30));
    ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() == 3; }));

    // Paused behind the player's back: only the timer brings the state to the snapshot.
    player.lockControl();
    player.setStateBits(playerPaused, 0);
    player.unlockControl();
    pumpMessagesUntil([&] { return player.isPaused(); }, 2000);
    EXPECT_TRUE(player.isPaused());
    EXPECT_TRUE(player.isRunning());
    player.lockControl();
    player.setStateBits(0, playerPaused);
    player.unlockControl();
    pumpMessagesUntil([&] { return !player.isPaused(); }, 2000);
    EXPECT_FALSE(player.isPaused());
    player.stopAndWait(false);
    EXPECT_EQ(deleted, 1);
}

TEST(SoundPlayer, SeekRepositionsOrStops) {
    FakeWaveOut fake(false);
    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    fake.attach(player);
    std::vector<u8> bytes = numberedBytes(64000);
    std::atomic<int> deleted{0};
    ASSERT_TRUE(player.startSource(new TrackedSource(bytes, &deleted), nullptr, &smallFormat, 0, 64000));
    ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() == 3; }));
    EXPECT_EQ(queuedNow(player), 4800u);

    // The position already queued: nothing happens.
    player.seek(4800);
    fake.returnBuffers(1);
    ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() == 4; }));
    EXPECT_EQ(fake.countCalls("reset"), 0u);

    // Elsewhere: the device is reset and plays on from there.
    player.seek(32000);
    ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() == 7; }));
    EXPECT_EQ(fake.countCalls("reset"), 1u);
    {
        std::lock_guard<std::mutex> hold(fake.lock());
        EXPECT_EQ(fake.written[4], std::vector<u8>(bytes.begin() + 32000, bytes.begin() + 33600));
    }
    EXPECT_EQ(player.currentRange().start, 32000u);

    // At the end of the range: playback stops.
    player.seek(64000);
    EXPECT_TRUE(stopped(player));
    EXPECT_EQ(deleted, 1);
}

TEST(SoundPlayer, DeletingAPlayingPlayerStopsIt) {
    // Playing on for ever, and paused with its buffers held by the device: either way the worker
    // goes on until it is asked to stop.
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "playing");
        FakeWaveOut fake(!paused);
        TestEntry entry;
        std::atomic<int> deleted{0};
        SoundPlayer* player = new SoundPlayer(&entry, 5, 3, 20);
        fake.attach(*player);
        ASSERT_TRUE(player->startSource(new EndlessSource({}, &deleted), nullptr, &smallFormat, 0, ~0ull));
        ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() >= (paused ? 3u : 20u); }));
        if (paused) player->pause();

        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread deleter([&] {
            delete player;
            SetEvent(done);
        });
        bool finished = WaitForSingleObject(done, 10000) == WAIT_OBJECT_0;
        EXPECT_TRUE(finished) << "deleting the player did not return";
        if (!finished) {
            deleter.detach();  // the process cannot end cleanly after this
            return;
        }
        deleter.join();
        CloseHandle(done);
        EXPECT_EQ(deleted, 1);
        EXPECT_EQ(fake.countCalls("close"), 1u);
    }
}

TEST(SoundPlayer, StoreRangesPlayInThePlaybackFormat) {
    FakeWaveOut fake;
    StoreFixture f(8000, 44, 4);
    std::vector<u8> own = ownBlockBytes(2);  // left and right tracks: mixed down to the same bytes
    std::vector<u8> sound = f.sound();
    // The player reads on its worker, which waits while another thread holds the store.
    f.store.unlock();
    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    fake.attach(player);
    ASSERT_TRUE(player.playRange(nullptr, &f.store, wave(own), 800, 8000));
    pumpMessagesUntil([&] { return stopped(player); }, 10000);
    ASSERT_TRUE(f.store.lock(&f.handler));
    ASSERT_TRUE(stopped(player));
    EXPECT_EQ(player.outputFormat().wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(player.outputFormat().wBitsPerSample, 16);
    EXPECT_EQ(player.outputFormat().nChannels, 2);
    EXPECT_EQ(allWritten(fake), std::string(sound.begin() + 800, sound.end()));
    EXPECT_EQ(player.queuedPosition(), 8000u);
}

TEST(SoundPlayer, CompressedFilesPlayThroughAConversion) {
    // An IMA ADPCM file made by the machine's codec from half a second of a stereo tone.
    TempDir dir;
    WAVEFORMATEX pcm = pcmFormat(2, 22050, 16);
    std::vector<u8> tone = sineBytes(11025, 2, 22050, 441.0);
    AcmConversion ima;
    AcmFormatWish required = {WAVE_FORMAT_IMA_ADPCM, 2, 22050, 0}, none = {0, 0, 0, 0};
    ASSERT_TRUE(findAcmConversion(required, none, &pcm, &ima, nullptr));
    AcmStream encoder;
    RecordingHandler sink;
    encoder.errorSink = &sink;
    ASSERT_TRUE(encoder.open(new MemorySource(tone), &pcm, tone.size(), asFormat(ima.format)));
    std::string name = dir.file("tone.wav");
    ASSERT_TRUE(acmConvertToWaveFile(name.c_str(), encoder, nullptr, &sink));

    FakeWaveOut fake;
    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    fake.attach(player);
    ASSERT_TRUE(player.play(nullptr, name.c_str()));
    pumpMessagesUntil([&] { return stopped(player); }, 10000);
    ASSERT_TRUE(stopped(player));
    EXPECT_EQ(player.outputFormat().wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(player.outputFormat().nSamplesPerSec, 22050u);
    EXPECT_EQ(player.outputFormat().nChannels, 2);
    std::string played = allWritten(fake);
    u16 perBlock;
    memcpy(&perBlock, ima.format.data() + 18, 2);
    EXPECT_EQ(played.size(), tone.size() / (perBlock * 4u) * perBlock * 4u);
    std::vector<i16> s = samplesOf(std::vector<u8>(played.begin(), played.end()));
    EXPECT_NEAR(risingCrossings(s, 2, 1, 1000), played.size() / 4 * 441.0 / 22050, 2);
}

TEST(SoundPlayer, FileWithoutSoundIsReported) {
    TempDir dir;
    dir.write("empty.wav", std::string("RIFF\4\0\0\0WAVE", 12));
    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    recordedBoxes().clear();
    EXPECT_FALSE(player.play(nullptr, dir.file("empty.wav").c_str()));
    EXPECT_FALSE(player.isRunning());
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_NE(recordedBoxes()[0].text.find(mmText(MmText::NoSoundStream)), std::string::npos);
}

// A range of a sound file plays through the machine's device, which writes what it plays to a file.
TEST(SoundPlayer, ARangeOfAFileReachesTheDevice) {
    const char* out = getenv("RAVO_ALSA_OUT");
    ASSERT_NE(out, nullptr) << "the test set-up names the device's output file";

    // One second of 16-bit stereo noise in a WAVE file.
    std::vector<u8> data(44100 * 4);
    u32 seed = 777;
    for (size_t i = 0; i < data.size(); i += 2) {
        seed = seed * 1103515245 + 12345;
        i16 s = (i16)((seed >> 16) % 50001 - 25000);
        memcpy(&data[i], &s, 2);
    }
    WAVEFORMATEX format = pcmFormat(2, 44100, 16);
    std::string wav = std::string("RIFF", 4);
    u32 riff = 36 + (u32)data.size(), fmtSize = 16, dataSize = (u32)data.size();
    wav.append(reinterpret_cast<char*>(&riff), 4);
    wav += std::string("WAVEfmt ", 8);
    wav.append(reinterpret_cast<char*>(&fmtSize), 4);
    wav.append(reinterpret_cast<char*>(&format), 16);
    wav += std::string("data", 4);
    wav.append(reinterpret_cast<char*>(&dataSize), 4);
    wav.append(data.begin(), data.end());
    TempDir dir;
    dir.write("noise.wav", wav);

    std::string outPath = std::string("Z:") + out;
    for (char& c : outPath)
        if (c == '/') c = '\\';
    DeleteFileA(outPath.c_str());

    RecordingHandler handler;
    GFile file(&handler);
    ASSERT_TRUE(fileOpen(file, dir.file("noise.wav").c_str(), FileMode::Read));
    SoundFileLayout layout;
    ASSERT_TRUE(readSoundFileLayout(file, &layout));
    SoundStreamInfo info = {};
    info.format = layout.parts.format;
    info.dataOffset = layout.dataOffset;
    info.dataSize = layout.parts.dataSize;
    std::string name = dir.file("noise.wav");
    info.fileName = name.c_str();

    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    player.ownSink.mode = 0;
    const u64 from = 44100, to = 44100 * 3;  // a quarter to three quarters of a second
    ASSERT_TRUE(player.open(nullptr, info, (i64)from, (i64)to));
    pumpMessagesUntil([&] { return stopped(player); }, 20000);
    ASSERT_TRUE(stopped(player));
    EXPECT_EQ(player.ownSink.lastCode, 0);

    std::string arrived = readWholeFile(outPath);
    std::string played(data.begin() + from, data.begin() + to);
    EXPECT_NE(arrived.find(played), std::string::npos) << arrived.size() << " bytes arrived";
    // Nothing of the sound outside the range.
    EXPECT_EQ(arrived.find(std::string(data.begin() + from - 400, data.begin() + from)), std::string::npos);
    EXPECT_EQ(arrived.find(std::string(data.begin() + to, data.begin() + to + 400)), std::string::npos);
}

// PCM of 24 and 32 bits plays as 16-bit PCM: what reaches the machine's device equals sox's
// rendering of the file in 16 bits without dither.
TEST(SoundPlayer, WidePcmPlaysAsSoxRendersItIn16Bits) {
    const std::string outPath = deviceOutputPath();
    ASSERT_FALSE(outPath.empty()) << "the test set-up names the device's output file";

    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        TempDir dir;
        std::string wide = dir.file("wide.wav"), narrow = dir.file("narrow.raw");
        // Noise: every sample needs its low bytes rounded. It stays below full scale, where the
        // limiter would lower the gain.
        ASSERT_EQ(runSox("-r 44100 -c 2 -n -b " + std::to_string(bits) + " -e signed-integer -t wavpcm '" +
                         unixPath(wide) + "' synth 0.4 whitenoise vol 0.7"),
                  0);
        ASSERT_EQ(runSox("'" + unixPath(wide) + "' -b 16 -e signed-integer -t raw -D '" + unixPath(narrow) + "'"), 0);
        std::string expected = readWholeFile(narrow);
        ASSERT_EQ(expected.size(), 17640u * 4);

        DeleteFileA(outPath.c_str());
        TestEntry entry;
        SoundPlayer player(&entry, 5, 3, 20);
        player.ownSink.mode = 0;
        ASSERT_TRUE(player.play(nullptr, wide.c_str()));
        pumpMessagesUntil([&] { return stopped(player); }, 20000);
        ASSERT_TRUE(stopped(player));
        EXPECT_EQ(player.ownSink.lastCode, 0);
        EXPECT_EQ(player.outputFormat().wBitsPerSample, 16);
        EXPECT_EQ(player.bytesDelivered(), expected.size());

        std::string arrived = readWholeFile(outPath);
        EXPECT_NE(arrived.find(expected), std::string::npos) << arrived.size() << " bytes arrived";
    }
}

TEST(SoundPlayer, StopWhilePausedLeavesItStoppedAndUnpaused) {
    FakeWaveOut fake(false);
    TestEntry entry(DeviceSwitch::Fade);
    SoundPlayer player(&entry, 5, 3, 20);
    fake.attach(player);
    recordedBoxes().clear();
    std::atomic<int> deleted{0};
    ASSERT_TRUE(player.startSource(new EndlessSource({}, &deleted), nullptr, &smallFormat, 0, ~0ull));
    ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() == 3; }));
    player.pause();
    ASSERT_TRUE(player.isPaused());

    player.stopAndWait(true);
    EXPECT_FALSE(player.isRunning());
    EXPECT_FALSE(player.isPaused());
    EXPECT_EQ(player.stateBits() & (playerRunning | playerPaused), 0u);
    // Nothing to resume: the closed device is left alone.
    player.resume();
    player.pause();
    EXPECT_EQ(fake.countCalls("restart"), 0u);
    EXPECT_EQ(fake.countCalls("pause"), 1u);
    EXPECT_FALSE(player.isPaused());
    EXPECT_TRUE(recordedBoxes().empty());
    EXPECT_EQ(deleted, 1);
}

TEST(SoundPlayer, TheSnapshotIsTakenWhileTheWorkerHoldsTheLock) {
    FakeWaveOut fake(false);
    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    fake.attach(player);
    std::atomic<int> deleted{0};
    ASSERT_TRUE(player.startSource(new EndlessSource({}, &deleted), nullptr, &smallFormat, 0, ~0ull));
    ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() == 3; }));

    // Another thread holds the control lock, as the worker does under a device error box.
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        player.lockControl();
        player.setStateBits(playerPaused, 0);
        SetEvent(held);
        WaitForSingleObject(release, 10000);
        player.setStateBits(0, playerPaused);
        player.unlockControl();
    });
    ASSERT_EQ(WaitForSingleObject(held, 5000), WAIT_OBJECT_0);
    pumpMessagesUntil([&] { return player.isPaused(); }, 3000);
    EXPECT_TRUE(player.isPaused()) << "the timer waited for the lock";
    SetEvent(release);
    holder.join();
    CloseHandle(held);
    CloseHandle(release);
    player.stopAndWait(false);
}

TEST(SoundPlayer, ASourceEndingAtOnceLeavesNoTimer) {
    FakeWaveOut fake;
    TestEntry entry;
    SoundPlayer player(&entry, 5, 3, 20);
    fake.attach(player);
    std::atomic<int> deleted{0};
    // The range claims bytes the source does not have: the first fill ends it.
    ASSERT_TRUE(player.startSource(new TrackedSource({}, &deleted), nullptr, &smallFormat, 0, 1000));
    pumpMessagesUntil([&] { return stopped(player) && deleted == 1; }, 10000);
    ASSERT_TRUE(stopped(player));
    EXPECT_FALSE(player.timerActive());
    EXPECT_FALSE(player.isRunning());
}
