// The pencil strokes drawn with real mouse messages in the Editor's pane, the fragment and mix
// files checked against sox, and the track rewrite of TRACKS_ADD_REMOVE through its dialog.
#include "editor/track_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "editor/editor_window.h"
#include "editor/effect_command.h"
#include "editor/track_dialogs.h"
#include "editor/wave_pane.h"
#include "engine/curve_points.h"
#include "gui/controls/image_button.h"
#include "gui/input/input_routing.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/action_table.h"
#include "gui/views/table.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/own_sound.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dialogs/scripted_file_dialog.h"
#include "tests/gui/input_fixture.h"

namespace {

enum : u32 { SaveFragmentId = 309, TracksAddRemoveId = 562, MixId = 589 };

struct StrokeFixture : EditorFixture {
    InputSeam seam;
    StrokeFixture() {
        effectCommandHandler = runEffectCommand;
        seam.active = owner.hwnd;
    }
    // The pane's once-per-run hint takes the first press: spent here, before any drawing.
    void spendFirstPress() {
        const RECT lane = page->pane->laneRect(0);
        click(x(10), (lane.top + lane.bottom) / 2);
        select(0, 0);
        boxes.clear();
    }
    ~StrokeFixture() { fileDialogSystem = fileDialogSystemDefaults; }

    i32 x(u64 frame) { return (i32)page->pane->pixelOfFrame(frame); }
    void click(i32 px, i32 py) {
        seam.pointAt(page->pane->hwnd, px, py);
        SendMessageA(page->pane->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(px, py));
        SendMessageA(page->pane->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(px, py));
    }
    // The frame and value that a click at the point draws.
    std::pair<u64, f64> at(i32 px, i32 py) {
        f64 value = 0;
        EXPECT_EQ(page->pane->laneAt(py, &value), 0);
        return {page->pane->frameAtX(px), value};
    }
    void space(i32 px, i32 py) {
        seam.pointAt(page->pane->hwnd, px, py);
        GInputEvent event;
        ASSERT_TRUE(keyModifierState(WM_KEYDOWN, VK_SPACE, 1, &event));
        event.target = page->pane;
        routeKeyEvent(&event);
    }
};

i16 drawn(f64 v) { return (i16)(i32)std::trunc(v); }

// An own-format file holding the sample bytes of a sox sound.
std::string ownSound(EditorFixture& f, const std::string& wave, u32 tracks, u32 rate, const std::string& name) {
    const std::string path = f.dir.file(name);
    EXPECT_TRUE(writeOwnSound(wave, tracks, rate, path));
    return path;
}

std::string soxOut(EditorFixture& f, const std::string& in, const std::string& name, const std::string& effects) {
    const std::string out = f.dir.file(name);
    EXPECT_EQ(0, runSox("\"" + unixPath(in) + "\" \"" + unixPath(out) + "\" " + effects));
    return out;
}

}  // namespace

TEST(Strokes, PointLineAndCurveChangeExactlyTheirFramesAndUndoExactly) {
    StrokeFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 0.5 sine 300 vol 0.5")));
    const std::string original = f.bytes();
    f.spendFirstPress();
    WavePane& pane = *f.page->pane;
    const RECT lane = pane.laneRect(0);
    const i32 high = lane.top + (lane.bottom - lane.top) / 5, low = lane.bottom - (lane.bottom - lane.top) / 4;

    // A point: its one frame takes the value under the pointer.
    f.command(actionIdByName("POINT_DRAW"));
    ASSERT_EQ(pane.drawMode, (u32)WavePointDraw);
    auto point = f.at(f.x(1000), high);
    f.click(f.x(1000), high);
    ASSERT_TRUE(f.finished());
    std::string expected = original;
    const i16 pv = drawn(point.second);
    memcpy(&expected[point.first * 2], &pv, 2);
    EXPECT_TRUE(f.bytes() == expected);
    EXPECT_TRUE(f.page->modified);

    // A line between two clicks, left to right from the second to the first.
    f.command(actionIdByName("LINE_DRAW"));
    auto a = f.at(f.x(2600), low), b = f.at(f.x(2000), high);
    f.click(f.x(2600), low);
    f.click(f.x(2000), high);
    ASSERT_TRUE(f.finished());
    const f64 slope = (a.second - b.second) / (f64)(a.first - b.first);
    for (u64 k = b.first; k <= a.first; ++k) {
        const i16 v = drawn(k == b.first ? b.second : b.second + (f64)(k - b.first) * slope);
        memcpy(&expected[k * 2], &v, 2);
    }
    EXPECT_TRUE(f.bytes() == expected);

    // A curve through three points, the last where the pointer is when Space sends it.
    f.command(actionIdByName("CURVE_DRAW"));
    auto c0 = f.at(f.x(3000), high), c1 = f.at(f.x(3200), low), c2 = f.at(f.x(3500), high);
    f.click(f.x(3000), high);
    f.click(f.x(3200), low);
    f.space(f.x(3500), high);
    ASSERT_TRUE(f.finished());
    CurvePoints curve;
    for (auto p : {c0, c1, c2}) curve.addPoint((f64)p.first, p.second);
    for (u64 k = c0.first; k <= c2.first; ++k) {
        const i16 v = drawn(std::max(-32767.0, std::min(32767.0, curve.interpolate((f64)k))));
        memcpy(&expected[k * 2], &v, 2);
    }
    EXPECT_TRUE(f.bytes() == expected);

    // Three steps, each undone exactly.
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(f.command(EditorUndo));
    EXPECT_TRUE(f.bytes() == original);
    EXPECT_FALSE(f.page->history.canUndo());
}

TEST(Strokes, PastTheEndOrWithoutATrackNothingIsRecorded) {
    StrokeFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 0.25 sine 300 vol 0.5")));
    const std::string original = f.bytes();
    WavePane& pane = *f.page->pane;
    // Zoomed out, the sound ends inside the plot.
    pane.setScale(pane.scaleX / 2, pane.scaleY);
    pane.recalculate(true);
    f.spendFirstPress();
    const RECT lane = pane.laneRect(0);
    const i32 end = f.x(2000) + 20, y = lane.top + (lane.bottom - lane.top) / 3;
    ASSERT_TRUE(pane.insidePlotX(end));
    f.command(actionIdByName("POINT_DRAW"));
    f.click(end, y);
    ASSERT_TRUE(f.finished());
    EXPECT_TRUE(f.bytes() == original);
    EXPECT_FALSE(f.page->history.canUndo());
    EXPECT_FALSE(f.page->modified);
    EXPECT_TRUE(boxes.empty());

    // No track selected: the refusal says so and nothing changes.
    f.page->format.selectOnlyTrack(0);
    f.page->format.tracks[0].flags &= ~trackSelected;
    f.page->format.rebuildSelectionMask();
    f.click(f.x(500), y);
    ASSERT_TRUE(f.finished());
    EXPECT_TRUE(shown(RavoText::EditorNoTrack));
    EXPECT_TRUE(f.bytes() == original);
    EXPECT_FALSE(f.page->history.canUndo());
}

TEST(TrackCommands, SaveFragmentOfTheFirstTrackIsSoxTrimRemix) {
    StrokeFixture f;
    const std::string in = f.make("-r 8000 -c 2 -b 16", "synth 0.5 sine 300 sine 700 vol 0.6");
    ASSERT_TRUE(f.open(in));
    f.page->format.selectOnlyTrack(0);
    f.select(1000, 3000);
    scriptedFileDialogs();
    const std::string target = f.dir.file("fragment.wav");
    scriptedFileChoice() = target;
    EXPECT_TRUE(f.command(SaveFragmentId));
    ASSERT_TRUE(f.finished());
    const std::string expected = soxOut(f, in, "expected.wav", "trim 1000s 2000s remix 1");
    const std::string written = fileSamples(target);
    ASSERT_EQ(written.size(), 4000u);
    EXPECT_TRUE(written == fileSamples(expected));
    EXPECT_TRUE(f.dir.read("fragment.wav") == f.dir.read("expected.wav")) << "the whole file, header and all";
    EXPECT_TRUE(f.bytes() == fileSamples(in)) << "the sound itself is unchanged";

    // The document's own file is refused as the target, and a cancel writes nothing.
    scriptedFileChoice() = in;
    f.command(SaveFragmentId);
    ASSERT_TRUE(f.finished());
    EXPECT_TRUE(shown(RavoText::TargetIsDocument));
    scriptedFileChoice() = "";
    boxes.clear();
    f.command(SaveFragmentId);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(f.bytes() == fileSamples(in));
}

TEST(TrackCommands, MixOfAnOwnSoundIsSixteenBitStereoThatSoxDecodesAndOpens) {
    StrokeFixture f;
    const std::string wave = f.make("-r 8000 -c 3 -b 16", "synth 0.25 sine 300 sine 500 sine 700 vol 0.2");
    const std::string own = ownSound(f, wave, 3, 8000, "three.ravo");
    ASSERT_TRUE(f.open(own));
    ASSERT_TRUE(f.page->format.flags & formatOwn);
    EXPECT_EQ(f.page->commandState(MixId), 0);
    scriptedFileDialogs();
    const std::string target = f.dir.file("mix.wav");
    scriptedFileChoice() = target;
    EXPECT_TRUE(f.command(MixId));
    ASSERT_TRUE(pumpUntil([&] { return f.page->hasDocument && f.page->isAttachedFile(target.c_str()); }, 20000));
    // sox reads it as 16-bit stereo at the sound's rate, every frame there.
    const std::string decoded = soxOut(f, target, "decoded.wav", "");
    EXPECT_TRUE(fileSamples(decoded) == fileSamples(target));
    EXPECT_EQ(fileSamples(target).size(), 2000u * 4);
    EXPECT_TRUE(f.page->format.flags & formatPcm);
    EXPECT_EQ(f.page->format.encoding, encodingInt16);
    EXPECT_EQ(f.page->format.sampleRate, 8000u);
    EXPECT_EQ(f.page->format.trackCount(), 2u);
}

TEST(TrackCommands, ModifiedOrPlainWaveSoundsAreRefusedAndTheFileStaysAsItWas) {
    StrokeFixture f;
    // A plain WAVE sound: the own format's commands are disabled.
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 0.25 sine 300 sine 500")));
    EXPECT_EQ(f.page->commandState(TracksAddRemoveId), 1);
    EXPECT_EQ(f.page->commandState(MixId), 1);

    const std::string wave = f.make("-r 8000 -c 2 -b 16", "synth 0.25 sine 300 sine 500 vol 0.5");
    const std::string own = ownSound(f, wave, 2, 8000, "two.ravo");
    ASSERT_TRUE(f.open(own));
    EXPECT_EQ(f.page->commandState(TracksAddRemoveId), 0);
    const std::string before = f.dir.read("two.ravo");
    f.select(0, 100);
    gainFactor = 0.5;
    effectCommandHandler = [](EditorWindow*, u32, SoundBlockProcessor* p) {
        p->param1 = 0.5;
        return 1;
    };
    f.command(EditorAmplify);
    ASSERT_TRUE(f.finished());
    ASSERT_TRUE(f.page->modified);
    effectCommandHandler = runEffectCommand;
    boxes.clear();
    f.command(TracksAddRemoveId);
    EXPECT_TRUE(shown(RavoText::EditorUnsaved));
    EXPECT_EQ(f.dir.read("two.ravo"), before);
    EXPECT_TRUE(f.page->hasDocument);
}

TEST(TrackCommands, ReorderingTwoTracksIsSoxRemixAndReopens) {
    StrokeFixture f;
    const std::string wave = f.make("-r 8000 -c 2 -b 16", "synth 0.25 sine 300 sine 500 vol 0.5");
    const std::string own = ownSound(f, wave, 2, 8000, "pair.ravo");
    ASSERT_TRUE(f.open(own));
    std::vector<i32> mapping;
    ModalScript script(TypeGAddRemoveTracksDialog, {[&](GDialog& d) {
        auto& dialog = static_cast<GAddRemoveTracksDialog&>(d);
        dialog.table->clickRow(1, 1);
        dialog.updateButtons();

        ModalScript::click(d, GAddRemoveTracksDialog::Up);
        EXPECT_EQ(dialog.rows[0].layer, 1u);
        ModalScript::click(d, 1);
        mapping.assign(dialog.format->trackOrder, dialog.format->trackOrder + 2);
    }});
    EXPECT_TRUE(f.command(TracksAddRemoveId));
    ASSERT_EQ(script.runs, 1);
    EXPECT_EQ(mapping, (std::vector<i32>{1, 0}));
    ASSERT_TRUE(pumpUntil([&] { return f.page->hasDocument && f.page->dataLength > 0; }, 20000));
    EXPECT_TRUE(f.page->isAttachedFile(own.c_str()));
    EXPECT_EQ(f.page->format.trackCount(), 2u);
    EXPECT_TRUE(f.bytes() == fileSamples(soxOut(f, wave, "swapped.wav", "remix 2 1")));
    EXPECT_EQ(f.dir.list().size(), 3u) << "no temporary file is left";

    // The same mapping again is nothing to do: no question after the dialog, the file unchanged.
    const std::string before = f.dir.read("pair.ravo");
    ModalScript again(TypeGAddRemoveTracksDialog, {[&](GDialog& d) { ModalScript::click(d, 1); }});
    f.command(TracksAddRemoveId);
    EXPECT_EQ(again.runs, 1);
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(f.dir.read("pair.ravo"), before);
}
