// Appending rows to the list-box row model, and listing, sorting and painting a large folder in
// the column list.
#include <cstdio>
#include <string>

#include "bench/bench.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/columns.h"
#include "gui/views/list_rows.h"

RAVO_BENCH(list_rows) {
    double ms = medianMilliseconds([] {
        ListRowModel model;
        char text[32];
        for (int i = 0; i < 100000; ++i) {
            snprintf(text, sizeof text, "Row %d", i);
            ListRow* row = new ListRow(text, (u32)i, 0);
            model.appendRowRecords(&row, 1);
        }
    });
    benchResult("append 100 000 rows to the row model (median of 5)", ms, "ms (goal 100)");
}

RAVO_BENCH(columns) {
    std::string folder = benchFolder() + "\\columns";
    CreateDirectoryA(folder.c_str(), nullptr);
    char name[64];
    for (int i = 0; i < 20000; ++i) {
        snprintf(name, sizeof name, "\\Take %05d.wav", (i * 7919) % 20000);
        HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    GParentWindow* frame = new GParentWindow;
    if (!createTopLevelWindow(frame, WS_POPUP | WS_CLIPCHILDREN, 0, "")) {
        benchResult("column list (no display)", -1, "ms");
        return;
    }
    SetWindowPos(frame->hwnd, HWND_TOP, 0, 0, 800, 600, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    std::string pattern = folder + "\\*";
    GColumns* list = GColumns::create(frame);
    SetWindowPos(list->hwnd, nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    double listing = medianMilliseconds([&] { list->setPattern(pattern.c_str()); });
    // The paint routine itself into the window's DC, a whole page of names.
    double painting = medianMilliseconds([&] {
        HDC dc = GetDC(list->hwnd);
        list->paint(dc, RECT{0, 0, 800, 600}, true);
        GdiFlush();
        ReleaseDC(list->hwnd, dc);
    });
    const char* unit = list->count() == 20000 ? "ms (goal 1000)" : "ms (wrong count)";
    benchResult("list and sort 20 000 files (median of 5)", listing, unit);
    benchResult("paint a page of the column list (median of 5)", painting, list->hwnd && list->edges.size() > 3 ? "ms (goal 30)" : "ms (no page)");
    DestroyWindow(frame->hwnd);
    for (int i = 0; i < 20000; ++i) {
        snprintf(name, sizeof name, "\\Take %05d.wav", i);
        DeleteFileA((folder + name).c_str());
    }
    RemoveDirectoryA(folder.c_str());
}
