#include "engine/random.h"

#include <atomic>

namespace {
std::atomic<u64> g_state{0};

inline u32 drawn(u64 state) { return (u32)(state >> 32); }

// Replaces the shared state by the one a whole call reaches from it; the call is redone from the
// new state when another thread stepped in between.
template <class Call>
auto drawShared(Call call) {
    u64 before = g_state.load();
    for (;;) {
        u64 after = before;
        auto value = call(&after);
        if (after == before || g_state.compare_exchange_weak(before, after)) return value;
    }
}
}  // namespace

u32 randomBelow(u64* state, u32 lo, u32 hi) {
    if (hi <= lo) return lo;
    u32 span = hi - lo;
    u64 size = 2;  // 64 bits: a span above 2^31 needs the mask of 2^32
    while (size < span) size *= 2;
    u64 x = *state;
    u32 r;
    do {
        x = randomStep(x);
        r = drawn(x) & (u32)(size - 1);
    } while (r > span);
    *state = x;
    return lo + r;
}

f64 randomInRange(u64* state, f64 low, f64 high) {
    if (!(high - low > 0)) return low;
    *state = randomStep(*state);
    return low + (high - low) * ((f64)drawn(*state) / 4294967295.0);
}

u32 randomBelow(u32 lo, u32 hi) {
    return drawShared([lo, hi](u64* state) { return randomBelow(state, lo, hi); });
}

f64 randomInRange(f64 low, f64 high) {
    return drawShared([low, high](u64* state) { return randomInRange(state, low, high); });
}

u64 randomState() { return g_state.load(); }

void setRandomState(u64 state) { g_state.store(state); }
