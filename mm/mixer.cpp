#include "mm/mixer.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <initializer_list>

#include "mm/mm_error.h"
#include "mm/mm_texts.h"

static_assert(MM_MIXM_LINE_CHANGE == mixerLineChangeMessage && MM_MIXM_CONTROL_CHANGE == mixerControlChangeMessage,
              "change messages");
static_assert(sizeof(MIXERCAPSA) == 48 && (sizeof(void*) != 4 || sizeof(MIXERLINEA) == 168), "mixer records");
static_assert(MIXERCONTROL_CONTROLTYPE_VOLUME == mixerControlVolume && MIXERCONTROL_CONTROLTYPE_MUTE == mixerControlMute &&
                  MIXERCONTROL_CONTROLTYPE_MUX == mixerControlMux && MIXERCONTROL_CONTROLTYPE_MIXER == mixerControlMixer,
              "control types");

namespace {
HMIXEROBJ mixerObject(u32 mixer) { return reinterpret_cast<HMIXEROBJ>((UINT_PTR)mixer); }

bool checkMixerResult(Mixer& mixer, u32 result) {
    return result == MMSYSERR_NOERROR || reportMmError(mixer.errorSink, result);
}

// Exactly n values, zeroed.
void sizeValues(U32Array& values, u32 n) {
    if (values.count != n) {
        delete[] values.data;
        values.data = n ? new u32[n] : nullptr;
        values.count = n;
    }
    if (n) memset(values.data, 0, sizeof(u32) * n);
}

MIXERCONTROLDETAILS detailsOf(const MixerControlMetrics& metrics, void* values, u32 valueSize) {
    MIXERCONTROLDETAILS d;
    memset(&d, 0, sizeof d);
    d.cbStruct = sizeof d;
    d.dwControlID = metrics.controlId;
    d.cChannels = metrics.channels;
    d.cMultipleItems = metrics.items;
    d.cbDetails = valueSize;
    d.paDetails = values;
    return d;
}

// The line of the reference and its control of the type, with the control's metrics.
bool findLineControl(Mixer& mixer, MixerLineRef ref, u32 type, MixerControlMetrics& metrics) {
    MIXERLINEA line;
    MIXERCONTROLA control;
    if (!getMixerLineInfo(mixer, line, ref) || !getLineControlByType(mixer, line, type, control)) return false;
    metrics = controlMetrics(mixer, line, control);
    return true;
}
}  // namespace

MixerApi mixerApi = {
    []() -> u32 { return mixerGetNumDevs(); },
    [](u32 m, MIXERCAPSA* caps, u32 size) -> u32 { return mixerGetDevCapsA(m, caps, size); },
    [](u32 m, MIXERLINEA* line, u32 flags) -> u32 { return mixerGetLineInfoA(mixerObject(m), line, flags); },
    [](u32 m, MIXERLINECONTROLSA* controls, u32 flags) -> u32 {
        return mixerGetLineControlsA(mixerObject(m), controls, flags);
    },
    [](u32 m, MIXERCONTROLDETAILS* details, u32 flags) -> u32 {
        return mixerGetControlDetailsA(mixerObject(m), details, flags);
    },
    [](u32 m, MIXERCONTROLDETAILS* details, u32 flags) -> u32 {
        return mixerSetControlDetails(mixerObject(m), details, flags);
    },
    [](uintptr_t* handle, u32 m, uintptr_t callback, uintptr_t instance, u32 flags) -> u32 {
        HMIXER opened = nullptr;
        u32 result = mixerOpen(&opened, m, callback, instance, flags);
        *handle = result == MMSYSERR_NOERROR ? reinterpret_cast<uintptr_t>(opened) : 0;
        return result;
    },
    [](uintptr_t handle) -> u32 { return mixerClose(reinterpret_cast<HMIXER>(handle)); },
};

uintptr_t openMixerToWindow(Mixer& mixer, uintptr_t window) {
    uintptr_t handle = 0;
    u32 result = mixerApi.open(&handle, mixer.mixerId, window, 0, MIXER_OBJECTF_MIXER | CALLBACK_WINDOW);
    if (result != MMSYSERR_NOERROR) {
        reportMmError(mixer.errorSink, result);
        return 0;
    }
    return handle;
}

void closeMixerHandle(uintptr_t handle) {
    if (handle) mixerApi.close(handle);
}

bool getMixerDevCaps(Mixer& mixer, MIXERCAPSA& caps) {
    memset(&caps, 0, sizeof caps);
    return checkMixerResult(mixer, mixerApi.getDevCaps(mixer.mixerId, &caps, sizeof caps));
}

bool getMixerLineInfo(Mixer& mixer, MIXERLINEA& line, MixerLineRef ref) {
    memset(&line, 0, sizeof line);
    line.cbStruct = sizeof line;
    line.dwDestination = ref.destination;
    u32 flags = MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_DESTINATION;
    if (ref.source >= 0) {
        line.dwSource = (DWORD)ref.source;
        flags = MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_SOURCE;
    }
    return checkMixerResult(mixer, mixerApi.getLineInfo(mixer.mixerId, &line, flags));
}

bool getLineControlByType(Mixer& mixer, const MIXERLINEA& line, u32 type, MIXERCONTROLA& control) {
    memset(&control, 0, sizeof control);
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSA query;
    memset(&query, 0, sizeof query);
    query.cbStruct = sizeof query;
    query.dwLineID = line.dwLineID;
    query.dwControlType = type;
    query.cControls = 1;
    query.cbmxctrl = sizeof control;
    query.pamxctrl = &control;
    return checkMixerResult(
        mixer, mixerApi.getLineControls(mixer.mixerId, &query, MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE));
}

bool loadLineControls(Mixer& mixer, const MIXERLINEA& line, MixerControls& controls) {
    u32 n = line.cControls;
    if (controls.count != n) {
        arrayFree(controls);
        controls.append(n);
    }
    if (!n) return true;
    memset(static_cast<void*>(controls.data), 0, sizeof(MIXERCONTROLA) * n);
    for (u32 i = 0; i < n; ++i) controls[i].cbStruct = sizeof(MIXERCONTROLA);
    MIXERLINECONTROLSA query;
    memset(&query, 0, sizeof query);
    query.cbStruct = sizeof query;
    query.dwLineID = line.dwLineID;
    query.cControls = n;
    query.cbmxctrl = sizeof(MIXERCONTROLA);
    query.pamxctrl = controls.data;
    return checkMixerResult(mixer,
                            mixerApi.getLineControls(mixer.mixerId, &query, MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ALL));
}

MixerControlMetrics controlMetrics(const Mixer& mixer, const MIXERLINEA& line, const MIXERCONTROLA& control) {
    MixerControlMetrics m;
    m.controlId = control.dwControlID;
    bool uniform = (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) != 0;
    m.channels = uniform || control.dwControlType != MIXERCONTROL_CONTROLTYPE_VOLUME ? 1 : line.cChannels;
    m.items = (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 0;
    m.valueCount = m.channels * (m.items ? m.items : 1);
    m.readBack = mixer.readBack;
    return m;
}

bool getMixerControlDetails(Mixer& mixer, const MixerControlMetrics& metrics, U32Array& values) {
    sizeValues(values, metrics.valueCount);
    if (!metrics.valueCount) return true;
    MIXERCONTROLDETAILS d = detailsOf(metrics, values.data, sizeof(u32));
    return checkMixerResult(mixer, mixerApi.getControlDetails(mixer.mixerId, &d,
                                                              MIXER_OBJECTF_MIXER | MIXER_GETCONTROLDETAILSF_VALUE));
}

bool getMixerControlValues(Mixer& mixer, const MixerControlMetrics& metrics,
                           RecordArray<MIXERCONTROLDETAILS_LISTTEXTA>& texts) {
    u32 n = metrics.items ? metrics.valueCount : 0;
    arrayFree(texts);
    if (!n) return true;
    texts.append(n);
    MIXERCONTROLDETAILS d = detailsOf(metrics, texts.data, sizeof(MIXERCONTROLDETAILS_LISTTEXTA));
    return checkMixerResult(mixer, mixerApi.getControlDetails(mixer.mixerId, &d,
                                                              MIXER_OBJECTF_MIXER | MIXER_GETCONTROLDETAILSF_LISTTEXT));
}

bool setMixerControlDetails(const MixerControlMetrics& metrics, Mixer& mixer, const U32Array& values) {
    if (!metrics.valueCount) return true;
    if (values.count != metrics.valueCount) return reportMessage(mixer.errorSink, mmText(MmText::MixerValueCount), -1);
    MIXERCONTROLDETAILS d = detailsOf(metrics, values.data, sizeof(u32));
    u32 result = mixerApi.setControlDetails(mixer.mixerId, &d, MIXER_OBJECTF_MIXER | MIXER_SETCONTROLDETAILSF_VALUE);
    if (result != MMSYSERR_NOERROR) return reportMmError(mixer.errorSink, result);
    if (!metrics.readBack) return true;
    U32Array now;
    if (!getMixerControlDetails(mixer, metrics, now)) return false;
    if (memcmp(now.data, values.data, sizeof(u32) * values.count) != 0)
        return reportMmError(mixer.errorSink, MIXERR_INVALVALUE);
    return true;
}

bool accessLineVolume(Mixer& mixer, u32& left, u32& right, bool set, MixerLineRef ref) {
    MixerControlMetrics metrics;
    U32Array values;
    if (!findLineControl(mixer, ref, MIXERCONTROL_CONTROLTYPE_VOLUME, metrics)) return false;
    // Read first even when setting, so that further channels keep their values.
    if (!getMixerControlDetails(mixer, metrics, values)) return false;
    if (!set) {
        left = values.count ? values.data[0] : 0;
        right = values.count > 1 ? values.data[1] : left;
        return true;
    }
    if (values.count) values.data[0] = left;
    if (values.count > 1) values.data[1] = right;
    return setMixerControlDetails(metrics, mixer, values);
}

bool accessLineMute(Mixer& mixer, bool& value, bool set, MixerLineRef ref) {
    MixerControlMetrics metrics;
    U32Array values;
    if (!findLineControl(mixer, ref, MIXERCONTROL_CONTROLTYPE_MUTE, metrics)) return false;
    if (!set) {
        if (!getMixerControlDetails(mixer, metrics, values)) return false;
        value = values.count && values.data[0] != 0;
        return true;
    }
    sizeValues(values, metrics.valueCount);
    for (u32 i = 0; i < values.count; ++i) values.data[i] = value ? 1 : 0;
    return setMixerControlDetails(metrics, mixer, values);
}

bool selectRecordSource(Mixer& mixer, bool& selected, bool set, MixerLineRef ref) {
    if (ref.source < 0) return false;
    MIXERLINEA destination, source;
    MixerControls controls;
    if (!getMixerLineInfo(mixer, destination, {ref.destination, -1}) || !getMixerLineInfo(mixer, source, ref) ||
        !loadLineControls(mixer, destination, controls))
        return false;
    const MIXERCONTROLA* list = nullptr;
    for (u32 type : {MIXERCONTROL_CONTROLTYPE_MUX, MIXERCONTROL_CONTROLTYPE_MIXER})
        for (u32 i = 0; i < controls.count && !list; ++i)
            if (controls[i].dwControlType == type) list = &controls[i];
    if (!list || !list->cMultipleItems || !(list->fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE)) return false;

    MixerControlMetrics metrics = controlMetrics(mixer, destination, *list);
    RecordArray<MIXERCONTROLDETAILS_LISTTEXTA> texts;
    U32Array values;
    if (!getMixerControlValues(mixer, metrics, texts) || !getMixerControlDetails(mixer, metrics, values)) return false;
    i32 item = -1;
    for (u32 i = 0; i < metrics.items && item < 0; ++i)
        if (texts[i].dwParam1 == source.dwLineID) item = (i32)i;

    if (!set) {
        selected = item >= 0 && values.data[item] != 0;
        return true;
    }
    // Selecting a source the control does not list would only clear the current choice.
    if (selected && item < 0) return false;
    for (u32 c = 0; c < metrics.channels; ++c)
        for (u32 i = 0; i < metrics.items; ++i) values.data[c * metrics.items + i] = selected && (i32)i == item ? 1 : 0;
    return setMixerControlDetails(metrics, mixer, values);
}

namespace {
struct ComponentName {
    u32 type;
    MmText text;
};
const ComponentName componentNames[] = {
    {MIXERLINE_COMPONENTTYPE_DST_UNDEFINED, MmText::MixerLineUndefined},
    {MIXERLINE_COMPONENTTYPE_DST_DIGITAL, MmText::MixerLineDigital},
    {MIXERLINE_COMPONENTTYPE_DST_LINE, MmText::MixerLineLine},
    {MIXERLINE_COMPONENTTYPE_DST_MONITOR, MmText::MixerLineMonitor},
    {MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MmText::MixerLineSpeakers},
    {MIXERLINE_COMPONENTTYPE_DST_HEADPHONES, MmText::MixerLineHeadphones},
    {MIXERLINE_COMPONENTTYPE_DST_TELEPHONE, MmText::MixerLineTelephone},
    {MIXERLINE_COMPONENTTYPE_DST_WAVEIN, MmText::MixerLineWaveIn},
    {MIXERLINE_COMPONENTTYPE_DST_VOICEIN, MmText::MixerLineVoiceIn},
    {MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED, MmText::MixerLineUndefined},
    {MIXERLINE_COMPONENTTYPE_SRC_DIGITAL, MmText::MixerLineDigital},
    {MIXERLINE_COMPONENTTYPE_SRC_LINE, MmText::MixerLineLine},
    {MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, MmText::MixerLineMicrophone},
    {MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, MmText::MixerLineSynthesizer},
    {MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, MmText::MixerLineCompactDisc},
    {MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE, MmText::MixerLineTelephone},
    {MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER, MmText::MixerLinePcSpeaker},
    {MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MmText::MixerLineWaveOut},
    {MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, MmText::MixerLineAuxiliary},
    {MIXERLINE_COMPONENTTYPE_SRC_ANALOG, MmText::MixerLineAnalog},
};
}  // namespace

const char* mixerComponentTypeName(u32 componentType) {
    for (const ComponentName& n : componentNames)
        if (n.type == componentType) return mmText(n.text);
    return mmText(MmText::MixerLineUnknown);
}
