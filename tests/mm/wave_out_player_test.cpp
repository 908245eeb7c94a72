#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "core/exceptions.h"
#include "mm/mm_error.h"
#include "mm/mm_texts.h"
#include "mm/wave_out_player.h"
#include "tests/mm/fake_wave_out.h"
#include "tests/mm/format_blocks.h"
#include "tests/support/test_support.h"

namespace {
// A source of numbered buffers: buffer n (from 1) holds 16-bit samples of the value 100 x n, so that
// the buffers written to the device tell where they came from, in what order and with which fade.
class NumberedPlayer : public WaveOutPlayer {
public:
    NumberedPlayer(DeviceSettings* entry, u64 buffersInSource, i32 bufCount = 5, i32 bufPresend = 3)
        : WaveOutPlayer(entry, bufCount, bufPresend, 20), range{0, buffersInSource}, next(0) {
        stoppedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        wakeTimeout = 2000;
    }
    ~NumberedPlayer() override { CloseHandle(stoppedEvent); }

    bool waitStopped(u32 ms = 3000) { return WaitForSingleObject(stoppedEvent, ms) == WAIT_OBJECT_0; }

    PlayRange range;
    u64 next;
    std::vector<u64> reported;
    std::atomic<int> stopped{0}, paused{0}, resumed{0}, rewinds{0};
    bool throwOnFill = false;
    HANDLE stoppedEvent;

protected:
    void fillBuffer(WaveBuffer& b) override {
        if (throwOnFill) throw GException();
        if (next >= range.end) {
            b.header.dwBufferLength = 0;
            return;
        }
        ++next;
        i16* s = reinterpret_cast<i16*>(b.data);
        if (outputFormat().wBitsPerSample == 8)  // unsigned bytes, 200 + n
            memset(b.data, (u8)(200 + next), bufferBytes());
        else
            for (u32 i = 0; i < bufferBytes() / 2; ++i) s[i] = (i16)(100 * next);
        b.header.dwBufferLength = bufferBytes();
        b.position = next;
    }
    void setPlayRange(const PlayRange& r) override { range = r; }
    bool restartAtRange() override {
        next = range.start;
        return true;
    }
    void rewind() override {
        next = range.start;
        ++rewinds;
    }
    void positionReport(u64 position) override { reported.push_back(position); }
    void onStopped() override {
        ++stopped;
        SetEvent(stoppedEvent);
    }
    void onPaused() override { ++paused; }
    void onResumed() override { ++resumed; }
};

// 16-bit stereo at 8000 Hz: 20 buffers a second of 1600 bytes.
WAVEFORMATEX smallFormat() { return pcmFormat(2, 8000, 16); }

enum Fade { plain, fadedIn, fadedOut };
struct Played {
    int number;
    Fade fade;
    bool operator==(const Played& o) const { return number == o.number && fade == o.fade; }
};
std::ostream& operator<<(std::ostream& out, const Played& p) {
    return out << p.number << (p.fade == fadedIn ? "/in" : p.fade == fadedOut ? "/out" : "");
}

Played identify(const std::vector<u8>& bytes) {
    const i16* s = reinterpret_cast<const i16*>(bytes.data());
    size_t n = bytes.size() / 2;
    if (!n) return {0, plain};
    int peak = std::max(std::abs(s[0]), std::abs(s[n - 1]));
    int number = (peak + 50) / 100;
    Fade fade = s[0] == 0 && s[n - 1] != 0 ? fadedIn : s[n - 1] < s[0] / 10 ? fadedOut : plain;
    return {number, fade};
}

std::vector<Played> playedOf(FakeWaveOut& fake) {
    std::lock_guard<std::mutex> hold(fake.lock());
    std::vector<Played> out;
    for (const std::vector<u8>& b : fake.written) out.push_back(identify(b));
    return out;
}

std::vector<Played> numbers(int from, int to) {
    std::vector<Played> out;
    for (int i = from; i <= to; ++i) out.push_back({i, plain});
    return out;
}

// Runs stopAndWait on a thread of its own.
class Stopper {
public:
    Stopper(WaveOutPlayer& player, bool gently) : thread([this, &player, gently] {
        player.stopAndWait(gently);
        done = true;
    }) {}
    ~Stopper() { thread.join(); }
    bool waitDone(u32 ms) {
        for (u32 t = 0; t < ms && !done; t += 5) Sleep(5);
        return done;
    }
    std::atomic<bool> done{false};

private:
    std::thread thread;
};

// Returns the device's buffers one by one until the condition holds.
bool returnUntil(FakeWaveOut& fake, const std::function<bool()>& condition, u32 ms = 3000) {
    for (u32 t = 0; t < ms; t += 5) {
        if (condition()) return true;
        fake.returnBuffers(1);
        Sleep(5);
    }
    return condition();
}

// Raises GException at every report.
class ThrowingSink : public RecordingHandler {
public:
    bool report(const char* text, int code) override {
        RecordingHandler::report(text, code);
        throw GException();
    }
};

std::string mmErrorString(u32 code) {
    GString s;
    mmErrorText(s, code);
    return s.c_str();
}
// A player of numbered buffers over a device in memory, with a recording sink.
struct Rig {
    Rig(bool autoReturn, u32 switches, u64 buffers, i32 count = 5, i32 presend = 3)
        : fake(autoReturn), entry(switches), player(&entry, buffers, count, presend) {
        fake.attach(player);
        player.errorSink = &sink;
    }
    // Starts and, with a device that keeps its buffers, waits until the first are at the device.
    bool start(size_t atDevice = 3) {
        WAVEFORMATEX format = smallFormat();
        return player.start(&format) && (!atDevice || fake.waitUntil([&] { return fake.written.size() == atDevice; }));
    }

    RecordingHandler sink;
    FakeWaveOut fake;
    TestEntry entry;
    NumberedPlayer player;
};
}  // namespace

TEST(WaveOutPlayer, QueuesLowestSequenceFirstKeepingThePresendCount) {
    Rig rig(false, 0, 8);
    ASSERT_TRUE(rig.start());
    Sleep(50);
    EXPECT_EQ(playedOf(rig.fake), numbers(1, 3)) << "three buffers ahead, no more";
    // Buffers refilled into low array slots must wait for the older ones that were filled before them.
    size_t most = 0;
    ASSERT_TRUE(returnUntil(rig.fake, [&] {
        std::lock_guard<std::mutex> hold(rig.fake.lock());
        most = std::max(most, rig.fake.atDevice());
        return rig.fake.written.size() == 8;
    }));
    EXPECT_EQ(most, 3u);
    EXPECT_EQ(playedOf(rig.fake), numbers(1, 8));

    // The source has ended: the player ends by itself once the device has given everything back.
    rig.fake.returnBuffers(3);
    ASSERT_TRUE(rig.player.waitStopped());
    rig.player.stopAndWait(true);
    EXPECT_EQ(rig.player.stopped, 1);
    EXPECT_EQ(rig.player.reported, (std::vector<u64>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(rig.player.stateBits() & playerRunning, 0u);
    EXPECT_TRUE(rig.sink.reports.empty()) << rig.sink.lastText();
}

TEST(WaveOutPlayer, PlaysTheWholeSourceWhateverTheBufferCounts) {
    struct Case {
        i32 count, presend;
    } cases[] = {{5, 3}, {4, 1}, {2, 2}, {3, 5}, {8, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " buffers, " << c.presend << " ahead");
        Rig rig(true, 0, 12, c.count, c.presend);
        ASSERT_TRUE(rig.start(0));
        ASSERT_TRUE(rig.player.waitStopped());
        rig.player.stopAndWait(false);
        EXPECT_EQ(playedOf(rig.fake), numbers(1, 12));
        EXPECT_TRUE(rig.sink.reports.empty()) << rig.sink.lastText();
    }
}

TEST(WaveOutPlayer, AnEndWithNothingAtTheDeviceIsImmediateAndSilent) {
    struct Case {
        const char* what;
        u64 buffers;
        WAVEFORMATEX format;
    } cases[] = {
        {"empty first fill", 0, smallFormat()},
        // Block align above a twentieth of the byte rate: buffers of 0 bytes.
        {"zero buffer size", 10, [] {
             WAVEFORMATEX w = pcmFormat(2, 8000, 16);
             w.nAvgBytesPerSec = 40;
             return w;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(true, 0, c.buffers);
        rig.player.wakeTimeout = 5000;
        auto begin = std::chrono::steady_clock::now();
        ASSERT_TRUE(rig.player.start(&c.format));
        ASSERT_TRUE(rig.player.waitStopped(4000)) << "ended only through the device time-out";
        rig.player.stopAndWait(true);
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(2000));
        EXPECT_TRUE(rig.sink.reports.empty()) << rig.sink.lastText();
        EXPECT_EQ(rig.player.stateBits() & playerTimedOut, 0u);
        EXPECT_TRUE(playedOf(rig.fake).empty());
    }
}

TEST(WaveOutPlayer, FinishFadesTheNextBufferWhileStopEndsAtOnce) {
    struct Case {
        const char* what;
        bool fadeSwitch, gently, paused;
        bool finishes;
    } cases[] = {
        {"gently with the fade switch", true, true, false, true},
        {"gently without the fade switch", false, true, false, false},
        {"not gently", true, false, false, false},
        {"gently while paused", true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(false, c.fadeSwitch ? (u32)DeviceSwitch::Fade : 0u, 100);
        ASSERT_TRUE(rig.start());
        if (c.paused) rig.player.pause();

        Stopper stopper(rig.player, c.gently);
        if (c.finishes) {
            EXPECT_FALSE(stopper.waitDone(200)) << "a finish waits for the device to play out";
            ASSERT_TRUE(returnUntil(rig.fake, [&] { return stopper.done.load(); }));
            std::vector<Played> expected = {{1, fadedIn}, {2, plain}, {3, plain}, {4, fadedOut}};
            EXPECT_EQ(playedOf(rig.fake), expected);
        } else {
            ASSERT_TRUE(stopper.waitDone(2000));
            std::vector<Played> expected = {{1, c.fadeSwitch ? fadedIn : plain}, {2, plain}, {3, plain}};
            EXPECT_EQ(playedOf(rig.fake), expected);
        }
        EXPECT_EQ(rig.player.stopped, 1);
        EXPECT_EQ(rig.player.stateBits() & playerRunning, 0u);
        EXPECT_EQ(rig.fake.countCalls("reset"), 1u);
        EXPECT_EQ(rig.fake.countCalls("close"), 1u);
    }
}

TEST(WaveOutPlayer, ASecondFinishWaitsForTheWorkerToEnd) {
    Rig rig(false, DeviceSwitch::Fade, 100);
    ASSERT_TRUE(rig.start());
    Stopper finisher(rig.player, true);
    Sleep(100);  // the worker takes the finish and drains
    Stopper stopper(rig.player, true);
    EXPECT_FALSE(stopper.waitDone(200)) << "returned while the worker still ran";
    ASSERT_TRUE(returnUntil(rig.fake, [&] { return stopper.done && finisher.done; }));
    EXPECT_EQ(rig.player.stopped, 1);
}

TEST(WaveOutPlayer, APauseLongerThanTheDeviceTimeOutIsNoFailure) {
    Rig rig(false, 0, 100);
    rig.player.wakeTimeout = 50;
    ASSERT_TRUE(rig.start());
    rig.player.pause();
    Sleep(300);
    // Playing on, the test returns buffers at its own pace: a loaded machine may leave gaps longer
    // than the short time-out.
    rig.player.lockControl();
    rig.player.wakeTimeout = 5000;
    rig.player.unlockControl();
    rig.player.resume();
    ASSERT_TRUE(returnUntil(rig.fake, [&] { return playedOf(rig.fake).size() >= 6; }));
    EXPECT_EQ(rig.player.stopped, 0);
    EXPECT_TRUE(rig.sink.reports.empty()) << rig.sink.lastText();
    rig.player.stopAndWait(false);
}

TEST(WaveOutPlayer, StopAndWaitWithoutAWorkerReturnsAtOnce) {
    Rig rig(true, DeviceSwitch::Fade, 2);
    rig.player.stopAndWait(true);
    rig.player.stopAndWait(false);
    EXPECT_EQ(rig.player.stopped, 0);
    EXPECT_TRUE(rig.fake.calls.empty());
}

// Two threads stopping one playing player at once: both return, and the worker stops once.
TEST(WaveOutPlayer, TwoThreadsStoppingAtOnceBothReturn) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        Rig rig(false, 0, 1000);
        ASSERT_TRUE(rig.start());
        std::atomic<int> returned{0}, ready{0};
        auto stop = [&] {
            ++ready;
            while (ready < 2) std::this_thread::yield();
            rig.player.stopAndWait(false);
            ++returned;
        };
        std::thread a(stop), b(stop);
        a.join();
        b.join();
        EXPECT_EQ(returned, 2);
        EXPECT_EQ(rig.player.stopped, 1);
        EXPECT_EQ(rig.player.stateBits() & playerRunning, 0u);
    }
}

TEST(WaveOutPlayer, RepositionPlaysOnFromTheNewRange) {
    for (bool fade : {false, true}) {
        SCOPED_TRACE(fade ? "with fade" : "without fade");
        Rig rig(false, fade ? (u32)DeviceSwitch::Fade : 0u, 100);
        ASSERT_TRUE(rig.start());
        rig.player.reposition({50, 100});
        ASSERT_TRUE(returnUntil(rig.fake, [&] { return playedOf(rig.fake).size() >= 6; }));
        std::vector<Played> played = playedOf(rig.fake);
        played.resize(6);
        // With the fade the buffers at the device play on, the next one fades out and the new range
        // fades in; without it the device is reset and the new range starts at once.
        std::vector<Played> expected =
            fade ? std::vector<Played>{{1, fadedIn}, {2, plain}, {3, plain}, {4, fadedOut}, {51, fadedIn}, {52, plain}}
                 : std::vector<Played>{{1, plain}, {2, plain}, {3, plain}, {51, plain}, {52, plain}, {53, plain}};
        EXPECT_EQ(played, expected);
        rig.player.stopAndWait(false);
        EXPECT_EQ(rig.fake.countCalls("reset"), fade ? 1u : 2u);
    }
}

TEST(WaveOutPlayer, RepositionAfterTheSourceEndedPlaysAgain) {
    Rig rig(false, 0, 4);
    ASSERT_TRUE(rig.start());
    // The source ended at the first fill; the player drains.
    rig.player.reposition({20, 22});
    ASSERT_TRUE(returnUntil(rig.fake, [&] { return rig.player.waitStopped(0); }));
    EXPECT_EQ(playedOf(rig.fake), (std::vector<Played>{{1, plain}, {2, plain}, {3, plain}, {21, plain}, {22, plain}}));
    rig.player.stopAndWait(false);
}

TEST(WaveOutPlayer, TheEndOfTheSourceFadesOutOrLoops) {
    for (bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "loop" : "no loop");
        Rig rig(false, DeviceSwitch::Fade | (loop ? (u32)DeviceSwitch::Loop : 0u), 3);
        rig.player.setStateBits(playerRepeat, 0);
        ASSERT_TRUE(rig.start());
        if (loop) {
            // One buffer back at a time, each taken by the worker before the next comes.
            for (size_t n = 3; n < 8; ++n) {
                rig.fake.returnBuffers(1);
                ASSERT_TRUE(rig.fake.waitUntil([&] { return rig.fake.written.size() > n; }));
            }
            std::vector<Played> played = playedOf(rig.fake);
            played.resize(8);
            EXPECT_EQ(played, (std::vector<Played>{{1, fadedIn}, {2, plain}, {3, fadedOut}, {1, fadedIn}, {2, plain},
                                                   {3, fadedOut}, {1, fadedIn}, {2, plain}}));
            rig.player.stopAndWait(false);
            EXPECT_GE(rig.player.rewinds, 2);
        } else {
            ASSERT_TRUE(returnUntil(rig.fake, [&] { return rig.player.waitStopped(0); }));
            EXPECT_EQ(playedOf(rig.fake), (std::vector<Played>{{1, fadedIn}, {2, plain}, {3, fadedOut}}));
            EXPECT_EQ(rig.player.rewinds, 0);
        }
    }
}

TEST(WaveOutPlayer, EightBitSoundFadesAroundItsCentre) {
    Rig rig(false, DeviceSwitch::Fade, 100);
    WAVEFORMATEX format = pcmFormat(1, 8000, 8);
    ASSERT_TRUE(rig.player.start(&format));
    ASSERT_TRUE(rig.fake.waitUntil([&] { return rig.fake.written.size() == 3; }));
    std::vector<u8> first = rig.fake.written[0];
    ASSERT_EQ(first.size(), 400u);
    EXPECT_EQ(first[0], 128);
    EXPECT_EQ(first[200], 128 + 73 / 2);
    EXPECT_EQ(first[399], 128 + 72);
    rig.player.stopAndWait(false);
}

TEST(WaveOutPlayer, FollowsItsSettingsEntry) {
    Rig rig(false, 0, 1000);
    ASSERT_TRUE(rig.start());
    FakeWaveOut& fake = rig.fake;
    TestEntry& entry = rig.entry;

    // Neither a level change nor a change to the same device reopens.
    entry.adjust1 = -10;
    entry.notifyListeners(nullptr, DeviceChange::Level);
    entry.notifyListeners(nullptr, DeviceChange::Device);
    entry.device = 2;
    entry.notifyListeners(nullptr, DeviceChange::Level);
    Sleep(50);
    EXPECT_EQ(fake.countCalls("close"), 0u);

    entry.notifyListeners(nullptr, DeviceChange::Line);
    ASSERT_TRUE(fake.waitUntil([&] { return fake.written.size() == 6; }));
    {
        std::lock_guard<std::mutex> hold(fake.lock());
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"open 0", "reset", "close", "open 2"}));
    }
    EXPECT_EQ(rig.player.deviceId, 2u);
    // Buffers 4 and 5, filled before the reopen, are dropped; 6 to 8 come at the lowered gain.
    std::vector<int> firstSamples;
    for (size_t i = 3; i < 6; ++i) firstSamples.push_back(reinterpret_cast<const i16*>(fake.written[i].data())[0]);
    EXPECT_EQ(firstSamples, (std::vector<int>{60, 70, 80}));
    rig.player.stopAndWait(false);
}

namespace {
// An endless source whose samples are all 1000.
class SteadyPlayer : public WaveOutPlayer {
public:
    explicit SteadyPlayer(DeviceSettings* entry) : WaveOutPlayer(entry, 3, 2, 1) {}

protected:
    void fillBuffer(WaveBuffer& b) override {
        i16* s = reinterpret_cast<i16*>(b.data);
        for (u32 i = 0; i < bufferBytes() / 2; ++i) s[i] = 1000;
    }
};
}  // namespace

TEST(WaveOutPlayer, NoLevelChangeIsLostWhileBuffersAreLimited) {
    // Large buffers played as fast as the device takes them: the worker spends much of its time in
    // the limiter while the levels change.
    FakeWaveOut fake(true);
    TestEntry entry;
    SteadyPlayer player(&entry);
    fake.attach(player);
    WAVEFORMATEX format = pcmFormat(2, 96000, 16);
    ASSERT_TRUE(player.start(&format));
    for (int round = 0; round < 30; ++round) {
        entry.adjust1 = round % 2 ? -10 : 0;
        const i16 expected = round % 2 ? 100 : 1000;
        {
            std::lock_guard<std::mutex> hold(fake.lock());
            fake.written.clear();
        }
        entry.notifyListeners(nullptr, DeviceChange::Level);
        // Buffers filled before the change may still come; later ones have the new gain. Counted from
        // the change: the worker may write any number of buffers between the clear and the change.
        size_t atChange;
        {
            std::lock_guard<std::mutex> hold(fake.lock());
            atChange = fake.written.size();
        }
        ASSERT_TRUE(fake.waitUntil(
            [&] { return fake.written.size() >= atChange + (size_t)player.bufferCount() + 2; }));
        std::lock_guard<std::mutex> hold(fake.lock());
        const std::vector<u8>& last = fake.written.back();
        const i16* s = reinterpret_cast<const i16*>(last.data());
        ASSERT_EQ(s[0], expected) << "round " << round;
        ASSERT_EQ(s[last.size() / 2 - 1], expected) << "round " << round;
    }
    player.stopAndWait(false);
}

TEST(WaveOutPlayer, ErrorSinkExceptionsEndTheWorkerInOrder) {
    struct Case {
        const char* what;
        u32 writeResult;
        bool throwOnFill;
        bool silentDevice;
        std::string report;
        int code;
    } cases[] = {
        {"a failed write", WAVERR_BADFORMAT, false, false, mmErrorString(WAVERR_BADFORMAT), WAVERR_BADFORMAT},
        {"a fill", 0, true, false, "", 0},
        {"the device time-out", 0, false, true, std::string(mmText(MmText::DeviceTimeout)) + ".", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(!c.silentDevice, 0, 1000);
        NumberedPlayer& player = rig.player;
        rig.fake.writeResult = c.writeResult;
        player.wakeTimeout = 100;
        player.throwOnFill = c.throwOnFill;
        ThrowingSink sink;
        player.errorSink = &sink;
        ASSERT_TRUE(rig.start(0));
        ASSERT_TRUE(player.waitStopped());
        player.stopAndWait(false);
        EXPECT_EQ(player.stopped, 1);
        EXPECT_EQ(player.stateBits() & playerRunning, 0u);
        EXPECT_EQ(player.errorSink, &sink) << "the sink is back after the silent close";
        EXPECT_FALSE(player.failures.holds());
        if (c.report.empty()) {
            EXPECT_TRUE(sink.reports.empty());
        } else {
            ASSERT_EQ(sink.reports.size(), 1u);
            EXPECT_EQ(sink.lastText(), c.report);
            EXPECT_EQ(sink.lastCode(), c.code);
        }
        // A device that stopped answering is closed without a reset; as it still holds the buffers the
        // close fails, and it is reset and closed again, so that it keeps none of them.
        std::lock_guard<std::mutex> hold(rig.fake.lock());
        EXPECT_EQ(rig.fake.calls, c.silentDevice ? (std::vector<std::string>{"open 0", "close", "reset", "close"})
                                                 : (std::vector<std::string>{"open 0", "reset", "close"}));
        EXPECT_EQ(rig.fake.atDevice(), 0u);
        for (i32 i = 0; i < player.bufferCount(); ++i)
            EXPECT_EQ(player.buffers()[i].header.dwFlags & WHDR_PREPARED, 0u) << i;
        EXPECT_EQ((player.stateBits() & playerTimedOut) != 0, c.silentDevice);
    }
}

TEST(WaveOutPlayer, BuffersOfADeviceThatCannotBeClosedAreNeverReused) {
    Rig rig(false, 0, 1000);
    NumberedPlayer& player = rig.player;
    player.wakeTimeout = 100;
    rig.fake.closeResult = MMSYSERR_ERROR;
    ASSERT_TRUE(rig.start());
    const WaveBuffer* given = player.buffers();
    std::vector<const u8*> blocks;
    for (i32 i = 0; i < player.bufferCount(); ++i) blocks.push_back(given[i].data);
    ASSERT_TRUE(player.waitStopped());
    player.stopAndWait(false);
    {
        std::lock_guard<std::mutex> hold(rig.fake.lock());
        EXPECT_EQ(rig.fake.calls, (std::vector<std::string>{"open 0", "close", "reset", "close"}));
    }
    // The device may still own its buffers: they stay allocated and the player goes on with others.
    EXPECT_NE(player.buffers(), given);

    rig.fake.closeResult = 0;
    ASSERT_TRUE(rig.start(6));
    player.stopAndWait(false);
    EXPECT_EQ(player.stopped, 2);
    for (i32 i = 0; i < player.bufferCount(); ++i)
        EXPECT_EQ(std::count(blocks.begin(), blocks.end(), player.buffers()[i].data), 0) << i;
}

TEST(WaveOutPlayer, StartPauseAndResumeHandleSinkExceptions) {
    Rig rig(false, 0, 1000);
    NumberedPlayer& player = rig.player;
    RecordingHandler& quiet = rig.sink;
    ThrowingSink sink;
    player.errorSink = &sink;
    WAVEFORMATEX format = smallFormat();

    rig.fake.openResult = MMSYSERR_ALLOCATED;
    EXPECT_THROW(player.start(&format), GException);
    EXPECT_EQ(player.stopped, 1);
    EXPECT_EQ(player.errorSink, &sink);
    EXPECT_EQ(sink.lastCode(), (int)MMSYSERR_ALLOCATED);

    player.errorSink = &quiet;
    EXPECT_FALSE(player.start(&format));
    EXPECT_EQ(player.stopped, 2);
    EXPECT_EQ(quiet.lastText(), mmErrorString(MMSYSERR_ALLOCATED));
    // A sink that lets the failure go on does not make a device appear.
    quiet.answer = true;
    EXPECT_FALSE(player.start(&format));
    EXPECT_EQ(player.stopped, 3);
    EXPECT_EQ(player.stateBits() & playerRunning, 0u);
    quiet.answer = false;

    rig.fake.openResult = 0;
    ASSERT_TRUE(rig.start());
    player.errorSink = &sink;
    rig.fake.pauseResult = MMSYSERR_NOTSUPPORTED;
    player.pause();
    EXPECT_EQ(player.paused, 0);
    EXPECT_EQ(player.stateBits() & playerPaused, 0u);

    // A failure that is only reported does not stop the change of state.
    player.errorSink = &quiet;
    player.pause();
    EXPECT_EQ(player.paused, 1);
    EXPECT_NE(player.stateBits() & playerPaused, 0u);
    player.reposition({10, 20});
    EXPECT_EQ(player.range.start, 0u) << "no reposition while paused";

    player.errorSink = &sink;
    rig.fake.restartResult = MMSYSERR_NOTSUPPORTED;
    player.resume();
    EXPECT_EQ(player.resumed, 0);
    EXPECT_NE(player.stateBits() & playerPaused, 0u);
    rig.fake.restartResult = 0;
    player.resume();
    EXPECT_EQ(player.resumed, 1);
    EXPECT_EQ(player.stateBits() & playerPaused, 0u);
    player.stopAndWait(false);
}
