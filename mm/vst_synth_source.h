#pragma once
// An instrument plug-in as a generator of the synthesizer output: 32-bit float frames of the
// plug-in's output count, interleaved, with gain 32768. It owns nothing of the plug-in; an optional
// release countdown deletes a guarded object when it runs out.
#include <mutex>
#include <vector>

#include "core/arrays.h"
#include "mm/sound_format.h"
#include "mm/synth_output.h"

class VstPlugin;

// Told, on the output's worker, that a run of a source has used up its frames.
class RunFinished {
public:
    virtual ~RunFinished() = default;
    virtual void onRunFinished() = 0;
};

// A run: after `samples` frames the callback is called once and the run is cleared.
struct RunRequest {
    u32 samples = 0;
    RunFinished* finished = nullptr;
    u8 recording = 0;
};

class VstSynthSource final : public SynthGenerator {
public:
    explicit VstSynthSource(VstPlugin* plugin) : plugin(plugin) {}
    ~VstSynthSource() override;

    u32 encoding() const override { return encodingFloat; }
    u32 channels() const override;
    f64 gain() const override { return 32768.0; }
    u32 readFrames(void* buffer, u32 frames) override;
    // The plug-in suspended and resumed.
    bool rewind() override;

    // After `frames` more frames have been read, `guarded` (owned from now on) is deleted.
    void setRelease(u32 frames, GCommonObject* guarded);

    // Any thread; a cleared request (no callback) runs nothing.
    void setRequest(const RunRequest& request);
    RunRequest currentRequest();

private:
    VstPlugin* plugin;
    std::vector<f32> scratch;  // planar: one run of n floats per output
    std::vector<f32> silence;  // inputs of an instrument that has some
    std::vector<f32*> in, out;  // the runs handed to the plug-in
    u32 releaseFrames = 0;
    GCommonObject* releaseObject = nullptr;
    std::mutex requestLock;
    RunRequest request;
};
