#pragma once
// A 32-bpp top-down DIB selected into a memory DC, for reading back what painters draw.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/types.h"
#include "gui/paint/memory_dc.h"
#include "gui/paint/saved_dc.h"

class DibCanvas {
public:
    DibCanvas(i32 width, i32 height, COLORREF fill = 0) : width(width), height(height) {
        memory = CreateCompatibleDC(nullptr);
        bitmap = createTopDownDib(memory, width, height, &bits);
        old = SelectObject(memory, bitmap);
        clear(fill);
    }
    ~DibCanvas() {
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC dc() const { return memory; }
    void clear(COLORREF colour) {
        GdiFlush();
        for (i32 i = 0; i < width * height; ++i) bits[i] = toPixel(colour);
    }
    // The pixel as a COLORREF; outside the canvas 0xFFFFFFFF.
    COLORREF pixel(i32 x, i32 y) const {
        GdiFlush();
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFFu;
        u32 p = bits[y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Pixels that differ from the colour.
    i32 countOther(COLORREF colour) const {
        i32 n = 0;
        for (i32 y = 0; y < height; ++y)
            for (i32 x = 0; x < width; ++x) n += pixel(x, y) != colour;
        return n;
    }
    // One character a pixel, '#' for pixels other than the background, rows separated by '\n'.
    std::string mask(COLORREF background = 0) const {
        std::string text;
        for (i32 y = 0; y < height; ++y) {
            for (i32 x = 0; x < width; ++x) text += pixel(x, y) == background ? '.' : '#';
            text += '\n';
        }
        return text;
    }
    bool samePixels(const DibCanvas& other) const {
        GdiFlush();
        return width == other.width && height == other.height &&
               memcmp(bits, other.bits, (size_t)width * height * 4) == 0;
    }

    const i32 width, height;

private:
    static u32 toPixel(COLORREF c) { return (u32)GetRValue(c) << 16 | (u32)GetGValue(c) << 8 | GetBValue(c); }
    HDC memory;
    HBITMAP bitmap;
    HGDIOBJ old;
    u32* bits = nullptr;
};

// Saves the canvas as a BMP when RAVO_GUI_SHOT names a folder, for a look at what was drawn.
inline void saveShot(const DibCanvas& canvas, const char* name) {
    const char* folder = getenv("RAVO_GUI_SHOT");
    if (!folder) return;
    std::string path = std::string(folder) + "\\" + name;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = canvas.width;
    info.biHeight = -canvas.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    u32 bytes = (u32)canvas.width * canvas.height * 4;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + bytes;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(&file, sizeof file, 1, f);
    fwrite(&info, sizeof info, 1, f);
    for (i32 y = 0; y < canvas.height; ++y)
        for (i32 x = 0; x < canvas.width; ++x) {
            COLORREF c = canvas.pixel(x, y);
            u32 p = (u32)GetRValue(c) << 16 | (u32)GetGValue(c) << 8 | GetBValue(c);
            fwrite(&p, 4, 1, f);
        }
    fclose(f);
}

// What the window shows, frame and children included, redrawn first.
inline std::unique_ptr<DibCanvas> shootWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r;
    GetWindowRect(window, &r);
    auto shot = std::make_unique<DibCanvas>(r.right - r.left, r.bottom - r.top);
    HDC dc = GetWindowDC(window);
    BitBlt(shot->dc(), 0, 0, shot->width, shot->height, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    return shot;
}

// Saves what the window shows (frame included) as saveShot does.
inline void saveWindowShot(HWND window, const char* name) {
    if (getenv("RAVO_GUI_SHOT")) saveShot(*shootWindow(window), name);
}

// The client area's pixels as the window shows them, row by row, 4 bytes each.
inline std::string windowPixels(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    DibCanvas canvas(r.right, r.bottom);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(window);
    BitBlt(canvas.dc(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    std::string out;
    for (i32 y = 0; y < r.bottom; ++y)
        for (i32 x = 0; x < r.right; ++x) {
            COLORREF c = canvas.pixel(x, y);
            out.append(reinterpret_cast<const char*>(&c), sizeof c);
        }
    return out;
}
