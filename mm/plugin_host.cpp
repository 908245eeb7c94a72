#include "mm/plugin_host.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "gui/kernel/timers.h"
#include "gui/kernel/ui_thread.h"
#include "mm/library_machine.h"
#include "mm/mm_texts.h"
#include "mm/plugin_folder.h"
#include "mm/plugin_guard.h"
#include "mm/plugin_state.h"

const char pluginHostVendor[] = "Ravo";
const char pluginHostProduct[] = "Ravo / VUZO Zivodar";

namespace {
PointerArray g_plugins;
i32 g_loadedCount = 0;
TimerRecord g_idleTimer;
bool g_idling = false;

void idleTick(TimerRecord*, uintptr_t) { idleListedPlugins(); }

void countLoad() {
    if (g_loadedCount == 0) addTimer(&g_idleTimer, 100, nullptr, idleTick);
    ++g_loadedCount;
}

void countUnload() {
    if (--g_loadedCount == 0) removeTimer(&g_idleTimer);
}

// The MIDI key of a note, kept within 1..127.
u8 noteKey(NoteName note) { return (u8)std::min(127, std::max(1, note.pitchClass + 12 * (note.octave + 1))); }
}  // namespace

PointerArray& vstPluginList() { return g_plugins; }

void destroyPlugins() { deleteOwnedPointers(g_plugins); }

i32 loadedPluginCount() { return g_loadedCount; }
void setLoadedPluginCount(i32 count) { g_loadedCount = count; }
bool pluginIdleTimerActive() { return g_idleTimer.id != 0; }

void idleListedPlugins() {
    for (u32 i = 0; i < g_plugins.count; ++i) {
        VstPlugin* plugin = vstPluginAt(i);
        if (plugin->isLoaded()) plugin->idle();
    }
}

HostedVstPlugin::~HostedVstPlugin() { unload(); }

void HostedVstPlugin::fault() {
    hasFaulted = true;
    active = false;
}

intptr_t HostedVstPlugin::dispatch(i32 opcode, i32 index, intptr_t value, void* ptr, f32 opt) {
    if (!effect || hasFaulted) return 0;
    intptr_t answer = 0;
    AEffect* e = effect;
    if (!containPluginFaults([&] { answer = e->dispatcher(e, opcode, index, value, ptr, opt); })) {
        fault();
        return 0;
    }
    return answer;
}

bool HostedVstPlugin::load(const char* path, i32 sampleRate, i32 blockSize) {
    if (path) stringAssignText(libraryPath, path);
    if (isLoaded()) return true;
    unload();
    hasFaulted = false;
    stringClear(refusalText);
    const u16 machine = libraryMachineType(libraryPath.c_str());
    if (machine && machine != ownMachineType()) {
        stringFormat(refusalText, mmText(MmText::PluginOtherMachine), libraryPath.c_str(), machineTypeName(machine),
                     machine, machineTypeName(ownMachineType()));
        return false;
    }
    HMODULE module = LoadLibraryA(libraryPath.c_str());
    library = module;
    if (module) {
        entry = (PluginEntryProc)(void*)GetProcAddress(module, "main");
        if (!entry) entry = (PluginEntryProc)(void*)GetProcAddress(module, "MAIN");
        if (!entry) entry = (PluginEntryProc)(void*)GetProcAddress(module, "VSTPluginMain");
    }
    AEffect* made = nullptr;
    if (entry) {
        PluginEntryProc call = entry;
        if (!containPluginFaults([&] { made = call(vstHostCallback); })) made = nullptr;
    }
    if (!made || made->magic != kEffectMagic) {
        unload();
        return false;
    }
    effect = made;
    effect->user = this;  // before effOpen, so that the plug-in's questions while opening are answered
    dispatch(effOpen);
    opened = true;
    pluginInfo.uniqueId = effect->uniqueID;
    pluginInfo.parameterCount = effect->numParams;
    pluginInfo.programCount = effect->numPrograms;
    pluginInfo.inputCount = effect->numInputs;
    pluginInfo.outputCount = effect->numOutputs;
    pluginInfo.flags = effect->flags;
    memset(effectName, 0, sizeof effectName);
    memset(productString, 0, sizeof productString);
    memset(vendorString, 0, sizeof vendorString);
    dispatch(effGetEffectName, 0, 0, effectName);
    dispatch(effGetProductString, 0, 0, productString);
    dispatch(effGetVendorString, 0, 0, vendorString);
    effectName[kVstMaxEffectNameLen] = productString[kVstMaxProductStrLen] = vendorString[kVstMaxVendorStrLen] = 0;
    pluginInfo.vendorVersion = (i32)dispatch(effGetVendorVersion);
    synth = (pluginInfo.flags & effFlagsIsSynth) != 0;
    idleWanted = editorOpen = active = false;
    resetTimeInfo();
    frame = 0;
    rate = sampleRate;
    block = blockSize < 0 ? sampleRate : blockSize;
    tempo = 120.0;
    dispatch(effSetSampleRate, 0, 0, nullptr, (f32)sampleRate);
    dispatch(effSetBlockSize, 0, block);
    if (hasFaulted) {
        unload();
        return false;
    }
    countLoad();
    counted = true;
    return true;
}

void HostedVstPlugin::unload() {
    if (effect && opened) closeEditor();
    void* freed;
    {
        // A worker in process waits until the effect is gone, then finds it so.
        std::lock_guard<std::recursive_mutex> hold(lock);
        if (effect && opened) {
            suspend();
            if (counted) countUnload();
            counted = false;
            rate = block = -1;
            frame = 0;
            clearEvents();
            dispatch(effClose);
        }
        effect = nullptr;
        opened = false;
        entry = nullptr;
        freed = library;
        library = nullptr;
    }
    if (freed) FreeLibrary((HMODULE)freed);
}

void HostedVstPlugin::resetTimeInfo() { memset(&timeInfo, 0, sizeof timeInfo); }

void HostedVstPlugin::resume() {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (active || !isLoaded()) return;
    active = true;
    frame = 0;
    nextEvent = 0;
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
}

void HostedVstPlugin::setSampleRate(i32 sampleRate) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!isLoaded() || sampleRate <= 0 || sampleRate == rate) return;
    const bool wasActive = active;
    suspend();
    rate = sampleRate;
    dispatch(effSetSampleRate, 0, 0, nullptr, (f32)sampleRate);
    if (wasActive) resume();
}

void HostedVstPlugin::suspend() {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!active) return;
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    resetTimeInfo();
    active = false;
}

void HostedVstPlugin::process(f32** inputs, f32** outputs, i32 frames) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!isLoaded() || !active || frames <= 0) return;
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof midi;
    midi.flags = kVstMidiEventIsRealtime;
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&midi);
    const i32 step = block > 0 ? block : frames;
    AEffect* e = effect;
    while (frames > 0) {
        i32 n = std::min(frames, step);
        if (nextEvent < queue.count && queue[nextEvent].time <= frame) {
            const PluginEvent& event = queue[nextEvent++];
            midi.midiData[0] = (char)event.status;
            midi.midiData[1] = (char)event.data1;
            midi.midiData[2] = (char)event.data2;
            midi.midiData[3] = 0;
            dispatch(effProcessEvents, 0, 0, &list);
        }
        if (nextEvent < queue.count) n = (i32)std::min<u32>((u32)n, queue[nextEvent].time - frame);
        if (!hasFaulted && !containPluginFaults([&] { e->processReplacing(e, inputs, outputs, n); })) fault();
        if (hasFaulted) return;
        if (inputs)
            for (i32 i = 0; i < pluginInfo.inputCount; ++i) inputs[i] += n;
        if (outputs)
            for (i32 i = 0; i < pluginInfo.outputCount; ++i) outputs[i] += n;
        frame += (u32)n;
        frames -= n;
    }
}

void HostedVstPlugin::queueAt(u8 status, u8 data1, u8 data2) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    u32 at = frame;
    if (queue.count && queue[queue.count - 1].time >= at) at = queue[queue.count - 1].time + 1;
    PluginEvent* event = queue.append(1);
    event->time = at;
    event->status = status;
    event->data1 = data1;
    event->data2 = data2;
}

void HostedVstPlugin::noteOn(NoteName note, f64 amplitude) {
    i32 velocity = (i32)(amplitude / 32767.0 * 127.0);
    velocity = std::min(127, std::max(1, velocity));
    queueAt(0x90, noteKey(note), (u8)velocity);
}

void HostedVstPlugin::noteOff(NoteName note) {
    queueAt(0x80, noteKey(note), 64);
}

void HostedVstPlugin::allNotesOff() { queueAt(0xB0, 0x78, 0x00); }

void HostedVstPlugin::scheduleEvents(const PluginEvent* events, u32 count, bool keep) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!keep) {
        queue.count = 0;
        nextEvent = 0;
        frame = 0;
    }
    const u64 perSecond = rate > 0 ? (u64)rate : 0;
    for (u32 i = 0; i < count; ++i) {
        PluginEvent* event = queue.append(1);
        *event = events[i];
        event->time = (u32)((u64)events[i].time * perSecond / 1000 + frame);
        const PluginEvent* before = queue.count > 1 ? &queue[queue.count - 2] : nullptr;
        if (before && event->time <= before->time) event->time = before->time + 1;
    }
}

void HostedVstPlugin::clearEvents() {
    std::lock_guard<std::recursive_mutex> hold(lock);
    queue.count = 0;
    nextEvent = 0;
}

i32 HostedVstPlugin::getProgram() { return (i32)dispatch(effGetProgram); }

void HostedVstPlugin::setProgram(i32 index) {
    dispatch(effBeginSetProgram);
    dispatch(effSetProgram, 0, index);
    dispatch(effEndSetProgram);
}

void HostedVstPlugin::getProgramNames(GBag& bag) {
    bag.size = bag.pos = 0;
    char text[256];
    for (i32 i = 0; i < pluginInfo.programCount; ++i) {
        memset(text, 0, sizeof text);
        if (dispatch(effGetProgramNameIndexed, i, -1, text)) {
            text[sizeof text - 1] = 0;
            bagWriteString(bag, text);
            continue;
        }
        // Plug-ins that name only their current program: select each in turn.
        bag.size = bag.pos = 0;
        const i32 current = getProgram();
        for (i32 k = 0; k < pluginInfo.programCount; ++k) {
            setProgram(k);
            memset(text, 0, sizeof text);
            if (!dispatch(effGetProgramNameIndexed, 0, -1, text)) break;
            text[sizeof text - 1] = 0;
            bagWriteString(bag, text);
        }
        setProgram(current);
        return;
    }
}

f32 HostedVstPlugin::getParameter(i32 index) {
    if (!isLoaded() || index < 0 || index >= pluginInfo.parameterCount) return 0.0f;
    f32 value = 0.0f;
    AEffect* e = effect;
    if (!containPluginFaults([&] { value = e->getParameter(e, index); })) {
        fault();
        return 0.0f;
    }
    return std::min(1.0f, std::max(0.0f, value));
}

void HostedVstPlugin::setParameter(i32 index, f32 value) {
    if (!isLoaded() || index < 0 || index >= pluginInfo.parameterCount) return;
    AEffect* e = effect;
    if (!containPluginFaults([&] { e->setParameter(e, index, value); })) fault();
}

void HostedVstPlugin::askText(i32 opcode, i32 index, GString& out) {
    char text[40] = {};
    if (index >= 0 && index < pluginInfo.parameterCount) dispatch(opcode, index, 0, text);
    text[sizeof text - 1] = 0;
    stringAssignText(out, text);
}

void HostedVstPlugin::getParameterName(i32 index, GString& out) { askText(effGetParamName, index, out); }
void HostedVstPlugin::getParameterDisplay(i32 index, GString& out) { askText(effGetParamDisplay, index, out); }
void HostedVstPlugin::getParameterLabel(i32 index, GString& out) { askText(effGetParamLabel, index, out); }

void HostedVstPlugin::getParameterText(i32 index, GString& out) {
    getParameterDisplay(index, out);
    GString label;
    getParameterLabel(index, label);
    if (label.length) {
        stringAppendChar(out, ' ');
        stringAppend(out, label.c_str());
    }
}

void HostedVstPlugin::describe(GString& out) {
    static const struct {
        MmText label;
        i32 flag;
    } rows[] = {
        {MmText::PluginHasEditor, effFlagsHasEditor},
        {MmText::PluginCanReplacing, effFlagsCanReplacing},
        {MmText::PluginProgramChunks, effFlagsProgramChunks},
        {MmText::PluginIsSynth, effFlagsIsSynth},
        {MmText::PluginNoSoundInStop, effFlagsNoSoundInStop},
        {MmText::PluginCanDoubleReplacing, effFlagsCanDoubleReplacing},
    };
    stringClear(out);
    for (const auto& row : rows)
        stringAppendFormat(out, "%s: %s\n", mmText(row.label),
                           mmText(pluginInfo.flags & row.flag ? MmText::PluginYes : MmText::PluginNo));
}

void HostedVstPlugin::getState(GBag& bag) { writePluginState(*this, bag); }
void HostedVstPlugin::setState(GBag& bag) { readPluginState(*this, bag); }
bool HostedVstPlugin::saveState() { return savePluginStateFile(*this, libraryPath.c_str()); }
bool HostedVstPlugin::loadState() { return loadPluginStateFile(*this, libraryPath.c_str()); }

void HostedVstPlugin::idle() {
    if (g_idling || !isLoaded()) return;
    g_idling = true;
    if (idleWanted) idleWanted = dispatch(effIdle) == 1;
    if (editorOpen) dispatch(effEditIdle);
    g_idling = false;
}

void HostedVstPlugin::openEditor(PluginEditorHost* host) {
    if (editorOpen || !isLoaded() || !host) return;
    editorHost = host;
    dispatch(effEditOpen, 0, 0, host->nativeWindow());
    editorOpen = true;
}

void HostedVstPlugin::closeEditor() {
    if (!editorOpen) return;
    editorHost = nullptr;
    dispatch(effEditClose);
    editorOpen = false;
}

void HostedVstPlugin::getEditorSize(i32* width, i32* height) {
    ERect* rect = nullptr;
    dispatch(effEditGetRect, 0, 0, &rect);
    *width = rect ? rect->right - rect->left : 0;
    *height = rect ? rect->bottom - rect->top : 0;
}

void HostedVstPlugin::updateDisplay() {
    if (editorHost) editorHost->refreshEditor();
}

intptr_t HostedVstPlugin::answerHost(i32 opcode, i32 index, intptr_t value, void*) {
    switch (opcode) {
    case audioMasterCurrentId: return currentShellId;
    case audioMasterGetTime: {
        timeInfo.samplePos = frame;
        timeInfo.sampleRate = rate;
        timeInfo.flags = 0;
        if (value & kVstNanosValid) {
            timeInfo.nanoSeconds = (f64)GetTickCount() * 1000000.0;
            timeInfo.flags |= kVstNanosValid;
        }
        if (value & kVstTempoValid) {
            timeInfo.tempo = tempo;
            timeInfo.flags |= kVstTempoValid;
        }
        if (value & kVstPpqPosValid) {
            timeInfo.ppqPos = rate > 0 ? timeInfo.samplePos / rate / 60.0 * tempo : 0.0;
            timeInfo.flags |= kVstPpqPosValid;
        }
        if (value & kVstTimeSigValid) {
            timeInfo.timeSigNumerator = timeInfo.timeSigDenominator = 4;
            timeInfo.flags |= kVstTimeSigValid;
        }
        return (intptr_t)&timeInfo;
    }
    case audioMasterProcessEvents: return 1;  // events from the plug-in are not taken
    case audioMasterIOChanged:
        if (effect) {
            pluginInfo.inputCount = effect->numInputs;
            pluginInfo.outputCount = effect->numOutputs;
        }
        return 1;
    case audioMasterNeedIdle: idleWanted = true; return 1;
    case audioMasterSizeWindow:
        if (editorHost) editorHost->resizeEditor(index, (i32)value);
        return 1;
    case audioMasterGetSampleRate: return rate;
    case audioMasterGetBlockSize: return block > 0 ? block : 0;
    case audioMasterUpdateDisplay: updateDisplay(); return 1;
    default: return 0;
    }
}

intptr_t vstHostCallback(AEffect* effect, i32 opcode, i32 index, intptr_t value, void* ptr, f32) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterIdle: {
        MSG msg;
        static const UINT kinds[] = {WM_TIMER, WM_PAINT, WM_NCPAINT};
        for (bool any = true; any;) {
            any = false;
            for (UINT kind : kinds) {
                while (PeekMessageA(&msg, nullptr, kind, kind, PM_REMOVE)) {
                    any = true;
                    if (filterTimerMessage(&msg)) continue;  // the program's own timers
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
        }
        return 0;
    }
    case audioMasterGetCurrentProcessLevel: return isUiThread() ? 1 : 2;
    case audioMasterGetVendorString:
        if (ptr) strcpy((char*)ptr, pluginHostVendor);
        return 1;
    case audioMasterGetProductString:
        if (ptr) strcpy((char*)ptr, pluginHostProduct);
        return 1;
    case audioMasterGetVendorVersion: return 1;
    case audioMasterCanDo: {
        static const char* const abilities[] = {"supplyIdle", "acceptIOChanges", "sizeWindow", "startStopProcess"};
        for (const char* ability : abilities)
            if (ptr && strcmp((const char*)ptr, ability) == 0) return 1;
        return 0;
    }
    case audioMasterGetLanguage: return 1;
    case audioMasterGetDirectory: return (intptr_t)pluginFolders().c_str();
    case audioMasterBeginEdit:
    case audioMasterEndEdit: return 1;
    default: break;
    }
    HostedVstPlugin* plugin = effect ? static_cast<HostedVstPlugin*>(effect->user) : nullptr;
    return plugin ? plugin->answerHost(opcode, index, value, ptr) : 0;
}
