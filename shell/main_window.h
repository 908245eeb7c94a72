#pragma once
// The program's main window: a top-level window that keeps the run going; closing it quits.
// It deletes itself when its native window ends.
#include "gui/kernel/parent_window.h"

class MainWindow : public GParentWindow {
public:
    enum : u32 { Type = 1000 };
    bool isKindOf(u32 id) const override { return id == Type || GParentWindow::isKindOf(id); }
    const char* className() const override { return "MainWindow"; }
    u32 typeId() const override { return Type; }
    bool countsAsMainWindow() override { return true; }

    // Creates and shows the native window.
    bool create(const char* title, i32 showCommand);
};
