#pragma once
// The Editor page in a frame of its own for the editor tests: sounds made by sox, commands routed as
// a menu routes them, message boxes recorded (answered with boxAnswer), the page's bytes read back.
// The effect handler is a fixed gain until a test installs another.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/program_texts.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/message_box.h"
#include "tests/gui/gui_fixture.h"
#include "tests/mm/sound_bytes.h"
#include "tests/mm/sox_tool.h"
#include "tests/support/test_support.h"

namespace editor_test {
inline std::vector<std::string> boxes;
inline i32 boxAnswer = 6;
// Answers by text, before boxAnswer; -1 leaves the box to boxAnswer.
inline std::function<i32(const std::string&)> boxAnswerFor;
inline f64 gainFactor = 0.5;
inline i32 handlerCalls = 0;
}  // namespace editor_test
using editor_test::boxAnswer;
using editor_test::boxAnswerFor;
using editor_test::boxes;
using editor_test::gainFactor;
using editor_test::handlerCalls;

// A box with exactly this text (or, for a format, starting with its text up to the first '%') was shown.
bool shown(RavoText id);
// Saves the page to `saved` and compares it with `sox -D original ... vol gain`: frames [from, to)
// within 1, every other sample as in the original (16-bit samples).
void expectSoxGain(EditorWindow* page, const std::string& original, const std::string& saved, const char* gain,
                   u32 tracks, size_t from, size_t to);

// The bytes of the page's store.
std::string pageBytes(EditorWindow* page);

struct EditorFixture {
    TestApplication app;
    GDialog owner{nullptr, "edit.htm"};
    TempDir dir;
    EditorWindow* page;
    i32 sounds = 0;

    EditorFixture();
    ~EditorFixture();
    // A file made by sox ("-r 8000 -c 1 -b 16", "synth 1 sine 440").
    std::string make(const std::string& format, const std::string& synth);
    bool open(const std::string& path);
    // A menu command routed as a menu routes it: from the focused pane up.
    bool command(u32 id);
    void select(u64 from, u64 to);
    std::string bytes();
    bool finished();
};
