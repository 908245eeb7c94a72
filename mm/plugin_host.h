#pragma once
// Hosted plug-ins. VstPlugin is one plug-in library: loaded and opened, fed MIDI events at their
// exact frames, run in blocks, with its programs, parameters, state and editor window. The
// process-wide list of found plug-ins owns its VstPlugin objects (mm/plugin_folder.h fills it);
// loaded plug-ins are idled every 100 ms on the interface thread.
//
// Every call into the library is contained (mm/plugin_guard.h): a plug-in that faults is marked
// faulted, is not called again, and reads as unloaded to its users.
#include <mutex>

#include "core/arrays.h"
#include "core/bag.h"
#include "core/gstring.h"
#include "core/types.h"
#include "mm/plugin_interface.h"

// A note by pitch class (0..11) and octave; key = class + 12 x (octave + 1).
struct NoteName {
    i32 pitchClass;
    i32 octave;
};

// A MIDI event record, 12 bytes: a time (milliseconds when handed to scheduleEvents, frames in the
// queue), the message bytes, zeros.
struct PluginEvent {
    u32 time;
    u8 status;
    u8 data1;
    u8 data2;
    u8 reserved[5];
};
static_assert(sizeof(PluginEvent) == 12, "the event record");

// What a plug-in's editor lives in: the window that holds it and receives its resize and refresh
// requests. Owned by its dialog.
class PluginEditorHost {
public:
    virtual void* nativeWindow() = 0;  // the HWND the editor is opened in
    virtual void resizeEditor(i32 width, i32 height) = 0;
    virtual void refreshEditor() = 0;

protected:
    ~PluginEditorHost() = default;
};

// What a plug-in reports of itself at load (and, for the channel counts, when it says they changed).
struct PluginInfo {
    i32 uniqueId = 0;
    i32 vendorVersion = 0;
    i32 parameterCount = 0;
    i32 programCount = 0;
    i32 inputCount = 0;
    i32 outputCount = 0;
    i32 flags = 0;
};

class VstPlugin : public GCommonObject {
public:
    // Loads, opens and sets up the library (a null path keeps the stored one); true when loaded.
    // A negative block size gives a block of one second.
    virtual bool load(const char* path, i32 sampleRate, i32 blockSize) = 0;
    virtual bool isLoaded() const = 0;
    virtual void unload() = 0;
    // State: u32 program, then one f32 per parameter in index order.
    virtual void getState(GBag& bag) = 0;
    virtual void setState(GBag& bag) = 0;
    // Every program's name with its NUL, in index order.
    virtual void getProgramNames(GBag& bag) = 0;
    virtual void setProgram(i32 index) = 0;
    virtual i32 getProgram() = 0;
    // The state in "<library path>.save.info", read and written quietly.
    virtual bool saveState() = 0;
    virtual bool loadState() = 0;
    virtual const char* name() const = 0;
    virtual void getParameterName(i32 index, GString& out) = 0;
    virtual void getParameterDisplay(i32 index, GString& out) = 0;
    virtual void getParameterLabel(i32 index, GString& out) = 0;
    // The display text, a blank and the label when there is one.
    virtual void getParameterText(i32 index, GString& out) = 0;
    // A table of the plug-in's properties, one line each.
    virtual void describe(GString& out) = 0;
    virtual f32 getParameter(i32 index) = 0;
    virtual void setParameter(i32 index, f32 value) = 0;
    // Switches processing on (once: a plug-in already on stays as it is) and off.
    virtual void resume() = 0;
    // Runs frames frames in blocks, each queued event at its exact frame; the pointer arrays are
    // advanced past the frames processed.
    virtual void process(f32** inputs, f32** outputs, i32 frames) = 0;
    virtual void suspend() = 0;
    virtual void idle() = 0;
    virtual void openEditor(PluginEditorHost* host) = 0;
    virtual void closeEditor() = 0;
    virtual void getEditorSize(i32* width, i32* height) = 0;
    virtual bool hasEditor() const = 0;
    // Queued at the current frame, after the last queued event.
    virtual void noteOn(NoteName note, f64 amplitude) = 0;
    virtual void noteOff(NoteName note) = 0;
    virtual void allNotesOff() = 0;
    // Events timed in milliseconds from the current frame; unless keep, the queue and the frame
    // count start afresh.
    virtual void scheduleEvents(const PluginEvent* events, u32 count, bool keep) = 0;
    virtual void clearEvents() = 0;
    virtual void updateDisplay() = 0;

    virtual const PluginInfo& info() const = 0;
    virtual bool isSynth() const = 0;
    // True once a call into the library faulted.
    virtual bool faulted() const = 0;
    // The rate it runs at (-1 while not loaded). A new rate is told to a loaded plug-in, switched
    // off around it when it was on.
    virtual i32 sampleRate() const = 0;
    virtual void setSampleRate(i32 rate) = 0;
};

// The plug-in of one library file. Its AEffect's user field points back at it.
class HostedVstPlugin final : public VstPlugin {
public:
    HostedVstPlugin() = default;
    HostedVstPlugin(const HostedVstPlugin&) = delete;
    HostedVstPlugin& operator=(const HostedVstPlugin&) = delete;
    ~HostedVstPlugin() override;

    bool load(const char* path, i32 sampleRate, i32 blockSize) override;
    bool isLoaded() const override { return effect != nullptr && !hasFaulted; }
    void unload() override;
    void getState(GBag& bag) override;
    void setState(GBag& bag) override;
    void getProgramNames(GBag& bag) override;
    void setProgram(i32 index) override;
    i32 getProgram() override;
    bool saveState() override;
    bool loadState() override;
    const char* name() const override { return effectName; }
    void getParameterName(i32 index, GString& out) override;
    void getParameterDisplay(i32 index, GString& out) override;
    void getParameterLabel(i32 index, GString& out) override;
    void getParameterText(i32 index, GString& out) override;
    void describe(GString& out) override;
    f32 getParameter(i32 index) override;
    void setParameter(i32 index, f32 value) override;
    void resume() override;
    void process(f32** inputs, f32** outputs, i32 frames) override;
    void suspend() override;
    void idle() override;
    void openEditor(PluginEditorHost* host) override;
    void closeEditor() override;
    void getEditorSize(i32* width, i32* height) override;
    bool hasEditor() const override { return (pluginInfo.flags & effFlagsHasEditor) != 0; }
    void noteOn(NoteName note, f64 amplitude) override;
    void noteOff(NoteName note) override;
    void allNotesOff() override;
    void scheduleEvents(const PluginEvent* events, u32 count, bool keep) override;
    void clearEvents() override;
    void updateDisplay() override;
    const PluginInfo& info() const override { return pluginInfo; }
    bool isSynth() const override { return synth; }
    bool faulted() const override { return hasFaulted; }

    // The host callback's view.
    intptr_t answerHost(i32 opcode, i32 index, intptr_t value, void* ptr);
    const GString& path() const { return libraryPath; }
    // Why the last load refused the library before loading it (built for the other architecture);
    // empty when it did not.
    const GString& refusal() const { return refusalText; }
    AEffect* effectRecord() const { return effect; }
    i32 sampleRate() const override { return rate; }
    void setSampleRate(i32 sampleRate) override;
    i32 blockSize() const { return block; }
    u32 currentFrame() const { return frame; }
    bool isActive() const { return active; }
    bool isEditorOpen() const { return editorOpen; }
    bool needsIdle() const { return idleWanted; }
    const RecordArray<PluginEvent>& queuedEvents() const { return queue; }

private:
    // The plug-in's dispatcher, contained; 0 once faulted or without an effect.
    intptr_t dispatch(i32 opcode, i32 index = 0, intptr_t value = 0, void* ptr = nullptr, f32 opt = 0.0f);
    void askText(i32 opcode, i32 index, GString& out);
    void queueAt(u8 status, u8 data1, u8 data2);
    void resetTimeInfo();
    void fault();

    PluginInfo pluginInfo;
    i32 currentShellId = 0;
    i32 rate = -1;
    i32 block = -1;
    f64 tempo = 120.0;
    u32 frame = 0;
    u32 nextEvent = 0;
    bool editorOpen = false;
    bool synth = false;
    bool idleWanted = false;
    bool active = false;
    bool opened = false;
    bool counted = false;
    bool hasFaulted = false;
    void* library = nullptr;
    PluginEntryProc entry = nullptr;
    AEffect* effect = nullptr;
    GString libraryPath;
    GString refusalText;
    char effectName[kVstMaxEffectNameLen + 1] = {};
    char productString[kVstMaxProductStrLen + 1] = {};
    char vendorString[kVstMaxVendorStrLen + 1] = {};
    VstTimeInfo timeInfo{};
    RecordArray<PluginEvent> queue;
    PluginEditorHost* editorHost = nullptr;
    std::recursive_mutex lock;

};

// The host callback handed to every plug-in's entry point.
intptr_t vstHostCallback(AEffect* effect, i32 opcode, i32 index, intptr_t value, void* ptr, f32 opt);
// The vendor and product names answered to plug-ins.
extern const char pluginHostVendor[];
extern const char pluginHostProduct[];

// The process-wide plug-in list: owned plug-ins in the order of their action ids.
PointerArray& vstPluginList();
inline VstPlugin* vstPluginAt(u32 index) { return vstPluginList().at<VstPlugin>(index); }
// Deletes every listed plug-in and frees the list (program exit).
void destroyPlugins();

// Loaded plug-ins, counted by load and unload; the idle timer exists while the count is above 0.
i32 loadedPluginCount();
void setLoadedPluginCount(i32 count);
bool pluginIdleTimerActive();
// One turn of the idle timer: every listed, loaded plug-in is idled (never re-entered).
void idleListedPlugins();
