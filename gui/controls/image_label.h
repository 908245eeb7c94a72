#pragma once
// GImageLabel: one image, centred or filling, optionally with a drop shadow; a press offers a
// control event up the chain as a button's command would. Made by its factories into a layout
// builder; it deletes itself when its native window ends. The image belongs to the image cache.
#include "gui/kernel/user_window.h"

class GDrawable;
class GLayoutBuilder;

enum : u32 { TypeImageLabel = 67 };
enum : u32 { ImageShadow = 0x08, ImageFill = 0x10 };

class GImageLabel : public GUserWindow {
public:
    using GUserWindow::GUserWindow;

    bool isKindOf(u32 id) const override { return id == TypeImageLabel || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GImageLabel"; }
    u32 typeId() const override { return TypeImageLabel; }

    static GImageLabel* create(GLayoutBuilder& builder, i32 imageId);
    using GUserWindow::create;

    // The image's size (2 by 2 more with the shadow); zero without an image.
    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    GDrawable* image = nullptr;
    u32 style = 0;
};

GImageLabel* addImageLabel(GLayoutBuilder& builder, i32 imageId, u32 style, const char* alignment);
