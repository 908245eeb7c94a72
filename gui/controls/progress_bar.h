#pragma once
// GProgressBar: the native progress bar as a toolkit window
// ("korvalen_GProgressBar_msctls_progress32"). The native bar always runs on 0..1000; the caller's
// range is mapped onto it. Owned like every child window.
#include "gui/kernel/system_window.h"

class GLayoutBuilder;

enum : u32 { TypeProgressBar = 42 };

class GProgressBar : public GSystemWindow {
public:
    using GSystemWindow::GSystemWindow;
    ~GProgressBar() override { destroyNative(); }

    bool isKindOf(u32 id) const override { return id == TypeProgressBar || GSystemWindow::isKindOf(id); }
    const char* className() const override { return "GProgressBar"; }
    u32 typeId() const override { return TypeProgressBar; }
    const char* systemClassName() const override { return "msctls_progress32"; }
    WindowClassRecord* windowClassRecord() override;

    static GProgressBar* create(GLayoutBuilder& builder, i32 maximum = 100, const char* alignment = nullptr);

    // Clamped to [minimum, maximum]; an empty range shows 0.
    void setPosition(i32 value);
    void getPreferredSize(i32* width, i32* height) override {
        if (*width < 0) *width = 100;
        *height = 16;
    }

    i32 minimum = 0, maximum = 100, position = 0;
};
