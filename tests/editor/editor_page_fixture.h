#pragma once
// An Editor page in a frame of its own over sounds made by sox, with its message boxes recorded:
// shared by the transport, recording and preview tests.
#include <windows.h>

#include <string>
#include <vector>

#include "editor/editor_window.h"
#include "gui/kernel/dialog.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

struct EditorPage {
    EditorPage();
    ~EditorPage();

    // A sound file made by sox ("-r 8000 -c 1 -b 16", "synth 1 sine 440").
    std::string make(const std::string& format, const std::string& synth);
    bool open(const std::string& path);
    // Routed as a menu routes it: from the focused pane up.
    bool command(u32 id);
    // The store's sample bytes.
    std::string bytes();
    // Message boxes shown since the last call.
    std::vector<std::string> takeBoxes();

    TestApplication app;
    GDialog owner{nullptr, "edit.htm"};
    TempDir dir;
    EditorWindow* page = nullptr;
    i32 sounds = 0;
};

// What the device wrote since the file was last removed.
std::string devicePlayed();
void clearDeviceOutput();
