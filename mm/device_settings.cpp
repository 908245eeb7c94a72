#include "mm/device_settings.h"

#include <windows.h>

#include <mmsystem.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "core/linked_list.h"
#include "mm/mm_texts.h"

static_assert(sizeof(MIXERCAPSA) == 48, "stored mixer description");
static_assert(sizeof(void*) != 4 || sizeof(MIXERLINEA) == 168, "the 32-bit mixer line");
static_assert(sizeof(WAVEOUTCAPSA) == 52, "stored wave-out description");
static_assert(sizeof(WAVEINCAPSA) == 48, "stored wave-in description");
static_assert(offsetof(WAVEOUTCAPSA, szPname) == offsetof(WAVEINCAPSA, szPname), "device names lie alike");

static const u32 kFieldBytes = 7 * 4;
// A mixer line is stored in its 32-bit layout, 168 bytes, on every build.
static const u32 kLineBytes = 168;
static const u32 kMixerBytes = sizeof(MIXERCAPSA) + 2 * kLineBytes;
// Where the device's name lies in its stored description.
static const u32 kNameOffset = offsetof(WAVEOUTCAPSA, szPname);
static const u32 kNameBytes = sizeof(WAVEOUTCAPSA::szPname);

// ---- machine queries ----

static u32 systemWaveOutCount() { return waveOutGetNumDevs(); }

static u32 systemWaveInCount() { return waveInGetNumDevs(); }

static u32 systemMixerCount() { return mixerGetNumDevs(); }

// The system copies names with whatever followed them in its own buffers: the bytes after a name's
// end are cleared, so stored records repeat.
template <size_t N> static void clearNameTail(char (&name)[N]) {
    const size_t length = strnlen(name, N);
    if (length < N) memset(name + length, 0, N - length);
}

static bool systemMixerCaps(u32 mixer, MIXERCAPSA* out) {
    memset(out, 0, sizeof *out);
    if (mixerGetDevCapsA(mixer, out, sizeof *out) != MMSYSERR_NOERROR) return false;
    clearNameTail(out->szPname);
    return true;
}

static bool systemMixerLine(u32 mixer, u32 destination, i32 source, MIXERLINEA* out) {
    memset(out, 0, sizeof *out);
    out->cbStruct = sizeof *out;
    out->dwDestination = destination;
    DWORD flags = MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_DESTINATION;
    if (source >= 0) {
        out->dwSource = (DWORD)source;
        flags = MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_SOURCE;
    }
    if (mixerGetLineInfoA((HMIXEROBJ)(UINT_PTR)mixer, out, flags) != MMSYSERR_NOERROR) return false;
    clearNameTail(out->szShortName);
    clearNameTail(out->szName);
    clearNameTail(out->Target.szPname);
    return true;
}

static bool systemWaveOutCaps(u32 device, WAVEOUTCAPSA* out) {
    memset(out, 0, sizeof *out);
    if (waveOutGetDevCapsA(device, out, sizeof *out) != MMSYSERR_NOERROR) return false;
    clearNameTail(out->szPname);
    return true;
}

static bool systemWaveInCaps(u32 device, WAVEINCAPSA* out) {
    memset(out, 0, sizeof *out);
    if (waveInGetDevCapsA(device, out, sizeof *out) != MMSYSERR_NOERROR) return false;
    clearNameTail(out->szPname);
    return true;
}

DeviceQueries deviceQueries = {systemWaveOutCount, systemWaveInCount, systemMixerCount, systemMixerCaps,
                               systemMixerLine,    systemWaveOutCaps, systemWaveInCaps};

// ---- listener list ----

void deviceListUnlink(DeviceListNode& node) {
    DeviceSettings* entry = node.entry;
    if (!entry) return;
    if (node.previous) node.previous->next = node.next;
    if (node.next) node.next->previous = node.previous;
    if (entry->first == &node) entry->first = node.next;
    if (entry->last == &node) entry->last = node.previous;
    // Cleared, so that unlinking twice cannot touch the list again.
    node.previous = node.next = nullptr;
}

void deviceListLink(DeviceListNode& node, DeviceSettings* entry, DeviceSettingsListener* listener) {
    deviceListUnlink(node);
    node.entry = entry;
    node.listener = listener;
    if (!entry) return;
    linkAtEnd(entry->first, entry->last, &node);
}

// ---- line predicates ----

static bool targetIs(const MIXERLINEA& line, DWORD type, u32 device) {
    if (line.Target.dwType != type || (i32)line.Target.dwDeviceID < 0) return false;
    return device == anyDevice || ((i32)device >= 0 && line.Target.dwDeviceID == device);
}

static bool carriesDevice(const MIXERLINEA& destination, const MIXERLINEA& source, DWORD type, u32 device) {
    return targetIs(destination, type, device) || targetIs(source, type, device);
}

bool isPlaybackWaveLine(const MIXERLINEA& destination, const MIXERLINEA& source, u32 device) {
    DWORD d = destination.dwComponentType;
    return (d == MIXERLINE_COMPONENTTYPE_DST_MONITOR || d == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS ||
            d == MIXERLINE_COMPONENTTYPE_DST_HEADPHONES) &&
           source.dwComponentType == MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT &&
           carriesDevice(destination, source, MIXERLINE_TARGETTYPE_WAVEOUT, device);
}

bool isRecordMicrophoneLine(const MIXERLINEA& destination, const MIXERLINEA& source, u32 device) {
    return destination.dwComponentType == MIXERLINE_COMPONENTTYPE_DST_WAVEIN &&
           source.dwComponentType == MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE &&
           carriesDevice(destination, source, MIXERLINE_TARGETTYPE_WAVEIN, device);
}

bool isRecordLine(const MIXERLINEA& destination, const MIXERLINEA& source, u32 device) {
    DWORD d = destination.dwComponentType;
    return (d == MIXERLINE_COMPONENTTYPE_DST_WAVEIN || d == MIXERLINE_COMPONENTTYPE_DST_LINE) &&
           source.dwComponentType == MIXERLINE_COMPONENTTYPE_SRC_LINE &&
           carriesDevice(destination, source, MIXERLINE_TARGETTYPE_WAVEIN, device);
}

// ---- settings ----

DeviceSettings::DeviceSettings(bool playback, u32 choiceFlags) : choiceFlags(choiceFlags), playback(playback) {}

DeviceSettings::~DeviceSettings() {
    // Listeners that outlive the entry find themselves detached.
    for (DeviceListNode* node = first; node;) {
        DeviceListNode* next = node->next;
        node->previous = node->next = nullptr;
        node->entry = nullptr;
        node = next;
    }
}

u32 DeviceSettings::recordSize() const {
    return kFieldBytes + kMixerBytes + (playback ? sizeof(WAVEOUTCAPSA) : sizeof(WAVEINCAPSA));
}

bool DeviceSettings::queryCaps(u32 number, void* out) const {
    return playback ? deviceQueries.waveOutCaps(number, static_cast<WAVEOUTCAPSA*>(out))
                    : deviceQueries.waveInCaps(number, static_cast<WAVEINCAPSA*>(out));
}

void DeviceSettings::resetToDefault() {
    device = 0;
    bindLine();
}

void forEachSourceLine(const std::function<void(u32, const MIXERCAPSA&, u32, const MIXERLINEA&, u32,
                                                const MIXERLINEA&)>& visit) {
    u32 mixers = deviceQueries.mixerCount();
    for (u32 m = 0; m < mixers; ++m) {
        MIXERCAPSA caps;
        if (!deviceQueries.mixerCaps(m, &caps)) continue;
        for (u32 d = 0; d < caps.cDestinations; ++d) {
            MIXERLINEA destinationLine;
            if (!deviceQueries.mixerLine(m, d, -1, &destinationLine)) continue;
            for (u32 s = 0; s < destinationLine.cConnections; ++s) {
                MIXERLINEA sourceLine;
                if (deviceQueries.mixerLine(m, d, (i32)s, &sourceLine)) visit(m, caps, d, destinationLine, s, sourceLine);
            }
        }
    }
}

void DeviceSettings::bindLine() {
    destination = source = mixer = -1;
    forEachSourceLine([this](u32 m, const MIXERCAPSA&, u32 d, const MIXERLINEA& destinationLine, u32 s,
                             const MIXERLINEA& sourceLine) {
        // No early end: the last matching line wins.
        if (acceptsLine(destinationLine, sourceLine, device)) {
            destination = (i32)d;
            source = (i32)s;
            mixer = (i32)m;
        }
    });
}

// The mixer description and both lines of the bound line, or false when one cannot be had.
static bool queryBoundLine(const DeviceSettings& settings, MIXERCAPSA* caps, MIXERLINEA* destinationLine,
                           MIXERLINEA* sourceLine) {
    u32 mixer = (u32)settings.mixer, destination = (u32)settings.destination;
    return deviceQueries.mixerCaps(mixer, caps) && deviceQueries.mixerLine(mixer, destination, -1, destinationLine) &&
           deviceQueries.mixerLine(mixer, destination, settings.source, sourceLine);
}

bool DeviceSettings::lineServesDevice() const {
    if (mixer < 0 || destination < 0) return false;
    MIXERCAPSA caps;
    MIXERLINEA destinationLine, sourceLine;
    return queryBoundLine(*this, &caps, &destinationLine, &sourceLine) &&
           acceptsLine(destinationLine, sourceLine, device);
}

i32 DeviceSettings::findDeviceNamed(const char* name, u32 preferred) const {
    if (!name[0]) return -1;
    u32 count = playback ? deviceQueries.waveOutCount() : deviceQueries.waveInCount();
    i32 found = -1;
    for (u32 d = 0; d < count; ++d) {
        u8 caps[sizeof(WAVEOUTCAPSA)];
        if (!queryCaps(d, caps) || strncmp(name, reinterpret_cast<const char*>(caps) + kNameOffset, kNameBytes) != 0)
            continue;
        if (d == preferred) return (i32)d;
        if (found < 0) found = (i32)d;
    }
    return found;
}

// A mixer line field by field in its 32-bit layout (the user value cut to 32 bits).
static void writeStoredLine(GBag& bag, const MIXERLINEA& line) {
    for (u32 v : {(u32)kLineBytes, (u32)line.dwDestination, (u32)line.dwSource, (u32)line.dwLineID, (u32)line.fdwLine,
                  (u32)line.dwUser, (u32)line.dwComponentType, (u32)line.cChannels, (u32)line.cConnections,
                  (u32)line.cControls})
        bagWriteU32(bag, v);
    bagWriteBytes(bag, line.szShortName, sizeof line.szShortName);
    bagWriteBytes(bag, line.szName, sizeof line.szName);
    bagWriteU32(bag, line.Target.dwType);
    bagWriteU32(bag, line.Target.dwDeviceID);
    bagWriteBytes(bag, &line.Target.wMid, 2);
    bagWriteBytes(bag, &line.Target.wPid, 2);
    bagWriteU32(bag, line.Target.vDriverVersion);
    bagWriteBytes(bag, line.Target.szPname, sizeof line.Target.szPname);
}
static_assert(sizeof(MIXERLINEA::szShortName) + sizeof(MIXERLINEA::szName) + sizeof(MIXERLINEA::Target.szPname) +
                      12 * 4 + 2 * 2 + 4 == kLineBytes,
              "the stored line's fields");

static i32 heldLevel(u32 stored) {
    i32 db = (i32)stored;
    return db < DeviceSettings::minLevelDb ? DeviceSettings::minLevelDb
                                           : db > DeviceSettings::maxLevelDb ? DeviceSettings::maxLevelDb : db;
}

bool DeviceSettings::readFrom(GBag& bag) {
    // A short record would take its bytes from whatever follows it: refused as a whole.
    if (bag.pos > bag.size || bag.size - bag.pos < recordSize()) return false;
    u32 fields[7];
    bagReadBytes(bag, fields, kFieldBytes);
    bagSkip(bag, kMixerBytes);  // the line is checked against the machine, not the stored descriptions
    u8 stored[sizeof(WAVEOUTCAPSA)];
    bagReadBytes(bag, stored, recordSize() - kFieldBytes - kMixerBytes);

    destination = (i32)fields[1];
    source = (i32)fields[2];
    mixer = (i32)fields[3];
    adjust1 = heldLevel(fields[4]);
    adjust2 = heldLevel(fields[5]);
    choiceFlags = fields[6];

    char name[kNameBytes + 1] = {};
    memcpy(name, stored + kNameOffset, kNameBytes);
    i32 found = findDeviceNamed(name, fields[0]);
    if (found < 0) {
        resetToDefault();
        return false;
    }
    device = (u32)found;
    if (!lineServesDevice()) bindLine();
    return true;
}

void DeviceSettings::writeTo(GBag& bag) const {
    const u32 fields[7] = {device, (u32)destination, (u32)source, (u32)mixer, (u32)adjust1, (u32)adjust2, choiceFlags};
    bagWriteBytes(bag, fields, kFieldBytes);

    MIXERCAPSA caps;
    MIXERLINEA destinationLine, sourceLine;
    if (queryBoundLine(*this, &caps, &destinationLine, &sourceLine)) {
        bagWriteBytes(bag, &caps, sizeof caps);
        writeStoredLine(bag, destinationLine);
        writeStoredLine(bag, sourceLine);
    } else {
        const u8 zeros[kMixerBytes] = {};
        bagWriteBytes(bag, zeros, kMixerBytes);
    }

    u8 deviceCaps[sizeof(WAVEOUTCAPSA)];
    u32 capsSize = recordSize() - kFieldBytes - kMixerBytes;
    if (!queryCaps(device, deviceCaps)) memset(deviceCaps, 0, sizeof deviceCaps);
    bagWriteBytes(bag, deviceCaps, capsSize);
}

void DeviceSettings::notifyListeners(DeviceSettingsListener* except, u32 changeMask) {
    for (DeviceListNode* node = first; node;) {
        DeviceListNode* next = node->next;  // a listener may detach itself
        if (node->listener && node->listener != except) node->listener->onSettingsChanged(this, changeMask);
        node = next;
    }
}

void DeviceSettings::copyFields(const DeviceSettings& other) {
    device = other.device;
    destination = other.destination;
    source = other.source;
    mixer = other.mixer;
    adjust1 = other.adjust1;
    adjust2 = other.adjust2;
    choiceFlags = other.choiceFlags;
}

PlayDeviceSettings::PlayDeviceSettings() : DeviceSettings(true, DeviceSwitch::Fade) { resetToDefault(); }

const ChoiceEntry* PlayDeviceSettings::choices() const {
    static const ChoiceEntry table[] = {
        {DeviceSwitch::Fade, &kxmmTexts[(u32)MmText::FadeInOut]},
        {DeviceSwitch::Loop, &kxmmTexts[(u32)MmText::LoopPlayback]},
        {0, nullptr},
    };
    return table;
}

bool PlayDeviceSettings::acceptsLine(const MIXERLINEA& destination, const MIXERLINEA& source, u32 device) const {
    return isPlaybackWaveLine(destination, source, device);
}

RecordDeviceSettings::RecordDeviceSettings() : DeviceSettings(false, 0) { resetToDefault(); }

bool RecordDeviceSettings::acceptsLine(const MIXERLINEA& destination, const MIXERLINEA& source, u32 device) const {
    return isRecordMicrophoneLine(destination, source, device) || isRecordLine(destination, source, device);
}
