#pragma once
// GImageButton: a push button showing a bitmap instead of a text. Made by addImageButton into a
// layout builder; it deletes itself when its native window ends, and its image with it when owned
// (images of the cache are borrowed).
#include "gui/controls/button.h"

class GDrawable;

enum : u32 { TypeImageButton = 10 };

class GImageButton : public GUserButton {
public:
    using GUserButton::GUserButton;
    ~GImageButton() override;

    bool isKindOf(u32 id) const override { return id == TypeImageButton || GUserButton::isKindOf(id); }
    const char* className() const override { return "GImageButton"; }
    u32 typeId() const override { return TypeImageButton; }

    // The image's size plus the frame; 2 more each way with the tab-stop style (focus rectangle).
    void getPreferredSize(i32* width, i32* height) override;
    // Centred where there is room, else from the left or top edge.
    void paintContent(HDC dc, const RECT& rect) override;
    // The native image is cleared (BM_SETIMAGE of an icon, then of a bitmap, to none) when an image
    // is set; the button gives up the default role, then leaves the layout transaction and the
    // focus as every child window does.
    void onDestroy() override;
    void setImage(GDrawable* newImage, bool owned);

    GDrawable* image = nullptr;
    bool ownsImage = false;
};

// A button with the cached bitmap `bitmapId` sending `command`, added to the builder's container;
// '*' in the alignment keeps a letter.
GImageButton* addImageButton(GLayoutBuilder& builder, i32 bitmapId, u32 command, const char* alignment);
