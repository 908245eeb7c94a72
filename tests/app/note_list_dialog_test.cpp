// The event list dialog and the note dialog, run modally with real messages from a timer.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/app/note_event_text.h"

#include <functional>
#include <string>
#include <vector>

#include "app/note_list_dialog.h"
#include "gui/controls/edit_line.h"
#include "gui/frame/board_window.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "tests/gui/gui_fixture.h"

namespace {
std::vector<std::function<bool()>> g_steps;
i32 g_ticks = 0;
void CALLBACK runStep(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_steps.empty() && g_steps.front()()) g_steps.erase(g_steps.begin());
    if (++g_ticks == 300)
        if (GDialog* stuck = pendingModalDialog()) stuck->endDialog(-9);
}

std::vector<std::string> g_boxes;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    g_boxes.push_back(text);
    return 1;
}

GDialog* pendingOf(u32 kind) {
    GDialog* d = pendingModalDialog();
    return d && d->isKindOf(kind) && d->hwnd && IsWindowVisible(d->hwnd) ? d : nullptr;
}

// Ends the dialog's modal run with the command (hidden first: no window manager waits for it).
void endWith(GDialog* d, u32 command) {
    SetWindowLongA(d->hwnd, GWL_STYLE, GetWindowLongA(d->hwnd, GWL_STYLE) & ~WS_VISIBLE);
    PostMessageA(d->hwnd, WM_COMMAND, command, 0);
}


}  // namespace

TEST(NoteListDialog, InsertDeleteRefuseAndCancel) {
    TestApplication app;
    setMessageBoxSink(recordBox);
    g_boxes.clear();
    u8 silent = 0;
    u8* savedFlag = keyboardSoundFlag();
    keyboardSoundFlag() = &silent;
    NoteEventList list;
    for (PluginEvent e : {noteEvent(0, 0x90, 64), noteEvent(300, 0x80, 64), noteEvent(400, 0xB0, 7)}) *list.append(1) = e;
    workingNotes() = NotePair{};
    std::string afterInsert, afterDelete;
    i64 selectedAfterInsert = 5;
    GMIDIDialog* listDialog = nullptr;
    g_steps = {
        [&] {
            listDialog = static_cast<GMIDIDialog*>(pendingOf(TypeGMIDIDialog));
            if (!listDialog) return false;
            PostMessageA(listDialog->editor->hwnd, WM_KEYDOWN, VK_INSERT, 1);
            return true;
        },
        [&] {
            auto* note = static_cast<GMIDINoteDialog*>(pendingOf(TypeGMIDINoteDialog));
            if (!note) return false;
            // The selected first row lends its key.
            EXPECT_EQ(64, note->keyboard->markedNote + 12 * (note->keyboard->markedOctave + 1));
            SetWindowTextA(note->startLine->hwnd, "2");
            SetWindowTextA(note->endLine->hwnd, "1.0004");  // before the start: swapped
            endWith(note, 1);
            return true;
        },
        [&] {
            if (!pendingOf(TypeGMIDIDialog) || list.count != 5) return false;
            afterInsert = dumpNoteEvents(list);
            selectedAfterInsert = listDialog->editor->selectedRow();
            // The first note's off: its note on further up goes with it.
            listDialog->editor->clickRow(1, 1);
            PostMessageA(listDialog->editor->hwnd, WM_KEYDOWN, VK_DELETE, 1);
            return true;
        },
        [&] {
            if (list.count != 3) return false;
            afterDelete = dumpNoteEvents(list);
            listDialog->editor->clickRow(0, 0);  // the control change is no note
            PostMessageA(listDialog->hwnd, WM_COMMAND, NoteListEdit, 0);
            return true;
        },
        [&] {
            if (g_boxes.empty()) return false;
            endWith(listDialog, 2);
            return true;
        },
    };
    g_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, runStep);
    const i32 result = GMIDIDialog::run(nullptr, list);
    KillTimer(nullptr, timer);
    setMessageBoxSink(nullptr);
    keyboardSoundFlag() = savedFlag;
    EXPECT_TRUE(g_steps.empty());
    EXPECT_EQ(2, result);
    EXPECT_EQ("0:90:64 300:80:64 400:B0:7 1000:90:64 2000:80:64", afterInsert);
    EXPECT_EQ(-1, selectedAfterInsert);  // no row at 1000 ms among the three there before
    EXPECT_EQ("400:B0:7 1000:90:64 2000:80:64", afterDelete);
    EXPECT_EQ(1u, g_boxes.size());
    // Cancel puts back the list as it was when the dialog opened.
    EXPECT_EQ("0:90:64 300:80:64 400:B0:7", dumpNoteEvents(list));
    EXPECT_EQ(1000u, workingNotes().on.time);
}
