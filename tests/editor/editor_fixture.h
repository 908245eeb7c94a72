#pragma once
// The Editor page in a frame of its own for the Editor's tests: boxes recorded and answered,
// sounds made by sox in a temporary folder, commands routed as menus route them.
#include <functional>
#include <string>
#include <vector>

#include "app/program_texts.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "mm/sound_file.h"
#include "mm/sound_store.h"
#include "tests/gui/gui_fixture.h"
#include "tests/mm/sox_tool.h"
#include "tests/support/test_support.h"

inline std::vector<std::string> boxes;
inline i32 boxAnswer = 6;
// Answers by text, before boxAnswer; -1 leaves the box to boxAnswer.
inline std::function<i32(const std::string&)> boxAnswerFor;
inline f64 gainFactor = 0.5;
inline i32 handlerCalls = 0;

inline i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    boxes.push_back(text ? text : "");
    if (boxAnswerFor) {
        i32 answer = boxAnswerFor(boxes.back());
        if (answer >= 0) return answer;
    }
    return boxAnswer;
}

inline i32 setGain(EditorWindow*, u32, SoundBlockProcessor* p) {
    ++handlerCalls;
    p->param1 = gainFactor;
    return 1;
}

inline bool shown(RavoText id) {
    for (const std::string& b : boxes)
        if (b == ravoText(id)) return true;
    return false;
}

// The sample bytes of a sound file.
inline std::string fileSamples(const std::string& path) {
    SoundFormat format;
    SoundStore store;
    RecordingHandler handler;
    if (!openSoundFile(path.c_str(), &format, &store, &handler, nullptr)) return "";
    std::string bytes(store.length, '\0');
    store.lock(&handler);
    store.readRange(store.findSegment(store.dataOffset), store.length, reinterpret_cast<u8*>(&bytes[0]));
    store.unlock();
    return bytes;
}

struct EditorFixture {
    TestApplication app;
    GDialog owner{nullptr, "edit.htm"};
    TempDir dir;
    EditorWindow* page;
    i32 sounds = 0;

    EditorFixture() {
        boxes.clear();
        boxAnswer = 6;
        boxAnswerFor = nullptr;
        gainFactor = 0.5;
        handlerCalls = 0;
        setMessageBoxSink(recordBox);
        effectCommandHandler = setGain;
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 640, 360, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        page = new EditorWindow(&owner);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 640, 360});
    }
    ~EditorFixture() {
        pumpUntil([&] { return !page->running(); });
        effectCommandHandler = [](EditorWindow*, u32, SoundBlockProcessor*) { return 1; };
        setMessageBoxSink(nullptr);
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    // A file made by sox ("-r 8000 -c 1 -b 16", "synth 1 sine 440").
    std::string make(const std::string& format, const std::string& synth) {
        std::string path = dir.file("s" + std::to_string(++sounds) + ".wav");
        EXPECT_EQ(0, runSox("-n " + format + " \"" + unixPath(path) + "\" " + synth));
        return path;
    }
    bool open(const std::string& path) {
        page->loadDocument(path.c_str(), nullptr);
        return page->hasDocument && page->dataLength > 0;
    }
    // A menu command routed as a menu routes it: from the focused pane up.
    bool command(u32 id) {
        GStateQuery query{id, 0};
        return routeCommandUp(page->pane, QueryExecute, &query);
    }
    void select(u64 from, u64 to) { page->pane->setSelection(from, to); }
    std::string bytes() {
        std::string out(page->store.length, '\0');
        page->store.lock(nullptr);
        page->store.readRange(page->store.findSegment(page->store.dataOffset), page->store.length,
                              reinterpret_cast<u8*>(&out[0]));
        page->store.unlock();
        return out;
    }
    bool finished() { return pumpUntil([&] { return !page->running() && !page->job; }, 20000); }
};
