#pragma once
// A machine of made-up mixers and wave devices behind the device settings' queries.
#include <windows.h>

#include <mmsystem.h>

#include <vector>

#include "mm/device_settings.h"

struct FakeDestination {
    MIXERLINEA line;
    std::vector<MIXERLINEA> sources;
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

    std::vector<FakeMixer> mixers;
    std::vector<WAVEOUTCAPSA> waveOut;
    std::vector<WAVEINCAPSA> waveIn;

private:
    DeviceQueries saved;
};
