// Text measuring on the shared screen DC and buffered face painting, the two hot paths of every
// toolkit window's layout and paint.
#include <algorithm>
#include <vector>

#include "bench/bench.h"
#include "gui/paint/fonts.h"
#include "gui/paint/memory_dc.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

RAVO_BENCH(gui_text) {
    static const char* const words[] = {"Open", "Save as...", "Amplify", "Sample rate", "44100 Hz", "Cancel",
                                        "Tracks", "Normalize", "Play", "00:01:23.456"};
    FontHolder* font = getMessageFont();
    long total = 0;
    double ms = medianMilliseconds([&] {
        for (int i = 0; i < 10000; ++i) total += textExtent(font, words[i % 10]).cx;
    });
    benchResult("10000 short texts measured", ms, total > 0 ? "ms" : "ms (nothing measured)");
}

RAVO_BENCH(gui_composite) {
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = createTopDownDib(memory, 800, 600, nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    GTextElement text("Button", "|-");
    double ms = medianMilliseconds([&] {
        GSavedDC dc(memory);
        for (int i = 0; i < 500; ++i) {
            RECT r = {(i % 10) * 80, (i / 10 % 25) * 24, (i % 10) * 80 + 76, (i / 10 % 25) * 24 + 22};
            paintComposite(dc, r, &text, 0x4005 | 1u << 24 | 1u << 29);
        }
        GdiFlush();
    });
    benchResult("500 buffered faces painted", ms, "ms");
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}
