#include "tools/device_details.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "mm/device_settings.h"
#include "mm/mixer.h"
#include "mm/mm_texts.h"
#include "tools/sound_devices_placer.h"

#ifndef _WIN64
static_assert(sizeof(AUXCAPSA) == 48, "the stored auxiliary description");
#endif

namespace {
std::string format(const char* pattern, ...) __attribute__((format(gnu_printf, 1, 2)));
std::string format(const char* pattern, ...) {
    char text[512];
    va_list args;
    va_start(args, pattern);
    vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

ReportRow* row(BlockBase* parent, const char* key, const std::string& value) {
    return new ReportRow(parent, key, value.c_str());
}

void addIds(BlockBase* root, u32 manufacturer, u32 product, u32 version) {
    row(root, mmText(MmText::DevicesManufacturer), format("%u", manufacturer));
    row(root, mmText(MmText::DevicesProduct), format("%u", product));
    row(root, mmText(MmText::DevicesVersion), format("%d.%d", (int)(version >> 8 & 0xFF), (int)(version & 0xFF)));
}

void addFlag(BlockBase* root, const char* text, bool applies) {
    row(root, text, mmText(applies ? MmText::DevicesYes : MmText::DevicesNo));
}

void addChannels(BlockBase* root, u32 channels) {
    std::string text = channels == 1 ? mmText(MmText::DevicesMono)
                       : channels == 2 ? mmText(MmText::DevicesStereo)
                                       : format("%u", channels);
    row(root, mmText(MmText::DevicesChannels), text);
}

void addFormats(BlockBase* root, u32 formats) {
    if (!formats) return;
    ReportRow* branch = new ReportRow(root, mmText(MmText::DevicesFormats), "");
    std::string rates = mmText(MmText::DevicesRates);
    std::vector<std::string> rate;
    for (size_t start = 0;;) {
        size_t bar = rates.find('|', start);
        rate.push_back(rates.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    for (u32 i = 0; i < 20; ++i) {
        std::string text = format(mmText(MmText::DevicesFormat), i / 4 < rate.size() ? rate[i / 4].c_str() : "?",
                                  mmText(i & 1 ? MmText::DevicesStereoShort : MmText::DevicesMonoShort),
                                  mmText(i & 2 ? MmText::Devices16Bit : MmText::Devices8Bit));
        addFlag(branch, text.c_str(), formats & (1u << i));
    }
}

const char* targetTypeName(u32 type) {
    static const char* const names[] = {"Undefined", "Wave Out", "Wave In", "MIDI Out", "MIDI In", "Auxilary"};
    return type < 6 ? names[type] : "";
}

const char* controlClassName(u32 type) {
    static const char* const names[] = {"Custom", "Meter", "Switch", "Number", "Slider", "Fader", "Time", "List"};
    u32 c = type >> 28;
    return c < 8 ? names[c] : "";
}

const char* controlTypeName(u32 type) {
    static const struct {
        u32 type;
        const char* name;
    } names[] = {
        {0, "Custom"}, {0x10010000, "Boolean_Meter"}, {0x10020000, "Signed_Meter"}, {0x10020001, "Peak_Meter"},
        {0x10030000, "Unsigned_Meter"}, {0x20010000, "Boolean"}, {0x20010001, "On_Off"}, {0x20010002, "Mute"},
        {0x20010003, "Mono"}, {0x20010004, "Loudness"}, {0x20010005, "Stereo_Enhanced"}, {0x21010000, "Button"},
        {0x30020000, "Signed"}, {0x30030000, "Unsigned"}, {0x30040000, "Decibels"}, {0x30050000, "Percent"},
        {0x40020000, "Slider"}, {0x40020001, "Pan"}, {0x40020002, "QSound_Pan"}, {0x50030000, "Fader"},
        {0x50030001, "Volume"}, {0x50030002, "Bass"}, {0x50030003, "Treble"}, {0x50030004, "Equalizer"},
        {0x60030000, "Microsecond"}, {0x61030000, "Millisecond"}, {0x70010000, "Single_Select"}, {0x70010001, "Mux"},
        {0x71010000, "Multiple_Select"}, {0x71010001, "Mixer"},
    };
    for (const auto& n : names)
        if (n.type == type) return n.name;
    return "";
}

void addControl(BlockBase* parent, Mixer& m, const MIXERLINEA& line, const MIXERCONTROLA& c) {
    ReportRow* item = row(parent, c.szName, controlTypeName(c.dwControlType));
    row(item, "Class", controlClassName(c.dwControlType));
    row(item, "Type", controlTypeName(c.dwControlType));
    if (c.dwControlType & 0x20000) {
        row(item, "Bounds.lMinimum", format("%d", (int)c.Bounds.lMinimum));
        row(item, "Bounds.lMaximum", format("%d", (int)c.Bounds.lMaximum));
    } else if (c.dwControlType & 0x70000) {
        row(item, "Bounds.dwMinimum", format("%u", (unsigned)c.Bounds.dwMinimum));
        row(item, "Bounds.dwMaximum", format("%u", (unsigned)c.Bounds.dwMaximum));
    }
    if (c.dwControlType & 0x70000) row(item, "Metrics.cSteps", format("%u", (unsigned)c.Metrics.cSteps));
    std::string flags;
    auto add = [&](const char* text) { flags += (flags.empty() ? "" : ", ") + std::string(text); };
    if (c.fdwControl & 0x80000000u) add("Disabled");
    if (c.fdwControl & 2) add("Multiple");
    if (c.fdwControl & 1) add("Uniform");
    row(item, mmText(MmText::DevicesFlags), flags);
    U32Array values;
    if (getMixerControlDetails(m, controlMetrics(m, line, c), values)) {
        std::string text;
        for (u32 i = 0; i < values.count; ++i) text += (i ? " " : "") + format("%u", values.data[i]);
        row(item, mmText(MmText::DevicesValues), text);
    }
}

void addLine(BlockBase* parent, Mixer& m, u32 destination, i32 source) {
    MIXERLINEA line;
    if (!getMixerLineInfo(m, line, {destination, source})) return;
    std::string heading = format(mmText(MmText::DevicesLineHeading), (int)source, line.szName,
                                 targetTypeName(line.Target.dwType), (unsigned)line.Target.dwDeviceID);
    MixerLineNode* item = new MixerLineNode(parent, heading.c_str(), m.mixerId, destination, source);
    row(item, "dwDestination", format("%u", (unsigned)line.dwDestination));
    row(item, "dwSource", format("%u", (unsigned)line.dwSource));
    row(item, "dwLineID", format("%XH", (unsigned)line.dwLineID));
    row(item, "dwUser", format("%XH", (unsigned)line.dwUser));
    row(item, "dwComponentType",
        format("%s (%XH)", mixerComponentTypeName(line.dwComponentType), (unsigned)line.dwComponentType));
    row(item, "cConnections", format("%u", (unsigned)line.cConnections));
    row(item, "szShortName", line.szShortName);
    row(item, "szName", line.szName);
    row(item, "Target.dwType", targetTypeName(line.Target.dwType));
    row(item, "Target.dwDeviceID", format("%u", (unsigned)line.Target.dwDeviceID));
    row(item, "Target.szPname", line.Target.szPname);
    MixerControls controls;
    if (line.cControls && loadLineControls(m, line, controls))
        for (u32 i = 0; i < controls.count; ++i) addControl(item, m, line, controls[i]);
    if (source < 0)
        for (u32 s = 0; s < line.cConnections; ++s) addLine(item, m, destination, (i32)s);
}

}  // namespace

BlockBase* deviceDetails(const DeviceRow& r) {
    ReportRow* root = new ReportRow(nullptr, r.name[0] ? r.name : mmText(MmText::DevicesUnnamed), "");
    switch (r.kind) {
    case DeviceRow::WaveOut: {
        const WAVEOUTCAPSA& c = r.caps.waveOut;
        addIds(root, c.wMid, c.wPid, c.vDriverVersion);
        addChannels(root, c.wChannels);
        addFlag(root, "Volume control", c.dwSupport & WAVECAPS_VOLUME);
        addFlag(root, "Pan control", c.dwSupport & WAVECAPS_LRVOLUME);
        addFlag(root, "Pitch control", c.dwSupport & WAVECAPS_PITCH);
        addFlag(root, "Playback rate control", c.dwSupport & WAVECAPS_PLAYBACKRATE);
        addFlag(root, "Sample accurate position control", c.dwSupport & WAVECAPS_SAMPLEACCURATE);
        addFlag(root, "Non blocking CPU playback", !(c.dwSupport & WAVECAPS_SYNC));
        addFormats(root, c.dwFormats);
        break;
    }
    case DeviceRow::WaveIn: {
        const WAVEINCAPSA& c = r.caps.waveIn;
        addIds(root, c.wMid, c.wPid, c.vDriverVersion);
        addChannels(root, c.wChannels);
        addFormats(root, c.dwFormats);
        break;
    }
    case DeviceRow::Aux: {
        const AUXCAPSA& c = r.caps.aux;
        addIds(root, c.wMid, c.wPid, c.vDriverVersion);
        const char* technology = c.wTechnology == AUXCAPS_CDAUDIO ? mmText(MmText::DevicesCdAudio)
                                 : c.wTechnology == AUXCAPS_AUXIN ? mmText(MmText::DevicesAuxIn)
                                                                  : mmText(MmText::DevicesOtherTechnology);
        row(root, mmText(MmText::DevicesTechnology), technology);
        addFlag(root, "Volume control", c.dwSupport & AUXCAPS_VOLUME);
        addFlag(root, "Pan control", c.dwSupport & AUXCAPS_LRVOLUME);
        break;
    }
    case DeviceRow::Mixer: {
        const MIXERCAPSA& c = r.caps.mixer;
        addIds(root, c.wMid, c.wPid, c.vDriverVersion);
        ReportRow* lines = new ReportRow(root, mmText(MmText::DevicesLines), "");
        Mixer m;
        m.mixerId = r.number;
        for (u32 d = 0; d < c.cDestinations; ++d) addLine(lines, m, d, -1);
        break;
    }
    }
    return root;
}

std::string mixerKindText(u32 mixer) {
    enum { Microphone, WavePlayback, Line, Digital, Cd, Features };
    bool found[Features] = {};
    MIXERCAPSA caps;
    if (deviceQueries.mixerCaps(mixer, &caps)) {
        for (u32 d = 0; d < caps.cDestinations; ++d) {
            MIXERLINEA dest;
            if (!deviceQueries.mixerLine(mixer, d, -1, &dest)) continue;
            const u32 dt = dest.dwComponentType;
            if (dt == MIXERLINE_COMPONENTTYPE_DST_DIGITAL) found[Digital] = true;
            for (u32 s = 0; s < dest.cConnections; ++s) {
                MIXERLINEA src;
                if (!deviceQueries.mixerLine(mixer, d, (i32)s, &src)) continue;
                const u32 st = src.dwComponentType;
                auto targets = [&](u32 type) { return dest.Target.dwType == type || src.Target.dwType == type; };
                if (st == MIXERLINE_COMPONENTTYPE_SRC_DIGITAL)
                    found[Digital] = true;
                else if (st == MIXERLINE_COMPONENTTYPE_SRC_LINE &&
                         (dt == MIXERLINE_COMPONENTTYPE_DST_WAVEIN || dt == MIXERLINE_COMPONENTTYPE_DST_LINE) &&
                         targets(MIXERLINE_TARGETTYPE_WAVEIN))
                    found[Line] = true;
                else if (st == MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC)
                    found[Cd] = true;
                else if (st == MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE && dt == MIXERLINE_COMPONENTTYPE_DST_WAVEIN &&
                         targets(MIXERLINE_TARGETTYPE_WAVEIN))
                    found[Microphone] = true;
                else if (st == MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT &&
                         (dt == MIXERLINE_COMPONENTTYPE_DST_MONITOR || dt == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS ||
                          dt == MIXERLINE_COMPONENTTYPE_DST_HEADPHONES) &&
                         targets(MIXERLINE_TARGETTYPE_WAVEOUT))
                    found[WavePlayback] = true;
            }
        }
    }
    static const MmText names[Features] = {MmText::DevicesFeatureMicrophone, MmText::DevicesFeatureWavePlayback,
                                           MmText::DevicesFeatureLine, MmText::DevicesFeatureDigital,
                                           MmText::DevicesFeatureCd};
    std::string list;
    for (int i = 0; i < Features; ++i)
        if (found[i]) list += (list.empty() ? "" : ", ") + std::string(mmText(names[i]));
    std::string text = mmText(MmText::DevicesMixer);
    if (!list.empty()) text += " (" + list + ")";
    return text;
}

