#pragma once
// A real wave pane in a shown host window over a sound made by sox, with the system input table
// replaced (keys, pointer, active window), message boxes recorded and the pane's pixels read back.
#include <windows.h>

#include <string>
#include <vector>

#include "app/pane_color_groups.h"
#include "editor/wave_pane.h"
#include "editor/wave_view_options.h"
#include "gui/input/system_input.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/message_boxes.h"
#include "mm/sound_file.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/sox_tool.h"
#include "tests/support/test_support.h"

namespace wavetest {

struct Notice {
    u32 code;
    WavePaneNotice notice;
};

// Records the pane's notifications with copies of their payloads.
class Host : public controls::RecordingDialog {
public:
    bool onControlNotify(void* n) override {
        auto* note = static_cast<GControlNotification*>(n);
        Notice copy{note->code, {}};
        if (note->value) copy.notice = *reinterpret_cast<WavePaneNotice*>(note->value);
        notices.push_back(copy);
        return RecordingDialog::onControlNotify(n);
    }
    std::vector<u32> codes(u32 code) const {
        std::vector<u32> out;
        for (const Notice& n : notices)
            if (n.code == code) out.push_back(n.code);
        return out;
    }
    std::vector<Notice> notices;
};

extern std::vector<std::string> hints;
extern u32 keysDown;  // MK_SHIFT / MK_CONTROL
extern POINT pointer;
extern HWND activeOverride;
extern i32 yesNoAnswer;

struct PaneFixture {
    TestApplication app;
    Host* host = new Host;
    WavePane* pane = nullptr;
    SoundFormat format;
    SoundStore store;
    TempDir dir;
    SystemInput savedInput = systemInput;
    WaveViewOptions savedOptions = waveViewOptions;
    i32 width, height;
    i32 sounds = 0;

    explicit PaneFixture(i32 width = 600, i32 height = 320);
    ~PaneFixture();

    // A sound made by sox from its arguments ("-r 8000 -c 1 -b 16 ... synth ..."), attached.
    void load(const std::string& make);
    void attach() { pane->setSound(&store, store.dataOffset, store.length, &format); }
    void paintNow();
    // The pane's client area as it shows.
    void shot(DibCanvas& canvas);
    void mouse(u32 message, i32 x, i32 y, u32 keys = 0);
    void click(i32 x, i32 y, u32 keys = 0, bool right = false);
    void key(u32 vk);
    std::vector<u32> codes(u32 code) const { return host->codes(code); }
};

}  // namespace wavetest
