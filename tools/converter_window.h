#pragma once
// ConverterWindow: the converter page with its preview: a player of its own and buttons that play
// or edit the first source and the target. It owns the player and its timer; deleted as a layout
// item like its base.
#include "gui/kernel/timers.h"
#include "tools/converter_page.h"

class GButton;
class SoundPlayer;

enum : u32 {
    ConverterPlaySource = 1002,
    ConverterEditSource = 1003,
    ConverterPlayTarget = 1004,
    ConverterEditTarget = 1005,
};

// The timer's period while a preview plays.
const u32 ConverterPreviewTicks = 500;

class ConverterWindow : public GAudioConverterPlacer {
public:
    ConverterWindow(GWindow* window, WindowKind* kind = nullptr, GFileDialog* sourceDialog = nullptr,
                    GFileDialog* targetDialog = nullptr, GFolderList* pickList = nullptr);
    ~ConverterWindow() override;

    bool onCommand(u32 command, GStateQuery* query) override;
    void onTimer(TimerRecord* record) override;
    // The folder kind of the page's dialogs.
    u32 historyKind() override { return ConverterFolderKind; }
    bool openInNewPage() override;

    // Play or stop the source (or the target).
    void preview(bool target);
    void edit(bool target);
    // The file the button stands for, when it exists; empty otherwise.
    GString previewName(bool target);
    bool playing();

    SoundPlayer* player = nullptr;
    GButton* playSourceButton = nullptr;
    GButton* editSourceButton = nullptr;
    GButton* playTargetButton = nullptr;
    GButton* editTargetButton = nullptr;
    TimerRecord timer;
};

// A target open in an Editor page fails with a box that names it.
bool targetNotInEditor(GWindow* owner, const char* path);

// The converter page for the source: an existing idle one, else a new one of the owner's tabbed
// placer; the source loaded and, when given, the target named with its format chosen. Null when
// none could be had.
GAudioConverterPlacer* openConverterFor(GWindow* owner, const char* source, const char* target);
