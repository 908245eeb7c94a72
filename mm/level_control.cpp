#include "mm/level_control.h"

#include <cmath>

void LevelControl::attach(DeviceSettings* entry) { deviceListLink(node, entry, this); }

void LevelControl::reset(const DeviceSettings* entry) {
    {
        std::lock_guard<std::mutex> hold(postLock);
        posted = false;
    }
    setLevels(entry->gainDb(), entry->limitDb());
}

void LevelControl::onSettingsChanged(DeviceSettings* entry, u32 mask) {
    if (mask & DeviceChange::Level) postLevels(entry->gainDb(), entry->limitDb());
}

void LevelControl::postLevels(i32 gainDb, i32 newLimitDb) {
    std::lock_guard<std::mutex> hold(postLock);
    postedGainDb = gainDb;
    postedLimitDb = newLimitDb;
    posted = true;
}

void LevelControl::takePostedLevels() {
    i32 gainDb, newLimitDb;
    {
        std::lock_guard<std::mutex> hold(postLock);
        if (!posted) return;
        posted = false;
        gainDb = postedGainDb;
        newLimitDb = postedLimitDb;
    }
    setLevels(gainDb, newLimitDb);
}

void LevelControl::setLevels(i32 gainDb, i32 newLimitDb) {
    limitDb = newLimitDb;
    gain = std::pow(10.0, gainDb / 10.0);
}

f64 LevelControl::limit16() const { return std::pow(10.0, limitDb / 10.0) * 32767.0; }
f64 LevelControl::limit8() const { return std::pow(10.0, limitDb / 10.0) * 127.0; }

// One sample value v = c x gain held at +-limit; passing it lowers the gain to what reaches the limit.
static inline f64 limitSample(f64 c, f64& gain, f64 limit) {
    f64 v = c * gain;
    if (v > limit) {
        gain = limit / c;
        v = limit;
    } else if (v < -limit) {
        gain = limit / -c;
        v = -limit;
    }
    return v;
}

void LevelControl::limitLevel16(i16* samples, u32 count) {
    const f64 limit = limit16();
    f64 g = gain;
    for (u32 i = 0; i < count; ++i) {
        f64 v = limitSample(samples[i], g, limit);
        // A limit above full scale must not let a sample wrap around.
        if (v > 32767.0) v = 32767.0;
        if (v < -32768.0) v = -32768.0;
        samples[i] = (i16)v;
    }
    gain = g;
}

void LevelControl::limitLevel8(u8* bytes, u32 count) {
    const f64 limit = limit8();
    f64 g = gain;
    for (u32 i = 0; i < count; ++i) {
        f64 stored = limitSample((f64)bytes[i] - 128.0, g, limit) + 128.0;
        if (stored > 255.0) stored = 255.0;
        if (stored < 0.0) stored = 0.0;
        bytes[i] = (u8)stored;
    }
    gain = g;
}

void LevelControl::limitBuffer(void* data, u32 bytes) {
    takePostedLevels();
    if (flags & levelUnsigned8)
        limitLevel8(static_cast<u8*>(data), bytes);
    else
        limitLevel16(static_cast<i16*>(data), bytes / 2);
}

void fadeOut16(void* data, u32 bytes) {
    i16* s = static_cast<i16*>(data);
    u32 n = bytes / 2;
    for (u32 i = 0; i < n; ++i) s[i] = (i16)(s[i] * (1.0 - (f64)i / n));
}

void fadeIn16(void* data, u32 bytes) {
    i16* s = static_cast<i16*>(data);
    u32 n = bytes / 2;
    for (u32 i = 0; i < n; ++i) s[i] = (i16)(s[i] * ((f64)i / n));
}

void fadeOut8(void* data, u32 bytes) {
    u8* s = static_cast<u8*>(data);
    for (u32 i = 0; i < bytes; ++i) s[i] = (u8)(128 + (i32)((s[i] - 128.0) * (1.0 - (f64)i / bytes)));
}

void fadeIn8(void* data, u32 bytes) {
    u8* s = static_cast<u8*>(data);
    for (u32 i = 0; i < bytes; ++i) s[i] = (u8)(128 + (i32)((s[i] - 128.0) * ((f64)i / bytes)));
}
