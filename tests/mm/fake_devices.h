#pragma once
// A machine of made-up mixers and wave devices behind the device settings' queries and the mixer
// layer's calls.
#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <vector>

#include "mm/device_settings.h"
#include "mm/mixer.h"

struct FakeDestination {
    MIXERLINEA line;
    std::vector<MIXERLINEA> sources;
};

// A control of a mixer line with its values (channels x items) and, for a list, its item texts.
struct FakeControl {
    u32 mixer;
    DWORD lineId;
    MIXERCONTROLA control;
    std::vector<u32> values;
    std::vector<MIXERCONTROLDETAILS_LISTTEXTA> items;
    u32 setOffset = 0;  // added to every value set, as a control that does not keep what it is given
};

// A handle opened with a window callback.
struct FakeOpenMixer {
    uintptr_t handle;
    u32 mixer;
    HWND window;
};

struct FakeMixer {
    MIXERCAPSA caps;
    std::vector<FakeDestination> destinations;
};

// Installs itself as the machine for its life.
class FakeMachine {
public:
    FakeMachine();
    ~FakeMachine();
    FakeMachine(const FakeMachine&) = delete;
    FakeMachine& operator=(const FakeMachine&) = delete;

    // A mixer named name; returns its index.
    u32 addMixer(const char* name);
    // A destination line of the component type, whose target is the device of the target type.
    u32 addDestination(u32 mixer, DWORD componentType, DWORD targetType = 0, DWORD deviceId = 0);
    u32 addSource(u32 mixer, u32 destination, DWORD componentType, DWORD targetType = 0, DWORD deviceId = 0);
    // A wave-out or wave-in device named name; returns its number.
    u32 addWaveOut(const char* name);
    u32 addWaveIn(const char* name);
    // The id of a line (source -1: the destination).
    static DWORD lineId(u32 destination, i32 source);
    // A control of a line; its values are channels x items. Returns its id (unique on the machine).
    DWORD addControl(u32 mixer, u32 destination, i32 source, DWORD type, DWORD flags, std::vector<u32> values);
    // A list control (multiplexer or mixer) of a destination, one item per listed source, each item
    // naming its source's line id; the values say which are selected.
    DWORD addListControl(u32 mixer, u32 destination, DWORD type, std::vector<i32> sources, std::vector<u32> values);
    FakeControl* findControl(u32 mixer, DWORD id);
    // Posts a line or control change of the mixer, as the machine does, to every window it is open to.
    void postChange(u32 mixer, bool control, DWORD id);

    std::vector<FakeMixer> mixers;
    std::vector<WAVEOUTCAPSA> waveOut;
    std::vector<WAVEINCAPSA> waveIn;
    std::vector<FakeControl> controls;
    std::vector<DWORD> setCalls;  // ids of the controls set, in order
    u32 phantomMixers = 0;        // counted by the mixer layer's count, but not there
    u32 getDevCapsResult = 0;     // a failure of every description query, when not 0
    u32 getDetailsResult = 0;
    u32 setDetailsResult = 0;
    u32 openResult = 0;
    std::vector<FakeOpenMixer> openMixers;  // handles open now
    std::vector<uintptr_t> closedMixers;    // in the order closed
    u32 opened = 0;                         // handles ever opened

private:
    DeviceQueries saved;
    MixerApi savedMixerApi;
};

// The stored record of a device entry in its 32-bit layout, laid byte by byte from the machine's
// descriptions: the seven fields (device, destination, source, mixer, two levels, choices), the mixer
// and its two lines named by them, and the wave device (zeros for what the machine does not have).
std::string storedDeviceRecord(const FakeMachine& machine, bool playback, const u32 (&fields)[7]);
