#pragma once
// The settings of the play device and of the record device: the wave device number, the mixer line
// its sound passes through, the gain and limit in dB and the fade and loop switches. Players and
// recorders attach listener nodes to an entry and are told when it changes. A stored record names
// its device by the name the device reports, so that the choice survives a renumbering of the
// machine's devices.
#include <functional>

#include "core/bag.h"
#include "core/types.h"

struct tagMIXERCAPSA;
struct tagMIXERLINEA;
struct tagWAVEOUTCAPSA;
struct tagWAVEINCAPSA;

class DeviceSettings;

// Switch bits of an entry.
namespace DeviceSwitch {
enum : u32 {
    Fade = 0x01,  // fade in and out
    Loop = 0x02,  // loop playback
};
}

// Change masks given to the listeners.
namespace DeviceChange {
enum : u32 {
    Device = 0x01,
    Line = 0x02,
    Level = 0x04,  // gain or limit
    Switches = 0x08,
    All = 0x0F,
};
}

class DeviceSettingsListener {
public:
    virtual void onSettingsChanged(DeviceSettings* entry, u32 changeMask) = 0;

protected:
    ~DeviceSettingsListener() = default;
};

// A listener's place in an entry's list; kept inside the listening object.
struct DeviceListNode {
    DeviceListNode* previous = nullptr;
    DeviceListNode* next = nullptr;
    DeviceSettingsListener* listener = nullptr;
    DeviceSettings* entry = nullptr;
};

// Moves the node to the end of the entry's list with the listener; a null entry only detaches it.
void deviceListLink(DeviceListNode& node, DeviceSettings* entry, DeviceSettingsListener* listener);
// Takes the node out of its entry's list; the node keeps its entry field.
void deviceListUnlink(DeviceListNode& node);

// One check box of the adjustment panel: the switch bits it sets and its text slot.
struct ChoiceEntry {
    u32 id;
    const char* const* text;  // read at each use; null ends the table
};

class DeviceSettings {
public:
    DeviceSettings(const DeviceSettings&) = delete;
    DeviceSettings& operator=(const DeviceSettings&) = delete;
    virtual ~DeviceSettings();

    // Reads a stored record from the bag's position to its end (a settings subsection's bytes). The
    // device is the one of the machine whose name is the stored name (the stored number first among
    // several of that name); its mixer line is the stored one while that still carries the device,
    // else the one found for it. False when the record is shorter than recordSize() (nothing is
    // changed) or when no device has the stored name (device 0 and its line are chosen). Gain and
    // limit are held to -20..20 dB.
    virtual bool readFrom(GBag& bag);
    // Appends the record with the mixer and device descriptions as the machine reports them now.
    virtual void writeTo(GBag& bag) const;
    virtual const ChoiceEntry* choices() const = 0;
    virtual bool acceptsLine(const tagMIXERLINEA& destination, const tagMIXERLINEA& source, u32 device) const = 0;

    // Device 0 and the last mixer line that accepts it.
    void resetToDefault();
    // The last mixer line that accepts the device, or none (-1).
    void bindLine();
    // Tells every attached listener but `except` of a change.
    void notifyListeners(DeviceSettingsListener* except, u32 changeMask);
    // Copies the seven stored fields; the listeners stay.
    void copyFields(const DeviceSettings& other);

    bool isPlayback() const { return playback; }
    i32 gainDb() const { return adjust1; }
    i32 limitDb() const { return adjust2; }
    u32 switches() const { return choiceFlags; }
    // Size of the stored record: 464 for playback, 460 for recording.
    u32 recordSize() const;

    static const i32 minLevelDb = -20;
    static const i32 maxLevelDb = 20;

    u32 device = 0;
    i32 destination = -1;
    i32 source = -1;
    i32 mixer = -1;
    i32 adjust1 = 0;  // gain in dB, minLevelDb..maxLevelDb
    i32 adjust2 = 0;  // limit in dB, minLevelDb..maxLevelDb
    u32 choiceFlags;  // DeviceSwitch bits
    DeviceListNode* first = nullptr;
    DeviceListNode* last = nullptr;

protected:
    DeviceSettings(bool playback, u32 choiceFlags);

private:
    bool queryCaps(u32 device, void* out) const;
    // The number of the device named name (the preferred number first), or -1.
    i32 findDeviceNamed(const char* name, u32 preferred) const;
    // True when the stored line exists and carries the device.
    bool lineServesDevice() const;

    const bool playback;
};

class PlayDeviceSettings : public DeviceSettings {
public:
    PlayDeviceSettings();
    const ChoiceEntry* choices() const override;
    bool acceptsLine(const tagMIXERLINEA& destination, const tagMIXERLINEA& source, u32 device) const override;
};

class RecordDeviceSettings : public DeviceSettings {
public:
    RecordDeviceSettings();
    const ChoiceEntry* choices() const override { return nullptr; }
    bool acceptsLine(const tagMIXERLINEA& destination, const tagMIXERLINEA& source, u32 device) const override;
};

// The mixer lines that carry a device's sound. anyDevice matches a line of any device; other device
// numbers and target ids that are negative as i32 never match.
const u32 anyDevice = 0xFFFFFFFF;
bool isPlaybackWaveLine(const tagMIXERLINEA& destination, const tagMIXERLINEA& source, u32 device);
bool isRecordMicrophoneLine(const tagMIXERLINEA& destination, const tagMIXERLINEA& source, u32 device);
bool isRecordLine(const tagMIXERLINEA& destination, const tagMIXERLINEA& source, u32 device);

// The machine queries the device settings make, failures answered false; replaceable for tests.
struct DeviceQueries {
    u32 (*waveOutCount)();
    u32 (*waveInCount)();
    u32 (*mixerCount)();
    bool (*mixerCaps)(u32 mixer, tagMIXERCAPSA* out);
    // The destination line itself when source is -1.
    bool (*mixerLine)(u32 mixer, u32 destination, i32 source, tagMIXERLINEA* out);
    bool (*waveOutCaps)(u32 device, tagWAVEOUTCAPSA* out);
    bool (*waveInCaps)(u32 device, tagWAVEINCAPSA* out);
};
extern DeviceQueries deviceQueries;

// Every source line of every destination of every mixer, through the queries, in that order; what
// cannot be read is passed over.
void forEachSourceLine(const std::function<void(u32 mixer, const tagMIXERCAPSA& caps, u32 destination,
                                                const tagMIXERLINEA& destinationLine, u32 source,
                                                const tagMIXERLINEA& sourceLine)>& visit);
