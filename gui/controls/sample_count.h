#pragma once
// The working values behind a sample count field: one count shown as samples or as milliseconds at
// the field's rate. The field that shows it owns it and links it into its dialog's field list;
// commit writes the count and the rate it was taken at into the caller's record.
#include "core/types.h"
#include "gui/controls/field_list.h"

// The caller's record: a count of samples and the rate it was taken at (0 = not known).
struct SampleCountRecord {
    u32 count;
    u32 rate;
};

struct SampleCountRange {
    u8 readOnly;
    u32 minimum, maximum;  // samples
    i32 buttonCommand;     // negative: no button
};

// count x 1000 / rate and ms x rate / 1000, in 64 bits, truncated, held to the u32 range.
u32 samplesToMs(u32 count, u32 rate);
u32 msToSamples(u32 ms, u32 rate);

class SampleCountParts : public GFieldBinding {
public:
    // A record taken at another known rate is rescaled to `rate` (unless `rescale` is false).
    // A rate of 0 cannot convert: throws std::invalid_argument.
    SampleCountParts(SampleCountRecord* record, const SampleCountRange& range, u32 rate, bool rescale = true);

    // Typed values: one outside its range converts nothing and answers false.
    bool samplesChanged(u32 samples);
    bool timeChanged(u32 milliseconds);
    // The time stays (held to the new range) and the count follows the new rate; 0 throws
    // std::invalid_argument.
    void setSampleRate(u32 rate);
    // The count stays; the time and the limits in time follow the new rate and sample maximum.
    void setRateKeepingCount(u32 rate, u32 newMaximum);

    // The count against the range (inclusive); GVerifyException with the range message.
    void check() override;
    void commit() override;

    SampleCountRecord* record;
    u32 rate;
    u32 count;
    u32 minimum, maximum;
    u32 ms, msMinimum, msMaximum;

private:
    void rangesInMs();
};
