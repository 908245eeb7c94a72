#pragma once
// RepairDiagnosis: what keeps a device's two mixer lines (its source line and that line's
// destination) silent, read from the mixer, and the fix of each problem. The repair dialogs own one.
#include <string>
#include <vector>

#include "core/types.h"

class DeviceSettings;

struct RepairProblem {
    u32 command;  // the fix
    std::string text;
};

class RepairDiagnosis {
public:
    enum : u32 {
        UnmuteSource = 1000,
        UnmuteDestination = 1001,
        RaiseSource = 1002,
        RaiseDestination = 1003,
        BalanceSource = 1004,
        BalanceDestination = 1005,
        SelectSource = 1006,
    };
    // Below this on the left and below half on the right a line counts as low.
    static const u32 lowLeft = 0x5555, lowRight = 0x7FFF;

    // Reads both lines of the settings' line anew; each read stands on its own.
    void run(const DeviceSettings& settings);
    // The problems in the order they are shown, each with its fix.
    std::vector<RepairProblem> problems() const;
    // Applies a fix to the mixer; false for another command or when the mixer refused.
    bool fix(u32 command);

    struct Volume {
        bool read = false;
        u32 left = 0, right = 0;
        bool low() const { return read && left < lowLeft && right < lowRight; }
        bool unbalanced() const { return read && left != right; }
    };
    struct Line {
        u32 destination = 0;
        i32 source = -1;
        i32 mixer = -1;
        bool muteRead = false, muted = false;
        Volume volume;
    };

    Line sourceLine, destinationLine;
    bool diagnosed = false;
    bool selectRead = false, sourceSelected = false;

private:
    void read(Line& line);
};
