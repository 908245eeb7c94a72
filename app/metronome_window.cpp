#include "app/metronome_window.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gui/input/system_input.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_cell.h"

COLORREF metronomeBeatColors[2] = {RGB(0x50, 0x60, 0x80), RGB(0xC8, 0xD0, 0xE0)};

namespace {

const double kPi = 3.14159265358979323846;

TRIVERTEX vertex(double x, double y, COLORREF c) {
    TRIVERTEX v;
    v.x = (LONG)std::lround(x);
    v.y = (LONG)std::lround(y);
    v.Red = (COLOR16)(GetRValue(c) << 8);
    v.Green = (COLOR16)(GetGValue(c) << 8);
    v.Blue = (COLOR16)(GetBValue(c) << 8);
    v.Alpha = 0;
    return v;
}

COLORREF lighter(COLORREF c) {
    return RGB((GetRValue(c) + 255) / 2, (GetGValue(c) + 255) / 2, (GetBValue(c) + 255) / 2);
}

}  // namespace

GMetronomeWindow::GMetronomeWindow(GWindow* owner, const MetronomeSetup& setup)
    : GUserWindow(owner),
      beatsPerBar(std::max(setup.beatsPerBar, 1)),
      msPerBeat(std::max(setup.msPerBeat, 1)),
      startTick(setup.startTick),
      isStopped(setup.stopped),
      waitingText(setup.waitingText ? setup.waitingText : "") {}

GMetronomeWindow::~GMetronomeWindow() { removeTimer(&timer); }

GMetronomeWindow* GMetronomeWindow::build(GLayoutBuilder& builder, const MetronomeSetup& setup) {
    auto* w = new GMetronomeWindow(builder.owner, setup);
    w->GUserWindow::create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    builder.add(w, nullptr);
    addTimer(&w->timer, 50, w, nullptr);
    return w;
}

void GMetronomeWindow::start() {
    if (isRunning) return;
    isRunning = true;
    startTick = systemInput.tickCount();
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
    GControlNotification n;
    n.source = this;
    n.code = MetronomeStarted;
    notifyUp(this, &n);
}

void GMetronomeWindow::stop() {
    if (!isRunning) return;
    isRunning = false;
    isStopped = true;
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

i32 GMetronomeWindow::currentBeat(u32 now) const {
    if (!isRunning) return -1;
    return (i32)(((now - startTick) / (u32)msPerBeat) % (u32)beatsPerBar);
}

i32 GMetronomeWindow::shownSeconds(u32 now) const {
    if (isRunning) return (i32)((now - startTick) / 1000);
    if (isStopped) return -1;
    return (i32)((startTick - now + 999) / 1000);
}

void GMetronomeWindow::getPreferredSize(i32* width, i32* height) {
    *width = 80;
    *height = 80;
}

void GMetronomeWindow::onTimer(TimerRecord*) {
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

void GMetronomeWindow::dialGeometry(const RECT& client, POINT* centre, i32* radius, RECT* textRect) {
    const i32 w = client.right - client.left, h = client.bottom - client.top;
    const i32 textHeight = std::max(h / 5, 16);
    const i32 side = std::min(w, h - textHeight);
    *radius = side / 2 - 10;
    centre->x = client.left + w / 2;
    centre->y = client.top + (h - textHeight) / 2;
    *textRect = RECT{client.left, client.bottom - textHeight, client.right, client.bottom};
}

void GMetronomeWindow::paint(HDC dc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    POINT centre;
    i32 radius;
    RECT textRect;
    dialGeometry(client, &centre, &radius, &textRect);
    if (radius < 3) return;
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_BORDER) DrawEdge(dc, &client, EDGE_SUNKEN, BF_RECT);

    u32 now = systemInput.tickCount();
    if (!isRunning && !isStopped && now - startTick < 0x7fffffffu) start();
    const i32 lit = currentBeat(now);

    const double step = 2 * kPi / beatsPerBar;
    // A single beat's flanks would meet below the centre: it is drawn as wide as one of two.
    const double half = std::min(step / 2, kPi / 2);
    const double cx = centre.x, cy = centre.y, r = radius;
    for (i32 i = 0; i < beatsPerBar; ++i) {
        const double a = i * step;
        const COLORREF outer = i == lit ? kMetronomeLitColor : metronomeBeatColors[0];
        const COLORREF inner = i == lit ? lighter(kMetronomeLitColor) : metronomeBeatColors[1];
        TRIVERTEX v[4] = {
            vertex(cx + std::sin(a) * r, cy - std::cos(a) * r, outer),
            vertex(cx + std::sin(a - half) * r / 2, cy - std::cos(a - half) * r / 2, outer),
            vertex(cx + std::sin(a + half) * r / 2, cy - std::cos(a + half) * r / 2, outer),
            vertex(cx, cy, inner),
        };
        GRADIENT_TRIANGLE t[2] = {{0, 1, 3}, {0, 2, 3}};
        GradientFill(dc, v, 4, t, 2, GRADIENT_FILL_TRIANGLE);
    }

    char text[32];
    const char* shown = waitingText;
    i32 seconds = shownSeconds(now);
    if (seconds >= 0) {
        std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
        shown = text;
    }
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(dc, shown, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}
