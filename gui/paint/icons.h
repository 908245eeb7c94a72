#pragma once
// GIcon: an icon handle with its size, drawn at a point of a DC wrapper. Icons of the program's
// resources come from a process-wide cache, one object per id, kept until the process ends.
#include <windows.h>

#include "core/types.h"
#include "gui/paint/drawable.h"

class GIcon : public GDrawable {
public:
    GIcon() = default;
    GIcon(HICON icon, i32 width, i32 height, bool owned) : icon(icon), width(width), height(height), owned(owned) {}
    GIcon(const GIcon&) = delete;
    GIcon& operator=(const GIcon&) = delete;
    ~GIcon() override;

    SIZE size() override { return {width, height}; }
    void drawAt(GSavedDC& dc, i32 x, i32 y, i32 width, i32 height) override;
    void draw(GSavedDC& dc, i32 x, i32 y) override;

    // Width and height from the icon's colour bitmap (none from a null icon).
    void measure();
    // The icon of a resource of the toolkit's module; measured unless a size was set before.
    void load(i32 id);
    // A new icon loaded from a resource; a missing resource leaves a null handle.
    static GIcon* create(i32 id);

    HICON icon = nullptr;
    i32 width = -1;   // -1: not measured yet
    i32 height = -1;
    bool owned = false;
};

// The cached icon of a resource id; the same object for every request of the id.
GIcon* getCachedIcon(i32 id);
// The system's application icon, measured, not owned.
GIcon* defaultApplicationIcon();
