#pragma once
// The device page's texts of one device: the kind column of a mixer with its features, and the
// capability tree of a wave, auxiliary or mixer device. The caller owns the tree it is given.
#include <string>

#include "gui/views/report_row.h"

struct DeviceRow;

// A line of a mixer in the capability tree; activating it opens the line's dialog.
class MixerLineNode : public ReportRow {
public:
    MixerLineNode(BlockBase* parent, const char* heading, u32 mixer, u32 destination, i32 source)
        : ReportRow(parent, heading, ""), mixer(mixer), destination(destination), source(source) {}
    u32 mixer, destination;
    i32 source;
};

// The capability tree of the row's device; a new root.
BlockBase* deviceDetails(const DeviceRow& row);
// The features column of a mixer: its kind text and, when any was found, " (" features ")".
std::string mixerKindText(u32 mixer);
