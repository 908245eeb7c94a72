#include "tools/repair_diagnosis.h"

#include <algorithm>

#include <cstdio>
#include "mm/device_settings.h"
#include "mm/mixer.h"
#include "mm/mm_texts.h"

namespace {
Mixer mixerOf(i32 number) {
    Mixer m;
    m.mixerId = (u32)number;
    return m;
}

std::string percentText(MmText id, const RepairDiagnosis::Volume& v) {
    char text[200];
    snprintf(text, sizeof text, mmText(id), (int)(std::max(v.left, v.right) * 100 / 65535));
    return text;
}
}  // namespace

void RepairDiagnosis::read(Line& line) {
    line.muteRead = line.volume.read = false;
    line.muted = false;
    if (line.mixer < 0 || (i32)line.destination < 0) return;
    Mixer m = mixerOf(line.mixer);
    MixerLineRef ref{line.destination, line.source};
    line.muteRead = accessLineMute(m, line.muted, false, ref);
    line.volume.read = accessLineVolume(m, line.volume.left, line.volume.right, false, ref);
}

void RepairDiagnosis::run(const DeviceSettings& settings) {
    diagnosed = false;
    sourceLine.destination = (u32)settings.destination;
    sourceLine.source = settings.source;
    sourceLine.mixer = settings.mixer;
    destinationLine = sourceLine;
    destinationLine.source = -1;
    read(sourceLine);
    read(destinationLine);
    selectRead = sourceSelected = false;
    if (sourceLine.mixer >= 0 && settings.destination >= 0 && sourceLine.source >= 0) {
        Mixer m = mixerOf(sourceLine.mixer);
        selectRead = selectRecordSource(m, sourceSelected, false, {sourceLine.destination, sourceLine.source});
    }
    diagnosed = true;
}

std::vector<RepairProblem> RepairDiagnosis::problems() const {
    std::vector<RepairProblem> list;
    if (!diagnosed) return list;
    if (sourceLine.muteRead && sourceLine.muted) list.push_back({UnmuteSource, mmText(MmText::RepairSourceMuted)});
    if (destinationLine.muteRead && destinationLine.muted)
        list.push_back({UnmuteDestination, mmText(MmText::RepairDestinationMuted)});
    if (sourceLine.volume.low()) list.push_back({RaiseSource, percentText(MmText::RepairSourceLow, sourceLine.volume)});
    if (sourceLine.volume.unbalanced()) list.push_back({BalanceSource, mmText(MmText::RepairSourceUnbalanced)});
    if (destinationLine.volume.low())
        list.push_back({RaiseDestination, percentText(MmText::RepairDestinationLow, destinationLine.volume)});
    if (destinationLine.volume.unbalanced())
        list.push_back({BalanceDestination, mmText(MmText::RepairDestinationUnbalanced)});
    if (selectRead && !sourceSelected) list.push_back({SelectSource, mmText(MmText::RepairNotSelected)});
    return list;
}

bool RepairDiagnosis::fix(u32 command) {
    bool onSource = command == UnmuteSource || command == RaiseSource || command == BalanceSource ||
                    command == SelectSource;
    Line& line = onSource ? sourceLine : destinationLine;
    if (line.mixer < 0) return false;
    Mixer m = mixerOf(line.mixer);
    MixerLineRef ref{line.destination, line.source};
    switch (command) {
    case UnmuteSource:
    case UnmuteDestination: {
        bool off = false;
        return accessLineMute(m, off, true, ref);
    }
    case RaiseSource:
    case RaiseDestination: {
        u32 left = line.volume.left < lowLeft ? lowRight : line.volume.left;
        u32 right = line.volume.right < lowLeft ? lowRight : line.volume.right;
        return accessLineVolume(m, left, right, true, ref);
    }
    case BalanceSource:
    case BalanceDestination: {
        u32 both = std::max(line.volume.left, line.volume.right);
        return accessLineVolume(m, both, both, true, ref);
    }
    case SelectSource: {
        bool on = true;
        return selectRecordSource(m, on, true, ref);
    }
    }
    return false;
}
