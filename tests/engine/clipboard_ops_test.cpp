#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "core/gfile.h"
#include "engine/processor.h"
#include "mm/mm_texts.h"
#include "mm/sound_clipboard.h"
#include "tests/engine/engine_fixture.h"

namespace {

const u32 COPY = 410, CUT = 411, PASTE = 414, PASTE_ADD = 415, PASTE_SUB = 416, PASTE_INSERT = 417, PASTE_REP = 418;

// Runs an action over frames [from, to) of the sound the way the Editor dispatches it.
std::unique_ptr<SoundBlockProcessor> run(TestSound& s, u32 action, u64 from, u64 to, RecordingOwner* owner = nullptr,
                                         JobProgress* progress = nullptr, i32 edgeFrames = 0) {
    auto p = bindProcessor(s, from, to, edgeFrames, owner);
    p->actionId = action;
    p->progress = progress;
    if (progress) progress->setTotal(p->rangeLength);
    SlotCall call;
    EXPECT_TRUE(slotForAction(action, &call));
    p->runSlot(call.slot, call.argument, call.argument2);
    return p;
}

// The clipboard's contents as samples of its encoding.
std::vector<f64> clipboardSamples() {
    SoundClipboard& c = soundClipboard();
    std::vector<u8> bytes((size_t)c.size);
    if (c.inFile()) {
        EXPECT_TRUE(fileSeek(c.file, 0, SEEK_SET));
        EXPECT_TRUE(fileRead(c.file, bytes.data(), (u32)bytes.size()));
    } else if (c.size) {
        memcpy(bytes.data(), c.buffer, bytes.size());
    }
    return sampleValues(c.format.encoding, bytes);
}

std::vector<f64> ramp(size_t n, f64 from = 1, f64 step = 1) {
    std::vector<f64> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = from + step * (f64)i;
    return v;
}

// Samples of the given tracks of interleaved frames.
std::vector<f64> tracksOf(const std::vector<f64>& frames, u32 channels, std::vector<u32> tracks, size_t from = 0,
                          size_t to = (size_t)-1) {
    std::vector<f64> v;
    for (size_t f = from; f < std::min(to, frames.size() / channels); ++f)
        for (u32 t : tracks) v.push_back(frames[f * channels + t]);
    return v;
}

void setLayers(TestSound& s, const std::vector<u32>& layers) {
    for (size_t t = 0; t < layers.size(); ++t) s.format.tracks[(u32)t].layer = layers[t];
}

void selectTracks(TestSound& s, const std::vector<u8>& mask) {
    for (size_t t = 0; t < mask.size(); ++t) {
        if (mask[t]) s.format.tracks[(u32)t].flags |= trackSelected;
        else s.format.tracks[(u32)t].flags &= ~trackSelected;
    }
    s.format.rebuildSelectionMask();
}
}  // namespace

// The selected tracks in layer order; up to 1 MiB in memory, above it in the clip file. A copy
// changes nothing of the sound, tells the owner nothing and leaves the positions alone.
TEST(ClipboardOperations, CopyTakesTheSelectedTracksInLayerOrderInMemoryOrInTheClipFile) {
    struct Case {
        const char* name;
        u32 channels;
        u32 frames;
        std::vector<u8> mask;
        std::vector<u32> layers;
        std::vector<u32> expectedTracks;
        bool inFile;
    };
    const Case cases[] = {
        {"one of two tracks, 600000 bytes", 2, 300000, {1, 0}, {0, 1}, {0}, false},
        {"both tracks, 2400000 bytes", 2, 600000, {1, 1}, {0, 1}, {0, 1}, true},
        {"exactly 1 MiB", 1, 0x80000, {1}, {0}, {0}, false},
        {"one frame over 1 MiB", 1, 0x80001, {1}, {0}, {0}, true},
        {"layers reversed", 3, 1000, {1, 0, 1}, {2, 0, 1}, {2, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<f64> input(c.frames * c.channels);
        for (size_t i = 0; i < input.size(); ++i) input[i] = (f64)((i * 37) % 60000) - 30000.0;
        TestSound s(encodingInt16, c.channels, input);
        setLayers(s, c.layers);
        selectTracks(s, c.mask);
        RecordingOwner owner(&s);
        auto p = run(s, COPY, 0, c.frames, &owner);
        SoundClipboard& clip = soundClipboard();
        EXPECT_TRUE(clip.valid);
        EXPECT_EQ(c.inFile, clip.inFile());
        EXPECT_EQ((u64)c.frames * 2 * c.expectedTracks.size(), clip.size);
        EXPECT_EQ(c.expectedTracks.size(), clip.format.trackCount());
        EXPECT_EQ(tracksOf(input, c.channels, c.expectedTracks), clipboardSamples());
        EXPECT_TRUE(owner.events.empty());
        EXPECT_EQ(unsetPosition, p->extraPositions[newSelectionStart]);
        EXPECT_EQ(input, s.samples());
    }
    // Without a selected track: the message, and an empty clipboard.
    TestSound s(encodingInt16, 2, {1, 2, 3, 4});
    selectTracks(s, {0, 0});
    run(s, COPY, 0, 2);
    EXPECT_FALSE(soundClipboard().valid);
    EXPECT_EQ(0u, soundClipboard().size);
    ASSERT_EQ(1u, s.handler.reports.size());
    EXPECT_EQ(0u, s.handler.lastText().find(mmText(MmText::NoTrackSelected)));
}

// PASTE_REP over 2.5 clipboard lengths writes it twice and then its first half, in every type, on the
// fast path (equal layouts) and on the general one (layers permuted), with the same bytes; a 16-bit
// clipboard goes into a float sound unscaled.
TEST(ClipboardOperations, RepeatedPasteOnTheFastAndTheGeneralPathGivesTheSameBytes) {
    const u32 clipFrames = 1000, frames = 5000;
    for (u32 encoding : allEncodings) {
        for (bool permuted : {false, true}) {
            SCOPED_TRACE(testing::Message() << encodingName(encoding) << (permuted ? ", layers permuted" : ""));
            const std::vector<f64> source = ramp(clipFrames * 2, -900, 1);
            TestSound from(encoding, 2, source);
            if (permuted) setLayers(from, {1, 0});
            run(from, COPY, 0, clipFrames);

            const std::vector<f64> input = ramp(frames * 2, -5000, 1);
            TestSound s(encoding, 2, input);
            if (permuted) setLayers(s, {1, 0});
            RecordingOwner owner(&s);
            auto p = run(s, PASTE_REP, 100, 100 + clipFrames * 5 / 2, &owner);
            std::vector<f64> want = input;
            for (u32 f = 0; f < clipFrames * 5 / 2; ++f)
                for (u32 t = 0; t < 2; ++t) want[(100 + f) * 2 + t] = source[(f % clipFrames) * 2 + t];
            EXPECT_EQ(want, s.samples());
            const std::string length = std::to_string(clipFrames * 5 / 2 * s.frameBytes());
            EXPECT_EQ((std::vector<std::string>{"range " + std::to_string(s.at(100)) + " " + length + " " + length,
                                                "finished"}),
                      owner.events);
            EXPECT_EQ(s.at(100), p->extraPositions[newSelectionStart]);
            EXPECT_EQ(s.at(100 + clipFrames * 5 / 2), p->extraPositions[newCursor]);
            owner.undoAll();
            EXPECT_EQ(input, s.samples());
        }
    }
    TestSound from(encodingInt16, 1, {1000, -2000, 30000});
    run(from, COPY, 0, 3);
    TestSound s(encodingFloat, 1, {0, 0, 0, 0});
    run(s, PASTE, 1, 4);
    EXPECT_EQ((std::vector<f64>{0, 1000, -2000, 30000}), s.samples());
}

// Clipboard tracks go to the selected tracks in ascending layer order, not in track order; a track
// without one keeps its samples.
TEST(ClipboardOperations, ClipboardTracksMapToSelectedTracksByLayer) {
    TestSound from(encodingInt32, 2, {1, 2, 3, 4});
    run(from, COPY, 0, 2);
    struct Case {
        std::vector<u32> layers;
        std::vector<u8> mask;
        std::vector<f64> want;
    };
    const Case cases[] = {
        {{2, 1, 0}, {1, 0, 1}, {2, 7, 1, 4, 7, 3}},  // layer 0 (track 2) gets track 0
        {{0, 1, 2}, {1, 0, 1}, {1, 7, 2, 3, 7, 4}},
        {{1, 2, 0}, {1, 1, 0}, {1, 2, 7, 3, 4, 7}},
    };
    for (const Case& c : cases) {
        TestSound s(encodingInt32, 3, std::vector<f64>(6, 7.0));
        setLayers(s, c.layers);
        selectTracks(s, c.mask);
        run(s, PASTE, 0, 2);
        EXPECT_EQ(c.want, s.samples());
    }
    // The same layout and type without a combine function: every track is written, selected or not.
    TestSound s(encodingInt32, 2, std::vector<f64>(4, 7.0));
    selectTracks(s, {1, 0});
    run(s, PASTE, 0, 2);
    EXPECT_EQ((std::vector<f64>{1, 2, 3, 4}), s.samples());
}

// PASTE_ADD clips only in 16 bits, and says so; PASTE_SUB of the same samples leaves silence.
TEST(ClipboardOperations, CombinedPastesClipOnlyInSixteenBits) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        TestSound from(encoding, 2, {10000, 5, -20000, 6});
        selectTracks(from, {1, 0});
        run(from, COPY, 0, 2);
        TestSound s(encoding, 2, {30000, 1, -20000, 2, 9, 9});
        selectTracks(s, {1, 0});
        auto p = run(s, PASTE_ADD, 0, 2);
        const bool is16 = encoding == encodingInt16;
        EXPECT_EQ((std::vector<f64>{is16 ? 32767.0 : 40000.0, 1, is16 ? -32767.0 : -40000.0, 2, 9, 9}), s.samples());
        EXPECT_EQ(is16 ? clippedFlag : 0u, p->flags & clippedFlag);

        TestSound same(encoding, 2, {10000, 5, -20000, 6});
        selectTracks(same, {1, 0});
        p = run(same, PASTE_SUB, 0, 2);
        EXPECT_EQ((std::vector<f64>{0, 5, 0, 6}), same.samples());
        EXPECT_EQ(0u, p->flags & clippedFlag);
    }
}

// A paste that runs past the end replaces up to the end and lengthens the sound; from there on the
// unmapped tracks get 0 and the combined variants write the plain clipboard samples. At the very end
// it replaces nothing and appends.
TEST(ClipboardOperations, PastePastTheEndLengthensTheSound) {
    TestSound from(encodingInt16, 1, {100, 200, 300, 400});
    run(from, COPY, 0, 4);
    for (u32 action : {PASTE, PASTE_ADD, PASTE_SUB}) {
        SCOPED_TRACE(action);
        TestSound s(encodingInt16, 2, {1, 2, 3, 4, 5, 6});
        selectTracks(s, {1, 0});
        RecordingOwner owner(&s);
        run(s, action, 1, 5, &owner);
        const f64 a = action == PASTE ? 100 : action == PASTE_ADD ? 103 : 3 - 100;
        const f64 b = action == PASTE ? 200 : action == PASTE_ADD ? 205 : 5 - 200;
        EXPECT_EQ((std::vector<f64>{1, 2, a, 4, b, 6, 300, 0, 400, 0}), s.samples());
        EXPECT_EQ("range 48 8 16", owner.events[0]);
        owner.undoAll();
        EXPECT_EQ((std::vector<f64>{1, 2, 3, 4, 5, 6}), s.samples());
    }
    TestSound s(encodingInt16, 1, {1, 2});
    RecordingOwner owner(&s);
    run(s, PASTE, 2, 6, &owner);
    EXPECT_EQ((std::vector<f64>{1, 2, 100, 200, 300, 400}), s.samples());
    EXPECT_EQ("range 48 0 8", owner.events[0]);
}

// A one-track clipboard inserted into a stereo sound with one track selected: that track gets it,
// the other silence, over the inserted length; the rest moves on. Undo takes it out again.
TEST(ClipboardOperations, PasteInsertIntoAPartialSelection) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        TestSound from(encoding, 1, {-5, 6, 7});
        run(from, COPY, 0, 3);
        TestSound s(encoding, 2, {1, 2, 3, 4});
        selectTracks(s, {0, 1});
        RecordingOwner owner(&s);
        auto p = run(s, PASTE_INSERT, 1, 4, &owner);
        EXPECT_EQ((std::vector<f64>{1, 2, 0, -5, 0, 6, 0, 7, 3, 4}), s.samples());
        EXPECT_EQ((std::vector<std::string>{"range " + std::to_string(s.at(1)) + " 0 " + std::to_string(3 * s.frameBytes()),
                                            "finished"}),
                  owner.events);
        EXPECT_EQ(s.at(4), p->extraPositions[newCursor]);
        owner.undoAll();
        EXPECT_EQ((std::vector<f64>{1, 2, 3, 4}), s.samples());
    }
}

// CUT of one track of a stereo sound: the length stays, that track is silent over the range, the
// other keeps its samples, the clipboard holds the old samples of the cut track. A cancel stops the
// copy (the clipboard keeps the frames it got) but not the silencing.
TEST(ClipboardOperations, CutSilencesTheSelectedTracksEvenWhenCancelled) {
    const u32 frames = 60000;
    for (u32 encoding : allEncodings) {
        for (bool cancel : {false, true}) {
            SCOPED_TRACE(testing::Message() << encodingName(encoding) << (cancel ? ", cancelled" : ""));
            std::vector<f64> input(frames * 2);
            for (size_t i = 0; i < input.size(); ++i) input[i] = (f64)((i * 37) % 20000) - 10000.0;
            TestSound s(encoding, 2, input);
            selectTracks(s, {0, 1});
            RecordingOwner owner(&s);
            CancellingProgress progress(2);
            run(s, CUT, 10, frames - 10, &owner, cancel ? &progress : nullptr);
            std::vector<f64> want = input;
            for (u32 f = 10; f < frames - 10; ++f) want[f * 2 + 1] = 0;
            EXPECT_EQ(want, s.samples());
            SoundClipboard& clip = soundClipboard();
            EXPECT_TRUE(clip.valid);
            const std::vector<f64> copied = clipboardSamples();
            if (cancel) {
                EXPECT_TRUE(progress.isCancelled());
                EXPECT_GT(copied.size(), 0u);
                EXPECT_LT(copied.size(), frames - 20u);
            } else {
                EXPECT_EQ(frames - 20u, copied.size());
            }
            EXPECT_EQ(tracksOf(input, 2, {1}, 10, 10 + copied.size()), copied);
            owner.undoAll();
            EXPECT_EQ(input, s.samples());
        }
    }
}

// A cancelled copy of some tracks keeps only the frames actually copied, a copy of every track in
// layer order is not ended by a cancel: a later paste never writes bytes nobody copied.
TEST(ClipboardOperations, ACancelledCopyKeepsOnlyTheFramesCopied) {
    const u32 frames = 400000;
    for (std::vector<u8> mask : {std::vector<u8>{1, 1}, std::vector<u8>{1, 0}}) {
        SCOPED_TRACE(mask[1] ? "all tracks" : "one track");
        std::vector<f64> input(frames * 2);
        for (size_t i = 0; i < input.size(); ++i) input[i] = (f64)((i * 37) % 20000 + 1);
        TestSound s(encodingInt16, 2, input);
        selectTracks(s, mask);
        CancellingProgress progress(3);
        run(s, COPY, 0, frames, nullptr, &progress);
        SoundClipboard& clip = soundClipboard();
        EXPECT_EQ(mask[1] != 0, clip.inFile());
        const u32 tracks = mask[1] ? 2 : 1;
        EXPECT_TRUE(progress.isCancelled());
        ASSERT_GT(clip.size, 0u);
        if (tracks == 2) ASSERT_EQ(clip.size, (u64)frames * 2 * tracks);
        else ASSERT_LT(clip.size, (u64)frames * 2 * tracks);
        const std::vector<f64> copied = clipboardSamples();
        std::vector<u32> which = {0};
        if (tracks == 2) which.push_back(1);
        EXPECT_EQ(tracksOf(input, 2, which, 0, copied.size() / tracks), copied);

        // Pasted over a silent sound of the full length: the copied frames repeated, nothing else.
        TestSound target(encodingInt16, 2, std::vector<f64>(frames * 2, 0.0));
        selectTracks(target, mask);
        run(target, PASTE_REP, 0, frames);
        std::vector<f64> got = target.samples();
        const size_t copiedFrames = copied.size() / tracks;
        for (size_t f = 0; f < frames; ++f)
            for (u32 k = 0; k < tracks; ++k) ASSERT_EQ(copied[(f % copiedFrames) * tracks + k], got[f * 2 + k]) << f;
    }
}

// A paste cancelled part way writes the pasted pages, then the old samples while the sound has them,
// then zeros: no byte of the new range is left unwritten.
TEST(ClipboardOperations, ACancelledPasteLeavesNoUnwrittenBytes) {
    const u32 clipFrames = 50000, soundFrames = 60000, pasteFrames = 150000;
    TestSound from(encodingInt16, 1, std::vector<f64>(clipFrames, 1234.0));
    run(from, COPY, 0, clipFrames);
    // An undone change leaves its bytes where the paste's new bytes go.
    std::vector<f64> input(soundFrames);
    for (u32 i = 0; i < soundFrames; ++i) input[i] = (f64)(i % 30000) + 1;
    TestSound s(encodingInt16, 1, input);
    {
        RecordingOwner owner(&s);
        auto p = bindProcessor(s, 0, soundFrames, 0, &owner);
        RangeChange grown = p->openChange(s.start(), 0, 400000);
        std::vector<u8> stale(400000, 0x77);
        s.store.writeRange(grown.newCursor, stale.size(), stale.data());
        owner.undoAll();
    }
    CancellingProgress progress(3);
    run(s, PASTE_REP, 1000, 1000 + pasteFrames, nullptr, &progress);
    EXPECT_TRUE(progress.isCancelled());
    std::vector<f64> got = s.samples();
    ASSERT_EQ(1000u + pasteFrames, got.size());
    size_t f = 1000;
    while (f < got.size() && got[f] == 1234.0) ++f;
    EXPECT_GT(f, 1000u);
    EXPECT_LT(f, 1000u + pasteFrames);
    for (; f < got.size(); ++f) ASSERT_EQ(f < soundFrames ? input[f] : 0.0, got[f]) << f;
}

// While a copy or paste holds the clipboard, another is refused with the busy message and changes
// nothing (the pasted range keeps the old samples); the mark is taken atomically across threads.
TEST(ClipboardOperations, ABusyClipboardRefusesCopyAndPaste) {
    TestSound from(encodingInt16, 1, {1, 2, 3});
    run(from, COPY, 0, 3);
    SoundClipboard& clip = soundClipboard();
    ASSERT_TRUE(clip.enter(nullptr));
    TestSound other(encodingInt16, 1, {7, 8, 9});
    run(other, COPY, 0, 3);
    TestSound s(encodingInt16, 1, {4, 5, 6, 7});
    run(s, PASTE, 0, 3);
    clip.leave();
    EXPECT_EQ((std::vector<f64>{4, 5, 6, 7}), s.samples());
    for (TestSound* t : {&other, &s}) {
        ASSERT_EQ(1u, t->handler.reports.size());
        EXPECT_EQ(0u, t->handler.lastText().find(mmText(MmText::ClipboardBusy)));
    }
    EXPECT_EQ((std::vector<f64>{1, 2, 3}), clipboardSamples());
    // A cut, an insert and a paste past the end are refused whole: no change, no undo step.
    struct Refused {
        u32 action;
        u64 from, to;
    } refused[] = {{CUT, 1, 3}, {PASTE_INSERT, 1, 3}, {PASTE, 2, 6}, {PASTE_ADD, 0, 3}};
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.action);
        ASSERT_TRUE(clip.enter(nullptr));
        TestSound t(encodingInt16, 1, {7, 8, 9});
        RecordingOwner owner(&t);
        run(t, r.action, r.from, r.to, &owner);
        clip.leave();
        EXPECT_EQ((std::vector<f64>{7, 8, 9}), t.samples());
        EXPECT_TRUE(owner.events.empty());
        EXPECT_TRUE(owner.changes.empty());
        ASSERT_EQ(1u, t.handler.reports.size());
        EXPECT_EQ(0u, t.handler.lastText().find(mmText(MmText::ClipboardBusy)));
    }
    EXPECT_EQ((std::vector<f64>{1, 2, 3}), clipboardSamples());
    run(s, PASTE, 1, 4);
    EXPECT_EQ((std::vector<f64>{4, 1, 2, 3}), s.samples());

    std::atomic<int> inside{0}, overlaps{0}, entered{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                if (!clip.enter(nullptr)) continue;
                if (inside.fetch_add(1) != 0) ++overlaps;
                ++entered;
                inside.fetch_sub(1);
                clip.leave();
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(0, overlaps.load());
    EXPECT_GT(entered.load(), 0);
}

// Edges on: the pasted range starts in the old sound and ends in it again; the middle is the clipboard.
TEST(ClipboardOperations, PasteBlendsItsEdges) {
    TestSound from(encodingDouble, 1, std::vector<f64>(100, 1000.0));
    run(from, COPY, 0, 100);
    TestSound s(encodingDouble, 1, std::vector<f64>(300, -1000.0));
    run(s, PASTE, 100, 200, nullptr, nullptr, 10);
    std::vector<f64> got = s.samples();
    EXPECT_EQ(-1000.0, got[100]);
    EXPECT_LT(got[101], 0.0);
    EXPECT_EQ(1000.0, got[150]);
    EXPECT_LT(got[199], 0.0);
    EXPECT_EQ(-1000.0, got[200]);
}
