#pragma once
// GSoundDevicesPlacer: the page of the machine's sound devices (window kind 71, "devices.htm"): a
// table of every wave-out, wave-in, auxiliary and mixer device above a tree of the selected one's
// capabilities; the preferred wave device, the mixer line dialog, the options, repair and set-up
// file commands. Made by the page factory into its window; deleted as a layout item with its panes.
#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "gui/frame/placer.h"
#include "mm/wave_device.h"

class GSplitterItem;
class GTable;
class GTreeTable;
struct SoundSettings;

enum : u32 { TypeSoundDevicesPlacer = 71 };

struct DeviceRow {
    enum Kind : u32 { WaveOut, WaveIn, Aux, Mixer };
    u32 kind = WaveOut;
    u32 number = 0;
    char name[40] = {};
    union {
        WAVEOUTCAPSA waveOut;
        WAVEINCAPSA waveIn;
        AUXCAPSA aux;
        MIXERCAPSA mixer;
    } caps;
    std::string kindText;  // column 1: the kind and, for a mixer, its features
};

// What the page asks of the machine beyond the device queries; replaceable for tests.
struct DeviceReportCalls {
    u32 (*auxCount)();
    bool (*auxCaps)(u32 device, AUXCAPSA* caps);
    const WaveApi* waveApi;  // the preferred-device messages
};
extern DeviceReportCalls deviceReportCalls;

class GSoundDevicesPlacer : public GPlacer {
public:
    GSoundDevicesPlacer(GWindow* window, SoundSettings* sound);

    u32 windowKind() override { return TypeSoundDevicesPlacer; }
    const char* firstCaption() override;

    // The table anew from the machine's counts and descriptions.
    void buildReport();
    // The tree of the selected row (the report first when the counts changed).
    void buildDetails();
    // Command 1000 on the selected row; a changed count only rebuilds.
    void activate();
    // True when a device count differs from the last report's.
    bool countsChanged();

    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    bool onControlNotify(void* notification) override;
    // The two tables' columns, then the splitter.
    void saveViewState(GBag& bag) override;
    void restoreViewState(GBag& bag) override;

    enum : u32 {
        Refresh = 106,
        PlaySettings = 201,
        RecordSettings = 202,
        SaveSoundSettings = 203,
        LoadSoundSettings = 204,
        PlayRepair = 205,
        RecordRepair = 206,
        Activate = 1000,
    };

    SoundSettings* sound;
    GSplitterItem* splitter = nullptr;
    GTable* deviceTable = nullptr;
    GTreeTable* detailsTree = nullptr;
    u32 waveOutCount = 0, waveInCount = 0, auxCount = 0, mixerCount = 0;
    std::vector<DeviceRow> rows;
    bool emptyShown = false;  // the last report found no device and said so

private:
    i64 selectedRow();
};
