#include "tests/editor/wave_pane_fixture.h"

#include <gtest/gtest.h>

#include "gui/input/input_routing.h"

namespace wavetest {

std::vector<std::string> hints;
u32 keysDown = 0;
POINT pointer{0, 0};
HWND activeOverride = nullptr;
i32 yesNoAnswer = 6;

namespace {
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    hints.push_back(text ? text : "");
    return yesNoAnswer;
}
SHORT fakeKeyState(int vk) {
    if (vk == VK_SHIFT) return (keysDown & MK_SHIFT) ? (SHORT)0x8000 : 0;
    if (vk == VK_CONTROL) return (keysDown & MK_CONTROL) ? (SHORT)0x8000 : 0;
    return 0;
}
BOOL fakeCursorPos(POINT* p) {
    *p = pointer;
    return TRUE;
}
HWND fakeActive() { return activeOverride; }
}  // namespace

PaneFixture::PaneFixture(i32 width, i32 height) : width(width), height(height) {
    hints.clear();
    keysDown = 0;
    yesNoAnswer = 6;
    resetReportedErrors();
    setMessageBoxSink(recordBox);
    systemInput.keyState = fakeKeyState;
    systemInput.cursorPos = fakeCursorPos;
    systemInput.activeWindow = fakeActive;
    waveViewOptions = WaveViewOptions();
    wavePaneColors.restoreDefaults();
    createTopLevelWindow(host, WS_POPUP | WS_CLIPCHILDREN, 0, "");
    SetWindowPos(host->hwnd, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW);
    activeOverride = host->hwnd;
    pane = new WavePane(host);
    pane->create(WS_CHILD | WS_VISIBLE);
    pane->setRect(RECT{0, 0, width, height}, SWP_NOZORDER);
    pane->invalidateLayout();
}

PaneFixture::~PaneFixture() {
    if (IsWindow(host->hwnd)) DestroyWindow(host->hwnd);
    delete host;
    systemInput = savedInput;
    waveViewOptions = savedOptions;
    setMessageBoxSink(nullptr);
    resetReportedErrors();
}

void PaneFixture::load(const std::string& make) {
    std::string path = dir.file("sound" + std::to_string(++sounds) + ".wav");
    ASSERT_EQ(0, runSox("-n " + make.substr(0, make.find(" synth")) + " \"" + unixPath(path) + "\"" + make.substr(make.find(" synth"))));
    RecordingHandler handler;
    ASSERT_TRUE(openSoundFile(path.c_str(), &format, &store, &handler, nullptr));
    for (u32 t = 0; t < format.trackCount(); ++t) format.tracks[t].flags |= trackSelected;
    attach();
}

void PaneFixture::paintNow() { RedrawWindow(pane->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

void PaneFixture::shot(DibCanvas& canvas) {
    HDC dc = GetDC(pane->hwnd);
    BitBlt(canvas.dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ReleaseDC(pane->hwnd, dc);
}

void PaneFixture::mouse(u32 message, i32 x, i32 y, u32 keys) {
    keysDown = keys;
    pointer = POINT{x, y};
    ClientToScreen(pane->hwnd, &pointer);
    SendMessageA(pane->hwnd, message, keys, MAKELPARAM(x, y));
}

void PaneFixture::click(i32 x, i32 y, u32 keys, bool right) {
    mouse(right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, x, y, keys | (right ? MK_RBUTTON : MK_LBUTTON));
    mouse(right ? WM_RBUTTONUP : WM_LBUTTONUP, x, y, keys);
    keysDown = 0;
}

void PaneFixture::key(u32 vk) {
    GInputEvent event;
    ASSERT_TRUE(keyModifierState(WM_KEYDOWN, vk, 1, &event));
    event.target = pane;
    routeKeyEvent(&event);
}

}  // namespace wavetest
