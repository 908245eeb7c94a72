// Growing large buffers a little at a time: 64 MB of 4-byte bag writes, 64 MB of 4-byte string
// appends and 16 M pointer slots appended one by one.
#include "bench/bench.h"
#include "core/arrays.h"
#include "core/bag.h"
#include "core/gstring.h"

RAVO_BENCH(grow) {
    const u32 total = 64u << 20;
    const u32 steps = total / 4;

    double start = benchSeconds();
    GBag bag;
    for (u32 i = 0; i < steps; ++i) bagWriteU32(bag, i);
    double bagSeconds = benchSeconds() - start;
    if (bag.size != total) printf("grow: bag holds %u bytes\n", bag.size);
    bagFree(bag);

    start = benchSeconds();
    GString text;
    for (u32 i = 0; i < steps; ++i) stringAppendBytes(text, "abcd", 4);
    double stringSeconds = benchSeconds() - start;
    if (text.length != total) printf("grow: string holds %u bytes\n", text.length);
    arrayFree(text);

    start = benchSeconds();
    PointerArray slots;
    for (u32 i = 0; i < steps; ++i) appendSlot(slots, &slots);
    double slotSeconds = benchSeconds() - start;
    if (slots.count != steps) printf("grow: array holds %u slots\n", slots.count);

    benchResult("grow bag 64 MB in 4-byte writes", bagSeconds * 1000, "ms");
    benchResult("grow string 64 MB in 4-byte appends", stringSeconds * 1000, "ms");
    benchResult("grow pointer array to 16 M slots", slotSeconds * 1000, "ms");
}
