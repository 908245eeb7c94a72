#pragma once
// The playback level of a wave device: the gain of its settings entry, a limiter that lowers the gain
// at the first sample that would pass the entry's limit, and the short fades of the player.
//
// The limiter runs on the player's worker; a change of the entry arrives on the interface thread.
// Such a change is posted and taken by the worker before its next buffer, so that the limiter's own
// lowering of the gain never overwrites it.
#include <mutex>

#include "core/types.h"
#include "mm/device_settings.h"

enum : u32 {
    levelUnsigned8 = 0x01,  // samples are unsigned 8-bit, else signed 16-bit
    levelDeviceOpen = 0x02,
};

class LevelControl : public DeviceSettingsListener {
public:
    LevelControl() = default;
    LevelControl(const LevelControl&) = delete;
    LevelControl& operator=(const LevelControl&) = delete;
    ~LevelControl() { attach(nullptr); }

    // Attaches to the entry's listener list (detaches with null).
    void attach(DeviceSettings* entry);
    // Takes the gain and the limit of the entry at once (no limiter may be running), dropping what
    // was posted.
    void reset(const DeviceSettings* entry);
    // A change of gain or limit (mask 0x04) posts the entry's levels.
    void onSettingsChanged(DeviceSettings* entry, u32 mask) override;
    // Levels for the next buffer, from any thread; the latest posted wins.
    void postLevels(i32 gainDb, i32 limitDb);
    // Takes the posted levels, if any; on the thread that runs the limiter.
    void takePostedLevels();

    DeviceListNode node;
    i32 limitDb = 0;
    f64 gain = 1.0;
    u32 flags = 0;

    // Gain 10^(gainDb / 10) and the limit in dB, as the settings entry holds them.
    void setLevels(i32 gainDb, i32 limitDb);
    // The limit as a sample value of the 16-bit or the 8-bit scale.
    f64 limit16() const;
    f64 limit8() const;
    // Applies the gain; a sample that would pass the limit is held at it and lowers the gain for
    // every later sample. Results beyond the sample range are clipped to it.
    void limitLevel16(i16* samples, u32 count);
    void limitLevel8(u8* bytes, u32 count);
    // Takes the posted levels, then runs the limiter of the sample type on a buffer of bytes.
    void limitBuffer(void* data, u32 bytes);

private:
    std::mutex postLock;
    bool posted = false;
    i32 postedGainDb = 0;
    i32 postedLimitDb = 0;
};

// One ramp over the whole buffer of signed 16-bit samples: sample i of n multiplied by 1 - i/n
// (out) or i/n (in), truncated.
void fadeOut16(void* data, u32 bytes);
void fadeIn16(void* data, u32 bytes);
// The same ramps on unsigned 8-bit samples around their centre 128.
void fadeOut8(void* data, u32 bytes);
void fadeIn8(void* data, u32 bytes);
