#pragma once
// The effect parameter records that are not settings: the echo block (the millisecond form of one
// echo) with its conversions and the twelve presets, and the format-carrying block. Plain values.
#include "app/editor_settings.h"

class EchoReflectionList;

// floor(x + 0.5) as an integer; x lies within the i32 range.
i32 roundToInt(f64 x);

// One echo in milliseconds, stored as its 64 bytes.
struct EchoBlock {
    u32 delay1 = 200;  // ms
    u32 delay2 = 200;  // ms
    f64 factor1 = 0.4;
    f64 factor2 = 0.4;
    u32 repeats = 10;
    u32 spare1 = 0;
    f64 decay = 1.0;    // 1 - damping / 100
    f64 tone = 500.0;   // the fifth value
    f64 slope = 1.5;
    u32 kind = 5;
    u32 spare2 = 0;
};
static_assert(sizeof(EchoBlock) == 64, "stored echo block");

// Delays as frames x 1000 / their rate (truncated), damping as a decay.
EchoBlock echoBlockOf(const EchoParams& params);
// Into the record at the rate: delays (ms x rate + 500) / 1000 frames, the factors through the level
// rule, tone and damping rounded. The units of the taps stay.
void echoParamsFromBlock(const EchoBlock& block, u32 rate, EchoParams* params);

enum : u32 { echoPresetCount = 12 };
// Preset row 1..12; row 0 or beyond answers the first.
const EchoBlock& echoPresetBlock(u32 row);

// The reflection the processor takes for the record at the sound's rate; the caller owns it.
EchoReflectionList* echoReflectionsOf(const EchoParams& params, u32 soundRate);

// A block node of the conversion tasks: the tag word 8 and seven format fields.
struct FormatCarryingBlock {
    u32 tag = 8;
    u32 fields[7] = {};
};
