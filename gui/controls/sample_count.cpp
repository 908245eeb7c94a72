#include "gui/controls/sample_count.h"

#include <algorithm>
#include <stdexcept>

#include "core/exceptions.h"
#include "core/gstring.h"
#include "gui/kernel/gui_texts.h"

namespace {
u32 heldToU32(u64 v) { return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : (u32)v; }

void needRate(u32 rate) {
    if (!rate) throw std::invalid_argument("a sample count field needs a sample rate");
}
}  // namespace

u32 samplesToMs(u32 count, u32 rate) { return rate ? heldToU32((u64)count * 1000 / rate) : 0; }

u32 msToSamples(u32 ms, u32 rate) { return heldToU32((u64)ms * rate / 1000); }

SampleCountParts::SampleCountParts(SampleCountRecord* record, const SampleCountRange& range, u32 rate, bool rescale)
    : record(record), rate(rate), count(record->count), minimum(range.minimum), maximum(range.maximum) {
    needRate(rate);
    if (rescale && record->rate && record->rate != rate) count = heldToU32((u64)count * rate / record->rate);
    ms = samplesToMs(count, rate);
    rangesInMs();
}

void SampleCountParts::rangesInMs() {
    msMinimum = samplesToMs(minimum, rate);
    msMaximum = samplesToMs(maximum, rate);
}

bool SampleCountParts::samplesChanged(u32 samples) {
    if (samples < minimum || samples > maximum) return false;
    count = samples;
    ms = samplesToMs(count, rate);
    return true;
}

bool SampleCountParts::timeChanged(u32 milliseconds) {
    if (milliseconds < msMinimum || milliseconds > msMaximum) return false;
    ms = milliseconds;
    // The range in milliseconds is truncated: its ends convert back inside the count's range.
    count = std::max(minimum, std::min(msToSamples(ms, rate), maximum));
    return true;
}

void SampleCountParts::setSampleRate(u32 r) {
    needRate(r);
    rate = r;
    rangesInMs();
    // A time outside the new range is held to it, so that both values agree.
    timeChanged(std::max(msMinimum, std::min(ms, msMaximum)));
}

void SampleCountParts::setRateKeepingCount(u32 r, u32 newMaximum) {
    needRate(r);
    rate = r;
    maximum = newMaximum;
    ms = samplesToMs(count, rate);
    rangesInMs();
}

void SampleCountParts::check() {
    if (count >= minimum && count <= maximum) return;
    GVerifyException refusal;
    stringFormat(refusal.text, guiText(GuiText::NumberRangeMessage), (f64)minimum, (f64)maximum);
    throw refusal;
}

void SampleCountParts::commit() {
    record->count = count;
    record->rate = rate;
}
