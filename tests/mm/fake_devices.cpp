#include "tests/mm/fake_devices.h"

#include <cstring>

static FakeMachine* machine = nullptr;

static u32 fakeMixerCount() { return (u32)machine->mixers.size(); }

static bool fakeMixerCaps(u32 mixer, MIXERCAPSA* out) {
    if (mixer >= machine->mixers.size()) return false;
    *out = machine->mixers[mixer].caps;
    out->cDestinations = (DWORD)machine->mixers[mixer].destinations.size();
    return true;
}

static bool fakeMixerLine(u32 mixer, u32 destination, i32 source, MIXERLINEA* out) {
    if (mixer >= machine->mixers.size() || destination >= machine->mixers[mixer].destinations.size()) return false;
    const FakeDestination& d = machine->mixers[mixer].destinations[destination];
    if (source < 0) {
        *out = d.line;
        out->cConnections = (DWORD)d.sources.size();
        return true;
    }
    if ((u32)source >= d.sources.size()) return false;
    *out = d.sources[source];
    return true;
}

static bool fakeWaveOutCaps(u32 device, WAVEOUTCAPSA* out) {
    if (device >= machine->waveOut.size()) return false;
    *out = machine->waveOut[device];
    return true;
}

static bool fakeWaveInCaps(u32 device, WAVEINCAPSA* out) {
    if (device >= machine->waveIn.size()) return false;
    *out = machine->waveIn[device];
    return true;
}

FakeMachine::FakeMachine() : saved(deviceQueries) {
    machine = this;
    deviceQueries = {[]() -> u32 { return (u32)machine->waveOut.size(); },
                     []() -> u32 { return (u32)machine->waveIn.size(); },
                     fakeMixerCount,
                     fakeMixerCaps,
                     fakeMixerLine,
                     fakeWaveOutCaps,
                     fakeWaveInCaps};
}

FakeMachine::~FakeMachine() {
    deviceQueries = saved;
    machine = nullptr;
}

u32 FakeMachine::addMixer(const char* name) {
    FakeMixer mixer;
    memset(&mixer.caps, 0, sizeof mixer.caps);
    strncpy(mixer.caps.szPname, name, sizeof mixer.caps.szPname - 1);
    mixer.caps.vDriverVersion = 0x0100;
    mixers.push_back(mixer);
    return (u32)mixers.size() - 1;
}

static MIXERLINEA makeLine(DWORD componentType, DWORD targetType, DWORD deviceId) {
    MIXERLINEA line;
    memset(&line, 0, sizeof line);
    line.cbStruct = sizeof line;
    line.dwComponentType = componentType;
    line.Target.dwType = targetType;
    line.Target.dwDeviceID = deviceId;
    return line;
}

u32 FakeMachine::addDestination(u32 mixer, DWORD componentType, DWORD targetType, DWORD deviceId) {
    std::vector<FakeDestination>& lines = mixers[mixer].destinations;
    lines.push_back(FakeDestination{makeLine(componentType, targetType, deviceId), {}});
    lines.back().line.dwDestination = (DWORD)lines.size() - 1;
    return (u32)lines.size() - 1;
}

u32 FakeMachine::addSource(u32 mixer, u32 destination, DWORD componentType, DWORD targetType, DWORD deviceId) {
    std::vector<MIXERLINEA>& lines = mixers[mixer].destinations[destination].sources;
    lines.push_back(makeLine(componentType, targetType, deviceId));
    lines.back().dwSource = (DWORD)lines.size() - 1;
    return (u32)lines.size() - 1;
}

// The description of a wave device: its name, a driver version and a channel count.
template <class Caps>
static u32 addDevice(std::vector<Caps>& devices, const char* name, WORD channels) {
    Caps caps;
    memset(&caps, 0, sizeof caps);
    strncpy(caps.szPname, name, sizeof caps.szPname - 1);
    caps.vDriverVersion = 0x0500;
    caps.wChannels = channels;
    devices.push_back(caps);
    return (u32)devices.size() - 1;
}

u32 FakeMachine::addWaveOut(const char* name) { return addDevice(waveOut, name, 2); }

u32 FakeMachine::addWaveIn(const char* name) { return addDevice(waveIn, name, 1); }
