#include "gui/kernel/window.h"

#include <vector>

#include "core/wide_text.h"

bool styleChangeInProgress = false;

// Each branch's destructor has destroyed the native window already.
GWindow::~GWindow() { hwnd = nullptr; }

void GWindow::destroyNative() {
    if (flags & WindowDestroyed) return;
    flags |= WindowDestroyed;
    if (hwnd) DestroyWindow(hwnd);
    hwnd = nullptr;
}

GString GWindow::getText() const {
    GString text;
    if (!hwnd) return text;
    if (flags & WindowAnsi) {
        int length = GetWindowTextLengthA(hwnd);
        std::vector<char> buffer(length + 1);
        if (GetWindowTextA(hwnd, buffer.data(), length + 1) > 0) stringAssignText(text, buffer.data());
        return text;
    }
    int length = GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> buffer(length + 1);
    int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
    if (got > 0) stringAssignCopy(text, buffer.data(), got);
    return text;
}

void GWindow::setText(const char* text) {
    if (!hwnd) return;
    if (flags & WindowAnsi) {
        SetWindowTextA(hwnd, text ? text : "");
        return;
    }
    WideString wide = toWide(text ? text : "");
    SetWindowTextW(hwnd, wide.c_str());
}

void GWindow::setStyle(u32 style) {
    SetWindowLongA(hwnd, GWL_STYLE, (LONG)style);
    frameRefresh();
}

void GWindow::frameRefresh() {
    styleChangeInProgress = true;
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, 0x437);
    styleChangeInProgress = false;
}

GWindow* topLevelOf(GWindow* window) {
    while (window && !window->isKindOf(TypeParentWindow)) window = window->ownerWindow();
    return window;
}
