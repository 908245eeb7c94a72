#pragma once
// The engine's one random generator, shared by every effect that needs chance. Its state is one
// process-wide 64-bit number that starts at 0 and is never seeded, so the same series of operations
// after start gives the same results. A call takes all its steps at once: calls from two jobs
// running together never interleave their steps or tear the state, and a job running alone sees the
// fixed sequence.
#include "core/types.h"

// One step: the next state. The value drawn is the upper 32 bits of the new state.
inline u64 randomStep(u64 state) { return state * 0x100000005ull + 0x361962E9361962E9ull; }

// A whole number from lo upward, drawn under the smallest power-of-two mask (at least 2) that
// covers hi - lo and redrawn until it is at most hi - lo; so hi never comes out when hi - lo is a
// power of two of 2 or more. Returns lo without a step when hi is not above lo.
u32 randomBelow(u32 lo, u32 hi);
// low + (high - low) * u, u = the drawn 32 bits / (2^32 - 1), so both bounds can come out. Returns
// low without a step when high - low is not above 0.
f64 randomInRange(f64 low, f64 high);

// The same rules over a state of the caller's (draws taken in place); the state advances.
u32 randomBelow(u64* state, u32 lo, u32 hi);
f64 randomInRange(u64* state, f64 low, f64 high);

// The shared state. Setting it is for tests, which start their sequences from a known state.
u64 randomState();
void setRandomState(u64 state);
