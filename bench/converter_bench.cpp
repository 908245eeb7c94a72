// The converter page loading a WAVE source: parse, every ACM driver's targets and suggestions,
// the tree filled (the machine's own drivers).
#include <windows.h>

#include <cstring>
#include <string>

#include "bench/bench.h"
#include "core/gfile.h"
#include "gui/kernel/application.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/tree_table.h"
#include "tools/converter_window.h"

namespace {
// One second of 16-bit stereo at 44.1 kHz.
bool writeSecondWave(const std::string& path) {
    const u32 bytes = 44100 * 4;
    std::string w = "RIFF";
    auto le32 = [&](u32 v) { w.append(reinterpret_cast<const char*>(&v), 4); };
    le32(36 + bytes);
    w += "WAVEfmt ";
    le32(16);
    const u16 pcm[8] = {1, 2, 44100 & 0xFFFF, 44100 >> 16, (44100 * 4) & 0xFFFF, (44100 * 4) >> 16, 4, 16};
    w.append(reinterpret_cast<const char*>(pcm), 16);
    w += "data";
    le32(bytes);
    w.append(bytes, '\0');
    GFile f;
    if (!fileOpen(f, path.c_str(), FileMode::Write)) return false;
    bool ok = fileWrite(f, w.data(), (u32)w.size());
    return fileClose(f) && ok;
}

i32 quietBox(const MessageBoxDescription* d, GWindow*, const char*) { return (i32)d->defaultButton; }
}  // namespace

RAVO_BENCH(converter) {
    const std::string path = benchFolder() + "\\converter_source.wav";
    if (!writeSecondWave(path)) {
        benchResult("converter: no source", 0, "");
        return;
    }
    GApplication app;
    setApplication(&app);
    setMessageBoxSink(quietBox);
    {
        GDialog owner(nullptr, "converter.htm");
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 760, 620, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        ConverterWindow* page = new ConverterWindow(&owner);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 760, 620});
        benchPumpMessages();
        size_t rows = 0;
        double ms = medianMilliseconds([&] {
            page->clearSources();
            page->setFieldText(page->sourceField, path.c_str());
            page->loadSources();
            rows = page->formatTree->rowNodes.size();
        });
        benchResult("converter: load a 16-bit stereo WAVE source and build its format tree", ms,
                    rows ? "ms (goal under 500)" : "ms (no tree)");
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    setMessageBoxSink(nullptr);
    setApplication(nullptr);
}
