#include "app/effect_presets.h"

#include <cmath>
#include <cstring>

#include "app/program_texts.h"
#include "core/gfile.h"

namespace {
const char eqMagic[4] = {'E', 'Q', '_', 0};
const char reverbMagic[4] = {'R', 'V', 'R', 0};

#pragma pack(push, 4)
struct EqHeader {
    char magic[4];
    u32 version;
    f64 start, end, ratio;
    u32 count;
    u32 zero;
};
#pragma pack(pop)
static_assert(sizeof(EqHeader) == 40, "stored equalizer header");

struct ReverbHeader {
    char magic[4];
    u32 version;
};
}  // namespace

const char* eqLayoutRefusal(f64 lowest, f64 highest, f64 ratio) {
    if (!(lowest < highest)) return ravoText(RavoText::EqLowNotBelowHigh);
    if (!(lowest >= 1.0)) return ravoText(RavoText::EqLowTooLow);
    if (!(highest <= 1000000.0)) return ravoText(RavoText::EqHighTooHigh);
    if (!(ratio > 1.0)) return ravoText(RavoText::EqRatioTooSmall);
    if (!(std::log(highest / lowest) / std::log(ratio) <= 100.0)) return ravoText(RavoText::EqTooManyBands);
    return nullptr;
}

bool writeEqPreset(GFile& f, const GeometricScale& bank) {
    EqHeader h;
    memcpy(h.magic, eqMagic, 4);
    h.version = 1;
    h.start = bank.start;
    h.end = bank.end;
    h.ratio = bank.factor;
    h.count = bank.count();
    h.zero = 0;
    if (!fileWrite(f, &h, sizeof h)) return false;
    return !h.count || fileWrite(f, bank.values.data, h.count * 4);
}

PresetRead readEqPreset(GFile& f, GeometricScale* bank) {
    EqHeader h;
    if (!fileRead(f, &h, sizeof h)) return PresetRead::Failed;
    if (memcmp(h.magic, eqMagic, 4) != 0) return PresetRead::WrongFormat;
    if (h.version != 1) return PresetRead::Version;
    if (eqLayoutRefusal(h.start, h.end, h.ratio)) return PresetRead::WrongFormat;
    GeometricScale read;
    read.set(h.start, h.end, h.ratio);
    const u32 n = h.count < read.count() ? h.count : read.count();
    if (n && !fileRead(f, read.values.data, n * 4)) return PresetRead::Failed;
    bank->set(read.start, read.end, read.factor);
    if (n) memcpy(bank->values.data, read.values.data, n * 4);
    return PresetRead::Ok;
}

bool writeReverbPreset(GFile& f, const std::vector<ReflectionRow>& rows) {
    ReverbHeader h;
    memcpy(h.magic, reverbMagic, 4);
    h.version = 1;
    const u32 count = (u32)rows.size();
    if (!fileWrite(f, &h, sizeof h) || !fileWrite(f, &count, 4)) return false;
    return !count || fileWrite(f, rows.data(), count * (u32)sizeof(ReflectionRow));
}

PresetRead readReverbPreset(GFile& f, std::vector<ReflectionRow>* rows) {
    ReverbHeader h;
    if (!fileRead(f, &h, sizeof h)) return PresetRead::Failed;
    if (memcmp(h.magic, reverbMagic, 4) != 0) return PresetRead::WrongFormat;
    if (h.version != 1) return PresetRead::Version;
    u32 count = 0;
    if (!fileRead(f, &count, 4)) {
        rows->clear();
        return PresetRead::Failed;
    }
    const i64 size = fileSize(f);
    // The count is checked against the rows the file can hold before anything is allocated.
    if (size < 12 || (u64)count > (u64)(size - 12) / sizeof(ReflectionRow)) {
        rows->clear();
        return PresetRead::WrongFormat;
    }
    std::vector<ReflectionRow> read(count);
    if (count && !fileRead(f, read.data(), count * (u32)sizeof(ReflectionRow))) {
        rows->clear();
        return PresetRead::Failed;
    }
    rows->swap(read);
    return PresetRead::Ok;
}
