#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/exceptions.h"
#include "mm/mm_error.h"
#include "mm/mm_texts.h"
#include "mm/wave_in_recorder.h"
#include "tests/mm/fake_wave_in.h"
#include "tests/mm/format_blocks.h"
#include "tests/support/test_support.h"

namespace {
struct RecordEntry : RecordDeviceSettings {
    explicit RecordEntry(i32 gainDb = 0) {
        device = 0;
        adjust1 = gainDb;
    }
};

// Keeps the byte count and first sample of every delivery; answers false from the delivery numbered
// refuseFrom on, or once enoughBytes have come (never when 0).
class CollectingRecorder : public WaveInRecorder {
public:
    CollectingRecorder(DeviceSettings* entry, i32 bufCount) : WaveInRecorder(entry, bufCount, 20) {
        stoppedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~CollectingRecorder() override { CloseHandle(stoppedEvent); }

    struct Delivery {
        u32 bytes;
        i16 first;
        bool operator==(const Delivery& o) const { return bytes == o.bytes && first == o.first; }
    };
    std::vector<Delivery> deliveries() {
        std::lock_guard<std::mutex> hold(mutex);
        return delivered;
    }
    bool waitDeliveries(size_t n, u32 ms = 5000) {
        std::unique_lock<std::mutex> hold(mutex);
        return changed.wait_for(hold, std::chrono::milliseconds(ms), [&] { return delivered.size() >= n; });
    }
    bool waitStopped(u32 ms = 5000) { return WaitForSingleObject(stoppedEvent, ms) == WAIT_OBJECT_0; }

    size_t refuseFrom = 0;
    u64 enoughBytes = 0;
    std::atomic<int> stopped{0};
    u64 totalBytes = 0;
    HANDLE stoppedEvent;

protected:
    bool deliverData(u32 bytes, const void* data) override {
        std::lock_guard<std::mutex> hold(mutex);
        delivered.push_back({bytes, *static_cast<const i16*>(data)});
        totalBytes += bytes;
        changed.notify_all();
        return (!refuseFrom || delivered.size() < refuseFrom) && (!enoughBytes || totalBytes < enoughBytes);
    }
    void onStopped() override {
        ++stopped;
        SetEvent(stoppedEvent);
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Delivery> delivered;
};

std::ostream& operator<<(std::ostream& out, const CollectingRecorder::Delivery& d) {
    return out << d.bytes << " bytes of " << d.first;
}

// 16-bit mono at 8000 Hz: 20 buffers a second of 800 bytes.
const u32 kBufferBytes = 800;
WAVEFORMATEX smallFormat() { return pcmFormat(1, 8000, 16); }

// Raises GException at every report.
class ThrowingSink : public RecordingHandler {
public:
    bool report(const char* text, int code) override {
        RecordingHandler::report(text, code);
        throw GException();
    }
};

// A recorder of four buffers over a device in memory.
struct Rig {
    explicit Rig(i32 gainDb = 0) : entry(gainDb), recorder(&entry, 4) {
        fake.attach(recorder);
        recorder.errorSink = &sink;
    }
    // Starts and waits until every buffer is at the device.
    bool start() {
        WAVEFORMATEX format = smallFormat();
        return recorder.start(&format) && fake.waitUntil([&] { return fake.atDevice() == 4; });
    }
    // Waits until the device has been given n buffers in all.
    bool waitAdds(size_t n) {
        return fake.waitUntil([&] {
            size_t adds = 0;
            for (const std::string& c : fake.calls) adds += c == "add";
            return adds >= n;
        });
    }
    std::vector<std::string> callsFrom(size_t first) {
        std::lock_guard<std::mutex> hold(fake.lock());
        return std::vector<std::string>(fake.calls.begin() + first, fake.calls.end());
    }

    RecordingHandler sink;
    FakeWaveIn fake;
    RecordEntry entry;
    CollectingRecorder recorder;
};

typedef std::vector<CollectingRecorder::Delivery> Deliveries;
}  // namespace

TEST(WaveInRecorder, OutOfOrderReturnsAreDeliveredInQueueOrderThroughTheLevels) {
    Rig rig(3);  // 10^(3/10): about 1.995
    ASSERT_TRUE(rig.start());
    // Queued: buffers 0 1 2 3. The device hands back 2, then 0: only 0 may go on.
    rig.fake.returnBuffer(2, kBufferBytes, 300);
    rig.fake.returnBuffer(0, kBufferBytes, 100);
    ASSERT_TRUE(rig.waitAdds(5)) << "buffer 0 is queued again";
    EXPECT_EQ(rig.recorder.deliveries(), (Deliveries{{kBufferBytes, 199}}));

    // Buffer 1 comes back: 1 and the waiting 2 follow, in that order.
    rig.fake.returnBuffer(0, kBufferBytes, 200);
    ASSERT_TRUE(rig.recorder.waitDeliveries(3));
    ASSERT_TRUE(rig.waitAdds(7));
    EXPECT_EQ(rig.recorder.deliveries(), (Deliveries{{kBufferBytes, 199}, {kBufferBytes, 399}, {kBufferBytes, 598}}));
    EXPECT_TRUE(rig.fake.waitUntil([&] { return rig.fake.atDevice() == 4; }));

    rig.recorder.stopAndWait();
    EXPECT_TRUE(rig.sink.reports.empty()) << rig.sink.lastText();
    EXPECT_EQ(rig.recorder.stopped, 1);
    EXPECT_EQ(rig.recorder.stateBits() & recorderRunning, 0u);
    EXPECT_EQ(rig.callsFrom(rig.fake.calls.size() - 3), (std::vector<std::string>{"reset", "stop", "close"}));
}

TEST(WaveInRecorder, AnEmptyBufferIsQueuedAgainWithoutADelivery) {
    Rig rig;
    ASSERT_TRUE(rig.start());
    rig.fake.returnBuffer(0, 0, 0);
    ASSERT_TRUE(rig.waitAdds(5));
    rig.fake.returnBuffer(0, kBufferBytes / 2, 7);
    ASSERT_TRUE(rig.recorder.waitDeliveries(1));
    rig.recorder.stopAndWait();
    EXPECT_EQ(rig.recorder.deliveries(), (Deliveries{{kBufferBytes / 2, 7}}));
    EXPECT_TRUE(rig.sink.reports.empty()) << rig.sink.lastText();
}

TEST(WaveInRecorder, ADeliveryAnsweringFalseEndsTheCapture) {
    Rig rig;
    rig.recorder.refuseFrom = 2;
    ASSERT_TRUE(rig.start());
    rig.fake.returnBuffer(0, kBufferBytes, 1);
    rig.fake.returnBuffer(0, kBufferBytes, 2);
    ASSERT_TRUE(rig.recorder.waitStopped());
    rig.recorder.stopAndWait();  // returns at once
    EXPECT_EQ(rig.recorder.deliveries(), (Deliveries{{kBufferBytes, 1}, {kBufferBytes, 2}}));
    EXPECT_EQ(rig.recorder.stopped, 1);
    EXPECT_EQ(rig.recorder.stateBits() & recorderRunning, 0u);
    EXPECT_EQ(rig.fake.atDevice(), 0u);
    EXPECT_EQ(rig.callsFrom(rig.fake.calls.size() - 3), (std::vector<std::string>{"reset", "stop", "close"}));
    EXPECT_EQ(rig.recorder.handle, nullptr);
    EXPECT_TRUE(rig.sink.reports.empty()) << rig.sink.lastText();
}

TEST(WaveInRecorder, ADeviceChangeReopensAndPassesOverTheBuffersItDropped) {
    Rig rig;
    ASSERT_TRUE(rig.start());
    rig.fake.returnBuffer(1, kBufferBytes, 100);  // waits for buffer 0, which the old device keeps
    size_t before = rig.fake.calls.size();
    rig.entry.device = 1;
    rig.entry.notifyListeners(nullptr, DeviceChange::Device);
    ASSERT_TRUE(rig.waitAdds(8));
    EXPECT_EQ(rig.callsFrom(before),
              (std::vector<std::string>{"reset", "stop", "close", "open 1", "start", "add", "add", "add", "add"}));

    // Numbers 0 to 3 are gone with the old device; the capture goes on with the new buffers.
    rig.fake.returnBuffer(0, kBufferBytes, 400);
    ASSERT_TRUE(rig.recorder.waitDeliveries(1));
    rig.recorder.stopAndWait();
    EXPECT_EQ(rig.recorder.deliveries(), (Deliveries{{kBufferBytes, 400}}));
    EXPECT_EQ(rig.recorder.stopped, 1);
    EXPECT_TRUE(rig.sink.reports.empty()) << rig.sink.lastText();
}

TEST(WaveInRecorder, FailuresOfTheDevice) {
    RecordingHandler expected;
    reportMmError(&expected, MMSYSERR_ALLOCATED);

    {
        SCOPED_TRACE("open fails");
        Rig rig;
        rig.fake.openResult = MMSYSERR_ALLOCATED;
        WAVEFORMATEX format = smallFormat();
        EXPECT_FALSE(rig.recorder.start(&format));
        EXPECT_EQ(rig.recorder.stopped, 1);
        EXPECT_EQ(rig.recorder.stateBits() & recorderRunning, 0u);
        ASSERT_EQ(rig.sink.reports.size(), 1u);
        EXPECT_EQ(rig.sink.reports[0], expected.reports[0]);
    }
    {
        SCOPED_TRACE("open fails and the sink raises");
        Rig rig;
        ThrowingSink sink;
        rig.recorder.errorSink = &sink;
        rig.fake.openResult = MMSYSERR_ALLOCATED;
        WAVEFORMATEX format = smallFormat();
        EXPECT_THROW(rig.recorder.start(&format), GException);
        EXPECT_EQ(rig.recorder.stopped, 1);
        EXPECT_EQ(sink.reports.size(), 1u) << "onStopped runs with the sink silenced";
    }
    {
        SCOPED_TRACE("the device takes no buffer");
        Rig rig;
        rig.fake.addResult = MMSYSERR_NOMEM;
        WAVEFORMATEX format = smallFormat();
        ASSERT_TRUE(rig.recorder.start(&format));
        ASSERT_TRUE(rig.waitAdds(4));
        rig.recorder.stopAndWait();
        EXPECT_EQ(rig.sink.reports.size(), 4u);
        EXPECT_EQ(rig.sink.lastCode(), (int)MMSYSERR_NOMEM);
        for (i32 i = 0; i < 4; ++i) EXPECT_EQ(rig.recorder.buffers()[i].header.dwFlags & waveHeaderPrepared, 0u);
        EXPECT_EQ(rig.fake.countCalls("close"), 1u);
    }
    {
        SCOPED_TRACE("the sink raises on the worker");
        Rig rig;
        ThrowingSink sink;
        rig.recorder.errorSink = &sink;
        rig.fake.startResult = MMSYSERR_NOTSUPPORTED;
        WAVEFORMATEX format = smallFormat();
        ASSERT_TRUE(rig.recorder.start(&format));
        ASSERT_TRUE(rig.recorder.waitStopped());
        rig.recorder.stopAndWait();
        EXPECT_EQ(sink.reports.size(), 1u);
        EXPECT_EQ(rig.fake.countCalls("close"), 1u);
        EXPECT_EQ(rig.recorder.handle, nullptr);
    }
}

TEST(WaveInRecorder, AFailedWaitEndsTheCaptureWithItsMessage) {
    Rig rig;
    rig.recorder.wakeTimeout = 50;  // a time-out stands for the failed wait
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.recorder.waitStopped());
    rig.recorder.stopAndWait();
    ASSERT_EQ(rig.sink.reports.size(), 1u);
    std::string text = mmText(MmText::RecorderWaitFailed);
    EXPECT_EQ(rig.sink.lastText(), text + ".");
    EXPECT_EQ(rig.sink.lastCode(), -1);
    EXPECT_NE(rig.recorder.stateBits() & recorderWaitFailed, 0u);
    // No reset at first; the close that the queued buffers refuse is followed by one.
    EXPECT_EQ(rig.callsFrom(rig.fake.calls.size() - 4), (std::vector<std::string>{"stop", "close", "reset", "close"}));
    EXPECT_EQ(rig.fake.atDevice(), 0u);
    EXPECT_EQ(rig.recorder.handle, nullptr);
}

TEST(WaveInRecorder, DeletingACapturingRecorderStopsIt) {
    FakeWaveIn fake;  // holds every buffer: the worker waits on
    RecordEntry entry;
    RecordingHandler sink;
    WaveInRecorder* recorder = new WaveInRecorder(&entry, 4, 20);
    fake.attach(*recorder);
    recorder->errorSink = &sink;
    WAVEFORMATEX format = smallFormat();
    ASSERT_TRUE(recorder->start(&format));
    ASSERT_TRUE(fake.waitUntil([&] { return fake.atDevice() == 4; }));

    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread deleter([&] {
        delete recorder;
        SetEvent(done);
    });
    const bool finished = WaitForSingleObject(done, 10000) == WAIT_OBJECT_0;
    EXPECT_TRUE(finished) << "deleting the recorder did not return";
    if (!finished) {
        deleter.detach();  // the process cannot end cleanly after this
        return;
    }
    deleter.join();
    CloseHandle(done);
    EXPECT_EQ(fake.countCalls("close"), 1u);
    EXPECT_EQ(fake.atDevice(), 0u);
}

TEST(WaveInRecorderDevice, CapturesHalfASecond) {
    ASSERT_GE(waveInGetNumDevs(), 1u) << "the test set-up records silence from its default device";
    RecordEntry entry;
    RecordingHandler sink;
    CollectingRecorder recorder(&entry, 4);
    recorder.errorSink = &sink;
    WAVEFORMATEX format = pcmFormat(2, 44100, 16);
    const u64 halfSecond = format.nAvgBytesPerSec / 2;

    // Ended by the delivery that completes half a second.
    recorder.enoughBytes = halfSecond;
    ASSERT_TRUE(recorder.start(&format));
    EXPECT_EQ(recorder.bufferBytes(), 2205u * 4);
    ASSERT_TRUE(recorder.waitStopped(10000));
    recorder.stopAndWait();
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
    EXPECT_GE(recorder.totalBytes, halfSecond);
    for (const CollectingRecorder::Delivery& d : recorder.deliveries()) {
        EXPECT_GT(d.bytes, 0u);
        EXPECT_EQ(d.bytes % format.nBlockAlign, 0u);
    }
    EXPECT_EQ(recorder.handle, nullptr);

    // Started again and stopped from outside while it records.
    ResetEvent(recorder.stoppedEvent);
    recorder.enoughBytes = 0;
    ASSERT_TRUE(recorder.start(&format));
    ASSERT_TRUE(recorder.waitDeliveries(recorder.deliveries().size() + 2, 10000));
    recorder.stopAndWait();
    EXPECT_TRUE(recorder.waitStopped(0));
    EXPECT_EQ(recorder.stateBits() & recorderRunning, 0u);
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
}
