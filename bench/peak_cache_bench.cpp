// The peak cache over one hour of 44.1 kHz stereo 16-bit sound ("peaks_in.wav" in bench_data, made
// by sox through "./dev bench"; the bench's own hour of sines when it is not there): from the
// request to a complete full-view column buffer, fills of scrolled and zoomed pages from the
// computed peaks, and how often the pane is told of new peaks while nothing reloads.
#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "app/app_settings.h"
#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/gfile.h"
#include "editor/wave_data_source.h"
#include "mm/sound_file.h"
#include "mm/sound_format.h"

namespace {
const u32 kColumns = 1500;

// Counts its notifications and signals the complete cache; the pane never reloads in between.
class BenchSource : public WaveDataSource {
public:
    BenchSource() : done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~BenchSource() override { CloseHandle(done); }
    void notifyOwner() override {
        ++notified;
        SetEvent(done);
    }
    HANDLE done;
    std::atomic<int> notified{0};
};

FrameAxisView pageView(f64 firstFrame, f64 framesPerPixel, u64 frames) {
    FrameAxisView v;
    v.pixelsPerFrame = 1.0 / framesPerPixel;
    v.firstColumn = 0;
    v.origin = -firstFrame / framesPerPixel;
    v.firstFrame = firstFrame;
    v.endFrame = std::min<f64>((f64)frames, firstFrame + framesPerPixel * kColumns);
    v.columnCount = kColumns;
    return v;
}

// Waits until the cache is complete. A pane reloads on each notification; one that does not is
// polled, and should have been told once.
bool waitComplete(BenchSource& source, bool refill, FrameAxisView& view, WaveViewData& data) {
    double until = benchSeconds() + 120.0;
    while (source.loadProgress() != 100) {
        if (benchSeconds() > until) return false;
        if (!refill) {
            Sleep(5);
            continue;
        }
        if (WaitForSingleObject(source.done, 1000) != WAIT_OBJECT_0) continue;
        ResetEvent(source.done);
        source.fill(view, data);
    }
    return true;
}
}  // namespace

RAVO_BENCH(peaks) {
    SoundStore store;
    SoundFormat format;
    u64 start = 0, length = 0;
    std::string sox = benchDataFolder() + "\\peaks_in.wav";
    BenchErrorPrinter handler("peaks");
    if (GetFileAttributesA(sox.c_str()) != INVALID_FILE_ATTRIBUTES &&
        openSoundFile(sox.c_str(), &format, &store, &handler, nullptr)) {
        start = store.dataOffset;
        length = store.length;
    } else {
        if (!openHourOfSound(store, format)) return;
        store.unlock();
        start = store.dataOffset;
        length = store.length;
    }
    const u64 frames = length / benchFrameBytes;
    PerformanceSettings saved = appSettings.Editor.Performance;
    appSettings.Editor.Performance.cache2Level = 1;

    // Requests the peaks for the whole view and waits until they are complete.
    auto computeAll = [&](BenchSource& source, WaveViewData& data, bool refill) {
        source.setFormat(&store, 2, 2, start, length);
        FrameAxisView whole = pageView(0, (f64)frames / kColumns, frames);
        source.fill(whole, data);
        bool ok = waitComplete(source, refill, whole, data);
        source.fill(whole, data);
        return ok && data.count == kColumns * 4;
    };
    // From the request to a complete full-view buffer, the pane reloading on each notification; the
    // peak file is new each run.
    std::vector<double> complete;
    int notifiedWhileReloading = 0;
    for (int run = 0; run < 3; ++run) {
        BenchSource source;
        WaveViewData data;
        double t0 = benchSeconds();
        bool ok = computeAll(source, data, true);
        complete.push_back(benchSeconds() - t0);
        if (!ok) {
            benchResult("peaks: cache did not complete", 0, "");
            appSettings.Editor.Performance = saved;
            return;
        }
        notifiedWhileReloading = source.notified;
    }
    benchResult("peaks: request to complete full-view columns, one hour stereo 16-bit (median of 3)",
                benchMedian(complete), "s");
    benchResult("peaks: computing", (f64)length / benchMedian(complete) / 1e6, "MB/s");
    benchResult("peaks: notifications while the pane reloads on each", notifiedWhileReloading, "");
    {
        BenchSource source;
        WaveViewData data;
        computeAll(source, data, false);
        benchResult("peaks: notifications while the pane does not reload", source.notified, "");
    }

    // Pages from the computed peaks: scrolled by a third of a page, then zoomed in and out.
    BenchSource source;
    WaveViewData data;
    computeAll(source, data, true);
    std::vector<double> scrolled, zoomed;
    for (int i = 0; i < 60; ++i) {
        f64 fpp = 4096.0;
        FrameAxisView page = pageView((f64)((u64)(i * fpp * kColumns / 3) % (frames / 2)), fpp, frames);
        double t0 = benchSeconds();
        source.fill(page, data);
        scrolled.push_back((benchSeconds() - t0) * 1000.0);
        f64 zoom = (i % 2 ? 1.5 : 1.0 / 1.5) * (2000.0 + 1000.0 * (i % 40));
        FrameAxisView z = pageView((f64)(frames / 3), zoom, frames);
        t0 = benchSeconds();
        source.fill(z, data);
        zoomed.push_back((benchSeconds() - t0) * 1000.0);
    }
    benchResult("peaks: fill of a scrolled page from the peaks (median of 60)", benchMedian(scrolled), "ms");
    benchResult("peaks: fill of a zoomed page from the peaks (median of 60)", benchMedian(zoomed), "ms");
    benchResult("peaks: fill of a scrolled page, slowest", *std::max_element(scrolled.begin(), scrolled.end()), "ms");
    benchResult("peaks: fill of a zoomed page, slowest", *std::max_element(zoomed.begin(), zoomed.end()), "ms");
    appSettings.Editor.Performance = saved;
}
