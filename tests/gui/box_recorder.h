#pragma once
// Test programs never show a box on the screen: every built message box is recorded (its title and
// the message as asked) and answered with its default button. Included by one file of each test
// program whose code may show boxes; a test that runs real boxes swaps the runner for its length.
#include <windows.h>

#include "gui/dialogs/message_box_window.h"
#include "tests/support/test_support.h"

inline i32 recordMessageBox(GMessageBox* box, i32) {
    char title[256] = {};
    if (box->hwnd) GetWindowTextA(box->hwnd, title, sizeof title);
    recordedBoxes().push_back({title, box->message.c_str()});
    return box->description ? (i32)box->description->defaultButton : 1;
}

inline const bool boxRecorderInstalled = (setMessageBoxRunner(recordMessageBox), true);
