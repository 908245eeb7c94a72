// Refilling the quick-pick dialog's listing over a folder of 10 000 files (and a few subfolders).
#include <string>

#include "bench/bench.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "gui/dialogs/folder_list.h"
#include "gui/dialogs/quick_pick_dialog.h"
#include "gui/kernel/application.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/columns.h"

RAVO_BENCH(quick_pick) {
    std::string folder = benchFolder() + "\\quick_pick";
    createDirectory(folder.c_str());
    for (int i = 0; i < 10000; ++i) {
        char name[32];
        sprintf(name, "\\take%05d.wav", i);
        HANDLE h = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(h);
    }
    for (int i = 0; i < 20; ++i) createDirectory((folder + "\\folder" + std::to_string(i)).c_str());

    GApplication app;
    setApplication(&app);
    GFolderList list("*.wav\0");
    stringAssignText(list.folder, folder.c_str());
    {
        GQuickPickDialog dialog(nullptr);
        dialog.buildQuickPickContent(&list);
        ShowWindow(dialog.hwnd, SW_SHOW);
        double ms = medianMilliseconds([&] { dialog.refill(); });
        char unit[64];
        sprintf(unit, "ms (%d files; goal under 300 ms)", dialog.fileList->count());
        benchResult("quick pick: refilling the listing of a folder of 10 000 files (median of 5)", ms, unit);
        GString search(folder.c_str());
        stringAppend(search, "\\*.wav");
        double list = medianMilliseconds([&] { dialog.fileList->setPattern(search.c_str()); });
        benchResult("quick pick: of which the file list's listing and sort", list, "ms");
        double walk = medianMilliseconds([&] {
            DirIterator it(search.c_str());
            while (it.next()) {
            }
        });
        benchResult("quick pick: of which the folder walk alone", walk, "ms");
        DestroyWindow(dialog.hwnd);
    }
    setApplication(nullptr);
    for (int i = 0; i < 10000; ++i) {
        char name[32];
        sprintf(name, "\\take%05d.wav", i);
        DeleteFileA((folder + name).c_str());
    }
    for (int i = 0; i < 20; ++i) removeDirectory((folder + "\\folder" + std::to_string(i)).c_str());
    removeDirectory(folder.c_str());
}
