// RECORD in an Editor page through the machine's wave-in device: the dialogs answered as a user
// answers them, the recorded frames in the sound and one undo step.
#include <gtest/gtest.h>


#include "app/app_settings.h"
#include "editor/editor_file_commands.h"
#include "editor/editor_window.h"
#include "editor/record_dialogs.h"
#include "editor/wave_pane.h"
#include "gui/kernel/modal_run.h"
#include "tests/editor/editor_page_fixture.h"
#include "tests/mm/sox_tool.h"

namespace {

const u32 Record = 315, Undo = 408;

// The answer given to each dialog of the record command as it opens: a command id, 0 none.
u32 recordAnswer = 1;
std::vector<std::string> dialogsSeen;

void CALLBACK answerDialogs(HWND, UINT, UINT_PTR, DWORD) {
    GDialog* d = pendingModalDialog();
    if (!d || !d->hwnd) return;
    std::string name = d->className();
    if (dialogsSeen.empty() || dialogsSeen.back() != name) dialogsSeen.push_back(name);
    if (name == "RecordDialog") PostMessageA(d->hwnd, WM_COMMAND, MAKEWPARAM(recordAnswer, 0), 0);
}

struct RecordScope {
    RecordSettings saved = appSettings.Editor.Record;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, answerDialogs);
    RecordScope() {
        dialogsSeen.clear();
        RecordSettings& r = appSettings.Editor.Record;
        r.writeMode = 2;
        r.positionMode = 0;
        r.begin.mode = 0;
        r.end.mode = 1;
        r.end.delay = {22050, 44100};  // half a second
    }
    ~RecordScope() {
        KillTimer(nullptr, timer);
        appSettings.Editor.Record = saved;
    }
};

}  // namespace

// Half a second from the device (silence, as the test set-up records) replaces a tone at the
// cursor; the recorded stretch is selected and one undo brings the old bytes back.
TEST(EditorRecord, RecordingReplacesTheSoundAtTheCursorAsOneUndoStep) {
    EditorPage f;
    RecordScope scope;
    recordAnswer = 1;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 2 sine 1000 vol 0.5")));
    const std::string before = f.bytes();
    f.page->pane->setCursor(4410);
    ASSERT_TRUE(f.command(Record));
    EXPECT_EQ(dialogsSeen, (std::vector<std::string>{"RecordDialog", "RecordProcessDialog"}));
    const std::string after = f.bytes();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(f.page->pane->selStart, 4410u);
    EXPECT_EQ(f.page->pane->selEnd, 4410u + 22050);
    EXPECT_EQ(after.substr(0, 4410 * 4), before.substr(0, 4410 * 4));
    EXPECT_EQ(after.substr(4410 * 4, 22050 * 4), std::string(22050 * 4, '\0'));
    EXPECT_EQ(after.substr((4410 + 22050) * 4), before.substr((4410 + 22050) * 4));
    EXPECT_TRUE(f.page->modified);

    ASSERT_TRUE(f.command(Undo));
    EXPECT_EQ(f.bytes(), before);
}

// Cancel in the record dialog records nothing.
TEST(EditorRecord, CancelInTheRecordDialogRecordsNothing) {
    EditorPage f;
    RecordScope scope;
    recordAnswer = 2;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 0.5 sine 300")));
    const std::string before = f.bytes();
    ASSERT_TRUE(f.command(Record));
    EXPECT_EQ(dialogsSeen, std::vector<std::string>{"RecordDialog"});
    EXPECT_EQ(f.bytes(), before);
    EXPECT_FALSE(f.page->history.canUndo());

}

// Only one or two selected tracks can be recorded into: another count is shown and nothing opens.
TEST(EditorRecord, AnotherTrackCountIsRefusedWithTheCount) {
    EditorPage f;
    RecordScope scope;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 0.5 sine 300")));
    for (u32 t = 0; t < f.page->format.trackCount(); ++t) f.page->format.tracks[t].flags &= ~trackSelected;
    f.takeBoxes();
    ASSERT_TRUE(f.command(Record));
    EXPECT_TRUE(dialogsSeen.empty());
    std::vector<std::string> boxes = f.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u) << f.page->commandState(Record);
    EXPECT_EQ(boxes[0].substr(0, 2), "0 ");
}

// After the count the track dialog opens: a choice of one track goes on to the record dialog, a
// cancelled or still wrong choice records nothing.
TEST(EditorRecord, AnotherTrackCountOpensTheTrackChoice) {
    struct Case {
        bool ok;
        u32 selectTracks;
        bool recordDialogOpens;
    } cases[] = {{true, 1, true}, {true, 0, false}, {false, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selectTracks + (c.ok ? 10 : 0));
        EditorPage f;
        RecordScope scope;
        recordAnswer = 2;
        ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 0.5 sine 300")));
        for (u32 t = 0; t < f.page->format.trackCount(); ++t) f.page->format.tracks[t].flags &= ~trackSelected;
        static const Case* current;
        current = &c;
        auto saved = tracksDialogHook;
        tracksDialogHook = [](EditorWindow*, SoundFormat* format) {
            for (u32 t = 0; t < current->selectTracks; ++t) format->tracks[t].flags |= trackSelected;
            return current->ok;
        };
        f.takeBoxes();
        const std::string before = f.bytes();
        ASSERT_TRUE(f.command(Record));
        tracksDialogHook = saved;
        EXPECT_EQ(f.takeBoxes().size(), 1u);
        EXPECT_EQ(dialogsSeen, c.recordDialogOpens ? std::vector<std::string>{"RecordDialog"}
                                                   : std::vector<std::string>{});
        EXPECT_EQ(f.bytes(), before);
    }
}
