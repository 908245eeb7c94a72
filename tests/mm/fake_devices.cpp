#include "tests/mm/fake_devices.h"

#include <cstdio>
#include <cstring>

#include "tests/support/bag_hex.h"

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

static u32 controlsOnLine(u32 mixer, DWORD lineId) {
    u32 n = 0;
    for (const FakeControl& c : machine->controls) n += c.mixer == mixer && c.lineId == lineId;
    return n;
}

static u32 fakeMixerDevCaps(u32 mixer, MIXERCAPSA* caps, u32) {
    if (machine->getDevCapsResult) return machine->getDevCapsResult;
    return fakeMixerCaps(mixer, caps) ? MMSYSERR_NOERROR : MMSYSERR_BADDEVICEID;
}

static u32 fakeMixerLineInfo(u32 mixer, MIXERLINEA* line, u32 flags) {
    u32 query = flags & MIXER_GETLINEINFOF_QUERYMASK;
    if (query != MIXER_GETLINEINFOF_DESTINATION && query != MIXER_GETLINEINFOF_SOURCE) return MMSYSERR_NOTSUPPORTED;
    if (mixer >= machine->mixers.size()) return MMSYSERR_BADDEVICEID;
    MIXERLINEA found;
    i32 source = query == MIXER_GETLINEINFOF_SOURCE ? (i32)line->dwSource : -1;
    if (!fakeMixerLine(mixer, line->dwDestination, source, &found)) return MIXERR_INVALLINE;
    found.cControls = controlsOnLine(mixer, found.dwLineID);
    *line = found;
    return MMSYSERR_NOERROR;
}

static u32 fakeMixerLineControls(u32 mixer, MIXERLINECONTROLSA* query, u32 flags) {
    std::vector<const FakeControl*> found;
    for (const FakeControl& c : machine->controls)
        if (c.mixer == mixer && c.lineId == query->dwLineID) found.push_back(&c);
    if ((flags & MIXER_GETLINECONTROLSF_QUERYMASK) == MIXER_GETLINECONTROLSF_ONEBYTYPE) {
        for (const FakeControl* c : found)
            if (c->control.dwControlType == query->dwControlType) {
                *query->pamxctrl = c->control;
                return MMSYSERR_NOERROR;
            }
        return MIXERR_INVALCONTROL;
    }
    if (query->cControls != found.size()) return MMSYSERR_INVALPARAM;
    for (size_t i = 0; i < found.size(); ++i) query->pamxctrl[i] = found[i]->control;
    return MMSYSERR_NOERROR;
}

// The values (or item texts) a details record asks for: channels x items.
static size_t detailCount(const MIXERCONTROLDETAILS* d) {
    return d->cChannels * (d->cMultipleItems ? d->cMultipleItems : 1);
}

static u32 fakeMixerGetDetails(u32 mixer, MIXERCONTROLDETAILS* d, u32 flags) {
    if (machine->getDetailsResult) return machine->getDetailsResult;
    FakeControl* c = machine->findControl(mixer, d->dwControlID);
    if (!c) return MIXERR_INVALCONTROL;
    size_t n = detailCount(d);
    if ((flags & MIXER_GETCONTROLDETAILSF_QUERYMASK) == MIXER_GETCONTROLDETAILSF_LISTTEXT) {
        if (d->cbDetails != sizeof(MIXERCONTROLDETAILS_LISTTEXTA)) return MMSYSERR_INVALPARAM;
        auto* texts = static_cast<MIXERCONTROLDETAILS_LISTTEXTA*>(d->paDetails);
        for (size_t i = 0; i < n && i < c->items.size(); ++i) texts[i] = c->items[i];
        return MMSYSERR_NOERROR;
    }
    u32* values = static_cast<u32*>(d->paDetails);
    for (size_t i = 0; i < n && i < c->values.size(); ++i) values[i] = c->values[i];
    return MMSYSERR_NOERROR;
}

static u32 fakeMixerSetDetails(u32 mixer, MIXERCONTROLDETAILS* d, u32) {
    if (machine->setDetailsResult) return machine->setDetailsResult;
    FakeControl* c = machine->findControl(mixer, d->dwControlID);
    if (!c) return MIXERR_INVALCONTROL;
    machine->setCalls.push_back(d->dwControlID);
    const u32* values = static_cast<const u32*>(d->paDetails);
    for (size_t i = 0; i < detailCount(d) && i < c->values.size(); ++i) c->values[i] = values[i] + c->setOffset;
    return MMSYSERR_NOERROR;
}

static u32 fakeMixerOpen(uintptr_t* handle, u32 mixer, uintptr_t callback, uintptr_t, u32 flags) {
    *handle = 0;
    if (machine->openResult) return machine->openResult;
    if (mixer >= machine->mixers.size()) return MMSYSERR_BADDEVICEID;
    if ((flags & CALLBACK_TYPEMASK) != CALLBACK_WINDOW || !IsWindow((HWND)callback)) return MMSYSERR_INVALPARAM;
    *handle = 0x4D00 + ++machine->opened;
    machine->openMixers.push_back({*handle, mixer, (HWND)callback});
    return MMSYSERR_NOERROR;
}

static u32 fakeMixerClose(uintptr_t handle) {
    std::vector<FakeOpenMixer>& open = machine->openMixers;
    for (size_t i = 0; i < open.size(); ++i)
        if (open[i].handle == handle) {
            open.erase(open.begin() + i);
            machine->closedMixers.push_back(handle);
            return MMSYSERR_NOERROR;
        }
    return MMSYSERR_INVALHANDLE;
}

void FakeMachine::postChange(u32 mixer, bool control, DWORD id) {
    for (const FakeOpenMixer& o : openMixers)
        if (o.mixer == mixer)
            PostMessageA(o.window, control ? MM_MIXM_CONTROL_CHANGE : MM_MIXM_LINE_CHANGE, (WPARAM)o.handle, (LPARAM)id);
}

FakeMachine::FakeMachine() : saved(deviceQueries), savedMixerApi(mixerApi) {
    machine = this;
    deviceQueries = {[]() -> u32 { return (u32)machine->waveOut.size(); },
                     []() -> u32 { return (u32)machine->waveIn.size(); },
                     fakeMixerCount,
                     fakeMixerCaps,
                     fakeMixerLine,
                     fakeWaveOutCaps,
                     fakeWaveInCaps};
    mixerApi = {[]() -> u32 { return (u32)machine->mixers.size() + machine->phantomMixers; },
                fakeMixerDevCaps,
                fakeMixerLineInfo,
                fakeMixerLineControls,
                fakeMixerGetDetails,
                fakeMixerSetDetails,
                fakeMixerOpen,
                fakeMixerClose};
}

FakeMachine::~FakeMachine() {
    deviceQueries = saved;
    mixerApi = savedMixerApi;
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
    line.cChannels = 2;
    return line;
}

DWORD FakeMachine::lineId(u32 destination, i32 source) {
    return source < 0 ? 0xFFFF0000 | destination : destination << 16 | (DWORD)source;
}

u32 FakeMachine::addDestination(u32 mixer, DWORD componentType, DWORD targetType, DWORD deviceId) {
    std::vector<FakeDestination>& lines = mixers[mixer].destinations;
    lines.push_back(FakeDestination{makeLine(componentType, targetType, deviceId), {}});
    lines.back().line.dwDestination = (DWORD)lines.size() - 1;
    lines.back().line.dwLineID = lineId((u32)lines.size() - 1, -1);
    return (u32)lines.size() - 1;
}

u32 FakeMachine::addSource(u32 mixer, u32 destination, DWORD componentType, DWORD targetType, DWORD deviceId) {
    std::vector<MIXERLINEA>& lines = mixers[mixer].destinations[destination].sources;
    lines.push_back(makeLine(componentType, targetType, deviceId));
    lines.back().dwDestination = destination;
    lines.back().dwSource = (DWORD)lines.size() - 1;
    lines.back().dwLineID = lineId(destination, (i32)lines.size() - 1);
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

DWORD FakeMachine::addControl(u32 mixer, u32 destination, i32 source, DWORD type, DWORD flags, std::vector<u32> values) {
    FakeControl c;
    c.mixer = mixer;
    c.lineId = lineId(destination, source);
    memset(&c.control, 0, sizeof c.control);
    c.control.cbStruct = sizeof c.control;
    c.control.dwControlID = (DWORD)controls.size();
    c.control.dwControlType = type;
    c.control.fdwControl = flags;
    c.values = std::move(values);
    controls.push_back(c);
    return c.control.dwControlID;
}

DWORD FakeMachine::addListControl(u32 mixer, u32 destination, DWORD type, std::vector<i32> sources,
                                  std::vector<u32> values) {
    DWORD id = addControl(mixer, destination, -1, type, MIXERCONTROL_CONTROLF_MULTIPLE | MIXERCONTROL_CONTROLF_UNIFORM,
                          std::move(values));
    FakeControl& c = controls.back();
    c.control.cMultipleItems = (DWORD)sources.size();
    for (i32 source : sources) {
        MIXERCONTROLDETAILS_LISTTEXTA item;
        memset(&item, 0, sizeof item);
        item.dwParam1 = lineId(destination, source);
        snprintf(item.szName, sizeof item.szName, "Source %d", (int)source);
        c.items.push_back(item);
    }
    return id;
}

FakeControl* FakeMachine::findControl(u32 mixer, DWORD id) {
    for (FakeControl& c : controls)
        if (c.mixer == mixer && c.control.dwControlID == id) return &c;
    return nullptr;
}

// A mixer line: 168 bytes, the user value in 32 bits.
static void layLine(FixedBytes& out, size_t at, const MIXERLINEA& line, DWORD connections) {
    const u32 words[] = {168, line.dwDestination, line.dwSource, line.dwLineID, line.fdwLine, (u32)line.dwUser,
                         line.dwComponentType, line.cChannels, connections, line.cControls};
    for (size_t i = 0; i < 10; ++i) out.u32At(at + 4 * i, words[i]);
    out.textAt(at + 40, line.szShortName).textAt(at + 56, line.szName);
    out.u32At(at + 120, line.Target.dwType).u32At(at + 124, line.Target.dwDeviceID);
    out.u16At(at + 128, line.Target.wMid).u16At(at + 130, line.Target.wPid);
    out.u32At(at + 132, line.Target.vDriverVersion).textAt(at + 136, line.Target.szPname);
}

template <class Caps>
static void layDevice(FixedBytes& out, size_t at, const Caps& caps) {
    out.u16At(at, caps.wMid).u16At(at + 2, caps.wPid).u32At(at + 4, caps.vDriverVersion).textAt(at + 8, caps.szPname);
    out.u32At(at + 40, caps.dwFormats).u16At(at + 44, caps.wChannels).u16At(at + 46, caps.wReserved1);
}

std::string storedDeviceRecord(const FakeMachine& machine, bool playback, const u32 (&fields)[7]) {
    FixedBytes out(playback ? 464 : 460);
    for (size_t i = 0; i < 7; ++i) out.u32At(4 * i, fields[i]);
    const u32 device = fields[0], destination = fields[1], source = fields[2], mixer = fields[3];
    if (mixer < machine.mixers.size() && destination < machine.mixers[mixer].destinations.size() &&
        source < machine.mixers[mixer].destinations[destination].sources.size()) {
        const FakeMixer& m = machine.mixers[mixer];
        const FakeDestination& d = m.destinations[destination];
        out.u16At(28, m.caps.wMid).u16At(30, m.caps.wPid).u32At(32, m.caps.vDriverVersion).textAt(36, m.caps.szPname);
        out.u32At(68, m.caps.fdwSupport).u32At(72, (u32)m.destinations.size());
        layLine(out, 76, d.line, (DWORD)d.sources.size());
        layLine(out, 244, d.sources[source], d.sources[source].cConnections);
    }
    if (playback && device < machine.waveOut.size()) {
        layDevice(out, 412, machine.waveOut[device]);
        out.u32At(460, machine.waveOut[device].dwSupport);
    } else if (!playback && device < machine.waveIn.size()) {
        layDevice(out, 412, machine.waveIn[device]);
    }
    return out.bytes;
}
